// Regions: exact pixel membership, combining, and clipping a canvas to a region.
#include <gtest/gtest.h>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Region.h"

using namespace korin;

namespace {

// The pixels of a region within a box, as rows of '#' and '.'.
std::string Picture(HRGN r, int w, int h)
{
    std::string s;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            s += PtInRegion(r, x, y) ? '#' : '.';
        s += '\n';
    }
    return s;
}

TEST(Region, ShapesFollowThePixelCentreRule)
{
    HRGN rect = CreateRectRgn(1, 1, 4, 3);
    EXPECT_EQ(Picture(rect, 5, 4), ".....\n.###.\n.###.\n.....\n");
    HRGN e = CreateEllipticRgn(0, 0, 4, 4);
    EXPECT_EQ(Picture(e, 4, 4), ".##.\n####\n####\n.##.\n");
    HRGN wide = CreateEllipticRgn(0, 0, 10, 5);
    // Pixel (0, 1): ((1 - 10) / 10)^2 + ((3 - 5) / 5)^2 = 0.97, inside; (1, 0): 0.49 + 0.64, outside.
    EXPECT_EQ(Picture(wide, 10, 5), "..######..\n##########\n##########\n##########\n..######..\n");
    // Corner size 4 x 4 on a 10 x 6 rectangle cuts only the corners.
    HRGN round = CreateRoundRectRgn(0, 0, 10, 6, 4, 4);
    EXPECT_EQ(Picture(round, 10, 6), ".########.\n##########\n##########\n##########\n##########\n.########.\n");
    // The full size as corner size is the ellipse itself.
    HRGN same = CreateRoundRectRgn(0, 0, 10, 5, 10, 5);
    EXPECT_TRUE(EqualRgn(same, wide));
    TRect box;
    EXPECT_EQ(GetRgnBox(wide, &box), COMPLEXREGION);
    EXPECT_EQ(box, Rect(0, 0, 10, 5));
    EXPECT_EQ(GetRgnBox(rect, &box), SIMPLEREGION);
    EXPECT_EQ(box, Rect(1, 1, 4, 3));
    for (HRGN r : {rect, e, wide, round, same})
        EXPECT_TRUE(DeleteObject(r));
    EXPECT_FALSE(DeleteObject(nullptr));
}

TEST(Region, CombineAndOffset)
{
    HRGN a = CreateRectRgn(0, 0, 4, 2);
    HRGN b = CreateRectRgn(2, 1, 6, 3);
    HRGN d = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(Picture(d, 6, 3), "####..\n######\n..####\n");
    EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(Picture(d, 6, 3), "......\n..##..\n......\n");
    EXPECT_EQ(CombineRgn(d, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_EQ(Picture(d, 6, 3), "####..\n##....\n......\n");
    EXPECT_EQ(CombineRgn(d, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_EQ(Picture(d, 6, 3), "####..\n##..##\n..####\n");
    EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
    EXPECT_TRUE(PtInRegion(a, 3, 1));
    // Dest may be one of the operands; a bad mode leaves Dest alone.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(a, a, b, 99), RGN_ERROR);
    EXPECT_EQ(Picture(a, 6, 3), "####..\n######\n..####\n");
    EXPECT_EQ(OffsetRgn(a, 10, 20), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(a, 10, 20));
    EXPECT_FALSE(PtInRegion(a, 0, 0));
    EXPECT_TRUE(RectInRegion(a, Rect(15, 22, 17, 30)));
    EXPECT_FALSE(RectInRegion(a, Rect(10, 22, 12, 30)));
    for (HRGN r : {a, b, d})
        DeleteObject(r);
}

// A balloon of W x H: an ellipse with a callout of two small ellipses below its left part.
TEST(Region, BalloonShapeClipsDrawing)
{
    const int W = 120, H = 40;
    HRGN rgn = CreateRoundRectRgn(0, 0, W, H, W, H);
    for (TRect r : {Rect(8, H - 5, 18, H + 3), Rect(10, H, 16, H + 8)}) {
        HRGN bubble = CreateEllipticRgn(r.Left, r.Top, r.Right, r.Bottom);
        CombineRgn(rgn, rgn, bubble, RGN_OR);
        DeleteObject(bubble);
    }
    // Corners outside, centre inside.
    EXPECT_FALSE(PtInRegion(rgn, 0, 0));
    EXPECT_FALSE(PtInRegion(rgn, W - 1, 0));
    EXPECT_FALSE(PtInRegion(rgn, 0, H - 1));
    EXPECT_FALSE(PtInRegion(rgn, W - 1, H - 1));
    EXPECT_TRUE(PtInRegion(rgn, W / 2, H / 2));
    // The ellipse's own edge: leftmost and topmost pixels.
    EXPECT_TRUE(PtInRegion(rgn, 0, H / 2));
    EXPECT_TRUE(PtInRegion(rgn, W / 2, 0));
    // The notch: on the bottom row only between x = 8 and 18; the second bubble hangs below.
    EXPECT_FALSE(PtInRegion(rgn, 7, H - 1));
    EXPECT_TRUE(PtInRegion(rgn, 9, H - 1));
    EXPECT_TRUE(PtInRegion(rgn, 13, H - 1));
    EXPECT_TRUE(PtInRegion(rgn, 17, H - 1));
    EXPECT_FALSE(PtInRegion(rgn, 18, H - 1));
    EXPECT_FALSE(PtInRegion(rgn, 30, H - 1));
    EXPECT_TRUE(PtInRegion(rgn, 13, H + 6));
    EXPECT_FALSE(PtInRegion(rgn, 13, H + 8));

    // Painting through the region leaves the corners undrawn.
    TBitmap b(W, H);
    b.Canvas().SetClipRegion(rgn);
    b.Canvas().Brush().SetColor(clInfoBk);
    b.Canvas().FillRect(Rect(0, 0, W, H));
    EXPECT_EQ(b.Pixels(0, 0), clWhite);
    EXPECT_EQ(b.Pixels(W - 1, H - 1), clWhite);
    EXPECT_EQ(b.Pixels(30, H - 1), clWhite);
    EXPECT_EQ(b.Pixels(W / 2, H / 2), ColorToRGB(clInfoBk));
    EXPECT_EQ(b.Pixels(13, H - 1), ColorToRGB(clInfoBk));
    EXPECT_EQ(b.Canvas().ClipRect(), Rect(0, 0, W, H));
    // Removing the clip lets the whole raster be painted again.
    b.Canvas().SetClipRegion(nullptr);
    b.Canvas().FillRect(Rect(0, 0, W, H));
    EXPECT_EQ(b.Pixels(0, 0), ColorToRGB(clInfoBk));
    DeleteObject(rgn);
}

} // namespace

namespace {

TEST(Region, AbsurdSizesStayBounded)
{
    HRGN e = CreateEllipticRgn(-2000000000, -2000000000, 2000000000, 2000000000);
    EXPECT_TRUE(PtInRegion(e, 0, 0));
    EXPECT_FALSE(PtInRegion(e, -(1 << 27), -(1 << 27))); // a cut corner
    TRect box;
    GetRgnBox(e, &box);
    EXPECT_EQ(box, Rect(-(1 << 27), -(1 << 27), 1 << 27, 1 << 27));
    DeleteObject(e);
    HRGN r = CreateRectRgn(2000000000, 0, -2000000000, 5);
    EXPECT_TRUE(PtInRegion(r, 123456789, 4));
    DeleteObject(r);
}

} // namespace
