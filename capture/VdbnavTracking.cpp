// The navigator's side of control tracking: rebuilding the registry of captured
// controls, the message hook, following the focus from control to control and switching
// to the data source of the control entered, and the field lookups.
#include <cctype>
#include <exception>
#include <utility>
#include <vector>

#include "korin/capture/DBAware.h"
#include "korin/capture/DBControls.h"
#include "korin/capture/DefaultControls.h"
#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/ADODB.h"
#include "korin/platform/core/StringList.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"
#include "korin/platform/gui/Subclass.h"

namespace korin {

namespace {

bool SameName(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(A[i]), b = static_cast<unsigned char>(B[i]);
        if (a != b && std::tolower(a) != std::tolower(b))
            return false;
    }
    return true;
}

bool IsKeyMessageId(std::uint32_t Msg)
{
    return Msg == WM_KEYDOWN || Msg == WM_KEYUP || Msg == WM_CHAR || Msg == CN_KEYDOWN || Msg == CN_KEYUP ||
           Msg == CN_CHAR;
}

// Enter, with neither Ctrl nor Alt, in any of the six key messages.
bool IsEnterMessage(const TMessage& Message)
{
    return IsKeyMessageId(Message.Msg) && LoWord(Message.WParam) == VK_RETURN &&
           (KeyDataToShiftState(Message.LParam) & (ssCtrl | ssAlt)) == 0;
}

void SetKeyWord(TMessage& Message, std::uint16_t Key)
{
    Message.WParam = (Message.WParam & ~WPARAM(0xFFFF)) | Key;
}

}  // namespace

// ---- registry --------------------------------------------------------------------------

const TVandroDBNavigator::TControlKind& TVandroDBNavigator::KindOf(TWinControl* Control)
{
    if (!Control || Control != FKindCache.Control || Control->Parent() != FKindCache.Parent) {
        FKindCache.Control = Control;
        FKindCache.Parent = Control ? Control->Parent() : nullptr;
        FKindCache.EventsHeld = IsACustomControl(Control);
        FKindCache.Entity = GetDBControlEntity(Control);
    }
    return FKindCache;
}

void TVandroDBNavigator::LoadDBControls()
{
    FKindCache = TControlKind();
    std::vector<TWinControl*> list;
    FDBControls->Clear();
    FDefaultControls->Clear();
    TCustomForm* form = GetParentForm(this);
    if (form) {
        LoadAllControlsInAList(form, list, CheckControl);
        for (TWinControl* control : list) {
            FDBControls->AddDBControl(control, true);
            control->FreeNotification(this);
            FDefaultControls->TryMakeDefault(control, false);
        }
        if (!FStatusBar) {
            list.clear();
            LoadAllControlsInAList(form, list, IsStatusBar);
            if (!list.empty())
                AttachStatusBar(AsStatusBar(list.front()));
        }
    }
    // A control that is no longer captured is no longer followed.
    if (CurrentControl && FDBControls->IndexOfControl(CurrentControl) < 0) {
        CurrentControl = nullptr;
        CurrentField = nullptr;
    }
    AdjustButtonStates();
}

// ---- the message hook ------------------------------------------------------------------

