#include "korin/platform/db/DBTables.h"

#include <algorithm>
#include <tuple>

#include "korin/platform/db/SQLText.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

using namespace dbsql;

class TTable::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TTable* T) : FTable(T) {}
    void ActiveChanged() override { FTable->MasterChanged(); }
    void DataSetChanged() override { FTable->MasterChanged(); }
    void DataSetScrolled(int) override { FTable->MasterChanged(); }
    void RecordChanged(TField*) override {}

private:
    TTable* FTable;
};

TTable::TTable(TComponent* AOwner) : TDBDataSet(AOwner), FMasterLink(std::make_unique<TMasterLink>(this)) {}

TTable::~TTable()
{
    Close();
    FMasterLink->SetDataSource(nullptr);
}

void TTable::SetTableName(const std::string& Value)
{
    if (Value == FTableName)
        return;
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    FTableName = Value;
    FIndexDefs.Clear();
}

void TTable::SetReadOnly(bool Value)
{
    if (Value == FReadOnly)
        return;
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    FReadOnly = Value;
}

void TTable::ReadIndexDefs(TDatabase* Db)
{
    sqlite3* db = Db->Handle();
    std::vector<std::unique_ptr<TIndexDef>> items;
    {
        std::vector<std::pair<int, std::string>> pk;
        TSQLiteStatement ti(db, "SELECT name, pk FROM pragma_table_info(?1)");
        ti.Bind(1, Variant(FTableName));
        while (ti.Step())
            if (ti.ColumnInt64(1) > 0)
                pk.emplace_back(static_cast<int>(ti.ColumnInt64(1)), VarToStr(ti.Column(0)));
        std::sort(pk.begin(), pk.end());
        if (!pk.empty()) {
            std::string fields;
            for (const auto& [n, name] : pk) {
                if (!fields.empty())
                    fields += ';';
                fields += name;
            }
            items.push_back(std::make_unique<TIndexDef>("PRIMARY", fields, ixPrimary | ixUnique));
        }
    }
    std::vector<std::tuple<std::string, bool, std::string>> list;
    {
        TSQLiteStatement il(db, "SELECT name, \"unique\", origin FROM pragma_index_list(?1) ORDER BY seq DESC");
        il.Bind(1, Variant(FTableName));
        while (il.Step())
            list.emplace_back(VarToStr(il.Column(0)), il.ColumnInt64(1) != 0, VarToStr(il.Column(2)));
    }
    for (const auto& [name, unique, origin] : list) {
        if (origin == "pk")
            continue;  // the primary key is listed as PRIMARY
        TSQLiteStatement xi(db, "SELECT cid, name, \"desc\" FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno");
        xi.Bind(1, Variant(name));
        std::string fields;
        bool desc = false, usable = true;
        while (xi.Step()) {
            if (xi.ColumnInt64(0) < 0) {
                usable = false;  // an expression or the row id: not a field list
                continue;
            }
            if (!fields.empty())
                fields += ';';
            fields += VarToStr(xi.Column(1));
            desc = desc || xi.ColumnInt64(2) != 0;
        }
        if (usable && !fields.empty())
            items.push_back(std::make_unique<TIndexDef>(name, fields, (unique ? ixUnique : 0u) | (desc ? ixDescending : 0u)));
    }
    FIndexDefs.FItems = std::move(items);
}

std::vector<std::string> TTable::OrderFieldNames() const
{
    if (!FIndexFieldNames.empty())
        return SplitFieldNames(FIndexFieldNames);
    std::string name = FIndexName.empty() ? "PRIMARY" : FIndexName;
    if (TIndexDef* d = FIndexDefs.FindIndex(name))
        return SplitFieldNames(d->Fields());
    return {};
}

std::vector<std::string> TTable::DetailFieldNames() const
{
    auto master = SplitFieldNames(FMasterFields);
    if (!FIndexFieldNames.empty() || !FIndexName.empty()) {
        auto order = OrderFieldNames();
        if (order.size() >= master.size()) {
            order.resize(master.size());
            return order;
        }
    }
    return master;
}

std::string TTable::MasterCondition() const
{
    if (!FMasterLink->DataSource() || FMasterFields.empty())
        return "";
    auto detail = DetailFieldNames();
    std::vector<std::string> conds;
    for (size_t i = 0; i < detail.size(); ++i)
        conds.push_back(QuoteIdent(detail[i]) + " = :korin_m" + std::to_string(i));
    return JoinConditions(conds);
}

