// The bar: parts and their edges, the refresh protocol, simple mode, hints, clicks and
// menus, mirroring, lock-key watching and form files.
#include <gtest/gtest.h>

#include "korin/platform/core/FormFiles.h"
#include "korin/platform/core/TypInfo.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Menus.h"
#include "tests/statusbar/StatusBarFixture.h"

using namespace korin;

namespace {

class Bar : public StatusBarTest {};

TEST_F(Bar, CreationAndPartEdges)
{
    EXPECT_EQ(bar->Height(), 19);
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Width(), 400);
    EXPECT_EQ(bar->Color(), clBtnFace);
    EXPECT_TRUE(bar->SizeGrip());
    EXPECT_TRUE(bar->UseSystemFont());
    EXPECT_EQ(bar->Font(), Screen->HintFont());
    EXPECT_EQ(bar->WindowParams().WinClassName, STATUSCLASSNAME);
    EXPECT_TRUE(bar->WindowParams().Style & CCS_TOP);  // a single-border form: no grip
    // No panels: one empty part reaching the right edge.
    EXPECT_EQ(Edges(), (std::vector<int>{-1}));
    EXPECT_EQ(bar->PartText(0), "");
    // Widths 50, 80, 60: edges 50, 130, -1; the last panel takes the remaining 270 pixels.
    AddPanel(50, "A");
    AddPanel(80, "B");
    AddPanel(60, "C");
    EXPECT_EQ(Edges(), (std::vector<int>{50, 130, -1}));
    EXPECT_EQ(PartRect(0), Rect(0, 2, 50, 19));
    EXPECT_EQ(PartRect(1), Rect(52, 2, 130, 19));
    EXPECT_EQ(PartRect(2), Rect(132, 2, 400, 19));
    // Every panel's text goes out owner-drawn, centre with one tab, right with two.
    bar->Panels()->GetItem(1)->SetAlignment(taCenter);
    bar->Panels()->GetItem(2)->SetAlignment(taRightJustify);
    bar->Panels()->GetItem(2)->SetBevel(pbRaised);
    bar->Panels()->GetItem(0)->SetBevel(pbNone);
    bar->UpdatePanels(false, true);
    EXPECT_EQ(bar->PartText(0), "A");
    EXPECT_EQ(bar->PartText(1), "\tB");
    EXPECT_EQ(bar->PartText(2), "\t\tC");
    EXPECT_EQ(bar->PartFlags(0), SBT_NOBORDERS | SBT_OWNERDRAW);
    EXPECT_EQ(bar->PartFlags(1), SBT_OWNERDRAW);
    EXPECT_EQ(bar->PartFlags(2), SBT_POPOUT | SBT_OWNERDRAW);
    // A sizeable form gives the bar a size grip.
    TOwned<TForm> sizeable(new TForm(nullptr));
    auto* b2 = new TKStatusBar(sizeable.get());
    b2->SetParent(sizeable.get());
    b2->HandleNeeded();
    EXPECT_TRUE(b2->WindowParams().Style & SBARS_SIZEGRIP);
    b2->SetSizeGrip(false);
    EXPECT_FALSE(b2->WindowParams().Style & SBARS_SIZEGRIP);
}

TEST_F(Bar, OnlyTheFirst128PanelsGetParts)
{
    for (int i = 0; i < 130; ++i)
        AddPanel(2);
    EXPECT_EQ(bar->PartCount(), 128);
    EXPECT_EQ(Edges()[126], 254);
    EXPECT_EQ(Edges()[127], -1);
    bar->Panels()->GetItem(129)->SetText("beyond");  // no part: nothing breaks
    bar->UpdatePanels(false, true);
    EXPECT_EQ(bar->FindPanelAtPos(Point(399, 10)), bar->Panels()->GetItem(127));
}

