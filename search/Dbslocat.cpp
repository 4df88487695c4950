#include "search/Dbslocat.h"

#include "search/Dbsearch.h"

TDLGLocate* DLGLocate = nullptr;
bool GotoFirst = false;
bool GotoLast = false;
bool FindNext = false;

// The dialog is built on the standard controls, which are not in the platform yet;
// until then no dialog is shown and nothing is chosen.
bool TCustomdbSearch::GetLocateInfo() { return false; }
