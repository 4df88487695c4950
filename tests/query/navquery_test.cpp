// The navigator's FILTER and QUERY commands on a real database, driven by clicks on the
// navigator and scripted input in its dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/capture/DBAware.h"
#include "korin/statusbar/Statbar.h"
#include "tests/query/QueryFixture.h"

using namespace korin;

namespace {

class NavQueryTest : public QueryTest {
protected:
    // Steps inside the filter box: type Text and press Enter.
    void FilterBoxAnswers(const std::string& Text)
    {
        input.Call([this, Text] {
            ASSERT_NE(FilterEditBox, nullptr);
            FilterEditBox->Edit->SetText(Text);
        });
        input.Key(VK_RETURN);
    }
    // Steps inside the condition builder: the condition typed, then the sort fields
    // double-clicked in the ORDER BY panel (by index), then apply.
    void BuilderAnswers(const std::string& Condition, std::vector<int> SortFields = {})
    {
        input.Call([this, Condition, SortFields] {
            TSetupQ* b = SetupQ;
            ASSERT_NE(b, nullptr);
            Seen.push_back(b->Caption());
            b->Edit1->SetText(Condition);
            if (!SortFields.empty())
                input.Click(b->BitBtn7);
            for (int i : SortFields)
                DblClickItem(b->ListBox2, i);
            input.Click(b->BitBtn1);
        });
    }
    std::vector<std::string> Seen;
};

TEST_F(NavQueryTest, FilterFromTheBoxAndReleaseToTheSameRecord)
{
    // An empty text opens the box; OK with nothing in it leaves the filter off.
    Click(vnbFilter, [&] {
        input.Call([this] {
            ASSERT_NE(FilterEditBox, nullptr);
            Seen.push_back(FilterEditBox->Caption() + " at " +
                           std::to_string(FilterEditBox->Left() - Nav->ClientOrigin().x) + "," +
                           std::to_string(FilterEditBox->Top() - Nav->ClientOrigin().y) + " width " +
                           std::to_string(FilterEditBox->Width()));
        });
        input.Key(VK_RETURN);
    });
    EXPECT_EQ(Seen, (std::vector<std::string>{"Setup Filter at 0,0 width 500"}));
    EXPECT_FALSE(Nav->FilterActive());
    EXPECT_FALSE(Nav->Buttons(vnbFilter)->Down());
    EXPECT_FALSE(Orders->Filtered());

    Click(vnbFilter, [&] { FilterBoxAnswers("Amount > 300"); });
    EXPECT_TRUE(Nav->FilterActive());
    EXPECT_TRUE(Nav->Buttons(vnbFilter)->Down());
    EXPECT_EQ(Nav->FilterDataSource(), Source);
    EXPECT_EQ(Nav->FilterText(), "Amount > 300");
    EXPECT_EQ(OrderNos(Orders), (std::vector<int>{13, 14, 15, 16, 17, 18, 19, 20}));

    // Released on record 16: the same record stays current in the whole table.
    Orders->First();
    Orders->MoveBy(3);
    ASSERT_EQ(OrderNo(), 16);
    Click(vnbFilter);
    EXPECT_FALSE(Nav->FilterActive());
    EXPECT_FALSE(Orders->Filtered());
    EXPECT_EQ(Orders->RecordCount(), 20);
    EXPECT_EQ(OrderNo(), 16);
    EXPECT_EQ(Nav->FilterDataSource(), Source);  // kept for the next click

    // The next click re-applies the same text without the box; holding the button down
    // opens it to change the text.
    EXPECT_EQ(Nav->FilterBoxes, 2);
    Click(vnbFilter);
    EXPECT_EQ(Nav->FilterBoxes, 2);
    EXPECT_EQ(Orders->RecordCount(), 8);
    Hold(vnbFilter, [&] { FilterBoxAnswers("CustNo = 2"); });
    EXPECT_EQ(Nav->FilterBoxes, 3);
    EXPECT_TRUE(Nav->FilterActive());
    EXPECT_EQ(OrderNos(Orders), (std::vector<int>{1, 4, 7, 10, 13, 16, 19}));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(NavQueryTest, ARejectedFilterLeavesTheDatasetAsItWas)
{
    Orders->MoveBy(4);
    Click(vnbFilter, [&] { FilterBoxAnswers("Amount >"); });
    EXPECT_FALSE(Nav->FilterActive());
    EXPECT_EQ(Nav->FilterDataSource(), nullptr);
    EXPECT_FALSE(Orders->Filtered());
    EXPECT_EQ(Orders->Filter(), "");
    EXPECT_EQ(Orders->RecordCount(), 20);
    EXPECT_FALSE(Nav->Buttons(vnbFilter)->Down());
    EXPECT_TRUE(Boxes.empty());

    // A bad change of a filter in force keeps the filter in force.
    Click(vnbFilter, [&] { FilterBoxAnswers("Amount > 300"); });
    Hold(vnbFilter, [&] { FilterBoxAnswers("nosuchfield = 1"); });
    EXPECT_TRUE(Nav->FilterActive());
    EXPECT_TRUE(Nav->Buttons(vnbFilter)->Down());
    EXPECT_EQ(Orders->Filter(), "Amount > 300");
    EXPECT_EQ(Orders->RecordCount(), 8);
}

TEST_F(NavQueryTest, QueryOnATableBuiltByTheBuilderAndReleased)
{
    // Both texts empty: nothing changes.
    Click(vnbQuery, [&] { BuilderAnswers(""); });
    EXPECT_FALSE(Nav->QueryActive());
    EXPECT_EQ(Nav->InternalQuery(), nullptr);
    EXPECT_EQ(Source->DataSet(), Orders);
    EXPECT_FALSE(Nav->Buttons(vnbQuery)->Down());

    // A condition and a sort key (OrderDate is the fourth field).
    Click(vnbQuery, [&] { BuilderAnswers("Amount >= 250", {3}); });
    EXPECT_EQ(Seen, (std::vector<std::string>{"Query setup", "Query setup"}));
    ASSERT_TRUE(Nav->QueryActive());
    ASSERT_NE(Nav->InternalQuery(), nullptr);
    EXPECT_EQ(Nav->InternalQuery()->SQL()->Strings(0), "SELECT * FROM ORDERS WHERE (Amount >= 250) ORDER BY OrderDate");
    EXPECT_EQ(Source->DataSet(), Nav->InternalQuery());
    EXPECT_EQ(Nav->QueryDataSource(), Source);
    EXPECT_EQ(Nav->SourceDataSet(), Orders);
    EXPECT_TRUE(Nav->Buttons(vnbQuery)->Down());
    EXPECT_EQ(OrderNos(Nav->InternalQuery()), (std::vector<int>{20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10}));

    // Released on record 15: the table comes back on the same record.
    Nav->InternalQuery()->First();
    Nav->InternalQuery()->MoveBy(5);
    Click(vnbQuery);
    EXPECT_FALSE(Nav->QueryActive());
    EXPECT_EQ(Source->DataSet(), Orders);
    EXPECT_EQ(OrderNo(), 15);
    EXPECT_FALSE(Nav->Buttons(vnbQuery)->Down());

    // Again on the same data source: the same query without the dialog.
    Click(vnbQuery);
    EXPECT_EQ(Nav->QueryBoxes, 2);
    EXPECT_TRUE(Nav->QueryActive());
    EXPECT_EQ(Source->DataSet()->RecordCount(), 11);
    // Holding the button down opens the dialog to change it.
    Hold(vnbQuery, [&] { BuilderAnswers("CustNo = 1"); });
    EXPECT_EQ(Nav->QueryBoxes, 3);
    EXPECT_TRUE(Nav->QueryActive());
    EXPECT_EQ(Nav->InternalQuery()->SQL()->Strings(0), "SELECT * FROM ORDERS WHERE (CustNo = 1)");
    EXPECT_EQ(Nav->SourceDataSet(), Orders);
    EXPECT_EQ(OrderNos(Source->DataSet()), (std::vector<int>{3, 6, 9, 12, 15, 18}));
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(NavQueryTest, TheStatusBarFollowsTheQueryInAndOut)
{
    auto* bar = new TKStatusBar(Form);
    bar->SetParent(Form);
    TKStatusPanel* rec = bar->Panels()->Add();
    rec->SetStyle(psDBRecNum);
    Nav->SetStatusBar(bar);
    Orders->First();
    EXPECT_EQ(rec->Text(), "1/20");

    Click(vnbQuery, [&] { BuilderAnswers("Amount >= 250"); });
    ASSERT_TRUE(Nav->QueryActive());
    EXPECT_EQ(rec->Text(), "1/11");  // the query's records at once, not the table's

    Click(vnbQuery);
    ASSERT_FALSE(Nav->QueryActive());
    EXPECT_EQ(rec->Text(), std::to_string(Orders->RecNo()) + "/20");
}

TEST_F(NavQueryTest, AStatementThatCannotBePreparedChangesNothing)
{
    Orders->MoveBy(6);
    Click(vnbQuery, [&] { BuilderAnswers("nosuchcolumn > 1"); });
    EXPECT_EQ(Boxes, (std::vector<std::string>{"Parser error: Can't prepare query! 0"}));
    EXPECT_FALSE(Nav->QueryActive());
    EXPECT_EQ(Nav->InternalQuery(), nullptr);
    EXPECT_EQ(Source->DataSet(), Orders);
    EXPECT_EQ(OrderNo(), 7);
    EXPECT_FALSE(Nav->Buttons(vnbQuery)->Down());

    // A query in force stays in force when its change is refused.
    Click(vnbQuery, [&] { BuilderAnswers("Amount > 400"); });
    ASSERT_TRUE(Nav->QueryActive());
    TQuery* inForce = Nav->InternalQuery();
    Hold(vnbQuery, [&] { BuilderAnswers("Amount > 'x' AND ("); });
    EXPECT_EQ(Boxes.size(), 2u);
    EXPECT_TRUE(Nav->QueryActive());
    EXPECT_EQ(Nav->InternalQuery(), inForce);
    EXPECT_EQ(Source->DataSet(), inForce);
    EXPECT_EQ(inForce->RecordCount(), 4);
}

TEST_F(NavQueryTest, AQueryReleasesTheFilterFirst)
{
    Click(vnbFilter, [&] { FilterBoxAnswers("CustNo = 3"); });
    ASSERT_TRUE(Orders->Filtered());
    Click(vnbQuery, [&] { BuilderAnswers("Amount < 100"); });
    EXPECT_FALSE(Nav->FilterActive());
    EXPECT_FALSE(Orders->Filtered());
    EXPECT_FALSE(Nav->Buttons(vnbFilter)->Down());
    EXPECT_TRUE(Nav->QueryActive());
    EXPECT_EQ(OrderNos(Source->DataSet()), (std::vector<int>{1, 2, 3}));
}

TEST_F(NavQueryTest, TheMasterDetailExample)
{
    auto* custSrc = new TDataSource(Form);
    TTable* cust = OpenTable("CUSTOMER");
    custSrc->SetDataSet(cust);
    Orders->Close();
    Orders->SetMasterSource(custSrc);
    Orders->SetMasterFields("CustNo");
    Orders->Open();
    cust->MoveBy(1);  // O'Brien, customer 2
    ASSERT_EQ(Orders->RecordCount(), 7);

    // The condition typed as it is, the sort key picked in the ORDER BY panel.
    Click(vnbQuery, [&] { BuilderAnswers("Amount>100", {3}); });
    ASSERT_TRUE(Nav->QueryActive());
    EXPECT_EQ(Nav->InternalQuery()->SQL()->Strings(0),
              "SELECT * FROM ORDERS WHERE ((CustNo=:CustNo)) AND (Amount>100)  ORDER BY OrderDate");
    EXPECT_EQ(Nav->InternalQuery()->DataSource(), custSrc);
    EXPECT_EQ(OrderNos(Source->DataSet()), (std::vector<int>{19, 16, 13, 10, 7}));
    // The master moves: the query follows it.
    cust->Next();
    EXPECT_EQ(OrderNos(Source->DataSet()), (std::vector<int>{20, 17, 14, 11, 8, 5}));
}

TEST_F(NavQueryTest, QueryOnAQueryKeepsItsParameters)
{
    auto* q = new TQuery(Form);
    q->SetDatabaseName(Path);
    q->SQL()->Add("SELECT OrderNo, Amount");
    q->SQL()->Add("  FROM ORDERS -- every order of a customer");
    q->SQL()->Add(" WHERE CustNo = :c");
    q->ParamByName("c")->SetAsInteger(1);
    q->Open();
    Source->SetDataSet(q);
    Click(vnbQuery, [&] { BuilderAnswers("Amount > 200", {0}); });
    ASSERT_TRUE(Nav->QueryActive());
    EXPECT_EQ(Nav->InternalQuery()->SQL()->Strings(0),
              "SELECT OrderNo, Amount\n  FROM ORDERS  \n WHERE (CustNo = :c) AND (Amount > 200)  ORDER BY OrderNo");
    EXPECT_EQ(OrderNos(Source->DataSet()), (std::vector<int>{9, 12, 15, 18}));
    Click(vnbQuery);
    EXPECT_EQ(Source->DataSet(), q);
}

TEST_F(NavQueryTest, GoingComponentsLeaveNothingDangling)
{
    // The navigator goes while its query is in force: the table is put back first.
    Click(vnbQuery, [&] { BuilderAnswers("Amount > 400"); });
    ASSERT_TRUE(Nav->QueryActive());
    Nav->Free();
    Nav = nullptr;
    EXPECT_EQ(Source->DataSet(), Orders);
    EXPECT_EQ(Orders->RecordCount(), 20);

    // The data source goes while a query and a filter are in force.
    Nav = new TCountingNavigator(Form);
    Nav->Loaded();
    Nav->SetVisibleButtons(TVButtonSet::FromMask(TVButtonSet::AllMask));
    Nav->SetBounds(10, 40, 500, 20);
    Nav->SetDataSource(Source);
    Click(vnbQuery, [&] { BuilderAnswers("Amount > 400"); });
    Click(vnbFilter, [&] { FilterBoxAnswers("OrderNo > 18"); });
    ASSERT_TRUE(Nav->QueryActive());
    ASSERT_TRUE(Nav->FilterActive());
    Source->Free();
    Source = nullptr;
    EXPECT_FALSE(Nav->QueryActive());
    EXPECT_FALSE(Nav->FilterActive());
    EXPECT_EQ(Nav->QueryDataSource(), nullptr);
    EXPECT_EQ(Nav->FilterDataSource(), nullptr);
    Nav->ApplyQuery(nqaRelease);
    Nav->ApplyFilter(nfaRelease);

    // The replaced dataset goes while the query is in force.
    Source = new TDataSource(Form);
    Source->SetDataSet(Orders);
    Nav->SetDataSource(Source);
    Click(vnbQuery, [&] { BuilderAnswers("Amount > 400"); });
    ASSERT_TRUE(Nav->QueryActive());
    Orders->Free();
    Orders = nullptr;
    EXPECT_EQ(Nav->SourceDataSet(), nullptr);
    Click(vnbQuery);
    EXPECT_FALSE(Nav->QueryActive());
    EXPECT_EQ(Source->DataSet(), nullptr);
}

TEST_F(NavQueryTest, SwitchingToAnotherDataSourceReleasesBoth)
{
    auto* custSrc = new TDataSource(Form);
    custSrc->SetDataSet(OpenTable("CUSTOMER"));
    // The navigator is made again after the controls, so that it captures them.
    Nav->Free();
    auto* ordEdit = new TDBEdit(Form);
    ordEdit->SetParent(Form);
    ordEdit->SetBounds(10, 100, 120, 24);
    ordEdit->SetDataSource(Source);
    ordEdit->SetDataField("Note");
    auto* custEdit = new TDBEdit(Form);
    custEdit->SetParent(Form);
    custEdit->SetBounds(10, 140, 120, 24);
    custEdit->SetDataSource(custSrc);
    custEdit->SetDataField("Name");
    Nav = new TCountingNavigator(Form);
    Nav->SetVisibleButtons(TVButtonSet::FromMask(TVButtonSet::AllMask));
    Nav->SetBounds(10, 40, 500, 20);
    Nav->Loaded();
    input.Call([ordEdit] { ordEdit->SetFocus(); });
    Run();
    ASSERT_EQ(Nav->DataSource(), Source);

    Click(vnbQuery, [&] { BuilderAnswers("Amount > 300"); });
    Click(vnbFilter, [&] { FilterBoxAnswers("OrderNo < 16"); });
    ASSERT_TRUE(Nav->QueryActive());
    ASSERT_TRUE(Nav->FilterActive());
    EXPECT_EQ(Source->DataSet()->RecordCount(), 3);

    input.Call([custEdit] { custEdit->SetFocus(); });
    Run();
    EXPECT_EQ(Nav->DataSource(), custSrc);
    EXPECT_FALSE(Nav->QueryActive());
    EXPECT_FALSE(Nav->FilterActive());
    EXPECT_EQ(Source->DataSet(), Orders);
    EXPECT_FALSE(Orders->Filtered());
    EXPECT_FALSE(Nav->Buttons(vnbQuery)->Down());
    EXPECT_FALSE(Nav->Buttons(vnbFilter)->Down());
}

}  // namespace
