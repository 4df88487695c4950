// The data-aware edit, memo and the grid's cell editor on the standard editing engine:
// selection by keys and mouse, code-point caret steps in Cyrillic text, the clipboard
// keys, a refused edit, and record moves that never count as the user's change.
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/Clipboard.h"
#include "korin/platform/gui/Render.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

TDBEdit* PlaceEdit(TForm* Form, TDataSource* Source, const std::string& Field, int Top)
{
    auto* c = new TDBEdit(Form);
    c->SetParent(Form);
    c->SetTop(Top);
    c->SetWidth(160);
    c->SetDataSource(Source);
    c->SetDataField(Field);
    return c;
}

int TextWidth(TControl* c, const std::string& Text)
{
    TCanvas measure;
    measure.Font().Assign(c->Font());
    return measure.TextWidth(Text);
}

}  // namespace

TEST_F(CtrlTest, DataEditMovesByCodePointsAndSelectsByKeys)
{
    TRawSql(Path).Exec("UPDATE people SET name='Привет' WHERE id=1");
    auto* edit = PlaceEdit(Form.get(), Source, "name", 0);
    Table->Open();
    Form->Show();
    edit->SetFocus();
    // Getting the focus selects nothing; the caret waits at the end.
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->SelStart(), 6);

    input.Key(VK_LEFT).Key(VK_LEFT).Type("ы");
    Run();
    EXPECT_EQ(edit->Text(), "Привыет");
    EXPECT_EQ(edit->SelStart(), 5);
    input.Key(VK_HOME, ssShift);
    Run();
    EXPECT_EQ(edit->SelText(), "Привы");
    input.Key(VK_END).Key(VK_LEFT).Key(VK_END, ssShift);
    Run();
    EXPECT_EQ(edit->SelText(), "т");
    input.Key('A', ssCtrl);
    Run();
    EXPECT_EQ(edit->SelLength(), 7);
    input.Key('C', ssCtrl).Key(VK_BACK);
    Run();
    EXPECT_EQ(Clipboard().AsText(), "Привыет");
    EXPECT_EQ(edit->Text(), "");
    input.Key('V', ssCtrl).Key('V', ssCtrl);
    Run();
    EXPECT_EQ(edit->Text(), "ПривыетПривыет");
    EXPECT_EQ(edit->SelStart(), 14);
    Table->Cancel();
    EXPECT_EQ(edit->Text(), "Привет");
}

TEST_F(CtrlTest, DataEditPlacesTheCaretByClickAndSelectsByDrag)
{
    auto* edit = PlaceEdit(Form.get(), Source, "name", 0);
    TRawSql(Path).Exec("UPDATE people SET name='Zürich' WHERE id=1");
    Table->Open();
    Form->Show();
    // The text starts 4 pixels in: the 2-pixel field frame and a margin of 2.
    int y = edit->Height() / 2;
    input.Click(edit, 4 + TextWidth(edit, "Zü"), y);
    Run();
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->SelStart(), 2);
    EXPECT_EQ(edit->SelLength(), 0);
    input.MouseDown(edit, 4 + TextWidth(edit, "Z"), y)
        .MouseMove(edit, 4 + TextWidth(edit, "Züri"), y)
        .MouseUp(edit, 4 + TextWidth(edit, "Züri"), y);
    Run();
    EXPECT_EQ(edit->SelText(), "üri");
    // Selecting changes nothing: the dataset is still browsing.
    EXPECT_EQ(Table->State(), dsBrowse);
    input.Key('X', ssCtrl);
    Run();
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(edit->Text(), "Zch");
    EXPECT_EQ(Clipboard().AsText(), "üri");
    EXPECT_TRUE(edit->Modified());
    Table->Cancel();
}

TEST_F(CtrlTest, DataEditScrollsALongValueSideways)
{
    TRawSql(Path).Exec("UPDATE people SET notes='a value much wider than the box it sits in' WHERE id=1");
    auto* edit = PlaceEdit(Form.get(), Source, "notes", 0);
    edit->SetWidth(80);
    auto* other = PlaceEdit(Form.get(), Source, "name", 30);
    Table->Open();
    Form->Show();
    // Without the focus the value shows from its start.
    other->SetFocus();
    EXPECT_EQ(edit->ScrollX(), 0);
    edit->SetFocus();
    // The caret at the end of the text is in view: the text area is 72 pixels wide.
    int total = TextWidth(edit, "a value much wider than the box it sits in");
    EXPECT_EQ(edit->ScrollX(), total - 71);
    input.Key(VK_HOME);
    Run();
    EXPECT_EQ(edit->ScrollX(), 0);
    input.Key(VK_END);
    Run();
    EXPECT_EQ(edit->ScrollX(), total - 71);
    // Leaving it, or a record move while elsewhere, shows the start again.
    other->SetFocus();
    EXPECT_EQ(edit->ScrollX(), 0);
    EXPECT_EQ(edit->SelStart(), 42);
    // A box made wider than its text scrolls no more.
    edit->SetFocus();
    edit->SetWidth(400);
    TBitmap shot(edit->Width(), edit->Height());
    PaintControlAt(edit, shot.Canvas(), 0, 0);
    EXPECT_EQ(edit->ScrollX(), 0);
}

