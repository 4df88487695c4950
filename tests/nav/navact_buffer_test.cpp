// The record buffer: snapshots of a record taken, compared and written back by name.
#include <gtest/gtest.h>

#include "korin/nav/Vdbnavbuf.h"
#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

class BufferTest : public DbTest {
protected:
    TOwned<TComponent> owner{new TComponent(nullptr)};
    void SetUp() override
    {
        DbTest::SetUp();
        // Same field names as customers in another case and order, one missing, one extra.
        Raw->Exec("CREATE TABLE other (CITY VARCHAR(20), Name VARCHAR(30), amount REAL, extra INTEGER);"
                  "INSERT INTO other VALUES ('Rome', 'Rossi', 1, 5);");
    }
    std::vector<std::string> Names(const TRecordBuffer& b)
    {
        std::vector<std::string> out;
        for (int i = 0; i < b.Count(); ++i)
            out.push_back(b.Items(i).FieldName);
        return out;
    }
};

TEST_F(BufferTest, CopyTakesEveryFieldInOrderAndReplacesTheLastSnapshot)
{
    TTable* t = OpenTable(owner.get(), "customers");
    TRecordBuffer b;
    b.Clear();  // empty: nothing to do
    EXPECT_EQ(b.Count(), 0);
    t->Next();  // jones: born and notes are empty
    b.Copy(t);
    EXPECT_EQ(Names(b), (std::vector<std::string>{"id", "name", "city", "amount", "born", "notes", "vip"}));
    EXPECT_EQ(b.Items(1).Value, Variant("jones"));
    EXPECT_TRUE(b.Items(4).Value.IsNull());
    EXPECT_TRUE(b.Equal(t));

    t->Next();
    EXPECT_FALSE(b.Equal(t));
    b.Copy(t);
    EXPECT_EQ(b.Count(), 7);
    EXPECT_EQ(b.GetFieldValue("NAME"), Variant("Smithers"));
    EXPECT_TRUE(b.Equal(t));

    t->Close();
    b.Clear();
    EXPECT_EQ(b.Count(), 0);
    EXPECT_THROW(b.Items(0), Exception);
}

TEST_F(BufferTest, PasteWritesOnlyKnownModifiableFieldsThatDiffer)
{
    TTable* t = OpenTable(owner.get(), "customers");
    TRecordBuffer b;
    t->Next();  // 2 jones Berlin 20, born and notes empty
    b.Copy(t);
    t->Last();  // 5 Зоя Москва 3, born and notes empty too
    std::vector<std::string> written;
    for (int i = 0; i < t->FieldCount(); ++i)
        t->Fields(i)->OnChange = [&](TField* f) { written.push_back(f->FieldName()); };
    t->Edit();
    t->FieldByName("city")->SetAsString("Berlin");  // already equal to the saved value
    written.clear();
    b.Paste(t);
    // id is auto-increment; city, born and notes hold the saved values already.
    EXPECT_EQ(written, (std::vector<std::string>{"name", "amount", "vip"}));
    t->FieldByName("name")->SetAsString("jones2");  // name is unique
    t->Post();
    EXPECT_EQ(Raw->Rows("SELECT * FROM customers WHERE id = 5"), "5|jones2|Berlin|20.0|<null>|<null>|0");

    // Into a dataset that lacks some names and spells others differently.
    TTable* o = OpenTable(owner.get(), "other");
    o->Edit();
    EXPECT_NO_THROW(b.Paste(o));
    o->Post();
    EXPECT_EQ(Raw->Rows("SELECT * FROM other"), "Berlin|jones|20.0|5");
    EXPECT_THROW(b.Equal(o), EDatabaseError);  // "id" is unknown there
}

TEST_F(BufferTest, PasteOutsideEditingRaisesAndStopsAtTheFirstWrite)
{
    TTable* t = OpenTable(owner.get(), "customers");
    TRecordBuffer b;
    b.Copy(t);
    t->Next();
    try {
        b.Paste(t);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->FieldByName("name")->AsString(), "jones");
}

TEST_F(BufferTest, PasteFieldMatchesTheExactNameAndWritesUnconditionally)
{
    TTable* t = OpenTable(owner.get(), "customers");
    TTable* o = OpenTable(owner.get(), "other");
    TRecordBuffer b;
    b.Copy(o);  // CITY, Name, amount, extra
    t->Edit();
    std::vector<std::string> written;
    for (int i = 0; i < t->FieldCount(); ++i)
        t->Fields(i)->OnChange = [&](TField* f) { written.push_back(f->FieldName()); };
    b.PasteField(t, t->FieldByName("city"));  // saved as "CITY": no match
    b.PasteField(t, t->FieldByName("name"));  // saved as "Name": no match
    EXPECT_TRUE(written.empty());
    b.PasteField(t, t->FieldByName("amount"));
    EXPECT_EQ(written, (std::vector<std::string>{"amount"}));
    EXPECT_EQ(t->FieldByName("amount")->AsFloat(), 1.0);
    b.PasteField(t, t->FieldByName("amount"));  // equal, written all the same
    EXPECT_EQ(written.size(), 2u);
    t->Cancel();
}

TEST_F(BufferTest, NamedAccessIgnoresCaseAndAnUnknownNameGivesNull)
{
    TTable* o = OpenTable(owner.get(), "other");
    TRecordBuffer b;
    b.Copy(o);
    EXPECT_EQ(b.GetFieldValue("city"), Variant("Rome"));
    b.SetFieldValue("name", "Bianchi");
    EXPECT_EQ(b.Items(1).Value, Variant("Bianchi"));
    EXPECT_EQ(b.Items(1).FieldName, "Name");
    // An unknown name reads as Null and writing it adds nothing.
    EXPECT_TRUE(b.GetFieldValue("nosuch").IsNull());
    b.SetFieldValue("nosuch", 1);
    EXPECT_EQ(b.Count(), 4);
    TRecordBuffer empty;
    EXPECT_TRUE(empty.GetFieldValue("city").IsNull());
    EXPECT_TRUE(empty.Equal(o));
}

}  // namespace
