// List box, combo box, tool bar, hot key, progress bar and animation driven by scripted
// input, with pixel probes on rendered windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

constexpr std::uint16_t VK_F4 = VK_F1 + 3;

class ComCtrls : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        form.reset(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
    }
    TOwned<TForm> form;
    std::vector<std::string> log;
};

// ---------------------------------------------------------------- TListBox

TEST_F(ComCtrls, ListBoxKeysClicksAndDoubleClicks)
{
    auto* list = new TListBox(form.get());
    list->SetParent(form.get());
    list->SetBounds(10, 10, 120, 4 + 5 * 16);  // five rows
    list->SetItems({"Id", "Name", "Price", "Stock", "Vendor", "Notes", "Created"});
    list->OnClick = [&](TObject*) { log.push_back("click " + std::to_string(list->ItemIndex())); };
    list->OnDblClick = [&](TObject*) { log.push_back("dbl " + std::to_string(list->ItemIndex())); };
    form->Show();
    ASSERT_TRUE(list->Focused());
    EXPECT_EQ(list->ItemIndex(), -1);

    RunScript([&](TInputScript& s) { s.Key(VK_DOWN).Key(VK_DOWN).Key(VK_UP).Key(VK_END).Key(VK_DOWN).Key(VK_HOME); });
    // Down from nothing selects the first row; Down on the last row changes nothing.
    EXPECT_EQ(log, (std::vector<std::string>{"click 0", "click 1", "click 0", "click 6", "click 0"}));
    EXPECT_EQ(list->TopIndex(), 0);
    RunScript([&](TInputScript& s) { s.Key(VK_END); });
    EXPECT_EQ(list->TopIndex(), 2);  // End scrolls the last row into view
    log.clear();

    // The third visible row (TopIndex 2) lies at y = 2 + 2 * 16.
    RunScript([&](TInputScript& s) { s.Click(list, 30, 2 + 2 * 16 + 8); });
    EXPECT_EQ(list->ItemIndex(), 4);
    EXPECT_EQ(log, (std::vector<std::string>{"click 4"}));
    EXPECT_EQ(GetCaptureControl(), nullptr);  // the release lets the mouse go
    log.clear();
    RunScript([&](TInputScript& s) { s.DblClick(list, 30, 2 + 3 * 16 + 8); });
    EXPECT_EQ(list->ItemIndex(), 5);
    EXPECT_EQ(log, (std::vector<std::string>{"click 5", "dbl 5"}));

    // Painting: the selected row is highlighted, the others are on the window colour.
    list->SetTopIndex(0);
    list->SetItemIndex(1);
    auto bmp = RenderWindow(list);
    EXPECT_EQ(bmp->Pixels(100, 2 + 16 + 8), ColorToRGB(clHighlight));
    EXPECT_EQ(bmp->Pixels(100, 2 + 8), ColorToRGB(clWindow));
    EXPECT_EQ(bmp->Pixels(0, 0), ColorToRGB(clBtnShadow));  // sunken border
}

TEST_F(ComCtrls, ListBoxWithoutItemsAndOutOfRangeIndex)
{
    auto* list = new TListBox(form.get());
    list->SetParent(form.get());
    list->OnClick = [&](TObject*) { log.push_back("click"); };
    form->Show();
    RunScript([&](TInputScript& s) { s.Key(VK_DOWN).Click(list, 30, 10); });
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"click"}));  // the click itself still reports
    list->AddItem("A");
    list->SetItemIndex(3);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->SetItemIndex(0);
    list->Items().clear();
    EXPECT_EQ(list->ItemIndex(), -1);  // an index left out of range reads as none
}

// ---------------------------------------------------------------- TComboBox

