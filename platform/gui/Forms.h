#pragma once
// Forms, the application object and the screen.
//
// Application runs the one message loop of the user-interface thread: posted messages
// first, then input from the backend (a window system, or the scripted input of tests),
// timers on the application's clock between messages. ShowModal runs a nested loop;
// message boxes are real modal forms answered by keys or clicks.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/gui/Controls.h"

namespace korin {

class TBackend;
class TTimer;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// Message-box flags and answers.
constexpr std::uint32_t MB_OK = 0x0000;
constexpr std::uint32_t MB_OKCANCEL = 0x0001;
constexpr std::uint32_t MB_YESNOCANCEL = 0x0003;
constexpr std::uint32_t MB_YESNO = 0x0004;
constexpr std::uint32_t MB_ICONERROR = 0x0010;
constexpr std::uint32_t MB_ICONQUESTION = 0x0020;
constexpr std::uint32_t MB_ICONWARNING = 0x0030;
constexpr std::uint32_t MB_ICONINFORMATION = 0x0040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool v) { FKeyPreview = v; }
    bool StayOnTop() const { return FStayOnTop; }
    void SetStayOnTop(bool v) { FStayOnTop = v; }

    // Left/Top are screen coordinates of the outer frame; the client area sits inside
    // the frame (border and caption) that the border style gives.
    TRect ClientRect() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;
    TPoint ClientOrigin() const override;
    int FrameWidth() const;
    int CaptionHeight() const;
    // The smallest client area a person may size the window to (0: no limit); a form
    // laid out at fixed places sets it so that nothing it needs slides out of view.
    int MinClientWidth() const { return FMinClientWidth; }
    int MinClientHeight() const { return FMinClientHeight; }
    void SetMinClientSize(int Width, int Height) { FMinClientWidth = Width; FMinClientHeight = Height; }

    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Control);
    // Called while the new focused window handles WM_SETFOCUS: CM_EXIT to the control
    // that had the focus in this form, CM_ENTER to the new one.
    void SetFocusedControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);
    // Forgets Control and everything on it as the active or focused control (it is being
    // removed from the form).
    void DefocusControl(TWinControl* Control);
    // Focuses the first control in tab order that can take the focus.
    void SelectFirst();

    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    bool Modal() const { return FModal; }
    // Shows the form and runs a nested message loop until ModalResult is set.
    virtual TModalResult ShowModal();
    void Close();
    bool Active() const;

    void SetVisible(bool Value) override;
    void SetFocus() override;
    bool CanFocus() const override;

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnCreate;
    TNotifyEvent OnActivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    virtual void DoShow() { if (OnShow) OnShow(this); }
    virtual void DoHide() { if (OnHide) OnHide(this); }
    void DialogKey(TMessage& Message);

private:
    void SetVisibleNoShow();
    TFormBorderStyle FBorderStyle = bsSizeable;
    TPosition FPosition = poDesigned;
    bool FKeyPreview = false;
    bool FStayOnTop = false;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;  // the control that last received CM_ENTER
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    int FMinClientWidth = 0;
    int FMinClientHeight = 0;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// The hint and status font and the screen's size.
class TScreen : public TComponent {
public:
    TScreen() : TComponent(nullptr) {}
    TFont& HintFont() { return FHintFont; }
    int Width() const { return 1280; }
    int Height() const { return 800; }
    int Cursor() const { return FCursor; }
    void SetCursor(int v) { FCursor = v; }
    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int i) const { return FForms.at(static_cast<size_t>(i)); }
    TCustomForm* ActiveForm() const;

private:
    friend class TCustomForm;
    TFont FHintFont;
    int FCursor = 0;
    std::vector<TCustomForm*> FForms;
};

// Cursors.
constexpr int crDefault = 0;
constexpr int crHourGlass = -11;
using HCURSOR = int;
constexpr int IDC_ARROW = 32512;
constexpr int IDC_WAIT = 32514;
HCURSOR LoadCursor(std::uintptr_t Instance, int CursorName);
// Sets the mouse cursor; returns the previous one.
HCURSOR SetCursor(HCURSOR Cursor);
HCURSOR GetCursor();

using TWindowHook = std::function<bool(TMessage& Message)>;
class THintWindow;

