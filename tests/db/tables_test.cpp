#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

class TablesTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};

    void TearDown() override
    {
        Owner.reset();
        DbTest::TearDown();
    }

    // The values of one field over all records, in cursor order, joined with ",".
    static std::string Column(TDataSet* d, const std::string& field)
    {
        std::string out;
        TBookmark b = d->GetBookmark();
        d->DisableControls();
        for (d->First(); !d->EOF(); d->Next()) {
            if (!out.empty())
                out += ",";
            out += d->FieldByName(field)->AsString();
        }
        if (b.Valid)
            d->GotoBookmark(b);
        d->EnableControls();
        return out;
    }

    TQuery* NewQuery(const std::string& sql)
    {
        auto* q = new TQuery(Owner.get());
        q->SetDatabaseName(Path);
        q->SQL()->Add(sql);
        return q;
    }
};

}  // namespace

TEST_F(TablesTest, IndexDefsAndOrdering)
{
    TTable* t = OpenTable(Owner.get(), "customers");
    TIndexDefs* defs = t->IndexDefs();
    defs->Update();
    ASSERT_EQ(defs->Count(), 3);
    EXPECT_EQ(defs->Items(0)->Name(), "PRIMARY");
    EXPECT_EQ(defs->Items(0)->Fields(), "id");
    EXPECT_TRUE(defs->Items(0)->Options() & ixPrimary);
    EXPECT_EQ(defs->Items(1)->Fields(), "name");  // from UNIQUE
    EXPECT_TRUE(defs->Items(1)->Options() & ixUnique);
    EXPECT_EQ(defs->Items(2)->Name(), "by_city");
    EXPECT_EQ(defs->Items(2)->Fields(), "city;name");

    // Default order: the primary key.
    EXPECT_EQ(t->IndexFieldCount(), 1);
    EXPECT_EQ(t->IndexFields(0)->FieldName(), "id");
    EXPECT_TRUE(t->FieldByName("id")->IsIndexField());
    EXPECT_FALSE(t->FieldByName("city")->IsIndexField());

    t->SetIndexName("by_city");
    EXPECT_EQ(Column(t, "name"), "Brown,jones,Smith,Smithers,Зоя");
    EXPECT_EQ(t->IndexFieldCount(), 2);
    EXPECT_EQ(t->IndexFields(1)->FieldName(), "name");
    EXPECT_TRUE(t->FieldByName("city")->IsIndexField());
    EXPECT_THROW(t->SetIndexName("nope"), EDatabaseError);
    EXPECT_EQ(t->IndexName(), "by_city");

    // Changing the order keeps the current record.
    ASSERT_TRUE(t->Locate("name", Variant("jones"), 0));
    t->SetIndexFieldNames("amount");
    EXPECT_EQ(t->IndexName(), "");
    EXPECT_EQ(t->FieldByName("name")->AsString(), "jones");
    EXPECT_EQ(t->RecNo(), 5);
    EXPECT_EQ(Column(t, "amount"), "0,3,7.25,10.5,20");
    EXPECT_THROW(t->SetIndexFieldNames("nosuch"), EDatabaseError);
    EXPECT_EQ(t->IndexFieldNames(), "amount");

    // The index definitions are readable while the table is closed.
    auto* closed = new TTable(Owner.get());
    closed->SetDatabaseName(Path);
    closed->SetTableName("orders");
    closed->IndexDefs()->Update();
    EXPECT_EQ(closed->IndexDefs()->Count(), 2);
    EXPECT_EQ(closed->IndexDefs()->Find("by_cust")->Fields(), "custno;ordno");
}

