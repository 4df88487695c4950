#pragma once
// Actions as far as the application's hint needs them: when the hint text of the control
// under the mouse changes, the application hands a THintAction carrying it to the controls
// of its forms; a control that shows hints itself (a status bar with AutoHint) takes it.
#include <string>

#include "korin/platform/core/Component.h"

namespace korin {

class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
};

class THintAction : public TBasicAction {
public:
    explicit THintAction(TComponent* AOwner = nullptr) : TBasicAction(AOwner) {}
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value) { FHint = Value; }

private:
    std::string FHint;
};

// Implemented by controls that can carry out an action handed around the application.
class TActionTarget {
public:
    virtual ~TActionTarget() = default;
    // True when the control executed the action (the others are not asked).
    virtual bool ExecuteAction(TBasicAction* Action) = 0;
};

// Offers Action to the controls of every form, form by form in the screen's order and each
// form's controls depth-first, until one executes it; true when one did.
bool DispatchAction(TBasicAction* Action);
// The application's hint: setting it dispatches a THintAction with the text. The
// application sets it to the long hint of each control the mouse comes over.
const std::string& ApplicationHint();
void SetApplicationHint(const std::string& Hint);
// A hint "short|long" has a short part for the tool tip and a long one for the status
// bar; without a "|" both are the whole text.
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

}  // namespace korin
