// Panel painting, checked on rendered pixels: percentages, shortened text and paths,
// progress blocks and bars, the sweep band, images, grayed and right-to-left text.
#include <gtest/gtest.h>

#include <algorithm>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/gui/Keyboard.h"
#include "tests/statusbar/StatusBarFixture.h"

using namespace korin;

namespace {

class Painting : public StatusBarTest {
protected:
    // Part 0 drawn in white with a red progress colour; part 1 keeps the rest of the bar.
    TKStatusPanel* FirstPanel(int Width, TKStatusPanelStyle Style)
    {
        TKStatusPanel* p = AddPanel(Width);
        p->SetPanelColor(clWhite);
        p->SetProgressColor(clRed);
        p->SetStyle(Style);
        AddPanel(50);
        return p;
    }
    // Whether any pixel of the rectangle has colour C.
    static bool Any(TBitmap& B, const TRect& R, TColor C)
    {
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (B.Pixels(x, y) == C)
                    return true;
        return false;
    }
};

TEST_F(Painting, PercentTextRoundsHalvesToEven)
{
    EXPECT_EQ(PercentText(0, 200, 50), "25%");
    EXPECT_EQ(PercentText(7, 7, 7), "0%");
    EXPECT_EQ(PercentText(0, 8, 1), "12%");  // 12.5
    EXPECT_EQ(PercentText(0, 8, 3), "38%");  // 37.5
    EXPECT_EQ(RatioPercent(120, 5), 4);
    EXPECT_EQ(RatioPercent(0, 5), 0);
    EXPECT_EQ(RatioPercent(8, 0), 0);
    // A percent panel writes its text when painted.
    TKStatusPanel* p = FirstPanel(80, psPercent);
    p->SetMax(200);
    p->SetPosition(50);
    Render();
    EXPECT_EQ(p->Text(), "25%");
}

TEST_F(Painting, MinimizeTextAndPathKeepWhatFitsAndTheFileName)
{
    TCanvas& c = *bar->Canvas();
    EXPECT_EQ(MinimizeText("fits", c, 1000), "fits");
    EXPECT_EQ(MinimizeText("does not fit", c, 0), "...");
    EXPECT_EQ(MinimizeText("does not fit", c, -5), "...");
    std::string cut = MinimizeText("abcdefghijklmnop", c, c.TextWidth("abcdef..."));
    EXPECT_EQ(cut, "abcdef...");

    // Both separators; the one in the path is the one kept.
    std::string name = "/report.txt";
    int nameW = c.TextWidth(name);
    EXPECT_EQ(MinimizePath("/home/user/report.txt", c, 1000), "/home/user/report.txt");
    EXPECT_EQ(MinimizePath("/home/user/report.txt", c, nameW + c.TextWidth("/ho...")), "/ho.../report.txt");
    EXPECT_EQ(MinimizePath("C:\\data\\sub\\report.txt", c, c.TextWidth("C:\\d...\\report.txt")),
              "C:\\d...\\report.txt");
    // A bare name fits unchanged, or gets "..." in front when it alone is too wide.
    EXPECT_EQ(MinimizePath("report.txt", c, 1000), "report.txt");
    EXPECT_EQ(MinimizePath("report.txt", c, 5), "...report.txt");
}

TEST_F(Painting, ProgressBlocksOfTwelveWithAGapOfOne)
{
    // Width 102 at half: Filled 50, blocks of Round(15 * 0.8) = 12 with a gap of 1,
    // Round(50 / 12) = 4 blocks, the last ending at L + 47.
    TKStatusPanel* p = FirstPanel(102, psProgress);
    p->SetMax(100);
    p->SetPosition(50);
    TRect r = PartRect(0);
    InflateRect(r, -1, -1);
    ASSERT_EQ(r.Height(), 15);
    int L = r.Left, T = r.Top;
    auto bmp = Render();
    EXPECT_EQ(bmp->Pixels(L, T + 5), clWhite);         // the column before the first block
    EXPECT_EQ(bmp->Pixels(L + 1, T + 1), clRed);       // first block, top row
    EXPECT_EQ(bmp->Pixels(L + 1, T), clWhite);         // above the blocks
    EXPECT_EQ(bmp->Pixels(L + 1, T + 13), clRed);      // bottom row (B - 2)
    EXPECT_EQ(bmp->Pixels(L + 1, T + 14), clWhite);
    EXPECT_EQ(bmp->Pixels(L + 10, T + 5), clRed);      // block 0 ends at L + 11 (exclusive)
    EXPECT_EQ(bmp->Pixels(L + 11, T + 5), clWhite);    // the gap
    EXPECT_EQ(bmp->Pixels(L + 12, T + 5), clWhite);
    EXPECT_EQ(bmp->Pixels(L + 13, T + 5), clRed);      // block 1 starts at L + 1 + 12
    EXPECT_EQ(bmp->Pixels(L + 46, T + 5), clRed);      // last block
    EXPECT_EQ(bmp->Pixels(L + 47, T + 5), clWhite);
    EXPECT_FALSE(Any(*bmp, Rect(L + 47, T, r.Right, r.Bottom), clRed));

    // Smooth: one bar from L + 1 to L + 50.
    p->SetSmoothProgress(true);
    bmp = Render();
    EXPECT_EQ(bmp->Pixels(L + 11, T + 5), clRed);
    EXPECT_EQ(bmp->Pixels(L + 49, T + 5), clRed);
    EXPECT_EQ(bmp->Pixels(L + 50, T + 5), clWhite);

    // Right to left: the mirror image, growing from the right edge.
    SysLocale.MiddleEast = true;
    p->SetBiDiMode(bdRightToLeft);
    bmp = Render();
    int R = r.Right;
    EXPECT_EQ(bmp->Pixels(R - 1, T + 5), clRed);
    EXPECT_EQ(bmp->Pixels(R - 49, T + 5), clRed);
    EXPECT_EQ(bmp->Pixels(R - 50, T + 5), clWhite);
    EXPECT_EQ(bmp->Pixels(L + 1, T + 5), clWhite);
}

TEST_F(Painting, ProgressWithAnEmptyRangeDrawsOnlyTheBackground)
{
    TKStatusPanel* p = FirstPanel(102, psProgress);
    TRect r = PartRect(0);
    InflateRect(r, -1, -1);
    auto bmp = Render();
    EXPECT_FALSE(Any(*bmp, r, clRed));
    EXPECT_EQ(bmp->Pixels(r.Left + 5, r.Top + 5), clWhite);
    EXPECT_EQ(p->Position(), 0);
}

TEST_F(Painting, TextOverABarIsTransparent)
{
    TKStatusPanel* p = FirstPanel(102, psProgressText);
    p->SetSmoothProgress(true);
    p->SetMax(100);
    p->SetPosition(100);
    p->SetText("MMMM");
    p->SetTextColor(clBlue);
    TRect r = PartRect(0);
    InflateRect(r, -1, -1);
    auto bmp = Render();
    // The text is drawn, and the bar shows between its letters (no filled text cell).
    EXPECT_TRUE(Any(*bmp, Rect(r.Left + 1, r.Top + 1, r.Left + 40, r.Bottom - 1), clBlue));
    EXPECT_EQ(bmp->Pixels(r.Left + 2, r.Top + 1), clRed);
    EXPECT_FALSE(Any(*bmp, Rect(r.Left + 1, r.Top + 1, r.Left + 40, r.Bottom - 1), clWhite));
    // The percentage style writes its own text over the bar.
    p->SetStyle(psProgressPercent);
    Render();
    EXPECT_EQ(p->Text(), "100%");
}

TEST_F(Painting, GrayedTextIsEmbossedAndLockKeysGrayWhileTheirKeyIsOff)
{
    TKStatusPanel* p = FirstPanel(100, psNormal);
    p->SetText("\xE2\x96\x88");  // a full block: whole pixels in one colour
    p->SetTextColor(clBlue);
    TRect r = PartRect(0);
    InflateRect(r, -1, -1);
    auto bmp = Render();
    EXPECT_TRUE(Any(*bmp, r, clBlue));
    p->SetGrayed(true);
    p->SetPanelColor(clBlack);
    bmp = Render();
    EXPECT_FALSE(Any(*bmp, r, clBlue));
    // Gray text on top, and its white copy one pixel down and right: the lowest and the
    // rightmost lit pixels are white (or nearly: glyph edges are smoothed).
    TColor gray = ColorToRGB(clGrayText);
    EXPECT_TRUE(Any(*bmp, r, gray));
    int grayBottom = -1, whiteBottom = -1, grayRight = -1, whiteRight = -1;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            TColor c = bmp->Pixels(x, y);
            if (c == gray) {
                grayBottom = std::max(grayBottom, y);
                grayRight = std::max(grayRight, x);
            }
            if (GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200) {
                whiteBottom = std::max(whiteBottom, y);
                whiteRight = std::max(whiteRight, x);
            }
        }
    EXPECT_EQ(whiteBottom, grayBottom + 1);
    EXPECT_EQ(whiteRight, grayRight + 1);

