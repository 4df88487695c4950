#pragma once
// Top-level windows that are not forms: hint windows, popup menus and dropped-down lists.
//
// Such a window has no parent; its Left and Top are screen coordinates. It registers
// itself here for its lifetime, so that window backends can give every showing popup an
// OS window of its own and route the pointer to it, and renderers can paint popups above
// the forms. Popups never take the focus; those that need the keyboard (a menu) watch it
// through the thread's keyboard hook, and those that need the pointer capture the mouse.
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

void RegisterPopupWindow(TWinControl* Window);
void UnregisterPopupWindow(TWinControl* Window);
bool IsPopupWindow(const TControl* Control);
// Puts a popup above the other popups (topmost ones stay above the rest).
void BringPopupToFront(TWinControl* Window);
// The showing popups in z-order, bottom first.
std::vector<TWinControl*> PopupWindows();
// The uppermost showing popup whose shape (bounds and window region) holds the screen
// point; Local receives the point in the popup's client coordinates. Null when none.
TWinControl* PopupWindowAt(TPoint ScreenPoint, TPoint* Local = nullptr);
// The top-level window that holds Control: its form or popup, or the control itself.
TWinControl* TopLevelWindow(const TControl* Control);

// Renders a window as RenderWindow does, with the showing popups that overlap it drawn
// above it in z-order at their screen places (shaped by their window regions): a form
// with its dropped-down list, open menu or hint, as the screen shows it.
std::unique_ptr<TBitmap> RenderWindowWithPopups(TWinControl* Window, bool WithFrame = true);
void SaveWindowWithPopupsToPNG(TWinControl* Window, const std::string& Path, bool WithFrame = true);

}  // namespace korin
