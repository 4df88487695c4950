#include "tests/capture/CaptureFixture.h"

using namespace korin;

namespace {

class FocusTest : public CaptureTest {
protected:
    std::vector<std::string> Events;
    std::string Name(TObject* Object)
    {
        auto* c = dynamic_cast<TComponent*>(Object);
        return c ? c->Name() : "-";
    }
    void Record()
    {
        Nav->BeforeFocusChanged = [this](TObject* Old, TWinControl* New) { Events.push_back("before " + Name(Old) + ">" + Name(New)); };
        Nav->AfterFocusChanged = [this](TObject* Old, TWinControl* New) { Events.push_back("after " + Name(Old) + ">" + Name(New)); };
        Nav->DataSourceChanged = [this](TObject* Sender, TDataSource* Old, TDataSource* New) {
            Events.push_back("source " + Name(Old) + ">" + Name(New) + (Sender == Nav ? "" : "?"));
        };
    }
    void SetUp() override
    {
        CaptureTest::SetUp();
        CustSrc->SetName("Cust");
        OrdSrc->SetName("Ord");
    }
};

}  // namespace

TEST_F(FocusTest, TwoGridsOnTwoDataSources)
{
    TDBGrid* a = AddGrid(CustSrc, 10, 10);
    a->SetName("A");
    TDBGrid* b = AddGrid(OrdSrc, 300, 10);
    b->SetName("B");
    MakeNav();
    Record();
    input.Click(a, 60, 50);
    Run();
    // The form itself had the focus (it has no name).
    EXPECT_EQ(Events, (std::vector<std::string>{"after >A", "source ->Cust"}));
    EXPECT_EQ(Nav->DataSource(), CustSrc);
    EXPECT_EQ(Nav->CurrentControl, a);
    EXPECT_EQ(Nav->CurrentField, Cust->FieldByName("id"));

    // COPY RECORD (Ctrl+Alt+C) switches PASTE RECORD on; the switch drops the copy.
    Press('C', ssCtrl | ssAlt);
    ASSERT_TRUE(Nav->Buttons(vnbPasteRec)->Enabled());
    Events.clear();
    Nav->Calls.clear();
    int custRec = Cust->RecNo();
    input.Click(b, 60, 50);
    Run();
    EXPECT_EQ(Events, (std::vector<std::string>{"before A>B", "after A>B", "source Cust>Ord"}));
    EXPECT_EQ(Nav->Calls, (std::vector<std::string>{"filter release", "query release"}));
    EXPECT_EQ(Nav->DataSource(), OrdSrc);
    EXPECT_FALSE(Nav->Buttons(vnbPasteRec)->Enabled());
    EXPECT_EQ(Nav->CopyBuffer()->Count(), 0);
    // The navigator now drives the orders: Down in the grid moves them, Ctrl+End the last.
    Press(VK_END);
    EXPECT_EQ(Ord->RecNo(), 40);
    EXPECT_EQ(Cust->RecNo(), custRec);
}

TEST_F(FocusTest, TwoEditsOnOneDataSourceAndAGridWithoutOne)
{
    TDBEdit* e1 = AddEdit(CustSrc, "name");
    e1->SetName("E1");
    TDBEdit* e2 = AddEdit(CustSrc, "city");
    e2->SetName("E2");
    TDBGrid* loose = AddGrid(nullptr, 10, 10);
    loose->SetName("Loose");
    MakeNav();
    Record();
    Focus(e1);
    Nav->SetFindActive(true);
    Nav->ChangeButtonState(vnbFindNext, true);
    Events.clear();
    Press(VK_TAB);
    EXPECT_EQ(Focused(), e2);
    EXPECT_EQ(Events, (std::vector<std::string>{"before E1>E2", "after E1>E2"}));
    // Another control, even of the same data source: the find is over.
    EXPECT_FALSE(Nav->FindActive());
    EXPECT_FALSE(Nav->Buttons(vnbFindNext)->Enabled());
    EXPECT_EQ(Nav->CurrentControl, e2);
    EXPECT_EQ(Nav->CurrentField, Cust->FieldByName("city"));

    Events.clear();
    input.Click(loose, 60, 50);
    Run();
    EXPECT_EQ(Events, (std::vector<std::string>{"before E2>Loose", "after E2>Loose", "source Cust>-"}));
    EXPECT_EQ(Nav->DataSource(), nullptr);
    EXPECT_TRUE(Nav->EnabledButtons().Empty());
    for (TVNavigateBtn btn : AllNavButtons())
        EXPECT_FALSE(Nav->Buttons(btn)->Enabled());
}

