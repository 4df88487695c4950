#include "korin/platform/dbctrls/DBCtrls.h"

#include <algorithm>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/StdCtrls.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// UTF-8 helpers

static bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

static int PrevCharStart(const std::string& s, int pos)
{
    if (pos <= 0)
        return 0;
    --pos;
    while (pos > 0 && IsContinuation(s[pos]))
        --pos;
    return pos;
}

static int NextCharEnd(const std::string& s, int pos)
{
    int n = static_cast<int>(s.size());
    if (pos >= n)
        return n;
    ++pos;
    while (pos < n && IsContinuation(s[pos]))
        ++pos;
    return pos;
}

static int CharCount(const std::string& s)
{
    int n = 0;
    for (char c : s)
        if (!IsContinuation(c))
            ++n;
    return n;
}

// ---------------------------------------------------------------------------------------
// TDBEditControl

TDBEditControl::TDBEditControl(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnEditingChange = [this](TObject*) { EditingChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

void TDBEditControl::SetSelStart(int Value)
{
    int n = static_cast<int>(Text().size());
    Value = std::clamp(Value, 0, n);
    while (Value > 0 && Value < n && IsContinuation(Text()[Value]))
        --Value;
    FCaret = Value;
    Invalidate();
}

void TDBEditControl::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Invalidate();
}

void TDBEditControl::ShowText(const std::string& Value)
{
    if (Value != Text()) {
        SetText(Value);
        FCaret = static_cast<int>(Value.size());
    }
    FCaret = std::min(FCaret, static_cast<int>(Text().size()));
    Invalidate();
}

void TDBEditControl::DataChange(TObject*)
{
    ShowText(Field() ? Field()->Text() : std::string());
}

void TDBEditControl::EditingChange(TObject*)
{
    Invalidate();
}

void TDBEditControl::UpdateData(TObject*)
{
    Field()->SetText(Text());
}

bool TDBEditControl::IsValidChar(char32_t Ch) const
{
    TField* f = Field();
    if (!f)
        return true;
    switch (f->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return (Ch >= '0' && Ch <= '9') || Ch == '-' || Ch == '+';
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return (Ch >= '0' && Ch <= '9') || Ch == '-' || Ch == '+' || Ch == '.' || Ch == 'e' || Ch == 'E';
    default:
        return true;
    }
}

void TDBEditControl::Change()
{
    FDataLink.Modified();
    if (OnChange)
        OnChange(this);
}

bool TDBEditControl::BeginUserEdit()
{
    return FDataLink.Edit();
}

void TDBEditControl::InsertText(const std::string& Utf8)
{
    std::string t = Text();
    int caret = std::min(FCaret, static_cast<int>(t.size()));
    t.insert(static_cast<size_t>(caret), Utf8);
    FCaret = caret + static_cast<int>(Utf8.size());
    SetText(t);
    Change();
}

void TDBEditControl::DeleteBack()
{
    if (FCaret <= 0)
        return;
    std::string t = Text();
    int from = PrevCharStart(t, FCaret);
    t.erase(static_cast<size_t>(from), static_cast<size_t>(FCaret - from));
    FCaret = from;
    SetText(t);
    Change();
}

void TDBEditControl::DeleteForward()
{
    std::string t = Text();
    if (FCaret >= static_cast<int>(t.size()))
        return;
    int to = NextCharEnd(t, FCaret);
    t.erase(static_cast<size_t>(FCaret), static_cast<size_t>(to - FCaret));
    SetText(t);
    Change();
}

void TDBEditControl::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (ForwardPanelKey(this, Key, Shift))
        return;
    const std::string& t = Text();
    switch (Key) {
    case VK_LEFT:
        FCaret = PrevCharStart(t, FCaret);
        break;
    case VK_RIGHT:
        FCaret = NextCharEnd(t, FCaret);
        break;
    case VK_HOME:
        if (FMultiLine && !(Shift & ssCtrl)) {
            size_t p = FCaret > 0 ? t.rfind('\n', static_cast<size_t>(FCaret - 1)) : std::string::npos;
            FCaret = p == std::string::npos ? 0 : static_cast<int>(p) + 1;
        } else
            FCaret = 0;
        break;
    case VK_END:
        if (FMultiLine && !(Shift & ssCtrl)) {
            size_t p = t.find('\n', static_cast<size_t>(FCaret));
            FCaret = p == std::string::npos ? static_cast<int>(t.size()) : static_cast<int>(p);
        } else
            FCaret = static_cast<int>(t.size());
        break;
    case VK_DELETE:
        if (BeginUserEdit())
            DeleteForward();
        break;
    default:
        return;
    }
    Key = 0;
    Invalidate();
}

void TDBEditControl::KeyPress(char32_t& Key)
{
    if (Key == 27) {
        // Esc drops what was typed and shows the field's value again.
        if (FDataLink.IsModified()) {
            FDataLink.Reset();
            Key = 0;
        }
        return;
    }
    if (Key == 8) {
        if (BeginUserEdit())
            DeleteBack();
        Key = 0;
        return;
    }
    if (Key == '\r' || Key == '\n') {
        if (FMultiLine && BeginUserEdit())
            InsertText("\n");
        Key = 0;
        return;
    }
    if (Key < 32)
        return;
    if (!IsValidChar(Key) || !BeginUserEdit()) {
        Key = 0;
        return;
    }
    if (FMaxLength > 0 && CharCount(Text()) >= FMaxLength) {
        Key = 0;
        return;
    }
    InsertText(EncodeUtf8(Key));
    Key = 0;
}

void TDBEditControl::DoExit()
{
    // Leaving the control hands the typed text to the field; a refused value raises and
    // stays in the control.
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomControl>::DoExit();
}

void TDBEditControl::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Enabled() ? Color() : clBtnFace);
    r.Right -= FRightMargin;
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsClear);
    const std::string& t = Text();
    int th = c.TextHeight(t.empty() ? std::string("Ag") : t);
    int y = r.Top + std::max(0, (r.Height() - th) / 2);
    int x = r.Left + 2;
    int w = c.TextWidth(t);
    if (FAlignment == taRightJustify)
        x = r.Right - 2 - w;
    else if (FAlignment == taCenter)
        x = r.Left + (r.Width() - w) / 2;
    c.TextRect(r, x, y, t);
    if (Focused()) {
        int cx = x + c.TextWidth(t.substr(0, static_cast<size_t>(FCaret)));
        c.Pen().SetColor(clWindowText);
        c.MoveTo(cx, y);
        c.LineTo(cx, y + th);
    }
}

TDBEdit::TDBEdit(TComponent* AOwner) : TDBEditControl(AOwner) {}

}  // namespace korin
