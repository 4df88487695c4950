#include "korin/platform/gui/Forms.h"

#include <algorithm>
#include <cmath>

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

// ---------------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner)
{
    SetVisibleNoShow();
}

void TCustomForm::SetVisibleNoShow()
{
    // A form starts hidden; Show or ShowModal brings it up.
    FVisible = false;
    FColor = clBtnFace;
    FParentFont = false;
    FParentColor = false;
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks);
    SetBounds(0, 0, 320, 240);
    Screen->FForms.push_back(this);
}

TCustomForm::~TCustomForm()
{
    BeforeDestruction();
    auto& f = Screen->FForms;
    f.erase(std::remove(f.begin(), f.end(), this), f.end());
    if (Application->MainForm() == this)
        Application->SetMainForm(nullptr);
    Application->Backend().FormDestroyed(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v)
{
    if (v == FBorderStyle)
        return;
    int cw = ClientWidth(), ch = ClientHeight();
    FBorderStyle = v;
    SetClientWidth(cw);
    SetClientHeight(ch);
}

int TCustomForm::FrameWidth() const
{
    switch (FBorderStyle) {
    case bsNone: return 0;
    case bsSizeable:
    case bsSizeToolWin: return 4;
    default: return 3;
    }
}

int TCustomForm::CaptionHeight() const
{
    switch (FBorderStyle) {
    case bsNone: return 0;
    case bsToolWindow:
    case bsSizeToolWin: return 18;
    default: return 22;
    }
}

TRect TCustomForm::ClientRect() const
{
    int f = FrameWidth();
    return Rect(0, 0, std::max(0, Width() - 2 * f), std::max(0, Height() - 2 * f - CaptionHeight()));
}

void TCustomForm::SetClientWidth(int v) { SetWidth(v + 2 * FrameWidth()); }
void TCustomForm::SetClientHeight(int v) { SetHeight(v + 2 * FrameWidth() + CaptionHeight()); }

TPoint TCustomForm::ClientOrigin() const
{
    if (Parent())
        return TWinControl::ClientOrigin();
    return Point(Left() + FrameWidth(), Top() + FrameWidth() + CaptionHeight());
}

void TCustomForm::CreateParams(TCreateParams& P)
{
    TWinControl::CreateParams(P);
    P.Style &= ~WS_CHILD;
    P.Style |= WS_POPUP;
    if (FBorderStyle != bsNone)
        P.Style |= WS_CAPTION | WS_BORDER;
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        P.ExStyle |= WS_EX_TOOLWINDOW;
    if (FStayOnTop)
        P.ExStyle |= WS_EX_TOPMOST;
}

void TCustomForm::SetActiveControl(TWinControl* Control)
{
    FActiveControl = Control;
    if (!Control && FFocusedControl && !ContainsControl(FFocusedControl))
        FFocusedControl = nullptr;
    if (Control && Showing() && Control->CanFocus() && GetFocus() != Control->Handle() && Active())
        Control->SetFocus();
}

void TCustomForm::SetFocusedControl(TWinControl* Control)
{
    if (Control == FFocusedControl) {
        FActiveControl = Control;
        return;
    }
    TWinControl* old = FFocusedControl;
    FFocusedControl = Control;
    FActiveControl = Control;
    if (old && ContainsControl(old))
        old->Perform(CM_EXIT, 0, 0);
    if (Control && FFocusedControl == Control)
        Control->Perform(CM_ENTER, 0, 0);
}

void TCustomForm::DefocusControl(TWinControl* Control)
{
    if (!Control)
        return;
    if (FActiveControl && Control->ContainsControl(FActiveControl))
        FActiveControl = nullptr;
    if (FFocusedControl && Control->ContainsControl(FFocusedControl))
        FFocusedControl = nullptr;
}

void TCustomForm::FocusControl(TWinControl* Control)
{
    if (Control && Control->CanFocus())
        Control->SetFocus();
}

void TCustomForm::SelectFirst()
{
    if (TWinControl* c = FindNextControl(nullptr, true, true, false))
        c->SetFocus();
}

bool TCustomForm::Active() const
{
    TCustomForm* modal = Application->ModalForm();
    if (modal)
        return modal == this;
    HWND f = GetFocus();
    TWinControl* focused = f ? FindControl(f) : nullptr;
    return focused && GetParentForm(focused) == this;
}

bool TCustomForm::CanFocus() const { return Visible() && Enabled(); }

void TCustomForm::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    korin::SetFocus(Handle());
}

