#pragma once
// Window-procedure subclassing. From RegisterSubclass on, every message sent or
// dispatched to the control passes, as the same record, through the subclass object's
// BeforeWndProc, then the control's own window procedure, then AfterWndProc. Changes that
// BeforeWndProc makes to the record are what the window procedure receives. One subclass
// object may serve many controls; while it handles a message, Control() names the
// control the message is for. UnRegisterSubclass restores the control's routing exactly.
#include <functional>
#include <vector>

#include "korin/platform/gui/Controls.h"

namespace korin {

class TControlSubclass : public TObject {
public:
    TControlSubclass() = default;
    ~TControlSubclass() override;

    virtual void BeforeWndProc(TMessage& Message) {}
    virtual void AfterWndProc(TMessage& Message) {}

    // The control whose message is being handled (null between messages).
    TControl* Control() const { return FControl; }
    const std::vector<TControl*>& RegisteredControls() const { return FControls; }

private:
    friend class TControl;
    friend void RegisterSubclass(TControl*, TControlSubclass*);
    friend void UnRegisterSubclass(TControl*, TControlSubclass*);
    TControl* FControl = nullptr;
    std::vector<TControl*> FControls;
};

void RegisterSubclass(TControl* Control, TControlSubclass* Subclass);
void UnRegisterSubclass(TControl* Control, TControlSubclass* Subclass);

// Appends to List every windowed control under Parent, at any depth (depth first, in
// z-order), for which Filter answers true.
void LoadAllControlsInAList(TWinControl* Parent, std::vector<TWinControl*>& List,
                            const std::function<bool(TWinControl*)>& Filter);

}  // namespace korin
