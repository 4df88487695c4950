#include "korin/platform/dbctrls/Grids.h"

#include <algorithm>
#include <cstdlib>

#include "korin/platform/dbctrls/DBCtrlUtils.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"

namespace korin {

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 320, 120);
}

void TCustomGrid::SetColCount(int Value)
{
    FColCount = std::max(Value, 1);
    FFixedCols = std::min(FFixedCols, FColCount - 1 < 0 ? 0 : FColCount - 1);
    ClampCurrent();
    Invalidate();
}

void TCustomGrid::SetRowCount(int Value)
{
    FRowCount = std::max(Value, 1);
    FFixedRows = std::min(FFixedRows, FRowCount - 1 < 0 ? 0 : FRowCount - 1);
    ClampCurrent();
    Invalidate();
}

void TCustomGrid::SetFixedCols(int Value)
{
    FFixedCols = std::clamp(Value, 0, std::max(0, FColCount - 1));
    ClampCurrent();
    Invalidate();
}

void TCustomGrid::SetFixedRows(int Value)
{
    FFixedRows = std::clamp(Value, 0, std::max(0, FRowCount - 1));
    ClampCurrent();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int Value)
{
    FDefaultColWidth = std::max(Value, 0);
    FColWidths.clear();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int Value)
{
    FDefaultRowHeight = std::max(Value, 1);
    ScrollInView(false);
    Invalidate();
}

int TCustomGrid::ColWidths(int Index) const
{
    if (Index >= 0 && Index < static_cast<int>(FColWidths.size()) && FColWidths[Index] >= 0)
        return FColWidths[Index];
    return FDefaultColWidth;
}

void TCustomGrid::SetColWidths(int Index, int Value)
{
    if (Index < 0)
        return;
    if (Index >= static_cast<int>(FColWidths.size()))
        FColWidths.resize(static_cast<size_t>(Index) + 1, -1);
    FColWidths[Index] = std::max(Value, 0);
    Invalidate();
}

