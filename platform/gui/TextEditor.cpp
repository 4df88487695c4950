#include "korin/platform/gui/TextEditor.h"

#include <algorithm>
#include <cstdlib>

#include "korin/platform/core/Utf8.h"
#include "korin/platform/gui/Clipboard.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

using namespace utf8;

namespace {

// "\r\n" and "\r" become "\n".
std::string NormalizeBreaks(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

}  // namespace

TTextEditor::TTextEditor(TTextEditorHost& Host, bool MultiLine) : FHost(Host), FMultiLine(MultiLine) {}

std::string TTextEditor::Text() const
{
    if (!FMultiLine || FLineBreak == "\n")
        return FText;
    std::string out;
    for (char c : FText) {
        if (c == '\n')
            out += FLineBreak;
        else
            out += c;
    }
    return out;
}

void TTextEditor::SetText(const std::string& Value, bool KeepCaret)
{
    FText = FMultiLine ? NormalizeBreaks(Value) : Value;
    if (KeepCaret) {
        int n = TextLength();
        FCaret = std::clamp(FCaret, 0, n);
        FAnchor = std::clamp(FAnchor, 0, n);
        ScrollToCaret();
    } else {
        FCaret = FAnchor = 0;
        FScrollX = 0;
        FTopRow = 0;
    }
    FHost.TextEditInvalidate();
}

std::vector<std::string> TTextEditor::Lines() const
{
    std::vector<std::string> out(1);
    for (char c : FText) {
        if (c == '\n' && FMultiLine)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

int TTextEditor::TextLength() const { return CodePointCount(FText); }

void TTextEditor::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    if (Value)
        FScrollX = 0;
    FHost.TextEditInvalidate();
}

void TTextEditor::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    FHost.TextEditInvalidate();
}

int TTextEditor::SelStart() const { return std::min(FCaret, FAnchor); }
int TTextEditor::SelLength() const { return std::abs(FCaret - FAnchor); }

void TTextEditor::SetSelStart(int Value)
{
    FCaret = FAnchor = std::clamp(Value, 0, TextLength());
    ScrollToCaret();
    FHost.TextEditInvalidate();
}

void TTextEditor::SetSelStartShowingStart(int Value)
{
    FCaret = FAnchor = std::clamp(Value, 0, TextLength());
    FScrollX = 0;
    FTopRow = 0;
    FHost.TextEditInvalidate();
}

void TTextEditor::SetSelLength(int Value)
{
    FAnchor = SelStart();
    FCaret = std::clamp(FAnchor + std::max(Value, 0), 0, TextLength());
    ScrollToCaret();
    FHost.TextEditInvalidate();
}

std::string TTextEditor::Range(int From, int To) const { return Slice(FText, From, To); }

std::string TTextEditor::SelText() const
{
    std::string s = Range(SelStart(), SelStart() + SelLength());
    if (!FMultiLine || FLineBreak == "\n")
        return s;
    std::string out;
    for (char c : s)
        out += c == '\n' ? FLineBreak : std::string(1, c);
    return out;
}

void TTextEditor::SelectAll()
{
    FAnchor = 0;
    FCaret = TextLength();
    ScrollToCaret();
    FHost.TextEditInvalidate();
}

TPoint TTextEditor::CaretPoint() const
{
    std::string before = Range(0, FCaret);
    size_t nl = before.rfind('\n');
    int row = static_cast<int>(std::count(before.begin(), before.end(), '\n'));
    int col = CodePointCount(nl == std::string::npos ? before : before.substr(nl + 1));
    return Point(col, row);
}

void TTextEditor::SetCaretPoint(TPoint P)
{
    std::vector<std::string> lines = Lines();
    int row = std::clamp(static_cast<int>(P.y), 0, static_cast<int>(lines.size()) - 1);
    int pos = 0;
    for (int i = 0; i < row; ++i)
        pos += CodePointCount(lines[static_cast<size_t>(i)]) + 1;
    pos += std::clamp(static_cast<int>(P.x), 0, CodePointCount(lines[static_cast<size_t>(row)]));
    MoveCaret(pos, false);
}

bool TTextEditor::CanEdit(bool FromUser)
{
    if (FromUser && FReadOnly)
        return false;
    return FHost.TextEditBegin();
}

bool TTextEditor::Replace(int From, int To, const std::string& With, bool FromUser)
{
    std::string with = FMultiLine ? NormalizeBreaks(With) : With;
    if (!FMultiLine) {
        // One line takes what a paste holds up to its first line break.
        size_t nl = with.find_first_of("\r\n");
        if (nl != std::string::npos)
            with.erase(nl);
    }
    if (FromUser && FMaxLength > 0) {
        int room = std::max(0, FMaxLength - (TextLength() - (To - From)));
        with = Prefix(with, room);
    }
    if (From == To && with.empty())
        return false;
    FText = Prefix(FText, From) + with + Slice(FText, To, TextLength());
    FCaret = FAnchor = std::min(From + CodePointCount(with), TextLength());
    ScrollToCaret();
    FHost.TextEditInvalidate();
    FHost.TextEdited();
    return true;
}

bool TTextEditor::ReplaceSelection(const std::string& With, bool FromUser)
{
    // The host may reload the text while it prepares the edit (a dataset going into edit
    // state re-reads its record), so the selection is read only after it agreed.
    if (!CanEdit(FromUser))
        return false;
    return Replace(SelStart(), SelStart() + SelLength(), With, FromUser);
}

void TTextEditor::CopyToClipboard()
{
    if (SelLength() > 0)
        Clipboard().SetAsText(SelText());
}

void TTextEditor::CutToClipboard()
{
    if (SelLength() == 0)
        return;
    std::string s = SelText();
    if (ReplaceSelection(""))
        Clipboard().SetAsText(s);
}

void TTextEditor::PasteFromClipboard()
{
    std::string s = Clipboard().AsText();
    if (!s.empty())
        ReplaceSelection(s);
}

void TTextEditor::MoveCaret(int Pos, bool Extend)
{
    FCaret = std::clamp(Pos, 0, TextLength());
    if (!Extend)
        FAnchor = FCaret;
    ScrollToCaret();
    FHost.TextEditInvalidate();
}

bool TTextEditor::KeyDown(std::uint16_t Key, TShiftState Shift)
{
    bool extend = (Shift & ssShift) != 0;
    bool ctrl = (Shift & ssCtrl) != 0;
    switch (Key) {
    case VK_LEFT:
        // Without Shift a selection collapses to its start.
        if (!extend && SelLength() > 0)
            MoveCaret(SelStart(), false);
        else
            MoveCaret(FCaret - 1, extend);
        return true;
    case VK_RIGHT:
        if (!extend && SelLength() > 0)
            MoveCaret(SelStart() + SelLength(), false);
        else
            MoveCaret(FCaret + 1, extend);
        return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
        if (!FMultiLine)
            return false;
        std::vector<TRow> rows = Layout();
        int r = RowOf(rows, FCaret);
        int step = Key == VK_UP || Key == VK_DOWN ? 1 : std::max(1, VisibleRows() - 1);
        int target = std::clamp(Key == VK_UP || Key == VK_PRIOR ? r - step : r + step, 0,
                                static_cast<int>(rows.size()) - 1);
        if (target != r) {
            int x = XInRow(rows[static_cast<size_t>(r)], FCaret);
            MoveCaret(PosInRow(rows[static_cast<size_t>(target)], x), extend);
        }
        return true;
    }
    case VK_HOME:
        if (FMultiLine && !ctrl) {
            std::vector<TRow> rows = Layout();
            MoveCaret(rows[static_cast<size_t>(RowOf(rows, FCaret))].Start, extend);
        } else
            MoveCaret(0, extend);
        return true;
    case VK_END:
        if (FMultiLine && !ctrl) {
            std::vector<TRow> rows = Layout();
            MoveCaret(rows[static_cast<size_t>(RowOf(rows, FCaret))].End, extend);
        } else
            MoveCaret(TextLength(), extend);
        return true;
    case VK_DELETE:
        if (extend) {
            CutToClipboard();
        } else if (SelLength() > 0 || FCaret < TextLength()) {
            if (CanEdit(true)) {
                if (SelLength() > 0)
                    Replace(SelStart(), SelStart() + SelLength(), "", true);
                else if (FCaret < TextLength())
                    Replace(FCaret, FCaret + 1, "", true);
            }
        }
        return true;
    case VK_INSERT:
        if (ctrl)
            CopyToClipboard();
        else if (extend)
            PasteFromClipboard();
        else
            return false;
        return true;
    }
    return false;
}

