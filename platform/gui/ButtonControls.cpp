// Buttons and check boxes: TButtonControl, TButton, TCheckBox and TRadioButton.
#include "korin/platform/gui/StdCtrls.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/ControlParts.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

using namespace ctlparts;

// ---------------------------------------------------------------- TButtonControl

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle(csSetCaption | csDoubleClicks);
    SetTabStop(true);
}

void TButtonControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(m.WParam), Caption()) && CanFocus()) {
            SetFocus();
            Activate();
            m.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        FPressed = FTracking = FSpaceDown = false;
        break;
    case WM_KILLFOCUS:
        if (FSpaceDown) {
            FSpaceDown = false;
            FPressed = false;
        }
        break;
    }
    TWinControl::WndProc(m);
}

void TButtonControl::KeyDown(std::uint16_t& Key, TShiftState)
{
    if (Key == VK_SPACE) {
        FSpaceDown = true;
        FPressed = true;
        Invalidate();
    }
}

void TButtonControl::KeyUp(std::uint16_t& Key, TShiftState)
{
    if (Key == VK_SPACE && FSpaceDown) {
        FSpaceDown = false;
        FPressed = false;
        Invalidate();
        Activate();
    }
}

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && Enabled()) {
        SetMouseCapture(true);
        FTracking = true;
        FPressed = true;
        Invalidate();
    }
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TButtonControl::MouseMove(TShiftState Shift, int X, int Y)
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

void TButtonControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    bool activate = false;
    if (Button == mbLeft && FTracking) {
        FTracking = false;
        SetMouseCapture(false);
        activate = PtInRect(ClientRect(), Point(X, Y));
        FPressed = false;
        Invalidate();
    }
    TWinControl::MouseUp(Button, Shift, X, Y);
    if (activate)
        Activate();
}

TRect TButtonControl::PaintCaptionBeside(TCanvas& c, int MarkWidth, TAlignment Alignment)
{
    TRect client = ClientRect();
    int markTop = client.Top + (client.Height() - MarkWidth) / 2;
    bool markRight = Alignment == taLeftJustify;
    TRect mark = markRight ? Rect(client.Right - MarkWidth, markTop, client.Right, markTop + MarkWidth)
                           : Rect(client.Left, markTop, client.Left + MarkWidth, markTop + MarkWidth);
    c.Font().Assign(Font());
    TRect text = Rect(0, 0, 0, 0);
    DrawText(c, Caption().empty() ? std::string(" ") : Caption(), text, DT_CALCRECT | DT_SINGLELINE);
    int tx = markRight ? client.Left + 1 : mark.Right + 4;
    int ty = client.Top + (client.Height() - text.Height()) / 2;
    TRect where = Rect(tx, ty, tx + text.Width(), ty + text.Height());
    TRect draw = where;
    DrawControlText(c, Caption(), draw, DT_SINGLELINE | DT_NOCLIP, Enabled());
    if (Focused() && !Caption().empty()) {
        InflateRect(where, 1, 0);
        c.DrawFocusRect(where);
    }
    return mark;
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetState(TCheckBoxState v)
{
    if (v == FState)
        return;
    FState = v;
    Invalidate();
    if (!IsLoading())
        Click();
}

void TCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(FAllowGrayed ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
    }
}

void TCheckBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect box = PaintCaptionBeside(c, 13, FAlignment);
    TRect inner = box;
    DrawEdge(c, inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    bool dim = !Enabled() || Pressed() || FState == cbGrayed;
    c.Brush().SetColor(dim ? clBtnFace : clWindow);
    c.FillRect(inner);
    if (FState == cbUnchecked)
        return;
    // A tick three pixels thick: down from (1,3) to (3,5), then up to (7,1) inside the box.
    c.Brush().SetColor(!Enabled() || FState == cbGrayed ? clBtnShadow : clWindowText);
    int x = inner.Left + 1, y = inner.Top + 1;
    for (int i = 0; i < 7; ++i) {
        int top = i <= 2 ? y + 2 + i : y + 4 - (i - 2);
        c.FillRect(Rect(x + i, top, x + i + 1, top + 3));
    }
}

// ---------------------------------------------------------------- TRadioButton

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 113, 17);
    SetTabStop(false);
}

void TRadioButton::SetChecked(bool v)
{
    if (v == FChecked)
        return;
    FChecked = v;
    SetTabStop(v);
    Invalidate();
    if (!v)
        return;
    if (TWinControl* p = Parent())
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(p->Controls(i)); r && r != this && r->FChecked) {
                r->FChecked = false;
                r->SetTabStop(false);
                r->Invalidate();
            }
    if (!IsLoading())
        Click();
}

void TRadioButton::DoEnter()
{
    bool byArrow = GetKeyState(VK_UP) < 0 || GetKeyState(VK_DOWN) < 0 || GetKeyState(VK_LEFT) < 0 ||
                   GetKeyState(VK_RIGHT) < 0;
    if (byArrow && !FChecked)
        SetChecked(true);
    TButtonControl::DoEnter();
}

void TRadioButton::Paint()
{
    TCanvas& c = *Canvas();
    TRect box = PaintCaptionBeside(c, 12, FAlignment);
    bool dim = !Enabled() || Pressed();
    c.Pen().SetColor(clBtnShadow);
    c.Brush().SetColor(dim ? clBtnFace : clWindow);
    c.Ellipse(box);
    if (FChecked) {
        c.Pen().SetColor(Enabled() ? clWindowText : clBtnShadow);
        c.Brush().SetColor(Enabled() ? clWindowText : clBtnShadow);
        c.Ellipse(box.Left + 4, box.Top + 4, box.Left + 8, box.Top + 8);
    }
}

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 75, 25);
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
    }
    TButtonControl::WndProc(m);
}

void TButton::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    TRect inside = DrawButtonFace(c, ClientRect(), Pressed(), false, false, IsActive() && Enabled(), Color());
    PaintContent(c, inside);
    if (Focused()) {
        TRect f = ClientRect();
        InflateRect(f, -4, -4);
        c.DrawFocusRect(f);
    }
}

void TButton::PaintContent(TCanvas& c, const TRect& Inside)
{
    TRect r = Inside;
    DrawControlText(c, Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Enabled());
}

}  // namespace korin
