#include "korin/platform/dbctrls/KCtrls.h"

#include <algorithm>
#include <charconv>

#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/Canvas.h"

namespace korin {

void TKDBComboBox::KeyPress(char32_t& Key)
{
    if (FAutoDropDown && Key >= 32 && !DroppedDown())
        SetDroppedDown(true);
    TDBComboBox::KeyPress(Key);
}

TDBSpinEdit::TDBSpinEdit(TComponent* AOwner) : TDBEditControl(AOwner)
{
    SetAlignment(taRightJustify);
    FRightMargin = 16;
}

std::int64_t TDBSpinEdit::Value() const
{
    const std::string& t = Text();
    std::int64_t v = 0;
    const char* b = t.data();
    if (!t.empty() && t[0] == '+')
        ++b;
    auto [p, ec] = std::from_chars(b, t.data() + t.size(), v);
    return ec == std::errc() ? v : 0;
}

void TDBSpinEdit::SetValue(std::int64_t Value)
{
    if (FMaxValue > FMinValue)
        Value = std::clamp(Value, FMinValue, FMaxValue);
    std::string t = std::to_string(Value);
    if (t == Text())
        return;
    if (!FDataLink.Edit())
        return;
    ShowText(t);
    Change();
}

void TDBSpinEdit::Step(int Direction)
{
    SetValue(Value() + Direction * FIncrement);
}

bool TDBSpinEdit::IsValidChar(char32_t Ch) const
{
    return (Ch >= '0' && Ch <= '9') || Ch == '-' || Ch == '+';
}

void TDBSpinEdit::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (Key == VK_UP || Key == VK_DOWN) {
        Step(Key == VK_UP ? 1 : -1);
        Key = 0;
        return;
    }
    TDBEditControl::KeyDown(Key, Shift);
}

void TDBSpinEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDBEditControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && X >= Width() - 16)
        Step(Y < Height() / 2 ? 1 : -1);
}

void TDBSpinEdit::Paint()
{
    TDBEditControl::Paint();
    TCanvas& c = *Canvas();
    int h = Height() / 2;
    TRect up = Rect(Width() - 18, 2, Width() - 2, h);
    TRect down = Rect(Width() - 18, h, Width() - 2, Height() - 2);
    PaintDropButton(c, down, false);
    // The up button: the same face with the arrow turned over.
    TRect face = up;
    c.Brush().SetColor(clBtnFace);
    c.FillRect(face);
    c.Pen().SetColor(clBtnShadow);
    c.Rectangle(face);
    int cx = (face.Left + face.Right) / 2, cy = (face.Top + face.Bottom) / 2;
    c.Pen().SetColor(clBtnText);
    for (int i = 0; i < 4; ++i) {
        c.MoveTo(cx - 3 + i, cy + 2 - i);
        c.LineTo(cx + 4 - i, cy + 2 - i);
    }
}

void TDBKGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState)
{
    if (FStriped && !(AState & (gdFixed | gdSelected)) && (ARow % 2) == 0) {
        Canvas()->Brush().SetColor(0xF4F0EC);
        Canvas()->FillRect(ARect);
    }
    TCustomDBGrid::DrawCell(ACol, ARow, ARect, AState);
}

}  // namespace korin
