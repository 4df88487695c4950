// Records of a page found by their cursor position: the row ids kept for a page read
// in keyset order, what ends that (a record forgotten or read again, the store
// cleared), keysets that shift under it, rows gone inside such a page, tables whose
// INTEGER PRIMARY KEY is or is not the row id, and a walk with and without observers.
#include <thread>

#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

// A page cache of one integer column holding Id * 10 for each row id.
void Add(TPageCache& c, std::int64_t Id)
{
    c.Store().AppendInt(Id * 10);
    c.Commit(Id);
}

std::int64_t ValueAt(const TPageCache& c, int Position, std::int64_t Id)
{
    const std::int64_t row = c.FindAt(Position, Id);
    return row < 0 ? -1 : c.Rows().Get(static_cast<size_t>(row), 0).AsInteger();
}

// Every record of "big" as the walks show them.
const char* const kAll = "SELECT id, name, ifnull(amount, '-') FROM big ORDER BY id";

class PageRunTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};

    void TearDown() override
    {
        Owner.reset();
        DbTest::TearDown();
    }
    // Rows 1..Count of "big": name "n<id>", amount id + 0.25.
    void MakeBig(int Count)
    {
        std::string sql = "BEGIN; CREATE TABLE big (id INTEGER PRIMARY KEY, name VARCHAR(20), amount REAL);";
        for (int i = 1; i <= Count; ++i)
            sql += "INSERT INTO big VALUES (" + std::to_string(i) + ", 'n" + std::to_string(i) + "', " +
                   std::to_string(i) + ".25);";
        Raw->Exec(sql + "COMMIT;");
    }
    // The current record as "id:name:amount" ("-" for Null).
    static std::string Line(TDataSet* d)
    {
        std::string out;
        for (int f = 0; f < d->FieldCount(); ++f)
            out += (f ? ":" : "") + (d->Fields(f)->IsNull() ? std::string("-") : d->Fields(f)->AsString());
        return out;
    }
    static std::string Walk(TDataSet* d)
    {
        std::string out;
        for (d->First(); !d->EOF(); d->Next())
            out += Line(d) + ";";
        return out;
    }
    std::string Expected(const std::string& Sql)
    {
        std::string out;
        for (char c : Raw->Rows(Sql))
            out += c == '|' ? ':' : c == '\n' ? ';' : c;
        return out.empty() ? out : out + ";";
    }
};

}  // namespace

// Rows 7 and 3 held as ordinary records, then a run: positions 10..13 hold row ids
// 20..23 in rows 2..5.
void MakeRun(TPageCache& c)
{
    c.Reset(1);
    for (std::int64_t id : {7, 3})
        Add(c, id);
    c.BeginRun(10, 4);
    for (std::int64_t id : {20, 21, 22, 23}) {
        c.Store().AppendInt(id * 10);
        c.CommitNext(id);
    }
}

void AddNext(TPageCache& c, std::int64_t Id)
{
    c.Store().AppendInt(Id * 10);
    c.CommitNext(Id);
}

