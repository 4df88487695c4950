#include "korin/platform/dbctrls/DBCtrls.h"

#include <algorithm>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/DrawText.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// TFieldDataLink

TFieldDataLink::TFieldDataLink()
{
    SetVisualControl(true);
}

void TFieldDataLink::SetFieldName(const std::string& Value)
{
    if (FFieldName == Value)
        return;
    FFieldName = Value;
    UpdateField();
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && FField && FField->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (CanModify())
        TDataLink::Edit();
    return FEditing;
}

void TFieldDataLink::UpdateField()
{
    TField* f = nullptr;
    if (Active() && !FFieldName.empty())
        f = DataSet()->FindField(FFieldName);
    SetField(f);
}

void TFieldDataLink::SetField(TField* Value)
{
    if (FField == Value)
        return;
    FField = Value;
    EditingChanged();
    RecordChanged(nullptr);
}

void TFieldDataLink::SetEditing(bool Value)
{
    if (FEditing == Value)
        return;
    FEditing = Value;
    FModified = false;
    if (OnEditingChange)
        OnEditingChange(this);
}

void TFieldDataLink::ActiveChanged()
{
    TField* old = FField;
    UpdateField();
    if (old == FField) {
        // Re-opened with the same field object: the record is another one all the same.
        EditingChanged();
        RecordChanged(nullptr);
    }
    if (OnActiveChange)
        OnActiveChange(this);
}

void TFieldDataLink::EditingChanged()
{
    SetEditing(TDataLink::Editing() && CanModify());
}

void TFieldDataLink::LayoutChanged()
{
    UpdateField();
    TDataLink::LayoutChanged();
}

void TFieldDataLink::RecordChanged(TField* Field)
{
    if (Field && Field != FField)
        return;
    if (OnDataChange)
        OnDataChange(this);
    FModified = false;
}

void TFieldDataLink::UpdateData()
{
    if (!FModified)
        return;
    if (FField && OnUpdateData)
        OnUpdateData(this);
    FModified = false;
}

std::string FieldValueText(const TField* Field, const Variant& Value)
{
    if (!Field)
        return Value.IsArray() ? std::string() : VarToStr(Value);
    return Field->TextOf(Value);
}

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

// ---------------------------------------------------------------------------------------
// TDBMemo

TDBMemo::TDBMemo(TComponent* AOwner) : TDBEditControl(AOwner)
{
    FMultiLine = true;
    SetBounds(0, 0, 185, 89);
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

void TDBMemo::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Enabled() ? Color() : clBtnFace);
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsClear);
    TRect tr = r;
    InflateRect(tr, -2, -1);
    DrawText(c, Text(), tr, DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : 0u));
    if (Focused()) {
        // The caret at the end of its line.
        const std::string& t = Text();
        std::string before = t.substr(0, static_cast<size_t>(SelStart()));
        int line = static_cast<int>(std::count(before.begin(), before.end(), '\n'));
        size_t ls = before.rfind('\n');
        std::string lineText = ls == std::string::npos ? before : before.substr(ls + 1);
        int lh = c.TextHeight("Ag");
        int cx = tr.Left + c.TextWidth(lineText);
        int cy = tr.Top + line * lh;
        if (cx < tr.Right && cy < tr.Bottom) {
            c.Pen().SetColor(clWindowText);
            c.MoveTo(cx, cy);
            c.LineTo(cx, cy + lh);
        }
    }
}

// ---------------------------------------------------------------------------------------
// TDBImage

TDBImage::TDBImage(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 105, 105);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
}

void TDBImage::DataChange(TObject*)
{
    FPicture.SetSize(0, 0);
    if (TField* f = Field()) {
        std::string bytes = f->AsString();
        if (!bytes.empty()) {
            try {
                FPicture.LoadFromBMP(std::span<const unsigned char>(
                    reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
            } catch (const std::exception&) {
                FPicture.SetSize(0, 0);
            }
        }
    }
    Invalidate();
}

void TDBImage::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Color());
    if (FPicture.Empty())
        return;
    if (FStretch)
        c.StretchDraw(r, FPicture);
    else
        c.Draw(r.Left, r.Top, FPicture);
}

