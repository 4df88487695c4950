// Statements from user text only read, cannot be smuggled past the check with a NUL
// character, and can be stopped; every case is checked through a second connection.
#include <sqlite3.h>

#include <fstream>
#include <functional>

#include "korin/platform/dbctrls/EngineWait.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"
#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

class GuardTest : public DbTest {
protected:
    TOwned<TComponent> Owner{new TComponent(nullptr)};
    TTable* Customers = nullptr;

    void SetUp() override
    {
        DbTest::SetUp();
        Application->Reset();
        Customers = OpenTable(Owner.get(), "customers");
    }
    void TearDown() override
    {
        SetEngineWaitProc(nullptr);
        Owner.reset();
        Application->Reset();
        DbTest::TearDown();
    }

    TQuery* NewQuery(const std::string& sql)
    {
        auto* q = new TQuery(Owner.get());
        q->SetDatabaseName(Path);
        q->SQL()->Add(sql);
        return q;
    }

    // The message of the error that opening the query raises ("" when it opens), and its
    // engine code.
    std::string OpenError(const std::string& sql, int* code = nullptr)
    {
        TQuery* q = NewQuery(sql);
        try {
            q->Open();
        } catch (const EDatabaseError& e) {
            if (code)
                *code = e.ErrorCode();
            q->Free();
            return e.Message();
        }
        q->Free();
        return "";
    }

    std::string FilterError(TDataSet* d, const std::string& filter)
    {
        try {
            d->SetFilter(filter);
            d->SetFiltered(true);
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return "";
    }

    // Posts an amount on the current customer; the error text or "".
    std::string PostAmount(double amount)
    {
        Customers->Edit();
        Customers->FieldByName("amount")->SetValue(Variant(amount));
        try {
            Customers->Post();
        } catch (const EDatabaseError& e) {
            Customers->Cancel();
            return e.Message();
        }
        return "";
    }
};

const std::string kReadOnly = " is not allowed: the statement may only read data";

}  // namespace

TEST_F(GuardTest, RefusedPragmasNeverTakeEffectOnTheSharedConnection)
{
    int code = 0;
    EXPECT_EQ(OpenError("PRAGMA ignore_check_constraints=ON", &code), "PRAGMA ignore_check_constraints" + kReadOnly);
    EXPECT_EQ(code, SQLITE_AUTH);
    // The table on the same connection still meets the CHECK constraint.
    EXPECT_EQ(PostAmount(-5), "CHECK constraint failed: amount >= 0");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers WHERE amount < 0"), "0");
    EXPECT_EQ(Raw->Rows("PRAGMA integrity_check"), "ok");

    EXPECT_EQ(OpenError("PRAGMA query_only=ON"), "PRAGMA query_only" + kReadOnly);
    EXPECT_EQ(PostAmount(1.5), "");
    EXPECT_EQ(Raw->Rows("SELECT amount FROM customers WHERE id = 1"), "1.5");

    // A lock mode that would shut every other process out after the next write.
    EXPECT_EQ(OpenError("PRAGMA main.locking_mode = EXCLUSIVE"), "PRAGMA locking_mode" + kReadOnly);
    EXPECT_EQ(PostAmount(2), "");
    EXPECT_NO_THROW(Raw->Exec("UPDATE customers SET city = 'Lyon' WHERE id = 2"));

    EXPECT_EQ(OpenError("PRAGMA max_page_count=1"), "PRAGMA max_page_count" + kReadOnly);
    Customers->Append();
    Customers->FieldByName("name")->SetValue(Variant("Newman"));
    EXPECT_NO_THROW(Customers->Post());
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM customers WHERE name = 'Newman'"), "1");

    // Settings a query reads are still allowed, the same names with a value are not.
    EXPECT_EQ(OpenError("PRAGMA user_version=7"), "PRAGMA user_version" + kReadOnly);
    EXPECT_EQ(Raw->Rows("PRAGMA user_version"), "0");
    TQuery* info = NewQuery("PRAGMA table_info(customers)");
    info->Open();
    EXPECT_EQ(info->RecordCount(), 7);
    EXPECT_EQ(info->FieldByName("name")->AsString(), "id");
    TQuery* version = NewQuery("PRAGMA user_version");
    version->Open();
    EXPECT_EQ(version->Fields(0)->AsString(), "0");
    TQuery* indexes = NewQuery("SELECT name FROM pragma_index_list('customers') ORDER BY name");
    indexes->Open();
    EXPECT_EQ(indexes->RecordCount(), 2);
}