TEST_F(CtrlTest, RecordMovesShowLongValuesFromTheStartOrWithTheCaretInView)
{
    const std::string first = "a value much wider than the box it sits in";
    const std::string second = "another value again far wider than its box";
    TRawSql(Path).Exec("UPDATE people SET notes='" + first + "' WHERE id=1;"
                       "UPDATE people SET notes='" + second + "' WHERE id=2");
    auto* edit = PlaceEdit(Form.get(), Source, "notes", 0);
    edit->SetWidth(80);
    auto* other = PlaceEdit(Form.get(), Source, "name", 30);
    Table->Open();
    Form->Show();
    other->SetFocus();
    // Moves while elsewhere: the caret waits at the end, the value shows from its start.
    Table->Next();
    EXPECT_EQ(edit->Text(), second);
    EXPECT_EQ(edit->SelStart(), 42);
    EXPECT_EQ(edit->ScrollX(), 0);
    Table->Prior();
    EXPECT_EQ(edit->ScrollX(), 0);
    // Entering brings the caret into view; a move while in the box keeps it in view.
    edit->SetFocus();
    EXPECT_EQ(edit->ScrollX(), TextWidth(edit, first) - 71);
    Table->Next();
    EXPECT_EQ(edit->Text(), second);
    EXPECT_EQ(edit->SelStart(), 42);
    EXPECT_EQ(edit->ScrollX(), TextWidth(edit, second) - 71);
    // Typing on past the right edge scrolls along with the caret.
    input.Type(" and more");
    Run();
    EXPECT_EQ(edit->Text(), second + " and more");
    EXPECT_EQ(edit->ScrollX(), TextWidth(edit, second + " and more") - 71);
    // Back from the start: Home shows the start, typing there keeps it.
    input.Key(VK_HOME).Type("x");
    Run();
    EXPECT_EQ(edit->ScrollX(), 0);
    EXPECT_EQ(edit->SelStart(), 1);
}

TEST_F(CtrlTest, RefusedEditKeepsTheTextAndRecordMovesAreNoChange)
{
    auto* edit = PlaceEdit(Form.get(), Source, "name", 0);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    Source->SetAutoEdit(false);
    Table->Open();
    Form->Show();
    edit->SetFocus();
    // The data source does not put the dataset into edit state: every change is refused.
    Clipboard().SetAsText("zz");
    input.Type("x").Key(VK_BACK).Key(VK_HOME).Key(VK_DELETE).Key('V', ssCtrl).Key('A', ssCtrl).Key('X', ssCtrl);
    Run();
    EXPECT_EQ(edit->Text(), "P1");
    EXPECT_EQ(edit->SelLength(), 2);  // moving and selecting still work
    EXPECT_EQ(Clipboard().AsText(), "zz");
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(edit->Modified());
    EXPECT_EQ(Table->State(), dsBrowse);

    // Record moves show the next value without counting as a change.
    Source->SetAutoEdit(true);
    Table->Next();
    Table->Next();
    EXPECT_EQ(edit->Text(), "P3");
    EXPECT_FALSE(edit->Modified());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(edit->SelStart(), 2);
    // Typed text then moving on posts it; the next record's text is again unmodified.
    input.Type("!");
    Run();
    EXPECT_EQ(changes, 1);
    Table->Next();
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id=3"), "P3!");
    EXPECT_EQ(edit->Text(), "P4");
    EXPECT_FALSE(edit->Modified());
    EXPECT_EQ(changes, 1);
}