TEST_F(TablesTest, FindKeyAndGotoKey)
{
    TTable* t = OpenTable(Owner.get(), "customers");
    t->SetIndexFieldNames("name");
    TRecordingLink link;
    TDataSource ds(nullptr);
    ds.SetDataSet(t);
    link.SetDataSource(&ds);
    link.Take();

    EXPECT_TRUE(t->FindKey({Variant("Smithers")}));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 3);
    EXPECT_EQ(link.Take(), "Editing:1 Editing:0 Changed");
    EXPECT_FALSE(t->FindKey({Variant("smithers")}));
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 3);
    EXPECT_EQ(t->State(), dsBrowse);

    t->SetKey();
    EXPECT_EQ(t->State(), dsSetKey);
    t->FieldByName("name")->SetValue("Brown");
    EXPECT_TRUE(t->GotoKey());
    EXPECT_EQ(t->FieldByName("id")->AsInteger(), 4);

    // A key that cannot be a value of the field finds nothing.
    t->SetIndexName("");
    EXPECT_FALSE(t->FindKey({Variant("abc")}));
    EXPECT_TRUE(t->FindKey({Variant("2")}));
    EXPECT_EQ(t->FieldByName("name")->AsString(), "jones");
    link.SetDataSource(nullptr);
}

// A detail table lists its records again on each move of its master: what another
// connection wrote or changed in the schema meanwhile shows, and a new filter applies.
TEST_F(TablesTest, DetailFollowsItsMasterAcrossOtherWritesSchemaChangesAndFilters)
{
    TTable* cust = OpenTable(Owner.get(), "customers");
    auto* src = new TDataSource(Owner.get());
    src->SetDataSet(cust);
    auto* ord = new TTable(Owner.get());
    ord->SetDatabaseName(Path);
    ord->SetTableName("orders");
    ord->SetIndexFieldNames("custno;ordno");
    ord->SetMasterSource(src);
    ord->SetMasterFields("id");
    ord->Open();
    ASSERT_EQ(Column(ord, "item"), "pen,pad,box");

    Raw->Exec("INSERT INTO orders VALUES (110, 1, 'cap', 1), (111, 2, 'mug', 1)");
    cust->Next();
    EXPECT_EQ(Column(ord, "item"), "ink,mug");
    cust->Prior();
    EXPECT_EQ(Column(ord, "item"), "pen,pad,box,cap");

    // The schema changes under the detail: a new column, the index gone, a row moved over.
    Raw->Exec("ALTER TABLE orders ADD COLUMN note TEXT; DROP INDEX by_cust;"
              "UPDATE orders SET custno = 2, note = 'moved' WHERE ordno = 102");
    cust->Next();
    EXPECT_EQ(Column(ord, "item"), "ink,pad,mug");
    cust->Prior();
    EXPECT_EQ(Column(ord, "item"), "pen,box,cap");

    // A filter makes another statement; taking it off brings the plain list back.
    ord->SetFilter("qty > 1");
    ord->SetFiltered(true);
    EXPECT_EQ(Column(ord, "item"), "pen,box");
    cust->Next();
    EXPECT_EQ(Column(ord, "item"), "pad");
    cust->Prior();
    EXPECT_EQ(Column(ord, "item"), "pen,box");
    ord->SetFiltered(false);
    EXPECT_EQ(Column(ord, "item"), "pen,box,cap");
}

