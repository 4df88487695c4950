#include "korin/platform/db/DB.h"

#include <algorithm>
#include <exception>

namespace korin {

namespace {

bool IsEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }

}  // namespace

// ---------------------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
    BeforeDestruction();
    // Links hear that their source is gone (ActiveChanged when they were active).
    while (!FDataLinks.empty())
        FDataLinks.back()->SetDataSource(nullptr);
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet = nullptr;
    }
}

void TDataSource::SetDataSet(TDataSet* Value)
{
    if (Value == FDataSet)
        return;
    // Links see the old dataset go and the new one come, so a switch between two open
    // datasets reaches them as two ActiveChanged notifications.
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        RemoveFreeNotification(FDataSet);
        FDataSet = nullptr;
        DataEvent(deUpdateState, 0);
    }
    FDataSet = Value;
    if (FDataSet) {
        FDataSet->AddDataSource(this);
        FDataSet->FreeNotification(this);
        DataEvent(deUpdateState, 0);
    }
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet)
        SetDataSet(nullptr);
}

TDataSetState TDataSource::State() const { return FDataSet ? FDataSet->State() : dsInactive; }

void TDataSource::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    DataEvent(deUpdateState, 0);
}

void TDataSource::Edit()
{
    if (FAutoEdit && FDataSet && FDataSet->State() == dsBrowse)
        FDataSet->Edit();
}

void TDataSource::AddDataLink(TDataLink* Link)
{
    FDataLinks.push_back(Link);
}

void TDataSource::RemoveDataLink(TDataLink* Link)
{
    FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), Link), FDataLinks.end());
}

void TDataSource::NotifyLinks(TDataEvent Event, std::intptr_t Info)
{
    // Controls first, then the other links (detail datasets, navigators). A link that
    // refuses a change of state (a control whose field is missing) does not keep the
    // others from hearing of it: its error passes on once all have.
    std::exception_ptr refused;
    std::vector<TDataLink*> links = FDataLinks;
    for (int pass = 0; pass < 2; ++pass)
        for (TDataLink* l : links) {
            if (l->VisualControl() != (pass == 0))
                continue;
            if (std::find(FDataLinks.begin(), FDataLinks.end(), l) == FDataLinks.end())
                continue;  // detached by an earlier handler
            if (Event != deUpdateState) {
                l->DataEvent(Event, Info);
                continue;
            }
            try {
                l->DataEvent(Event, Info);
            } catch (...) {
                if (!refused)
                    refused = std::current_exception();
            }
        }
    if (refused)
        std::rethrow_exception(refused);
}

void TDataSource::DataEvent(TDataEvent Event, std::intptr_t Info)
{
    if (Event == deUpdateState) {
        std::exception_ptr refused;
        try {
            NotifyLinks(Event, Info);
        } catch (...) {
            refused = std::current_exception();
        }
        TDataSetState s = State();
        if (s != FState) {
            FState = s;
            if (OnStateChange)
                OnStateChange(this);
        }
        if (refused)
            std::rethrow_exception(refused);
        return;
    }
    if (!FEnabled)
        return;
    NotifyLinks(Event, Info);
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// TDataLink

TDataLink::~TDataLink()
{
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
    FDataSource = nullptr;
}

void TDataLink::SetDataSource(TDataSource* Value)
{
    if (Value == FDataSource)
        return;
    bool wasActive = FActive;
    if (FDataSource)
        FDataSource->RemoveDataLink(this);
    FDataSource = Value;
    if (FDataSource)
        FDataSource->AddDataLink(this);
    UpdateState();
    // Active before and after, but on another dataset now: whoever follows the link must
    // look again (a navigator recomputes its buttons, a control reloads its field).
    if (wasActive && FActive)
        ActiveChanged();
}

bool TDataLink::SetDataSourceFor(TComponent* Holder, TDataSource* Value)
{
    if (Value == FDataSource)
        return false;
    if (FDataSource && Holder)
        Holder->RemoveFreeNotification(FDataSource);
    // Watched before the link takes it: a link that refuses the new source's dataset
    // (a missing field) still holds the source.
    if (Value && Holder)
        Value->FreeNotification(Holder);
    SetDataSource(Value);
    return true;
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool Value)
{
    if (Value == FReadOnly)
        return;
    FReadOnly = Value;
    UpdateState();
}

void TDataLink::UpdateState()
{
    TDataSet* ds = DataSet();
    bool active = FDataSource && FDataSource->Enabled() && ds && ds->Active();
    if (active != FActive) {
        FActive = active;
        ActiveChanged();
    }
    TDataSetState s = ds ? ds->State() : dsInactive;
    bool editing = FActive && !FReadOnly && IsEditMode(s);
    if (editing != FEditing) {
        FEditing = editing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent Event, std::intptr_t Info)
{
    if (Event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!FActive)
        return;
    switch (Event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating)
            RecordChanged(reinterpret_cast<TField*>(Info));
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(static_cast<int>(Info));
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    default:
        break;
    }
}

bool TDataLink::Edit()
{
    if (!FReadOnly && FDataSource)
        FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord()
{
    if (FUpdating)
        return;
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

}  // namespace korin