bool TTextEditor::KeyPress(char32_t Key)
{
    switch (Key) {
    case 1:  // Ctrl+A
        SelectAll();
        return true;
    case 3:  // Ctrl+C
        CopyToClipboard();
        return true;
    case 22:  // Ctrl+V
        PasteFromClipboard();
        return true;
    case 24:  // Ctrl+X
        CutToClipboard();
        return true;
    case 8:  // Backspace
        if (SelLength() > 0 || FCaret > 0) {
            if (CanEdit(true)) {
                if (SelLength() > 0)
                    Replace(SelStart(), SelStart() + SelLength(), "", true);
                else if (FCaret > 0)
                    Replace(FCaret - 1, FCaret, "", true);
            }
        }
        return true;
    case '\r':
        if (!FMultiLine || !FWantReturns)
            return false;
        ReplaceSelection("\n");
        return true;
    case '\t':
        if (!FMultiLine || !FWantTabs)
            return false;
        ReplaceSelection("\t");
        return true;
    }
    if (!IsTypedChar(Key))
        return false;
    if (FMaxLength > 0 && TextLength() - SelLength() >= FMaxLength)
        return true;
    ReplaceSelection(EncodeUtf8(Key));
    return true;
}

// ---- Layout ---------------------------------------------------------------------------