TEST_F(TablesTest, MasterDetailFollowsTheMaster)
{
    TTable* cust = OpenTable(Owner.get(), "customers");
    auto* src = new TDataSource(Owner.get());
    src->SetDataSet(cust);
    auto* ord = new TTable(Owner.get());
    ord->SetDatabaseName(Path);
    ord->SetTableName("orders");
    ord->SetIndexName("by_cust");
    ord->SetMasterSource(src);
    ord->SetMasterFields("id");
    ord->Open();

    EXPECT_EQ(ord->RecordCount(), 3);
    EXPECT_EQ(Column(ord, "item"), "pen,pad,box");
    cust->Next();
    EXPECT_EQ(Column(ord, "item"), "ink");
    cust->Last();
    EXPECT_EQ(ord->RecordCount(), 0);
    EXPECT_TRUE(ord->EOF() && ord->BOF());

    std::vector<TField*> master, detail;
    ord->GetDetailLinkFields(master, detail);
    ASSERT_EQ(master.size(), 1u);
    ASSERT_EQ(detail.size(), 1u);
    EXPECT_EQ(master[0], cust->FieldByName("id"));
    EXPECT_EQ(detail[0], ord->FieldByName("custno"));

    // A new detail record takes the master's key.
    ord->Insert();
    EXPECT_EQ(ord->FieldByName("custno")->AsInteger(), 5);
    ord->FieldByName("item")->SetValue("hat");
    ord->Post();
    EXPECT_EQ(ord->RecordCount(), 1);
    EXPECT_EQ(Raw->Rows("SELECT custno, item FROM orders WHERE item = 'hat'"), "5|hat");

    // Without a master source the link lists stay empty.
    TTable* plain = OpenTable(Owner.get(), "orders");
    plain->GetDetailLinkFields(master, detail);
    EXPECT_TRUE(master.empty() && detail.empty());
    EXPECT_EQ(plain->RecordCount(), 6);
}

TEST_F(TablesTest, QueryParametersAndErrors)
{
    TQuery* q = NewQuery("SELECT id, name FROM customers");
    q->SQL()->Add("WHERE city = :city AND amount >= :min -- :ignored");
    q->SQL()->Add("ORDER BY name");
    ASSERT_EQ(q->ParamCount(), 2);
    EXPECT_EQ(q->Params()->Items(0)->Name(), "city");
    q->ParamByName("city")->SetAsString("Paris");
    q->ParamByName("min")->SetAsInteger(5);
    EXPECT_THROW(q->ParamByName("max"), EDatabaseError);
    q->Open();
    EXPECT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->FieldByName("name")->AsString(), "Smith");
    EXPECT_TRUE(q->IsKeysetCursor());
    EXPECT_FALSE(q->CanModify());  // not live
    EXPECT_THROW(q->Edit(), EDatabaseError);
    EXPECT_EQ(q->ClassName(), "TQuery");

    // Changing the SQL closes the query and keeps the values of remaining parameters.
    q->SQL()->Clear();
    EXPECT_FALSE(q->Active());
    EXPECT_EQ(q->ParamCount(), 0);
    q->SQL()->Add("SELECT name FROM customers WHERE city = :city ORDER BY name DESC");
    EXPECT_EQ(q->ParamCount(), 1);
    EXPECT_EQ(q->ParamByName("city")->AsString(), "Paris");
    q->Open();
    EXPECT_EQ(Column(q, "name"), "Smithers,Smith");

    TQuery* bad = NewQuery("SELEC name FROM customers");
    try {
        bad->Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "near \"SELEC\": syntax error");
    }
    EXPECT_FALSE(bad->Active());
    TQuery* missing = NewQuery("SELECT * FROM nowhere");
    try {
        missing->Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "no such table: nowhere");
    }
    TQuery* empty = NewQuery("");
    EXPECT_THROW(empty->Open(), EDatabaseError);
    // Opening never runs a statement that writes.
    TQuery* writer = NewQuery("DELETE FROM orders RETURNING ordno");
    try {
        writer->Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "The SQL statement changes data; run it with ExecSQL");
    }
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM orders"), "5");
    TTable* nowhere = new TTable(Owner.get());
    nowhere->SetDatabaseName(Dir.File("missing.db"));
    nowhere->SetTableName("t");
    try {
        nowhere->Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot open database '" + Dir.File("missing.db") + "': unable to open database file");
    }
}

