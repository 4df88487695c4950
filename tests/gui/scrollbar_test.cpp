// Scroll bars: the bar's geometry and pixels, arrows and track pages that repeat while
// held, thumb drags, keys and the wheel on TScrollBar; the wheel's way through the one
// message path to the window under the pointer and on to its parent; and the bars of
// list boxes, memos and drop-down lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/ExtCtrls.h"
#include "korin/platform/gui/Render.h"
#include "korin/platform/gui/ScrollBar.h"
#include "korin/platform/gui/StdCtrls.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

const char* CodeName(TScrollCode c)
{
    static const char* names[] = {"LineUp", "LineDown", "PageUp", "PageDown", "Position",
                                  "Track",  "Top",      "Bottom", "EndScroll"};
    return names[c];
}

class ScrollBars : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        form.reset(new TForm(nullptr));
        form->SetBorderStyle(bsNone);
        form->SetBounds(0, 0, 400, 300);
    }
    void TearDown() override
    {
        form.reset();
        AppTest::TearDown();
    }
    // A vertical bar 16 x 116: arrows of 16, a track of 84; positions 0..80 with a
    // thumb of 16 (20 of 100 shown).
    TScrollBar* NewBar()
    {
        auto* bar = new TScrollBar(form.get());
        bar->SetParent(form.get());
        bar->SetKind(sbVertical);
        bar->SetBounds(10, 10, 16, 116);
        bar->SetParams(0, 0, 99);
        bar->SetPageSize(20);
        bar->SetSmallChange(5);
        bar->SetLargeChange(20);
        bar->OnScroll = [this](TObject*, TScrollCode Code, int& Pos) {
            log.push_back(std::string(CodeName(Code)) + " " + std::to_string(Pos));
        };
        bar->OnChange = [this, bar](TObject*) { log.push_back("change " + std::to_string(bar->Position())); };
        form->Show();
        return bar;
    }
    TOwned<TForm> form;
    std::vector<std::string> log;
};

TEST_F(ScrollBars, ThumbGeometryAndPixels)
{
    TScrollBar* bar = NewBar();
    EXPECT_EQ(bar->Bar().MaxPosition(), 80);
    EXPECT_EQ(bar->Bar().ThumbRect(), Rect(0, 16, 16, 32));
    bar->SetPosition(40);
    EXPECT_EQ(bar->Bar().ThumbRect(), Rect(0, 50, 16, 66));
    bar->SetPosition(500);  // kept within the range
    EXPECT_EQ(bar->Position(), 80);
    EXPECT_EQ(bar->Bar().ThumbRect(), Rect(0, 84, 16, 100));
    EXPECT_EQ(log, (std::vector<std::string>{"change 40", "change 80"}));

    auto bmp = RenderWindow(bar);
    EXPECT_EQ(bmp->Pixels(8, 60), ColorToRGB(clScrollBar));  // the track
    EXPECT_EQ(bmp->Pixels(8, 90), ColorToRGB(clBtnFace));    // the thumb's face
    EXPECT_EQ(bmp->Pixels(0, 84), ColorToRGB(clBtnHighlight));  // its raised edge
    EXPECT_EQ(bmp->Pixels(8, 6), ColorToRGB(clBtnText));      // the up arrow's tip
    EXPECT_EQ(bmp->Pixels(8, 109), ColorToRGB(clBtnText));    // the down arrow's tip

    // Nothing to scroll: no thumb, grey arrows.
    bar->SetPageSize(100);
    EXPECT_EQ(bar->Bar().ThumbRect().Width(), 0);
    auto idle = RenderWindow(bar);
    EXPECT_EQ(idle->Pixels(8, 90), ColorToRGB(clScrollBar));
    EXPECT_EQ(idle->Pixels(8, 6), ColorToRGB(clGrayText));

    // A horizontal bar is the same turned: Kind swaps width and height.
    auto* h = new TScrollBar(form.get());
    EXPECT_EQ(h->Kind(), sbHorizontal);
    EXPECT_EQ(h->Width(), 121);
    EXPECT_EQ(h->Height(), ScrollBarSize);
    h->SetKind(sbVertical);
    EXPECT_EQ(h->Width(), ScrollBarSize);
    EXPECT_EQ(h->Height(), 121);

    // A range upside down is refused and changes nothing.
    try {
        bar->SetParams(5, 10, 3);
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Scroll bar property out of range");
    }
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 99);
}