TEST_F(Bar, AChangeMarksItsPartAndTheTextGoesOutOnceAtThePaint)
{
    TKStatusPanel* a = AddPanel(50, "A");
    AddPanel(80, "B");
    Render();
    bar->ClearUpdateRects();
    int sent = bar->SetTextCount();
    a->SetText("AA");
    a->SetTextColor(clRed);
    EXPECT_EQ(bar->UpdateRects(), (std::vector<TRect>{PartRect(0), PartRect(0)}));
    EXPECT_TRUE(a->UpdateNeeded());
    EXPECT_EQ(bar->SetTextCount(), sent);
    Render();
    EXPECT_EQ(bar->SetTextCount(), sent + 1);
    EXPECT_FALSE(a->UpdateNeeded());
    EXPECT_EQ(bar->PartText(0), "AA");
    // A width change lays all parts out again.
    a->SetWidth(70);
    EXPECT_EQ(Edges(), (std::vector<int>{70, -1}));
    // Without a window nothing is sent; creation sends the state.
    TOwned<TForm> other(new TForm(nullptr));
    auto* b2 = new TKStatusBar(other.get());
    b2->SetParent(other.get());
    b2->Panels()->Add()->SetWidth(33);
    b2->Panels()->Add();
    b2->SetSimpleText("simple");
    b2->SetSimplePanel(true);
    EXPECT_FALSE(b2->HandleAllocated());
    b2->HandleNeeded();
    EXPECT_EQ(b2->PartCount(), 2);
    EXPECT_EQ(b2->PartEdge(0), 33);
    EXPECT_EQ(b2->SimplePartText(), "simple");
    EXPECT_TRUE(b2->Simple());
}

TEST_F(Bar, SimpleModeShowsItsTextAcrossTheBarAndThePanelsComeBack)
{
    AddPanel(50, "A");
    AddPanel(80, "B");
    bar->SetSimpleText("Working");
    bar->SetSimplePanel(true);
    EXPECT_TRUE(bar->Simple());
    EXPECT_EQ(bar->SimplePartText(), "Working");
    EXPECT_EQ(PartRect(0), Rect(0, 2, 400, 19));
    EXPECT_EQ(bar->Perform(WM_GETTEXTLENGTH, 0, 0), 7);
    auto bmp = Render();
    bar->SetSimplePanel(false);
    EXPECT_FALSE(bar->Simple());
    EXPECT_EQ(Edges(), (std::vector<int>{50, -1}));
    EXPECT_EQ(bar->Panels()->GetItem(1)->Text(), "B");

    // Right to left: the stored text never changes, however often it is sent.
    SysLocale.MiddleEast = true;
    bar->SetBiDiMode(bdRightToLeft);
    bar->SetSimplePanel(true);
    bar->UpdateSimpleText();
    bar->UpdateSimpleText();
    EXPECT_EQ(bar->SimpleText(), "Working");
    EXPECT_EQ(bar->SimplePartText(), "\t\tWorking");
    EXPECT_EQ(bar->SimplePartFlags(), SBT_RTLREADING);
}

TEST_F(Bar, AutoHintGoesToSimpleTextOrTheFirstPanelUnlessOnHintTakesIt)
{
    SetApplicationHint("Saves the record");  // AutoHint off: nothing
    EXPECT_EQ(bar->SimpleText(), "");
    bar->SetAutoHint(true);
    SetApplicationHint("Saves the record");
    EXPECT_EQ(bar->SimpleText(), "Saves the record");
    TKStatusPanel* first = AddPanel(100, "");
    SetApplicationHint("Next record");
    EXPECT_EQ(first->Text(), "Next record");
    EXPECT_EQ(bar->SimpleText(), "Saves the record");
    bar->SetSimplePanel(true);
    SetApplicationHint("Prior record");
    EXPECT_EQ(bar->SimpleText(), "Prior record");
    int hints = 0;
    bar->OnHint = [&](TObject* Sender) {
        EXPECT_EQ(Sender, bar);
        ++hints;
    };
    SetApplicationHint("Last record");
    EXPECT_EQ(hints, 1);
    EXPECT_EQ(bar->SimpleText(), "Prior record");
}

