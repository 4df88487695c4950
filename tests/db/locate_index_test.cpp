// Locate answered through an index gives the record the scan gives: the same seeded,
// random data in two files, one with indexes (by name, by name without case, on
// upper(name), on a NOCASE column) and one without, searched with every option in
// several orders and with a filter.
#include <sqlite3.h>

#include <random>

#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

// Counts the statements a connection runs that read Locate candidates from an index
// (the unordered candidate query) and those that scan in cursor order.
struct TStatementCounter {
    int Candidates = 0;
    int Scans = 0;
    static int Trace(unsigned, void* ctx, void* stmt, void*)
    {
        auto* self = static_cast<TStatementCounter*>(ctx);
        std::string sql = sqlite3_sql(static_cast<sqlite3_stmt*>(stmt));
        if (sql.find("korin_match") == std::string::npos || sql.rfind("EXPLAIN", 0) == 0)
            return 0;
        if (sql.find("LIMIT 1") != std::string::npos)
            ++self->Scans;
        else
            ++self->Candidates;
        return 0;
    }
};

class LocateIndexTest : public ::testing::Test {
protected:
    TTempDir Dir;
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    std::vector<std::string> Names;

    void SetUp() override
    {
        // Pieces that fold case in different ways: ASCII letters, Latin-1 and Cyrillic
        // letters (folded by Locate, not by the engine), ÿ whose capital lies outside
        // Latin-1, and characters that sort between the cases.
        static const char* const pieces[] = {"a", "A", "b", "B", "z", "Z", "é", "É", "я", "Я", "ÿ", "Ÿ", "_", "[", "1", " ", "`"};
        std::mt19937 rng(20261206);
        std::string sql = "BEGIN; CREATE TABLE words (id INTEGER PRIMARY KEY, name VARCHAR(20), "
                          "nname VARCHAR(20) COLLATE NOCASE, qty INTEGER);";
        for (int i = 1; i <= 400; ++i) {
            std::string name;
            int len = static_cast<int>(rng() % 5);
            for (int k = 0; k < len; ++k)
                name += pieces[rng() % std::size(pieces)];
            bool null = rng() % 23 == 0;
            Names.push_back(name);
            std::string v = null ? "NULL" : "'" + name + "'";
            sql += "INSERT INTO words VALUES (" + std::to_string(i * 7 % 401) + ", " + v + ", " + v + ", " +
                   std::to_string(rng() % 9) + ");";
        }
        sql += "COMMIT;";
        TRawDb(Dir.File("plain.db")).Exec(sql);
        TRawDb indexed(Dir.File("indexed.db"));
        indexed.Exec(sql);
        indexed.Exec("CREATE INDEX w_name ON words(name); CREATE INDEX w_name_nocase ON words(name COLLATE NOCASE);"
                     "CREATE INDEX w_upper ON words(upper(name)); CREATE INDEX w_nname ON words(nname);");
    }
    void TearDown() override { Owner.reset(); }

    TTable* Open(const std::string& file)
    {
        auto* t = new TTable(Owner.get());
        t->SetDatabaseName(Dir.File(file));
        t->SetTableName("words");
        t->Open();
        return t;
    }

    // A key as a user might type it: the beginning of a stored name with the case of
    // ASCII letters changed here and there, or a text of its own.
    std::string RandomKey(std::mt19937& rng)
    {
        std::string k = Names[rng() % Names.size()];
        k.resize(std::min<size_t>(k.size(), rng() % 4));
        for (char& c : k)
            if (rng() % 2 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
                c = static_cast<char>(c ^ 0x20);
        if (rng() % 5 == 0)
            k += "zZ";
        return k;
    }
};

}  // namespace

TEST_F(LocateIndexTest, IndexedAndScannedLocateFindTheSameRecord)
{
    TTable* plain = Open("plain.db");
    TTable* indexed = Open("indexed.db");
    TStatementCounter counter;
    sqlite3_trace_v2(indexed->Database()->Handle(), SQLITE_TRACE_STMT, &TStatementCounter::Trace, &counter);

    std::mt19937 rng(7);
    const TLocateOptions options[] = {0, loCaseInsensitive, loPartialKey, loCaseInsensitive | loPartialKey};
    const char* const orders[] = {"", "name", "nname", "qty;name"};
    int found = 0, compared = 0;
    for (const char* order : orders) {
        for (bool filtered : {false, true}) {
            for (TTable* t : {plain, indexed}) {
                t->SetIndexFieldNames(order);
                t->SetFilter("qty <> 4");
                t->SetFiltered(filtered);
            }
            for (int round = 0; round < 40; ++round) {
                std::string key = RandomKey(rng);
                for (const char* field : {"name", "nname"}) {
                    for (TLocateOptions o : options) {
                        plain->First();
                        indexed->First();
                        bool a = plain->Locate(field, Variant(key), o);
                        bool b = indexed->Locate(field, Variant(key), o);
                        ASSERT_EQ(a, b) << field << " '" << key << "' options " << o << " order " << order;
                        EXPECT_EQ(plain->RecNo(), indexed->RecNo()) << field << " '" << key << "' options " << o;
                        EXPECT_EQ(plain->FieldByName("id")->AsInteger(), indexed->FieldByName("id")->AsInteger());
                        found += a;
                        ++compared;
                    }
                }
            }
        }
    }
    sqlite3_trace_v2(indexed->Database()->Handle(), 0, nullptr, nullptr);
    EXPECT_EQ(compared, 4 * 2 * 40 * 2 * 4);
    // Both outcomes and both ways of answering took part.
    EXPECT_GT(found, compared / 4);
    EXPECT_LT(found, compared);
    EXPECT_GT(counter.Candidates, 300);
    EXPECT_GT(counter.Scans, 100);
}

TEST_F(LocateIndexTest, TheFirstCandidateInCursorOrderWins)
{
    // Several records share a prefix; the keyset order (by qty, then name) differs from
    // the index order, and the record chosen is the first in the keyset.
    TRawDb raw(Dir.File("indexed.db"));
    raw.Exec("DELETE FROM words; INSERT INTO words VALUES (10, 'abc', 'abc', 5), (11, 'ABD', 'ABD', 2), "
             "(12, 'Abe', 'Abe', 9), (13, 'ab', 'ab', 2), (14, 'xab', 'xab', 1);");
    TTable* t = Open("indexed.db");
    t->SetIndexFieldNames("qty;name");
    EXPECT_TRUE(t->Locate("name", Variant("AB"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 11);
    EXPECT_TRUE(t->Locate("name", Variant("ab"), loPartialKey));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 13);
    EXPECT_TRUE(t->Locate("nname", Variant("ABE"), loCaseInsensitive));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 12);
    EXPECT_FALSE(t->Locate("name", Variant("aB"), loPartialKey));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 12);  // a miss leaves the cursor alone
    t->SetIndexFieldNames("name");
    EXPECT_TRUE(t->Locate("name", Variant("aB"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 11);  // 'ABD' < 'Abe' < 'ab' < 'abc' in byte order
    // A record another connection deleted is passed over for the next candidate.
    raw.Exec("DELETE FROM words WHERE id = 11");
    EXPECT_TRUE(t->Locate("name", Variant("AB"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 12);
}
