#include "korin/platform/gui/Input.h"

#include <stdexcept>

#include "korin/platform/gui/Backend.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Popups.h"

namespace korin {

namespace {

// Scripted input goes to the backend's queue: the headless one, or a window backend,
// which delivers it before the window system's own input.
TBackend& ScriptQueue() { return Application->Backend(); }

void PushMouse(TControl* c, int x, int y, std::uint32_t msg, std::uint16_t buttonKey, int buttonDown)
{
    ScriptQueue().Push([=](TApplication& app) {
        if (!c)
            return;
        int px = x < 0 ? c->Width() / 2 : x;
        int py = y < 0 ? c->Height() / 2 : y;
        // The control's form, or the popup window (Popups.h) it lies on.
        TWinControl* form = TopLevelWindow(c);
        if (!form)
            return;
        TPoint screen = c->ClientToScreen(Point(px, py));
        if (buttonDown >= 0)
            SetKeyDown(buttonKey, buttonDown == 1);
        app.InputMouse(form, form->ScreenToClient(screen), msg);
    });
}

struct KeyFor {
    std::uint16_t Vk;
    bool Shift;
};

bool KeyForChar(char32_t ch, KeyFor& k)
{
    if (ch >= 'a' && ch <= 'z') { k = {static_cast<std::uint16_t>(ch - 'a' + 'A'), false}; return true; }
    if (ch >= 'A' && ch <= 'Z') { k = {static_cast<std::uint16_t>(ch), true}; return true; }
    if (ch >= '0' && ch <= '9') { k = {static_cast<std::uint16_t>(ch), false}; return true; }
    static const struct { char32_t c; std::uint16_t vk; bool sh; } table[] = {
        {' ', VK_SPACE, false}, {'\n', VK_RETURN, false}, {'\r', VK_RETURN, false}, {'\t', VK_TAB, false},
        {';', 0xBA, false}, {':', 0xBA, true}, {'=', 0xBB, false}, {'+', 0xBB, true}, {',', 0xBC, false},
        {'<', 0xBC, true}, {'-', 0xBD, false}, {'_', 0xBD, true}, {'.', 0xBE, false}, {'>', 0xBE, true},
        {'/', 0xBF, false}, {'?', 0xBF, true}, {'`', 0xC0, false}, {'~', 0xC0, true}, {'[', 0xDB, false},
        {'{', 0xDB, true}, {'\\', 0xDC, false}, {'|', 0xDC, true}, {']', 0xDD, false}, {'}', 0xDD, true},
        {'\'', 0xDE, false}, {'"', 0xDE, true}, {')', '0', true}, {'!', '1', true}, {'@', '2', true},
        {'#', '3', true}, {'$', '4', true}, {'%', '5', true}, {'^', '6', true}, {'&', '7', true},
        {'*', '8', true}, {'(', '9', true},
    };
    for (const auto& t : table)
        if (t.c == ch) {
            k = {t.vk, t.sh};
            return true;
        }
    return false;
}

std::u32string Decode(const std::string& s)
{
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp;
        int n;
        if (c < 0x80) { cp = c; n = 1; }
        else if ((c >> 5) == 6) { cp = c & 0x1F; n = 2; }
        else if ((c >> 4) == 14) { cp = c & 0x0F; n = 3; }
        else if ((c >> 3) == 30) { cp = c & 0x07; n = 4; }
        else { out.push_back(0xFFFD); ++i; continue; }
        if (i + static_cast<size_t>(n) > s.size()) { out.push_back(0xFFFD); break; }
        for (int j = 1; j < n; ++j)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(j)]) & 0x3F);
        out.push_back(cp);
        i += static_cast<size_t>(n);
    }
    return out;
}

}  // namespace

TInputScript& TInputScript::KeyDown(std::uint16_t k)
{
    ScriptQueue().Push([k](TApplication& app) { app.InputKey(k, true); });
    return *this;
}

