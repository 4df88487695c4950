// TApplication: the message loop, modal loops, hints and key routing; the cursor and
// message functions that go through it.
#include "korin/platform/gui/Forms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "korin/platform/gui/ActnList.h"
#include "korin/platform/gui/Backend.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/HintWindow.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Registration.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

namespace {
TApplication* g_application = nullptr;
TScreen* g_screen = nullptr;
HCURSOR g_cursor = crDefault;

bool IsKeyboardMessage(std::uint32_t m) { return m >= WM_KEYDOWN && m <= 0x0108; }

// The character a key produces (0 for none), as an English keyboard types it.
char32_t KeyToChar(std::uint16_t vk, TShiftState shift)
{
    bool sh = shift & ssShift;
    if ((shift & ssAlt) && (shift & ssCtrl))
        return 0;
    if (shift & ssAlt) {
        // Alt+key gives a system character: the dialog's accelerators answer it.
        shift &= static_cast<TShiftState>(~ssAlt);
        if (vk >= 'A' && vk <= 'Z')
            return static_cast<char32_t>(vk - 'A' + 'a');
        if (vk >= '0' && vk <= '9')
            return static_cast<char32_t>(vk);
        return 0;
    }
    if (shift & ssCtrl) {
        if (vk >= 'A' && vk <= 'Z')
            return static_cast<char32_t>(vk - 'A' + 1);
        return 0;
    }
    if (vk >= 'A' && vk <= 'Z') {
        bool upper = sh != ((GetKeyState(VK_CAPITAL) & 1) != 0);
        return static_cast<char32_t>(upper ? vk : vk - 'A' + 'a');
    }
    if (vk >= '0' && vk <= '9')
        return sh ? static_cast<char32_t>(")!@#$%^&*("[vk - '0']) : static_cast<char32_t>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return static_cast<char32_t>('0' + (vk - VK_NUMPAD0));
    switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_ESCAPE: return 27;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case 0xBA: return sh ? ':' : ';';
    case 0xBB: return sh ? '+' : '=';
    case 0xBC: return sh ? '<' : ',';
    case 0xBD: return sh ? '_' : '-';
    case 0xBE: return sh ? '>' : '.';
    case 0xBF: return sh ? '?' : '/';
    case 0xC0: return sh ? '~' : '`';
    case 0xDB: return sh ? '{' : '[';
    case 0xDC: return sh ? '|' : '\\';
    case 0xDD: return sh ? '}' : ']';
    case 0xDE: return sh ? '"' : '\'';
    }
    return 0;
}

// The deepest enabled, visible window at a client point of Parent.
TWinControl* WindowAt(TWinControl* parent, TPoint p, TPoint& local)
{
    for (int i = parent->ControlCount(); i-- > 0;) {
        auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
        if (!w || !w->Visible())
            continue;
        TPoint q = Point(p.x - w->Left(), p.y - w->Top());
        if (q.x < 0 || q.y < 0 || q.x >= w->Width() || q.y >= w->Height() || !w->HitTest(q))
            continue;
        if (!w->Enabled())
            return nullptr;
        return WindowAt(w, q, local);
    }
    local = p;
    return parent;
}
}  // namespace

// ---------------------------------------------------------------- cursors

HCURSOR LoadCursor(std::uintptr_t, int CursorName) { return CursorName == IDC_WAIT ? crHourGlass : crDefault; }

HCURSOR SetCursor(HCURSOR Cursor)
{
    HCURSOR old = g_cursor;
    g_cursor = Cursor;
    return old;
}

HCURSOR GetCursor() { return g_cursor; }

// ---------------------------------------------------------------- TApplication

TApplication::TApplication() : TComponent(nullptr), FBackend(std::make_unique<THeadlessBackend>())
{
    // Forms are read from form files: the window classes must be known by then.
    RegisterGuiClasses();
}

TApplication::~TApplication() = default;

TApplication* TApplicationRef::operator->() const
{
    if (!g_application)
        g_application = new TApplication();
    return g_application;
}

