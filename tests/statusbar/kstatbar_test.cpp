// The visual-panel status bar: panel placement, the dataset event record, progress from
// the engine's callback, and the bar's life.
#include <gtest/gtest.h>

#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Render.h"
#include "korin/statusbar/Kstatbar.h"
#include "tests/support/AppFixture.h"

using namespace korin;
using namespace korin::kstatbar;

namespace {

class VisualBar : public AppTest {
protected:
    TForm* form = nullptr;
    TKCustomStatusBar* bar = nullptr;

    void SetUp() override
    {
        AppTest::SetUp();
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 400, 200);
        form->Show();
        bar = new TKCustomStatusBar(form);
        bar->SetParent(form);
        bar->HandleNeeded();
    }
    void TearDown() override
    {
        if (form)
            form->Free();
        AppTest::TearDown();
    }
    TKStatusPanel* AddPanel(TKPanelType Kind)
    {
        TKStatusPanel* p = bar->Panels()->Add();
        p->SetKind(Kind);
        return p;
    }
    std::vector<int> Lefts() const
    {
        std::vector<int> v;
        for (int i = 0; i < bar->Panels()->Count(); ++i)
            v.push_back(bar->Panels()->GetItem(i)->Left());
        return v;
    }
};

TEST_F(VisualBar, CreationDefaultsAndTheOwnerMustBeAForm)
{
    EXPECT_EQ(bar->Align(), alBottom);
    EXPECT_EQ(bar->Height(), 19);
    EXPECT_EQ(bar->BevelInner(), bvLowered);
    EXPECT_EQ(bar->BevelOuter(), bvNone);
    EXPECT_EQ(bar->Top(), form->ClientHeight() - 19);
    EXPECT_EQ(bar->WindowParams().WindowClassStyle & CS_HREDRAW, 0u);

    TComponent holder(nullptr);
    try {
        TKCustomStatusBar other(&holder);
        FAIL() << "a bar owned by a component that is not a form was made";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "TKStatusBar: Owner must be a form!");
    }
    EXPECT_EQ(holder.ComponentCount(), 0);

    // A visual panel on any other parent refuses its window.
    auto* stray = new TKVisualStatusPanel(form);
    stray->SetParent(form);
    try {
        stray->HandleNeeded();
        FAIL() << "a visual panel outside a bar got a window";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Parent must be TKCustomStatusBar!");
    }
}

TEST_F(VisualBar, PanelsStandApartUntilPackedAndNarrowWidthsAreIgnored)
{
    AddPanel(kptRecNum);
    AddPanel(kptDSInfo);
    TKStatusPanel* third = AddPanel(kptRecNum);
    EXPECT_EQ(Lefts(), (std::vector<int>{0, 65, 130}));
    EXPECT_EQ(third->Width(), 60);
    EXPECT_EQ(third->Index(), 2);
    EXPECT_EQ(third->Height(), 19);  // the bar's height, top 0

    // Width 30 is refused but the panels are packed all the same.
    bar->Panels()->GetItem(0)->SetWidth(30);
    EXPECT_EQ(bar->Panels()->GetItem(0)->Width(), 60);
    EXPECT_EQ(Lefts(), (std::vector<int>{0, 60, 120}));
    bar->Panels()->GetItem(1)->SetWidth(31);
    EXPECT_EQ(Lefts(), (std::vector<int>{0, 60, 91}));

    // The bar's new height reaches every panel.
    bar->SetHeight(25);
    EXPECT_EQ(third->Height(), bar->ClientHeight());

    // Freeing a panel takes its control off the bar.
    int controls = bar->ControlCount();
    delete bar->Panels()->GetItem(2);
    EXPECT_EQ(bar->ControlCount(), controls - 1);
}

