#include "tests/capture/CaptureFixture.h"

#include "korin/capture/Scutdlg.h"
#include "korin/platform/core/DateUtils.h"

using namespace korin;

namespace {

class KeyboardTest : public CaptureTest {
protected:
    // The keys a control's own OnKeyDown saw (the modifier keys themselves left out).
    std::vector<std::uint16_t> Seen;
    void Watch(TWinControl* Control)
    {
        Control->OnKeyDown = [this](TObject*, std::uint16_t& Key, TShiftState) {
            if (Key != VK_SHIFT && Key != VK_CONTROL && Key != VK_MENU)
                Seen.push_back(Key);
        };
    }
};

}  // namespace

TEST_F(KeyboardTest, PageDownMovesInAnEditAndIsLeftToAGrid)
{
    TDBEdit* edit = AddEdit(OrdSrc, "name");
    TDBGrid* grid = AddGrid(OrdSrc, 10, 10);
    Watch(edit);
    Watch(grid);
    MakeNav();
    Focus(edit);
    Press(VK_NEXT);
    EXPECT_EQ(Ord->RecNo(), 2);
    EXPECT_TRUE(Seen.empty());  // the edit never saw PgDn
    EXPECT_EQ(Nav->FocusedButton(), vnbNext);

    Focus(grid);
    Press(VK_NEXT);  // no shortcut in a grid: the grid pages itself
    EXPECT_EQ(Seen, (std::vector<std::uint16_t>{VK_NEXT}));
    EXPECT_EQ(Ord->RecNo(), 2 + grid->VisibleRowCount());
    Seen.clear();
    // Up and Down are PRIOR and NEXT in a grid, but the grid moves itself.
    Press(VK_DOWN);
    Press(VK_DOWN);
    Press(VK_UP);
    EXPECT_EQ(Seen, (std::vector<std::uint16_t>{VK_DOWN, VK_DOWN, VK_UP}));
    EXPECT_EQ(Ord->RecNo(), 3 + grid->VisibleRowCount());
    EXPECT_EQ(Nav->FocusedButton(), vnbPrior);
}

TEST_F(KeyboardTest, DateTimeOnlyForDateFieldsAndDisabledButtonsSwallow)
{
    TDBEdit* text = AddEdit(OrdSrc, "name");
    TDBEdit* date = AddEdit(OrdSrc, "shipped");
    Watch(text);
    Watch(date);
    MakeNav();
    Focus(text);
    Press('E', ssCtrl);  // EDIT
    ASSERT_EQ(Ord->State(), dsEdit);
    EXPECT_TRUE(Seen.empty());
    Press(VK_F1, ssCtrl);
    EXPECT_EQ(Seen, (std::vector<std::uint16_t>{VK_F1}));  // reaches the string field's edit
    EXPECT_EQ(Ord->FieldByName("name")->AsString(), "O1");

    Seen.clear();
    Focus(date);
    Press(VK_F1, ssCtrl);
    EXPECT_TRUE(Seen.empty());
    EXPECT_EQ(Ord->FieldByName("shipped")->AsDateTime(), Date());
    Press('P', ssCtrl);  // POST
    EXPECT_EQ(Ord->State(), dsBrowse);

    // In browse state POST is off: its shortcut is swallowed without any action, and so
    // is Home on the first record.
    Ord->First();
    Press('P', ssCtrl);
    Press(VK_HOME);
    EXPECT_TRUE(Seen.empty());
    EXPECT_EQ(Ord->State(), dsBrowse);
    EXPECT_EQ(Ord->RecNo(), 1);
}

