#include "korin/capture/DBControls.h"

#include <utility>

#include "korin/capture/DBAware.h"
#include "korin/nav/Vdbnav.h"
#include "korin/platform/dbctrls/DBGrids.h"

namespace korin {

// ---- one captured control --------------------------------------------------------------

TWinControlLink::TWinControlLink(TWinControl* AControl, TDBControlsList* AList) : FList(AList), FControl(AControl)
{
    if (!AControl)
        throw Exception("Control is NIL.");
    if (!AList)
        throw Exception("Owner is NIL.");
}

TWinControlLink::~TWinControlLink()
{
    UnCapture();
}

void TWinControlLink::Capture()
{
    if (FCaptured)
        return;
    RegisterSubclass(FControl, FList->SubClass());
    if (IsACustomControl(FControl)) {
        TVandroDBNavigator* nav = FList->Navigator();
        FOldOnKeyPress = FControl->OnKeyPress;
        FOldOnKeyDown = FControl->OnKeyDown;
        FControl->OnKeyPress = [nav](TObject* Sender, char32_t& Key) { nav->CKeyPress(Sender, Key); };
        FControl->OnKeyDown = [nav](TObject* Sender, std::uint16_t& Key, TShiftState Shift) {
            nav->CKeyDown(Sender, Key, Shift);
        };
    }
    FCaptured = true;
}

void TWinControlLink::UnCapture()
{
    if (!FCaptured)
        return;
    UnRegisterSubclass(FControl, FList->SubClass());
    if (IsACustomControl(FControl)) {
        FControl->OnKeyPress = std::exchange(FOldOnKeyPress, nullptr);
        FControl->OnKeyDown = std::exchange(FOldOnKeyDown, nullptr);
    }
    FCaptured = false;
}

void TWinControlLink::CallOriginalOnKeyDown(std::uint16_t& Key, TShiftState Shift)
{
    if (FOldOnKeyDown) {
        TKeyEvent handler = FOldOnKeyDown;  // the handler may end the capture
        handler(FControl, Key, Shift);
    }
}

void TWinControlLink::CallOriginalOnKeyPress(char32_t& Key)
{
    if (FOldOnKeyPress) {
        TKeyPressEvent handler = FOldOnKeyPress;
        handler(FControl, Key);
    }
}

// ---- a captured data-aware grid --------------------------------------------------------

namespace {

TWinControl* CheckGrid(TWinControl* Control)
{
    if (!Is<TCustomDBGrid>(Control))
        throw Exception("Control must be TCustomDBGrid");
    return Control;
}

}  // namespace

TGridControlLink::TGridControlLink(TWinControl* AControl, TDBControlsList* AList)
    : TWinControlLink(CheckGrid(AControl), AList)
{
}

TGridControlLink::~TGridControlLink()
{
    // The grid's own part is given back here, while this class is still whole.
    UnCapture();
}

void TGridControlLink::Capture()
{
    if (!FCaptured) {
        auto* grid = As<TCustomDBGrid>(FControl);
        TVandroDBNavigator* nav = FList->Navigator();
        FOldOnColEnter = grid->OnColEnter;
        grid->OnColEnter = [nav](TObject* Sender) { nav->ColumnEnter(Sender); };
    }
    TWinControlLink::Capture();
}

void TGridControlLink::UnCapture()
{
    if (FCaptured)
        As<TCustomDBGrid>(FControl)->OnColEnter = std::exchange(FOldOnColEnter, nullptr);
    TWinControlLink::UnCapture();
}

void TGridControlLink::CallOriginalOnColEnter()
{
    if (FOldOnColEnter) {
        TNotifyEvent handler = FOldOnColEnter;
        handler(FControl);
    }
}

// ---- the window-procedure hook ---------------------------------------------------------

void TDBControlSubClass::BeforeWndProc(TMessage& Message)
{
    TControlSubclass::BeforeWndProc(Message);
    if (Navigator)
        Navigator->BeforeWndProc(Message);
}

void TDBControlSubClass::AfterWndProc(TMessage& Message)
{
    TControlSubclass::AfterWndProc(Message);
    if (Navigator)
        Navigator->AfterWndProc(Message);
}

// ---- the registry ----------------------------------------------------------------------

TDBControlsList::TDBControlsList(TVandroDBNavigator* ANavigator) : FNavigator(ANavigator)
{
    if (!ANavigator)
        throw Exception("Navigator is NIL.");
    FSubClass = new TDBControlSubClass(ANavigator);
}

TDBControlsList::~TDBControlsList()
{
    TDBControlsList::Clear();
    delete std::exchange(FSubClass, nullptr);
}

void TDBControlsList::Clear()
{
    for (int i = Count() - 1; i >= 0; --i)
        DeleteDBControl(i);
    FItems.clear();
}

int TDBControlsList::AddDBControl(TWinControl* Control, bool Capture)
{
    TWinControlLink* link = Is<TCustomDBGrid>(Control) ? new TGridControlLink(Control, this)
                                                       : new TWinControlLink(Control, this);
    FItems.push_back(link);
    if (Capture)
        link->Capture();
    return Count() - 1;
}

int TDBControlsList::RemoveDBControl(TWinControl* Control)
{
    int index = IndexOfControl(Control);
    if (index < 0)
        return -1;
    TWinControlLink* link = FItems[static_cast<size_t>(index)];
    link->UnCapture();
    FItems.erase(FItems.begin() + index);
    delete link;
    return index;
}

void TDBControlsList::DeleteDBControl(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    if (TWinControlLink* link = std::exchange(FItems[static_cast<size_t>(Index)], nullptr))
        delete link;
    FItems.erase(FItems.begin() + Index);
}

int TDBControlsList::ForgetDBControl(TComponent* Control)
{
    for (int i = 0; i < Count(); ++i) {
        TWinControlLink* link = FItems[static_cast<size_t>(i)];
        if (link && static_cast<TComponent*>(link->Control()) == Control) {
            link->Forget();
            FItems.erase(FItems.begin() + i);
            delete link;
            return i;
        }
    }
    return -1;
}

TWinControlLink* TDBControlsList::Items(int Index) const
{
    return Index >= 0 && Index < Count() ? FItems[static_cast<size_t>(Index)] : nullptr;
}

int TDBControlsList::IndexOfControl(TWinControl* Control) const
{
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<size_t>(i)] && FItems[static_cast<size_t>(i)]->Control() == Control)
            return i;
    return -1;
}

TWinControlLink* TDBControlsList::GetLinkToControl(TWinControl* Control) const
{
    return Items(IndexOfControl(Control));
}

TWinControl* TDBControlsList::Controls(int Index) const
{
    TWinControlLink* link = Items(Index);
    return link ? link->Control() : nullptr;
}

void TDBControlsList::CallOriginalOnKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift)
{
    auto* control = As<TWinControl>(Sender);
    if (TWinControlLink* link = control ? GetLinkToControl(control) : nullptr)
        link->CallOriginalOnKeyDown(Key, Shift);
}

void TDBControlsList::CallOriginalOnKeyPress(TObject* Sender, char32_t& Key)
{
    auto* control = As<TWinControl>(Sender);
    if (TWinControlLink* link = control ? GetLinkToControl(control) : nullptr)
        link->CallOriginalOnKeyPress(Key);
}

void TDBControlsList::CallOriginalOnColEnter(TObject* Sender)
{
    auto* control = As<TWinControl>(Sender);
    if (auto* link = As<TGridControlLink>(control ? GetLinkToControl(control) : nullptr))
        link->CallOriginalOnColEnter();
}

}  // namespace korin
