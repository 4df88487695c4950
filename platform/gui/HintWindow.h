#pragma once
// THintWindow: the small top-level window that shows a hint text. It is topmost, never
// takes the focus and never activates; descendants may change its window parameters
// (remove the border) and shape it with a window region.
#include <string>

#include "korin/platform/gui/Controls.h"

namespace korin {

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* AOwner);
    ~THintWindow() override;

    // Shows Hint in the window placed on Rect (screen coordinates, right and bottom
    // exclusive), above every other window, without taking the focus.
    virtual void ActivateHint(const TRect& Rect, const std::string& AHint);
    // The size the window needs for Hint with lines broken at MaxWidth pixels, as a
    // rectangle from (0, 0).
    virtual TRect CalcHintRect(int MaxWidth, const std::string& AHint);
    // Hides the window and releases its window handle.
    virtual void ReleaseHandle();
    // Whether the window is showing a hint now.
    bool Active() const { return Visible(); }
    // The width of Text in the window's font, measured outside painting (for placing
    // and sizing the window before it is shown).
    int TextWidth(const std::string& Text) const;

protected:
    // A bordered, topmost popup that is not activated when shown.
    void CreateParams(TCreateParams& Params) override;
    // The caption, left-aligned 2 pixels in, broken into lines at the window's width, in
    // the hint font's colour on the window's colour (clInfoBk).
    void Paint() override;
};

}  // namespace korin
