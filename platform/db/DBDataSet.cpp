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

// How a column's values are mostly stored for its field type, decided once per page:
// those go straight from the engine into the store, anything else through ColumnAs.
enum TCellKind : unsigned char { ckOther, ckText, ckInt, ckFloat };

TCellKind CellKind(TFieldType Type)
{
    switch (Type) {
    case ftString:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
        return ckText;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
        return ckInt;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return ckFloat;
    default:
        return ckOther;
    }
}

// Appends the engine's value V (column I of the statement's row), converted for a field
// of type Type, to Rows: texts of text fields, integers of integer fields, numbers of
// float fields and Nulls are copied as they are, the rest converted by ColumnAs. V is
// read through its handle, so each column costs one call into the connection.
inline void AppendCell(sqlite3_value* V, TCellKind Kind, TSQLiteStatement& St, int I, TFieldType Type,
                       TRowStore& Rows)
{
    const int t = sqlite3_value_type(V);
    if (t == SQLITE_TEXT && Kind == ckText) {
        if (const unsigned char* text = sqlite3_value_text(V)) {
            Rows.AppendText(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_value_bytes(V)));
            return;
        }
    } else if (t == SQLITE_INTEGER && Kind == ckInt) {
        Rows.AppendInt(sqlite3_value_int64(V));
        return;
    } else if (Kind == ckFloat && (t == SQLITE_FLOAT || t == SQLITE_INTEGER)) {
        Rows.AppendDouble(sqlite3_value_double(V));
        return;
    } else if (t == SQLITE_NULL) {
        Rows.AppendNull();
        return;
    }
    Rows.Append(St.ColumnAs(I, Type));
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

TSQLiteStatement* TDBDataSet::FetchStatement(int Slots, int Column)
{
    auto& st = FFetch[{Column, Slots}];
    if (!st) {
        std::string cols;
        for (size_t i = 0; i < FColumns.size(); ++i)
            if (Column < 0 || static_cast<size_t>(Column) == i)
                cols += ", " + FColumns[i];
        // A range is the rows from ?1 on, at most ?2 of them: every row id up to the end
        // of the range fits in that many, and the engine counts them down more cheaply
        // than it compares each row id with an upper bound.
        std::string where, limit;
        if (Slots == 0) {
            where = "rowid >= ?1";
            limit = " LIMIT ?2";
        } else {
            where = "rowid IN (";
            for (int k = 1; k <= Slots; ++k)
                where += (k > 1 ? ", ?" : "?") + std::to_string(k);
            where += ")";
        }
        // A whole row whose table has an INTEGER PRIMARY KEY among the columns takes the
        // row id from that column rather than reading it twice.
        const std::string select = Column < 0 && FIdColumn >= 0 ? cols.substr(2) : "rowid" + cols;
        st = std::make_unique<TSQLiteStatement>(FDatabase->Handle(), "SELECT " + select + " FROM " + FTable +
                                                                         " WHERE " + where + " ORDER BY rowid" + limit);
    }
    return st.get();
}

TSQLiteStatement* TDBDataSet::PrepareRead(std::vector<std::int64_t>& Ids, int Column)
{
    if (!std::is_sorted(Ids.begin(), Ids.end()))  // a page of a keyset in row id order is
        std::sort(Ids.begin(), Ids.end());       // sorted already
    Ids.erase(std::unique(Ids.begin(), Ids.end()), Ids.end());
    const size_t n = Ids.size();
    const std::int64_t lo = Ids.front(), hi = Ids.back();
    // Row ids close together (a keyset in row id order, possibly thinned by a filter) are
    // read as one range; scattered ones (another order) as a set bound at once.
    const bool range = static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo) < 2 * n + 64;
    TSQLiteStatement* st;
    if (range) {
        st = FetchStatement(0, Column);
        st->Bind(1, Variant(static_cast<long long>(lo)));
        st->Bind(2, Variant(static_cast<long long>(hi - lo + 1)));
    } else {
        size_t slots = 64;
        while (slots < n)
            slots *= 2;
        st = FetchStatement(static_cast<int>(slots), Column);
        for (size_t k = 0; k < slots; ++k)
            st->Bind(static_cast<int>(k + 1), k < n ? Variant(static_cast<long long>(Ids[k])) : Variant::Null());
    }
    return st;
}

void TDBDataSet::ReadIds(std::vector<std::int64_t>& Ids, int Column,
                         const std::function<void(std::int64_t, TSQLiteStatement&)>& Row)
{
    if (Ids.empty())
        return;
    TSQLiteStatement* st = PrepareRead(Ids, Column);
    const size_t n = Ids.size();
    size_t next = 0;  // rows come in ascending row id order
    try {
        while (st->Step()) {
            std::int64_t id = st->ColumnInt64(0);
            while (next < n && Ids[next] < id)
                ++next;
            if (next == n)
                break;
            if (Ids[next] == id)
                Row(id, *st);
        }
    } catch (...) {
        st->Reset();
        throw;
    }
    st->Reset();
}