TEST(PageCacheRunTest, PositionsOfARunAreCheckedAgainstTheirRowIds)
{
    TPageCache c;
    MakeRun(c);
    EXPECT_EQ(ValueAt(c, 10, 20), 200);
    EXPECT_EQ(ValueAt(c, 13, 23), 230);
    EXPECT_EQ(c.Find(22), 4);
    EXPECT_TRUE(c.Contains(21));
    EXPECT_FALSE(c.Contains(24));
    // The keyset shifted by one: the position no longer holds that row id, which is
    // then found by its id.
    EXPECT_EQ(ValueAt(c, 11, 20), 200);
    EXPECT_EQ(ValueAt(c, 14, 23), 230);
    EXPECT_EQ(ValueAt(c, 11, 99), -1);
    EXPECT_EQ(ValueAt(c, 0, 7), 70);
    EXPECT_EQ(ValueAt(c, -5, 3), 30);

    // The next page of a walk continues the run; a run begun elsewhere ends it, its
    // records still found by id.
    c.BeginRun(14, 0);  // no room reserved: joins all the same
    AddNext(c, 25);
    EXPECT_EQ(ValueAt(c, 14, 25), 250);
    EXPECT_EQ(c.Find(25), 6);
    c.BeginRun(40, 1);
    AddNext(c, 30);
    EXPECT_EQ(ValueAt(c, 40, 30), 300);
    for (std::int64_t id : {20, 21, 22, 23, 25})
        EXPECT_EQ(ValueAt(c, 0, id), id * 10) << id;
    EXPECT_EQ(ValueAt(c, 14, 25), 250);
    // A row id not above every one held cannot join a run: an ordinary record.
    AddNext(c, 24);
    EXPECT_EQ(ValueAt(c, 41, 24), 240);
    AddNext(c, 31);
    EXPECT_EQ(ValueAt(c, 42, 31), 310);
    EXPECT_EQ(ValueAt(c, 40, 30), 300);
    EXPECT_EQ(c.size(), 10u);

    // A record of the run read again: its new values stand, at its position too; the
    // rest of the run stays found.
    MakeRun(c);
    c.Store().AppendInt(-1);
    c.Commit(21);
    EXPECT_EQ(ValueAt(c, 11, 21), -1);
    EXPECT_EQ(ValueAt(c, 12, 22), 220);
    EXPECT_EQ(ValueAt(c, 10, 20), 200);

    // Forgotten: not found by position or by id, its neighbours are.
    MakeRun(c);
    c.Erase(22);
    EXPECT_EQ(ValueAt(c, 12, 22), -1);
    EXPECT_FALSE(c.Contains(22));
    EXPECT_EQ(ValueAt(c, 10, 20), 200);
    EXPECT_EQ(ValueAt(c, 13, 23), 230);
    // Forgetting an ordinary record leaves the run as it is.
    MakeRun(c);
    c.Erase(7);
    EXPECT_EQ(ValueAt(c, 0, 7), -1);
    EXPECT_EQ(ValueAt(c, 12, 22), 220);

    // Cleared: nothing is held, above or below the highest row id seen.
    MakeRun(c);
    c.clear();
    EXPECT_EQ(ValueAt(c, 10, 20), -1);
    EXPECT_FALSE(c.Contains(3));
    EXPECT_FALSE(c.Contains(23));
    Add(c, 5);
    EXPECT_TRUE(c.Contains(5));
    EXPECT_FALSE(c.Contains(6));
    EXPECT_FALSE(c.Contains(4));
    // A run after clearing starts at the store's first row.
    c.clear();
    c.BeginRun(0, 1);
    AddNext(c, 8);
    EXPECT_EQ(c.FindAt(0, 8), 0);

    // A record with a value missing or one too many is refused; dropped, the next one
    // lines up.
    TPageCache h;
    h.Reset(2);
    h.Store().AppendInt(1);
    EXPECT_THROW(h.Commit(1), EDatabaseError);
    h.Store().AppendInt(2);
    h.Store().AppendInt(3);
    EXPECT_THROW(h.Commit(1), EDatabaseError);
    h.Discard();
    h.Store().AppendInt(4);
    h.Store().AppendNull();
    h.Commit(1);
    EXPECT_EQ(h.Find(1), 0);
    EXPECT_EQ(h.Rows().Get(0, 0).AsInteger(), 4);
}

TEST_F(PageRunTest, AWalkAcrossAClearedStoreAndBackReadsEveryRecord)
{
    // More records than the store keeps: it is emptied on the way, and pages are read
    // again walking back and jumping.
    MakeBig(20000);
    auto* t = OpenTable(Owner.get(), "big");
    int n = 0;
    bool same = true;
    for (t->First(); !t->EOF(); t->Next()) {
        ++n;
        same = same && t->FieldByName("id")->AsInteger() == n && t->FieldByName("name")->AsString() == "n" + std::to_string(n);
    }
    EXPECT_EQ(n, 20000);
    EXPECT_TRUE(same);
    for (t->Last(); !t->BOF(); t->Prior()) {
        same = same && t->FieldByName("id")->AsInteger() == n && t->FieldByName("amount")->AsFloat() == n + 0.25;
        --n;
    }
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(same);
    for (int recNo : {19999, 3, 17000, 1025, 1024, 20000}) {
        t->SetRecNo(recNo);
        const std::string id = std::to_string(recNo);
        EXPECT_EQ(Line(t), id + ":n" + id + ":" + id + ".25")
            << recNo;
        EXPECT_EQ(t->FieldByName("id")->AsInteger(), recNo);
    }
}

TEST_F(PageRunTest, RecordsAfterTheKeysetShiftedAreTheRightOnes)
{
    MakeBig(300);
    auto* t = OpenTable(Owner.get(), "big");
    EXPECT_EQ(Walk(t), Expected(kAll));

    // Deleting record 50 moves every later record one position back.
    t->SetRecNo(50);
    t->Delete();
    t->SetRecNo(100);
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 101);
    EXPECT_EQ(Walk(t), Expected(kAll));

    // Another connection adds a row before all others and one at the end; after a
    // refresh every position moves one further.
    Raw->Exec("INSERT INTO big VALUES (-4, 'first', 1.5), (1000, 'last', 2.5)");
    t->Refresh();
    t->SetRecNo(100);
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 100);
    EXPECT_EQ(Walk(t), Expected(kAll));

    // A record appended here goes to the end; the others keep their positions.
    t->Append();
    t->FieldByName("name")->SetAsString("added");
    t->Post();
    EXPECT_EQ(t->RecordCount(), 302);
    t->SetRecNo(2);
    EXPECT_EQ(Line(t), "1:n1:1.25");
    EXPECT_EQ(Walk(t), Expected(kAll));
}

