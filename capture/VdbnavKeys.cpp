// The navigator's keyboard: shortcuts typed in captured controls run its buttons, Enter
// in a combo box moves to the next control of the data source, and the jumps to the
// first and last field of a record.
#include <exception>
#include <vector>

#include "korin/capture/DBAware.h"
#include "korin/capture/DBControls.h"
#include "korin/capture/Scutdlg.h"
#include "korin/nav/Vdbnav.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/gui/ComCtrls.h"

namespace korin {

void TVandroDBNavigator::CKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift)
{
    TWinControl* sender = FKindCache.Control && Sender == static_cast<TObject*>(FKindCache.Control)
                              ? FKindCache.Control
                              : As<TWinControl>(Sender);
    if (!sender)
        return;
    const TShortCutArray& table = KindOf(sender).Entity == oeSingleRow ? SingleRowShortCuts : MultiRowShortCuts;
    bool notFound = true;
    TVNavigateBtn button = FindShortCut(ShortCut(Key, Shift), &table, notFound);

    // DATE/TIME only for date and time fields: elsewhere its key belongs to the control.
    if (!notFound && button == vnbDateTime) {
        if (TField* field = LiveCurrentField()) {
            TFieldType type = field->DataType();
            if (type != ftDate && type != ftTime && type != ftDateTime)
                return;
        }
    }

    if (FISearchActive) {
        if (!notFound && button == vnbIncrementalSearch)
            ISearchMode(false);
        else
            ISearchDoKey(Key, Shift);
        return;
    }

    if (notFound) {
        if (KindOf(sender).EventsHeld) {
            if (Key == VK_RETURN && FChangeControlFocus && Shift == 0) {
                auto* combo = As<TCustomComboBox>(sender);
                auto* lookup = As<TDBLookupComboBox>(sender);
                if ((combo && !combo->DroppedDown()) || (lookup && !lookup->ListVisible()))
                    DBControlKeyDown(sender);
                Key = 0;
            }
            FDBControls->CallOriginalOnKeyDown(sender, Key, Shift);
        }
        return;
    }

    FFocusedButton = button;
    // A grid or a control grid moves itself on Up and Down.
    if (Is<TCustomDBGrid>(CurrentControl) || (CurrentControl && Is<TDBCtrlPanel>(CurrentControl->Parent()))) {
        if (button == vnbPrior) {
            Key = VK_UP;
            return;
        }
        if (button == vnbNext) {
            Key = VK_DOWN;
            return;
        }
    }
    Navigate(button);
    // Swallowed whether or not the button acted (a disabled button does nothing).
    Key = 0;
}

void TVandroDBNavigator::CKeyPress(TObject* Sender, char32_t& Key)
{
    if (FISearchActive) {
        ISearchDoChar(Key);
        Key = 0;
        return;
    }
    if (IsACustomControl(As<TControl>(Sender)))
        FDBControls->CallOriginalOnKeyPress(Sender, Key);
}

void TVandroDBNavigator::DBControlKeyDown(TObject* Sender)
{
    auto* sender = As<TWinControl>(Sender);
    if (!sender || !sender->Parent())
        return;
    std::vector<TWinControl*> list;
    sender->Parent()->GetTabOrderList(list);
    TDataSource* source = DataSource();
    std::erase_if(list, [source](TWinControl* c) {
        return !(c->TabStop() && c->Visible() && c->Enabled() && GetDataSource(c) == source);
    });
    if (list.empty())
        return;
    int count = static_cast<int>(list.size());
    int i = -1;
    for (int k = 0; k < count; ++k)
        if (list[static_cast<size_t>(k)] == sender)
            i = k;
    i = i == count - 1 ? 0 : i + 1;
    TWinControl* next = list[static_cast<size_t>(i)];
    if (BeforeFocusChanged)
        BeforeFocusChanged(sender, next);
    if (next->CanFocus())
        next->SetFocus();
}

void TVandroDBNavigator::DBGrKeyDown(TObject* Sender)
{
    auto* grid = As<TDBGrid>(Sender);
    if (!grid)
        return;
    if (grid->SelectedIndex() == grid->Columns()->Count() - 1) {
        TDataSet* ds = grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
        if (ds) {
            if (ds->State() == dsInsert) {
                if (ds->Modified()) {
                    try {
                        ds->Post();
                    } catch (const Exception&) {
                    }
                } else {
                    ds->Cancel();
                }
            }
            if (ds->EOF())
                ds->Append();
            else
                ds->Next();
        }
        grid->SetSelectedIndex(0);
    } else {
        grid->SetSelectedIndex(grid->SelectedIndex() + 1);
    }
    grid->Refresh();
}

// ---- first and last field --------------------------------------------------------------

void TVandroDBNavigator::DoFirstField(TWinControl* Control)
{
    DoFieldJump(Control, true);
}

void TVandroDBNavigator::DoLastField(TWinControl* Control)
{
    DoFieldJump(Control, false);
}

void TVandroDBNavigator::DoFieldJump(TWinControl* Control, bool Forward)
{
    if (!Control)
        return;
    auto walk = [Forward](int Count, const std::function<bool(int)>& Visit) {
        for (int k = 0; k < Count; ++k)
            if (Visit(Forward ? k : Count - 1 - k))
                return;
    };
    if (GetDBControlEntity(Control) == oeSingleRow) {
        TDataSet* ds = GetDataSet(Control);
        if (!ds)
            return;
        walk(ds->FieldCount(), [&](int i) {
            TWinControl* c = FindControlWithDataField(ds->Fields(i));
            if (c && c->CanFocus()) {
                c->SetFocus();
                return true;
            }
            return false;
        });
        return;
    }
    if (auto* grid = As<TCustomDBGrid>(Control)) {
        walk(grid->FieldCount(), [&](int i) {
            TField* f = grid->Fields(i);
            if (f && f->Visible()) {
                grid->SetSelectedField(f);
                return true;
            }
            return false;
        });
        return;
    }
    // The control grid family: the panel holds the row's controls.
    TWinControl* panel = Is<TDBCtrlPanel>(Control) || Is<TDBCtrlGrid>(Control) ? Control : Control->Parent();
    if (panel && !Is<TDBCtrlPanel>(panel))
        panel = panel->ControlCount() > 0 ? As<TWinControl>(panel->Controls(0)) : nullptr;
    if (!Is<TDBCtrlPanel>(panel))
        return;
    try {
        auto* ctrlGrid = As<TDBCtrlGrid>(panel->Parent());
        TDataSet* ds = ctrlGrid && ctrlGrid->DataSource() ? ctrlGrid->DataSource()->DataSet() : nullptr;
        if (!ds)
            return;
        walk(ds->FieldCount(), [&](int i) {
            TWinControl* c = FindInParentControlWithDataField(panel, ds->Fields(i));
            if (c && c->CanFocus()) {
                c->SetFocus();
                return true;
            }
            return false;
        });
    } catch (const Exception&) {
    }
}

void TVandroDBNavigator::NavigateFirstField(TDataSet*)
{
    DoFirstField(CurrentControl);
}

void TVandroDBNavigator::NavigateLastField(TDataSet*)
{
    DoLastField(CurrentControl);
}

}  // namespace korin
