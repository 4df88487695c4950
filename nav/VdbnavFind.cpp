// The find commands: FIND opens the locate dialog and searches the current field of the
// navigator's data source; FIND NEXT repeats the last search from the record after the
// current one. Every failure ends in the balloon "No more matches!" with FIND NEXT off.
#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/DB.h"
#include "korin/search/Dbsearch.h"

namespace korin {

// The search object takes the navigator's data source and the field of the focused
// data-aware control: its name as the dialog's default, its label as the field searched.
void TVandroDBNavigator::PrepareFind(TField* Field)
{
    FFindOptions->SetDataSource(DataSource());
    FFindOptions->SetDefaultFieldName(Field->FieldName());
    FFindOptions->SetSearchField(Field->DisplayLabel());
}

void TVandroDBNavigator::NavigateFind()
{
    // The dialog searches the focused control's field: with none there is nothing to do.
    TField* field = LiveCurrentField();
    if (!DataSource() || !field)
        return;
    FFindActive = true;
    try {
        PrepareFind(field);
        if (!FFindOptions->Locate())
            ResetFind();
    } catch (const Exception&) {
        // What went wrong is not shown; the balloon says the search ended.
        DoCustomHint();
        ResetFind();
    }
}

void TVandroDBNavigator::NavigateFindNext(TDataSet*)
{
    // The field is taken again: a find-next searches the field that has the focus now,
    // with the text and options of the last dialog (which opens when there was none).
    TField* field = LiveCurrentField();
    if (!DataSource() || !field)
        return;
    try {
        PrepareFind(field);
        FFindOptions->LocateNext();
    } catch (const Exception&) {
        DoCustomHint();
        ResetFind();
    }
}

}  // namespace korin
