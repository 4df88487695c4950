// The data grid's scroll bar and the wheel move the rows shown and the dataset with
// them; the plain grid's bar scrolls its rows without moving the current cell.
#include <cstdlib>

#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/Grids.h"
#include "korin/platform/gui/Render.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

class GridScroll : public CtrlTest {
protected:
    void SetUp() override
    {
        CtrlTest::SetUp();
        std::string sql = "BEGIN;";
        for (int i = 31; i <= 200; ++i)
            sql += "INSERT INTO people (id, name, age) VALUES (" + std::to_string(i) + ",'P" + std::to_string(i) +
                   "'," + std::to_string(i) + ");";
        TRawSql(Path).Exec(sql + "COMMIT;");
        Grid = new TDBGrid(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetDataSource(Source);
        // Three columns, narrow enough that no horizontal bar takes a row.
        for (const char* name : {"id", "name", "age"})
            Grid->Columns()->Add()->SetFieldName(name);
        Table->Open();
        // Titles and ten data rows.
        Step = Grid->DefaultRowHeight() + Grid->GridLineWidth();
        Grid->SetBounds(10, 10, 400, 11 * Step);
        Form->Show();
    }
    // The record in the first data row (1-based, as RecNo).
    int TopRec() const { return Grid->RowRecord(0) + 1; }
    int BarX() const { return 400 - ScrollBarSize / 2; }
    TDBGrid* Grid = nullptr;
    int Step = 0;  // the height of a row with its grid line
};

TEST_F(GridScroll, TheBarStandsForAllRecordsAndTheWheelMovesTheDataSet)
{
    ASSERT_TRUE(Grid->VertScrollBarVisible());
    const TScrollBarPart& bar = Grid->VertScrollBar();
    EXPECT_EQ(bar.Min, 0);
    EXPECT_EQ(bar.Max, 199);
    EXPECT_EQ(bar.PageSize, 10);
    EXPECT_EQ(bar.Bounds, Rect(400 - ScrollBarSize, 0, 400, 11 * Step));
    // The last column ends where the bar begins.
    EXPECT_EQ(Grid->MouseCoord(400 - ScrollBarSize, 30).X, -1);

    // A notch toward the user: rows and record move three, the record keeps its row.
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -WHEEL_DELTA); });
    EXPECT_EQ(Table->RecNo(), 4);
    EXPECT_EQ(TopRec(), 4);
    Table->MoveBy(2);
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -2 * WHEEL_DELTA); });
    EXPECT_EQ(Table->RecNo(), 12);
    EXPECT_EQ(TopRec(), 10);
    EXPECT_EQ(Grid->VertScrollBar().Position(), 9);
    // Back up past the top: the rows stop at the first record, the record moves on.
    RunScript([&](TInputScript& s) { s.Wheel(Grid, 4 * WHEEL_DELTA); });
    EXPECT_EQ(TopRec(), 1);
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "P1");
}

TEST_F(GridScroll, ArrowsPagesAndThumbDragsMoveTheDataSet)
{
    // The down arrow moves one record, the track below the thumb a page.
    RunScript([&](TInputScript& s) { s.Click(Grid, BarX(), 11 * Step - 8); });
    EXPECT_EQ(Table->RecNo(), 2);
    EXPECT_EQ(TopRec(), 2);
    RunScript([&](TInputScript& s) { s.Click(Grid, BarX(), 11 * Step - 30); });
    EXPECT_EQ(Table->RecNo(), 12);
    EXPECT_EQ(TopRec(), 12);

    // The thumb dragged to the bottom: the last rows show, the record moved as far.
    RunScript([&](TInputScript& s) {
        TRect thumb = Grid->VertScrollBar().ThumbRect();
        s.MouseDown(Grid, BarX(), thumb.Top + 2).MouseMove(Grid, BarX(), 120).MouseMove(Grid, BarX(), 1000);
    });
    EXPECT_EQ(TopRec(), 191);
    EXPECT_EQ(Table->RecNo(), 191);
    EXPECT_EQ(Grid->Row(), 1);  // the current row is still the first data row
    RunScript([&](TInputScript& s) { s.MouseUp(Grid, BarX(), 1000); });
    EXPECT_EQ(Table->RecNo(), 191);
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "P191");
    // At the end the wheel moves the record within the rows, up to the last one.
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -5 * WHEEL_DELTA); });
    EXPECT_EQ(TopRec(), 191);
    EXPECT_EQ(Table->RecNo(), 200);
    // Clicks on the bar never went to a cell: the column stays the first.
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    EXPECT_EQ(GetCaptureControl(), nullptr);

    // A record being edited is posted as the rows move, as with the keys.
    Table->Edit();
    Table->FieldByName("name")->SetAsString("Edited");
    RunScript([&](TInputScript& s) { s.Wheel(Grid, WHEEL_DELTA); });
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id = 200"), "Edited");
    EXPECT_EQ(Table->RecNo(), 197);
}

TEST_F(GridScroll, APlainGridScrollsItsRowsAndKeepsTheCurrentCell)
{
    auto* g = new TStringGrid(Form.get());
    g->SetParent(Form.get());
    // A title row and five rows high; the five columns are wider than the grid, so the
    // horizontal bar takes a row's height and four rows show.
    g->SetBounds(10, 300, 200, 6 * (g->DefaultRowHeight() + g->GridLineWidth()));
    g->SetRowCount(41);
    for (int r = 1; r < 41; ++r)
        g->SetCells(1, r, "R" + std::to_string(r));
    ASSERT_TRUE(g->VertScrollBarVisible());
    EXPECT_EQ(g->VisibleColCount(), 1);  // 64-pixel columns: two no longer fit beside the bar
    RunScript([&](TInputScript& s) { s.Wheel(g, -WHEEL_DELTA); });
    EXPECT_EQ(g->TopRow(), 4);
    EXPECT_EQ(g->Row(), 1);
    RunScript([&](TInputScript& s) {
        TRect thumb = g->VertScrollBar().ThumbRect();
        s.MouseDown(g, 200 - 8, thumb.Top + 1).MouseMove(g, 200 - 8, 999).MouseUp(g, 200 - 8, 999);
    });
    EXPECT_EQ(g->TopRow(), 37);
    EXPECT_EQ(g->Row(), 1);
    // A grid whose rows all fit has no bar and its cells run the full width.
    g->SetRowCount(3);
    EXPECT_FALSE(g->VertScrollBarVisible());
    EXPECT_EQ(g->VisibleColCount(), 2);
}

}  // namespace
