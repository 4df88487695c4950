#pragma once
// Small pieces the standard controls share: the sunken border of list and edit fields,
// a line of text centred in a row, the paging keys of lists, caption text drawn enabled
// or embossed, and chaining onto a font's change event.
#include <cstdint>
#include <functional>
#include <string>

#include "korin/platform/gui/Canvas.h"

namespace korin {
namespace ctlparts {

// The sunken 2-pixel border of list and edit fields; answers the inside.
TRect SunkenField(TCanvas& c, TRect r);

// One line of text at X, centred vertically in R and clipped to it.
void TextInRect(TCanvas& c, const TRect& r, int x, const std::string& text);

// The row a paging key moves to in a list of Count rows showing Page of them.
int MoveIndex(std::uint16_t key, int current, int count, int page);
bool IsPagingKey(std::uint16_t key);

// Draws text in the font colour, or embossed grey for a disabled control.
void DrawControlText(TCanvas& c, const std::string& text, TRect r, unsigned flags, bool enabled);

// Chains a handler to a font's change event, keeping whatever was there.
void OnFontChange(TFont& font, std::function<void()> handler);

}  // namespace ctlparts
}  // namespace korin
