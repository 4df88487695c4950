// Canvas, bitmap and text: pixel probes on the raster and measured text metrics.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"

using namespace korin;

namespace {

TEST(CanvasText, DejaVuWidthsAreStable)
{
    TCanvas c; // measuring needs no device context
    EXPECT_EQ(c.Font().Name(), "DejaVu Sans");
    EXPECT_EQ(c.Font().Height(), -11);
    EXPECT_EQ(c.TextExtent("Hello"), (TSize{28, 13}));
    EXPECT_EQ(c.TextWidth("No more matches!"), 102);
    EXPECT_EQ(c.TextWidth("FIRST - Home"), 74);
    EXPECT_EQ(c.TextWidth("Запись"), 40);
    EXPECT_EQ(c.TextWidth(""), 0);
    c.Font().SetStyle(fsBold);
    EXPECT_EQ(c.TextWidth("No more matches!"), 113);
    EXPECT_EQ(c.TextWidth("FIRST - Home"), 84);
    c.Font().SetStyle(0);
    c.Font().SetHeight(-13);
    EXPECT_EQ(c.TextExtent("Hello"), (TSize{34, 16}));
    EXPECT_EQ(c.TextWidth("No more matches!"), 121);
    c.Font().SetStyle(fsBold);
    EXPECT_EQ(c.TextWidth("No more matches!"), 137);
    // A positive height is the cell height.
    c.Font().SetStyle(0);
    c.Font().SetHeight(13);
    EXPECT_EQ(c.TextExtent("Hello"), (TSize{28, 13}));
    // A family that is not installed falls back to DejaVu Sans.
    c.Font().SetHeight(-11);
    c.Font().SetName("MS Sans Serif");
    EXPECT_EQ(c.TextWidth("No more matches!"), 102);
}

TEST(CanvasText, OpaqueAndTransparentBackground)
{
    TBitmap b(80, 20);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clYellow);
    TSize e = c.TextExtent("Hello");
    EXPECT_EQ(GetBkMode(c.Handle()), OPAQUE);
    c.TextOut(2, 3, "Hello");
    // The cell is filled up to its last pixel, not beyond; the pen moved to the end.
    EXPECT_EQ(b.Pixels(2 + e.cx - 1, 3 + e.cy - 1), clYellow);
    EXPECT_EQ(b.Pixels(2 + e.cx, 3), clWhite);
    EXPECT_EQ(b.Pixels(2, 3 + e.cy), clWhite);
    EXPECT_EQ(c.PenPos(), Point(2 + e.cx, 3));

    TBitmap t(80, 20);
    EXPECT_EQ(SetBkMode(t.Canvas().Handle(), TRANSPARENT), OPAQUE);
    t.Canvas().Brush().SetColor(clYellow);
    t.Canvas().Font().SetColor(clBlack);
    t.Canvas().TextOut(2, 3, "Hello");
    EXPECT_EQ(t.Pixels(2 + e.cx - 1, 3 + e.cy - 1), clWhite);
    int dark = 0;
    for (int y = 3; y < 3 + e.cy; ++y)
        for (int x = 2; x < 2 + e.cx; ++x)
            dark += GetRValue(t.Pixels(x, y)) < 128;
    EXPECT_GT(dark, 20); // the glyphs are there
}

TEST(CanvasText, TextRectClipsAndBadUtf8IsShown)
{
    TBitmap b(40, 20);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clYellow);
    c.TextRect(Rect(0, 0, 10, 20), 0, 0, "Hello", ETO_CLIPPED | ETO_OPAQUE);
    EXPECT_EQ(b.Pixels(9, 19), clYellow); // the whole rectangle is filled
    EXPECT_EQ(b.Pixels(10, 0), clWhite);  // and nothing is drawn past it
    int ink = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 10; x < 40; ++x)
            ink += b.Pixels(x, y) != clWhite;
    EXPECT_EQ(ink, 0);
    // Bytes that are not UTF-8 are drawn as replacement characters, not refused.
    EXPECT_GT(c.TextWidth("\xff\xfe"), 0);
    c.TextOut(12, 0, "a\xff" "b");
}