TEST_F(TablesTest, LiveQueriesWriteAndCachedResultsAreReadOnly)
{
    TQuery* live = NewQuery("SELECT id, name AS who, city FROM customers WHERE amount > 1 ORDER BY who");
    live->SetRequestLive(true);
    live->Open();
    EXPECT_TRUE(live->IsKeysetCursor());
    EXPECT_TRUE(live->CanModify());
    EXPECT_EQ(Column(live, "who"), "Brown,Smith,jones,Зоя");
    live->Edit();
    live->FieldByName("city")->SetValue("Oslo");
    live->Post();
    EXPECT_EQ(Raw->Rows("SELECT city FROM customers WHERE id = 4"), "Oslo");
    live->Append();
    live->FieldByName("who")->SetValue("Adams");
    live->Post();
    EXPECT_EQ(Raw->Rows("SELECT name, amount FROM customers WHERE id = 6"), "Adams|<null>");
    // The new row does not meet the query's condition, yet stays reachable until re-read.
    EXPECT_EQ(live->FieldByName("who")->AsString(), "Adams");

    TQuery* join = NewQuery(
        "SELECT c.name, o.item, o.qty * 2 AS twice FROM customers c JOIN orders o ON o.custno = c.id ORDER BY o.ordno");
    join->SetRequestLive(true);
    join->Open();
    EXPECT_FALSE(join->IsKeysetCursor());
    EXPECT_FALSE(join->CanModify());
    EXPECT_EQ(join->RecordCount(), 5);
    EXPECT_EQ(join->FieldByName("twice")->DataType(), ftInteger);
    EXPECT_EQ(Column(join, "item"), "pen,ink,pad,cap,box");
    // Records can be read without moving the cursor.
    EXPECT_EQ(join->ValueAt(2, join->FieldByName("name")).AsString(), "jones");
    EXPECT_TRUE(join->ValueAt(6, join->FieldByName("name")).IsNull());
    EXPECT_EQ(join->RecNo(), 1);
    join->Last();
    EXPECT_EQ(join->FieldByName("twice")->AsInteger(), 18);
    EXPECT_TRUE(join->Locate("item", Variant("CA"), loCaseInsensitive | loPartialKey));
    EXPECT_EQ(join->RecNo(), 4);
    TBookmark b = join->GetBookmark();
    join->First();
    join->GotoBookmark(b);
    EXPECT_EQ(join->FieldByName("name")->AsString(), "Smithers");
    join->SetFilter("twice > 2");
    join->SetFiltered(true);
    EXPECT_EQ(Column(join, "item"), "pen,pad,box");
    EXPECT_THROW(join->SetFilter("qty > 1"), EDatabaseError);  // not a field of the result
    EXPECT_EQ(join->RecordCount(), 3);

    TQuery* agg = NewQuery("SELECT city, count(*) AS n FROM customers GROUP BY city ORDER BY n DESC, city");
    agg->Open();
    EXPECT_FALSE(agg->IsKeysetCursor());
    EXPECT_EQ(agg->FieldByName("city")->AsString(), "Paris");
    EXPECT_EQ(agg->FieldByName("n")->AsInteger(), 2);
}

TEST_F(TablesTest, QueryFollowsItsMasterDataSource)
{
    TTable* cust = OpenTable(Owner.get(), "customers");
    auto* src = new TDataSource(Owner.get());
    src->SetDataSet(cust);
    TQuery* q = NewQuery("SELECT ordno, item FROM orders WHERE custno = :id ORDER BY ordno");
    q->SetDataSource(src);
    q->Open();
    TRecordingLink link;
    TDataSource qs(nullptr);
    qs.SetDataSet(q);
    link.SetDataSource(&qs);
    link.Take();

    EXPECT_EQ(q->ParamByName("id")->AsInteger(), 1);
    EXPECT_EQ(Column(q, "item"), "pen,pad,box");
    link.Take();
    cust->Next();
    EXPECT_EQ(link.Take(), "Changed");
    EXPECT_TRUE(q->Active());
    EXPECT_EQ(Column(q, "item"), "ink");
    cust->Locate("name", Variant("Smithers"), 0);
    EXPECT_EQ(Column(q, "item"), "cap");

    std::vector<TField*> master, detail;
    q->GetDetailLinkFields(master, detail);
    ASSERT_EQ(master.size(), 1u);
    EXPECT_EQ(master[0], cust->FieldByName("id"));
    EXPECT_TRUE(detail.empty());  // the query has no field named id

    // Parameters copied to another query keep their values, also when its SQL is then
    // replaced line by line.
    TQuery* copy = NewQuery("SELECT count(*) AS n FROM orders WHERE custno = :id");
    copy->Params()->Assign(*q->Params());
    copy->SQL()->Clear();
    copy->SQL()->Add("SELECT count(*) AS n FROM orders WHERE custno = :id AND qty > 0");
    copy->Open();
    EXPECT_EQ(copy->FieldByName("n")->AsInteger(), 1);
    link.SetDataSource(nullptr);
}

