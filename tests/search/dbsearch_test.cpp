#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/db/DB.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Forms.h"
#include "korin/search/Dbsearch.h"
#include "korin/search/Sercheng.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

void Exec(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot open test database");
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error(msg);
}

// A table that is not exactly TTable: always searched record by record. It can be told
// to fail in the engine when a bookmark is taken.
class TMyTable : public TTable {
public:
    using TTable::TTable;
    bool FailKeys = false;

protected:
    std::int64_t InternalRecordKey(int Index) const override
    {
        if (FailKeys)
            throw EDatabaseError("key lost");
        return TTable::InternalRecordKey(Index);
    }
};

// A database that says it is reached through a server.
class TServerDatabase : public TDatabase {
public:
    using TDatabase::TDatabase;
    bool IsSQLBased() const override { return true; }
};

}  // namespace

// An application's own dataset class that happens to be called TTable.
namespace app {
class TTable : public korin::TQuery {
public:
    using TQuery::TQuery;
};
}  // namespace app

namespace {

// people: names in id order Smith, Jones, Brown, Smithers, Jones, Зоя; an index on name.
class DbSearchTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Path = Dir.File("search.db");
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TDataSource* Source = nullptr;
    TCustomdbSearch* Search = nullptr;
    // What the dataset saw while moving: the cursor and whether controls were disabled.
    std::vector<std::string> Scrolls;

    void SetUp() override
    {
        SetMultiPat("*");
        SetSinglePat('%');
        SetCursor(crDefault);
        Exec(Path, R"(
            CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(30), city VARCHAR(20), notes MEMO);
            CREATE INDEX by_name ON people(name);
            INSERT INTO people VALUES (1, 'Smith', 'Paris', 'likes tea');
            INSERT INTO people VALUES (2, 'Jones', 'Berlin', NULL);
            INSERT INTO people VALUES (3, 'Brown', 'Paris', 'x');
            INSERT INTO people VALUES (4, 'Smithers', 'Oslo', NULL);
            INSERT INTO people VALUES (5, 'Jones', 'Rome', NULL);
            INSERT INTO people VALUES (6, 'Зоя', 'Москва', NULL);
            CREATE TABLE empty (id INTEGER PRIMARY KEY, name VARCHAR(30));
        )");
        Source = new TDataSource(Owner.get());
        Search = new TCustomdbSearch(Owner.get());
    }
    void TearDown() override
    {
        Owner.reset();
        SetMultiPat("..");
        SetSinglePat('@');
    }

    template <class T = TTable>
    T* Open(const std::string& table = "people")
    {
        auto* t = new T(Owner.get());
        t->SetDatabaseName(Path);
        t->SetTableName(table);
        t->Open();
        t->AfterScroll = [this](TDataSet* d) {
            Scrolls.push_back(std::to_string(GetCursor()) + (d->ControlsDisabled() ? "/off" : "/on"));
        };
        Source->SetDataSet(t);
        Search->SetDataSource(Source);
        return t;
    }

    static TLocateInfo Info(const std::string& field, const std::string& text, bool caseSensitive = true,
                            bool exact = false)
    {
        TLocateInfo i;
        i.LocateField = field;
        i.LocateText = text;
        i.CaseSensitive = caseSensitive;
        i.ExactMatch = exact;
        return i;
    }
    TLocateInfo Next(TLocateInfo i)
    {
        i.FindNext = true;
        return i;
    }

    static int Id(TDataSet* d) { return static_cast<int>(d->FieldByName("id")->AsInteger()); }

    // The message of the exception DoLocate raises; "" when it raises none. Kind tells
    // the class: "E" EDBSearchPatternNotFound, "X" the base Exception.
    std::string Fail(const TLocateInfo& i, std::string* kind = nullptr)
    {
        try {
            Search->DoLocate(i);
        } catch (const EDBSearchPatternNotFound& e) {
            if (kind)
                *kind = "E";
            return e.Message();
        } catch (const Exception& e) {
            if (kind)
                *kind = "X";
            return e.Message();
        }
        return "";
    }
};