// ---------------------------------------------------------------------------------------
// TDBListBox

TDBListBox::TDBListBox(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

void TDBListBox::SetItems(const std::vector<std::string>& Value)
{
    FItems = Value;
    FDataLink.Reset();
}

void TDBListBox::SetItemIndex(int Value)
{
    FItemIndex = Value >= 0 && Value < static_cast<int>(FItems.size()) ? Value : -1;
    MakeVisible();
    Invalidate();
}

void TDBListBox::MakeVisible()
{
    int rows = std::max(1, (ClientHeight() - 4) / FItemHeight);
    if (FItemIndex < 0)
        return;
    if (FItemIndex < FTopIndex)
        FTopIndex = FItemIndex;
    else if (FItemIndex >= FTopIndex + rows)
        FTopIndex = FItemIndex - rows + 1;
}

void TDBListBox::DataChange(TObject*)
{
    int index = -1;
    if (TField* f = Field()) {
        std::string v = f->Text();
        auto it = std::find(FItems.begin(), FItems.end(), v);
        if (it != FItems.end())
            index = static_cast<int>(it - FItems.begin());
    }
    SetItemIndex(index);
}

void TDBListBox::UpdateData(TObject*)
{
    if (FItemIndex >= 0)
        Field()->SetText(FItems[FItemIndex]);
    else
        Field()->SetText("");
}

void TDBListBox::Pick(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(FItems.size()) || Index == FItemIndex)
        return;
    if (!FDataLink.Edit())
        return;
    SetItemIndex(Index);
    FDataLink.Modified();
}

void TDBListBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    int rows = std::max(1, (ClientHeight() - 4) / FItemHeight);
    int n = static_cast<int>(FItems.size());
    switch (Key) {
    case VK_UP: Pick(std::max(0, FItemIndex - 1)); break;
    case VK_DOWN: Pick(std::min(n - 1, FItemIndex + 1)); break;
    case VK_HOME: Pick(0); break;
    case VK_END: Pick(n - 1); break;
    case VK_PRIOR: Pick(std::max(0, FItemIndex - rows)); break;
    case VK_NEXT: Pick(std::min(n - 1, FItemIndex + rows)); break;
    default: return;
    }
    Key = 0;
}

void TDBListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDBFieldControl<TCustomControl>::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Y >= 2)
        Pick(FTopIndex + (Y - 2) / FItemHeight);
}

void TDBListBox::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomControl>::DoExit();
}

void TDBListBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Color());
    c.Font().Assign(Font());
    for (int i = FTopIndex; i < static_cast<int>(FItems.size()); ++i) {
        TRect ir = Rect(r.Left, r.Top + (i - FTopIndex) * FItemHeight, r.Right, r.Top + (i - FTopIndex + 1) * FItemHeight);
        if (ir.Top >= r.Bottom)
            break;
        PaintCellText(c, ir, FItems[i], i == FItemIndex, taLeftJustify);
        if (i == FItemIndex && Focused())
            c.DrawFocusRect(ir);
    }
}

// ---------------------------------------------------------------------------------------
// TDBComboBox

TDBComboBox::TDBComboBox(TComponent* AOwner) : TDBFieldControl<TCustomComboBox>(AOwner)
{
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

void TDBComboBox::ShowValue(const std::string& Value)
{
    auto it = std::find(Items().begin(), Items().end(), Value);
    if (it != Items().end()) {
        SetItemIndex(static_cast<int>(it - Items().begin()));
    } else {
        SetItemIndex(-1);
        if (Style() != csDropDownList)
            SetText(Value);
    }
}

void TDBComboBox::DataChange(TObject*)
{
    ShowValue(Field() ? Field()->Text() : std::string());
}

void TDBComboBox::UpdateData(TObject*)
{
    Field()->SetText(Text());
}

void TDBComboBox::Change()
{
    if (!FDataLink.Editing()) {
        // The user changed the value: the dataset must be editing first. Going into edit
        // state shows the field's value again, so the user's value is put back after.
        std::string picked = Text();
        if (!FDataLink.Edit()) {
            FDataLink.Reset();
            return;
        }
        ShowValue(picked);
    }
    FDataLink.Modified();
    TCustomComboBox::Change();
}

void TDBComboBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    FEscClosedList = Key == VK_ESCAPE && DroppedDown();
    TDBFieldControl<TCustomComboBox>::KeyDown(Key, Shift);
}