TDBDataSet::TSourceInfo TTable::DescribeSource()
{
    if (Trim(FTableName).empty())
        throw EDatabaseError("TableName is not set");
    ReadIndexDefs(Database());
    if (!FIndexName.empty() && !SameText(FIndexName, "PRIMARY"))
        FIndexDefs.Find(FIndexName);
    TSourceInfo info;
    std::string table = QuoteIdent(FTableName);
    info.DescribeSQL = "SELECT * FROM " + table;
    auto orderBy = [this](bool rowid) {
        auto names = OrderFieldNames();
        bool desc = FIndexFieldNames.empty() && !FIndexName.empty() && FIndexDefs.FindIndex(FIndexName) &&
                    (FIndexDefs.FindIndex(FIndexName)->Options() & ixDescending);
        std::string out;
        for (const auto& n : names) {
            if (!out.empty())
                out += ", ";
            out += QuoteIdent(n) + (desc ? " DESC" : "");
        }
        if (rowid)
            out += std::string(out.empty() ? "" : ", ") + "rowid";
        return out.empty() ? out : " ORDER BY " + out;
    };
    info.KeysetSQL = [this, table, orderBy](const std::string& filter, const std::string& extra) {
        std::string where = JoinConditions({filter, MasterCondition(), extra});
        return "SELECT rowid FROM " + table + (where.empty() ? "" : " WHERE " + where) + orderBy(true);
    };
    info.CandidatesSQL = [this, table](const std::string& filter, const std::string& extra) {
        std::string where = JoinConditions({filter, MasterCondition(), extra});
        return "SELECT rowid FROM " + table + (where.empty() ? "" : " WHERE " + where);
    };
    info.RowsSQL = [this, table, orderBy](const std::string& filter, const std::string& extra) {
        std::string where = JoinConditions({filter, MasterCondition(), extra});
        return "SELECT * FROM " + table + (where.empty() ? "" : " WHERE " + where) + orderBy(false);
    };
    info.Modifiable = !FReadOnly;
    // Ordered by the row id alone (or by an INTEGER PRIMARY KEY, which is the row id).
    auto order = OrderFieldNames();
    bool rowidOrder = order.empty();
    if (order.size() == 1 && FIndexDefs.FindIndex("PRIMARY") &&
        SameText(FIndexDefs.FindIndex("PRIMARY")->Fields(), order[0])) {
        TSQLiteStatement ti(Database()->Handle(), "SELECT type, pk FROM pragma_table_info(?1) WHERE name = ?2");
        ti.Bind(1, Variant(FTableName));
        ti.Bind(2, Variant(order[0]));
        rowidOrder = ti.Step() && UpperAscii(Trim(VarToStr(ti.Column(0)))) == "INTEGER";
    }
    info.NaturalOrder = rowidOrder && MasterCondition().empty();
    // The master values are bound at reading, but the table reads again whenever the
    // master moves.
    info.KeysetFollowsData = true;
    return info;
}

void TTable::BindParams(TSQLiteStatement& Statement)
{
    if (MasterCondition().empty())
        return;
    auto master = SplitFieldNames(FMasterFields);
    auto detail = DetailFieldNames();
    TDataSet* md = FMasterLink->DataSet();
    for (size_t i = 0; i < detail.size(); ++i) {
        Variant v = Variant::Null();
        if (md && md->Active() && i < master.size())
            if (TField* f = md->FindField(master[i]))
                v = f->Value();
        TField* df = FindField(detail[i]);
        int idx = sqlite3_bind_parameter_index(Statement.Handle(), (":korin_m" + std::to_string(i)).c_str());
        if (idx > 0)
            Statement.BindField(idx, v, df ? df->DataType() : ftUnknown);
    }
}

void TTable::FieldsCreated()
{
    FIndexFields.clear();
    for (const auto& n : OrderFieldNames())
        if (TField* f = FindField(n))
            FIndexFields.push_back(f);
}

bool TTable::IsFieldIndexed(const TField* Field) const
{
    return std::find(FIndexFields.begin(), FIndexFields.end(), Field) != FIndexFields.end();
}

int TTable::IndexFieldCount() const { return static_cast<int>(FIndexFields.size()); }

TField* TTable::IndexFields(int Index) const
{
    if (Index < 0 || Index >= IndexFieldCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(Index) + ")");
    return FIndexFields[static_cast<size_t>(Index)];
}

void TTable::ChangeOrder()
{
    if (!Active()) {
        FIndexFields.clear();
        return;
    }
    CheckBrowseMode();
    DescribeSourceAgain();
    ReloadKeepingPosition(true);
    FieldsCreated();
}