TEST_F(VisualBar, DatasetEventsFillTheirPanels)
{
    TKStatusPanel* rec = AddPanel(kptRecNum);
    TKStatusPanel* info = AddPanel(kptDSInfo);
    TKStatusPanel* progress = AddPanel(kptDBProgress);
    progress->SetCaption("untouched");

    TStatusBarEventStruct e;
    e.Event = sbeDSChanged;
    e.SetDataSetName("Orders");
    e.SetDataSetState(dsEdit);
    e.RecNo = -1;
    bar->StatusBarEvent(nullptr, e);
    EXPECT_EQ(rec->Caption(), "<NA>");
    EXPECT_EQ(info->Caption(), "Orders Edit");
    EXPECT_EQ(progress->Caption(), "untouched");

    e.SetDataSetState(dsSetKey);
    e.RecNo = 12;
    bar->StatusBarEvent(nullptr, e);
    EXPECT_EQ(rec->Caption(), "12");
    EXPECT_EQ(info->Caption(), "Orders Inactive");

    TStatusBarEventStruct r;
    r.Event = sbeDSRecNum;
    r.Record.RecCount = 120;
    r.Record.RecPos = 7;
    r.RecNo = 7;
    bar->StatusBarEvent(nullptr, r);
    EXPECT_EQ(rec->Caption(), "7:120");
    EXPECT_EQ(info->Caption(), "Orders Inactive");
    r.RecNo = -1;
    bar->StatusBarEvent(nullptr, r);
    EXPECT_EQ(rec->Caption(), "<NA>");

    EXPECT_EQ(DSSToStr(dsBrowse), "Browse");
    EXPECT_EQ(DSSToStr(dsInsert), "Insert");
    EXPECT_EQ(DSSToStr(dsFilter), "Filter");
    EXPECT_EQ(DSSToStr(dsInactive), "Inactive");
}

