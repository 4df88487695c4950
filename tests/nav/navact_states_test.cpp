// Which buttons are enabled for each dataset state and position, as the data link reports
// changes; PASTE RECORD's memory; FIND NEXT following FindActive.
#include "tests/nav/NavActFixture.h"

using namespace korin;

namespace {

class StatesTest : public NavActTest {
protected:
    // The set the buttons themselves show, checked against EnabledButtons.
    TVButtonSet Shown()
    {
        TVButtonSet s;
        for (TVNavigateBtn b : AllNavButtons())
            if (nav->Buttons(b)->Enabled())
                s.Include(b);
        EXPECT_EQ(s, nav->EnabledButtons());
        return s;
    }
    const TVButtonSet Back = {vnbFirst, vnbPriorPage, vnbPrior};
    const TVButtonSet Forward = {vnbNext, vnbNextPage, vnbLast};
    const TVButtonSet Moves = Back + Forward;
    const TVButtonSet Changes = {vnbInsert, vnbDelete, vnbEdit};
    // FIND NEXT is on only while a find is active.
    const TVButtonSet Browse = NavBrowseButtons - vnbFindNext;
};

TEST_F(StatesTest, BrowseFollowsThePosition)
{
    table->MoveBy(4);  // record 5 of 25
    EXPECT_EQ(Shown(), Browse);
    nav->SetFindActive(true);
    nav->AdjustButtonStates();
    EXPECT_EQ(Shown().Mask(), 6809599u);
    nav->SetFindActive(false);
    table->First();
    EXPECT_EQ(Shown(), Browse - Back);
    EXPECT_TRUE(nav->Buttons(vnbNext)->Enabled());
    table->Last();
    EXPECT_EQ(Shown(), Browse - Forward);
    table->Prior();
    EXPECT_EQ(Shown(), Browse);

    // A one-record table: none of the six moving buttons.
    UseDataSet(OpenTable("single"));
    EXPECT_EQ(Shown(), Browse - Moves);
    // An empty one: no DELETE either, but INSERT.
    UseDataSet(OpenTable("empty"));
    EXPECT_EQ(Shown(), Browse - Moves - vnbDelete);
    EXPECT_TRUE(nav->Buttons(vnbInsert)->Enabled());
}

TEST_F(StatesTest, EditInsertAndSetKey)
{
    table->MoveBy(4);
    table->Edit();
    EXPECT_EQ(Shown().Mask(), 24656639u);  // no FIND NEXT in the edit set
    table->Cancel();
    EXPECT_EQ(Shown(), Browse);

    // Inserting: RecNo is -1, so FIRST, PRIOR PAGE and PRIOR are off.
    table->Insert();
    ASSERT_EQ(table->RecNo(), -1);
    TVButtonSet ins = Shown();
    EXPECT_EQ(ins, NavEditButtons - Back);
    for (TVNavigateBtn b : {vnbPost, vnbCancel, vnbDittoCopyField, vnbDittoCopyRecord, vnbDateTime})
        EXPECT_TRUE(ins.Contains(b)) << Ord(b);
    for (TVNavigateBtn b : {vnbInsert, vnbEdit, vnbFilter, vnbQuery, vnbFind})
        EXPECT_FALSE(ins.Contains(b)) << Ord(b);
    table->Cancel();

    // Setting a key leaves everything off, except what FindActive and a remembered copy
    // keep on.
    nav->Navigate(vnbCopyRec);
    nav->SetFindActive(true);
    table->SetKey();
    ASSERT_EQ(table->State(), dsSetKey);
    EXPECT_EQ(Shown(), (TVButtonSet{vnbFindNext, vnbPasteRec}));
    table->Cancel();
    EXPECT_EQ(Shown(), NavBrowseButtons + vnbPasteRec);
}

TEST_F(StatesTest, ReadOnlyInactiveDisabledAndWithoutSource)
{
    TTable* ro = new TTable(form);
    ro->SetDatabaseName(Path);
    ro->SetTableName("items");
    ro->SetReadOnly(true);
    ro->Open();
    ro->MoveBy(3);
    UseDataSet(ro);
    EXPECT_EQ(Shown(), Browse - Changes);
    EXPECT_FALSE(nav->Buttons(vnbPost)->Enabled());
    EXPECT_FALSE(nav->Buttons(vnbCancel)->Enabled());

    ro->Close();
    EXPECT_TRUE(Shown().Empty());

    UseDataSet(table);
    EXPECT_EQ(Shown(), Browse - Back);
    // A disabled navigator hears of it with the next notification.
    nav->SetEnabled(false);
    EXPECT_FALSE(Shown().Empty());
    table->Next();
    EXPECT_TRUE(Shown().Empty());
    nav->SetEnabled(true);
    table->Next();
    EXPECT_EQ(Shown(), Browse);

    nav->SetDataSource(nullptr);
    nav->AdjustButtonStates();
    EXPECT_TRUE(Shown().Empty());
}

TEST_F(StatesTest, FindNextFollowsFindActiveInEveryState)
{
    table->MoveBy(2);
    nav->SetFindActive(true);
    table->Edit();
    EXPECT_TRUE(nav->Buttons(vnbFindNext)->Enabled());  // not in the edit set, yet on
    table->Cancel();
    EXPECT_TRUE(nav->Buttons(vnbFindNext)->Enabled());
    nav->ResetFind();
    EXPECT_FALSE(nav->FindActive());
    EXPECT_EQ(Shown(), Browse);
    table->Next();
    EXPECT_FALSE(nav->Buttons(vnbFindNext)->Enabled());
}

TEST_F(StatesTest, PasteRecordIsRememberedAcrossScrollsAndLostWithTheDataSet)
{
    table->MoveBy(2);
    EXPECT_FALSE(nav->Buttons(vnbPasteRec)->Enabled());
    ClickButton(vnbCopyRec);
    EXPECT_EQ(nav->CopyBuffer()->GetFieldValue("name"), Variant("item3"));
    EXPECT_EQ(Shown(), Browse + vnbPasteRec);
    table->Next();
    table->Edit();
    table->Cancel();
    EXPECT_TRUE(nav->Buttons(vnbPasteRec)->Enabled());

    table->Close();
    EXPECT_FALSE(nav->Buttons(vnbPasteRec)->Enabled());
    table->Open();
    EXPECT_FALSE(nav->Buttons(vnbPasteRec)->Enabled());
    EXPECT_EQ(nav->CopyBuffer()->Count(), 6);  // the buffer itself is kept

    // A new data source drops the copy.
    nav->Navigate(vnbCopyRec);
    EXPECT_TRUE(nav->Buttons(vnbPasteRec)->Enabled());
    nav->ClearCopyRecBuffer();
    EXPECT_EQ(nav->CopyBuffer()->Count(), 0);
    EXPECT_EQ(Shown(), Browse - Back);
}

TEST_F(StatesTest, ChangeButtonStateSwitchesOneButtonAndTheSet)
{
    nav->SetEnabledButtons(TVButtonSet{vnbFirst, vnbLast});
    nav->ChangeButtonState(vnbDateTime, true);
    EXPECT_EQ(Shown(), (TVButtonSet{vnbFirst, vnbLast, vnbDateTime}));
    nav->ChangeButtonState(vnbFirst, false);
    EXPECT_EQ(Shown(), (TVButtonSet{vnbLast, vnbDateTime}));
}

}  // namespace

TEST_F(StatesTest, PasteRecordGoesOffOnADatasetThatCannotBeModified)
{
    ClickButton(vnbCopyRec);
    EXPECT_TRUE(nav->Buttons(vnbPasteRec)->Enabled());
    TTable* ro = new TTable(form);
    ro->SetDatabaseName(Path);
    ro->SetTableName("items");
    ro->SetReadOnly(true);
    ro->Open();
    UseDataSet(ro);
    EXPECT_FALSE(nav->Buttons(vnbPasteRec)->Enabled());

    // Copied there, it is on until the next notification puts the rule in force.
    nav->Navigate(vnbCopyRec);
    EXPECT_TRUE(nav->Buttons(vnbPasteRec)->Enabled());
    ro->Next();
    EXPECT_FALSE(nav->Buttons(vnbPasteRec)->Enabled());
    EXPECT_EQ(Shown(), Browse - Changes);
}
