// What users type never changes the database or the connection; a server that goes
// away mid-fetch is an error, never a success; the application keeps its turns.
#include <gtest/gtest.h>

#include "korin/platform/db/ADODB.h"
#include "tests/server/ServerFixture.h"

using namespace korin;

namespace {

class SafetyTest : public ServerTest {
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        Raw->Exec("CREATE TABLE t (id serial PRIMARY KEY, name text NOT NULL, qty int);"
                  "CREATE SEQUENCE s;"
                  "INSERT INTO t (name, qty) SELECT 'n' || g, g FROM generate_series(1, 10) g;"
                  "ANALYZE t");
    }
    // The table and sequence as a second connection sees them.
    std::string State() { return Raw->Rows("SELECT count(*), sum(qty), max(name) FROM t") + " " + Raw->Rows("SELECT last_value, is_called FROM s"); }
};

}  // namespace

TEST_F(SafetyTest, HostileFiltersParametersAndNamesChangeNothing)
{
    const std::string before = State();
    const std::string path = VarToStr(Conn->ExecuteScalar("SHOW search_path"));
    TADOTable tab(nullptr);
    tab.SetConnection(Conn);
    tab.SetTableName("t");
    tab.Open();
    for (const char* f :
         {"1=1; DELETE FROM t", "qty > 0) korin_filtered; DELETE FROM t; --", "nextval('s') > 0",
          "(SELECT count(*) FROM (DELETE FROM t RETURNING 1) d) > 0",
          "(SELECT setval('s', 99)) > 0", "qty > 0 /*", "$$ ; DELETE FROM t; --"}) {
        tab.SetFilter(f);
        EXPECT_THROW(tab.SetFiltered(true), EDatabaseError) << f;
        EXPECT_FALSE(tab.Filtered());
        EXPECT_EQ(tab.RecordCount(), 10) << f;
        EXPECT_EQ(State(), before) << f;
    }
    // A filter changing a session setting reads its rows, and the setting is undone with
    // the fetch's transaction.
    tab.SetFilter("set_config('search_path', 'pg_catalog', false) <> '' AND qty < 3");
    tab.SetFiltered(true);
    EXPECT_EQ(tab.RecordCount(), 2);
    tab.SetFiltered(false);
    EXPECT_EQ(tab.RecordCount(), 10);
    EXPECT_EQ(VarToStr(Conn->ExecuteScalar("SHOW search_path")), path);
    EXPECT_EQ(State(), before);

    // A table name is only ever a table's name.
    TADOTable bad(nullptr);
    bad.SetConnection(Conn);
    for (const char* n : {"t; DELETE FROM t", "t WHERE false", "(DELETE FROM t RETURNING *) x"}) {
        bad.SetTableName(n);
        EXPECT_THROW(bad.Open(), EDatabaseError) << n;
        EXPECT_FALSE(bad.Active());
    }
    // Parameter values are values.
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SQL()->Add("SELECT id FROM t WHERE name = :n OR name = :n || ';'");
    ASSERT_EQ(q.ParamCount(), 1);
    q.ParamByName("n")->SetAsString("x'; DELETE FROM t; --");
    q.Open();
    EXPECT_TRUE(q.IsEmpty());
    q.Close();
    q.ParamByName("n")->SetAsString("n3");
    q.Open();
    EXPECT_EQ(q.FieldByName("id")->AsInteger(), 3);
    EXPECT_EQ(State(), before);
}

TEST_F(SafetyTest, AReadOnlyTransactionRefusesAWritingQueryAndOneTextIsOneStatement)
{
    const std::string before = State();
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SetReadOnlyTransaction(true);
    q.SQL()->Add("SELECT nextval('s'), * FROM t");
    try {
        q.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "cannot execute nextval() in a read-only transaction");
    }
    EXPECT_FALSE(q.Active());
    q.SQL()->Clear();
    q.SQL()->Add("SELECT * FROM t; DELETE FROM t");
    EXPECT_THROW(q.Open(), EDatabaseError);
    q.SQL()->Clear();
    q.SQL()->Add("WITH d AS (DELETE FROM t RETURNING *) SELECT * FROM d");
    EXPECT_THROW(q.Open(), EDatabaseError);
    EXPECT_EQ(State(), before);
    // The connection is usable afterwards.
    q.SQL()->Clear();
    q.SQL()->Add("SELECT name FROM t WHERE id = :id -- :ignored");
    q.ParamByName("id")->SetAsInteger(4);
    q.Open();
    EXPECT_EQ(q.FieldByName("name")->AsString(), "n4");
}

TEST_F(SafetyTest, ServerKilledMidFetchRaisesItsTextAndClosesTheOpeningDataset)
{
    TRawPg killer(ConnInfo());
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SetCacheSize(3);
    q.SQL()->Add("SELECT * FROM t ORDER BY id");
    int pid = Conn->BackendPID();
    std::vector<int> progress;
    q.OnFetchProgress = [&](TDataSet*, int Progress, int, TEventStatus&) {
        progress.push_back(Progress);
        if (Progress == 3)
            killer.Exec("SELECT pg_terminate_backend(" + std::to_string(pid) + ", 10000)");
    };
    try {
        q.Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& e) {
        std::string m = e.Message();
        EXPECT_TRUE(m.find("terminating connection due to administrator command") != std::string::npos ||
                    m.find("server closed the connection unexpectedly") != std::string::npos)
            << m;
    }
    EXPECT_EQ(progress, std::vector<int>{3});
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(q.RecordCount(), 0);
    EXPECT_FALSE(Conn->Connected());
    // Opening again connects again.
    q.OnFetchProgress = nullptr;
    q.Open();
    EXPECT_EQ(q.RecordCount(), 10);
}

