// Records read a page at a time: pages in row id order and in another order, row ids
// far apart, rows gone meanwhile, and edits around a page boundary.
#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

class PagingTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};

    void SetUp() override
    {
        DbTest::SetUp();
        // 300 rows: row ids 1..300, names in an order of their own, every 7th city empty,
        // blobs of two lengths.
        std::string sql = "BEGIN; CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(20), "
                          "amount REAL, pic BLOB);";
        for (int i = 1; i <= 300; ++i)
            sql += "INSERT INTO items VALUES (" + std::to_string(i) + ", 'n" + std::to_string(i * 37 % 301) + "', " +
                   (i % 7 == 0 ? std::string("NULL") : "'c" + std::to_string(i % 5) + "'") + ", " +
                   std::to_string(i) + ".5, x'00ff" + (i % 2 ? "10" : "") + "');";
        Raw->Exec(sql + "COMMIT;");
    }
    void TearDown() override
    {
        Owner.reset();
        DbTest::TearDown();
    }

    // The current record as "id:name:city:amount:piclen" (an empty city as "-").
    static std::string Line(TDataSet* d)
    {
        return d->FieldByName("id")->AsString() + ":" + d->FieldByName("name")->AsString() + ":" +
               (d->FieldByName("city")->IsNull() ? "-" : d->FieldByName("city")->AsString()) + ":" +
               d->FieldByName("amount")->AsString() + ":" + std::to_string(d->FieldByName("pic")->AsString().size());
    }
    // Every record, walking First..EOF.
    static std::string Walk(TDataSet* d)
    {
        std::string out;
        for (d->First(); !d->EOF(); d->Next())
            out += Line(d) + ";";
        return out;
    }
    // The same through the raw connection.
    std::string Expected(const std::string& tail)
    {
        std::string rows =
            Raw->Rows("SELECT id, name, ifnull(city, '-'), ifnull(amount, ''), ifnull(length(pic), 0) FROM items " + tail);
        std::string out;
        for (char c : rows)
            out += c == '|' ? ':' : c == '\n' ? ';' : c;
        return rows.empty() ? out : out + ";";
    }
};

}  // namespace

TEST_F(PagingTest, WalksInRowIdOrderAndInAnotherOrderReadTheSameValues)
{
    auto* t = OpenTable(Owner.get(), "items");
    ASSERT_EQ(t->RecordCount(), 300);
    EXPECT_EQ(Walk(t), Expected("ORDER BY id"));

    // Ordered by name: the keyset is not in row id order, pages hold scattered row ids.
    t->SetIndexFieldNames("name");
    const std::string byName = Expected("ORDER BY name, id");
    EXPECT_EQ(Walk(t), byName);
    std::string back;
    for (t->Last(); !t->BOF(); t->Prior())
        back = Line(t) + ";" + back;
    EXPECT_EQ(back, byName);
    // Jumps into pages not read since the order changed, then bookmarks across them.
    for (int recNo : {200, 65, 64, 1, 300, 129}) {
        t->Refresh();
        t->SetRecNo(recNo);
        EXPECT_EQ(Line(t) + ";", Expected("ORDER BY name, id LIMIT 1 OFFSET " + std::to_string(recNo - 1))) << recNo;
    }
    TBookmark b = t->GetBookmark();
    t->First();
    t->GotoBookmark(b);
    EXPECT_EQ(t->RecNo(), 129);
    EXPECT_TRUE(t->Locate("id", Variant(300), 0));
    EXPECT_EQ(Line(t) + ";", Expected("WHERE id = 300"));
    EXPECT_EQ(t->RecNo(), std::stoi(Raw->Rows("SELECT count(*) FROM items WHERE name < (SELECT name FROM items "
                                              "WHERE id = 300) OR (name = (SELECT name FROM items WHERE id = 300) "
                                              "AND id <= 300)")));
}

TEST_F(PagingTest, RowIdsFarApartAndAFilterLeavingGaps)
{
    Raw->Exec("UPDATE items SET id = id * 1000003 WHERE id % 3 = 0; UPDATE items SET id = -id WHERE id % 5 = 0;");
    auto* t = OpenTable(Owner.get(), "items");
    EXPECT_EQ(Walk(t), Expected("ORDER BY id"));
    t->SetIndexFieldNames("city;name");
    EXPECT_EQ(Walk(t), Expected("ORDER BY city, name, id"));
    t->SetFilter("amount > 250 OR amount < 20");
    t->SetFiltered(true);
    EXPECT_EQ(Walk(t), Expected("WHERE amount > 250 OR amount < 20 ORDER BY city, name, id"));
    t->SetIndexFieldNames("");
    EXPECT_EQ(Walk(t), Expected("WHERE amount > 250 OR amount < 20 ORDER BY id"));
    EXPECT_TRUE(t->Locate("amount", Variant(3.5), 0));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 3 * 1000003);
    TBookmark b = t->GetBookmark();
    t->Last();
    EXPECT_TRUE(t->BookmarkValid(b));
    t->GotoBookmark(b);
    EXPECT_EQ(t->FieldByName("amount")->AsFloat(), 3.5);
}