TEST_F(PageRunTest, RowsGoneInsideAPageInRowIdOrderShowEmptyAndTheirNeighboursRight)
{
    MakeBig(300);
    auto* t = OpenTable(Owner.get(), "big");
    t->First();
    EXPECT_EQ(Line(t), "1:n1:1.25");
    // Gone before their pages (the second and fourth) are read.
    Raw->Exec("DELETE FROM big WHERE id IN (70, 71, 200)");
    std::string lines;
    for (int recNo : {69, 70, 71, 72, 199, 200, 201})
        lines += (t->SetRecNo(recNo), Line(t)) + ";";
    EXPECT_EQ(lines, "69:n69:69.25;-:-:-;-:-:-;72:n72:72.25;199:n199:199.25;-:-:-;201:n201:201.25;");
    // Read again, the rows are gone.
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 297);
    EXPECT_EQ(Walk(t), Expected(kAll));
}

TEST_F(PageRunTest, KeysThatAreAndAreNotTheRowIdReadTheirOwnValues)
{
    // "id INTEGER PRIMARY KEY DESC" is an ordinary column beside the row id; a key
    // declared "PRIMARY KEY (id DESC)" is the row id; "sku" is a key of another type.
    Raw->Exec("CREATE TABLE desckey (id INTEGER PRIMARY KEY DESC, name TEXT);"
              "INSERT INTO desckey (rowid, id, name) VALUES (1, 30, 'a'), (2, 10, 'b'), (3, 20, 'c');"
              "CREATE TABLE tablekey (name TEXT, id INTEGER, PRIMARY KEY (id DESC));"
              "INSERT INTO tablekey VALUES ('x', 5), ('y', 2), ('z', 9);"
              "CREATE TABLE textkey (sku TEXT PRIMARY KEY, qty INTEGER);"
              "INSERT INTO textkey VALUES ('k2', 1), ('k1', 2);");
    // Tables are in key order; each key keeps its own name.
    auto* d = OpenTable(Owner.get(), "desckey");
    EXPECT_EQ(Walk(d), "10:b;20:c;30:a;");
    auto* k = OpenTable(Owner.get(), "tablekey");
    EXPECT_EQ(Walk(k), "y:2;x:5;z:9;");
    auto* s = OpenTable(Owner.get(), "textkey");
    EXPECT_EQ(Walk(s), "k1:2;k2:1;");
    d->SetRecNo(2);
    d->Edit();
    d->FieldByName("name")->SetAsString("B");
    d->Post();
    EXPECT_EQ(Walk(d), "10:b;20:B;30:a;");

    // The row id key in another place of the result, and twice.
    auto* q = new TQuery(Owner.get());
    q->SetDatabaseName(Path);
    q->SQL()->Add("SELECT name, id, city, id AS again FROM customers WHERE id > 1");
    q->Open();
    EXPECT_EQ(Walk(q), "jones:2:Berlin:2;Smithers:3:Paris:3;Brown:4:-:4;Зоя:5:Москва:5;");
    q->SetRecNo(3);
    EXPECT_EQ(Line(q), "Brown:4:-:4");
}

TEST_F(PageRunTest, AWalkWithAndWithoutObserversShowsTheSameRecords)
{
    MakeBig(150);
    auto* plain = OpenTable(Owner.get(), "big");
    auto* seen = OpenTable(Owner.get(), "big");
    auto* source = new TDataSource(Owner.get());
    source->SetDataSet(seen);
    TRecordingLink link;
    link.SetDataSource(source);
    link.Take();
    EXPECT_EQ(Walk(plain), Walk(seen));
    // The observer heard the walk: back to the first record, then one step at a time.
    std::string expected = "Changed";
    for (int i = 1; i < 150; ++i)
        expected += " Scrolled:1";
    EXPECT_EQ(link.Take(), expected);
    link.SetDataSource(nullptr);
}

TEST_F(PageRunTest, APageReadLeavesTheConnectionFreeForOtherThreadsAfterItEndsOrFails)
{
    // A page is read holding the connection's mutex; whether the read ends or fails, the
    // mutex is free afterwards (another thread can take it).
    MakeBig(3000);
    auto* t = OpenTable(Owner.get(), "big");
    sqlite3_mutex* mutex = sqlite3_db_mutex(t->Database()->Handle());
    ASSERT_NE(mutex, nullptr);
    auto freeForOthers = [mutex] {
        bool taken = false;
        std::thread other([&] {
            taken = sqlite3_mutex_try(mutex) == SQLITE_OK;
            if (taken)
                sqlite3_mutex_leave(mutex);
        });
        other.join();
        return taken;
    };
    t->First();
    EXPECT_EQ(Line(t), "1:n1:1.25");
    EXPECT_TRUE(freeForOthers());
    // The table dropped by another connection: the next page's read fails.
    Raw->Exec("DROP TABLE big");
    try {
        t->SetRecNo(2500);
        (void)Line(t);
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(freeForOthers());
}
