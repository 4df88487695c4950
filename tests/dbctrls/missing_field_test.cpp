// A control whose DataField names no field of its dataset: opening the dataset, naming
// the field on an open dataset and reading a form with such a control all report
// "Field '…' not found", and the other links of the dataset hear of the change as ever.
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/Registration.h"
#include "tests/db/DbFixture.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

std::string ErrorOf(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

TEST_F(CtrlTest, AMisspelledDataFieldIsReportedWhenTheDataSetOpens)
{
    auto* good = new TDBEdit(Form.get());
    good->SetParent(Form.get());
    good->SetDataSource(Source);
    good->SetDataField("name");
    auto* bad = new TDBEdit(Form.get());
    bad->SetName("NameEdit");
    bad->SetParent(Form.get());
    bad->SetDataSource(Source);
    bad->SetDataField("Nmae");
    TRecordingLink other;
    other.SetDataSource(Source);
    int afterOpen = 0;
    Table->AfterOpen = [&](TDataSet*) { ++afterOpen; };

    EXPECT_EQ(ErrorOf([&] { Table->Open(); }), "NameEdit: Field 'Nmae' not found");
    // The dataset is open all the same, its open events ran, and every other link
    // followed it.
    EXPECT_TRUE(Table->Active());
    EXPECT_EQ(afterOpen, 1);
    EXPECT_EQ(other.Take(), "Active:1");
    EXPECT_EQ(good->Text(), "P1");
    EXPECT_EQ(Source->State(), dsBrowse);
    EXPECT_EQ(bad->Field(), nullptr);

    // Naming a missing field on the open dataset is refused the same way; an unnamed
    // control says only the field; a right name brings the control to life.
    bad->SetDataField("");
    EXPECT_EQ(ErrorOf([&] { bad->SetDataField("Agee"); }), "NameEdit: Field 'Agee' not found");
    auto* unnamed = new TDBEdit(Form.get());
    unnamed->SetDataSource(Source);
    EXPECT_EQ(ErrorOf([&] { unnamed->SetDataField("Nmae"); }), "Field 'Nmae' not found");
    EXPECT_EQ(ErrorOf([&] { bad->SetDataField("age"); }), "");
    EXPECT_EQ(bad->Text(), "21");

    // Closing never complains; a control given a source whose dataset is open checks
    // then, and keeps the source, so that freeing the source later lets go of it.
    unnamed->SetDataField("");
    EXPECT_EQ(ErrorOf([&] { Table->Close(); }), "");
    Table->Open();
    auto* late = new TDBEdit(Form.get());
    late->SetDataField("Nmae");
    auto* source2 = new TDataSource(Form.get());
    source2->SetDataSet(Table);
    EXPECT_EQ(ErrorOf([&] { late->SetDataSource(source2); }), "Field 'Nmae' not found");
    EXPECT_EQ(late->DataSource(), source2);
    delete source2;
    EXPECT_EQ(late->DataSource(), nullptr);
}

TEST_F(CtrlTest, ReadingAFormWithAMisspelledDataFieldReportsIt)
{
    RegisterDbControlClasses();
    const std::string text = "object F: TForm\n"
                             "  object People: TTable\n"
                             "    DatabaseName = '" + Path + "'\n"
                             "    TableName = 'people'\n"
                             "    Active = True\n"
                             "  end\n"
                             "  object Src: TDataSource\n"
                             "    DataSet = People\n"
                             "  end\n"
                             "  object NameEdit: TDBEdit\n"
                             "    DataSource = Src\n"
                             "    DataField = 'Nmae'\n"
                             "  end\n"
                             "end\n";
    TOwned<TForm> form(new TForm(nullptr));
    EXPECT_EQ(ErrorOf([&] { ReadComponentText(text, form.get()); }), "NameEdit: Field 'Nmae' not found");
    // Nothing half-read stays behind.
    EXPECT_EQ(form->ComponentCount(), 0);

    // Spelled right, the same form reads and shows the first name.
    TOwned<TForm> right(new TForm(nullptr));
    std::string fixed = text;
    fixed.replace(fixed.find("Nmae"), 4, "name");
    ReadComponentText(fixed, right.get());
    auto* edit = dynamic_cast<TDBEdit*>(right->FindComponent("NameEdit"));
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->Text(), "P1");
}

}  // namespace