TEST_F(TablesTest, ExecSqlSessionAndDatabases)
{
    int started = 0;
    TNotifyEvent previous = Session->OnStartup;
    Session->OnStartup = [&](TObject*) { ++started; };
    Session->SetActive(false);
    TQuery* q = NewQuery("UPDATE orders SET qty = qty + :n WHERE custno = 1");
    q->ParamByName("n")->SetAsInteger(10);
    q->ExecSQL();
    EXPECT_EQ(q->RowsAffected(), 3);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(Session->Active());
    EXPECT_EQ(Raw->Rows("SELECT group_concat(qty) FROM orders WHERE custno = 1"), "12,15,19");
    Session->OnStartup = previous;

    // A temporary database lives while a dataset uses it.
    int before = Session->DatabaseCount();
    TTable* t = OpenTable(Owner.get(), "orders");
    EXPECT_EQ(Session->DatabaseCount(), before + 1);
    EXPECT_TRUE(t->Database()->Temporary());
    EXPECT_FALSE(t->Database()->IsSQLBased());
    t->Close();
    EXPECT_EQ(Session->DatabaseCount(), before);

    Session->AddAlias("Shop", Path);
    std::vector<std::string> names;
    Session->GetAliasNames(names);
    EXPECT_NE(std::find(names.begin(), names.end(), "Shop"), names.end());
    TTable* viaAlias = new TTable(Owner.get());
    viaAlias->SetDatabaseName("shop");
    viaAlias->SetTableName("orders");
    viaAlias->Open();
    EXPECT_EQ(viaAlias->RecordCount(), 5);
    EXPECT_THROW(viaAlias->SetDatabaseName("x"), EDatabaseError);
    viaAlias->Close();
    Session->DeleteAlias("Shop");

    auto* db = new TDatabase(Owner.get());
    db->SetDatabaseName(Dir.File("new.db"));
    EXPECT_THROW(db->Open(), EDatabaseError);
    db->SetCreateIfMissing(true);
    db->Execute("CREATE TABLE t (a INTEGER PRIMARY KEY, b TEXT); INSERT INTO t (b) VALUES ('x'), ('y')");
    db->StartTransaction();
    EXPECT_TRUE(db->InTransaction());
    db->Execute("DELETE FROM t");
    db->Rollback();
    TTable* nt = new TTable(Owner.get());
    nt->SetDatabaseName(Dir.File("new.db"));
    nt->SetTableName("t");
    nt->Open();
    EXPECT_EQ(nt->Database(), db);
    EXPECT_EQ(nt->RecordCount(), 2);
    db->Close();  // closes its datasets first
    EXPECT_FALSE(nt->Active());
}

