// Editing details of single controls: memo lines, empty values, clicks in lists, spin
// limits, what a form file keeps of a data-aware control, and controls without data.
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/dbctrls/Registration.h"
#include "korin/platform/gui/Render.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

TEST_F(CtrlTest, MemoTakesNewLinesAndPostsThem)
{
    auto* memo = new TDBMemo(Form.get());
    memo->SetParent(Form.get());
    memo->SetDataSource(Source);
    memo->SetDataField("notes");
    Table->Open();
    Form->Show();
    memo->SetFocus();
    input.Key(VK_END, ssCtrl).Key(VK_RETURN).Type("third").Key(VK_HOME).Key(VK_DELETE);
    Run();
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"note 1", "second line", "hird"}));
    Table->Post();
    EXPECT_EQ(Stored("SELECT notes FROM people WHERE id=1"), "note 1\nsecond line\nhird");
}

TEST_F(CtrlTest, EmptyValuesShowGreyedAndClicksPick)
{
    TRawSql(Path).Exec("UPDATE people SET active=NULL, city=NULL WHERE id=1");
    auto* check = new TDBCheckBox(Form.get());
    check->SetParent(Form.get());
    check->SetBounds(0, 0, 100, 17);
    check->SetDataSource(Source);
    check->SetDataField("active");
    auto* radio = new TDBRadioGroup(Form.get());
    radio->SetParent(Form.get());
    radio->SetBounds(0, 40, 200, 100);
    radio->SetItems({"Graz", "Ghent", "Lima"});
    radio->SetDataSource(Source);
    radio->SetDataField("city");
    auto* list = new TDBListBox(Form.get());
    list->SetParent(Form.get());
    list->SetBounds(0, 150, 120, 90);
    list->SetItems({"Graz", "Ghent", "Lima"});
    list->SetDataSource(Source);
    list->SetDataField("city");
    Table->Open();
    Form->Show();
    EXPECT_EQ(check->State(), TDBCheckBox::cbGrayed);
    EXPECT_EQ(radio->ItemIndex(), -1);

    input.Click(check);
    Run();
    EXPECT_EQ(check->State(), TDBCheckBox::cbChecked);
    EXPECT_EQ(Table->State(), dsEdit);
    // The third radio item sits in the lower third of the group's item area.
    input.Click(radio, 40, 16 + 2 * 26 + 10);
    Run();
    EXPECT_EQ(radio->Value(), "Lima");
    Table->Post();
    EXPECT_EQ(Stored("SELECT active || '/' || city FROM people WHERE id=1"), "1/Lima");
    EXPECT_EQ(list->ItemIndex(), 2);

    // A click on the first list item picks it.
    input.Click(list, 10, 2 + 5);
    Run();
    EXPECT_EQ(list->ItemIndex(), 0);
    Table->Post();
    EXPECT_EQ(Stored("SELECT city FROM people WHERE id=1"), "Graz");
    EXPECT_EQ(radio->Value(), "Graz");
}

TEST_F(CtrlTest, SpinEditKeepsItsLimitsAndTakesOnlyNumbers)
{
    auto* spin = new TDBSpinEdit(Form.get());
    spin->SetParent(Form.get());
    spin->SetDataSource(Source);
    spin->SetDataField("age");
    spin->SetIncrement(10);
    spin->SetMinValue(5);
    spin->SetMaxValue(40);
    Table->Open();
    Form->Show();
    spin->SetFocus();
    input.Key(VK_DOWN).Key(VK_DOWN).Key(VK_DOWN);  // 21 -> 11 -> 5 (the minimum)
    Run();
    EXPECT_EQ(spin->Value(), 5);
    input.Key(VK_UP).Key(VK_UP).Key(VK_UP).Key(VK_UP);  // 15, 25, 35, 40
    Run();
    EXPECT_EQ(spin->Text(), "40");
    input.Type("x.5");
    Run();
    EXPECT_EQ(spin->Text(), "405");
    Table->Post();
    EXPECT_EQ(Stored("SELECT age FROM people WHERE id=1"), "405");
}

