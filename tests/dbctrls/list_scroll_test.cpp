// The control grid's scroll bar and the wheel move its rows and the dataset together, the
// current record keeping its row; the lookup list box's bar and wheel scroll its rows and
// leave the key and both datasets alone.
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/gui/Render.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

class CtrlGridScroll : public CtrlTest {
protected:
    void SetUp() override
    {
        CtrlTest::SetUp();
        Grid = new TDBCtrlGrid(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetBounds(10, 10, 300, 300);  // three rows of 100
        Grid->SetDataSource(Source);
        Edit = new TDBEdit(Form.get());
        Edit->SetParent(Grid->Panel());
        Edit->SetBounds(8, 8, 100, 21);
        Edit->SetDataSource(Source);
        Edit->SetDataField("name");
        Table->Open();
        Form->Show();
    }
    // The record in the first row (1-based, as RecNo).
    int TopRec() const { return Grid->RowRecord(0) + 1; }
    TDBCtrlGrid* Grid = nullptr;
    TDBEdit* Edit = nullptr;
};

TEST_F(CtrlGridScroll, BarAndWheelMoveTheRowsAndTheDataSetTogether)
{
    ASSERT_TRUE(Grid->ScrollBarVisible());
    const TScrollBarPart& bar = Grid->ScrollBar();
    EXPECT_EQ(bar.Bounds, Rect(284, 0, 300, 300));
    EXPECT_EQ(bar.Max, 29);
    EXPECT_EQ(bar.PageSize, 3);
    EXPECT_EQ(bar.ThumbRect(), Rect(284, 16, 300, 42));
    // The panels stand left of the bar.
    EXPECT_EQ(Grid->PanelWidth(), 284);
    EXPECT_EQ(Grid->Panel()->Width(), 284);

    // A notch: one record, rows and dataset alike.
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -WHEEL_DELTA, 150, 150); });
    EXPECT_EQ(TopRec(), 2);
    EXPECT_EQ(Table->RecNo(), 2);
    EXPECT_EQ(Grid->PanelIndex(), 0);
    Table->Next();
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -2 * WHEEL_DELTA, 150, 150); });
    EXPECT_EQ(TopRec(), 4);
    EXPECT_EQ(Table->RecNo(), 5);
    EXPECT_EQ(Grid->PanelIndex(), 1);
    EXPECT_EQ(Edit->Text(), "P5");

    // The down arrow: a record; the track below the thumb: a page of three.
    RunScript([&](TInputScript& s) { s.Click(Grid, 292, 292); });
    EXPECT_EQ(TopRec(), 5);
    EXPECT_EQ(Table->RecNo(), 6);
    EXPECT_EQ(Grid->ScrollBar().ThumbRect(), Rect(284, 51, 300, 77));
    auto shot = RenderWindow(Grid, false);
    EXPECT_EQ(shot->Pixels(292, 64), ColorToRGB(clBtnFace));    // the thumb
    EXPECT_EQ(shot->Pixels(292, 100), ColorToRGB(clScrollBar));  // the track below it
    RunScript([&](TInputScript& s) { s.Click(Grid, 292, 200); });
    EXPECT_EQ(TopRec(), 8);
    EXPECT_EQ(Table->RecNo(), 9);
    EXPECT_EQ(Grid->Panel()->Top(), 100);

    // The thumb dragged to the bottom: the last rows, the record as far on.
    RunScript([&](TInputScript& s) {
        TRect thumb = Grid->ScrollBar().ThumbRect();
        s.MouseDown(Grid, 292, thumb.Top + 2).MouseMove(Grid, 292, 150).MouseMove(Grid, 292, 1000).MouseUp(Grid, 292, 1000);
    });
    EXPECT_EQ(TopRec(), 28);
    EXPECT_EQ(Table->RecNo(), 29);
    EXPECT_EQ(Grid->PanelIndex(), 1);
    EXPECT_EQ(Edit->Text(), "P29");
    EXPECT_EQ(GetCaptureControl(), nullptr);
    // At the end the wheel moves the record within the rows, to the last one.
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -5 * WHEEL_DELTA, 150, 150); });
    EXPECT_EQ(TopRec(), 28);
    EXPECT_EQ(Table->RecNo(), 30);
    EXPECT_EQ(Grid->PanelIndex(), 2);
    // The up arrow at the top of the bar.
    RunScript([&](TInputScript& s) { s.Click(Grid, 292, 8); });
    EXPECT_EQ(TopRec(), 27);
    EXPECT_EQ(Table->RecNo(), 29);

    // Records that all fit: no bar, the panel as wide as the grid.
    Grid->SetRowCount(30);
    EXPECT_FALSE(Grid->ScrollBarVisible());
    EXPECT_EQ(Grid->Panel()->Width(), 300);
}

