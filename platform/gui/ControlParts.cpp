#include "korin/platform/gui/ControlParts.h"

#include <algorithm>

#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

namespace ctlparts {

TRect SunkenField(TCanvas& c, TRect r)
{
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    return r;
}

void TextInRect(TCanvas& c, const TRect& r, int x, const std::string& text)
{
    SetBkMode(c.Handle(), TRANSPARENT);
    int th = c.TextHeight("Hg");
    c.TextRect(r, x, r.Top + (r.Height() - th) / 2, text);
}

int MoveIndex(std::uint16_t key, int current, int count, int page)
{
    if (count <= 0)
        return -1;
    switch (key) {
    case VK_UP: return current < 0 ? 0 : std::max(0, current - 1);
    case VK_DOWN: return std::min(count - 1, current + 1);
    case VK_HOME: return 0;
    case VK_END: return count - 1;
    case VK_PRIOR: return std::max(0, (current < 0 ? 0 : current) - std::max(1, page - 1));
    case VK_NEXT: return std::min(count - 1, (current < 0 ? 0 : current) + std::max(1, page - 1));
    }
    return current;
}

bool IsPagingKey(std::uint16_t key)
{
    return key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT;
}

void DrawControlText(TCanvas& c, const std::string& text, TRect r, unsigned flags, bool enabled)
{
    c.Brush().SetStyle(bsClear);
    if (enabled) {
        DrawText(c, text, r, flags);
        return;
    }
    TColor saved = c.Font().Color();
    OffsetRect(r, 1, 1);
    c.Font().SetColor(clBtnHighlight);
    DrawText(c, text, r, flags);
    OffsetRect(r, -1, -1);
    c.Font().SetColor(clBtnShadow);
    DrawText(c, text, r, flags);
    c.Font().SetColor(saved);
}

void OnFontChange(TFont& font, std::function<void()> handler)
{
    TNotifyEvent previous = font.OnChange;
    font.OnChange = [previous, handler](TObject* sender) {
        if (previous)
            previous(sender);
        handler();
    };
}

}  // namespace ctlparts

}  // namespace korin
