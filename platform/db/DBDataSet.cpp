#include "korin/platform/db/DBTables.h"

#include <algorithm>

#include "korin/platform/db/SQLText.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

using namespace dbsql;

namespace {

// Reading a result reports progress every this many rows.
constexpr size_t kProgressRows = 16384;
// A fully read result stops with an error rather than fill the memory (values and
// their texts together, roughly).
constexpr size_t kMaxCachedBytes = size_t{512} << 20;

}  // namespace

TDBDataSet::TDBDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TDBDataSet::~TDBDataSet() { Close(); }

void TDBDataSet::SetDatabaseName(const std::string& Value)
{
    if (Value == FDatabaseName)
        return;
    if (Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    FDatabaseName = Value;
}

bool TDBDataSet::CanModify() const
{
    return Active() && FKeyset && FSource.Modifiable && FDatabase && !FDatabase->ReadOnly();
}

void TDBDataSet::CheckFilterText(const std::string& Filter) const
{
    if (Filter.empty())
        return;
    CheckSQLText(Filter);
    // The filter is one expression: no statement separators, balanced parentheses.
    int depth = 0;
    bool bad = false;
    ScanCode(Filter, [&](size_t i) {
        char c = Filter[i];
        if (c == ';')
            bad = true;
        else if (c == '(')
            ++depth;
        else if (c == ')' && --depth < 0)
            bad = true;
        return !bad;
    });
    if (bad || depth != 0)
        throw EDatabaseError("Invalid filter expression: " + Filter);
}

void TDBDataSet::BuildList(const std::string& Filter, std::vector<std::int64_t>& Keys,
                           TRowStore& Rows) const
{
    CheckFilterText(Filter);
    sqlite3* db = FDatabase->Handle();
    Keys.clear();
    Rows.clear();
    TEngineWaitScope wait(db);
    if (FKeyset) {
        TSQLiteStatement st(db, FSource.KeysetSQL(Filter, ""), sgReadOnly);
        if (!st.ReadOnly() || st.HasTail())
            throw EDatabaseError("Invalid filter expression: " + Filter);
        const_cast<TDBDataSet*>(this)->BindParams(st);
        while (st.Step()) {
            if (st.ColumnIsNull(0))
                throw EDatabaseError("The rows have no row ids");
            Keys.push_back(st.ColumnInt64(0));
            if (Keys.size() % kProgressRows == 0)
                TBDECallback::ReportProgress(-1, "Records read: " + std::to_string(Keys.size()));
        }
        return;
    }
    TSQLiteStatement st(db, FSource.RowsSQL(Filter, ""), sgReadOnly);
    if (!st.ReadOnly() || st.HasTail())
        throw EDatabaseError("Invalid filter expression: " + Filter);
    const_cast<TDBDataSet*>(this)->BindParams(st);
    int n = std::min(st.ColumnCount(), static_cast<int>(FTypes.size()));
    Rows.Width = FTypes.size();
    size_t bytes = 0;
    while (st.Step()) {
        for (size_t i = 0; i < Rows.Width; ++i) {
            bool has = static_cast<int>(i) < n;
            Rows.Cells.push_back(has ? st.ColumnAs(static_cast<int>(i), FTypes[i]) : Variant::Null());
            bytes += sizeof(Variant) + (has ? static_cast<size_t>(sqlite3_column_bytes(st.Handle(), static_cast<int>(i))) : 0);
        }
        if (bytes > kMaxCachedBytes)
            throw EDatabaseError("The result is too large to be held in memory");
        if (Rows.size() % kProgressRows == 0)
            TBDECallback::ReportProgress(-1, "Records read: " + std::to_string(Rows.size()));
    }
}

void TDBDataSet::InternalOpen()
{
    FDatabase = Session->OpenDatabase(FDatabaseName);
    try {
        sqlite3* db = FDatabase->Handle();
        TEngineWaitScope wait(db);
        FSource = DescribeSource();
        TSQLiteStatement desc(db, FSource.DescribeSQL, sgReadOnly);
        int n = desc.ColumnCount();
        if (n == 0)
            throw EDatabaseError("The SQL statement returns no result set");

        // Keyset cursors need every column to come straight from one table with row ids.
        std::string odb, otable;
        std::vector<std::string> ocols;
        bool keyset = static_cast<bool>(FSource.KeysetSQL);
        for (int i = 0; i < n && keyset; ++i) {
            std::string d = desc.OriginDatabase(i), t = desc.OriginTable(i), c = desc.OriginColumn(i);
            if (t.empty() || c.empty() || (i > 0 && (d != odb || t != otable)))
                keyset = false;
            odb = d;
            otable = t;
            ocols.push_back(c);
        }
        if (keyset) {
            try {
                TSQLiteStatement probe(db, FSource.KeysetSQL("", ""), sgReadOnly);
                keyset = probe.ReadOnly() && !probe.HasTail();
            } catch (const EDatabaseError&) {
                keyset = false;
            }
        }

        // Column facts of the origin table: declared type, NOT NULL, primary key.
        struct ColInfo {
            std::string Type;
            bool NotNull = false;
            int Pk = 0;
        };
        std::unordered_map<std::string, ColInfo> info;
        int pkCount = 0;
        if (keyset) {
            TSQLiteStatement ti(db, "SELECT name, type, \"notnull\", pk FROM " + QuoteIdent(odb) +
                                        ".pragma_table_info(?1)");
            ti.Bind(1, Variant(otable));
            while (ti.Step()) {
                ColInfo ci;
                ci.Type = VarToStr(ti.Column(1));
                ci.NotNull = ti.ColumnInt64(2) != 0;
                ci.Pk = static_cast<int>(ti.ColumnInt64(3));
                if (ci.Pk)
                    ++pkCount;
                info[UpperAscii(VarToStr(ti.Column(0)))] = ci;
            }
        }

        std::vector<TFieldDesc> descs;
        FTypes.clear();
        FColumns.clear();
        std::vector<std::string> used;
        for (int i = 0; i < n; ++i) {
            TFieldDesc d;
            std::string name = desc.ColumnName(i);
            std::string unique = name;
            for (int k = 1; std::find_if(used.begin(), used.end(), [&](const std::string& u) {
                                return SameText(u, unique);
                            }) != used.end();
                 ++k)
                unique = name + "_" + std::to_string(k);
            used.push_back(unique);
            d.Name = unique;
            d.Type = FieldTypeForDecl(desc.DeclType(i));
            d.Size = FieldSizeForDecl(desc.DeclType(i));
            if (keyset) {
                auto it = info.find(UpperAscii(ocols[static_cast<size_t>(i)]));
                if (it != info.end()) {
                    d.Required = it->second.NotNull;
                    if (it->second.Pk && pkCount == 1 && UpperAscii(Trim(it->second.Type)) == "INTEGER")
                        d.Type = ftAutoInc;
                }
                FColumns.push_back(QuoteIdent(ocols[static_cast<size_t>(i)]));
            }
            FTypes.push_back(d.Type);
            descs.push_back(d);
        }
        FKeyset = keyset;
        FTable = keyset ? QuoteIdent(odb) + "." + QuoteIdent(otable) : std::string();
        FPage.clear();
        try {
            BuildList(ActiveFilter(), FKeys, FRows);
        } catch (const EDatabaseError& e) {
            // A refused or cancelled statement is not tried again.
            if (!FKeyset || e.ErrorCode() == SQLITE_AUTH || e.ErrorCode() == SQLITE_INTERRUPT)
                throw;
            // Rows without row ids after all: read the whole result instead.
            FKeyset = false;
            FColumns.clear();
            FTable.clear();
            BuildList(ActiveFilter(), FKeys, FRows);
        }
        if (!FKeyset) {
            // Columns without a declared type take the type of their first value.
            for (size_t c = 0; c < FTypes.size(); ++c) {
                if (FTypes[c] != ftUnknown)
                    continue;
                TFieldType t = ftString;
                for (size_t r = 0; r < FRows.size(); ++r) {
                    const Variant& v = FRows.Cells[r * FRows.Width + c];
                    if (v.IsNull())
                        continue;
                    t = v.Type() == varInt64 ? ftInteger : v.Type() == varDouble ? ftFloat : ftString;
                    break;
                }
                FTypes[c] = t;
                descs[c].Type = t;
            }
        } else {
            std::string cols;
            for (const auto& c : FColumns) {
                if (!cols.empty())
                    cols += ", ";
                cols += c;
            }
            FFetch = std::make_unique<TSQLiteStatement>(db, "SELECT " + cols + " FROM " + FTable + " WHERE rowid = ?1");
        }
        CreateFields(descs);
        FieldsCreated();
    } catch (...) {
        FKeys.clear();
        FRows.clear();
        FPage.clear();
        FFetch.reset();
        Session->CloseDatabase(FDatabase);
        FDatabase = nullptr;
        throw;
    }
    FDatabase->FDataSets.push_back(this);
}

void TDBDataSet::InternalClose()
{
    FKeys.clear();
    FKeys.shrink_to_fit();
    FRows.Cells.clear();
    FRows.Cells.shrink_to_fit();
    FPage.clear();
    FFetch.reset();
    if (FDatabase) {
        auto& v = FDatabase->FDataSets;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        TDatabase* db = FDatabase;
        FDatabase = nullptr;
        Session->CloseDatabase(db);
    }
}

int TDBDataSet::InternalRecordCount() const
{
    return static_cast<int>(FKeyset ? FKeys.size() : FRows.size());
}

std::vector<Variant> TDBDataSet::ReadRow(std::int64_t RowId)
{
    std::vector<Variant> row(FTypes.size(), Variant::Null());
    FFetch->Reset();
    FFetch->Bind(1, Variant(static_cast<long long>(RowId)));
    if (FFetch->Step())
        for (size_t i = 0; i < FTypes.size(); ++i)
            row[i] = FFetch->ColumnAs(static_cast<int>(i), FTypes[i]);
    FFetch->Reset();
    return row;
}

void TDBDataSet::FetchPage(int Index)
{
    // Pages start at 64 records and double, up to 1024, while the cursor reads on from
    // where the last page ended (a walk through the dataset); a jump starts small again.
    constexpr int kMinPage = 64;
    constexpr int kMaxPage = 1024;
    FPageSize = (Index == FNextPageStart) ? std::min(FPageSize * 2, kMaxPage) : kMinPage;
    if (static_cast<int>(FPage.size()) > 16 * kMaxPage)
        FPage.clear();
    int start = Index;
    if (FPageSize == kMinPage)
        start = Index - Index % kMinPage;
    int end = std::min(start + FPageSize, static_cast<int>(FKeys.size()));
    // One read transaction for the whole page: the file is locked once, not per record.
    sqlite3* db = FDatabase ? FDatabase->Handle() : nullptr;
    bool wrap = db && sqlite3_get_autocommit(db) && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    try {
        for (int i = start; i < end; ++i) {
            std::int64_t id = FKeys[static_cast<size_t>(i)];
            if (!FPage.count(id))
                FPage.emplace(id, ReadRow(id));
        }
    } catch (...) {
        if (wrap)
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        throw;
    }
    if (wrap)
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    FNextPageStart = end;
}

void TDBDataSet::InternalFetch(int Index, std::vector<Variant>& Values)
{
    if (Index < 0 || Index >= InternalRecordCount())
        return;
    if (!FKeyset) {
        auto first = FRows.Cells.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(Index) * FRows.Width);
        Values.assign(first, first + static_cast<std::ptrdiff_t>(FRows.Width));
        return;
    }
    std::int64_t id = FKeys[static_cast<size_t>(Index)];
    auto it = FPage.find(id);
    if (it == FPage.end() && FDatabase && EngineWaiting(FDatabase->Handle())) {
        // A statement of this connection is paused (the form repaints meanwhile): the
        // record shows empty now and is read when next asked for.
        Values.assign(FTypes.size(), Variant::Null());
        return;
    }
    if (it == FPage.end()) {
        FetchPage(Index);
        it = FPage.find(id);
    }
    Values = it->second;
}

