// Grids whose columns are wider than the grid: a horizontal bar along the bottom scrolls
// the first scrollable column shown (LeftCol) with its arrows, track, thumb and the wheel
// with Shift; moving the current column brings it into view; data grids keep their
// record while the columns scroll.
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/Grids.h"
#include "korin/platform/gui/Render.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

class GridColumns : public CtrlTest {
protected:
    void SetUp() override
    {
        CtrlTest::SetUp();
        Form->Show();
    }
    void ShiftWheel(TControl* C, int Delta)
    {
        RunScript([&](TInputScript& s) { s.KeyDown(VK_SHIFT).Wheel(C, Delta).KeyUp(VK_SHIFT); });
    }
};

TEST_F(GridColumns, APlainGridScrollsItsColumnsWithTheBarAndTheWheel)
{
    auto* g = new TStringGrid(Form.get());
    g->SetParent(Form.get());
    g->SetColCount(10);
    g->SetColWidths(0, 30);
    // A title row and four rows: with the bar below them every row still fits.
    g->SetRowCount(5);
    g->SetBounds(10, 10, 300, 126);
    g->SetFocus();
    ASSERT_TRUE(g->HorzScrollBarVisible());
    EXPECT_FALSE(g->VertScrollBarVisible());
    const TScrollBarPart& bar = g->HorzScrollBar();
    EXPECT_EQ(bar.Bounds, Rect(0, 110, 300, 126));
    // Columns 6 to 9 are the last that fit beside the fixed column (31 + 4 * 65 = 291).
    EXPECT_EQ(bar.Min, 1);
    EXPECT_EQ(bar.Max, 9);
    EXPECT_EQ(bar.PageSize, 4);
    EXPECT_EQ(bar.ThumbRect(), Rect(16, 110, 135, 126));
    EXPECT_EQ(g->CellRect(1, 1), Rect(31, 21, 95, 41));
    // The bar's strip is no cell.
    EXPECT_EQ(g->MouseCoord(50, 112).X, -1);

    // The right arrow: one column.
    RunScript([&](TInputScript& s) { s.Click(g, 292, 118); });
    EXPECT_EQ(g->LeftCol(), 2);
    EXPECT_EQ(g->CellRect(2, 1), Rect(31, 21, 95, 41));
    EXPECT_EQ(g->CellRect(1, 1), TRect());
    EXPECT_EQ(g->HorzScrollBar().ThumbRect(), Rect(45, 110, 164, 126));
    auto shot = RenderWindow(g, false);
    EXPECT_EQ(shot->Pixels(30, 118), ColorToRGB(clScrollBar));  // the track left of the thumb
    EXPECT_EQ(shot->Pixels(100, 118), ColorToRGB(clBtnFace));   // the thumb
    // The track right of the thumb: a page of four columns, stopping at the last page.
    RunScript([&](TInputScript& s) { s.Click(g, 250, 118); });
    EXPECT_EQ(g->LeftCol(), 6);
    EXPECT_EQ(g->HorzScrollBar().ThumbRect(), Rect(165, 110, 284, 126));
    RunScript([&](TInputScript& s) { s.Click(g, 292, 118); });
    EXPECT_EQ(g->LeftCol(), 6);

    // Shift and the wheel: a notch away from the user goes left, toward the user right.
    ShiftWheel(g, WHEEL_DELTA);
    EXPECT_EQ(g->LeftCol(), 5);
    ShiftWheel(g, -3 * WHEEL_DELTA);
    EXPECT_EQ(g->LeftCol(), 6);
    // The thumb dragged to the far left; the current cell stayed all along.
    RunScript([&](TInputScript& s) {
        s.MouseDown(g, 200, 118).MouseMove(g, 100, 118).MouseMove(g, 0, 118).MouseUp(g, 0, 118);
    });
    EXPECT_EQ(g->LeftCol(), 1);
    EXPECT_EQ(g->Col(), 1);
    EXPECT_EQ(g->Row(), 1);
    EXPECT_EQ(GetCaptureControl(), nullptr);

    // Keys: the current column is kept in view.
    RunScript([&](TInputScript& s) { s.Key(VK_RIGHT).Key(VK_RIGHT).Key(VK_RIGHT); });
    EXPECT_EQ(g->Col(), 4);
    EXPECT_EQ(g->LeftCol(), 1);
    RunScript([&](TInputScript& s) { s.Key(VK_RIGHT); });
    EXPECT_EQ(g->Col(), 5);
    EXPECT_EQ(g->LeftCol(), 2);
    RunScript([&](TInputScript& s) { s.Key(VK_END); });
    EXPECT_EQ(g->LeftCol(), 6);
    RunScript([&](TInputScript& s) { s.Key(VK_HOME); });
    EXPECT_EQ(g->LeftCol(), 1);
    // Scrolled away from the current column, the columns stay where the user put them
    // when the grid changes otherwise.
    ShiftWheel(g, -3 * WHEEL_DELTA);
    g->SetRowCount(4);
    EXPECT_EQ(g->LeftCol(), 4);
    EXPECT_EQ(g->Col(), 1);

    // Columns that fit leave no bar and put LeftCol back.
    for (int c = 1; c < 10; ++c)
        g->SetColWidths(c, 20);
    g->SetRowCount(3);
    EXPECT_FALSE(g->HorzScrollBarVisible());
    EXPECT_EQ(g->LeftCol(), 1);
}

