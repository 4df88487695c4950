// The packed store of records read so far, values read straight from the engine, the
// text comparison's ASCII shortcut and Locate's kept statements.
#include <random>

#include "korin/platform/db/DBText.h"
#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

std::string Show(const Variant& v)
{
    return std::to_string(static_cast<int>(v.Type())) + ":" + (v.IsNullOrEmpty() ? "" : v.AsString());
}

}  // namespace

TEST(PageCacheTest, FindsForgetsReplacesAndDropsHalfRows)
{
    TPageCache c;
    c.Reset(2);
    EXPECT_EQ(c.Find(1), -1);
    // Ids in a run, ids that differ only in high bits, negative ids: 5,000 of them, so
    // the table grows several times.
    std::vector<std::int64_t> ids;
    for (std::int64_t i = 0; i < 2000; ++i)
        ids.push_back(i + 1);
    for (std::int64_t i = 0; i < 2000; ++i)
        ids.push_back((i + 1) << 20);
    for (std::int64_t i = 0; i < 1000; ++i)
        ids.push_back(-(i * 7919) - 5);
    for (std::int64_t id : ids) {
        c.Store().AppendInt(id);
        c.Store().AppendText("v", 1);
        c.Commit(id);
    }
    ASSERT_EQ(c.size(), ids.size());
    for (size_t k = 0; k < ids.size(); ++k) {
        ASSERT_EQ(c.Find(ids[k]), static_cast<std::int64_t>(k));
        ASSERT_EQ(c.Rows().Get(k, 0).AsInteger(), ids[k]);
    }
    EXPECT_EQ(c.Find(0), -1);
    EXPECT_EQ(c.Find(2001), -1);

    // Forgotten, then read again: the new values stand for the id.
    c.Erase(1 << 20);
    EXPECT_FALSE(c.Contains(1 << 20));
    EXPECT_TRUE(c.Contains(2 << 20));
    c.Store().AppendInt(42);
    c.Store().AppendText("new", 3);
    c.Commit(1 << 20);
    EXPECT_EQ(Show(c.Rows().Get(static_cast<size_t>(c.Find(1 << 20)), 1)), "5:new");

    // A row broken off by an error is dropped; the next one lines up.
    c.Store().AppendInt(7);
    c.Discard();
    c.Store().AppendNull();
    c.Store().AppendDouble(2.5);
    c.Commit(99999);
    const auto row = static_cast<size_t>(c.Find(99999));
    EXPECT_EQ(Show(c.Rows().Get(row, 0)), "1:");
    EXPECT_EQ(Show(c.Rows().Get(row, 1)), "4:2.5");

    c.clear();
    EXPECT_EQ(c.size(), 0u);
    EXPECT_EQ(c.Find(5), -1);
    EXPECT_EQ(c.Find(99999), -1);
    c.Store().AppendInt(1);
    c.Store().AppendNull();
    c.Commit(5);
    EXPECT_EQ(c.Find(5), 0);
}

