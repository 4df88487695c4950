#pragma once
// Keyboard services: shortcut values and their menu texts, key state, and the keyboard
// hook of the user-interface thread.
#include <cstdint>
#include <functional>
#include <string>

#include "korin/platform/gui/Messages.h"
#include "korin/platform/gui/Types.h"

namespace korin {

// A shortcut: a virtual-key code with modifier bits.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(std::uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, std::uint16_t& Key, TShiftState& Shift);
// "Shift+", "Ctrl+", "Alt+" in that order, then the key's name ("Ctrl+PgUp",
// "Shift+Ctrl+D", "F3"). A key without a name gives the empty text.
std::string ShortCutToText(TShortCut ShortCut);
// The inverse; 0 for a text that names no key. Modifier prefixes are read in any order
// and case.
TShortCut TextToShortCut(const std::string& Text);
// The name of a key alone ("PgDn", "A", "F12"), or "" when it has none.
std::string KeyName(std::uint16_t Key);

// Shift, Ctrl and Alt of a keyboard message's LParam.
TShiftState KeyDataToShiftState(LPARAM KeyData);
// Builds the LParam of a keyboard message.
LPARAM MakeKeyData(TShiftState Shift, bool KeyUp, bool WasDown, int RepeatCount = 1);

// Key state as the thread sees it: the high bit (result < 0) while the key is down,
// bit 0 while a lock key is toggled on.
std::int16_t GetKeyState(int VirtualKey);
// Kept by the input system; tests may set lock-key toggles directly.
void SetKeyDown(int VirtualKey, bool Down);
void SetKeyToggled(int VirtualKey, bool On);
void ResetKeyState();

// Keyboard hook of the current thread. The hook sees every key-down and key-up message
// before it is dispatched: code >= 0, WParam = virtual-key code, LParam = key flags.
// A non-zero answer discards the message.
using HHOOK = std::uintptr_t;
using HOOKPROC = std::function<LRESULT(int Code, WPARAM wParam, LPARAM lParam)>;
constexpr int WH_KEYBOARD = 2;
constexpr int HC_ACTION = 0;
HHOOK SetWindowsHookEx(int IdHook, HOOKPROC Proc, std::uintptr_t Module, std::uint32_t ThreadId);
LRESULT CallNextHookEx(HHOOK Hook, int Code, WPARAM wParam, LPARAM lParam);
bool UnhookWindowsHookEx(HHOOK Hook);
std::uint32_t GetCurrentThreadId();
// Runs the hook chain for one keyboard message; true when a hook discarded it.
bool CallKeyboardHooks(WPARAM VirtualKey, LPARAM KeyFlags);
int KeyboardHookCount();

}  // namespace korin
