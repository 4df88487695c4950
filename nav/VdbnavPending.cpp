// Navigator actions whose work belongs to the find commands. Each is an empty placeholder
// until its part lands; the part that brings it replaces the definition here.
#include "korin/nav/Vdbnav.h"

namespace korin {

// Placeholder until the find commands land: will open the locate dialog.
void TVandroDBNavigator::NavigateFind() {}
// Placeholder until the find commands land: will search on from the current record.
void TVandroDBNavigator::NavigateFindNext(TDataSet*) {}

}  // namespace korin