void TCustomForm::SetVisible(bool Value)
{
    if (Value == Visible())
        return;
    if (Value) {
        if (FPosition == poScreenCenter || FPosition == poDesktopCenter || FPosition == poMainFormCenter ||
            FPosition == poOwnerFormCenter)
            SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
        DoShow();
        TWinControl::SetVisible(true);
        HandleNeeded();
        Application->Backend().FormShown(this);
        // Showing activates the form: its active control, else the first in tab order.
        if (FActiveControl && FActiveControl->CanFocus())
            FActiveControl->SetFocus();
        else
            SelectFirst();
        if (!GetFocus() || GetParentForm(FindControl(GetFocus())) != this)
            korin::SetFocus(Handle());
        if (OnActivate)
            OnActivate(this);
    } else {
        HWND f = GetFocus();
        TWinControl* focused = f ? FindControl(f) : nullptr;
        TWinControl::SetVisible(false);
        if (focused && (focused == this || ContainsControl(focused)))
            korin::SetFocus(0);
        Application->Backend().FormHidden(this);
        DoHide();
    }
}

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || FModal)
        throw EInvalidOperation("Cannot make a visible window modal");
    ReleaseCapture();
    HWND savedFocus = GetFocus();
    FModal = true;
    Application->FModalStack.push_back(this);
    ++Application->FModalLevel;
    struct Cleanup {
        TCustomForm* f;
        HWND saved;
        ~Cleanup()
        {
            auto& st = Application->FModalStack;
            st.erase(std::remove(st.begin(), st.end(), f), st.end());
            --Application->FModalLevel;
            f->FModal = false;
            f->SetVisible(false);
            if (saved && FindControl(saved) && FindControl(saved)->CanFocus())
                korin::SetFocus(saved);
        }
    } cleanup{this, savedFocus};
    FModalResult = mrNone;
    SetVisible(true);
    while (FModalResult == mrNone) {
        Application->HandleMessage();
        if (Application->Terminated())
            FModalResult = mrCancel;
    }
    return FModalResult;
}

void TCustomForm::Close()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    if (!canClose)
        return;
    if (FModal) {
        FModalResult = mrCancel;
        return;
    }
    TCloseAction action = caHide;
    if (OnClose)
        OnClose(this, action);
    if (action == caHide || action == caFree)
        SetVisible(false);
}

void TCustomForm::DialogKey(TMessage& m)
{
    std::uint16_t key = LoWord(m.WParam);
    if (GetKeyState(VK_MENU) >= 0) {
        switch (key) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FFocusedControl ? FFocusedControl : FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                m.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FFocusedControl && FFocusedControl->Parent()) {
                FFocusedControl->Parent()->SelectNext(FFocusedControl, key == VK_RIGHT || key == VK_DOWN, false);
                m.Result = 1;
                return;
            }
            break;
        }
    }
    Broadcast(m);
}

void TCustomForm::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGKEY:
        DialogKey(m);
        return;
    case WM_CLOSE:
        Close();
        return;
    case WM_SETFOCUS:
        Invalidate();
        return;
    }
    TWinControl::WndProc(m);
}

TCustomForm* TScreen::ActiveForm() const
{
    if (TCustomForm* m = Application->ModalForm())
        return m;
    HWND f = GetFocus();
    if (TWinControl* c = f ? FindControl(f) : nullptr)
        return GetParentForm(c);
    return nullptr;
}

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
    if (!OnException) {
        DispatchQueued(m);
        return true;
    }
    try {
        DispatchQueued(m);
    } catch (const EScriptExhausted&) {
        throw;
    } catch (const std::exception& e) {
        OnException(this, e);
    }
    return true;
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
}