void TTable::SetIndexName(const std::string& Value)
{
    if (Value == FIndexName && FIndexFieldNames.empty())
        return;
    if (Active() && !Value.empty() && !SameText(Value, "PRIMARY"))
        FIndexDefs.Find(Value);
    std::string oldName = FIndexName, oldFields = FIndexFieldNames;
    FIndexName = Value;
    FIndexFieldNames.clear();
    try {
        ChangeOrder();
    } catch (...) {
        FIndexName = oldName;
        FIndexFieldNames = oldFields;
        throw;
    }
}

void TTable::SetIndexFieldNames(const std::string& Value)
{
    if (Value == FIndexFieldNames && FIndexName.empty())
        return;
    if (Active())
        for (const auto& n : SplitFieldNames(Value))
            FieldByName(n);
    std::string oldName = FIndexName, oldFields = FIndexFieldNames;
    FIndexFieldNames = Value;
    FIndexName.clear();
    try {
        ChangeOrder();
    } catch (...) {
        FIndexName = oldName;
        FIndexFieldNames = oldFields;
        throw;
    }
}

void TTable::SetKey() { BeginSetKey(); }

bool TTable::GotoKey()
{
    if (State() != dsSetKey)
        throw EDatabaseError("Dataset not in set-key mode");
    std::vector<Variant> key = KeyBuffer();
    EndSetKey();
    std::vector<TField*> fields;
    std::vector<Variant> values;
    std::vector<std::string> conds;
    for (TField* f : FIndexFields) {
        const Variant& v = key[static_cast<size_t>(f->Index())];
        if (v.IsEmpty())
            break;
        std::string col = QuoteIdent(f->FieldName());
        conds.push_back(v.IsNull() ? col + " IS NULL" : col + " = :korin_k" + std::to_string(fields.size()));
        fields.push_back(f);
        values.push_back(v);
    }
    if (fields.empty())
        return false;
    int idx;
    if (IsKeysetCursor()) {
        idx = FindFirstWhere(JoinConditions(conds), fields, values);
    } else {
        idx = TDataSet::InternalLocate(fields, values, 0);
    }
    if (idx < 0)
        return false;
    Reposition(idx, true);
    return true;
}

bool TTable::FindKey(const std::vector<Variant>& KeyValues)
{
    CheckBrowseMode();
    SetKey();
    try {
        for (size_t i = 0; i < KeyValues.size() && i < FIndexFields.size(); ++i)
            FIndexFields[i]->SetValue(KeyValues[i]);
    } catch (const EDatabaseError&) {
        // A value that cannot be a key of this index finds nothing.
        Cancel();
        return false;
    }
    return GotoKey();
}

TDataSource* TTable::MasterSource() const { return FMasterLink->DataSource(); }

void TTable::SetMasterSource(TDataSource* Value)
{
    if (Value && Value->DataSet() == this)
        throw EDatabaseError("Circular datalinks are not allowed");
    if (FMasterLink->SetDataSourceFor(this, Value))
        MasterChanged();
}

void TTable::SetMasterFields(const std::string& Value)
{
    if (Value == FMasterFields)
        return;
    FMasterFields = Value;
    MasterChanged();
}

void TTable::Notification(TComponent* AComponent, TOperation Operation)
{
    TDBDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && FMasterLink && AComponent == FMasterLink->DataSource())
        FMasterLink->SetDataSource(nullptr);
}

void TTable::MasterChanged()
{
    if (!Active() || State() == dsOpening)
        return;
    CheckBrowseMode();
    InternalRefresh();
    RestartAtFirst();
}

void TTable::InitNewRecord(std::vector<Variant>& Values)
{
    if (MasterCondition().empty())
        return;
    TDataSet* md = FMasterLink->DataSet();
    if (!md || !md->Active())
        return;
    auto master = SplitFieldNames(FMasterFields);
    auto detail = DetailFieldNames();
    for (size_t i = 0; i < detail.size() && i < master.size(); ++i) {
        TField* mf = md->FindField(master[i]);
        TField* df = FindField(detail[i]);
        if (mf && df)
            Values[static_cast<size_t>(df->Index())] = df->Convert(mf->Value());
    }
}

void TTable::GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields)
{
    MasterFields.clear();
    DetailFields.clear();
    TDataSet* md = FMasterLink->DataSet();
    if (!md || FMasterFields.empty())
        return;
    for (const auto& n : SplitFieldNames(FMasterFields))
        if (TField* f = md->FindField(n))
            MasterFields.push_back(f);
    for (const auto& n : DetailFieldNames())
        if (TField* f = FindField(n))
            DetailFields.push_back(f);
}

}  // namespace korin
