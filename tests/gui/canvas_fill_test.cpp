// Solid fills, frames and lines write their pixels straight into an image surface when the
// drawing state allows it; whatever the origin, clip, scale or operator, the pixels must be
// those Cairo's own fill gives.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Region.h"

using namespace korin;

namespace {

constexpr int W = 40, H = 30;

TColor Ground(int x, int y) { return RGB(x * 6, y * 8, (x * y * 5) & 255); }

std::unique_ptr<TBitmap> GroundBitmap()
{
    auto b = std::make_unique<TBitmap>(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            b->SetPixels(x, y, Ground(x, y));
    return b;
}

// One drawing state: set on the canvas's cairo context and, the same, on the reference's.
struct TState {
    std::string Name;
    std::function<void(cairo_t*)> Apply;
};

// One piece of drawing: done through the canvas, and the fills (a colour and pixel
// rectangles in user space, one cairo_fill each) that it stands for, done by Cairo for the
// reference.
struct TPiece {
    std::function<void(TCanvas&)> Draw;
    std::vector<std::pair<TColor, std::vector<TRect>>> Fills;
};

void CairoFill(cairo_t* cr, TColor c, const std::vector<TRect>& rects)
{
    c = ColorToRGB(c);
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_new_path(cr);
    for (const TRect& r : rects)
        cairo_rectangle(cr, r.Left, r.Top, r.Width(), r.Height());
    cairo_fill(cr);
}

void ExpectSamePixels(TBitmap& got, TBitmap& want, const std::string& what)
{
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(got.Pixels(x, y), want.Pixels(x, y)) << what << " at " << x << "," << y;
}

std::vector<TPiece> Pieces()
{
    const TColor face = clBtnFace, odd = RGB(1, 127, 254), other = RGB(128, 0, 255);
    std::vector<TPiece> p;
    p.push_back({[=](TCanvas& c) { c.Brush().SetColor(face); c.FillRect(Rect(2, 3, 30, 20)); },
                 {{face, {Rect(2, 3, 30, 20)}}}});
    // A rectangle given right to left, bottom to top is the same rectangle.
    p.push_back({[=](TCanvas& c) { c.Brush().SetColor(odd); c.FillRect(Rect(35, 25, 20, 10)); },
                 {{odd, {Rect(20, 10, 35, 25)}}}});
    p.push_back({[=](TCanvas& c) { c.Brush().SetColor(other); c.FrameRect(Rect(-3, 5, 14, 28)); },
                 {{other, {Rect(-3, 5, 14, 6), Rect(-3, 27, 14, 28), Rect(-3, 6, -2, 27), Rect(13, 6, 14, 27)}}}});
    p.push_back({[=](TCanvas& c) {
                     c.Brush().SetColor(clYellow);
                     c.Pen().SetColor(clNavy);
                     c.Rectangle(16, 1, 38, 9);
                 },
                 {{clYellow, {Rect(17, 2, 37, 8)}},
                  {clNavy, {Rect(16, 1, 38, 2), Rect(16, 8, 38, 9), Rect(16, 2, 17, 8), Rect(37, 2, 38, 8)}}}});
    // Lines: up to but without their end point, either way round.
    p.push_back({[=](TCanvas& c) {
                     c.Pen().SetColor(clMaroon);
                     c.MoveTo(1, 22);
                     c.LineTo(39, 22);
                     c.MoveTo(25, 29);
                     c.LineTo(25, 0);
                     c.MoveTo(4, 4);
                     c.LineTo(8, 8);
                 },
                 {{clMaroon, {Rect(1, 22, 39, 23)}},
                  {clMaroon, {Rect(25, 1, 26, 30)}},
                  {clMaroon, {Rect(4, 4, 5, 5), Rect(5, 5, 6, 6), Rect(6, 6, 7, 7), Rect(7, 7, 8, 8)}}}});
    p.push_back({[=](TCanvas& c) { c.SetPixel(0, 0, clLime); c.SetPixel(39, 29, clLime); c.SetPixel(-1, 3, clLime); },
                 {{clLime, {Rect(0, 0, 1, 1)}}, {clLime, {Rect(39, 29, 40, 30)}}, {clLime, {Rect(-1, 3, 0, 4)}}}});
    return p;
}

std::vector<TState> States()
{
    auto clipRect = [](cairo_t* cr, double x, double y, double w, double h) {
        cairo_new_path(cr);
        cairo_rectangle(cr, x, y, w, h);
        cairo_clip(cr);
    };
    return {
        {"no clip", [](cairo_t*) {}},
        {"clip", [=](cairo_t* cr) { clipRect(cr, 3, 2, 25, 21); }},
        {"origin", [](cairo_t* cr) { cairo_translate(cr, 3, 2); }},
        {"negative origin and clip",
         [=](cairo_t* cr) {
             cairo_translate(cr, -5, -4);
             clipRect(cr, 6, 5, 30, 30);
         }},
        {"clip of two pieces",
         [](cairo_t* cr) {
             cairo_translate(cr, 1, 2);
             cairo_new_path(cr);
             cairo_rectangle(cr, 0, 0, 12, 10);
             cairo_rectangle(cr, 20, 8, 15, 15);
             cairo_clip(cr);
         }},
        {"clip then origin",
         [=](cairo_t* cr) {
             clipRect(cr, 10, 4, 20, 20);
             cairo_translate(cr, 7, 3);
         }},
        {"fractional origin", [](cairo_t* cr) { cairo_translate(cr, 0.75, 0.25); }},
        {"fractional clip", [=](cairo_t* cr) { clipRect(cr, 4.75, 3, 20, 20.75); }},
        {"scaled", [](cairo_t* cr) { cairo_scale(cr, 2, 1); }},
        {"empty clip", [=](cairo_t* cr) { clipRect(cr, 5, 5, 0, 10); }},
        {"difference operator", [](cairo_t* cr) { cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE); }},
        {"source operator", [](cairo_t* cr) { cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE); }},
    };
}