TEST(CanvasShapes, FillRectAndLinesEndExactly)
{
    TBitmap b(40, 30);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(10, 10, 20, 15));
    EXPECT_EQ(b.Pixels(10, 10), clRed);
    EXPECT_EQ(b.Pixels(19, 14), clRed);
    EXPECT_EQ(b.Pixels(20, 14), clWhite);
    EXPECT_EQ(b.Pixels(19, 15), clWhite);
    EXPECT_EQ(b.Pixels(9, 10), clWhite);
    EXPECT_EQ(b.Pixels(10, 9), clWhite);

    c.Pen().SetColor(clBlue);
    c.MoveTo(2, 2);
    c.LineTo(8, 2); // horizontal
    EXPECT_EQ(b.Pixels(1, 2), clWhite);
    EXPECT_EQ(b.Pixels(2, 2), clBlue);
    EXPECT_EQ(b.Pixels(7, 2), clBlue);
    EXPECT_EQ(b.Pixels(8, 2), clWhite);
    EXPECT_EQ(b.Pixels(7, 1), clWhite);
    EXPECT_EQ(b.Pixels(7, 3), clWhite);
    c.LineTo(8, 7); // vertical, continuing from the pen position
    EXPECT_EQ(b.Pixels(8, 2), clBlue);
    EXPECT_EQ(b.Pixels(8, 6), clBlue);
    EXPECT_EQ(b.Pixels(8, 7), clWhite);
    c.MoveTo(30, 20);
    c.LineTo(34, 24); // diagonal
    EXPECT_EQ(b.Pixels(30, 20), clBlue);
    EXPECT_EQ(b.Pixels(33, 23), clBlue);
    EXPECT_EQ(b.Pixels(34, 24), clWhite);
    EXPECT_EQ(b.Pixels(31, 20), clWhite);

    // Rectangle: brush inside, 1-pixel pen outline on its outermost pixels.
    c.Brush().SetColor(clLime);
    c.Pen().SetColor(clBlack);
    c.Rectangle(22, 2, 30, 8);
    EXPECT_EQ(b.Pixels(22, 2), clBlack);
    EXPECT_EQ(b.Pixels(29, 7), clBlack);
    EXPECT_EQ(b.Pixels(23, 3), clLime);
    EXPECT_EQ(b.Pixels(28, 6), clLime);
    EXPECT_EQ(b.Pixels(30, 7), clWhite);
    // A clear brush fills nothing.
    c.Brush().SetStyle(bsClear);
    c.FillRect(Rect(0, 0, 40, 30));
    EXPECT_EQ(b.Pixels(0, 0), clWhite);
}

void Quadrants(TBitmap& s)
{
    // 4 x 2: left half red/green by row, right half blue/yellow.
    s.SetSize(4, 2);
    for (int x = 0; x < 4; ++x) {
        s.SetPixels(x, 0, x < 2 ? clRed : clBlue);
        s.SetPixels(x, 1, x < 2 ? clLime : clYellow);
    }
    s.SetPixels(0, 0, clBlack); // marks the top-left corner
}

TEST(CanvasCopy, StretchedAndMirrored)
{
    TBitmap src;
    Quadrants(src);
    TBitmap d(20, 10);
    // Stretched x2 in both directions into (2, 2)-(10, 6).
    d.Canvas().CopyRect(Rect(2, 2, 10, 6), src.Canvas(), Rect(0, 0, 4, 2));
    EXPECT_EQ(d.Pixels(2, 2), clBlack);
    EXPECT_EQ(d.Pixels(3, 3), clBlack);
    EXPECT_EQ(d.Pixels(4, 2), clRed);
    EXPECT_EQ(d.Pixels(5, 3), clRed);
    EXPECT_EQ(d.Pixels(6, 2), clBlue);
    EXPECT_EQ(d.Pixels(9, 5), clYellow);
    EXPECT_EQ(d.Pixels(2, 4), clLime);
    EXPECT_EQ(d.Pixels(10, 5), clWhite);
    EXPECT_EQ(d.Pixels(9, 6), clWhite);

    // Mirrored left to right: the source rectangle runs from x = 4 to x = 0.
    TBitmap m(4, 2);
    m.Canvas().CopyRect(Rect(0, 0, 4, 2), src.Canvas(), Rect(4, 0, 0, 2));
    EXPECT_EQ(m.Pixels(0, 0), clBlue);
    EXPECT_EQ(m.Pixels(3, 0), clBlack);
    EXPECT_EQ(m.Pixels(2, 0), clRed);
    EXPECT_EQ(m.Pixels(0, 1), clYellow);
    EXPECT_EQ(m.Pixels(3, 1), clLime);
    // Upside down.
    m.Canvas().CopyRect(Rect(0, 0, 4, 2), src.Canvas(), Rect(0, 2, 4, 0));
    EXPECT_EQ(m.Pixels(0, 1), clBlack);
    EXPECT_EQ(m.Pixels(0, 0), clLime);
    // Shrunk to one column per source pair.
    TBitmap n(2, 1);
    n.Canvas().CopyRect(Rect(0, 0, 2, 1), src.Canvas(), Rect(0, 0, 4, 2));
    EXPECT_EQ(n.Pixels(0, 0), clBlack);
    EXPECT_EQ(n.Pixels(1, 0), clBlue);
}

