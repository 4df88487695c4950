// DrawText layout, accelerator prefixes, right-to-left reading, and the bevel helpers.
#include <gtest/gtest.h>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"

using namespace korin;

namespace {

TEST(DrawText, CentresASingleLine)
{
    TBitmap b(100, 20);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clYellow); // opaque background: the text cell shows where the text went
    TRect r = Rect(0, 0, 100, 20);
    EXPECT_EQ(DrawText(c, "Hello", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 13);
    // "Hello" is 28 x 13: left (100 - 28) / 2 = 36, top (20 - 13) / 2 = 3.
    EXPECT_EQ(b.Pixels(36, 3), clYellow);
    EXPECT_EQ(b.Pixels(63, 15), clYellow);
    EXPECT_EQ(b.Pixels(35, 3), clWhite);
    EXPECT_EQ(b.Pixels(64, 15), clWhite);
    EXPECT_EQ(b.Pixels(36, 2), clWhite);
    EXPECT_EQ(b.Pixels(36, 16), clWhite);
    EXPECT_EQ(r, Rect(0, 0, 100, 20)); // drawing leaves the rectangle alone

    // Right and bottom.
    TBitmap d(100, 20);
    d.Canvas().Brush().SetColor(clYellow);
    r = Rect(0, 0, 100, 20);
    DrawText(d.Canvas(), "Hello", r, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    EXPECT_EQ(d.Pixels(72, 7), clYellow);
    EXPECT_EQ(d.Pixels(71, 7), clWhite);
    EXPECT_EQ(d.Pixels(99, 19), clYellow);
    EXPECT_EQ(d.Pixels(99, 6), clWhite);

    // Text is clipped to the rectangle unless DT_NOCLIP.
    TBitmap e(100, 20);
    e.Canvas().Brush().SetColor(clYellow);
    r = Rect(0, 0, 20, 20);
    DrawText(e.Canvas(), "Hello", r, DT_SINGLELINE);
    EXPECT_EQ(e.Pixels(19, 0), clYellow);
    EXPECT_EQ(e.Pixels(20, 0), clWhite);
    DrawText(e.Canvas(), "Hello", r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(e.Pixels(27, 0), clYellow);
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing)
{
    TBitmap b(10, 10);
    TCanvas& c = b.Canvas();
    TRect r = Rect(5, 5, 5, 5);
    EXPECT_EQ(DrawText(c, "Hello", r, DT_CALCRECT | DT_SINGLELINE), 13);
    EXPECT_EQ(r, Rect(5, 5, 33, 18));
    EXPECT_EQ(b.Pixels(5, 5), clWhite);
    // Lines break at '\n' ("\r\n" too); the widest line gives the width.
    r = Rect(0, 0, 0, 0);
    EXPECT_EQ(DrawText(c, "Hi\r\nHello", r, DT_CALCRECT), 26);
    EXPECT_EQ(r, Rect(0, 0, 28, 26));
    // Word breaks keep the lines inside the width.
    r = Rect(0, 0, 60, 0);
    ASSERT_GT(c.TextWidth("No more matches!"), 60);
    EXPECT_EQ(DrawText(c, "No more matches!", r, DT_CALCRECT | DT_WORDBREAK), 26);
    EXPECT_EQ(r.Right, c.TextWidth("matches!"));
    // The blank a line breaks after does not count.
    r = Rect(0, 0, 30, 0);
    EXPECT_EQ(DrawText(c, "Hello Hi", r, DT_CALCRECT | DT_WORDBREAK), 26);
    EXPECT_EQ(r.Right, 28);
    // The end ellipsis shortens a line to the width.
    r = Rect(0, 0, 60, 0);
    DrawText(c, "No more matches!", r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(r.Width(), 60);
    EXPECT_GT(r.Width(), 40);
    // Prefixes: "&&" is one '&', a single '&' takes no room; DT_NOPREFIX shows them.
    r = Rect(0, 0, 0, 0);
    DrawText(c, "A&&B", r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Right, c.TextWidth("A&B"));
    r = Rect(0, 0, 0, 0);
    DrawText(c, "&Open", r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.Right, c.TextWidth("Open"));
    r = Rect(0, 0, 0, 0);
    DrawText(c, "&Open", r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(r.Right, c.TextWidth("&Open"));
}

// The pixels where two renderings differ, as a bounding box.
TRect Difference(TBitmap& a, TBitmap& b)
{
    TRect box{1000, 1000, -1, -1};
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixels(x, y) != b.Pixels(x, y)) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box;
}

TEST(DrawText, AcceleratorUnderlinesOneCharacter)
{
    TBitmap marked(60, 16), plain(60, 16);
    TRect r = Rect(2, 0, 60, 16);
    marked.Canvas().Brush().SetStyle(bsClear);
    plain.Canvas().Brush().SetStyle(bsClear);
    DrawText(marked.Canvas(), "Op&en", r, DT_SINGLELINE);
    DrawText(plain.Canvas(), "Op&en", r, DT_SINGLELINE | DT_HIDEPREFIX);
    TRect d = Difference(marked, plain);
    int start = 2 + plain.Canvas().TextWidth("Op");
    int end = 2 + plain.Canvas().TextWidth("Ope");
    EXPECT_GE(d.Left, start - 1);
    EXPECT_LE(d.Right, end + 1);
    EXPECT_GT(d.Width(), 2);
    EXPECT_LE(d.Height(), 2); // a line under the 'e', below the baseline
    EXPECT_GE(d.Top, 10);
}

TEST(DrawText, RightToLeftReadingReordersNeutralCharacters)
{
    TBitmap ltr(60, 16), rtl(60, 16);
    ltr.Canvas().TextOut(0, 0, "abc!");
    rtl.Canvas().SetTextFlags(ETO_RTLREADING);
    EXPECT_EQ(rtl.Canvas().TextWidth("abc!"), ltr.Canvas().TextWidth("abc!"));
    rtl.Canvas().TextOut(0, 0, "abc!");
    // Read right to left, the '!' stands first (leftmost): the columns of 'a' differ.
    TRect d = Difference(ltr, rtl);
    EXPECT_LT(d.Left, 3);
}

TEST(Bevels, FramesAndEdgesOwnTheirPixels)
{
    TBitmap b(8, 6);
    TCanvas& c = b.Canvas();
    TRect r = Rect(0, 0, 8, 6);
    Frame3D(c, r, clWhite, clBlack, 1);
    EXPECT_EQ(r, Rect(1, 1, 7, 5));
    EXPECT_EQ(b.Pixels(0, 0), clWhite);
    EXPECT_EQ(b.Pixels(6, 0), clWhite);
    EXPECT_EQ(b.Pixels(7, 0), clBlack); // the top-right corner belongs to the right edge
    EXPECT_EQ(b.Pixels(0, 5), clBlack); // the bottom-left corner to the bottom edge
    EXPECT_EQ(b.Pixels(7, 5), clBlack);

    TBitmap e(8, 6);
    e.Canvas().Brush().SetColor(clRed);
    r = Rect(0, 0, 8, 6);
    DrawEdge(e.Canvas(), r, EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r, Rect(2, 2, 6, 4));
    EXPECT_EQ(e.Pixels(0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(e.Pixels(7, 5), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(e.Pixels(6, 4), ColorToRGB(clBtnShadow));
    EXPECT_EQ(e.Pixels(3, 3), ColorToRGB(clBtnFace));
    EXPECT_EQ(e.Canvas().Brush().Color(), clRed); // the brush is given back

    r = Rect(0, 0, 8, 6);
    DrawEdge(e.Canvas(), r, EDGE_SUNKEN, BF_LEFT | BF_TOP);
    EXPECT_EQ(e.Pixels(0, 3), ColorToRGB(clBtnShadow));
    EXPECT_EQ(e.Pixels(1, 3), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(e.Pixels(7, 5), ColorToRGB(cl3DDkShadow)); // right and bottom untouched

    // Button faces: the content rectangle inside the bevels, shifted when down.
    TBitmap f(20, 10);
    EXPECT_EQ(DrawButtonFace(f.Canvas(), Rect(0, 0, 20, 10), false), Rect(2, 2, 18, 8));
    EXPECT_EQ(DrawButtonFace(f.Canvas(), Rect(0, 0, 20, 10), true), Rect(3, 3, 19, 9));
    EXPECT_EQ(f.Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(DrawButtonFace(f.Canvas(), Rect(0, 0, 20, 10), false, false, false, true), Rect(3, 3, 17, 7));
    EXPECT_EQ(f.Pixels(0, 0), ColorToRGB(clWindowFrame));
    // A flat button away from the pointer is only its face.
    EXPECT_EQ(DrawButtonFace(f.Canvas(), Rect(0, 0, 20, 10), false, true, false, false, clRed), Rect(1, 1, 19, 9));
    EXPECT_EQ(f.Pixels(0, 0), clRed);
    DrawButtonFace(f.Canvas(), Rect(0, 0, 20, 10), false, true, true);
    EXPECT_EQ(f.Pixels(0, 0), ColorToRGB(cl3DLight));
    EXPECT_EQ(f.Pixels(19, 9), ColorToRGB(clBtnShadow));
}

} // namespace