void TDBComboBox::KeyPress(char32_t& Key)
{
    bool closed = FEscClosedList;
    FEscClosedList = false;
    if (Key == 27 && !closed && FDataLink.IsModified()) {
        FDataLink.Reset();
        Key = 0;
        return;
    }
    TDBFieldControl<TCustomComboBox>::KeyPress(Key);
}

void TDBComboBox::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomComboBox>::DoExit();
}

// ---------------------------------------------------------------------------------------
// TDBCheckBox

TDBCheckBox::TDBCheckBox(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

static bool SameTextCI(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

void TDBCheckBox::DataChange(TObject*)
{
    TCheckBoxState s = cbGrayed;
    if (TField* f = Field()) {
        if (!f->IsNull()) {
            std::string t = f->Text();
            if (f->DataType() == ftBoolean)
                s = f->AsBoolean() ? cbChecked : cbUnchecked;
            else if (SameTextCI(t, FValueChecked))
                s = cbChecked;
            else if (SameTextCI(t, FValueUnchecked))
                s = cbUnchecked;
        }
    }
    FState = s;
    Invalidate();
}

void TDBCheckBox::UpdateData(TObject*)
{
    TField* f = Field();
    if (FState == cbGrayed)
        f->Clear();
    else if (f->DataType() == ftBoolean)
        f->SetAsBoolean(FState == cbChecked);
    else
        f->SetText(FState == cbChecked ? FValueChecked : FValueUnchecked);
}

void TDBCheckBox::SetChecked(bool Value)
{
    FState = Value ? cbChecked : cbUnchecked;
    Invalidate();
}

void TDBCheckBox::Toggle()
{
    if (!FDataLink.Edit())
        return;
    FState = FState == cbChecked ? cbUnchecked : cbChecked;
    FDataLink.Modified();
    Invalidate();
}

void TDBCheckBox::Click()
{
    Toggle();
    TDBFieldControl<TCustomControl>::Click();
}

LRESULT TDBCheckBox::DialogCode() const
{
    return DLGC_WANTCHARS | (dynamic_cast<TDBCtrlPanel*>(Parent()) ? DLGC_WANTARROWS : 0);
}

void TDBCheckBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    ForwardPanelKey(this, Key, Shift);
}

void TDBCheckBox::KeyPress(char32_t& Key)
{
    if (Key == ' ') {
        Toggle();
        Key = 0;
    } else if (Key == 27 && FDataLink.IsModified()) {
        FDataLink.Reset();
        Key = 0;
    }
}

void TDBCheckBox::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomControl>::DoExit();
}

void TDBCheckBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect box = Rect(0, (Height() - 13) / 2, 13, (Height() - 13) / 2 + 13);
    PaintCheckMark(c, box, FState == cbChecked, FState == cbGrayed, false);
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsClear);
    TRect tr = Rect(17, 0, Width(), Height());
    DrawText(c, Caption(), tr, DT_SINGLELINE | DT_VCENTER);
    if (Focused()) {
        TRect fr = Rect(15, 0, std::min(Width(), 19 + c.TextWidth(StripAccel(Caption()))), Height());
        c.DrawFocusRect(fr);
    }
}

// ---------------------------------------------------------------------------------------
// TDBRadioGroup

TDBRadioGroup::TDBRadioGroup(TComponent* AOwner) : TDBFieldControl<TCustomControl>(AOwner)
{
    SetTabStop(true);
    SetBounds(0, 0, 185, 105);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

std::string TDBRadioGroup::ItemValue(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(FItems.size()))
        return "";
    return Index < static_cast<int>(FValues.size()) ? FValues[Index] : FItems[Index];
}