size_t TDBDataSet::ReadRows(std::vector<std::int64_t>& Ids)
{
    if (Ids.empty())
        return 0;
    TSQLiteStatement* st = PrepareRead(Ids, -1);
    sqlite3_stmt* h = st->Handle();
    const size_t n = Ids.size();
    const size_t width = FTypes.size();
    // The row id comes from the INTEGER PRIMARY KEY column when there is one, else from
    // a leading rowid column before the fields.
    const int idColumn = FIdColumn;
    const int first = idColumn >= 0 ? 0 : 1;
    std::vector<TCellKind> kinds(width);
    for (size_t i = 0; i < width; ++i)
        kinds[i] = CellKind(FTypes[i]);
    TRowStore& store = FPage.Store();
    size_t next = 0;  // rows come in ascending row id order
    size_t read = 0;
    try {
        while (st->Step()) {
            sqlite3_value* idValue = nullptr;
            std::int64_t id;
            if (idColumn >= 0) {
                idValue = sqlite3_column_value(h, idColumn);
                id = sqlite3_value_int64(idValue);
            } else {
                id = sqlite3_column_int64(h, 0);
            }
            while (next < n && Ids[next] < id)
                ++next;
            if (next == n)
                break;
            if (Ids[next] != id)
                continue;
            for (size_t i = 0; i < width; ++i) {
                const int c = static_cast<int>(i) + first;
                sqlite3_value* v = c == idColumn ? idValue : sqlite3_column_value(h, c);
                AppendCell(v, kinds[i], *st, c, FTypes[i], store);
            }
            FPage.Commit(id);
            ++read;
        }
        st->Reset();
        // A row gone meanwhile (deleted by another connection) shows as empty values.
        // (Ids is sorted and without repeats: every one came when read is their count.)
        for (size_t k = 0; read < n && k < n; ++k)
            if (const std::int64_t id = Ids[k]; !FPage.Contains(id)) {
                for (size_t i = 0; i < width; ++i)
                    store.AppendNull();
                FPage.Commit(id);
            }
    } catch (...) {
        st->Reset();
        FPage.Discard();
        throw;
    }
    return read;
}

int TDBDataSet::ScanField(int Start, const TField* Field, const std::function<bool(const Variant&)>& Match)
{
    const int count = InternalRecordCount();
    const size_t col = static_cast<size_t>(Field->Index());
    if (!Active() || Field->DataSet() != this || col >= FTypes.size())
        return -1;
    std::vector<Variant> values;
    std::vector<std::int64_t> ids, sorted;
    std::vector<Variant> read;
    for (int first = std::max(Start, 0); first < count;) {
        const int end = std::min(first + 1024, count);
        values.assign(static_cast<size_t>(end - first), Variant::Null());
        if (!FKeyset) {
            for (int i = first; i < end; ++i)
                values[static_cast<size_t>(i - first)] = FRows.Get(static_cast<size_t>(i), col);
        } else {
            // Records already read come from the page cache (as the cursor shows them);
            // the others give only this field, read with one statement.
            ids.clear();
            for (int i = first; i < end; ++i) {
                std::int64_t id = FKeys[static_cast<size_t>(i)];
                const std::int64_t row = FPage.Find(id);
                if (row >= 0)
                    values[static_cast<size_t>(i - first)] = FPage.Rows().Get(static_cast<size_t>(row), col);
                else
                    ids.push_back(id);
            }
            if (!ids.empty()) {
                sorted = ids;
                read.assign(ids.size(), Variant::Null());
                ReadIds(sorted, static_cast<int>(col), [&](std::int64_t id, TSQLiteStatement& st) {
                    size_t at = static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), id) - sorted.begin());
                    read[at] = st.ColumnAs(1, FTypes[col]);
                });
                for (int i = first; i < end; ++i) {
                    std::int64_t id = FKeys[static_cast<size_t>(i)];
                    if (FPage.Contains(id))
                        continue;
                    size_t at = static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), id) - sorted.begin());
                    values[static_cast<size_t>(i - first)] = std::move(read[at]);
                }
            }
        }
        for (int i = first; i < end; ++i)
            if (Match(values[static_cast<size_t>(i - first)]))
                return i;
        first = end;
    }
    return -1;
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
    // The whole page is read by one statement (one read transaction). Records held
    // already are not read again.
    std::vector<std::int64_t> ids;
    ids.reserve(static_cast<size_t>(end - start));
    bool ascending = true;
    for (int i = start; i < end; ++i) {
        std::int64_t id = FKeys[static_cast<size_t>(i)];
        if (!FPage.Contains(id)) {
            ascending = ascending && (ids.empty() || ids.back() < id);
            ids.push_back(id);
        }
    }
    const size_t row = FPage.size();
    const size_t count = ids.size();
    const size_t read = ReadRows(ids);
    // Every record of the page new, in row id order and all there: they stand in the
    // store in keyset order, so a position of the page finds its record by arithmetic.
    if (ascending && count == static_cast<size_t>(end - start) && read == count)
        FPage.SetRun(start, row, ids.data(), count);
    FNextPageStart = end;
}

void TDBDataSet::InternalFetch(int Index, std::vector<Variant>& Values)
{
    if (Index < 0 || Index >= InternalRecordCount())
        return;
    if (!FKeyset) {
        FRows.GetRow(static_cast<size_t>(Index), Values);
        return;
    }
    std::int64_t id = FKeys[static_cast<size_t>(Index)];
    std::int64_t row = FPage.FindAt(Index, id);
    if (row < 0 && FDatabase && EngineWaiting(FDatabase->Handle())) {
        // A statement of this connection is paused (the form repaints meanwhile): the
        // record shows empty now and is read when next asked for.
        Values.assign(FTypes.size(), Variant::Null());
        return;
    }
    if (row < 0) {
        FetchPage(Index);
        row = FPage.FindAt(Index, id);
    }
    FPage.Rows().GetRow(static_cast<size_t>(row), Values);
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