TEST_F(GuardTest, AttachExtensionsTransactionsAndWritesAreRefusedByName)
{
    EXPECT_EQ(OpenError("ATTACH DATABASE '" + Dir.File("evil.db") + "' AS evil"), "ATTACH" + kReadOnly);
    EXPECT_EQ(OpenError("DETACH DATABASE main"), "DETACH" + kReadOnly);
    EXPECT_EQ(OpenError("SELECT load_extension('libevil')"), "load_extension()" + kReadOnly);
    EXPECT_EQ(OpenError("BEGIN IMMEDIATE"), "BEGIN" + kReadOnly);
    EXPECT_EQ(OpenError("SAVEPOINT s"), "SAVEPOINT" + kReadOnly);
    int code = 0;
    EXPECT_EQ(OpenError("UPDATE customers SET amount = 1 RETURNING id", &code),
              "The SQL statement changes data; run it with ExecSQL");
    EXPECT_EQ(code, SQLITE_AUTH);
    EXPECT_EQ(OpenError("VACUUM INTO '" + Dir.File("copy.db") + "'"), "The SQL statement changes data; run it with ExecSQL");
    EXPECT_FALSE(std::ifstream(Dir.File("evil.db")).good());
    EXPECT_FALSE(std::ifstream(Dir.File("copy.db")).good());
    EXPECT_FALSE(Customers->Database()->InTransaction());
    EXPECT_EQ(Raw->Rows("SELECT sum(amount) FROM customers"), "40.75");

    // The same check holds for a filter, and a refused filter changes nothing.
    Customers->Last();
    EXPECT_EQ(FilterError(Customers, "load_extension('libevil') IS NULL"), "load_extension()" + kReadOnly);
    EXPECT_FALSE(Customers->Filtered());
    EXPECT_EQ(Customers->RecordCount(), 5);
    EXPECT_EQ(Customers->RecNo(), 5);
    // The application's own explicit calls still change data.
    TQuery* exec = NewQuery("UPDATE customers SET amount = amount + 1 WHERE id = 4");
    exec->ExecSQL();
    EXPECT_EQ(exec->RowsAffected(), 1);
    EXPECT_EQ(Raw->Rows("SELECT amount FROM customers WHERE id = 4"), "8.25");
}

TEST_F(GuardTest, NulCharactersAreRefusedBeforeAnythingRuns)
{
    const std::string update = std::string("UPDATE customers SET name = 'x' WHERE id = 1") + '\0';
    TQuery* exec = NewQuery(update);
    try {
        exec->ExecSQL();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "The SQL text contains a NUL character at position 45");
    }
    TDatabase* db = Customers->Database();
    EXPECT_THROW(db->Execute(std::string("DELETE FROM orders WHERE ordno = 100;\0DELETE FROM orders", 56)),
                 EDatabaseError);
    EXPECT_EQ(Raw->Rows("SELECT name FROM customers WHERE id = 1"), "Smith");
    EXPECT_EQ(Raw->Rows("SELECT count(*) FROM orders"), "5");

    // The first part of a text is not opened silently without the rest.
    EXPECT_EQ(OpenError(std::string("SELECT 1\0 garbage", 17)), "The SQL text contains a NUL character at position 9");
    EXPECT_EQ(FilterError(Customers, std::string("city = 'Paris'\0 OR 1", 20)),
              "The SQL text contains a NUL character at position 15");
    EXPECT_EQ(Customers->RecordCount(), 5);
    // A NUL inside a value is data, not SQL.
    EXPECT_TRUE(!Customers->Locate("name", Variant(std::string("Sm\0th", 5)), 0));
}

TEST_F(GuardTest, HugeValuesFailWithTheEngineMessage)
{
    EXPECT_EQ(FilterError(Customers, "randomblob(500000000) IS NOT NULL"), "string or blob too big");
    EXPECT_EQ(FilterError(Customers, "length(printf('%.*c', 2147483647, 'x')) > 0"), "string or blob too big");
    int code = 0;
    EXPECT_EQ(OpenError("SELECT zeroblob(1000000000)", &code), "string or blob too big");
    EXPECT_EQ(code, SQLITE_TOOBIG);
    EXPECT_FALSE(Customers->Filtered());
    EXPECT_EQ(Customers->RecordCount(), 5);
    // Texts within the limit are formatted as ever.
    TQuery* q = NewQuery("SELECT printf('%5.2f|%s|%.*c', 3.14159, 'x', 3, 'y') AS p, format('%d%%', 7) AS f");
    q->Open();
    EXPECT_EQ(q->FieldByName("p")->AsString(), " 3.14|x|yyy");
    EXPECT_EQ(q->FieldByName("f")->AsString(), "7%");
}