// What CM_HINTSHOW hands the control about to show its hint (LParam points to it); the
// control may change the text or answer non-zero to show nothing.
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint CursorPos;  // screen coordinates
    std::string HintStr;
    int HideTimeout = 2500;
};

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Exceptions raised while a message is handled or a timer fires go to OnException
    // when it is set; otherwise ShowException shows them. Either way the loop goes on.
    std::function<void(TObject* Sender, const std::exception& E)> OnException;
    // What the loop does with an exception a handler raised: OnException, or ShowException.
    void HandleException(TObject* Sender, const std::exception& E);
    // The default: a modal error box with the message, an error icon and the
    // application's title. Headless with no scripted input left to answer the box, the
    // message goes to standard error instead. Without a title the box's caption is the
    // program's file name.
    void ShowException(const std::exception& E);

    // The message queue of the user-interface thread.
    void PostMessage(HWND Window, std::uint32_t Msg, WPARAM W, LPARAM L);
    bool PeekMessage(TMsg& Msg, HWND Window, std::uint32_t FilterMin, std::uint32_t FilterMax, bool Remove);
    // Removes one pending message with this id addressed to this window; true when one
    // was removed.
    bool KillMessage(HWND Window, std::uint32_t Msg);
    int PendingMessageCount() const { return static_cast<int>(FQueue.size()); }
    // Handles one queued message the way the loop does (key messages first offered to
    // the control as CN_ notifications, then translated and dispatched).
    void DispatchQueued(const TMsg& Msg);

    // Processes every pending message and every pending input event, then gives the
    // idle work one step; returns when there is nothing left to do.
    void ProcessMessages();
    // Work done in small steps while no message and no input waits (the database layer's
    // background reading): one step per call, answering whether it did anything. The
    // message loop runs a step whenever it would otherwise wait for input.
    void SetIdleWork(std::function<bool()> Work) { FIdleWork = std::move(Work); }
    // One step of the idle work; false when there was none.
    bool DoIdleWork();
    // Processes one message or input event, waiting for input when there is none.
    void HandleMessage();
    void Run();
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }

    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* f) { FMainForm = f; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& t) { FTitle = t; }

    // A message box as a real modal form: MB_YESNO answers IDYES (the Y key, Enter) or
    // IDNO (N, Esc); MB_OK answers IDOK.
    int MessageBox(const std::string& Text, const std::string& Caption, std::uint32_t Flags);
    // Observers see every message box as it opens (tests read its text and caption).
    std::function<void(TCustomForm* Box, const std::string& Text, const std::string& Caption, std::uint32_t Flags)> OnMessageBox;

    // Hooks on the main window: they see WM_ACTIVATEAPP and other application messages;
    // a hook that answers true consumes the message.
    int HookMainWindow(TWindowHook Hook);
    void UnhookMainWindow(int HookId);
    int MainWindowHookCount() const { return static_cast<int>(FHooks.size()); }
    // The application gains (true) or loses the activation; hooks see WM_ACTIVATEAPP.
    void Activate(bool Active);
    // Hides the hint that shows (or is about to show) for the control under the mouse.
    void CancelHint();
    int CancelHintCount() const { return FCancelHints; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v) { FShowHint = v; if (!v) CancelHint(); }
    int HintPause() const { return FHintPause; }
    void SetHintPause(int ms) { FHintPause = ms; }
    // The control under the mouse and the application's tool-tip window (null while no
    // hint has been shown).
    TControl* MouseControl() const { return FMouseControl; }
    THintWindow* HintWindow() const { return FHintWindow; }
    // A control that goes away stops being the one under the mouse.
    void ControlDestroyed(TControl* Control);

    // Time: milliseconds on the application's clock (virtual in tests).
    double Now() const;
    void RegisterTimer(TTimer* Timer);
    void UnregisterTimer(TTimer* Timer);
    // Runs the clock forward to At, firing due timers in time order, each followed by the
    // messages it caused.
    void AdvanceClockTo(double At);
    // Fires the timers due on the wall clock (window backends).
    void FireDueTimers();
    double NextTimerDue() const;

    TBackend& Backend();
    void SetBackend(std::unique_ptr<TBackend> Backend);
    // Puts the application back to a clean state: empty queue, no focus or capture,
    // key state and virtual clock reset, headless backend. Tests call it between cases.
    void Reset();

    // Input from the backend, turned into messages on the queue.
    void InputKey(std::uint16_t Key, bool Down);
    void InputChar(char32_t Ch);
    // Mouse input at a point of a top-level window's client area: a form, or a popup
    // window (Popups.h), which takes input even while a modal form is up.
    void InputMouse(TWinControl* Form, TPoint ClientPos, std::uint32_t Msg);
    // The wheel turned with the pointer at ClientPos of a form (Delta: WHEEL_DELTA per
    // notch, positive away from the user): WM_MOUSEWHEEL goes to the window holding the
    // mouse capture (an open drop-down list), else to the window under the pointer.
    void InputWheel(TWinControl* Form, TPoint ClientPos, int Delta);
    TCustomForm* ModalForm() const;
    int ModalLevel() const { return FModalLevel; }

private:
    friend class TCustomForm;
    friend class TTimer;
    bool ProcessOneQueued();
    void FireTimer(TTimer* Timer);
    bool TranslateMessage(const TMsg& Msg);
    void DispatchMessage(const TMsg& Msg);
    bool IsKeyMsg(const TMsg& Msg);

    std::deque<TMsg> FQueue;
    std::unique_ptr<TBackend> FBackend;
    std::vector<TTimer*> FTimers;
    std::vector<std::pair<int, TWindowHook>> FHooks;
    int FNextHook = 1;
    bool FTerminated = false;
    std::function<bool()> FIdleWork;
    TCustomForm* FMainForm = nullptr;
    std::string FTitle;
    int FCancelHints = 0;
    int FModalLevel = 0;
    std::vector<TCustomForm*> FModalStack;
    void TrackMouse(TWinControl* Window, TPoint Local, TPoint Screen);
    void ShowHintNow();
    bool FShowHint = true;
    int FHintPause = 500;
    TControl* FMouseControl = nullptr;
    TPoint FCursorPos;
    TTimer* FHintTimer = nullptr;
    THintWindow* FHintWindow = nullptr;
};

// The global application and screen objects, created on first use.
struct TApplicationRef {
    TApplication* operator->() const;
    TApplication& operator*() const { return *operator->(); }
};
struct TScreenRef {
    TScreen* operator->() const;
};
inline constexpr TApplicationRef Application{};
inline constexpr TScreenRef Screen{};

// Queue functions of the thread.
void PostMessage(HWND Window, std::uint32_t Msg, WPARAM W, LPARAM L);
LRESULT SendMessage(HWND Window, std::uint32_t Msg, WPARAM W, LPARAM L);
bool KillMessage(HWND Window, std::uint32_t Msg);
// A message box owned by a window (0 for none).
int MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, std::uint32_t Flags);
void ShowMessage(const std::string& Text);

}  // namespace korin