TEST_F(Bar, ClicksGoToThePanelsHandlerElseTheBarsAndMenusToThePanelUnderTheMouse)
{
    TKStatusPanel* a = AddPanel(50, "A");
    TKStatusPanel* b = AddPanel(80, "B");
    std::vector<std::string> got;
    a->OnClick = [&](TObject* s) { got.push_back(s == a ? "A" : "?"); };
    a->OnDblClick = [&](TObject* s) { got.push_back(s == a ? "A2" : "?"); };
    bar->OnClick = [&](TObject* s) { got.push_back(s == bar ? "bar" : "?"); };
    bar->OnDblClick = [&](TObject* s) { got.push_back(s == bar ? "bar2" : "?"); };
    RunScript([&](TInputScript& s) {
        s.Click(bar, 10, 10);
        s.Click(bar, 100, 10);
        s.DblClick(bar, 10, 10);
        s.DblClick(bar, 100, 10);
    });
    EXPECT_EQ(got, (std::vector<std::string>{"A", "bar", "A", "A2", "bar", "bar2"}));
    EXPECT_EQ(bar->HitPanel(), b);

    TPopupMenu* panelMenu = new TPopupMenu(form);
    panelMenu->Items()->Add(new TMenuItem(panelMenu));
    TPopupMenu* barMenu = new TPopupMenu(form);
    barMenu->Items()->Add(new TMenuItem(barMenu));
    bar->SetPopupMenu(barMenu);
    SysLocale.MiddleEast = true;
    b->SetBiDiMode(bdRightToLeft);
    b->SetPopupMenu(panelMenu);
    RunScript([&](TInputScript& s) { s.Click(bar, 100, 10, mbRight); });
    EXPECT_TRUE(panelMenu->IsShowing());
    EXPECT_FALSE(barMenu->IsShowing());
    EXPECT_EQ(panelMenu->BiDiMode(), bdRightToLeft);
    panelMenu->CloseMenu();
    RunScript([&](TInputScript& s) { s.Click(bar, 10, 10, mbRight); });
    EXPECT_TRUE(barMenu->IsShowing());
    barMenu->CloseMenu();
    // A menu that goes is forgotten by its panel.
    panelMenu->Free();
    EXPECT_EQ(b->PopupMenu(), nullptr);
}

TEST_F(Bar, HintsBelongToThePanelUnderTheMouse)
{
    TKStatusPanel* a = AddPanel(50, "A");
    AddPanel(80, "B");
    a->SetHint("panel hint");
    bar->SetHint("bar hint");
    bar->SetShowHint(true);
    int cancels = Application->CancelHintCount();
    RunScript([&](TInputScript& s) { s.MouseMove(bar, 10, 10); });
    EXPECT_EQ(bar->HitPanel(), a);
    EXPECT_GT(Application->CancelHintCount(), cancels);
    THintInfo info;
    bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.HintStr, "panel hint");
    RunScript([&](TInputScript& s) { s.MouseMove(bar, 100, 10); });
    bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.HintStr, "bar hint");
}

TEST_F(Bar, FlipChildrenMirrorsOrderAndShownWidths)
{
    AddPanel(50, "A");
    AddPanel(80, "B");
    AddPanel(60, "C");
    bar->FlipChildren(true);
    auto* p = bar->Panels();
    EXPECT_EQ(p->GetItem(0)->Text(), "C");
    EXPECT_EQ(p->GetItem(1)->Text(), "B");
    EXPECT_EQ(p->GetItem(2)->Text(), "A");
    EXPECT_EQ(p->GetItem(0)->Width(), 270);
    EXPECT_EQ(p->GetItem(1)->Width(), 80);
    EXPECT_EQ(p->GetItem(2)->Width(), 50);
    EXPECT_EQ(Edges(), (std::vector<int>{270, 350, -1}));
    // The temporary copies left no timers or hooks behind.
    EXPECT_EQ(LockKeyPanelCount(), 0);
}

TEST_F(Bar, LockKeysRepaintTheirPanelsThroughTheKeyboardHookAndActivation)
{
    int baseHooks = KeyboardHookCount();
    int baseMainHooks = Application->MainWindowHookCount();
    TKStatusPanel* caps = AddPanel(50);
    caps->SetStyle(psCapsLock);
    TKStatusPanel* num = AddPanel(50);
    num->SetStyle(psNumLock);
    auto* bar2 = new TKStatusBar(form);
    bar2->SetParent(form);
    bar2->HandleNeeded();
    TKStatusPanel* caps2 = bar2->Panels()->Add();
    caps2->SetStyle(psCapsLock);
    TKStatusPanel* num2 = bar2->Panels()->Add();
    num2->SetStyle(psNumLock);
    EXPECT_EQ(KeyboardHookCount(), baseHooks + 1);
    EXPECT_EQ(LockKeyPanelCount(), 4);
    EXPECT_TRUE(bar->MainWinHooked());
    EXPECT_EQ(Application->MainWindowHookCount(), baseMainHooks + 2);
    auto paintAll = [&] {
        bar->UpdatePanels(false, true);
        bar2->UpdatePanels(false, true);
    };
    auto waiting = [&] {
        return std::vector<bool>{caps->UpdateNeeded(), num->UpdateNeeded(), caps2->UpdateNeeded(),
                                 num2->UpdateNeeded()};
    };
    paintAll();
    // Caps Lock pressed: only the Caps panels.
    RunScript([](TInputScript& s) { s.KeyDown(VK_CAPITAL); });
    EXPECT_EQ(waiting(), (std::vector<bool>{true, false, true, false}));
    paintAll();
    // Held down (auto-repeat): nothing more.
    RunScript([](TInputScript& s) { s.KeyDown(VK_CAPITAL).KeyDown(VK_CAPITAL).KeyUp(VK_CAPITAL); });
    EXPECT_EQ(waiting(), (std::vector<bool>{false, false, false, false}));
    // Num Lock toggled while another application had the keyboard: activation refreshes
    // every lock-key panel of every hooked bar.
    RunScript([](TInputScript& s) {
        s.ActivateApp(false);
        s.Call([] { SetKeyToggled(VK_NUMLOCK, true); });
        s.ActivateApp(true);
    });
    EXPECT_EQ(waiting(), (std::vector<bool>{true, true, true, true}));
    paintAll();
    Render();
    EXPECT_FALSE(num->Grayed());
    SetKeyToggled(VK_NUMLOCK, false);

    // The last lock-key panel of a bar unhooks it; the last of the process removes the
    // keyboard hook.
    caps->SetStyle(psNormal);
    EXPECT_TRUE(bar->MainWinHooked());
    bar->Panels()->Delete(1);
    EXPECT_FALSE(bar->MainWinHooked());
    EXPECT_EQ(Application->MainWindowHookCount(), baseMainHooks + 1);
    EXPECT_EQ(KeyboardHookCount(), baseHooks + 1);
    caps2->SetEnabled(false);
    bar2->Free();
    EXPECT_EQ(LockKeyPanelCount(), 0);
    EXPECT_EQ(KeyboardHookCount(), baseHooks);
    EXPECT_EQ(Application->MainWindowHookCount(), baseMainHooks);
}