TEST_F(ScrollBars, ArrowsAndPagesRepeatWhileHeld)
{
    TScrollBar* bar = NewBar();
    RunScript([&](TInputScript& s) { s.Click(bar, 8, 108); });
    EXPECT_EQ(log, (std::vector<std::string>{"LineDown 5", "change 5", "EndScroll 5"}));
    log.clear();

    // Held on the down arrow: a line at once, then after 400 ms and every 100 ms.
    RunScript([&](TInputScript& s) { s.MouseDown(bar, 8, 108).AdvanceTime(399); });
    EXPECT_EQ(bar->Position(), 10);
    RunScript([&](TInputScript& s) { s.AdvanceTime(1).AdvanceTime(100).AdvanceTime(100); });
    EXPECT_EQ(bar->Position(), 25);
    // Off the arrow it pauses, back on it goes on.
    RunScript([&](TInputScript& s) { s.MouseMove(bar, 8, 60).AdvanceTime(300); });
    EXPECT_EQ(bar->Position(), 25);
    RunScript([&](TInputScript& s) { s.MouseMove(bar, 8, 108).AdvanceTime(100).MouseUp(bar, 8, 108).AdvanceTime(500); });
    EXPECT_EQ(bar->Position(), 30);
    log.clear();

    // Held on the track below the thumb: pages until the thumb reaches the pointer.
    bar->SetPosition(0);
    log.clear();
    RunScript([&](TInputScript& s) { s.MouseDown(bar, 8, 90); });
    EXPECT_EQ(bar->Position(), 20);
    RunScript([&](TInputScript& s) { s.AdvanceTime(400).AdvanceTime(100).AdvanceTime(100).AdvanceTime(100); });
    EXPECT_EQ(bar->Position(), 80);
    EXPECT_EQ(bar->Bar().ThumbRect(), Rect(0, 84, 16, 100));
    RunScript([&](TInputScript& s) { s.MouseUp(bar, 8, 90); });
    EXPECT_EQ(log, (std::vector<std::string>{"PageDown 20", "change 20", "PageDown 40", "change 40", "PageDown 60",
                                             "change 60", "PageDown 80", "change 80", "EndScroll 80"}));
    // The up arrow and a page above the thumb go back.
    RunScript([&](TInputScript& s) { s.Click(bar, 8, 4).Click(bar, 8, 20); });
    EXPECT_EQ(bar->Position(), 55);
}