TEST_F(CtrlGridScroll, ARefusedPostKeepsTheRowsTheRecordAndTheTypedValue)
{
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, const std::exception& e) { errors.push_back(e.what()); };
    RunScript([&](TInputScript& s) { s.Wheel(Grid, -2 * WHEEL_DELTA, 150, 150); });
    ASSERT_EQ(Table->RecNo(), 3);
    Edit->SetFocus();
    // Twelve characters: more than the table's CHECK allows.
    RunScript([&](TInputScript& s) { s.Key(VK_END).Type("abcdefghij").Wheel(Grid, -WHEEL_DELTA, 150, 250); });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("CHECK constraint failed"), std::string::npos) << errors[0];
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Table->RecNo(), 3);
    EXPECT_EQ(TopRec(), 3);
    EXPECT_EQ(Edit->Text(), "P3abcdefghij");
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id = 3"), "P3");

    // Mended, the next notch posts and moves on.
    RunScript([&](TInputScript& s) { s.Key(VK_BACK).Key(VK_BACK).Wheel(Grid, -WHEEL_DELTA, 150, 250); });
    EXPECT_EQ(errors.size(), 1u);
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id = 3"), "P3abcdefgh");
    EXPECT_EQ(Table->RecNo(), 4);
    EXPECT_EQ(TopRec(), 4);
    Application->OnException = nullptr;
}

class LookupListScroll : public CtrlTest {
protected:
    void SetUp() override
    {
        CtrlTest::SetUp();
        std::string sql = "BEGIN;";
        for (int i = 4; i <= 20; ++i)
            sql += "INSERT INTO countries VALUES (" + std::to_string(i) + ",'Country " + std::to_string(i) + "');";
        TRawSql(Path).Exec(sql + "COMMIT;");
        Countries = new TTable(Form.get());
        Countries->SetDatabaseName(Path);
        Countries->SetTableName("countries");
        auto* listSource = new TDataSource(Form.get());
        listSource->SetDataSet(Countries);
        Countries->Open();
        List = new TDBLookupListBox(Form.get());
        List->SetParent(Form.get());
        List->SetBounds(10, 10, 121, 97);  // five rows of 16 inside the frame
        List->SetDataSource(Source);
        List->SetDataField("country");
        List->SetListSource(listSource);
        List->SetKeyField("id");
        List->SetListField("cname");
        Table->Open();
        Form->Show();
    }
    TTable* Countries = nullptr;
    TDBLookupListBox* List = nullptr;
};

TEST_F(LookupListScroll, TheBarAndTheWheelScrollTheRowsAndLeaveTheKey)
{
    ASSERT_EQ(List->ListCount(), 20);
    EXPECT_EQ(List->Rows(), 5);
    ASSERT_TRUE(List->ScrollBarVisible());
    const TScrollBarPart& bar = List->ScrollBar();
    EXPECT_EQ(bar.Bounds, Rect(103, 2, 119, 95));
    EXPECT_EQ(bar.ThumbRect(), Rect(103, 18, 119, 33));
    EXPECT_EQ(List->KeyIndex(), 1);  // the first person's country, Belgium

    RunScript([&](TInputScript& s) { s.Wheel(List, -WHEEL_DELTA); });
    EXPECT_EQ(List->TopIndex(), 3);
    EXPECT_EQ(List->ScrollBar().ThumbRect(), Rect(103, 27, 119, 42));
    // Only the rows moved: the key, the record and the list's own position are as they were.
    EXPECT_EQ(List->KeyIndex(), 1);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_EQ(Countries->RecNo(), 1);

    // The thumb dragged to the bottom shows the last five; a click there picks.
    RunScript([&](TInputScript& s) {
        TRect thumb = List->ScrollBar().ThumbRect();
        s.MouseDown(List, 111, thumb.Top + 2).MouseMove(List, 111, 500).MouseUp(List, 111, 500);
    });
    EXPECT_EQ(List->TopIndex(), 15);
    EXPECT_EQ(Table->State(), dsBrowse);
    RunScript([&](TInputScript& s) { s.Click(List, 40, 2 + 16 + 8); });
    EXPECT_EQ(List->KeyIndex(), 16);
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(List->TopIndex(), 15);

    // A key from elsewhere comes into view; the wheel stops at the top.
    Table->Cancel();
    EXPECT_EQ(List->KeyIndex(), 1);
    EXPECT_EQ(List->TopIndex(), 1);
    RunScript([&](TInputScript& s) { s.Wheel(List, 2 * WHEEL_DELTA); });
    EXPECT_EQ(List->TopIndex(), 0);
    // A press on the bar's down arrow: one row.
    RunScript([&](TInputScript& s) { s.Click(List, 111, 90); });
    EXPECT_EQ(List->TopIndex(), 1);
    EXPECT_EQ(Table->State(), dsBrowse);
}

}  // namespace
