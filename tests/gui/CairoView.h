#pragma once
// Helpers for tests that hold a direct pixel path to what Cairo itself draws: a canvas on a
// view (subsurface) of an image, where Cairo has to do all the drawing, and raw pixels.
#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"

namespace korin {

// A canvas drawing into Image's pixels through a view of them, so that every call goes
// through Cairo. When the view goes, Image's surface is told its pixels changed.
class TCairoView {
public:
    explicit TCairoView(TBitmap& Image)
        : FImage(Image),
          FView(cairo_surface_create_for_rectangle(Image.Surface(), 0, 0, Image.Width(), Image.Height())),
          FCr(cairo_create(FView)),
          FDC(CreateDC(FCr))
    {
        FCanvas.SetHandle(FDC);
    }
    ~TCairoView()
    {
        FCanvas.SetHandle(nullptr);
        DeleteDC(FDC);
        cairo_destroy(FCr);
        cairo_surface_finish(FView);
        cairo_surface_destroy(FView);
        cairo_surface_mark_dirty(FImage.Surface());
    }
    TCairoView(const TCairoView&) = delete;
    TCairoView& operator=(const TCairoView&) = delete;

    TCanvas& Canvas() { return FCanvas; }
    cairo_t* Cr() const { return FCr; }

private:
    TBitmap& FImage;
    cairo_surface_t* FView;
    cairo_t* FCr;
    HDC FDC;
    TCanvas FCanvas;
};

// The pixel at x, y as the surface stores it (premultiplied ARGB, alpha included).
inline std::uint32_t RawPixel(cairo_surface_t* s, int x, int y)
{
    cairo_surface_flush(s);
    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
}

// A drawing state set on a context before drawing (a clip, an origin, a scale...).
struct TDrawState {
    std::string Name;
    std::function<void(cairo_t*)> Apply;
};

}  // namespace korin
