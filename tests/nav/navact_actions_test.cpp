// Navigate and the dataset actions, through clicks on the buttons and direct calls, on a
// real SQLite file checked through a second connection.
#include "korin/platform/core/DateUtils.h"
#include "tests/nav/NavActFixture.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"

using namespace korin;

namespace {

class ActionsTest : public NavActTest {
protected:
    TQuery* OpenQuery(const std::string& SQL)
    {
        auto* q = new TQuery(form);
        q->SetDatabaseName(Path);
        q->SQL()->Add(SQL);
        q->Open();
        return q;
    }
    // Records which fields of the table are written.
    std::vector<std::string> written;
    void WatchWrites()
    {
        for (int i = 0; i < table->FieldCount(); ++i)
            table->Fields(i)->OnChange = [this](TField* f) { written.push_back(f->FieldName()); };
    }
};

TEST_F(ActionsTest, MovesAndPagesOfNineOverSingleRowControls)
{
    ClickButton(vnbNext);
    EXPECT_EQ(table->RecNo(), 2);
    ClickButton(vnbLast);
    EXPECT_EQ(table->RecNo(), 25);
    ClickButton(vnbPrior);
    EXPECT_EQ(table->RecNo(), 24);
    ClickButton(vnbFirst);
    EXPECT_EQ(table->RecNo(), 1);

    // The focus is in a single-row control: a page is 9 records.
    auto* edit = new TDBEdit(form);
    edit->SetParent(form);
    edit->SetDataSource(source);
    edit->SetDataField("name");
    nav->CurrentControl = edit;
    nav->CurrentField = table->FieldByName("name");
    EXPECT_EQ(nav->PageRowsCount(), 9);
    ClickButton(vnbNextPage);
    EXPECT_EQ(table->RecNo(), 10);
    nav->Navigate(vnbNextPage);
    EXPECT_EQ(table->RecNo(), 19);
    nav->Navigate(vnbNextPage);  // stops on the last record
    EXPECT_EQ(table->RecNo(), 25);
    ClickButton(vnbPriorPage);
    EXPECT_EQ(table->RecNo(), 16);
    nav->SetPageRowsCount(-4);
    nav->Navigate(vnbPriorPage);
    EXPECT_EQ(table->RecNo(), 13);
    // A disabled button does nothing, called or clicked.
    table->First();
    nav->Navigate(vnbPrior);
    ClickButton(vnbPriorPage);
    EXPECT_EQ(table->RecNo(), 1);
}

TEST_F(ActionsTest, InsertEditPostCancelAndErrorsThatPassOn)
{
    table->MoveBy(2);
    ClickButton(vnbInsert);
    EXPECT_EQ(table->State(), dsInsert);
    EXPECT_EQ(nav->DittoBuffer()->GetFieldValue("name"), Variant("item3"));  // the record left
    table->FieldByName("name")->SetAsString("new");
    table->FieldByName("qty")->SetAsInteger(7);
    ClickButton(vnbPost);
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(Raw->Rows("SELECT id, name, qty FROM items WHERE name = 'new'"), "26|new|7");

    table->First();
    ClickButton(vnbEdit);
    EXPECT_EQ(table->State(), dsEdit);
    table->FieldByName("qty")->SetAsInteger(-1);
    // The engine refuses the record: the error reaches the caller, the values stay.
    EXPECT_THROW(nav->Navigate(vnbPost), EDatabaseError);
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(table->FieldByName("qty")->AsInteger(), -1);
    ClickButton(vnbCancel);
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->FieldByName("qty")->AsInteger(), 10);
    EXPECT_EQ(Row(1), "1|item1|10|2000-01-01|10:00:00|<null>");
}

TEST_F(ActionsTest, DittoRecordSkipsAutoIncrementAndEqualValues)
{
    table->MoveBy(2);  // item3
    nav->Navigate(vnbInsert);
    WatchWrites();
    table->FieldByName("name")->SetAsString("item3");
    written.clear();
    ClickButton(vnbDittoCopyRecord);
    // id cannot be modified, name holds the saved value already, stamp is empty in both.
    EXPECT_EQ(written, (std::vector<std::string>{"qty", "born", "at"}));
    nav->Navigate(vnbPost);
    EXPECT_EQ(Row(26), "26|item3|30|2000-01-03|10:00:00|<null>");

    // DITTO FIELD writes the current field only, and nothing without one.
    table->MoveBy(-21);  // item5
    nav->Navigate(vnbInsert);
    written.clear();
    nav->Navigate(vnbDittoCopyField);
    EXPECT_TRUE(written.empty());
    nav->CurrentField = table->FieldByName("qty");
    nav->Navigate(vnbDittoCopyField);
    EXPECT_EQ(written, (std::vector<std::string>{"qty"}));
    EXPECT_EQ(table->FieldByName("qty")->AsInteger(), 50);
    EXPECT_TRUE(table->FieldByName("name")->Value().IsNull());
    nav->Navigate(vnbCancel);
    // Outside editing the ditto buttons are off: nothing happens, nothing raises.
    written.clear();
    EXPECT_NO_THROW(nav->Navigate(vnbDittoCopyRecord));
    EXPECT_TRUE(written.empty());
}

