#include "korin/platform/gui/Region.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace korin {

namespace {
// Half-open horizontal span [first, second).
using Span = std::pair<int, int>;
using Spans = std::vector<Span>;

struct Band {
    int Top;
    int Bottom; // exclusive
    Spans Runs; // sorted, disjoint, non-adjacent, non-empty
};
} // namespace

struct TRegionData {
    std::vector<Band> Bands; // sorted by Top, disjoint, no empty band
};

namespace {

// Appends a band, merging it into the previous one when it continues it with the same spans.
void AppendBand(std::vector<Band>& bands, int top, int bottom, Spans runs)
{
    if (top >= bottom || runs.empty())
        return;
    if (!bands.empty() && bands.back().Bottom == top && bands.back().Runs == runs) {
        bands.back().Bottom = bottom;
        return;
    }
    bands.push_back(Band{top, bottom, std::move(runs)});
}

bool Holds(const Spans& s, int x)
{
    for (const auto& r : s)
        if (x >= r.first && x < r.second)
            return true;
    return false;
}

bool Apply(int mode, bool a, bool b)
{
    switch (mode) {
    case RGN_AND: return a && b;
    case RGN_OR: return a || b;
    case RGN_XOR: return a != b;
    case RGN_DIFF: return a && !b;
    default: return a;
    }
}

Spans CombineSpans(const Spans& a, const Spans& b, int mode)
{
    std::vector<int> xs;
    for (const auto& r : a) { xs.push_back(r.first); xs.push_back(r.second); }
    for (const auto& r : b) { xs.push_back(r.first); xs.push_back(r.second); }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    Spans out;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        int x0 = xs[i], x1 = xs[i + 1];
        if (!Apply(mode, Holds(a, x0), Holds(b, x0)))
            continue;
        if (!out.empty() && out.back().second == x0)
            out.back().second = x1;
        else
            out.emplace_back(x0, x1);
    }
    return out;
}

const Spans* SpansAt(const std::vector<Band>& bands, int y)
{
    static const Spans none;
    for (const auto& b : bands)
        if (y >= b.Top && y < b.Bottom)
            return &b.Runs;
    return &none;
}

std::vector<Band> CombineBands(const std::vector<Band>& a, const std::vector<Band>& b, int mode)
{
    std::vector<int> ys;
    for (const auto& x : a) { ys.push_back(x.Top); ys.push_back(x.Bottom); }
    for (const auto& x : b) { ys.push_back(x.Top); ys.push_back(x.Bottom); }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::vector<Band> out;
    for (std::size_t i = 0; i + 1 < ys.size(); ++i)
        AppendBand(out, ys[i], ys[i + 1], CombineSpans(*SpansAt(a, ys[i]), *SpansAt(b, ys[i]), mode));
    return out;
}

int Kind(const TRegionData* r)
{
    if (r->Bands.empty())
        return NULLREGION;
    return r->Bands.size() == 1 && r->Bands[0].Runs.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// Coordinates are clamped to +-2^27 (as the host's graphics do), which keeps the products
// below within 128 bits.
constexpr int CoordLimit = 1 << 27;
constexpr int CornerLimit = 1 << 17;
int Clamp(int v) { return std::clamp(v, -CoordLimit, CoordLimit); }

// Whether the centre of pixel (x, y) lies in the ellipse inscribed in the rectangle
// [l, r) x [t, b). With doubled coordinates the centre is (2x + 1, 2y + 1), the ellipse's
// centre (l + r, t + b) and its axes r - l and b - t, so the test is exact in integers:
// (X / A)^2 + (Y / B)^2 <= 1  <=>  X^2 B^2 + Y^2 A^2 <= A^2 B^2.
bool InEllipse(int x, int y, int l, int t, int r, int b)
{
    using Wide = __int128;
    Wide X = 2 * Wide(x) + 1 - (Wide(l) + r);
    Wide Y = 2 * Wide(y) + 1 - (Wide(t) + b);
    Wide A = Wide(r) - l, B = Wide(b) - t;
    return X * X * B * B + Y * Y * A * A <= A * A * B * B;
}

// A rectangle whose corners are cut by the ellipse of cw x ch; cw = width and ch = height
// give the inscribed ellipse. Row by row: the first pixel of the row that is either past
// the left corner zone or inside the corner ellipse starts the span; the span is symmetric.
HRGN MakeRoundRect(int l, int t, int r, int b, int cw, int ch)
{
    auto* rgn = new TRegionData;
    l = Clamp(l); t = Clamp(t); r = Clamp(r); b = Clamp(b);
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    if (l == r || t == b)
        return rgn;
    // Corner ellipses cost one band per row: they are limited to CornerLimit pixels so that
    // an absurd size cannot exhaust memory.
    cw = std::clamp(cw, 0, std::min(r - l, CornerLimit));
    ch = std::clamp(ch, 0, std::min(b - t, CornerLimit));
    if (cw == 0 || ch == 0) {
        AppendBand(rgn->Bands, t, b, Spans{{l, r}});
        return rgn;
    }
    // The first column of row my (a row of the top corner zone) inside the shape: going
    // right from l, pixels turn from outside to inside the corner ellipse once, and past the
    // zone (column l + (cw + 1) / 2 on) all are inside. Binary search for the turn.
    auto firstColumn = [&](int my) {
        int lo = l, hi = l + (cw + 1) / 2;
        while (lo < hi) {
            int mid = lo + (hi - lo) / 2;
            if (InEllipse(mid, my, l, t, l + cw, t + ch))
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    };
    // ch / 2 rows at the top test against the top-left ellipse, the same number at the
    // bottom are their mirror image; the rows between are whole. Spans are symmetric.
    int zone = ch / 2;
    auto row = [&](int y, int my) {
        int xs = firstColumn(my), xe = l + r - xs;
        if (xs < xe)
            AppendBand(rgn->Bands, y, y + 1, Spans{{xs, xe}});
    };
    for (int y = t; y < t + zone; ++y)
        row(y, y);
    AppendBand(rgn->Bands, t + zone, b - zone, Spans{{l, r}});
    for (int y = b - zone; y < b; ++y)
        row(y, t + b - 1 - y);
    return rgn;
}

} // namespace

HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom)
{
    auto* rgn = new TRegionData;
    Left = Clamp(Left); Top = Clamp(Top); Right = Clamp(Right); Bottom = Clamp(Bottom);
    if (Left > Right) std::swap(Left, Right);
    if (Top > Bottom) std::swap(Top, Bottom);
    AppendBand(rgn->Bands, Top, Bottom, Left < Right ? Spans{{Left, Right}} : Spans{});
    return rgn;
}

