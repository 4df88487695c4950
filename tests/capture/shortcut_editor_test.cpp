// The shortcut editor: its form file and navigator, assigning and refusing shortcuts,
// the reset, the navigator's EditShortCuts through scripted clicks and keys, and the
// tables kept in form files.
#include "korin/capture/Scutdlg.h"
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/TypInfo.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/capture/CaptureFixture.h"

using namespace korin;

namespace {

class ShortCutEditorTest : public CaptureTest {
protected:
    void SetUp() override
    {
        CaptureTest::SetUp();
        Dlg.reset(new TShortCutDlg(nullptr));
        Dlg->SingleRowShortCuts = DefaultSShortCuts;
        Dlg->MultiRowShortCuts = DefaultShortCuts;
        Dlg->Show();
        Run();
    }
    void TearDown() override
    {
        Dlg.reset();
        CaptureTest::TearDown();
    }
    void Pick(TVNavigateBtn Button)
    {
        input.Click(Dlg->scutNavigator->Buttons(Button));
        Run();
    }
    // Types a combination into the hot-key field and clicks the assign button.
    void Assign(std::uint16_t Key, TShiftState Shift)
    {
        input.Call([this] { Dlg->HotKey->SetFocus(); }).Key(Key, Shift).Click(Dlg->bbAssign);
        Run();
    }
    TOwned<TShortCutDlg> Dlg;
};

TShortCutDlg* OpenEditor() { return As<TShortCutDlg>(Screen->ActiveForm()); }

}  // namespace

