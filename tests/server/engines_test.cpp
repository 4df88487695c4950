// The dataset behaviours the package relies on, run on both engines: a table of the
// embedded SQLite engine and a table on the PostgreSQL server must answer alike.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/DBTables.h"
#include "tests/db/DbFixture.h"
#include "tests/server/ServerFixture.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

// One engine: its own second connection for writing and checking, and its tables.
class TEngine {
public:
    virtual ~TEngine() = default;
    virtual void Exec(const std::string& SQL) = 0;
    virtual std::string Rows(const std::string& SQL) = 0;
    // A table dataset (closed); with a master, a detail on MasterFields.
    virtual TDataSet* NewTable(TComponent* Owner, const std::string& Name, TDataSource* Master = nullptr,
                               const std::string& MasterFields = "") = 0;
    // The message refusing a negative qty.
    virtual std::string CheckMessage() const = 0;
};

class TSQLiteEngine : public TEngine {
public:
    TSQLiteEngine() : FRaw(FDir.File("t.db")) {}
    void Exec(const std::string& SQL) override { FRaw.Exec(SQL); }
    std::string Rows(const std::string& SQL) override { return FRaw.Rows(SQL); }
    TDataSet* NewTable(TComponent* Owner, const std::string& Name, TDataSource* Master,
                       const std::string& MasterFields) override
    {
        auto* t = new TTable(Owner);
        t->SetDatabaseName(FDir.File("t.db"));
        t->SetTableName(Name);
        if (Master) {
            t->SetMasterSource(Master);
            t->SetMasterFields(MasterFields);
        }
        return t;
    }
    std::string CheckMessage() const override { return "CHECK constraint failed: qty >= 0"; }

private:
    TTempDir FDir;
    TRawDb FRaw;
};

class TServerEngine : public TEngine {
public:
    explicit TServerEngine(TADOConnection* Conn, TRawPg* Raw) : FConn(Conn), FRaw(Raw) {}
    void Exec(const std::string& SQL) override { FRaw->Exec(SQL); }
    std::string Rows(const std::string& SQL) override { return FRaw->Rows(SQL); }
    TDataSet* NewTable(TComponent* Owner, const std::string& Name, TDataSource* Master,
                       const std::string& MasterFields) override
    {
        auto* t = new TADOTable(Owner);
        t->SetConnection(FConn);
        t->SetTableName(Name);
        if (Master) {
            t->SetMasterSource(Master);
            t->SetMasterFields(MasterFields);
        }
        return t;
    }
    std::string CheckMessage() const override
    {
        return "new row for relation \"parts\" violates check constraint \"parts_qty_check\"";
    }

private:
    TADOConnection* FConn;
    TRawPg* FRaw;
};

}  // namespace

class EngineTest : public ServerTest, public ::testing::WithParamInterface<std::string> {
protected:
    std::unique_ptr<TEngine> E;
    std::unique_ptr<TComponent> Forms;
    TDataSet* T = nullptr;

    void SetUp() override
    {
        ServerTest::SetUp();
        if (GetParam() == "SQLite")
            E = std::make_unique<TSQLiteEngine>();
        else
            E = std::make_unique<TServerEngine>(Conn, Raw.get());
        E->Exec("CREATE TABLE parts (id INT PRIMARY KEY, name VARCHAR(30) NOT NULL, city VARCHAR(20),"
                " qty INTEGER CHECK (qty >= 0))");
        E->Exec("INSERT INTO parts VALUES (1, 'Bolt', 'Paris', 5), (2, 'nut', 'Berlin', 0),"
                " (3, 'Bolt M4', 'Paris', 12), (4, 'Washer', NULL, 7), (5, 'Зубец', 'Москва', 3)");
        E->Exec("CREATE TABLE uses (part INTEGER NOT NULL, line INTEGER NOT NULL, what VARCHAR(20),"
                " PRIMARY KEY (part, line))");
        E->Exec("INSERT INTO uses VALUES (1, 1, 'frame'), (1, 2, 'door'), (3, 1, 'hinge'), (5, 1, 'gear')");
        Forms = std::make_unique<TComponent>(nullptr);
        T = E->NewTable(Forms.get(), "parts");
        T->Open();
    }
    void TearDown() override
    {
        Forms.reset();
        E.reset();
        ServerTest::TearDown();
    }
    std::string Name() const { return T->FieldByName("name")->AsString(); }
    // The names of every record, in cursor order, the cursor left where it was.
    std::string Names()
    {
        std::string out;
        for (int i = 1; i <= T->RecordCount(); ++i)
            out += (i > 1 ? "," : "") + VarToStr(T->ValueAt(i, T->FieldByName("name")));
        return out;
    }
};

