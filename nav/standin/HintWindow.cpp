// TEMPORARY stand-in; see nav/standin/HintWindow.h.
#if !__has_include("platform/gui/HintWindow.h")
#include "nav/standin/HintWindow.h"

#include "platform/gui/Bitmap.h"
#include "platform/gui/DrawText.h"
#include "platform/gui/Forms.h"

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetVisible(false);
    SetColor(clInfoBk);
    SetParentFont(false);
    Font().Assign(Screen->HintFont());
}

THintWindow::~THintWindow()
{
    BeforeDestruction();
}

void THintWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER | (Visible() ? WS_VISIBLE : 0);
    Params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    Params.WndParent = 0;
}

void THintWindow::ActivateHint(const TRect& R, const std::string& AHint)
{
    SetCaption(AHint);
    SetBounds(R.Left, R.Top, R.Width(), R.Height());
    HandleNeeded();
    SetVisible(true);
    Invalidate();
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& AHint)
{
    TBitmap measure(1, 1);
    TCanvas& c = measure.Canvas();
    c.Font().Assign(Font());
    TRect r = Rect(0, 0, MaxWidth, 0);
    DrawText(c, AHint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::ReleaseHandle()
{
    SetVisible(false);
    DestroyHandle();
}

void THintWindow::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    r.Left += 2;
    r.Top += 2;
    c.Font().Assign(Font());
    DrawText(c, Caption(), r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}
#endif