int TTextEditor::Width(const std::string& S) const
{
    if (S.empty())
        return 0;
    TCanvas measure;
    measure.Font().Assign(FHost.TextEditFont());
    return measure.TextWidth(S);
}

int TTextEditor::LineHeight() const
{
    TCanvas measure;
    measure.Font().Assign(FHost.TextEditFont());
    return std::max(1, measure.TextHeight("Hg"));
}

int TTextEditor::VisibleRows() const { return std::max(1, FHost.TextEditArea().Height() / LineHeight()); }

std::vector<TTextEditor::TRow> TTextEditor::Layout() const
{
    std::vector<TRow> rows;
    const int n = TextLength();
    if (!FMultiLine) {
        rows.push_back({0, n});
        return rows;
    }
    std::vector<size_t> at = CodePoints(FText);
    const int width = std::max(1, FHost.TextEditArea().Width() - 1);
    int lineStart = 0;
    for (int i = 0; i <= n; ++i) {
        if (i < n && FText[at[static_cast<size_t>(i)]] != '\n')
            continue;
        if (!FWordWrap || Width(Range(lineStart, i)) <= width) {
            rows.push_back({lineStart, i});
        } else {
            // Rows break after the last space that fits, or inside a word longer than a row.
            int start = lineStart;
            while (start < i) {
                int lo = start + 1, hi = i;
                while (lo < hi) {
                    int mid = (lo + hi + 1) / 2;
                    if (Width(Range(start, mid)) <= width)
                        lo = mid;
                    else
                        hi = mid - 1;
                }
                int end = lo;
                if (end < i) {
                    for (int k = end; k > start; --k)
                        if (FText[at[static_cast<size_t>(k - 1)]] == ' ') {
                            end = k;
                            break;
                        }
                }
                rows.push_back({start, end});
                start = end;
            }
        }
        lineStart = i + 1;
    }
    return rows;
}

int TTextEditor::RowOf(const std::vector<TRow>& Rows, int Pos) const
{
    int r = 0;
    for (int i = 0; i < static_cast<int>(Rows.size()); ++i)
        if (Rows[static_cast<size_t>(i)].Start <= Pos)
            r = i;
    return r;
}

int TTextEditor::XInRow(const TRow& Row, int Pos) const { return Width(Range(Row.Start, std::clamp(Pos, Row.Start, Row.End))); }

