// Text drawn straight into the pixels of an image surface: the glyphs Pango laid out, each
// placed where Cairo places it and blended over the pixels as Cairo's compositor does, so
// the pixels are the ones pango_cairo_show_layout gives. Cairo's general set-up for a run of
// glyphs (device extents, clip, compositor choice) and its per-glyph compositing cost far
// more than the few dozen pixels of a grid cell's text.
#include <pango/pangocairo.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "korin/platform/gui/DirectPixels.h"
#include "korin/platform/gui/TextLayout.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korin {

namespace {

// A glyph's coverage as Cairo renders it (greyscale), and where its top left lies from the
// glyph's origin rounded to a whole pixel.
struct TGlyphMask {
    bool Usable = false;  // false: too big to be kept; text using it is left to Cairo
    int Dx = 0, Dy = 0, W = 0, H = 0;
    int Stride = 0;  // W and three zero bytes, so four bytes can be read from any pixel
    std::vector<std::uint8_t> Alpha;
    // The glyph's ink box from its origin in 1/256 pixel, as Cairo keeps it to judge
    // whether the glyphs of a run overlap.
    std::int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// A double in Cairo's 24.8 fixed point: the nearest 1/256, ties to even.
inline std::int32_t Fixed(double v) { return std::int32_t(std::nearbyint(v * 256.0)); }

// The coverage of one glyph, taken from Cairo itself: the glyph drawn alone in opaque
// black at a whole-pixel origin on an empty 8-bit surface leaves exactly its coverage there.
TGlyphMask RenderGlyph(cairo_scaled_font_t* Font, unsigned long Glyph)
{
    constexpr int Size = 160, Origin = 64;
    TGlyphMask m;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, Size, Size);
    cairo_t* cr = cairo_create(s);
    cairo_set_scaled_font(cr, Font);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_glyph_t g{Glyph, double(Origin), double(Origin)};
    cairo_show_glyphs(cr, &g, 1);
    // The ink box, from the font the context really draws with.
    cairo_glyph_t at0{Glyph, 0, 0};
    cairo_text_extents_t e;
    cairo_scaled_font_glyph_extents(cairo_get_scaled_font(cr), &at0, 1, &e);
    const bool noInk = e.width == 0 || e.height == 0;
    if (!noInk) {
        m.X1 = Fixed(e.x_bearing);
        m.Y1 = Fixed(e.y_bearing);
        m.X2 = Fixed(e.x_bearing + e.width);
        m.Y2 = Fixed(e.y_bearing + e.height);
    }
    bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_flush(s);
    if (ok && cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        const unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        int x0 = Size, y0 = Size, x1 = -1, y1 = -1;
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x)
                if (data[y * stride + x]) {
                    x0 = std::min(x0, x), y0 = std::min(y0, y);
                    x1 = std::max(x1, x), y1 = std::max(y1, y);
                }
        if (x1 < 0) {
            m.Usable = noInk;  // a space: no ink, its box a point at the origin
        } else if (!noInk && x0 > 0 && y0 > 0 && x1 < Size - 1 && y1 < Size - 1) {
            m.Usable = true;
            m.Dx = x0 - Origin;
            m.Dy = y0 - Origin;
            m.W = x1 - x0 + 1;
            m.H = y1 - y0 + 1;
            m.Stride = m.W + 3;
            m.Alpha.assign(std::size_t(m.Stride) * std::size_t(m.H), 0);
            for (int y = 0; y < m.H; ++y)
                for (int x = 0; x < m.W; ++x)
                    m.Alpha[std::size_t(y) * m.Stride + x] = data[(y0 + y) * stride + x0 + x];
        }
    }
    cairo_surface_destroy(s);
    return m;
}

// Glyph coverages of the calling thread by font and glyph; the fonts are kept alive while
// their glyphs are kept. Emptied whole when full, between two drawings only (a drawing holds
// pointers to the coverages it places).
class TGlyphMasks {
public:
    static constexpr std::size_t Capacity = 4096;