TEST_F(TablesTest, ViewsAndUntypedColumnsFallBackToACachedResult)
{
    Raw->Exec("CREATE VIEW paris AS SELECT id, name FROM customers WHERE city = 'Paris'");
    TTable* v = OpenTable(Owner.get(), "paris");
    EXPECT_FALSE(v->IsKeysetCursor());
    EXPECT_FALSE(v->CanModify());
    EXPECT_EQ(v->RecordCount(), 2);
    EXPECT_EQ(Column(v, "name"), "Smith,Smithers");
    v->SetFilter("name <> 'Smith'");
    v->SetFiltered(true);
    EXPECT_EQ(v->RecordCount(), 1);

    // Columns without a declared type keep the values as stored.
    Raw->Exec("CREATE TABLE loose (a, b); INSERT INTO loose VALUES (1, 'x'), (2.5, NULL)");
    TTable* l = OpenTable(Owner.get(), "loose");
    EXPECT_TRUE(l->IsKeysetCursor());
    EXPECT_EQ(l->FieldByName("a")->DataType(), ftUnknown);
    EXPECT_EQ(l->FieldByName("a")->Value().Type(), varInt64);
    l->Next();
    EXPECT_EQ(l->FieldByName("a")->AsString(), "2.5");
    l->Edit();
    l->FieldByName("b")->SetValue(7);
    l->Post();
    EXPECT_EQ(Raw->Rows("SELECT typeof(b) FROM loose WHERE a = 2.5"), "integer");
}

TEST_F(TablesTest, LockedFileRefusesToOpen)
{
    Raw->Exec("BEGIN EXCLUSIVE");
    auto* t = new TTable(Owner.get());
    t->SetDatabaseName(Path);
    t->SetTableName("orders");
    try {
        t->Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find("database is locked"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(t->RecordCount(), 0);
    Raw->Exec("ROLLBACK");
    t->Open();
    EXPECT_EQ(t->RecordCount(), 5);
}

namespace {
int gInitProcCalls = 0;
}

TEST_F(TablesTest, ProgressCallbacksAndSessionStartHooks)
{
    Raw->Exec("CREATE TABLE big (n INTEGER); WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 40000) "
              "INSERT INTO big SELECT x FROM c");
    CBPROGRESSDesc first{}, second{};
    std::vector<std::string> calls;
    auto older = std::make_unique<TBDECallback>(nullptr, nullptr, cbGENPROGRESS, &first, int(sizeof first),
                                                [&](void* info) {
                                                    auto* d = static_cast<CBPROGRESSDesc*>(info);
                                                    calls.push_back(std::string("older ") + d->szMsg);
                                                    return cbrCONTINUE;
                                                },
                                                false);
    auto newer = std::make_unique<TBDECallback>(nullptr, nullptr, cbGENPROGRESS, &second, int(sizeof second),
                                                [&](void* info) {
                                                    auto* d = static_cast<CBPROGRESSDesc*>(info);
                                                    calls.push_back("newer " + std::to_string(d->iPercentDone) + " " + d->szMsg);
                                                    return cbrCONTINUE;
                                                },
                                                true);
    TTable* t = OpenTable(Owner.get(), "big");
    EXPECT_EQ(t->RecordCount(), 40000);
    EXPECT_EQ(calls, (std::vector<std::string>{"newer -1 Records read: 16384", "older Records read: 16384",
                                               "newer -1 Records read: 32768", "older Records read: 32768"}));
    EXPECT_STREQ(first.szMsg, "Records read: 32768");
    t->Close();

    // An aborting callback stops the open; the dataset stays closed.
    newer.reset();
    auto stopper = std::make_unique<TBDECallback>(nullptr, nullptr, cbGENPROGRESS, nullptr, 0,
                                                  [](void*) { return cbrABORT; }, false);
    try {
        t->Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Operation aborted");
    }
    EXPECT_FALSE(t->Active());
    stopper.reset();
    older.reset();

    Session->SetActive(false);
    RegisterBDEInitProc([](TSession* s) {
        EXPECT_EQ(s, Session);
        ++gInitProcCalls;
    });
    t->Open();
    EXPECT_EQ(gInitProcCalls, 1);
    t->Close();
    t->Open();
    EXPECT_EQ(gInitProcCalls, 1);  // only when the session starts
}
