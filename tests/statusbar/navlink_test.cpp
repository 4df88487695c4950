// Database panels and the navigator's link: what SetDBInfo writes, and the navigator
// attaching a bar, feeding it on moves, edits and focus switches, and letting it go.
#include <gtest/gtest.h>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "tests/db/DbFixture.h"
#include "tests/statusbar/StatusBarFixture.h"
#include "tests/support/TempDir.h"

using namespace korin;

namespace {

class DBPanels : public StatusBarTest {
protected:
    std::vector<TKStatusPanel*> P;
    void SetUp() override
    {
        StatusBarTest::SetUp();
        for (int s = psDBName; s <= psDBProgressPercent; ++s) {
            TKStatusPanel* p = AddPanel(40);
            p->SetStyle(static_cast<TKStatusPanelStyle>(s));
            P.push_back(p);
        }
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> t;
        for (TKStatusPanel* p : P)
            t.push_back(p->Text());
        return t;
    }
    TKStatusPanel* Bar(TKStatusPanelStyle s) const { return P[static_cast<size_t>(s - psDBName)]; }
};

TEST_F(DBPanels, BrowseNewClosedAndFetching)
{
    bar->SetDBInfo(TDBInfo{"Orders", dsBrowse, 5, 120});
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Orders", "Browse", "Orders-Browse", "5/120", "4%", "", "5/120", "4%"}));
    for (auto s : {psDBProgress, psDBProgressRecNum, psDBProgressPercent}) {
        EXPECT_EQ(Bar(s)->Min(), 0);
        EXPECT_EQ(Bar(s)->Max(), 100);
        EXPECT_EQ(Bar(s)->Position(), 4);
    }
    // A new record.
    bar->SetDBInfo(TDBInfo{"Orders", dsInsert, -1, 120});
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Orders", "Insert", "Orders-Insert", "New", "100%", "", "New", "100%"}));
    for (auto s : {psDBProgress, psDBProgressRecNum, psDBProgressPercent})
        EXPECT_EQ(Bar(s)->Position(), 100);
    // A closed dataset.
    bar->SetDBInfo(TDBInfo{"<NA>", dsInactive, 0, 0});
    EXPECT_EQ(Texts(), (std::vector<std::string>{"<NA>", "Inactive", "<NA>-Inactive", "0/0", "0%", "", "0/0", "0%"}));
    for (auto s : {psDBProgress, psDBProgressRecNum, psDBProgressPercent})
        EXPECT_EQ(Bar(s)->Position(), 0);
    // A fetch of 300 of 1000 expected rows.
    bar->SetDBInfo(TDBInfo{"Orders", dsBrowse, 300, 1000});
    EXPECT_EQ(Bar(psDBRecNum)->Text(), "300/1000");
    EXPECT_EQ(Bar(psDBPercent)->Text(), "30%");
    EXPECT_EQ(Bar(psDBProgress)->Position(), 30);
    // Other styles are left alone.
    TKStatusPanel* plain = AddPanel(40, "mine");
    bar->SetDBInfo(TDBInfo{"X", dsEdit, 1, 2});
    EXPECT_EQ(plain->Text(), "mine");
    EXPECT_EQ(DataSetStateName(dsOpening), "Opening");
    EXPECT_EQ(DataSetStateName(dsInternalCalc), "InternalCalc");
}

TEST_F(DBPanels, TheSamePercentageDoesNotRepaint)
{
    bar->SetDBInfo(TDBInfo{"Orders", dsBrowse, 40, 1000});
    bar->UpdatePanels(false, true);
    bar->SetDBInfo(TDBInfo{"Orders", dsBrowse, 41, 1000});  // still 4%
    EXPECT_FALSE(Bar(psDBProgress)->UpdateNeeded());
    EXPECT_FALSE(Bar(psDBPercent)->UpdateNeeded());
    EXPECT_TRUE(Bar(psDBRecNum)->UpdateNeeded());
}

// A navigator over a table of 120 orders, with a bar of database panels on its form.
class NavLink : public AppTest {
protected:
    TTempDir Dir;
    std::string Path = Dir.File("orders.db");
    TOwned<TForm> Form;
    TTable* Orders = nullptr;
    TTable* Items = nullptr;
    TDataSource* OrdSrc = nullptr;
    TDataSource* ItemSrc = nullptr;
    TKStatusBar* Bar1 = nullptr;

