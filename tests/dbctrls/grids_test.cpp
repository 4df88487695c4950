// Data grids and the control grid over a real table: keys move the dataset, columns fire
// their events, cells edit, the control grid's panel holds its row's controls and its
// delete asks first.
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/dbctrls/Registration.h"
#include "korin/platform/gui/Render.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

class GridTest : public CtrlTest {
protected:
    template <class G = TDBGrid>
    G* MakeGrid()
    {
        auto* g = new G(Form.get());
        g->SetParent(Form.get());
        // A title row and ten data rows of 18 pixels plus a grid line each; wide enough
        // for all eight columns beside the vertical bar.
        g->SetBounds(0, 0, 740, 19 * 11 + 5);
        g->SetDataSource(Source);
        return g;
    }
};

}  // namespace

TEST_F(GridTest, ArrowKeysMoveTheDatasetAndColumnMovesFireColEnter)
{
    auto* grid = MakeGrid();
    std::vector<std::string> log;
    grid->OnColExit = [&](TObject*) { log.push_back("exit " + std::to_string(grid->SelectedIndex())); };
    grid->OnColEnter = [&](TObject*) {
        log.push_back("enter " + std::to_string(grid->SelectedIndex()) + " " + grid->SelectedField()->FieldName());
    };
    EXPECT_EQ(grid->SelectedField(), nullptr);
    Table->Open();
    Form->Show();
    grid->SetFocus();

    EXPECT_EQ(grid->VisibleRowCount(), 10);
    ASSERT_EQ(grid->FieldCount(), 8);
    EXPECT_EQ(grid->Fields(0)->FieldName(), "id");
    EXPECT_EQ(grid->Fields(7)->FieldName(), "born");
    EXPECT_EQ(grid->Fields(8), nullptr);
    EXPECT_EQ(grid->SelectedIndex(), 0);
    EXPECT_EQ(grid->SelectedField(), Table->FieldByName("id"));

    std::vector<int> recNos;
    auto step = [&](std::uint16_t key, TShiftState shift = 0) {
        input.Key(key, shift);
        Run();
        recNos.push_back(Table->RecNo());
    };
    step(VK_DOWN);
    step(VK_NEXT);
    step(VK_UP);
    step(VK_PRIOR);
    step(VK_END, ssCtrl);
    step(VK_UP);
    step(VK_HOME, ssCtrl);
    step(VK_UP);
    EXPECT_EQ(recNos, (std::vector<int>{2, 12, 11, 1, 30, 29, 1, 1}));
    EXPECT_TRUE(log.empty());

    step(VK_RIGHT);
    step(VK_TAB);
    step(VK_TAB, ssShift);
    step(VK_LEFT);
    step(VK_LEFT);  // already on the first column: nothing
    step(VK_END);
    EXPECT_EQ(log, (std::vector<std::string>{"exit 0", "enter 1 name", "exit 1", "enter 2 age", "exit 2", "enter 1 name",
                                             "exit 1", "enter 0 id", "exit 0", "enter 7 born"}));
    EXPECT_EQ(Table->RecNo(), 1);  // column moves leave the record alone
    EXPECT_EQ(grid->SelectedField(), Table->FieldByName("born"));

    // Tab on the last column goes on to the next record's first column.
    log.clear();
    step(VK_TAB);
    EXPECT_EQ(Table->RecNo(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"exit 7", "enter 0 id"}));

    // Selecting a field selects its column.
    grid->SetSelectedField(Table->FieldByName("city"));
    EXPECT_EQ(grid->SelectedIndex(), 5);

    // A click on another row's cell moves the dataset there and selects the column.
    log.clear();
    TRect cell = grid->CellRect(3, 4);  // the age column, the fourth data row
    input.Click(grid, cell.Left + 3, cell.Top + 3);
    Run();
    EXPECT_EQ(Table->RecNo(), 4);
    EXPECT_EQ(grid->SelectedIndex(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"exit 5", "enter 2 age"}));
}