void TVandroDBNavigator::BeforeWndProc(TMessage& Message)
{
    // The hook is registered for captured windows only.
    auto* target = FDBControls ? static_cast<TWinControl*>(FDBControls->SubClass()->Control()) : nullptr;
    // A combo box whose key events the navigator holds gets its keys handled through
    // those events (its OnKeyDown and OnKeyPress); running them here as well would handle
    // every key twice.
    bool eventsHeld = IsKeyMessageId(Message.Msg) && KindOf(target).EventsHeld;

    if (IsEnterMessage(Message)) {
        if (OnEnterKeyDown) {
            std::uint16_t key = LoWord(Message.WParam);
            OnEnterKeyDown(CurrentControl, key, KeyDataToShiftState(Message.LParam));
            SetKeyWord(Message, key);
        }
        if (IsEnterMessage(Message) && FChangeControlFocus && !eventsHeld)
            SetKeyWord(Message, VK_TAB);
    }

    switch (Message.Msg) {
    case WM_KEYDOWN: {
        if (eventsHeld)
            break;
        std::uint16_t key = LoWord(Message.WParam);
        CKeyDown(CurrentControl, key, KeyDataToShiftState(Message.LParam));
        if (key == 0)
            KillKeyMessage(Message);
        break;
    }
    case WM_CHAR: {
        if (eventsHeld)
            break;
        auto key = static_cast<char32_t>(Message.WParam);
        CKeyPress(CurrentControl, key);
        if (key == 0)
            KillKeyMessage(Message);
        break;
    }
    case CM_ENTER:
        ControlEnter(target);
        break;
    case WM_SETFOCUS:
        if (AfterFocusChanged)
            AfterFocusChanged(FindControl(static_cast<HWND>(Message.WParam)), target);
        break;
    case WM_KILLFOCUS:
        if (BeforeFocusChanged)
            BeforeFocusChanged(CurrentControl, FindControl(static_cast<HWND>(Message.WParam)));
        break;
    default:
        break;
    }
}

void TVandroDBNavigator::KillKeyMessage(TMessage& Message)
{
    if (CurrentControl && CurrentControl->HandleAllocated()) {
        HWND window = CurrentControl->Handle();
        for (std::uint32_t id : {WM_KEYDOWN, WM_KEYUP, WM_CHAR, CN_KEYDOWN, CN_KEYUP, CN_CHAR})
            KillMessage(window, id);
    }
    Message.Msg = 0;
    Message.WParam = 0;
    Message.LParam = 0;
    Message.Result = 0;
}

// ---- focus -----------------------------------------------------------------------------

void TVandroDBNavigator::ControlEnter(TObject* Sender)
{
    auto* control = As<TWinControl>(Sender);
    try {
        if (control != CurrentControl) {
            ISearchMode(false);
            ResetFind();
        }
    } catch (const Exception&) {
    }
    if (GetDataField(control) != CurrentField) {
        CurrentControl = nullptr;
        CurrentField = nullptr;
        ISearchMode(false);
    }
    if (!control || FDBControls->IndexOfControl(control) < 0) {
        SetEnabledButtons(TVButtonSet());
        return;
    }
    FDefaultControls->TryMakeDefault(control, true);
    TDataSource* newSource = GetDataSource(control);
    TDataSource* oldSource = DataSource();
    if (oldSource != newSource) {
        ApplyFilter(nfaRelease);
        ApplyQuery(nqaRelease);
        SB_DSChanged();
        ClearCopyRecBuffer();
        if (DataSourceChanged)
            DataSourceChanged(this, oldSource, newSource);
        ReleaseFetchProgress(oldSource);
        SetDataSource(newSource);
        // Told again after the switch, so that the bar shows the new dataset at once
        // rather than at that dataset's next change.
        SB_DSChanged();
    }
    if (DataSource()) {
        HookFetchProgress(DataSource());
        CurrentField = GetDataField(control);
        CurrentControl = control;
    } else {
        SetEnabledButtons(TVButtonSet());
    }
}

void TVandroDBNavigator::ColumnEnter(TObject* Sender)
{
    try {
        ISearchMode(false);
        ResetFind();
    } catch (const Exception&) {
    }
    CurrentControl = nullptr;
    CurrentField = nullptr;
    auto* grid = As<TCustomDBGrid>(Sender);
    if (grid && FDBControls->IndexOfControl(grid) >= 0) {
        CurrentField = grid->SelectedField();
        CurrentControl = grid;
    }
    FDBControls->CallOriginalOnColEnter(CurrentControl);
}

void TVandroDBNavigator::NavigateGotoNextDSControl()
{
    FDefaultControls->FocusNextControl(CurrentControl);
}

