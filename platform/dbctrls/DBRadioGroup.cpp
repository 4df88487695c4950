#include "korin/platform/dbctrls/DBCtrls.h"

#include <algorithm>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// TDBRadioGroup

TDBRadioGroup::TDBRadioGroup(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetBounds(0, 0, 185, 105);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

std::string TDBRadioGroup::ItemValue(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(FItems.size()))
        return "";
    return Index < static_cast<int>(FValues.size()) ? FValues[Index] : FItems[Index];
}

std::string TDBRadioGroup::Value() const
{
    return ItemValue(FItemIndex);
}

void TDBRadioGroup::SetItemIndex(int Value)
{
    FItemIndex = Value >= 0 && Value < static_cast<int>(FItems.size()) ? Value : -1;
    Invalidate();
}

void TDBRadioGroup::DataChange(TObject*)
{
    int index = -1;
    if (TField* f = Field()) {
        std::string v = f->Text();
        for (int i = 0; i < static_cast<int>(FItems.size()); ++i)
            if (ItemValue(i) == v) {
                index = i;
                break;
            }
    }
    SetItemIndex(index);
}

void TDBRadioGroup::UpdateData(TObject*)
{
    Field()->SetText(Value());
}

void TDBRadioGroup::Pick(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(FItems.size()) || Index == FItemIndex)
        return;
    if (!FDataLink.Edit())
        return;
    SetItemIndex(Index);
    FDataLink.Modified();
    if (OnChange)
        OnChange(this);
}

TRect TDBRadioGroup::ItemRect(int Index) const
{
    int n = static_cast<int>(FItems.size());
    int rows = std::max(1, (n + FColumns - 1) / FColumns);
    int top = 16, h = std::max(1, (Height() - top - 4) / rows);
    int w = std::max(1, (Width() - 16) / FColumns);
    int col = Index / rows, row = Index % rows;
    return Rect(8 + col * w, top + row * h, 8 + (col + 1) * w, top + (row + 1) * h);
}

void TDBRadioGroup::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (Key == VK_UP || Key == VK_LEFT) {
        Pick(std::max(0, FItemIndex - 1));
        Key = 0;
    } else if (Key == VK_DOWN || Key == VK_RIGHT) {
        Pick(std::min(static_cast<int>(FItems.size()) - 1, FItemIndex + 1));
        Key = 0;
    }
}

void TDBRadioGroup::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDBFieldControl<TCustomControl>::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    for (int i = 0; i < static_cast<int>(FItems.size()); ++i)
        if (PtInRect(ItemRect(i), Point(X, Y))) {
            Pick(i);
            break;
        }
}

void TDBRadioGroup::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomControl>::DoExit();
}

void TDBRadioGroup::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    int th = c.TextHeight("Ag");
    TRect frame = Rect(0, th / 2, Width(), Height());
    DrawEdge(c, frame, EDGE_ETCHED, BF_RECT);
    c.Brush().SetColor(Color());
    int capW = c.TextWidth(Caption());
    if (capW > 0) {
        c.FillRect(Rect(6, 0, 10 + capW, th));
        c.Brush().SetStyle(bsClear);
        c.TextOut(8, 0, Caption());
    }
    c.Brush().SetStyle(bsClear);
    for (int i = 0; i < static_cast<int>(FItems.size()); ++i) {
        TRect ir = ItemRect(i);
        int cy = (ir.Top + ir.Bottom) / 2;
        PaintRadioMark(c, Rect(ir.Left, cy - 6, ir.Left + 12, cy + 6), i == FItemIndex);
        c.Brush().SetStyle(bsClear);  // the mark left its colours in the brush: no box behind the text
        TRect tr = Rect(ir.Left + 16, ir.Top, ir.Right, ir.Bottom);
        DrawText(c, FItems[i], tr, DT_SINGLELINE | DT_VCENTER);
        if (i == FItemIndex && Focused())
            c.DrawFocusRect(Rect(tr.Left - 2, cy - th / 2 - 1, std::min(tr.Right, tr.Left + c.TextWidth(StripAccel(FItems[i])) + 2), cy + th / 2 + 1));
    }
}

}  // namespace korin
