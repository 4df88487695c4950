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

// ---------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(csAcceptsControls | csSetCaption | csDoubleClicks);
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::AlignControls(TControl* AControl, TRect& Rect)
{
    TCanvas measure;
    measure.Font().Assign(Font());
    Rect.Top += measure.TextHeight("0") + 2;
    InflateRect(Rect, -2, 0);
    Rect.Bottom -= 2;
    TCustomControl::AlignControls(AControl, Rect);
}

void TGroupBox::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    int th = c.TextHeight("0");
    TRect frame = ClientRect();
    frame.Top += th / 2;
    DrawEdge(c, frame, EDGE_ETCHED, BF_RECT);
    if (Caption().empty())
        return;
    TRect text = Rect(0, 0, 0, 0);
    DrawText(c, Caption(), text, DT_CALCRECT | DT_SINGLELINE);
    OffsetRect(text, 8, 0);
    // The caption interrupts the frame's top edge.
    c.Brush().SetColor(Color());
    c.FillRect(Rect(text.Left - 2, 0, text.Right + 2, th));
    DrawControlText(c, Caption(), text, DT_SINGLELINE | DT_NOCLIP, Enabled());
}

}  // namespace korin
