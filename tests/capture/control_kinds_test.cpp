#include "tests/capture/CaptureFixture.h"

#include "korin/platform/gui/StdCtrls.h"

using namespace korin;

namespace {

// Another vendor's edit that happens to have a DataSource: not one of the handled classes.
class TVendorEdit : public TEdit {
public:
    using TEdit::TEdit;
    TDataSource* DataSource() const { return Source; }
    TDataSource* Source = nullptr;
};

using IntrospectionTest = CaptureTest;

}  // namespace

TEST_F(IntrospectionTest, ClassesSourcesFieldsAndEntities)
{
    TDBEdit* edit = AddEdit(CustSrc, "name");
    auto* grid = AddGrid(OrdSrc, 10, 10);
    auto* kgrid = new TDBKGrid(Form.get());
    kgrid->SetParent(Form.get());
    kgrid->SetDataSource(CustSrc);
    auto* bare = new TCustomDBGrid(Form.get());  // neither TDBGrid nor TDBKGrid
    bare->SetParent(Form.get());
    bare->SetDataSource(CustSrc);
    auto* lookupBase = new TDBLookupControl(Form.get());
    lookupBase->SetParent(Form.get());
    lookupBase->SetDataSource(OrdSrc);
    lookupBase->SetDataField("cust");
    auto* lookup = new TDBLookupComboBox(Form.get());
    lookup->SetParent(Form.get());
    lookup->SetDataSource(OrdSrc);
    lookup->SetDataField("cust");
    auto* spin = new TDBSpinEdit(Form.get());
    spin->SetParent(Form.get());
    spin->SetDataSource(OrdSrc);
    spin->SetDataField("qty");
    auto* vendor = new TVendorEdit(Form.get());
    vendor->SetParent(Form.get());
    vendor->Source = CustSrc;
    auto* ctrlGrid = new TDBCtrlGrid(Form.get());
    ctrlGrid->SetParent(Form.get());
    ctrlGrid->SetBounds(300, 10, 300, 240);
    ctrlGrid->SetDataSource(OrdSrc);
    ctrlGrid->SetRowCount(4);
    TDBEdit* onPanel = AddEdit(OrdSrc, "name", ctrlGrid->Panel());

    EXPECT_TRUE(IsControlDBAware(edit));
    EXPECT_EQ(GetDataSource(edit), CustSrc);
    EXPECT_EQ(GetDataSet(edit), Cust);
    EXPECT_EQ(GetDataField(edit), Cust->FieldByName("name"));
    EXPECT_EQ(GetDBControlEntity(edit), oeSingleRow);

    EXPECT_EQ(GetDataSource(grid), OrdSrc);
    EXPECT_EQ(GetDataField(grid), grid->SelectedField());
    EXPECT_EQ(GetDataField(grid)->FieldName(), "id");
    EXPECT_EQ(GetDBControlEntity(grid), oeMultiRow);
    EXPECT_EQ(GetDataSource(kgrid), CustSrc);

    EXPECT_TRUE(IsControlDBAware(bare));
    EXPECT_EQ(GetDBControlEntity(bare), oeMultiRow);
    EXPECT_EQ(GetDataSource(bare), nullptr);
    EXPECT_EQ(GetDataField(bare), nullptr);

    EXPECT_TRUE(IsControlDBAware(lookupBase));
    EXPECT_EQ(GetDataSource(lookupBase), nullptr);
    EXPECT_EQ(GetDataField(lookupBase), nullptr);
    EXPECT_EQ(GetDataSource(lookup), OrdSrc);
    EXPECT_EQ(GetDataField(lookup), Ord->FieldByName("cust"));
    EXPECT_TRUE(IsACustomControl(lookup));
    EXPECT_FALSE(IsACustomControl(lookupBase));
    EXPECT_FALSE(IsACustomControl(edit));

    EXPECT_TRUE(IsControlDBAware(spin));
    EXPECT_EQ(GetDataSource(spin), OrdSrc);
    EXPECT_EQ(GetDataField(spin), nullptr);

    EXPECT_FALSE(IsControlDBAware(vendor));
    EXPECT_FALSE(CheckControl(vendor));
    EXPECT_EQ(GetDataSource(vendor), nullptr);
    EXPECT_EQ(GetDataSet(vendor), nullptr);

    EXPECT_EQ(GetDataSource(ctrlGrid), OrdSrc);
    EXPECT_EQ(GetDataField(ctrlGrid), nullptr);
    EXPECT_EQ(GetDBControlEntity(ctrlGrid), oeMultiRow);
    EXPECT_TRUE(IsControlDBAware(ctrlGrid->Panel()));
    EXPECT_EQ(GetDataSource(ctrlGrid->Panel()), nullptr);
    EXPECT_EQ(GetDBControlEntity(ctrlGrid->Panel()), oeSingleRow);
    EXPECT_EQ(GetDBControlEntity(onPanel), oeMultiRow);
    EXPECT_EQ(GetControlRowCount(onPanel), 4);
    EXPECT_EQ(GetControlRowCount(ctrlGrid), 4);
    EXPECT_EQ(GetControlRowCount(edit), 1);

    EXPECT_FALSE(IsControlDBAware(nullptr));
    EXPECT_EQ(GetDBControlEntity(nullptr), oeSingleRow);
    EXPECT_EQ(GetDataSource(nullptr), nullptr);
    EXPECT_EQ(GetDataField(nullptr), nullptr);
    MakeNav();
    EXPECT_TRUE(IsNavigator(Nav));
    EXPECT_FALSE(IsNavigator(edit));
    EXPECT_FALSE(IsControlDBAware(Nav));
}

