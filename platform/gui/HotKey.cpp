#include "korin/platform/gui/ComCtrls.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "korin/platform/core/Resources.h"
#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/ControlParts.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DropDownList.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/ImageList.h"
#include "korin/platform/gui/Popups.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

using namespace ctlparts;

// ---------------------------------------------------------------- THotKey

THotKey::THotKey(TComponent* AOwner) : TWinControl(AOwner)
{
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 121, 19);
}

void THotKey::SetHotKey(TShortCut Value)
{
    FPending = 0;
    if (Value == FHotKey)
        return;
    FHotKey = Value;
    Invalidate();
}

void THotKey::Store(TShortCut Value)
{
    FPending = 0;
    if (Value == FHotKey) {
        Invalidate();
        return;
    }
    FHotKey = Value;
    Invalidate();
    if (OnChange)
        OnChange(this);
}

void THotKey::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    if (Value) {
        TCanvas c;
        c.Font().Assign(Font());
        SetHeight(c.TextHeight("Hg") + 6);
    }
}

std::string THotKey::DisplayText() const
{
    if (FPending) {
        std::string s;
        if (FPending & ssShift) s += "Shift+";
        if (FPending & ssCtrl) s += "Ctrl+";
        if (FPending & ssAlt) s += "Alt+";
        return s;
    }
    if (FHotKey == 0)
        return "None";
    return ShortCutToText(FHotKey);
}

void THotKey::WndProc(TMessage& m)
{
    if (m.Msg == WM_KILLFOCUS)
        FPending = 0;
    TWinControl::WndProc(m);
}

void THotKey::KeyDown(std::uint16_t& Key, TShiftState Shift)
{
    TShiftState mods = Shift & (ssShift | ssCtrl | ssAlt);
    if (Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU) {
        FPending = mods;
        Invalidate();
        Key = 0;
        return;
    }
    if (Key == VK_BACK && mods == 0) {
        Store(0);
        Key = 0;
        return;
    }
    // Modifier classes that may not stand alone get the forced modifiers instead.
    int cls = ((mods & ssShift) ? 1 : 0) | ((mods & ssCtrl) ? 2 : 0) | ((mods & ssAlt) ? 4 : 0);
    static const std::uint8_t classBit[8] = {hcNone, hcShift, hcCtrl, hcShiftCtrl, hcAlt, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt};
    if (FInvalidKeys & classBit[cls]) {
        mods = 0;
        if (FModifiers & hkShift) mods |= ssShift;
        if (FModifiers & hkCtrl) mods |= ssCtrl;
        if (FModifiers & hkAlt) mods |= ssAlt;
    }
    Store(ShortCut(Key, mods));
    Key = 0;
}

void THotKey::KeyUp(std::uint16_t& Key, TShiftState Shift)
{
    if (FPending) {
        FPending = Shift & (ssShift | ssCtrl | ssAlt);
        Invalidate();
    }
}

void THotKey::KeyPress(char32_t& Key) { Key = 0; }

void THotKey::Paint()
{
    TCanvas& c = *Canvas();
    c.Font().Assign(Font());
    TRect inner = SunkenField(c, ClientRect());
    c.Brush().SetColor(Enabled() ? Color() : clBtnFace);
    c.FillRect(inner);
    c.Font().SetColor(Enabled() ? Font().Color() : clGrayText);
    std::string text = DisplayText();
    TextInRect(c, inner, inner.Left + 1, text);
    if (Focused()) {
        int x = inner.Left + 1 + c.TextWidth(text);
        c.Pen().SetColor(clWindowText);
        c.MoveTo(x, inner.Top + 1);
        c.LineTo(x, inner.Bottom - 1);
    }
}

}  // namespace korin
