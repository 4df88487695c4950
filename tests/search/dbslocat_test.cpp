#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/StdCtrls.h"
#include "korin/search/Dbsearch.h"
#include "korin/search/Dbslocat.h"
#include "korin/search/Sercheng.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

class LocateDialogTest : public AppTest {
protected:
    TTempDir Dir;
    std::string Path = Dir.File("locate.db");
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TCustomdbSearch* Search = nullptr;
    // What the dialog showed, read while it was up.
    std::vector<std::string> Seen;

    void SetUp() override
    {
        AppTest::SetUp();
        SetMultiPat("*");
        SetSinglePat('%');
        sqlite3* db = nullptr;
        sqlite3_open(Path.c_str(), &db);
        sqlite3_exec(db, R"(
            CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(30), city VARCHAR(20), secret VARCHAR(5));
            INSERT INTO people VALUES (1, 'Smith', 'Paris', 'a'), (2, 'Jones', 'Berlin', 'b'),
                                      (3, 'Brown', 'Paris', 'c'), (4, 'Smithers', 'Oslo', 'd');
        )", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        Table = new TTable(Owner.get());
        Table->SetDatabaseName(Path);
        Table->SetTableName("people");
        Table->Open();
        Table->FieldByName("secret")->SetVisible(false);
        Table->FieldByName("city")->SetDisplayLabel("Town");
        Source = new TDataSource(Owner.get());
        Source->SetDataSet(Table);
        Search = new TCustomdbSearch(Owner.get());
        Search->SetDataSource(Source);
    }
    void TearDown() override
    {
        Owner.reset();
        SetMultiPat("..");
        SetSinglePat('@');
        AppTest::TearDown();
    }

    int Id() const { return static_cast<int>(Table->FieldByName("id")->AsInteger()); }

    // Records the state of the dialog's buttons: "FF+ FN-" (enabled / disabled).
    void Look()
    {
        input.Call([this] {
            ASSERT_NE(DLGLocate, nullptr);
            Seen.push_back(std::string("FF") + (DLGLocate->FindFirstButton->Enabled() ? "+" : "-") + " FN" +
                           (DLGLocate->FindNextButton->Enabled() ? "+" : "-"));
        });
    }
    // Clicks a button of the dialog once it is up.
    void ClickLater(TButton* TDLGLocate::*Button)
    {
        input.Call([this, Button] { input.Click(DLGLocate->*Button); });
    }
};

TEST_F(LocateDialogTest, FormFileBuildsTheDialog)
{
    TOwned<TDLGLocate> dlg(new TDLGLocate(nullptr));
    EXPECT_EQ(dlg->ClientWidth(), 321);
    EXPECT_EQ(dlg->ClientHeight(), 162);
    EXPECT_EQ(dlg->BorderStyle(), bsDialog);
    EXPECT_EQ(dlg->Position(), poScreenCenter);
    EXPECT_TRUE(dlg->KeyPreview());
    EXPECT_EQ(dlg->Caption(), "Locate Value");
    EXPECT_EQ(dlg->cbxCaseSensitive->Parent(), dlg->GroupBox2);
    EXPECT_EQ(dlg->Bevel1->Parent(), dlg->GroupBox2);
    EXPECT_EQ(dlg->Bevel1->Shape(), bsBottomLine);
    EXPECT_EQ(dlg->GroupBox2->BoundsRect(), Rect(8, 32, 8 + 216, 32 + 93));
    EXPECT_EQ(dlg->rbPatternMatch->BoundsRect(), Rect(12, 68, 12 + 201, 68 + 17));
    EXPECT_EQ(dlg->FindNextButton->BoundsRect(), Rect(232, 56, 232 + 81, 56 + 21));
    EXPECT_EQ(dlg->CancelBtn->BoundsRect(), Rect(232, 132, 232 + 81, 132 + 24));
    EXPECT_EQ(dlg->txtSearchString->BoundsRect(), Rect(69, 6, 69 + 244, 6 + 21));
    EXPECT_TRUE(dlg->rbPatternMatch->Checked());
    EXPECT_FALSE(dlg->rbExactMatch->Checked());
    EXPECT_TRUE(dlg->FindFirstButton->Default());
    EXPECT_FALSE(dlg->FindFirstButton->Enabled());
    EXPECT_EQ(dlg->FindFirstButton->Caption(), "&Find First");
    EXPECT_EQ(dlg->rbPatternMatch->Caption(), "&Allow Wildcards  @  and  ..");
    EXPECT_FALSE(dlg->cbxFields->Visible());
    EXPECT_FALSE(dlg->cbxFields->Enabled());
    EXPECT_TRUE(dlg->CancelBtn->Cancel());
    EXPECT_EQ(dlg->CancelBtn->ModalResult(), mrCancel);
    EXPECT_EQ(dlg->CancelBtn->Caption(), "Close");
    EXPECT_EQ(dlg->CancelBtn->Hint(), "Cancel");
    EXPECT_EQ(dlg->Label2->Font().Style(), fsBold);
    EXPECT_EQ(dlg->ActiveControl(), dlg->txtSearchString);
}

