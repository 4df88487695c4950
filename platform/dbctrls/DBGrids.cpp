#include "korin/platform/dbctrls/DBGrids.h"

#include <algorithm>

#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Forms.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// Data link

class TCustomDBGrid::TGridDataLink : public TDataLink {
public:
    explicit TGridDataLink(TCustomDBGrid* Grid) : FGrid(Grid) { SetVisualControl(true); }
    void ActiveChanged() override { FGrid->LinkActive(); }
    void DataSetChanged() override { FGrid->DataChanged(); }
    void DataSetScrolled(int) override { FGrid->DataChanged(); }
    void LayoutChanged() override { FGrid->LayoutChanged(); }
    void RecordChanged(TField* Field) override { FGrid->RecordChanged(Field); }
    void EditingChanged() override { FGrid->EditingChanged(); }
    void UpdateData() override { FGrid->UpdateData(); }

private:
    TCustomDBGrid* FGrid;
};

// ---------------------------------------------------------------------------------------
// TCustomDBGrid

// The grid as the host of its cell editor: a change asks the dataset to edit the selected
// field, and the text runs in the selected cell.
class TCustomDBGrid::TInplaceHost : public TTextEditorHost {
public:
    explicit TInplaceHost(TCustomDBGrid* Grid) : FGrid(Grid) {}
    bool TextEditBegin() override
    {
        return FGrid->FEditorMode && FGrid->CanEditSelected() && (FGrid->FDataLink->Editing() || FGrid->BeginCellEdit());
    }
    void TextEdited() override
    {
        FGrid->FEditModified = true;
        FGrid->FEditText = FGrid->FEditor->Text();
        FGrid->Invalidate();
    }
    TRect TextEditArea() const override { return FGrid->EditorRect(); }
    const TFont& TextEditFont() const override { return FGrid->Font(); }
    void TextEditInvalidate() override { FGrid->Invalidate(); }
    void TextEditCapture(bool Capture) override { FGrid->SetMouseCapture(Capture); }

private:
    TCustomDBGrid* FGrid;
};

TCustomDBGrid::TCustomDBGrid(TComponent* AOwner)
    : TCustomGrid(AOwner), FDataLink(std::make_unique<TGridDataLink>(this)),
      FInplaceHost(std::make_unique<TInplaceHost>(this)), FEditor(std::make_unique<TTextEditor>(*FInplaceHost, false))
{
    SetBounds(0, 0, 320, 120);
    SetDefaultRowHeight(18);
    UpdateLayout();
}

TCustomDBGrid::~TCustomDBGrid()
{
    FDataLink->SetDataSource(nullptr);
}

TDataSource* TCustomDBGrid::DataSource() const
{
    return FDataLink->DataSource();
}

void TCustomDBGrid::SetDataSource(TDataSource* Value)
{
    if (FDataLink->SetDataSourceFor(this, Value))
        LinkActive();
}

void TCustomDBGrid::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && FDataLink && AComponent == FDataLink->DataSource()) {
        FDataLink->SetDataSource(nullptr);
        LinkActive();
    }
}

void TCustomDBGrid::SetOptions(TDBGridOptions Value)
{
    FOptions = Value;
    UpdateLayout();
}

int TCustomDBGrid::VisibleColumnCount() const
{
    int n = 0;
    for (int i = 0; i < FColumns.Count(); ++i)
        if (FColumns.Items(i)->Visible())
            ++n;
    return n;
}

TColumn* TCustomDBGrid::VisibleColumn(int Index) const
{
    int n = 0;
    for (int i = 0; i < FColumns.Count(); ++i) {
        TColumn* c = FColumns.Items(i);
        if (!c->Visible())
            continue;
        if (n == Index)
            return c;
        ++n;
    }
    return nullptr;
}

int TCustomDBGrid::SelectedIndex() const
{
    return FSelectedIndex;
}

void TCustomDBGrid::SetSelectedIndex(int Value)
{
    MoveCol(Value);
}

TField* TCustomDBGrid::SelectedField() const
{
    TColumn* c = VisibleColumn(FSelectedIndex);
    return c ? c->Field() : nullptr;
}

void TCustomDBGrid::SetSelectedField(TField* Value)
{
    if (!Value)
        return;
    for (int i = 0; i < VisibleColumnCount(); ++i)
        if (VisibleColumn(i)->Field() == Value) {
            MoveCol(i);
            return;
        }
}

