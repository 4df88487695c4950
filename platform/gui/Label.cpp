#include "korin/platform/gui/StdCtrls.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/ControlParts.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

using namespace ctlparts;

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetControlStyle(ControlStyle() & ~static_cast<std::uint32_t>(csCaptureMouse));
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    OnFontChange(Font(), [this] { FontChanged(); });
}

void TLabel::SetWordWrap(bool v)
{
    if (v == FWordWrap)
        return;
    FWordWrap = v;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetAutoSize(bool v)
{
    if (v == FAutoSize)
        return;
    FAutoSize = v;
    AdjustBounds();
}

void TLabel::SetShowAccelChar(bool v)
{
    if (v == FShowAccelChar)
        return;
    FShowAccelChar = v;
    AdjustBounds();
    Invalidate();
}

unsigned TLabel::DrawTextFlags() const
{
    unsigned f = FWordWrap ? DT_WORDBREAK : 0;
    if (FAlignment == taCenter)
        f |= DT_CENTER;
    else if (FAlignment == taRightJustify)
        f |= DT_RIGHT;
    if (!FShowAccelChar)
        f |= DT_NOPREFIX;
    return f;
}

void TLabel::AdjustBounds()
{
    if (!FAutoSize || IsLoading() || InState(csDestroying))
        return;
    TCanvas measure;
    measure.Font().Assign(Font());
    // An empty label keeps the height of one line.
    std::string text = Caption().empty() ? std::string(" ") : Caption();
    TRect r = Rect(0, 0, FWordWrap ? Width() : 0, 0);
    DrawText(measure, text, r, DrawTextFlags() | DT_CALCRECT);
    int w = FWordWrap ? Width() : r.Width();
    int left = Left();
    if (!FWordWrap && FAlignment == taRightJustify)
        left = Left() + Width() - w;
    SetBounds(left, Top(), w, r.Height());
}

void TLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::TextChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::SetFocusControl(TWinControl* v)
{
    FFocusControl = v;
    if (v)
        v->FreeNotification(this);
}

void TLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

void TLabel::WndProc(TMessage& m)
{
    if (m.Msg == CM_DIALOGCHAR && FShowAccelChar && FFocusControl && IsAccel(static_cast<char32_t>(m.WParam), Caption()) &&
        FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        m.Result = 1;
        return;
    }
    TGraphicControl::WndProc(m);
}

void TLabel::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    if (!FTransparent) {
        c.Brush().SetColor(Color());
        c.FillRect(r);
    }
    c.Font().Assign(Font());
    DrawControlText(c, Caption(), r, DrawTextFlags(), Enabled());
}

}  // namespace korin