void TCustomGrid::ClampCurrent(bool Horz)
{
    int oldCol = FCol;
    FCol = std::clamp(FCol, FFixedCols, std::max(FFixedCols, FColCount - 1));
    FRow = std::clamp(FRow, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    FTopRow = std::clamp(FTopRow, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    FLeftCol = std::clamp(FLeftCol, FFixedCols, std::max(FFixedCols, FColCount - 1));
    // Columns that became narrower or fewer leave no blank beyond the last one.
    FLeftCol = std::min(FLeftCol, MaxLeftCol());
    ScrollInView(Horz || FCol != oldCol);
}

int TCustomGrid::RowsThatFit() const
{
    bool horz = FHorzAssumed >= 0 ? FHorzAssumed != 0 : HorzScrollBarVisible();
    int h = ClientHeight() - (horz ? ScrollBarSize : 0) - FFixedRows * (FDefaultRowHeight + FGridLineWidth);
    return std::max(0, h / (FDefaultRowHeight + FGridLineWidth));
}

int TCustomGrid::ColumnsWidth() const
{
    int w = 0;
    for (int c = 0; c < FColCount; ++c)
        w += ColWidths(c) + FGridLineWidth;
    return w;
}

int TCustomGrid::MaxLeftCol() const
{
    int w = 0;
    for (int c = 0; c < FFixedCols; ++c)
        w += ColWidths(c) + FGridLineWidth;
    int gw = GridWidth();
    int left = FColCount;
    while (left > FFixedCols && w + ColWidths(left - 1) + FGridLineWidth <= gw) {
        w += ColWidths(left - 1) + FGridLineWidth;
        --left;
    }
    // A last column wider than the area is still reached.
    return std::max(FFixedCols, std::min(left, FColCount - 1));
}

int TCustomGrid::VisibleRowCount() const
{
    return std::max(0, std::min(RowsThatFit(), FRowCount - FTopRow));
}

int TCustomGrid::VisibleColCount() const
{
    int x = 0;
    for (int c = 0; c < FFixedCols; ++c)
        x += ColWidths(c) + FGridLineWidth;
    int n = 0;
    for (int c = FLeftCol; c < FColCount; ++c) {
        x += ColWidths(c) + FGridLineWidth;
        if (x > GridWidth())
            break;
        ++n;
    }
    return n;
}

void TCustomGrid::SetTopRow(int Value)
{
    Value = std::clamp(Value, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    if (Value == FTopRow)
        return;
    FTopRow = Value;
    TopLeftChanged();
    Invalidate();
}

void TCustomGrid::SetLeftCol(int Value)
{
    Value = std::clamp(Value, FFixedCols, std::max(FFixedCols, FColCount - 1));
    if (Value == FLeftCol)
        return;
    FLeftCol = Value;
    TopLeftChanged();
    Invalidate();
}

void TCustomGrid::TopLeftChanged()
{
    if (OnTopLeftChanged)
        OnTopLeftChanged(this);
}

void TCustomGrid::ScrollInView(bool Horz)
{
    int rows = std::max(1, RowsThatFit());
    int top = FTopRow;
    if (FRow >= FFixedRows) {
        if (FRow < top)
            top = FRow;
        else if (FRow >= top + rows)
            top = FRow - rows + 1;
    }
    int left = FLeftCol;
    if (Horz && FCol >= FFixedCols) {
        if (FCol < left)
            left = FCol;
        else {
            // Move right until the current column fits.
            while (left < FCol) {
                int x = 0;
                for (int c = 0; c < FFixedCols; ++c)
                    x += ColWidths(c) + FGridLineWidth;
                for (int c = left; c <= FCol; ++c)
                    x += ColWidths(c) + FGridLineWidth;
                if (x <= GridWidth())
                    break;
                ++left;
            }
        }
    }
    if (top != FTopRow || left != FLeftCol) {
        FTopRow = top;
        FLeftCol = left;
        TopLeftChanged();
    }
}

bool TCustomGrid::SelectCell(int ACol, int ARow)
{
    bool can = true;
    if (OnSelectCell)
        OnSelectCell(this, ACol, ARow, can);
    return can;
}

void TCustomGrid::MoveColRow(int ACol, int ARow)
{
    ACol = std::clamp(ACol, FFixedCols, std::max(FFixedCols, FColCount - 1));
    ARow = std::clamp(ARow, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    if (ACol == FCol && ARow == FRow)
        return;
    if (!SelectCell(ACol, ARow))
        return;
    FocusCell(ACol, ARow);
}

void TCustomGrid::FocusCell(int ACol, int ARow)
{
    bool colMoved = ACol != FCol;
    FCol = ACol;
    FRow = ARow;
    ClampCurrent(colMoved);
    Invalidate();
}

int TCustomGrid::ColLeft(int ACol) const
{
    int x = 0;
    if (ACol < FFixedCols) {
        for (int c = 0; c < ACol; ++c)
            x += ColWidths(c) + FGridLineWidth;
        return x;
    }
    for (int c = 0; c < FFixedCols; ++c)
        x += ColWidths(c) + FGridLineWidth;
    if (ACol < FLeftCol)
        return -1;
    for (int c = FLeftCol; c < ACol; ++c)
        x += ColWidths(c) + FGridLineWidth;
    return x;
}

int TCustomGrid::RowTop(int ARow) const
{
    int h = FDefaultRowHeight + FGridLineWidth;
    if (ARow < FFixedRows)
        return ARow * h;
    if (ARow < FTopRow)
        return -1;
    return (FFixedRows + ARow - FTopRow) * h;
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= FColCount || ARow < 0 || ARow >= FRowCount)
        return TRect();
    int x = ColLeft(ACol), y = RowTop(ARow);
    if (x < 0 || y < 0 || x >= GridWidth() || y >= GridHeight())
        return TRect();
    return Rect(x, y, std::min(x + ColWidths(ACol), GridWidth()), std::min(y + FDefaultRowHeight, GridHeight()));
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const
{
    if (X >= GridWidth() || Y >= GridHeight())
        return TGridCoord{-1, -1};
    for (int r = 0; r < FRowCount; ++r) {
        if (r >= FFixedRows && r < FTopRow)
            continue;
        int y = RowTop(r);
        if (y >= GridHeight())
            break;
        if (Y < y || Y >= y + FDefaultRowHeight + FGridLineWidth)
            continue;
        for (int c = 0; c < FColCount; ++c) {
            int x = ColLeft(c);
            if (x < 0)
                continue;
            if (X >= x && X < x + ColWidths(c) + FGridLineWidth)
                return TGridCoord{c, r};
        }
    }
    return TGridCoord{-1, -1};
}

void TCustomGrid::Resize()
{
    ClampCurrent(true);
    TCustomControl::Resize();
}

void TCustomGrid::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    int page = std::max(1, RowsThatFit());
    switch (Key) {
    case VK_UP: MoveColRow(FCol, FRow - 1); break;
    case VK_DOWN: MoveColRow(FCol, FRow + 1); break;
    case VK_LEFT: MoveColRow(FCol - 1, FRow); break;
    case VK_RIGHT: MoveColRow(FCol + 1, FRow); break;
    case VK_PRIOR: MoveColRow(FCol, FRow - page); break;
    case VK_NEXT: MoveColRow(FCol, FRow + page); break;
    case VK_HOME: MoveColRow((Shift & ssCtrl) ? FCol : FFixedCols, (Shift & ssCtrl) ? FFixedRows : FRow); break;
    case VK_END: MoveColRow((Shift & ssCtrl) ? FCol : FColCount - 1, (Shift & ssCtrl) ? FRowCount - 1 : FRow); break;
    default: return;
    }
    Key = 0;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (X >= GridWidth() || Y >= GridHeight()) {
        // The bars, and the corner between them, which does nothing.
        if (VertScrollBarVisible() && X >= GridWidth() && Y < GridHeight()) {
            SyncVertBar();
            FVertBar.MouseDown(Point(X, Y));
        } else if (HorzScrollBarVisible() && Y >= GridHeight() && X < GridWidth()) {
            SyncHorzBar();
            FHorzBar.MouseDown(Point(X, Y));
        }
        return;
    }
    TGridCoord c = MouseCoord(X, Y);
    if (c.X >= FFixedCols && c.Y >= FFixedRows)
        MoveColRow(c.X, c.Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FVertBar.Pressed())
        FVertBar.MouseMove(Point(X, Y));
    if (FHorzBar.Pressed())
        FHorzBar.MouseMove(Point(X, Y));
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FVertBar.Pressed())
        FVertBar.MouseUp(Point(X, Y));
    if (Button == mbLeft && FHorzBar.Pressed())
        FHorzBar.MouseUp(Point(X, Y));
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    int notches = WheelNotches(WheelDelta);
    if (notches == 0)
        return true;
    // With Shift the wheel turns the columns, one a notch, away from the user to the left.
    if (Shift & ssShift)
        HorzScroll(notches > 0 ? scLineUp : scLineDown, 0, std::abs(notches));
    else
        VertScroll(notches > 0 ? scLineUp : scLineDown, 0, std::abs(notches) * WheelScrollLines);
    return true;
}

void TCustomGrid::GetVertScrollInfo(int& Min, int& Max, int& Page, int& Pos) const
{
    Min = FFixedRows;
    Max = FRowCount - 1;
    Page = RowsThatFit();
    Pos = FTopRow;
}

void TCustomGrid::VertScroll(TScrollCode Code, int Pos, int Lines)
{
    switch (Code) {
    case scLineUp: SetTopRow(FTopRow - Lines); break;
    case scLineDown: SetTopRow(std::min(FTopRow + Lines, FFixedRows + std::max(0, FRowCount - FFixedRows - RowsThatFit()))); break;
    case scPageUp:
    case scPageDown:
    case scTrack:
    case scPosition:
    case scTop:
    case scBottom: SetTopRow(Pos); break;
    case scEndScroll: break;
    }
}

void TCustomGrid::HorzScroll(TScrollCode Code, int Pos, int Lines)
{
    int maxLeft = MaxLeftCol();
    switch (Code) {
    case scLineUp: SetLeftCol(std::min(FLeftCol, maxLeft) - Lines); break;
    case scLineDown: SetLeftCol(std::min(FLeftCol + Lines, maxLeft)); break;
    case scPageUp:
    case scPageDown:
    case scTrack:
    case scPosition:
    case scTop:
    case scBottom: SetLeftCol(std::clamp(Pos, FFixedCols, maxLeft)); break;
    case scEndScroll: break;
    }
}

bool TCustomGrid::VertNeeded(bool Horz) const
{
    int saved = FHorzAssumed;
    FHorzAssumed = Horz ? 1 : 0;
    int min, max, page, pos;
    GetVertScrollInfo(min, max, page, pos);
    FHorzAssumed = saved;
    return max - min + 1 > std::max(page, 0);
}

bool TCustomGrid::HorzScrollBarVisible() const
{
    int w = ColumnsWidth();
    if (w <= ClientWidth() - ScrollBarSize)
        return false;  // the columns fit even beside a vertical bar
    if (w > ClientWidth())
        return true;
    // They fit only without the vertical bar: the bars come together or not at all.
    return VertNeeded(false);
}

bool TCustomGrid::VertScrollBarVisible() const
{
    return VertNeeded(HorzScrollBarVisible());
}

int TCustomGrid::GridWidth() const
{
    return std::max(0, ClientWidth() - (VertScrollBarVisible() ? ScrollBarSize : 0));
}

int TCustomGrid::GridHeight() const
{
    return std::max(0, ClientHeight() - (HorzScrollBarVisible() ? ScrollBarSize : 0));
}

void TCustomGrid::SyncVertBar() const
{
    int min, max, page, pos;
    GetVertScrollInfo(min, max, page, pos);
    FVertBar.Kind = sbVertical;
    FVertBar.Bounds = VertScrollBarVisible() ? Rect(ClientWidth() - ScrollBarSize, 0, ClientWidth(), GridHeight()) : TRect();
    FVertBar.Min = min;
    FVertBar.Max = std::max(min, max);
    FVertBar.PageSize = std::max(1, page);
    FVertBar.SmallChange = 1;
    FVertBar.LargeChange = std::max(1, page);
    FVertBar.SetPosition(pos);
    if (!FVertBar.OnScroll) {
        auto* self = const_cast<TCustomGrid*>(this);
        FVertBar.OnScroll = [self](TScrollCode Code, int& ScrollPos) {
            self->VertScroll(Code, ScrollPos, 1);
            int mn, mx, pg, ps;
            self->GetVertScrollInfo(mn, mx, pg, ps);
            ScrollPos = ps;
        };
        FVertBar.OnInvalidate = [self] { self->Invalidate(); };
    }
}

const TScrollBarPart& TCustomGrid::VertScrollBar() const
{
    SyncVertBar();
    return FVertBar;
}

void TCustomGrid::SyncHorzBar() const
{
    int maxLeft = MaxLeftCol();
    FHorzBar.Kind = sbHorizontal;
    FHorzBar.Bounds = HorzScrollBarVisible() ? Rect(0, ClientHeight() - ScrollBarSize, GridWidth(), ClientHeight()) : TRect();
    FHorzBar.Min = FFixedCols;
    FHorzBar.Max = std::max(FFixedCols, FColCount - 1);
    FHorzBar.PageSize = std::max(1, FColCount - maxLeft);
    FHorzBar.SmallChange = 1;
    FHorzBar.LargeChange = std::max(1, VisibleColCount());
    FHorzBar.SetPosition(std::min(FLeftCol, maxLeft));
    if (!FHorzBar.OnScroll) {
        auto* self = const_cast<TCustomGrid*>(this);
        FHorzBar.OnScroll = [self](TScrollCode Code, int& ScrollPos) {
            self->HorzScroll(Code, ScrollPos, 1);
            ScrollPos = self->FLeftCol;
        };
        FHorzBar.OnInvalidate = [self] { self->Invalidate(); };
    }
}

const TScrollBarPart& TCustomGrid::HorzScrollBar() const
{
    SyncHorzBar();
    return FHorzBar;
}

void TCustomGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState)
{
    if (OnDrawCell)
        OnDrawCell(this, ACol, ARow, ARect, AState);
}

void TCustomGrid::Paint()
{
    TCanvas& c = *Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    bool focused = Focused();
    const int gridWidth = GridWidth(), gridHeight = GridHeight();
    for (int r = 0; r < FRowCount; ++r) {
        if (r >= FFixedRows && r < FTopRow)
            continue;
        int y = RowTop(r);
        if (y >= gridHeight)
            break;
        for (int col = 0; col < FColCount; ++col) {
            int x = ColLeft(col);
            if (x < 0)
                continue;
            if (x >= gridWidth)
                break;
            TRect cell = Rect(x, y, x + ColWidths(col), y + FDefaultRowHeight);
            TGridDrawState st = 0;
            bool fixed = col < FFixedCols || r < FFixedRows;
            if (fixed) {
                st |= gdFixed;
                TRect face = cell;
                face.Right += FGridLineWidth;
                face.Bottom += FGridLineWidth;
                c.Brush().SetColor(clBtnFace);
                c.FillRect(face);
                DrawEdge(c, face, BDR_RAISEDINNER, BF_RECT);
            } else {
                if (col == FCol && r == FRow) {
                    st |= gdSelected;
                    if (focused)
                        st |= gdFocused;
                }
                if (FGridLineWidth > 0) {
                    c.Pen().SetColor(clBtnFace);
                    const TPoint lines[] = {{cell.Right, cell.Top}, {cell.Right, cell.Bottom + FGridLineWidth},
                                            {cell.Left, cell.Bottom}, {cell.Right + FGridLineWidth, cell.Bottom}};
                    c.LineSegments(lines, 2);
                }
            }
            c.SaveDC();
            c.IntersectClipRect(cell);
            c.Font().Assign(Font());
            DrawCell(col, r, cell, st);
            c.RestoreDC(-1);
            if ((st & gdFocused) != 0)
                c.DrawFocusRect(cell);
        }
    }
    if (gridWidth < ClientWidth()) {
        SyncVertBar();
        FVertBar.Paint(c, Enabled());
    }
    if (gridHeight < ClientHeight()) {
        SyncHorzBar();
        FHorzBar.Paint(c, Enabled());
    }
    if (gridWidth < ClientWidth() && gridHeight < ClientHeight()) {
        // The corner where the bars meet.
        c.Brush().SetColor(clBtnFace);
        c.FillRect(Rect(gridWidth, gridHeight, ClientWidth(), ClientHeight()));
    }
}

// ---------------------------------------------------------------------------------------
// TStringGrid

std::string TStringGrid::Cells(int ACol, int ARow) const
{
    if (ARow < 0 || ARow >= static_cast<int>(FCells.size()) || ACol < 0 || ACol >= static_cast<int>(FCells[ARow].size()))
        return "";
    return FCells[ARow][ACol];
}

void TStringGrid::SetCells(int ACol, int ARow, const std::string& Value)
{
    if (ACol < 0 || ARow < 0)
        return;
    if (ARow >= static_cast<int>(FCells.size()))
        FCells.resize(static_cast<size_t>(ARow) + 1);
    if (ACol >= static_cast<int>(FCells[ARow].size()))
        FCells[ARow].resize(static_cast<size_t>(ACol) + 1);
    FCells[ARow][ACol] = Value;
    Invalidate();
}

void TStringGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState)
{
    PaintCellText(*Canvas(), ARect, Cells(ACol, ARow), (AState & gdSelected) != 0 && !(AState & gdFixed), taLeftJustify);
    TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
}

}  // namespace korin
