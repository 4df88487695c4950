// Button hints and the balloon hint window: texts, shape, placement, colours and its
// two-second life on the virtual clock.
#include "korin/nav/Vdbnavhint.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Render.h"
#include "tests/nav/NavActFixture.h"

using namespace korin;

namespace {

const std::string NoMore = "No more matches!";

class HintTest : public NavActTest {
protected:
    TCustomHintWindow* hint() { return nav->HintWindow(); }
    int TextWidth(const std::string& Text)
    {
        TBitmap b(1, 1);
        b.Canvas().Font().Assign(hint()->Font());
        return b.Canvas().TextWidth(Text);
    }
    // The balloon painted over a red background.
    std::unique_ptr<TBitmap> Render()
    {
        auto bmp = std::make_unique<TBitmap>(hint()->Width(), hint()->Height());
        bmp->Canvas().Brush().SetColor(clRed);
        bmp->Canvas().FillRect(Rect(0, 0, hint()->Width(), hint()->Height()));
        PaintControlAt(hint(), bmp->Canvas(), 0, 0);
        return bmp;
    }
    // The leftmost and rightmost columns holding text (neither background nor outside).
    std::pair<int, int> TextSpan(const TBitmap& Bmp)
    {
        TColor bk = ColorToRGB(clInfoBk), out = ColorToRGB(clRed);
        int lo = Bmp.Width(), hi = -1;
        for (int y = 0; y < Bmp.Height(); ++y)
            for (int x = 0; x < Bmp.Width(); ++x) {
                TColor c = Bmp.Pixels(x, y);
                if (c != bk && c != out) {
                    lo = std::min(lo, x);
                    hi = std::max(hi, x);
                }
            }
        return {lo, hi};
    }
};

TEST_F(HintTest, ButtonHintsCarryTheMultiRowShortCuts)
{
    EXPECT_EQ(nav->Buttons(vnbFirst)->Hint(), "FIRST - Home");
    EXPECT_EQ(nav->Buttons(vnbPrior)->Hint(), "PRIOR - Up");
    EXPECT_EQ(nav->Buttons(vnbPriorPage)->Hint(), "PRIORPAGE - Ctrl+PgUp");
    EXPECT_EQ(nav->Buttons(vnbDittoCopyRecord)->Hint(), "DITTO RECORD - Shift+Ctrl+D");
    EXPECT_EQ(nav->Buttons(vnbGotoNextDSControl)->Hint(), "NEXT DATA SOURCE CONTROL - F3");
    // Later changes reach the hints only when they are composed again.
    nav->MultiRowShortCuts[vnbFirst] = "Ctrl+Home";
    nav->SetShowShortCuts(false);
    EXPECT_EQ(nav->Buttons(vnbFirst)->Hint(), "FIRST - Home");
    nav->InitHints();
    EXPECT_EQ(nav->Buttons(vnbFirst)->Hint(), "FIRST");
    EXPECT_EQ(nav->Buttons(vnbDateTime)->Hint(), "DATE/TIME");
    nav->SetShowShortCuts(true);
    nav->InitHints();
    EXPECT_EQ(nav->Buttons(vnbFirst)->Hint(), "FIRST - Ctrl+Home");
}

TEST_F(HintTest, BalloonAboveTheLastButtonOfAHorizontalNavigator)
{
    nav->SetVisibleButtons(ClassicVisibleButtons);
    nav->SetBounds(10, 40, 320, 20);
    ASSERT_EQ(nav->ButtonWidth(), 32);
    EXPECT_FALSE(hint()->Active());
    nav->DoCustomHint();
    TRect calc = hint()->CalcHintRect(320, NoMore);
    TPoint o = nav->ClientOrigin();
    EXPECT_TRUE(hint()->Active());
    EXPECT_EQ(hint()->Caption(), NoMore);
    EXPECT_EQ(hint()->CalloutDirection(), hcdUp);
    EXPECT_EQ(hint()->Left(), o.x + 9 * 32);
    EXPECT_EQ(hint()->Top(), o.y - 20);  // one navigator height above it
    EXPECT_EQ(hint()->Width(), calc.Width() + TextWidth(NoMore));
    EXPECT_EQ(hint()->Height(), calc.Height());
    EXPECT_EQ(hint()->WindowParams().Style & WS_BORDER, 0u);

    // An ellipse whose notch hangs at the lower edge, 8 to 18 pixels from the left.
    HRGN r = hint()->Region();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(hint()->WindowRgn(), r);
    int w = hint()->Width(), h = hint()->Height();
    EXPECT_FALSE(PtInRegion(r, 0, 0));
    EXPECT_FALSE(PtInRegion(r, w - 1, h - 1));
    EXPECT_TRUE(PtInRegion(r, w / 2, h / 2));
    EXPECT_TRUE(PtInRegion(r, 12, h - 1));
    EXPECT_FALSE(PtInRegion(r, w - 13, h - 1));
    EXPECT_FALSE(PtInRegion(r, 12, 0));
    EXPECT_FALSE(PtInRegion(r, 4, h - 1));

    auto bmp = Render();
    EXPECT_EQ(bmp->Pixels(0, 0), ColorToRGB(clRed));  // corners stay transparent
    EXPECT_EQ(bmp->Pixels(w - 1, 0), ColorToRGB(clRed));
    EXPECT_EQ(bmp->Pixels(3, h / 2), ColorToRGB(clInfoBk));
    EXPECT_EQ(bmp->Pixels(12, h - 1), ColorToRGB(clInfoBk));
    // The text is centred: as far from the left edge as from the right (the text
    // rectangle starts 1 pixel in).
    auto [lo, hi] = TextSpan(*bmp);
    ASSERT_LT(lo, hi);
    EXPECT_NEAR(lo - 1, w - 1 - hi, 3);
}

TEST_F(HintTest, BalloonBelowTheLastButtonOfAVerticalNavigator)
{
    nav->SetVisibleButtons(ClassicVisibleButtons);
    nav->SetBounds(10, 40, 320, 20);
    nav->SetVertical(true);
    ASSERT_EQ(nav->Height(), 320);
    ASSERT_EQ(nav->ButtonHeight(), 32);
    nav->DoCustomHint();
    TPoint o = nav->ClientOrigin();
    EXPECT_EQ(hint()->CalloutDirection(), hcdDown);
    EXPECT_EQ(hint()->Left(), o.x);
    EXPECT_EQ(hint()->Top(), o.y + 10 * 32);
    EXPECT_EQ(hint()->Height(), hint()->CalcHintRect(20, NoMore).Height());

    HRGN r = hint()->Region();
    int h = hint()->Height();
    EXPECT_TRUE(PtInRegion(r, 12, 0));
    EXPECT_FALSE(PtInRegion(r, 12, h - 1));
    auto bmp = Render();
    EXPECT_EQ(bmp->Pixels(12, 0), ColorToRGB(clInfoBk));
    EXPECT_EQ(bmp->Pixels(12, h - 1), ColorToRGB(clRed));
}

TEST_F(HintTest, AmpersandsAreShownAsTheyAre)
{
    hint()->ActivateHint(Rect(0, 0, 60, 18), "AB");
    auto plain = TextSpan(*Render());
    hint()->ActivateHint(Rect(0, 0, 60, 18), "A&B");
    auto amp = TextSpan(*Render());
    EXPECT_GT(amp.second - amp.first, plain.second - plain.first + 3);
}

TEST_F(HintTest, OneBalloonWhoseTwoSecondLifeRestartsWhenShownAgain)
{
    nav->DoCustomHint();
    TCustomHintWindow* first = hint();
    EXPECT_TRUE(first->HideTimer()->Enabled());
    EXPECT_EQ(first->HideTimer()->Interval(), 2000);
    input.AdvanceTime(1500);
    Application->ProcessMessages();
    EXPECT_TRUE(hint()->Active());
    nav->DoCustomHint();  // at 1500
    input.AdvanceTime(1000);
    Application->ProcessMessages();
    EXPECT_TRUE(hint()->Active());  // 2500: the first showing alone would be gone
    input.AdvanceTime(999);
    Application->ProcessMessages();
    EXPECT_TRUE(hint()->Active());
    input.AdvanceTime(1);
    Application->ProcessMessages();
    EXPECT_FALSE(hint()->Active());  // 3500
    EXPECT_FALSE(hint()->HideTimer()->Enabled());
    EXPECT_EQ(hint(), first);
    int balloons = 0;
    for (int i = 0; i < nav->ComponentCount(); ++i)
        balloons += Is<TCustomHintWindow>(nav->Components(i)) ? 1 : 0;
    EXPECT_EQ(balloons, 1);

    // A shape replaced from outside belongs to the window; showing again takes it back.
    hint()->SetWindowRgn(CreateRectRgn(0, 0, 5, 5), false);
    // Shown again after hiding: a fresh shape and a fresh two seconds.
    nav->DoCustomHint();
    EXPECT_TRUE(hint()->Active());
    EXPECT_EQ(hint()->WindowRgn(), hint()->Region());
    input.AdvanceTime(2000);
    Application->ProcessMessages();
    EXPECT_FALSE(hint()->Active());
}

}  // namespace
