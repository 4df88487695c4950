#include "korin/platform/gui/ExtCtrls.h"

#include <algorithm>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"

namespace korin {

// ---------------------------------------------------------------- TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::FrameChanged()
{
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value)
{
    if (Value == FBevelInner)
        return;
    FBevelInner = Value;
    FrameChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value)
{
    if (Value == FBevelOuter)
        return;
    FBevelOuter = Value;
    FrameChanged();
}

void TCustomPanel::SetBevelWidth(int Value)
{
    Value = std::max(1, Value);
    if (Value == FBevelWidth)
        return;
    FBevelWidth = Value;
    FrameChanged();
}

void TCustomPanel::SetBorderWidth(int Value)
{
    Value = std::max(0, Value);
    if (Value == FBorderWidth)
        return;
    FBorderWidth = Value;
    FrameChanged();
}

void TCustomPanel::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Invalidate();
}

int TCustomPanel::FrameWidth() const
{
    int w = FBorderWidth;
    if (FBevelOuter != bvNone)
        w += FBevelWidth;
    if (FBevelInner != bvNone)
        w += FBevelWidth;
    return w;
}

TRect TCustomPanel::InnerRect() const
{
    TRect r = ClientRect();
    int w = FrameWidth();
    InflateRect(r, -w, -w);
    if (IsRectEmpty(r))
        r = Rect(r.Left, r.Top, std::max(r.Left, r.Right), std::max(r.Top, r.Bottom));
    return r;
}

void TCustomPanel::AlignControls(TControl* AControl, TRect& Rect)
{
    int w = FrameWidth();
    InflateRect(Rect, -w, -w);
    TCustomControl::AlignControls(AControl, Rect);
}

namespace {

void PaintCut(TCanvas& c, TRect& r, TBevelCut cut, int width)
{
    switch (cut) {
    case bvLowered: Frame3D(c, r, clBtnShadow, clBtnHighlight, width); break;
    case bvRaised: Frame3D(c, r, clBtnHighlight, clBtnShadow, width); break;
    case bvSpace: InflateRect(r, -width, -width); break;
    case bvNone: break;
    }
}

}  // namespace

void TCustomPanel::PaintBevels(TRect& Rect)
{
    TCanvas& c = *Canvas();
    PaintCut(c, Rect, FBevelOuter, FBevelWidth);
    // The border shows the panel's colour.
    Frame3D(c, Rect, Color(), Color(), FBorderWidth);
    PaintCut(c, Rect, FBevelInner, FBevelWidth);
}

void TCustomPanel::PaintCaption(const TRect& Rect)
{
    if (Caption().empty())
        return;
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    c.Brush().SetStyle(bsClear);
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (FAlignment == taCenter)
        flags |= DT_CENTER;
    else if (FAlignment == taRightJustify)
        flags |= DT_RIGHT;
    TRect r = Rect;
    if (!Enabled()) {
        OffsetRect(r, 1, 1);
        c.Font().SetColor(clBtnHighlight);
        DrawText(c, Caption(), r, flags);
        OffsetRect(r, -1, -1);
        c.Font().SetColor(clBtnShadow);
    }
    DrawText(c, Caption(), r, flags);
}

void TCustomPanel::Paint()
{
    TRect r = ClientRect();
    PaintBevels(r);
    PaintCaption(r);
}

TPanel::TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}

// ---------------------------------------------------------------- TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetControlStyle(ControlStyle() & ~static_cast<std::uint32_t>(csCaptureMouse | csClickEvents));
    SetBounds(0, 0, 50, 50);
}

void TBevel::Paint()
{
    TCanvas& c = *Canvas();
    TColor first = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor second = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    int w = Width(), h = Height();
    auto fill = [&](TColor color, TRect r) {
        c.Brush().SetColor(color);
        c.FillRect(r);
    };
    switch (FShape) {
    case bsBox: {
        TRect r = ClientRect();
        Frame3D(c, r, first, second, 1);
        break;
    }
    case bsFrame: {
        // Etched: a frame in the first colour, the same frame in the second one pixel
        // further right and down, the first drawn over it where they cross.
        TRect outer = Rect(1, 1, w, h);
        Frame3D(c, outer, second, second, 1);
        TRect inner = Rect(0, 0, w - 1, h - 1);
        Frame3D(c, inner, first, first, 1);
        break;
    }
    case bsTopLine:
        fill(first, Rect(0, 0, w, 1));
        fill(second, Rect(0, 1, w, 2));
        break;
    case bsBottomLine:
        fill(first, Rect(0, h - 2, w, h - 1));
        fill(second, Rect(0, h - 1, w, h));
        break;
    case bsLeftLine:
        fill(first, Rect(0, 0, 1, h));
        fill(second, Rect(1, 0, 2, h));
        break;
    case bsRightLine:
        fill(first, Rect(w - 2, 0, w - 1, h));
        fill(second, Rect(w - 1, 0, w, h));
        break;
    case bsSpacer:
        break;
    }
}

}  // namespace korin
