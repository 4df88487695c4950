// The device context and canvas drawing calls, and the direct pixel paths they share; one
// family of drawing primitives, kept together although a little over the usual length.
#include "korin/platform/gui/Canvas.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <set>
#include <strings.h>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/TextLayout.h"

namespace korin {

// ---- Device contexts ----------------------------------------------------------------

struct TDeviceContext {
    struct Saved {
        int BkMode;
    };
    cairo_t* Cr = nullptr;
    int BkMode = OPAQUE;
    std::vector<Saved> Stack;
    // The clip cr had when the context was made (device coordinates); empty Rects with
    // HasBase false means no clip.
    bool HasBase = false;
    std::vector<cairo_rectangle_t> Base;
};

namespace {

void CaptureBaseClip(HDC dc)
{
    cairo_t* cr = dc->Cr;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle_list_t* list = cairo_copy_clip_rectangle_list(cr);
    dc->Base.clear();
    dc->HasBase = false;
    if (list->status == CAIRO_STATUS_SUCCESS) {
        dc->HasBase = true;
        for (int i = 0; i < list->num_rectangles; ++i)
            dc->Base.push_back(list->rectangles[i]);
    }
    cairo_rectangle_list_destroy(list);
    cairo_restore(cr);
}

void ApplyBaseClip(HDC dc)
{
    if (!dc->HasBase)
        return;
    cairo_t* cr = dc->Cr;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    cairo_identity_matrix(cr);
    cairo_new_path(cr);
    for (const auto& r : dc->Base)
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    cairo_clip(cr);
    cairo_set_matrix(cr, &m);
}

int ClipKind(cairo_t* cr)
{
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    return (x2 <= x1 || y2 <= y1) ? NULLREGION : SIMPLEREGION;
}

void SetColor(cairo_t* cr, TColor c)
{
    c = ColorToRGB(c);
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// Fills whole-pixel rectangles with the current source, without antialiasing.
void FillPixels(cairo_t* cr, const std::vector<TRect>& rects)
{
    if (rects.empty())
        return;
    // Rectangles are cut to the clip box first: Cairo's fixed-point paths cannot hold
    // coordinates far outside any raster.
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    TRect box{int(std::max(std::floor(x1), -1e9)), int(std::max(std::floor(y1), -1e9)), int(std::min(std::ceil(x2), 1e9)),
              int(std::min(std::ceil(y2), 1e9))};
    cairo_antialias_t aa = cairo_get_antialias(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_new_path(cr);
    for (const auto& r : rects) {
        TRect c;
        if (IntersectRect(c, r, box))
            cairo_rectangle(cr, c.Left, c.Top, c.Width(), c.Height());
    }
    cairo_fill(cr);
    cairo_set_antialias(cr, aa);
}

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

// Writes an opaque colour straight into the pixels, when the operator replaces what is
// there (OVER or SOURCE, with an opaque colour) and the target allows it; false when the
// fill has to be left to Cairo.
bool FillDirect(cairo_t* cr, std::uint32_t Pixel, const TRect* Rects, std::size_t Count)
{
    cairo_operator_t op = cairo_get_operator(cr);
    if (op != CAIRO_OPERATOR_OVER && op != CAIRO_OPERATOR_SOURCE)
        return false;
    TDirectTarget t;
    if (!t.Open(cr))
        return false;
    for (std::size_t i = 0; i < Count; ++i)
        t.Spans(Rects[i], [&](std::uint32_t* row, long long, long long l, long long r) { FillRow(row + l, r - l, Pixel); });
    t.MarkDirty();
    return true;
}

// Inverts the pixels of the outline pieces Edges (user space) whose x + y in user space is
// even, as the difference of opaque white gives on opaque pixels: each colour channel
// becomes 255 minus itself and alpha stays opaque. False, with nothing written, when the
// target does not allow it or a pixel to invert is not opaque (Cairo's blending of
// translucent pixels is left to Cairo).
bool FocusRectDirect(cairo_t* cr, const std::vector<TRect>& Edges)
{
    TDirectTarget t;
    if (!t.Open(cr))
        return false;
    bool opaque = true;
    for (const TRect& e : Edges)
        t.Spans(e, [&](std::uint32_t* row, long long, long long l, long long r) {
            for (long long x = l; x < r && opaque; ++x)
                opaque = (row[x] >> 24) == 0xFF;
        });
    if (!opaque)
        return false;
    for (const TRect& e : Edges)
        t.Spans(e, [&](std::uint32_t* row, long long y, long long l, long long r) {
            for (long long x = l + ((l - t.Ox + y - t.Oy) & 1); x < r; x += 2)
                row[x] ^= 0x00FFFFFFu;
        });
    t.MarkDirty();
    return true;
}

// Fills whole-pixel rectangles in one opaque colour; the colour is cr's source afterwards.
void FillSolid(cairo_t* cr, TColor Color, const std::vector<TRect>& Rects)
{
    SetColor(cr, Color);
    TColor c = ColorToRGB(Color);
    std::uint32_t pixel = 0xFF000000u | (std::uint32_t(GetRValue(c)) << 16) | (std::uint32_t(GetGValue(c)) << 8) | GetBValue(c);
    if (!FillDirect(cr, pixel, Rects.data(), Rects.size()))
        FillPixels(cr, Rects);
}

TRect Normalized(TRect r)
{
    if (r.Left > r.Right) std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    return r;
}

} // namespace

HDC CreateDC(cairo_t* cr)
{
    auto* dc = new TDeviceContext;
    dc->Cr = cairo_reference(cr);
    CaptureBaseClip(dc);
    return dc;
}

void DeleteDC(HDC DC)
{
    if (!DC)
        return;
    while (!DC->Stack.empty()) {
        cairo_restore(DC->Cr);
        DC->Stack.pop_back();
    }
    cairo_destroy(DC->Cr);
    delete DC;
}

cairo_t* GetDCCairo(HDC DC) { return DC ? DC->Cr : nullptr; }

int SetBkMode(HDC DC, int Mode)
{
    if (!DC || (Mode != TRANSPARENT && Mode != OPAQUE))
        return 0;
    int old = DC->BkMode;
    DC->BkMode = Mode;
    return old;
}

int GetBkMode(HDC DC) { return DC ? DC->BkMode : 0; }

int SaveDC(HDC DC)
{
    if (!DC)
        return 0;
    cairo_save(DC->Cr);
    DC->Stack.push_back({DC->BkMode});
    return static_cast<int>(DC->Stack.size());
}

bool RestoreDC(HDC DC, int Saved)
{
    if (!DC)
        return false;
    int depth = static_cast<int>(DC->Stack.size());
    int target = Saved < 0 ? depth + Saved + 1 : Saved;
    if (target < 1 || target > depth)
        return false;
    while (static_cast<int>(DC->Stack.size()) >= target) {
        DC->BkMode = DC->Stack.back().BkMode;
        DC->Stack.pop_back();
        cairo_restore(DC->Cr);
    }
    return true;
}

int SelectClipRgn(HDC DC, HRGN Rgn)
{
    if (!DC)
        return RGN_ERROR;
    cairo_t* cr = DC->Cr;
    cairo_reset_clip(cr);
    ApplyBaseClip(DC);
    if (Rgn) {
        cairo_new_path(cr);
        for (const auto& r : RegionRects(Rgn))
            cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
        cairo_clip(cr);
    }
    return ClipKind(cr);
}

int IntersectClipRect(HDC DC, int Left, int Top, int Right, int Bottom)
{
    if (!DC)
        return RGN_ERROR;
    TRect r = Normalized(TRect{Left, Top, Right, Bottom});
    cairo_new_path(DC->Cr);
    cairo_rectangle(DC->Cr, r.Left, r.Top, r.Width(), r.Height());
    cairo_clip(DC->Cr);
    return ClipKind(DC->Cr);
}

void SetMetaRgn(HDC DC)
{
    if (DC)
        CaptureBaseClip(DC);
}

void DrawFocusRect(HDC DC, const TRect& R0)
{
    if (!DC)
        return;
    TRect R = Normalized(R0);
    if (IsRectEmpty(R))
        return;
    cairo_t* cr = DC->Cr;
    // Only the part that can show is visited.
    double cx1, cy1, cx2, cy2;
    cairo_clip_extents(cr, &cx1, &cy1, &cx2, &cy2);
    TRect vis{int(std::max<double>(std::floor(cx1), R.Left)), int(std::max<double>(std::floor(cy1), R.Top)),
              int(std::min<double>(std::ceil(cx2), R.Right)), int(std::min<double>(std::ceil(cy2), R.Bottom))};
    if (IsRectEmpty(vis))
        return;
    // Every outline pixel with an even x + y is inverted, each exactly once: the outline's
    // rows and columns (corners once) are filled through a 2 x 2 checker of white and
    // transparent pixels, repeated from the user-space origin, with the difference
    // operator (a transparent source pixel leaves the pixel as it is).
    std::vector<TRect> edges;
    auto rowVisible = [&](int y) { return y >= vis.Top && y < vis.Bottom; };
    auto colVisible = [&](int x) { return x >= vis.Left && x < vis.Right; };
    if (rowVisible(R.Top))
        edges.push_back(TRect{vis.Left, R.Top, vis.Right, R.Top + 1});
    if (R.Bottom - 1 > R.Top && rowVisible(R.Bottom - 1))
        edges.push_back(TRect{vis.Left, R.Bottom - 1, vis.Right, R.Bottom});
    int top = std::max(vis.Top, R.Top + 1), bottom = std::min(vis.Bottom, R.Bottom - 1);
    if (top < bottom) {
        if (colVisible(R.Left))
            edges.push_back(TRect{R.Left, top, R.Left + 1, bottom});
        if (R.Right - 1 > R.Left && colVisible(R.Right - 1))
            edges.push_back(TRect{R.Right - 1, top, R.Right, bottom});
    }
    if (edges.empty() || FocusRectDirect(cr, edges))
        return;
    cairo_surface_t* checker = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 2, 2);
    cairo_surface_flush(checker);
    unsigned char* data = cairo_image_surface_get_data(checker);
    int stride = cairo_image_surface_get_stride(checker);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x] = ((x + y) & 1) == 0 ? 0xFFFFFFFFu : 0u;
    cairo_surface_mark_dirty(checker);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(checker);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source(cr, pattern);
    FillPixels(cr, edges);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(checker);
}

// ---- Canvas ---------------------------------------------------------------------------

TCanvas::TCanvas() = default;

TCanvas::~TCanvas() = default;

HDC TCanvas::Handle()
{
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

void TCanvas::SetHandle(HDC Value)
{
    FHandle = Value;
    FSaved.clear();
}

HDC TCanvas::RequireHandle()
{
    HDC dc = Handle();
    if (!dc)
        throw EInvalidGraphicOperation("Canvas does not allow drawing");
    return dc;
}

void TCanvas::FillRect(const TRect& R)
{
    cairo_t* cr = RequireHandle()->Cr;
    if (FBrush.Style() == bsClear)
        return;
    FillSolid(cr, FBrush.Color(), {Normalized(R)});
}

void TCanvas::FrameRect(const TRect& R0)
{
    cairo_t* cr = RequireHandle()->Cr;
    TRect R = Normalized(R0);
    if (FBrush.Style() == bsClear || IsRectEmpty(R))
        return;
    FillSolid(cr, FBrush.Color(), {TRect{R.Left, R.Top, R.Right, R.Top + 1}, TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom},
                    TRect{R.Left, R.Top + 1, R.Left + 1, R.Bottom - 1}, TRect{R.Right - 1, R.Top + 1, R.Right, R.Bottom - 1}});
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2)
{
    cairo_t* cr = RequireHandle()->Cr;
    TRect R = Normalized(TRect{X1, Y1, X2, Y2});
    if (IsRectEmpty(R))
        return;
    bool pen = FPen.Style() != psClear;
    int w = pen ? std::min(FPen.Width(), std::min(R.Width(), R.Height()) / 2 + 1) : 0;
    if (FBrush.Style() != bsClear) {
        FillSolid(cr, FBrush.Color(), {TRect{R.Left + w, R.Top + w, R.Right - w, R.Bottom - w}});
    }
    if (!pen)
        return;
    // The outline lies inside the rectangle, Pen.Width pixels thick.
    SetColor(cr, FPen.Color());
    if (FPen.Style() == psSolid || FPen.Style() == psInsideFrame || w > 1) {
        FillSolid(cr, FPen.Color(), {TRect{R.Left, R.Top, R.Right, R.Top + w}, TRect{R.Left, R.Bottom - w, R.Right, R.Bottom},
                        TRect{R.Left, R.Top + w, R.Left + w, R.Bottom - w}, TRect{R.Right - w, R.Top + w, R.Right, R.Bottom - w}});
        return;
    }
    TPoint save = FPenPos;
    MoveTo(R.Left, R.Top);
    LineTo(R.Right - 1, R.Top);
    LineTo(R.Right - 1, R.Bottom - 1);
    LineTo(R.Left, R.Bottom - 1);
    LineTo(R.Left, R.Top);
    FPenPos = save;
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2)
{
    cairo_t* cr = RequireHandle()->Cr;
    TRect R = Normalized(TRect{X1, Y1, X2, Y2});
    if (IsRectEmpty(R))
        return;
    double w = FPen.Style() == psClear ? 0 : FPen.Width();
    double cx = (R.Left + R.Right) / 2.0, cy = (R.Top + R.Bottom) / 2.0;
    double rx = R.Width() / 2.0 - w / 2, ry = R.Height() / 2.0 - w / 2;
    if (rx <= 0 || ry <= 0)
        return;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    if (FBrush.Style() != bsClear) {
        SetColor(cr, FBrush.Color());
        cairo_fill_preserve(cr);
    }
    if (w > 0) {
        SetColor(cr, FPen.Color());
        cairo_set_line_width(cr, w);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
}

namespace {
// On/off pattern of a 1-pixel pen style, in pixels.
std::vector<int> DashPattern(TPenStyle s)
{
    switch (s) {
    case psDash: return {6, 2};
    case psDot: return {1, 1};
    case psDashDot: return {6, 2, 1, 2};
    case psDashDotDot: return {6, 2, 1, 2, 1, 2};
    default: return {};
    }
}
} // namespace

void TCanvas::StrokeLine(int X0, int Y0, int X1, int Y1)
{
    cairo_t* cr = FHandle->Cr;
    SetColor(cr, FPen.Color());
    if (FPen.Width() > 1) {
        // Wide pens: a stroke between pixel centres, square ends.
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_set_line_width(cr, FPen.Width());
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        cairo_move_to(cr, X0 + 0.5, Y0 + 0.5);
        cairo_line_to(cr, X1 + 0.5, Y1 + 0.5);
        cairo_stroke(cr);
        cairo_restore(cr);
        return;
    }
    std::vector<int> dash = DashPattern(FPen.Style());
    // Solid horizontal and vertical lines: one rectangle.
    if (dash.empty() && (Y0 == Y1 || X0 == X1)) {
        if (X0 == X1 && Y0 == Y1)
            return;
        TRect r = Y0 == Y1 ? (X0 < X1 ? TRect{X0, Y0, X1, Y0 + 1} : TRect{X1 + 1, Y0, X0 + 1, Y0 + 1})
                           : (Y0 < Y1 ? TRect{X0, Y0, X0 + 1, Y1} : TRect{X0, Y1 + 1, X0 + 1, Y0 + 1});
        FillSolid(cr, FPen.Color(), {r});
        return;
    }
    // Lines far longer than any raster: an unantialiased stroke instead of visiting every
    // pixel (the end pixel may then be drawn).
    if (std::max(std::abs(double(X1) - X0), std::abs(double(Y1) - Y0)) > 65536) {
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_line_width(cr, 1);
        if (!dash.empty()) {
            std::vector<double> d(dash.begin(), dash.end());
            cairo_set_dash(cr, d.data(), int(d.size()), 0);
        }
        cairo_move_to(cr, X0 + 0.5, Y0 + 0.5);
        cairo_line_to(cr, X1 + 0.5, Y1 + 0.5);
        cairo_stroke(cr);
        cairo_restore(cr);
        return;
    }
    // One-pixel lines: Bresenham from (X0, Y0) up to but without (X1, Y1), horizontal runs
    // gathered into rectangles.
    int period = 0;
    for (int d : dash)
        period += d;
    auto visible = [&](int n) {
        if (period == 0)
            return true;
        int k = n % period;
        for (std::size_t i = 0; i < dash.size(); ++i) {
            if (k < dash[i])
                return i % 2 == 0;
            k -= dash[i];
        }
        return true;
    };
    std::vector<TRect> px;
    auto plot = [&](int x, int y) {
        if (!px.empty() && px.back().Top == y && px.back().Right == x)
            px.back().Right = x + 1;
        else
            px.push_back(TRect{x, y, x + 1, y + 1});
    };
    int dx = std::abs(X1 - X0), dy = -std::abs(Y1 - Y0);
    int sx = X0 < X1 ? 1 : -1, sy = Y0 < Y1 ? 1 : -1;
    int err = dx + dy;
    int x = X0, y = Y0, n = 0;
    while (!(x == X1 && y == Y1)) {
        if (visible(n++))
            plot(x, y);
        int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
    FillSolid(cr, FPen.Color(), px);
}

void TCanvas::LineTo(int X, int Y)
{
    RequireHandle();
    if (FPen.Style() != psClear)
        StrokeLine(FPenPos.x, FPenPos.y, X, Y);
    FPenPos = TPoint{X, Y};
}

void TCanvas::DrawFocusRect(const TRect& R) { korin::DrawFocusRect(RequireHandle(), R); }

// ---- Text ---------------------------------------------------------------------------

void TCanvas::DrawTextLine(int X, int Y, const std::string& Text, bool Clip, const TRect& ClipTo, bool OpaqueCell)
{
    HDC dc = RequireHandle();
    cairo_t* cr = dc->Cr;
    TTextLayout layout(FFont, Text, (FTextFlags & ETO_RTLREADING) != 0);
    TSize ext = layout.Extent();
    cairo_save(cr);
    if (Clip) {
        cairo_new_path(cr);
        TRect c = Normalized(ClipTo);
        cairo_rectangle(cr, c.Left, c.Top, c.Width(), c.Height());
        cairo_clip(cr);
    }
    if (OpaqueCell && dc->BkMode == OPAQUE && FBrush.Style() != bsClear) {
        FillSolid(cr, FBrush.Color(), {TRect{X, Y, X + ext.cx, Y + ext.cy}});
    }
    SetColor(cr, FFont.Color());
    layout.Show(cr, X, Y);
    cairo_restore(cr);
    FPenPos = TPoint{X + ext.cx, Y};
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) { DrawTextLine(X, Y, Text, false, TRect{}, true); }

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text, int Options)
{
    if ((Options & ETO_OPAQUE) && FBrush.Style() != bsClear)
        FillRect(R);
    DrawTextLine(X, Y, Text, (Options & ETO_CLIPPED) != 0, R, (Options & ETO_OPAQUE) == 0);
}

TSize TCanvas::TextExtent(const std::string& Text) const
{
    return TTextLayout(FFont, Text, (FTextFlags & ETO_RTLREADING) != 0).Extent();
}

// ---- Copying ----------------------------------------------------------------------

namespace {

// Paints Src (a surface whose pixel (0,0) is the source rectangle's top left, W x H pixels)
// into Dest with nearest-pixel scaling, mirrored as asked.
void PaintScaled(cairo_t* cr, cairo_surface_t* src, int W, int H, const TRect& Dest, bool mirrorX, bool mirrorY,
                 cairo_operator_t op)
{
    int dw = Dest.Width(), dh = Dest.Height();
    if (dw <= 0 || dh <= 0 || W <= 0 || H <= 0)
        return;
    double sx = double(W) / dw, sy = double(H) / dh;
    cairo_matrix_t m;
    // Pattern coordinates from user coordinates: x' = xx x + x0.
    double xx = mirrorX ? -sx : sx, x0 = mirrorX ? W + Dest.Left * sx : -Dest.Left * sx;
    double yy = mirrorY ? -sy : sy, y0 = mirrorY ? H + Dest.Top * sy : -Dest.Top * sy;
    cairo_matrix_init(&m, xx, 0, 0, yy, x0, y0);
    cairo_pattern_t* pat = cairo_pattern_create_for_surface(src);
    cairo_pattern_set_matrix(pat, &m);
    cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pat, CAIRO_EXTEND_PAD);
    cairo_save(cr);
    cairo_set_operator(cr, op);
    cairo_set_source(cr, pat);
    FillPixels(cr, {Dest});
    cairo_restore(cr);
    cairo_pattern_destroy(pat);
}

} // namespace

void TCanvas::CopyRect(const TRect& Dest, TCanvas& Source, const TRect& SrcRect)
{
    cairo_t* cr = RequireHandle()->Cr;
    cairo_t* scr = Source.RequireHandle()->Cr;
    TRect s = Normalized(SrcRect), d = Normalized(Dest);
    bool mirrorX = (SrcRect.Left > SrcRect.Right) != (Dest.Left > Dest.Right);
    bool mirrorY = (SrcRect.Top > SrcRect.Bottom) != (Dest.Top > Dest.Bottom);
    if (IsRectEmpty(s) || IsRectEmpty(d))
        return;
    // The source pixels are copied out first, so that a canvas may copy onto itself.
    double ox = s.Left, oy = s.Top;
    cairo_user_to_device(scr, &ox, &oy);
    cairo_surface_t* tmp = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, s.Width(), s.Height());
    cairo_t* tc = cairo_create(tmp);
    cairo_set_source_surface(tc, cairo_get_target(scr), -ox, -oy);
    cairo_set_operator(tc, CAIRO_OPERATOR_SOURCE);
    cairo_paint(tc);
    cairo_destroy(tc);
    PaintScaled(cr, tmp, s.Width(), s.Height(), d, mirrorX, mirrorY, CAIRO_OPERATOR_SOURCE);
    cairo_surface_destroy(tmp);
}

