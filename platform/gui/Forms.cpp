// TCustomForm and TScreen; TApplication lives in Application.cpp.
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

}  // namespace korin
