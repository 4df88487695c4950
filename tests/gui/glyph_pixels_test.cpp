// Text written straight into an image's pixels must be exactly what Pango and Cairo draw:
// the same text drawn through a view of the same pixels (where Cairo has to draw it) is
// the reference, raw pixels compared, alpha included, for many texts, fonts, places,
// origins and clips.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/TextLayout.h"
#include "tests/gui/CairoView.h"

using namespace korin;

namespace {

constexpr int W = 260, H = 120;

// A patterned ground, some of it translucent, so blending shows in every channel.
std::unique_ptr<TBitmap> Ground(bool Translucent)
{
    auto b = std::make_unique<TBitmap>(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            b->SetPixels(x, y, (x / 7 + y / 5) % 3 ? RGB(240, 240, 240) : RGB(x % 256, (y * 3) % 256, 90));
    if (Translucent) {
        cairo_surface_t* s = b->Surface();
        cairo_surface_flush(s);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if ((x + 2 * y) % 5 == 0)
                    reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x] =
                        (x + y) % 2 ? 0x80402010u : 0u;
        cairo_surface_mark_dirty(s);
    }
    return b;
}

struct TFontCase {
    std::string Name;
    std::function<void(TFont&)> Set;
};

// Draws the same thing on an image canvas and, through a view of an identical image, on
// a canvas Cairo has to draw for; the two images must be equal to the bit.
void ExpectSameAsCairo(const std::string& What, bool Translucent, const TDrawState& State,
                       const std::function<void(TCanvas&)>& Draw)
{
    auto got = Ground(Translucent), want = Ground(Translucent);
    {
        TCairoView view(*want);
        State.Apply(GetDCCairo(got->Canvas().Handle()));
        State.Apply(view.Cr());
        Draw(got->Canvas());
        Draw(view.Canvas());
    }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(RawPixel(got->Surface(), x, y), RawPixel(want->Surface(), x, y)) << What << " at " << x << "," << y;
}

const std::vector<std::string>& Texts()
{
    static const std::vector<std::string> texts = {
        "",
        "Kauai Dive Shoppe",
        "1,234.56",
        "7",
        "AVAV Tyyy ffi fj WAVE LTA",          // kerning pairs whose ink boxes meet
        "e\xCC\x81 a\xCC\x8A\xCC\x81 n\xCC\x83",  // combining accents over their letters
        "\xD0\x97\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD1\x8C 12",  // Cyrillic
        "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abc",  // Hebrew and Latin
        "tab\there and a line\nbreak",
        "\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80",  // CJK and an emoji: other fonts or boxes
        std::string(300, 'W') + " long",
    };
    return texts;
}

std::vector<TFontCase> Fonts()
{
    return {
        {"default", [](TFont&) {}},
        {"bold 13px", [](TFont& f) { f.SetStyle(fsBold); f.SetHeight(-13); }},
        {"italic", [](TFont& f) { f.SetStyle(fsItalic); }},
        {"bold italic 20px", [](TFont& f) { f.SetStyle(fsBold | fsItalic); f.SetHeight(-20); }},
        {"8px", [](TFont& f) { f.SetHeight(-8); }},
        {"underlined", [](TFont& f) { f.SetStyle(fsUnderline); }},
        {"serif", [](TFont& f) { f.SetName("DejaVu Serif"); f.SetHeight(-15); }},
    };
}

TEST(GlyphPixels, TextEqualsCairosForTextsFontsAndPlaces)
{
    const TDrawState plain{"no clip", [](cairo_t*) {}};
    const std::vector<TPoint> places = {{2, 3}, {-7, 40}, {200, 100}, {250, 60}, {120, -6}};
    for (const TFontCase& f : Fonts())
        for (std::size_t i = 0; i < Texts().size(); ++i)
            for (bool translucent : {false, true})
                ExpectSameAsCairo(f.Name + ", text " + std::to_string(i) + (translucent ? ", translucent" : ""), translucent,
                                  plain, [&](TCanvas& c) {
                                      f.Set(c.Font());
                                      c.Font().SetColor(i % 2 ? clNavy : RGB(200, 30, 120));
                                      SetBkMode(c.Handle(), TRANSPARENT);
                                      for (const TPoint& p : places)
                                          c.TextOut(p.x, p.y, Texts()[i]);
                                  });
}

TEST(GlyphPixels, TextEqualsCairosUnderOriginsClipsAndRightToLeft)
{
    const std::vector<TDrawState> states = {
        {"origin", [](cairo_t* cr) { cairo_translate(cr, 5, 7); }},
        {"negative origin", [](cairo_t* cr) { cairo_translate(cr, -9, -4); }},
        {"clip of two pieces",
         [](cairo_t* cr) {
             cairo_rectangle(cr, 10, 5, 60, 40);
             cairo_rectangle(cr, 100, 50, 90, 30);
             cairo_clip(cr);
         }},
        {"fractional origin", [](cairo_t* cr) { cairo_translate(cr, 0.5, 0.25); }},
        {"scaled", [](cairo_t* cr) { cairo_scale(cr, 1.5, 1); }},
        {"empty clip", [](cairo_t* cr) { cairo_rectangle(cr, 3, 3, 0, 5); cairo_clip(cr); }},
    };
    for (const TDrawState& s : states)
        for (bool rtl : {false, true})
            for (std::size_t i = 0; i < Texts().size(); ++i)
                ExpectSameAsCairo(s.Name + (rtl ? ", right to left" : "") + ", text " + std::to_string(i), false, s,
                                  [&](TCanvas& c) {
                                      if (rtl)
                                          c.SetTextFlags(ETO_RTLREADING);
                                      c.Font().SetColor(clBlack);
                                      c.Brush().SetColor(clYellow);
                                      // Opaque cells, clipped cells cutting glyphs in two, plain text.
                                      c.TextOut(4, 4, Texts()[i]);
                                      c.TextRect(Rect(20, 30, 75, 44), 12, 31, Texts()[i], ETO_CLIPPED);
                                      c.TextRect(Rect(110, 55, 180, 70), 110, 56, Texts()[i], ETO_CLIPPED | ETO_OPAQUE);
                                      SetBkMode(c.Handle(), TRANSPARENT);
                                      c.Font().SetColor(clWhite);
                                      c.TextOut(60, 85, Texts()[i]);
                                  });
}

// More glyphs than are kept at once (the printable ASCII set in fifty sizes, each size a
// font of its own): the coverages are dropped between drawings and taken again, and every
// drawing still equals Cairo's.
TEST(GlyphPixels, TextStaysExactPastTheKeptGlyphs)
{
    std::string ascii;
    for (char ch = 0x21; ch < 0x7F; ++ch)
        ascii += ch;
    const TDrawState plain{"no clip", [](cairo_t*) {}};
    for (int size = 6; size < 56; ++size)
        ExpectSameAsCairo(std::to_string(size) + "px", false, plain, [&](TCanvas& c) {
            c.Font().SetHeight(-size);
            SetBkMode(c.Handle(), TRANSPARENT);
            for (int part = 0; part < 4; ++part)
                c.TextOut(2, part * (H / 4), ascii.substr(std::size_t(part) * 24, 24));
        });
}

// Text laid out in lines by DrawText (wrapped, centred, right-aligned, ellipsized, with a
// prefix underline, right to left), each line drawn on its own, equals Cairo's.
TEST(GlyphPixels, DrawTextLinesEqualCairos)
{
    struct TCase {
        std::string Text;
        unsigned Flags;
    };
    const std::vector<TCase> cases = {
        {"Customer asked for an invoice by mail. Urgent: club trip next week.", DT_WORDBREAK},
        {"Shipped", DT_SINGLELINE | DT_VCENTER | DT_CENTER},
        {"4,346.90", DT_SINGLELINE | DT_RIGHT},
        {"&Find next", DT_SINGLELINE | DT_VCENTER},
        {"a long caption that does not fit in its box at all", DT_SINGLELINE | DT_END_ELLIPSIS},
        {"two\nlines and \xD0\x97\xD0\xB0\xD0\xBF\xD0\xB8\xD1\x81\xD1\x8C", DT_NOPREFIX},
        {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abc", DT_SINGLELINE | DT_RTLREADING},
    };
    const std::vector<TDrawState> states = {
        {"no clip", [](cairo_t*) {}},
        {"origin and clip",
         [](cairo_t* cr) {
             cairo_translate(cr, 3, 4);
             cairo_rectangle(cr, 10, 0, 150, 90);
             cairo_clip(cr);
         }},
    };
    for (const TDrawState& s : states)
        for (std::size_t i = 0; i < cases.size(); ++i)
            for (bool opaque : {false, true})
                ExpectSameAsCairo(s.Name + ", case " + std::to_string(i) + (opaque ? ", opaque" : ""), false, s,
                                  [&](TCanvas& c) {
                                      c.Font().SetColor(RGB(20, 60, 160));
                                      c.Brush().SetColor(clInfoBk);
                                      SetBkMode(c.Handle(), opaque ? OPAQUE : TRANSPARENT);
                                      TRect r = Rect(5, 6, 185, 70);
                                      DrawText(c, cases[i].Text, r, cases[i].Flags);
                                      TRect narrow = Rect(190, 20, 250, 110);
                                      DrawText(c, cases[i].Text, narrow, cases[i].Flags | DT_WORDBREAK);
                                  });
}

}  // namespace

// The direct path checks itself once against Cairo before any text goes through it; with
// the Cairo and pixman the tests run on it must agree, or text quietly loses its fast path.
TEST(GlyphPixels, DirectTextAgreesWithThisCairo)
{
    EXPECT_TRUE(DirectTextMatchesCairo());
}