TEST_F(GridTest, RowsFollowTheDatasetAndShowTheOtherRecords)
{
    auto* grid = MakeGrid();
    Table->Open();
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->CellText(0, 1), "P1");
    EXPECT_EQ(grid->CellText(3, 1), "P4");
    EXPECT_EQ(grid->CellText(9, 7), "2001-02-11");
    EXPECT_EQ(grid->CellText(10, 1), "");  // below the rows shown

    Table->MoveBy(14);  // record 15: the window scrolls so that it is the last row
    EXPECT_EQ(grid->Row(), 10);
    EXPECT_EQ(grid->CellText(0, 1), "P6");
    EXPECT_EQ(grid->CellText(9, 1), "P15");
    Table->Prior();
    EXPECT_EQ(grid->Row(), 9);
    EXPECT_EQ(grid->CellText(0, 1), "P6");
    Table->First();
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(grid->CellText(0, 1), "P1");

    // A new record shows in the current row, the records from there one row lower.
    Table->MoveBy(2);
    Table->Insert();
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->CellText(1, 1), "P2");
    EXPECT_EQ(grid->CellText(2, 1), "");
    EXPECT_EQ(grid->CellText(3, 1), "P3");
    Table->Cancel();
    EXPECT_EQ(grid->CellText(2, 1), "P3");

    // Ctrl+Delete asks first; No keeps the record.
    std::vector<std::string> asked;
    Application->OnMessageBox = [&](TCustomForm*, const std::string& text, const std::string&, std::uint32_t) {
        asked.push_back(text);
    };
    Form->Show();
    grid->SetFocus();
    input.Key(VK_DELETE, ssCtrl).Key('N');
    Run();
    EXPECT_EQ(asked, (std::vector<std::string>{"Delete record?"}));
    EXPECT_EQ(Table->RecordCount(), 30);
    input.Key(VK_DELETE, ssCtrl).Key('Y');
    Run();
    EXPECT_EQ(Table->RecordCount(), 29);
    EXPECT_EQ(grid->CellText(2, 1), "P4");
    Table->First();

    // A filtered dataset with fewer records than rows shows only those.
    Table->SetFilter("age > 47");
    Table->SetFiltered(true);
    EXPECT_EQ(grid->VisibleRowCount(), 3);
    EXPECT_EQ(grid->CellText(2, 1), "P30");

    Table->Close();
    EXPECT_EQ(grid->FieldCount(), 0);
    EXPECT_EQ(grid->CellText(0, 1), "");
}

TEST_F(GridTest, TypingEditsTheCellAndTheFieldGetsItOnEnter)
{
    auto* grid = MakeGrid<TDBKGrid>();
    Table->Open();
    Form->Show();
    grid->SetFocus();
    input.Key(VK_RIGHT).Type("Zed");
    Run();
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->CellText(0, 1), "Zed");
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "P1");

    input.Key(VK_RETURN);
    Run();
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "Zed");
    EXPECT_FALSE(grid->EditorMode());

    // The next column, then a move down: the record is posted.
    input.Key(VK_RIGHT).Type("77").Key(VK_DOWN);
    Run();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->RecNo(), 2);
    EXPECT_EQ(Stored("SELECT name || '/' || age FROM people WHERE id=1"), "Zed/77");

    // Esc drops the typed text, a second Esc cancels the record.
    input.Type("99").Key(VK_ESCAPE);
    Run();
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_EQ(Table->State(), dsEdit);
    input.Key(VK_ESCAPE);
    Run();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(grid->CellText(1, 2), "22");

    // An auto-increment column cannot be typed into.
    input.Key(VK_HOME).Type("5");
    Run();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(GridTest, RefusedPostKeepsTheTypedCellAndTheRecord)
{
    auto* grid = MakeGrid();
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, const std::exception& e) { errors.push_back(e.what()); };
    Table->Open();
    Form->Show();
    grid->SetFocus();
    input.Key(VK_RIGHT).Type("abcdefghijklm").Key(VK_DOWN);
    Run();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("CHECK constraint failed"), std::string::npos) << errors[0];
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_EQ(grid->CellText(0, 1), "abcdefghijklm");
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id=1"), "P1");
}

TEST_F(GridTest, GridPaintsTitlesAndHighlightsTheSelectedCell)
{
    auto* grid = MakeGrid();
    Table->Open();
    Form->Show();
    grid->SetFocus();
    auto bmp = RenderWindow(Form.get(), false);
    TRect cell = grid->CellRect(1, 1);
    ASSERT_GT(cell.Width(), 0);
    EXPECT_EQ(bmp->Pixels(cell.Left + 1, cell.Top + 1), ColorToRGB(clHighlight));
    TRect other = grid->CellRect(2, 1);
    EXPECT_EQ(bmp->Pixels(other.Right - 2, other.Top + 1), ColorToRGB(clWindow));
    TRect title = grid->CellRect(2, 0);
    EXPECT_EQ(bmp->Pixels(title.Right - 3, title.Top + 3), ColorToRGB(clBtnFace));
}

