#include "korin/platform/gui/StdCtrls.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

namespace {

// Byte offsets of every code point of a UTF-8 text, followed by the text's size.
std::vector<size_t> CodePoints(const std::string& s)
{
    std::vector<size_t> at;
    for (size_t i = 0; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            at.push_back(i);
    at.push_back(s.size());
    return at;
}

int CodePointCount(const std::string& s) { return static_cast<int>(CodePoints(s).size()) - 1; }

// The first N code points of a text.
std::string Prefix(const std::string& s, int n)
{
    auto at = CodePoints(s);
    n = std::clamp(n, 0, static_cast<int>(at.size()) - 1);
    return s.substr(0, at[static_cast<size_t>(n)]);
}

// Code points [From, To) of a text.
std::string Slice(const std::string& s, int from, int to)
{
    auto at = CodePoints(s);
    int n = static_cast<int>(at.size()) - 1;
    from = std::clamp(from, 0, n);
    to = std::clamp(to, from, n);
    return s.substr(at[static_cast<size_t>(from)], at[static_cast<size_t>(to)] - at[static_cast<size_t>(from)]);
}

std::string EncodeUtf8(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Characters a keyboard types into text (not control characters).
bool IsTypedChar(char32_t c) { return c >= 32 && c != 127 && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF; }

// Draws text in the font colour, or embossed grey for a disabled control.
void DrawControlText(TCanvas& c, const std::string& text, TRect r, unsigned flags, bool enabled)
{
    c.Brush().SetStyle(bsClear);
    if (enabled) {
        DrawText(c, text, r, flags);
        return;
    }
    TColor saved = c.Font().Color();
    OffsetRect(r, 1, 1);
    c.Font().SetColor(clBtnHighlight);
    DrawText(c, text, r, flags);
    OffsetRect(r, -1, -1);
    c.Font().SetColor(clBtnShadow);
    DrawText(c, text, r, flags);
    c.Font().SetColor(saved);
}

// Chains a handler to a font's change event, keeping whatever was there.
void OnFontChange(TFont& font, std::function<void()> handler)
{
    TNotifyEvent previous = font.OnChange;
    font.OnChange = [previous, handler](TObject* sender) {
        if (previous)
            previous(sender);
        handler();
    };
}

}  // namespace

// Registered as soon as the standard controls are linked in.
static const bool g_standardControlsRegistered = (RegisterStandardControls(), true);

bool IsAccel(char32_t Ch, const std::string& Caption)
{
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != '&')
            continue;
        if (Caption[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(Caption[i + 1]);
        return Ch < 128 && std::toupper(static_cast<int>(Ch)) == std::toupper(c);
    }
    return false;
}

std::string StripAccel(const std::string& Caption)
{
    std::string r;
    for (size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&' && i + 1 < Caption.size()) {
            ++i;
        }
        r += Caption[i];
    }
    return r;
}

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 75, 25);
}

void TButton::Click()
{
    if (TCustomForm* form = GetParentForm(this))
        if (FModalResult != mrNone)
            form->SetModalResult(FModalResult);
    TWinControl::Click();
}

bool TButton::IsActive() const
{
    HWND f = GetFocus();
    TWinControl* focused = f ? FindControl(f) : nullptr;
    if (dynamic_cast<TButton*>(focused))
        return focused == this;
    return FDefault;
}

void TButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGKEY: {
        std::uint16_t key = LoWord(m.WParam);
        bool plain = (KeyDataToShiftState(m.LParam)) == 0;
        if (plain && ((key == VK_RETURN && IsActive()) || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
            Click();
            m.Result = 1;
            return;
        }
        break;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(m.WParam), Caption()) && CanFocus()) {
            Click();
            m.Result = 1;
            return;
        }
        break;
    }
    TButtonControl::WndProc(m);
}

void TButton::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    TRect inside = DrawButtonFace(c, ClientRect(), Pressed(), false, false, IsActive() && Enabled(), Color());
    PaintContent(c, inside);
    if (Focused()) {
        TRect f = ClientRect();
        InflateRect(f, -4, -4);
        c.DrawFocusRect(f);
    }
}