    void SetUp() override
    {
        AppTest::SetUp();
        TRawDb raw(Path);
        std::string sql = "BEGIN; CREATE TABLE orders(id INTEGER PRIMARY KEY, name TEXT);"
                          "CREATE TABLE items(id INTEGER PRIMARY KEY, name TEXT);";
        for (int i = 1; i <= 120; ++i)
            sql += "INSERT INTO orders VALUES (" + std::to_string(i) + ", 'o" + std::to_string(i) + "');";
        for (int i = 1; i <= 8; ++i)
            sql += "INSERT INTO items VALUES (" + std::to_string(i) + ", 'i" + std::to_string(i) + "');";
        raw.Exec(sql + "COMMIT;");
        Form.reset(new TForm(nullptr));
        Form->SetBounds(10, 10, 600, 400);
        Orders = Open("orders", "Orders");
        Items = Open("items", "Items");
        OrdSrc = new TDataSource(Form.get());
        OrdSrc->SetDataSet(Orders);
        ItemSrc = new TDataSource(Form.get());
        ItemSrc->SetDataSet(Items);
        Form->Show();
        Bar1 = MakeBar();
    }
    void TearDown() override
    {
        Form.reset();
        AppTest::TearDown();
    }
    TTable* Open(const std::string& Table, const std::string& Name)
    {
        auto* t = new TTable(Form.get());
        t->SetName(Name);
        t->SetDatabaseName(Path);
        t->SetTableName(Table);
        t->Open();
        return t;
    }
    TKStatusBar* MakeBar(TComponent* Owner = nullptr)
    {
        auto* b = new TKStatusBar(Owner ? Owner : Form.get());
        b->SetParent(Form.get());
        for (auto s : {psDBNameState, psDBRecNum, psDBProgressPercent})
            b->Panels()->Add()->SetStyle(s);
        b->HandleNeeded();
        return b;
    }
    TDBGrid* Grid(TDataSource* Source, int Top)
    {
        auto* g = new TDBGrid(Form.get());
        g->SetParent(Form.get());
        g->SetBounds(10, Top, 300, 120);
        g->SetDataSource(Source);
        return g;
    }
    TVandroDBNavigator* MakeNav()
    {
        auto* nav = new TVandroDBNavigator(Form.get());
        nav->SetBounds(10, 300, 500, 20);
        nav->Loaded();
        return nav;
    }
    std::string Text(int i, TKStatusBar* b = nullptr) { return (b ? b : Bar1)->Panels()->GetItem(i)->Text(); }
};

TEST_F(NavLink, TheFormsFirstBarIsAttachedAndFollowsMovesAndEdits)
{
    Grid(OrdSrc, 10);
    TKStatusBar* second = MakeBar();
    TVandroDBNavigator* nav = MakeNav();
    EXPECT_EQ(nav->StatusBar(), Bar1);
    nav->SetDataSource(OrdSrc);
    nav->Navigate(vnbNext);
    EXPECT_EQ(Text(0), "Orders-Browse");
    EXPECT_EQ(Text(1), "2/120");
    EXPECT_EQ(Text(2), "2%");
    EXPECT_EQ(Text(1, second), "");  // only the attached bar hears
    nav->Navigate(vnbLast);
    EXPECT_EQ(Text(1), "120/120");
    EXPECT_EQ(Text(2), "100%");
    nav->Navigate(vnbInsert);
    EXPECT_EQ(Text(0), "Orders-Insert");
    EXPECT_EQ(Text(1), "New");
    nav->Navigate(vnbCancel);
    EXPECT_EQ(Text(0), "Orders-Browse");
    // Closing reports only an active change, which leaves the bar as it was; the next
    // report shows the closed dataset.
    Orders->Close();
    EXPECT_EQ(Text(0), "Orders-Browse");
    nav->SB_DSChanged();
    EXPECT_EQ(Text(0), "<NA>-Inactive");
    EXPECT_EQ(Text(1), "0/0");
    EXPECT_EQ(Text(2), "0%");
    // Removing either bar from the form detaches the navigator.
    second->Free();
    EXPECT_EQ(nav->StatusBar(), nullptr);
}

TEST_F(NavLink, ABarOwnedElsewhereThatGoesFirstIsLetGo)
{
    TOwned<TComponent> elsewhere(new TComponent(nullptr));
    Bar1->Free();
    TKStatusBar* foreign = MakeBar(elsewhere.get());
    TVandroDBNavigator* nav = MakeNav();
    EXPECT_EQ(nav->StatusBar(), foreign);
    elsewhere.reset();  // frees the bar
    EXPECT_EQ(nav->StatusBar(), nullptr);
    nav->SetDataSource(OrdSrc);
    nav->Navigate(vnbNext);  // nothing left to tell, nothing breaks
    // A bar set in code is let go the same way, and the navigator's end lets it be.
    TKStatusBar* again = MakeBar();
    nav->SetStatusBar(again);
    nav->Free();
    again->Free();
}

TEST_F(NavLink, AFocusSwitchShowsTheNewDatasetAtOnce)
{
    TDBGrid* g1 = Grid(OrdSrc, 10);
    TDBGrid* g2 = Grid(ItemSrc, 140);
    TVandroDBNavigator* nav = MakeNav();
    RunScript([&](TInputScript& s) { s.Call([&] { g1->SetFocus(); }); });
    EXPECT_EQ(nav->DataSource(), OrdSrc);
    EXPECT_EQ(Text(0), "Orders-Browse");
    RunScript([&](TInputScript& s) { s.Call([&] { g2->SetFocus(); }); });
    EXPECT_EQ(nav->DataSource(), ItemSrc);
    EXPECT_EQ(Text(0), "Items-Browse");
    EXPECT_EQ(Text(1), "1/8");
}

TEST_F(NavLink, TheSessionsStartUpHandlerIsChainedAndOutlivesTheNavigator)
{
    TNotifyEvent saved = Session->OnStartup;
    std::vector<TObject*> seen;
    Session->OnStartup = [&](TObject* s) { seen.push_back(s); };
    TVandroDBNavigator* nav = MakeNav();
    TObject sender;
    Session->OnStartup(&sender);
    nav->OnSessionActivate(&sender);
    EXPECT_EQ(seen, (std::vector<TObject*>{&sender, &sender}));
    nav->Free();
    Session->OnStartup(&sender);  // the navigator is gone: the old handler still runs
    EXPECT_EQ(seen.size(), 3u);
    // No hook in the shortcut editor's navigator.
    Session->OnStartup = nullptr;
    TOwned<TForm> other(new TForm(nullptr));
    auto* setup = new TVandroDBNavigator(other.get(), true);
    EXPECT_FALSE(Session->OnStartup);
    setup->Free();
    Session->OnStartup = saved;
}

}  // namespace