TEST(CanvasFill, SolidDrawingGivesCairosPixelsUnderOriginsClipsAndOperators)
{
    for (const TState& s : States()) {
        // Each piece alone, then all of them in one go.
        std::vector<TPiece> pieces = Pieces();
        for (std::size_t i = 0; i <= pieces.size(); ++i) {
            auto got = GroundBitmap();
            auto want = GroundBitmap();
            TCanvas& c = got->Canvas();
            s.Apply(GetDCCairo(c.Handle()));
            cairo_t* ref = cairo_create(want->Surface());
            s.Apply(ref);
            for (std::size_t k = 0; k < pieces.size(); ++k) {
                if (i < pieces.size() && k != i)
                    continue;
                pieces[k].Draw(c);
                for (const auto& [colour, rects] : pieces[k].Fills)
                    CairoFill(ref, colour, rects);
            }
            cairo_destroy(ref);
            cairo_surface_mark_dirty(want->Surface());
            ExpectSamePixels(*got, *want, s.Name + (i < pieces.size() ? ", piece " + std::to_string(i) : ", all pieces"));
        }
    }
}

// The same drawing inside a pushed group (which Cairo paints back when popped) and straight
// on the image: a group is a surface of its own, placed elsewhere, so the pixels must come
// from Cairo there. Dotted lines and diagonals are here too.
TEST(CanvasFill, DrawingInsideAGroupEqualsDrawingOnTheImage)
{
    auto draw = [](TCanvas& c) {
        c.Brush().SetColor(clTeal);
        c.FillRect(Rect(3, 3, 33, 25));
        c.Pen().SetColor(clRed);
        c.MoveTo(0, 29);
        c.LineTo(39, 2);
        c.Pen().SetStyle(psDot);
        c.MoveTo(2, 10);
        c.LineTo(37, 10);
        c.Pen().SetStyle(psSolid);
        c.Brush().SetColor(clWhite);
        c.FrameRect(Rect(5, 5, 20, 20));
    };
    auto plain = GroundBitmap();
    auto grouped = GroundBitmap();
    for (TBitmap* b : {plain.get(), grouped.get()}) {
        cairo_t* cr = GetDCCairo(b->Canvas().Handle());
        cairo_translate(cr, 2, 1);
        b->Canvas().IntersectClipRect(Rect(1, 0, 35, 26));
    }
    draw(plain->Canvas());
    cairo_t* cr = GetDCCairo(grouped->Canvas().Handle());
    cairo_push_group(cr);
    draw(grouped->Canvas());
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    ExpectSamePixels(*grouped, *plain, "group");
    EXPECT_EQ(plain->Pixels(2 + 3, 1 + 3), clTeal);
    EXPECT_EQ(plain->Pixels(2 + 3 + 30, 1 + 3), Ground(35, 4));  // clipped
}