TEST_F(GuardTest, EscStopsAnEndlessFilterAndTheDataSetStaysAsItWas)
{
    InstallApplicationEngineWait();
    ASSERT_TRUE(Customers->Locate("name", Variant("Brown"), 0));
    TInputScript().Key(VK_ESCAPE);
    int code = 0;
    try {
        Customers->SetFilter("id IN (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c)");
        Customers->SetFiltered(true);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Operation cancelled");
        code = e.ErrorCode();
    }
    EXPECT_EQ(code, SQLITE_INTERRUPT);
    EXPECT_FALSE(Customers->Filtered());
    EXPECT_EQ(Customers->RecordCount(), 5);
    EXPECT_EQ(Customers->FieldByName("name")->AsString(), "Brown");
    EXPECT_FALSE(EngineOperationRunning());
    // Nothing is left locked: another connection writes, and the next filter runs.
    EXPECT_NO_THROW(Raw->Exec("UPDATE customers SET city = 'Rome' WHERE id = 4"));
    EXPECT_EQ(FilterError(Customers, "city = 'Rome'"), "");
    EXPECT_EQ(Customers->RecordCount(), 1);
}

TEST_F(GuardTest, CancelRequestsStopLongStatementsAndPendingMessagesAreProcessed)
{
    int turns = 0;
    int cancelAt = 3;
    SetEngineWaitProc([&] {
        ++turns;
        // Posting and processing a message shows the wait procedure runs on the
        // application's loop; the connection of the paused statement is busy meanwhile.
        Application->PostMessage(0, WM_NULL, 0, 0);
        ApplicationEngineWait();
        EXPECT_EQ(Application->PendingMessageCount(), 0);
        EXPECT_THROW(Customers->Database()->Execute("SELECT 1"), EDatabaseError);
        if (turns == cancelAt)
            CancelEngineOperation();
    });
    const std::string join = "(SELECT count(*) FROM customers a, customers b, customers c, customers d, customers e, "
                             "customers f, customers g, customers h, customers i, customers j) > 0";
    EXPECT_EQ(FilterError(Customers, join), "Operation cancelled");
    EXPECT_EQ(turns, 3);
    EXPECT_FALSE(Customers->Filtered());
    turns = 0;
    EXPECT_EQ(OpenError("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c"),
              "Operation cancelled");
    EXPECT_EQ(turns, 3);

    // Locate and key searches run under the same watch.
    Raw->Exec("WITH RECURSIVE c(x) AS (SELECT 1000 UNION ALL SELECT x + 1 FROM c WHERE x < 200000) "
              "INSERT INTO orders (ordno, custno, item, qty) SELECT x, 1, 'item' || x, 1 FROM c");
    cancelAt = -1;
    TTable* orders = OpenTable(Owner.get(), "orders");
    orders->First();
    turns = 0;
    cancelAt = 3;
    EXPECT_THROW(orders->Locate("item", Variant("NO SUCH"), loCaseInsensitive), EDatabaseError);
    EXPECT_EQ(turns, 3);
    EXPECT_EQ(orders->RecNo(), 1);

    // A request while nothing runs is dropped.
    CancelEngineOperation();
    SetEngineWaitProc(nullptr);
    EXPECT_EQ(FilterError(Customers, "city = 'Paris'"), "");
    EXPECT_EQ(Customers->RecordCount(), 2);
}

TEST_F(GuardTest, EngineErrorsCarryTheExtendedResultCode)
{
    auto codeOf = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const EDatabaseError& e) {
            return e.ErrorCode();
        }
        return -1;
    };
    Customers->Edit();
    Customers->FieldByName("name")->SetValue(Variant("jones"));
    EXPECT_EQ(codeOf([&] { Customers->Post(); }), SQLITE_CONSTRAINT_UNIQUE);
    Customers->Cancel();
    Customers->Edit();
    Customers->FieldByName("amount")->SetValue(Variant(-1.0));
    EXPECT_EQ(codeOf([&] { Customers->Post(); }), SQLITE_CONSTRAINT_CHECK);
    Customers->Cancel();
    EXPECT_EQ(codeOf([&] { Customers->Database()->Execute("SELEC 1"); }), SQLITE_ERROR);
    // Errors the datasets raise themselves carry no engine code.
    EXPECT_EQ(codeOf([&] { Customers->FieldByName("nope"); }), 0);
    Raw->Exec("BEGIN EXCLUSIVE");
    EXPECT_EQ(codeOf([&] { Customers->Database()->Execute("DELETE FROM orders"); }), SQLITE_BUSY);
    Raw->Exec("ROLLBACK");
}
