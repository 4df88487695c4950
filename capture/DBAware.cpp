#include "korin/capture/DBAware.h"

#include <exception>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/gui/ComCtrls.h"
#include "korin/statusbar/Statbar.h"

namespace korin {

bool IsControlDBAware(TWinControl* Control)
{
    if (!Control)
        return false;
    return Is<TCustomDBGrid>(Control) || Is<TDBEdit>(Control) || Is<TDBMemo>(Control) || Is<TDBImage>(Control) ||
           Is<TDBListBox>(Control) || Is<TDBComboBox>(Control) || Is<TKDBComboBox>(Control) ||
           Is<TDBCheckBox>(Control) || Is<TDBRadioGroup>(Control) || Is<TDBLookupControl>(Control) ||
           Is<TDBCtrlGrid>(Control) || Is<TDBCtrlPanel>(Control) || Is<TDBSpinEdit>(Control) ||
           Is<TDBKGrid>(Control);
}

bool CheckControl(TWinControl* Control)
{
    return IsControlDBAware(Control);
}

namespace {

template <class T>
void ReadSource(TWinControl* Control, TDataSource*& Result)
{
    if (auto* c = As<T>(Control))
        Result = c->DataSource();
}

template <class T>
void ReadField(TWinControl* Control, TField*& Result)
{
    if (auto* c = As<T>(Control))
        Result = c->Field();
}

void ReadGridField(TWinControl* Control, TField*& Result)
{
    if (Is<TDBGrid>(Control) || Is<TDBKGrid>(Control))
        Result = As<TCustomDBGrid>(Control)->SelectedField();
}

}  // namespace

TDataSource* GetDataSource(TWinControl* Control)
{
    TDataSource* result = nullptr;
    if (!Control)
        return result;
    try {
        ReadSource<TDBEdit>(Control, result);
        if (Is<TDBGrid>(Control) || Is<TDBKGrid>(Control))
            result = As<TCustomDBGrid>(Control)->DataSource();
        ReadSource<TDBMemo>(Control, result);
        ReadSource<TDBImage>(Control, result);
        ReadSource<TDBListBox>(Control, result);
        ReadSource<TDBComboBox>(Control, result);
        ReadSource<TKDBComboBox>(Control, result);
        ReadSource<TDBCheckBox>(Control, result);
        ReadSource<TDBRadioGroup>(Control, result);
        ReadSource<TDBLookupListBox>(Control, result);
        ReadSource<TDBLookupComboBox>(Control, result);
        ReadSource<TDBCtrlGrid>(Control, result);
        ReadSource<TDBSpinEdit>(Control, result);
    } catch (const Exception&) {
        result = nullptr;
    }
    return result;
}

TDataSet* GetDataSet(TWinControl* Control)
{
    TDataSource* source = GetDataSource(Control);
    return source ? source->DataSet() : nullptr;
}

TField* GetDataField(TWinControl* Control)
{
    TField* result = nullptr;
    if (!Control)
        return result;
    try {
        ReadField<TDBEdit>(Control, result);
        ReadGridField(Control, result);
        ReadField<TDBMemo>(Control, result);
        ReadField<TDBImage>(Control, result);
        ReadField<TDBListBox>(Control, result);
        ReadField<TDBComboBox>(Control, result);
        ReadField<TKDBComboBox>(Control, result);
        ReadField<TDBCheckBox>(Control, result);
        ReadField<TDBRadioGroup>(Control, result);
        ReadField<TDBLookupListBox>(Control, result);
        ReadField<TDBLookupComboBox>(Control, result);
    } catch (const Exception&) {
        result = nullptr;
    }
    return result;
}

TDBObjectEntity GetDBControlEntity(TWinControl* Control)
{
    if (Is<TCustomDBGrid>(Control) || Is<TDBCtrlGrid>(Control))
        return oeMultiRow;
    if (!Control)
        return oeSingleRow;
    if (Is<TDBCtrlPanel>(Control->Parent()))
        return oeMultiRow;
    return oeSingleRow;
}

int GetControlRowCount(TWinControl* Control)
{
    TWinControl* c = Control;
    if (c && Is<TDBCtrlPanel>(c->Parent()))
        c = c->Parent()->Parent();
    if (auto* grid = As<TCustomGrid>(c))
        return grid->VisibleRowCount();
    if (auto* ctrlGrid = As<TDBCtrlGrid>(c))
        return ctrlGrid->RowCount();
    return 1;
}

bool IsStatusBar(TWinControl* Control)
{
    return Is<TKStatusBar>(Control);
}

TKStatusBar* AsStatusBar(TWinControl* Control)
{
    return As<TKStatusBar>(Control);
}

bool IsNavigator(TWinControl* Control)
{
    return Is<TVandroDBNavigator>(Control);
}

bool IsACustomControl(TControl* Control)
{
    return Is<TCustomComboBox>(Control) || Is<TDBLookupComboBox>(Control);
}

}  // namespace korin
