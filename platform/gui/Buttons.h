#pragma once
// Buttons with glyphs: TSpeedButton (a graphic control that never takes the focus; alone,
// or in groups of which one stays down) and TBitBtn (a push button with a glyph).
//
// A glyph is one bitmap holding NumGlyphs images of equal width side by side: image 0 for
// the normal look, 1 for disabled, 2 for pressed, 3 for a group button that stays down.
// Missing images fall back to image 0 (disabled: image 0 embossed). The bitmap's
// bottom-left pixel gives the colour that is left undrawn.
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

// Up; disabled; held down by the mouse; down and staying down (a group button).
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Lays out a glyph image and a caption inside Client: the pair is centred (Margin -1) or
// starts Margin pixels from the glyph's side; Spacing pixels between them (-1: the caption is
// centred in what remains). Answers the glyph's top-left and the caption's rectangle.
// Shared by the button classes so that they all place glyphs the same way.
void LayoutGlyphAndCaption(const TRect& Client, TSize GlyphSize, TSize TextSize, TButtonLayout Layout, int Margin,
                           int Spacing, TPoint& GlyphPos, TRect& TextRect);
// Draws image Index of a NumGlyphs-image glyph at (X, Y), leaving the glyph's transparent
// colour (its bottom-left pixel) undrawn; Disabled embosses the image when the glyph has
// no disabled image of its own.
void DrawGlyphImage(TCanvas& Canvas, const TBitmap& Glyph, int NumGlyphs, int Index, int X, int Y, bool Emboss);

// The image list cut from a button's glyph strip, kept between paints. It is cut again only
// when the glyph's pixels, size or number of images differ from those it was cut from (the
// glyph may be drawn on through its canvas, which tells no one, so the pixels are compared).
class TGlyphImages {
public:
    void Draw(TCanvas& Canvas, const TBitmap& Glyph, int NumGlyphs, int Index, int X, int Y, bool Emboss);
    // How many times the images were cut (for tests).
    int Builds() const { return FBuilds; }

private:
    TOwned<TImageList> FImages;
    std::vector<unsigned char> FPixels;
    int FWidth = 0;
    int FHeight = 0;
    int FNumGlyphs = 0;
    int FBuilds = 0;
};
// The image to show for a state, given how many images the glyph holds.
int GlyphIndexForState(TButtonState State, int NumGlyphs);

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* AOwner);

    // Buttons with the same non-zero GroupIndex under one parent form a group: at most one
    // of them is Down. AllowAllUp lets the down one go up on a second click; it is shared by
    // the whole group. With GroupIndex 0 a button never stays down.
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool Down() const { return FDown; }
    // Ignored with GroupIndex 0, and when it would put up the last down button of a group
    // that does not allow all up.
    void SetDown(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    // Whether the pointer is over a flat button (CM_MOUSEENTER / CM_MOUSELEAVE); a flat
    // button shows a thin raised frame then.
    bool MouseInControl() const { return FMouseInControl; }

    // The glyph; changing its size or image repaints the button.
    TBitmap& Glyph() { return FGlyph; }
    const TBitmap& Glyph() const { return FGlyph; }
    void SetGlyph(const TBitmap& Value);
    int NumGlyphs() const { return FNumGlyphs; }
    // Clamped to 1..4.
    void SetNumGlyphs(int Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value) { FLayout = Value; Invalidate(); }
    int Margin() const { return FMargin; }
    void SetMargin(int Value) { FMargin = Value; Invalidate(); }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value) { FSpacing = Value; Invalidate(); }
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value) { FShowAccelChar = Value; Invalidate(); }

    // The look the button has now.
    TButtonState State() const { return FState; }

    void WndProc(TMessage& Message) override;

protected:
    // A left press shows the button down and captures the mouse; moving off shows it up,
    // coming back down again; a release over the button clicks it (a group button toggles
    // Down first). Descendants call these first and add their own behaviour.
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;
    void EnabledChanged() override;
    // Whether the left button is held after a press on this button.
    bool Dragging() const { return FDragging; }

private:
    // Puts up the other buttons of the group when this one went down, and shares
    // AllowAllUp with them.
    void UpdateExclusive();
    void RestState();

    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FFlat = false;
    bool FDragging = false;
    bool FMouseInControl = false;
    TBitmap FGlyph;
    TGlyphImages FGlyphImages;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FShowAccelChar = true;
    TButtonState FState = bsUp;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore };

// A push button with a glyph left of (or around) its caption.
class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* AOwner);

    TBitmap& Glyph() { return FGlyph; }
    const TBitmap& Glyph() const { return FGlyph; }
    void SetGlyph(const TBitmap& Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value) { FLayout = Value; Invalidate(); }
    int Margin() const { return FMargin; }
    void SetMargin(int Value) { FMargin = Value; Invalidate(); }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value) { FSpacing = Value; Invalidate(); }
    // A stock kind sets the caption, the modal result and Default or Cancel (not while a
    // form file is read, which holds its own); bkClose closes the parent form when clicked.
    // The glyph stays the application's choice.
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);

    void Click() override;

protected:
    void PaintContent(TCanvas& Canvas, const TRect& Inside) override;

private:
    TBitmap FGlyph;
    TGlyphImages FGlyphImages;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    TBitBtnKind FKind = bkCustom;
};

}  // namespace korin
