// Top-level popups: the hint window and popup menus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/HintWindow.h"
#include "korin/platform/gui/Menus.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

class Popups : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        form.reset(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 400, 300);
        edit = new TButton(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 80, 24);
        form->Show();
    }
    TOwned<TForm> form;
    TButton* edit = nullptr;
    std::vector<std::string> log;
};

// A balloon-like descendant: no border, an elliptic shape.
class TBalloon : public THintWindow {
public:
    using THintWindow::THintWindow;
    void ActivateHint(const TRect& R, const std::string& Hint) override
    {
        THintWindow::ActivateHint(R, Hint);
        SetWindowRgn(CreateRoundRectRgn(0, 0, Width(), Height(), Width(), Height()), true);
    }

protected:
    void CreateParams(TCreateParams& P) override
    {
        THintWindow::CreateParams(P);
        P.Style &= ~WS_BORDER;
    }
};

TEST_F(Popups, HintWindowShowsTopmostWithoutTakingTheFocus)
{
    ASSERT_TRUE(edit->Focused());
    TOwned<THintWindow> hint(new THintWindow(nullptr));
    EXPECT_FALSE(hint->Visible());
    EXPECT_TRUE(PopupWindows().empty());

    TRect r = hint->CalcHintRect(300, "No more matches!");
    TCanvas measure;
    measure.Font().Assign(Screen->HintFont());
    EXPECT_EQ(r, Rect(0, 0, measure.TextWidth("No more matches!") + 6, measure.TextHeight("No more matches!") + 2));
    EXPECT_EQ(hint->TextWidth("No more matches!"), 102);
    // A narrow maximum breaks the text into lines.
    TRect narrow = hint->CalcHintRect(60, "No more matches!");
    EXPECT_GT(narrow.Bottom, r.Bottom);
    EXPECT_LE(narrow.Right, 66);

    OffsetRect(r, 500, 400);
    hint->ActivateHint(r, "No more matches!");
    EXPECT_TRUE(hint->Visible());
    EXPECT_EQ(hint->BoundsRect(), r);
    EXPECT_EQ(hint->ClientOrigin(), Point(500, 400));
    EXPECT_EQ(hint->Caption(), "No more matches!");
    EXPECT_TRUE(edit->Focused());
    EXPECT_FALSE(hint->Focused());
    EXPECT_TRUE(hint->WindowParams().ExStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(hint->WindowParams().ExStyle & WS_EX_NOACTIVATE);
    EXPECT_TRUE(hint->WindowParams().Style & WS_BORDER);
    EXPECT_EQ(PopupWindows(), std::vector<TWinControl*>{hint.get()});
    EXPECT_EQ(PopupWindowAt(Point(505, 405)), hint.get());

    // Painted: a frame, the info colour inside, text in the hint colour.
    auto bmp = RenderWindow(hint.get());
    EXPECT_EQ(bmp->Pixels(0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(bmp->Pixels(1, r.Height() - 2), ColorToRGB(clInfoBk));
    bool text = false;
    for (int x = 2; x < r.Width() - 2; ++x)
        for (int y = 2; y < r.Height() - 1; ++y)
            text = text || bmp->Pixels(x, y) != ColorToRGB(clInfoBk);
    EXPECT_TRUE(text);

    hint->ReleaseHandle();
    EXPECT_FALSE(hint->Visible());
    EXPECT_FALSE(hint->HandleAllocated());
    EXPECT_TRUE(PopupWindows().empty());
    EXPECT_TRUE(edit->Focused());
}

TEST_F(Popups, WindowRegionShapesWhatTheHintShowsAndWhereItIsHit)
{
    TOwned<TBalloon> balloon(new TBalloon(nullptr));
    balloon->ActivateHint(Rect(200, 150, 320, 180), "No more matches!");
    EXPECT_FALSE(balloon->WindowParams().Style & WS_BORDER);  // the descendant removed it
    ASSERT_NE(balloon->WindowRgn(), nullptr);

    auto bmp = RenderWindow(balloon.get());
    EXPECT_EQ(bmp->Pixels(0, 0), clWhite);  // outside the ellipse: not drawn
    EXPECT_EQ(bmp->Pixels(119, 29), clWhite);
    EXPECT_EQ(bmp->Pixels(60, 2), ColorToRGB(clInfoBk));
    EXPECT_EQ(PopupWindowAt(Point(200, 150)), nullptr);
    EXPECT_FALSE(balloon->HitTest(Point(0, 0)));
    EXPECT_EQ(PopupWindowAt(Point(260, 165)), balloon.get());

    // A new hint replaces the region; the window stays above a later ordinary popup.
    balloon->ActivateHint(Rect(10, 10, 50, 30), "x");
    EXPECT_EQ(balloon->BoundsRect(), Rect(10, 10, 50, 30));
    EXPECT_TRUE(PtInRegion(balloon->WindowRgn(), 20, 10));
    EXPECT_FALSE(PtInRegion(balloon->WindowRgn(), 0, 0));
}

// ---------------------------------------------------------------- TPopupMenu

class PopupMenu : public Popups {
protected:
    void SetUp() override
    {
        Popups::SetUp();
        menu.reset(new TPopupMenu(nullptr));
        for (const char* caption : {"&Copy", "-", "Paste", "&Refresh", "Close"}) {
            auto* item = new TMenuItem(menu.get());
            item->SetCaption(caption);
            item->OnClick = [this, caption](TObject*) { log.push_back(caption); };
            menu->Items()->Add(item);
        }
        menu->Items()->Items(2)->SetEnabled(false);  // Paste
    }
    TOwned<TPopupMenu> menu;
};

TEST_F(PopupMenu, PicksByKeyboardWithoutMovingTheFocus)
{
    int popups = 0;
    menu->OnPopup = [&](TObject*) { ++popups; };
    menu->Popup(300, 200);
    EXPECT_EQ(popups, 1);
    ASSERT_TRUE(menu->IsShowing());
    TWinControl* w = menu->Window();
    EXPECT_EQ(w->Left(), 300);
    EXPECT_EQ(w->Top(), 200);
    EXPECT_EQ(w->Height(), 2 + 20 + 8 + 20 + 20 + 20 + 2);
    EXPECT_EQ(PopupWindows().back(), w);
    EXPECT_TRUE(edit->Focused());

    // Down skips the separator and the disabled item; Enter picks and closes.
    RunScript([&](TInputScript& s) { s.Key(VK_DOWN).Key(VK_DOWN); });
    EXPECT_EQ(menu->HighlightedIndex(), 3);
    RunScript([&](TInputScript& s) { s.Key(VK_RETURN); });
    EXPECT_FALSE(menu->IsShowing());
    EXPECT_EQ(log, (std::vector<std::string>{"&Refresh"}));
    EXPECT_EQ(KeyboardHookCount(), 0);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->Pressed(), false);  // Enter never reached the focused button

    // Up from nothing wraps to the last item; Esc closes without a pick; an accelerator
    // picks directly.
    menu->Popup(300, 200);
    RunScript([&](TInputScript& s) { s.Key(VK_UP); });
    EXPECT_EQ(menu->HighlightedIndex(), 4);
    RunScript([&](TInputScript& s) { s.Key(VK_ESCAPE); });
    EXPECT_FALSE(menu->IsShowing());
    menu->Popup(300, 200);
    RunScript([&](TInputScript& s) { s.Key('C'); });
    EXPECT_EQ(log, (std::vector<std::string>{"&Refresh", "&Copy"}));
    EXPECT_TRUE(PopupWindows().empty());
}

TEST_F(PopupMenu, PicksByClickAndClosesOnAPressOutside)
{
    menu->Popup(300, 200);
    TWinControl* w = menu->Window();
    // Rows: Copy 2..21, line 22..29, Paste 30..49, Refresh 50..69, Close 70..89.
    RunScript([&](TInputScript& s) { s.MouseMove(w, 30, 40).Click(w, 30, 40); });
    EXPECT_TRUE(menu->IsShowing());  // the disabled item is not picked
    RunScript([&](TInputScript& s) { s.MouseMove(w, 30, 80).Click(w, 30, 80); });
    EXPECT_FALSE(menu->IsShowing());
    EXPECT_EQ(log, (std::vector<std::string>{"Close"}));

    bool clicked = false;
    edit->OnClick = [&](TObject*) { clicked = true; };
    menu->Popup(300, 200);
    RunScript([&](TInputScript& s) { s.Click(edit); });
    EXPECT_FALSE(menu->IsShowing());
    EXPECT_FALSE(clicked);  // the press that closed the menu goes nowhere else
    EXPECT_EQ(log, (std::vector<std::string>{"Close"}));

    // Right to left: the menu opens to the left of the point.
    menu->SetBiDiMode(bdRightToLeft);
    menu->Popup(300, 200);
    EXPECT_EQ(menu->Window()->Left() + menu->Window()->Width(), 300);
    // A modal loop taking the mouse closes the menu.
    ReleaseCapture();
    EXPECT_FALSE(menu->IsShowing());

    // A menu with nothing to show does not open.
    TOwned<TPopupMenu> empty(new TPopupMenu(nullptr));
    empty->Popup(10, 10);
    EXPECT_FALSE(empty->IsShowing());
}

}  // namespace
