#pragma once
// The platform classes the navigator builds on: the speed button, the panel, and the data
// source with its data link.
#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Buttons.h"
#include "korin/platform/gui/ExtCtrls.h"

namespace korin {

}  // namespace korin
