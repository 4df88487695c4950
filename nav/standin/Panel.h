#pragma once
// TEMPORARY stand-in for the platform's panel (platform/gui/ExtCtrls.h), used only until
// that header lands; see nav/NavPlatform.h. A windowed control that fills itself with its
// colour and accepts children.
#include "platform/gui/Controls.h"

class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
    {
        SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque);
    }
};
