// The three server datasets: SQL lines, a command text, a table by name.
#include <algorithm>

#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/ADOText.h"

namespace korin {

// ---------------------------------------------------------------------------------------
// Query

TADOQuery::TADOQuery(TComponent* AOwner) : TCustomADODataSet(AOwner)
{
    FSQL.OnChange = [this](TObject*) {
        FPrepared = false;
        CommandChanged(FSQL.Text());
    };
}

TADOQuery::~TADOQuery()
{
    try {
        Close();
    } catch (...) {
    }
    FSQL.OnChange = nullptr;
}

std::string TADOQuery::CommandSQL() { return FSQL.Text(); }

void TADOQuery::Prepare()
{
    TADOConnection* conn = Connection();
    if (!conn)
        throw EDatabaseError("No connection is given to the dataset");
    if (!conn->Connected())
        conn->Open();
    std::string cmd = adosql::StatementText(FSQL.Text());
    if (cmd.empty())
        throw EDatabaseError("No SQL statement available");
    std::vector<std::string> names;
    std::string sql = adosql::NumberParameters(cmd, names);
    if (conn->Describe(sql, static_cast<int>(names.size())) == 0)
        throw EDatabaseError("The SQL statement returns no result set");
    FPrepared = true;
}

int TADOQuery::ExecSQL()
{
    TADOConnection* conn = Connection();
    if (!conn)
        throw EDatabaseError("No connection is given to the dataset");
    if (!conn->Connected())
        conn->Open();
    conn->CheckFree();
    std::string cmd = adosql::StatementText(FSQL.Text());
    if (cmd.empty())
        throw EDatabaseError("No SQL statement available");
    std::vector<std::string> names;
    std::string sql = adosql::NumberParameters(cmd, names);
    TPGParams values;
    for (const auto& n : names) {
        TParam* p = Params()->FindParam(n);
        values.Add(p ? p->Value() : Variant::Null(), p ? p->DataType() : ftUnknown);
    }
    FRowsAffected = conn->Run(sql, values).RowsAffected();
    return FRowsAffected;
}

// ---------------------------------------------------------------------------------------
// Command text

TADODataSet::TADODataSet(TComponent* AOwner) : TCustomADODataSet(AOwner) {}

TADODataSet::~TADODataSet()
{
    try {
        Close();
    } catch (...) {
    }
}

void TADODataSet::SetCommandText(const std::string& Value)
{
    if (Value == FCommandText)
        return;
    FCommandText = Value;
    CommandChanged(Value);
}

std::string TADODataSet::CommandSQL() { return FCommandText; }

// ---------------------------------------------------------------------------------------
// Table

TADOTable::TADOTable(TComponent* AOwner) : TCustomADODataSet(AOwner) {}

TADOTable::~TADOTable()
{
    try {
        Close();
    } catch (...) {
    }
}

void TADOTable::SetTableName(const std::string& Value)
{
    if (Value == FTableName)
        return;
    if (Active())
        Close();
    FTableName = Value;
}

void TADOTable::SetIndexFieldNames(const std::string& Value)
{
    if (Value == FIndexFieldNames)
        return;
    FIndexFieldNames = Value;
    if (Active())
        Refresh();
}

void TADOTable::SetMasterFields(const std::string& Value)
{
    if (Value == FMasterFields)
        return;
    FMasterFields = Value;
    if (Active()) {
        Close();
        Open();
    }
}

std::vector<std::string> TADOTable::DetailFieldNames() const
{
    auto names = SplitFieldNames(FIndexFieldNames);
    auto masters = SplitFieldNames(FMasterFields);
    if (names.size() < masters.size())
        return masters;
    names.resize(masters.size());
    return names;
}

// "SELECT * FROM <table>" with the master condition and the order. The name is read by
// the server as SQL writes a table name (unquoted parts fold to lower case) and comes
// back quoted as needed, so it can name nothing but a table.
std::string TADOTable::CommandSQL()
{
    if (FTableName.find_first_not_of(" \t\r\n") == std::string::npos)
        throw EDatabaseError("TableName is not set");
    TADOConnection* conn = Connection();
    TPGParams name;
    name.Add(Variant(FTableName));
    TPGResult rel = conn->Run("SELECT $1::regclass::text, $1::regclass::oid", name);
    std::string table = rel.Text(0, 0);
    std::string sql = "SELECT * FROM " + table;
    FMasterValues.clear();
    TDataSet* md = ParamSource() ? ParamSource()->DataSet() : nullptr;
    auto masters = SplitFieldNames(FMasterFields);
    if (ParamSource() && !masters.empty()) {
        auto detail = DetailFieldNames();
        std::string where;
        for (size_t i = 0; i < detail.size(); ++i) {
            TField* mf = md && md->Active() ? md->FindField(masters[i]) : nullptr;
            FMasterValues.push_back(mf ? mf->Value() : Variant::Null());
            where += (i ? " AND " : "") + conn->QuoteIdentifier(detail[i]) + " = $" + std::to_string(i + 1);
        }
        sql += " WHERE " + where;
    }
    std::vector<std::string> order;
    for (const auto& f : SplitFieldNames(FIndexFieldNames))
        order.push_back(conn->QuoteIdentifier(f));
    if (order.empty()) {
        TPGParams oid;
        oid.Add(Variant(rel.Text(0, 1)));
        TPGResult pk = conn->Run(
            "SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid"
            " AND a.attnum = ANY (i.indkey::int2[]) WHERE i.indrelid = $1::oid AND i.indisprimary"
            " ORDER BY array_position(i.indkey::int2[], a.attnum)",
            oid);
        for (int k = 0; k < pk.Rows(); ++k)
            order.push_back(conn->QuoteIdentifier(pk.Text(k, 0)));
    }
    if (!order.empty()) {
        sql += " ORDER BY ";
        for (size_t i = 0; i < order.size(); ++i)
            sql += (i ? ", " : "") + order[i];
    }
    return sql;
}

void TADOTable::AddCommandParams(TPGParams& Params)
{
    for (const Variant& v : FMasterValues)
        Params.Add(v);
}

void TADOTable::MasterChanged()
{
    if (!Active() || State() == dsOpening)
        return;
    // Only a move to another master record reads the details again.
    TDataSet* md = ParamSource() ? ParamSource()->DataSet() : nullptr;
    auto masters = SplitFieldNames(FMasterFields);
    if (md && md->Active() && masters.size() == FMasterValues.size()) {
        bool same = true;
        for (size_t i = 0; i < masters.size() && same; ++i) {
            TField* mf = md->FindField(masters[i]);
            Variant v = mf ? mf->Value() : Variant::Null();
            same = v.IsNullOrEmpty() ? FMasterValues[i].IsNullOrEmpty()
                                     : !FMasterValues[i].IsNullOrEmpty() && v == FMasterValues[i];
        }
        if (same)
            return;
    }
    TCustomADODataSet::MasterChanged();
}

void TADOTable::InitNewRecord(std::vector<Variant>& Values)
{
    TDataSet* md = ParamSource() ? ParamSource()->DataSet() : nullptr;
    if (!md || !md->Active())
        return;
    auto masters = SplitFieldNames(FMasterFields);
    auto detail = DetailFieldNames();
    for (size_t i = 0; i < masters.size() && i < detail.size(); ++i) {
        TField* mf = md->FindField(masters[i]);
        TField* df = FindField(detail[i]);
        if (mf && df && df->CanModify())
            Values[static_cast<size_t>(df->Index())] = df->Convert(mf->Value());
    }
}

void TADOTable::GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields)
{
    MasterFields.clear();
    DetailFields.clear();
    TDataSet* md = ParamSource() ? ParamSource()->DataSet() : nullptr;
    if (!md)
        return;
    auto masters = SplitFieldNames(FMasterFields);
    auto detail = DetailFieldNames();
    for (size_t i = 0; i < masters.size(); ++i) {
        if (TField* mf = md->FindField(masters[i]))
            MasterFields.push_back(mf);
        if (i < detail.size())
            if (TField* df = FindField(detail[i]))
                DetailFields.push_back(df);
    }
}

}  // namespace korin
