#include "korin/platform/gui/DropDownList.h"

#include <algorithm>

#include "korin/platform/gui/Popups.h"

namespace korin {

TDropDownList::TDropDownList(TControl* Source) : TCustomControl(nullptr), FSource(Source)
{
    SetControlStyle(0);
    SetColor(clWindow);
    SetVisible(false);
    RegisterPopupWindow(this);
    FBar.OnScroll = [this](TScrollCode, int& Pos) {
        SetTopIndex(Pos);
        Pos = FTopIndex;
    };
    FBar.OnInvalidate = [this] { Invalidate(); };
}

int TDropDownList::RowsRight() const { return Width() - 1 - (ScrollBarVisible() ? ScrollBarSize : 0); }

void TDropDownList::SetTopIndex(int Index)
{
    Index = std::clamp(Index, 0, std::max(0, ItemCount() - Rows()));
    if (Index == FTopIndex)
        return;
    FTopIndex = Index;
    Invalidate();
}

void TDropDownList::SyncBar()
{
    FBar.Kind = sbVertical;
    FBar.Bounds = ScrollBarVisible() ? Rect(Width() - 1 - ScrollBarSize, 1, Width() - 1, Height() - 1) : TRect();
    FBar.Min = 0;
    FBar.Max = std::max(0, ItemCount() - 1);
    FBar.PageSize = Rows();
    FBar.LargeChange = Rows();
    FBar.SetPosition(FTopIndex);
}

bool TDropDownList::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    SetTopIndex(FTopIndex - WheelNotches(WheelDelta) * WheelScrollLines);
    SyncBar();
    return true;
}

TDropDownList::~TDropDownList()
{
    BeforeDestruction();
    UnregisterPopupWindow(this);
}

int TDropDownList::Rows() const { return std::max(1, (Height() - 2) / ItemHeight()); }

int TDropDownList::ItemAt(int Y) const
{
    if (Y < 1 || Y >= Height() - 1)
        return -1;
    int i = FTopIndex + (Y - 1) / ItemHeight();
    return i < ItemCount() ? i : -1;
}

void TDropDownList::Track(int Index)
{
    FHotIndex = Index;
    if (Index >= 0 && Index < FTopIndex)
        FTopIndex = Index;
    else if (Index >= FTopIndex + Rows())
        FTopIndex = Index - Rows() + 1;
    Invalidate();
}

void TDropDownList::CreateParams(TCreateParams& P)
{
    TCustomControl::CreateParams(P);
    P.Style = WS_POPUP | WS_BORDER;
    P.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
}

void TDropDownList::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(FSource->Font());
    c.Brush().SetColor(clWindowFrame);
    c.FrameRect(ClientRect());
    int h = ItemHeight();
    for (int i = FTopIndex; i < ItemCount(); ++i) {
        TRect r = Rect(1, 1 + (i - FTopIndex) * h, RowsRight(), 1 + (i - FTopIndex + 1) * h);
        if (r.Top >= Height() - 1)
            break;
        PaintItem(c, r, i, i == FHotIndex);
    }
    if (ScrollBarVisible()) {
        SyncBar();
        FBar.Paint(c, Enabled());
    }
}

void TDropDownList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!PtInRect(ClientRect(), Point(X, Y))) {
        Dismissed();
        return;
    }
    FPressedInside = true;
    if (ScrollBarVisible() && X >= RowsRight()) {
        SyncBar();
        FBar.MouseDown(Point(X, Y));
        return;
    }
    Track(ItemAt(Y));
}

void TDropDownList::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FBar.Pressed()) {
        FBar.MouseMove(Point(X, Y));
        return;
    }
    if (PtInRect(ClientRect(), Point(X, Y)) && X < RowsRight() && ItemAt(Y) >= 0) {
        FEntered = true;
        Track(ItemAt(Y));
    }
}

void TDropDownList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    // The release of the press that dropped the list is ignored unless the pointer was
    // pressed in or dragged into the list; a release over a row picks it. A press on the
    // scroll bar picks nothing.
    if (FBar.Pressed()) {
        FBar.MouseUp(Point(X, Y));
        return;
    }
    if (!(FPressedInside || FEntered) || !PtInRect(ClientRect(), Point(X, Y)) || X >= RowsRight())
        return;
    int i = ItemAt(Y);
    if (i < 0)
        return;
    ItemPicked(i);
}

void TDropDownList::WndProc(TMessage& m)
{
    if (m.Msg == WM_CAPTURECHANGED && !Closing) {
        // Someone else took the mouse (a modal form, say): the list goes up.
        Dismissed();
        return;
    }
    TCustomControl::WndProc(m);
}

}  // namespace korin