std::int64_t TDBDataSet::InternalRecordKey(int Index) const
{
    return FKeyset ? FKeys[static_cast<size_t>(Index)] : Index;
}

int TDBDataSet::InternalIndexOfKey(std::int64_t Key) const
{
    if (!FKeyset)
        return Key >= 0 && Key < static_cast<std::int64_t>(FRows.size()) ? static_cast<int>(Key) : -1;
    auto it = std::find(FKeys.begin(), FKeys.end(), Key);
    return it == FKeys.end() ? -1 : static_cast<int>(it - FKeys.begin());
}

int TDBDataSet::InternalPost(bool Inserting, int Index, const std::vector<Variant>& Values,
                             const std::vector<bool>& Changed)
{
    if (!CanModify())
        throw EDatabaseError("Cannot modify a read-only dataset");
    sqlite3* db = FDatabase->Handle();
    std::vector<size_t> cols;
    for (size_t i = 0; i < Values.size() && i < FColumns.size(); ++i)
        if (Changed[i])
            cols.push_back(i);
    std::int64_t rowid;
    if (!Inserting) {
        rowid = FKeys[static_cast<size_t>(Index)];
        if (cols.empty())
            return Index;
        std::string sql = "UPDATE " + FTable + " SET ";
        for (size_t k = 0; k < cols.size(); ++k)
            sql += (k ? ", " : "") + FColumns[cols[k]] + " = ?" + std::to_string(k + 1);
        sql += " WHERE rowid = ?" + std::to_string(cols.size() + 1);
        TSQLiteStatement st(db, sql);
        for (size_t k = 0; k < cols.size(); ++k)
            st.BindField(static_cast<int>(k + 1), Values[cols[k]], FTypes[cols[k]]);
        st.Bind(static_cast<int>(cols.size() + 1), Variant(static_cast<long long>(rowid)));
        st.Step();
        if (sqlite3_changes(db) == 0)
            throw EDatabaseError("Record not found or changed by another user");
        FPage.erase(rowid);
        if (FSource.NaturalOrder && ActiveFilter().empty())
            return Index;
    } else {
        std::string sql;
        if (cols.empty()) {
            sql = "INSERT INTO " + FTable + " DEFAULT VALUES";
        } else {
            std::string names, marks;
            for (size_t k = 0; k < cols.size(); ++k) {
                names += (k ? ", " : "") + FColumns[cols[k]];
                marks += (k ? ", ?" : "?") + std::to_string(k + 1);
            }
            sql = "INSERT INTO " + FTable + " (" + names + ") VALUES (" + marks + ")";
        }
        TSQLiteStatement st(db, sql);
        for (size_t k = 0; k < cols.size(); ++k)
            st.BindField(static_cast<int>(k + 1), Values[cols[k]], FTypes[cols[k]]);
        st.Step();
        rowid = sqlite3_last_insert_rowid(db);
        if (FSource.NaturalOrder && ActiveFilter().empty() && (FKeys.empty() || FKeys.back() < rowid)) {
            FKeys.push_back(rowid);
            return static_cast<int>(FKeys.size()) - 1;
        }
    }
    // The record may have moved in the cursor order: read the keyset again.
    std::vector<std::int64_t> keys;
    TRowStore rows;
    try {
        BuildList(ActiveFilter(), keys, rows);
    } catch (const EDatabaseError&) {
        // The write is done; keep the old list rather than report a failure.
        if (Inserting)
            FKeys.insert(FKeys.begin() + std::clamp<int>(Index, 0, static_cast<int>(FKeys.size())), rowid);
        return Index;
    }
    FKeys = std::move(keys);
    FPage.clear();
    int idx = InternalIndexOfKey(rowid);
    if (idx < 0) {
        // The record no longer meets the cursor's conditions; it stays where it was
        // written until the records are read again, so the user sees what was posted.
        idx = std::clamp<int>(Index, 0, static_cast<int>(FKeys.size()));
        FKeys.insert(FKeys.begin() + idx, rowid);
    }
    return idx;
}

