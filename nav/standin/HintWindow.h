#pragma once
// TEMPORARY stand-in for the platform's hint window (platform/gui/HintWindow.h), used only
// until that header lands; see nav/Vdbnavhint.h. A parentless, topmost window that shows a
// text on the hint colours and never takes the focus.
#include <string>

#include "platform/gui/Controls.h"

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* AOwner);
    ~THintWindow() override;

    // Shows AHint in the window placed on Rect (screen coordinates).
    virtual void ActivateHint(const TRect& Rect, const std::string& AHint);
    // The size the window needs for AHint at most MaxWidth wide, from (0, 0).
    virtual TRect CalcHintRect(int MaxWidth, const std::string& AHint);
    // Hides the window and releases its window handle.
    virtual void ReleaseHandle();
    bool Active() const { return Visible(); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
};