TEST(PageCacheTest, AWriterAppendsWhatTheStoresOwnAppendAppends)
{
    // Rows of every kind of value, texts long enough that both buffers grow while a row
    // is written, written once by the writer and once by Append: the same values.
    TRowStore byWriter, byAppend;
    byWriter.Width = byAppend.Width = 6;
    std::vector<std::vector<Variant>> rows;
    for (int r = 0; r < 700; ++r)
        rows.push_back({Variant(r), Variant(std::string(static_cast<size_t>(r * 37 % 300), char('a' + r % 26))),
                        r % 3 ? Variant(r + 0.5) : Variant::Null(), Variant(r % 2 == 0), Variant(std::string()),
                        Variant(std::string(5000, 'x') + std::to_string(r))});
    TRowWriter out(byWriter);
    for (const auto& row : rows) {
        out.BeginRow();
        out.Int(row[0].AsInteger());
        out.Text(row[1].AsString().data(), row[1].AsString().size());
        if (row[2].IsNull())
            out.Null();
        else
            out.Double(row[2].AsFloat());
        out.Value(row[3]);
        out.Text("", 0);
        out.Text(row[5].AsString().data(), row[5].AsString().size());
        out.EndRow();
        for (const Variant& v : row)
            byAppend.Append(v);
    }
    ASSERT_EQ(byWriter.size(), rows.size());
    EXPECT_EQ(byWriter.Bytes(), byAppend.Bytes());
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < 6; ++c)
            ASSERT_EQ(Show(byWriter.Get(r, c)), Show(byAppend.Get(r, c))) << r << "," << c;

    // A row begun but not ended is not in the store; the next one takes its place.
    TRowStore s;
    s.Width = 2;
    TRowWriter w(s);
    w.BeginRow();
    w.Int(1);
    w.Text("kept", 4);
    w.EndRow();
    w.BeginRow();
    w.Int(2);
    w.Text("dropped", 7);
    EXPECT_EQ(s.size(), 1u);
    EXPECT_EQ(s.Cells(), 2u);
    w.BeginRow();
    w.Int(3);
    w.Text("next", 4);
    w.EndRow();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(Show(s.Get(0, 1)), Show(Variant("kept")));
    EXPECT_EQ(Show(s.Get(1, 0)), Show(Variant(3)));
    EXPECT_EQ(Show(s.Get(1, 1)), Show(Variant("next")));
}

TEST_F(DbTest, RecordsReadThroughPagesHoldWhatAWholeReadHolds)
{
    // Stored values that fit their declared types and values that do not; the keyset
    // table reads them in pages, the DISTINCT query (no row ids) reads them whole, each
    // converting for the field's type in its own way.
    Raw->Exec(R"(
        CREATE TABLE mixed (n INTEGER, s VARCHAR(10), f REAL, d DATE, b BOOLEAN, m MEMO, x BLOB, u);
        INSERT INTO mixed VALUES (1, 'a', 1.5, '2024-02-29', 1, 'memo', x'00ff', 'u');
        INSERT INTO mixed VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
        INSERT INTO mixed VALUES ('12x', 42, 7, 45000.5, 'yes', 3.25, 'text', 9);
        INSERT INTO mixed VALUES (3.0, 2.5, 'abc', 'not a date', 0, x'41', 12, 1.5);
        INSERT INTO mixed VALUES (-9223372036854775808, '', 1e300, '2001-01-01 10:20:30', 2, '', x'', x'0102');
        INSERT INTO mixed VALUES (4.5, x'6869', -0.0, 3, 'x', x'ff00', NULL, '');
    )");
    TOwned<TComponent> owner(new TComponent(nullptr));
    TTable* t = OpenTable(owner.get(), "mixed");
    ASSERT_TRUE(t->IsKeysetCursor());
    auto* q = new TQuery(owner.get());
    q->SetDatabaseName(Path);
    q->SQL()->Add("SELECT DISTINCT n, s, f, d, b, m, x, u FROM mixed ORDER BY rowid");
    q->Open();
    ASSERT_FALSE(q->IsKeysetCursor());
    ASSERT_EQ(t->RecordCount(), 6);
    ASSERT_EQ(q->RecordCount(), 6);
    for (int r = 1; r <= 6; ++r)
        for (int f = 0; f < t->FieldCount(); ++f)
            EXPECT_EQ(Show(t->ValueAt(r, t->Fields(f))), Show(q->ValueAt(r, q->Fields(f))))
                << "record " << r << " field " << t->Fields(f)->FieldName();
    // The same through the cursor, after the page cache was read.
    q->First();
    for (t->First(); !t->EOF(); t->Next(), q->Next())
        for (int f = 0; f < t->FieldCount(); ++f)
            EXPECT_EQ(Show(t->Fields(f)->Value()), Show(q->Fields(f)->Value()));
}