void TDBDataSet::InternalDelete(int Index)
{
    if (!CanModify())
        throw EDatabaseError("Cannot modify a read-only dataset");
    std::int64_t rowid = FKeys[static_cast<size_t>(Index)];
    TSQLiteStatement st(FDatabase->Handle(), "DELETE FROM " + FTable + " WHERE rowid = ?1");
    st.Bind(1, Variant(static_cast<long long>(rowid)));
    st.Step();
    FKeys.erase(FKeys.begin() + Index);
    FPage.erase(rowid);
}

void TDBDataSet::InternalRefresh()
{
    std::vector<std::int64_t> keys;
    TRowStore rows;
    BuildList(ActiveFilter(), keys, rows);
    FKeys = std::move(keys);
    FRows = std::move(rows);
    FPage.clear();
}

void TDBDataSet::InternalInvalidate(int Index)
{
    if (FKeyset && Index >= 0 && Index < static_cast<int>(FKeys.size()))
        FPage.erase(FKeys[static_cast<size_t>(Index)]);
}

void TDBDataSet::InternalSetFilter(const std::string& Filter)
{
    std::vector<std::int64_t> keys;
    TRowStore rows;
    BuildList(Filter, keys, rows);  // raises on a bad filter; nothing has changed then
    FKeys = std::move(keys);
    FRows = std::move(rows);
    FPage.clear();
}