void TButton::PaintContent(TCanvas& c, const TRect& Inside)
{
    TRect r = Inside;
    DrawControlText(c, Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Enabled());
}

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetControlStyle(ControlStyle() & ~static_cast<std::uint32_t>(csCaptureMouse));
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    OnFontChange(Font(), [this] { FontChanged(); });
}

void TLabel::SetWordWrap(bool v)
{
    if (v == FWordWrap)
        return;
    FWordWrap = v;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetAutoSize(bool v)
{
    if (v == FAutoSize)
        return;
    FAutoSize = v;
    AdjustBounds();
}

void TLabel::SetShowAccelChar(bool v)
{
    if (v == FShowAccelChar)
        return;
    FShowAccelChar = v;
    AdjustBounds();
    Invalidate();
}

unsigned TLabel::DrawTextFlags() const
{
    unsigned f = FWordWrap ? DT_WORDBREAK : 0;
    if (FAlignment == taCenter)
        f |= DT_CENTER;
    else if (FAlignment == taRightJustify)
        f |= DT_RIGHT;
    if (!FShowAccelChar)
        f |= DT_NOPREFIX;
    return f;
}

void TLabel::AdjustBounds()
{
    if (!FAutoSize || IsLoading() || InState(csDestroying))
        return;
    TCanvas measure;
    measure.Font().Assign(Font());
    // An empty label keeps the height of one line.
    std::string text = Caption().empty() ? std::string(" ") : Caption();
    TRect r = Rect(0, 0, FWordWrap ? Width() : 0, 0);
    DrawText(measure, text, r, DrawTextFlags() | DT_CALCRECT);
    int w = FWordWrap ? Width() : r.Width();
    int left = Left();
    if (!FWordWrap && FAlignment == taRightJustify)
        left = Left() + Width() - w;
    SetBounds(left, Top(), w, r.Height());
}

void TLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::TextChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::SetFocusControl(TWinControl* v)
{
    FFocusControl = v;
    if (v)
        v->FreeNotification(this);
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

void TLabel::WndProc(TMessage& m)
{
    if (m.Msg == CM_DIALOGCHAR && FShowAccelChar && FFocusControl && IsAccel(static_cast<char32_t>(m.WParam), Caption()) &&
        FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        m.Result = 1;
        return;
    }
    TGraphicControl::WndProc(m);
}

void TLabel::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    if (!FTransparent) {
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    c.Font().Assign(Font());
    DrawControlText(c, Caption(), r, DrawTextFlags(), Enabled());
}

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
}

std::vector<std::string> TMemo::Lines() const
{
    if (Text().empty())
        return {};
    return SplitLines(Text());
}

void TMemo::SetLines(const std::vector<std::string>& Value) { SetText(JoinLines(Value)); }

void TMemo::SetCaretPos(TPoint P)
{
    FRow = std::clamp(P.y, 0, static_cast<int>(FRows.size()) - 1);
    FCol = std::clamp(P.x, 0, CodePointCount(FRows[static_cast<size_t>(FRow)]));
    ScrollToCaret();
    Invalidate();
}

void TMemo::TextChanged()
{
    if (FInternalChange) {
        FModified = true;
    } else {
        FRows = SplitLines(Text());
        FRow = FCol = FTopRow = 0;
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

void TMemo::Commit()
{
    FInternalChange = true;
    try {
        TWinControl::SetText(JoinLines(FRows));
    } catch (...) {
        FInternalChange = false;
        throw;
    }
    FInternalChange = false;
    ScrollToCaret();
    Invalidate();
}

void TMemo::WndProc(TMessage& m)
{
    if (m.Msg == CN_KEYDOWN) {
        // The memo wants every key, but Esc, and Tab or Enter when it does not take them,
        // still reach the dialog (its Cancel and Default buttons, the next control).
        std::uint16_t key = LoWord(m.WParam);
        if (key == VK_ESCAPE || (key == VK_TAB && !FWantTabs) || (key == VK_RETURN && !FWantReturns)) {
            if (TCustomForm* form = GetParentForm(this))
                if (form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) {
                    m.Result = 1;
                    return;
                }
        }
    }
    TWinControl::WndProc(m);
}

void TMemo::KeyDown(std::uint16_t& Key, TShiftState)
{
    auto rowLength = [this](int r) { return CodePointCount(FRows[static_cast<size_t>(r)]); };
    int last = static_cast<int>(FRows.size()) - 1;
    switch (Key) {
    case VK_LEFT:
        if (FCol > 0)
            --FCol;
        else if (FRow > 0)
            FCol = rowLength(--FRow);
        break;
    case VK_RIGHT:
        if (FCol < rowLength(FRow))
            ++FCol;
        else if (FRow < last) {
            ++FRow;
            FCol = 0;
        }
        break;
    case VK_UP:
        if (FRow > 0)
            FCol = std::min(FCol, rowLength(--FRow));
        break;
    case VK_DOWN:
        if (FRow < last)
            FCol = std::min(FCol, rowLength(++FRow));
        break;
    case VK_HOME:
        FCol = 0;
        break;
    case VK_END:
        FCol = rowLength(FRow);
        break;
    case VK_DELETE:
        if (FReadOnly)
            return;
        if (FCol < rowLength(FRow)) {
            std::string& row = FRows[static_cast<size_t>(FRow)];
            row = Prefix(row, FCol) + Slice(row, FCol + 1, rowLength(FRow));
        } else if (FRow < last) {
            FRows[static_cast<size_t>(FRow)] += FRows[static_cast<size_t>(FRow) + 1];
            FRows.erase(FRows.begin() + FRow + 1);
        } else {
            return;
        }
        Commit();
        return;
    default:
        return;
    }
    ScrollToCaret();
    Invalidate();
}

void TMemo::KeyPress(char32_t& Key)
{
    if (FReadOnly)
        return;
    std::string& row = FRows[static_cast<size_t>(FRow)];
    int len = CodePointCount(row);
    if (Key == '\r') {
        if (!FWantReturns)
            return;
        std::string rest = Slice(row, FCol, len);
        row = Prefix(row, FCol);
        FRows.insert(FRows.begin() + FRow + 1, rest);
        ++FRow;
        FCol = 0;
    } else if (Key == 8) {
        if (FCol > 0) {
            row = Prefix(row, FCol - 1) + Slice(row, FCol, len);
            --FCol;
        } else if (FRow > 0) {
            std::string moved = row;
            FRows.erase(FRows.begin() + FRow);
            --FRow;
            FCol = CodePointCount(FRows[static_cast<size_t>(FRow)]);
            FRows[static_cast<size_t>(FRow)] += moved;
        } else {
            return;
        }
    } else if (IsTypedChar(Key) || (Key == '\t' && FWantTabs)) {
        row = Prefix(row, FCol) + EncodeUtf8(Key) + Slice(row, FCol, len);
        ++FCol;
    } else {
        return;
    }
    Commit();
}

int TMemo::LineHeight() const
{
    TCanvas measure;
    measure.Font().Assign(Font());
    return std::max(1, measure.TextHeight("Hg"));
}

void TMemo::ScrollToCaret()
{
    int visibleRows = std::max(1, (Height() - 6) / LineHeight());
    if (FRow < FTopRow)
        FTopRow = FRow;
    if (FRow >= FTopRow + visibleRows)
        FTopRow = FRow - visibleRows + 1;
}

void TMemo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        int row = std::clamp(FTopRow + (Y - 3) / LineHeight(), 0, static_cast<int>(FRows.size()) - 1);
        TCanvas measure;
        measure.Font().Assign(Font());
        const std::string& text = FRows[static_cast<size_t>(row)];
        int n = CodePointCount(text), best = 0, bestDist = std::abs(X - 3);
        for (int i = 1; i <= n; ++i) {
            int d = std::abs(3 + measure.TextWidth(Prefix(text, i)) - X);
            if (d < bestDist) {
                best = i;
                bestDist = d;
            }
        }
        FRow = row;
        FCol = best;
        Invalidate();
    }
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TMemo::Paint()
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
    c.Brush().SetStyle(bsClear);
    int lh = LineHeight();
    int x = r.Left + 1, y = r.Top + 1;
    for (size_t i = static_cast<size_t>(FTopRow); i < FRows.size() && y < r.Bottom; ++i, y += lh)
        c.TextOut(x, y, FRows[i]);
    if (Focused()) {
        int cx = x + c.TextWidth(Prefix(FRows[static_cast<size_t>(FRow)], FCol));
        int cy = r.Top + 1 + (FRow - FTopRow) * lh;
        c.Brush().SetColor(clWindowText);
        c.FillRect(Rect(cx, cy, cx + 1, cy + lh));
    }
}

// ---------------------------------------------------------------- TButtonControl

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle(csSetCaption | csDoubleClicks);
    SetTabStop(true);
}

void TButtonControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(m.WParam), Caption()) && CanFocus()) {
            SetFocus();
            Activate();
            m.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        FPressed = FTracking = FSpaceDown = false;
        break;
    case WM_KILLFOCUS:
        if (FSpaceDown) {
            FSpaceDown = false;
            FPressed = false;
        }
        break;
    }
    TWinControl::WndProc(m);
}

void TButtonControl::KeyDown(std::uint16_t& Key, TShiftState)
{
    if (Key == VK_SPACE) {
        FSpaceDown = true;
        FPressed = true;
        Invalidate();
    }
}

void TButtonControl::KeyUp(std::uint16_t& Key, TShiftState)
{
    if (Key == VK_SPACE && FSpaceDown) {
        FSpaceDown = false;
        FPressed = false;
        Invalidate();
        Activate();
    }
}

void TButtonControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && Enabled()) {
        SetMouseCapture(true);
        FTracking = true;
        FPressed = true;
        Invalidate();
    }
    TWinControl::MouseDown(Button, Shift, X, Y);
}

void TButtonControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FTracking) {
        bool inside = PtInRect(ClientRect(), Point(X, Y));
        if (inside != FPressed) {
            FPressed = inside;
            Invalidate();
        }
    }
    TWinControl::MouseMove(Shift, X, Y);
}

void TButtonControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    bool activate = false;
    if (Button == mbLeft && FTracking) {
        FTracking = false;
        SetMouseCapture(false);
        activate = PtInRect(ClientRect(), Point(X, Y));
        FPressed = false;
        Invalidate();
    }
    TWinControl::MouseUp(Button, Shift, X, Y);
    if (activate)
        Activate();
}

TRect TButtonControl::PaintCaptionBeside(TCanvas& c, int MarkWidth, TAlignment Alignment)
{
    TRect client = ClientRect();
    int markTop = client.Top + (client.Height() - MarkWidth) / 2;
    bool markRight = Alignment == taLeftJustify;
    TRect mark = markRight ? Rect(client.Right - MarkWidth, markTop, client.Right, markTop + MarkWidth)
                           : Rect(client.Left, markTop, client.Left + MarkWidth, markTop + MarkWidth);
    c.Font().Assign(Font());
    TRect text = Rect(0, 0, 0, 0);
    DrawText(c, Caption().empty() ? std::string(" ") : Caption(), text, DT_CALCRECT | DT_SINGLELINE);
    int tx = markRight ? client.Left + 1 : mark.Right + 4;
    int ty = client.Top + (client.Height() - text.Height()) / 2;
    TRect where = Rect(tx, ty, tx + text.Width(), ty + text.Height());
    TRect draw = where;
    DrawControlText(c, Caption(), draw, DT_SINGLELINE | DT_NOCLIP, Enabled());
    if (Focused() && !Caption().empty()) {
        InflateRect(where, 1, 0);
        c.DrawFocusRect(where);
    }
    return mark;
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::SetState(TCheckBoxState v)
{
    if (v == FState)
        return;
    FState = v;
    Invalidate();
    if (!IsLoading())
        Click();
}

void TCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(FAllowGrayed ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
    }
}

void TCheckBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect box = PaintCaptionBeside(c, 13, FAlignment);
    TRect inner = box;
    DrawEdge(c, inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    bool dim = !Enabled() || Pressed() || FState == cbGrayed;
    c.Brush().SetColor(dim ? clBtnFace : clWindow);
    c.FillRect(inner);
    if (FState == cbUnchecked)
        return;
    // A tick three pixels thick: down from (1,3) to (3,5), then up to (7,1) inside the box.
    c.Brush().SetColor(!Enabled() || FState == cbGrayed ? clBtnShadow : clWindowText);
    int x = inner.Left + 1, y = inner.Top + 1;
    for (int i = 0; i < 7; ++i) {
        int top = i <= 2 ? y + 2 + i : y + 4 - (i - 2);
        c.FillRect(Rect(x + i, top, x + i + 1, top + 3));
    }
}

// ---------------------------------------------------------------- TRadioButton

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    SetBounds(0, 0, 113, 17);
    SetTabStop(false);
}

void TRadioButton::SetChecked(bool v)
{
    if (v == FChecked)
        return;
    FChecked = v;
    SetTabStop(v);
    Invalidate();
    if (!v)
        return;
    if (TWinControl* p = Parent())
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(p->Controls(i)); r && r != this && r->FChecked) {
                r->FChecked = false;
                r->SetTabStop(false);
                r->Invalidate();
            }
    if (!IsLoading())
        Click();
}

void TRadioButton::DoEnter()
{
    bool byArrow = GetKeyState(VK_UP) < 0 || GetKeyState(VK_DOWN) < 0 || GetKeyState(VK_LEFT) < 0 ||
                   GetKeyState(VK_RIGHT) < 0;
    if (byArrow && !FChecked)
        SetChecked(true);
    TButtonControl::DoEnter();
}

void TRadioButton::Paint()
{
    TCanvas& c = *Canvas();
    TRect box = PaintCaptionBeside(c, 12, FAlignment);
    bool dim = !Enabled() || Pressed();
    c.Pen().SetColor(clBtnShadow);
    c.Brush().SetColor(dim ? clBtnFace : clWindow);
    c.Ellipse(box);
    if (FChecked) {
        c.Pen().SetColor(Enabled() ? clWindowText : clBtnShadow);
        c.Brush().SetColor(Enabled() ? clWindowText : clBtnShadow);
        c.Ellipse(box.Left + 4, box.Top + 4, box.Left + 8, box.Top + 8);
    }
}

// ---------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(csAcceptsControls | csSetCaption | csDoubleClicks);
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::AlignControls(TControl* AControl, TRect& Rect)
{
    TCanvas measure;
    measure.Font().Assign(Font());
    Rect.Top += measure.TextHeight("0") + 2;
    InflateRect(Rect, -2, 0);
    Rect.Bottom -= 2;
    TCustomControl::AlignControls(AControl, Rect);
}

void TGroupBox::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    int th = c.TextHeight("0");
    TRect frame = ClientRect();
    frame.Top += th / 2;
    DrawEdge(c, frame, EDGE_ETCHED, BF_RECT);
    if (Caption().empty())
        return;
    TRect text = Rect(0, 0, 0, 0);
    DrawText(c, Caption(), text, DT_CALCRECT | DT_SINGLELINE);
    OffsetRect(text, 8, 0);
    // The caption interrupts the frame's top edge.
    c.Brush().SetColor(Color());
    c.FillRect(Rect(text.Left - 2, 0, text.Right + 2, th));
    DrawControlText(c, Caption(), text, DT_SINGLELINE | DT_NOCLIP, Enabled());
}

}  // namespace korin