TEST_F(ActionsTest, CopyAndPasteRecord)
{
    table->Next();  // item2
    ClickButton(vnbCopyRec);
    table->MoveBy(5);  // item7
    // Pasting while browsing fails inside and is dropped: nothing changes.
    EXPECT_NO_THROW(nav->Navigate(vnbPasteRec));
    EXPECT_EQ(table->State(), dsBrowse);
    EXPECT_EQ(table->FieldByName("name")->AsString(), "item7");
    ClickButton(vnbEdit);
    ClickButton(vnbPasteRec);
    ClickButton(vnbPost);
    EXPECT_EQ(Row(7), "7|item2|20|2000-01-02|10:00:00|<null>");
    EXPECT_EQ(table->RecordCount(), 25);
}

TEST_F(ActionsTest, ConfirmDeleteAnsweredNoThenYes)
{
    std::vector<std::string> boxes;
    Application->OnMessageBox = [&](TCustomForm*, const std::string& Text, const std::string& Caption,
                                    std::uint32_t Flags) {
        boxes.push_back(Caption + ": " + Text + " " + std::to_string(Flags));
    };
    // Without confirmation the record goes at once.
    table->MoveBy(1);
    ClickButton(vnbDelete);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Row(2), "");
    EXPECT_EQ(table->FieldByName("id")->AsInteger(), 3);

    nav->SetConfirmDelete(true);
    input.Click(nav->Buttons(vnbDelete)).Key('N');
    Application->ProcessMessages();
    EXPECT_EQ(boxes, (std::vector<std::string>{"WARNING: Record will be deleted. Continue? 36"}));
    EXPECT_EQ(Row(3), "3|item3|30|2000-01-03|10:00:00|<null>");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM items"), "24");

    input.Click(nav->Buttons(vnbDelete)).Key('Y');
    Application->ProcessMessages();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(Row(3), "");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM items"), "23");
    EXPECT_EQ(table->FieldByName("id")->AsInteger(), 4);
}

TEST_F(ActionsTest, RefreshReopensAQueryOnTheSameRecord)
{
    TQuery* q = OpenQuery("SELECT id, name, qty FROM items ORDER BY id");
    UseDataSet(q);
    q->MoveBy(4);  // id 5
    std::string keys;
    Variant values;
    nav->SaveDataSetPosition(q, keys, values);
    EXPECT_EQ(keys, "id;name;qty");
    ASSERT_TRUE(values.IsArray());
    EXPECT_EQ(values.ArrayLowBound(), 0);
    EXPECT_EQ(values.ArrayHighBound(), 2);
    EXPECT_EQ(values[1], Variant("item5"));

    // Another connection adds a row in front: the query shows it and stays on id 5.
    Raw->Exec("INSERT INTO items (id, name, qty) VALUES (0, 'zero', 0)");
    ClickButton(vnbRefresh);
    EXPECT_EQ(q->RecordCount(), 26);
    EXPECT_EQ(q->RecNo(), 6);
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 5);

    // The record is deleted elsewhere: the locate fails quietly, the query is on its first.
    Raw->Exec("DELETE FROM items WHERE id = 5");
    nav->Navigate(vnbRefresh);
    EXPECT_TRUE(q->Active());
    EXPECT_EQ(q->RecNo(), 1);
    EXPECT_EQ(q->FieldByName("name")->AsString(), "zero");

    // A query that can no longer run: the failure is dropped and the query stays closed.
    Raw->Exec("ALTER TABLE items RENAME TO gone");
    EXPECT_NO_THROW(nav->Navigate(vnbRefresh));
    EXPECT_FALSE(q->Active());
}

TEST_F(ActionsTest, RefreshOfAOneFieldQueryKeysOnAPlainValue)
{
    TQuery* q = OpenQuery("SELECT name FROM items ORDER BY name");
    UseDataSet(q);
    q->MoveBy(3);  // item12 (text order: item1, item10, item11, item12)
    std::string keys;
    Variant values;
    nav->SaveDataSetPosition(q, keys, values);
    EXPECT_EQ(keys, "name");
    EXPECT_FALSE(values.IsArray());
    EXPECT_EQ(values, Variant("item12"));

    Raw->Exec("INSERT INTO items (id, name) VALUES (100, 'a first')");
    nav->Navigate(vnbRefresh);
    EXPECT_EQ(q->RecNo(), 5);
    EXPECT_EQ(q->FieldByName("name")->AsString(), "item12");
}

TEST_F(ActionsTest, RefreshOfATableRereadsItsRecords)
{
    table->MoveBy(3);
    Raw->Exec("UPDATE items SET qty = 444 WHERE id = 4; DELETE FROM items WHERE id = 1");
    ClickButton(vnbRefresh);
    EXPECT_EQ(table->FieldByName("id")->AsInteger(), 4);
    EXPECT_EQ(table->FieldByName("qty")->AsInteger(), 444);
    EXPECT_EQ(table->RecordCount(), 24);
}

