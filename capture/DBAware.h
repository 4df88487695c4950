#pragma once
// What the navigator knows about the controls of its form: whether a control is one of
// the data-aware classes it handles, and which data source, dataset and field it shows,
// whether it shows one record or several, and how many rows.
//
// Every answer comes from class tests against one fixed list of classes (the data-aware
// controls of the platform, TKDBComboBox, TDBSpinEdit and TDBKGrid) followed by a read of
// that class's own property; a control of any other class is not data-aware here,
// whatever properties it has. A null control passes no test.
#include "korin/platform/db/DB.h"
#include "korin/platform/gui/Controls.h"

namespace korin {

class TKStatusBar;

// Whether a control shows the current record only or several records at once (grids,
// control grids and the controls on a control grid's panel). oeOther is never produced.
enum TDBObjectEntity { oeSingleRow, oeMultiRow, oeOther };

// True for an instance of one of the handled data-aware classes.
bool IsControlDBAware(TWinControl* Control);
// The filter of the form scan: the same test as IsControlDBAware.
bool CheckControl(TWinControl* Control);
// The data source the control shows, or null. Never raises.
TDataSource* GetDataSource(TWinControl* Control);
// The dataset of GetDataSource, or null.
TDataSet* GetDataSet(TWinControl* Control);
// The field the control shows (a grid: the field of its selected column), or null.
// Never raises.
TField* GetDataField(TWinControl* Control);
TDBObjectEntity GetDBControlEntity(TWinControl* Control);
// The rows the control shows: a grid's visible rows, a control grid's RowCount (also for
// a control on its panel), else 1. Control must not be null.
int GetControlRowCount(TWinControl* Control);
// Filter of the status bar scan: the control is a TKStatusBar.
bool IsStatusBar(TWinControl* Control);
// The control as a TKStatusBar, or null.
TKStatusBar* AsStatusBar(TWinControl* Control);
bool IsNavigator(TWinControl* Control);
// A combo box or a lookup combo box: the controls whose OnKeyDown and OnKeyPress the
// navigator takes over when it captures them.
bool IsACustomControl(TControl* Control);

}  // namespace korin
