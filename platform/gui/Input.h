#pragma once
// Scripted input for tests and headless runs: each call queues one input event on the
// headless backend, which delivers it when the application asks for input — exactly as
// a window system would. Nothing happens until the application processes messages
// (Application->ProcessMessages(), or a modal loop).
#include <cstdint>
#include <functional>
#include <string>

#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/Messages.h"

namespace korin {

class TInputScript {
public:
    // Key down / key up of one virtual key (modifiers are keys too: VK_SHIFT, …).
    TInputScript& KeyDown(std::uint16_t Key);
    TInputScript& KeyUp(std::uint16_t Key);
    // A whole key press with modifiers: modifiers down, key down, key up, modifiers up.
    TInputScript& Key(std::uint16_t Key, TShiftState Shift = 0);
    // Types text: letters, digits, space and the usual punctuation as key presses; other
    // characters as character input.
    TInputScript& Type(const std::string& Utf8Text);
    // Mouse at a point of Control (client coordinates; the centre by default).
    TInputScript& MouseDown(TControl* Control, int X = -1, int Y = -1, TMouseButton Button = mbLeft);
    TInputScript& MouseUp(TControl* Control, int X = -1, int Y = -1, TMouseButton Button = mbLeft);
    TInputScript& MouseMove(TControl* Control, int X = -1, int Y = -1);
    TInputScript& Click(TControl* Control, int X = -1, int Y = -1, TMouseButton Button = mbLeft);
    TInputScript& DblClick(TControl* Control, int X = -1, int Y = -1);
    // Turns the mouse wheel over a point of Control (the centre by default): Delta is
    // WHEEL_DELTA per notch, positive away from the user.
    TInputScript& Wheel(TControl* Control, int Delta, int X = -1, int Y = -1);
    // Runs the application's clock forward; due timers fire in time order.
    TInputScript& AdvanceTime(int Ms);
    // The application loses or regains the activation (another application was used).
    TInputScript& ActivateApp(bool Active);
    // Any other step, run when its turn comes.
    TInputScript& Call(std::function<void()> Step);
};

// Queues a script and processes messages until nothing is left.
void RunScript(const std::function<void(TInputScript&)>& Build);

}  // namespace korin
