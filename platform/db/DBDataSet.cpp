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

// Whether a declared column type gives the column text affinity: its values are stored
// as texts (or blobs, or Null) and compare as texts, so text ranges find them.
bool TextAffinity(const std::string& DeclType)
{
    std::string t = UpperAscii(DeclType);
    return t.find("INT") == std::string::npos &&
           (t.find("CHAR") != std::string::npos || t.find("CLOB") != std::string::npos ||
            t.find("TEXT") != std::string::npos);
}

// Whether the table's definition may declare its INTEGER PRIMARY KEY with DESC, which
// the engine keeps as an ordinary column beside the row id: any "DESC" in the text
// counts, to be safe.
bool MayDeclareDescendingKey(sqlite3* Db, const std::string& Schema, const std::string& Table)
{
    try {
        TSQLiteStatement st(Db, "SELECT sql FROM " + QuoteIdent(Schema) +
                                    ".sqlite_master WHERE type = 'table' AND name = ?1");
        st.Bind(1, Variant(Table));
        if (!st.Step())
            return true;
        return UpperAscii(VarToStr(st.Column(0))).find("DESC") != std::string::npos;
    } catch (const EDatabaseError&) {
        return true;
    }
}

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
        // The statement is kept and prepared again only when its text changes: a detail
        // table lists its keyset on every move of its master. The engine prepares a kept
        // statement again by itself after a schema change.
        std::string sql = FSource.KeysetSQL(Filter, "");
        if (!FKeysetStatement || FKeysetSQL != sql) {
            FKeysetStatement.reset();
            auto fresh = std::make_unique<TSQLiteStatement>(db, sql, sgReadOnly);
            if (!fresh->ReadOnly() || fresh->HasTail())
                throw EDatabaseError("Invalid filter expression: " + Filter);
            FKeysetStatement = std::move(fresh);
            FKeysetSQL = sql;
        }
        TSQLiteStatement& st = *FKeysetStatement;
        // Reset however the listing ends, so that the statement holds no read lock.
        struct TResetAtEnd {
            TSQLiteStatement& S;
            ~TResetAtEnd() { S.Reset(); }
        } resetAtEnd{st};
        sqlite3_clear_bindings(st.Handle());
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
    while (st.Step()) {
        for (size_t i = 0; i < Rows.Width; ++i)
            Rows.Append(static_cast<int>(i) < n ? st.ColumnAs(static_cast<int>(i), FTypes[i]) : Variant::Null());
        if (Rows.Bytes() > kMaxCachedBytes)
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
        FIdColumn = -1;
        FTypes.clear();
        FTextColumns.clear();
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
                    if (it->second.Pk && pkCount == 1 && UpperAscii(Trim(it->second.Type)) == "INTEGER") {
                        d.Type = ftAutoInc;
                        if (FIdColumn < 0 && !MayDeclareDescendingKey(db, odb, otable))
                            FIdColumn = i;
                    }
                }
                FColumns.push_back(QuoteIdent(ocols[static_cast<size_t>(i)]));
            }
            FTypes.push_back(d.Type);
            FTextColumns.push_back(keyset && TextAffinity(desc.DeclType(i)));
            descs.push_back(d);
        }
        FKeyset = keyset;
        FTable = keyset ? QuoteIdent(odb) + "." + QuoteIdent(otable) : std::string();
        FSchema = keyset ? QuoteIdent(odb) : std::string();
        FPage.Reset(FTypes.size());
        ForgetUnfilteredKeys();
        try {
            FKeysStamp = ActiveFilter().empty() ? CurrentStamp() : TDataStamp();
            BuildList(ActiveFilter(), FKeys, FRows);
            KeysChanged();
        } catch (const EDatabaseError& e) {
            // A refused or cancelled statement is not tried again.
            if (!FKeyset || e.ErrorCode() == SQLITE_AUTH || e.ErrorCode() == SQLITE_INTERRUPT)
                throw;
            // Rows without row ids after all: read the whole result instead.
            FKeyset = false;
            FIdColumn = -1;
            FColumns.clear();
            FTable.clear();
            FSchema.clear();
            FKeysStamp = TDataStamp();
            BuildList(ActiveFilter(), FKeys, FRows);
            KeysChanged();
        }
        if (!FKeyset) {
            // Columns without a declared type take the type of their first value.
            for (size_t c = 0; c < FTypes.size(); ++c) {
                if (FTypes[c] != ftUnknown)
                    continue;
                TFieldType t = ftString;
                for (size_t r = 0; r < FRows.size(); ++r) {
                    const Variant v = FRows.Get(r, c);
                    if (v.IsNull())
                        continue;
                    t = v.Type() == varInt64 ? ftInteger : v.Type() == varDouble ? ftFloat : ftString;
                    break;
                }
                FTypes[c] = t;
                descs[c].Type = t;
            }
        }
        CreateFields(descs);
        FieldsCreated();
    } catch (...) {
        FKeys.clear();
        KeysChanged();
        FRows.clear();
        FPage.clear();
        FFetch.clear();
        FKeysetStatement.reset();
        FLocatePlans.clear();
        Session->CloseDatabase(FDatabase);
        FDatabase = nullptr;
        throw;
    }
    FDatabase->FDataSets.push_back(this);
}

