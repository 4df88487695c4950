#include "korin/platform/gui/ActnList.h"

#include "korin/platform/gui/Forms.h"

namespace korin {

namespace {

std::string g_hint;

bool Offer(TControl* Control, TBasicAction* Action)
{
    if (auto* target = dynamic_cast<TActionTarget*>(Control))
        if (target->ExecuteAction(Action))
            return true;
    if (auto* w = dynamic_cast<TWinControl*>(Control))
        for (int i = 0; i < w->ControlCount(); ++i)
            if (Offer(w->Controls(i), Action))
                return true;
    return false;
}

}  // namespace

bool DispatchAction(TBasicAction* Action)
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Offer(Screen->Forms(i), Action))
            return true;
    return false;
}

const std::string& ApplicationHint() { return g_hint; }

std::string GetShortHint(const std::string& Hint)
{
    size_t bar = Hint.find('|');
    return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint)
{
    size_t bar = Hint.find('|');
    return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}

void SetApplicationHint(const std::string& Hint)
{
    g_hint = Hint;
    THintAction action;
    action.SetHint(Hint);
    DispatchAction(&action);
}

}  // namespace korin
