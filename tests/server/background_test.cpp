// Reading in the background: Open returns after the first batch with those records
// browsable, the rest arrive one batch per idle turn of the application (driven here
// turn by turn), and whatever needs the whole result or the connection finishes the
// reading first; closing or freeing the dataset abandons it cleanly.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <string>
#include <vector>

#include "korin/platform/db/ADODB.h"
#include "korin/platform/dbctrls/EngineWait.h"
#include "korin/platform/gui/Forms.h"
#include "tests/server/ServerFixture.h"

using namespace korin;

namespace {

// Counts what the controls are told.
class TCountingLink : public TDataLink {
public:
    std::vector<int> Changes;  // the record count at each change
    void DataSetChanged() override { Changes.push_back(DataSet()->RecordCount()); }
    void DataSetScrolled(int) override {}
};

class BackgroundTest : public ServerTest {
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        Raw->Exec("CREATE TABLE r (id int PRIMARY KEY, v text);"
                  "INSERT INTO r SELECT g, 'v' || g FROM generate_series(1, 10) g; ANALYZE r");
        FOldWait = SetEngineWaitProc(nullptr);
        InstallApplicationEngineWait();
        SetEngineWaitProc(nullptr);
        Q = std::make_unique<TADOQuery>(nullptr);
        Q->SetConnection(Conn);
        Q->SetCacheSize(4);
        Q->SQL()->Add("SELECT * FROM r ORDER BY id");
        Q->OnFetchProgress = [this](TDataSet*, int P, int M, TEventStatus&) {
            Events.push_back(std::to_string(P) + "/" + std::to_string(M));
        };
    }
    void TearDown() override
    {
        Q.reset();
        Application->SetIdleWork(nullptr);
        SetBackgroundFetchAvailable(false);
        SetEngineWaitProc(FOldWait);
        ServerTest::TearDown();
    }
    // No transaction or cursor is left on the connection and no idle work waits.
    void ExpectDone()
    {
        EXPECT_FALSE(Q && Q->Fetching());
        EXPECT_EQ(Conn->ReadingDataSet(), nullptr);
        EXPECT_EQ(PQtransactionStatus(Conn->Handle()), PQTRANS_IDLE);
        EXPECT_FALSE(EngineIdleWorkPending());
        EXPECT_FALSE(Application->DoIdleWork());
    }
    std::unique_ptr<TADOQuery> Q;
    std::vector<std::string> Events;
    TEngineWaitProc FOldWait;
};

