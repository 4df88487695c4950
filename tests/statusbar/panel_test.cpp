// The panel as a data object: defaults, setters, range rules, styles and their resources,
// timers, the automatic width and Assign.
#include <gtest/gtest.h>

#include "korin/platform/gui/Keyboard.h"
#include "tests/statusbar/StatusBarFixture.h"

using namespace korin;

namespace {

class Panel : public StatusBarTest {};

TEST_F(Panel, NewPanelHoldsItsInitialValues)
{
    bar->SetColor(clYellow);
    TKStatusPanel* p = bar->Panels()->Add();
    EXPECT_EQ(p->Color(), clYellow);  // the bar's colour when the panel was made
    EXPECT_EQ(p->Width(), 50);
    EXPECT_EQ(p->Bevel(), pbLowered);
    EXPECT_EQ(p->ImageIndex(), -1);
    EXPECT_TRUE(p->ParentBiDiMode());
    EXPECT_EQ(p->ProgressColor(), clHighlight);
    EXPECT_EQ(p->ProgressColor(), 0xFF00000Du);
    EXPECT_EQ(p->Speed(), 3);
    EXPECT_EQ(p->SweepStep(), 3);
    EXPECT_EQ(p->DateTimeFormat(), "dd/mm/yyyy hh:nn:ss");
    EXPECT_TRUE(p->Enabled());
    EXPECT_EQ(p->Min(), 0);
    EXPECT_EQ(p->Max(), 0);
    EXPECT_EQ(p->Position(), 0);
    EXPECT_EQ(p->TextColor(), clBlack);
    EXPECT_EQ(p->Alignment(), taLeftJustify);
    EXPECT_EQ(p->Style(), psNormal);
    EXPECT_FALSE(p->AutoSize());
    EXPECT_FALSE(p->Grayed());
    EXPECT_EQ(p->PanelTimer(), nullptr);
    EXPECT_EQ(p->GaugeBitmap(), nullptr);
    // The display name: the class name until the panel has a text.
    EXPECT_EQ(p->GetDisplayName(), "TKStatusPanel");
    p->SetText("Ready");
    EXPECT_EQ(p->GetDisplayName(), "Ready");
}

TEST_F(Panel, RangeSettersKeepPositionInsideAndDropWhatIsOutside)
{
    TKStatusPanel* p = AddPanel(100);
    p->SetMax(10);
    p->SetPosition(11);  // out of range: dropped, not clamped
    EXPECT_EQ(p->Position(), 0);
    p->SetPosition(2);
    p->SetMin(5);  // above Position: Position follows
    EXPECT_EQ(p->Min(), 5);
    EXPECT_EQ(p->Position(), 5);
    p->SetMin(0);
    p->SetPosition(7);
    p->SetMax(3);  // below Position: Position follows
    EXPECT_EQ(p->Max(), 3);
    EXPECT_EQ(p->Position(), 3);
    p->SetMax(10);
    p->SetMin(20);  // above Max: ignored
    EXPECT_EQ(p->Min(), 0);
    p->SetMax(-1);  // below Min: ignored
    EXPECT_EQ(p->Max(), 10);
}

TEST_F(Panel, AssignCopiesEverythingAndARangeThatDoesNotOverlapExactly)
{
    TKStatusPanel* src = AddPanel(77, "src");
    TKStatusPanel* dst = AddPanel(50);
    src->SetMin(-5);
    src->SetPosition(-3);
    src->SetMax(-1);
    src->SetMin(-5);
    src->SetAlignment(taRightJustify);
    src->SetBevel(pbRaised);
    src->SetTextColor(clRed);
    src->SetHint("the hint");
    src->SetSpeed(7);
    src->SetDateTimeFormat("hh:nn");
    int clicks = 0;
    src->OnClick = [&](TObject*) { ++clicks; };
    dst->Assign(src);
    // Through the checked setters this range would end as -5..0.
    EXPECT_EQ(dst->Min(), -5);
    EXPECT_EQ(dst->Max(), -1);
    EXPECT_EQ(dst->Position(), -3);
    EXPECT_EQ(dst->Width(), 77);
    EXPECT_EQ(dst->Text(), "src");
    EXPECT_EQ(dst->Alignment(), taRightJustify);
    EXPECT_EQ(dst->Bevel(), pbRaised);
    EXPECT_EQ(dst->TextColor(), clRed);
    EXPECT_EQ(dst->Hint(), "the hint");
    EXPECT_EQ(dst->Speed(), 7);
    EXPECT_EQ(dst->DateTimeFormat(), "hh:nn");
    ASSERT_TRUE(dst->OnClick);
    dst->OnClick(dst);
    EXPECT_EQ(clicks, 1);

    // From a plain status panel: text, width, alignment, bevel, and the normal style.
    struct TPlain : TCollection {
        TCollectionItem* CreateItem() override { return new TStatusPanel(this); }
    } plain;
    auto* sp = static_cast<TStatusPanel*>(plain.Add());
    sp->SetText("plain");
    sp->SetWidth(33);
    sp->SetAlignment(taCenter);
    sp->SetBevel(pbNone);
    dst->SetStyle(psCapsLock);
    dst->Assign(sp);
    EXPECT_EQ(dst->Text(), "plain");
    EXPECT_EQ(dst->Width(), 33);
    EXPECT_EQ(dst->Alignment(), taCenter);
    EXPECT_EQ(dst->Bevel(), pbNone);
    EXPECT_EQ(dst->Style(), psNormal);

    // Anything else is refused by the base class.
    EXPECT_THROW(dst->Assign(bar->Panels()), EConvertError);
}

TEST_F(Panel, LockKeyStyleWritesItsTextAndCentresAndKeepsThemWhenLeft)
{
    TKStatusPanel* p = AddPanel(50, "old");
    p->SetStyle(psCapsLock);
    EXPECT_EQ(p->Text(), " CAPS ");
    EXPECT_EQ(p->Alignment(), taCenter);
    EXPECT_TRUE(p->AutoSize());
    EXPECT_EQ(p->Width(), 50);  // the flag is set without measuring
    p->SetStyle(psNormal);
    EXPECT_EQ(p->Text(), " CAPS ");
    EXPECT_EQ(p->Alignment(), taCenter);
    p->SetStyle(psNumLock);
    EXPECT_EQ(p->Text(), " NUM ");
    p->SetStyle(psScrollLock);
    EXPECT_EQ(p->Text(), " SCROLL ");
    // Styles that centre, and styles that keep their alignment.
    TKStatusPanel* q = AddPanel(50);
    q->SetStyle(psProgressText);
    EXPECT_EQ(q->Alignment(), taLeftJustify);
    q->SetStyle(psDBRecNum);
    EXPECT_EQ(q->Alignment(), taCenter);
}

TEST_F(Panel, IndeterminateStartsStoppedRunsWhenEnabledAndRewindsWhenStopped)
{
    TKStatusPanel* p = AddPanel(10);
    p->SetStyle(psIndeterminate);
    EXPECT_FALSE(p->Enabled());
    EXPECT_EQ(p->PanelTimer(), nullptr);
    EXPECT_EQ(p->GaugeBitmap(), nullptr);
    p->SetEnabled(true);
    ASSERT_NE(p->GaugeBitmap(), nullptr);
    ASSERT_NE(p->PanelTimer(), nullptr);
    EXPECT_EQ(p->PanelTimer()->Interval(), 50);
    // 3 pixels every 50 ms; past the width the band turns at the edge.
    std::vector<int> offsets;
    for (int i = 0; i < 6; ++i) {
        RunScript([](TInputScript& s) { s.AdvanceTime(50); });
        offsets.push_back(p->SweepOffset());
    }
    EXPECT_EQ(offsets, (std::vector<int>{3, 6, 9, 10, 7, 4}));
    EXPECT_EQ(p->SweepStep(), -3);
    // A new speed turns the band to the right at once.
    p->SetSpeed(5);
    EXPECT_EQ(p->SweepStep(), 5);
    RunScript([](TInputScript& s) { s.AdvanceTime(50); });
    EXPECT_EQ(p->SweepOffset(), 9);
    // Stopping frees the timer, keeps the bitmap and rewinds to the left edge.
    p->SetEnabled(false);
    EXPECT_EQ(p->PanelTimer(), nullptr);
    EXPECT_NE(p->GaugeBitmap(), nullptr);
    EXPECT_EQ(p->SweepOffset(), 0);
    EXPECT_EQ(p->SweepStep(), 5);
    // Leaving the style releases the bitmap.
    p->SetStyle(psNormal);
    EXPECT_EQ(p->GaugeBitmap(), nullptr);
}

TEST_F(Panel, ClockTicksEverySecondAndADisabledClockStaysGrayed)
{
    TKStatusPanel* p = AddPanel(120);
    p->SetStyle(psDateTime);
    EXPECT_EQ(p->Alignment(), taCenter);
    ASSERT_NE(p->PanelTimer(), nullptr);
    EXPECT_EQ(p->PanelTimer()->Interval(), 1000);
    bar->UpdatePanels(false, true);
    EXPECT_FALSE(p->UpdateNeeded());
    RunScript([](TInputScript& s) { s.AdvanceTime(999); });
    EXPECT_FALSE(p->UpdateNeeded());
    RunScript([](TInputScript& s) { s.AdvanceTime(1); });
    EXPECT_TRUE(p->UpdateNeeded());
    p->SetEnabled(false);
    EXPECT_EQ(p->PanelTimer(), nullptr);
    EXPECT_TRUE(p->Grayed());
    p->SetEnabled(true);
    EXPECT_TRUE(p->Grayed());  // re-enabling never clears it
    EXPECT_NE(p->PanelTimer(), nullptr);
}

TEST_F(Panel, NoTimerRunsInTheDesigner)
{
    TOwned<TForm> designed(new TForm(nullptr));
    designed->SetDesigning(true);
    auto* b = new TKStatusBar(designed.get());
    b->SetDesigning(true);
    TKStatusPanel* clock = b->Panels()->Add();
    clock->SetStyle(psDateTime);
    TKStatusPanel* sweep = b->Panels()->Add();
    sweep->SetStyle(psIndeterminate);
    sweep->SetEnabled(true);
    EXPECT_EQ(clock->PanelTimer(), nullptr);
    EXPECT_EQ(sweep->PanelTimer(), nullptr);
    EXPECT_NE(sweep->GaugeBitmap(), nullptr);
}

TEST_F(Panel, AutoSizeMeasuresTextOnlyWhenSwitchedOnOrBorderChanges)
{
    // Without a window the width stays.
    TOwned<TForm> loading(new TForm(nullptr));
    auto* b = new TKStatusBar(loading.get());
    TKStatusPanel* early = b->Panels()->Add();
    early->SetText("Some text");
    early->SetAutoSize(true);
    EXPECT_EQ(early->Width(), 50);

    TKStatusPanel* p = AddPanel(50, "Some text");
    int tw = bar->Canvas()->TextExtent("Some text").cx;
    p->SetAutoSize(true);
    EXPECT_EQ(p->Width(), tw + 6);
    p->SetBorderWidth(3);
    EXPECT_EQ(p->Width(), tw + 12);
    p->SetText("A much longer text than before");
    EXPECT_EQ(p->Width(), tw + 12);  // a later text does not resize
    // An image of the bar's list counts too.
    TImageList images(nullptr, 16, 16);
    TBitmap img(16, 16);
    images.Add(img);
    bar->SetImages(&images);
    p->SetImageIndex(0);
    p->SetBorderWidth(0);
    EXPECT_EQ(p->Width(), bar->Canvas()->TextExtent(p->Text()).cx + 6 + 16);
    bar->SetImages(nullptr);
}

TEST_F(Panel, ChangesNotifyOnlyWhenTheValueChanges)
{
    TKStatusPanel* p = AddPanel(50, "a");
    bar->UpdatePanels(false, true);
    int sent = bar->SetTextCount();
    p->SetText("a");
    p->SetAlignment(taLeftJustify);
    p->SetPosition(0);
    p->SetSpeed(3);
    EXPECT_FALSE(p->UpdateNeeded());
    p->SetSpeed(4);  // the speed never repaints
    EXPECT_FALSE(p->UpdateNeeded());
    p->SetText("b");
    p->SetTextColor(clRed);
    EXPECT_TRUE(p->UpdateNeeded());
    // Two changes, one re-sent text at the paint.
    bar->UpdatePanels(false, true);
    EXPECT_EQ(bar->SetTextCount(), sent + 1);
    EXPECT_EQ(bar->PartText(0), "b");
}

}  // namespace