TEST_F(DbSearchTest, SequentialWalkFindsFirstMatchThenNextAndReturnsOnMiss)
{
    TTable* t = Open();
    t->SetRecNo(3);
    Scrolls.clear();
    Search->DoLocate(Info("name", "Smith*"));
    EXPECT_EQ(Id(t), 1);
    // The walk ran with the hourglass and disabled controls; both are back afterwards.
    ASSERT_FALSE(Scrolls.empty());
    EXPECT_EQ(Scrolls.front(), std::to_string(crHourGlass) + "/off");
    EXPECT_EQ(GetCursor(), crDefault);
    EXPECT_FALSE(t->ControlsDisabled());

    Search->DoLocate(Next(Info("name", "Smith*")));
    EXPECT_EQ(Id(t), 4);

    std::string kind;
    EXPECT_EQ(Fail(Next(Info("name", "Smith*")), &kind), "Search pattern: Smith* not found in field: name");
    EXPECT_EQ(kind, "E");
    EXPECT_EQ(Id(t), 4);  // back where the search began
    EXPECT_EQ(GetCursor(), crDefault);
    EXPECT_FALSE(t->ControlsDisabled());
    // The index was never touched: the walk keeps the table's order.
    EXPECT_EQ(t->IndexFieldNames(), "");

    // A plain text matches whole texts only; wildcards are the way to a substring.
    EXPECT_EQ(Fail(Info("name", "Smi", false)), "Search pattern: Smi not found in field: name");
    // The first 'o' binds: Oslo's capital 'O' does not count, Rome's 'o' does.
    Search->DoLocate(Info("city", "*o%e"));
    EXPECT_EQ(Id(t), 5);
}

TEST_F(DbSearchTest, FindNextOnLastRecordFailsAtOnceAndStaysThere)
{
    TTable* t = Open();
    t->Last();
    Scrolls.clear();
    EXPECT_EQ(Fail(Next(Info("name", "*"))), "Search pattern: * not found in field: name");
    EXPECT_EQ(Id(t), 6);
}

TEST_F(DbSearchTest, GotoCommandsMoveWithoutSearching)
{
    TTable* t = Open();
    t->SetRecNo(3);
    TLocateInfo i = Info("no such field", "no such text");
    i.GotoFirst = true;
    Search->DoLocate(i);
    EXPECT_EQ(Id(t), 1);
    i.GotoFirst = false;
    i.GotoLast = true;
    Search->DoLocate(i);
    EXPECT_EQ(Id(t), 6);
}

TEST_F(DbSearchTest, UnknownFieldLabelRaisesBeforeMoving)
{
    TTable* t = Open();
    t->SetRecNo(2);
    t->FieldByName("name")->SetDisplayLabel("Customer Name");
    std::string kind;
    EXPECT_EQ(Fail(Info("name", "Brown"), &kind), "VDBNAV: Search Field not in table!");
    EXPECT_EQ(kind, "E");
    EXPECT_EQ(Id(t), 2);
    // Fields are found by label, and the miss message names the field itself; a label
    // compares case-sensitively.
    EXPECT_EQ(Fail(Info("customer name", "Brown")), "VDBNAV: Search Field not in table!");
    EXPECT_EQ(Fail(Info("Customer Name", "Green", false)), "Search pattern: Green not found in field: name");
    Search->DoLocate(Info("Customer Name", "Brown"));
    EXPECT_EQ(Id(t), 3);
}

TEST_F(DbSearchTest, CaseInsensitiveSearchFoldsLatinAndCyrillic)
{
    TTable* t = Open();
    Search->DoLocate(Info("name", "SMITH", false));
    EXPECT_EQ(Id(t), 1);
    // Case-insensitive text searches walk the records (a key search compares exactly).
    EXPECT_EQ(t->IndexFieldNames(), "");
    Search->DoLocate(Info("name", "зоя", false));
    EXPECT_EQ(Id(t), 6);
    Search->DoLocate(Info("city", "мос%ва", false));
    EXPECT_EQ(Id(t), 6);
    // The message keeps the text as typed.
    EXPECT_EQ(Fail(Info("city", "PARIS", true)), "Search pattern: PARIS not found in field: city");
}

TEST_F(DbSearchTest, ExactMatchTakesWildcardsLiterally)
{
    TTable* t = Open();
    EXPECT_EQ(Fail(Info("city", "Par*", true, true)), "Search pattern: Par* not found in field: city");
    Search->DoLocate(Info("city", "Par*", true, false));
    EXPECT_EQ(Id(t), 1);
}

TEST_F(DbSearchTest, StarOnEmptyDatasetSucceedsWithoutMoving)
{
    TTable* t = Open("empty");
    Search->DoLocate(Info("name", "*"));
    EXPECT_TRUE(t->IsEmpty());
    EXPECT_EQ(Fail(Info("name", "x")), "Search pattern: x not found in field: name");
    EXPECT_EQ(Fail(Next(Info("name", "*"))), "Search pattern: * not found in field: name");
    EXPECT_EQ(GetCursor(), crDefault);
}