TEST_F(GridTest, ControlGridPanelHoldsTheRowControlsAndFollowsTheRecord)
{
    auto* cg = new TDBCtrlGrid(Form.get());
    cg->SetParent(Form.get());
    cg->SetBounds(0, 0, 300, 300);
    cg->SetDataSource(Source);
    auto* edit = new TDBEdit(Form.get());
    edit->SetParent(cg->Panel());
    edit->SetBounds(8, 8, 100, 21);
    edit->SetDataSource(Source);
    edit->SetDataField("name");
    ASSERT_NE(dynamic_cast<TDBCtrlPanel*>(edit->Parent()), nullptr);
    EXPECT_EQ(edit->Parent()->Parent(), cg);
    EXPECT_EQ(cg->RowCount(), 3);
    EXPECT_EQ(cg->PanelHeight(), 100);

    Table->Open();
    EXPECT_EQ(cg->PanelIndex(), 0);
    Table->Next();
    Table->Next();
    EXPECT_EQ(cg->PanelIndex(), 2);
    EXPECT_EQ(cg->Panel()->Top(), 200);
    Table->Next();
    EXPECT_EQ(cg->PanelIndex(), 2);
    EXPECT_EQ(cg->RowRecord(0), 1);
    EXPECT_EQ(edit->Text(), "P4");
    Table->First();
    EXPECT_EQ(cg->PanelIndex(), 0);
    EXPECT_EQ(cg->Panel()->Top(), 0);

    // Keys on the grid itself move the dataset by records and pages.
    Form->Show();
    cg->SetFocus();
    input.Key(VK_DOWN).Key(VK_NEXT);
    Run();
    EXPECT_EQ(Table->RecNo(), 5);

    // So do they from inside a row: the edit keeps the focus and shows the new record.
    edit->SetFocus();
    input.Key(VK_DOWN).Key(VK_DOWN).Key(VK_UP).Key(VK_HOME).Type("Q");
    Run();
    EXPECT_EQ(Table->RecNo(), 6);
    EXPECT_EQ(GetFocus(), edit->Handle());
    EXPECT_EQ(edit->Text(), "QP6");
    EXPECT_EQ(cg->PanelIndex(), 1);  // records 5 to 7 shown, the sixth in the middle
    input.Key(VK_DOWN);
    Run();
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id=6"), "QP6");
    EXPECT_EQ(edit->Text(), "P7");
}

TEST_F(GridTest, ControlGridDeleteAsksAndDeletesOnlyOnYes)
{
    auto* cg = new TDBCtrlGrid(Form.get());
    cg->SetParent(Form.get());
    cg->SetDataSource(Source);
    auto* edit = new TDBEdit(Form.get());
    edit->SetParent(cg->Panel());
    edit->SetDataSource(Source);
    edit->SetDataField("name");
    std::vector<std::string> asked;
    Application->OnMessageBox = [&](TCustomForm*, const std::string& text, const std::string& caption, std::uint32_t flags) {
        asked.push_back(caption + ": " + text + ((flags & MB_YESNO) ? " [yes/no]" : ""));
    };
    Table->Open();
    Table->Next();
    Form->Show();

    input.Key('N');
    cg->DoKey(gkDelete);
    EXPECT_EQ(asked, (std::vector<std::string>{"Confirm: Delete record? [yes/no]"}));
    EXPECT_EQ(Table->RecordCount(), 30);
    EXPECT_EQ(Stored("SELECT count(*) FROM people"), "30");
    EXPECT_EQ(edit->Text(), "P2");

    input.Key('Y');
    cg->DoKey(gkDelete);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(Table->RecordCount(), 29);
    EXPECT_EQ(Stored("SELECT count(*) FROM people"), "29");
    EXPECT_EQ(Stored("SELECT count(*) FROM people WHERE id=2"), "0");
    EXPECT_EQ(edit->Text(), "P3");

    // Ctrl+Delete on the grid asks the same question.
    cg->SetFocus();
    input.Key(VK_DELETE, ssCtrl).Key(VK_ESCAPE);
    Run();
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(Table->RecordCount(), 29);

    // A new record not stored yet is dropped without a question.
    cg->DoKey(gkInsert);
    EXPECT_EQ(Table->State(), dsInsert);
    cg->DoKey(gkDelete);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(asked.size(), 3u);
}