    ~TGlyphMasks() { Clear(); }

    const TGlyphMask* Get(PangoFont* Font, PangoGlyph Glyph)
    {
        TKey key{Font, Glyph};
        auto it = FMasks.find(key);
        if (it != FMasks.end())
            return &it->second;
        cairo_scaled_font_t* sf = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(Font));
        if (!sf || cairo_scaled_font_status(sf) != CAIRO_STATUS_SUCCESS)
            return nullptr;
        if (std::find(FFonts.begin(), FFonts.end(), Font) == FFonts.end())
            FFonts.push_back(static_cast<PangoFont*>(g_object_ref(Font)));
        return &FMasks.emplace(key, RenderGlyph(sf, Glyph)).first->second;
    }

    // Called before a drawing looks glyphs up.
    void Trim()
    {
        if (FMasks.size() >= Capacity)
            Clear();
    }

private:
    struct TKey {
        PangoFont* Font;
        PangoGlyph Glyph;
        bool operator==(const TKey&) const = default;
    };
    struct THash {
        std::size_t operator()(const TKey& k) const
        {
            return std::hash<const void*>()(k.Font) ^ (std::size_t(k.Glyph) * 0x9E3779B97F4A7C15ull);
        }
    };

    void Clear()
    {
        FMasks.clear();
        for (PangoFont* f : FFonts)
            g_object_unref(f);
        FFonts.clear();
    }

    std::unordered_map<TKey, TGlyphMask, THash> FMasks;
    std::vector<PangoFont*> FFonts;
};

TGlyphMasks& GlyphMasks()
{
    thread_local TGlyphMasks masks;
    return masks;
}