TEST_F(KeyboardTest, EnterMovesOnLikeTab)
{
    TDBEdit* a = AddEdit(CustSrc, "name");
    TDBEdit* b = AddEdit(CustSrc, "city");
    Watch(a);
    MakeNav();
    int enters = 0;
    Nav->OnEnterKeyDown = [&](TObject* Sender, std::uint16_t& Key, TShiftState) {
        EXPECT_EQ(Key, VK_RETURN);
        EXPECT_EQ(Sender, Nav->CurrentControl);
        ++enters;
    };
    Focus(a);
    Press(VK_RETURN);
    EXPECT_EQ(Focused(), b);
    // Key down as Tab in the first edit; key up (and its notification) in the second.
    EXPECT_EQ(enters, 3);
    Press(VK_RETURN, ssShift);  // Shift+Enter goes back as Shift+Tab
    EXPECT_EQ(Focused(), a);

    // With Ctrl or Alt, Enter is neither reported nor turned into Tab.
    enters = 0;
    Press(VK_RETURN, ssCtrl);
    Press(VK_RETURN, ssAlt);
    EXPECT_EQ(Focused(), a);
    EXPECT_EQ(enters, 0);

    // Without ChangeControlFocus every Enter message is reported: key down, character
    // and key up, each as the notification and the message itself.
    Nav->SetChangeControlFocus(false);
    Seen.clear();
    Press(VK_RETURN);
    EXPECT_EQ(Focused(), a);
    EXPECT_EQ(enters, 6);
    EXPECT_EQ(Seen, (std::vector<std::uint16_t>{VK_RETURN}));

    // A handler that clears the key: the key-down message is emptied, and its character
    // never comes.
    int chars = 0;
    a->OnKeyPress = [&](TObject*, char32_t&) { ++chars; };
    Nav->OnEnterKeyDown = [&](TObject*, std::uint16_t& Key, TShiftState) {
        ++enters;
        Key = 0;
    };
    Seen.clear();
    enters = 0;
    Press(VK_RETURN);
    EXPECT_TRUE(Seen.empty());
    EXPECT_EQ(chars, 0);
    EXPECT_EQ(enters, 4);  // down (twice) and up (twice); no character
    EXPECT_EQ(Focused(), a);
}

TEST_F(KeyboardTest, EnterInAComboBoxMovesToTheNextControlOfTheDataSource)
{
    auto* combo = new TDBComboBox(Form.get());
    combo->SetParent(Form.get());
    combo->SetBounds(10, 10, 120, 24);
    combo->SetItems({"City0", "City1", "City2"});
    combo->SetDataSource(CustSrc);
    combo->SetDataField("city");
    TDBEdit* other = AddEdit(OrdSrc, "name");  // next in tab order, another data source
    TDBEdit* same = AddEdit(CustSrc, "name");
    std::vector<std::uint16_t> app;
    combo->OnKeyDown = [&](TObject*, std::uint16_t& Key, TShiftState) { app.push_back(Key); };
    MakeNav();
    Focus(combo);
    Press(VK_RETURN);
    EXPECT_EQ(Focused(), same);
    EXPECT_EQ(app, (std::vector<std::uint16_t>{0}));

    app.clear();
    Focus(combo);
    Press(VK_F1 + 3);  // F4 drops the list down
    ASSERT_TRUE(combo->DroppedDown());
    Press(VK_RETURN);
    EXPECT_EQ(Focused(), combo);
    EXPECT_EQ(app, (std::vector<std::uint16_t>{VK_F1 + 3, 0}));
    EXPECT_NE(other, same);
}

TEST_F(KeyboardTest, NextControlOfTheDataSourceWrapsAround)
{
    TDBEdit* a = AddEdit(CustSrc, "name");
    TDBEdit* x = AddEdit(OrdSrc, "name");
    TDBEdit* b = AddEdit(CustSrc, "city");
    TDBEdit* hidden = AddEdit(CustSrc, "joined");
    hidden->SetVisible(false);
    MakeNav();
    std::vector<TWinControl*> before;
    Nav->BeforeFocusChanged = [&](TObject*, TWinControl* New) { before.push_back(New); };
    Focus(a);
    before.clear();
    Nav->DBControlKeyDown(a);
    EXPECT_EQ(Focused(), b);
    Nav->DBControlKeyDown(b);  // the last one: back to the first
    EXPECT_EQ(Focused(), a);
    Nav->DBControlKeyDown(x);  // a sender of another data source: the first one
    EXPECT_EQ(Focused(), a);
    // Announced by DBControlKeyDown itself and again by the focus change.
    EXPECT_EQ(before, (std::vector<TWinControl*>{b, b, a, a, a}));
}

