#include "korin/platform/db/DBTables.h"

#include <algorithm>
#include <cctype>

#include "korin/platform/db/SQLText.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

using namespace dbsql;

class TQuery::TParamLink : public TDataLink {
public:
    explicit TParamLink(TQuery* Q) : FQuery(Q) {}
    void ActiveChanged() override { FQuery->MasterChanged(); }
    void DataSetChanged() override { FQuery->MasterChanged(); }
    void DataSetScrolled(int) override { FQuery->MasterChanged(); }
    void RecordChanged(TField*) override {}

private:
    TQuery* FQuery;
};

TQuery::TQuery(TComponent* AOwner) : TDBDataSet(AOwner), FParamLink(std::make_unique<TParamLink>(this))
{
    FSQL.OnChange = [this](TObject*) { SQLChanged(); };
}

TQuery::~TQuery()
{
    Close();
    FParamLink->SetDataSource(nullptr);
    FSQL.OnChange = nullptr;
}

void TQuery::SQLChanged()
{
    if (Active())
        Close();
    FPrepared = false;
    // Remember the values given so far, then build the new list from them.
    for (int i = 0; i < FParams.Count(); ++i) {
        TParam* cur = FParams.Items(i);
        if (!cur->Bound())
            continue;
        TParam* keep = FParamValues.FindParam(cur->Name());
        if (!keep)
            keep = FParamValues.CreateParam(ftUnknown, cur->Name());
        keep->Assign(*cur);
    }
    FParams.Clear();
    for (const auto& n : TParams::ParseNames(FSQL.Text())) {
        TParam* p = FParams.CreateParam(ftUnknown, n);
        if (TParam* o = FParamValues.FindParam(n))
            p->Assign(*o);
    }
}

std::string TQuery::StatementText() const
{
    std::string s = Trim(FSQL.Text());
    while (!s.empty() && (s.back() == ';' || std::isspace(static_cast<unsigned char>(s.back()))))
        s.pop_back();
    return s;
}

TDataSource* TQuery::DataSource() const { return FParamLink->DataSource(); }

void TQuery::SetDataSource(TDataSource* Value)
{
    if (Value && Value->DataSet() == this)
        throw EDatabaseError("Circular datalinks are not allowed");
    FParamLink->SetDataSourceFor(this, Value);
}

void TQuery::GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields)
{
    FParams.GetLinkFields(FParamLink->DataSet(), this, MasterFields, DetailFields);
}

void TQuery::Notification(TComponent* AComponent, TOperation Operation)
{
    TDBDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && FParamLink && AComponent == FParamLink->DataSource())
        FParamLink->SetDataSource(nullptr);
}

void TQuery::SetRequestLive(bool Value)
{
    if (Value == FRequestLive)
        return;
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    FRequestLive = Value;
}

void TQuery::FillParamsFromMaster()
{
    FParams.AssignFieldValues(FParamLink->DataSet());
}

void TQuery::MasterChanged()
{
    if (!Active() || State() == dsOpening)
        return;
    TDataSet* md = FParamLink->DataSet();
    if (!md || !md->Active() || md->State() == dsSetKey)
        return;
    DisableControls();
    try {
        Close();
        Open();
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

// Compiles a statement the way opening a query does, under the read-only guard, and
// raises when it is not one statement that only reads and returns rows. Nothing runs.
static void CheckOpenable(sqlite3* Db, const std::string& SQL)
{
    TSQLiteStatement check(Db, SQL, sgReadOnly);
    if (check.HasTail())
        throw EDatabaseError("Only one SQL statement can be opened");
    if (check.ColumnCount() == 0)
        throw EDatabaseError("The SQL statement returns no result set");
    if (!check.ReadOnly())
        throw EDatabaseError("The SQL statement changes data; run it with ExecSQL");
}

void TQuery::Prepare()
{
    std::string sql = StatementText();
    if (sql.empty())
        throw EDatabaseError("No SQL statement available");
    if (Active()) {
        CheckOpenable(Database()->Handle(), sql);
    } else {
        TDatabase* db = Session->OpenDatabase(DatabaseName());
        try {
            CheckOpenable(db->Handle(), sql);
        } catch (...) {
            Session->CloseDatabase(db);
            throw;
        }
        Session->CloseDatabase(db);
    }
    FPrepared = true;
}

TDBDataSet::TSourceInfo TQuery::DescribeSource()
{
    std::string sql = StatementText();
    if (sql.empty())
        throw EDatabaseError("No SQL statement available");
    CheckOpenable(Database()->Handle(), sql);
    FillParamsFromMaster();
    TSourceInfo info;
    info.DescribeSQL = sql;
    info.Modifiable = FRequestLive;
    info.RowsSQL = [sql](const std::string& filter, const std::string& extra) {
        std::string where = JoinConditions({filter, extra});
        return where.empty() ? sql : "SELECT * FROM (" + sql + ") WHERE " + where;
    };
    // A plain SELECT of one table's rows can be reached by row id.
    auto words = CodeWords(sql);
    static const char* const blockers[] = {"DISTINCT", "GROUP", "UNION", "INTERSECT", "EXCEPT", "HAVING", "WINDOW", "VALUES"};
    bool plain = !words.empty() && words[0] == "SELECT";
    for (const char* b : blockers)
        if (std::find(words.begin(), words.end(), b) != words.end())
            plain = false;
    if (plain) {
        size_t pos = std::string::npos;
        ScanCode(sql, [&](size_t i) {
            if (std::isalpha(static_cast<unsigned char>(sql[i]))) {
                pos = i;
                return false;
            }
            return true;
        });
        std::string rewritten = sql.substr(0, pos + 6) + " rowid AS korin_rowid_," + sql.substr(pos + 6);
        info.KeysetSQL = [rewritten](const std::string& filter, const std::string& extra) {
            std::string where = JoinConditions({filter, extra});
            return where.empty() ? rewritten : "SELECT korin_rowid_ FROM (" + rewritten + ") WHERE " + where;
        };
    }
    return info;
}

void TQuery::BindParams(TSQLiteStatement& Statement)
{
    for (int i = 0; i < FParams.Count(); ++i) {
        TParam* p = FParams.Items(i);
        int idx = sqlite3_bind_parameter_index(Statement.Handle(), (":" + p->Name()).c_str());
        if (idx > 0)
            Statement.BindField(idx, p->Value(), p->DataType());
    }
}

void TQuery::ExecSQL()
{
    std::string sql = StatementText();
    if (sql.empty())
        throw EDatabaseError("No SQL statement available");
    // Nothing runs when any part of the text is damaged.
    CheckSQLText(sql);
    FillParamsFromMaster();
    TDatabase* db = Session->OpenDatabase(DatabaseName());
    try {
        sqlite3* h = db->Handle();
        const char* p = sql.c_str();
        const char* end = p + sql.size();
        FRowsAffected = 0;
        while (p < end) {
            const char* tail = nullptr;
            TSQLiteStatement st(h, p, static_cast<int>(end - p), &tail);
            // The engine always moves on; should it not, stop rather than spin.
            if (!tail || tail <= p)
                break;
            p = tail;
            if (!st.Handle())
                continue;
            BindParams(st);
            while (st.Step()) {
            }
            FRowsAffected = sqlite3_changes(h);
        }
    } catch (...) {
        Session->CloseDatabase(db);
        throw;
    }
    Session->CloseDatabase(db);
}

}  // namespace korin
