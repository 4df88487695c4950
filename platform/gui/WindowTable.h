#pragma once
// The window table the controls share: window handles to their controls, the next
// handle to give out, the control with the keyboard focus and the one holding the
// mouse. TControl, TWinControl and the focus and capture functions read and write it.
#include <unordered_map>

#include "korin/platform/gui/Controls.h"

namespace korin {
namespace wintable {

extern std::unordered_map<HWND, TWinControl*> g_handles;
extern HWND g_nextHandle;
extern TWinControl* g_focus;
extern TControl* g_capture;

}  // namespace wintable
}  // namespace korin