TEST_F(SafetyTest, ServerKilledWhileRefreshingKeepsTheRecordsAlreadyRead)
{
    TRawPg killer(ConnInfo());
    TADOTable tab(nullptr);
    tab.SetConnection(Conn);
    tab.SetTableName("t");
    tab.SetCacheSize(4);
    tab.Open();
    tab.SetRecNo(6);
    Raw->Exec("UPDATE t SET name = 'changed'");
    int pid = Conn->BackendPID();
    tab.OnFetchProgress = [&](TDataSet*, int Progress, int, TEventStatus&) {
        killer.Exec("SELECT pg_terminate_backend(" + std::to_string(pid) + ", 10000)");
    };
    EXPECT_THROW(tab.Refresh(), EDatabaseError);
    EXPECT_TRUE(tab.Active());
    EXPECT_EQ(tab.RecordCount(), 10);
    EXPECT_EQ(tab.RecNo(), 6);
    EXPECT_EQ(tab.FieldByName("name")->AsString(), "n6");
    tab.Last();
    EXPECT_EQ(tab.FieldByName("name")->AsString(), "n10");
    // Writing needs the connection: a clear error, the values kept.
    tab.Edit();
    EXPECT_EQ(tab.State(), dsEdit);
    tab.FieldByName("qty")->SetAsInteger(77);
    try {
        tab.Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "The connection is not open");
    }
    EXPECT_EQ(tab.State(), dsEdit);
    EXPECT_EQ(tab.FieldByName("qty")->AsInteger(), 77);
    tab.Cancel();
    EXPECT_EQ(Raw->Rows("SELECT qty FROM t WHERE id = 10"), "10");
}

TEST_F(SafetyTest, EachBatchGivesTheApplicationATurnAndFeedsTheProgressCallbacks)
{
    std::vector<std::string> events;
    TEngineWaitProc old = SetEngineWaitProc([&] { events.push_back("turn"); });
    CBPROGRESSDesc desc{};
    TBDECallback cb(nullptr, nullptr, cbGENPROGRESS, &desc, sizeof desc, [&](void*) {
        events.push_back(std::to_string(desc.iPercentDone) + "% " + desc.szMsg);
        return cbrCONTINUE;
    }, false);
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SetCacheSize(4);
    q.SQL()->Add("SELECT * FROM t");
    q.OnFetchProgress = [&](TDataSet*, int P, int M, TEventStatus&) {
        events.push_back(std::to_string(P) + "/" + std::to_string(M));
    };
    q.Open();
    SetEngineWaitProc(old);
    EXPECT_EQ(events, (std::vector<std::string>{"4/10", "40% Records read: 4", "turn", "8/10", "80% Records read: 8",
                                                 "turn", "10/10", "100% Records read: 10", "turn"}));
    // While the records are read, the connection takes no other statement.
    q.Close();
    std::string refused;
    q.OnFetchProgress = [&](TDataSet*, int, int, TEventStatus&) {
        try {
            Conn->Execute("DELETE FROM t");
        } catch (const EDatabaseError& e) {
            refused = e.Message();
        }
    };
    q.Open();
    EXPECT_EQ(refused, "The connection is busy: records are still being read");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM t"), "10");
}

TEST_F(SafetyTest, SerialKeysComeBackFromTheServerAndJoinsAreReadOnly)
{
    TADOTable tab(nullptr);
    tab.SetConnection(Conn);
    tab.SetTableName("T");  // unquoted names fold to lower case, as in SQL
    tab.Open();
    EXPECT_TRUE(tab.CanModify());
    EXPECT_FALSE(tab.FieldByName("id")->CanModify());
    tab.Append();
    tab.FieldByName("name")->SetAsString("new");
    tab.Post();
    EXPECT_EQ(tab.FieldByName("id")->AsInteger(), 11);
    EXPECT_TRUE(tab.FieldByName("qty")->IsNull());
    EXPECT_EQ(Raw->Rows("SELECT name FROM t WHERE id = 11"), "new");

    TADODataSet ds(nullptr);
    ds.SetConnection(Conn);
    ds.SetCommandText("SELECT a.name, b.qty FROM t a JOIN t b ON b.id = a.id WHERE a.id < :lim");
    ds.ParamByName("lim")->SetAsInteger(3);
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);
    EXPECT_FALSE(ds.CanModify());
    EXPECT_THROW(ds.Edit(), EDatabaseError);
    // A query of one table's columns with its key is editable; computed columns are not.
    TADOQuery q(nullptr);
    q.SetConnection(Conn);
    q.SQL()->Add("SELECT id, name, qty * 2 AS twice FROM t WHERE id = 2");
    q.Open();
    EXPECT_TRUE(q.CanModify());
    EXPECT_FALSE(q.FieldByName("twice")->CanModify());
    q.Edit();
    q.FieldByName("name")->SetAsString("two");
    q.Post();
    EXPECT_EQ(q.FieldByName("twice")->AsInteger(), 4);
    EXPECT_EQ(Raw->Rows("SELECT name FROM t WHERE id = 2"), "two");
}