    // A lock-key panel reads its key when painted, whatever its Enabled state.
    TKStatusPanel* caps = bar->Panels()->GetItem(1);
    caps->SetStyle(psCapsLock);
    SetKeyToggled(VK_CAPITAL, false);
    Render();
    EXPECT_TRUE(caps->Grayed());
    SetKeyToggled(VK_CAPITAL, true);
    Render();
    EXPECT_FALSE(caps->Grayed());
    caps->SetEnabled(false);
    Render();
    EXPECT_FALSE(caps->Grayed());
    SetKeyToggled(VK_CAPITAL, false);
}

TEST_F(Painting, ImagesComeFromTheListOfTheEnabledStateAndStandRightWhenRightToLeft)
{
    TImageList images(nullptr, 8, 8), disabled(nullptr, 8, 8);
    for (TColor c : {clRed, clGreen, clBlue}) {
        TBitmap b(8, 8);
        b.Canvas().Brush().SetColor(c);
        b.Canvas().FillRect(Rect(0, 0, 8, 8));
        images.Add(b);
    }
    for (TColor c : {clYellow, clFuchsia, clAqua}) {
        TBitmap b(8, 8);
        b.Canvas().Brush().SetColor(c);
        b.Canvas().FillRect(Rect(0, 0, 8, 8));
        disabled.Add(b);
    }
    bar->SetImages(&images);
    TKStatusPanel* p = FirstPanel(100, psNormal);
    p->SetImageIndex(2);
    TRect r = PartRect(0);
    InflateRect(r, -1, -1);
    int iy = (r.Height() - 8) / 2 + r.Top;
    auto bmp = Render();
    EXPECT_EQ(bmp->Pixels(r.Left + 1, iy), clBlue);  // left aligned at L + 1
    EXPECT_EQ(bmp->Pixels(r.Left + 8, iy), clBlue);
    EXPECT_EQ(bmp->Pixels(r.Left + 9, iy), clWhite);
    // Disabled: image 2 of DisabledImages; without that list, none.
    p->SetEnabled(false);
    bmp = Render();
    EXPECT_FALSE(Any(*bmp, r, clAqua));
    EXPECT_FALSE(Any(*bmp, r, clBlue));
    bar->SetDisabledImages(&disabled);
    bmp = Render();
    EXPECT_EQ(bmp->Pixels(r.Left + 1, iy), clAqua);
    bar->SetDisabledImages(nullptr);
    p->SetEnabled(true);

    // Centred and right to left: the image stands right of the text.
    p->SetText("WWWW");
    p->SetTextColor(clBlack);
    p->SetAlignment(taCenter);
    SysLocale.MiddleEast = true;
    p->SetBiDiMode(bdRightToLeft);
    bmp = Render();
    int imageLeft = -1, textRight = -1;
    for (int x = r.Left; x < r.Right; ++x) {
        if (imageLeft < 0 && bmp->Pixels(x, iy) == clBlue)
            imageLeft = x;
        for (int y = r.Top; y < r.Bottom; ++y)
            if (bmp->Pixels(x, y) != clWhite && bmp->Pixels(x, y) != clBlue)
                textRight = x;
    }
    int tw = bar->Canvas()->TextWidth("WWWW");
    EXPECT_EQ(imageLeft, ((tw + 8) + r.Width()) / 2 + r.Left - 8);
    EXPECT_LT(textRight, imageLeft);
    bar->SetImages(nullptr);
}

