#pragma once
// Drawing straight into the pixels of the image surface a cairo context draws on, where that
// gives exactly what Cairo would draw. Internal to the drawing layer.
#include <cairo.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "korin/platform/gui/Graphics.h"
#include "korin/platform/gui/Types.h"

namespace korin {

// The pixels of the image surface cr draws on, when drawing there whole-pixel rectangles
// directly gives exactly what Cairo would: cr draws on its own ARGB32 image surface (no
// group pushed, no device offset or scale), user space is only moved by whole pixels, cr
// has no error and its clip is a list of whole-pixel rectangles. Cairo's general path
// machinery costs far more than the pixels of the small rectangles that grids, frames,
// lines and focus outlines are made of.
class TDirectTarget {
public:
    // False when the drawing has to be left to Cairo.
    bool Open(cairo_t* cr)
    {
        if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
            return false;
        cairo_surface_t* s = cairo_get_target(cr);
        if (s != cairo_get_group_target(cr) || cairo_surface_get_type(s) != CAIRO_SURFACE_TYPE_IMAGE ||
            cairo_surface_status(s) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_format(s) != CAIRO_FORMAT_ARGB32)
            return false;
        double dx, dy, sx, sy;
        cairo_surface_get_device_offset(s, &dx, &dy);
        cairo_surface_get_device_scale(s, &sx, &sy);
        if (dx != 0 || dy != 0 || sx != 1 || sy != 1)
            return false;
        cairo_matrix_t m;
        cairo_get_matrix(cr, &m);
        if (m.xx != 1 || m.yy != 1 || m.xy != 0 || m.yx != 0 || m.x0 != std::floor(m.x0) || m.y0 != std::floor(m.y0) ||
            std::abs(m.x0) > 1e9 || std::abs(m.y0) > 1e9)
            return false;
        FData = cairo_image_surface_get_data(s);
        if (!FData)
            return false;
        FSurface = s;
        FStride = cairo_image_surface_get_stride(s);
        Ox = (long long)m.x0;
        Oy = (long long)m.y0;
        cairo_rectangle_list_t* clip = cairo_copy_clip_rectangle_list(cr);
        bool ok = clip->status == CAIRO_STATUS_SUCCESS;
        // The clip in pixels of the surface, each rectangle cut to the surface.
        const long long W = cairo_image_surface_get_width(s), H = cairo_image_surface_get_height(s);
        FWidth = W;
        FDirty = Box{W, H, 0, 0};
        for (int i = 0; ok && i < clip->num_rectangles; ++i) {
            const cairo_rectangle_t& c = clip->rectangles[i];
            double l = c.x + m.x0, t = c.y + m.y0, r = l + c.width, b = t + c.height;
            if (l != std::floor(l) || t != std::floor(t) || r != std::floor(r) || b != std::floor(b)) {
                ok = false;
                break;
            }
            Box box{std::max(0LL, (long long)std::max(l, -1e18)), std::max(0LL, (long long)std::max(t, -1e18)),
                    std::min(W, (long long)std::min(r, 1e18)), std::min(H, (long long)std::min(b, 1e18))};
            if (box.L >= box.R || box.T >= box.B)
                continue;
            if (FCount < 8)
                FBoxes[FCount++] = box;
            else
                FMore.push_back(box);
        }
        cairo_rectangle_list_destroy(clip);
        return ok;
    }

    // Calls Span(row, y, l, r) for every visible run of R (in user space): row is surface
    // row y, and pixels l to r - 1 of it are inside both R and the clip. The surface is
    // flushed before the first run.
    template <class F>
    void Spans(const TRect& R, F&& Span)
    {
        auto visit = [&](const Box& c) {
            long long l = std::max(c.L, R.Left + Ox), t = std::max(c.T, R.Top + Oy);
            long long r = std::min(c.R, R.Right + Ox), b = std::min(c.B, R.Bottom + Oy);
            if (l >= r || t >= b)
                return;
            if (!FFlushed) {
                cairo_surface_flush(FSurface);
                FFlushed = true;
            }
            for (long long y = t; y < b; ++y)
                Span(reinterpret_cast<std::uint32_t*>(FData + std::size_t(y) * std::size_t(FStride)), y, l, r);
            FDirty = Box{std::min(FDirty.L, l), std::min(FDirty.T, t), std::max(FDirty.R, r), std::max(FDirty.B, b)};
        };
        for (std::size_t k = 0; k < FCount; ++k)
            visit(FBoxes[k]);
        for (const Box& c : FMore)
            visit(c);
    }

    // True when R (user space) lies whole inside one rectangle of the clip, and so inside
    // the surface: Spans then visits every row of R, each whole.
    bool Covers(const TRect& R) const
    {
        auto inside = [&](const Box& c) {
            return R.Left + Ox >= c.L && R.Top + Oy >= c.T && R.Right + Ox <= c.R && R.Bottom + Oy <= c.B;
        };
        for (std::size_t k = 0; k < FCount; ++k)
            if (inside(FBoxes[k]))
                return true;
        for (const Box& c : FMore)
            if (inside(c))
                return true;
        return false;
    }

    // The box around the clip's rectangles, in surface pixels; false when the clip shows
    // nothing of the surface.
    bool Extents(long long& L, long long& T, long long& R, long long& B) const
    {
        L = T = LLONG_MAX;
        R = B = LLONG_MIN;
        auto add = [&](const Box& c) {
            L = std::min(L, c.L), T = std::min(T, c.T), R = std::max(R, c.R), B = std::max(B, c.B);
        };
        for (std::size_t k = 0; k < FCount; ++k)
            add(FBoxes[k]);
        for (const Box& c : FMore)
            add(c);
        return L < R && T < B;
    }

    // The surface's width in pixels.
    long long Width() const { return FWidth; }

    // Tells Cairo which pixels were written.
    void MarkDirty()
    {
        if (FFlushed && FDirty.L < FDirty.R)
            cairo_surface_mark_dirty_rectangle(FSurface, int(FDirty.L), int(FDirty.T), int(FDirty.R - FDirty.L),
                                               int(FDirty.B - FDirty.T));
    }

    long long Ox = 0, Oy = 0;  // the user-space origin in surface pixels

private:
    struct Box { long long L, T, R, B; };
    cairo_surface_t* FSurface = nullptr;
    unsigned char* FData = nullptr;
    int FStride = 0;
    long long FWidth = 0;
    Box FBoxes[8];
    std::vector<Box> FMore;
    std::size_t FCount = 0;
    Box FDirty{0, 0, 0, 0};
    bool FFlushed = false;
};

// Sets N pixels from P on to Pixel. Long runs (window and control backgrounds) go through
// the C library's wide-character fill, which writes many pixels per store on any processor;
// short runs (lines, frames, cell edges) stay a plain loop, cheaper than the call.
inline void FillRow(std::uint32_t* P, long long N, std::uint32_t Pixel)
{
    static_assert(sizeof(wchar_t) == sizeof(std::uint32_t), "a pixel row is filled as wide characters");
    if (N >= 32) {
        std::wmemset(reinterpret_cast<wchar_t*>(P), static_cast<wchar_t>(Pixel), static_cast<std::size_t>(N));
        return;
    }
    for (long long i = 0; i < N; ++i)
        P[i] = Pixel;
}

// The opaque image-surface pixel (0xFFrrggbb) of a colour.
inline std::uint32_t OpaquePixel(TColor Color)
{
    TColor c = ColorToRGB(Color);
    return 0xFF000000u | (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

}  // namespace korin
