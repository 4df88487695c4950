// Field controls over a real table: what they show, how they follow the dataset, and how
// typing and picking reach the database.
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/gui/Render.h"
#include "tests/dbctrls/CtrlFixture.h"

using namespace korin;

namespace {

template <class T>
T* Place(TForm* Form, TDataSource* Source, const std::string& Field, int Top)
{
    auto* c = new T(Form);
    c->SetParent(Form);
    c->SetTop(Top);
    c->SetDataSource(Source);
    c->SetDataField(Field);
    return c;
}

const std::vector<std::string> kCities = {"Graz", "Ghent", "Lima"};

}  // namespace

TEST_F(CtrlTest, EachControlShowsItsFieldAndFollowsScrolls)
{
    auto* countries = new TTable(Form.get());
    countries->SetDatabaseName(Path);
    countries->SetTableName("countries");
    auto* listSource = new TDataSource(Form.get());
    listSource->SetDataSet(countries);
    countries->Open();

    auto* edit = Place<TDBEdit>(Form.get(), Source, "name", 0);
    auto* born = Place<TDBEdit>(Form.get(), Source, "born", 0);
    auto* memo = Place<TDBMemo>(Form.get(), Source, "notes", 0);
    auto* check = Place<TDBCheckBox>(Form.get(), Source, "active", 0);
    auto* list = Place<TDBListBox>(Form.get(), Source, "city", 0);
    list->SetItems(kCities);
    auto* combo = Place<TDBComboBox>(Form.get(), Source, "city", 0);
    combo->SetItems(kCities);
    auto* kcombo = Place<TKDBComboBox>(Form.get(), Source, "city", 0);
    kcombo->SetItems(kCities);
    auto* radio = Place<TDBRadioGroup>(Form.get(), Source, "city", 0);
    radio->SetItems(kCities);
    auto* spin = Place<TDBSpinEdit>(Form.get(), Source, "age", 0);
    auto* lookup = Place<TDBLookupComboBox>(Form.get(), Source, "country", 0);
    lookup->SetListSource(listSource);
    lookup->SetKeyField("id");
    lookup->SetListField("cname");
    auto* lookupList = Place<TDBLookupListBox>(Form.get(), Source, "country", 0);
    lookupList->SetListSource(listSource);
    lookupList->SetKeyField("id");
    lookupList->SetListField("cname");
    auto* image = Place<TDBImage>(Form.get(), Source, "notes", 0);

    // The combo boxes are combo boxes of the window layer (Up/Down, DroppedDown).
    EXPECT_TRUE(Is<TCustomComboBox>(combo));
    EXPECT_TRUE(Is<TDBComboBox>(kcombo));

    // Closed: nothing to show.
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(edit->Field(), nullptr);
    EXPECT_EQ(check->State(), TDBCheckBox::cbGrayed);

    Table->Open();
    EXPECT_EQ(edit->Field(), Table->FieldByName("name"));
    EXPECT_EQ(edit->Text(), "P1");
    EXPECT_EQ(born->Text(), "2001-02-02");
    EXPECT_EQ(memo->Text(), "note 1\nsecond line");
    EXPECT_EQ(memo->Lines(), (std::vector<std::string>{"note 1", "second line"}));
    EXPECT_EQ(check->State(), TDBCheckBox::cbChecked);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "Ghent");
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(kcombo->Text(), "Ghent");
    EXPECT_EQ(radio->ItemIndex(), 1);
    EXPECT_EQ(radio->Value(), "Ghent");
    EXPECT_EQ(spin->Value(), 21);
    EXPECT_EQ(lookup->ListCount(), 3);
    EXPECT_EQ(lookup->DisplayText(), "Belgium");
    EXPECT_EQ(lookupList->KeyIndex(), 1);
    EXPECT_TRUE(image->Picture().Empty());  // a memo is no image

    Table->Next();
    EXPECT_EQ(edit->Text(), "P2");
    EXPECT_EQ(born->Text(), "2001-02-03");
    EXPECT_EQ(check->State(), TDBCheckBox::cbUnchecked);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "Lima");
    EXPECT_EQ(radio->Value(), "Lima");
    EXPECT_EQ(spin->Text(), "22");
    EXPECT_EQ(lookup->DisplayText(), "Chile");
    EXPECT_EQ(lookupList->KeyIndex(), 2);

    Table->Last();
    EXPECT_EQ(edit->Text(), "P30");
    EXPECT_EQ(memo->Lines()[0], "note 30");
    EXPECT_EQ(combo->Text(), "Graz");
    EXPECT_EQ(lookup->DisplayText(), "Austria");

    // A list record renamed elsewhere shows once the list dataset re-reads.
    TRawSql(Path).Exec("UPDATE countries SET cname='Argentina' WHERE id=1");
    countries->Refresh();
    EXPECT_EQ(lookup->DisplayText(), "Argentina");

    // A value outside the lists selects nothing; an unknown field is refused and shows
    // nothing.
    TRawSql(Path).Exec("UPDATE people SET city='Oslo' WHERE id=30");
    Table->Refresh();
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(radio->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "Oslo");
    EXPECT_THROW(edit->SetDataField("nosuchfield"), EDatabaseError);
    EXPECT_EQ(edit->Field(), nullptr);
    EXPECT_EQ(edit->Text(), "");
    edit->SetDataField("name");
    EXPECT_EQ(edit->Text(), "P30");

    Table->Close();
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(spin->Text(), "");
    EXPECT_EQ(lookup->DisplayText(), "");
    EXPECT_EQ(list->ItemIndex(), -1);

    // A data source freed under a control leaves it unbound.
    delete Source;
    Source = nullptr;
    EXPECT_EQ(edit->DataSource(), nullptr);
    EXPECT_EQ(lookup->DataSource(), nullptr);
}

