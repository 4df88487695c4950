#include "korin/platform/gui/Timers.h"

#include "korin/platform/gui/Forms.h"

namespace korin {

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner)
{
    Application->RegisterTimer(this);
    Restart();
}

TTimer::~TTimer()
{
    Application->UnregisterTimer(this);
}

void TTimer::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    Restart();
}

void TTimer::SetInterval(int Value)
{
    if (Value == FInterval)
        return;
    FInterval = Value;
    Restart();
}

void TTimer::Restart() { FDue = Application->Now() + FInterval; }

void TTimer::Fire()
{
    if (!Active())
        return;
    if (OnTimer)
        OnTimer(this);
}

}  // namespace korin
