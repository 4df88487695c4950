#pragma once
// TCustomGrid: a grid of cells with fixed rows and columns at the top and left, a
// current cell (Col, Row) that the arrow keys and clicks move, and scrolling that keeps
// the current cell in view. Descendants draw the cells (DrawCell) and may refuse a cell
// (SelectCell).
//
// A vertical scroll bar runs along the right edge while there are more rows than fit:
// its arrows, track and thumb scroll the rows, and so does the mouse wheel
// (WheelScrollLines rows a notch). A horizontal bar runs along the bottom while the
// columns are wider than the cells' area: it scrolls the first scrollable column shown
// (LeftCol), a column an arrow or a notch of the wheel with Shift held, as many columns
// as are shown a page. Scrolling moves what is shown, not the current cell; moving the
// current cell to another column brings that column into view.
#include <cstdint>
#include <functional>
#include <vector>

#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/ScrollBar.h"

namespace korin {

enum TGridDrawStateFlag : std::uint32_t { gdSelected = 1u << 0, gdFocused = 1u << 1, gdFixed = 1u << 2 };
using TGridDrawState = std::uint32_t;

struct TGridCoord {
    int X = 0;  // column
    int Y = 0;  // row
    bool operator==(const TGridCoord&) const = default;
};

using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, const TRect& Rect, TGridDrawState State)>;

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* AOwner);

    int ColCount() const { return FColCount; }
    void SetColCount(int Value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value) { FGridLineWidth = Value < 0 ? 0 : Value; Invalidate(); }

    // The current cell.
    int Col() const { return FCol; }
    void SetCol(int Value) { MoveColRow(Value, FRow); }
    int Row() const { return FRow; }
    void SetRow(int Value) { MoveColRow(FCol, Value); }
    // The first scrollable row and column shown.
    int TopRow() const { return FTopRow; }
    void SetTopRow(int Value);
    int LeftCol() const { return FLeftCol; }
    void SetLeftCol(int Value);

    // The scrollable rows (columns) wholly visible from TopRow (LeftCol) on, counting
    // only rows that exist.
    int VisibleRowCount() const;
    int VisibleColCount() const;
    // Where a cell is drawn, in client coordinates; an empty rectangle when it is not
    // visible.
    TRect CellRect(int ACol, int ARow) const;
    // The cell under a client point; (-1, -1) outside every cell.
    TGridCoord MouseCoord(int X, int Y) const;
    // The vertical scroll bar, as it stands after the last paint or scroll; whether it
    // shows now.
    const TScrollBarPart& VertScrollBar() const;
    bool VertScrollBarVisible() const;
    // The horizontal scroll bar likewise: positions FixedCols..ColCount-1, the thumb as
    // long as the columns that fit at the far end; whether it shows now.
    const TScrollBarPart& HorzScrollBar() const;
    bool HorzScrollBarVisible() const;

    TSelectCellEvent OnSelectCell;
    TDrawCellEvent OnDrawCell;
    TNotifyEvent OnTopLeftChanged;

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

    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    virtual bool SelectCell(int ACol, int ARow);
    virtual void TopLeftChanged();
    // Makes (ACol, ARow) the current cell when it exists and SelectCell agrees, and
    // scrolls it into view.
    void MoveColRow(int ACol, int ARow);
    // Sets the current cell without asking SelectCell (descendants that keep their own
    // position, such as data grids).
    void FocusCell(int ACol, int ARow);
    // The rows that fit below the fixed rows, whether they exist or not.
    int RowsThatFit() const;
    // Rows from TopRow on; the fixed rows are always shown.
    int RowTop(int ARow) const;
    // The width the cells have: the client width less the vertical scroll bar's.
    int GridWidth() const;
    // The height the cells have: the client height less the horizontal scroll bar's.
    int GridHeight() const;
    // The vertical scroll range: positions Min..Max, Page of them shown, the first shown
    // at Pos. The grid's own: the scrollable rows, TopRow first.
    virtual void GetVertScrollInfo(int& Min, int& Max, int& Page, int& Pos) const;
    // The user scrolled with the bar (Code, to Pos) or turned the wheel (scLineUp or
    // scLineDown, Lines times).
    virtual void VertScroll(TScrollCode Code, int Pos, int Lines);
    // The user scrolled the columns with the horizontal bar (Code, to Pos) or the wheel
    // with Shift (scLineUp or scLineDown, Lines times).
    void HorzScroll(TScrollCode Code, int Pos, int Lines);
    // The highest LeftCol: from it on, the last columns all fit.
    int MaxLeftCol() const;
    // Whether the pointer holds a scroll bar (a drag or a held arrow).
    bool ScrollBarPressed() const { return FVertBar.Pressed() || FHorzBar.Pressed(); }

private:
    // Keeps the current cell, TopRow and LeftCol within the grid; the current column is
    // brought into view when Horz is set or when it had to move.
    void ClampCurrent(bool Horz = false);
    // Scrolls the current row into view, and the current column when Horz is set.
    void ScrollInView(bool Horz);
    int ColLeft(int ACol) const;
    // All columns side by side, fixed ones included, with their grid lines.
    int ColumnsWidth() const;
    // Whether the rows need the vertical bar when the horizontal one shows (Horz) or not.
    bool VertNeeded(bool Horz) const;

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 20;
    int FGridLineWidth = 1;
    std::vector<int> FColWidths;
    int FCol = 1;
    int FRow = 1;
    int FTopRow = 1;
    int FLeftCol = 1;
    // Brought up to date from GetVertScrollInfo before it is painted or used.
    mutable TScrollBarPart FVertBar;
    mutable TScrollBarPart FHorzBar;
    // While the vertical bar's need is weighed for a given horizontal bar (0 or 1; -1
    // otherwise): RowsThatFit takes it instead of asking, which would ask back.
    mutable int FHorzAssumed = -1;
    void SyncVertBar() const;
    void SyncHorzBar() const;
};

// A grid of strings.
class TStringGrid : public TCustomGrid {
public:
    explicit TStringGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
    std::string Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const std::string& Value);

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;

private:
    std::vector<std::vector<std::string>> FCells;
};

}  // namespace korin
