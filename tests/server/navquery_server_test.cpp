// The navigator's QUERY and its fetch-progress handler on server datasets: the internal
// query is built on the dataset's connection and reads in a read-only transaction, so a
// condition that tries to write is refused by the server and changes nothing (seen through
// a second connection); a normal condition and sort order work, and releasing the query
// comes back to the same record of the original dataset.
#include <string>
#include <vector>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"
#include "korin/statusbar/Statbar.h"
#include "tests/server/ServerFixture.h"

using namespace korin;

namespace {

// A navigator whose condition builder answers with the texts a test gives it.
class TScriptedNavigator : public TVandroDBNavigator {
public:
    using TVandroDBNavigator::TVandroDBNavigator;
    bool ShowQueryBox(std::string& Where, std::string& OrderBy) override
    {
        Where = NextWhere;
        OrderBy = NextOrderBy;
        return !Where.empty() || !OrderBy.empty();
    }
    std::string NextWhere, NextOrderBy;
};

class NavServerTest : public ServerTest {
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        Application->Reset();
        Raw->Exec(
            "CREATE TABLE customer (custno integer PRIMARY KEY, name text);"
            "INSERT INTO customer VALUES (1, 'Anna'), (2, 'Chen'), (3, 'Olga');"
            "CREATE TABLE orders (orderno integer PRIMARY KEY, custno integer, amount numeric(10,2), note text);"
            "INSERT INTO orders SELECT g, g % 3 + 1, 25 * g, 'note ' || g FROM generate_series(1, 20) AS g;"
            "CREATE TABLE audit (what text);"
            // A function that writes: a condition calling it tries to change the database.
            "CREATE FUNCTION sneak() RETURNS boolean LANGUAGE sql VOLATILE AS "
            "$$ INSERT INTO audit VALUES ('sneaked') RETURNING true $$;");
        Form = new TForm(nullptr);
        Form->SetBounds(100, 50, 640, 420);
        Form->Show();
        Orders = new TADOQuery(Form);
        Orders->SetName("Orders");
        Orders->SetConnection(Conn);
        Orders->SQL()->Add("SELECT *");
        Orders->SQL()->Add("FROM orders");
        Orders->Open();
        Source = new TDataSource(Form);
        Source->SetDataSet(Orders);
        Nav = new TScriptedNavigator(Form);
        Nav->Loaded();
        Nav->SetBounds(10, 10, 500, 20);
        Nav->SetDataSource(Source);
        Application->OnMessageBox = [this](TCustomForm*, const std::string& Text, const std::string& Caption,
                                           std::uint32_t) {
            Boxes.push_back(Caption + ": " + Text);
            input.Key(VK_RETURN);
        };
    }
    void TearDown() override
    {
        Application->OnMessageBox = nullptr;
        if (Form)
            Form->Free();
        Application->Reset();
        ServerTest::TearDown();
    }
    void Query(const std::string& Where, const std::string& OrderBy = "")
    {
        Nav->NextWhere = Where;
        Nav->NextOrderBy = OrderBy;
        Nav->ApplyQuery(nqaModify);
        Application->ProcessMessages();
    }
    int OrderNo(TDataSet* DS) { return static_cast<int>(DS->FieldByName("orderno")->AsInteger()); }
    std::vector<int> OrderNos(TDataSet* DS)
    {
        std::vector<int> ids;
        for (DS->First(); !DS->EOF(); DS->Next())
            ids.push_back(OrderNo(DS));
        return ids;
    }
    // What the server holds, read through the second connection.
    std::string Stored() { return Raw->Rows("SELECT count(*), sum(amount) FROM orders") + " / " + Raw->Rows("SELECT count(*) FROM audit"); }

    TInputScript input;
    std::vector<std::string> Boxes;
    TForm* Form = nullptr;
    TADOQuery* Orders = nullptr;
    TDataSource* Source = nullptr;
    TScriptedNavigator* Nav = nullptr;
};

}  // namespace

