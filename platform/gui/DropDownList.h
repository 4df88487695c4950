#pragma once
// The list a drop-down control (a combo box, a lookup combo box) shows below itself.
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/ScrollBar.h"

namespace korin {

// A popup window (Popups.h) of rows of equal height that holds the mouse capture while it
// is down. The owning control creates it, places it, captures the mouse for it and frees
// it; the list only tracks the hot row and reports what the user did:
// - a press outside the list, or the capture taken by someone else, dismisses it;
// - a release over a row picks that row, unless it is the release of the press that
//   dropped the list down (the pointer must have been pressed in, or dragged into, the
//   list first).
// With more rows than fit, a scroll bar runs along the right edge: its arrows, track and
// thumb scroll the rows, as does the mouse wheel, and a press on it picks nothing.
// Subclasses say how many rows there are, how high they are, how a row looks and what
// picking and dismissing do.
class TDropDownList : public TCustomControl {
public:
    // Source is the control that owns the list; the rows are drawn in its font.
    explicit TDropDownList(TControl* Source);
    ~TDropDownList() override;

    // The highlighted row (-1 for none) and the first row shown.
    int HotIndex() const { return FHotIndex; }
    int TopIndex() const { return FTopIndex; }
    // How many rows fit inside the 1-pixel frame (at least one).
    int Rows() const;
    // The row at a client y coordinate, or -1.
    int ItemAt(int Y) const;
    // Makes Index the hot row and scrolls it into view.
    void Track(int Index);
    // Scrolls so that Index is the first row shown (kept within the rows).
    void SetTopIndex(int Index);
    // The scroll bar as it stands (brought up to date when painted or pressed); whether
    // it shows.
    const TScrollBarPart& ScrollBar() const { return FBar; }
    bool ScrollBarVisible() const { return ItemCount() > Rows(); }
    // Set by the owner just before it releases the capture and frees the list: the loss
    // of the capture then dismisses nothing.
    bool Closing = false;

protected:
    virtual int ItemCount() const = 0;
    virtual int ItemHeight() const = 0;
    // Draws one row in R (the canvas font is the source's).
    virtual void PaintItem(TCanvas& Canvas, const TRect& R, int Index, bool Hot) = 0;
    // The user released the mouse over row Index.
    virtual void ItemPicked(int Index) = 0;
    // The user pressed outside the list, or the capture went elsewhere.
    virtual void Dismissed() = 0;

    void CreateParams(TCreateParams& P) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WndProc(TMessage& m) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

private:
    int RowsRight() const;
    void SyncBar();
    TScrollBarPart FBar;
    TControl* FSource;
    int FHotIndex = -1;
    int FTopIndex = 0;
    bool FPressedInside = false;
    bool FEntered = false;
};

}  // namespace korin
