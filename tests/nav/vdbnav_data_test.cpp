// The navigator and its dataset: the data link's notifications and the first steps of
// the dispatcher (data source, dataset, veto, disabled button).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Forms.h"
#include "tests/support/AppFixture.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

class TLinkNavigator : public TVandroDBNavigator {
public:
    using TVandroDBNavigator::TVandroDBNavigator;
    std::vector<std::string> Events;
    void ActiveChanged() override { Events.push_back("Active"); }
    void DataSetChanged() override { Events.push_back("Changed"); }
    void EditingChanged() override { Events.push_back("Editing"); }
};

class NavDataTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        std::string path = Dir.File("nav.db");
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT);"
                               "INSERT INTO t VALUES (1, 'one'), (2, 'two'), (3, 'three');",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
        Form = new TForm(nullptr);
        Table = new TTable(Form);
        Table->SetDatabaseName(path);
        Table->SetTableName("t");
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Nav = new TLinkNavigator(Form);
        Nav->Loaded();
    }
    void TearDown() override
    {
        Form->Free();
        AppTest::TearDown();
    }
    TTempDir Dir;
    TForm* Form = nullptr;
    TTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TLinkNavigator* Nav = nullptr;
};

} // namespace

TEST_F(NavDataTest, DataLinkForwardsTheDatasetsNotifications)
{
    Nav->SetDataSource(Source);
    Nav->Events.clear();
    Table->Open();
    Table->Next();
    Table->Edit();
    Table->Cancel();
    Table->Close();
    // A scroll reaches the navigator as a change of the data (the link's inherited
    // scroll handling), then as the scroll itself.
    EXPECT_EQ(Nav->Events,
              (std::vector<std::string>{"Active", "Changed", "Editing", "Editing", "Changed", "Active"}));
    // A destroyed data source leaves the navigator without one.
    Source->Free();
    EXPECT_EQ(Nav->DataSource(), nullptr);
}

TEST_F(NavDataTest, DispatcherChecksSourceDatasetVetoAndButton)
{
    std::vector<TVNavigateBtn> asked;
    bool allow = true;
    Nav->BeforeAction = [&](TObject* Sender, TVNavigateBtn Button, bool& doAction) {
        EXPECT_EQ(Sender, Nav);
        EXPECT_TRUE(doAction);
        asked.push_back(Button);
        doAction = allow;
    };
    Nav->Navigate(vnbNext);  // no data source
    Nav->SetDataSource(Source);
    Table->Open();
    Table->DisableControls();
    Nav->Navigate(vnbNext);  // the dataset's controls are disabled
    Table->EnableControls();
    EXPECT_TRUE(asked.empty());

    // The veto is consulted for disabled buttons too; the dispatcher never moves the
    // cursor before the actions exist.
    Nav->Buttons(vnbLast)->SetEnabled(false);
    Nav->Navigate(vnbLast);
    allow = false;
    Nav->Navigate(vnbNext);
    EXPECT_EQ(asked, (std::vector<TVNavigateBtn>{vnbLast, vnbNext}));
    EXPECT_EQ(Table->RecNo(), 1);
}