// Two 8-bit channels held in the 16-bit lanes of X (0x00ff00ff) each times A / 255,
// rounded as Cairo's compositor rounds: t = x a + 128, (t + t / 256) / 256.
inline std::uint32_t MulLanes(std::uint32_t X, std::uint32_t A)
{
    std::uint32_t t = X * A + 0x00800080u;
    return ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// The solid source with coverage M over the pixel D, channel by channel (alpha included):
// source times coverage plus the pixel times what the coverage leaves, saturated at 255.
inline std::uint32_t Over(std::uint32_t Src, std::uint32_t M, std::uint32_t D)
{
    std::uint32_t rb = MulLanes(Src & 0x00FF00FFu, M) + MulLanes(D & 0x00FF00FFu, 255 - M);
    std::uint32_t ag = MulLanes((Src >> 8) & 0x00FF00FFu, M) + MulLanes((D >> 8) & 0x00FF00FFu, 255 - M);
    rb |= 0x01000100u - ((rb >> 8) & 0x00FF00FFu);
    ag |= 0x01000100u - ((ag >> 8) & 0x00FF00FFu);
    return (rb & 0x00FF00FFu) | ((ag & 0x00FF00FFu) << 8);
}

// The 8-bit value Cairo's compositor takes for a colour channel given as a double.
inline std::uint32_t Channel(double v) { return std::uint32_t(std::uint16_t(v * (65536.0 - 1e-5))) >> 8; }

struct TPlaced {
    const TGlyphMask* Mask;
    long long X, Y;  // the glyph's origin rounded to whole surface pixels
};

struct TRun {
    std::size_t First, Count;  // in the placed glyphs
    bool Overlap;              // Cairo gathers the glyphs in one mask before blending
};

// True when a run is drawn with its glyphs alone: its extra attributes only chose how the
// text was itemized and shaped (single-paragraph layouts show line breaks as glyphs).
bool PlainRun(const PangoAnalysis& An)
{
    if (!An.font || (An.flags & PANGO_ANALYSIS_FLAG_CENTERED_BASELINE))
        return false;
    for (GSList* l = An.extra_attrs; l; l = l->next) {
        switch (static_cast<PangoAttribute*>(l->data)->klass->type) {
        case PANGO_ATTR_SHOW:
        case PANGO_ATTR_LANGUAGE:
        case PANGO_ATTR_FAMILY:
        case PANGO_ATTR_STYLE:
        case PANGO_ATTR_WEIGHT:
        case PANGO_ATTR_VARIANT:
        case PANGO_ATTR_STRETCH:
        case PANGO_ATTR_SIZE:
        case PANGO_ATTR_FONT_DESC:
        case PANGO_ATTR_ABSOLUTE_SIZE:
        case PANGO_ATTR_FALLBACK:
        case PANGO_ATTR_ALLOW_BREAKS:
        case PANGO_ATTR_INSERT_HYPHENS:
        case PANGO_ATTR_WORD:
        case PANGO_ATTR_SENTENCE:
            break;
        default:
            return false;
        }
    }
    return true;
}

// A line to draw and its origin (left end of the baseline) from the current point, in
// Pango units.
struct TLineAt {
    PangoLayoutLine* Line;
    int X, Y;
};

bool ShowLinesUnchecked(cairo_t* cr, PangoLayout* Layout, const TLineAt* Lines, std::size_t Count)
{
    // The source: one opaque colour, drawn over the pixels.
    if (cairo_get_operator(cr) != CAIRO_OPERATOR_OVER || !cairo_has_current_point(cr))
        return false;
    cairo_pattern_t* source = cairo_get_source(cr);
    double r, g, b, a;
    if (cairo_pattern_get_type(source) != CAIRO_PATTERN_TYPE_SOLID ||
        cairo_pattern_get_rgba(source, &r, &g, &b, &a) != CAIRO_STATUS_SUCCESS || a != 1.0)
        return false;
    const std::uint32_t src = 0xFF000000u | (Channel(r) << 16) | (Channel(g) << 8) | Channel(b);
    if (pango_context_get_matrix(pango_layout_get_context(Layout)))
        return false;
    TDirectTarget t;
    if (!t.Open(cr))
        return false;
    [[maybe_unused]] const long long surfaceWidth = t.Width();
    // Cairo leaves out glyphs lying far outside the clip's extents before judging overlaps;
    // text with such glyphs is left to it.
    long long cx1, cy1, cx2, cy2;
    if (!t.Extents(cx1, cy1, cx2, cy2))
        return true;  // nothing can show

    // Glyph positions as Pango's renderer computes them from the current point (one Cairo
    // call per run), moved to the surface by the origin as Cairo moves them.
    double x0, y0;
    cairo_get_current_point(cr, &x0, &y0);
    GlyphMasks().Trim();
    thread_local std::vector<TPlaced> placed;
    thread_local std::vector<TRun> runs;
    placed.clear();
    runs.clear();
    bool ok = true;
    for (std::size_t li = 0; li < Count && ok; ++li) {
        PangoLayoutLine* line = Lines[li].Line;
        const int lineX = Lines[li].X, baseline = Lines[li].Y;
        int xOff = 0;
        for (GSList* l = line->runs; l && ok; l = l->next) {
            auto* run = static_cast<PangoGlyphItem*>(l->data);
            const PangoAnalysis& an = run->item->analysis;
            // Runs with attributes that the renderer acts on (underlines, colours, rises,
            // shapes) or vertical baselines are drawn with more than glyphs: left to Pango.
            if (!PlainRun(an)) {
                ok = false;
                break;
            }
            cairo_scaled_font_t* sf = pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(an.font));
            if (!sf || cairo_scaled_font_status(sf) != CAIRO_STATUS_SUCCESS) {
                ok = false;
                break;
            }
            cairo_matrix_t scale;
            cairo_scaled_font_get_scale_matrix(sf, &scale);
            const double margin = 10 * std::max(std::abs(scale.xx) + std::abs(scale.xy), std::abs(scale.yx) + std::abs(scale.yy));
            const int width = pango_glyph_string_get_width(run->glyphs);
            xOff += run->start_x_offset;
            const double baseX = x0 + double(lineX + xOff) / PANGO_SCALE;
            const double baseY = y0 + double(baseline - run->y_offset) / PANGO_SCALE;
            TRun one{placed.size(), 0, false};
            // Cairo's overlap judgement: a glyph's ink box (at its rounded origin) meeting
            // the box around all glyphs before it in the same call.
            std::int32_t bx1 = INT32_MAX, by1 = INT32_MAX, bx2 = INT32_MIN, by2 = INT32_MIN;
            int xPosition = 0;
            for (int i = 0; i < run->glyphs->num_glyphs; ++i) {
                const PangoGlyphInfo& gi = run->glyphs->glyphs[i];
                if (gi.glyph != PANGO_GLYPH_EMPTY) {
                    if (gi.glyph & PANGO_GLYPH_UNKNOWN_FLAG) {
                        ok = false;  // drawn as a box with the code in it
                        break;
                    }
                    double cx = baseX + double(xPosition + gi.geometry.x_offset) / PANGO_SCALE;
                    double cy = gi.geometry.y_offset == 0 ? baseY : baseY + double(gi.geometry.y_offset) / PANGO_SCALE;
                    double dx = cx + (0.0 + double(t.Ox)), dy = cy + (0.0 + double(t.Oy));
                    if (!(dx >= cx1 - margin && dx <= cx2 + margin && dy >= cy1 - margin && dy <= cy2 + margin)) {
                        ok = false;
                        break;
                    }
                    const TGlyphMask* m = GlyphMasks().Get(an.font, gi.glyph);
                    if (!m || !m->Usable) {
                        ok = false;
                        break;
                    }
                    const long long px = (long long)std::floor(dx + 0.5), py = (long long)std::floor(dy + 0.5);
                    const std::int32_t fx = std::int32_t(px * 256), fy = std::int32_t(py * 256);
                    const std::int32_t gx1 = fx + m->X1, gy1 = fy + m->Y1, gx2 = fx + m->X2, gy2 = fy + m->Y2;
                    if (!one.Overlap && gx1 != gx2 && gy1 != gy2)
                        one.Overlap = gx2 > bx1 && gx1 < bx2 && gy2 > by1 && gy1 < by2;
                    bx1 = std::min(bx1, gx1), by1 = std::min(by1, gy1), bx2 = std::max(bx2, gx2), by2 = std::max(by2, gy2);
                    placed.push_back(TPlaced{m, px, py});
                }
                xPosition += gi.geometry.width;
            }
            one.Count = placed.size() - one.First;
            runs.push_back(one);
            xOff += width + run->end_x_offset;
        }
    }
    if (!ok)
        return false;

    // Pixels l to r - 1 of a surface row under a coverage row that starts at pixel X, four
    // at a time (the same sums, in 16-bit lanes); four uncovered pixels are skipped. The
    // last group may reach past r: its pixels there have no coverage (the coverage rows end
    // in zeros) and are written back as they were, as long as they are in the row.
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128(), x0080 = _mm_set1_epi16(0x0080), x0101 = _mm_set1_epi16(0x0101),
                  x00ff = _mm_set1_epi16(0x00FF);
    const __m128i srcLanes = _mm_unpacklo_epi8(_mm_set1_epi32(int(src)), zero);
    auto mul = [&](__m128i a, __m128i b) { return _mm_mulhi_epu16(_mm_adds_epu16(_mm_mullo_epi16(a, b), x0080), x0101); };
#endif
    auto blend = [&](std::uint32_t* row, long long l, long long r, const std::uint8_t* coverage, long long X) {
        long long x = l;
#if defined(__SSE2__)
        const long long end = std::min(r, surfaceWidth - 3);  // groups start before this
        for (; x < end; x += 4) {
            std::uint32_t m4;
            std::memcpy(&m4, coverage + (x - X), 4);
            if (x + 4 > r)
                m4 &= 0xFFFFFFFFu >> (8 * (x + 4 - r));  // no coverage past r
            if (m4 == 0)
                continue;
            __m128i mv = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(m4)), zero);
            mv = _mm_unpacklo_epi16(mv, mv);
            const __m128i mLo = _mm_unpacklo_epi32(mv, mv), mHi = _mm_unpackhi_epi32(mv, mv);
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
            const __m128i lo = _mm_add_epi16(mul(srcLanes, mLo), mul(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(x00ff, mLo)));
            const __m128i hi = _mm_add_epi16(mul(srcLanes, mHi), mul(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(x00ff, mHi)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), _mm_packus_epi16(lo, hi));
        }
