#include "korin/platform/dbctrls/Registration.h"

#include <algorithm>

#include "korin/platform/core/TypInfo.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBCGrids.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/EngineWait.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/gui/Registration.h"

namespace korin {

namespace {

// DataSource and DataField of a field control class.
template <class T>
TClassBuilder<T>& FieldProps(TClassBuilder<T>& b)
{
    b.template Reference<TDataSource>("DataSource", [](T* c) { return c->DataSource(); },
                                      [](T* c, TDataSource* v) { c->SetDataSource(v); })
        .String("DataField", [](T* c) { return c->DataField(); }, [](T* c, const std::string& v) { c->SetDataField(v); })
        .Default("")
        .Boolean("ReadOnly", [](T* c) { return c->ReadOnly(); }, [](T* c, bool v) { c->SetReadOnly(v); })
        .Default(false)
        .Boolean("TabStop", [](T* c) { return c->TabStop(); }, [](T* c, bool v) { c->SetTabStop(v); })
        .Default(true)
        .Integer("Color", [](T* c) -> std::int64_t { return c->Color(); },
                 [](T* c, std::int64_t v) { c->SetColor(static_cast<TColor>(v)); }, ColorIdents())
        .Default(static_cast<std::int64_t>(clWindow));
    return b;
}

template <class T>
TClassBuilder<T> FieldControl(const std::string& Name, const std::string& Parent)
{
    auto b = RegisterClass<T>(Name, Parent);
    FieldProps(b);
    return b;
}

template <class T>
void ItemsProp(TClassBuilder<T>& b)
{
    b.Strings("Items", [](T* c) { return std::vector<std::string>(c->Items()); },
              [](T* c, const std::vector<std::string>& v) { c->SetItems(v); });
}

void RegisterDataAccess()
{
    RegisterClass<TDataSource>("TDataSource", "TComponent")
        .Reference<TDataSet>("DataSet", [](TDataSource* s) { return s->DataSet(); },
                             [](TDataSource* s, TDataSet* d) { s->SetDataSet(d); })
        .Boolean("AutoEdit", [](TDataSource* s) { return s->AutoEdit(); }, [](TDataSource* s, bool v) { s->SetAutoEdit(v); })
        .Default(true)
        .Boolean("Enabled", [](TDataSource* s) { return s->Enabled(); }, [](TDataSource* s, bool v) { s->SetEnabled(v); })
        .Default(true);
    RegisterClass<TDatabase>("TDatabase", "TComponent")
        .String("DatabaseName", [](TDatabase* d) { return d->DatabaseName(); },
                [](TDatabase* d, const std::string& v) { d->SetDatabaseName(v); })
        .Default("")
        .String("AliasName", [](TDatabase* d) { return d->AliasName(); },
                [](TDatabase* d, const std::string& v) { d->SetAliasName(v); })
        .Default("")
        .Boolean("ReadOnly", [](TDatabase* d) { return d->ReadOnly(); }, [](TDatabase* d, bool v) { d->SetReadOnly(v); })
        .Default(false)
        .Boolean("CreateIfMissing", [](TDatabase* d) { return d->CreateIfMissing(); },
                 [](TDatabase* d, bool v) { d->SetCreateIfMissing(v); })
        .Default(false)
        .Integer("BusyTimeout", [](TDatabase* d) -> std::int64_t { return d->BusyTimeout(); },
                 [](TDatabase* d, std::int64_t v) {
                     d->SetBusyTimeout(static_cast<int>(std::clamp<std::int64_t>(v, 0, 24 * 3600 * 1000)));
                 })
        .Default(5000);
    RegisterClass<TDataSet>("TDataSet", "TComponent")
        .Boolean("Active", [](TDataSet* d) { return d->Active(); }, [](TDataSet* d, bool v) { d->SetActive(v); })
        .Default(false)
        .String("Filter", [](TDataSet* d) { return d->Filter(); }, [](TDataSet* d, const std::string& v) { d->SetFilter(v); })
        .Default("")
        .Boolean("Filtered", [](TDataSet* d) { return d->Filtered(); }, [](TDataSet* d, bool v) { d->SetFiltered(v); })
        .Default(false);
    RegisterClass<TDBDataSet>("TDBDataSet", "TDataSet")
        .String("DatabaseName", [](TDBDataSet* d) { return d->DatabaseName(); },
                [](TDBDataSet* d, const std::string& v) { d->SetDatabaseName(v); })
        .Default("");
    RegisterClass<TTable>("TTable", "TDBDataSet")
        .String("TableName", [](TTable* t) { return t->TableName(); }, [](TTable* t, const std::string& v) { t->SetTableName(v); })
        .Default("")
        .String("IndexName", [](TTable* t) { return t->IndexName(); }, [](TTable* t, const std::string& v) { t->SetIndexName(v); })
        .Default("")
        .String("IndexFieldNames", [](TTable* t) { return t->IndexFieldNames(); },
                [](TTable* t, const std::string& v) { t->SetIndexFieldNames(v); })
        .Default("")
        .Boolean("ReadOnly", [](TTable* t) { return t->ReadOnly(); }, [](TTable* t, bool v) { t->SetReadOnly(v); })
        .Default(false)
        .Reference<TDataSource>("MasterSource", [](TTable* t) { return t->MasterSource(); },
                                [](TTable* t, TDataSource* v) { t->SetMasterSource(v); })
        .String("MasterFields", [](TTable* t) { return t->MasterFields(); },
                [](TTable* t, const std::string& v) { t->SetMasterFields(v); })
        .Default("");
    RegisterClass<TQuery>("TQuery", "TDBDataSet")
        .Strings("SQL", [](TQuery* q) { return q->SQL()->Lines(); },
                 [](TQuery* q, const std::vector<std::string>& v) { q->SQL()->SetLines(v); })
        .Boolean("RequestLive", [](TQuery* q) { return q->RequestLive(); }, [](TQuery* q, bool v) { q->SetRequestLive(v); })
        .Default(false)
        .Reference<TDataSource>("DataSource", [](TQuery* q) { return q->DataSource(); },
                                [](TQuery* q, TDataSource* v) { q->SetDataSource(v); });
}

void RegisterControls()
{
    RegisterClass<TDBEditControl>("TDBEditControl", "TCustomControl");
    {
        auto b = FieldControl<TDBEdit>("TDBEdit", "TDBEditControl");
        b.Integer("MaxLength", [](TDBEdit* e) -> std::int64_t { return e->MaxLength(); },
                  [](TDBEdit* e, std::int64_t v) { e->SetMaxLength(static_cast<int>(v)); })
            .Default(0)
            .Event("OnChange", &TDBEdit::OnChange);
    }
    {
        auto b = FieldControl<TDBMemo>("TDBMemo", "TDBEditControl");
        b.Boolean("WordWrap", [](TDBMemo* m) { return m->WordWrap(); }, [](TDBMemo* m, bool v) { m->SetWordWrap(v); })
            .Default(true)
            .Event("OnChange", &TDBMemo::OnChange);
    }
    {
        auto b = FieldControl<TDBImage>("TDBImage", "TCustomControl");
        b.Boolean("Stretch", [](TDBImage* i) { return i->Stretch(); }, [](TDBImage* i, bool v) { i->SetStretch(v); })
            .Default(true);
    }
    {
        auto b = FieldControl<TDBListBox>("TDBListBox", "TCustomControl");
        ItemsProp(b);
    }
    {
        // Style, Items and the rest come from the combo box class.
        auto b = FieldControl<TDBComboBox>("TDBComboBox", "TCustomComboBox");
        (void)b;
    }
    RegisterClass<TKDBComboBox>("TKDBComboBox", "TDBComboBox")
        .Boolean("AutoDropDown", [](TKDBComboBox* c) { return c->AutoDropDown(); },
                 [](TKDBComboBox* c, bool v) { c->SetAutoDropDown(v); })
        .Default(false);
    {
        auto b = FieldControl<TDBCheckBox>("TDBCheckBox", "TCustomControl");
        b.String("ValueChecked", [](TDBCheckBox* c) { return c->ValueChecked(); },
                 [](TDBCheckBox* c, const std::string& v) { c->SetValueChecked(v); })
            .Default("True")
            .String("ValueUnchecked", [](TDBCheckBox* c) { return c->ValueUnchecked(); },
                    [](TDBCheckBox* c, const std::string& v) { c->SetValueUnchecked(v); })
            .Default("False")
            .Integer("Color", [](TDBCheckBox* c) -> std::int64_t { return c->Color(); },
                     [](TDBCheckBox* c, std::int64_t v) { c->SetColor(static_cast<TColor>(v)); }, ColorIdents())
            .Default(static_cast<std::int64_t>(clBtnFace));
    }
    {
        auto b = FieldControl<TDBRadioGroup>("TDBRadioGroup", "TCustomControl");
        ItemsProp(b);
        b.Strings("Values", [](TDBRadioGroup* c) { return c->Values(); },
                  [](TDBRadioGroup* c, const std::vector<std::string>& v) { c->SetValues(v); })
            .Integer("Columns", [](TDBRadioGroup* c) -> std::int64_t { return c->Columns(); },
                     [](TDBRadioGroup* c, std::int64_t v) { c->SetColumns(static_cast<int>(v)); })
            .Default(1)
            .Integer("Color", [](TDBRadioGroup* c) -> std::int64_t { return c->Color(); },
                     [](TDBRadioGroup* c, std::int64_t v) { c->SetColor(static_cast<TColor>(v)); }, ColorIdents())
            .Default(static_cast<std::int64_t>(clBtnFace));
    }
    {
        auto b = FieldControl<TDBLookupControl>("TDBLookupControl", "TCustomControl");
        b.Reference<TDataSource>("ListSource", [](TDBLookupControl* c) { return c->ListSource(); },
                                 [](TDBLookupControl* c, TDataSource* v) { c->SetListSource(v); })
            .String("KeyField", [](TDBLookupControl* c) { return c->KeyField(); },
                    [](TDBLookupControl* c, const std::string& v) { c->SetKeyField(v); })
            .Default("")
            .String("ListField", [](TDBLookupControl* c) { return c->ListField(); },
                    [](TDBLookupControl* c, const std::string& v) { c->SetListField(v); })
            .Default("");
    }
    RegisterClass<TDBLookupListBox>("TDBLookupListBox", "TDBLookupControl");
    RegisterClass<TDBLookupComboBox>("TDBLookupComboBox", "TDBLookupControl")
        .Integer("DropDownRows", [](TDBLookupComboBox* c) -> std::int64_t { return c->DropDownRows(); },
                 [](TDBLookupComboBox* c, std::int64_t v) { c->SetDropDownRows(static_cast<int>(v)); })
        .Default(7);
    RegisterClass<TDBSpinEdit>("TDBSpinEdit", "TDBEditControl")
        .Reference<TDataSource>("DataSource", [](TDBSpinEdit* c) { return c->DataSource(); },
                                [](TDBSpinEdit* c, TDataSource* v) { c->SetDataSource(v); })
        .String("DataField", [](TDBSpinEdit* c) { return c->DataField(); },
                [](TDBSpinEdit* c, const std::string& v) { c->SetDataField(v); })
        .Default("")
        .Boolean("TabStop", [](TDBSpinEdit* c) { return c->TabStop(); }, [](TDBSpinEdit* c, bool v) { c->SetTabStop(v); })
        .Default(true)
        .Integer("Color", [](TDBSpinEdit* c) -> std::int64_t { return c->Color(); },
                 [](TDBSpinEdit* c, std::int64_t v) { c->SetColor(static_cast<TColor>(v)); }, ColorIdents())
        .Default(static_cast<std::int64_t>(clWindow))
        .Integer("Increment", [](TDBSpinEdit* c) -> std::int64_t { return c->Increment(); },
                 [](TDBSpinEdit* c, std::int64_t v) { c->SetIncrement(v); })
        .Default(1)
        .Integer("MinValue", [](TDBSpinEdit* c) -> std::int64_t { return c->MinValue(); },
                 [](TDBSpinEdit* c, std::int64_t v) { c->SetMinValue(v); })
        .Default(0)
        .Integer("MaxValue", [](TDBSpinEdit* c) -> std::int64_t { return c->MaxValue(); },
                 [](TDBSpinEdit* c, std::int64_t v) { c->SetMaxValue(v); })
        .Default(0);

    RegisterClass<TColumn>("TColumn")
        .String("FieldName", [](TColumn* c) { return c->FieldName(); }, [](TColumn* c, const std::string& v) { c->SetFieldName(v); })
        .Default("")
        .String("Title", [](TColumn* c) { return c->Title(); }, [](TColumn* c, const std::string& v) { c->SetTitle(v); })
        .StoredWhen([](TColumn* c) { return c->Title() != c->FieldName() && !c->Title().empty(); })
        .Integer("Width", [](TColumn* c) -> std::int64_t { return c->Width(); },
                 [](TColumn* c, std::int64_t v) { c->SetWidth(static_cast<int>(v)); })
        .Boolean("Visible", [](TColumn* c) { return c->Visible(); }, [](TColumn* c, bool v) { c->SetVisible(v); })
        .Default(true)
        .Boolean("ReadOnly", [](TColumn* c) { return c->ReadOnly(); }, [](TColumn* c, bool v) { c->SetReadOnly(v); })
        .Default(false);
    RegisterClass<TCustomGrid>("TCustomGrid", "TCustomControl")
        .Integer("DefaultRowHeight", [](TCustomGrid* g) -> std::int64_t { return g->DefaultRowHeight(); },
                 [](TCustomGrid* g, std::int64_t v) { g->SetDefaultRowHeight(static_cast<int>(v)); })
        .Default(20)
        .Integer("DefaultColWidth", [](TCustomGrid* g) -> std::int64_t { return g->DefaultColWidth(); },
                 [](TCustomGrid* g, std::int64_t v) { g->SetDefaultColWidth(static_cast<int>(v)); })
        .Default(64)
        .Boolean("TabStop", [](TCustomGrid* g) { return g->TabStop(); }, [](TCustomGrid* g, bool v) { g->SetTabStop(v); })
        .Default(true)
        .Integer("Color", [](TCustomGrid* g) -> std::int64_t { return g->Color(); },
                 [](TCustomGrid* g, std::int64_t v) { g->SetColor(static_cast<TColor>(v)); }, ColorIdents())
        .Default(static_cast<std::int64_t>(clWindow));
    RegisterClass<TCustomDBGrid>("TCustomDBGrid", "TCustomGrid")
        .Reference<TDataSource>("DataSource", [](TCustomDBGrid* g) { return g->DataSource(); },
                                [](TCustomDBGrid* g, TDataSource* v) { g->SetDataSource(v); })
        .Collection(
            "Columns", "TColumn",
            [](TCustomDBGrid* g) { return g->Columns()->IsDefault() ? 0 : g->Columns()->Count(); },
            [](TCustomDBGrid* g, int i) -> TObject* { return g->Columns()->Items(i); },
            [](TCustomDBGrid* g) -> TObject* { return g->Columns()->Add(); },
            [](TCustomDBGrid* g) { g->Columns()->RestoreDefaults(); })
        .SetOf("Options",
               {"dgEditing", "dgTitles", "dgIndicator", "dgColLines", "dgRowLines", "dgTabs", "dgRowSelect",
                "dgAlwaysShowSelection", "dgConfirmDelete"},
               [](TCustomDBGrid* g) -> std::uint64_t { return g->Options(); },
               [](TCustomDBGrid* g, std::uint64_t v) { g->SetOptions(static_cast<TDBGridOptions>(v)); })
        .Default(static_cast<std::int64_t>(dgEditing | dgTitles | dgIndicator | dgColLines | dgRowLines | dgTabs |
                                           dgConfirmDelete))
        .Boolean("ReadOnly", [](TCustomDBGrid* g) { return g->ReadOnly(); }, [](TCustomDBGrid* g, bool v) { g->SetReadOnly(v); })
        .Default(false)
        .Event("OnColEnter", &TCustomDBGrid::OnColEnter)
        .Event("OnColExit", &TCustomDBGrid::OnColExit);
    RegisterClass<TDBGrid>("TDBGrid", "TCustomDBGrid");
    RegisterClass<TDBKGrid>("TDBKGrid", "TCustomDBGrid")
        .Boolean("Striped", [](TDBKGrid* g) { return g->Striped(); }, [](TDBKGrid* g, bool v) { g->SetStriped(v); })
        .Default(false);
    RegisterClass<TDBCtrlGrid>("TDBCtrlGrid", "TWinControl")
        .Reference<TDataSource>("DataSource", [](TDBCtrlGrid* g) { return g->DataSource(); },
                                [](TDBCtrlGrid* g, TDataSource* v) { g->SetDataSource(v); })
        .Integer("RowCount", [](TDBCtrlGrid* g) -> std::int64_t { return g->RowCount(); },
                 [](TDBCtrlGrid* g, std::int64_t v) { g->SetRowCount(static_cast<int>(v)); })
        .Default(3)
        .Boolean("AllowDelete", [](TDBCtrlGrid* g) { return g->AllowDelete(); }, [](TDBCtrlGrid* g, bool v) { g->SetAllowDelete(v); })
        .Default(true)
        .Boolean("AllowInsert", [](TDBCtrlGrid* g) { return g->AllowInsert(); }, [](TDBCtrlGrid* g, bool v) { g->SetAllowInsert(v); })
        .Default(true)
        .Integer("SelectedColor", [](TDBCtrlGrid* g) -> std::int64_t { return g->SelectedColor(); },
                 [](TDBCtrlGrid* g, std::int64_t v) { g->SetSelectedColor(static_cast<TColor>(v)); }, ColorIdents())
        .Default(static_cast<std::int64_t>(clWindow))
        .Boolean("TabStop", [](TDBCtrlGrid* g) { return g->TabStop(); }, [](TDBCtrlGrid* g, bool v) { g->SetTabStop(v); })
        .Default(true);
}

}  // namespace

void RegisterDbControlClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterGuiClasses();
    RegisterDataAccess();
    RegisterControls();
    InstallApplicationEngineWait();
}

// Registered as soon as the data-aware control layer is linked in.
static const bool g_dbControlsRegistered = (RegisterDbControlClasses(), true);

}  // namespace korin
