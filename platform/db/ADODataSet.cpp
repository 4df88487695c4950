// Server datasets: reading the records of a command in batches with fetch progress,
// describing their fields, and writing records back by key.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <libpq-fe.h>

#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/ADOText.h"

namespace korin {

namespace {

// Type OIDs of the server's built-in types.
enum : Oid {
    oidBool = 16,
    oidBytea = 17,
    oidInt8 = 20,
    oidInt2 = 21,
    oidInt4 = 23,
    oidOid = 26,
    oidFloat4 = 700,
    oidFloat8 = 701,
    oidBpchar = 1042,
    oidVarchar = 1043,
    oidDate = 1082,
    oidTime = 1083,
    oidTimestamp = 1114,
    oidTimestampTz = 1184,
    oidNumeric = 1700,
};

TFieldType FieldTypeOf(Oid Type)
{
    switch (Type) {
    case oidBool: return ftBoolean;
    case oidBytea: return ftBlob;
    case oidInt2: return ftSmallint;
    case oidInt4:
    case oidOid: return ftInteger;
    case oidInt8: return ftLargeint;
    case oidFloat4:
    case oidFloat8:
    case oidNumeric: return ftFloat;
    case oidDate: return ftDate;
    case oidTime: return ftTime;
    case oidTimestamp:
    case oidTimestampTz: return ftDateTime;
    default: return ftString;
    }
}

bool IsIntegerType(TFieldType T) { return T == ftSmallint || T == ftInteger || T == ftLargeint || T == ftAutoInc; }

// Reads N digits at P; false when they are not all digits.
bool Digits(const char* P, int N, int& Value)
{
    Value = 0;
    for (int i = 0; i < N; ++i) {
        if (P[i] < '0' || P[i] > '9')
            return false;
        Value = Value * 10 + (P[i] - '0');
    }
    return true;
}

// "YYYY-MM-DD"; false for other forms (infinity, years BC or past 9999).
bool ParseDate(const char* S, int Len, double& Days)
{
    int y, m, d;
    if (Len < 10 || S[4] != '-' || S[7] != '-' || !Digits(S, 4, y) || !Digits(S + 5, 2, m) || !Digits(S + 8, 2, d))
        return false;
    if (Len > 10 && S[10] != ' ' && S[10] != 'T')
        return false;
    try {
        Days = EncodeDate(y, m, d);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

// "HH:MM:SS[.ffffff]" (a time zone after it is ignored: values are read in the
// connection's zone).
bool ParseTime(const char* S, int Len, double& Day)
{
    int h, mi, s;
    if (Len < 8 || S[2] != ':' || S[5] != ':' || !Digits(S, 2, h) || !Digits(S + 3, 2, mi) || !Digits(S + 6, 2, s))
        return false;
    int ms = 0;
    if (Len > 9 && S[8] == '.') {
        int scale = 100;
        for (int i = 9; i < Len && S[i] >= '0' && S[i] <= '9'; ++i, scale /= 10)
            ms += (S[i] - '0') * scale;
    }
    if (h == 24 && mi == 0 && s == 0) {
        Day = 1.0;
        return true;
    }
    try {
        Day = EncodeTime(h, mi, s, ms);
    } catch (const Exception&) {
        return false;
    }
    return true;
}

// The rows the planner expects the statement of an EXPLAIN (FORMAT JSON) to return: the
// first "Plan Rows" of the plan, which is its top node's.
int PlannedRows(const TPGResult& Plan)
{
    if (Plan.Rows() < 1 || Plan.Columns() < 1 || Plan.IsNull(0, 0))
        return 0;
    const char* text = Plan.Raw(0, 0);
    const char* at = std::strstr(text, "\"Plan Rows\":");
    if (!at)
        return 0;
    double rows = std::strtod(at + 12, nullptr);
    if (!(rows > 0))
        return 0;
    return rows >= 2147483647.0 ? 2147483647 : static_cast<int>(std::llround(rows));
}

// The most values a fetch reserves room for on the strength of the estimate.
constexpr size_t kMaxReservedValues = size_t{1} << 23;

}  // namespace

// ---------------------------------------------------------------------------------------


class TCustomADODataSet::TParamLink : public TDataLink {
public:
    explicit TParamLink(TCustomADODataSet* D) : FDataSet(D) {}
    void ActiveChanged() override { FDataSet->MasterChanged(); }
    void DataSetChanged() override { FDataSet->MasterChanged(); }
    void DataSetScrolled(int) override { FDataSet->MasterChanged(); }
    void RecordChanged(TField*) override {}

private:
    TCustomADODataSet* FDataSet;
};

TCustomADODataSet::TCustomADODataSet(TComponent* AOwner)
    : TDataSet(AOwner), FParamLink(std::make_unique<TParamLink>(this))
{
}

TCustomADODataSet::~TCustomADODataSet()
{
    *FAlive = false;
    try {
        Close();
    } catch (...) {
    }
    FParamLink->SetDataSource(nullptr);
    SetConnection(nullptr);
}

void TCustomADODataSet::SetConnection(TADOConnection* Value)
{
    if (Value == FConnection)
        return;
    if (Active())
        Close();
    if (FConnection) {
        auto& v = FConnection->FDataSets;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    FConnection = Value;
    if (FConnection)
        FConnection->FDataSets.push_back(this);
}

TDataSource* TCustomADODataSet::DataSource() const { return FParamLink->DataSource(); }

TDataSource* TCustomADODataSet::ParamSource() const { return FParamLink->DataSource(); }

void TCustomADODataSet::SetDataSource(TDataSource* Value)
{
    if (Value && Value->DataSet() == this)
        throw EDatabaseError("Circular datalinks are not allowed");
    FParamLink->SetDataSourceFor(this, Value);
}

void TCustomADODataSet::Notification(TComponent* AComponent, TOperation Operation)
{
    TDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && FParamLink && AComponent == FParamLink->DataSource())
        FParamLink->SetDataSource(nullptr);
}

bool TCustomADODataSet::CanModify() const { return Active() && !FTableName.empty(); }

void TCustomADODataSet::CommandChanged(const std::string& Text)
{
    if (Active())
        Close();
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
    std::vector<std::string> names;
    adosql::NumberParameters(Text, names);
    for (const auto& n : names) {
        TParam* p = FParams.CreateParam(ftUnknown, n);
        if (TParam* o = FParamValues.FindParam(n))
            p->Assign(*o);
    }
}

void TCustomADODataSet::GetDetailLinkFields(std::vector<TField*>& MasterFields, std::vector<TField*>& DetailFields)
{
    FParams.GetLinkFields(FParamLink->DataSet(), this, MasterFields, DetailFields);
}

void TCustomADODataSet::FillParamsFromMaster()
{
    FParams.AssignFieldValues(FParamLink->DataSet());
}

void TCustomADODataSet::MasterChanged()
{
    if (!Active() || State() == dsOpening || FFetching)
        return;
    TDataSet* md = FParamLink->DataSet();
    if (!md || !md->Active() || md->State() == dsSetKey)
        return;
    DisableControls();
    try {
        Close();
        Open();
    } catch (const EDataSetFreed&) {
        throw;
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

void TCustomADODataSet::BuildStatement(const std::string& Filter, std::string& SQL, TPGParams& Values)
{
    std::string cmd = adosql::StatementText(CommandSQL());
    if (cmd.empty())
        throw EDatabaseError("No SQL statement available");
    std::vector<std::string> names;
    SQL = adosql::NumberParameters(cmd, names);
    for (const auto& n : names) {
        TParam* p = FParams.FindParam(n);
        if (p)
            Values.Add(p->Value(), p->DataType());
        else
            Values.Add(Variant::Null());
    }
    AddCommandParams(Values);
    adosql::CheckFilter(Filter);
    // The filter is evaluated by the server over the command's result. The line breaks
    // keep a comment at the end of either text from swallowing what follows.
    if (!Filter.empty())
        SQL = "SELECT * FROM (\n" + SQL + "\n) korin_filtered WHERE (\n" + Filter + "\n)";
}

// What a fetch checks after every call that may have run the application's code (the
// progress handler, the wait procedure, a statement during which the application had its
// turns): the dataset or its connection may have been freed meanwhile, or the dataset
// closed. Nothing of a freed object is touched after that.
struct TCustomADODataSet::TFetchGuard {
    TCustomADODataSet* DataSet;
    TADOConnection* Conn;
    std::shared_ptr<bool> DataSetAlive;
    std::shared_ptr<bool> ConnAlive;
    TFetchGuard(TCustomADODataSet* D, TADOConnection* C)
        : DataSet(D), Conn(C), DataSetAlive(D->FAlive), ConnAlive(C->AliveToken())
    {
    }
    void Check() const
    {
        if (!*DataSetAlive)
            throw EDataSetFreed("The dataset was freed while its records were being read");
        if (!*ConnAlive)
            throw EDatabaseError("The connection was freed while records were being read");
        if (DataSet->FAbandon)
            throw EDatabaseError("The dataset was closed while its records were being read");
    }
    // Runs a statement of the fetch, then checks.
    TPGResult Run(const std::string& SQL, const TPGParams& Params = {}) const
    {
        TPGResult r = Conn->Run(SQL, Params);
        Check();
        return r;
    }
};

// Reads the command's records through a cursor in one snapshot. Every batch adds its rows,
// tells OnFetchProgress and the progress callbacks, and gives the application a turn.
void TCustomADODataSet::Fetch(const std::string& Filter, TFetch& Into, bool DescribeFields)
{
    TADOConnection* conn = FConnection;
    if (!conn)
        throw EDatabaseError("No connection is given to the dataset");
    if (!conn->Connected())
        conn->Open();
    conn->CheckFree();
    FillParamsFromMaster();
    std::string sql;
    TPGParams params;
    BuildStatement(Filter, sql, params);
    // User text (a filter) only reads; whatever it changed in the session is undone.
    bool readOnly = FReadOnlyTransaction || !Filter.empty();
    const TFetchGuard guard(this, conn);
    struct TBusy {
        const TFetchGuard& G;
        explicit TBusy(const TFetchGuard& AG) : G(AG)
        {
            G.Conn->SetBusy(true);
            G.DataSet->FFetching = true;
            G.DataSet->FAbandon = false;
        }
        ~TBusy()
        {
            if (*G.ConnAlive)
                G.Conn->SetBusy(false);
            if (*G.DataSetAlive)
                G.DataSet->FFetching = false;
        }
    } busy(guard);
    bool inTransaction = false;
    try {
        guard.Run(readOnly ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY" : "BEGIN ISOLATION LEVEL REPEATABLE READ");
        inTransaction = true;
        // The expected total is the planner's estimate of the statement's rows: planning
        // does not run it, so the rows are not read twice. The events never report less
        // than the rows read, and the last one reports the exact count.
        Into.Expected = PlannedRows(guard.Run("EXPLAIN (FORMAT JSON)\n" + sql, params));
        guard.Run("DECLARE korin_fetch NO SCROLL CURSOR FOR\n" + sql, params);
        const std::string fetchSQL = "FETCH FORWARD " + std::to_string(FCacheSize) + " FROM korin_fetch";
        bool first = true;
        int reported = -1;  // the total the last event reported
        for (;;) {
            TPGResult batch = guard.Run(fetchSQL);
            if (first) {
                Describe(batch, Into, guard);
                if (!DescribeFields && static_cast<int>(Into.Descs.size()) != FieldCount())
                    throw EDatabaseError("The columns of the result have changed; open the dataset again");
            }
            int rows = batch.Rows();
            for (int r = 0; r < rows; ++r)
                ConvertRow(batch, r, Into);
            Into.Fetched += rows;
            const bool last = rows < FCacheSize;
            if (first && rows > 0 && Into.Expected > rows) {
                // Room for the expected rows at once, text as the first batch had it (no
                // more than kMaxReservedValues: an estimate may be far off).
                size_t expected = std::min(static_cast<size_t>(Into.Expected), kMaxReservedValues / Into.Descs.size());
                Into.Rows.Reserve(expected * Into.Descs.size(), Into.TextBytes / static_cast<size_t>(rows) * expected * 9 / 8);
                Into.Order.reserve(expected);
                Into.Keys.reserve(expected);
            }
            if (last)
                Into.Expected = Into.Fetched;
            if (rows > 0 || first || (last && reported != Into.Fetched)) {
                TEventStatus status = esOK;
                const int total = std::max(Into.Expected, Into.Fetched);
                reported = total;
                if (OnFetchProgress) {
                    // A copy: the handler may replace itself, or free the dataset.
                    TFetchProgressEvent handler = OnFetchProgress;
                    handler(this, Into.Fetched, total, status);
                }
                guard.Check();
                TBDECallback::ReportProgress(total > 0 ? static_cast<int>(100LL * Into.Fetched / total) : 100,
                                             "Records read: " + std::to_string(Into.Fetched));
                guard.Check();
                {
                    TEngineWork work;
                    TEngineWaitProc proc = SetEngineWaitProc(nullptr);
                    SetEngineWaitProc(proc);
                    if (proc)
                        proc();
                    guard.Check();
                    work.Tick();
                }
                guard.Check();
                if (status == esCancel)
                    break;
            }
            first = false;
            if (last)
                break;
        }
        guard.Run("CLOSE korin_fetch");
        guard.Run(readOnly ? "ROLLBACK" : "COMMIT");
    } catch (...) {
        // The transaction ends with the cursor in it, whoever asked to stop.
        if (inTransaction && *guard.ConnAlive && conn->Connected()) {
            try {
                conn->Run("ROLLBACK");
            } catch (...) {
            }
        }
        throw;
    }
}

void TCustomADODataSet::Describe(const TPGResult& Res, TFetch& Into, const TFetchGuard& Guard)
{
    PGresult* r = Res.Handle();
    int n = PQnfields(r);
    Into.Descs.clear();
    Into.Types.clear();
    Oid table = 0;
    bool oneTable = true;
    for (int i = 0; i < n; ++i) {
        TFieldDesc d;
        d.Name = PQfname(r, i);
        Oid type = PQftype(r, i);
        d.Type = FieldTypeOf(type);
        int mod = PQfmod(r, i);
        if ((type == oidVarchar || type == oidBpchar) && mod >= 4)
            d.Size = mod - 4;
        Into.Descs.push_back(d);
        Into.Types.push_back(type);
        Oid t = PQftable(r, i);
        if (t != InvalidOid) {
            if (table != InvalidOid && t != table)
                oneTable = false;
            table = t;
        }
    }
    Into.TableName.clear();
    Into.TableColumns.assign(static_cast<size_t>(n), std::string());
    Into.KeyFields.clear();
    Into.IntegerKey = false;
    if (table == InvalidOid || !oneTable)
        return;
    // The table and its columns: which are the primary key, which number themselves.
    TPGParams tp;
    tp.Add(Variant(static_cast<long long>(table)));
    TPGResult rel = Guard.Run("SELECT c.oid::regclass::text, c.relkind FROM pg_class c WHERE c.oid = $1", tp);
    if (rel.Rows() != 1 || (rel.Text(0, 1) != "r" && rel.Text(0, 1) != "p"))
        return;
    TPGResult cols = Guard.Run(
        "SELECT a.attnum, a.attname, a.attnotnull, d.adbin IS NOT NULL,"
        " a.attidentity <> '' OR coalesce(pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%', false),"
        " a.attnum = ANY (coalesce((SELECT i.indkey::int2[] FROM pg_index i"
        "                            WHERE i.indrelid = a.attrelid AND i.indisprimary), '{}'))"
        " FROM pg_attribute a LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum"
        " WHERE a.attrelid = $1 AND a.attnum > 0 AND NOT a.attisdropped",
        tp);
    int keyColumns = 0;
    for (int k = 0; k < cols.Rows(); ++k)
        keyColumns += cols.Text(k, 5) == "t";
    int keysFound = 0;
    for (int i = 0; i < n; ++i) {
        if (PQftable(r, i) != table)
            continue;
        int attnum = PQftablecol(r, i);
        for (int k = 0; k < cols.Rows(); ++k) {
            if (std::atoi(cols.Raw(k, 0)) != attnum)
                continue;
            auto& d = Into.Descs[static_cast<size_t>(i)];
            Into.TableColumns[static_cast<size_t>(i)] = FConnection->QuoteIdentifier(cols.Text(k, 1));
            d.Required = cols.Text(k, 2) == "t" && cols.Text(k, 3) != "t";
            if (cols.Text(k, 4) == "t" && IsIntegerType(d.Type))
                d.Type = ftAutoInc;
            if (cols.Text(k, 5) == "t") {
                Into.KeyFields.push_back(i);
                ++keysFound;
            }
        }
    }
    // Editable only when the result holds the whole primary key, each column once.
    if (keyColumns == 0 || keysFound != keyColumns) {
        Into.KeyFields.clear();
        Into.TableColumns.assign(static_cast<size_t>(n), std::string());
        for (auto& d : Into.Descs)
            d.Required = false;
        return;
    }
    Into.TableName = rel.Text(0, 0);
    Into.IntegerKey = Into.KeyFields.size() == 1 && IsIntegerType(Into.Descs[static_cast<size_t>(Into.KeyFields[0])].Type);
    for (size_t i = 0; i < Into.Descs.size(); ++i)
        if (Into.TableColumns[i].empty())
            Into.Descs[i].ReadOnly = true;  // computed: not a column of the table
}

// Adds one result row to the store, values taken straight from the server's text.
void TCustomADODataSet::ConvertRow(const TPGResult& Res, int Row, TFetch& Into)
{
    TRowStore& rows = Into.Rows;
    rows.Width = Into.Descs.size();
    const size_t at = rows.size();
    const int intKey = Into.IntegerKey ? Into.KeyFields[0] : -1;
    std::int64_t key = 0;
    for (size_t c = 0; c < Into.Descs.size(); ++c) {
        int col = static_cast<int>(c);
        if (Res.IsNull(Row, col)) {
            rows.AppendNull();
            continue;
        }
        const char* s = Res.Raw(Row, col);
        int len = Res.Length(Row, col);
        switch (Into.Descs[c].Type) {
        case ftSmallint:
        case ftInteger:
        case ftLargeint:
        case ftAutoInc: {
            std::int64_t v = std::strtoll(s, nullptr, 10);
            rows.AppendInt(v);
            if (col == intKey)
                key = v;
            break;
        }
        case ftFloat:
            rows.AppendDouble(std::strtod(s, nullptr));
            break;
        case ftBoolean:
            rows.Append(Variant(s[0] == 't'));
            break;
        case ftDate: {
            double d;
            if (ParseDate(s, len, d))
                rows.Append(Variant::FromDateTime(d));
            else
                rows.AppendText(s, static_cast<size_t>(len));
            break;
        }
        case ftTime: {
            double t;
            if (ParseTime(s, len, t))
                rows.Append(Variant::FromDateTime(t));
            else
                rows.AppendText(s, static_cast<size_t>(len));
            break;
        }
        case ftDateTime: {
            double d, t = 0;
            if (ParseDate(s, len, d) && (len < 19 || ParseTime(s + 11, len - 11, t)))
                rows.Append(Variant::FromDateTime(d + t));
            else
                rows.AppendText(s, static_cast<size_t>(len));
            break;
        }
        case ftBlob: {
            size_t out = 0;
            unsigned char* b = PQunescapeBytea(reinterpret_cast<const unsigned char*>(s), &out);
            if (!b) {
                rows.Truncate(at);
                throw EDatabaseError("Out of memory while reading a binary value");
            }
            rows.AppendText(reinterpret_cast<const char*>(b), out);
            Into.TextBytes += out;
            PQfreemem(b);
            break;
        }
        default:
            rows.AppendText(s, static_cast<size_t>(len));
            Into.TextBytes += static_cast<size_t>(len);
            break;
        }
    }
    Into.Order.push_back(static_cast<std::uint32_t>(at));
    if (Into.KeyFields.empty()) {
        key = FNextKeyId++;
    } else if (!Into.IntegerKey) {
        std::string text;
        for (int k : Into.KeyFields) {
            text += VarToStr(rows.Get(at, static_cast<size_t>(k)));
            text += '\x1f';
        }
        auto it = FKeyIds.find(text);
        if (it == FKeyIds.end())
            it = FKeyIds.emplace(text, FNextKeyId++).first;
        key = it->second;
    }
    Into.Keys.push_back(key);
}

void TCustomADODataSet::Adopt(TFetch& From)
{
    FRows = std::move(From.Rows);
    FRows.Width = From.Descs.size();
    FOrder = std::move(From.Order);
    FKeys = std::move(From.Keys);
    FPosValid = false;
    FTableName = From.TableName;
    FTableColumns = From.TableColumns;
    FKeyFields = From.KeyFields;
    FIntegerKey = From.IntegerKey;
    FFetched = From.Fetched;
    FExpected = From.Expected;
}

void TCustomADODataSet::InternalOpen()
{
    TFetch f;
    Fetch(ActiveFilter(), f, true);
    CreateFields(f.Descs);
    Adopt(f);
}

void TCustomADODataSet::InternalClose()
{
    if (FFetching)
        FAbandon = true;
    FRows.Release();
    FOrder.clear();
    FOrder.shrink_to_fit();
    FKeys.clear();
    FKeys.shrink_to_fit();
    FPosOfKey.clear();
    FPosValid = false;
    FTableName.clear();
}

void TCustomADODataSet::InternalFetch(int Index, std::vector<Variant>& Values)
{
    if (Index < 0 || Index >= static_cast<int>(FOrder.size()))
        return;
    FRows.GetRow(FOrder[static_cast<size_t>(Index)], Values);
}

std::int64_t TCustomADODataSet::InternalRecordKey(int Index) const
{
    return Index >= 0 && Index < static_cast<int>(FKeys.size()) ? FKeys[static_cast<size_t>(Index)] : -1;
}

int TCustomADODataSet::InternalIndexOfKey(std::int64_t Key) const
{
    if (!FPosValid) {
        FPosOfKey.clear();
        FPosOfKey.reserve(FKeys.size());
        for (size_t i = FKeys.size(); i-- > 0;)
            FPosOfKey[FKeys[i]] = static_cast<int>(i);
        FPosValid = true;
    }
    auto it = FPosOfKey.find(Key);
    return it == FPosOfKey.end() ? -1 : it->second;
}

void TCustomADODataSet::InternalRefresh()
{
    TFetch f;
    Fetch(ActiveFilter(), f, false);
    Adopt(f);
}

void TCustomADODataSet::InternalSetFilter(const std::string& Filter)
{
    TFetch f;
    Fetch(Filter, f, false);
    Adopt(f);
}

}  // namespace korin