TEST(CanvasState, FocusRectIsItsOwnInverse)
{
    TBitmap b(12, 8);
    TCanvas& c = b.Canvas();
    c.DrawFocusRect(Rect(1, 1, 9, 6));
    EXPECT_EQ(b.Pixels(1, 1), clBlack);  // x + y even: inverted
    EXPECT_EQ(b.Pixels(2, 1), clWhite);  // odd: left
    EXPECT_EQ(b.Pixels(3, 1), clBlack);
    EXPECT_EQ(b.Pixels(8, 4), clBlack);  // right edge
    EXPECT_EQ(b.Pixels(3, 5), clBlack);  // bottom edge
    EXPECT_EQ(b.Pixels(9, 1), clWhite);  // outside
    EXPECT_EQ(b.Pixels(4, 3), clWhite);  // inside
    c.DrawFocusRect(Rect(1, 1, 9, 6));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(b.Pixels(x, y), clWhite) << x << "," << y;
}

TEST(CanvasState, FocusRectInvertsEvenOutlinePixelsUnderAnOriginAndAClip)
{
    struct Case {
        int ox, oy;
        TRect r, clip;
    };
    const Case cases[] = {
        {0, 0, Rect(2, 3, 25, 17), Rect(0, 0, 30, 20)},
        {3, 2, Rect(2, 3, 25, 17), Rect(0, 0, 30, 20)},
        {1, 0, Rect(-1, 1, 20, 12), Rect(4, 0, 15, 9)},   // odd shift, clipped on three sides
        {0, 1, Rect(5, 4, 6, 15), Rect(0, 0, 30, 20)},    // one pixel wide
        {2, 1, Rect(3, 7, 22, 8), Rect(0, 0, 30, 20)},    // one pixel high
        {0, 0, Rect(4, 4, 6, 6), Rect(0, 0, 30, 20)},     // 2 x 2
        {0, 0, Rect(4, 4, 20, 15), Rect(8, 7, 12, 11)},   // clip inside: no outline shows
    };
    auto ground = [](int x, int y) { return RGB(x * 8, y * 12, (x * y * 5) & 255); };
    for (const Case& k : cases) {
        TBitmap b(30, 20);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                b.SetPixels(x, y, ground(x, y));
        TCanvas& c = b.Canvas();
        cairo_translate(GetDCCairo(c.Handle()), k.ox, k.oy);
        c.IntersectClipRect(k.clip);
        c.DrawFocusRect(k.r);
        for (int dy = 0; dy < 20; ++dy)
            for (int dx = 0; dx < 30; ++dx) {
                int x = dx - k.ox, y = dy - k.oy;
                bool outline = x >= k.r.Left && x < k.r.Right && y >= k.r.Top && y < k.r.Bottom &&
                               (x == k.r.Left || x == k.r.Right - 1 || y == k.r.Top || y == k.r.Bottom - 1);
                bool clipped = x < k.clip.Left || x >= k.clip.Right || y < k.clip.Top || y >= k.clip.Bottom;
                TColor g = ground(dx, dy);
                TColor want = outline && !clipped && ((x + y) & 1) == 0
                                  ? RGB(255 - GetRValue(g), 255 - GetGValue(g), 255 - GetBValue(g))
                                  : g;
                ASSERT_EQ(b.Pixels(dx, dy), want) << "origin " << k.ox << "," << k.oy << " at " << dx << "," << dy;
            }
    }
}

TEST(CanvasShapes, FarCoordinatesDrawOnlyWhatShows)
{
    TBitmap b(40, 30);
    TCanvas& c = b.Canvas();
    c.Pen().SetColor(clBlue);
    c.MoveTo(-2000000000, 20);
    c.LineTo(2000000000, 20);
    EXPECT_EQ(b.Pixels(0, 20), clBlue);
    EXPECT_EQ(b.Pixels(39, 20), clBlue);
    c.Pen().SetStyle(psDot);
    c.MoveTo(0, 0);
    c.LineTo(2000000000, 1000000000);
    EXPECT_EQ(b.Pixels(0, 0), clBlue);
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(-2000000000, 25, 2000000000, 2000000000));
    EXPECT_EQ(b.Pixels(0, 25), clRed);
    EXPECT_EQ(b.Pixels(39, 29), clRed);
    EXPECT_EQ(b.Pixels(39, 24), clWhite);
    c.DrawFocusRect(Rect(-2000000000, 5, 2000000000, 2000000000));
    EXPECT_EQ(b.Pixels(1, 5), clBlack);  // 1 + 5 even: inverted white
    EXPECT_EQ(b.Pixels(2, 5), clWhite);
}