TEST_F(ScrollBars, DraggingTheThumbTracksAndEndsWithItsPosition)
{
    TScrollBar* bar = NewBar();
    bar->OnScroll = [this](TObject*, TScrollCode Code, int& Pos) {
        log.push_back(std::string(CodeName(Code)) + " " + std::to_string(Pos));
        if (Code == scTrack && Pos > 70)
            Pos = 70;  // the application may hold the thumb back
    };
    // Grabbed 4 pixels into the thumb; at y 58 its start is 38 of 68 free pixels down.
    RunScript([&](TInputScript& s) { s.MouseDown(bar, 8, 20).MouseMove(bar, 8, 58); });
    EXPECT_EQ(bar->Position(), 45);
    RunScript([&](TInputScript& s) { s.MouseMove(bar, 8, 300).MouseMove(bar, 8, 300).MouseUp(bar, 8, 300); });
    EXPECT_EQ(bar->Position(), 70);
    EXPECT_EQ(log, (std::vector<std::string>{"Track 45", "change 45", "Track 80", "change 70", "Track 80",
                                             "Position 70", "EndScroll 70"}));
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(ScrollBars, KeysAndTheWheel)
{
    TScrollBar* bar = NewBar();
    bar->SetFocus();
    RunScript([&](TInputScript& s) { s.Key(VK_END).Key(VK_UP).Key(VK_PRIOR).Key(VK_HOME).Key(VK_DOWN).Key(VK_NEXT); });
    EXPECT_EQ(bar->Position(), 25);
    log.clear();
    // A notch toward the user scrolls three lines down; half notches add up.
    RunScript([&](TInputScript& s) { s.Wheel(bar, -WHEEL_DELTA).Wheel(bar, 60).Wheel(bar, 60); });
    EXPECT_EQ(bar->Position(), 25);
    EXPECT_EQ(log.front(), "LineDown 30");
    RunScript([&](TInputScript& s) { s.Wheel(bar, -2 * WHEEL_DELTA); });
    EXPECT_EQ(bar->Position(), 55);
}

TEST_F(ScrollBars, TheWheelReachesTheWindowUnderThePointerAndGoesOnToItsParent)
{
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 200, 200);
    auto* button = new TButton(form.get());
    button->SetParent(panel);
    button->SetBounds(10, 10, 80, 25);
    auto* list = new TListBox(form.get());
    list->SetParent(form.get());
    list->SetBounds(210, 10, 100, 4 + 3 * 16);
    list->SetItems({"a", "b", "c", "d", "e", "f", "g", "h"});
    std::vector<std::string> seen;
    panel->OnMouseWheel = [&](TObject*, TShiftState Shift, int Delta, TPoint Pos, bool& Handled) {
        seen.push_back("panel " + std::to_string(Delta) + " at " + std::to_string(Pos.x) + "," + std::to_string(Pos.y) +
                       ((Shift & ssCtrl) ? " ctrl" : ""));
        Handled = true;
    };
    form->Show();
    RunScript([&](TInputScript& s) {
        s.Wheel(button, -WHEEL_DELTA, 5, 5).KeyDown(VK_CONTROL).Wheel(panel, WHEEL_DELTA, 150, 150).KeyUp(VK_CONTROL);
    });
    // The button does nothing with it: its parent gets it, the pointer on the screen.
    TPoint p1 = button->ClientToScreen(Point(5, 5));
    TPoint p2 = panel->ClientToScreen(Point(150, 150));
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "panel -120 at " + std::to_string(p1.x) + "," + std::to_string(p1.y),
                        "panel 120 at " + std::to_string(p2.x) + "," + std::to_string(p2.y) + " ctrl"}));
    // The list under the pointer scrolls itself; the focus stays where it was.
    TWinControl* focused = form->ActiveControl();
    RunScript([&](TInputScript& s) { s.Wheel(list, -WHEEL_DELTA); });
    EXPECT_EQ(list->TopIndex(), 3);
    EXPECT_EQ(form->ActiveControl(), focused);
    EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ScrollBars, ListBoxScrollsWithItsBarAndTheWheelKeepingTheSelection)
{
    auto* list = new TListBox(form.get());
    list->SetParent(form.get());
    list->SetBounds(10, 10, 120, 4 + 5 * 16);  // five rows
    std::vector<std::string> items;
    for (int i = 0; i < 30; ++i)
        items.push_back("Item " + std::to_string(i));
    list->SetItems(items);
    list->SetItemIndex(1);
    form->Show();
    ASSERT_TRUE(list->ScrollBarVisible());
    // The bar sits inside the border; the items end at its left edge.
    EXPECT_EQ(list->ItemRect(0), Rect(2, 2, 120 - 2 - ScrollBarSize, 18));
    EXPECT_EQ(list->ItemAtPos(Point(110, 10)), -1);

    RunScript([&](TInputScript& s) { s.Wheel(list, -WHEEL_DELTA); });
    EXPECT_EQ(list->TopIndex(), 3);
    RunScript([&](TInputScript& s) { s.Wheel(list, 10 * WHEEL_DELTA); });
    EXPECT_EQ(list->TopIndex(), 0);
    // The down arrow, a page below the thumb, then the thumb dragged to the end.
    const int bx = 120 - 2 - ScrollBarSize / 2;
    RunScript([&](TInputScript& s) { s.Click(list, bx, 84 - 8).Click(list, bx, 60); });
    EXPECT_EQ(list->TopIndex(), 6);
    RunScript([&](TInputScript& s) {
        TRect thumb = list->ScrollBar().ThumbRect();
        s.MouseDown(list, bx, thumb.Top + 1).MouseMove(list, bx, 500).MouseUp(list, bx, 500);
    });
    EXPECT_EQ(list->TopIndex(), 25);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(GetCaptureControl(), nullptr);
    // A short list has no bar and its items run the full width.
    list->SetItems({"one", "two"});
    EXPECT_FALSE(list->ScrollBarVisible());
    EXPECT_EQ(list->ItemRect(0).Right, 118);
}

