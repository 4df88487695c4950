#include "korin/platform/gui/Keyboard.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <pthread.h>
#include <vector>

namespace korin {

namespace {

struct NamedKey {
    std::uint16_t Key;
    const char* Name;
};

constexpr NamedKey kNamedKeys[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},  {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},  {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

std::array<std::uint8_t, 256> g_keys{};  // bit 7 down, bit 0 toggled

struct Hook {
    HHOOK Handle;
    HOOKPROC Proc;
};
std::vector<Hook> g_hooks;  // most recently installed first
HHOOK g_nextHook = 1;

}  // namespace

TShortCut ShortCut(std::uint16_t Key, TShiftState Shift)
{
    if (Key & 0xFF00)
        return scNone;
    TShortCut r = Key;
    if (Shift & ssShift)
        r |= scShift;
    if (Shift & ssCtrl)
        r |= scCtrl;
    if (Shift & ssAlt)
        r |= scAlt;
    return r;
}

void ShortCutToKey(TShortCut sc, std::uint16_t& Key, TShiftState& Shift)
{
    Key = sc & 0x00FF;
    Shift = 0;
    if (sc & scShift)
        Shift |= ssShift;
    if (sc & scCtrl)
        Shift |= ssCtrl;
    if (sc & scAlt)
        Shift |= ssAlt;
}

std::string KeyName(std::uint16_t Key)
{
    if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9'))
        return std::string(1, static_cast<char>(Key));
    if (Key >= VK_F1 && Key <= VK_F12)
        return "F" + std::to_string(Key - VK_F1 + 1);
    for (const auto& k : kNamedKeys)
        if (k.Key == Key)
            return k.Name;
    return {};
}

std::string ShortCutToText(TShortCut sc)
{
    std::string name = KeyName(sc & 0xFF);
    if (name.empty())
        return {};
    std::string r;
    if (sc & scShift)
        r += "Shift+";
    if (sc & scCtrl)
        r += "Ctrl+";
    if (sc & scAlt)
        r += "Alt+";
    return r + name;
}

TShortCut TextToShortCut(const std::string& Text)
{
    static const struct {
        const char* Prefix;
        TShortCut Bit;
    } prefixes[] = {{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};
    TShortCut mods = 0;
    std::string rest = Text;
    for (bool found = true; found;) {
        found = false;
        for (const auto& p : prefixes) {
            std::string pre = p.Prefix;
            if (rest.size() > pre.size() && EqualNoCase(rest.substr(0, pre.size()), pre)) {
                mods |= p.Bit;
                rest = rest.substr(pre.size());
                found = true;
            }
        }
    }
    for (int key = 1; key < 256; ++key) {
        std::string name = KeyName(static_cast<std::uint16_t>(key));
        if (!name.empty() && EqualNoCase(name, rest))
            return static_cast<TShortCut>(key | mods);
    }
    return scNone;
}

TShiftState KeyDataToShiftState(LPARAM KeyData)
{
    TShiftState s = 0;
    if (KeyData & KF_SHIFTBIT)
        s |= ssShift;
    if (KeyData & KF_CTRLBIT)
        s |= ssCtrl;
    if (KeyData & KF_ALTBIT)
        s |= ssAlt;
    return s;
}

LPARAM MakeKeyData(TShiftState Shift, bool KeyUp, bool WasDown, int RepeatCount)
{
    LPARAM d = RepeatCount & KF_REPEATMASK;
    if (Shift & ssShift)
        d |= KF_SHIFTBIT;
    if (Shift & ssCtrl)
        d |= KF_CTRLBIT;
    if (Shift & ssAlt)
        d |= KF_ALTBIT;
    if (WasDown)
        d |= KF_PREVDOWNBIT;
    if (KeyUp)
        d |= KF_UPBIT;
    return d;
}

std::int16_t GetKeyState(int vk)
{
    if (vk < 0 || vk > 255)
        return 0;
    std::uint8_t k = g_keys[static_cast<size_t>(vk)];
    std::int16_t r = 0;
    if (k & 0x80)
        r = static_cast<std::int16_t>(0x8000);
    if (k & 0x01)
        r |= 1;
    return r;
}

void SetKeyDown(int vk, bool Down)
{
    if (vk < 0 || vk > 255)
        return;
    auto& k = g_keys[static_cast<size_t>(vk)];
    bool wasDown = k & 0x80;
    if (Down && !wasDown && (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL))
        k ^= 0x01;  // a lock key toggles on each press
    k = Down ? (k | 0x80) : (k & ~0x80);
}

void SetKeyToggled(int vk, bool On)
{
    if (vk < 0 || vk > 255)
        return;
    auto& k = g_keys[static_cast<size_t>(vk)];
    k = On ? (k | 0x01) : (k & ~0x01);
}

void ResetKeyState() { g_keys.fill(0); }

HHOOK SetWindowsHookEx(int IdHook, HOOKPROC Proc, std::uintptr_t, std::uint32_t)
{
    if (IdHook != WH_KEYBOARD || !Proc)
        return 0;
    HHOOK h = g_nextHook++;
    g_hooks.insert(g_hooks.begin(), Hook{h, std::move(Proc)});
    return h;
}

LRESULT CallNextHookEx(HHOOK hook, int Code, WPARAM w, LPARAM l)
{
    auto it = std::find_if(g_hooks.begin(), g_hooks.end(), [&](const Hook& h) { return h.Handle == hook; });
    if (it == g_hooks.end() || ++it == g_hooks.end())
        return 0;
    HOOKPROC next = it->Proc;  // a copy: the hook may unhook itself
    return next(Code, w, l);
}

bool UnhookWindowsHookEx(HHOOK hook)
{
    auto it = std::find_if(g_hooks.begin(), g_hooks.end(), [&](const Hook& h) { return h.Handle == hook; });
    if (it == g_hooks.end())
        return false;
    g_hooks.erase(it);
    return true;
}

std::uint32_t GetCurrentThreadId() { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pthread_self()) & 0xFFFFFFFF); }

bool CallKeyboardHooks(WPARAM vk, LPARAM flags)
{
    if (g_hooks.empty())
        return false;
    HOOKPROC first = g_hooks.front().Proc;
    return first(HC_ACTION, vk, flags) != 0;
}

int KeyboardHookCount() { return static_cast<int>(g_hooks.size()); }

}  // namespace korin