TEST_P(EngineTest, CursorMovesAndStopsAtBothEnds)
{
    EXPECT_EQ(T->RecordCount(), 5);
    EXPECT_TRUE(T->BOF());
    EXPECT_EQ(Name(), "Bolt");
    EXPECT_EQ(T->MoveBy(3), 3);
    EXPECT_EQ(T->RecNo(), 4);
    EXPECT_EQ(T->MoveBy(5), 1);
    EXPECT_TRUE(T->EOF());
    EXPECT_EQ(Name(), "Зубец");
    T->Prior();
    EXPECT_EQ(Name(), "Washer");
    T->SetRecNo(2);
    EXPECT_EQ(Name(), "nut");
    EXPECT_EQ(Names(), "Bolt,nut,Bolt M4,Washer,Зубец");
    EXPECT_EQ(T->FieldByName("city")->IsNull(), false);
    T->SetRecNo(4);
    EXPECT_TRUE(T->FieldByName("city")->IsNull());
}

TEST_P(EngineTest, LocateWithOptionsAndSeveralFields)
{
    EXPECT_TRUE(T->Locate("name", Variant("Bolt M4"), 0));
    EXPECT_EQ(T->RecNo(), 3);
    EXPECT_FALSE(T->Locate("name", Variant("bolt m4"), 0));
    EXPECT_EQ(T->RecNo(), 3);
    EXPECT_TRUE(T->Locate("name", Variant("NUT"), loCaseInsensitive));
    EXPECT_EQ(T->RecNo(), 2);
    EXPECT_TRUE(T->Locate("name", Variant("Bolt"), loPartialKey));
    EXPECT_EQ(T->RecNo(), 1);
    EXPECT_TRUE(T->Locate("name", Variant("зуб"), loPartialKey | loCaseInsensitive));
    EXPECT_EQ(T->RecNo(), 5);
    Variant keys = VarArrayCreate(0, 1);
    keys[0] = Variant("Paris");
    keys[1] = Variant(12);
    EXPECT_TRUE(T->Locate("city;qty", keys, 0));
    EXPECT_EQ(Name(), "Bolt M4");
    EXPECT_TRUE(T->Locate("city", Variant::Null(), 0));
    EXPECT_EQ(Name(), "Washer");
    // Values never reach the engine as text.
    EXPECT_FALSE(T->Locate("name", Variant("x' OR '1'='1"), 0));
    EXPECT_FALSE(T->Locate("name", Variant("'); DELETE FROM parts; --"), loPartialKey));
    EXPECT_EQ(E->Rows("SELECT count(*) FROM parts"), "5");
}

TEST_P(EngineTest, BookmarksSurviveMovesAndRefreshAndDetectDeletedRecords)
{
    T->SetRecNo(3);
    TBookmark b = T->GetBookmark();
    T->First();
    ASSERT_TRUE(T->BookmarkValid(b));
    T->GotoBookmark(b);
    EXPECT_EQ(Name(), "Bolt M4");
    E->Exec("INSERT INTO parts VALUES (0, 'Anchor', NULL, 1)");
    T->Refresh();
    EXPECT_EQ(Name(), "Bolt M4");  // the same record, now fourth
    EXPECT_EQ(T->RecNo(), 4);
    T->First();
    T->GotoBookmark(b);
    EXPECT_EQ(Name(), "Bolt M4");
    E->Exec("DELETE FROM parts WHERE id = 3");
    T->Refresh();
    EXPECT_FALSE(T->BookmarkValid(b));
    try {
        T->GotoBookmark(b);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Record not found");
    }
    EXPECT_EQ(Names(), "Anchor,Bolt,nut,Washer,Зубец");
}

TEST_P(EngineTest, FilterNarrowsAndABadFilterKeepsRecordsAndPosition)
{
    T->SetFilter("city = 'Paris'");
    T->SetFiltered(true);
    EXPECT_EQ(T->RecordCount(), 2);
    T->Next();
    EXPECT_EQ(Name(), "Bolt M4");
    for (const char* bad : {"city = = 'Paris'", "nosuchfield > 1", "1) OR (1", "1; DELETE FROM parts",
                            "qty > 0); DELETE FROM parts; --", "name = 'x"}) {
        EXPECT_THROW(T->SetFilter(bad), EDatabaseError) << bad;
        EXPECT_EQ(T->Filter(), "city = 'Paris'");
        EXPECT_EQ(T->RecordCount(), 2) << bad;
        EXPECT_EQ(T->RecNo(), 2) << bad;
        EXPECT_EQ(Name(), "Bolt M4") << bad;
    }
    EXPECT_EQ(E->Rows("SELECT count(*) FROM parts"), "5");
    T->SetFilter("qty > 4 AND name LIKE 'B%'");
    EXPECT_EQ(Names(), "Bolt,Bolt M4");
    T->SetFiltered(false);
    EXPECT_EQ(T->RecordCount(), 5);
}

