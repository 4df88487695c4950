#pragma once
// Shortcut tables: the lookup of a key in a table of shortcut texts.
#include "korin/nav/Vdbnavbtn.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

// The button whose entry in ShortCuts equals the text of ShortCut ("Ctrl+E"), compared
// exactly; the lowest button wins when entries repeat. An empty entry is "no shortcut"
// and never matches. NotFound tells whether any entry matched (the result is then
// vnbFirst).
TVNavigateBtn FindShortCut(TShortCut ShortCut, const TShortCutArray* ShortCuts, bool& NotFound);

}  // namespace korin
