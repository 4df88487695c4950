// A number field's display format in the data controls: grid cells and an edit without
// the focus show it; the edit with the focus, and the grid's cell editor, show the plain
// number to edit.
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

TEST_F(CtrlTest, AmountsShowInTheirDisplayFormatUntilEdited)
{
    TRawSql(Path).Exec("ALTER TABLE people ADD COLUMN salary REAL; UPDATE people SET salary = id * 1000.5;");
    auto* grid = new TDBGrid(Form.get());
    grid->SetParent(Form.get());
    grid->SetBounds(0, 0, 400, 200);
    grid->SetDataSource(Source);
    auto* edit = new TDBEdit(Form.get());
    edit->SetParent(Form.get());
    edit->SetBounds(0, 220, 120, 21);
    edit->SetDataSource(Source);
    edit->SetDataField("salary");
    Table->Open();
    Form->Show();
    auto* salary = dynamic_cast<TNumericField*>(Table->FieldByName("salary"));
    ASSERT_TRUE(salary);
    salary->SetDisplayFormat("#,##0.00");
    int col = salary->Index();
    EXPECT_EQ(grid->CellText(0, col), "1,000.50");   // the current record
    EXPECT_EQ(grid->CellText(2, col), "3,001.50");   // another one
    EXPECT_EQ(edit->Text(), "1,000.50");

    // The edit with the focus edits the plain number and shows the format again after.
    edit->SetFocus();
    EXPECT_EQ(edit->Text(), "1000.5");
    RunScript([&](TInputScript& s) { s.Key(VK_BACK).Type("75"); });
    EXPECT_EQ(edit->Text(), "1000.75");
    grid->SetFocus();
    EXPECT_EQ(edit->Text(), "1,000.75");
    Table->Post();
    EXPECT_EQ(Stored("SELECT salary FROM people WHERE id = 1"), "1000.75");

    // The grid's cell editor starts from the plain number too.
    grid->SetSelectedField(salary);
    grid->SetEditorMode(true);
    EXPECT_EQ(grid->EditorText(), "1000.75");
}