std::string TDBRadioGroup::Value() const
{
    return ItemValue(FItemIndex);
}

void TDBRadioGroup::SetItemIndex(int Value)
{
    FItemIndex = Value >= 0 && Value < static_cast<int>(FItems.size()) ? Value : -1;
    Invalidate();
}

void TDBRadioGroup::DataChange(TObject*)
{
    int index = -1;
    if (TField* f = Field()) {
        std::string v = f->Text();
        for (int i = 0; i < static_cast<int>(FItems.size()); ++i)
            if (ItemValue(i) == v) {
                index = i;
                break;
            }
    }
    SetItemIndex(index);
}

void TDBRadioGroup::UpdateData(TObject*)
{
    Field()->SetText(Value());
}

void TDBRadioGroup::Pick(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(FItems.size()) || Index == FItemIndex)
        return;
    if (!FDataLink.Edit())
        return;
    SetItemIndex(Index);
    FDataLink.Modified();
    if (OnChange)
        OnChange(this);
}

TRect TDBRadioGroup::ItemRect(int Index) const
{
    int n = static_cast<int>(FItems.size());
    int rows = std::max(1, (n + FColumns - 1) / FColumns);
    int top = 16, h = std::max(1, (Height() - top - 4) / rows);
    int w = std::max(1, (Width() - 16) / FColumns);
    int col = Index / rows, row = Index % rows;
    return Rect(8 + col * w, top + row * h, 8 + (col + 1) * w, top + (row + 1) * h);
}

void TDBRadioGroup::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (Key == VK_UP || Key == VK_LEFT) {
        Pick(std::max(0, FItemIndex - 1));
        Key = 0;
    } else if (Key == VK_DOWN || Key == VK_RIGHT) {
        Pick(std::min(static_cast<int>(FItems.size()) - 1, FItemIndex + 1));
        Key = 0;
    }
}

void TDBRadioGroup::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDBFieldControl<TCustomControl>::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    for (int i = 0; i < static_cast<int>(FItems.size()); ++i)
        if (PtInRect(ItemRect(i), Point(X, Y))) {
            Pick(i);
            break;
        }
}

void TDBRadioGroup::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomControl>::DoExit();
}

void TDBRadioGroup::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    int th = c.TextHeight("Ag");
    TRect frame = Rect(0, th / 2, Width(), Height());
    DrawEdge(c, frame, EDGE_ETCHED, BF_RECT);
    c.Brush().SetColor(Color());
    int capW = c.TextWidth(Caption());
    if (capW > 0) {
        c.FillRect(Rect(6, 0, 10 + capW, th));
        c.Brush().SetStyle(bsClear);
        c.TextOut(8, 0, Caption());
    }
    c.Brush().SetStyle(bsClear);
    for (int i = 0; i < static_cast<int>(FItems.size()); ++i) {
        TRect ir = ItemRect(i);
        int cy = (ir.Top + ir.Bottom) / 2;
        PaintRadioMark(c, Rect(ir.Left, cy - 6, ir.Left + 12, cy + 6), i == FItemIndex);
        TRect tr = Rect(ir.Left + 16, ir.Top, ir.Right, ir.Bottom);
        DrawText(c, FItems[i], tr, DT_SINGLELINE | DT_VCENTER);
        if (i == FItemIndex && Focused())
            c.DrawFocusRect(Rect(tr.Left - 2, cy - th / 2 - 1, std::min(tr.Right, tr.Left + c.TextWidth(StripAccel(FItems[i])) + 2), cy + th / 2 + 1));
    }
}

// ---------------------------------------------------------------------------------------
// Lookup controls

class TDBLookupControl::TListLink : public TDataLink {
public:
    explicit TListLink(TDBLookupControl* Owner) : FOwner(Owner) {}
    void ActiveChanged() override { FOwner->ListChanged(); }
    void DataSetChanged() override { FOwner->ListChanged(); }
    void LayoutChanged() override { FOwner->ListChanged(); }

private:
    TDBLookupControl* FOwner;
};

