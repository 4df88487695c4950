// The connection and reading records: connecting with the server's errors, field types
// and values, fetch progress in batches.
#include <gtest/gtest.h>

#include "korin/platform/db/ADODB.h"
#include "tests/server/ServerFixture.h"

using namespace korin;

TEST_F(ServerTest, ConnectingToAMissingDatabaseRaisesTheServersTextAndStaysDisconnected)
{
    TADOConnection c(nullptr);
    c.SetConnectionString(ConnInfo() + " dbname=no_such_db");
    try {
        c.Open();
        FAIL() << "connected";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("database \"no_such_db\" does not exist"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(c.Connected());
    EXPECT_TRUE(Conn->Connected());
    EXPECT_THROW(Conn->SetConnectionString("host=elsewhere"), EDatabaseError);
}

TEST_F(ServerTest, QueryReadsTypedFieldsAndValues)
{
    Raw->Exec("CREATE TABLE items (id serial PRIMARY KEY, name varchar(30) NOT NULL, qty int2, big int8,"
              " price numeric(10,2), ratio float8, ok bool, due date, at time, stamp timestamp, data bytea,"
              " note text, code char(3))");
    Raw->Exec("INSERT INTO items (name, qty, big, price, ratio, ok, due, at, stamp, data, note, code) VALUES"
              " ('Bolt', 5, 9000000000, 12.50, 0.25, true, '2024-02-29', '13:45:10', '2024-02-29 13:45:10.250',"
              "  '\\x00ff41', 'long text', 'ab'),"
              " ('Nut', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SQL()->Add("SELECT * FROM items ORDER BY id");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 2);
    EXPECT_EQ(q.FieldByName("id")->DataType(), ftAutoInc);
    EXPECT_EQ(q.FieldByName("name")->DataType(), ftString);
    EXPECT_EQ(q.FieldByName("name")->Size(), 30);
    EXPECT_TRUE(q.FieldByName("name")->Required());
    EXPECT_EQ(q.FieldByName("qty")->DataType(), ftSmallint);
    EXPECT_EQ(q.FieldByName("big")->DataType(), ftLargeint);
    EXPECT_EQ(q.FieldByName("price")->DataType(), ftFloat);
    EXPECT_EQ(q.FieldByName("ok")->DataType(), ftBoolean);
    EXPECT_EQ(q.FieldByName("due")->DataType(), ftDate);
    EXPECT_EQ(q.FieldByName("at")->DataType(), ftTime);
    EXPECT_EQ(q.FieldByName("stamp")->DataType(), ftDateTime);
    EXPECT_EQ(q.FieldByName("data")->DataType(), ftBlob);
    EXPECT_EQ(q.FieldByName("code")->Size(), 3);

    EXPECT_EQ(q.FieldByName("id")->AsInteger(), 1);
    EXPECT_EQ(q.FieldByName("name")->AsString(), "Bolt");
    EXPECT_EQ(q.FieldByName("qty")->AsInteger(), 5);
    EXPECT_EQ(q.FieldByName("big")->AsInteger(), 9000000000LL);
    EXPECT_DOUBLE_EQ(q.FieldByName("price")->AsFloat(), 12.5);
    EXPECT_TRUE(q.FieldByName("ok")->AsBoolean());
    EXPECT_EQ(q.FieldByName("due")->AsString(), "2024-02-29");
    EXPECT_EQ(q.FieldByName("at")->AsString(), "13:45:10");
    EXPECT_EQ(q.FieldByName("stamp")->AsString(), "2024-02-29 13:45:10.250");
    EXPECT_EQ(q.FieldByName("data")->AsString(), std::string("\0\xff" "A", 3));
    EXPECT_EQ(q.FieldByName("note")->AsString(), "long text");
    EXPECT_EQ(q.FieldByName("code")->AsString(), "ab ");
    q.Next();
    EXPECT_EQ(q.FieldByName("name")->AsString(), "Nut");
    for (const char* f : {"qty", "big", "price", "ratio", "ok", "due", "at", "stamp", "data", "note", "code"})
        EXPECT_TRUE(q.FieldByName(f)->IsNull()) << f;
}

TEST_F(ServerTest, FetchProgressReportsEachBatchInOrderWithTheExpectedTotal)
{
    // Analysed, the planner knows the row count exactly and the expected total is exact.
    Raw->Exec("CREATE TABLE n (v int PRIMARY KEY); INSERT INTO n SELECT generate_series(1, 7); ANALYZE n");
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SetCacheSize(3);
    q.SQL()->Add("SELECT v FROM n ORDER BY v");
    std::vector<std::string> events;
    q.OnFetchProgress = [&](TDataSet* D, int Progress, int Max, TEventStatus& Status) {
        EXPECT_EQ(D, &q);
        EXPECT_EQ(Status, esOK);
        events.push_back(std::to_string(Progress) + "/" + std::to_string(Max));
    };
    q.Open();
    EXPECT_EQ(events, (std::vector<std::string>{"3/7", "6/7", "7/7"}));
    EXPECT_EQ(q.RecordCount(), 7);
    q.Last();
    EXPECT_EQ(q.FieldByName("v")->AsInteger(), 7);

    // A condition leaves the total an estimate: it never falls below the rows read, and
    // the last event has the exact count (here after an empty third batch when the
    // estimate was off). An empty result reports 0/0 once.
    events.clear();
    q.Close();
    q.SQL()->Clear();
    q.SQL()->Add("SELECT v FROM n WHERE v <= 6 AND v % 2 >= 0");
    q.Open();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.back(), "6/6");
    EXPECT_EQ(events[0].substr(0, 2), "3/");
    EXPECT_GE(std::stoi(events[0].substr(2)), 3);
    EXPECT_EQ(events[1].substr(0, 2), "6/");
    EXPECT_EQ(q.ExpectedRecords(), 6);
    events.clear();
    q.Close();
    q.SQL()->Clear();
    q.SQL()->Add("SELECT v FROM n WHERE v > 100");
    q.Open();
    EXPECT_EQ(events, (std::vector<std::string>{"0/0"}));
    EXPECT_TRUE(q.IsEmpty());
}

TEST_F(ServerTest, AHandlerAnsweringCancelStopsTheFetchAndKeepsTheRowsRead)
{
    Raw->Exec("CREATE TABLE n (v int PRIMARY KEY); INSERT INTO n SELECT generate_series(1, 10); ANALYZE n");
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SetCacheSize(4);
    q.SQL()->Add("SELECT v FROM n ORDER BY v");
    int calls = 0;
    q.OnFetchProgress = [&](TDataSet*, int Progress, int Max, TEventStatus& Status) {
        ++calls;
        if (Progress >= 4)
            Status = esCancel;
    };
    q.Open();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(q.RecordCount(), 4);
    EXPECT_EQ(q.RecordsFetched(), 4);
    EXPECT_EQ(q.ExpectedRecords(), 10);
    q.Last();
    EXPECT_EQ(q.FieldByName("v")->AsInteger(), 4);
    // The connection is free again: the fetch's transaction ended.
    EXPECT_EQ(VarToStr(Conn->ExecuteScalar("SELECT count(*) FROM n")), "10");
}

TEST_F(ServerTest, PrepareCompilesWithoutRunningAndNamesTheServersError)
{
    Raw->Exec("CREATE TABLE t (id int PRIMARY KEY, name text); INSERT INTO t VALUES (1, 'a'), (2, 'b')");
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SQL()->Add("SELECT name FROM t WHERE id = :id");
    q.Prepare();
    EXPECT_TRUE(q.Prepared());
    EXPECT_FALSE(q.Active());
    q.SQL()->Clear();
    EXPECT_FALSE(q.Prepared());
    auto refused = [&](const std::string& SQL) {
        q.SQL()->Clear();
        q.SQL()->Add(SQL);
        try {
            q.Prepare();
            return std::string("prepared");
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
    };
    EXPECT_EQ(refused("SELECT name FROM WHERE id = 1"), "syntax error at or near \"WHERE\"");
    EXPECT_EQ(refused("SELECT nope FROM t"), "column \"nope\" does not exist");
    EXPECT_EQ(refused("DELETE FROM t"), "The SQL statement returns no result set");
    EXPECT_EQ(refused("SELECT 1; DELETE FROM t"), "cannot insert multiple commands into a prepared statement");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM t"), "2");
    // ExecSQL runs the application's statement with its parameters.
    q.SQL()->Clear();
    q.SQL()->Add("UPDATE t SET name = :name WHERE id >= :id");
    q.ParamByName("name")->SetAsString("it's");
    q.ParamByName("id")->SetAsInteger(1);
    EXPECT_EQ(q.ExecSQL(), 2);
    EXPECT_EQ(Raw->Rows("SELECT name FROM t ORDER BY id"), "it's\nit's");
}

TEST_F(ServerTest, AQueryFollowsTheMasterFillingItsParameters)
{
    Raw->Exec("CREATE TABLE m (id int PRIMARY KEY, name text); INSERT INTO m VALUES (1, 'one'), (2, 'two'), (3, 'three');"
              "CREATE TABLE d (id int, n int, PRIMARY KEY (id, n)); INSERT INTO d VALUES (1, 10), (1, 11), (3, 30)");
    TComponent owner(nullptr);
    auto* master = new TADOTable(&owner);
    master->SetConnection(Conn);
    master->SetTableName("m");
    auto* src = new TDataSource(&owner);
    src->SetDataSet(master);
    auto* q = new TADOQuery(&owner);
    q->SetConnection(Conn);
    q->SQL()->Add("SELECT n FROM d WHERE id = :id /* :notaparam */ AND ':x' <> '' ORDER BY n");
    ASSERT_EQ(q->ParamCount(), 1);
    auto* own = new TDataSource(&owner);
    own->SetDataSet(q);
    EXPECT_THROW(q->SetDataSource(own), EDatabaseError);
    q->SetDataSource(src);
    master->Open();
    q->Open();
    EXPECT_EQ(q->RecordCount(), 2);
    master->Next();
    EXPECT_TRUE(q->IsEmpty());
    master->Next();
    EXPECT_EQ(q->FieldByName("n")->AsInteger(), 30);
    std::vector<TField*> mf, df;
    q->GetDetailLinkFields(mf, df);
    ASSERT_EQ(mf.size(), 1u);
    EXPECT_EQ(mf[0], master->FieldByName("id"));
    EXPECT_TRUE(df.empty());  // the query has no field "id"
    // The query keeps its parameter values across a change of its text.
    q->SQL()->Clear();
    q->SQL()->Add("SELECT id, n FROM d WHERE id = :ID");
    EXPECT_EQ(q->ParamByName("id")->AsInteger(), 3);
}