// The handler goes back to the dataset it was taken from, which need not be the one the
// old data source shows now (a query put in its place, or the application's own change):
// giving it to whatever the data source shows would lose the dataset's own handler.
void TVandroDBNavigator::ReleaseFetchProgress(TDataSource*)
{
    TCustomADODataSet* ds = std::exchange(FFetchProgressDataSet, nullptr);
    TFetchProgressEvent saved = std::move(FSavedFetchProgress);
    FSavedFetchProgress = nullptr;
    // A handler the application put there after the navigator's stays.
    if (ds && IsOwnFetchProgress(ds->OnFetchProgress))
        ds->OnFetchProgress = std::move(saved);
}

void TVandroDBNavigator::HookFetchProgress(TDataSource* NewSource)
{
    auto* ds = As<TCustomADODataSet>(NewSource ? NewSource->DataSet() : nullptr);
    if (!ds || IsOwnFetchProgress(ds->OnFetchProgress))
        return;
    // One dataset at a time carries the navigator's handler.
    if (FFetchProgressDataSet)
        ReleaseFetchProgress(nullptr);
    FSavedFetchProgress = ds->OnFetchProgress;
    ds->OnFetchProgress = FetchProgressHandler();
    FFetchProgressDataSet = ds;
    // A dataset freed before the navigator is forgotten (Notification).
    ds->FreeNotification(this);
}

TField* TVandroDBNavigator::LiveCurrentField() const
{
    // Fields live as long as their dataset: CurrentField counts only while it is still
    // one of the fields of the dataset the current control shows.
    TDataSet* ds = GetDataSet(CurrentControl);
    if (!CurrentField || !ds)
        return nullptr;
    for (int i = 0; i < ds->FieldCount(); ++i)
        if (ds->Fields(i) == CurrentField)
            return CurrentField;
    return nullptr;
}

// ---- field lookups ---------------------------------------------------------------------

TWinControl* TVandroDBNavigator::FindControlWithDataField(TField* Field)
{
    if (!Field)
        return nullptr;
    for (int i = 0; i < FDBControls->Count(); ++i) {
        TWinControl* control = FDBControls->Controls(i);
        TField* f = GetDataField(control);
        // Only a field of the same dataset counts: another table's field of the same
        // name is another field.
        if (f && f->DataSet() == Field->DataSet() && SameName(f->FieldName(), Field->FieldName()))
            return control;
    }
    return nullptr;
}

TWinControl* TVandroDBNavigator::FindInParentControlWithDataField(TWinControl* Parent, TField* Field)
{
    if (!Parent || !Field)
        return nullptr;
    for (int i = Parent->ControlCount() - 1; i >= 0; --i) {
        auto* control = As<TWinControl>(Parent->Controls(i));
        TField* f = GetDataField(control);
        if (f && SameName(f->FieldName(), Field->FieldName()))
            return control;
    }
    return nullptr;
}

void TVandroDBNavigator::GetIndexInfo(std::string& KeyFields, Variant& KeyValues)
{
    KeyFields.clear();
    KeyValues = Variant();
    TDataSource* source = DataSource();
    TDataSet* ds = source ? source->DataSet() : nullptr;
    if (!ds)
        return;
    std::vector<TField*> keys;
    for (int i = 0; i < ds->FieldCount(); ++i)
        if (ds->Fields(i)->IsIndexField())
            keys.push_back(ds->Fields(i));
    if (keys.size() == 1) {
        KeyFields = keys[0]->FieldName();
        KeyValues = keys[0]->Value();
    } else if (keys.size() > 1) {
        KeyValues = VarArrayCreate(0, static_cast<int>(keys.size()) - 1);
        for (size_t i = 0; i < keys.size(); ++i) {
            KeyFields += (i ? ";" : "") + keys[i]->FieldName();
            KeyValues[static_cast<int>(i)] = keys[i]->Value();
        }
    }
}

}  // namespace korin
