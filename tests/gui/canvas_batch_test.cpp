// Batched fills and lines must draw what the single calls they stand for draw, and leave
// the canvas as those leave it; ellipses written again from kept pixels must equal what
// Cairo draws for them, wherever they land.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "tests/gui/CairoView.h"

using namespace korin;

namespace {

constexpr int W = 48, H = 40;

std::unique_ptr<TBitmap> Ground(bool Uniform)
{
    auto b = std::make_unique<TBitmap>(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            b->SetPixels(x, y, Uniform ? clBtnFace : RGB(x * 5, y * 6, (x * y * 3) & 255));
    return b;
}

void ExpectSameRaw(TBitmap& got, TBitmap& want, const std::string& what)
{
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(RawPixel(got.Surface(), x, y), RawPixel(want.Surface(), x, y)) << what << " at " << x << "," << y;
}

// The colour of cr's source (a solid one), as 0xRRGGBB.
std::uint32_t SourceRGB(cairo_t* cr)
{
    double r = -1, g = -1, b = -1, a = -1;
    cairo_pattern_get_rgba(cairo_get_source(cr), &r, &g, &b, &a);
    return (std::uint32_t(r * 255 + 0.5) << 16) | (std::uint32_t(g * 255 + 0.5) << 8) | std::uint32_t(b * 255 + 0.5);
}

std::vector<TDrawState> States()
{
    return {
        {"no clip", [](cairo_t*) {}},
        {"clip and origin",
         [](cairo_t* cr) {
             cairo_translate(cr, 3, -2);
             cairo_rectangle(cr, 2, 4, 30, 25);
             cairo_clip(cr);
         }},
        {"clip of two pieces",
         [](cairo_t* cr) {
             cairo_rectangle(cr, 0, 0, 14, 12);
             cairo_rectangle(cr, 20, 8, 20, 25);
             cairo_clip(cr);
         }},
        {"fractional origin", [](cairo_t* cr) { cairo_translate(cr, 0.75, 0.25); }},
        {"scaled", [](cairo_t* cr) { cairo_scale(cr, 1, 2); }},
        // Overlapping pieces filled by Cairo in one path would lose their overlap here.
        {"even-odd rule, scaled",
         [](cairo_t* cr) {
             cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
             cairo_scale(cr, 2, 1);
         }},
        {"difference operator", [](cairo_t* cr) { cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE); }},
    };
}

TEST(CanvasBatch, FillRectsDrawsWhatFillRectDrawsPieceByPiece)
{
    const std::vector<TColorRect> pieces = {
        {Rect(2, 3, 30, 20), clBtnFace},     {Rect(10, 10, 40, 35), RGB(1, 127, 254)},  // overlapping
        {Rect(35, 30, 20, 15), clNavy},      // backwards
        {Rect(5, 5, 5, 20), clRed},          // empty
        {Rect(-4, -4, 3, 50), clBtnShadow},  // beyond the image
        {Rect(12, 12, 13, 13), clWhite},
    };
    for (const TDrawState& s : States()) {
        auto got = Ground(false), want = Ground(false);
        for (TBitmap* b : {got.get(), want.get()}) {
            s.Apply(GetDCCairo(b->Canvas().Handle()));
            b->Canvas().Brush().SetColor(clLime);
            b->Canvas().Brush().SetStyle(bsClear);
        }
        got->Canvas().FillRects(pieces.data(), pieces.size());
        for (const TColorRect& p : pieces) {
            want->Canvas().Brush().SetColor(p.Color);
            want->Canvas().FillRect(p.Rect);
        }
        ExpectSameRaw(*got, *want, s.Name);
        // The brush is left alone; Cairo's source is the last colour, as after FillRect.
        EXPECT_EQ(got->Canvas().Brush().Color(), clLime);
        EXPECT_EQ(got->Canvas().Brush().Style(), bsClear);
        EXPECT_EQ(SourceRGB(GetDCCairo(got->Canvas().Handle())), 0xFFFFFFu) << s.Name;
    }
}

TEST(CanvasBatch, LineSegmentsDrawWhatMoveToAndLineToDraw)
{
    struct TCase {
        std::string Name;
        std::vector<TPoint> Points;
    };
    const std::vector<TCase> cases = {
        // A grid cell's right and bottom lines: they share the corner pixel.
        {"cell lines", {{20, 4}, {20, 31}, {3, 30}, {21, 30}}},
        {"backwards", {{40, 10}, {5, 10}, {8, 38}, {8, 2}}},
        {"one point, then a line", {{9, 9}, {9, 9}, {2, 15}, {44, 15}}},
        {"a diagonal among them", {{1, 1}, {1, 30}, {2, 2}, {30, 25}, {30, 3}, {45, 3}}},
        {"beyond the image", {{-10, 20}, {60, 20}, {24, -5}, {24, 70}}},
    };
    struct TPenCase {
        std::string Name;
        TPenStyle Style;
        int Width;
    };
    const std::vector<TPenCase> pens = {{"solid", psSolid, 1}, {"dotted", psDot, 1}, {"wide", psSolid, 3}, {"clear", psClear, 1}};
    for (const TDrawState& s : States())
        for (const TPenCase& pen : pens)
            for (const TCase& k : cases) {
                std::string what = s.Name + ", " + pen.Name + ", " + k.Name;
                auto got = Ground(false), want = Ground(false);
                for (TBitmap* b : {got.get(), want.get()}) {
                    s.Apply(GetDCCairo(b->Canvas().Handle()));
                    b->Canvas().Pen().SetColor(clMaroon);
                    b->Canvas().Pen().SetStyle(pen.Style);
                    b->Canvas().Pen().SetWidth(pen.Width);
                    // Something else drawn before, so the source colour is another.
                    b->Canvas().Brush().SetColor(clYellow);
                    b->Canvas().FillRect(Rect(0, 0, 2, 2));
                }
                got->Canvas().LineSegments(k.Points.data(), k.Points.size() / 2);
                for (std::size_t i = 0; i + 1 < k.Points.size(); i += 2) {
                    want->Canvas().MoveTo(k.Points[i].x, k.Points[i].y);
                    want->Canvas().LineTo(k.Points[i + 1].x, k.Points[i + 1].y);
                }
                ExpectSameRaw(*got, *want, what);
                EXPECT_EQ(got->Canvas().PenPos().x, k.Points.back().x) << what;
                EXPECT_EQ(got->Canvas().PenPos().y, k.Points.back().y) << what;
                EXPECT_EQ(SourceRGB(GetDCCairo(got->Canvas().Handle())), SourceRGB(GetDCCairo(want->Canvas().Handle())))
                    << what;
            }
    // No lines: nothing drawn, the pen stays.
    auto b = Ground(true);
    b->Canvas().MoveTo(3, 4);
    b->Canvas().LineSegments(nullptr, 0);
    EXPECT_EQ(b->Canvas().PenPos().x, 3);
    EXPECT_EQ(b->Canvas().PenPos().y, 4);
}

// Edges, drawn in one batch per frame: top and left in the light colour, then bottom and
// right in the dark one, which so owns the top-right and bottom-left corners; the brush is
// as it was before.
TEST(CanvasBatch, EdgesKeepTheirCornersAndTheBrush)
{
    TBitmap b(W, H);
    b.Canvas().Brush().SetColor(clLime);
    b.Canvas().Brush().SetStyle(bsClear);
    TRect r = Rect(4, 5, 20, 15);
    DrawEdge(b.Canvas(), r, BDR_RAISEDOUTER, BF_RECT);
    EXPECT_EQ(b.Pixels(4, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(b.Pixels(10, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(b.Pixels(4, 10), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(b.Pixels(19, 5), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(b.Pixels(4, 14), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(b.Pixels(19, 14), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(b.Pixels(5, 6), clWhite);
    EXPECT_EQ(b.Canvas().Brush().Color(), clLime);
    EXPECT_EQ(b.Canvas().Brush().Style(), bsClear);
    // Only the top and left sides.
    TRect t = Rect(24, 5, 40, 15);
    DrawEdge(b.Canvas(), t, BDR_RAISEDOUTER, BF_TOP | BF_LEFT);
    EXPECT_EQ(b.Pixels(39, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(b.Pixels(24, 14), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(b.Pixels(39, 14), clWhite);
}

// Radio marks and dots: the first drawing of each kind is Cairo's, later ones may be
// written from kept pixels. Every one must equal the same ellipse drawn through a view of
// the same pixels, where Cairo has to draw it, raw pixels compared; the context is left
// with the same colour and line width.
TEST(CanvasEllipse, KeptEllipsesEqualCairosWhereverTheyLand)
{
    struct TShape {
        int W, H, PenWidth;
        TColor Brush, Pen;
        bool Clear;
    };
    const std::vector<TShape> shapes = {{12, 12, 1, clWindow, clBtnShadow, false}, {6, 6, 1, clWindowText, clWindowText, false},
                                        {13, 9, 2, clYellow, clNavy, false},      {10, 11, 1, clRed, clGreen, true},
                                        {1, 1, 1, clRed, clBlue, false}};
    const std::vector<TPoint> places = {{0, 0}, {5, 3}, {17, 22}, {30, 1}, {1, 27}, {35, 28}, {40, 33}, {-3, 4}, {44, 20}};
    const std::vector<TDrawState> states = {
        {"no clip", [](cairo_t*) {}},
        {"origin", [](cairo_t* cr) { cairo_translate(cr, 3, 2); }},
        {"clip cutting some", [](cairo_t* cr) { cairo_rectangle(cr, 2, 2, 38, 30); cairo_clip(cr); }},
        {"fractional origin", [](cairo_t* cr) { cairo_translate(cr, 0.5, 0.25); }},
    };
    for (bool uniform : {true, false})
        for (const TDrawState& s : states)
            for (const TShape& e : shapes) {
                auto got = Ground(uniform), want = Ground(uniform);
                TCanvas& c = got->Canvas();
                auto view = std::make_unique<TCairoView>(*want);
                cairo_t* ref = view->Cr();
                TCanvas& rc = view->Canvas();
                s.Apply(GetDCCairo(c.Handle()));
                s.Apply(ref);
                for (TCanvas* k : {&c, &rc}) {
                    k->Brush().SetColor(e.Brush);
                    if (e.Clear)
                        k->Brush().SetStyle(bsClear);
                    k->Pen().SetColor(e.Pen);
                    k->Pen().SetWidth(e.PenWidth);
                }
                std::string what = s.Name + (uniform ? "" : ", patterned ground") + ", " + std::to_string(e.W) + "x" +
                                   std::to_string(e.H);
                // Twice in each place: the second finds the first's pixels kept.
                for (int round = 0; round < 2; ++round)
                    for (const TPoint& p : places) {
                        TRect r = Rect(p.x, p.y, p.x + e.W, p.y + e.H);
                        c.Ellipse(r);
                        rc.Ellipse(r);
                        EXPECT_EQ(SourceRGB(GetDCCairo(c.Handle())), SourceRGB(ref)) << what;
                        EXPECT_EQ(cairo_get_line_width(GetDCCairo(c.Handle())), cairo_get_line_width(ref)) << what;
                    }
                view.reset();
                ExpectSameRaw(*got, *want, what);
            }
}

// A mark kept on one ground is not written on another: the same mark on white, then on
// the button face, then on white again, each against Cairo.
TEST(CanvasEllipse, AMarkKeptOnOneGroundIsNotUsedOnAnother)
{
    auto draw = [](TCanvas& c) {
        for (TColor ground : {clWhite, clBtnFace, clWhite}) {
            c.Brush().SetColor(ground);
            c.FillRect(Rect(0, 0, W, H));
            c.Brush().SetColor(clWindow);
            c.Pen().SetColor(clBtnShadow);
            c.Ellipse(Rect(8, 8, 20, 20));
        }
    };
    auto got = Ground(true), want = Ground(true);
    draw(got->Canvas());
    {
        TCairoView view(*want);
        draw(view.Canvas());
    }
    ExpectSameRaw(*got, *want, "white again");
    EXPECT_EQ(got->Pixels(8, 8), clWhite);  // the corner of the box is outside the ellipse
    EXPECT_EQ(got->Pixels(14, 14), ColorToRGB(clWindow));
}

}  // namespace
