#include "korin/platform/gui/ComCtrls.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

// ---------------------------------------------------------------- TProgressBar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::SetMin(int Value)
{
    FMin = Value;
    if (FMax < FMin)
        FMax = FMin;
    SetPosition(FPosition);
    Invalidate();
}

void TProgressBar::SetMax(int Value)
{
    FMax = Value;
    if (FMin > FMax)
        FMin = FMax;
    SetPosition(FPosition);
    Invalidate();
}

void TProgressBar::SetPosition(int Value)
{
    Value = std::clamp(Value, FMin, FMax);
    if (Value != FPosition) {
        FPosition = Value;
        Invalidate();
    }
}

void TProgressBar::SetSmooth(bool Value)
{
    FSmooth = Value;
    Invalidate();
}

int TProgressBar::FilledWidth() const
{
    int inner = std::max(0, Width() - 2);
    if (FMax <= FMin)
        return 0;
    return static_cast<int>(static_cast<long long>(FPosition - FMin) * inner / (FMax - FMin));
}

void TProgressBar::Paint()
{
    TCanvas& c = *Canvas();
    TRect r = ClientRect();
    Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    c.Brush().SetColor(clBtnFace);
    c.FillRect(r);
    int fill = FilledWidth();
    c.Brush().SetColor(clHighlight);
    if (FSmooth) {
        c.FillRect(Rect(r.Left, r.Top, r.Left + fill, r.Bottom));
        return;
    }
    // Blocks two thirds as wide as the bar is high, two pixels apart; a block is drawn
    // once the fill reaches into it, cut at the frame.
    int block = std::max(2, r.Height() * 2 / 3);
    for (int x = r.Left; x < r.Left + fill; x += block + 2)
        c.FillRect(Rect(x + 1, r.Top + 1, std::min(x + 1 + block, r.Right - 1), r.Bottom - 1));
}

}  // namespace korin