void TDBDataSet::InternalClose()
{
    FKeys.clear();
    KeysChanged();
    FKeys.shrink_to_fit();
    FKeysStamp = TDataStamp();
    ForgetUnfilteredKeys();
    FPosDense = {};
    FPosPairs = {};
    FRows.Release();
    FPage.Release();
    FFetch.clear();
    FKeysetStatement.reset();
    FLocatePlans.clear();
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

std::int64_t TDBDataSet::InternalRecordKey(int Index) const
{
    return FKeyset ? FKeys[static_cast<size_t>(Index)] : Index;
}

int TDBDataSet::InternalIndexOfKey(std::int64_t Key) const
{
    if (!FKeyset)
        return Key >= 0 && Key < static_cast<std::int64_t>(FRows.size()) ? static_cast<int>(Key) : -1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (FPosKind == pkNone || FPosCount != FKeys.size())
            BuildPositions();
        int idx = -1;
        if (FPosKind == pkSortedKeys) {
            auto it = std::lower_bound(FKeys.begin(), FKeys.end(), Key);
            idx = it == FKeys.end() || *it != Key ? -1 : static_cast<int>(it - FKeys.begin());
        } else if (FPosKind == pkDense) {
            std::uint64_t off = static_cast<std::uint64_t>(Key) - static_cast<std::uint64_t>(FPosBase);
            idx = Key >= FPosBase && off < FPosDense.size() ? FPosDense[off] : -1;
        } else {
            auto it = std::lower_bound(FPosPairs.begin(), FPosPairs.end(), std::make_pair(Key, std::int32_t{-1}));
            idx = it == FPosPairs.end() || it->first != Key ? -1 : it->second;
        }
        if (idx < 0)
            return -1;
        if (static_cast<size_t>(idx) < FKeys.size() && FKeys[static_cast<size_t>(idx)] == Key)
            return idx;
        FPosKind = pkNone;  // out of date: build it again
    }
    auto it = std::find(FKeys.begin(), FKeys.end(), Key);
    return it == FKeys.end() ? -1 : static_cast<int>(it - FKeys.begin());
}

