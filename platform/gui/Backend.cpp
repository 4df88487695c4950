#include "korin/platform/gui/Backend.h"

namespace korin {

bool TBackend::DeliverScripted(TApplication& App)
{
    if (FInput.empty())
        return false;
    TInputEvent e = std::move(FInput.front());
    FInput.pop_front();
    e(App);
    return true;
}

bool THeadlessBackend::DeliverInput(TApplication& App, bool Wait)
{
    if (DeliverScripted(App))
        return true;
    if (Wait)
        throw EScriptExhausted("The application waits for input, but the input script has none left");
    return false;
}

}  // namespace korin