TEST_F(CtrlTest, TypingIntoAnEditEntersEditStateAndPostStoresTheText)
{
    auto* edit = Place<TDBEdit>(Form.get(), Source, "name", 0);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    Table->Open();
    Form->Show();
    edit->SetFocus();
    EXPECT_EQ(Table->State(), dsBrowse);

    input.Type("x");
    Run();
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(edit->Text(), "P1x");
    EXPECT_TRUE(edit->Modified());
    // The field gets the text only when the dataset asks for it.
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "P1");

    input.Key(VK_BACK).Type("yz").Key(VK_HOME).Key(VK_DELETE);
    Run();
    EXPECT_EQ(edit->Text(), "1yz");
    EXPECT_EQ(changes, 5);

    Table->Post();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id=1"), "1yz");
    EXPECT_EQ(edit->Text(), "1yz");
    EXPECT_FALSE(edit->Modified());

    // Esc drops what was typed; the dataset stays in edit state.
    input.Type("Q").Key(VK_ESCAPE);
    Run();
    EXPECT_EQ(edit->Text(), "1yz");
    EXPECT_FALSE(edit->Modified());
    EXPECT_EQ(Table->State(), dsEdit);
    Table->Cancel();
}

TEST_F(CtrlTest, FailedPostKeepsTheTypedTextAndTheEditState)
{
    auto* edit = Place<TDBEdit>(Form.get(), Source, "name", 0);
    auto* born = Place<TDBEdit>(Form.get(), Source, "born", 30);
    Table->Open();
    Form->Show();
    edit->SetFocus();

    input.Type("abcdefghijk");  // "P1abcdefghijk" is too long for the table's CHECK
    Run();
    EXPECT_THROW(Table->Post(), EDatabaseError);
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(edit->Text(), "P1abcdefghijk");
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "P1abcdefghijk");
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id=1"), "P1");

    input.Key(VK_BACK).Key(VK_BACK).Key(VK_BACK);
    Run();
    Table->Post();
    EXPECT_EQ(Stored("SELECT name FROM people WHERE id=1"), "P1abcdefgh");

    // A value the field refuses stays in the control and the record stays in edit state.
    born->SetFocus();
    input.Type("zz");
    Run();
    EXPECT_EQ(born->Text(), "2001-02-02zz");
    EXPECT_THROW(Table->Post(), EDatabaseError);
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(born->Text(), "2001-02-02zz");
    EXPECT_TRUE(born->Modified());
    EXPECT_EQ(Stored("SELECT born FROM people WHERE id=1"), "2001-02-02");

    // Cancel drops the refused text too.
    Table->Cancel();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(born->Text(), "2001-02-02");
    EXPECT_FALSE(born->Modified());
}

TEST_F(CtrlTest, LeavingAControlWritesTheFieldAndScrollingPostsIt)
{
    auto* name = Place<TDBEdit>(Form.get(), Source, "name", 0);
    auto* age = Place<TDBEdit>(Form.get(), Source, "age", 30);
    name->SetTabOrder(0);
    age->SetTabOrder(1);
    Table->Open();
    Form->Show();
    name->SetFocus();

    input.Type("Q").Key(VK_TAB);
    Run();
    EXPECT_EQ(GetFocus(), age->Handle());
    EXPECT_EQ(Table->FieldByName("name")->AsString(), "P1Q");
    EXPECT_EQ(Table->State(), dsEdit);

    // Letters are refused by a number field: nothing changes.
    input.Type("a");
    Run();
    EXPECT_EQ(age->Text(), "21");
    EXPECT_FALSE(age->Modified());

    input.Type("5");
    Run();
    Table->Next();  // posts, with the edit's pending text
    EXPECT_EQ(Stored("SELECT name || '/' || age FROM people WHERE id=1"), "P1Q/215");
    EXPECT_EQ(name->Text(), "P2");
    EXPECT_EQ(age->Text(), "22");
}