TEST_P(EngineTest, PostWritesTheChangedFieldsAndARefusedPostKeepsStateAndValues)
{
    T->SetRecNo(2);
    T->Edit();
    T->FieldByName("city")->SetAsString("Lyon");
    T->Post();
    EXPECT_EQ(T->State(), dsBrowse);
    EXPECT_EQ(E->Rows("SELECT name, city, qty FROM parts WHERE id = 2"), "nut|Lyon|0");
    // Another writer changed qty meanwhile: only the assigned field is written.
    E->Exec("UPDATE parts SET qty = 9 WHERE id = 2");
    T->Edit();
    EXPECT_EQ(T->FieldByName("qty")->AsInteger(), 9);  // editing starts from what is stored
    T->FieldByName("name")->SetAsString("Nut");
    T->Post();
    EXPECT_EQ(E->Rows("SELECT name, city, qty FROM parts WHERE id = 2"), "Nut|Lyon|9");

    T->Edit();
    T->FieldByName("qty")->SetAsInteger(-1);
    T->FieldByName("city")->SetAsString("Rome");
    try {
        T->Post();
        FAIL() << "posted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), E->CheckMessage());
    }
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(T->FieldByName("qty")->AsInteger(), -1);
    EXPECT_EQ(T->FieldByName("city")->AsString(), "Rome");
    EXPECT_EQ(E->Rows("SELECT name, city, qty FROM parts WHERE id = 2"), "Nut|Lyon|9");
    T->FieldByName("qty")->SetAsInteger(1);
    T->Post();
    EXPECT_EQ(E->Rows("SELECT name, city, qty FROM parts WHERE id = 2"), "Nut|Rome|1");
    EXPECT_EQ(T->RecNo(), 2);
}

TEST_P(EngineTest, InsertAndDeleteWriteAndKeepTheCursorRight)
{
    T->SetRecNo(3);
    T->Insert();
    T->FieldByName("id")->SetAsInteger(10);
    T->FieldByName("name")->SetAsString("Rivet");
    T->Post();
    EXPECT_EQ(T->RecordCount(), 6);
    EXPECT_EQ(Name(), "Rivet");
    EXPECT_EQ(E->Rows("SELECT name, city, qty FROM parts WHERE id = 10"), "Rivet|<null>|<null>");
    // A refused insert keeps the new record and its values.
    T->Append();
    T->FieldByName("id")->SetAsInteger(11);
    T->FieldByName("name")->SetAsString("Bad");
    T->FieldByName("qty")->SetAsInteger(-5);
    EXPECT_THROW(T->Post(), EDatabaseError);
    EXPECT_EQ(T->State(), dsInsert);
    EXPECT_EQ(Name(), "Bad");
    T->Cancel();
    EXPECT_EQ(T->RecordCount(), 6);
    EXPECT_EQ(E->Rows("SELECT count(*) FROM parts"), "6");

    EXPECT_TRUE(T->Locate("name", Variant("nut"), 0));
    T->Delete();
    EXPECT_EQ(T->RecordCount(), 5);
    EXPECT_EQ(E->Rows("SELECT count(*) FROM parts WHERE id = 2"), "0");
    T->Refresh();
    EXPECT_EQ(T->RecordCount(), 5);
}

TEST_P(EngineTest, DetailFollowsItsMasterAndNamesTheLinkFields)
{
    TDataSource* src = new TDataSource(Forms.get());
    src->SetDataSet(T);
    TDataSet* d = E->NewTable(Forms.get(), "uses", src, "id");
    // The detail's link field is "part": order by it so it stands for the master's "id".
    if (auto* t = dynamic_cast<TTable*>(d))
        t->SetIndexFieldNames("part;line");
    else
        static_cast<TADOTable*>(d)->SetIndexFieldNames("part;line");
    d->Open();
    EXPECT_EQ(d->RecordCount(), 2);
    std::vector<TField*> masters, details;
    d->GetDetailLinkFields(masters, details);
    ASSERT_EQ(masters.size(), 1u);
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(masters[0], T->FieldByName("id"));
    EXPECT_EQ(details[0], d->FieldByName("part"));
    T->SetRecNo(2);
    EXPECT_TRUE(d->IsEmpty());
    T->SetRecNo(3);
    EXPECT_EQ(d->RecordCount(), 1);
    EXPECT_EQ(d->FieldByName("what")->AsString(), "hinge");
    // A new detail record takes the master's key.
    d->Append();
    d->FieldByName("line")->SetAsInteger(2);
    d->Post();
    EXPECT_EQ(E->Rows("SELECT part, line FROM uses WHERE what IS NULL"), "3|2");
    EXPECT_EQ(d->RecordCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, EngineTest, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const ::testing::TestParamInfo<std::string>& I) { return I.param; });
