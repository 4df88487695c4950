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

}  // namespace
