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
// TDBListBox

TDBListBox::TDBListBox(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
    FBar.OnScroll = [this](TScrollCode, int& Pos) {
        SetTopIndex(Pos);
        Pos = FTopIndex;
    };
    FBar.OnInvalidate = [this] { Invalidate(); };
}

int TDBListBox::Rows() const { return std::max(1, (ClientHeight() - 4) / FItemHeight); }

void TDBListBox::SetTopIndex(int Index)
{
    Index = std::clamp(Index, 0, std::max(0, static_cast<int>(FItems.size()) - Rows()));
    if (Index == FTopIndex)
        return;
    FTopIndex = Index;
    Invalidate();
}

void TDBListBox::SyncBar()
{
    FBar.Kind = sbVertical;
    FBar.Bounds = ScrollBarVisible() ? Rect(ClientWidth() - 2 - ScrollBarSize, 2, ClientWidth() - 2, ClientHeight() - 2)
                                     : TRect();
    FBar.Min = 0;
    FBar.Max = std::max(0, static_cast<int>(FItems.size()) - 1);
    FBar.PageSize = Rows();
    FBar.LargeChange = Rows();
    FBar.SetPosition(FTopIndex);
}

bool TDBListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TDBFieldControl<TCustomControl>::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    SetTopIndex(FTopIndex - WheelNotches(WheelDelta) * WheelScrollLines);
    SyncBar();
    return true;
}

void TDBListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FBar.Pressed())
        FBar.MouseMove(Point(X, Y));
    TDBFieldControl<TCustomControl>::MouseMove(Shift, X, Y);
}

void TDBListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FBar.Pressed())
        FBar.MouseUp(Point(X, Y));
    TDBFieldControl<TCustomControl>::MouseUp(Button, Shift, X, Y);
}

void TDBListBox::SetItems(const std::vector<std::string>& Value)
{
    FItems = Value;
    FDataLink.Reset();
}

void TDBListBox::SetItemIndex(int Value)
{
    FItemIndex = Value >= 0 && Value < static_cast<int>(FItems.size()) ? Value : -1;
    MakeVisible();
    Invalidate();
}

void TDBListBox::MakeVisible()
{
    int rows = std::max(1, (ClientHeight() - 4) / FItemHeight);
    if (FItemIndex < 0)
        return;
    if (FItemIndex < FTopIndex)
        FTopIndex = FItemIndex;
    else if (FItemIndex >= FTopIndex + rows)
        FTopIndex = FItemIndex - rows + 1;
}

void TDBListBox::DataChange(TObject*)
{
    int index = -1;
    if (TField* f = Field()) {
        std::string v = f->Text();
        auto it = std::find(FItems.begin(), FItems.end(), v);
        if (it != FItems.end())
            index = static_cast<int>(it - FItems.begin());
    }
    SetItemIndex(index);
}

void TDBListBox::UpdateData(TObject*)
{
    if (FItemIndex >= 0)
        Field()->SetText(FItems[FItemIndex]);
    else
        Field()->SetText("");
}

void TDBListBox::Pick(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(FItems.size()) || Index == FItemIndex)
        return;
    if (!FDataLink.Edit())
        return;
    SetItemIndex(Index);
    FDataLink.Modified();
}

void TDBListBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    int rows = std::max(1, (ClientHeight() - 4) / FItemHeight);
    int n = static_cast<int>(FItems.size());
    switch (Key) {
    case VK_UP: Pick(std::max(0, FItemIndex - 1)); break;
    case VK_DOWN: Pick(std::min(n - 1, FItemIndex + 1)); break;
    case VK_HOME: Pick(0); break;
    case VK_END: Pick(n - 1); break;
    case VK_PRIOR: Pick(std::max(0, FItemIndex - rows)); break;
    case VK_NEXT: Pick(std::min(n - 1, FItemIndex + rows)); break;
    default: return;
    }
    Key = 0;
}

void TDBListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDBFieldControl<TCustomControl>::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && ScrollBarVisible() && X >= ClientWidth() - 2 - ScrollBarSize) {
        SyncBar();
        FBar.MouseDown(Point(X, Y));
        return;
    }
    if (Button == mbLeft && Y >= 2)
        Pick(FTopIndex + (Y - 2) / FItemHeight);
}

void TDBListBox::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomControl>::DoExit();
}

void TDBListBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Color());
    c.Font().Assign(Font());
    if (ScrollBarVisible())
        r.Right = std::max(r.Left, ClientWidth() - 2 - ScrollBarSize);
    for (int i = FTopIndex; i < static_cast<int>(FItems.size()); ++i) {
        TRect ir = Rect(r.Left, r.Top + (i - FTopIndex) * FItemHeight, r.Right, r.Top + (i - FTopIndex + 1) * FItemHeight);
        if (ir.Top >= r.Bottom)
            break;
        PaintCellText(c, ir, FItems[i], i == FItemIndex, taLeftJustify);
        if (i == FItemIndex && Focused())
            c.DrawFocusRect(ir);
    }
    if (ScrollBarVisible()) {
        SyncBar();
        FBar.Paint(c, Enabled());
    }
}

}  // namespace korin