TEST_F(ShortCutEditorTest, TheFormFileAndTheDialogsOwnNavigator)
{
    TShortCutDlg* d = Dlg.get();
    EXPECT_EQ(d->Caption(), "ShortCut Setup");
    EXPECT_EQ(d->ClientWidth(), 511);
    EXPECT_EQ(d->ClientHeight(), 223);
    EXPECT_EQ(d->BorderStyle(), bsDialog);
    EXPECT_EQ(d->Position(), poScreenCenter);
    EXPECT_EQ(d->Font().Height(), -11);
    struct Expect {
        TControl* Control;
        TRect Bounds;
        std::string Caption;
    };
    for (const Expect& e : std::vector<Expect>{
             {d->Bevel1, Rect(4, 50, 506, 171), ""},
             {d->Label1, Rect(13, 129, 133, 142), "Currently assigned to"},
             {d->Label2, Rect(50, 79, 134, 92), "Enter ShortCut"},
             {d->Label3, Rect(5, 6, 133, 19), "Click on button below:"},
             {d->bbOK, Rect(342, 189, 417, 214), "&OK"},
             {d->bbCancel, Rect(432, 189, 507, 214), "&Cancel"},
             {d->HotKey, Rect(145, 73, 330, 93), ""},
             {d->ButtonName, Rect(145, 124, 330, 145), ""},
             {d->bbAssign, Rect(303, 96, 328, 121), ""},
             {d->rbMulti, Rect(349, 98, 490, 115), "Multirow controls"},
             {d->rbSingle, Rect(349, 74, 485, 91), "Singlerow controls"},
             {d->btnDefaults, Rect(5, 189, 118, 214), "Reset to &defaults"},
         }) {
        // Labels take the size of their text in the font at hand; their place is fixed.
        if (Is<TLabel>(e.Control)) {
            EXPECT_EQ(e.Control->Left(), e.Bounds.Left) << e.Control->Name();
            EXPECT_EQ(e.Control->Top(), e.Bounds.Top) << e.Control->Name();
        } else
            EXPECT_EQ(e.Control->BoundsRect(), e.Bounds) << e.Control->Name();
        if (!e.Caption.empty())
            EXPECT_EQ(e.Control->Caption(), e.Caption) << e.Control->Name();
    }
    for (TControl* bold : std::vector<TControl*>{d->Label1, d->Label2, d->Label3, d->rbMulti, d->rbSingle})
        EXPECT_EQ(bold->Font().Style(), fsBold) << bold->Name();
    EXPECT_EQ(d->bbOK->Hint(), "Post record");
    EXPECT_EQ(d->bbCancel->Hint(), "Cancel ");
    EXPECT_EQ(d->bbAssign->Hint(), "Assign shortcut");
    EXPECT_TRUE(d->bbOK->Default());
    EXPECT_EQ(d->bbOK->ModalResult(), mrOk);
    EXPECT_TRUE(d->bbCancel->Cancel());
    EXPECT_TRUE(d->bbCancel->Default());
    EXPECT_EQ(d->bbCancel->ModalResult(), mrCancel);
    EXPECT_EQ(d->bbAssign->NumGlyphs(), 2);
    EXPECT_FALSE(d->bbAssign->Glyph().Empty());
    EXPECT_FALSE(d->HotKey->AutoSize());
    EXPECT_EQ(d->HotKey->HotKey(), 0);
    EXPECT_EQ(d->HotKey->InvalidKeys(), 0);
    EXPECT_EQ(d->HotKey->Modifiers(), 0);
    EXPECT_TRUE(d->ButtonName->ReadOnly());
    EXPECT_EQ(d->ButtonName->Color(), clBtnFace);
    // Tab order: OK, Cancel, hot key, name, assign, multi, defaults, single.
    std::vector<TWinControl*> order;
    d->GetTabOrderList(order);
    std::vector<std::string> names;
    for (TWinControl* c : order)
        if (c->Parent() == d && c != d->scutNavigator)
            names.push_back(c->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"bbOK", "bbCancel", "HotKey", "ButtonName", "bbAssign", "rbMulti",
                                               "btnDefaults", "rbSingle"}));
    // Nothing is chosen yet.
    EXPECT_FALSE(d->bbAssign->Enabled());
    EXPECT_FALSE(d->rbMulti->Enabled());
    EXPECT_FALSE(d->rbSingle->Enabled());
    EXPECT_TRUE(d->rbSingle->Checked());
    EXPECT_EQ(d->CurrentTable, &d->SingleRowShortCuts);
    EXPECT_EQ(d->CurrentButton, vnbFirst);

    // The navigator: below Label3, above the bevel, all 25 buttons in one radio group.
    TVandroDBNavigator* nav = d->scutNavigator;
    ASSERT_NE(nav, nullptr);
    EXPECT_EQ(nav->Owner(), d);
    EXPECT_EQ(nav->Parent(), d);
    EXPECT_TRUE(nav->SetupMode());
    EXPECT_EQ(nav->Left(), 5);
    EXPECT_GE(nav->Top(), d->Label3->Top() + d->Label3->Height());
    EXPECT_LE(nav->Top() + nav->Height(), d->Bevel1->Top());
    EXPECT_EQ(nav->VisibleCount(), 25);
    for (TVNavigateBtn b : AllNavButtons()) {
        EXPECT_TRUE(nav->Buttons(b)->Visible());
        EXPECT_EQ(nav->Buttons(b)->GroupIndex(), 1);
    }
    EXPECT_EQ(nav->Buttons(vnbDateTime)->BoundsRect().Right, nav->Width());
    // A dialog whose form file lacks a component is refused with its name.
    EXPECT_EQ(d->FindComponent("scutNavigator"), nullptr);
}

TEST_F(ShortCutEditorTest, ClickingANavigatorButtonChoosesIt)
{
    Pick(vnbNext);
    EXPECT_EQ(Dlg->CurrentButton, vnbNext);
    EXPECT_EQ(Dlg->ButtonName->Text(), "_NEXT");
    EXPECT_EQ(ShortCutToText(Dlg->HotKey->HotKey()), "PgDn");
    EXPECT_TRUE(Dlg->bbAssign->Enabled());
    EXPECT_TRUE(Dlg->rbMulti->Enabled());
    EXPECT_TRUE(Dlg->rbSingle->Enabled());
    EXPECT_EQ(FindControl(GetFocus()), Dlg->HotKey);
    EXPECT_TRUE(Dlg->scutNavigator->Buttons(vnbNext)->Down());
    // The other table shows the multi-row entry of the same button.
    input.Click(Dlg->rbMulti);
    Run();
    EXPECT_EQ(Dlg->CurrentTable, &Dlg->MultiRowShortCuts);
    EXPECT_EQ(ShortCutToText(Dlg->HotKey->HotKey()), "Down");
    Pick(vnbEdit);
    EXPECT_EQ(Dlg->ButtonName->Text(), "_EDIT");
    EXPECT_TRUE(Dlg->scutNavigator->Buttons(vnbEdit)->Down());
    EXPECT_FALSE(Dlg->scutNavigator->Buttons(vnbNext)->Down());
}

