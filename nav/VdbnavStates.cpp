// Which navigator buttons are enabled: recomputed from the dataset whenever the data link
// reports a change, and switched one at a time by COPY RECORD, a failed find and a change
// of data source.
#include "korin/nav/Vdbnav.h"
#include "korin/nav/Vdbnavbuf.h"

namespace korin {

static_assert(NavBrowseButtons.Mask() == 6809599);
static_assert(NavEditButtons.Mask() == 24656639);

void TVandroDBNavigator::AdjustButtonStates()
{
    TVButtonSet s;
    TDataSource* source = DataSource();
    TDataSet* ds = source ? source->DataSet() : nullptr;
    if (Enabled() && FDataLink && FDataLink->Active() && source && ds) {
        switch (source->State()) {
        case dsBrowse: s = NavBrowseButtons; break;
        case dsEdit:
        case dsInsert: s = NavEditButtons; break;
        default: break;
        }
        int recNo = ds->RecNo();
        if (recNo <= 1)
            s = s - TVButtonSet{vnbFirst, vnbPriorPage, vnbPrior};
        if (recNo >= ds->RecordCount())
            s = s - TVButtonSet{vnbNext, vnbNextPage, vnbLast};
        bool canModify = Enabled() && FDataLink->Active() && ds->CanModify();
        if (!canModify) {
            s.Exclude(vnbInsert);
            if (!FDataLink->Editing())
                s = s - TVButtonSet{vnbDelete, vnbEdit, vnbPost, vnbCancel};
        }
        if (ds->BOF() && ds->EOF())
            s.Exclude(vnbDelete);
        if (FFindActive)
            s.Include(vnbFindNext);
        else
            s.Exclude(vnbFindNext);
        // PASTE RECORD stays on only while it was on and the dataset can take the record.
        if (FEnabledButtons.Contains(vnbPasteRec) && canModify)
            s.Include(vnbPasteRec);
    }
    SetEnabledButtons(s);
}

void TVandroDBNavigator::SetEnabledButtons(TVButtonSet Value)
{
    FEnabledButtons = Value;
    if (!FButtonsCreated)
        return;
    for (TVNavigateBtn b : AllNavButtons())
        FButtons[b]->SetEnabled(Value.Contains(b));
}

void TVandroDBNavigator::ChangeButtonState(TVNavigateBtn Button, bool State)
{
    if (FButtonsCreated)
        FButtons[Button]->SetEnabled(State);
    SetEnabledButtons(State ? FEnabledButtons + Button : FEnabledButtons - Button);
    if (FButtonsCreated)
        FButtons[Button]->Repaint();
}

void TVandroDBNavigator::ResetFind()
{
    FFindActive = false;
    ChangeButtonState(vnbFindNext, false);
}

void TVandroDBNavigator::ClearCopyRecBuffer()
{
    if (FCopyBuffer)
        FCopyBuffer->Clear();
    ChangeButtonState(vnbPasteRec, false);
}

}  // namespace korin