TDBLookupControl::TDBLookupControl(TComponent* AOwner)
    : TDBFieldControl<TCustomControl>(AOwner), FListLink(std::make_unique<TListLink>(this))
{
    SetTabStop(true);
    SetColor(clWindow);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(this); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(this); };
}

TDBLookupControl::~TDBLookupControl()
{
    FListLink->SetDataSource(nullptr);
}

TDataSource* TDBLookupControl::ListSource() const
{
    return FListLink->DataSource();
}

void TDBLookupControl::SetListSource(TDataSource* Value)
{
    if (FListLink->SetDataSourceFor(this, Value))
        ListChanged();
}

void TDBLookupControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TDBFieldControl<TCustomControl>::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == FListLink->DataSource()) {
        FListLink->SetDataSource(nullptr);
        ListChanged();
    }
}

void TDBLookupControl::ListChanged()
{
    FListKeys.clear();
    FListTexts.clear();
    TDataSet* ds = FListLink->DataSet();
    if (ds && ds->Active() && !FKeyField.empty()) {
        TField* key = ds->FindField(FKeyField);
        TField* text = ds->FindField(FListField.empty() ? FKeyField : FListField);
        if (key && text) {
            // The list is read from the list dataset without disturbing its position
            // (the rows come straight from its engine).
            TDataSetRows rows(ds);
            for (int i = 0; i < rows.Count(); ++i) {
                FListKeys.push_back(rows.Value(i, key));
                FListTexts.push_back(FieldValueText(text, rows.Value(i, text)));
            }
        }
    }
    Invalidate();
}

int TDBLookupControl::KeyIndex() const
{
    if (FKeyValue.IsNullOrEmpty())
        return -1;
    for (int i = 0; i < static_cast<int>(FListKeys.size()); ++i)
        if (FListKeys[i] == FKeyValue)
            return i;
    return -1;
}

std::string TDBLookupControl::DisplayText() const
{
    int i = KeyIndex();
    return i >= 0 ? FListTexts[i] : std::string();
}

void TDBLookupControl::SetKeyValue(const Variant& Value)
{
    FKeyValue = Value;
    Invalidate();
}

void TDBLookupControl::DataChange(TObject*)
{
    SetKeyValue(Field() ? Field()->Value() : Variant());
}

void TDBLookupControl::UpdateData(TObject*)
{
    Field()->SetValue(FKeyValue);
}

void TDBLookupControl::SelectIndex(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(FListKeys.size()) || Index == KeyIndex())
        return;
    if (!FDataLink.Edit())
        return;
    SetKeyValue(FListKeys[Index]);
    FDataLink.Modified();
}

void TDBLookupControl::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    int n = ListCount();
    int i = KeyIndex();
    switch (Key) {
    case VK_UP: SelectIndex(i < 0 ? 0 : std::max(0, i - 1)); break;
    case VK_DOWN: SelectIndex(std::min(n - 1, i + 1)); break;
    case VK_HOME: SelectIndex(0); break;
    case VK_END: SelectIndex(n - 1); break;
    default: return;
    }
    Key = 0;
}

void TDBLookupControl::DoExit()
{
    FDataLink.UpdateRecord();
    TDBFieldControl<TCustomControl>::DoExit();
}

TDBLookupListBox::TDBLookupListBox(TComponent* AOwner) : TDBLookupControl(AOwner)
{
    SetBounds(0, 0, 121, 97);
}

void TDBLookupListBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Color());
    c.Font().Assign(Font());
    int rows = std::max(1, r.Height() / FRowHeight);
    int sel = KeyIndex();
    int top = sel >= rows ? sel - rows + 1 : 0;
    for (int i = top; i < ListCount() && i < top + rows; ++i) {
        TRect ir = Rect(r.Left, r.Top + (i - top) * FRowHeight, r.Right, r.Top + (i - top + 1) * FRowHeight);
        PaintCellText(c, ir, ListText(i), i == sel, taLeftJustify);
    }
}

void TDBLookupListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDBLookupControl::MouseDown(Button, Shift, X, Y);
    int rows = std::max(1, (ClientHeight() - 4) / FRowHeight);
    int sel = KeyIndex();
    int top = sel >= rows ? sel - rows + 1 : 0;
    if (Button == mbLeft && Y >= 2)
        SelectIndex(top + (Y - 2) / FRowHeight);
}

// The dropped-down list of a lookup combo box: the list texts, the hot one highlighted; a
// release over a row picks its key and closes the list.
class TDBLookupComboBox::TListWindow : public TDropDownList {
public:
    explicit TListWindow(TDBLookupComboBox* Combo) : TDropDownList(Combo), FCombo(Combo) {}

protected:
    int ItemCount() const override { return FCombo->ListCount(); }
    int ItemHeight() const override { return FCombo->RowHeight(); }
    void PaintItem(TCanvas& c, const TRect& r, int Index, bool Hot) override
    {
        c.Brush().SetColor(clWindow);
        c.FillRect(r);
        PaintCellText(c, r, FCombo->ListText(Index), Hot, taLeftJustify);
    }
    void ItemPicked(int Index) override
    {
        Track(Index);
        FCombo->CloseUp(true);
    }
    void Dismissed() override { FCombo->CloseUp(false); }

private:
    TDBLookupComboBox* FCombo;
};

TDBLookupComboBox::TDBLookupComboBox(TComponent* AOwner) : TDBLookupControl(AOwner)
{
    SetBounds(0, 0, 145, 21);
}

TDBLookupComboBox::~TDBLookupComboBox()
{
    BeforeDestruction();
    if (FList) {
        FList->Closing = true;
        if (GetCaptureControl() == FList)
            ReleaseCapture();
        delete FList;
        FList = nullptr;
    }
}

TWinControl* TDBLookupComboBox::ListWindow() const
{
    return FList;
}

void TDBLookupComboBox::DropDown()
{
    if (FList)
        return;
    FList = new TListWindow(this);
    int rows = std::clamp(ListCount(), 1, FDropDownRows);
    TPoint at = ClientToScreen(Point(0, Height()));
    FList->SetBounds(at.x, at.y, Width(), rows * RowHeight() + 2);
    FList->Track(KeyIndex());
    FList->SetVisible(true);
    BringPopupToFront(FList);
    SetCaptureControl(FList);
    Invalidate();
}

void TDBLookupComboBox::CloseUp(bool Accept)
{
    if (!FList)
        return;
    TListWindow* list = FList;
    FList = nullptr;
    int hot = list->HotIndex();
    list->Closing = true;
    if (GetCaptureControl() == list)
        ReleaseCapture();
    delete list;
    if (Accept && hot >= 0)
        SelectIndex(hot);
    Invalidate();
}

void TDBLookupComboBox::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_KILLFOCUS && FList)
        CloseUp(false);
    TDBLookupControl::WndProc(Message);
}

void TDBLookupComboBox::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if ((Key == VK_DOWN && (Shift & ssAlt)) || Key == VK_F1 + 3) {
        if (FList)
            CloseUp(true);
        else
            DropDown();
        Key = 0;
        return;
    }
    if (FList) {
        switch (Key) {
        case VK_UP: FList->Track(std::max(0, FList->HotIndex() - 1)); break;
        case VK_DOWN: FList->Track(std::min(ListCount() - 1, FList->HotIndex() + 1)); break;
        case VK_RETURN: CloseUp(true); break;
        case VK_ESCAPE: CloseUp(false); break;
        default: return;
        }
        Key = 0;
        return;
    }
    TDBLookupControl::KeyDown(Key, Shift);
}

void TDBLookupComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDBLookupControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (FList)
        CloseUp(false);
    else
        DropDown();
}

void TDBLookupComboBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Color());
    TRect button = Rect(r.Right - 16, r.Top, r.Right, r.Bottom);
    PaintDropButton(c, button, FList != nullptr);
    c.Font().Assign(Font());
    PaintCellText(c, Rect(r.Left, r.Top, button.Left, r.Bottom), DisplayText(), false, taLeftJustify);
}

}  // namespace korin
