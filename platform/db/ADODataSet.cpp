// Server datasets: reading the records of a command in batches with fetch progress,
// describing their fields, and writing records back by key.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <libpq-fe.h>

#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/ADOFetch.h"
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
    auto f = std::make_shared<TFetch>();
    const bool more = Fetch(ActiveFilter(), *f, true, FFetchInBackground && BackgroundFetchAvailable());
    CreateFields(f->Descs);
    Adopt(*f);
    if (!more)
        return;
    // The rest is read in the application's idle turns.
    FPending = f;
    FConnection->FReading = this;
    f->IdleWork = AddEngineIdleWork([this, alive = FAlive] { return *alive && IdleStep(); });
}

void TCustomADODataSet::InternalClose()
{
    CancelFetch();
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
