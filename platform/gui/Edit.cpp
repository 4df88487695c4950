#include "korin/platform/gui/StdCtrls.h"

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"

namespace korin {

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle(csSetCaption | csDoubleClicks);
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

void TCustomEdit::TextEdited()
{
    FInternalChange = true;
    try {
        TWinControl::SetText(FEditor.Text());
    } catch (...) {
        FInternalChange = false;
        throw;
    }
    FInternalChange = false;
}

void TCustomEdit::TextChanged()
{
    if (FInternalChange) {
        FModified = true;
    } else {
        // Text set from code: the caret goes to the start, the box is unmodified.
        FEditor.SetText(Text());
        FModified = false;
    }
    Invalidate();
    Change();
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::DoEnter()
{
    if (FAutoSelect)
        SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    FEditor.KeyDown(Key, Shift);
}

void TCustomEdit::KeyPress(char32_t& Key)
{
    FEditor.KeyPress(Key);
}

TRect TCustomEdit::TextArea() const
{
    TRect r = ClientRect();
    InflateRect(r, -3, -2);  // the 2-pixel sunken frame and a pixel of margin on the sides
    return r;
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
        FEditor.MouseDown(X, Y, Shift);
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomEdit::MouseMove(TShiftState Shift, int X, int Y)
{
    FEditor.MouseMove(X, Y);
    TWinControl::MouseMove(Shift, X, Y);
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
        FEditor.MouseUp();
    TWinControl::MouseUp(Button, Shift, X, Y);
}

void TCustomEdit::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    FEditor.Paint(c, Focused(), Enabled() ? Font().Color() : clGrayText);
}

}  // namespace korin