TEST_F(ComCtrls, ComboDropsDownWithKeysAndClosesWithEnterOrEsc)
{
    auto* combo = new TComboBox(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(20, 30, 150, 21);
    combo->SetStyle(csDropDownList);
    combo->SetItems({"Browse", "Edit", "Insert", "Filter"});
    combo->SetItemIndex(0);
    combo->OnChange = [&](TObject*) { log.push_back("change " + combo->Text()); };
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    ok->SetBounds(20, 200, 75, 25);
    form->Show();
    ASSERT_TRUE(combo->Focused());

    RunScript([&](TInputScript& s) { s.Key(VK_DOWN, ssAlt); });
    ASSERT_TRUE(combo->DroppedDown());
    TCustomComboBox* base = combo;  // the property lives on the base class
    EXPECT_TRUE(base->DroppedDown());
    TWinControl* list = combo->ListWindow();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(IsPopupWindow(list));
    EXPECT_EQ(PopupWindows().back(), list);
    EXPECT_EQ(list->BoundsRect(), Rect(120, 151, 270, 151 + 4 * 16 + 2));  // below the combo, on screen
    EXPECT_TRUE(combo->Focused());  // the list never takes the focus
    // On the screen the list lies over the form, below the combo, its first row (Browse,
    // the current item) highlighted.
    auto screen = RenderWindowWithPopups(form.get());
    EXPECT_EQ(screen->Pixels(20 + 100, 30 + 21 + 5), ColorToRGB(clHighlight));
    EXPECT_EQ(screen->Pixels(20 + 100, 30 + 21 + 16 + 5), ColorToRGB(clWindow));
    EXPECT_EQ(RenderWindow(form.get())->Pixels(20 + 100, 30 + 21 + 5), ColorToRGB(clBtnFace));

    // Up and Down change the item at once; Enter closes and keeps it, and does not reach
    // the default button.
    RunScript([&](TInputScript& s) { s.Key(VK_DOWN).Key(VK_DOWN).Key(VK_RETURN); });
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ListWindow(), nullptr);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "Insert");
    EXPECT_EQ(form->ModalResult(), mrNone);
    EXPECT_EQ(log, (std::vector<std::string>{"change Edit", "change Insert"}));
    log.clear();

    // F4 opens; Esc closes and goes back to the item shown when the list dropped down.
    RunScript([&](TInputScript& s) { s.Key(VK_F4).Key(VK_UP); });
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), "Edit");
    RunScript([&](TInputScript& s) { s.Key(VK_ESCAPE); });
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), "Insert");
    EXPECT_EQ(log, (std::vector<std::string>{"change Edit", "change Insert"}));
    log.clear();

    // Closed, Up and Down still step through the items; Enter goes to the dialog.
    RunScript([&](TInputScript& s) { s.Key(VK_DOWN).Key(VK_DOWN); });
    EXPECT_EQ(combo->Text(), "Filter");
    EXPECT_EQ(log, (std::vector<std::string>{"change Filter"}));  // no change past the end
    combo->SetDroppedDown(true);
    combo->SetDroppedDown(false);
    EXPECT_TRUE(PopupWindows().empty());

    // Hiding or disabling the combo takes its list away.
    combo->SetDroppedDown(true);
    combo->SetEnabled(false);
    EXPECT_FALSE(combo->DroppedDown());
    combo->SetEnabled(true);
    combo->SetFocus();

    // Tab closes a dropped list and moves the focus on.
    RunScript([&](TInputScript& s) { s.Key(VK_F4).Key(VK_UP).Key(VK_TAB); });
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), "Insert");
    EXPECT_TRUE(ok->Focused());
}

TEST_F(ComCtrls, ComboListPicksByClickAndClosesOnClickOutside)
{
    auto* combo = new TComboBox(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(20, 30, 150, 21);
    combo->SetItems({"Id", "Name", "Price"});
    combo->OnChange = [&](TObject*) { log.push_back("change " + combo->Text()); };
    form->Show();

    RunScript([&](TInputScript& s) { s.Click(combo); });
    ASSERT_TRUE(combo->DroppedDown());  // the release over the combo picks nothing
    TWinControl* list = combo->ListWindow();
    RunScript([&](TInputScript& s) { s.MouseMove(list, 20, 1 + 16 + 8).Click(list, 20, 1 + 16 + 8); });
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), "Name");
    EXPECT_EQ(log, (std::vector<std::string>{"change Name"}));

    // A press anywhere else closes the list and is not passed on.
    bool formClicked = false;
    form->OnClick = [&](TObject*) { formClicked = true; };
    RunScript([&](TInputScript& s) { s.Click(combo).Click(form.get(), 300, 250); });
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_FALSE(formClicked);
    EXPECT_EQ(combo->Text(), "Name");

    // Typing into the editable field changes the text.
    RunScript([&](TInputScript& s) { s.Key(VK_BACK).Type("x"); });
    EXPECT_EQ(combo->Text(), "Namx");
    EXPECT_EQ(combo->ItemIndex(), -1);
}

