// The find engine's test run inside the engine over a text field: the first match in
// cursor order whatever the row id order, blobs and folded letters as the field shows
// them, and the same record as the record-by-record walk finds.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "korin/platform/db/DB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/search/Dbsearch.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

class EngineScanTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Path = Dir.File("escan.db");
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TTable* Table = nullptr;
    TCustomdbSearch* Search = nullptr;
    std::vector<std::string> Events;

    void SetUp() override
    {
        Raw("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20), notes MEMO);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO t SELECT i, 'r' || i, 'note ' || i FROM n;");
        Table = new TTable(Owner.get());
        Table->SetDatabaseName(Path);
        Table->SetTableName("t");
        auto* source = new TDataSource(Owner.get());
        source->SetDataSet(Table);
        Search = new TCustomdbSearch(Owner.get());
        Search->SetMultiCharPattern("*");
        Search->SetSingleCharPattern('%');
        Search->SetDataSource(source);
        Table->AfterScroll = [this](TDataSet* d) { Events.push_back("scroll:" + std::to_string(d->RecNo())); };
    }
    void Raw(const std::string& sql)
    {
        sqlite3* db = nullptr;
        sqlite3_open(Path.c_str(), &db);
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    void Find(const std::string& text, bool next = false, bool caseSensitive = true)
    {
        TLocateInfo i;
        i.LocateField = "name";
        i.LocateText = text;
        i.CaseSensitive = caseSensitive;
        i.ExactMatch = false;
        i.FindNext = next;
        Events.clear();
        Search->DoLocate(i);
    }
    int Id() const { return static_cast<int>(Table->FieldByName("id")->AsInteger()); }
};

TEST_F(EngineScanTest, TheFirstMatchInCursorOrderWinsInANameOrder)
{
    // In row id order id 5 comes first; ordered by name, 'a-target' (id 2900) does.
    Raw("UPDATE t SET name = 'b-target' WHERE id = 5; UPDATE t SET name = 'a-target' WHERE id = 2900;");
    Table->SetIndexFieldNames("name");
    Table->Open();
    Find("*target");
    EXPECT_EQ(Id(), 2900);
    EXPECT_EQ(Events, (std::vector<std::string>{"scroll:1"}));
    Find("*target", true);
    EXPECT_EQ(Id(), 5);
    EXPECT_EQ(Events, (std::vector<std::string>{"scroll:2"}));
    EXPECT_THROW(Find("*target", true), EDBSearchPatternNotFound);
    EXPECT_EQ(Id(), 5);

    // The same searches in row id order.
    Table->SetIndexFieldNames("");
    Table->First();
    Find("*target");
    EXPECT_EQ(Id(), 5);
    Find("*target", true);
    EXPECT_EQ(Id(), 2900);
}

TEST_F(EngineScanTest, BlobsFoldedLettersAndNullsAreTestedAsTheFieldShowsThem)
{
    // A blob in the text column ('target-b' as bytes), a Cyrillic name in capitals, a Null.
    Raw("UPDATE t SET name = x'7461726765742d62' WHERE id = 1500;"
        "UPDATE t SET name = 'ЗАПИСЬ 7' WHERE id = 2200;"
        "UPDATE t SET name = NULL WHERE id = 10;");
    Table->Open();
    Find("target*");
    EXPECT_EQ(Id(), 1500);
    Find("запись*", false, false);
    EXPECT_EQ(Id(), 2200);
    EXPECT_THROW(Find("запись*", false, true), EDBSearchPatternNotFound);
    // The Null is an empty text: '*' finds it, a pattern of one character or more passes it.
    Table->SetRecNo(9);
    Find("*", true);
    EXPECT_EQ(Id(), 10);
    Table->SetRecNo(9);
    Find("r%*", true);
    EXPECT_EQ(Id(), 11);

    // The record-by-record walk (the dataset in edit state) finds the same records.
    Table->SetRecNo(1);
    Table->Edit();
    Find("target*");
    EXPECT_EQ(Id(), 1500);
}

}  // namespace