TEST_F(CtrlTest, FormFilesKeepOnlyWhatDiffersFromTheDefaults)
{
    RegisterDbControlClasses();
    Source->SetName("Src");
    auto* edit = new TDBEdit(Form.get());
    edit->SetName("NameEdit");
    edit->SetParent(Form.get());
    edit->SetDataSource(Source);
    edit->SetDataField("name");
    auto* spin = new TDBSpinEdit(Form.get());
    spin->SetName("AgeSpin");
    spin->SetParent(Form.get());
    spin->SetMaxValue(99);
    Form->SetName("PeopleForm");
    std::string out = WriteComponentText(Form.get());
    size_t at = out.find("object NameEdit: TDBEdit");
    ASSERT_NE(at, std::string::npos);
    std::string block = out.substr(at, out.find("end", at) - at);
    EXPECT_NE(block.find("DataSource = Src"), std::string::npos);
    EXPECT_NE(block.find("DataField = 'name'"), std::string::npos);
    EXPECT_EQ(block.find("ReadOnly"), std::string::npos);
    EXPECT_EQ(block.find("TabStop"), std::string::npos);
    EXPECT_EQ(block.find("Color"), std::string::npos);
    at = out.find("object AgeSpin: TDBSpinEdit");
    ASSERT_NE(at, std::string::npos);
    block = out.substr(at, out.find("end", at) - at);
    EXPECT_NE(block.find("MaxValue = 99"), std::string::npos);
    EXPECT_EQ(block.find("Increment"), std::string::npos);
    EXPECT_EQ(block.find("DataSource"), std::string::npos);
}

TEST_F(CtrlTest, UnboundAndClosedControlsTakeKeysAndPaintWithoutHarm)
{
    std::vector<TWinControl*> all = {new TDBEdit(Form.get()),         new TDBMemo(Form.get()),
                                     new TDBImage(Form.get()),        new TDBListBox(Form.get()),
                                     new TDBComboBox(Form.get()),     new TKDBComboBox(Form.get()),
                                     new TDBCheckBox(Form.get()),     new TDBRadioGroup(Form.get()),
                                     new TDBLookupListBox(Form.get()), new TDBLookupComboBox(Form.get()),
                                     new TDBSpinEdit(Form.get()),     new TDBGrid(Form.get()),
                                     new TDBKGrid(Form.get()),        new TDBCtrlGrid(Form.get())};
    int top = 0;
    for (TWinControl* c : all) {
        c->SetParent(Form.get());
        c->SetTop(top);
        top += 8;
    }
    // Half of them bound to a closed table, with a field that does not exist.
    for (size_t i = 0; i < all.size(); i += 2) {
        if (auto* e = dynamic_cast<TDBEditControl*>(all[i])) {
            e->SetDataSource(Source);
            e->SetDataField("nosuchfield");
        } else if (auto* g = dynamic_cast<TCustomDBGrid*>(all[i]))
            g->SetDataSource(Source);
        else if (auto* cg = dynamic_cast<TDBCtrlGrid*>(all[i]))
            cg->SetDataSource(Source);
    }
    Form->Show();
    for (TWinControl* c : all) {
        c->SetFocus();
        input.Type("ab").Key(VK_DOWN).Key(VK_UP).Key(VK_NEXT).Key(VK_BACK).Key(VK_DELETE, ssCtrl).Key(VK_ESCAPE);
        input.Click(c, 3, 3);
        Run();
        EXPECT_EQ(Table->State(), dsInactive);
    }
    auto* cg = dynamic_cast<TDBCtrlGrid*>(all.back());
    cg->DoKey(gkDelete);
    cg->DoKey(gkInsert);
    auto bmp = RenderWindow(Form.get(), false);
    EXPECT_EQ(bmp->Width(), Form->ClientWidth());
    // Opened, the bound ones report the missing field and show nothing.
    EXPECT_THROW(Table->Open(), EDatabaseError);
    EXPECT_TRUE(Table->Active());
    for (TWinControl* c : all) {
        if (auto* e = dynamic_cast<TDBEditControl*>(c)) {
            EXPECT_EQ(e->Text(), "");
        }
    }
    bmp = RenderWindow(Form.get(), false);
    EXPECT_EQ(bmp->Width(), Form->ClientWidth());
}