#endif
        for (; x < r; ++x) {
            std::uint32_t m = coverage[x - X];
            if (m == 0xFF)
                row[x] = src;
            else if (m)
                row[x] = Over(src, m, row[x]);
        }
    };
    thread_local std::vector<std::uint8_t> cover;
    for (const TRun& run : runs) {
        if (!run.Overlap) {
            // Glyph after glyph, each blended over what the ones before left.
            for (std::size_t k = run.First; k < run.First + run.Count; ++k) {
                const TPlaced& p = placed[k];
                const TGlyphMask& m = *p.Mask;
                if (m.W == 0)
                    continue;
                const long long mx = p.X + m.Dx, my = p.Y + m.Dy;
                TRect box{int(mx - t.Ox), int(my - t.Oy), int(mx - t.Ox + m.W), int(my - t.Oy + m.H)};
                t.Spans(box, [&](std::uint32_t* row, long long y, long long l, long long r) {
                    blend(row, l, r, m.Alpha.data() + std::size_t(y - my) * m.Stride, mx);
                });
            }
            continue;
        }
        // One mask for the run: the coverages added (at most full), blended once.
        long long bx0 = LLONG_MAX, by0 = LLONG_MAX, bx1 = LLONG_MIN, by1 = LLONG_MIN;
        for (std::size_t k = run.First; k < run.First + run.Count; ++k) {
            const TPlaced& p = placed[k];
            if (p.Mask->W == 0)
                continue;
            bx0 = std::min(bx0, p.X + p.Mask->Dx), by0 = std::min(by0, p.Y + p.Mask->Dy);
            bx1 = std::max(bx1, p.X + p.Mask->Dx + p.Mask->W), by1 = std::max(by1, p.Y + p.Mask->Dy + p.Mask->H);
        }
        if (bx0 >= bx1)
            continue;
        const long long bw = bx1 - bx0 + 3, bh = by1 - by0;
        cover.assign(std::size_t(bw * bh), 0);
        for (std::size_t k = run.First; k < run.First + run.Count; ++k) {
            const TPlaced& p = placed[k];
            const TGlyphMask& m = *p.Mask;
            for (int y = 0; y < m.H; ++y) {
                std::uint8_t* row = cover.data() + std::size_t((p.Y + m.Dy - by0 + y) * bw + (p.X + m.Dx - bx0));
                const std::uint8_t* alpha = m.Alpha.data() + std::size_t(y) * m.Stride;
                for (int x = 0; x < m.W; ++x)
                    row[x] = std::uint8_t(std::min(255, row[x] + alpha[x]));
            }
        }
        TRect box{int(bx0 - t.Ox), int(by0 - t.Oy), int(bx1 - t.Ox), int(by1 - t.Oy)};
        t.Spans(box, [&](std::uint32_t* row, long long y, long long l, long long r) {
            blend(row, l, r, cover.data() + std::size_t((y - by0) * bw), bx0);
        });
    }
    t.MarkDirty();
    return true;
}