TEST_F(IntrospectionTest, IndexInfoOfTheCurrentRecord)
{
    TDBEdit* edit = AddEdit(OrdSrc, "name");
    MakeNav();
    std::string keys = "x";
    Variant values = 1;
    Nav->GetIndexInfo(keys, values);  // no data source yet
    EXPECT_EQ(keys, "");
    EXPECT_TRUE(values.IsEmpty());

    Focus(edit);
    ASSERT_EQ(Nav->DataSource(), OrdSrc);
    Ord->Last();
    Nav->GetIndexInfo(keys, values);  // the primary key's order
    EXPECT_EQ(keys, "id");
    EXPECT_FALSE(values.IsArray());
    EXPECT_EQ(values, Variant(40));

    Ord->SetIndexFieldNames("cust");
    Ord->First();
    Nav->GetIndexInfo(keys, values);
    EXPECT_EQ(keys, "cust");
    EXPECT_FALSE(values.IsArray());
    EXPECT_EQ(values, Ord->FieldByName("cust")->Value());

    Ord->SetIndexFieldNames("cust;name");
    Nav->GetIndexInfo(keys, values);
    ASSERT_TRUE(values.IsArray());
    // Field order, not index order.
    EXPECT_EQ(keys, "cust;name");
    EXPECT_EQ(values.ArrayLowBound(), 0);
    EXPECT_EQ(values.ArrayHighBound(), 1);
    EXPECT_EQ(values[1], Ord->FieldByName("name")->Value());
    EXPECT_TRUE(Ord->Locate(keys, values, 0));
}

TEST_F(IntrospectionTest, PageRowsFollowTheCurrentControl)
{
    TDBEdit* edit = AddEdit(OrdSrc, "name");
    // Wide enough for every column, so that no horizontal scroll bar takes a row.
    TDBGrid* grid = AddGrid(OrdSrc, 10, 10, 900);
    // A title row and 15 data rows, with a few pixels to spare.
    grid->SetHeight(16 * (grid->DefaultRowHeight() + grid->GridLineWidth()) + grid->Height() - grid->ClientHeight() + 5);
    MakeNav();
    for (auto [stored, runtime] : {std::pair{1, 1}, {2, 1}, {10, 9}, {-7, 6}}) {
        Nav->SetPageRows(stored);
        EXPECT_EQ(Nav->PageRowsCount(), runtime) << stored;
    }
    Nav->SetPageRows(10);
    Nav->SetDesigning(true, false);
    EXPECT_EQ(Nav->PageRowsCount(), 10);
    Nav->SetDesigning(false, false);

    Focus(edit);
    Press(VK_NEXT, ssCtrl);  // NEXT PAGE from a single-row control
    EXPECT_EQ(Ord->RecNo(), 10);

    Focus(grid);
    ASSERT_FALSE(grid->HorzScrollBarVisible());
    ASSERT_EQ(grid->VisibleRowCount(), 15);
    EXPECT_EQ(Nav->PageRowsCount(), 14);
    Press(VK_NEXT, ssCtrl);
    EXPECT_EQ(Ord->RecNo(), 24);
    Press(VK_PRIOR, ssCtrl);
    EXPECT_EQ(Ord->RecNo(), 10);
}
