#pragma once
// One default control per data source met on the form: the control that
// vnbGotoNextDSControl focuses when it moves on to that data source. The first selectable
// captured control of each data source starts as its default; the control last entered
// takes over.
#include <vector>

#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

class TVandroDBNavigator;

class TDefaultControl : public TObject {
public:
    TDefaultControl(TDataSource* ADataSource, TWinControl* AControl) : DataSource(ADataSource), Control(AControl) {}
    TDataSource* DataSource;
    TWinControl* Control;  // null when none is known
};

class TDefaultControlList : public TObject {
public:
    // Raises "Navigator is NIL.".
    explicit TDefaultControlList(TVandroDBNavigator* ANavigator);
    ~TDefaultControlList() override;

    virtual void Clear();
    // A control that can be the default of its data source: it has a data source, can
    // take the focus, stops on Tab, is enabled, and is no control grid or panel of one.
    virtual bool CheckSelectable(TWinControl* Control);
    // Makes Control the default of its data source (adding an entry for the data source
    // when it has none) unless the entry has one already and Force is false.
    void TryMakeDefault(TWinControl* Control, bool Force);
    // The control is no longer the default of its entry; the entry stays.
    void RemoveControl(TWinControl* Control);
    // The same for a component that is going away and is no longer a whole control (it
    // was deleted without Free()); it is found by address, never cast down.
    void RemoveComponent(const TComponent* Component);
    // Drops the entry of a data source that is going away.
    void RemoveDataSource(TDataSource* DataSource);
    // Focuses the default control of the data source after Control's, cycling, and
    // skipping data sources that have no selectable captured control.
    void FocusNextControl(TWinControl* Control);

    int Count() const { return static_cast<int>(FItems.size()); }
    TDefaultControl* Items(int Index) const { return FItems[static_cast<size_t>(Index)]; }
    int IndexOfControl(TWinControl* Control) const;
    int IndexOfDataSource(TDataSource* DataSource) const;
    TVandroDBNavigator* Navigator() const { return FNavigator; }

private:
    TVandroDBNavigator* FNavigator;
    std::vector<TDefaultControl*> FItems;
};

}  // namespace korin
