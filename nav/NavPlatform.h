#pragma once
// The platform classes the navigator builds on: the speed button, the panel, and the data
// source with its data link.
#include "platform/db/DB.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