// ---------------------------------------------------------------- TToolBar

TEST_F(ComCtrls, ToolBarWrapsButtonsAndClicksOnRelease)
{
    auto* bar = new TToolBar(form.get());
    bar->SetAlign(alNone);
    bar->SetParent(form.get());
    bar->SetFlat(true);
    bar->SetBounds(10, 10, 103, 99);
    std::vector<TToolButton*> b;
    for (int i = 0; i < 15; ++i) {
        auto* t = new TToolButton(form.get());
        t->SetParent(bar);
        t->SetImageIndex(i);
        if (i == 10)
            t->SetStyle(tbsSeparator);
        t->OnClick = [this, i](TObject*) { log.push_back("click " + std::to_string(i)); };
        b.push_back(t);
    }
    ASSERT_EQ(bar->ButtonCount(), 15);
    auto pos = [&](int i) { return Point(b[static_cast<size_t>(i)]->Left(), b[static_cast<size_t>(i)]->Top()); };
    // Four buttons of 23 pixels fit in 103; the separator is 8 wide.
    EXPECT_EQ(pos(3), Point(69, 0));
    EXPECT_EQ(pos(4), Point(0, 22));
    EXPECT_EQ(pos(8), Point(0, 44));
    EXPECT_EQ(pos(10), Point(46, 44));
    EXPECT_EQ(b[10]->Width(), 8);
    EXPECT_EQ(pos(11), Point(54, 44));
    EXPECT_EQ(pos(12), Point(77, 44));
    EXPECT_EQ(pos(13), Point(0, 66));
    EXPECT_TRUE(b[13]->Wrap());
    EXPECT_EQ(bar->RowCount(), 4);

    bar->SetWidth(400);
    EXPECT_EQ(bar->RowCount(), 1);
    EXPECT_EQ(pos(9), Point(207, 0));
    EXPECT_EQ(pos(11), Point(238, 0));
    EXPECT_EQ(pos(14), Point(307, 0));
    bar->SetWrapable(false);
    bar->SetWidth(103);
    EXPECT_EQ(pos(14), Point(307, 0));  // no wrapping: the row runs past the edge
    bar->SetWrapable(true);
    bar->SetButtonWidth(30);
    EXPECT_EQ(pos(3), Point(0, 22));

    form->Show();
    // A click fires on release over the button; a release after dragging off does not.
    RunScript([&](TInputScript& s) {
        s.Click(b[1]);
        s.MouseDown(b[2]).MouseMove(b[2], 40, 5).MouseUp(b[2], 40, 5);
    });
    EXPECT_EQ(log, (std::vector<std::string>{"click 1"}));
    EXPECT_FALSE(b[2]->Pressed());
    b[0]->SetEnabled(false);
    RunScript([&](TInputScript& s) { s.Click(b[0]).Click(b[10]); });
    EXPECT_EQ(log, (std::vector<std::string>{"click 1", "click 10"}));

    // A button freed by its owner leaves the bar; the rest close up.
    b[0]->Free();
    EXPECT_EQ(bar->ButtonCount(), 14);
    EXPECT_EQ(bar->Buttons(0), b[1]);
    EXPECT_EQ(pos(1), Point(0, 0));
    EXPECT_EQ(pos(3), Point(60, 0));
}