TEST_F(ShortCutEditorTest, ADuplicateIsRefusedAndEmptiesTheEntryPerTable)
{
    Pick(vnbNext);
    Assign(VK_PRIOR, 0);  // PgUp is PRIOR's in the single-row table
    EXPECT_EQ(Dlg->SingleRowShortCuts[vnbNext], "");
    EXPECT_EQ(Dlg->SingleRowShortCuts[vnbPrior], "PgUp");
    EXPECT_EQ(Dlg->HotKey->HotKey(), 0);
    EXPECT_TRUE(Dlg->bbAssign->Enabled());
    // The same key in the multi-row table, where PRIOR has Up: accepted.
    input.Click(Dlg->rbMulti);
    Run();
    Assign(VK_PRIOR, 0);
    EXPECT_EQ(Dlg->MultiRowShortCuts[vnbNext], "PgUp");
    EXPECT_FALSE(Dlg->bbAssign->Enabled());
    // A fresh combination in the single-row table.
    input.Click(Dlg->rbSingle);
    Run();
    Assign('N', ssCtrl | ssAlt);
    EXPECT_EQ(Dlg->SingleRowShortCuts[vnbNext], "Ctrl+Alt+N");
    EXPECT_FALSE(Dlg->bbAssign->Enabled());
}

TEST_F(ShortCutEditorTest, EmptyEntriesAreNoShortcutAndNeverDuplicates)
{
    Pick(vnbNext);
    Dlg->HotKey->SetHotKey(0);
    input.Click(Dlg->bbAssign);
    Run();
    EXPECT_EQ(Dlg->SingleRowShortCuts[vnbNext], "");
    EXPECT_FALSE(Dlg->bbAssign->Enabled());
    Pick(vnbPrior);
    Dlg->HotKey->SetHotKey(0);
    input.Click(Dlg->bbAssign);
    Run();
    EXPECT_EQ(Dlg->SingleRowShortCuts[vnbPrior], "");
    // Two empty entries do not block the table: the next assignment is taken.
    Pick(vnbLast);
    Assign('L', ssCtrl);
    EXPECT_EQ(Dlg->SingleRowShortCuts[vnbLast], "Ctrl+L");

    TShortCutArray table{};
    EXPECT_FALSE(HasEqualShortCuts(&table));
    table = DefaultShortCuts;
    EXPECT_FALSE(HasEqualShortCuts(&table));
    table[vnbDateTime] = "Home";
    EXPECT_TRUE(HasEqualShortCuts(&table));
    table[vnbDateTime] = "home";  // compared exactly
    EXPECT_FALSE(HasEqualShortCuts(&table));
    EXPECT_FALSE(HasEqualShortCuts(nullptr));
}

TEST_F(ShortCutEditorTest, ResetGivesBothFactoryTablesWhicheverTableIsEdited)
{
    Pick(vnbNext);
    input.Click(Dlg->rbMulti);
    Run();
    Assign('K', ssCtrl);
    Dlg->SingleRowShortCuts.fill("");
    input.Click(Dlg->btnDefaults);
    Run();
    EXPECT_EQ(Dlg->SingleRowShortCuts, DefaultSShortCuts);
    EXPECT_EQ(Dlg->MultiRowShortCuts, DefaultShortCuts);
    EXPECT_EQ(Dlg->CurrentTable, &Dlg->MultiRowShortCuts);
    EXPECT_EQ(ShortCutToText(Dlg->HotKey->HotKey()), "Down");
}

