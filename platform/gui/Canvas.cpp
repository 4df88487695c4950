// The device context and canvas drawing calls (shapes, lines, text, copies) and the direct
// pixel paths they take; one family of drawing primitives, kept together although over the
// usual length.
#include "korin/platform/gui/Canvas.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <strings.h>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/DirectPixels.h"
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

// FillSolid for rectangles that may overlap: when Cairo has to do it, each rectangle is a
// fill of its own, so the fill rule never leaves an overlap out.
void FillSolidEach(cairo_t* cr, TColor Color, const std::vector<TRect>& Rects)
{
    SetColor(cr, Color);
    if (FillDirect(cr, OpaquePixel(Color), Rects.data(), Rects.size()))
        return;
    for (const TRect& r : Rects)
        FillPixels(cr, {r});
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

void TCanvas::FillRects(const TColorRect* Rects, std::size_t Count)
{
    cairo_t* cr = RequireHandle()->Cr;
    if (Count == 0)
        return;
    cairo_operator_t op = cairo_get_operator(cr);
    TDirectTarget t;
    if ((op == CAIRO_OPERATOR_OVER || op == CAIRO_OPERATOR_SOURCE) && t.Open(cr)) {
        for (std::size_t i = 0; i < Count; ++i) {
            std::uint32_t pixel = OpaquePixel(Rects[i].Color);
            t.Spans(Normalized(Rects[i].Rect),
                    [&](std::uint32_t* row, long long, long long l, long long r) { FillRow(row + l, r - l, pixel); });
        }
        t.MarkDirty();
        SetColor(cr, Rects[Count - 1].Color);
        return;
    }
    for (std::size_t i = 0; i < Count; ++i) {
        SetColor(cr, Rects[i].Color);
        FillPixels(cr, {Normalized(Rects[i].Rect)});
    }
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

namespace {

// Small ellipses (radio marks and their dots) drawn again and again: Cairo's antialiased
// fill and stroke of a 12-pixel circle costs far more than its pixels. An ellipse touches
// no pixel outside its rectangle, so when the rectangle lies whole inside the clip on a
// ground of one opaque colour, the origin moved by whole pixels, what Cairo draws depends
// only on the rectangle's size, the colours, the pen width, that ground and the context's
// drawing settings: the pixels Cairo drew the first time are kept and written again.
class TEllipseCache {
public:
    static constexpr std::size_t Capacity = 32;
    static constexpr int MaxPixels = 64 * 64;

    struct TKey {
        int W = 0, H = 0;
        double PenWidth = 0;
        bool Fill = false;
        std::uint32_t Brush = 0, Pen = 0, Ground = 0;
        int Antialias = 0, FillRule = 0, Cap = 0, Join = 0;
        double Miter = 0, Tolerance = 0;
        bool operator==(const TKey&) const = default;
    };

    const std::vector<std::uint32_t>* Find(const TKey& Key) const
    {
        for (const auto& e : FEntries)
            if (e.first == Key)
                return &e.second;
        return nullptr;
    }

    void Store(const TKey& Key, std::vector<std::uint32_t> Pixels)
    {
        if (FEntries.size() >= Capacity)
            FEntries.clear();
        FEntries.emplace_back(Key, std::move(Pixels));
    }

private:
    std::vector<std::pair<TKey, std::vector<std::uint32_t>>> FEntries;
};

TEllipseCache& EllipseCache()
{
    thread_local TEllipseCache cache;
    return cache;
}

// The key for an ellipse in R when its pixels may be kept or written from the cache: the
// target allows direct pixels (t opened), the operator is OVER, no dash is set, R is small,
// lies whole inside the clip, and every pixel under it has one opaque colour.
bool EllipseKey(cairo_t* cr, const TRect& R, double PenWidth, bool Fill, TColor Brush, TColor Pen,
                TEllipseCache::TKey& Key, TDirectTarget& t)
{
    if (cairo_get_operator(cr) != CAIRO_OPERATOR_OVER || cairo_get_dash_count(cr) != 0 ||
        R.Width() * R.Height() > TEllipseCache::MaxPixels || !t.Open(cr) || !t.Covers(R))
        return false;
    bool uniform = true;
    std::uint32_t ground = 0;
    t.Spans(R, [&](std::uint32_t* row, long long y, long long l, long long r) {
        if (y == R.Top + t.Oy)
            ground = row[l];
        for (long long x = l; x < r && uniform; ++x)
            uniform = row[x] == ground;
    });
    if (!uniform || (ground >> 24) != 0xFF)
        return false;
    Key.W = R.Width();
    Key.H = R.Height();
    Key.PenWidth = PenWidth;
    Key.Fill = Fill;
    Key.Brush = Fill ? OpaquePixel(Brush) : 0;
    Key.Pen = PenWidth > 0 ? OpaquePixel(Pen) : 0;
    Key.Ground = ground;
    Key.Antialias = cairo_get_antialias(cr);
    Key.FillRule = cairo_get_fill_rule(cr);
    Key.Cap = cairo_get_line_cap(cr);
    Key.Join = cairo_get_line_join(cr);
    Key.Miter = cairo_get_miter_limit(cr);
    Key.Tolerance = cairo_get_tolerance(cr);
    return true;
}

} // namespace

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
    bool fill = FBrush.Style() != bsClear;
    TEllipseCache::TKey key;
    TDirectTarget t;
    bool keep = EllipseKey(cr, R, w, fill, FBrush.Color(), FPen.Color(), key, t);
    if (keep) {
        if (const std::vector<std::uint32_t>* px = EllipseCache().Find(key)) {
            const std::uint32_t* src = px->data();
            t.Spans(R, [&](std::uint32_t* row, long long, long long l, long long r) {
                std::copy(src, src + (r - l), row + l);
                src += r - l;
            });
            t.MarkDirty();
            // The context is left as drawing the ellipse leaves it.
            if (fill)
                SetColor(cr, FBrush.Color());
            if (w > 0) {
                SetColor(cr, FPen.Color());
                cairo_set_line_width(cr, w);
            }
            cairo_new_path(cr);
            return;
        }
    }
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
    if (keep && cairo_status(cr) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(cairo_get_target(cr));
        std::vector<std::uint32_t> px;
        px.reserve(std::size_t(R.Width()) * std::size_t(R.Height()));
        t.Spans(R, [&](std::uint32_t* row, long long, long long l, long long r) { px.insert(px.end(), row + l, row + r); });
        EllipseCache().Store(key, std::move(px));
    }
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

void TCanvas::LineSegments(const TPoint* Points, std::size_t Count)
{
    if (Count == 0)
        return;
    cairo_t* cr = RequireHandle()->Cr;
    // Solid 1-pixel pens and lines that run straight across or down are rectangles (the
    // same StrokeLine draws), filled together; anything else is drawn line by line.
    bool straight = FPen.Style() != psClear && FPen.Width() <= 1 && DashPattern(FPen.Style()).empty();
    for (std::size_t i = 0; straight && i < Count; ++i)
        straight = Points[2 * i].x == Points[2 * i + 1].x || Points[2 * i].y == Points[2 * i + 1].y;
    if (!straight) {
        for (std::size_t i = 0; i < Count; ++i) {
            MoveTo(Points[2 * i].x, Points[2 * i].y);
            LineTo(Points[2 * i + 1].x, Points[2 * i + 1].y);
        }
        return;
    }
    std::vector<TRect> rects;
    rects.reserve(Count);
    for (std::size_t i = 0; i < Count; ++i) {
        int X0 = Points[2 * i].x, Y0 = Points[2 * i].y, X1 = Points[2 * i + 1].x, Y1 = Points[2 * i + 1].y;
        if (X0 == X1 && Y0 == Y1)
            continue;
        rects.push_back(Y0 == Y1 ? (X0 < X1 ? TRect{X0, Y0, X1, Y0 + 1} : TRect{X1 + 1, Y0, X0 + 1, Y0 + 1})
                                 : (Y0 < Y1 ? TRect{X0, Y0, X0 + 1, Y1} : TRect{X0, Y1 + 1, X0 + 1, Y0 + 1}));
    }
    if (rects.empty())
        SetColor(cr, FPen.Color());
    else
        FillSolidEach(cr, FPen.Color(), rects);
    FPenPos = Points[2 * Count - 1];
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