TEST_F(NavServerTest, AConditionThatWritesIsRefusedAndChangesNothing)
{
    const std::string before = Stored();
    ASSERT_EQ(before, "20|5250.00 / 0");
    Orders->First();
    Orders->MoveBy(6);
    ASSERT_EQ(OrderNo(Orders), 7);

    // The function runs inside the query's read-only transaction: the server refuses the
    // INSERT, the query is not applied and the dataset stays as it was.
    Query("sneak()");
    EXPECT_EQ(Boxes, std::vector<std::string>{"SQL ERROR: Can not apply Query!"});
    EXPECT_FALSE(Nav->QueryActive());
    EXPECT_EQ(Source->DataSet(), Orders);
    EXPECT_TRUE(Orders->Active());
    EXPECT_EQ(OrderNo(Orders), 7);
    ASSERT_NE(Nav->InternalADOQuery(), nullptr);
    EXPECT_TRUE(Nav->InternalADOQuery()->ReadOnlyTransaction());
    EXPECT_EQ(Nav->InternalADOQuery()->Connection(), Conn);

    // Other texts that would write: a second statement and a data-changing subquery do
    // not compile as one query; a row lock compiles but the read-only transaction refuses
    // it. A condition on a field that does not exist does not compile either.
    Boxes.clear();
    for (const char* where : {"1=1; DELETE FROM orders", "EXISTS (SELECT 1 FROM (DELETE FROM orders RETURNING 1) d)",
                              "amount > 0) FOR UPDATE --", "nosuchfield = 1"}) {
        Query(where);
        EXPECT_FALSE(Nav->QueryActive()) << where;
        EXPECT_EQ(Source->DataSet(), Orders) << where;
        EXPECT_EQ(OrderNo(Orders), 7) << where;
    }
    EXPECT_EQ(Boxes, (std::vector<std::string>{"Parser error: Can't prepare query!", "Parser error: Can't prepare query!",
                                               "SQL ERROR: Can not apply Query!", "Parser error: Can't prepare query!"}));
    // Nothing reached the server's tables, and the connection still serves.
    EXPECT_EQ(Stored(), before);
    EXPECT_TRUE(Conn->Connected());
    EXPECT_EQ(Orders->RecordCount(), 20);
}

TEST_F(NavServerTest, AConditionAndOrderWorkAndReleaseRestoresTheDataset)
{
    Query("amount >= 250", "note DESC");
    ASSERT_TRUE(Nav->QueryActive());
    TADOQuery* q = Nav->InternalADOQuery();
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(Nav->InternalQuery(), nullptr);
    EXPECT_EQ(q->SQL()->Count(), 1);
    EXPECT_EQ(q->SQL()->Strings(0), "SELECT *\nFROM orders WHERE (amount >= 250) ORDER BY note DESC");
    EXPECT_EQ(Source->DataSet(), q);
    EXPECT_EQ(OrderNos(q), (std::vector<int>{20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10}));

    q->First();
    q->MoveBy(4);
    ASSERT_EQ(OrderNo(q), 16);
    Nav->ApplyQuery(nqaRelease);
    EXPECT_FALSE(Nav->QueryActive());
    EXPECT_EQ(Source->DataSet(), Orders);
    EXPECT_EQ(Orders->RecordCount(), 20);
    EXPECT_EQ(OrderNo(Orders), 16);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(Stored(), "20|5250.00 / 0");
}