TEST_F(CtrlTest, DataMemoSelectsAcrossLinesAndWrapsAtWords)
{
    TRawSql(Path).Exec("UPDATE people SET notes='one two three four five six seven eight nine ten' WHERE id=2");
    auto* memo = new TDBMemo(Form.get());
    memo->SetParent(Form.get());
    memo->SetBounds(0, 0, 200, 120);
    memo->SetDataSource(Source);
    memo->SetDataField("notes");
    Table->Open();
    Form->Show();
    memo->SetFocus();
    // "note 1\nsecond line": the caret starts at the end.
    input.Key(VK_UP, ssShift);
    Run();
    EXPECT_EQ(memo->SelText(), "\nsecond line");
    EXPECT_EQ(Table->State(), dsBrowse);
    input.Type("!");
    Run();
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"note 1!"}));
    Table->Post();
    EXPECT_EQ(Stored("SELECT notes FROM people WHERE id=1"), "note 1!");

    // A line wider than the memo wraps after its last word that fits: Down moves a row.
    Table->Next();
    memo->SetWidth(8 + TextWidth(memo, "one two three ") + 2);
    input.Key(VK_HOME, ssCtrl).Key(VK_DOWN).Key(VK_HOME).Key(VK_END, ssShift);
    Run();
    EXPECT_EQ(memo->SelText(), "four five six ");
}

TEST_F(CtrlTest, GridCellEditorMovesTheCaretAndSelects)
{
    TRawSql(Path).Exec("UPDATE people SET name='Ёлка' WHERE id=1");
    auto* grid = new TDBGrid(Form.get());
    grid->SetParent(Form.get());
    grid->SetBounds(0, 0, 400, 200);
    grid->SetDataSource(Source);
    Table->Open();
    Form->Show();
    grid->SetFocus();
    grid->SetSelectedField(Table->FieldByName("name"));
    // F2 opens the editor with the caret at the end and nothing selected.
    input.Key(VK_F1 + 1);
    Run();
    ASSERT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor().CaretPos(), 4);
    EXPECT_EQ(grid->InplaceEditor().SelLength(), 0);
    input.Key(VK_LEFT).Key(VK_LEFT).Type("ь").Key(VK_HOME, ssShift);
    Run();
    EXPECT_EQ(grid->EditorText(), "Ёлька");
    EXPECT_EQ(grid->InplaceEditor().SelText(), "Ёль");
    input.Key('C', ssCtrl).Key(VK_END).Key('V', ssCtrl);
    Run();
    EXPECT_EQ(grid->EditorText(), "ЁлькаЁль");
    // Left at the start of the text, and Right at its end, still change column.
    int column = grid->SelectedIndex();
    input.Key(VK_RIGHT);
    Run();
    EXPECT_EQ(grid->SelectedIndex(), column + 1);
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "ЁлькаЁль");
    Table->Cancel();

    // A click inside the edited cell places the caret there.
    grid->SetSelectedField(Table->FieldByName("name"));
    input.Key(VK_F1 + 1);
    Run();
    ASSERT_TRUE(grid->EditorMode());
    TRect cell = grid->CellRect(1 + grid->SelectedIndex(), grid->Row());
    input.Click(grid, cell.Left + 2 + TextWidth(grid, "Ё"), (cell.Top + cell.Bottom) / 2);
    Run();
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->InplaceEditor().CaretPos(), 1);
    // A record move while the editor holds no change shows the next value.
    Table->Cancel();
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(CtrlTest, DataMemoScrollsLongNotesWithItsBarAndTheWheel)
{
    std::string notes;
    for (int i = 0; i < 40; ++i)
        notes += (i ? "\n" : "") + std::string("Line ") + std::to_string(i);
    TRawSql(Path).Exec("UPDATE people SET notes='" + notes + "' WHERE id=1");
    auto* memo = new TDBMemo(Form.get());
    memo->SetParent(Form.get());
    memo->SetBounds(0, 0, 200, 100);
    memo->SetDataSource(Source);
    memo->SetDataField("notes");
    Table->Open();
    Form->Show();
    memo->SetSelStart(0);  // the caret to the first line, which is then shown
    RenderWindow(Form.get());
    ASSERT_TRUE(memo->ScrollBarVisible());
    EXPECT_EQ(memo->ScrollBar().Bounds, Rect(200 - 2 - ScrollBarSize, 2, 198, 98));
    EXPECT_EQ(memo->TopRow(), 0);
    input.Wheel(memo, -2 * WHEEL_DELTA);
    Run();
    EXPECT_EQ(memo->TopRow(), 6);
    // The thumb dragged to the bottom shows the last rows; nothing is edited.
    const int bx = 200 - 2 - ScrollBarSize / 2;
    TRect thumb = memo->ScrollBar().ThumbRect();
    input.MouseDown(memo, bx, thumb.Top + 1).MouseMove(memo, bx, 400).MouseUp(memo, bx, 400);
    Run();
    EXPECT_EQ(memo->TopRow(), 40 - memo->ScrollBar().PageSize);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(memo->SelLength(), 0);
    // A short note needs no bar and its text takes the whole width again.
    Table->Next();
    RenderWindow(Form.get());
    EXPECT_FALSE(memo->ScrollBarVisible());
}