int TCustomDBGrid::FieldCount() const
{
    return VisibleColumnCount();
}

TField* TCustomDBGrid::Fields(int Index) const
{
    TColumn* c = VisibleColumn(Index);
    return c ? c->Field() : nullptr;
}

void TCustomDBGrid::UpdateLayout()
{
    if (FInLayout)
        return;
    FInLayout = true;
    int cols = std::max(1, VisibleColumnCount());
    SetColCount(IndicatorOffset() + cols);
    SetFixedCols(IndicatorOffset());
    if (IndicatorOffset())
        SetColWidths(0, 12);
    for (int i = 0; i < cols; ++i)
        if (TColumn* c = VisibleColumn(i))
            SetColWidths(IndicatorOffset() + i, c->Width());
    FSelectedIndex = std::clamp(FSelectedIndex, 0, cols - 1);

    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    int total = 0;
    int current = 0;
    if (ds) {
        total = FRecordCount + (FInserting ? 1 : 0);
        current = std::max(0, FCurrentRecord);
    }
    SetRowCount(TitleOffset() + std::max(1, std::min(std::max(1, RowsThatFit()), total)));
    SetFixedRows(TitleOffset());
    int rows = std::max(1, RowsThatFit());
    if (current < FTopRecord)
        FTopRecord = current;
    else if (current >= FTopRecord + rows)
        FTopRecord = current - rows + 1;
    FTopRecord = std::clamp(FTopRecord, 0, std::max(0, total - rows));
    if (current < FTopRecord)
        FTopRecord = current;
    FocusCell(IndicatorOffset() + FSelectedIndex, TitleOffset() + (current - FTopRecord));
    FInLayout = false;
    Invalidate();
}

void TCustomDBGrid::LinkActive()
{
    FEditorMode = false;
    FEditModified = false;
    FColumns.Rebuild(FDataLink->Active() ? FDataLink->DataSet() : nullptr);
    DataChanged();
}

void TCustomDBGrid::LayoutChanged()
{
    FColumns.Rebuild(FDataLink->Active() ? FDataLink->DataSet() : nullptr);
    UpdateLayout();
}

void TCustomDBGrid::DataChanged()
{
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (ds) {
        FRecordCount = ds->RecordCount();
        bool inserting = ds->State() == dsInsert;
        if (!inserting)
            FCurrentRecord = ds->RecNo() - 1;
        else if (!FInserting)
            FCurrentRecord = std::clamp(FCurrentRecord, 0, FRecordCount);
        FInserting = inserting;
    } else {
        FRecordCount = 0;
        FCurrentRecord = -1;
        FInserting = false;
        FTopRecord = 0;
    }
    UpdateLayout();
    if (FEditorMode && !FEditModified) {
        TField* f = SelectedField();
        ShowEditText(f ? f->Text() : std::string());
    }
}

void TCustomDBGrid::RecordChanged(TField* Field)
{
    if (FEditorMode && !FEditModified && (!Field || Field == SelectedField())) {
        TField* f = SelectedField();
        ShowEditText(f ? f->Text() : std::string());
    }
    Invalidate();
}

void TCustomDBGrid::EditingChanged()
{
    if (!FDataLink->Editing())
        HideEditor();
    Invalidate();
}

void TCustomDBGrid::UpdateData()
{
    if (!FEditorMode || !FEditModified)
        return;
    TField* f = SelectedField();
    if (!f)
        return;
    f->SetText(FEditText);
    FEditModified = false;
}

bool TCustomDBGrid::CanEditSelected() const
{
    if (FReadOnly || !(FOptions & dgEditing) || !FDataLink->Active())
        return false;
    TColumn* c = VisibleColumn(FSelectedIndex);
    TField* f = c ? c->Field() : nullptr;
    return f && !c->ReadOnly() && f->CanModify();
}

bool TCustomDBGrid::BeginCellEdit()
{
    if (!CanEditSelected())
        return false;
    FDataLink->Edit();
    if (!FDataLink->Editing())
        return false;
    return true;
}

void TCustomDBGrid::SetEditorMode(bool Value)
{
    if (Value == FEditorMode)
        return;
    if (!Value) {
        UpdateData();
        HideEditor();
        return;
    }
    if (!BeginCellEdit())
        return;
    FEditorMode = true;
    FEditModified = false;
    TField* f = SelectedField();
    ShowEditText(f ? f->Text() : std::string());
    Invalidate();
}