TEST_F(Painting, SweepBandIsOneStretchedCopyOfTheGaugeWithItsColourAtTheLeadingEdge)
{
    TKStatusPanel* p = FirstPanel(102, psIndeterminate);
    p->SetEnabled(true);
    TBitmap* g = p->GaugeBitmap();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Width(), 16);
    EXPECT_EQ(g->Height(), 19);
    EXPECT_EQ(g->Pixels(0, 5), clWhite);  // the panel's colour
    EXPECT_EQ(g->Pixels(15, 5), clRed);   // the progress colour
    int mid = static_cast<int>(255 + (0 - 255) * (8 / 15.0));  // 119
    EXPECT_EQ(g->Pixels(8, 5), RGB(255, mid, mid));

    for (int i = 0; i < 20; ++i)
        RunScript([](TInputScript& s) { s.AdvanceTime(50); });
    ASSERT_EQ(p->SweepOffset(), 60);
    TRect r = PartRect(0);
    InflateRect(r, -1, -1);
    int L = r.Left + 1;  // the inner rectangle
    int band = 30;       // Round(100 * 0.3)
    auto bmp = Render();
    EXPECT_EQ(bmp->Pixels(L + 59, r.Top + 5), clRed);          // leading edge, moving right
    EXPECT_EQ(bmp->Pixels(L + 60 - band, r.Top + 5), clWhite);  // trailing edge
    EXPECT_EQ(bmp->Pixels(L + 60, r.Top + 5), clWhite);
    // Stopped: an empty panel.
    p->SetEnabled(false);
    bmp = Render();
    EXPECT_FALSE(Any(*bmp, r, clRed));
}