TEST_F(GridColumns, BothBarsShareTheCornerAndEachTakesTheOthersRoom)
{
    auto* g = new TStringGrid(Form.get());
    g->SetParent(Form.get());
    g->SetBounds(10, 10, 200, 126);
    g->SetColCount(3);  // 3 * 65 = 195: fits the 200 pixels, but not beside a vertical bar
    g->SetRowCount(5);
    EXPECT_FALSE(g->HorzScrollBarVisible());
    EXPECT_FALSE(g->VertScrollBarVisible());
    // More rows than fit: the vertical bar, and with it the horizontal one, which
    // takes a further row.
    g->SetRowCount(7);
    ASSERT_TRUE(g->VertScrollBarVisible());
    ASSERT_TRUE(g->HorzScrollBarVisible());
    EXPECT_EQ(g->VertScrollBar().Bounds, Rect(184, 0, 200, 110));
    EXPECT_EQ(g->HorzScrollBar().Bounds, Rect(0, 110, 184, 126));
    EXPECT_EQ(g->VisibleRowCount(), 4);
    auto shot = RenderWindow(g, false);
    EXPECT_EQ(shot->Pixels(192, 118), ColorToRGB(clBtnFace));  // the corner
    // A press in the corner scrolls nothing.
    RunScript([&](TInputScript& s) { s.Click(g, 192, 118); });
    EXPECT_EQ(g->LeftCol(), 1);
    EXPECT_EQ(g->TopRow(), 1);
}

class DBGridColumns : public GridColumns {
protected:
    void SetUp() override
    {
        GridColumns::SetUp();
        std::string sql = "BEGIN;";
        for (int i = 31; i <= 200; ++i)
            sql += "INSERT INTO people (id, name, age) VALUES (" + std::to_string(i) + ",'P" + std::to_string(i) +
                   "'," + std::to_string(i) + ");";
        TRawSql(Path).Exec(sql + "COMMIT;");
        Grid = new TDBGrid(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetDataSource(Source);
        Table->Open();
        // Eight columns, 709 pixels with the indicator; room for ten rows of 19 and titles.
        Grid->SetBounds(10, 10, 400, 209);
        Grid->SetFocus();
    }
    TDBGrid* Grid = nullptr;
};

TEST_F(DBGridColumns, TheColumnsScrollWithoutMovingTheRecordOrTheSelectedColumn)
{
    ASSERT_TRUE(Grid->HorzScrollBarVisible());
    // The bar takes the tenth row; the vertical bar ends above it.
    EXPECT_EQ(Grid->VisibleRowCount(), 9);
    EXPECT_EQ(Grid->VertScrollBar().Bounds, Rect(384, 0, 400, 193));
    const TScrollBarPart& bar = Grid->HorzScrollBar();
    EXPECT_EQ(bar.Bounds, Rect(0, 193, 384, 209));
    // city, country and born are the last columns that fit: LeftCol runs 1..6.
    EXPECT_EQ(bar.Max, 8);
    EXPECT_EQ(bar.PageSize, 3);
    EXPECT_EQ(bar.ThumbRect(), Rect(16, 193, 148, 209));

    RunScript([&](TInputScript& s) { s.Click(Grid, 376, 201); });
    EXPECT_EQ(Grid->LeftCol(), 2);
    EXPECT_EQ(Grid->CellRect(2, 1), Rect(13, 19, 123, 37));  // the name column after the indicator
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    EXPECT_EQ(Table->RecNo(), 1);
    auto shot = RenderWindow(Grid, false);
    EXPECT_EQ(shot->Pixels(30, 201), ColorToRGB(clScrollBar));
    EXPECT_EQ(shot->Pixels(100, 201), ColorToRGB(clBtnFace));  // the thumb, now at 60..192
    EXPECT_EQ(shot->Pixels(392, 201), ColorToRGB(clBtnFace));  // the corner

    // The plain wheel moves the records and leaves the columns; Shift turns the columns
    // and leaves the record.
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -WHEEL_DELTA); });
    EXPECT_EQ(Table->RecNo(), 4);
    EXPECT_EQ(Grid->LeftCol(), 2);
    ShiftWheel(Grid, -2 * WHEEL_DELTA);
    EXPECT_EQ(Grid->LeftCol(), 4);
    EXPECT_EQ(Table->RecNo(), 4);

    // Moving the selected column brings it into view.
    RunScript([&](TInputScript& s) { s.Key(VK_RIGHT); });
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    EXPECT_EQ(Grid->LeftCol(), 2);
    RunScript([&](TInputScript& s) { s.Key(VK_END); });
    EXPECT_EQ(Grid->SelectedIndex(), 7);
    EXPECT_EQ(Grid->LeftCol(), 6);
    // The thumb dragged to the left end: the first column, the same selection and record.
    RunScript([&](TInputScript& s) {
        TRect thumb = Grid->HorzScrollBar().ThumbRect();
        s.MouseDown(Grid, thumb.Left + 5, 201).MouseMove(Grid, 0, 201).MouseUp(Grid, 0, 201);
    });
    EXPECT_EQ(Grid->LeftCol(), 1);
    EXPECT_EQ(Grid->SelectedIndex(), 7);
    EXPECT_EQ(Table->RecNo(), 4);
    // Down moves the record and the rows; the columns stay where the user put them.
    RunScript([&](TInputScript& s) { s.Key(VK_DOWN); });
    EXPECT_EQ(Table->RecNo(), 5);
    EXPECT_EQ(Grid->LeftCol(), 1);

    // A record being edited is posted as the wheel moves on, and the rows move the whole
    // three records down with it.
    ASSERT_EQ(Grid->RowRecord(0), 3);
    Table->Edit();
    Table->FieldByName("name")->SetAsString("Moved");
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -WHEEL_DELTA); });
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id = 5"), "Moved");
    EXPECT_EQ(Table->RecNo(), 8);
    EXPECT_EQ(Grid->RowRecord(0), 6);
}

}  // namespace