TEST_F(KeyboardTest, FirstAndLastField)
{
    // orders has "name" too, and its edit comes first in the registry: it must not be
    // picked for the customers' name.
    TDBEdit* ordName = AddEdit(OrdSrc, "name");
    // customers: id, name, city, joined. No control shows id.
    TDBEdit* name = AddEdit(CustSrc, "name");
    TDBEdit* city = AddEdit(CustSrc, "city");
    TDBEdit* joined = AddEdit(CustSrc, "joined");
    MakeNav();
    ASSERT_EQ(Nav->DBControls()->Controls(0), ordName);
    Focus(city);
    Press(VK_HOME, ssCtrl);
    EXPECT_EQ(Focused(), name);
    Press(VK_END, ssCtrl);
    EXPECT_EQ(Focused(), joined);
    EXPECT_EQ(Nav->FocusedButton(), vnbLastField);
    EXPECT_NE(ordName, name);
}

TEST_F(KeyboardTest, FirstAndLastFieldInGrids)
{
    TDBGrid* grid = AddGrid(OrdSrc, 10, 10);
    // Columns id (hidden field), cust, name, qty (hidden field).
    for (const char* f : {"id", "cust", "name", "qty"})
        grid->Columns()->Add()->SetFieldName(f);
    Ord->FieldByName("id")->SetVisible(false);
    Ord->FieldByName("qty")->SetVisible(false);

    auto* ctrlGrid = new TDBCtrlGrid(Form.get());
    ctrlGrid->SetParent(Form.get());
    ctrlGrid->SetBounds(300, 10, 300, 240);
    ctrlGrid->SetDataSource(CustSrc);
    TDBEdit* pName = AddEdit(CustSrc, "name", ctrlGrid->Panel());
    TDBEdit* pCity = AddEdit(CustSrc, "city", ctrlGrid->Panel());
    pName->SetBounds(5, 5, 100, 24);
    pCity->SetBounds(110, 5, 100, 24);
    MakeNav();

    Focus(grid);
    grid->SetSelectedIndex(2);
    Press(VK_HOME, ssCtrl);
    EXPECT_EQ(grid->SelectedField(), Ord->FieldByName("cust"));
    Press(VK_END, ssCtrl);
    EXPECT_EQ(grid->SelectedField(), Ord->FieldByName("name"));
    EXPECT_EQ(Nav->CurrentField, Ord->FieldByName("name"));

    Focus(pName);
    Press(VK_END, ssCtrl);
    EXPECT_EQ(Focused(), pCity);
    Press(VK_HOME, ssCtrl);
    EXPECT_EQ(Focused(), pName);
    Nav->DoLastField(ctrlGrid);  // from the control grid itself: its panel's controls
    EXPECT_EQ(Focused(), pCity);
    Nav->DoFirstField(nullptr);
    EXPECT_EQ(Focused(), pCity);
}

TEST_F(KeyboardTest, ShortcutTablesCanBeChangedAndEmptyEntriesNeverMatch)
{
    TDBEdit* edit = AddEdit(OrdSrc, "name");
    Watch(edit);
    MakeNav();
    Focus(edit);
    TShortCutArray single = Nav->SingleRowShortCuts;
    single[vnbNext] = "F5";
    single[vnbLast] = "";   // no shortcut for LAST any more
    single[vnbRefresh] = "F5";  // a duplicate for a higher button never fires
    Nav->SetSingleRowShortCuts(single);
    Press(VK_F1 + 4);
    EXPECT_EQ(Ord->RecNo(), 2);
    Press(VK_NEXT);  // PgDn is no shortcut now: the edit gets it
    Press(VK_END);
    EXPECT_EQ(Ord->RecNo(), 2);
    EXPECT_EQ(Seen, (std::vector<std::uint16_t>{VK_NEXT, VK_END}));

    // A key without a name never matches an empty entry.
    bool notFound = false;
    EXPECT_EQ(FindShortCut(ShortCut(0xFF, 0), &single, notFound), vnbFirst);
    EXPECT_TRUE(notFound);
    EXPECT_EQ(FindShortCut(ShortCut(VK_F1 + 4, 0), &single, notFound), vnbNext);
    EXPECT_FALSE(notFound);
    EXPECT_EQ(FindShortCut(TextToShortCut("Shift+Ctrl+D"), &DefaultShortCuts, notFound), vnbDittoCopyRecord);

    TShortCutArray multi = Nav->MultiRowShortCuts;
    multi[vnbFirst] = "F6";
    Nav->SetMultiRowShortCuts(multi);
    EXPECT_EQ(Nav->MultiRowShortCuts[vnbFirst], "F6");
    EXPECT_EQ(Nav->ShortCuts(), "");
}