TEST(TextMatchTest, TheAsciiShortcutAgreesWithUpperCasingBothTexts)
{
    // Random texts of ASCII letters and neighbours, Latin-1 and Cyrillic letters, bytes
    // that are not UTF-8, over-long encodings of ASCII letters and NULs, compared with
    // keys of ASCII only and of both.
    const std::vector<std::string> pieces = {"a", "A", "z", "Z", "_", "[", "`", "{", "0", " ", std::string(1, '\0'),
                                             "é", "É", "ÿ", "Ÿ", "ж", "Ж", "\xC1\x81", "\xC0\x80", "\xFF", "\xC3",
                                             "\xE2\x82", "ab", "AB"};
    std::mt19937 rng(20261206);
    auto text = [&](int maxLen, bool asciiOnly) {
        std::string s;
        const int n = static_cast<int>(rng() % static_cast<unsigned>(maxLen + 1));
        for (int i = 0; i < n; ++i) {
            const std::string& p = pieces[rng() % (asciiOnly ? 11 : pieces.size())];
            s += p;
        }
        return s;
    };
    int matches = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string key = text(3, i % 3 != 0);
        std::string value = text(5, false);
        if (i % 4 == 0)
            value = key + value;  // often a match
        for (bool partial : {false, true}) {
            const std::string uv = DBUpperCase(value), uk = DBUpperCase(key);
            const bool expected = partial ? uv.compare(0, uk.size(), uk) == 0 : uv == uk;
            ASSERT_EQ(DBTextMatch(value, key, true, partial), expected)
                << "value '" << value << "' key '" << key << "' partial " << partial;
            matches += expected;
        }
    }
    EXPECT_GT(matches, 4000);
    // Over-long encodings fold to the ASCII letter they spell, as upper-casing makes them.
    EXPECT_TRUE(DBTextMatch("\xC1\x81" "bc", "AB", true, true));
    EXPECT_TRUE(DBTextMatch("\xC1\x81", "a", true, false));
    EXPECT_FALSE(DBTextMatch("ab", "abc", true, true));
    EXPECT_FALSE(DBTextMatch("abcd", "ABC", true, false));
}

TEST_F(DbTest, LocateKeepsItsStatementsAndStillAnswersAfterTheSchemaChanges)
{
    Raw->Exec("CREATE INDEX customers_name_nocase ON customers(name COLLATE NOCASE);");
    TOwned<TComponent> owner(new TComponent(nullptr));
    TTable* t = OpenTable(owner.get(), "customers");
    TDataSource* source = new TDataSource(owner.get());
    source->SetDataSet(t);
    TRecordingLink link;
    link.SetDataSource(source);
    link.Take();
    const auto opts = loPartialKey | loCaseInsensitive;
    // The same shape of key again and again, with other values: each finds its own record.
    EXPECT_TRUE(t->Locate("name", Variant("SMITHE"), opts));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 3);
    EXPECT_TRUE(t->Locate("name", Variant("jon"), opts));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 2);
    EXPECT_FALSE(t->Locate("name", Variant("xyz"), opts));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 2);
    EXPECT_TRUE(t->Locate("name", Variant("smi"), opts));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 1);
    EXPECT_EQ(link.Take(), "Changed Changed Changed");

    // Another connection drops the index and adds a record: the kept statements are
    // compiled again by the engine and find the same records.
    Raw->Exec("DROP INDEX customers_name_nocase; INSERT INTO customers (id, name) VALUES (6, 'Smithson');");
    t->Refresh();
    EXPECT_TRUE(t->Locate("name", Variant("SMITHS"), opts));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 6);
    EXPECT_TRUE(t->Locate("name", Variant("Brown"), 0));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 4);

    // A filter makes other statements; releasing it brings back the first ones.
    t->SetFilter("city = 'Paris'");
    t->SetFiltered(true);
    EXPECT_TRUE(t->Locate("name", Variant("smith"), opts));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 1);
    EXPECT_FALSE(t->Locate("name", Variant("SMITHS"), opts));
    t->SetFiltered(false);
    EXPECT_TRUE(t->Locate("name", Variant("SMITHS"), opts));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 6);
    link.SetDataSource(nullptr);
}