TEST_F(NavServerTest, TablesAndCommandTextsAreQueriedToo)
{
    // A detail table of the customers: its link becomes the query's condition, and the
    // master source fills it.
    auto* customers = new TADOTable(Form);
    customers->SetConnection(Conn);
    customers->SetTableName("customer");
    customers->Open();
    auto* custSrc = new TDataSource(Form);
    custSrc->SetDataSet(customers);
    auto* detail = new TADOTable(Form);
    detail->SetConnection(Conn);
    detail->SetTableName("orders");
    detail->SetMasterSource(custSrc);
    detail->SetMasterFields("custno");
    detail->Open();
    customers->Locate("custno", Variant(2), 0);
    Source->SetDataSet(detail);
    Query("amount > 200", "orderno");
    ASSERT_TRUE(Nav->QueryActive());
    EXPECT_EQ(Nav->InternalADOQuery()->SQL()->Strings(0),
              "SELECT * FROM orders WHERE ((custno=:custno)) AND (amount > 200)  ORDER BY orderno");
    EXPECT_EQ(Nav->InternalADOQuery()->DataSource(), custSrc);
    EXPECT_EQ(OrderNos(Nav->InternalADOQuery()), (std::vector<int>{10, 13, 16, 19}));
    Nav->ApplyQuery(nqaRelease);
    EXPECT_EQ(Source->DataSet(), detail);

    // A command text is queried as it stands.
    auto* command = new TADODataSet(Form);
    command->SetConnection(Conn);
    command->SetCommandText("SELECT orderno, amount FROM orders WHERE custno = 3");
    command->Open();
    Source->SetDataSet(command);
    Query("amount < 200");
    ASSERT_TRUE(Nav->QueryActive());
    EXPECT_EQ(Nav->InternalADOQuery()->SQL()->Strings(0),
              "SELECT orderno, amount FROM orders WHERE (custno = 3) AND (amount < 200) ");
    EXPECT_EQ(OrderNos(Nav->InternalADOQuery()), (std::vector<int>{2, 5}));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(NavServerTest, TheStatusBarCountsTheRowsAsTheyArrive)
{
    Raw->Exec("CREATE TABLE big AS SELECT g AS id FROM generate_series(1, 1000) AS g; ANALYZE big");
    auto* bar = new TKStatusBar(Form);
    bar->SetParent(Form);
    TKStatusPanel* count = bar->Panels()->Add();
    count->SetStyle(psDBProgressRecNum);
    TKStatusPanel* percent = bar->Panels()->Add();
    percent->SetStyle(psDBPercent);
    auto* grid = new TDBGrid(Form);
    grid->SetParent(Form);
    grid->SetBounds(10, 40, 300, 200);
    grid->SetDataSource(Source);
    Nav->ReInitialize();
    ASSERT_EQ(Nav->StatusBar(), bar);
    std::vector<std::string> own;
    Orders->OnFetchProgress = [&own](TDataSet*, int Progress, int, TEventStatus&) { own.push_back(std::to_string(Progress)); };
    Orders->Close();
    Orders->SQL()->Clear();
    Orders->SQL()->Add("SELECT * FROM big ORDER BY id");
    Orders->SetCacheSize(300);
    grid->SetFocus();
    Application->ProcessMessages();
    ASSERT_TRUE(Nav->IsOwnFetchProgress(Orders->OnFetchProgress));

    // What the bar shows after each batch, read by the engine's progress callback (which
    // the connection layer calls after the dataset's fetch-progress handler).
    std::vector<std::string> seen;
    CBPROGRESSDesc report{};
    TBDECallback watcher(nullptr, nullptr, cbGENPROGRESS, &report, static_cast<int>(sizeof report),
                         [&](void*) {
                             seen.push_back(count->Text() + " " + percent->Text() + " " +
                                            std::to_string(count->Position()));
                             return cbrCONTINUE;
                         },
                         true);
    Orders->Open();
    EXPECT_EQ(seen, (std::vector<std::string>{"300/1000 30% 30", "600/1000 60% 60", "900/1000 90% 90",
                                              "1000/1000 100% 100"}));

    // Read in the background, the bar shows the first batch when Open returns and moves
    // on with each idle turn of the application.
    Application->SetIdleWork(DoEngineIdleWork);
    SetBackgroundFetchAvailable(true);
    seen.clear();
    Orders->Close();
    Orders->Open();
    EXPECT_EQ(seen, (std::vector<std::string>{"300/1000 30% 30"}));
    EXPECT_EQ(Orders->RecordCount(), 300);
    for (int turn = 0; turn < 3; ++turn)
        Application->ProcessMessages();
    SetBackgroundFetchAvailable(false);
    Application->SetIdleWork(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"300/1000 30% 30", "600/1000 60% 60", "900/1000 90% 90",
                                              "1000/1000 100% 100"}));
    EXPECT_EQ(Orders->RecordCount(), 1000);
    EXPECT_FALSE(Orders->Fetching());
    // The dataset's own handler was not run while the navigator followed it, and is back
    // once the navigator goes.
    EXPECT_TRUE(own.empty());
    Nav->Free();
    Nav = nullptr;
    Orders->Refresh();
    EXPECT_FALSE(own.empty());
}
