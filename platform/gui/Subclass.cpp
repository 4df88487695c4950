#include "korin/platform/gui/Subclass.h"

#include <algorithm>

namespace korin {

TControlSubclass::~TControlSubclass()
{
    while (!FControls.empty())
        UnRegisterSubclass(FControls.back(), this);
}

void RegisterSubclass(TControl* Control, TControlSubclass* Subclass)
{
    if (!Control || !Subclass)
        return;
    auto& subs = Control->FSubclasses;
    if (std::find(subs.begin(), subs.end(), Subclass) != subs.end())
        return;
    subs.push_back(Subclass);
    Subclass->FControls.push_back(Control);
}

void UnRegisterSubclass(TControl* Control, TControlSubclass* Subclass)
{
    if (!Control || !Subclass)
        return;
    auto& subs = Control->FSubclasses;
    subs.erase(std::remove(subs.begin(), subs.end(), Subclass), subs.end());
    auto& ctls = Subclass->FControls;
    ctls.erase(std::remove(ctls.begin(), ctls.end(), Control), ctls.end());
}

void LoadAllControlsInAList(TWinControl* Parent, std::vector<TWinControl*>& List,
                            const std::function<bool(TWinControl*)>& Filter)
{
    if (!Parent)
        return;
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(Parent->Controls(i));
        if (!w)
            continue;
        if (!Filter || Filter(w))
            List.push_back(w);
        LoadAllControlsInAList(w, List, Filter);
    }
}

}  // namespace korin