TInputScript& TInputScript::KeyUp(std::uint16_t k)
{
    ScriptQueue().Push([k](TApplication& app) { app.InputKey(k, false); });
    return *this;
}

TInputScript& TInputScript::Key(std::uint16_t k, TShiftState Shift)
{
    if (Shift & ssShift) KeyDown(VK_SHIFT);
    if (Shift & ssCtrl) KeyDown(VK_CONTROL);
    if (Shift & ssAlt) KeyDown(VK_MENU);
    KeyDown(k);
    KeyUp(k);
    if (Shift & ssAlt) KeyUp(VK_MENU);
    if (Shift & ssCtrl) KeyUp(VK_CONTROL);
    if (Shift & ssShift) KeyUp(VK_SHIFT);
    return *this;
}

TInputScript& TInputScript::Type(const std::string& Utf8Text)
{
    for (char32_t ch : Decode(Utf8Text)) {
        KeyFor k;
        if (KeyForChar(ch, k))
            Key(k.Vk, k.Shift ? ssShift : 0);
        else
            ScriptQueue().Push([ch](TApplication& app) { app.InputChar(ch); });
    }
    return *this;
}

TInputScript& TInputScript::MouseDown(TControl* c, int x, int y, TMouseButton b)
{
    std::uint32_t msg = b == mbLeft ? WM_LBUTTONDOWN : b == mbRight ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    std::uint16_t vk = b == mbLeft ? VK_LBUTTON : b == mbRight ? VK_RBUTTON : VK_MBUTTON;
    PushMouse(c, x, y, msg, vk, 1);
    return *this;
}

TInputScript& TInputScript::MouseUp(TControl* c, int x, int y, TMouseButton b)
{
    std::uint32_t msg = b == mbLeft ? WM_LBUTTONUP : b == mbRight ? WM_RBUTTONUP : WM_MBUTTONUP;
    std::uint16_t vk = b == mbLeft ? VK_LBUTTON : b == mbRight ? VK_RBUTTON : VK_MBUTTON;
    PushMouse(c, x, y, msg, vk, 0);
    return *this;
}

TInputScript& TInputScript::MouseMove(TControl* c, int x, int y)
{
    PushMouse(c, x, y, WM_MOUSEMOVE, 0, -1);
    return *this;
}

TInputScript& TInputScript::Click(TControl* c, int x, int y, TMouseButton b)
{
    MouseDown(c, x, y, b);
    return MouseUp(c, x, y, b);
}

TInputScript& TInputScript::DblClick(TControl* c, int x, int y)
{
    Click(c, x, y);
    PushMouse(c, x, y, WM_LBUTTONDBLCLK, VK_LBUTTON, 1);
    return MouseUp(c, x, y);
}

TInputScript& TInputScript::Wheel(TControl* c, int Delta, int x, int y)
{
    ScriptQueue().Push([=](TApplication& app) {
        if (!c)
            return;
        TWinControl* form = TopLevelWindow(c);
        if (!form)
            return;
        TPoint screen = c->ClientToScreen(Point(x < 0 ? c->Width() / 2 : x, y < 0 ? c->Height() / 2 : y));
        app.InputWheel(form, form->ScreenToClient(screen), Delta);
    });
    return *this;
}

TInputScript& TInputScript::AdvanceTime(int Ms)
{
    ScriptQueue().Push([Ms](TApplication& app) { app.AdvanceClockTo(app.Now() + Ms); });
    return *this;
}

TInputScript& TInputScript::ActivateApp(bool Active)
{
    ScriptQueue().Push([Active](TApplication& app) { app.Activate(Active); });
    return *this;
}

TInputScript& TInputScript::Call(std::function<void()> Step)
{
    ScriptQueue().Push([Step = std::move(Step)](TApplication&) { Step(); });
    return *this;
}

void RunScript(const std::function<void(TInputScript&)>& Build)
{
    TInputScript s;
    Build(s);
    Application->ProcessMessages();
}

}  // namespace korin