int TDBDataSet::FindFirstWhere(const std::string& Condition, const std::vector<TField*>& Fields,
                               const std::vector<Variant>& Values)
{
    if (!FKeyset) {
        // Cached results are searched in memory by the generic walk.
        return -1;
    }
    TEngineWaitScope wait(FDatabase->Handle());
    TSQLiteStatement st(FDatabase->Handle(), FSource.KeysetSQL(ActiveFilter(), Condition) + " LIMIT 1", sgReadOnly);
    BindParams(st);
    for (size_t k = 0; k < Values.size(); ++k) {
        int idx = sqlite3_bind_parameter_index(st.Handle(), (":korin_k" + std::to_string(k)).c_str());
        if (idx > 0)
            st.BindField(idx, Values[k], Fields[k]->DataType());
    }
    if (!st.Step())
        return -1;
    std::int64_t rowid = st.ColumnInt64(0);
    st.Reset();
    return InternalIndexOfKey(rowid);
}

int TDBDataSet::InternalLocate(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                               TLocateOptions Options)
{
    if (!FKeyset)
        return TDataSet::InternalLocate(Fields, Values, Options);
    std::vector<std::string> conds;
    std::vector<Variant> binds;
    for (size_t k = 0; k < Fields.size(); ++k) {
        std::string col = QuoteIdent(Fields[k]->FieldName());
        std::string p = ":korin_k" + std::to_string(k);
        if (Values[k].IsNullOrEmpty())
            conds.push_back(col + " IS NULL");
        else if (Options == 0)
            conds.push_back(col + " = " + p);
        else
            conds.push_back("korin_match(" + col + ", " + p + ", " + std::to_string(Options & 3u) + ")");
        binds.push_back(Values[k]);
    }
    return FindFirstWhere(JoinConditions(conds), Fields, binds);
}

void TDBDataSet::ReloadKeepingPosition(bool Notify)
{
    int old = CurrentIndex();
    bool had = old >= 0;
    std::int64_t key = had ? InternalRecordKey(old) : 0;
    InternalRefresh();
    int idx = had ? InternalIndexOfKey(key) : -1;
    Reposition(idx >= 0 ? idx : std::max(old, 0), Notify);
}

}  // namespace korin