void TCustomDBGrid::ShowEditText(const std::string& Value)
{
    FEditText = Value;
    FEditor->SetText(Value);
    FEditor->SetSelStart(FEditor->TextLength());
}

TRect TCustomDBGrid::EditorRect() const
{
    TRect r = CellRect(IndicatorOffset() + FSelectedIndex, Row());
    r.Left += 2;  // where the cell's text starts
    r.Right -= 2;
    return r;
}

void TCustomDBGrid::HideEditor()
{
    FEditorMode = false;
    FEditModified = false;
    FEditor->MouseUp();
    ShowEditText("");
    Invalidate();
}

void TCustomDBGrid::ColEnter()
{
    if (OnColEnter)
        OnColEnter(this);
}

void TCustomDBGrid::ColExit()
{
    if (OnColExit)
        OnColExit(this);
}

void TCustomDBGrid::MoveCol(int Index)
{
    int count = VisibleColumnCount();
    if (count == 0)
        return;
    Index = std::clamp(Index, 0, count - 1);
    if (Index == FSelectedIndex)
        return;
    // The cell being edited goes into its field first; a refused value keeps the column.
    UpdateData();
    HideEditor();
    ColExit();
    FSelectedIndex = Index;
    FocusCell(IndicatorOffset() + Index, Row());
    ColEnter();
}

bool TCustomDBGrid::SelectCell(int ACol, int ARow)
{
    // Clicks: a column change selects the column, a row change moves the dataset; the
    // grid then follows the dataset, so the base never moves the cell itself.
    if (ACol - IndicatorOffset() != FSelectedIndex)
        MoveCol(ACol - IndicatorOffset());
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (ds && !FInserting && ARow != Row()) {
        int target = FTopRecord + (ARow - TitleOffset());
        ds->MoveBy(target - FCurrentRecord);
    }
    return false;
}

void TCustomDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    // A click in the cell being edited places the editor's caret; a drag selects.
    if (FEditorMode && Button == mbLeft) {
        TGridCoord cell = MouseCoord(X, Y);
        if (cell.X == IndicatorOffset() + FSelectedIndex && cell.Y == Row()) {
            if (!Focused())
                SetFocus();
            FEditor->MouseDown(X, Y, Shift);
            return;
        }
    }
    TCustomGrid::MouseDown(Button, Shift, X, Y);
}

void TCustomDBGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FEditor->Selecting()) {
        FEditor->MouseMove(X, Y);
        return;
    }
    TCustomGrid::MouseMove(Shift, X, Y);
}

void TCustomDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FEditor->Selecting()) {
        if (Button == mbLeft)
            FEditor->MouseUp();
        return;
    }
    TCustomGrid::MouseUp(Button, Shift, X, Y);
}

LRESULT TCustomDBGrid::DialogCode() const
{
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FOptions & dgTabs)
        code |= DLGC_WANTTAB;
    if (FEditorMode)
        code |= DLGC_WANTALLKEYS;
    return code;
}

void TCustomDBGrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    bool ctrl = (Shift & ssCtrl) != 0;
    if (FEditorMode && !ctrl && EditorTakesKey(Key, Shift)) {
        FEditor->KeyDown(Key, Shift);
        Key = 0;
        return;
    }
    if (FEditorMode && (Key == VK_INSERT || (Key == VK_DELETE && (Shift & ssShift))) && FEditor->KeyDown(Key, Shift)) {
        Key = 0;
        return;
    }
    int last = std::max(0, VisibleColumnCount() - 1);
    switch (Key) {
    case VK_UP:
        if (ds)
            ds->Prior();
        break;
    case VK_DOWN:
        if (ds)
            ds->Next();
        break;
    case VK_PRIOR:
        if (ds)
            ds->MoveBy(-std::max(1, VisibleRowCount()));
        break;
    case VK_NEXT:
        if (ds)
            ds->MoveBy(std::max(1, VisibleRowCount()));
        break;
    case VK_HOME:
        if (ctrl) {
            if (ds)
                ds->First();
        } else
            MoveCol(0);
        break;
    case VK_END:
        if (ctrl) {
            if (ds)
                ds->Last();
        } else
            MoveCol(last);
        break;
    case VK_LEFT:
        MoveCol(FSelectedIndex - 1);
        break;
    case VK_RIGHT:
        MoveCol(FSelectedIndex + 1);
        break;
    case VK_TAB:
        if (ctrl)
            return;
        if (Shift & ssShift) {
            if (FSelectedIndex > 0)
                MoveCol(FSelectedIndex - 1);
            else if (ds && !ds->BOF()) {
                ds->Prior();
                MoveCol(last);
            }
        } else {
            if (FSelectedIndex < last)
                MoveCol(FSelectedIndex + 1);
            else if (ds && !ds->EOF()) {
                ds->Next();
                MoveCol(0);
            }
        }
        break;
    case VK_RETURN:
        if (FEditorMode)
            SetEditorMode(false);
        else
            SetEditorMode(true);
        break;
    case VK_F1 + 1:  // F2
        SetEditorMode(true);
        break;
    case VK_ESCAPE:
        if (FEditorMode && FEditModified) {
            HideEditor();
        } else if (ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
            HideEditor();
            ds->Cancel();
        } else
            return;
        break;
    case VK_DELETE:
        if (!ctrl || !ds || ds->IsEmpty() || FReadOnly || !ds->CanModify())
            return;
        if (!(FOptions & dgConfirmDelete) ||
            Application->MessageBox("Delete record?", "Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES)
            ds->Delete();
        break;
    default:
        return;
    }
    Key = 0;
}

void TCustomDBGrid::KeyPress(char32_t& Key)
{
    // Backspace and the clipboard keys (Ctrl+A, C, V, X) are the editor's.
    if (Key == 8 || Key == 1 || Key == 3 || Key == 22 || Key == 24) {
        if (FEditorMode)
            FEditor->KeyPress(Key);
        Key = 0;
        return;
    }
    if (Key < 32)
        return;
    if (!FEditorMode) {
        // Typing replaces the cell's value.
        if (!BeginCellEdit()) {
            Key = 0;
            return;
        }
        FEditorMode = true;
        ShowEditText("");
    }
    FEditor->KeyPress(Key);
    Key = 0;
}

bool TCustomDBGrid::EditorTakesKey(std::uint16_t Key, TShiftState Shift) const
{
    // The caret keys move inside the editor; Left at its start and Right at its end
    // (without a selection) still move to the next column.
    bool plain = !(Shift & ssShift) && FEditor->SelLength() == 0;
    switch (Key) {
    case VK_LEFT:
        return !(plain && FEditor->CaretPos() == 0);
    case VK_RIGHT:
        return !(plain && FEditor->CaretPos() == FEditor->TextLength());
    case VK_HOME:
    case VK_END:
        return true;
    case VK_DELETE:
        return !(Shift & ssShift);
    }
    return false;
}

void TCustomDBGrid::DoExit()
{
    if (FDataLink->Active() && FEditorMode)
        FDataLink->UpdateRecord();
    TCustomGrid::DoExit();
}

void TCustomDBGrid::Resize()
{
    TCustomGrid::Resize();
    UpdateLayout();
}

void TCustomDBGrid::GetVertScrollInfo(int& Min, int& Max, int& Page, int& Pos) const
{
    Min = 0;
    Max = FDataLink->Active() ? FRecordCount + (FInserting ? 1 : 0) - 1 : 0;
    Page = std::max(1, RowsThatFit());
    Pos = FTopRecord;
}

void TCustomDBGrid::VertScroll(TScrollCode Code, int Pos, int Lines)
{
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (!ds)
        return;
    int page = std::max(1, RowsThatFit());
    switch (Code) {
    case scLineUp: ScrollData(-Lines); break;
    case scLineDown: ScrollData(Lines); break;
    case scPageUp: ScrollData(-page); break;
    case scPageDown: ScrollData(page); break;
    case scTrack:
    case scPosition: ScrollData(Pos - FTopRecord); break;
    case scTop: ds->First(); break;
    case scBottom: ds->Last(); break;
    case scEndScroll: break;
    }
}

void TCustomDBGrid::ScrollData(int Distance)
{
    TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (!ds || Distance == 0)
        return;
    // A record being edited is posted first (a refusal leaves everything as it was), so
    // that the rows do not follow the post's own notification.
    ds->CheckBrowseMode();
    int rows = std::max(1, RowsThatFit());
    int total = FRecordCount + (FInserting ? 1 : 0);
    int old = FTopRecord;
    // The rows move first, so that the record the dataset reaches keeps its row.
    FTopRecord = std::clamp(FTopRecord + Distance, 0, std::max(0, total - rows));
    try {
        ds->MoveBy(Distance);
    } catch (...) {
        // The dataset stayed (a record that could not be posted): so do the rows.
        FTopRecord = old;
        UpdateLayout();
        throw;
    }
    UpdateLayout();
}

int TCustomDBGrid::RowRecord(int DataRow) const
{
    int d = FTopRecord + DataRow;
    int total = FRecordCount + (FInserting ? 1 : 0);
    if (DataRow < 0 || DataRow >= RowCount() - TitleOffset() || d >= total || !FDataLink->Active())
        return -1;
    if (FInserting) {
        int ins = std::max(0, FCurrentRecord);
        if (d == ins)
            return -1;
        return d > ins ? d - 1 : d;
    }
    return d;
}

std::string TCustomDBGrid::CellText(int DataRow, int ColumnIndex)
{
    TColumn* c = VisibleColumn(ColumnIndex);
    TField* f = c ? c->Field() : nullptr;
    if (!f)
        return "";
    int d = FTopRecord + DataRow;
    int current = FInserting ? std::max(0, FCurrentRecord) : FCurrentRecord;
    if (d == current && DataRow >= 0 && DataRow < RowCount() - TitleOffset()) {
        if (FEditorMode && ColumnIndex == FSelectedIndex)
            return FEditText;
        return f->DisplayText();
    }
    int rec = RowRecord(DataRow);
    if (rec < 0)
        return "";
    TDataSetRows rows(FDataLink->DataSet());
    return FieldValueText(f, rows.Value(rec, f));
}

void TCustomDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState)
{
    TCanvas& c = *Canvas();
    int dataRow = ARow - TitleOffset();
    int colIndex = ACol - IndicatorOffset();
    if (ARow < TitleOffset()) {
        if (colIndex >= 0)
            if (TColumn* col = VisibleColumn(colIndex))
                PaintCellText(c, ARect, col->Title(), false, taLeftJustify);
        return;
    }
    int current = (FInserting ? std::max(0, FCurrentRecord) : FCurrentRecord) - FTopRecord;
    if (ACol < IndicatorOffset()) {
        if (dataRow != current || !FDataLink->Active() || FRecordCount + (FInserting ? 1 : 0) == 0)
            return;
        c.Pen().SetColor(clBtnText);
        c.Brush().SetColor(clBtnText);
        int cx = (ARect.Left + ARect.Right) / 2, cy = (ARect.Top + ARect.Bottom) / 2;
        TDataSetState st = FDataLink->DataSet()->State();
        if (st == dsEdit || st == dsInsert) {
            // An I-beam for a record being edited, with a star for a new one.
            c.MoveTo(cx, cy - 5);
            c.LineTo(cx, cy + 5);
            c.MoveTo(cx - 2, cy - 5);
            c.LineTo(cx + 3, cy - 5);
            c.MoveTo(cx - 2, cy + 5);
            c.LineTo(cx + 3, cy + 5);
            if (st == dsInsert) {
                c.MoveTo(cx + 2, cy - 2);
                c.LineTo(cx + 5, cy - 2);
            }
        } else {
            for (int i = 0; i < 4; ++i) {
                c.MoveTo(cx - 2 + i, cy - 4 + i);
                c.LineTo(cx - 2 + i, cy + 5 - i);
            }
        }
        return;
    }
    if (!FDataLink->Active())
        return;
    TColumn* col = VisibleColumn(colIndex);
    if (!col)
        return;
    bool isCurrent = dataRow == current;
    bool selected = isCurrent && (colIndex == FSelectedIndex || (FOptions & dgRowSelect));
    bool editing = isCurrent && FEditorMode && colIndex == FSelectedIndex;
    std::string text = CellText(dataRow, colIndex);
    if (editing) {
        c.Brush().SetColor(clWindow);
        c.FillRect(ARect);
        FEditor->Paint(c, Focused(), clWindowText);
        return;
    }
    PaintCellText(c, ARect, text, selected, col->Alignment());
}

}  // namespace korin