HRGN CreateRectRgnIndirect(const TRect& R) { return CreateRectRgn(R.Left, R.Top, R.Right, R.Bottom); }

HRGN CreateEllipticRgn(int Left, int Top, int Right, int Bottom)
{
    return MakeRoundRect(Left, Top, Right, Bottom, CoordLimit * 2, CoordLimit * 2); // clamped to the full size
}

HRGN CreateRoundRectRgn(int Left, int Top, int Right, int Bottom, int CornerWidth, int CornerHeight)
{
    return MakeRoundRect(Left, Top, Right, Bottom, CornerWidth, CornerHeight);
}

int CombineRgn(HRGN Dest, HRGN A, HRGN B, int Mode)
{
    if (!Dest || !A || Mode < RGN_AND || Mode > RGN_COPY || (Mode != RGN_COPY && !B))
        return RGN_ERROR;
    if (Mode == RGN_COPY)
        Dest->Bands = A->Bands;
    else
        Dest->Bands = CombineBands(A->Bands, B->Bands, Mode);
    return Kind(Dest);
}

bool PtInRegion(HRGN Rgn, int X, int Y) { return Rgn && Holds(*SpansAt(Rgn->Bands, Y), X); }

bool RectInRegion(HRGN Rgn, const TRect& R)
{
    if (!Rgn || IsRectEmpty(R))
        return false;
    for (const auto& b : Rgn->Bands) {
        if (b.Bottom <= R.Top || b.Top >= R.Bottom)
            continue;
        for (const auto& s : b.Runs)
            if (s.first < R.Right && s.second > R.Left)
                return true;
    }
    return false;
}

bool EqualRgn(HRGN A, HRGN B) { return A && B && A->Bands.size() == B->Bands.size() && CombineBands(A->Bands, B->Bands, RGN_XOR).empty(); }

int OffsetRgn(HRGN Rgn, int DX, int DY)
{
    if (!Rgn)
        return RGN_ERROR;
    for (auto& b : Rgn->Bands) {
        b.Top += DY;
        b.Bottom += DY;
        for (auto& s : b.Runs) {
            s.first += DX;
            s.second += DX;
        }
    }
    return Kind(Rgn);
}

int GetRgnBox(HRGN Rgn, TRect* Box)
{
    if (!Rgn)
        return RGN_ERROR;
    TRect r{};
    if (!Rgn->Bands.empty()) {
        r.Top = Rgn->Bands.front().Top;
        r.Bottom = Rgn->Bands.back().Bottom;
        r.Left = Rgn->Bands.front().Runs.front().first;
        r.Right = Rgn->Bands.front().Runs.back().second;
        for (const auto& b : Rgn->Bands) {
            r.Left = std::min(r.Left, b.Runs.front().first);
            r.Right = std::max(r.Right, b.Runs.back().second);
        }
    }
    if (Box)
        *Box = r;
    return Kind(Rgn);
}

bool DeleteObject(HRGN Rgn)
{
    if (!Rgn)
        return false;
    delete Rgn;
    return true;
}

std::vector<TRect> RegionRects(HRGN Rgn)
{
    std::vector<TRect> out;
    if (!Rgn)
        return out;
    for (const auto& b : Rgn->Bands)
        for (const auto& s : b.Runs)
            out.push_back(TRect{s.first, b.Top, s.second, b.Bottom});
    return out;
}

HRGN CopyRgn(HRGN Rgn)
{
    auto* r = new TRegionData;
    if (Rgn)
        r->Bands = Rgn->Bands;
    return r;
}

}  // namespace korin
