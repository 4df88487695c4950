#include "korin/platform/gui/ComCtrls.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/ControlParts.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

using namespace ctlparts;

// ---------------------------------------------------------------- TListBox

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner)
{
    SetColor(clWindow);
    SetTabStop(true);
    SetControlStyle(ControlStyle() & ~csCaptureMouse);
    SetBounds(0, 0, 121, 97);
    FBar.OnScroll = [this](TScrollCode, int& Pos) {
        SetTopIndex(Pos);
        Pos = FTopIndex;
    };
    FBar.OnInvalidate = [this] { Invalidate(); };
}

int TListBox::ItemsRight() const { return Width() - 2 - (ScrollBarVisible() ? ScrollBarSize : 0); }

void TListBox::SyncBar()
{
    FBar.Kind = sbVertical;
    FBar.Bounds = ScrollBarVisible() ? Rect(Width() - 2 - ScrollBarSize, 2, Width() - 2, Height() - 2) : TRect();
    FBar.Min = 0;
    FBar.Max = std::max(0, Count() - 1);
    FBar.PageSize = VisibleRows();
    FBar.LargeChange = VisibleRows();
    FBar.SetPosition(FTopIndex);
}

bool TListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    int notches = WheelNotches(WheelDelta);
    int last = std::max(0, Count() - VisibleRows());
    SetTopIndex(std::clamp(FTopIndex - notches * WheelScrollLines, 0, last));
    SyncBar();
    return true;
}

void TListBox::SetItems(const std::vector<std::string>& Value)
{
    FItems = Value;
    if (FItemIndex >= Count())
        FItemIndex = -1;
    FTopIndex = 0;
    Invalidate();
}

void TListBox::AddItem(const std::string& Item)
{
    FItems.push_back(Item);
    Invalidate();
}

void TListBox::Clear()
{
    FItems.clear();
    FItemIndex = -1;
    FTopIndex = 0;
    Invalidate();
}

int TListBox::ItemIndex() const { return FItemIndex < Count() ? FItemIndex : -1; }

void TListBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= Count())
        Value = -1;
    if (Value == FItemIndex)
        return;
    FItemIndex = Value;
    MakeVisible(Value);
    Invalidate();
}

void TListBox::SetItemHeight(int Value)
{
    if (Value > 0 && Value != FItemHeight) {
        FItemHeight = Value;
        Invalidate();
    }
}

void TListBox::SetTopIndex(int Value)
{
    Value = std::clamp(Value, 0, std::max(0, Count() - 1));
    if (Value != FTopIndex) {
        FTopIndex = Value;
        Invalidate();
    }
}

int TListBox::VisibleRows() const { return std::max(1, (Height() - 4) / FItemHeight); }

void TListBox::MakeVisible(int Index)
{
    if (Index < 0)
        return;
    if (Index < FTopIndex)
        SetTopIndex(Index);
    else if (Index >= FTopIndex + VisibleRows())
        SetTopIndex(Index - VisibleRows() + 1);
}

TRect TListBox::ItemRect(int Index) const
{
    int y = 2 + (Index - FTopIndex) * FItemHeight;
    return Rect(2, y, ItemsRight(), y + FItemHeight);
}

int TListBox::ItemAtPos(TPoint Pos, bool Existing) const
{
    if (Pos.x < 2 || Pos.x >= ItemsRight() || Pos.y < 2 || Pos.y >= Height() - 2)
        return -1;
    int i = FTopIndex + (Pos.y - 2) / FItemHeight;
    if (i >= Count())
        return Existing ? -1 : Count();
    return i;
}

void TListBox::SelectFromUser(int Index)
{
    if (Index < 0 || Index == ItemIndex())
        return;
    SetItemIndex(Index);
    Click();
}

void TListBox::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    TRect inner = SunkenField(c, ClientRect());
    c.Brush().SetColor(Color());
    c.FillRect(inner);
    c.IntersectClipRect(inner);
    for (int i = FTopIndex; i < Count(); ++i) {
        TRect r = ItemRect(i);
        if (r.Top >= inner.Bottom)
            break;
        bool selected = i == ItemIndex();
        if (selected) {
            c.Brush().SetColor(clHighlight);
            c.FillRect(r);
        }
        c.Font().SetColor(selected ? clHighlightText : (Enabled() ? Font().Color() : clGrayText));
        TextInRect(c, r, r.Left + 2, FItems[static_cast<size_t>(i)]);
        if (selected && Focused())
            c.DrawFocusRect(r);
    }
    if (ScrollBarVisible()) {
        SyncBar();
        FBar.Paint(c, Enabled());
    }
}

void TListBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (!IsPagingKey(Key) || (Shift & (ssAlt | ssCtrl)))
        return;
    SelectFromUser(MoveIndex(Key, ItemIndex(), Count(), VisibleRows()));
    Key = 0;
}

void TListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && ScrollBarVisible() && X >= ItemsRight() && X < Width() - 2) {
        SyncBar();
        SetMouseCapture(true);
        FBar.MouseDown(Point(X, Y));
        TWinControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (Button == mbLeft) {
        int i = ItemAtPos(Point(X, Y));
        if (i >= 0)
            SetItemIndex(i);
        SetMouseCapture(true);
    }
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FBar.Pressed()) {
        FBar.MouseMove(Point(X, Y));
        TWinControl::MouseMove(Shift, X, Y);
        return;
    }
    // Dragging with the button held moves the selection along.
    if (MouseCapture() && (Shift & ssLeft)) {
        int i = ItemAtPos(Point(X, std::clamp(Y, 2, std::max(2, Height() - 3))));
        if (i >= 0)
            SetItemIndex(i);
    }
    TWinControl::MouseMove(Shift, X, Y);
}

void TListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        if (FBar.Pressed())
            FBar.MouseUp(Point(X, Y));
        SetMouseCapture(false);
    }
    TWinControl::MouseUp(Button, Shift, X, Y);
}

}  // namespace korin
