// The standard controls' registration and the accelerator helpers of captions; the
// controls live in ButtonControls, Label, Edit, Memo and GroupBox.cpp.
#include "korin/platform/gui/StdCtrls.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/gui/Canvas.h"
#include "korin/platform/gui/Draw3D.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Keyboard.h"

namespace korin {

// Registered as soon as the standard controls are linked in.
static const bool g_standardControlsRegistered = (RegisterStandardControls(), true);

bool IsAccel(char32_t Ch, const std::string& Caption)
{
    for (size_t i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != '&')
            continue;
        if (Caption[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(Caption[i + 1]);
        return Ch < 128 && std::toupper(static_cast<int>(Ch)) == std::toupper(c);
    }
    return false;
}

std::string StripAccel(const std::string& Caption)
{
    std::string r;
    for (size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&' && i + 1 < Caption.size()) {
            ++i;
        }
        r += Caption[i];
    }
    return r;
}

}  // namespace korin
