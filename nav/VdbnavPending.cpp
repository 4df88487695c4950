// Navigator actions whose work belongs to control tracking, keyboard dispatch and the find
// commands. Each is an empty placeholder until its part lands; the part that brings it
// replaces the definition here.
#include "korin/nav/Vdbnav.h"

namespace korin {

// Placeholder until keyboard dispatch lands: will move the focus to the first field
// control of the current data source (DoFirstField(CurrentControl)).
void TVandroDBNavigator::NavigateFirstField(TDataSet*) {}
// Placeholder until keyboard dispatch lands: will move the focus to the last field
// control of the current data source (DoLastField(CurrentControl)).
void TVandroDBNavigator::NavigateLastField(TDataSet*) {}
// Placeholder until focus tracking lands: will focus the default control of the next data
// source (the default-control list's FocusNextControl(CurrentControl)).
void TVandroDBNavigator::NavigateGotoNextDSControl() {}
// Placeholder until the find commands land: will open the locate dialog.
void TVandroDBNavigator::NavigateFind() {}
// Placeholder until the find commands land: will search on from the current record.
void TVandroDBNavigator::NavigateFindNext(TDataSet*) {}

}  // namespace korin
