#include <gtest/gtest.h>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Render.h"
#include "tests/support/AppFixture.h"

using namespace korin;

namespace {

class Render : public AppTest {};

// A graphic control that fills itself, to see where children land.
class TSwatch : public TGraphicControl {
public:
    TSwatch(TComponent* o, TWinControl* p, TColor c) : TGraphicControl(o) { SetParent(p); SetColor(c); }

protected:
    void Paint() override
    {
        Canvas()->Brush().SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};

TEST_F(Render, ChildrenPaintTranslatedAndClippedWithWindowRegions)
{
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 60, 40);
    form->SetColor(clWhite);
    auto* panel = new TWinControl(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(10, 5, 30, 20);
    panel->SetColor(clBlue);
    // A swatch that sticks out of the panel is cut at the panel's edge.
    auto* sw = new TSwatch(form.get(), panel, clRed);
    sw->SetBounds(20, 10, 30, 30);
    auto bmp = RenderWindow(form.get());
    EXPECT_EQ(bmp->Pixels(9, 5), clWhite);
    EXPECT_EQ(bmp->Pixels(10, 5), clBlue);
    EXPECT_EQ(bmp->Pixels(29, 14), clBlue);
    EXPECT_EQ(bmp->Pixels(30, 15), clRed);
    EXPECT_EQ(bmp->Pixels(39, 24), clRed);
    EXPECT_EQ(bmp->Pixels(40, 24), clWhite);  // clipped at the panel's right edge
    EXPECT_EQ(bmp->Pixels(39, 25), clWhite);

    // An elliptic window region: the corners show the form, and do not hit.
    panel->SetWindowRgn(CreateEllipticRgn(0, 0, 30, 20), true);
    bmp = RenderWindow(form.get());
    EXPECT_EQ(bmp->Pixels(10, 5), clWhite);
    EXPECT_EQ(bmp->Pixels(25, 15), clBlue);
    EXPECT_FALSE(panel->HitTest(Point(0, 0)));
    EXPECT_TRUE(panel->HitTest(Point(15, 10)));
}

TEST_F(Render, FormWithFrameHasCaptionBarAndClientBelow)
{
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBorderStyle(bsDialog);
    form->SetCaption("Locate Value");
    form->SetClientWidth(100);
    form->SetClientHeight(50);
    form->SetColor(clWhite);
    auto bmp = RenderWindow(form.get());
    EXPECT_EQ(bmp->Width(), 106);
    EXPECT_EQ(bmp->Height(), 78);
    EXPECT_EQ(bmp->Pixels(50, 3 + 22 + 10), clWhite);
    EXPECT_EQ(bmp->Pixels(50, 3), ColorToRGB(clActiveCaption));  // the caption bar's top row
    EXPECT_EQ(bmp->Pixels(0, 0), ColorToRGB(clBtnHighlight));
}

// The image of a window starts on memory that may hold an earlier image: each pixel must be
// painted by the window, its frame, or (where a window region leaves part of it out) the
// white or frame colour it had before.
TEST_F(Render, EveryPixelIsPaintedEvenOnReusedMemory)
{
    auto makeForm = [](TFormBorderStyle border, TColor color) {
        auto* form = new TForm(nullptr);
        form->SetBorderStyle(border);
        form->SetClientWidth(120);
        form->SetClientHeight(80);
        form->SetColor(color);
        return form;
    };
    auto dirty = [&](TFormBorderStyle border) {
        TOwned<TForm> red(makeForm(border, clRed));
        auto bmp = RenderWindow(red.get());
        ASSERT_EQ(bmp->Pixels(bmp->Width() - 1, bmp->Height() - 1), border == bsNone ? clRed : ColorToRGB(cl3DDkShadow));
    };
    // Without a frame, and with an elliptic region: the corners stay white.
    dirty(bsNone);
    TOwned<TForm> plain(makeForm(bsNone, clBlue));
    plain->SetWindowRgn(CreateEllipticRgn(0, 0, 120, 80), true);
    auto bmp = RenderWindow(plain.get());
    EXPECT_EQ(bmp->Pixels(0, 0), clWhite);
    EXPECT_EQ(bmp->Pixels(119, 79), clWhite);
    EXPECT_EQ(bmp->Pixels(60, 40), clBlue);

    // With a frame: the frame's strips around the client area, and the client area.
    dirty(bsSingle);
    TOwned<TForm> framed(makeForm(bsSingle, clBlue));
    bmp = RenderWindow(framed.get());
    int f = framed->FrameWidth(), top = f + framed->CaptionHeight();
    int w = bmp->Width(), h = bmp->Height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool client = x >= f && x < w - f && y >= top && y < h - f;
            TColor c = bmp->Pixels(x, y);
            if (client)
                ASSERT_EQ(c, clBlue) << x << "," << y;
            else
                ASSERT_NE(c, clRed) << x << "," << y;
        }
    EXPECT_EQ(bmp->Pixels(f - 1, top + 40), ColorToRGB(clBtnFace));
    EXPECT_EQ(bmp->Pixels(w - f, top + 40), ColorToRGB(clBtnFace));
    EXPECT_EQ(bmp->Pixels(60, h - f), ColorToRGB(clBtnFace));

    // With a frame and a region: what the region leaves out shows the frame's colour.
    dirty(bsSingle);
    framed->SetWindowRgn(CreateEllipticRgn(0, 0, 120, 80), true);
    bmp = RenderWindow(framed.get());
    EXPECT_EQ(bmp->Pixels(f, top), ColorToRGB(clBtnFace));
    EXPECT_EQ(bmp->Pixels(f + 60, top + 40), clBlue);
}

}  // namespace
