// A database locked by another connection: statements wait up to the database's busy
// timeout, giving the application its turn before every pause, and succeed once the lock
// goes; past the timeout the engine's "database is locked" passes on and the edited
// values stay. The pauses are counted by a busy-wait procedure, never slept.
#include <sqlite3.h>

#include <numeric>

#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

class BusyTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TTable* T = nullptr;
    std::vector<int> Pauses;
    std::vector<std::string> Events;

    void SetUp() override
    {
        DbTest::SetUp();
        T = OpenTable(Owner.get(), "customers");
    }
    void TearDown() override
    {
        SetBusyWaitProc(nullptr);
        SetEngineWaitProc(nullptr);
        Owner.reset();
        DbTest::TearDown();
    }
    // Another connection holds a write transaction with a change of its own.
    void LockByOther() { Raw->Exec("BEGIN IMMEDIATE; UPDATE customers SET city = 'Oslo' WHERE id = 2"); }
    // Counts the pauses; OnPause runs in each one (after the pause is recorded).
    void CountPauses(std::function<void()> OnPause = nullptr)
    {
        SetBusyWaitProc([this, OnPause](int ms) {
            Pauses.push_back(ms);
            Events.push_back("pause " + std::to_string(ms));
            if (OnPause)
                OnPause();
        });
    }
    void EditName(const std::string& name)
    {
        ASSERT_TRUE(T->Locate("id", Variant(1), 0));
        T->Edit();
        T->FieldByName("name")->SetAsString(name);
    }
    int Total() const { return std::accumulate(Pauses.begin(), Pauses.end(), 0); }
};

TEST_F(BusyTest, APostWaitsForTheLockAndSucceedsWhenItIsReleased)
{
    EXPECT_EQ(T->Database()->BusyTimeout(), 5000);
    LockByOther();
    SetEngineWaitProc([this] { Events.push_back("turn"); });
    // The other connection commits during the first pause.
    CountPauses([this] {
        if (Pauses.size() == 1)
            Raw->Exec("COMMIT");
    });
    EditName("Smythe");
    EXPECT_NO_THROW(T->Post());
    EXPECT_EQ(T->State(), dsBrowse);
    // The application had its turn before the one pause; the retry went through.
    EXPECT_EQ(Events, (std::vector<std::string>{"turn", "pause 1"}));
    EXPECT_EQ(Raw->Rows("SELECT name, city FROM customers WHERE id IN (1, 2) ORDER BY id"), "Smythe|Paris\njones|Oslo");
}

TEST_F(BusyTest, PastTheTimeoutTheLockIsReportedAndTheValuesStay)
{
    T->Database()->SetBusyTimeout(200);
    LockByOther();
    CountPauses();
    EditName("Smythe");
    try {
        T->Post();
        FAIL() << "Post succeeded on a locked database";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "database is locked");
        EXPECT_EQ(e.ErrorCode() & 0xff, SQLITE_BUSY);
    }
    // Growing pauses, the last one cut so that exactly the timeout passes.
    EXPECT_EQ(Pauses, (std::vector<int>{1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 22}));
    EXPECT_EQ(Total(), 200);
    EXPECT_EQ(T->State(), dsEdit);
    EXPECT_EQ(T->FieldByName("name")->AsString(), "Smythe");

    // Once the lock goes, the same Post writes the kept values.
    Raw->Exec("COMMIT");
    Pauses.clear();
    EXPECT_NO_THROW(T->Post());
    EXPECT_TRUE(Pauses.empty());
    EXPECT_EQ(Raw->Rows("SELECT name FROM customers WHERE id = 1"), "Smythe");
}

TEST_F(BusyTest, TheDefaultWaitIsFiveSecondsAndNoTimeoutFailsAtOnce)
{
    LockByOther();
    CountPauses();
    EXPECT_THROW(T->Database()->Execute("DELETE FROM orders"), EDatabaseError);
    // The twelve growing pauses (328 ms), then tenths of a second, the last one cut.
    EXPECT_EQ(Total(), 5000);
    EXPECT_EQ(Pauses.size(), 59u);
    EXPECT_EQ(Pauses[12], 100);
    EXPECT_EQ(Pauses.back(), 72);

    Pauses.clear();
    T->Database()->SetBusyTimeout(0);
    EXPECT_THROW(T->Database()->Execute("DELETE FROM orders"), EDatabaseError);
    EXPECT_TRUE(Pauses.empty());
    T->Database()->SetBusyTimeout(-3);
    EXPECT_EQ(T->Database()->BusyTimeout(), 0);
    Raw->Exec("ROLLBACK");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM orders"), "5");
}

TEST_F(BusyTest, AnErrorInTheApplicationsTurnStopsTheWaitAndPassesOn)
{
    LockByOther();
    CountPauses();
    SetEngineWaitProc([] { throw EDatabaseError("Stopped by the application"); });
    EditName("Smythe");
    try {
        T->Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Stopped by the application");
    }
    EXPECT_TRUE(Pauses.empty());
    EXPECT_EQ(T->State(), dsEdit);
    Raw->Exec("ROLLBACK");
    SetEngineWaitProc(nullptr);
    EXPECT_NO_THROW(T->Post());
}

}  // namespace
