#pragma once
// Text measuring and drawing through Pango, shared by the canvas and DrawText. Internal to
// the drawing layer: callers use TCanvas and DrawText.
#include <pango/pangocairo.h>

#include <string>

#include "korin/platform/gui/Canvas.h"

namespace korin {

// The Pango context all text is laid out in: its own font map at 96 dpi, hinting off,
// metrics unhinted, greyscale antialiasing; one context per base direction.
PangoContext* TextContext(bool RightToLeft);

// The Pango font for a TFont (family resolved, size in pixels); free with
// pango_font_description_free. Underline and strike-out are layout attributes, not part of
// the description.
PangoFontDescription* CreateFontDescription(const TFont& Font);

// One laid-out text. SingleParagraph keeps line breaks from splitting the text (TextOut).
//
// A shared layout (the default) comes from a small per-thread cache of recent layouts
// keyed by the font (name, height, style), the direction, the paragraph mode and the
// text: text measured and then drawn, or drawn again at the next paint, is shaped once.
// A shared layout must not be changed; code that sets widths, wrapping or attributes on
// the layout asks for a private one (Shared false), made fresh as before.
class TTextLayout {
public:
    TTextLayout(const TFont& Font, const std::string& Text, bool RightToLeft, bool SingleParagraph = true,
                bool Shared = true);
    ~TTextLayout();
    TTextLayout(const TTextLayout&) = delete;
    TTextLayout& operator=(const TTextLayout&) = delete;

    PangoLayout* Layout() const { return FLayout; }
    // Width and height of the logical extent, in whole pixels.
    TSize Extent() const;
    // Draws the text with its logical extent's top left at (X, Y), in cr's current source.
    void Show(cairo_t* cr, int X, int Y) const;

private:
    PangoRectangle Logical() const;
    PangoLayout* FLayout = nullptr;
    bool FShared;
    PangoRectangle FLogical{};  // a shared layout's logical extent, pixels
};

// Draws Layout with its top left at cr's current point in cr's source, writing the pixels
// of the image surface cr draws on itself, when that gives exactly what
// pango_cairo_show_layout gives (an opaque colour over whole-pixel clips and origins, glyphs
// that do not share pixels, no attributes); false, with nothing drawn, when the layout has
// to be left to Pango and Cairo.
bool ShowLayoutDirect(cairo_t* cr, PangoLayout* Layout);
// The same for one line of a layout with the left end of its baseline at the current
// point, as pango_cairo_show_layout_line draws it.
bool ShowLayoutLineDirect(cairo_t* cr, PangoLayoutLine* Line);
// True when drawing text straight into the pixels gives exactly what Cairo gives with the
// Cairo and pixman this process runs on (checked once, on a sample); when false, every
// text is drawn by Pango and Cairo.
bool DirectTextMatchesCairo();

// The text layout cache of the calling thread: how many layouts it holds, how many
// lookups it answered and how many layouts it made; Clear empties it (the counters too).
struct TTextCacheStats {
    std::size_t Entries = 0;
    std::size_t Hits = 0;
    std::size_t Misses = 0;
};
TTextCacheStats TextCacheStats();
void ClearTextCache();

}  // namespace korin
