#include "korin/platform/gui/Backend.h"

namespace korin {

bool THeadlessBackend::DeliverInput(TApplication& App, bool Wait)
{
    if (FInput.empty()) {
        if (Wait)
            throw EScriptExhausted("The application waits for input, but the input script has none left");
        return false;
    }
    TInputEvent e = std::move(FInput.front());
    FInput.pop_front();
    e(App);
    return true;
}

}  // namespace korin