TEST_F(ActionsTest, DateTimeFillsDateTimeAndDateTimeFieldsOnly)
{
    TDateTime pinned = EncodeDate(2026, 12, 6) + EncodeTime(9, 15, 30, 0);
    SetNowFunction([pinned] { return pinned; });
    table->MoveBy(1);
    ClickButton(vnbEdit);
    WatchWrites();

    nav->Navigate(vnbDateTime);  // no current field: nothing
    nav->CurrentField = table->FieldByName("name");
    nav->Navigate(vnbDateTime);  // a string field: nothing
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(table->FieldByName("name")->AsString(), "item2");

    nav->CurrentField = table->FieldByName("born");
    ClickButton(vnbDateTime);
    EXPECT_EQ(table->FieldByName("born")->AsDateTime(), EncodeDate(2026, 12, 6));  // zero time part
    nav->CurrentField = table->FieldByName("at");
    nav->Navigate(vnbDateTime);
    EXPECT_NEAR(table->FieldByName("at")->AsDateTime(), EncodeTime(9, 15, 30, 0), 1e-9);  // no date part
    EXPECT_EQ(table->FieldByName("at")->AsString(), "09:15:30");
    nav->CurrentField = table->FieldByName("stamp");
    nav->Navigate(vnbDateTime);
    EXPECT_EQ(table->FieldByName("stamp")->AsDateTime(), pinned);
    // An auto-increment field cannot take a value.
    nav->CurrentField = table->FieldByName("id");
    nav->Navigate(vnbDateTime);
    EXPECT_EQ(written, (std::vector<std::string>{"born", "at", "stamp"}));
    nav->Navigate(vnbPost);
    SetNowFunction({});
    EXPECT_EQ(Row(2), "2|item2|20|2026-12-06|09:15:30|2026-12-06 09:15:30");
}

TEST_F(ActionsTest, BeforeActionVetoStopsClicksRepeatsAndCalls)
{
    std::vector<TVNavigateBtn> asked;
    bool allow = false;
    nav->BeforeAction = [&](TObject* Sender, TVNavigateBtn Button, bool& doAction) {
        EXPECT_EQ(Sender, nav);
        asked.push_back(Button);
        doAction = allow;
    };
    ClickButton(vnbNext);
    EXPECT_EQ(asked, (std::vector<TVNavigateBtn>{vnbNext}));
    // Held for a second: the navigator's own repeat and the button's repeat both ask.
    asked.clear();
    input.MouseDown(nav->Buttons(vnbNext)).AdvanceTime(1000).MouseUp(nav->Buttons(vnbNext));
    Application->ProcessMessages();
    EXPECT_EQ(asked.size(), 10u);
    asked.clear();
    nav->Navigate(vnbLast);
    nav->Navigate(vnbPrior);  // disabled on the first record, still asked
    EXPECT_EQ(asked, (std::vector<TVNavigateBtn>{vnbLast, vnbPrior}));
    EXPECT_EQ(table->RecNo(), 1);

    allow = true;
    ClickButton(vnbNext);
    EXPECT_EQ(table->RecNo(), 2);

    // Disabled controls and a missing data source end the dispatch before asking.
    asked.clear();
    table->DisableControls();
    nav->Navigate(vnbNext);
    table->EnableControls();
    nav->SetDataSource(nullptr);
    nav->Navigate(vnbNext);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(table->RecNo(), 2);
}

TEST_F(ActionsTest, DeleteOnAControlGridLetsTheGridAsk)
{
    auto* grid = new TDBCtrlGrid(form);
    grid->SetParent(form);
    grid->SetBounds(10, 100, 300, 150);
    grid->SetDataSource(source);
    auto* edit = new TDBEdit(form);
    edit->SetParent(grid->Panel());
    edit->SetDataSource(source);
    edit->SetDataField("name");
    std::vector<std::string> asked;
    Application->OnMessageBox = [&](TCustomForm*, const std::string& Text, const std::string&, std::uint32_t) {
        asked.push_back(Text);
    };
    table->Next();

    // A control on the grid's panel: the grid asks its own question and deletes on Yes.
    nav->CurrentControl = edit;
    input.Key('N');
    nav->Navigate(vnbDelete);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0], "Record will be deleted. Continue?");
    EXPECT_EQ(Row(2), "2|item2|20|2000-01-02|10:00:00|<null>");
    input.Key('Y');
    nav->Navigate(vnbDelete);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(Row(2), "");

    // The grid itself, with the navigator's own confirmation first.
    nav->CurrentControl = grid;
    nav->SetConfirmDelete(true);
    input.Key('Y').Key('Y');
    nav->Navigate(vnbDelete);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[2], "Record will be deleted. Continue?");
    EXPECT_EQ(asked[3], asked[0]);
    EXPECT_EQ(Row(3), "");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM items"), "23");
}

}  // namespace