TEST_F(DbSearchTest, LongTextsTakePartWhole)
{
    std::string longName(300, 'a');
    Exec(Path, "INSERT INTO people VALUES (7, '" + longName + "b', 'Far', NULL);");
    TTable* t = Open();
    Search->DoLocate(Info("name", "*b"));
    EXPECT_EQ(Id(t), 7);
    Search->DoLocate(Info("name", longName + "b"));
    EXPECT_EQ(Id(t), 7);
    EXPECT_EQ(Fail(Info("name", longName, false)), "Search pattern: " + longName + " not found in field: name");
}

TEST_F(DbSearchTest, MemoMatchStopsAtLimitAndAtNul)
{
    const std::string atLimit = std::string(65277, 'a') + "XYZ";  // ends at byte 65,280
    const std::string beyond = std::string(65280, 'a') + "XYZ";
    Exec(Path, "UPDATE people SET notes = '" + beyond + "' WHERE id = 2;"
               "UPDATE people SET notes = CAST(X'6162630058595A' AS TEXT) WHERE id = 3;");
    TTable* t = Open();
    t->SetRecNo(6);
    EXPECT_EQ(Fail(Info("notes", "*XYZ")), "Search pattern: *XYZ not found in field: notes");
    EXPECT_EQ(Id(t), 6);
    Search->DoLocate(Info("notes", "abc"));  // the text before the NUL
    EXPECT_EQ(Id(t), 3);
    Search->DoLocate(Info("notes", "LIKES%TEA", false));
    EXPECT_EQ(Id(t), 1);

    Exec(Path, "UPDATE people SET notes = '" + atLimit + "' WHERE id = 5;");
    t->Close();
    t->Open();
    Search->DoLocate(Info("notes", "*XYZ"));
    EXPECT_EQ(Id(t), 5);
}

TEST_F(DbSearchTest, IndexedRouteFindsByKeyAndKeepsSearchOrder)
{
    TTable* t = Open();
    t->SetRecNo(6);
    Scrolls.clear();
    Search->DoLocate(Info("name", "Jones", true, true));
    EXPECT_EQ(Id(t), 2);
    EXPECT_EQ(t->IndexFieldNames(), "name");
    EXPECT_EQ(t->RecNo(), 2);  // Brown, Jones(2), Jones(5), Smith, Smithers, Зоя
    EXPECT_FALSE(t->ControlsDisabled());
    EXPECT_TRUE(Scrolls.empty());  // positioned by key, not walked

    // Find-next reaches the next record with the same key, then reports the end.
    Search->DoLocate(Next(Info("name", "Jones", true, true)));
    EXPECT_EQ(Id(t), 5);
    std::string kind;
    EXPECT_EQ(Fail(Next(Info("name", "Jones", true, true)), &kind), "No more matches!");
    EXPECT_EQ(kind, "X");
    EXPECT_EQ(Id(t), 5);
    EXPECT_FALSE(t->ControlsDisabled());

    EXPECT_EQ(Fail(Info("name", "Green", true, true), &kind), "No any matches!");
    EXPECT_EQ(kind, "X");
    EXPECT_EQ(Id(t), 5);
    EXPECT_EQ(t->IndexFieldNames(), "name");
}

TEST_F(DbSearchTest, IndexedFindNextRestoresFormerOrder)
{
    TTable* t = Open();
    t->SetRecNo(2);  // Jones (2) in primary-key order
    Search->DoLocate(Next(Info("name", "Jones", true)));
    EXPECT_EQ(Id(t), 5);
    EXPECT_EQ(t->IndexFieldNames(), "");  // the primary key's order again
    EXPECT_EQ(t->RecNo(), 5);
    t->SetRecNo(1);  // Smith: next in name order is Smithers, not a match
    EXPECT_EQ(Fail(Next(Info("name", "Smith", true))), "No more matches!");
    EXPECT_EQ(Id(t), 1);
}

TEST_F(DbSearchTest, RouteChoice)
{
    // An integer key is compared exactly whatever the case option: indexed.
    TTable* t = Open();
    Search->DoLocate(Info("id", "4", false));
    EXPECT_EQ(t->IndexFieldNames(), "id");
    EXPECT_EQ(Id(t), 4);
    EXPECT_EQ(Fail(Info("id", "99", false)), "No any matches!");

    // A field that leads no index, and a wildcard pattern, are walked.
    t->SetIndexFieldNames("");
    Search->DoLocate(Info("city", "Oslo", true, true));
    EXPECT_EQ(t->IndexFieldNames(), "");
    Search->DoLocate(Info("name", "Jo*", true));
    EXPECT_EQ(t->IndexFieldNames(), "");
    EXPECT_EQ(Id(t), 2);
    // With ExactMatch the wildcard is a plain character: indexed again.
    EXPECT_EQ(Fail(Info("name", "Jo*", true, true)), "No any matches!");
}

