#include "korin/platform/gui/StdCtrls.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/core/Utf8.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

using namespace utf8;

// ---------------------------------------------------------------- TMemo

namespace {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> rows(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            rows.emplace_back();
        } else {
            rows.back() += ch;
        }
    }
    return rows;
}

std::string JoinLines(const std::vector<std::string>& rows)
{
    std::string out;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i)
            out += "\r\n";
        out += rows[i];
    }
    return out;
}

}  // namespace

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle(csSetCaption | csDoubleClicks);
    SetBounds(0, 0, 185, 89);
    SetColor(clWindow);
    SetTabStop(true);
    FEditor.SetLineBreak("\r\n");
    FBar.OnScroll = [this](TScrollCode, int& Pos) {
        FEditor.SetTopRow(Pos);
        Pos = FEditor.TopRow();
    };
    FBar.OnInvalidate = [this] { Invalidate(); };
}

void TMemo::SyncBar()
{
    FBarShown = false;
    FBarShown = FEditor.RowCount() > FEditor.VisibleRowCount();
    FBar.Kind = sbVertical;
    FBar.Bounds = FBarShown ? Rect(Width() - 2 - ScrollBarSize, 2, Width() - 2, Height() - 2) : TRect();
    FBar.Min = 0;
    FBar.Max = std::max(0, FEditor.RowCount() - 1);
    FBar.PageSize = FEditor.VisibleRowCount();
    FBar.LargeChange = FEditor.VisibleRowCount();
    FBar.SetPosition(FEditor.TopRow());
}

bool TMemo::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    SyncBar();
    FEditor.SetTopRow(FEditor.TopRow() - WheelNotches(WheelDelta) * WheelScrollLines);
    SyncBar();
    return true;
}

std::vector<std::string> TMemo::Lines() const
{
    if (Text().empty())
        return {};
    return SplitLines(Text());
}

void TMemo::SetLines(const std::vector<std::string>& Value) { SetText(JoinLines(Value)); }

void TMemo::TextEdited()
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

void TMemo::TextChanged()
{
    if (FInternalChange) {
        FModified = true;
    } else {
        FEditor.SetText(Text());
        FModified = false;
    }
    Invalidate();
    Change();
}

void TMemo::Change()
{
    if (OnChange)
        OnChange(this);
}

void TMemo::WndProc(TMessage& m)
{
    if (m.Msg == CN_KEYDOWN) {
        // The memo wants every key, but Esc, and Tab or Enter when it does not take them,
        // still reach the dialog (its Cancel and Default buttons, the next control).
        std::uint16_t key = LoWord(m.WParam);
        if (key == VK_ESCAPE || (key == VK_TAB && !WantTabs()) || (key == VK_RETURN && !WantReturns())) {
            if (TCustomForm* form = GetParentForm(this))
                if (form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) {
                    m.Result = 1;
                    return;
                }
        }
    }
    TWinControl::WndProc(m);
}

void TMemo::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    FEditor.KeyDown(Key, Shift);
}

void TMemo::KeyPress(char32_t& Key)
{
    FEditor.KeyPress(Key);
}

TRect TMemo::TextEditArea() const
{
    TRect r = ClientRect();
    InflateRect(r, -3, -3);  // the 2-pixel sunken frame and a pixel of margin
    if (FBarShown)
        r.Right = std::max(r.Left, r.Right - ScrollBarSize);
    return r;
}

void TMemo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    SyncBar();
    if (Button == mbLeft && FBarShown && X >= FBar.Bounds.Left && X < FBar.Bounds.Right) {
        SetMouseCapture(true);
        FBar.MouseDown(Point(X, Y));
        TWinControl::MouseDown(Button, Shift, X, Y);
        return;
    }
    if (Button == mbLeft)
        FEditor.MouseDown(X, Y, Shift);
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TMemo::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FBar.Pressed()) {
        FBar.MouseMove(Point(X, Y));
        TWinControl::MouseMove(Shift, X, Y);
        return;
    }
    FEditor.MouseMove(X, Y);
    TWinControl::MouseMove(Shift, X, Y);
}

void TMemo::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FBar.Pressed()) {
        FBar.MouseUp(Point(X, Y));
        SetMouseCapture(false);
        TWinControl::MouseUp(Button, Shift, X, Y);
        return;
    }
    if (Button == mbLeft)
        FEditor.MouseUp();
    TWinControl::MouseUp(Button, Shift, X, Y);
}

void TMemo::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    SyncBar();
    FEditor.Paint(c, Focused(), Enabled() ? Font().Color() : clGrayText);
    if (FBarShown)
        FBar.Paint(c, Enabled());
}

}  // namespace korin