TEST_F(GridTest, FormFilesPutControlGridChildrenOnItsPanel)
{
    RegisterDbControlClasses();
    const std::string text =
        "object DemoForm: TForm\n"
        "  object Src: TDataSource\n"
        "  end\n"
        "  object People: TDBCtrlGrid\n"
        "    Width = 300\n"
        "    Height = 240\n"
        "    DataSource = Src\n"
        "    RowCount = 4\n"
        "    object NameEdit: TDBEdit\n"
        "      Left = 8\n"
        "      Top = 6\n"
        "      DataSource = Src\n"
        "      DataField = 'name'\n"
        "    end\n"
        "  end\n"
        "  object Country: TKDBComboBox\n"
        "    Top = 500\n"
        "    DataSource = Src\n"
        "    DataField = 'city'\n"
        "    Style = csDropDownList\n"
        "    Items.Strings = (\n"
        "      'Graz'\n"
        "      'Lima')\n"
        "  end\n"
        "  object Grid: TDBKGrid\n"
        "    Top = 250\n"
        "    DataSource = Src\n"
        "    Columns = <\n"
        "      item\n"
        "        FieldName = 'name'\n"
        "        Width = 90\n"
        "      end\n"
        "      item\n"
        "        FieldName = 'age'\n"
        "        Title = 'Years'\n"
        "        Width = 40\n"
        "      end>\n"
        "  end\n"
        "end\n";
    TOwned<TForm> form(new TForm(nullptr));
    ReadComponentText(text, form.get());
    auto* src = dynamic_cast<TDataSource*>(form->FindComponent("Src"));
    auto* cg = dynamic_cast<TDBCtrlGrid*>(form->FindComponent("People"));
    auto* edit = dynamic_cast<TDBEdit*>(form->FindComponent("NameEdit"));
    auto* grid = dynamic_cast<TDBKGrid*>(form->FindComponent("Grid"));
    ASSERT_TRUE(src && cg && edit && grid);
    EXPECT_EQ(edit->Parent(), cg->Panel());
    EXPECT_EQ(edit->DataSource(), src);
    EXPECT_EQ(cg->RowCount(), 4);
    ASSERT_EQ(grid->Columns()->Count(), 2);

    src->SetDataSet(Table);
    Table->Open();
    EXPECT_EQ(edit->Text(), "P1");
    EXPECT_EQ(grid->FieldCount(), 2);
    EXPECT_EQ(grid->Fields(1)->FieldName(), "age");
    EXPECT_EQ(grid->Columns()->Items(1)->Title(), "Years");
    EXPECT_EQ(grid->Columns()->Items(0)->Title(), "name");

    // Written back, the edit stands inside the control grid's block and the panel is not
    // written at all.
    std::string out = WriteComponentText(form.get());
    size_t gridAt = out.find("object People: TDBCtrlGrid");
    size_t editAt = out.find("object NameEdit: TDBEdit");
    size_t kgridAt = out.find("object Grid: TDBKGrid");
    ASSERT_NE(gridAt, std::string::npos);
    ASSERT_NE(editAt, std::string::npos);
    EXPECT_LT(gridAt, editAt);
    EXPECT_LT(editAt, kgridAt);
    EXPECT_EQ(out.find("TDBCtrlPanel"), std::string::npos);
    EXPECT_NE(out.find("Title = 'Years'"), std::string::npos);
    EXPECT_NE(out.find("DataField = 'name'"), std::string::npos);
    auto* combo = dynamic_cast<TKDBComboBox*>(form->FindComponent("Country"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Items(), (std::vector<std::string>{"Graz", "Lima"}));
    EXPECT_EQ(combo->Style(), csDropDownList);
    src->SetDataSet(nullptr);

    // What was written reads back the same.
    TOwned<TForm> again(new TForm(nullptr));
    ReadComponentText(out, again.get());
    EXPECT_EQ(WriteComponentText(again.get()), out);
}
