// A dataset or its connection freed while the dataset reads its records (by the
// dataset's own progress handler, or by whatever the application does in the turn a
// fetch gives it): the reading stops without touching what was freed, the caller hears
// of it, and a connection that is still there is left ready for the next statement.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <string>
#include <vector>

#include "korin/platform/db/ADODB.h"
#include "tests/server/ServerFixture.h"

using namespace korin;

namespace {

class LifetimeTest : public ServerTest {
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        Raw->Exec("CREATE TABLE t (id serial PRIMARY KEY, v int);"
                  "INSERT INTO t (v) SELECT g FROM generate_series(1, 10) g");
        FOldWait = SetEngineWaitProc(nullptr);
    }
    void TearDown() override
    {
        SetEngineWaitProc(FOldWait);
        ServerTest::TearDown();
    }
    TADOQuery* NewQuery(TADOConnection* C)
    {
        auto* q = new TADOQuery(nullptr);
        q->SetConnection(C);
        q->SetCacheSize(3);
        q->SQL()->Add("SELECT * FROM t ORDER BY id");
        return q;
    }
    // The connection has no transaction or cursor left and reads again.
    void ExpectReady(TADOConnection* C)
    {
        EXPECT_FALSE(C->Busy());
        EXPECT_EQ(PQtransactionStatus(C->Handle()), PQTRANS_IDLE);
        EXPECT_EQ(VarToStr(C->ExecuteScalar("SELECT count(*) FROM pg_cursors WHERE name = 'korin_fetch'")), "0");
        TADOTable tab(nullptr);
        tab.SetConnection(C);
        tab.SetTableName("t");
        tab.Open();
        EXPECT_EQ(tab.RecordCount(), 10);
    }
    TEngineWaitProc FOldWait;
};

std::string ErrorOf(const std::function<void()>& F)
{
    try {
        F();
    } catch (const EDataSetFreed& e) {
        return std::string("freed: ") + e.what();
    } catch (const EDatabaseError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST_F(LifetimeTest, ADataSetFreedDuringItsFetchStopsItAndLeavesTheConnectionReady)
{
    // By its own progress handler while opening.
    TADOQuery* q = NewQuery(Conn);
    std::vector<int> seen;
    q->OnFetchProgress = [&](TDataSet*, int Progress, int, TEventStatus&) {
        seen.push_back(Progress);
        if (Progress == 6)
            delete q;
    };
    EXPECT_EQ(ErrorOf([&] { q->Open(); }), "freed: The dataset was freed while its records were being read");
    EXPECT_EQ(seen, (std::vector<int>{3, 6}));
    EXPECT_EQ(Conn->DataSetCount(), 0);
    ExpectReady(Conn);

    // By the application in the turn it gets after a batch, while refreshing.
    q = NewQuery(Conn);
    q->Open();
    bool armed = false;
    int turns = 0;
    q->OnFetchProgress = [&](TDataSet*, int Progress, int, TEventStatus&) { armed = Progress == 3; };
    SetEngineWaitProc([&] {
        ++turns;
        if (armed && q) {
            delete q;
            q = nullptr;
        }
    });
    EXPECT_EQ(ErrorOf([&] { q->Refresh(); }), "freed: The dataset was freed while its records were being read");
    EXPECT_EQ(q, nullptr);
    EXPECT_GE(turns, 1);
    SetEngineWaitProc(nullptr);
    ExpectReady(Conn);
}

TEST_F(LifetimeTest, AConnectionFreedDuringAFetchClosesTheDataSetWithAClearError)
{
    for (bool inTurn : {false, true}) {
        SCOPED_TRACE(inTurn ? "freed in the application's turn" : "freed by the progress handler");
        auto* c = new TADOConnection(nullptr);
        c->SetConnectionString(ConnInfo());
        c->Open();
        std::unique_ptr<TADOQuery> q(NewQuery(c));
        bool armed = false;
        std::vector<int> seen;
        q->OnFetchProgress = [&](TDataSet*, int Progress, int, TEventStatus&) {
            seen.push_back(Progress);
            if (Progress == 3 && !inTurn) {
                delete c;
                c = nullptr;
            }
            armed = Progress == 3;
        };
        SetEngineWaitProc([&] {
            if (inTurn && armed && c) {
                delete c;
                c = nullptr;
            }
        });
        EXPECT_EQ(ErrorOf([&] { q->Open(); }), "The connection was freed while records were being read");
        SetEngineWaitProc(nullptr);
        EXPECT_EQ(c, nullptr);
        EXPECT_EQ(seen, (std::vector<int>{3}));
        EXPECT_FALSE(q->Active());
        EXPECT_EQ(q->Connection(), nullptr);
        EXPECT_EQ(q->RecordCount(), 0);
        // Opening again says what is missing.
        EXPECT_EQ(ErrorOf([&] { q->Open(); }), "No connection is given to the dataset");
    }
    ExpectReady(Conn);
}