void TCanvas::Draw(int X, int Y, const TBitmap& Bitmap)
{
    StretchDraw(TRect{X, Y, X + Bitmap.Width(), Y + Bitmap.Height()}, Bitmap);
}

void TCanvas::StretchDraw(const TRect& R, const TBitmap& Bitmap)
{
    cairo_t* cr = RequireHandle()->Cr;
    if (Bitmap.Empty())
        return;
    cairo_surface_t* s = Bitmap.CreateDrawSurface();
    PaintScaled(cr, s, Bitmap.Width(), Bitmap.Height(), Normalized(R), false, false, CAIRO_OPERATOR_OVER);
    cairo_surface_destroy(s);
}

// ---- Clip, state, pixels ------------------------------------------------------------

TRect TCanvas::ClipRect()
{
    cairo_t* cr = RequireHandle()->Cr;
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    if (x2 <= x1 || y2 <= y1)
        return TRect{};
    return TRect{int(std::floor(x1)), int(std::floor(y1)), int(std::ceil(x2)), int(std::ceil(y2))};
}

void TCanvas::SetClipRegion(HRGN Rgn) { SelectClipRgn(RequireHandle(), Rgn); }

void TCanvas::IntersectClipRect(const TRect& R) { korin::IntersectClipRect(RequireHandle(), R.Left, R.Top, R.Right, R.Bottom); }