TEST_F(LocateDialogTest, ShownWithRunTimeCaptionsAndChosenFields)
{
    Search->SetDefaultFieldName("name");
    std::string caption, wildcards, items, field;
    auto capture = [&] {
        wildcards = DLGLocate->rbPatternMatch->Caption();
        caption = DLGLocate->FindFirstButton->Caption() + "|" + DLGLocate->GoToTopButton->Caption() + "|" +
                  DLGLocate->GoToEndButton->Caption() + "|" + DLGLocate->FindNextButton->Caption() + "|" +
                  DLGLocate->Label1->Caption() + "|" + DLGLocate->cbxCaseSensitive->Caption() + "|" +
                  DLGLocate->rbExactMatch->Caption();
        for (const auto& s : DLGLocate->cbxFields->Items())
            items += s + ",";
        field = DLGLocate->cbxFields->Text();
        EXPECT_EQ(DLGLocate->Creator(), Search);
    };
    input.Call(capture);
    input.Key(VK_ESCAPE);
    EXPECT_FALSE(Search->Locate());
    EXPECT_EQ(wildcards, "Allow Wildcards(%,*)");
    EXPECT_EQ(caption, "Find First|Go To Top|Go To End|Find Next|Text to Find|Case Sensitive|No Wildcards");
    // Visible fields by label; the default field name stands in for an empty field.
    EXPECT_EQ(items, "id,name,Town,");
    EXPECT_EQ(field, "name");
    EXPECT_EQ(DLGLocate, nullptr);

    // The caption shows the wildcards in force when the dialog opens; a search-field
    // list replaces the dataset's fields, and a field not in it leaves no selection.
    SetMultiPat("..");
    SetSinglePat('@');
    TStringList only;
    only.Add("Town");
    Search->SetSearchFields(&only);
    Search->SetSearchField("name");
    items.clear();
    input.Call(capture);
    input.Key(VK_ESCAPE);
    EXPECT_FALSE(Search->Locate());
    EXPECT_EQ(wildcards, "Allow Wildcards(@,..)");
    EXPECT_EQ(items, "Town,");
    EXPECT_EQ(field, "");
}

TEST_F(LocateDialogTest, ButtonsNeedTextAndEnterFindsFirst)
{
    Search->SetSearchField("name");
    Table->Last();
    Look();
    input.Key(VK_RETURN);  // the default button is disabled: nothing happens
    Look();
    input.Type("Jones");
    Look();
    input.Key(VK_BACK);
    Look();
    input.Type("s");
    input.Key(VK_RETURN);
    EXPECT_TRUE(Search->Locate());
    EXPECT_EQ((std::vector<std::string>{"FF- FN-", "FF- FN-", "FF+ FN+", "FF+ FN+"}), Seen);
    EXPECT_EQ(Id(), 2);
    EXPECT_EQ(Search->LocateInfo().LocateText, "Jones");
    EXPECT_FALSE(Search->LocateInfo().FindNext);

    // The dialog opens again with the last text, options and field.
    Seen.clear();
    Look();
    input.Call([this] { Seen.push_back(DLGLocate->txtSearchString->Text()); });
    input.Key(VK_ESCAPE);
    EXPECT_FALSE(Search->Locate());
    EXPECT_EQ((std::vector<std::string>{"FF+ FN+", "Jones"}), Seen);
}