std::string ErrorOf(const std::function<void()>& F)
{
    try {
        F();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST_F(BackgroundTest, OpenReturnsAfterTheFirstBatchAndIdleTurnsAppendTheRest)
{
    TDataSource src(nullptr);
    src.SetDataSet(Q.get());
    TCountingLink link;
    link.SetDataSource(&src);
    Q->Open();
    EXPECT_EQ(Events, (std::vector<std::string>{"4/10"}));
    EXPECT_EQ(Q->State(), dsBrowse);
    EXPECT_EQ(Q->RecordCount(), 4);
    EXPECT_TRUE(Q->Fetching());
    EXPECT_EQ(Conn->ReadingDataSet(), Q.get());
    EXPECT_EQ(Q->ExpectedRecords(), 10);
    Q->Next();
    link.Changes.clear();

    // One batch per turn; the current record stays where it is.
    EXPECT_TRUE(Application->DoIdleWork());
    EXPECT_EQ(Events, (std::vector<std::string>{"4/10", "8/10"}));
    EXPECT_EQ(Q->RecordCount(), 8);
    EXPECT_EQ(Q->RecNo(), 2);
    EXPECT_EQ(Q->FieldByName("v")->AsString(), "v2");
    EXPECT_EQ(link.Changes, (std::vector<int>{8}));
    Application->ProcessMessages();  // the message loop's idle turn does the same
    EXPECT_EQ(Events, (std::vector<std::string>{"4/10", "8/10", "10/10"}));
    EXPECT_EQ(Q->RecordCount(), 10);
    EXPECT_EQ(Q->RecNo(), 2);
    EXPECT_EQ(link.Changes, (std::vector<int>{8, 10}));
    EXPECT_EQ(Q->ExpectedRecords(), 10);
    ExpectDone();
    Q->Last();
    EXPECT_EQ(Q->FieldByName("id")->AsInteger(), 10);

    // Kept blocking on request: Open returns with every record.
    Q->Close();
    Events.clear();
    Q->SetFetchInBackground(false);
    Q->Open();
    EXPECT_EQ(Events, (std::vector<std::string>{"4/10", "8/10", "10/10"}));
    EXPECT_EQ(Q->RecordCount(), 10);
    ExpectDone();
}

TEST_F(BackgroundTest, WhatNeedsTheWholeResultOrTheConnectionFinishesTheFetchFirst)
{
    struct TCase {
        const char* Name;
        std::function<void(TADOQuery&)> Run;
        std::function<void(TADOQuery&)> Check;
        int Count;  // records read afterwards
    };
    const std::vector<TCase> cases = {
        {"Last", [](TADOQuery& q) { q.Last(); }, [](TADOQuery& q) { EXPECT_EQ(q.FieldByName("id")->AsInteger(), 10); }, 10},
        {"Locate", [](TADOQuery& q) { EXPECT_TRUE(q.Locate("v", Variant("v9"), {})); },
         [](TADOQuery& q) { EXPECT_EQ(q.RecNo(), 9); }, 10},
        {"MoveBy past the records read", [](TADOQuery& q) { EXPECT_EQ(q.MoveBy(5), 5); },
         [](TADOQuery& q) { EXPECT_EQ(q.FieldByName("id")->AsInteger(), 6); EXPECT_TRUE(q.Fetching()); }, 8},
        {"RecNo past the records read", [](TADOQuery& q) { q.SetRecNo(9); },
         [](TADOQuery& q) { EXPECT_EQ(q.FieldByName("id")->AsInteger(), 9); }, 10},
        {"filter", [](TADOQuery& q) { q.SetFilter("id > 3"); q.SetFiltered(true); },
         [](TADOQuery& q) { EXPECT_EQ(q.FieldByName("id")->AsInteger(), 4); }, 7},
        {"refresh", [](TADOQuery& q) { q.Refresh(); }, [](TADOQuery& q) { EXPECT_EQ(q.RecNo(), 1); }, 10},
        {"another statement", [](TADOQuery& q) { EXPECT_EQ(VarToStr(q.Connection()->ExecuteScalar("SELECT count(*) FROM r")), "10"); },
         [](TADOQuery&) {}, 10},
        {"append", [](TADOQuery& q) { q.Append(); q.FieldByName("id")->SetAsInteger(11); q.Post(); },
         [](TADOQuery& q) { EXPECT_EQ(q.RecNo(), 11); }, 11},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Raw->Exec("DELETE FROM r WHERE id > 10");
        Q->Close();
        Q->SetFiltered(false);
        Q->Open();
        ASSERT_EQ(Q->RecordCount(), 4);
        c.Run(*Q);
        c.Check(*Q);
        EXPECT_EQ(Q->RecordCount(), c.Count);
        if (c.Count != 8)
            ExpectDone();
    }
    // Editing a record reads it from the server again: after the rest of the records.
    Raw->Exec("DELETE FROM r WHERE id > 10");
    Q->Close();
    Q->Open();
    Q->Edit();
    EXPECT_EQ(Q->RecordCount(), 10);
    Q->FieldByName("v")->SetAsString("edited");
    Q->Post();
    EXPECT_EQ(Raw->Rows("SELECT v FROM r WHERE id = 1"), "edited");
    ExpectDone();
}

TEST_F(BackgroundTest, CloseFreeEscAndALostServerEndTheReadingCleanly)
{
    // Closing abandons the reading: its transaction is rolled back.
    Q->Open();
    Q->Close();
    ExpectDone();
    EXPECT_EQ(Events, (std::vector<std::string>{"4/10"}));

    // So does freeing the dataset.
    Q->Open();
    Q.reset();
    ExpectDone();

    // Esc while the rest is read for Last: the reading stops, the records read stay, the
    // move does not happen.
    Q = std::make_unique<TADOQuery>(nullptr);
    Q->SetConnection(Conn);
    Q->SetCacheSize(4);
    Q->SQL()->Add("SELECT * FROM r ORDER BY id");
    Q->Open();
    SetEngineWaitProc([] { CancelEngineOperation(); });
    EXPECT_EQ(ErrorOf([&] { Q->Last(); }), "Operation cancelled");
    SetEngineWaitProc(nullptr);
    EXPECT_EQ(Q->RecordCount(), 8);
    EXPECT_EQ(Q->RecNo(), 1);
    ExpectDone();
    Q->Last();
    EXPECT_EQ(Q->FieldByName("id")->AsInteger(), 8);

    // The server lost between two turns: the records read stay readable and the next
    // turn reports the server's text to the application, which goes on.
    Q->Close();
    Q->Open();
    std::string shown;
    Application->OnException = [&](TObject*, const std::exception& e) { shown = e.what(); };
    TRawPg killer(ConnInfo());
    killer.Exec("SELECT pg_terminate_backend(" + std::to_string(Conn->BackendPID()) + ", 10000)");
    EXPECT_TRUE(Application->DoIdleWork());
    Application->OnException = nullptr;
    EXPECT_TRUE(shown.find("terminating connection due to administrator command") != std::string::npos ||
                shown.find("server closed the connection unexpectedly") != std::string::npos)
        << shown;
    EXPECT_TRUE(Q->Active());
    EXPECT_FALSE(Q->Fetching());
    EXPECT_FALSE(Conn->Connected());
    EXPECT_EQ(Q->RecordCount(), 4);
    Q->Last();
    EXPECT_EQ(Q->FieldByName("v")->AsString(), "v4");
    EXPECT_FALSE(Application->DoIdleWork());
}
