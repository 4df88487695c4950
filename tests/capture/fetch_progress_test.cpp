// The navigator's fetch-progress handler on server datasets: installed when a control of
// such a dataset is entered, given back to the dataset when the navigator switches away
// or goes, never left pointing at a freed navigator, and feeding the status bar. The
// dataset is a server query that is not connected: its OnFetchProgress is called here
// directly, the way the connection layer calls it after each batch.
#include "korin/platform/db/ADODB.h"
#include "korin/statusbar/Statbar.h"
#include "tests/capture/CaptureFixture.h"

using namespace korin;

namespace {

// The application's own handler: a named type so that the tests can see it is in place.
struct TAppFetchProgress {
    std::vector<int>* Calls;
    void operator()(TDataSet*, int Progress, int, TEventStatus&) const { Calls->push_back(Progress); }
};

class FetchProgressTest : public CaptureTest {
protected:
    void SetUp() override
    {
        CaptureTest::SetUp();
        Remote = new TADOQuery(Form.get());
        Remote->SetName("Remote");
        Remote->OnFetchProgress = TAppFetchProgress{&AppCalls};
        RemoteSrc = new TDataSource(Form.get());
        RemoteSrc->SetDataSet(Remote);
        RemoteEdit1 = AddEdit(RemoteSrc, "name");
        RemoteEdit2 = AddEdit(RemoteSrc, "city");
        CustEdit = AddEdit(CustSrc, "name");
    }
    // Fires the dataset's handler as the connection layer does; returns the status the
    // handler left.
    TEventStatus Fire(int Progress, int MaxProgress, TEventStatus Status = esOK)
    {
        if (Remote->OnFetchProgress)
            Remote->OnFetchProgress(Remote, Progress, MaxProgress, Status);
        return Status;
    }
    bool AppHandlerInPlace() const { return Remote->OnFetchProgress.target<TAppFetchProgress>() != nullptr; }

    std::vector<int> AppCalls;
    TADOQuery* Remote = nullptr;
    TDataSource* RemoteSrc = nullptr;
    TDBEdit* RemoteEdit1 = nullptr;
    TDBEdit* RemoteEdit2 = nullptr;
    TDBEdit* CustEdit = nullptr;
};

}  // namespace

TEST_F(FetchProgressTest, InstalledOnEntryAndGivenBackOnSwitchHoweverOftenEntered)
{
    MakeNav();
    EXPECT_TRUE(AppHandlerInPlace());
    for (int round = 0; round < 2; ++round) {
        // Entering controls of the server dataset again and again saves the application's
        // handler once: the navigator's own is never saved in its place.
        for (TDBEdit* e : {RemoteEdit1, RemoteEdit2, RemoteEdit1, RemoteEdit2}) {
            Focus(e);
            EXPECT_EQ(Nav->DataSource(), RemoteSrc);
            EXPECT_TRUE(Nav->IsOwnFetchProgress(Remote->OnFetchProgress));
            EXPECT_EQ(Nav->FetchProgressDataSet(), Remote);
            ASSERT_TRUE(Nav->SavedFetchProgress());
            EXPECT_NE(Nav->SavedFetchProgress().target<TAppFetchProgress>(), nullptr);
        }
        // While the navigator follows the dataset, the application's handler is not run.
        Fire(10, 100);
        EXPECT_TRUE(AppCalls.empty());

        Focus(CustEdit);
        EXPECT_EQ(Nav->DataSource(), CustSrc);
        EXPECT_TRUE(AppHandlerInPlace());
        EXPECT_FALSE(Nav->SavedFetchProgress());
        EXPECT_EQ(Nav->FetchProgressDataSet(), nullptr);
        Fire(20 + round, 100);
        EXPECT_EQ(AppCalls, std::vector<int>{20 + round});
        AppCalls.clear();
    }
}

TEST_F(FetchProgressTest, ADatasetWithoutAHandlerGetsNoneBack)
{
    Remote->OnFetchProgress = nullptr;
    MakeNav();
    Focus(RemoteEdit1);
    EXPECT_TRUE(Nav->IsOwnFetchProgress(Remote->OnFetchProgress));
    EXPECT_FALSE(Nav->SavedFetchProgress());
    Focus(CustEdit);
    EXPECT_FALSE(Remote->OnFetchProgress);
}

