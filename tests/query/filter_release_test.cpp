// Releasing the navigator's filter comes back to the record that was current: the very
// record when records are reached through row ids, also among records of equal values,
// with the whole table read again when the database changed meanwhile.
#include <gtest/gtest.h>

#include <string>

#include "tests/query/QueryFixture.h"

using namespace korin;

namespace {

class FilterReleaseTest : public QueryTest {
protected:
    TTable* Items = nullptr;
    TRecordingLink Link;

    void SetUp() override
    {
        QueryTest::SetUp();
        // No column tells the equal records apart; row ids 1..12 in insertion order.
        std::string sql = "BEGIN; CREATE TABLE ITEMS (Name VARCHAR(10), Qty INTEGER);";
        const char* const names[] = {"a", "b", "a", "c", "a", "b", "a", "c", "a", "b", "a", "c"};
        for (int i = 0; i < 12; ++i)
            sql += std::string("INSERT INTO ITEMS VALUES ('") + names[i] + "', " + (names[i][0] == 'a' ? "1" : "2") + ");";
        Raw->Exec(sql + "COMMIT;");
        Items = OpenTable("ITEMS");
        Source->SetDataSet(Items);
        // The first filter comes through the filter box (Enter takes the text shown);
        // later ones on the same data source go without it.
        Nav->SetFilterText("Qty = 1");
        input.Key(VK_RETURN);
        Nav->ApplyFilter(nfaApply);
        Nav->ApplyFilter(nfaRelease);
        Link.SetDataSource(Source);
    }
    void TearDown() override
    {
        Link.SetDataSource(nullptr);
        QueryTest::TearDown();
    }
    std::int64_t RowId() { return Items->GetBookmark().Key; }
    // The Qty of every record, in cursor order.
    std::string Qtys()
    {
        std::string out;
        for (int r = 1; r <= Items->RecordCount(); ++r)
            out += std::to_string(Items->ValueAt(r, Items->FieldByName("Qty")).AsInteger());
        return out;
    }
};

}  // namespace

TEST_F(FilterReleaseTest, ComesBackToTheVeryRecordAmongEqualRecords)
{
    Nav->ApplyFilter(nfaApply);
    ASSERT_TRUE(Nav->FilterActive());
    ASSERT_EQ(Items->RecordCount(), 6);  // row ids 1 3 5 7 9 11, all ('a', 1)
    Items->MoveBy(3);
    ASSERT_EQ(RowId(), 7);
    Link.Take();
    Nav->ApplyFilter(nfaRelease);
    EXPECT_FALSE(Items->Filtered());
    EXPECT_EQ(Items->RecordCount(), 12);
    EXPECT_EQ(RowId(), 7);
    EXPECT_EQ(Items->RecNo(), 7);
    EXPECT_FALSE(Items->BOF());
    EXPECT_FALSE(Items->EOF());
    // The filter goes (the first record), then the record comes back.
    EXPECT_EQ(Link.Take(), "Changed Changed");

    // In another order: names, then row ids.
    Items->SetIndexFieldNames("Name");
    Nav->ApplyFilter(nfaApply);
    Items->Last();
    ASSERT_EQ(RowId(), 11);
    Nav->ApplyFilter(nfaRelease);
    EXPECT_EQ(RowId(), 11);
    EXPECT_EQ(Items->RecNo(), 6);  // the sixth 'a'
}

TEST_F(FilterReleaseTest, ReadsTheTableAgainWhenTheDatabaseChangedMeanwhile)
{
    Nav->ApplyFilter(nfaApply);
    Items->MoveBy(2);
    ASSERT_EQ(RowId(), 5);
    // Another connection deletes a record and adds one; the released table shows both.
    Raw->Exec("DELETE FROM ITEMS WHERE rowid = 2; INSERT INTO ITEMS VALUES ('d', 3);");
    Nav->ApplyFilter(nfaRelease);
    EXPECT_EQ(Items->RecordCount(), 12);
    EXPECT_EQ(RowId(), 5);
    EXPECT_EQ(Items->RecNo(), 4);
    EXPECT_EQ(Qtys(), "112121212123");

    // A record written through the same connection while filtered shows as well.
    Nav->ApplyFilter(nfaApply);
    Items->Database()->Execute("INSERT INTO ITEMS VALUES ('e', 4)");
    Items->First();
    ASSERT_EQ(RowId(), 1);
    Nav->ApplyFilter(nfaRelease);
    EXPECT_EQ(Items->RecordCount(), 13);
    EXPECT_EQ(RowId(), 1);
    EXPECT_EQ(Qtys(), "1121212121234");

    // Nothing changed: the same records, the same place.
    Nav->ApplyFilter(nfaApply);
    Items->Last();
    Nav->ApplyFilter(nfaRelease);
    EXPECT_EQ(Items->RecordCount(), 13);
    EXPECT_EQ(RowId(), 11);
    EXPECT_EQ(Qtys(), "1121212121234");
}

TEST_F(FilterReleaseTest, ARecordGoneMeanwhileIsLookedForByItsValues)
{
    Nav->ApplyFilter(nfaApply);
    Items->MoveBy(4);
    ASSERT_EQ(RowId(), 9);
    // Gone: the first record of equal values stands for it, as a search by values finds.
    Raw->Exec("DELETE FROM ITEMS WHERE rowid = 9");
    Nav->ApplyFilter(nfaRelease);
    EXPECT_EQ(Items->RecordCount(), 11);
    EXPECT_EQ(RowId(), 1);

    // Gone with no record of its values left: the released table stays on its first record.
    Nav->SetFilterText("Name = 'b'");
    Nav->ApplyFilter(nfaApply);
    ASSERT_EQ(Items->RecordCount(), 3);
    Items->Last();
    ASSERT_EQ(RowId(), 10);
    Raw->Exec("DELETE FROM ITEMS WHERE Name = 'b'");
    Nav->ApplyFilter(nfaRelease);
    EXPECT_EQ(Items->RecordCount(), 8);
    EXPECT_EQ(Items->RecNo(), 1);
    EXPECT_TRUE(Items->BOF());
}
