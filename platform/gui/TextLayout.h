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
class TTextLayout {
public:
    TTextLayout(const TFont& Font, const std::string& Text, bool RightToLeft, bool SingleParagraph = true);
    ~TTextLayout();
    TTextLayout(const TTextLayout&) = delete;
    TTextLayout& operator=(const TTextLayout&) = delete;

    PangoLayout* Layout() const { return FLayout; }
    // Width and height of the logical extent, in whole pixels.
    TSize Extent() const;
    // Draws the text with its logical extent's top left at (X, Y), in cr's current source.
    void Show(cairo_t* cr, int X, int Y) const;

private:
    PangoLayout* FLayout;
};

}  // namespace korin
