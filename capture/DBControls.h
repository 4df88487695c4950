#pragma once
// The navigator's registry of captured controls. Capturing a control means: every window
// message of the control passes the navigator's BeforeWndProc before the control's own
// window procedure (one shared subclass object); a combo box (IsACustomControl) also has
// its OnKeyDown and OnKeyPress taken over by the navigator; a data-aware grid its
// OnColEnter. The application's own handlers are kept and called from the navigator's.
// Uncapturing gives back exactly what the capture replaced.
#include <cstdint>
#include <vector>

#include "korin/platform/gui/Controls.h"
#include "korin/platform/gui/Subclass.h"

namespace korin {

class TVandroDBNavigator;
class TDBControlsList;

// One captured control.
class TWinControlLink : public TObject {
public:
    // Raises "Control is NIL." or "Owner is NIL.".
    TWinControlLink(TWinControl* AControl, TDBControlsList* AList);
    ~TWinControlLink() override;

    virtual void Capture();
    virtual void UnCapture();
    virtual void CallOriginalOnKeyDown(std::uint16_t& Key, TShiftState Shift);
    virtual void CallOriginalOnKeyPress(char32_t& Key);
    // Drops the link to a control that is already being torn down, without touching it.
    void Forget() { FCaptured = false; }

    TDBControlsList* List() const { return FList; }
    TWinControl* Control() const { return FControl; }
    bool Captured() const { return FCaptured; }
    const TKeyEvent& OldOnKeyDown() const { return FOldOnKeyDown; }
    const TKeyPressEvent& OldOnKeyPress() const { return FOldOnKeyPress; }

protected:
    TDBControlsList* FList;
    TWinControl* FControl;
    TKeyEvent FOldOnKeyDown;
    TKeyPressEvent FOldOnKeyPress;
    bool FCaptured = false;
};

// A captured data-aware grid: its OnColEnter goes to the navigator's ColumnEnter.
class TGridControlLink : public TWinControlLink {
public:
    // Raises "Control must be TCustomDBGrid" for anything else (null included).
    TGridControlLink(TWinControl* AControl, TDBControlsList* AList);
    ~TGridControlLink() override;

    void Capture() override;
    void UnCapture() override;
    virtual void CallOriginalOnColEnter();
    const TNotifyEvent& OldOnColEnter() const { return FOldOnColEnter; }

private:
    TNotifyEvent FOldOnColEnter;
};

// The window-procedure hook shared by every captured control.
class TDBControlSubClass : public TControlSubclass {
public:
    explicit TDBControlSubClass(TVandroDBNavigator* ANavigator) : Navigator(ANavigator) {}
    void BeforeWndProc(TMessage& Message) override;
    void AfterWndProc(TMessage& Message) override;

    TVandroDBNavigator* Navigator;
};

// The registry: one link per captured control, in the order of the form scan.
class TDBControlsList : public TObject {
public:
    // Raises "Navigator is NIL.".
    explicit TDBControlsList(TVandroDBNavigator* ANavigator);
    ~TDBControlsList() override;

    // Frees every link (each uncaptures its control), last first.
    virtual void Clear();
    // Appends a link (a grid link for a TCustomDBGrid), captures it when Capture is set
    // and returns its index. No duplicate check.
    virtual int AddDBControl(TWinControl* Control, bool Capture);
    // Uncaptures and frees the control's link; its former index, or -1 when it had none.
    virtual int RemoveDBControl(TWinControl* Control);
    // Frees the link at Index and deletes the slot.
    virtual void DeleteDBControl(int Index);
    // Drops the link of a control that is already half destroyed (its window procedure
    // route is gone with it) without touching the control; the former index or -1.
    int ForgetDBControl(TComponent* Control);

    int Count() const { return static_cast<int>(FItems.size()); }
    TWinControlLink* Items(int Index) const;
    int IndexOfControl(TWinControl* Control) const;
    TWinControlLink* GetLinkToControl(TWinControl* Control) const;
    // The control of the link at Index; null out of range.
    TWinControl* Controls(int Index) const;

    void CallOriginalOnKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift);
    void CallOriginalOnKeyPress(TObject* Sender, char32_t& Key);
    void CallOriginalOnColEnter(TObject* Sender);

    TVandroDBNavigator* Navigator() const { return FNavigator; }
    TDBControlSubClass* SubClass() const { return FSubClass; }

private:
    TVandroDBNavigator* FNavigator;
    TDBControlSubClass* FSubClass = nullptr;
    std::vector<TWinControlLink*> FItems;
};

}  // namespace korin
