#pragma once
// DrawText: text laid out in a rectangle (alignment, line and word breaks, accelerator
// prefixes, ellipsis), drawn with a canvas's font.
#include <string>

#include "korin/platform/gui/Canvas.h"

namespace korin {

constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_RTLREADING = 0x20000;
constexpr unsigned DT_HIDEPREFIX = 0x100000;

// Draws Text in R with the canvas's font; answers the height of the text. Lines break at
// '\n' (unless DT_SINGLELINE) and, with DT_WORDBREAK, between words that would pass R's
// right edge. DT_VCENTER and DT_BOTTOM place a single line (DT_SINGLELINE) vertically.
// Without DT_NOPREFIX an '&' underlines the character after it and "&&" shows one '&'.
// DT_CALCRECT draws nothing and sets R's right and bottom edges to the text's extent.
// Text is clipped to R unless DT_NOCLIP; with an OPAQUE background mode and a solid brush
// the text's cells are filled with the brush colour.
int DrawText(TCanvas& Canvas, const std::string& Text, TRect& R, unsigned Flags);

}  // namespace korin