TScreen* TScreenRef::operator->() const
{
    if (!g_screen) {
        g_screen = new TScreen();
        g_screen->HintFont().SetName(DefaultFontName);
        g_screen->HintFont().SetHeight(-11);
        g_screen->HintFont().SetColor(clInfoText);
    }
    return g_screen;
}

TBackend& TApplication::Backend() { return *FBackend; }

void TApplication::SetBackend(std::unique_ptr<TBackend> Backend)
{
    if (Backend)
        FBackend = std::move(Backend);
}

void TApplication::Reset()
{
    FQueue.clear();
    FBackend = std::make_unique<THeadlessBackend>();
    korin::SetFocus(0);
    ReleaseCapture();
    ResetKeyState();
    FTerminated = false;
    FCancelHints = 0;
    OnMessageBox = nullptr;
    OnException = nullptr;
    FMouseControl = nullptr;
    if (FHintTimer)
        FHintTimer->SetEnabled(false);
    if (FHintWindow && FHintWindow->Active())
        FHintWindow->ReleaseHandle();
    g_cursor = crDefault;
    for (TTimer* t : FTimers)
        t->SetEnabled(t->Enabled());  // due times follow the clock back to 0
}

void TApplication::PostMessage(HWND Window, std::uint32_t Msg, WPARAM W, LPARAM L)
{
    FQueue.push_back(TMsg{Window, Msg, W, L});
}

bool TApplication::PeekMessage(TMsg& Msg, HWND Window, std::uint32_t FilterMin, std::uint32_t FilterMax, bool Remove)
{
    for (auto it = FQueue.begin(); it != FQueue.end(); ++it) {
        if (Window && it->hwnd != Window)
            continue;
        if ((FilterMin || FilterMax) && (it->message < FilterMin || it->message > FilterMax))
            continue;
        Msg = *it;
        if (Remove)
            FQueue.erase(it);
        return true;
    }
    return false;
}

bool TApplication::KillMessage(HWND Window, std::uint32_t Msg)
{
    TMsg m;
    return PeekMessage(m, Window, Msg, Msg, true);
}

bool TApplication::IsKeyMsg(const TMsg& Msg)
{
    if (!IsKeyboardMessage(Msg.message))
        return false;
    TWinControl* c = FindControl(Msg.hwnd);
    if (!c)
        return false;
    return c->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::TranslateMessage(const TMsg& Msg)
{
    if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN)
        return false;
    char32_t ch = KeyToChar(LoWord(Msg.wParam), KeyDataToShiftState(Msg.lParam));
    if (!ch)
        return false;
    PostMessage(Msg.hwnd, Msg.message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR, ch, Msg.lParam);
    return true;
}

void TApplication::DispatchMessage(const TMsg& Msg)
{
    if (TWinControl* c = FindControl(Msg.hwnd))
        c->Perform(Msg.message, Msg.wParam, Msg.lParam);
}

void TApplication::DispatchQueued(const TMsg& Msg)
{
    if ((Msg.message == WM_KEYDOWN || Msg.message == WM_KEYUP || Msg.message == WM_SYSKEYDOWN ||
         Msg.message == WM_SYSKEYUP) &&
        CallKeyboardHooks(LoWord(Msg.wParam), Msg.lParam))
        return;
    if (Msg.hwnd == 0 && Msg.message == WM_ACTIVATEAPP) {
        auto hooks = FHooks;
        TMessage m{Msg.message, Msg.wParam, Msg.lParam, 0};
        for (auto& h : hooks)
            if (h.second(m))
                break;
        return;
    }
    if (IsKeyMsg(Msg))
        return;
    TranslateMessage(Msg);
    DispatchMessage(Msg);
}

bool TApplication::ProcessOneQueued()
{
    if (FQueue.empty())
        return false;
    TMsg m = FQueue.front();
    FQueue.pop_front();
    try {
        DispatchQueued(m);
    } catch (const EScriptExhausted&) {
        throw;  // a test that forgot to answer a dialog fails
    } catch (const std::exception& e) {
        HandleException(this, e);
    }
    return true;
}

