#include "korin/platform/gui/Popups.h"

#include <algorithm>

#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Render.h"

namespace korin {

namespace {
std::vector<TWinControl*>& Registry()
{
    static std::vector<TWinControl*> popups;  // z-order, bottom first
    return popups;
}

bool IsTopmost(TWinControl* w)
{
    w->HandleNeeded();
    return (w->WindowParams().ExStyle & WS_EX_TOPMOST) != 0;
}
}  // namespace

void RegisterPopupWindow(TWinControl* Window)
{
    auto& r = Registry();
    if (Window && std::find(r.begin(), r.end(), Window) == r.end())
        r.push_back(Window);
}

void UnregisterPopupWindow(TWinControl* Window)
{
    auto& r = Registry();
    r.erase(std::remove(r.begin(), r.end(), Window), r.end());
}

bool IsPopupWindow(const TControl* Control)
{
    auto& r = Registry();
    return Control && std::find(r.begin(), r.end(), Control) != r.end();
}

void BringPopupToFront(TWinControl* Window)
{
    auto& r = Registry();
    auto it = std::find(r.begin(), r.end(), Window);
    if (it == r.end())
        return;
    r.erase(it);
    r.push_back(Window);
}

std::vector<TWinControl*> PopupWindows()
{
    std::vector<TWinControl*> out;
    // Ordinary popups first, topmost ones above them; the order within each group is the
    // order in which they were brought to the front.
    for (bool topmost : {false, true})
        for (TWinControl* w : Registry())
            if (w->Visible() && IsTopmost(w) == topmost)
                out.push_back(w);
    return out;
}

TWinControl* PopupWindowAt(TPoint p, TPoint* Local)
{
    auto popups = PopupWindows();
    for (auto it = popups.rbegin(); it != popups.rend(); ++it) {
        TWinControl* w = *it;
        TPoint q = w->ScreenToClient(p);
        if (q.x < 0 || q.y < 0 || q.x >= w->Width() || q.y >= w->Height())
            continue;
        if (w->WindowRgn() && !PtInRegion(w->WindowRgn(), q.x, q.y))
            continue;
        if (Local)
            *Local = q;
        return w;
    }
    return nullptr;
}

TWinControl* TopLevelWindow(const TControl* Control)
{
    const TControl* c = Control;
    while (c && c->Parent())
        c = c->Parent();
    return const_cast<TWinControl*>(dynamic_cast<const TWinControl*>(c));
}

std::unique_ptr<TBitmap> RenderWindowWithPopups(TWinControl* Window, bool WithFrame)
{
    auto bmp = RenderWindow(Window, WithFrame);
    // The screen position of the bitmap's top-left pixel.
    TPoint origin = Window->ClientOrigin();
    auto* form = dynamic_cast<TCustomForm*>(Window);
    if (WithFrame && form && form->BorderStyle() != bsNone && !form->Parent())
        origin = Point(form->Left(), form->Top());
    for (TWinControl* p : PopupWindows()) {
        if (p == Window)
            continue;
        TPoint at = p->ClientOrigin();
        PaintControlAt(p, bmp->Canvas(), at.x - origin.x, at.y - origin.y);
    }
    return bmp;
}

void SaveWindowWithPopupsToPNG(TWinControl* Window, const std::string& Path, bool WithFrame)
{
    RenderWindowWithPopups(Window, WithFrame)->SaveToPNG(Path);
}

}  // namespace korin