int TCanvas::SaveDC()
{
    int depth = korin::SaveDC(RequireHandle());
    FSaved.push_back(TSavedState{depth, FBrush.Color(), FBrush.Style(), FPen.Color(), FPen.Width(), FPen.Style(), FFont.Name(),
                                 FFont.Height(), FFont.Style(), FFont.Color(), FPenPos, FTextFlags});
    return depth;
}

bool TCanvas::RestoreDC(int Saved)
{
    HDC dc = RequireHandle();
    int depth = static_cast<int>(dc->Stack.size());
    int target = Saved < 0 ? depth + Saved + 1 : Saved;
    if (!korin::RestoreDC(dc, Saved))
        return false;
    while (!FSaved.empty() && FSaved.back().Depth >= target) {
        if (FSaved.back().Depth == target) {
            TSavedState s = FSaved.back();
            FSaved.pop_back();
            FBrush.SetColor(s.BrushColor);
            FBrush.SetStyle(s.BrushStyle);
            FPen.SetColor(s.PenColor);
            FPen.SetWidth(s.PenWidth);
            FPen.SetStyle(s.PenStyle);
            FFont.SetName(s.FontName);
            FFont.SetHeight(s.FontHeight);
            FFont.SetStyle(s.FontStyle);
            FFont.SetColor(s.FontColor);
            FPenPos = s.PenPos;
            FTextFlags = s.TextFlags;
            break;
        }
        FSaved.pop_back();
    }
    return true;
}

