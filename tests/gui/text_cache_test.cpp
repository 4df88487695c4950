// The text layout cache: text drawn from a warm cache has the pixels of text shaped afresh,
// a changed font is measured with the new font, layouts that DrawText changes (prefix
// underlines, ellipsis, wrapping) never reach other callers, and it stays bounded.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <string>
#include <thread>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/TextLayout.h"

using namespace korin;

namespace {

// Bytes of the bitmap's raster, row by row.
std::string Raster(const TBitmap& B)
{
    cairo_surface_t* s = B.Surface();
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    std::string out;
    for (int y = 0; y < B.Height(); ++y)
        out.append(reinterpret_cast<const char*>(data + std::size_t(y) * stride), std::size_t(B.Width()) * 4);
    return out;
}

// A mix of everything that goes through text layouts: plain, bold, underlined, a bigger
// font, right to left, clipped, opaque cells, DrawText centred and with a prefix.
std::string PaintSample()
{
    TBitmap b(320, 150);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(Rect(0, 0, 320, 150));
    c.TextOut(4, 2, "Record 12 of 200");
    c.Font().SetStyle(fsBold);
    c.TextOut(4, 18, "Kauai Dive Shoppe");
    c.Font().SetStyle(fsUnderline | fsItalic);
    c.Font().SetColor(clRed);
    c.TextOut(160, 18, "Kauai Dive Shoppe");
    c.Font().SetStyle(0);
    c.Font().SetColor(clWindowText);
    c.Font().SetHeight(-16);
    c.TextOut(4, 34, "Запись 12");
    c.Font().SetHeight(-11);
    c.SetTextFlags(ETO_RTLREADING);
    c.TextOut(160, 34, "שלום עולם");
    c.SetTextFlags(0);
    c.Brush().SetColor(clYellow);
    c.TextRect(Rect(4, 56, 60, 70), 4, 56, "clipped at sixty pixels", ETO_CLIPPED | ETO_OPAQUE);
    SetBkMode(c.Handle(), OPAQUE);
    c.TextOut(80, 56, "opaque cell");
    TRect r = Rect(4, 76, 316, 96);
    DrawText(c, "&Find next", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    r = Rect(4, 100, 80, 116);
    DrawText(c, "A long caption that ends early", r, DT_SINGLELINE | DT_END_ELLIPSIS);
    r = Rect(100, 100, 200, 148);
    DrawText(c, "words that wrap inside a narrow box", r, DT_WORDBREAK);
    return Raster(b);
}

TEST(TextCache, WarmCacheDrawsTheSamePixelsAsShapingAfresh)
{
    ClearTextCache();
    std::string cold = PaintSample();
    TTextCacheStats afterCold = TextCacheStats();
    EXPECT_GT(afterCold.Misses, 0u);
    std::string warm = PaintSample();
    TTextCacheStats afterWarm = TextCacheStats();
    EXPECT_EQ(afterWarm.Misses, afterCold.Misses);  // nothing shaped again
    EXPECT_GT(afterWarm.Hits, afterCold.Hits);
    EXPECT_TRUE(cold == warm);

    // Pushing every layout out of the cache and drawing again: still the same pixels.
    TCanvas m;
    for (int i = 0; i < 1100; ++i)
        m.TextWidth("filler " + std::to_string(i));
    EXPECT_EQ(TextCacheStats().Entries, 1024u);
    EXPECT_TRUE(PaintSample() == cold);
}

TEST(TextCache, AChangedFontIsMeasuredWithTheNewFont)
{
    ClearTextCache();
    TCanvas c;
    EXPECT_EQ(c.TextExtent("Hello"), (TSize{28, 13}));
    c.Font().SetHeight(-13);
    EXPECT_EQ(c.TextExtent("Hello"), (TSize{34, 16}));
    c.Font().SetStyle(fsBold);
    EXPECT_EQ(c.TextWidth("No more matches!"), 137);
    c.Font().SetStyle(0);
    c.Font().SetHeight(-11);
    EXPECT_EQ(c.TextExtent("Hello"), (TSize{28, 13}));
    EXPECT_EQ(TextCacheStats().Misses, 3u);  // Hello at -11, Hello at -13, the bold line
    // An unknown family shapes in the fallback font.
    c.Font().SetName("MS Sans Serif");
    EXPECT_EQ(c.TextWidth("No more matches!"), 102);
    // Colour is not part of a layout: a red text is the black one's layout.
    std::size_t misses = TextCacheStats().Misses;
    c.Font().SetName("DejaVu Sans");
    c.Font().SetColor(clRed);
    EXPECT_EQ(c.TextWidth("Hello"), 28);
    EXPECT_EQ(TextCacheStats().Misses, misses);

    // Underline and strike-out are part of the key: the underlined text draws its line.
    TBitmap plain(60, 16), under(60, 16);
    plain.Canvas().TextOut(0, 0, "Hello");
    under.Canvas().Font().SetStyle(fsUnderline);
    under.Canvas().TextOut(0, 0, "Hello");
    EXPECT_FALSE(Raster(plain) == Raster(under));
}

TEST(TextCache, LayoutsChangedByDrawTextStayPrivate)
{
    ClearTextCache();
    // Reference pictures of the plain texts, drawn before DrawText sees them.
    auto plain = [](const std::string& Text) {
        TBitmap b(200, 16);
        b.Canvas().TextOut(0, 0, Text);
        return Raster(b);
    };
    std::string file = plain("File"), longText = plain("A long caption that ends early");
    int fullWidth = TCanvas().TextWidth("A long caption that ends early");

    // DrawText underlines the prefixed F and cuts the long caption with an ellipsis …
    TBitmap b(200, 40);
    TRect r = Rect(0, 0, 200, 16);
    DrawText(b.Canvas(), "&File", r, DT_SINGLELINE);
    r = Rect(0, 20, 60, 36);
    DrawText(b.Canvas(), "A long caption that ends early", r, DT_SINGLELINE | DT_END_ELLIPSIS);
    r = Rect(0, 0, 40, 40);
    DrawText(b.Canvas(), "A long caption that ends early", r, DT_WORDBREAK);
    // … and the same texts drawn plainly afterwards are neither underlined nor cut.
    EXPECT_TRUE(plain("File") == file);
    EXPECT_TRUE(plain("A long caption that ends early") == longText);
    EXPECT_EQ(TCanvas().TextWidth("A long caption that ends early"), fullWidth);
    // A calculated rectangle of a wrapped text is not taken for a single line either.
    r = Rect(0, 0, 40, 0);
    DrawText(b.Canvas(), "A long caption that ends early", r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GT(r.Height(), 13);
}

TEST(TextCache, LongTextsAndOtherThreadsStayOut)
{
    ClearTextCache();
    TCanvas c;
    std::string memo(300, 'x');
    int w = c.TextWidth(memo);
    EXPECT_EQ(c.TextWidth(memo), w);
    EXPECT_EQ(TextCacheStats().Entries, 0u);  // long texts are laid out each time
    c.TextWidth("short");
    // A thread measuring text has a cache of its own.
    std::size_t otherEntries = 99;
    std::thread t([&] {
        TCanvas o;
        o.TextWidth("another thread");
        o.TextWidth("another thread");
        otherEntries = TextCacheStats().Entries;
    });
    t.join();
    EXPECT_EQ(otherEntries, 1u);
    EXPECT_EQ(TextCacheStats().Entries, 1u);
    EXPECT_EQ(TextCacheStats().Hits, 0u);
}

}  // namespace
