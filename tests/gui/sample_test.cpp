// Renders a sheet of drawing samples to a PNG beside the test program, for a person to look at.
#include <gtest/gtest.h>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/ImageList.h"

using namespace korin;

namespace {

TEST(DrawingSample, RendersSheet)
{
    TBitmap b(360, 220);
    TCanvas& c = b.Canvas();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(Rect(0, 0, 360, 220));

    TRect r = Rect(10, 10, 110, 35);
    TRect inner = DrawButtonFace(c, r, false, false, false, true);
    c.Brush().SetStyle(bsClear);
    DrawText(c, "&Open", inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    r = Rect(120, 10, 220, 35);
    inner = DrawButtonFace(c, r, true);
    DrawText(c, "Pressed && held", inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    r = Rect(230, 10, 255, 35);
    DrawButtonFace(c, r, false, true, true);
    r = Rect(260, 10, 285, 35);
    DrawButtonFace(c, r, true, true);
    c.DrawFocusRect(Rect(14, 14, 106, 31));

    TRect panel = Rect(10, 45, 170, 100);
    DrawEdge(c, panel, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    c.Brush().SetColor(clWindow);
    c.FillRect(panel);
    c.Brush().SetStyle(bsClear);
    DrawText(c, "A longer text that breaks between words in this box.", panel, DT_WORDBREAK);

    TRect hint = Rect(190, 45, 340, 85);
    HRGN rgn = CreateRoundRectRgn(hint.Left, hint.Top, hint.Right, hint.Bottom, hint.Width(), hint.Height());
    HRGN bubble = CreateEllipticRgn(hint.Left + 8, hint.Bottom - 5, hint.Left + 18, hint.Bottom + 3);
    CombineRgn(rgn, rgn, bubble, RGN_OR);
    DeleteObject(bubble);
    bubble = CreateEllipticRgn(hint.Left + 10, hint.Bottom, hint.Left + 16, hint.Bottom + 8);
    CombineRgn(rgn, rgn, bubble, RGN_OR);
    DeleteObject(bubble);
    c.SaveDC();
    c.SetClipRegion(rgn);
    c.Brush().SetColor(clInfoBk);
    c.FillRect(Rect(hint.Left, hint.Top, hint.Right, hint.Bottom + 8));
    c.Font().SetColor(clInfoText);
    c.Brush().SetStyle(bsClear);
    DrawText(c, "No more matches!", hint, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    c.RestoreDC(-1);
    DeleteObject(rgn);

    TRect bev = Rect(10, 110, 170, 140);
    Frame3D(c, bev, clBtnShadow, clBtnHighlight, 1);
    Frame3D(c, bev, clBtnHighlight, clBtnShadow, 1);
    c.Brush().SetStyle(bsClear);
    DrawText(c, "Ellipsis for a long caption text", bev, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);

    TImageList images(nullptr, 16, 16);
    TBitmap strip(32, 16);
    strip.Canvas().Brush().SetColor(clFuchsia);
    strip.Canvas().FillRect(Rect(0, 0, 32, 16));
    strip.Canvas().Brush().SetColor(clNavy);
    strip.Canvas().FillRect(Rect(3, 3, 13, 13));
    strip.Canvas().Brush().SetColor(clGreen);
    strip.Canvas().Ellipse(18, 2, 30, 14);
    images.AddMasked(strip, clFuchsia);
    images.Draw(c, 190, 110, 0);
    images.Draw(c, 210, 110, 1);
    images.Draw(c, 230, 110, 0, false);
    images.Draw(c, 250, 110, 1, false);

    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clBtnFace);
    c.Font().SetColor(clWindowText);
    c.Font().SetStyle(fsBold);
    c.TextOut(10, 150, "Bold -11");
    c.Font().SetStyle(0);
    c.Font().SetHeight(-13);
    c.TextOut(100, 150, "Regular -13 Запись");
    c.Pen().SetColor(clRed);
    c.Pen().SetStyle(psDot);
    c.MoveTo(10, 180);
    c.LineTo(350, 180);
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(3);
    c.MoveTo(10, 195);
    c.LineTo(350, 210);
    b.SaveToPNG("drawing_sample.png");
    TBitmap zoom(720, 240);
    zoom.Canvas().CopyRect(Rect(0, 0, 720, 240), c, Rect(0, 0, 180, 60));
    zoom.SaveToPNG("drawing_sample_zoom.png");
    EXPECT_EQ(b.Pixels(0, 0), ColorToRGB(clBtnFace));
}

} // namespace