TEST_F(CtrlTest, PickingInListControlsWritesTheField)
{
    auto* countries = new TTable(Form.get());
    countries->SetDatabaseName(Path);
    countries->SetTableName("countries");
    auto* listSource = new TDataSource(Form.get());
    listSource->SetDataSet(countries);
    countries->Open();

    auto* check = Place<TDBCheckBox>(Form.get(), Source, "active", 0);
    auto* spin = Place<TDBSpinEdit>(Form.get(), Source, "age", 20);
    spin->SetMinValue(0);
    spin->SetMaxValue(22);
    auto* combo = Place<TDBComboBox>(Form.get(), Source, "city", 40);
    combo->SetItems(kCities);
    auto* radio = Place<TDBRadioGroup>(Form.get(), Source, "notes", 60);
    radio->SetItems({"first", "second"});
    radio->SetValues({"one", "two"});
    auto* lookup = Place<TDBLookupComboBox>(Form.get(), Source, "country", 180);
    lookup->SetListSource(listSource);
    lookup->SetKeyField("id");
    lookup->SetListField("cname");
    Table->Open();
    Form->Show();

    check->SetFocus();
    input.Key(VK_SPACE);
    Run();
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(check->State(), TDBCheckBox::cbUnchecked);

    spin->SetFocus();
    input.Key(VK_UP).Key(VK_UP);  // 21 -> 22, and 22 is the maximum
    Run();
    EXPECT_EQ(spin->Text(), "22");

    combo->SetFocus();
    input.Key(VK_DOWN);
    Run();
    EXPECT_EQ(combo->Text(), "Lima");
    input.Key(VK_DOWN, ssAlt);
    Run();
    EXPECT_TRUE(combo->DroppedDown());
    input.Key(VK_ESCAPE);
    Run();
    EXPECT_FALSE(combo->DroppedDown());

    radio->SetFocus();
    input.Key(VK_DOWN);
    Run();
    EXPECT_EQ(radio->Value(), "one");

    lookup->SetFocus();
    input.Key(VK_DOWN, ssAlt);
    Run();
    EXPECT_TRUE(lookup->ListVisible());
    input.Key(VK_DOWN).Key(VK_RETURN);
    Run();
    EXPECT_FALSE(lookup->ListVisible());
    EXPECT_EQ(lookup->DisplayText(), "Chile");

    Table->Post();
    EXPECT_EQ(Stored("SELECT active || '/' || age || '/' || city || '/' || notes || '/' || country FROM people WHERE id=1"),
              "0/22/Lima/one/3");

    // The lookup list by mouse: a click drops it down, a click on a row picks it.
    input.Click(lookup);
    Run();
    ASSERT_NE(lookup->ListWindow(), nullptr);
    EXPECT_TRUE(lookup->ListVisible());
    input.Click(lookup->ListWindow(), 5, 1 + 5);
    Run();
    EXPECT_FALSE(lookup->ListVisible());
    EXPECT_EQ(lookup->DisplayText(), "Austria");
    // Esc closes it again without a change.
    input.Key(VK_F1 + 3).Key(VK_DOWN).Key(VK_ESCAPE);
    Run();
    EXPECT_FALSE(lookup->ListVisible());
    EXPECT_EQ(lookup->DisplayText(), "Austria");
    Table->Post();
    EXPECT_EQ(Stored("SELECT country FROM people WHERE id=1"), "1");

    // Read-only controls and read-only links refuse to start editing.
    spin->SetReadOnly(true);
    spin->SetFocus();
    input.Key(VK_DOWN);
    Run();
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(spin->Text(), "22");
}

TEST_F(CtrlTest, ImageShowsABitmapStoredInABlob)
{
    // A 2 x 2 red bitmap, 24 bits a pixel, rows padded to 8 bytes.
    std::string hex = "424D46000000000000003600000028000000020000000200000001001800000000001000000013"
                      "0B0000130B00000000000000000000";
    for (int row = 0; row < 2; ++row)
        hex += "0000FF0000FF0000";
    TRawSql(Path).Exec("CREATE TABLE pics(id INTEGER PRIMARY KEY, pic BLOB);"
                       "INSERT INTO pics VALUES (1, X'" + hex + "'), (2, X'0102'), (3, NULL);");
    auto* pics = new TTable(Form.get());
    pics->SetDatabaseName(Path);
    pics->SetTableName("pics");
    auto* src = new TDataSource(Form.get());
    src->SetDataSet(pics);
    auto* image = new TDBImage(Form.get());
    image->SetParent(Form.get());
    image->SetDataSource(src);
    image->SetDataField("pic");
    pics->Open();
    ASSERT_EQ(image->Picture().Width(), 2);
    EXPECT_EQ(image->Picture().Height(), 2);
    EXPECT_EQ(image->Picture().Pixels(1, 1), clRed);
    auto bmp = RenderWindow(Form.get(), false);
    EXPECT_EQ(bmp->Pixels(image->Left() + image->Width() / 2, image->Top() + image->Height() / 2), clRed);
    pics->Next();  // bytes that are no image: an empty picture, no error
    EXPECT_TRUE(image->Picture().Empty());
    pics->Next();
    EXPECT_TRUE(image->Picture().Empty());
}