TEST_F(PagingTest, ARowDeletedByAnotherConnectionInsideAPageShowsEmpty)
{
    auto* t = OpenTable(Owner.get(), "items");
    t->SetIndexFieldNames("name");
    t->First();
    t->FieldByName("id")->AsString();  // reads the first page
    const std::string before = Expected("ORDER BY name, id");
    const std::string at100 = Expected("ORDER BY name, id LIMIT 1 OFFSET 99");
    const std::string at102 = Expected("ORDER BY name, id LIMIT 1 OFFSET 101");
    // Rows of the first page (already read) and of later pages (not read yet) go.
    std::string second = Raw->Rows("SELECT id FROM items ORDER BY name, id LIMIT 1 OFFSET 1");
    std::string far = Raw->Rows("SELECT id FROM items ORDER BY name, id LIMIT 1 OFFSET 100");
    Raw->Exec("DELETE FROM items WHERE id IN (" + second + ", " + far + ")");

    EXPECT_EQ(t->RecordCount(), 300);
    t->SetRecNo(2);
    EXPECT_EQ(t->FieldByName("id")->AsString(), second);  // read before it went
    t->SetRecNo(101);
    EXPECT_TRUE(t->FieldByName("id")->IsNull());
    EXPECT_TRUE(t->FieldByName("name")->IsNull());
    t->SetRecNo(100);
    EXPECT_EQ(Line(t) + ";", at100);
    t->SetRecNo(102);
    EXPECT_EQ(Line(t) + ";", at102);

    // Read again, the rows are gone and the others unchanged.
    t->Refresh();
    EXPECT_EQ(t->RecordCount(), 298);
    EXPECT_EQ(Walk(t), Expected("ORDER BY name, id"));
    EXPECT_NE(Walk(t), before);
}

TEST_F(PagingTest, EditsAndInsertsAtAPageBoundary)
{
    auto* t = OpenTable(Owner.get(), "items");
    TDataSource src(nullptr);
    src.SetDataSet(t);
    TRecordingLink link;
    link.SetDataSource(&src);

    // Record 64 ends the first page, 65 starts the next one.
    t->SetRecNo(64);
    t->Edit();
    t->FieldByName("name")->SetAsString("x64");
    t->Next();  // posts, and reads the next page
    EXPECT_EQ(t->RecNo(), 65);
    EXPECT_EQ(Line(t), "65:n" + std::to_string(65 * 37 % 301) + ":c0:65.5:3");
    t->Edit();
    t->FieldByName("amount")->SetAsFloat(-1.5);
    t->Prior();
    EXPECT_EQ(Line(t), "64:x64:c4:64.5:2");
    EXPECT_EQ(Raw->Rows("SELECT name, amount FROM items WHERE id IN (64, 65) ORDER BY id"),
              "x64|64.5\nn" + std::to_string(65 * 37 % 301) + "|-1.5");
    t->SetRecNo(65);
    EXPECT_EQ(t->FieldByName("amount")->AsFloat(), -1.5);

    // In name order a new record takes its place among the others, moving the later
    // ones by one (across the boundary); an edit moves a record across pages.
    t->SetIndexFieldNames("name");
    t->SetRecNo(64);
    const std::string was64 = t->FieldByName("name")->AsString();
    t->Insert();
    t->FieldByName("name")->SetAsString("n");  // sorts before every other name
    t->Post();
    EXPECT_EQ(t->RecNo(), 1);
    t->SetRecNo(65);
    EXPECT_EQ(t->FieldByName("name")->AsString(), was64);
    EXPECT_EQ(Walk(t), Expected("ORDER BY name, id"));
    t->SetRecNo(64);
    t->Edit();
    t->FieldByName("name")->SetAsString("zzz");
    t->Post();
    EXPECT_EQ(t->FieldByName("name")->AsString(), "zzz");
    EXPECT_EQ(t->RecNo(), 301);
    EXPECT_EQ(Walk(t), Expected("ORDER BY name, id"));
    link.SetDataSource(nullptr);
}
