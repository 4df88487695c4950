// The lookup controls: TDBLookupControl with its list link, TDBLookupListBox and
// TDBLookupComboBox with its drop-down list.
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
    KeyValueChanged();
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
    KeyValueChanged();
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
    FBar.OnScroll = [this](TScrollCode, int& Pos) {
        SetTopIndex(Pos);
        Pos = FTopIndex;
    };
    FBar.OnInvalidate = [this] { Invalidate(); };
}

// Inside the two-pixel frame.
int TDBLookupListBox::Rows() const { return std::max(1, (ClientHeight() - 4) / FRowHeight); }

void TDBLookupListBox::SetTopIndex(int Index)
{
    Index = std::clamp(Index, 0, std::max(0, ListCount() - Rows()));
    if (Index == FTopIndex)
        return;
    FTopIndex = Index;
    Invalidate();
}

void TDBLookupListBox::KeyValueChanged()
{
    // The selected row comes into view; a key not in the list leaves the rows alone.
    int sel = KeyIndex();
    int top = std::min(FTopIndex, std::max(0, ListCount() - Rows()));
    if (sel >= 0) {
        if (sel < top)
            top = sel;
        else if (sel >= top + Rows())
            top = sel - Rows() + 1;
    }
    SetTopIndex(top);
}

void TDBLookupListBox::Resize()
{
    KeyValueChanged();
    TDBLookupControl::Resize();
}

void TDBLookupListBox::SyncBar() const
{
    FBar.Kind = sbVertical;
    FBar.Bounds = ScrollBarVisible() ? Rect(ClientWidth() - 2 - ScrollBarSize, 2, ClientWidth() - 2, ClientHeight() - 2)
                                     : TRect();
    FBar.Min = 0;
    FBar.Max = std::max(0, ListCount() - 1);
    FBar.PageSize = Rows();
    FBar.SmallChange = 1;
    FBar.LargeChange = Rows();
    FBar.SetPosition(FTopIndex);
}

const TScrollBarPart& TDBLookupListBox::ScrollBar() const
{
    SyncBar();
    return FBar;
}

void TDBLookupListBox::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    PaintFieldFrame(c, r, Color());
    c.Font().Assign(Font());
    bool bar = ScrollBarVisible();
    if (bar)
        r.Right = std::max(r.Left, ClientWidth() - 2 - ScrollBarSize);
    int sel = KeyIndex();
    for (int i = FTopIndex; i < ListCount() && i < FTopIndex + Rows(); ++i) {
        TRect ir = Rect(r.Left, r.Top + (i - FTopIndex) * FRowHeight, r.Right, r.Top + (i - FTopIndex + 1) * FRowHeight);
        PaintCellText(c, ir, ListText(i), i == sel, taLeftJustify);
    }
    if (bar) {
        SyncBar();
        FBar.Paint(c, Enabled());
    }
}

void TDBLookupListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TDBLookupControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (ScrollBarVisible() && X >= ClientWidth() - 2 - ScrollBarSize) {
        SyncBar();
        FBar.MouseDown(Point(X, Y));
        return;
    }
    int row = (Y - 2) / FRowHeight;
    if (Y >= 2 && row < Rows()) {
        // Starting the edit shows the stored key again for a moment, which would scroll
        // it into view: the rows stay where the user clicked.
        int top = FTopIndex;
        SelectIndex(top + row);
        SetTopIndex(top);
        KeyValueChanged();
    }
}

void TDBLookupListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FBar.Pressed())
        FBar.MouseMove(Point(X, Y));
    TDBLookupControl::MouseMove(Shift, X, Y);
}

void TDBLookupListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FBar.Pressed())
        FBar.MouseUp(Point(X, Y));
    TDBLookupControl::MouseUp(Button, Shift, X, Y);
}

bool TDBLookupListBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TDBLookupControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    SetTopIndex(FTopIndex - WheelNotches(WheelDelta) * WheelScrollLines);
    return true;
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