TEST_F(DbTest, AFilterReleasedAfterTheMasterMovedShowsTheNewMastersRecords)
{
    // The whole keyset kept while a filter is in force belongs to the master record it
    // was read for.
    TOwned<TComponent> owner(new TComponent(nullptr));
    TTable* cust = OpenTable(owner.get(), "customers");
    auto* src = new TDataSource(owner.get());
    src->SetDataSet(cust);
    auto* ord = new TTable(owner.get());
    ord->SetDatabaseName(Path);
    ord->SetTableName("orders");
    ord->SetIndexName("by_cust");
    ord->SetMasterSource(src);
    ord->SetMasterFields("id");
    ord->Open();
    auto items = [&] {
        std::string out;
        for (ord->First(); !ord->EOF(); ord->Next())
            out += ord->FieldByName("item")->AsString() + ",";
        return out;
    };
    ASSERT_EQ(items(), "pen,pad,box,");
    ord->SetFilter("qty > 1");
    ord->SetFiltered(true);
    EXPECT_EQ(items(), "pen,pad,box,");
    cust->Next();
    EXPECT_EQ(items(), "");
    ord->SetFiltered(false);
    EXPECT_EQ(items(), "ink,");

    // Released with the master where it was: the same records as before the filter.
    ord->SetFiltered(true);
    EXPECT_EQ(items(), "");
    ord->SetFiltered(false);
    EXPECT_EQ(items(), "ink,");
    cust->Prior();
    ord->SetFiltered(true);
    ord->SetFilter("qty > 2");
    EXPECT_EQ(items(), "pad,box,");
    ord->SetFiltered(false);
    EXPECT_EQ(items(), "pen,pad,box,");
}

// Releasing a filter takes back the keyset it replaced only while the data is as it was:
// the versions behind that check move with another connection's commit and with this
// connection renaming tables (no row changes, only the schema), on a connection opened
// again too.
TEST_F(DbTest, AReleasedFilterSeesWritesAndSchemaChangesMadeWhileItWasOn)
{
    Raw->Exec(R"(
        CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(30) NOT NULL, city VARCHAR(20),
                             amount REAL, born DATE, notes MEMO, vip BOOLEAN);
        INSERT INTO people SELECT * FROM customers WHERE id IN (2, 4);
        INSERT INTO people (id, name, city) VALUES (20, 'Zed', 'Paris');
    )");
    TOwned<TComponent> owner(new TComponent(nullptr));
    TTable* t = OpenTable(owner.get(), "customers");
    auto ids = [&] {
        std::string out;
        for (t->First(); !t->EOF(); t->Next())
            out += t->FieldByName("id")->AsString() + ",";
        return out;
    };
    ASSERT_EQ(ids(), "1,2,3,4,5,");
    t->SetFilter("city = 'Paris'");
    for (int round = 0; round < 2; ++round) {
        t->SetFiltered(true);
        EXPECT_EQ(ids(), "1,3,");
        t->SetFiltered(false);
        EXPECT_EQ(ids(), "1,2,3,4,5,");
    }

    t->SetFiltered(true);
    Raw->Exec("INSERT INTO customers (id, name, city) VALUES (6, 'Adams', 'Rome')");
    t->SetFiltered(false);
    EXPECT_EQ(ids(), "1,2,3,4,5,6,");

    t->SetFiltered(true);
    t->Database()->Execute("ALTER TABLE customers RENAME TO customers_old; ALTER TABLE people RENAME TO customers");
    t->SetFiltered(false);
    EXPECT_EQ(ids(), "2,4,20,");
    t->SetFiltered(true);
    EXPECT_EQ(ids(), "20,");

    // A new connection prepares its own statements.
    t->Close();
    t->Open();
    t->SetFiltered(true);
    Raw->Exec("DELETE FROM customers WHERE id = 4");
    t->SetFiltered(false);
    EXPECT_EQ(ids(), "2,20,");
}