TEST_F(VisualBar, ANameLongerThanTheRecordHoldsIsReadAsTwentyCharacters)
{
    TStatusBarEventStruct e;
    e.SetDataSetName("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(e.DataSetName(), "ABCDEFGHIJKLMNOPQRST");
    e.DataSet.Name[0] = 200;  // a host that wrote a bad length
    EXPECT_EQ(e.DataSetName().size(), 20u);
    // The record's layout as hosts fill it.
    TStatusBarEventStruct r;
    r.Record.RecCount = 0x01020304;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
    EXPECT_EQ(bytes[4], 0x04);
    EXPECT_EQ(bytes[7], 0x01);

    TKStatusPanel* info = AddPanel(kptDSInfo);
    e.SetDataSetName("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    e.SetDataSetState(dsBrowse);
    bar->ShowDSInfo(e);
    EXPECT_EQ(info->Caption(), "ABCDEFGHIJKLMNOPQRST Browse");
}

TEST_F(VisualBar, ProgressPanelsSwitchBetweenAnimationBarAndText)
{
    TKStatusPanel* p = AddPanel(kptDBProgress);
    TKVisualStatusPanel* v = p->VisualPanel();
    ASSERT_NE(v->Animation(), nullptr);
    ASSERT_NE(v->ProgressBar(), nullptr);
    EXPECT_EQ(v->Animation()->ResName(), "FLYAVI");
    EXPECT_EQ(v->Animation()->Align(), alLeft);
    EXPECT_EQ(v->ProgressBar()->Align(), alClient);
    EXPECT_FALSE(v->Animation()->Visible());
    EXPECT_FALSE(v->ProgressBar()->Visible());

    bar->Animate(true);
    EXPECT_TRUE(v->Animation()->Visible());
    EXPECT_TRUE(v->Animation()->Active());
    EXPECT_FALSE(v->ProgressBar()->Visible());

    bar->DoProgress(40, true);
    EXPECT_FALSE(v->Animation()->Visible());
    EXPECT_FALSE(v->Animation()->Active());
    EXPECT_TRUE(v->ProgressBar()->Visible());
    EXPECT_EQ(v->ProgressBar()->Position(), 40);

    bar->ShowProgressStatus("Opening");
    EXPECT_FALSE(v->ProgressBar()->Visible());
    EXPECT_EQ(p->Caption(), "Opening");
    bar->DoProgress(1500, false);
    EXPECT_EQ(p->Caption(), "Records: 1500");
    bar->ResetProgressStatus();
    EXPECT_EQ(p->Caption(), "");

    // Another kind drops both.
    p->SetKind(kptRecNum);
    EXPECT_EQ(v->Animation(), nullptr);
    EXPECT_EQ(v->ProgressBar(), nullptr);
}

TEST_F(VisualBar, TheEnginesProgressReachesEveryRegisteredBar)
{
    TKStatusPanel* p = AddPanel(kptDBProgress);
    TKStatusPanel* rec = AddPanel(kptRecNum);
    // Not registered yet: reports pass by.
    TBDECallback::ReportProgress(40, "");
    EXPECT_FALSE(p->VisualPanel()->ProgressBar()->Visible());

    // A session starting registers every bar there is.
    Session->SetActive(false);
    Session->SetActive(true);
    EXPECT_TRUE(bar->ProgressRegistered());

    TBDECallback::ReportProgress(40, "");
    EXPECT_TRUE(p->VisualPanel()->ProgressBar()->Visible());
    EXPECT_EQ(p->VisualPanel()->ProgressBar()->Position(), 40);

    TBDECallback::ReportProgress(-1, "Records read: 1500");
    EXPECT_EQ(p->Caption(), "Records: 1500");
    EXPECT_EQ(rec->Caption(), "");
    // Messages that are not a count are ignored and the engine goes on.
    TBDECallback::ReportProgress(-1, "Records read: many");
    TBDECallback::ReportProgress(-1, "");
    EXPECT_EQ(p->Caption(), "Records: 1500");

    // A freed bar is never called again.
    form->Free();
    form = nullptr;
    TBDECallback::ReportProgress(50, "");
}

// A control that frees a form when it receives a posted message, standing for a user who
// closes the form while a long operation reports its progress.
class Closer : public TWinControl {
public:
    Closer(TComponent* AOwner, TForm** Victim) : TWinControl(AOwner), FVictim(Victim) {}
    void WndProc(TMessage& Message) override
    {
        if (Message.Msg == WM_USER + 77 && *FVictim) {
            (*FVictim)->Free();
            *FVictim = nullptr;
            return;
        }
        TWinControl::WndProc(Message);
    }

private:
    TForm** FVictim;
};

TEST_F(VisualBar, ABarFreedWhileProgressPumpsMessagesStopsSafely)
{
    AddPanel(kptDBProgress);
    AddPanel(kptDBProgress);
    TKStatusPanel* third = AddPanel(kptDBProgress);
    third->SetCaption("before");
    TForm other(nullptr);
    auto* closer = new Closer(&other, &form);
    closer->SetParent(&other);
    PostMessage(closer->Handle(), WM_USER + 77, 0, 0);
    bar->DoProgress(1500, false);
    EXPECT_EQ(form, nullptr);
}

TEST_F(VisualBar, TheSizeGripIsDrawnInTheCorner)
{
    auto bmp = RenderWindow(bar, false);
    const int R = bar->Width() - 2;
    const int B = bar->Height() - 2;
    // The first gray line runs from (R-3, B) up to, but not including, (R, B-3).
    EXPECT_EQ(bmp->Pixels(R - 3, B), static_cast<TColor>(0x808080));
    EXPECT_EQ(bmp->Pixels(R - 1, B - 2), static_cast<TColor>(0x808080));
    // The first white line from (R, B-5) towards (R-5, B).
    EXPECT_EQ(bmp->Pixels(R - 2, B - 3), static_cast<TColor>(0xFFFFFF));
    // The last white line from (R-13, B) towards (R, B-13).
    EXPECT_EQ(bmp->Pixels(R - 13, B), static_cast<TColor>(0xFFFFFF));
    EXPECT_EQ(bmp->Pixels(R - 7, B - 6), static_cast<TColor>(0xFFFFFF));
}

}  // namespace