TEST_F(ComCtrls, ToolBarPaintsImagesOfTheList)
{
    auto* images = new TImageList(form.get(), 16, 16);
    TBitmap glyph(16, 16);
    glyph.Canvas().Brush().SetColor(clRed);
    glyph.Canvas().FillRect(Rect(0, 0, 16, 16));
    images->Add(glyph);
    auto* bar = new TToolBar(form.get());
    bar->SetAlign(alNone);
    bar->SetParent(form.get());
    bar->SetBounds(0, 0, 100, 22);
    bar->SetFlat(true);
    bar->SetImages(images);
    for (int i = 0; i < 3; ++i) {
        auto* t = new TToolButton(form.get());
        t->SetParent(bar);
        t->SetImageIndex(i == 2 ? 5 : 0);  // the third has no image
    }
    bar->Buttons(1)->SetEnabled(false);
    auto bmp = RenderWindow(bar);
    EXPECT_EQ(bmp->Pixels(11, 11), clRed);  // the image, centred on the first button
    EXPECT_EQ(bmp->Pixels(3, 3), clRed);
    EXPECT_EQ(bmp->Pixels(2, 2), ColorToRGB(clBtnFace));  // a flat button has no frame
    EXPECT_NE(bmp->Pixels(23 + 11, 11), clRed);  // disabled: drawn embossed
    EXPECT_EQ(bmp->Pixels(46 + 11, 11), ColorToRGB(clBtnFace));

    // Freeing the image list leaves the bar without images.
    images->Free();
    EXPECT_EQ(bar->Images(), nullptr);
    EXPECT_EQ(RenderWindow(bar)->Pixels(11, 11), ColorToRGB(clBtnFace));
}

// ---------------------------------------------------------------- THotKey

TEST_F(ComCtrls, HotKeyCapturesCombinationsAndLetsTabThrough)
{
    auto* hk = new THotKey(form.get());
    hk->SetParent(form.get());
    hk->SetBounds(145, 73, 185, 20);
    hk->SetInvalidKeys(0);
    hk->SetModifiers(0);
    auto* next = new TListBox(form.get());
    next->SetParent(form.get());
    next->SetTop(150);
    int changes = 0;
    hk->OnChange = [&](TObject*) { ++changes; };
    form->Show();
    ASSERT_TRUE(hk->Focused());
    EXPECT_EQ(hk->DisplayText(), "None");

    RunScript([&](TInputScript& s) { s.KeyDown(VK_CONTROL).KeyDown(VK_SHIFT); });
    EXPECT_EQ(hk->DisplayText(), "Shift+Ctrl+");  // modifiers held so far
    EXPECT_EQ(hk->HotKey(), 0);
    RunScript([&](TInputScript& s) { s.Key('X').KeyUp(VK_SHIFT).KeyUp(VK_CONTROL); });
    EXPECT_EQ(hk->HotKey(), ShortCut('X', ssCtrl | ssShift));
    EXPECT_EQ(hk->DisplayText(), "Shift+Ctrl+X");
    EXPECT_EQ(changes, 1);

    RunScript([&](TInputScript& s) { s.Key(VK_F1 + 2).Key(VK_DOWN, ssCtrl); });
    EXPECT_EQ(hk->DisplayText(), "Ctrl+Down");
    RunScript([&](TInputScript& s) { s.Key(VK_BACK); });
    EXPECT_EQ(hk->HotKey(), 0);
    EXPECT_EQ(hk->DisplayText(), "None");
    EXPECT_EQ(changes, 4);

    hk->SetHotKey(TextToShortCut("Ctrl+E"));
    EXPECT_EQ(hk->DisplayText(), "Ctrl+E");
    EXPECT_EQ(changes, 4);  // setting from code fires nothing

    // Default rules: a key alone or with Shift only gets the forced Alt.
    hk->SetInvalidKeys(hcNone | hcShift);
    hk->SetModifiers(hkAlt);
    RunScript([&](TInputScript& s) { s.Key('A'); });
    EXPECT_EQ(hk->DisplayText(), "Alt+A");

    RunScript([&](TInputScript& s) { s.Key(VK_TAB); });
    EXPECT_TRUE(next->Focused());
    EXPECT_EQ(hk->DisplayText(), "Alt+A");
}

// ---------------------------------------------------------------- TProgressBar