TEST(CanvasState, SaveRestoreClipAndLock)
{
    TBitmap b(20, 20);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clRed);
    int saved = c.SaveDC();
    EXPECT_EQ(saved, 1);
    c.Brush().SetColor(clBlue);
    SetBkMode(c.Handle(), TRANSPARENT);
    c.IntersectClipRect(Rect(5, 5, 10, 10));
    EXPECT_EQ(c.ClipRect(), Rect(5, 5, 10, 10));
    c.FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(b.Pixels(5, 5), clBlue);
    EXPECT_EQ(b.Pixels(10, 9), clWhite);
    EXPECT_TRUE(c.RestoreDC(saved));
    EXPECT_EQ(c.Brush().Color(), clRed);
    EXPECT_EQ(GetBkMode(c.Handle()), OPAQUE);
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 20, 20));
    EXPECT_FALSE(c.RestoreDC(-1)); // nothing left to restore

    c.Lock();
    c.Lock();
    EXPECT_EQ(c.LockCount(), 2);
    c.Unlock();
    c.Unlock();
    c.Unlock();
    EXPECT_EQ(c.LockCount(), 0);

    // Without a device context a canvas measures but refuses to draw.
    TCanvas bare;
    try {
        bare.FillRect(Rect(0, 0, 1, 1));
        FAIL();
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Message(), "Canvas does not allow drawing");
    }
    // Attaching the bitmap's context lets it draw there; detaching ends that.
    bare.SetHandle(c.Handle());
    bare.Brush().SetColor(clGreen);
    bare.FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(b.Pixels(0, 0), clGreen);
    bare.SetHandle(nullptr);
    EXPECT_FALSE(bare.HandleAllocated());
}

// ---- BMP files written here byte by byte ----

void Put16(std::vector<unsigned char>& v, std::size_t at, std::uint32_t x) { v[at] = x & 0xFF; v[at + 1] = (x >> 8) & 0xFF; }
void Put32(std::vector<unsigned char>& v, std::size_t at, std::uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = (x >> (8 * i)) & 0xFF;
}

// A BMP of w x h pixels; Pixel(x, y) gives a palette index (bpp <= 8) or a TColor (24 bits),
// y counted from the top.
template <class F>
std::vector<unsigned char> MakeBMP(int w, int h, int bpp, const std::vector<TColor>& palette, F Pixel, bool topDown = false)
{
    std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
    std::size_t off = 14 + 40 + palette.size() * 4;
    std::vector<unsigned char> v(off + stride * h, 0);
    v[0] = 'B';
    v[1] = 'M';
    Put32(v, 2, std::uint32_t(v.size()));
    Put32(v, 10, std::uint32_t(off));
    Put32(v, 14, 40);
    Put32(v, 18, std::uint32_t(w));
    Put32(v, 22, std::uint32_t(topDown ? -h : h));
    Put16(v, 26, 1);
    Put16(v, 28, std::uint32_t(bpp));
    Put32(v, 46, std::uint32_t(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        v[54 + i * 4] = GetBValue(palette[i]);
        v[54 + i * 4 + 1] = GetGValue(palette[i]);
        v[54 + i * 4 + 2] = GetRValue(palette[i]);
    }
    for (int y = 0; y < h; ++y) {
        unsigned char* row = v.data() + off + stride * (topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = Pixel(x, y);
            if (bpp == 4)
                row[x / 2] |= (x % 2 == 0) ? (p << 4) : p;
            else if (bpp == 8)
                row[x] = p;
            else {
                row[x * 3] = GetBValue(p);
                row[x * 3 + 1] = GetGValue(p);
                row[x * 3 + 2] = GetRValue(p);
            }
        }
    }
    return v;
}

TEST(BitmapBMP, FourBitAndTwentyFourBit)
{
    std::vector<TColor> pal = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                               clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
    // 5 pixels wide: odd width, rows padded to 4 bytes.
    auto four = MakeBMP(5, 3, 4, pal, [](int x, int y) { return std::uint32_t((x + 5 * y) % 16); });
    TBitmap b;
    b.LoadFromBMP(four);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Pixels(0, 0), clBlack);
    EXPECT_EQ(b.Pixels(1, 0), clMaroon);
    EXPECT_EQ(b.Pixels(4, 0), clNavy);
    EXPECT_EQ(b.Pixels(0, 1), clPurple);
    EXPECT_EQ(b.Pixels(4, 2), clAqua);
    EXPECT_EQ(b.Pixels(5, 2), CLR_INVALID);

    auto rgb = MakeBMP(3, 2, 24, {}, [](int x, int y) { return y == 0 ? RGB(10 * x, 20, 30) : RGB(1, 2, 3 + x); });
    b.LoadFromBMP(rgb);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Pixels(2, 0), RGB(20, 20, 30));
    EXPECT_EQ(b.Pixels(2, 1), RGB(1, 2, 5));
    // Top-down rows, 8 bits.
    auto down = MakeBMP(2, 2, 8, {clRed, clBlue}, [](int x, int y) { return std::uint32_t(y); }, true);
    b.LoadFromBMP(down);
    EXPECT_EQ(b.Pixels(0, 0), clRed);
    EXPECT_EQ(b.Pixels(1, 1), clBlue);
}

