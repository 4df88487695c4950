#pragma once
// The drawing surface: TCanvas on Cairo, text measured and drawn through Pango.
//
// Coordinates are whole pixels; a rectangle's right and bottom edges are exclusive and a
// filled rectangle covers exactly its pixels. A canvas draws through a device context
// (HDC), a small handle around a cairo_t that carries what the host's device contexts
// carry besides the canvas's own brush, pen and font: background mode, saved states and
// the clip. A bitmap's canvas owns its context; a window's canvas is given one for the
// time of a paint (SetHandle), and owner-drawing code may draw on it in between.
//
// Text: the font family is TFont::Name when that family is installed, DejaVu Sans
// otherwise, so that text metrics do not depend on what a machine substitutes for a
// missing font. A negative TFont::Height is the character (em) height in pixels, a
// positive one the cell height (ascent + descent). Metrics are unhinted at a fixed 96 dpi,
// glyph positions rounded to whole pixels.
#include <cstddef>
#include <string>
#include <vector>

#include "korin/platform/core/Exception.h"
#include "korin/platform/gui/Graphics.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Types.h"

typedef struct _cairo cairo_t;  // the C library's own type

namespace korin {

class TBitmap;

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Raised for drawing on a canvas that has no device context, and for bad graphics data.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

// ---- Device contexts ----------------------------------------------------------------

struct TDeviceContext;
using HDC = TDeviceContext*;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Text output flags of a canvas.
constexpr int ETO_OPAQUE = 0x02;
constexpr int ETO_CLIPPED = 0x04;
constexpr int ETO_RTLREADING = 0x80;

// A context drawing on cr (referenced, not owned). The clip that cr has now stays in force
// under every clip later selected into the context.
HDC CreateDC(cairo_t* cr);
void DeleteDC(HDC DC);
cairo_t* GetDCCairo(HDC DC);
// Background mode (TRANSPARENT or OPAQUE, OPAQUE for a new context); answers the old mode.
int SetBkMode(HDC DC, int Mode);
int GetBkMode(HDC DC);
// Saves the context's state (cairo state, background mode, clip); answers the new depth.
int SaveDC(HDC DC);
// Restores a saved state: a positive Saved is a depth answered by SaveDC, a negative one
// counts back from the latest (-1 is the latest). False when there is no such state.
bool RestoreDC(HDC DC, int Saved);
// Replaces the clip by Rgn (in the context's current coordinates), nullptr for none; the
// context's base clip always stays in force. Answers the kind of the new clip.
int SelectClipRgn(HDC DC, HRGN Rgn);
// Narrows the clip to a rectangle.
int IntersectClipRect(HDC DC, int Left, int Top, int Right, int Bottom);
// Makes the current clip the base clip that SelectClipRgn keeps.
void SetMetaRgn(HDC DC);
// Dotted focus frame drawn by inverting every other pixel of the rectangle's outline, so
// that drawing it twice restores what was there.
void DrawFocusRect(HDC DC, const TRect& R);

// ---- Brush and pen --------------------------------------------------------------------

enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TBrush : public TObject {
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { if (v != FColor || FStyle == bsClear) { FColor = v; FStyle = bsSolid; Changed(); } }
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v) { if (v != FStyle) { FStyle = v; Changed(); } }
    void Assign(const TBrush& o) { FColor = o.FColor; FStyle = o.FStyle; Changed(); }
    TNotifyEvent OnChange;

private:
    void Changed() { if (OnChange) OnChange(this); }
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

class TPen : public TObject {
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
    int Width() const { return FWidth; }
    void SetWidth(int v) { if (v < 1) v = 1; if (v != FWidth) { FWidth = v; Changed(); } }
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v) { if (v != FStyle) { FStyle = v; Changed(); } }
    void Assign(const TPen& o) { FColor = o.FColor; FWidth = o.FWidth; FStyle = o.FStyle; Changed(); }
    TNotifyEvent OnChange;

private:
    void Changed() { if (OnChange) OnChange(this); }
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
};

// Pixel value answered for a point outside the raster or on a canvas that cannot be read.
constexpr TColor CLR_INVALID = 0xFFFFFFFF;

// ---- Canvas ---------------------------------------------------------------------------

// A rectangle and the colour it is filled in (TCanvas::FillRects).
struct TColorRect {
    TRect Rect;
    TColor Color;
};

class TCanvas : public TObject {
public:
    TCanvas();
    ~TCanvas() override;

