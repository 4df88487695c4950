#include "korin/nav/Vdbnavbtn.h"

#include <bit>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/gui/Canvas.h"

namespace korin {

std::array<TVNavigateBtn, NavButtonCount> AllNavButtons()
{
    std::array<TVNavigateBtn, NavButtonCount> a{};
    for (int i = 0; i < NavButtonCount; ++i)
        a[static_cast<std::size_t>(i)] = NavBtn(i);
    return a;
}

int TVButtonSet::Count() const
{
    return std::popcount(FMask);
}

const TNavButtonTable<const char*> BtnTypeName = {{
    "_FIRST", "_PRIORPAGE", "_FIRSTFIELD", "_PRIOR", "_NEXT", "_LASTFIELD", "_NEXTPAGE", "_LAST",
    "_INSERT", "_DELETE", "_EDIT", "_POST", "_CANCEL", "_REFRESH", "_INCREMENTALSEARCH", "_FILTER",
    "_QUERY", "_FIND", "_FINDNEXT", "_DITTOFLD", "_DITTOREC", "_GOTONEXTDSCONTROL", "_COPYREC",
    "_PASTEREC", "_DATETIME",
}};

const TNavButtonTable<const char*> BtnHintText = {{
    "FIRST", "PRIORPAGE", "FIRST FIELD", "PRIOR", "NEXT", "LAST FIELD", "NEXTPAGE", "LAST", "INSERT",
    "DELETE", "EDIT", "POST", "CANCEL", "REFRESH", "INCREMENTAL SEARCH", "FILTER", "QUERY", "FIND",
    "FIND NEXT", "DITTO FIELD", "DITTO RECORD", "NEXT DATA SOURCE CONTROL", "COPY RECORD",
    "PASTE RECORD", "DATE/TIME",
}};

TShortCutArray DefaultShortCuts = {{
    "Home", "Ctrl+PgUp", "Ctrl+Home", "Up", "Down", "Ctrl+End", "Ctrl+PgDn", "End", "Ins", "Ctrl+Del",
    "Ctrl+E", "Ctrl+P", "Esc", "Ctrl+R", "Ctrl+I", "Ctrl+F", "Ctrl+Q", "Ctrl+Z", "Ctrl+Alt+Z", "Ctrl+D",
    "Shift+Ctrl+D", "F3", "Ctrl+Alt+C", "Ctrl+Alt+V", "Ctrl+F1",
}};

TShortCutArray DefaultSShortCuts = {{
    "Home", "Ctrl+PgUp", "Ctrl+Home", "PgUp", "PgDn", "Ctrl+End", "Ctrl+PgDn", "End", "Ins", "Ctrl+Del",
    "Ctrl+E", "Ctrl+P", "Esc", "Ctrl+R", "Ctrl+I", "Ctrl+F", "Ctrl+Q", "Ctrl+Z", "Ctrl+Alt+Z", "Ctrl+D",
    "Shift+Ctrl+D", "F3", "Ctrl+Alt+C", "Ctrl+Alt+V", "Ctrl+F1",
}};

TVNavButton::TVNavButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

TVNavButton::~TVNavButton()
{
    BeforeDestruction();
    if (FRepeatTimer) {
        TTimer* t = FRepeatTimer;
        FRepeatTimer = nullptr;
        t->Free();
    }
}

void TVNavButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (FNavStyle & nsAllowTimer) {
        if (!FRepeatTimer) {
            FRepeatTimer = new TTimer(this);
            FRepeatTimer->SetEnabled(false);
        }
        FRepeatTimer->OnTimer = [this](TObject* Sender) { TimerExpired(Sender); };
        FRepeatTimer->SetInterval(400);
        FRepeatTimer->SetEnabled(true);
    }
}

void TVNavButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TSpeedButton::MouseUp(Button, Shift, X, Y);
    if (FRepeatTimer)
        FRepeatTimer->SetEnabled(false);
}

void TVNavButton::TimerExpired(TObject* Sender)
{
    FRepeatTimer->SetInterval(200);
    if (State() == bsDown && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            FRepeatTimer->SetEnabled(false);
            throw;
        }
    }
}

void TVNavButton::Paint()
{
    TSpeedButton::Paint();
    auto* nav = As<TVandroDBNavigator>(Parent());
    if (!nav || !(FNavStyle & nsFocusRect) || nav->FocusedButton() != FIndex)
        return;
    TWinControl* focused = FindControl(GetFocus());
    if (focused != nav)
        return;
    TRect r = Rect(0, 0, Width(), Height());
    InflateRect(r, -3, -3);
    if (State() == bsDown)
        OffsetRect(r, 1, 1);
    Canvas()->DrawFocusRect(r);
}

}  // namespace korin