void TApplication::FireTimer(TTimer* Timer)
{
    try {
        Timer->Fire();
    } catch (const EScriptExhausted&) {
        throw;
    } catch (const std::exception& e) {
        HandleException(Timer, e);
    }
}

void TApplication::HandleException(TObject* Sender, const std::exception& E)
{
    if (OnException)
        OnException(Sender, E);
    else
        ShowException(E);
}

void TApplication::ShowException(const std::exception& E)
{
    auto* headless = dynamic_cast<THeadlessBackend*>(FBackend.get());
    if (headless && headless->PendingInput() == 0) {
        std::fprintf(stderr, "%s\n", E.what());
        std::fflush(stderr);
        return;
    }
    std::string caption = FTitle;
    if (caption.empty()) {
        std::error_code ec;
        std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (!ec)
            caption = exe.filename().string();
    }
    MessageBox(E.what(), caption, MB_OK | MB_ICONERROR);
}

void TApplication::ProcessMessages()
{
    for (;;) {
        if (ProcessOneQueued())
            continue;
        if (FBackend->DeliverInput(*this, false))
            continue;
        if (!FBackend->IsHeadless())
            FireDueTimers();
        break;
    }
    DoIdleWork();
}

bool TApplication::DoIdleWork()
{
    if (!FIdleWork)
        return false;
    try {
        return FIdleWork();
    } catch (const EScriptExhausted&) {
        throw;
    } catch (const std::exception& e) {
        // A failed step (a server lost while reading) is shown; the loop goes on.
        HandleException(this, e);
        return true;
    }
}

void TApplication::HandleMessage()
{
    if (ProcessOneQueued())
        return;
    if (!FBackend->IsHeadless())
        FireDueTimers();
    // With idle work waiting the loop only looks for input, and works when there is none.
    if (FIdleWork) {
        if (FBackend->DeliverInput(*this, false))
            return;
        if (DoIdleWork())
            return;
    }
    FBackend->DeliverInput(*this, true);
}

void TApplication::Run()
{
    while (!FTerminated) {
        // Headless, the loop ends when the script has nothing more to say.
        if (auto* h = dynamic_cast<THeadlessBackend*>(FBackend.get()))
            if (FQueue.empty() && h->PendingInput() == 0)
                break;
        HandleMessage();
        if (FMainForm && !FMainForm->Visible())
            FTerminated = true;
    }
}

int TApplication::HookMainWindow(TWindowHook Hook)
{
    int id = FNextHook++;
    FHooks.emplace_back(id, std::move(Hook));
    return id;
}

void TApplication::UnhookMainWindow(int HookId)
{
    FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(), [&](auto& h) { return h.first == HookId; }), FHooks.end());
}

void TApplication::Activate(bool Active) { PostMessage(0, WM_ACTIVATEAPP, Active ? 1 : 0, 0); }

void TApplication::CancelHint()
{
    ++FCancelHints;
    if (FHintTimer)
        FHintTimer->SetEnabled(false);
    if (FHintWindow && FHintWindow->Active())
        FHintWindow->ReleaseHandle();
}

void TApplication::ControlDestroyed(TControl* Control)
{
    if (FMouseControl == Control) {
        FMouseControl = nullptr;
        CancelHint();
    }
}