// Pixels written directly are seen by Cairo afterwards: a copy of the canvas, and a fill
// drawn by Cairo over them.
TEST(CanvasFill, CairoSeesPixelsWrittenDirectly)
{
    TBitmap b(W, H);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(0, 0, 10, 10));
    TBitmap copy(W, H);
    copy.Canvas().CopyRect(Rect(0, 0, W, H), c, Rect(0, 0, W, H));
    EXPECT_EQ(copy.Pixels(9, 9), clRed);
    EXPECT_EQ(copy.Pixels(10, 9), clWhite);
    cairo_t* cr = GetDCCairo(c.Handle());
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 5, 5, 10, 10);
    cairo_fill(cr);
    cairo_restore(cr);
    EXPECT_EQ(b.Pixels(5, 5), clAqua);  // white minus red
    EXPECT_EQ(b.Pixels(12, 12), clBlack);
}

// A focus outline inverts its pixels straight in the image when the drawing state allows
// it; the same outline drawn through a view of the same pixels (which Cairo has to draw
// on) must give the same raw pixels, alpha included, under every state. One ground has
// translucent pixels on the outlines' paths.
TEST(CanvasFill, FocusOutlineGivesCairosPixelsUnderOriginsAndClips)
{
    const std::vector<TRect> outlines = {Rect(1, 1, 9, 6),    Rect(3, 2, 38, 27),  Rect(0, 5, 39, 6),
                                         Rect(7, 0, 8, 30),   Rect(-3, -2, 45, 35), Rect(12, 11, 13, 12),
                                         Rect(20, 14, 11, 9)};
    auto raw = [](cairo_surface_t* s, int x, int y) {
        cairo_surface_flush(s);
        return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                      y * cairo_image_surface_get_stride(s))[x];
    };
    auto ground = [](bool translucent) {
        auto b = GroundBitmap();
        if (translucent) {
            cairo_surface_t* s = b->Surface();
            cairo_surface_flush(s);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    if ((x * 7 + y * 3) % 11 == 0)
                        reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                         y * cairo_image_surface_get_stride(s))[x] =
                            (x + y) % 2 ? 0x80402010u : 0u;
            cairo_surface_mark_dirty(s);
        }
        return b;
    };
    for (bool translucent : {false, true})
        for (const TState& s : States())
            for (std::size_t i = 0; i <= outlines.size(); ++i) {
                auto got = ground(translucent);
                auto want = ground(translucent);
                TCanvas& c = got->Canvas();
                s.Apply(GetDCCairo(c.Handle()));
                cairo_surface_t* view = cairo_surface_create_for_rectangle(want->Surface(), 0, 0, W, H);
                cairo_t* ref = cairo_create(view);
                HDC dc = CreateDC(ref);
                s.Apply(ref);
                for (std::size_t k = 0; k < outlines.size(); ++k)
                    if (i == outlines.size() || k == i) {
                        c.DrawFocusRect(outlines[k]);
                        DrawFocusRect(dc, outlines[k]);
                    }
                DeleteDC(dc);
                cairo_destroy(ref);
                cairo_surface_finish(view);
                cairo_surface_destroy(view);
                cairo_surface_mark_dirty(want->Surface());
                std::string what = s.Name + (translucent ? ", translucent ground" : "") +
                                   (i < outlines.size() ? ", outline " + std::to_string(i) : ", all outlines");
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x)
                        ASSERT_EQ(raw(got->Surface(), x, y), raw(want->Surface(), x, y)) << what << " at " << x << "," << y;
            }
}

}  // namespace
