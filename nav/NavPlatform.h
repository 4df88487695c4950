#pragma once
// The platform classes the navigator builds on: the speed button, the panel, and the data
// source with its data link.
//
// TEMPORARY: while the platform's own Buttons.h and ExtCtrls.h have not landed,
// minimal stand-ins from nav/standin/ take their place so that the navigator builds and its
// layout, timers and wiring can be tested. Each stand-in switches itself off as soon as the
// real header exists; delete nav/standin/ then.
#if __has_include("platform/gui/Buttons.h")
#include "platform/gui/Buttons.h"
#else
#include "nav/standin/SpeedButton.h"
#endif

#if __has_include("platform/gui/ExtCtrls.h")
#include "platform/gui/ExtCtrls.h"
#else
#include "nav/standin/Panel.h"
#endif

#include "platform/db/DB.h"
