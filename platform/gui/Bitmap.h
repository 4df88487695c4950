#pragma once
// TBitmap: an image in memory (a 32-bit ARGB Cairo surface) with a canvas to draw on it.
#include <cstddef>
#include <memory>
#include <span>
#include <string>

#include "korin/platform/gui/Canvas.h"

typedef struct _cairo_surface cairo_surface_t;  // the C library's own type

namespace korin {


enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TObject {
public:
    TBitmap();
    TBitmap(int Width, int Height);
    ~TBitmap() override;
    // A bitmap whose pixels start undefined, for an image that is painted over completely
    // straight away (a window rendered with its background): the memory is neither cleared
    // nor painted white first.
    static std::unique_ptr<TBitmap> CreateUnpainted(int Width, int Height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetWidth(int Value) { SetSize(Value, FHeight); }
    void SetHeight(int Value) { SetSize(FWidth, Value); }
    // Resizes the image; what fits of the old image stays, new pixels are white.
    void SetSize(int Width, int Height);
    bool Empty() const { return FWidth == 0 || FHeight == 0; }

    // The canvas drawing on the image (always usable, also for an empty bitmap).
    TCanvas& Canvas();

    // Copies another bitmap's image and transparency settings.
    void Assign(const TBitmap& Source);

    // Reads an uncompressed Windows BMP file image (1, 4, 8, 24 or 32 bits per pixel,
    // bottom-up or top-down). Malformed data raises EInvalidGraphic and leaves the bitmap
    // as it was.
    void LoadFromBMP(std::span<const unsigned char> Data);
    // Reads the named bitmap resource (EResNotFound when there is none).
    void LoadFromResourceName(const std::string& Name);
    // Writes the image as a PNG file; raises EInvalidGraphic when it cannot be written.
    void SaveToPNG(const std::string& Path) const;

    // The pixel's RGB colour; CLR_INVALID outside the image.
    TColor Pixels(int X, int Y) const;
    void SetPixels(int X, int Y, TColor Color);

    // Transparent drawing: with Transparent set, Draw leaves the pixels of TransparentColor
    // undrawn. In tmAuto mode that colour is the bottom-left pixel's (button glyphs are
    // painted on such a background); SetTransparentColor switches to tmFixed.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TColor TransparentColor() const;
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);

    // The image surface (owned by the bitmap; valid until the next resize or load).
    cairo_surface_t* Surface() const { return FSurface; }
    // A new reference to a surface for drawing the bitmap: the image itself, or a copy with
    // the transparent colour made transparent. Release with cairo_surface_destroy.
    cairo_surface_t* CreateDrawSurface() const;

    // Fired after the size, the image as a whole or the transparency changes (not after
    // drawing on the canvas).
    TNotifyEvent OnChange;

private:
    void ReplaceSurface(cairo_surface_t* Surface, int Width, int Height);
    void Changed() { if (OnChange) OnChange(this); }

    int FWidth = 0;
    int FHeight = 0;
    cairo_surface_t* FSurface = nullptr;
    HDC FDC = nullptr;
    std::unique_ptr<TCanvas> FCanvas;
    bool FTransparent = false;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
};

}  // namespace korin
