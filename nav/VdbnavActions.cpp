// The dispatcher every navigator button press ends in, and the actions that act on the
// dataset directly.
#include "korin/nav/Vdbnav.h"
#include "korin/nav/Vdbnavbuf.h"
#include "korin/platform/core/DateUtils.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/gui/Forms.h"

namespace korin {

void TVandroDBNavigator::Navigate(TVNavigateBtn Button)
{
    TDataSource* source = DataSource();
    if (!source)
        return;
    TDataSet* ds = source->DataSet();
    if (!ds || ds->ControlsDisabled())
        return;
    // The application may veto any press, also of a disabled button.
    bool doAction = true;
    if (BeforeAction)
        BeforeAction(this, Button, doAction);
    if (!doAction)
        return;
    if (!FButtons[Button]->Enabled())
        return;

    switch (Button) {
    case vnbFirst: NavigateFirst(ds); break;
    case vnbPriorPage: NavigatePriorPage(ds); break;
    case vnbFirstField: NavigateFirstField(ds); break;
    case vnbPrior: NavigatePrior(ds); break;
    case vnbNext: NavigateNext(ds); break;
    case vnbLastField: NavigateLastField(ds); break;
    case vnbNextPage: NavigateNextPage(ds); break;
    case vnbLast: NavigateLast(ds); break;
    case vnbInsert: NavigateInsert(ds); break;
    case vnbDelete: NavigateDelete(ds); break;
    case vnbEdit: NavigateEdit(ds); break;
    case vnbPost: NavigatePost(ds); break;
    case vnbCancel: NavigateCancel(ds); break;
    case vnbRefresh: NavigateRefresh(ds); break;
    case vnbIncrementalSearch: NavigateIncrementalSearch(); break;
    case vnbFilter: NavigateFilter(ds); break;
    case vnbQuery: NavigateQuery(ds); break;
    case vnbFind: NavigateFind(); break;
    case vnbFindNext: NavigateFindNext(ds); break;
    case vnbDittoCopyField: NavigateDittoCopyField(ds); break;
    case vnbDittoCopyRecord: NavigateDittoCopyRecord(ds); break;
    case vnbGotoNextDSControl: NavigateGotoNextDSControl(); break;
    case vnbCopyRec: NavigateCopyRec(ds); break;
    case vnbPasteRec: NavigatePasteRec(ds); break;
    case vnbDateTime: NavigateDateTime(ds); break;
    }
}

// ---- moves -----------------------------------------------------------------------------

void TVandroDBNavigator::NavigateFirst(TDataSet* DS) { DS->First(); }
void TVandroDBNavigator::NavigatePrior(TDataSet* DS) { DS->Prior(); }
void TVandroDBNavigator::NavigateNext(TDataSet* DS) { DS->Next(); }
void TVandroDBNavigator::NavigateLast(TDataSet* DS) { DS->Last(); }

// A page is one less than the rows a multi-row control shows, or than the stored page
// size: the record at the edge stays in view.
void TVandroDBNavigator::NavigatePriorPage(TDataSet* DS) { DS->MoveBy(-PageRowsCount()); }
void TVandroDBNavigator::NavigateNextPage(TDataSet* DS) { DS->MoveBy(PageRowsCount()); }

// ---- editing ---------------------------------------------------------------------------

void TVandroDBNavigator::NavigateInsert(TDataSet* DS)
{
    // The record being left is what DITTO FIELD and DITTO RECORD copy from.
    FDittoBuffer->Copy(DS);
    DS->Insert();
}

void TVandroDBNavigator::NavigateDelete(TDataSet* DS)
{
    if (FConfirmDelete
        && MessageBox(Handle(), "Record will be deleted. Continue?", "WARNING", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // A control grid deletes through its own key handling (its confirmation applies):
    // when the current control is a control grid, or sits directly on a control grid's
    // panel.
    if (auto* grid = As<TDBCtrlGrid>(CurrentControl)) {
        grid->DoKey(gkDelete);
        return;
    }
    if (CurrentControl && Is<TDBCtrlPanel>(CurrentControl->Parent())) {
        if (auto* owner = As<TDBCtrlGrid>(CurrentControl->Parent()->Parent())) {
            owner->DoKey(gkDelete);
            return;
        }
    }
    DS->Delete();
}

void TVandroDBNavigator::NavigateEdit(TDataSet* DS) { DS->Edit(); }
void TVandroDBNavigator::NavigatePost(TDataSet* DS) { DS->Post(); }
void TVandroDBNavigator::NavigateCancel(TDataSet* DS) { DS->Cancel(); }

// ---- refresh ---------------------------------------------------------------------------

void TVandroDBNavigator::SaveDataSetPosition(TDataSet* DataSet, std::string& KeyFields, Variant& KeyValues)
{
    KeyFields.clear();
    int n = DataSet->FieldCount();
    if (n == 1) {
        KeyFields = DataSet->Fields(0)->FieldName();
        KeyValues = DataSet->Fields(0)->Value();
        return;
    }
    KeyValues = VarArrayCreate(0, n - 1);
    for (int i = 0; i < n; ++i) {
        TField* f = DataSet->Fields(i);
        KeyValues[i] = f->Value();
        KeyFields += (KeyFields.empty() ? "" : ";") + f->FieldName();
    }
}

void TVandroDBNavigator::NavigateRefresh(TDataSet* DS)
{
    if (Is<TQuery>(DS)) {
        // Re-open the query and come back to the first record holding the same values;
        // when it is gone the query stays on its first record. Any failure is dropped.
        try {
            std::string keyFields;
            Variant keyValues;
            SaveDataSetPosition(DS, keyFields, keyValues);
            DS->SetActive(false);
            DS->SetActive(true);
            DS->Locate(keyFields, keyValues, 0);
        } catch (const EDatabaseError&) {
        }
        return;
    }
    try {
        DS->Refresh();
    } catch (const EDatabaseError&) {
        try {
            DS->Resync(0);
        } catch (const EDatabaseError&) {
        }
    }
}

// ---- modes owned by filter, query and incremental search -------------------------------

void TVandroDBNavigator::NavigateIncrementalSearch() { ISearchMode(!FISearchActive); }
void TVandroDBNavigator::NavigateFilter(TDataSet*) { ApplyFilter(nfaChange); }
void TVandroDBNavigator::NavigateQuery(TDataSet*) { ApplyQuery(nqaChange); }

// ---- record buffers --------------------------------------------------------------------

void TVandroDBNavigator::NavigateDittoCopyField(TDataSet* DS)
{
    if (CurrentField)
        FDittoBuffer->PasteField(DS, CurrentField);
}

void TVandroDBNavigator::NavigateDittoCopyRecord(TDataSet* DS) { FDittoBuffer->Paste(DS); }

void TVandroDBNavigator::NavigateCopyRec(TDataSet* DS)
{
    try {
        DS->UpdateCursorPos();
        FCopyBuffer->Copy(DS);
        ChangeButtonState(vnbPasteRec, true);
    } catch (const EDatabaseError&) {
        ChangeButtonState(vnbPasteRec, false);
    }
}

void TVandroDBNavigator::NavigatePasteRec(TDataSet* DS)
{
    try {
        FCopyBuffer->Paste(DS);
    } catch (const EDatabaseError&) {
    }
}

// ---- date and time ---------------------------------------------------------------------

void TVandroDBNavigator::NavigateDateTime(TDataSet*)
{
    if (!CurrentField || !CurrentField->CanModify())
        return;
    // Assigned as a date-time value, so no display format is involved.
    switch (CurrentField->DataType()) {
    case ftDate: CurrentField->SetAsDateTime(Date()); break;
    case ftTime: CurrentField->SetAsDateTime(Time()); break;
    case ftDateTime: CurrentField->SetAsDateTime(Now()); break;
    default: break;
    }
}

}  // namespace korin
