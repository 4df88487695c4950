// Posting and filtering at their edges: filters with parentheses, Edit while inserting,
// where an inserted or edited record ends up in the cursor order, and an update whose row
// another connection changed or deleted.
#include <cstdio>

#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

class PostingTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TTable* T = nullptr;

    void SetUp() override
    {
        DbTest::SetUp();
        T = OpenTable(Owner.get(), "customers");
    }
    void TearDown() override
    {
        Owner.reset();
        DbTest::TearDown();
    }
    std::string Name() { return T->FieldByName("name")->AsString(); }
    // The names from the current record to the end, the cursor left where it was.
    std::string Names()
    {
        std::string out;
        TBookmark b = T->GetBookmark();
        for (T->First(); !T->EOF(); T->Next())
            out += (out.empty() ? "" : ",") + Name();
        T->GotoBookmark(b);
        return out;
    }
};

}  // namespace

TEST_F(PostingTest, FiltersWithParenthesesAreOneExpression)
{
    T->SetFilter("(city = 'Paris' OR city = 'Berlin') AND (amount > 5)");
    T->SetFiltered(true);
    EXPECT_EQ(Names(), "Smith,jones");
    // Nested, and parentheses inside a quoted text do not count.
    T->SetFilter("((amount < 5)) OR name = 'a)('");
    EXPECT_EQ(Names(), "Smithers,Зоя");
    T->SetFilter("name <> ')' AND (vip = 1)");
    EXPECT_EQ(Names(), "Smith,Зоя");

    // Unbalanced ones are refused and change nothing.
    for (const char* bad : {"(amount > 5", "amount > 5)", ")amount > 5(", "(1) OR (1))"}) {
        EXPECT_THROW(T->SetFilter(bad), EDatabaseError) << bad;
        EXPECT_EQ(T->Filter(), "name <> ')' AND (vip = 1)");
    }
    EXPECT_EQ(Names(), "Smith,Зоя");
}

TEST_F(PostingTest, EditWhileInsertingKeepsTheNewRecord)
{
    T->Next();
    T->Insert();
    T->FieldByName("name")->SetValue("Adams");
    T->Edit();
    EXPECT_EQ(T->State(), dsInsert);
    EXPECT_EQ(Name(), "Adams");
    EXPECT_TRUE(T->Modified());
    T->Post();
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers WHERE name = 'Adams'"), "1");
    EXPECT_EQ(Raw->Rows("SELECT name FROM customers WHERE id = 2"), "jones");
    // Edit while editing: the changes stay too.
    T->Edit();
    T->FieldByName("city")->SetValue("Rome");
    T->Edit();
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Rome");
    T->Cancel();
}

TEST_F(PostingTest, AnInsertedRecordTakesItsPlaceBeyondTheLoadedPages)
{
    std::string sql = "BEGIN; CREATE TABLE big (id INTEGER PRIMARY KEY, name TEXT); CREATE INDEX by_name ON big(name);";
    for (int i = 0; i < 500; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "n%03d", i * 2);
        sql += "INSERT INTO big (name) VALUES ('" + std::string(name) + "');";
    }
    Raw->Exec(sql + "COMMIT;");
    TTable* big = OpenTable(Owner.get(), "big");
    big->SetIndexFieldNames("name");
    big->First();
    EXPECT_EQ(big->FieldByName("name")->AsString(), "n000");

    big->Insert();
    big->FieldByName("name")->SetValue("n501");
    big->Post();
    EXPECT_EQ(big->RecordCount(), 501);
    EXPECT_EQ(big->RecNo(), 252);
    EXPECT_EQ(big->FieldByName("name")->AsString(), "n501");
    EXPECT_EQ(big->FieldByName("id")->AsInteger(), 501);
    big->Next();
    EXPECT_EQ(big->FieldByName("name")->AsString(), "n502");
    big->MoveBy(-2);
    EXPECT_EQ(big->FieldByName("name")->AsString(), "n500");

    // In row-id order a new record goes last.
    big->SetIndexFieldNames("");
    big->First();
    big->Insert();
    big->FieldByName("name")->SetValue("a");
    big->Post();
    EXPECT_EQ(big->RecNo(), 502);
    EXPECT_EQ(big->FieldByName("id")->AsInteger(), 502);
    big->Prior();
    EXPECT_EQ(big->FieldByName("name")->AsString(), "n501");
}

TEST_F(PostingTest, APostedRecordThatLeavesTheFilterStaysWhereItWas)
{
    T->SetFilter("city = 'Paris' OR city = 'Berlin'");
    T->SetFiltered(true);
    EXPECT_EQ(Names(), "Smith,jones,Smithers");
    T->Next();  // jones
    T->Edit();
    T->FieldByName("city")->SetValue("Oslo");
    T->Post();
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_EQ(Name(), "jones");
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Oslo");
    EXPECT_EQ(T->RecordCount(), 3);
    EXPECT_EQ(Names(), "Smith,jones,Smithers");
    // Read again, the filter holds.
    T->Refresh();
    EXPECT_EQ(Names(), "Smith,Smithers");

    // A new record outside the filter stays where it was inserted, too.
    T->Last();
    T->Insert();
    T->FieldByName("name")->SetValue("Adams");
    T->FieldByName("city")->SetValue("Rome");
    T->Post();
    EXPECT_EQ(Name(), "Adams");
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_EQ(Names(), "Smith,Adams,Smithers");
}

TEST_F(PostingTest, AnUpdateWhoseRowChangedOrWentIsRefusedAndKeepsTheValues)
{
    T->MoveBy(2);  // Smithers, id 3
    T->Edit();
    T->FieldByName("city")->SetValue("Lyon");
    Raw->Exec("UPDATE customers SET id = 30 WHERE id = 3");
    try {
        T->Post();
        FAIL() << "posted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Record not found or changed by another user");
    }
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Lyon");
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE id = 30"), "Paris");
    T->Cancel();

    T->First();
    T->Edit();
    T->FieldByName("amount")->SetValue(99);
    Raw->Exec("DELETE FROM customers WHERE id = 1");
    EXPECT_THROW(T->Post(), EDatabaseError);
    EXPECT_EQ(T->FieldByName("amount")->AsFloat(), 99.0);
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers"), "4");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers WHERE amount = 99"), "0");
    T->Cancel();
}
