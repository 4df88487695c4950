// The field data link's notifications, and grids without data.
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/Grids.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

TEST_F(CtrlTest, FieldLinkReportsDataEditingAndUpdatesInOrder)
{
    TFieldDataLink link;
    std::vector<std::string> log;
    link.OnDataChange = [&](TObject*) { log.push_back("data " + (link.Field() ? link.Field()->AsString() : std::string("-"))); };
    link.OnEditingChange = [&](TObject*) { log.push_back(link.Editing() ? "editing" : "browsing"); };
    link.OnActiveChange = [&](TObject*) { log.push_back(link.Active() ? "active" : "inactive"); };
    link.OnUpdateData = [&](TObject*) {
        log.push_back("update");
        link.Field()->SetAsString("Typed");
    };
    auto take = [&] {
        std::string out;
        for (const auto& s : log)
            out += (out.empty() ? "" : ", ") + s;
        log.clear();
        return out;
    };
    link.SetFieldName("name");
    link.SetDataSource(Source);
    EXPECT_EQ(take(), "");

    Table->Open();
    EXPECT_EQ(take(), "data P1, active");
    Table->Next();
    EXPECT_EQ(take(), "data P2");
    Table->Edit();
    EXPECT_EQ(take(), "editing, data P2");
    Table->FieldByName("age")->SetAsInteger(5);  // another field: not this link's business
    EXPECT_EQ(take(), "");
    Table->FieldByName("name")->SetAsString("N");
    EXPECT_EQ(take(), "data N");

    // Nothing pending: the post writes nothing for the link.
    Table->Post();
    EXPECT_EQ(take(), "browsing, data N");
    EXPECT_EQ(Stored("SELECT name || '/' || age FROM people WHERE id=2"), "N/5");

    // A pending change is handed over when the dataset asks.
    EXPECT_TRUE(link.Edit());
    take();
    link.Modified();
    Table->Post();
    EXPECT_EQ(take(), "update, browsing, data Typed");
    EXPECT_FALSE(link.IsModified());
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id=2"), "Typed");

    // Read-only links and fields that cannot be written never start editing.
    link.SetReadOnly(true);
    EXPECT_FALSE(link.CanModify());
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(Table->State(), dsBrowse);
    link.SetReadOnly(false);
    link.SetFieldName("id");
    EXPECT_EQ(take(), "data 2");
    EXPECT_FALSE(link.CanModify());
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(Table->State(), dsBrowse);

    // Editing another field's record: this link stays browsing.
    Table->Edit();
    EXPECT_EQ(take(), "data 2");
    EXPECT_FALSE(link.Editing());
    Table->Cancel();
    take();

    Table->Close();
    EXPECT_EQ(take(), "data -, inactive");
    EXPECT_EQ(link.Field(), nullptr);
}

TEST_F(CtrlTest, PlainGridCountsVisibleRowsAndMovesItsCell)
{
    auto* grid = new TStringGrid(Form.get());
    grid->SetParent(Form.get());
    grid->SetColCount(4);
    grid->SetRowCount(30);
    grid->SetDefaultRowHeight(19);  // 20 pixels a row with the grid line
    grid->SetBounds(0, 0, 300, 20 * 8 + 10);
    EXPECT_EQ(grid->VisibleRowCount(), 7);
    grid->SetCells(2, 3, "x");
    EXPECT_EQ(grid->Cells(2, 3), "x");
    EXPECT_EQ(grid->Cells(9, 9), "");

    std::vector<std::string> tried;
    grid->OnSelectCell = [&](TObject*, int c, int r, bool& can) {
        tried.push_back(std::to_string(c) + "," + std::to_string(r));
        can = r != 5;
    };
    Form->Show();
    grid->SetFocus();
    input.Key(VK_DOWN).Key(VK_RIGHT).Key(VK_DOWN).Key(VK_DOWN).Key(VK_DOWN);
    Application->ProcessMessages();
    // Row 5 is refused, so the cell stays on row 4.
    EXPECT_EQ(tried, (std::vector<std::string>{"1,2", "2,2", "2,3", "2,4", "2,5"}));
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Row(), 4);

    grid->OnSelectCell = nullptr;
    grid->SetRow(20);
    EXPECT_EQ(grid->TopRow(), 14);  // scrolled so that row 20 is the last one wholly shown
    EXPECT_EQ(grid->VisibleRowCount(), 7);
    grid->SetRow(29);
    EXPECT_EQ(grid->VisibleRowCount(), 7);
    TGridCoord hit = grid->MouseCoord(grid->CellRect(2, 29).Left + 1, grid->CellRect(2, 29).Top + 1);
    EXPECT_EQ(hit, (TGridCoord{2, 29}));
    EXPECT_EQ(grid->CellRect(2, 3).Width(), 0);  // scrolled out of view
}
