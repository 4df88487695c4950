#pragma once
// TDBCtrlGrid: a control grid. It shows RowCount records one below the other, each in a
// panel-sized row; the controls the application places on its panel (TDBCtrlPanel) edit
// the current record, and the panel moves to the current record's row. The other rows
// show the same controls' field texts, drawn by the grid.
//
// Keys (on the grid, or through DoKey): Up/Down move one record, PgUp/PgDn a page,
// Ctrl+Home/Ctrl+End to the ends, Insert inserts, Ctrl+Delete deletes the current record
// after asking "Delete record?" (Yes deletes, No keeps it), Esc cancels the edits.
//
// A vertical scroll bar runs along the right edge while there are more records than
// rows; the panels stand to its left. The bar stands for all the records, the thumb for
// the rows shown. Its arrows (a record), track (a page of RowCount records), thumb and
// the mouse wheel (a record a notch) move the rows and the dataset by the same distance,
// so that the current record keeps its row; once the rows can move no further the
// record moves on to the first or last one.
#include <memory>
#include <string>

#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/ScrollBar.h"

namespace korin {

class TDBCtrlGrid;

// The panel holding one row's controls; it stands on the current record's row.
class TDBCtrlPanel : public TWinControl {
public:
    explicit TDBCtrlPanel(TDBCtrlGrid* Grid);
    TDBCtrlGrid* Grid() const { return FGrid; }

protected:
    void Paint() override;

private:
    TDBCtrlGrid* FGrid;
};

enum TDBCtrlGridKey {
    gkNull,
    gkEditMode,
    gkPriorTab,
    gkNextTab,
    gkLeft,
    gkRight,
    gkUp,
    gkDown,
    gkScrollUp,
    gkScrollDown,
    gkPageUp,
    gkPageDown,
    gkHome,
    gkEnd,
    gkInsert,
    gkAppend,
    gkDelete,
    gkCancel,
};

using TPaintPanelEvent = std::function<void(TDBCtrlGrid* Grid, int Index)>;

class TDBCtrlGrid : public TWinControl {
public:
    explicit TDBCtrlGrid(TComponent* AOwner);
    ~TDBCtrlGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    // The rows shown (at least 1); the panel is Height / RowCount high.
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int PanelHeight() const;
    // The client width less the scroll bar's while it shows.
    int PanelWidth() const;
    // The scroll bar (brought up to date when asked) and whether it shows now.
    const TScrollBarPart& ScrollBar() const;
    bool ScrollBarVisible() const;
    // The row of the current record (0-based), -1 when the dataset is closed or empty.
    int PanelIndex() const { return FPanelIndex; }
    TDBCtrlPanel* Panel() const { return FPanel; }
    bool AllowDelete() const { return FAllowDelete; }
    void SetAllowDelete(bool Value) { FAllowDelete = Value; }
    bool AllowInsert() const { return FAllowInsert; }
    void SetAllowInsert(bool Value) { FAllowInsert = Value; }
    TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value) { FSelectedColor = Value; Invalidate(); }

    // Runs a grid command on the dataset. gkDelete asks first and deletes only on Yes.
    void DoKey(TDBCtrlGridKey Key);
    // The record shown in a row (0-based in cursor order), -1 when none.
    int RowRecord(int Row) const;

    TPaintPanelEvent OnPaintPanel;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Form files write the panel's controls as the grid's own children, and controls
    // read into the grid go onto its panel.
    std::vector<TComponent*> GetChildren(TComponent* Root) const override;
    void Loaded() override;
    // Controls placed on the grid itself go onto its panel.
    void AdoptChildren();

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    LRESULT DialogCode() const override { return DLGC_WANTARROWS; }
    bool FocusOnClick() const override { return true; }
    void Resize() override;

private:
    class TCtrlGridLink;
    friend class TCtrlGridLink;
    void DataChanged();
    void PlacePanel();
    void PaintRow(TCanvas& Canvas, int Row);
    // All records, with the one being inserted.
    int TotalRecords() const;
    // Moves the rows shown and the dataset by Distance records.
    void ScrollData(int Distance);
    void Scroll(TScrollCode Code, int Pos);
    void SyncBar() const;

    std::unique_ptr<TCtrlGridLink> FDataLink;
    TDBCtrlPanel* FPanel = nullptr;
    int FRowCount = 3;
    int FTopRecord = 0;
    int FPanelIndex = -1;
    int FRecordCount = 0;
    bool FAllowDelete = true;
    bool FAllowInsert = true;
    TColor FSelectedColor = clWindow;
    mutable TScrollBarPart FBar;
};

// Keys typed in a control on a control grid's panel that belong to the grid (Up, Down,
// PgUp, PgDn, Ctrl+Home, Ctrl+End, Ctrl+Delete) go to the grid, so that moving through
// the records works from inside a row. True (and Key cleared) when the grid took the key.
bool ForwardPanelKey(TControl* Control, std::uint16_t& Key, TShiftState Shift);

}  // namespace korin
