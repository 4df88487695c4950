// The navigator's lifecycle and its guards: what freeing it releases through a derived
// class, the free notification of a data source it left, a page size read from a form
// file at the edge of int, and which errors its convenience actions swallow.
#include <climits>
#include <new>
#include <stdexcept>

#include "korin/platform/core/FormFiles.h"
#include "tests/nav/NavActFixture.h"

using namespace korin;

namespace {

// Records the releases, and the removal notices it hears of data sources, into lists
// that outlive it.
class TWatchedNavigator : public TVandroDBNavigator {
public:
    TWatchedNavigator(TComponent* AOwner, std::vector<std::string>* ALog)
        : TVandroDBNavigator(AOwner), FLog(ALog)
    {
    }
    void ApplyFilter(TNavigatorFilterAction Action) override
    {
        FLog->push_back("filter " + std::to_string(Action));
        TVandroDBNavigator::ApplyFilter(Action);
    }
    void ApplyQuery(TNavigatorQueryAction Action) override
    {
        FLog->push_back("query " + std::to_string(Action));
        TVandroDBNavigator::ApplyQuery(Action);
    }
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        if (Operation == opRemove && Is<TDataSource>(AComponent))
            FLog->push_back("removed " + AComponent->Name());
        TVandroDBNavigator::Notification(AComponent, Operation);
    }

private:
    std::vector<std::string>* FLog;
};

class LifecycleTest : public NavActTest {};

}  // namespace

TEST_F(LifecycleTest, FreeingReleasesQueryThenFilterThroughTheDerivedClass)
{
    std::vector<std::string> log;
    // Freed by its form, as at the end of an application.
    auto* other = new TForm(nullptr);
    new TWatchedNavigator(other, &log);
    other->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"query 1", "filter 1"}));

    // Freed on its own: the same releases, once.
    log.clear();
    other = new TForm(nullptr);
    auto* watched = new TWatchedNavigator(other, &log);
    watched->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"query 1", "filter 1"}));
    EXPECT_EQ(other->ComponentCount(), 0);
    other->Free();
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(LifecycleTest, LeavingADataSourceStopsWatchingIt)
{
    std::vector<std::string> log;
    auto* other = new TForm(nullptr);
    auto* watched = new TWatchedNavigator(other, &log);
    // Sources of no owner: the navigator hears of them only through free notification.
    auto* first = new TDataSource(nullptr);
    first->SetName("First");
    auto* second = new TDataSource(nullptr);
    second->SetName("Second");
    first->SetDataSet(table);
    second->SetDataSet(table);

    watched->SetDataSource(first);
    watched->SetDataSource(second);
    first->Free();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(watched->DataSource(), second);

    // Back to the first's place: the navigator hears of the source it uses.
    second->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"removed Second"}));
    EXPECT_EQ(watched->DataSource(), nullptr);
    other->Free();
}

TEST_F(LifecycleTest, PageSizeOfTheSmallestIntFromAFormFileIsTheLargestPage)
{
    Register();
    nav->SetName("Nav");
    ReadComponentText("object Nav: TVandroDBNavigator\n  PageRowsCount = -2147483648\nend\n", nav);
    EXPECT_EQ(nav->StoredPageRows(), INT_MAX);
    EXPECT_EQ(nav->PageRowsCount(), INT_MAX - 1);
    nav->Navigate(vnbNextPage);
    EXPECT_EQ(table->RecNo(), 25);
    nav->Navigate(vnbPriorPage);
    EXPECT_EQ(table->RecNo(), 1);

    // Any other negative size is its size.
    nav->SetPageRows(-7);
    EXPECT_EQ(nav->StoredPageRows(), 7);
    nav->SetPageRows(INT_MIN + 1);
    EXPECT_EQ(nav->StoredPageRows(), INT_MAX);
}

TEST_F(LifecycleTest, PasteRecordSwallowsDatasetErrorsOnly)
{
    table->Next();
    nav->Navigate(vnbCopyRec);
    table->Next();
    table->Edit();
    TField* qty = table->FieldByName("qty");

    qty->OnChange = [](TField*) { throw EDatabaseError("refused"); };
    EXPECT_NO_THROW(nav->Navigate(vnbPasteRec));
    // What was written before the refusal stays written.
    EXPECT_EQ(table->FieldByName("name")->AsString(), "item2");

    table->Cancel();
    table->Edit();
    qty->OnChange = [](TField*) { throw std::bad_alloc(); };
    EXPECT_THROW(nav->Navigate(vnbPasteRec), std::bad_alloc);
    qty->OnChange = [](TField*) { throw std::logic_error("a bug"); };
    table->Cancel();
    table->Edit();
    EXPECT_THROW(nav->Navigate(vnbPasteRec), std::logic_error);
}

TEST_F(LifecycleTest, RefreshOfAQuerySwallowsDatasetErrorsOnly)
{
    auto* q = new TQuery(form);
    q->SetDatabaseName(Path);
    q->SQL()->Add("SELECT id, name FROM items ORDER BY id");
    q->Open();
    UseDataSet(q);

    q->AfterOpen = [](TDataSet*) { throw EDatabaseError("refused"); };
    EXPECT_NO_THROW(nav->Navigate(vnbRefresh));
    q->AfterOpen = nullptr;
    if (!q->Active())
        q->Open();
    q->AfterOpen = [](TDataSet*) { throw std::out_of_range("a bug"); };
    EXPECT_THROW(nav->Navigate(vnbRefresh), std::out_of_range);
}
