// The find engine's sequential route on a database dataset reads the searched field a
// page at a time and moves once: matches on page boundaries, find-next across pages,
// memos, records read before, and a miss.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "korin/platform/db/DB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/search/Dbsearch.h"
#include "korin/search/Sercheng.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

// 2,100 records: pages of the walk end after records 64, 128, 256, 512, 1024, 2048 and
// jumps read pages of 64 from multiples of 64. Names are "r<id>".
class SearchScanTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Path = Dir.File("scan.db");
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TCustomdbSearch* Search = nullptr;
    std::vector<std::string> Events;

    void SetUp() override
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Path.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db,
                     "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20), notes MEMO, born DATE);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2100) "
                     "INSERT INTO t SELECT i, 'r' || i, 'x', date('2000-01-01', '+' || i || ' days') "
                     "FROM n;",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        Table = new TTable(Owner.get());
        Table->SetDatabaseName(Path);
        Table->SetTableName("t");
        Table->Open();
        Source = new TDataSource(Owner.get());
        Source->SetDataSet(Table);
        Search = new TCustomdbSearch(Owner.get());
        Search->SetMultiCharPattern("*");
        Search->SetSingleCharPattern('%');
        Search->SetDataSource(Source);
        Table->AfterScroll = [this](TDataSet* d) { Events.push_back("scroll:" + std::to_string(d->RecNo())); };
    }
    void Raw(const std::string& sql)
    {
        sqlite3* db = nullptr;
        sqlite3_open(Path.c_str(), &db);
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    static TLocateInfo Info(const std::string& field, const std::string& text, bool next = false)
    {
        TLocateInfo i;
        i.LocateField = field;
        i.LocateText = text;
        i.CaseSensitive = true;
        i.ExactMatch = false;
        i.FindNext = next;
        return i;
    }
    int Id() const { return static_cast<int>(Table->FieldByName("id")->AsInteger()); }
};

}  // namespace

TEST_F(SearchScanTest, AnOnlyMatchOnAPageBoundaryIsFoundAndTheCursorMovesOnce)
{
    for (int id : {64, 65, 128, 129, 1024, 1025, 2048, 2049, 2100, 1}) {
        Raw("UPDATE t SET name = 'r' || id; UPDATE t SET name = 'target' WHERE id = " + std::to_string(id));
        Table->Refresh();
        Table->SetRecNo(1);
        Events.clear();
        Search->DoLocate(Info("name", "tar*"));
        EXPECT_EQ(Id(), id);
        ASSERT_EQ(Events.size(), 1u) << id;
        EXPECT_EQ(Events[0], "scroll:" + std::to_string(id));
        EXPECT_FALSE(Table->EOF());
        EXPECT_EQ(Table->BOF(), id == 1);
    }
}

TEST_F(SearchScanTest, FindNextCrossesPagesAndAMissGoesBack)
{
    Raw("UPDATE t SET name = 'target' WHERE id IN (1024, 1025, 2049)");
    Table->Refresh();
    Table->SetRecNo(1030);
    Search->DoLocate(Info("name", "tar*"));
    EXPECT_EQ(Id(), 1024);
    Search->DoLocate(Info("name", "tar*", true));
    EXPECT_EQ(Id(), 1025);
    Search->DoLocate(Info("name", "tar*", true));
    EXPECT_EQ(Id(), 2049);
    try {
        Search->DoLocate(Info("name", "tar*", true));
        ADD_FAILURE() << "found a fourth";
    } catch (const EDBSearchPatternNotFound& e) {
        EXPECT_STREQ(e.what(), "Search pattern: tar* not found in field: name");
    }
    EXPECT_EQ(Id(), 2049);
    Table->Last();
    EXPECT_THROW(Search->DoLocate(Info("name", "tar*", true)), EDBSearchPatternNotFound);
    EXPECT_EQ(Id(), 2100);
}

TEST_F(SearchScanTest, MemosDatesAndRecordsReadBeforeKeepTheWalksMeaning)
{
    // A memo takes part with its first 65,280 bytes: a Q just inside counts, one just
    // outside does not.
    Raw("UPDATE t SET notes = printf('%.*c', 65279, 'x') || 'Q' WHERE id = 700;"
        "UPDATE t SET notes = printf('%.*c', 65280, 'x') || 'Q' WHERE id = 300;");
    Table->Refresh();
    Search->DoLocate(Info("notes", "*Q"));
    EXPECT_EQ(Id(), 700);
    // Dates are compared as the field shows them.
    Search->DoLocate(Info("born", "2002-*"));
    EXPECT_EQ(Id(), 731);

    // A record the cursor has read is compared as the cursor shows it, until it is read
    // again.
    Table->SetRecNo(5);
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "r5");
    Raw("UPDATE t SET name = 'changed' WHERE id IN (5, 1500)");
    Table->First();
    Search->DoLocate(Info("name", "chan*"));
    EXPECT_EQ(Id(), 1500);
    Table->Refresh();
    Search->DoLocate(Info("name", "chan*"));
    EXPECT_EQ(Id(), 5);
    // A record deleted meanwhile shows empty and matches only what an empty text does.
    Raw("DELETE FROM t WHERE id = 1800");
    Table->SetRecNo(1799);
    Search->DoLocate(Info("name", "r18*", true));
    EXPECT_EQ(Id(), 1801);
}
