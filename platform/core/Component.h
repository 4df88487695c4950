#pragma once
// The component model: an owner frees what it owns; components that asked for it hear
// of another component's removal before it is gone; Loaded runs after a form file has
// been read.
//
// Free a component with Free() (or let its owner do it). Free() sends the removal
// notifications while the component is still whole, so that a receiver can test its
// class; a plain `delete` works too, but receivers then see only a TComponent.
#include <any>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "korin/platform/core/Exception.h"
#include "korin/platform/core/Object.h"

namespace korin {

enum TOperation { opInsert, opRemove };

// Component state flags.
enum TComponentStateFlag : std::uint32_t {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csFreeNotification = 1u << 5,
};
using TComponentState = std::uint32_t;

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    // Frees this component: notifications first, then the destructors.
    void Free();

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;

    const std::string& Name() const { return FName; }
    virtual void SetName(const std::string& NewName);

    TComponentState ComponentState() const { return FComponentState; }
    bool InState(TComponentState flags) const { return (FComponentState & flags) != 0; }
    // Marks the component (and what it owns) as being designed.
    void SetDesigning(bool Value, bool SetChildren = true);
    // Loading protocol used by the form reader: SetLoading(true) … Loaded().
    void SetLoading(bool Value) { SetState(csLoading | csReading, Value); }

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    TComponent* FindComponent(const std::string& AName) const;

    // Asks AComponent to tell this component (Notification opRemove) when it goes.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Called after the component has been read from a form file.
    virtual void Loaded();
    // Told when AComponent is inserted into or removed from this component's owner
    // family, or when a component this one asked about goes away.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // Form-file structure: the component a child is placed on (a control's Parent) and
    // the children written inside this component's block. The form reader calls
    // SetParentComponent after creating a nested object; the writer walks GetChildren.
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual bool HasParent() const { return false; }
    virtual void SetParentComponent(TComponent* Value) {}
    virtual std::vector<TComponent*> GetChildren(TComponent* Root) const;

    // The methods a form class offers to its form file: `OnClick = FindFirstButtonClick`
    // binds the event to the handler registered here under that name (names compare
    // without regard to case). The handler is kept as the exact std::function type of the
    // events it may serve, e.g. TNotifyEvent; registering a name again replaces it.
    void RegisterMethod(const std::string& Name, std::any Handler);
    // The handler registered under Name, or nullptr.
    const std::any* FindMethod(const std::string& Name) const;

    // Sends the removal notifications once; called by Free() and, at the latest, by
    // the destructors of the platform's base classes. Free() calls it while the whole
    // object still exists, so an override can undo what needs a derived class's own
    // versions of virtual functions; it calls the inherited one at its end.
    virtual void BeforeDestruction();

protected:
    void SetState(TComponentState flags, bool on)
    {
        if (on)
            FComponentState |= flags;
        else
            FComponentState &= ~flags;
    }
    // Frees every owned component, last first.
    void DestroyComponents();

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    std::string FName;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState = 0;
    bool FRemovalSent = false;
    std::map<std::string, std::any> FMethods; // keyed by the upper-cased name
};

// Deleter for std::unique_ptr that frees components the proper way.
struct TComponentDeleter {
    void operator()(TComponent* c) const
    {
        if (c)
            c->Free();
    }
};
template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

}  // namespace korin
