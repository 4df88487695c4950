#include "korin/platform/gui/StdCtrls.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/core/Utf8.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

using namespace utf8;

// ---------------------------------------------------------------- TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle(csSetCaption | csDoubleClicks);
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

int TCustomEdit::TextLength() const { return CodePointCount(Text()); }

int TCustomEdit::SelStart() const { return std::min(FCaret, FAnchor); }
int TCustomEdit::SelLength() const { return std::abs(FCaret - FAnchor); }

void TCustomEdit::SetSelStart(int v)
{
    FCaret = FAnchor = std::clamp(v, 0, TextLength());
    ScrollToCaret();
    Invalidate();
}

void TCustomEdit::SetSelLength(int v)
{
    FAnchor = SelStart();
    FCaret = std::clamp(FAnchor + std::max(v, 0), 0, TextLength());
    ScrollToCaret();
    Invalidate();
}

std::string TCustomEdit::SelText() const { return Slice(Text(), SelStart(), SelStart() + SelLength()); }

void TCustomEdit::SetSelText(const std::string& v) { ReplaceRange(SelStart(), SelStart() + SelLength(), v); }

void TCustomEdit::SelectAll()
{
    FAnchor = 0;
    FCaret = TextLength();
    ScrollToCaret();
    Invalidate();
}

void TCustomEdit::ReplaceRange(int From, int To, const std::string& With)
{
    const std::string& text = Text();
    std::string next = Prefix(text, From) + With + Slice(text, To, CodePointCount(text));
    FInternalChange = true;
    try {
        TWinControl::SetText(next);
    } catch (...) {
        FInternalChange = false;
        throw;
    }
    FInternalChange = false;
    FCaret = FAnchor = std::min(From + CodePointCount(With), TextLength());
    ScrollToCaret();
    Invalidate();
}

void TCustomEdit::TextChanged()
{
    if (FInternalChange) {
        FModified = true;
    } else {
        // Text set from code: the caret goes to the start, the box is unmodified.
        FCaret = FAnchor = 0;
        FScrollX = 0;
        FModified = false;
    }
    Invalidate();
    Change();
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::DoEnter()
{
    if (FAutoSelect)
        SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::MoveCaret(int Pos, bool Extend)
{
    FCaret = std::clamp(Pos, 0, TextLength());
    if (!Extend)
        FAnchor = FCaret;
    ScrollToCaret();
    Invalidate();
}

void TCustomEdit::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    bool extend = (Shift & ssShift) != 0;
    switch (Key) {
    case VK_LEFT:
        // Without Shift a selection collapses to its start.
        if (!extend && SelLength() > 0)
            MoveCaret(SelStart(), false);
        else
            MoveCaret(FCaret - 1, extend);
        break;
    case VK_RIGHT:
        if (!extend && SelLength() > 0)
            MoveCaret(SelStart() + SelLength(), false);
        else
            MoveCaret(FCaret + 1, extend);
        break;
    case VK_HOME:
        MoveCaret(0, extend);
        break;
    case VK_END:
        MoveCaret(TextLength(), extend);
        break;
    case VK_DELETE:
        if (FReadOnly)
            break;
        if (SelLength() > 0)
            SetSelText("");
        else if (FCaret < TextLength())
            ReplaceRange(FCaret, FCaret + 1, "");
        break;
    }
}

void TCustomEdit::KeyPress(char32_t& Key)
{
    if (Key == 1) {  // Ctrl+A
        SelectAll();
        return;
    }
    if (Key == 8) {
        if (FReadOnly)
            return;
        if (SelLength() > 0)
            SetSelText("");
        else if (FCaret > 0)
            ReplaceRange(FCaret - 1, FCaret, "");
        return;
    }
    if (!IsTypedChar(Key) || FReadOnly)
        return;
    if (FMaxLength > 0 && TextLength() - SelLength() >= FMaxLength)
        return;
    SetSelText(EncodeUtf8(Key));
}

TRect TCustomEdit::TextArea() const
{
    TRect r = ClientRect();
    InflateRect(r, -3, -2);  // the 2-pixel sunken frame and a pixel of margin on the sides
    return r;
}

int TCustomEdit::PrefixWidth(int CodePoints) const
{
    TCanvas measure;
    measure.Font().Assign(Font());
    return measure.TextWidth(Prefix(Text(), CodePoints));
}

int TCustomEdit::CharFromX(int X) const
{
    int x = X - TextArea().Left + FScrollX;
    int n = TextLength();
    int best = 0, bestDist = std::abs(x);
    for (int i = 1; i <= n; ++i) {
        int d = std::abs(PrefixWidth(i) - x);
        if (d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return best;
}

void TCustomEdit::ScrollToCaret()
{
    int visible = std::max(1, TextArea().Width() - 1);
    int caretX = PrefixWidth(FCaret);
    int total = PrefixWidth(TextLength());
    if (caretX - FScrollX > visible)
        FScrollX = caretX - visible;
    if (caretX < FScrollX)
        FScrollX = caretX;
    FScrollX = std::max(0, std::min(FScrollX, std::max(0, total - visible)));
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        MoveCaret(CharFromX(X), (Shift & ssShift) != 0);
        FSelecting = true;
        SetMouseCapture(true);
    }
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomEdit::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FSelecting)
        MoveCaret(CharFromX(X), true);
    TWinControl::MouseMove(Shift, X, Y);
}

void TCustomEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FSelecting) {
        FSelecting = false;
        SetMouseCapture(false);
    }
    TWinControl::MouseUp(Button, Shift, X, Y);
}

void TCustomEdit::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    c.Brush().SetColor(Color());
    c.FillRect(r);
    c.IntersectClipRect(r);
    c.Font().Assign(Font());
    if (!Enabled())
        c.Font().SetColor(clGrayText);
    TRect area = TextArea();
    int th = c.TextHeight("Hg");
    int y = area.Top + (area.Height() - th) / 2;
    int x0 = area.Left - FScrollX;
    c.Brush().SetStyle(bsClear);
    c.TextOut(x0, y, Text());
    bool focused = Focused();
    if (focused && SelLength() > 0) {
        int a = c.TextWidth(Prefix(Text(), SelStart()));
        std::string sel = SelText();
        c.Brush().SetColor(clHighlight);
        c.FillRect(Rect(x0 + a, y, x0 + a + c.TextWidth(sel), y + th));
        c.Brush().SetStyle(bsClear);
        c.Font().SetColor(clHighlightText);
        c.TextOut(x0 + a, y, sel);
    }
    if (focused) {
        int cx = x0 + c.TextWidth(Prefix(Text(), FCaret));
        c.Brush().SetColor(clWindowText);
        c.FillRect(Rect(cx, y, cx + 1, y + th));
    }
}

}  // namespace korin