TEST_F(FocusTest, AColumnChangeFollowsTheFieldAndCallsTheApplication)
{
    TDBGrid* grid = AddGrid(OrdSrc, 10, 10);
    std::vector<std::string> cols;
    grid->OnColEnter = [&](TObject* Sender) { cols.push_back(As<TDBGrid>(Sender)->SelectedField()->FieldName()); };
    MakeNav();
    Focus(grid);
    Press(VK_RIGHT);
    Press(VK_RIGHT);
    EXPECT_EQ(cols, (std::vector<std::string>{"cust", "name"}));
    EXPECT_EQ(Nav->CurrentField, Ord->FieldByName("name"));
    EXPECT_EQ(Nav->CurrentControl, grid);
    EXPECT_EQ(Nav->DataSource(), OrdSrc);
}

TEST_F(FocusTest, ControlsOnAControlGridPanelAreFollowed)
{
    TDBGrid* custGrid = AddGrid(CustSrc, 10, 10);
    auto* ctrlGrid = new TDBCtrlGrid(Form.get());
    ctrlGrid->SetParent(Form.get());
    ctrlGrid->SetBounds(300, 10, 300, 240);
    ctrlGrid->SetDataSource(OrdSrc);
    TDBEdit* line = AddEdit(OrdSrc, "name", ctrlGrid->Panel());
    line->SetBounds(5, 5, 120, 24);
    MakeNav();
    input.Click(custGrid, 60, 50);
    Run();
    ASSERT_EQ(Nav->DataSource(), CustSrc);
    input.Click(line, 10, 10);
    Run();
    EXPECT_EQ(Focused(), line);
    EXPECT_EQ(Nav->DataSource(), OrdSrc);
    EXPECT_EQ(Nav->CurrentControl, line);
    // Down on the panel's edit: the control grid moves (the navigator leaves it the key).
    Press(VK_DOWN);
    EXPECT_EQ(Ord->RecNo(), 2);
    EXPECT_EQ(Nav->FocusedButton(), vnbNext);
}

TEST_F(FocusTest, NextDataSourceControlCyclesThroughTheDataSources)
{
    auto* third = new TDataSource(Form.get());
    third->SetName("Third");
    third->SetDataSet(OpenTable("orders"));
    TDBEdit* a1 = AddEdit(CustSrc, "name");
    TDBEdit* b1 = AddEdit(OrdSrc, "name");
    TDBEdit* b2 = AddEdit(OrdSrc, "qty");
    TDBEdit* c1 = AddEdit(third, "name");
    TDBEdit* a2 = AddEdit(CustSrc, "city");
    MakeNav();
    ASSERT_EQ(Nav->DefaultControls()->Count(), 3);

    Focus(a1);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), b1);
    EXPECT_EQ(Nav->DataSource(), OrdSrc);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), c1);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), a1);

    // The control last entered is its data source's default.
    Focus(a2);
    Focus(b2);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), c1);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), a2);

    // A disabled default: the first selectable captured control of B takes over.
    b2->SetEnabled(false);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), b1);
    EXPECT_EQ(Nav->DefaultControls()->Items(1)->Control, b1);
    // B with nothing selectable: on to C.
    Focus(a1);
    b1->SetEnabled(false);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), c1);
    // A destroyed default: another control of that data source.
    b1->SetEnabled(true);
    Focus(a1);
    a1->Free();
    Focus(c1);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), a2);
}

TEST_F(FocusTest, NextDataSourceControlWithOneDataSourceStays)
{
    TDBEdit* a1 = AddEdit(CustSrc, "name");
    AddEdit(CustSrc, "city");
    MakeNav();
    Focus(a1);
    Press(VK_F1 + 2);
    EXPECT_EQ(Focused(), a1);
}