TEST_F(Painting, ClockFormatsNowWithItsPattern)
{
    SetNowFunction([] { return EncodeDate(2026, 12, 6) + EncodeTime(13, 4, 5, 0); });
    TKStatusPanel* p = FirstPanel(150, psDateTime);
    Render();
    EXPECT_EQ(p->Text(), "06/12/2026 13:04:05");
    p->SetDateTimeFormat("hh:nn");
    Render();
    EXPECT_EQ(p->Text(), "13:04");
    SetNowFunction(nullptr);
}

TEST_F(Painting, OwnerDrawGoesToThePanelsHandlerElseTheBars)
{
    TKStatusPanel* p = FirstPanel(80, psOwnerDraw);
    std::vector<std::string> calls;
    TRect seen;
    bar->OnDrawPanel = [&](TCustomKStatusBar* b, TKStatusPanel* q, const TRect& R) {
        calls.push_back("bar");
        seen = R;
        b->Canvas()->Brush().SetColor(clLime);
        b->Canvas()->FillRect(R);
    };
    auto bmp = Render();
    TRect r = PartRect(0);
    InflateRect(r, -1, -1);
    EXPECT_EQ(seen, r);
    EXPECT_EQ(bmp->Pixels(r.Left + 3, r.Top + 3), clLime);
    p->OnDrawPanel = [&](TCustomKStatusBar*, TKStatusPanel*, const TRect&) { calls.push_back("panel"); };
    Render();
    EXPECT_EQ(calls, (std::vector<std::string>{"bar", "panel"}));
}

}  // namespace