TEST_F(ShortCutEditorTest, EditShortCutsCopiesTheTablesOnOkOnly)
{
    Dlg.reset();
    TDBEdit* edit = AddEdit(CustSrc, "name");
    MakeNav();
    // Cancel: the navigator keeps its tables even though one was changed in the dialog.
    input.Call([this] {
        TShortCutDlg* d = OpenEditor();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->SingleRowShortCuts, Nav->SingleRowShortCuts);
        EXPECT_EQ(d->ButtonName->Text(), "_FIRST");
        EXPECT_EQ(ShortCutToText(d->HotKey->HotKey()), "Home");
        input.Click(d->scutNavigator->Buttons(vnbEdit)).Key('K', ssCtrl).Click(d->bbAssign).Click(d->bbCancel);
    });
    EXPECT_FALSE(Nav->EditShortCuts());
    EXPECT_EQ(Nav->SingleRowShortCuts, DefaultSShortCuts);

    // OK: the new shortcut runs its button at once.
    input.Call([this] {
        TShortCutDlg* d = OpenEditor();
        ASSERT_NE(d, nullptr);
        input.Click(d->scutNavigator->Buttons(vnbEdit)).Key('K', ssCtrl).Click(d->bbAssign).Click(d->bbOK);
    });
    EXPECT_TRUE(Nav->EditShortCuts());
    EXPECT_EQ(Nav->SingleRowShortCuts[vnbEdit], "Ctrl+K");
    EXPECT_EQ(Nav->MultiRowShortCuts, DefaultShortCuts);
    Focus(edit);
    Press('K', ssCtrl);
    EXPECT_EQ(Cust->State(), dsEdit);
}

TEST_F(ShortCutEditorTest, FormFilesKeepChangedTablesOnly)
{
    Dlg.reset();
    Register();
    TOwned<TForm> form(new TForm(nullptr));
    form->SetName("ScutForm");
    auto* nav = new TVandroDBNavigator(form.get());
    nav->Loaded();
    nav->SetName("Nav");
    std::string plain = WriteComponentText(form.get());
    EXPECT_EQ(plain.find("RowShortCuts"), std::string::npos) << plain;

    TShortCutArray single = DefaultSShortCuts, multi = DefaultShortCuts;
    single[vnbEdit] = "Ctrl+K";
    single[vnbPost] = "";
    multi[vnbFind] = "Shift+Ctrl+F";
    nav->SetSingleRowShortCuts(single);
    std::string text = WriteComponentText(form.get());
    EXPECT_NE(text.find("SingleRowShortCuts.Strings"), std::string::npos) << text;
    EXPECT_EQ(text.find("MultiRowShortCuts"), std::string::npos) << text;
    nav->SetMultiRowShortCuts(multi);
    text = WriteComponentText(form.get());

    TOwned<TComponent> copy(CreateComponentFromText(text));
    auto* read = As<TVandroDBNavigator>(copy->FindComponent("Nav"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->SingleRowShortCuts, single);
    EXPECT_EQ(read->MultiRowShortCuts, multi);
    EXPECT_EQ(WriteComponentText(copy.get()), text);
    // The tables read are the ones the keyboard uses, and the ones the hints show.
    EXPECT_NE(read->Buttons(vnbFind)->Hint().find("Shift+Ctrl+F"), std::string::npos) << read->Buttons(vnbFind)->Hint();

    // A stored table of the wrong length is refused with its name, and the navigator
    // keeps the table it had.
    TOwned<TForm> other(new TForm(nullptr));
    auto* fresh = new TVandroDBNavigator(other.get());
    try {
        ReadComponentText("object Nav: TVandroDBNavigator\n  SingleRowShortCuts.Strings = (\n    'Home'\n    'End')\nend\n",
                          fresh);
        ADD_FAILURE() << "a two-entry table was read";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("SingleRowShortCuts: a shortcut table holds 25 entries, not 2"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(fresh->SingleRowShortCuts, DefaultSShortCuts);
}
