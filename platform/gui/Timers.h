#pragma once
// TTimer: fires OnTimer every Interval milliseconds of the application's clock, between
// messages, while Enabled. Setting Interval or Enabled restarts the count.
#include "korin/platform/core/Component.h"

namespace korin {

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    int Interval() const { return FInterval; }
    void SetInterval(int Value);
    TNotifyEvent OnTimer;

    bool Active() const { return FEnabled && FInterval > 0; }
    double NextDue() const { return FDue; }
    // Runs OnTimer now (the application calls it when the timer is due).
    void Fire();

private:
    void Restart();
    bool FEnabled = true;
    int FInterval = 1000;
    double FDue = 0;
};

}  // namespace korin