void TApplication::TrackMouse(TWinControl* Window, TPoint Local, TPoint ScreenPos)
{
    FCursorPos = ScreenPos;
    // The deepest control under the mouse, graphic controls included.
    TControl* over = Window;
    TPoint p = Local;
    while (auto* w = dynamic_cast<TWinControl*>(over)) {
        TControl* c = w->ControlAtPos(p, true, true);
        if (!c)
            break;
        p = Point(p.x - c->Left(), p.y - c->Top());
        over = c;
    }
    if (over == FMouseControl)
        return;
    TControl* old = FMouseControl;
    FMouseControl = over;
    CancelHint();
    // Status bars with AutoHint show the long hint of the control under the mouse.
    std::string longHint = over ? GetLongHint(over->Hint()) : std::string();
    if (longHint != ApplicationHint())
        SetApplicationHint(longHint);
    if (old)
        old->Perform(CM_MOUSELEAVE, 0, 0);
    if (over)
        over->Perform(CM_MOUSEENTER, 0, 0);
    if (over && FShowHint && over->ShowHint() && !over->Hint().empty()) {
        if (!FHintTimer) {
            FHintTimer = new TTimer(this);
            FHintTimer->OnTimer = [this](TObject*) { ShowHintNow(); };
        }
        FHintTimer->SetInterval(FHintPause);
        FHintTimer->SetEnabled(false);
        FHintTimer->SetEnabled(true);
    }
}

void TApplication::ShowHintNow()
{
    FHintTimer->SetEnabled(false);
    if (!FMouseControl)
        return;
    THintInfo info;
    info.HintControl = FMouseControl;
    info.CursorPos = FCursorPos;
    info.HintStr = GetShortHint(FMouseControl->Hint());
    if (FMouseControl->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || info.HintStr.empty())
        return;
    if (!FHintWindow)
        FHintWindow = new THintWindow(this);
    TRect r = FHintWindow->CalcHintRect(Screen->Width(), info.HintStr);
    OffsetRect(r, FCursorPos.x, FCursorPos.y + 20);
    FHintWindow->ActivateHint(r, info.HintStr);
}

double TApplication::Now() const { return FBackend->Now(); }

void TApplication::RegisterTimer(TTimer* Timer) { FTimers.push_back(Timer); }

void TApplication::UnregisterTimer(TTimer* Timer)
{
    FTimers.erase(std::remove(FTimers.begin(), FTimers.end(), Timer), FTimers.end());
}

double TApplication::NextTimerDue() const
{
    double next = -1;
    for (TTimer* t : FTimers)
        if (t->Active() && (next < 0 || t->NextDue() < next))
            next = t->NextDue();
    return next;
}

static TTimer* EarliestDue(const std::vector<TTimer*>& timers, double upTo)
{
    TTimer* best = nullptr;
    for (TTimer* t : timers)
        if (t->Active() && t->NextDue() <= upTo && (!best || t->NextDue() < best->NextDue()))
            best = t;
    return best;
}

void TApplication::AdvanceClockTo(double At)
{
    auto* headless = dynamic_cast<THeadlessBackend*>(FBackend.get());
    for (;;) {
        TTimer* t = EarliestDue(FTimers, At);
        if (!t)
            break;
        // A timer's handler may run a modal loop that moves the clock on by itself; the
        // clock never goes back.
        if (headless && t->NextDue() > headless->Now())
            headless->SetClock(t->NextDue());
        t->SetEnabled(false);  // restart the count from now: the next tick is one interval on
        t->SetEnabled(true);
        FireTimer(t);
        while (ProcessOneQueued()) {
        }
    }
    if (headless && At > headless->Now())
        headless->SetClock(At);
}

void TApplication::FireDueTimers()
{
    for (;;) {
        TTimer* t = EarliestDue(FTimers, Now());
        if (!t)
            return;
        t->SetEnabled(false);
        t->SetEnabled(true);
        FireTimer(t);
    }
}

TCustomForm* TApplication::ModalForm() const { return FModalStack.empty() ? nullptr : FModalStack.back(); }

void TApplication::InputKey(std::uint16_t Key, bool Down)
{
    if (Down)
        CancelHint();
    bool wasDown = GetKeyState(Key) < 0;
    SetKeyDown(Key, Down);
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    HWND target = GetFocus();
    if (!target) {
        TCustomForm* f = ModalForm() ? ModalForm() : Screen->ActiveForm();
        if (f && f->Visible())
            target = f->Handle();
    }
    if (!target)
        return;
    bool sys = (shift & ssAlt) && !(shift & ssCtrl);
    std::uint32_t msg = Down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    PostMessage(target, msg, Key, MakeKeyData(shift, !Down, Down ? wasDown : true));
}

