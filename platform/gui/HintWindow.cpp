#include "korin/platform/gui/HintWindow.h"

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Popups.h"

namespace korin {

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetVisible(false);
    SetColor(clInfoBk);
    SetParentFont(false);
    Font().Assign(Screen->HintFont());
    SetControlStyle(ControlStyle() & ~(csCaptureMouse | csClickEvents));
    RegisterPopupWindow(this);
}

THintWindow::~THintWindow()
{
    BeforeDestruction();
    UnregisterPopupWindow(this);
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
    // Showing a popup never moves the focus: SetVisible on a parentless control only
    // marks it shown, and the backends give it a window that is not activated.
    SetVisible(true);
    BringPopupToFront(this);
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

int THintWindow::TextWidth(const std::string& Text) const
{
    TCanvas c;
    c.Font().Assign(Font());
    return c.TextWidth(Text);
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
    HandleNeeded();
    if (WindowParams().Style & WS_BORDER) {
        c.Brush().SetColor(clWindowFrame);
        c.FrameRect(r);
    }
    r.Left += 2;
    r.Top += 2;
    c.Font().Assign(Font());
    c.Font().SetColor(Screen->HintFont().Color());
    SetBkMode(c.Handle(), TRANSPARENT);
    DrawText(c, Caption(), r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

}  // namespace korin
