#include "korin/platform/gui/DrawText.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "korin/platform/gui/TextLayout.h"

namespace korin {

namespace {

// The text as shown: "&&" becomes '&', a single '&' is dropped and underlines the
// character after it (byte ranges of those characters go to Marks).
std::string StripPrefixes(const std::string& text, std::vector<std::pair<int, int>>& marks)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        if (i + 1 >= text.size())
            break; // a trailing '&' marks nothing
        if (text[i + 1] == '&') {
            out += '&';
            ++i;
            continue;
        }
        // The marked character: one UTF-8 sequence.
        std::size_t n = 1;
        unsigned char lead = static_cast<unsigned char>(text[i + 1]);
        if (lead >= 0xF0) n = 4;
        else if (lead >= 0xE0) n = 3;
        else if (lead >= 0xC0) n = 2;
        n = std::min(n, text.size() - (i + 1));
        marks.emplace_back(int(out.size()), int(out.size() + n));
        out.append(text, i + 1, n);
        i += n;
    }
    return out;
}

void SetSourceColor(cairo_t* cr, TColor c)
{
    c = ColorToRGB(c);
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

} // namespace

int DrawText(TCanvas& Canvas, const std::string& Text, TRect& R, unsigned Flags)
{
    bool calc = (Flags & DT_CALCRECT) != 0;
    HDC dc = calc ? nullptr : Canvas.Handle();
    if (!calc && !dc)
        throw EInvalidGraphicOperation("Canvas does not allow drawing");
    bool single = (Flags & DT_SINGLELINE) != 0;

    std::string source = Text;
    if (!single)
        source.erase(std::remove(source.begin(), source.end(), '\r'), source.end());
    std::vector<std::pair<int, int>> marks;
    std::string shown = (Flags & DT_NOPREFIX) ? source : StripPrefixes(source, marks);
    bool rtl = (Flags & DT_RTLREADING) || (Canvas.TextFlags() & ETO_RTLREADING);
    int width = R.Width();
    bool underlineMarks = !marks.empty() && !(Flags & DT_HIDEPREFIX);
    bool wrap = (Flags & DT_WORDBREAK) && !single && width > 0;
    bool ellipsis = !wrap && (Flags & DT_END_ELLIPSIS) && width > 0;
    // A layout that gets attributes or a width of its own here is made for this call; a
    // plain one comes from the layout cache.
    TTextLayout text(Canvas.Font(), shown, rtl, single, !underlineMarks && !wrap && !ellipsis);
    PangoLayout* layout = text.Layout();

    if (underlineMarks) {
        PangoAttrList* old = pango_layout_get_attributes(layout);
        PangoAttrList* attrs = old ? pango_attr_list_copy(old) : pango_attr_list_new();
        for (auto [b, e] : marks) {
            PangoAttribute* a = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
            a->start_index = unsigned(b);
            a->end_index = unsigned(e);
            pango_attr_list_insert(attrs, a);
        }
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    if (wrap) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    } else if (ellipsis) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }

    // Lines: their own widths and vertical places in the layout.
    struct Line {
        PangoLayoutLine* L;
        int X;      // logical x relative to the line origin, pixels
        int W;      // logical width, pixels
        double Top; // layout coordinates, pixels
        double Baseline;
        int H;
    };
    std::vector<Line> lines;
    PangoLayoutIter* it = pango_layout_get_iter(layout);
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(it);
        PangoRectangle own, inLayout;
        pango_layout_line_get_pixel_extents(line, nullptr, &own);
        pango_layout_iter_get_line_extents(it, nullptr, &inLayout);
        // A line broken after a blank does not count the blank (left-to-right lines).
        if (!rtl && line->length > 0) {
            const char* t = pango_layout_get_text(layout) + line->start_index;
            int end = line->length;
            while (end > 0 && (t[end - 1] == ' ' || t[end - 1] == '\n'))
                --end;
            if (end < line->length) {
                int x = 0;
                pango_layout_line_index_to_x(line, line->start_index + end, FALSE, &x);
                own.width = std::max(0, PANGO_PIXELS(x) - own.x);
            }
        }
        lines.push_back(Line{line, own.x, own.width, double(inLayout.y) / PANGO_SCALE,
                             double(pango_layout_iter_get_baseline(it)) / PANGO_SCALE,
                             int(std::lround(double(inLayout.height) / PANGO_SCALE))});
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);

    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    int height = logical.height;
    int maxW = 0;
    for (const auto& l : lines)
        maxW = std::max(maxW, l.W);

    if (calc) {
        R.Right = R.Left + maxW;
        R.Bottom = R.Top + height;
        return height;
    }

    int top = R.Top;
    if (single && (Flags & DT_VCENTER))
        top = R.Top + (R.Height() - height) / 2;
    else if (single && (Flags & DT_BOTTOM))
        top = R.Bottom - height;

    cairo_t* cr = GetDCCairo(dc);
    cairo_save(cr);
    if (!(Flags & DT_NOCLIP)) {
        cairo_new_path(cr);
        cairo_rectangle(cr, std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::abs(R.Width()), std::abs(R.Height()));
        cairo_clip(cr);
    }
    bool opaque = GetBkMode(dc) == OPAQUE && Canvas.Brush().Style() != bsClear;
    for (const auto& l : lines) {
        int x = R.Left;
        if (Flags & DT_CENTER)
            x = R.Left + (width - l.W) / 2;
        else if (Flags & DT_RIGHT)
            x = R.Right - l.W;
        int lineTop = top + int(std::lround(l.Top));
        if (opaque) {
            SetSourceColor(cr, Canvas.Brush().Color());
            cairo_antialias_t aa = cairo_get_antialias(cr);
            cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
            cairo_new_path(cr);
            cairo_rectangle(cr, x, lineTop, l.W, l.H);
            cairo_fill(cr);
            cairo_set_antialias(cr, aa);
        }
        SetSourceColor(cr, Canvas.Font().Color());
        cairo_move_to(cr, x - l.X, top + l.Baseline);
        if (!ShowLayoutLineDirect(cr, l.L))
            pango_cairo_show_layout_line(cr, l.L);
        cairo_new_path(cr);
    }
    cairo_restore(cr);
    return height;
}

}  // namespace korin