void TApplication::InputChar(char32_t Ch)
{
    HWND target = GetFocus();
    if (target)
        PostMessage(target, WM_CHAR, Ch, 1);
}

void TApplication::InputMouse(TWinControl* Form, TPoint ClientPos, std::uint32_t Msg)
{
    if (!Form || !Form->Visible())
        return;
    if (TCustomForm* modal = ModalForm(); modal && modal != Form && !IsPopupWindow(Form) && !GetCaptureControl())
        return;  // windows behind a modal form take no input
    WPARAM keys = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        keys |= MK_CONTROL;
    if (GetKeyState(VK_LBUTTON) < 0)
        keys |= MK_LBUTTON;
    if (GetKeyState(VK_RBUTTON) < 0)
        keys |= MK_RBUTTON;
    if (Msg == WM_LBUTTONDOWN || Msg == WM_RBUTTONDOWN || Msg == WM_MBUTTONDOWN)
        CancelHint();
    TWinControl* target = nullptr;
    TPoint local;
    if (TControl* cap = GetCaptureControl()) {
        TPoint screen = Form->ClientToScreen(ClientPos);
        auto* w = dynamic_cast<TWinControl*>(cap);
        target = w ? w : cap->Parent();
        if (!target)
            return;
        local = target->ScreenToClient(screen);
    } else {
        target = WindowAt(Form, ClientPos, local);
    }
    if (!target)
        return;
    if (Msg == WM_MOUSEMOVE && !IsPopupWindow(Form))
        TrackMouse(target, local, Form->ClientToScreen(ClientPos));
    PostMessage(target->Handle(), Msg, keys, MakeLParam(local.x, local.y));
}

void TApplication::InputWheel(TWinControl* Form, TPoint ClientPos, int Delta)
{
    if (!Form || !Form->Visible() || Delta == 0)
        return;
    if (TCustomForm* modal = ModalForm(); modal && modal != Form && !IsPopupWindow(Form) && !GetCaptureControl())
        return;
    WPARAM keys = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        keys |= MK_CONTROL;
    if (GetKeyState(VK_LBUTTON) < 0)
        keys |= MK_LBUTTON;
    if (GetKeyState(VK_RBUTTON) < 0)
        keys |= MK_RBUTTON;
    TPoint screen = Form->ClientToScreen(ClientPos);
    TWinControl* target = nullptr;
    if (TControl* cap = GetCaptureControl()) {
        auto* w = dynamic_cast<TWinControl*>(cap);
        target = w ? w : cap->Parent();
    } else {
        TPoint local;
        target = WindowAt(Form, ClientPos, local);
    }
    if (!target)
        return;
    Delta = std::clamp(Delta, -32768, 32767);
    WPARAM w = keys | (static_cast<WPARAM>(static_cast<std::uint16_t>(static_cast<std::int16_t>(Delta))) << 16);
    PostMessage(target->Handle(), WM_MOUSEWHEEL, w, MakeLParam(screen.x, screen.y));
}

// ---------------------------------------------------------------- free functions

void PostMessage(HWND Window, std::uint32_t Msg, WPARAM W, LPARAM L) { Application->PostMessage(Window, Msg, W, L); }

LRESULT SendMessage(HWND Window, std::uint32_t Msg, WPARAM W, LPARAM L)
{
    TWinControl* c = FindControl(Window);
    return c ? c->Perform(Msg, W, L) : 0;
}

bool KillMessage(HWND Window, std::uint32_t Msg) { return Application->KillMessage(Window, Msg); }

int MessageBox(HWND, const std::string& Text, const std::string& Caption, std::uint32_t Flags)
{
    return Application->MessageBox(Text, Caption, Flags);
}

void ShowMessage(const std::string& Text) { Application->MessageBox(Text, Application->Title(), MB_OK); }

}  // namespace korin