TEST_F(Bar, ImagesAndMenusThatGoAreForgotten)
{
    auto* images = new TImageList(form, 8, 8);
    bar->SetImages(images);
    bar->SetDisabledImages(images);
    images->Free();
    EXPECT_EQ(bar->Images(), nullptr);
    EXPECT_EQ(bar->DisabledImages(), nullptr);
}

TEST_F(Bar, WrittenToAFormFileAndReadBack)
{
    RegisterStatusBar();
    form->SetName("StatusForm");
    bar->SetName("Bar1");
    bar->SetSimpleText("Hello");
    bar->SetAutoHint(true);
    TKStatusPanel* a = AddPanel(70, "First");
    a->SetStyle(psProgress);
    a->SetMax(40);
    a->SetPosition(10);
    a->SetAlignment(taRightJustify);
    TKStatusPanel* b = AddPanel(90, "Clock");
    b->SetStyle(psDateTime);
    b->SetDateTimeFormat("hh:nn");
    b->SetBevel(pbRaised);
    std::string text = WriteComponentText(form);
    EXPECT_NE(text.find("object Bar1: TKStatusBar"), std::string::npos);
    EXPECT_NE(text.find("Style = psDateTime"), std::string::npos);
    EXPECT_NE(text.find("Bevel = pbRaised"), std::string::npos);
    EXPECT_EQ(text.find("Bevel = pbLowered"), std::string::npos);  // the default is left out
    EXPECT_EQ(text.find("Align = alBottom"), std::string::npos);
    EXPECT_NE(text.find("SimpleText = 'Hello'"), std::string::npos);

    TOwned<TForm> copy(new TForm(nullptr));
    ReadComponentText(text, copy.get());
    auto* b2 = dynamic_cast<TKStatusBar*>(copy->FindComponent("Bar1"));
    ASSERT_NE(b2, nullptr);
    EXPECT_EQ(b2->SimpleText(), "Hello");
    EXPECT_TRUE(b2->AutoHint());
    ASSERT_EQ(b2->Panels()->Count(), 2);
    TKStatusPanel* a2 = b2->Panels()->GetItem(0);
    TKStatusPanel* c2 = b2->Panels()->GetItem(1);
    EXPECT_EQ(a2->Text(), "First");
    EXPECT_EQ(a2->Width(), 70);
    EXPECT_EQ(a2->Style(), psProgress);
    EXPECT_EQ(a2->Max(), 40);
    EXPECT_EQ(a2->Position(), 10);
    EXPECT_EQ(a2->Alignment(), taRightJustify);
    EXPECT_EQ(c2->Style(), psDateTime);
    EXPECT_EQ(c2->DateTimeFormat(), "hh:nn");
    EXPECT_EQ(c2->Bevel(), pbRaised);
    EXPECT_NE(c2->PanelTimer(), nullptr);
    EXPECT_EQ(WriteComponentText(copy.get()), text);
}

}  // namespace
