#include "korin/platform/gui/Draw3D.h"

namespace korin {

namespace {

void FillOne(TCanvas& c, TColor color, const TRect& r)
{
    if (IsRectEmpty(r))
        return;
    c.Brush().SetColor(color);
    c.FillRect(r);
}

// One 1-pixel frame on the chosen sides; bottom and right are drawn last and so own the
// top-right and bottom-left corners.
void Frame(TCanvas& c, const TRect& r, TColor tl, TColor br, unsigned sides)
{
    TColorRect pieces[4];
    std::size_t n = 0;
    auto add = [&](TColor color, const TRect& piece) {
        if (!IsRectEmpty(piece))
            pieces[n++] = TColorRect{piece, color};
    };
    if (sides & BF_TOP) add(tl, TRect{r.Left, r.Top, r.Right, r.Top + 1});
    if (sides & BF_LEFT) add(tl, TRect{r.Left, r.Top, r.Left + 1, r.Bottom});
    if (sides & BF_BOTTOM) add(br, TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom});
    if (sides & BF_RIGHT) add(br, TRect{r.Right - 1, r.Top, r.Right, r.Bottom});
    if (n == 0)
        return;
    // The brush ends in the last piece's colour, as filling piece by piece leaves it.
    c.Brush().SetColor(pieces[n - 1].Color);
    c.FillRects(pieces, n);
}

void Shrink(TRect& r, unsigned sides)
{
    if (sides & BF_LEFT) ++r.Left;
    if (sides & BF_TOP) ++r.Top;
    if (sides & BF_RIGHT) --r.Right;
    if (sides & BF_BOTTOM) --r.Bottom;
}

} // namespace

void Frame3D(TCanvas& Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width)
{
    TColor saved = Canvas.Brush().Color();
    TBrushStyle style = Canvas.Brush().Style();
    for (int i = 0; i < Width; ++i) {
        Frame(Canvas, Rect, TopColor, BottomColor, BF_RECT);
        InflateRect(Rect, -1, -1);
    }
    Canvas.Brush().SetColor(saved);
    Canvas.Brush().SetStyle(style);
}

void DrawEdge(TCanvas& Canvas, TRect& R, unsigned Edge, unsigned Flags)
{
    TColor saved = Canvas.Brush().Color();
    TBrushStyle style = Canvas.Brush().Style();
    TRect r = R;
    unsigned sides = Flags & BF_RECT;
    if (Flags & BF_FLAT) {
        if (Edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
            Frame(Canvas, r, clBtnShadow, clBtnShadow, sides);
            Shrink(r, sides);
        }
        if (Edge & (BDR_RAISEDINNER | BDR_SUNKENINNER))
            Shrink(r, sides);
    } else {
        if (Edge & BDR_RAISEDOUTER) {
            Frame(Canvas, r, clBtnHighlight, cl3DDkShadow, sides);
            Shrink(r, sides);
        } else if (Edge & BDR_SUNKENOUTER) {
            Frame(Canvas, r, clBtnShadow, clBtnHighlight, sides);
            Shrink(r, sides);
        }
        if (Edge & BDR_RAISEDINNER) {
            Frame(Canvas, r, cl3DLight, clBtnShadow, sides);
            Shrink(r, sides);
        } else if (Edge & BDR_SUNKENINNER) {
            Frame(Canvas, r, cl3DDkShadow, cl3DLight, sides);
            Shrink(r, sides);
        }
    }
    if (Flags & BF_MIDDLE)
        FillOne(Canvas, clBtnFace, r);
    if (Flags & BF_ADJUST)
        R = r;
    Canvas.Brush().SetColor(saved);
    Canvas.Brush().SetStyle(style);
}

TRect DrawButtonFace(TCanvas& Canvas, const TRect& Client, bool IsDown, bool IsFlat, bool IsHot, bool IsDefault, TColor FaceColor)
{
    TColor saved = Canvas.Brush().Color();
    TBrushStyle style = Canvas.Brush().Style();
    TRect r = Client;
    if (IsDefault && !IsFlat) {
        Frame(Canvas, r, clWindowFrame, clWindowFrame, BF_RECT);
        InflateRect(r, -1, -1);
    }
    FillOne(Canvas, FaceColor, r);
    if (IsFlat) {
        if (IsDown)
            DrawEdge(Canvas, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        else if (IsHot)
            DrawEdge(Canvas, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        else
            InflateRect(r, -1, -1);
    } else if (IsDown) {
        DrawEdge(Canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    } else {
        DrawEdge(Canvas, r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    }
    if (IsDown)
        OffsetRect(r, 1, 1);
    Canvas.Brush().SetColor(saved);
    Canvas.Brush().SetStyle(style);
    return r;
}

}  // namespace korin
