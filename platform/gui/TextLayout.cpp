#include "korin/platform/gui/TextLayout.h"

#include <cmath>
#include <list>
#include <map>
#include <set>
#include <strings.h>
#include <tuple>
#include <unordered_map>

namespace korin {

namespace {

PangoFontMap* FontMap()
{
    static PangoFontMap* map = [] {
        PangoFontMap* m = pango_cairo_font_map_new();
        pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(m), 96.0);
        return m;
    }();
    return map;
}

PangoContext* MakeContext(PangoDirection dir)
{
    PangoContext* ctx = pango_font_map_create_context(FontMap());
    cairo_font_options_t* opts = cairo_font_options_create();
    cairo_font_options_set_hint_style(opts, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(opts, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(opts, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(ctx, opts);
    cairo_font_options_destroy(opts);
    pango_cairo_context_set_resolution(ctx, 96.0);
    pango_context_set_base_dir(ctx, dir);
    pango_context_set_language(ctx, pango_language_from_string("en"));
    return ctx;
}

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

// The installed font families; a name not among them falls back to the default font.
const std::set<std::string, NoCase>& Families()
{
    static const std::set<std::string, NoCase> names = [] {
        std::set<std::string, NoCase> s;
        PangoFontFamily** fams = nullptr;
        int n = 0;
        pango_font_map_list_families(FontMap(), &fams, &n);
        for (int i = 0; i < n; ++i)
            s.insert(pango_font_family_get_name(fams[i]));
        g_free(fams);
        return s;
    }();
    return names;
}

std::string Family(const std::string& name)
{
    if (!name.empty() && Families().count(name))
        return name;
    return DefaultFontName;
}

// The cell height (ascent + descent) of a font per pixel of its em size.
double CellPerEm(const std::string& family, TFontStyles style)
{
    static std::map<std::tuple<std::string, int>, double> cache;
    int key = style & (fsBold | fsItalic);
    auto it = cache.find({family, key});
    if (it != cache.end())
        return it->second;
    const int ref = 1000;
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, family.c_str());
    pango_font_description_set_weight(d, (style & fsBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, (style & fsItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(d, ref * PANGO_SCALE);
    PangoFontMetrics* m = pango_context_get_metrics(TextContext(false), d, nullptr);
    double cell = double(pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m)) / PANGO_SCALE;
    pango_font_metrics_unref(m);
    pango_font_description_free(d);
    double ratio = cell > 0 ? cell / ref : 1.0;
    cache[{family, key}] = ratio;
    return ratio;
}

} // namespace

PangoContext* TextContext(bool RightToLeft)
{
    static PangoContext* ltr = MakeContext(PANGO_DIRECTION_LTR);
    static PangoContext* rtl = MakeContext(PANGO_DIRECTION_RTL);
    return RightToLeft ? rtl : ltr;
}

PangoFontDescription* CreateFontDescription(const TFont& Font)
{
    std::string family = Family(Font.Name());
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family(d, family.c_str());
    pango_font_description_set_weight(d, (Font.Style() & fsBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, (Font.Style() & fsItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    double em;
    if (Font.Height() < 0)
        em = -Font.Height();
    else if (Font.Height() > 0)
        em = Font.Height() / CellPerEm(family, Font.Style());
    else
        em = 11;
    pango_font_description_set_absolute_size(d, std::round(em * PANGO_SCALE));
    return d;
}

namespace {

PangoLayout* MakeLayout(const TFont& Font, const std::string& Text, bool RightToLeft, bool SingleParagraph)
{
    PangoLayout* layout = pango_layout_new(TextContext(RightToLeft));
    pango_layout_set_auto_dir(layout, FALSE);
    pango_layout_set_single_paragraph_mode(layout, SingleParagraph);
    PangoFontDescription* d = CreateFontDescription(Font);
    pango_layout_set_font_description(layout, d);
    pango_font_description_free(d);
    // Invalid UTF-8 is shown with replacement characters rather than refused.
    if (g_utf8_validate(Text.data(), static_cast<gssize>(Text.size()), nullptr)) {
        pango_layout_set_text(layout, Text.data(), static_cast<int>(Text.size()));
    } else {
        gchar* fixed = g_utf8_make_valid(Text.data(), static_cast<gssize>(Text.size()));
        pango_layout_set_text(layout, fixed, -1);
        g_free(fixed);
    }
    if (Font.Style() & (fsUnderline | fsStrikeOut)) {
        PangoAttrList* attrs = pango_attr_list_new();
        if (Font.Style() & fsUnderline)
            pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (Font.Style() & fsStrikeOut)
            pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    return layout;
}

// Recently used layouts, least recently used dropped first. Short texts only: the labels,
// captions and grid cells that every paint draws again; long texts (a memo's) are laid
// out afresh, so the cache stays small (a few hundred kilobytes when full).
class TLayoutCache {
public:
    static constexpr std::size_t Capacity = 1024;
    static constexpr std::size_t MaxText = 256;

    ~TLayoutCache() { Clear(); }

    // A new reference to the layout for the key, made on a miss, and its logical extent
    // in pixels (measured once, as the layout never changes).
    PangoLayout* Get(const TFont& Font, const std::string& Text, bool RightToLeft, bool SingleParagraph,
                     PangoRectangle& Logical)
    {
        if (Text.size() > MaxText) {
            PangoLayout* layout = MakeLayout(Font, Text, RightToLeft, SingleParagraph);
            pango_layout_get_pixel_extents(layout, nullptr, &Logical);
            return layout;
        }
        // The key holds everything the layout depends on; the font colour is not among it
        // (text is drawn in the cairo source colour).
        FKey.clear();
        FKey += Font.Name();
        FKey += '\0';
        FKey += std::to_string(Font.Height());
        FKey += ',';
        FKey += std::to_string(static_cast<int>(Font.Style()));
        FKey += RightToLeft ? 'R' : 'L';
        FKey += SingleParagraph ? 'S' : 'M';
        FKey += '\0';
        FKey += Text;
        auto it = FIndex.find(FKey);
        if (it != FIndex.end()) {
            ++FStats.Hits;
            FOrder.splice(FOrder.begin(), FOrder, it->second);
            Logical = it->second->Logical;
            return static_cast<PangoLayout*>(g_object_ref(it->second->Layout));
        }
        ++FStats.Misses;
        PangoLayout* layout = MakeLayout(Font, Text, RightToLeft, SingleParagraph);
        pango_layout_get_pixel_extents(layout, nullptr, &Logical);
        if (FOrder.size() >= Capacity) {
            FIndex.erase(FOrder.back().Key);
            g_object_unref(FOrder.back().Layout);
            FOrder.pop_back();
        }
        FOrder.push_front(TEntry{FKey, static_cast<PangoLayout*>(g_object_ref(layout)), Logical});
        FIndex.emplace(FKey, FOrder.begin());
        return layout;
    }

    void Clear()
    {
        for (auto& e : FOrder)
            g_object_unref(e.Layout);
        FOrder.clear();
        FIndex.clear();
        FStats = {};
    }

    TTextCacheStats Stats() const
    {
        TTextCacheStats s = FStats;
        s.Entries = FOrder.size();
        return s;
    }

private:
    struct TEntry {
        std::string Key;
        PangoLayout* Layout;
        PangoRectangle Logical;
    };
    std::list<TEntry> FOrder;
    std::unordered_map<std::string, std::list<TEntry>::iterator> FIndex;
    std::string FKey;
    TTextCacheStats FStats;
};

TLayoutCache& LayoutCache()
{
    thread_local TLayoutCache cache;
    return cache;
}

} // namespace

TTextCacheStats TextCacheStats() { return LayoutCache().Stats(); }

void ClearTextCache() { LayoutCache().Clear(); }

TTextLayout::TTextLayout(const TFont& Font, const std::string& Text, bool RightToLeft, bool SingleParagraph, bool Shared)
    : FShared(Shared)
{
    if (Shared)
        FLayout = LayoutCache().Get(Font, Text, RightToLeft, SingleParagraph, FLogical);
    else
        FLayout = MakeLayout(Font, Text, RightToLeft, SingleParagraph);
}

TTextLayout::~TTextLayout() { g_object_unref(FLayout); }

PangoRectangle TTextLayout::Logical() const
{
    if (FShared)
        return FLogical;
    // A private layout may have been changed since it was made.
    PangoRectangle logical;
    pango_layout_get_pixel_extents(FLayout, nullptr, &logical);
    return logical;
}

TSize TTextLayout::Extent() const
{
    PangoRectangle logical = Logical();
    return TSize{logical.width, logical.height};
}

void TTextLayout::Show(cairo_t* cr, int X, int Y) const
{
    PangoRectangle logical = Logical();
    cairo_move_to(cr, X - logical.x, Y - logical.y);
    if (!ShowLayoutDirect(cr, FLayout))
        pango_cairo_show_layout(cr, FLayout);
    cairo_new_path(cr);
}

}  // namespace korin
