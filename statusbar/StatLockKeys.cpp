// Lock-key watching: the process-wide list of enabled lock-key panels with the keyboard
// hook that serves it, and each bar's hook on the application's main window, which
// refreshes the indicators after the application was activated again (the keys may have
// changed while another application had the keyboard).
#include <algorithm>

#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

namespace {

struct TLockKeyWatch {
    std::vector<TKStatusPanel*> Panels;
    HHOOK Hook = 0;  // removed with the last panel, never left to process exit
};

TLockKeyWatch& Watch()
{
    static TLockKeyWatch w;
    return w;
}

LRESULT LockKeyHookProc(int Code, WPARAM Key, LPARAM Flags)
{
    TLockKeyWatch& w = Watch();
    bool down = (Flags & KF_UPBIT) == 0;
    bool repeat = (Flags & KF_PREVDOWNBIT) != 0;
    if (Code >= 0 && (Key == 20 || Key == 144 || Key == 145) && down && !repeat) {
        // A copy: a repaint may change the list.
        std::vector<TKStatusPanel*> panels = w.Panels;
        for (TKStatusPanel* p : panels)
            if (std::find(w.Panels.begin(), w.Panels.end(), p) != w.Panels.end() &&
                LockKeyCode(p->Style()) == static_cast<int>(Key))
                p->Notify(false);
    }
    return CallNextHookEx(w.Hook, Code, Key, Flags);
}

}  // namespace

void AddLockKeyPanel(TKStatusPanel* Panel)
{
    TLockKeyWatch& w = Watch();
    if (!w.Hook)
        w.Hook = SetWindowsHookEx(WH_KEYBOARD, LockKeyHookProc, 0, GetCurrentThreadId());
    if (std::find(w.Panels.begin(), w.Panels.end(), Panel) == w.Panels.end())
        w.Panels.push_back(Panel);
}

void RemoveLockKeyPanel(TKStatusPanel* Panel)
{
    TLockKeyWatch& w = Watch();
    auto it = std::find(w.Panels.begin(), w.Panels.end(), Panel);
    if (it == w.Panels.end())
        return;
    w.Panels.erase(it);
    if (w.Panels.empty() && w.Hook) {
        UnhookWindowsHookEx(w.Hook);
        w.Hook = 0;
    }
}

int LockKeyPanelCount() { return static_cast<int>(Watch().Panels.size()); }

bool LockKeyHookInstalled() { return Watch().Hook != 0; }

void TCustomKStatusBar::RegisterMainWinHook(TKStatusPanel* Panel)
{
    if (FMainWinPanels.empty() && !FMainWinHook)
        FMainWinHook = Application->HookMainWindow([this](TMessage& m) { return AppWinHook(m); });
    if (std::find(FMainWinPanels.begin(), FMainWinPanels.end(), Panel) == FMainWinPanels.end())
        FMainWinPanels.push_back(Panel);
}

void TCustomKStatusBar::DeregisterMainWinHook(TKStatusPanel* Panel)
{
    auto it = std::find(FMainWinPanels.begin(), FMainWinPanels.end(), Panel);
    if (it != FMainWinPanels.end())
        FMainWinPanels.erase(it);
    if (FMainWinPanels.empty() && FMainWinHook) {
        Application->UnhookMainWindow(FMainWinHook);
        FMainWinHook = 0;
    }
}

bool TCustomKStatusBar::AppWinHook(TMessage& Message)
{
    if (Message.Msg == WM_ACTIVATEAPP)
        PostMessage(Handle(), WM_REFRESHLOCKINDICATORS, 0, 0);
    return false;
}

}  // namespace korin
