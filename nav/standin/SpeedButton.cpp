// TEMPORARY stand-in, compiled only while platform/gui/Buttons.h does not exist.
#if !defined(KORIN_PLATFORM_BUTTONS)
#include "nav/standin/SpeedButton.h"

#include "platform/gui/Canvas.h"
#include "platform/gui/Draw3D.h"

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner)
{
    // The click comes from MouseUp (release over the button), not from the control's
    // generic click handling.
    SetControlStyle((ControlStyle() | csCaptureMouse) & ~(csClickEvents | csSetCaption));
    SetBounds(0, 0, 23, 22);
}

void TSpeedButton::SetFlat(bool Value)
{
    if (FFlat != Value) {
        FFlat = Value;
        Invalidate();
    }
}

void TSpeedButton::SetNumGlyphs(int Value)
{
    FNumGlyphs = Value < 1 ? 1 : (Value > 4 ? 4 : Value);
    Invalidate();
}

void TSpeedButton::SetDown(bool Value)
{
    if (FGroupIndex == 0)
        Value = false;
    if (Value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = Value;
    FState = Value ? bsExclusive : bsUp;
    Invalidate();
    if (Value)
        UpdateExclusive();
}

void TSpeedButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !Parent())
        return;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* b = As<TSpeedButton>(Parent()->Controls(i));
        if (b && b != this && b->FGroupIndex == FGroupIndex && b->FDown) {
            b->FDown = false;
            b->FState = bsUp;
            b->Invalidate();
        }
    }
}

void TSpeedButton::Click()
{
    TGraphicControl::Click();
}

void TSpeedButton::EnabledChanged()
{
    FState = Enabled() ? (FDown ? bsExclusive : bsUp) : bsDisabled;
    Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && Enabled()) {
        if (!FDown) {
            FState = bsDown;
            Invalidate();
        }
        FDragging = true;
    }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging)
        return;
    TButtonState s = FDown ? bsExclusive : bsUp;
    if (PtInRect(ClientRect(), Point(X, Y)))
        s = FDown ? bsExclusive : bsDown;
    if (s != FState) {
        FState = s;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging || Button != mbLeft)
        return;
    FDragging = false;
    bool doClick = PtInRect(ClientRect(), Point(X, Y));
    if (FGroupIndex == 0) {
        FState = bsUp;
        Invalidate();
    } else if (doClick) {
        SetDown(!FDown);
    } else if (FDown) {
        FState = bsExclusive;
    }
    Invalidate();
    if (doClick)
        Click();
}

void TSpeedButton::Paint()
{
    TCanvas& c = *Canvas();
    bool down = FState == bsDown || FState == bsExclusive;
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    TRect r = ClientRect();
    if (!FFlat)
        DrawEdge(c, r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    else if (down)
        DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT);
    if (FGlyph.Empty())
        return;
    int w = FGlyph.Width() / FNumGlyphs, h = FGlyph.Height();
    int index = (!Enabled() && FNumGlyphs > 1) ? 1 : 0;
    TBitmap part(w, h);
    part.Canvas().CopyRect(Rect(0, 0, w, h), FGlyph.Canvas(), Rect(index * w, 0, index * w + w, h));
    part.SetTransparent(true);
    int x = (Width() - w) / 2 + (down ? 1 : 0), y = (Height() - h) / 2 + (down ? 1 : 0);
    c.Draw(x, y, part);
}
#endif