TEST_F(ComCtrls, ProgressBarFillsInProportion)
{
    auto* bar = new TProgressBar(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(0, 0, 102, 14);
    bar->SetPosition(40);
    EXPECT_EQ(bar->FilledWidth(), 40);
    const TColor fill = ColorToRGB(clHighlight), face = ColorToRGB(clBtnFace);

    bar->SetSmooth(true);
    auto bmp = RenderWindow(bar);
    EXPECT_EQ(bmp->Pixels(1, 7), fill);
    EXPECT_EQ(bmp->Pixels(40, 7), fill);
    EXPECT_EQ(bmp->Pixels(41, 7), face);
    EXPECT_EQ(bmp->Pixels(90, 7), face);
    EXPECT_EQ(bmp->Pixels(0, 0), ColorToRGB(clBtnShadow));

    // Blocks of 8 (two thirds of the inner height 12) with 2-pixel gaps from x = 2.
    bar->SetSmooth(false);
    bmp = RenderWindow(bar);
    EXPECT_EQ(bmp->Pixels(2, 7), fill);
    EXPECT_EQ(bmp->Pixels(9, 7), fill);
    EXPECT_EQ(bmp->Pixels(10, 7), face);  // gap
    EXPECT_EQ(bmp->Pixels(12, 7), fill);
    EXPECT_EQ(bmp->Pixels(2, 1), face);  // a block keeps off the frame by one pixel
    EXPECT_EQ(bmp->Pixels(60, 7), face);

    bar->SetPosition(250);
    EXPECT_EQ(bar->Position(), 100);
    bar->SetMin(50);
    bar->SetPosition(0);
    EXPECT_EQ(bar->Position(), 50);
    EXPECT_EQ(bar->FilledWidth(), 0);
    bar->SetMax(50);  // an empty range fills nothing rather than dividing by zero
    EXPECT_EQ(bar->FilledWidth(), 0);
}

// ---------------------------------------------------------------- TAnimate

TEST_F(ComCtrls, AnimatePlaysTheClipOnTheVirtualClock)
{
    auto* anim = new TAnimate(form.get());
    anim->SetParent(form.get());
    anim->SetResName("FLYAVI");
    EXPECT_EQ(anim->FrameCount(), 8);
    EXPECT_EQ(anim->Width(), 16);  // AutoSize: one frame
    EXPECT_EQ(anim->Height(), 16);
    EXPECT_EQ(anim->CurrentFrame(), 0);

    anim->SetActive(true);
    RunScript([&](TInputScript& s) { s.AdvanceTime(99); });
    EXPECT_EQ(anim->CurrentFrame(), 0);
    RunScript([&](TInputScript& s) { s.AdvanceTime(1); });
    EXPECT_EQ(anim->CurrentFrame(), 1);
    RunScript([&](TInputScript& s) { s.AdvanceTime(800); });
    EXPECT_EQ(anim->CurrentFrame(), 1);  // looped past the eighth frame
    EXPECT_TRUE(anim->Active());

    // Frames differ, and Transparent lets the parent's colour through.
    anim->Seek(0);
    form->SetColor(clRed);
    auto first = RenderWindow(anim);
    anim->Seek(7);
    auto last = RenderWindow(anim);
    EXPECT_NE(first->Pixels(2, 12), last->Pixels(2, 12));
    EXPECT_EQ(first->Pixels(0, 15), RGB(0x80, 0x80, 0x00));  // the clip's background
    anim->SetTransparent(true);
    EXPECT_EQ(RenderWindow(anim)->Pixels(0, 15), clRed);

    // One repetition stops after the last frame.
    anim->SetRepetitions(1);
    anim->SetActive(true);
    RunScript([&](TInputScript& s) { s.AdvanceTime(2000); });
    EXPECT_FALSE(anim->Active());
}

TEST_F(ComCtrls, AnimateRefusesUnknownClipsAndKeepsItsOwn)
{
    auto* anim = new TAnimate(form.get());
    anim->SetResName("FLYAVI");
    try {
        anim->SetResName("NOSUCHCLIP");
        FAIL() << "an unknown clip was accepted";
    } catch (const EAnimateError& e) {
        EXPECT_EQ(e.Message().rfind("Cannot load the animation \"NOSUCHCLIP\": ", 0), 0u) << e.Message();
    }
    EXPECT_EQ(anim->ResName(), "FLYAVI");
    EXPECT_EQ(anim->FrameCount(), 8);

    auto* empty = new TAnimate(form.get());
    empty->SetActive(true);  // nothing to play: it stays inactive
    EXPECT_FALSE(empty->Active());
    EXPECT_THROW(empty->SetFileName("/nonexistent/clip.bmp"), EAnimateError);
    EXPECT_FALSE(empty->Open());
}

}  // namespace