void TDBDataSet::BuildPositions() const
{
    FPosDense.clear();
    FPosPairs.clear();
    FPosCount = FKeys.size();
    if (std::is_sorted(FKeys.begin(), FKeys.end())) {
        FPosKind = pkSortedKeys;  // row id order: a binary search of the keyset itself
        return;
    }
    auto [lo, hi] = std::minmax_element(FKeys.begin(), FKeys.end());
    if (static_cast<std::uint64_t>(*hi) - static_cast<std::uint64_t>(*lo) < 4 * static_cast<std::uint64_t>(FKeys.size()) + 64) {
        // Row ids close together in another order: a table from row id to position.
        FPosKind = pkDense;
        FPosBase = *lo;
        FPosDense.assign(static_cast<size_t>(*hi - *lo) + 1, -1);
        for (size_t i = 0; i < FKeys.size(); ++i)
            FPosDense[static_cast<size_t>(FKeys[i] - *lo)] = static_cast<std::int32_t>(i);
        return;
    }
    FPosKind = pkPairs;
    FPosPairs.reserve(FKeys.size());
    for (size_t i = 0; i < FKeys.size(); ++i)
        FPosPairs.emplace_back(FKeys[i], static_cast<std::int32_t>(i));
    std::sort(FPosPairs.begin(), FPosPairs.end());
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
        FPage.Erase(rowid);
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
            KeysChanged();
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
        if (Inserting) {
            FKeys.insert(FKeys.begin() + std::clamp<int>(Index, 0, static_cast<int>(FKeys.size())), rowid);
            KeysChanged();
        }
        return Index;
    }
    FKeys = std::move(keys);
    KeysChanged();
    FPage.clear();
    int idx = InternalIndexOfKey(rowid);
    if (idx < 0) {
        // The record no longer meets the cursor's conditions; it stays where it was
        // written until the records are read again, so the user sees what was posted.
        idx = std::clamp<int>(Index, 0, static_cast<int>(FKeys.size()));
        FKeys.insert(FKeys.begin() + idx, rowid);
        KeysChanged();
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
    KeysChanged();
    FPage.Erase(rowid);
}

void TDBDataSet::InternalRefresh()
{
    std::vector<std::int64_t> keys;
    TRowStore rows;
    // The order, the master record or the data changed: a keyset kept for releasing
    // the filter may no longer be the one.
    ForgetUnfilteredKeys();
    const TDataStamp stamp = ActiveFilter().empty() ? CurrentStamp() : TDataStamp();
    BuildList(ActiveFilter(), keys, rows);
    FKeysStamp = stamp;
    FKeys = std::move(keys);
    KeysChanged();
    FRows = std::move(rows);
    FPage.clear();
}

void TDBDataSet::InternalInvalidate(int Index)
{
    if (FKeyset && Index >= 0 && Index < static_cast<int>(FKeys.size()))
        FPage.Erase(FKeys[static_cast<size_t>(Index)]);
}

void TDBDataSet::InternalSetFilter(const std::string& Filter)
{
    if (FKeyset && Filter.empty() && FUnfilteredStamp.Valid && FSource.KeysetFollowsData &&
        FUnfilteredStamp == CurrentStamp()) {
        // Released, and nothing has changed since the whole keyset was read: reading it
        // again would give the same row ids in the same order.
        FKeys = std::move(FUnfilteredKeys);
        FKeysStamp = FUnfilteredStamp;
        ForgetUnfilteredKeys();
        KeysChanged();
        FPage.clear();
        return;
    }
    std::vector<std::int64_t> keys;
    TRowStore rows;
    const TDataStamp stamp = FKeyset && Filter.empty() ? CurrentStamp() : TDataStamp();
    BuildList(Filter, keys, rows);  // raises on a bad filter; nothing has changed then
    if (FKeyset && ActiveFilter().empty() && !Filter.empty() && FKeysStamp.Valid && FSource.KeysetFollowsData) {
        // The whole keyset is kept while the filter is in force.
        FUnfilteredKeys = std::move(FKeys);
        FUnfilteredStamp = FKeysStamp;
    } else if (Filter.empty()) {
        ForgetUnfilteredKeys();
    }
    FKeysStamp = stamp;
    FKeys = std::move(keys);
    KeysChanged();
    FRows = std::move(rows);
    FPage.clear();
}

TDBDataSet::TDataStamp TDBDataSet::CurrentStamp() const
{
    TDataStamp s;
    if (!FKeyset || !FDatabase || !FDatabase->Handle())
        return s;
    sqlite3* db = FDatabase->Handle();
    try {
        // The own changes first: a change made between the readings makes the stamp
        // differ from any later one, never match a state it did not see.
        s.Changes = sqlite3_total_changes64(db);
        FDatabase->ReadVersions(FSchema, s.DataVersion, s.SchemaVersion);
        s.Valid = true;
    } catch (const EDatabaseError&) {
        // No stamp: the keyset is read again when the filter goes.
    }
    return s;
}

void TDBDataSet::DescribeSourceAgain()
{
    FSource = DescribeSource();
    FLocatePlans.clear();
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