// The lines of Layout where Pango's renderer puts them: each at its logical left, on its
// baseline.
void LinesOf(PangoLayout* Layout, std::vector<TLineAt>& Lines)
{
    Lines.clear();
    PangoLayoutIter* iter = pango_layout_get_iter(Layout);
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        Lines.push_back(TLineAt{pango_layout_iter_get_line_readonly(iter), logical.x, pango_layout_iter_get_baseline(iter)});
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
}

// Whether the direct path gives Cairo's pixels with the Cairo and pixman this process runs
// on. It follows their rules for placing glyphs (origins rounded to whole pixels), for
// judging overlaps and for blending; another version of them may place or blend glyphs
// differently, and then text would look a little different from what Cairo draws. So a
// sample is drawn both ways once, at origins on, between and halfway between pixels, on a
// patterned ground; one differing pixel leaves all text to Pango and Cairo.
bool CheckAgainstCairo()
{
    constexpr int W = 240, H = 64;
    cairo_surface_t* surface[2];
    bool drewDirect = false, same = true;
    for (int k = 0; k < 2; ++k) {
        surface[k] = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, W, H);
        cairo_t* cr = cairo_create(surface[k]);
        for (int y = 0; y < H; y += 4)
            for (int x = 0; x < W; x += 6) {
                cairo_set_source_rgb(cr, (x % 5) / 4.0, (y % 7) / 6.0, ((x + y) % 3) / 2.0);
                cairo_rectangle(cr, x, y, 6, 4);
                cairo_fill(cr);
            }
        PangoLayout* layout = pango_layout_new(TextContext(false));  // as the controls' text is made
        PangoFontDescription* font = pango_font_description_from_string("Sans 9");
        pango_layout_set_font_description(layout, font);
        pango_font_description_free(font);
        pango_layout_set_text(layout, "Korin Ag0,;W fi Qy\nrecord 1/200", -1);
        std::vector<TLineAt> lines;
        LinesOf(layout, lines);
        const double origins[][2] = {{2, 1}, {61.25, 2.5}, {120.5, 3.75}, {179.75, 30.49}, {3.3, 31.6}};
        for (const auto& o : origins) {
            cairo_set_source_rgb(cr, 0.1, 0.2, 0.6);
            cairo_move_to(cr, o[0], o[1]);
            if (k == 1 && ShowLinesUnchecked(cr, layout, lines.data(), lines.size()))
                drewDirect = true;
            else
                pango_cairo_show_layout(cr, layout);
        }
        g_object_unref(layout);
        same = same && cairo_status(cr) == CAIRO_STATUS_SUCCESS;
        cairo_destroy(cr);
        cairo_surface_flush(surface[k]);
        same = same && cairo_surface_status(surface[k]) == CAIRO_STATUS_SUCCESS;
    }
    for (int y = 0; same && y < H; ++y)
        same = std::memcmp(cairo_image_surface_get_data(surface[0]) + y * cairo_image_surface_get_stride(surface[0]),
                           cairo_image_surface_get_data(surface[1]) + y * cairo_image_surface_get_stride(surface[1]),
                           std::size_t(W) * 4) == 0;
    cairo_surface_destroy(surface[0]);
    cairo_surface_destroy(surface[1]);
    return same && drewDirect;
}

bool ShowLinesDirect(cairo_t* cr, PangoLayout* Layout, const TLineAt* Lines, std::size_t Count)
{
    return DirectTextMatchesCairo() && ShowLinesUnchecked(cr, Layout, Lines, Count);
}

} // namespace

bool DirectTextMatchesCairo()
{
    static const bool matches = CheckAgainstCairo();
    return matches;
}

bool ShowLayoutDirect(cairo_t* cr, PangoLayout* Layout)
{
    thread_local std::vector<TLineAt> lines;
    LinesOf(Layout, lines);
    return ShowLinesDirect(cr, Layout, lines.data(), lines.size());
}

bool ShowLayoutLineDirect(cairo_t* cr, PangoLayoutLine* Line)
{
    TLineAt at{Line, 0, 0};
    return Line && Line->layout && ShowLinesDirect(cr, Line->layout, &at, 1);
}

}  // namespace korin