TEST_F(DbSearchTest, DescendantOfTTableIsWalked)
{
    auto* t = Open<TMyTable>();
    t->SetRecNo(4);
    Search->DoLocate(Info("name", "Jones", true, true));
    EXPECT_EQ(Id(t), 2);
    EXPECT_EQ(t->IndexFieldNames(), "");
    EXPECT_FALSE(Scrolls.empty());
    EXPECT_EQ(Fail(Info("name", "Green", true, true)), "Search pattern: Green not found in field: name");
}

TEST_F(DbSearchTest, QueriesAreWalked)
{
    auto* q = new TQuery(Owner.get());
    q->SetDatabaseName(Path);
    q->SQL()->Add("SELECT name, city FROM people ORDER BY name DESC");
    q->Open();
    Source->SetDataSet(q);
    Search->SetDataSource(Source);
    Search->DoLocate(Info("city", "Paris", true, true));
    EXPECT_EQ(q->FieldByName("name")->AsString(), "Smith");
}

TEST_F(DbSearchTest, LocateNextRepeatsTheLastSearchOnly)
{
    TTable* t = Open();
    Search->LocateInfo() = Info("name", "Smith*");
    Search->DoLocate(Search->LocateInfo());
    EXPECT_EQ(Id(t), 1);
    // A go-to command left in the locate information is not replayed by a find-next.
    Search->LocateInfo().GotoFirst = true;
    Search->LocateNext();
    EXPECT_EQ(Id(t), 4);
    EXPECT_TRUE(Search->LocateInfo().FindNext);
    EXPECT_FALSE(Search->LocateInfo().GotoFirst);
    EXPECT_THROW(Search->LocateNext(), EDBSearchPatternNotFound);
    EXPECT_EQ(Id(t), 4);
}

TEST_F(DbSearchTest, PropertiesAndOneShotFlags)
{
    EXPECT_FALSE(Search->LocateInfo().CaseSensitive);
    EXPECT_FALSE(Search->LocateInfo().ExactMatch);
    Search->SetSearchField("name");
    EXPECT_EQ(Search->LocateInfo().LocateField, "name");

    // Setting a data source clears the one-shot commands and nothing else.
    Search->LocateInfo().GotoLast = true;
    Search->LocateInfo().FindNext = true;
    Search->SetDataSource(Source);
    EXPECT_FALSE(Search->LocateInfo().GotoLast);
    EXPECT_FALSE(Search->LocateInfo().FindNext);
    EXPECT_EQ(Search->SearchField(), "name");

    // A freed data source is forgotten; searching without one is refused.
    Source->Free();
    Source = nullptr;
    EXPECT_EQ(Search->DataSource(), nullptr);
    EXPECT_THROW(Search->DoLocate(Info("name", "x")), EDBSearchPatternNotFound);

    TStringList fields;
    fields.Add("name");
    fields.Add("city");
    Search->SetSearchFields(&fields);
    fields.Clear();
    EXPECT_EQ(Search->SearchFields()->CommaText(), "name,city");

    // The wildcards are shared by every search object.
    TOwned<TCustomdbSearch> other(new TCustomdbSearch(nullptr));
    other->SetMultiCharPattern("##");
    other->SetSingleCharPattern('?');
    EXPECT_EQ(Search->MultiCharPattern(), "##");
    EXPECT_EQ(Search->SingleCharPattern(), '?');
    EXPECT_EQ(GetMultiPat(), "##");
    Search->SetMultiCharPattern("");  // refused
    EXPECT_EQ(other->MultiCharPattern(), "##");
    Search->SetMultiCharPattern("abcdefg");
    EXPECT_EQ(other->MultiCharPattern(), "abcde");

    // Form files always carry both wildcards, and reading them sets the shared ones.
    Search->SetMultiCharPattern("*");
    Search->SetSingleCharPattern('%');
    Search->SetName("FindOptions");
    EXPECT_EQ(WriteComponentText(Search),
              "object FindOptions: TCustomdbSearch\n  MultiCharPattern = '*'\n  SingleCharPattern = '%'\nend\n");
    ReadComponentText("object FindOptions: TCustomdbSearch\n  MultiCharPattern = '..'\n  SingleCharPattern = '@'\nend\n",
                      other.get());
    EXPECT_EQ(GetMultiPat(), "..");
    EXPECT_EQ(GetSinglePat(), '@');
    EXPECT_THROW(ReadComponentText("object F: TCustomdbSearch\n  SingleCharPattern = 'ab'\nend\n", other.get()),
                 EReadError);
    EXPECT_EQ(GetSinglePat(), '@');
}

}  // namespace

