#include "korin/nav/Vdbnavhint.h"

#include "korin/nav/Vdbnav.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Forms.h"

namespace korin {

TCustomHintWindow::TCustomHintWindow(TComponent* AOwner) : THintWindow(AOwner)
{
    FHideTimer = new TTimer(this);
    FHideTimer->SetEnabled(false);
    FHideTimer->SetInterval(2000);
    FHideTimer->OnTimer = [this](TObject* Sender) { HintTimerExpired(Sender); };
    FCalloutDirection = hcdUp;
}

TCustomHintWindow::~TCustomHintWindow()
{
    BeforeDestruction();
    if (FHideTimer) {
        TTimer* t = FHideTimer;
        FHideTimer = nullptr;
        t->Free();
    }
    FreeCurrentRegion();
}

void TCustomHintWindow::CreateParams(TCreateParams& Params)
{
    THintWindow::CreateParams(Params);
    Params.Style &= ~WS_BORDER;
}

void TCustomHintWindow::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    r.Left += 1;
    c.Font().Assign(Font());
    c.Font().SetColor(clInfoText);
    SetBkMode(c.Handle(), TRANSPARENT);
    DrawText(c, Caption(), r, DT_CENTER | DT_NOPREFIX);
}

void TCustomHintWindow::HintTimerExpired(TObject*)
{
    if (FHideTimer)
        FHideTimer->SetEnabled(false);
    ReleaseHandle();
}

void TCustomHintWindow::FreeCurrentRegion()
{
    if (!FRegion)
        return;
    // The window owns the region it was given and frees it when the region is taken away
    // or replaced; if someone else has replaced it already, it is gone.
    if (WindowRgn() == FRegion)
        SetWindowRgn(nullptr, true);
    FRegion = nullptr;
}

void TCustomHintWindow::ActivateHint(const TRect& Rect, const std::string& AHint)
{
    if (Active()) {
        try {
            ReleaseHandle();
        } catch (const Exception&) {
        }
    }
    FHideTimer->SetEnabled(false);
    SetColor(clInfoBk);

    // The ellipse needs about twice the text's width to hold the text.
    TRect r = Rect;
    {
        TBitmap measure(1, 1);
        measure.Canvas().Font().Assign(Font());
        r.Right += measure.Canvas().TextWidth(AHint);
    }
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    FreeCurrentRegion();

    int w = Width(), h = Height();
    FRegion = CreateRoundRectRgn(0, 0, w, h, w, h);
    HRGN a = nullptr, b = nullptr;
    if (FCalloutDirection == hcdUp) {
        a = CreateEllipticRgn(8, h - 5, 18, h + 3);
        b = CreateEllipticRgn(10, h, 16, h + 8);
    } else {
        a = CreateEllipticRgn(8, -8, 18, 0);
        b = CreateEllipticRgn(10, -15, 16, 9);
    }
    CombineRgn(FRegion, FRegion, a, RGN_OR);
    CombineRgn(FRegion, FRegion, b, RGN_OR);
    DeleteObject(a);
    DeleteObject(b);
    // From now on the window owns the shape; FRegion only remembers which one it is.
    if (FRegion)
        SetWindowRgn(FRegion, true);

    THintWindow::ActivateHint(r, AHint);
    FHideTimer->SetEnabled(true);
}

// ---- the navigator's side ---------------------------------------------------------------

void TVandroDBNavigator::InitHints()
{
    if (!FButtonsCreated)
        return;
    for (TVNavigateBtn b : AllNavButtons()) {
        std::string hint = BtnHintText[b];
        if (FShowShortCuts)
            hint += " - " + MultiRowShortCuts[b];
        FButtons[b]->SetHint(hint);
    }
}

void TVandroDBNavigator::DoCustomHint()
{
    static const std::string Text = "No more matches!";
    if (!FHintWindow)
        return;
    TRect r = FHintWindow->CalcHintRect(Width(), Text);
    if (!FVertical) {
        // Over the last visible button, one navigator height above its top.
        r.Top -= FButtonHeight + Height();
        r.Left += (FVisibleCount - 1) * FButtonWidth;
        FHintWindow->SetCalloutDirection(hcdUp);
    } else {
        // Under the last visible button.
        r.Top += FVisibleCount * FButtonHeight;
        FHintWindow->SetCalloutDirection(hcdDown);
    }
    TPoint o = ClientOrigin();
    r.Left += o.x;
    r.Top += o.y;
    r.Right += r.Left;
    r.Bottom += r.Top;
    FHintWindow->ActivateHint(r, Text);
}

}  // namespace korin