    TBrush& Brush() { return FBrush; }
    TPen& Pen() { return FPen; }
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }

    // The device context drawn on; nullptr when none is attached. SetHandle attaches a
    // context for owner drawing (not owned) and SetHandle(nullptr) detaches it.
    HDC Handle();
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return FHandle != nullptr; }

    // ETO_RTLREADING makes text read right to left.
    int TextFlags() const { return FTextFlags; }
    void SetTextFlags(int Value) { FTextFlags = Value; }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint P) { FPenPos = P; }

    // Nesting counter for code that draws on the canvas from more than one place.
    void Lock() { ++FLockCount; }
    void Unlock() { if (FLockCount > 0) --FLockCount; }
    int LockCount() const { return FLockCount; }

    // Shapes. FillRect and FrameRect use the brush; Rectangle and Ellipse fill with the
    // brush and outline with the pen. Lines run from the pen position to the point given,
    // which is not drawn; 1-pixel lines cover whole pixels.
    void FillRect(const TRect& R);
    void FrameRect(const TRect& R);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
    void MoveTo(int X, int Y) { FPenPos = TPoint{X, Y}; }
    void LineTo(int X, int Y);
    // Batches of the above, with one look at the drawing state for the whole batch:
    // FillRects fills each rectangle in its own colour, in order, as FillRect would with a
    // solid brush of that colour (the brush is left as it is); LineSegments draws Count
    // lines, from Points[2i] to Points[2i + 1] each, as MoveTo and LineTo would, and leaves
    // the pen at the last line's end.
    void FillRects(const TColorRect* Rects, std::size_t Count);
    void LineSegments(const TPoint* Points, std::size_t Count);
    void DrawFocusRect(const TRect& R);

    // Text (UTF-8). TextOut draws with the font colour at (X, Y), the top left of the text
    // cell; with an OPAQUE background mode and a solid brush the cell is filled with the
    // brush colour first. The pen position moves to the end of the text.
    void TextOut(int X, int Y, const std::string& Text);
    // TextOut clipped to R; with ETO_OPAQUE in Options R is filled with the brush first.
    void TextRect(const TRect& R, int X, int Y, const std::string& Text, int Options = ETO_CLIPPED);
    TSize TextExtent(const std::string& Text) const;
    int TextWidth(const std::string& Text) const { return TextExtent(Text).cx; }
    int TextHeight(const std::string& Text) const { return TextExtent(Text).cy; }

    // Copies SrcRect of Source into Dest, stretched to Dest's size (nearest pixel); a
    // source rectangle with Left > Right or Top > Bottom gives the mirror image.
    void CopyRect(const TRect& Dest, TCanvas& Source, const TRect& SrcRect);
    // Draws a bitmap at (X, Y), or stretched into R; a Transparent bitmap leaves the
    // pixels of its transparent colour undrawn.
    void Draw(int X, int Y, const TBitmap& Bitmap);
    void StretchDraw(const TRect& R, const TBitmap& Bitmap);

    // Clip: ClipRect is the box of what can be drawn now; SetClipRegion replaces the clip
    // (nullptr for none); IntersectClipRect narrows it.
    TRect ClipRect();
    void SetClipRegion(HRGN Rgn);
    void IntersectClipRect(const TRect& R);

    // Saves and restores the context's state together with brush, pen, font, pen position
    // and text flags. RestoreDC takes what SaveDC answered, or -1 for the latest.
    int SaveDC();
    bool RestoreDC(int Saved);

    // The pixel at (X, Y) as an RGB colour, read from the raster (CLR_INVALID outside it).
    TColor Pixels(int X, int Y);
    void SetPixel(int X, int Y, TColor Color);

protected:
    // Called when a drawing operation finds no context; a canvas that obtains its context
    // on demand attaches one here.
    virtual void CreateHandle() {}
    // The context, or EInvalidGraphicOperation when there is none.
    HDC RequireHandle();

private:
    struct TSavedState {
        int Depth;
        TColor BrushColor;
        TBrushStyle BrushStyle;
        TColor PenColor;
        int PenWidth;
        TPenStyle PenStyle;
        std::string FontName;
        int FontHeight;
        TFontStyles FontStyle;
        TColor FontColor;
        TPoint PenPos;
        int TextFlags;
    };

    void StrokeLine(int X0, int Y0, int X1, int Y1);
    void DrawTextLine(int X, int Y, const std::string& Text, bool Clip, const TRect& ClipTo, bool OpaqueCell);

    TBrush FBrush;
    TPen FPen;
    TFont FFont;
    HDC FHandle = nullptr;
    int FTextFlags = 0;
    TPoint FPenPos{};
    int FLockCount = 0;
    std::vector<TSavedState> FSaved;
};

}  // namespace korin