TEST_F(DbSearchTest, ADatasetOfAnotherClassNamedTTableIsWalked)
{
    auto* q = new app::TTable(Owner.get());
    EXPECT_EQ(q->ClassName(), "TTable");
    q->SetDatabaseName(Path);
    q->SQL()->Add("SELECT id, name FROM people ORDER BY id DESC");
    q->Open();
    q->AfterScroll = [this](TDataSet*) { Scrolls.push_back("scroll"); };
    Source->SetDataSet(q);
    Search->SetDataSource(Source);
    Search->DoLocate(Info("name", "Jones", true, true));
    EXPECT_EQ(Id(q), 5);
    EXPECT_FALSE(Scrolls.empty());
}

TEST_F(DbSearchTest, WalkPutsCursorAndControlsBackWhenTheBookmarkFails)
{
    // Taking the bookmark fails.
    auto* t = Open<TMyTable>();
    t->SetRecNo(3);
    t->FailKeys = true;
    EXPECT_EQ(Fail(Info("name", "Jones")), "key lost");
    t->FailKeys = false;
    EXPECT_EQ(GetCursor(), crDefault);
    EXPECT_FALSE(t->ControlsDisabled());

    // Going back to it fails (the walk ended at the end of the table).
    t->BeforeScroll = [](TDataSet* d) {
        if (d->EOF())
            throw EDatabaseError("cannot go back");
    };
    EXPECT_EQ(Fail(Info("name", "Nobody*")), "cannot go back");
    EXPECT_EQ(GetCursor(), crDefault);
    EXPECT_FALSE(t->ControlsDisabled());

    // An error of the walk itself, then one going back: the walk's error passes.
    t->BeforeScroll = nullptr;
    t->SetRecNo(2);
    t->BeforeScroll = [](TDataSet* d) { throw EDatabaseError(d->EOF() ? "cannot go back" : "walk failed"); };
    EXPECT_EQ(Fail(Info("name", "Nobody*")), "walk failed");
    EXPECT_EQ(GetCursor(), crDefault);
    EXPECT_FALSE(t->ControlsDisabled());
}

TEST_F(DbSearchTest, IndexedFindNextPutsBackANamedIndexOrFieldOrder)
{
    Exec(Path, "CREATE INDEX by_city ON people(city);");
    TTable* t = Open();
    // By city: Berlin (Jones 2), Oslo, Paris, Paris, Rome (Jones 5), Москва.
    t->SetIndexName("by_city");
    t->First();
    ASSERT_EQ(Id(t), 2);
    Search->DoLocate(Next(Info("name", "Jones", true, true)));
    EXPECT_EQ(Id(t), 5);
    EXPECT_EQ(t->IndexName(), "by_city");
    EXPECT_EQ(t->IndexFieldNames(), "");
    EXPECT_EQ(t->RecNo(), 5);
    EXPECT_EQ(Fail(Next(Info("name", "Jones", true, true))), "No more matches!");
    EXPECT_EQ(t->IndexName(), "by_city");
    EXPECT_EQ(Id(t), 5);

    t->SetIndexFieldNames("city");
    t->First();
    Search->DoLocate(Next(Info("name", "Jones", true, true)));
    EXPECT_EQ(Id(t), 5);
    EXPECT_EQ(t->IndexFieldNames(), "city");
    EXPECT_EQ(t->RecNo(), 5);
}

TEST_F(DbSearchTest, AServerDatabaseIsWalked)
{
    auto* db = new TServerDatabase(Owner.get());
    db->SetDatabaseName(Path);
    TTable* t = Open();
    ASSERT_EQ(t->Database(), db);
    t->Last();
    Scrolls.clear();
    Search->DoLocate(Info("name", "Jones", true, true));
    EXPECT_EQ(Id(t), 2);
    EXPECT_EQ(t->IndexFieldNames(), "");
    EXPECT_FALSE(Scrolls.empty());
    EXPECT_EQ(Fail(Info("name", "Green", true, true)), "Search pattern: Green not found in field: name");
}