TEST(BitmapBMP, MalformedDataIsRefusedAndLosesNothing)
{
    auto good = MakeBMP(4, 4, 24, {}, [](int, int) { return clRed; });
    TBitmap b;
    b.LoadFromBMP(good);
    auto refused = [&](std::vector<unsigned char> data, const std::string& message) {
        try {
            b.LoadFromBMP(data);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_EQ(b.Width(), 4);
        EXPECT_EQ(b.Pixels(3, 3), clRed);
    };
    auto truncated = good;
    truncated.resize(good.size() - 1);
    refused(truncated, "Bitmap image is not valid: the pixel data is truncated");
    refused(std::vector<unsigned char>(good.begin(), good.begin() + 20), "Bitmap image is not valid: the data ends inside its header");
    refused({'B', 'X', 0, 0}, "Bitmap image is not valid: the data does not start with a bitmap file header");
    auto huge = good;
    Put32(huge, 18, 0x7FFFFFFF);
    refused(huge, "Bitmap image is not valid: size 2147483647 x 4");
    auto rle = good;
    Put32(rle, 30, 1);
    refused(rle, "Bitmap image is not valid: compressed bitmaps are not supported");
    auto badIndex = MakeBMP(2, 1, 4, {clRed, clBlue}, [](int x, int) { return std::uint32_t(x * 7); });
    refused(badIndex, "Bitmap image is not valid: colour index 7 lies outside the palette");
    auto shortPalette = MakeBMP(2, 1, 8, {clRed, clBlue}, [](int, int) { return 0u; });
    Put32(shortPalette, 46, 300);
    refused(shortPalette, "Bitmap image is not valid: palette of 300 colours for 8 bits per pixel");
}

TEST(BitmapDraw, TransparentGlyphAndResize)
{
    // A glyph on a fuchsia background: the bottom-left pixel names the transparent colour.
    TBitmap g(3, 3);
    g.Canvas().Brush().SetColor(clFuchsia);
    g.Canvas().FillRect(Rect(0, 0, 3, 3));
    g.SetPixels(1, 1, clNavy);
    TBitmap d(6, 6);
    d.Canvas().Brush().SetColor(clSilver);
    d.Canvas().FillRect(Rect(0, 0, 6, 6));
    d.Canvas().Draw(2, 2, g);
    EXPECT_EQ(d.Pixels(2, 2), clFuchsia);
    g.SetTransparent(true);
    EXPECT_EQ(g.TransparentColor(), clFuchsia);
    d.Canvas().FillRect(Rect(0, 0, 6, 6));
    d.Canvas().Draw(2, 2, g);
    EXPECT_EQ(d.Pixels(2, 2), clSilver);
    EXPECT_EQ(d.Pixels(3, 3), clNavy);
    d.Canvas().StretchDraw(Rect(0, 0, 6, 6), g);
    EXPECT_EQ(d.Pixels(2, 2), clNavy);
    EXPECT_EQ(d.Pixels(3, 3), clNavy);
    EXPECT_EQ(d.Pixels(1, 1), clSilver);

    // Growing keeps the old pixels and adds white ones; the canvas follows the new image.
    int changes = 0;
    g.OnChange = [&](TObject*) { ++changes; };
    g.SetSize(5, 4);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(g.Pixels(1, 1), clNavy);
    EXPECT_EQ(g.Pixels(4, 3), clWhite);
    g.Canvas().Brush().SetColor(clGreen);
    g.Canvas().FillRect(Rect(4, 3, 5, 4));
    EXPECT_EQ(g.Pixels(4, 3), clGreen);
}

} // namespace