TColor TCanvas::Pixels(int X, int Y)
{
    cairo_t* cr = RequireHandle()->Cr;
    cairo_surface_t* s = cairo_get_target(cr);
    if (cairo_surface_get_type(s) != CAIRO_SURFACE_TYPE_IMAGE)
        return CLR_INVALID;
    double dx = X, dy = Y;
    cairo_user_to_device(cr, &dx, &dy);
    int x = int(std::floor(dx)), y = int(std::floor(dy));
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    cairo_format_t f = cairo_image_surface_get_format(s);
    if (x < 0 || y < 0 || x >= w || y >= h || (f != CAIRO_FORMAT_ARGB32 && f != CAIRO_FORMAT_RGB24))
        return CLR_INVALID;
    const unsigned char* row = cairo_image_surface_get_data(s) + std::size_t(y) * cairo_image_surface_get_stride(s);
    std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
    int a = f == CAIRO_FORMAT_ARGB32 ? int(p >> 24) : 255;
    int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    if (a != 0 && a != 255) {
        r = std::min(255, (r * 255 + a / 2) / a);
        g = std::min(255, (g * 255 + a / 2) / a);
        b = std::min(255, (b * 255 + a / 2) / a);
    }
    return RGB(r, g, b);
}

void TCanvas::SetPixel(int X, int Y, TColor Color)
{
    cairo_t* cr = RequireHandle()->Cr;
    FillSolid(cr, Color, {TRect{X, Y, X + 1, Y + 1}});
}

}  // namespace korin