TEST_F(ScrollBars, MemoScrollsItsRowsWithoutMovingTheCaret)
{
    auto* memo = new TMemo(form.get());
    memo->SetParent(form.get());
    memo->SetBounds(10, 10, 200, 100);
    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back("Line " + std::to_string(i));
    memo->SetLines(lines);
    form->Show();
    RenderWindow(form.get());
    ASSERT_TRUE(memo->ScrollBarVisible());
    TPoint caret = memo->CaretPos();
    RunScript([&](TInputScript& s) { s.Wheel(memo, -2 * WHEEL_DELTA); });
    EXPECT_EQ(memo->TopRow(), 6);
    EXPECT_EQ(memo->CaretPos(), caret);
    // Dragging the thumb to the bottom shows the last rows; the top arrow goes back one.
    const int bx = 200 - 2 - ScrollBarSize / 2;
    RunScript([&](TInputScript& s) {
        TRect thumb = memo->ScrollBar().ThumbRect();
        s.MouseDown(memo, bx, thumb.Top + 1).MouseMove(memo, bx, 400).MouseUp(memo, bx, 400);
    });
    int last = memo->TopRow();
    EXPECT_EQ(last, 40 - memo->ScrollBar().PageSize);
    RunScript([&](TInputScript& s) { s.Click(memo, bx, 2 + 4); });
    EXPECT_EQ(memo->TopRow(), last - 1);
    EXPECT_EQ(memo->CaretPos(), caret);
    EXPECT_EQ(memo->Text().substr(0, 6), "Line 0");  // nothing was typed or selected
    EXPECT_EQ(memo->SelLength(), 0);
}

TEST_F(ScrollBars, DropDownListScrollsWithoutPickingOrClosing)
{
    auto* combo = new TComboBox(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(10, 10, 150, 21);
    std::vector<std::string> items;
    for (int i = 0; i < 20; ++i)
        items.push_back("Choice " + std::to_string(i));
    combo->SetItems(items);
    form->Show();
    RunScript([&](TInputScript& s) { s.Click(combo); });
    auto* list = dynamic_cast<TDropDownList*>(combo->ListWindow());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->Rows(), 8);
    ASSERT_TRUE(list->ScrollBarVisible());
    // The wheel over the open list scrolls it (the list holds the mouse).
    RunScript([&](TInputScript& s) { s.Wheel(list, -WHEEL_DELTA); });
    EXPECT_EQ(list->TopIndex(), 3);
    const int bx = 150 - 1 - ScrollBarSize / 2;
    RunScript([&](TInputScript& s) {
        TRect thumb = list->ScrollBar().ThumbRect();
        s.MouseDown(list, bx, thumb.Top + 1).MouseMove(list, bx, 500).MouseUp(list, bx, 500);
    });
    EXPECT_EQ(list->TopIndex(), 12);
    // Still open, nothing picked; a click on a row picks it.
    EXPECT_EQ(combo->ListWindow(), list);
    EXPECT_EQ(combo->ItemIndex(), -1);
    RunScript([&](TInputScript& s) { s.Click(list, 20, 1 + 16 * 2 + 8); });
    EXPECT_EQ(combo->ListWindow(), nullptr);
    EXPECT_EQ(combo->Text(), "Choice 14");
}

}  // namespace