void TApplication::HandleMessage()
{
    if (ProcessOneQueued())
        return;
    if (!FBackend->IsHeadless())
        FireDueTimers();
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
    info.HintStr = FMouseControl->Hint();
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
        t->Fire();
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
        t->Fire();
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

// ---------------------------------------------------------------- message boxes

namespace {
// The symbol at the left of a message box: a question mark, a cross, an exclamation
// mark or an "i" in a coloured disc.
class TMessageIcon : public TGraphicControl {
public:
    TMessageIcon(TComponent* owner, std::uint32_t flags) : TGraphicControl(owner), FFlags(flags & 0xF0) {}

protected:
    void Paint() override
    {
        TCanvas& c = *Canvas();
        TColor disc = FFlags == MB_ICONERROR ? RGB(200, 30, 30) : FFlags == MB_ICONWARNING ? RGB(230, 180, 20) : RGB(30, 80, 200);
        const char* sym = FFlags == MB_ICONERROR ? "X" : FFlags == MB_ICONWARNING ? "!" : FFlags == MB_ICONQUESTION ? "?" : "i";
        c.Brush().SetColor(disc);
        c.Pen().SetColor(disc);
        c.Ellipse(0, 0, Width(), Height());
        c.Font().SetName(DefaultFontName);
        c.Font().SetHeight(-20);
        c.Font().SetStyle(fsBold);
        c.Font().SetColor(clWhite);
        SetBkMode(c.Handle(), TRANSPARENT);
        TSize e = c.TextExtent(sym);
        c.TextOut((Width() - e.cx) / 2, (Height() - e.cy) / 2, sym);
    }

private:
    std::uint32_t FFlags;
};
}  // namespace

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, std::uint32_t Flags)
{
    TOwned<TForm> box(new TForm(nullptr));
    box->SetBorderStyle(bsDialog);
    box->SetPosition(poScreenCenter);
    box->SetCaption(Caption);
    if (Flags & 0xF0) {
        auto* icon = new TMessageIcon(box.get(), Flags);
        icon->SetName("Icon");
        icon->SetParent(box.get());
        icon->SetBounds(14, 14, 32, 32);
    }
    auto* label = new TLabel(box.get());
    label->SetName("Message");
    label->SetParent(box.get());
    label->SetCaption(Text);
    int textWidth = std::max(120, static_cast<int>(Text.size()) * 7);
    label->SetBounds(58, 20, textWidth, 17);

    struct TBoxButton {
        const char* Caption;
        TModalResult Result;
    };
    std::vector<TBoxButton> buttons;
    switch (Flags & 0x0F) {
    case MB_OKCANCEL: buttons = {{"OK", IDOK}, {"Cancel", IDCANCEL}}; break;
    case MB_YESNOCANCEL: buttons = {{"&Yes", IDYES}, {"&No", IDNO}, {"Cancel", IDCANCEL}}; break;
    case MB_YESNO: buttons = {{"&Yes", IDYES}, {"&No", IDNO}}; break;
    default: buttons = {{"OK", IDOK}}; break;
    }
    int bw = 75, gap = 8;
    int total = static_cast<int>(buttons.size()) * bw + (static_cast<int>(buttons.size()) - 1) * gap;
    int clientW = std::max(58 + textWidth + 20, total + 40);
    box->SetClientWidth(clientW);
    box->SetClientHeight(100);
    int x = (clientW - total) / 2;
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto* b = new TButton(box.get());
        b->SetName(std::string("Button") + std::to_string(i + 1));
        b->SetParent(box.get());
        b->SetCaption(buttons[i].Caption);
        b->SetModalResult(buttons[i].Result);
        b->SetBounds(x, 62, bw, 25);
        b->SetDefault(i == 0);
        // Esc answers Cancel where there is one, else the last (safe) answer: No or OK.
        bool hasCancel = (Flags & 0x0F) == MB_OKCANCEL || (Flags & 0x0F) == MB_YESNOCANCEL;
        b->SetCancel(hasCancel ? buttons[i].Result == IDCANCEL : i + 1 == buttons.size());
        x += bw + gap;
    }
    box->SetTag(static_cast<int>(Flags));
    if (OnMessageBox)
        OnMessageBox(box.get(), Text, Caption, Flags);
    return box->ShowModal();
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