int TTextEditor::PosInRow(const TRow& Row, int X) const
{
    int best = Row.Start, bestDist = std::abs(X);
    for (int i = Row.Start + 1; i <= Row.End; ++i) {
        int d = std::abs(Width(Range(Row.Start, i)) - X);
        if (d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return best;
}

int TTextEditor::RowLeft(const TRow& Row) const
{
    TRect area = FHost.TextEditArea();
    if (!FMultiLine && FAlignment != taLeftJustify) {
        int visible = std::max(1, area.Width() - 1);
        int total = Width(FText);
        if (total <= visible)
            return area.Left + (FAlignment == taRightJustify ? visible - total : (visible - total) / 2);
    }
    return area.Left - FScrollX;
}

int TTextEditor::PosFromPoint(int X, int Y) const
{
    std::vector<TRow> rows = Layout();
    int r = 0;
    if (FMultiLine) {
        int dy = Y - FHost.TextEditArea().Top;
        int lh = LineHeight();
        int offset = dy < 0 ? -((-dy + lh - 1) / lh) : dy / lh;
        r = std::clamp(FTopRow + offset, 0, static_cast<int>(rows.size()) - 1);
    }
    const TRow& row = rows[static_cast<size_t>(r)];
    return PosInRow(row, X - RowLeft(row));
}

void TTextEditor::ScrollToCaret()
{
    std::vector<TRow> rows = Layout();
    int r = RowOf(rows, FCaret);
    if (FMultiLine) {
        int visibleRows = VisibleRows();
        if (r < FTopRow)
            FTopRow = r;
        if (r >= FTopRow + visibleRows)
            FTopRow = r - visibleRows + 1;
        FTopRow = std::clamp(FTopRow, 0, std::max(0, static_cast<int>(rows.size()) - 1));
    }
    if (FMultiLine && FWordWrap) {
        FScrollX = 0;
        return;
    }
    int visible = std::max(1, FHost.TextEditArea().Width() - 1);
    int caretX = XInRow(rows[static_cast<size_t>(r)], FCaret);
    if (caretX - FScrollX > visible)
        FScrollX = caretX - visible;
    if (caretX < FScrollX)
        FScrollX = caretX;
    if (!FMultiLine)
        FScrollX = std::min(FScrollX, std::max(0, Width(FText) - visible));
    FScrollX = std::max(0, FScrollX);
}

void TTextEditor::SetTopRow(int Row)
{
    if (!FMultiLine)
        return;
    Row = std::clamp(Row, 0, std::max(0, RowCount() - VisibleRows()));
    if (Row == FTopRow)
        return;
    FTopRow = Row;
    FHost.TextEditInvalidate();
}

void TTextEditor::ResetScroll()
{
    FScrollX = 0;
    FTopRow = 0;
    FHost.TextEditInvalidate();
}

// ---- Input by mouse -----------------------------------------------------------------

void TTextEditor::MouseDown(int X, int Y, TShiftState Shift)
{
    MoveCaret(PosFromPoint(X, Y), (Shift & ssShift) != 0);
    FSelecting = true;
    FHost.TextEditCapture(true);
}

void TTextEditor::MouseMove(int X, int Y)
{
    if (FSelecting)
        MoveCaret(PosFromPoint(X, Y), true);
}

void TTextEditor::MouseUp()
{
    if (!FSelecting)
        return;
    FSelecting = false;
    FHost.TextEditCapture(false);
}

// ---- Painting -----------------------------------------------------------------------

void TTextEditor::Paint(TCanvas& Canvas, bool Focused, TColor TextColor)
{
    TCanvas& c = Canvas;
    TRect area = FHost.TextEditArea();
    if (!FMultiLine) {
        // The box may have grown since the caret last moved: no scrolling past the end.
        FScrollX = std::clamp(FScrollX, 0, std::max(0, Width(FText) - std::max(1, area.Width() - 1)));
    }
    int saved = c.SaveDC();
    c.IntersectClipRect(area);
    c.Font().Assign(FHost.TextEditFont());
    c.Font().SetColor(TextColor);
    std::vector<TRow> rows = Layout();
    int lh = LineHeight();
    int selFrom = SelStart(), selTo = SelStart() + SelLength();
    int caretRow = RowOf(rows, FCaret);
    for (int i = FMultiLine ? FTopRow : 0; i < static_cast<int>(rows.size()); ++i) {
        const TRow& row = rows[static_cast<size_t>(i)];
        int y = FMultiLine ? area.Top + (i - FTopRow) * lh : area.Top + (area.Height() - lh) / 2;
        if (y >= area.Bottom)
            break;
        int x0 = RowLeft(row);
        c.Brush().SetStyle(bsClear);
        c.TextOut(x0, y, Range(row.Start, row.End));
        int s0 = std::max(selFrom, row.Start), s1 = std::min(selTo, row.End);
        if (Focused && s0 < s1) {
            std::string sel = Range(s0, s1);
            int a = x0 + XInRow(row, s0);
            c.Brush().SetColor(clHighlight);
            c.FillRect(Rect(a, y, a + Width(sel), y + lh));
            c.Brush().SetStyle(bsClear);
            c.Font().SetColor(clHighlightText);
            c.TextOut(a, y, sel);
            c.Font().SetColor(TextColor);
        }
        if (Focused && i == caretRow) {
            int cx = x0 + XInRow(row, FCaret);
            c.Brush().SetColor(clWindowText);
            c.FillRect(Rect(cx, y, cx + 1, y + lh));
        }
    }
    c.RestoreDC(saved);
}

}  // namespace korin
