#include "platform/gui/StdCtrls.h"

#include <cctype>

#include "platform/gui/Keyboard.h"

bool IsAccel(char32_t Ch, const std::string& Caption)
{
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != '&')
            continue;
        if (Caption[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(Caption[i + 1]);
        return Ch < 128 && std::toupper(static_cast<int>(Ch)) == std::toupper(c);
    }
    return false;
}

std::string StripAccel(const std::string& Caption)
{
    std::string r;
    for (size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&' && i + 1 < Caption.size()) {
            ++i;
        }
        r += Caption[i];
    }
    return r;
}

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle(csSetCaption | csDoubleClicks);
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::Click()
{
    if (TCustomForm* form = GetParentForm(this))
        if (FModalResult != mrNone)
            form->SetModalResult(FModalResult);
    TWinControl::Click();
}

bool TButton::IsActive() const
{
    HWND f = GetFocus();
    TWinControl* focused = f ? FindControl(f) : nullptr;
    if (dynamic_cast<TButton*>(focused))
        return focused == this;
    return FDefault;
}

void TButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGKEY: {
        std::uint16_t key = LoWord(m.WParam);
        bool plain = (KeyDataToShiftState(m.LParam)) == 0;
        if (plain && ((key == VK_RETURN && IsActive()) || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
            Click();
            m.Result = 1;
            return;
        }
        break;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(m.WParam), Caption()) && CanFocus()) {
            Click();
            m.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        FPressed = false;
        break;
    }
    TWinControl::WndProc(m);
}

void TButton::KeyDown(std::uint16_t& Key, TShiftState)
{
    if (Key == VK_SPACE) {
        FSpaceDown = true;
        FPressed = true;
        Invalidate();
    }
}

void TButton::KeyUp(std::uint16_t& Key, TShiftState)
{
    if (Key == VK_SPACE && FSpaceDown) {
        FSpaceDown = false;
        FPressed = false;
        Invalidate();
        Click();
    }
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && Enabled()) {
        SetMouseCapture(true);
        FTracking = true;
        FPressed = true;
        Invalidate();
    }
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FTracking) {
        bool inside = PtInRect(ClientRect(), Point(X, Y));
        if (inside != FPressed) {
            FPressed = inside;
            Invalidate();
        }
    }
    TWinControl::MouseMove(Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    bool click = false;
    if (Button == mbLeft && FTracking) {
        FTracking = false;
        SetMouseCapture(false);
        click = PtInRect(ClientRect(), Point(X, Y));
        FPressed = false;
        Invalidate();
    }
    TWinControl::MouseUp(Button, Shift, X, Y);
    if (click)
        Click();
}

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetBounds(0, 0, 65, 17);
}
