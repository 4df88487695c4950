#pragma once
// TCustomHintWindow: the navigator's balloon, an elliptical tool-tip with a small callout of
// two bubbles, shown for two seconds ("No more matches!").
#include <string>

#include "korin/platform/gui/HintWindow.h"
#include "korin/platform/gui/Region.h"
#include "korin/platform/gui/Timers.h"

namespace korin {

// hcdUp: the balloon stands above its anchor, the bubbles hang from its lower edge;
// hcdDown: it stands below, the bubbles rise from its upper edge.
enum THintCaloutDirection { hcdUp, hcdDown };

class TCustomHintWindow : public THintWindow {
public:
    explicit TCustomHintWindow(TComponent* AOwner);
    ~TCustomHintWindow() override;

    // Shows AHint in a balloon on Rect (screen coordinates, right and bottom absolute)
    // widened by the text's width, and hides it again 2000 ms later unless it is shown
    // again first.
    void ActivateHint(const TRect& Rect, const std::string& AHint) override;

    THintCaloutDirection CalloutDirection() const { return FCalloutDirection; }
    void SetCalloutDirection(THintCaloutDirection Value) { FCalloutDirection = Value; }
    TTimer* HideTimer() const { return FHideTimer; }
    // The current shape; null while none is held. The window owns it.
    HRGN Region() const { return FRegion; }

    // The hide timer's handler: stops the timer and hides the balloon.
    void HintTimerExpired(TObject* Sender);

protected:
    // No window border.
    void CreateParams(TCreateParams& Params) override;
    // The caption, centred in the client area (its left edge 1 pixel in), in the info-text
    // colour; ampersands are shown as they are.
    void Paint() override;
    // Detaches the current shape from the window and frees it.
    void FreeCurrentRegion();

private:
    TTimer* FHideTimer = nullptr;
    HRGN FRegion = nullptr;
    THintCaloutDirection FCalloutDirection = hcdUp;
};

}  // namespace korin
