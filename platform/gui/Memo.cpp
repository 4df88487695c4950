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

}  // namespace korin
