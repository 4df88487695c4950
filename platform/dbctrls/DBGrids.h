#pragma once
// Data grids: one row per record around the dataset's current record, one column per
// field (or per column the application defined), a title row and an indicator column.
//
// Up and Down move the dataset one record, PgUp and PgDn by a page (VisibleRowCount),
// Ctrl+Home and Ctrl+End to the first and last record; Left, Right, Tab and Shift+Tab
// change the selected column (OnColExit, then OnColEnter). Typing in a cell puts the
// dataset into edit state and edits the cell; the field gets the text when the column
// changes, on Enter, and when the dataset posts or moves. Esc drops the typed text, and a
// second Esc cancels the record's changes.
//
// The scroll bar stands for all the records, the thumb for the rows shown. Scrolling (the
// bar's arrows and track, dragging its thumb, the mouse wheel) moves what is shown and
// the dataset with it: the current record keeps its row while the rows move, and goes to
// the first or last record once the rows can move no further.
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/db/DB.h"
#include "korin/platform/dbctrls/Grids.h"
#include "korin/platform/gui/TextEditor.h"

namespace korin {

class TCustomDBGrid;

// One column of a data grid.
class TColumn : public TObject {
public:
    explicit TColumn(TCustomDBGrid* Grid) : FGrid(Grid) {}
    const std::string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::string& Value);
    // The field of the grid's dataset that the column shows (null when absent or closed).
    TField* Field() const;
    // The title; the field's display label until set.
    std::string Title() const;
    void SetTitle(const std::string& Value);
    // The width in pixels; follows the field's type until set.
    int Width() const;
    void SetWidth(int Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TAlignment Alignment() const;
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Stored() const { return FStored; }

private:
    friend class TCustomDBGrid;
    friend class TDBGridColumns;
    TCustomDBGrid* FGrid;
    std::string FFieldName;
    std::string FTitle;
    int FWidth = -1;
    bool FVisible = true;
    bool FReadOnly = false;
    bool FStored = true;  // defined by the application, not made from the fields
};

// The columns of a data grid. While the application defines none, the grid makes one
// per visible field whenever its dataset opens or its fields change.
class TDBGridColumns : public TObject {
public:
    explicit TDBGridColumns(TCustomDBGrid* Grid) : FGrid(Grid) {}
    int Count() const { return static_cast<int>(FItems.size()); }
    TColumn* Items(int Index) const;
    // Adds a column defined by the application (the grid then stops making its own).
    TColumn* Add();
    void Clear();
    // Whether the columns are the grid's own, made from the fields.
    bool IsDefault() const { return FDefault; }
    // Drops the application's columns: the grid makes its own again.
    void RestoreDefaults();

private:
    friend class TCustomDBGrid;
    void Rebuild(TDataSet* DataSet);
    TCustomDBGrid* FGrid;
    std::vector<std::unique_ptr<TColumn>> FItems;
    bool FDefault = true;
};

enum TDBGridOption : std::uint32_t {
    dgEditing = 1u << 0,
    dgTitles = 1u << 1,
    dgIndicator = 1u << 2,
    dgColLines = 1u << 3,
    dgRowLines = 1u << 4,
    dgTabs = 1u << 5,
    dgRowSelect = 1u << 6,
    dgAlwaysShowSelection = 1u << 7,
    dgConfirmDelete = 1u << 8,
};
using TDBGridOptions = std::uint32_t;

class TCustomDBGrid : public TCustomGrid {
public:
    explicit TCustomDBGrid(TComponent* AOwner);
    ~TCustomDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TDBGridColumns* Columns() { return &FColumns; }
    const TDBGridColumns* Columns() const { return &FColumns; }
    TDBGridOptions Options() const { return FOptions; }
    void SetOptions(TDBGridOptions Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }

    // The selected column (an index into the visible columns) and its field.
    int SelectedIndex() const;
    void SetSelectedIndex(int Value);
    TField* SelectedField() const;
    void SetSelectedField(TField* Value);
    // The fields of the visible columns, in column order.
    int FieldCount() const;
    TField* Fields(int Index) const;

    // The cell editor: whether the selected cell is being edited, and its text.
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    const std::string& EditorText() const { return FEditText; }
    // The in-place editor of the selected cell: the standard text-editing engine, with
    // its caret and selection (empty outside editor mode).
    const TTextEditor& InplaceEditor() const { return *FEditor; }
    // The record shown in a data row (0-based rows below the titles), -1 when none;
    // the new record being inserted shows as the current row.
    int RowRecord(int DataRow) const;
    // The text shown in a cell of a data row.
    std::string CellText(int DataRow, int ColumnIndex);

    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    LRESULT DialogCode() const override;
    void DoExit() override;
    void Resize() override;
    void GetVertScrollInfo(int& Min, int& Max, int& Page, int& Pos) const override;
    void VertScroll(TScrollCode Code, int Pos, int Lines) override;

    virtual void ColEnter();
    virtual void ColExit();
    // The dataset opened, closed, moved or changed: rows and columns follow.
    void LinkActive();
    void DataChanged();
    void LayoutChanged();
    void EditingChanged();
    void RecordChanged(TField* Field);
    // Writes the cell editor's text into the selected field.
    void UpdateData();

private:
    class TGridDataLink;
    friend class TGridDataLink;
    class TInplaceHost;
    friend class TInplaceHost;
    friend class TColumn;
    friend class TDBGridColumns;
    int IndicatorOffset() const { return (FOptions & dgIndicator) ? 1 : 0; }
    int TitleOffset() const { return (FOptions & dgTitles) ? 1 : 0; }
    TColumn* VisibleColumn(int Index) const;
    int VisibleColumnCount() const;
    void UpdateLayout();
    // Moves the rows shown and the dataset by Distance records.
    void ScrollData(int Distance);
    void MoveCol(int Index);
    bool BeginCellEdit();
    void HideEditor();
    bool CanEditSelected() const;
    // Shows a text in the cell editor without counting it as the user's change; the
    // caret goes to its end.
    void ShowEditText(const std::string& Value);
    TRect EditorRect() const;
    bool EditorTakesKey(std::uint16_t Key, TShiftState Shift) const;

    std::unique_ptr<TGridDataLink> FDataLink;
    TDBGridColumns FColumns{this};
    TDBGridOptions FOptions = dgEditing | dgTitles | dgIndicator | dgColLines | dgRowLines | dgTabs | dgConfirmDelete;
    bool FReadOnly = false;
    int FTopRecord = 0;       // the record shown in the first data row
    int FCurrentRecord = -1;  // 0-based; the record before an insert while inserting
    int FRecordCount = 0;
    bool FInserting = false;
    bool FEditorMode = false;
    bool FEditModified = false;
    std::string FEditText;  // the editor's text, kept for EditorText
    std::unique_ptr<TInplaceHost> FInplaceHost;
    std::unique_ptr<TTextEditor> FEditor;
    bool FInLayout = false;
    int FSelectedIndex = 0;
};

class TDBGrid : public TCustomDBGrid {
public:
    explicit TDBGrid(TComponent* AOwner) : TCustomDBGrid(AOwner) {}
};

}  // namespace korin
