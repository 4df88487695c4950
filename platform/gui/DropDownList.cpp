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
        TRect r = Rect(1, 1 + (i - FTopIndex) * h, Width() - 1, 1 + (i - FTopIndex + 1) * h);
        if (r.Top >= Height() - 1)
            break;
        PaintItem(c, r, i, i == FHotIndex);
    }
}

void TDropDownList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!PtInRect(ClientRect(), Point(X, Y))) {
        Dismissed();
        return;
    }
    FPressedInside = true;
    Track(ItemAt(Y));
}

void TDropDownList::MouseMove(TShiftState Shift, int X, int Y)
{
    if (PtInRect(ClientRect(), Point(X, Y)) && ItemAt(Y) >= 0) {
        FEntered = true;
        Track(ItemAt(Y));
    }
}

void TDropDownList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    // The release of the press that dropped the list is ignored unless the pointer was
    // pressed in or dragged into the list; a release over a row picks it.
    if (!(FPressedInside || FEntered) || !PtInRect(ClientRect(), Point(X, Y)))
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