TEST_F(FetchProgressTest, AHandlerTheApplicationSetMeanwhileStays)
{
    MakeNav();
    Focus(RemoteEdit1);
    std::vector<int> later;
    Remote->OnFetchProgress = [&later](TDataSet*, int Progress, int, TEventStatus&) { later.push_back(Progress); };
    Focus(CustEdit);
    Fire(7, 10);
    EXPECT_EQ(later, std::vector<int>{7});
    EXPECT_TRUE(AppCalls.empty());
    // Entering the dataset again saves and gives back that newer handler.
    Focus(RemoteEdit2);
    Fire(8, 10);
    Focus(CustEdit);
    Fire(9, 10);
    EXPECT_EQ(later, (std::vector<int>{7, 9}));
}

TEST_F(FetchProgressTest, GivenBackWhenTheNavigatorIsFreed)
{
    MakeNav();
    Focus(RemoteEdit1);
    TFetchProgressEvent navigatorsHandler = Remote->OnFetchProgress;
    ASSERT_TRUE(Nav->IsOwnFetchProgress(navigatorsHandler));
    Nav->Free();
    Nav = nullptr;
    EXPECT_TRUE(AppHandlerInPlace());
    Fire(5, 50);
    EXPECT_EQ(AppCalls, std::vector<int>{5});
    // A copy of the navigator's handler kept somewhere runs nothing once it is gone.
    TEventStatus status = esOK;
    navigatorsHandler(Remote, 1, 2, status);
    EXPECT_EQ(status, esOK);

    // Deleted outright, too.
    MakeNav();
    Focus(RemoteEdit2);
    EXPECT_FALSE(AppHandlerInPlace());
    delete Nav;
    Nav = nullptr;
    EXPECT_TRUE(AppHandlerInPlace());
}

TEST_F(FetchProgressTest, ADatasetFreedFirstIsForgotten)
{
    MakeNav();
    Focus(RemoteEdit1);
    ASSERT_EQ(Nav->FetchProgressDataSet(), Remote);
    Remote->Free();
    Remote = nullptr;
    EXPECT_EQ(Nav->FetchProgressDataSet(), nullptr);
    EXPECT_FALSE(Nav->SavedFetchProgress());
    // Switching away and freeing the navigator touch nothing that went.
    Focus(CustEdit);
    Nav->Free();
    Nav = nullptr;
}

TEST_F(FetchProgressTest, ProgressFeedsTheStatusBar)
{
    auto* bar = new TKStatusBar(Form.get());
    bar->SetParent(Form.get());
    std::vector<TKStatusPanel*> panels;
    for (auto style : {psDBName, psDBState, psDBRecNum, psDBPercent, psDBProgress, psDBProgressRecNum}) {
        TKStatusPanel* p = bar->Panels()->Add();
        p->SetStyle(style);
        p->SetWidth(80);
        panels.push_back(p);
    }
    MakeNav();
    ASSERT_EQ(Nav->StatusBar(), bar);
    Focus(RemoteEdit1);
    // 300 of 1000 expected rows; the status the connection layer passes comes back as it
    // went in.
    EXPECT_EQ(Fire(300, 1000, esErrorsOccured), esErrorsOccured);
    EXPECT_EQ(panels[0]->Text(), "<NA>");  // the query is not open
    EXPECT_EQ(panels[1]->Text(), "Inactive");
    EXPECT_EQ(panels[2]->Text(), "300/1000");
    EXPECT_EQ(panels[3]->Text(), "30%");
    EXPECT_EQ(panels[4]->Position(), 30);
    EXPECT_EQ(panels[5]->Text(), "300/1000");
    EXPECT_EQ(panels[5]->Position(), 30);
    EXPECT_EQ(Fire(1000, 1000), esOK);
    EXPECT_EQ(panels[2]->Text(), "1000/1000");
    EXPECT_EQ(panels[3]->Text(), "100%");
    EXPECT_EQ(panels[4]->Position(), 100);
    EXPECT_TRUE(AppCalls.empty());
}