TEST_F(LocateDialogTest, CancelChangesNothing)
{
    Search->SetSearchField("name");
    Table->SetRecNo(3);
    TLocateInfo before = Search->LocateInfo();
    input.Type("Smith");
    input.Key(VK_ESCAPE);
    EXPECT_FALSE(Search->Locate());
    EXPECT_EQ(Id(), 3);
    EXPECT_EQ(Search->LocateInfo(), before);

    // The Close button cancels as well.
    ClickLater(&TDLGLocate::FindFirstButton);  // disabled: ignored
    input.Call([this] { input.Click(DLGLocate->CancelBtn); });
    EXPECT_FALSE(Search->Locate());
    EXPECT_EQ(Id(), 3);
}

TEST_F(LocateDialogTest, GoToTopAndEndAndFindNextCommands)
{
    Search->SetSearchField("name");
    Table->SetRecNo(2);
    ClickLater(&TDLGLocate::GoToEndButton);
    EXPECT_TRUE(Search->Locate());
    EXPECT_EQ(Id(), 4);
    EXPECT_TRUE(Search->LocateInfo().GotoLast);
    EXPECT_FALSE(Search->LocateInfo().GotoFirst);

    ClickLater(&TDLGLocate::GoToTopButton);
    EXPECT_TRUE(Search->Locate());
    EXPECT_EQ(Id(), 1);
    EXPECT_TRUE(Search->LocateInfo().GotoFirst);
    EXPECT_FALSE(Search->LocateInfo().GotoLast);

    // Find Next with a pattern: from the record after the current one.
    input.Type("Smith*");
    ClickLater(&TDLGLocate::FindNextButton);
    EXPECT_TRUE(Search->Locate());
    EXPECT_EQ(Id(), 4);
    EXPECT_TRUE(Search->LocateInfo().FindNext);

    // A find-next without the dialog repeats it; past the last match it raises and stays.
    Table->First();
    Search->LocateNext();
    EXPECT_EQ(Id(), 4);
    EXPECT_THROW(Search->LocateNext(), EDBSearchPatternNotFound);
    EXPECT_EQ(Id(), 4);
}

TEST_F(LocateDialogTest, OptionsReachTheSearch)
{
    Search->SetSearchField("name");
    // Case Sensitive is the first option after the text box; No Wildcards the next.
    input.Type("SMITH*");
    input.Key(VK_TAB);
    input.Key(VK_SPACE);
    input.Call([this] { input.Click(DLGLocate->rbExactMatch); });
    input.Call([this] { input.Click(DLGLocate->FindFirstButton); });
    EXPECT_THROW(Search->Locate(), EDBSearchPatternNotFound);
    EXPECT_TRUE(Search->LocateInfo().CaseSensitive);
    EXPECT_TRUE(Search->LocateInfo().ExactMatch);
    EXPECT_EQ(Search->LocateInfo().LocateField, "name");
}

TEST_F(LocateDialogTest, LocateNextWithoutTextShowsTheDialog)
{
    Search->SetSearchField("Town");
    bool shown = false;
    input.Call([&] { shown = DLGLocate != nullptr; });
    input.Type("Oslo");
    input.Key(VK_RETURN);
    Search->LocateNext();
    EXPECT_TRUE(shown);
    EXPECT_EQ(Id(), 4);
}

TEST_F(LocateDialogTest, NoDataSourceShowsNothing)
{
    Search->SetDataSource(nullptr);
    EXPECT_FALSE(Search->Locate());
    EXPECT_EQ(DLGLocate, nullptr);
}

}  // namespace
