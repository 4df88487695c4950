#include "korin/platform/dbctrls/DBCtrls.h"

#include <algorithm>

#include "korin/platform/gui/Canvas.h"

namespace korin {

TDBMemo::TDBMemo(TComponent* AOwner) : TDBEditControl(AOwner, true)
{
    FEditor.SetWordWrap(true);
    SetBounds(0, 0, 185, 89);
    FBar.OnScroll = [this](TScrollCode, int& Pos) {
        FEditor.SetTopRow(Pos);
        Pos = FEditor.TopRow();
    };
    FBar.OnInvalidate = [this] { Invalidate(); };
}

// The bar shows while the text, wrapped in the width left beside a bar, has more rows
// than fit; without one the text takes the whole width again.
void TDBMemo::SyncBar()
{
    FRightMargin = ScrollBarSize;
    bool needed = FEditor.RowCount() > FEditor.VisibleRowCount();
    FRightMargin = needed ? ScrollBarSize : 0;
    FBarShown = needed;
    FBar.Kind = sbVertical;
    FBar.Bounds = FBarShown ? Rect(Width() - 2 - ScrollBarSize, 2, Width() - 2, Height() - 2) : TRect();
    FBar.Min = 0;
    FBar.Max = std::max(0, FEditor.RowCount() - 1);
    FBar.PageSize = FEditor.VisibleRowCount();
    FBar.LargeChange = std::max(1, FEditor.VisibleRowCount());
    FBar.SetPosition(FEditor.TopRow());
}

bool TDBMemo::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TDBEditControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    SyncBar();
    FEditor.SetTopRow(FEditor.TopRow() - WheelNotches(WheelDelta) * WheelScrollLines);
    SyncBar();
    Invalidate();
    return true;
}

void TDBMemo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    SyncBar();
    if (Button == mbLeft && FBarShown && X >= FBar.Bounds.Left && X < FBar.Bounds.Right) {
        SetMouseCapture(true);
        FBar.MouseDown(Point(X, Y));
        return;
    }
    TDBEditControl::MouseDown(Button, Shift, X, Y);
}

void TDBMemo::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FBar.Pressed()) {
        FBar.MouseMove(Point(X, Y));
        return;
    }
    TDBEditControl::MouseMove(Shift, X, Y);
}

void TDBMemo::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FBar.Pressed()) {
        FBar.MouseUp(Point(X, Y));
        SetMouseCapture(false);
        return;
    }
    TDBEditControl::MouseUp(Button, Shift, X, Y);
}

void TDBMemo::Paint()
{
    SyncBar();
    TDBEditControl::Paint();
    if (FBarShown)
        FBar.Paint(*Canvas(), Enabled());
}

std::vector<std::string> TDBMemo::Lines() const
{
    std::vector<std::string> out;
    const std::string& t = Text();
    size_t start = 0;
    for (;;) {
        size_t p = t.find('\n', start);
        if (p == std::string::npos) {
            if (start < t.size() || out.empty())
                out.push_back(t.substr(start));
            break;
        }
        out.push_back(t.substr(start, p - start));
        start = p + 1;
    }
    return out;
}

}  // namespace korin
