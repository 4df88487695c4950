#include "korin/platform/dbctrls/DBCtrls.h"

#include <algorithm>

#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/Canvas.h"

namespace korin {

TDBEditControl::TDBEditControl(TComponent* AOwner, bool MultiLine)
    : TDBFieldControl<TCustomControl>(AOwner), FEditor(*this, MultiLine)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnEditingChange = [this](TObject*) { EditingChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

void TDBEditControl::SetControlText(const std::string& Value)
{
    FInternalChange = true;
    try {
        SetText(Value);
    } catch (...) {
        FInternalChange = false;
        throw;
    }
    FInternalChange = false;
}

void TDBEditControl::ShowText(const std::string& Value)
{
    // The caret goes to the end of a new value, not the start as in a plain edit box:
    // typing into a data field after a record move goes on from what it holds. The same
    // value leaves the caret and selection alone (a dataset re-reading its record while
    // going into edit state must not move them under the user).
    if (Value != FEditor.Text()) {
        FEditor.SetText(Value);
        // Without the focus a value shows from its start; the caret comes into view on entry
        // (so it is placed without measuring the text to scroll to it).
        if (Focused())
            FEditor.SetSelStart(FEditor.TextLength());
        else
            FEditor.SetSelStartShowingStart(FEditor.TextLength());
    }
    SetControlText(FEditor.Text());
    Invalidate();
}

void TDBEditControl::TextChanged()
{
    // Text set from code is shown as a record move shows it: not as the user's change.
    if (!FInternalChange) {
        FEditor.SetText(Text());
        FEditor.SetSelStart(FEditor.TextLength());
    }
    TDBFieldControl<TCustomControl>::TextChanged();
}

void TDBEditControl::DataChange(TObject*)
{
    // The field's display text (a number in its display format) until the control has
    // the focus; then the text to edit.
    ShowText(!Field() ? std::string() : Focused() ? Field()->Text() : Field()->DisplayText());
}

void TDBEditControl::EditingChange(TObject*)
{
    Invalidate();
}

void TDBEditControl::UpdateData(TObject*)
{
    Field()->SetText(Text());
}

bool TDBEditControl::IsValidChar(char32_t Ch) const
{
    TField* f = Field();
    if (!f)
        return true;
    switch (f->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return (Ch >= '0' && Ch <= '9') || Ch == '-' || Ch == '+';
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return (Ch >= '0' && Ch <= '9') || Ch == '-' || Ch == '+' || Ch == '.' || Ch == 'e' || Ch == 'E';
    default:
        return true;
    }
}

void TDBEditControl::Change()
{
    FDataLink.Modified();
    if (OnChange)
        OnChange(this);
}

bool TDBEditControl::TextEditBegin()
{
    return FDataLink.Edit();
}

void TDBEditControl::TextEdited()
{
    SetControlText(FEditor.Text());
    Change();
}

TRect TDBEditControl::TextEditArea() const
{
    TRect r = ClientRect();
    InflateRect(r, -2, -2);  // the sunken field frame
    if (FEditor.MultiLine()) {
        InflateRect(r, -2, -1);
        r.Right = std::max(r.Left, r.Right - FRightMargin);
    } else {
        r.Left += 2;
        r.Right -= 2 + FRightMargin;
    }
    return r;
}

void TDBEditControl::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (ForwardPanelKey(this, Key, Shift))
        return;
    if (FEditor.KeyDown(Key, Shift))
        Key = 0;
}

void TDBEditControl::KeyPress(char32_t& Key)
{
    if (Key == 27) {
        // Esc drops what was typed and shows the field's value again.
        if (FDataLink.IsModified()) {
            FDataLink.Reset();
            Key = 0;
        }
        return;
    }
    if (Key == '\r' || Key == '\n') {
        if (FEditor.MultiLine())
            FEditor.KeyPress('\r');
        Key = 0;
        return;
    }
    if (Key >= 32 && !IsValidChar(Key)) {
        Key = 0;
        return;
    }
    if (FEditor.KeyPress(Key))
        Key = 0;
}

void TDBEditControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && X < TextEditArea().Right)
        FEditor.MouseDown(X, Y, Shift);
    TDBFieldControl<TCustomControl>::MouseDown(Button, Shift, X, Y);
}

void TDBEditControl::MouseMove(TShiftState Shift, int X, int Y)
{
    FEditor.MouseMove(X, Y);
    TDBFieldControl<TCustomControl>::MouseMove(Shift, X, Y);
}

void TDBEditControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
        FEditor.MouseUp();
    TDBFieldControl<TCustomControl>::MouseUp(Button, Shift, X, Y);
}

void TDBEditControl::DoEnter()
{
    if (Field() && !FDataLink.IsModified())
        ShowText(Field()->Text());
    FEditor.ScrollToCaret();
    TDBFieldControl<TCustomControl>::DoEnter();
}

void TDBEditControl::DoExit()
{
    // Leaving the control hands the typed text to the field; a refused value raises and
    // stays in the control.
    FDataLink.UpdateRecord();
    if (Field() && !FDataLink.IsModified() && Field()->DisplayText() != Field()->Text()) {
        ShowText(Field()->DisplayText());
    }
    FEditor.ResetScroll();
    TDBFieldControl<TCustomControl>::DoExit();
}

void TDBEditControl::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Enabled() ? Color() : clBtnFace);
    FEditor.Paint(c, Focused(), Font().Color());
}

TDBEdit::TDBEdit(TComponent* AOwner) : TDBEditControl(AOwner) {}

}  // namespace korin
