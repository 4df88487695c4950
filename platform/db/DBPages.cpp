// Reading a keyset cursor's records: a page of records at a time into the page cache,
// or one column of many records for a scan, each with one statement.
#include <algorithm>

#include "korin/platform/db/DBTables.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

namespace {

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

// A value the store does not take as it is (a type other than the field's, a blob, a
// date), converted by ColumnAs. Kept out of line so the common path stays short.
[[gnu::noinline, gnu::cold]] Variant Converted(TSQLiteStatement& St, int I, TFieldType Type)
{
    return St.ColumnAs(I, Type);
}

// Appends the engine's value V (column I of the statement's row), converted for a field
// of type Type, to Out: texts of text fields, integers of integer fields, numbers of
// float fields and Nulls are copied as they are, the rest converted by ColumnAs. V is
// read through its handle, so each column costs one call into the connection. (Inlined
// whole: the writer then never leaves ReadRows, and its counters are not reloaded after
// every copy.)
[[gnu::always_inline]] inline void AppendCell(sqlite3_value* V, TCellKind Kind, TSQLiteStatement& St, int I,
                                              TFieldType Type, TRowWriter& Out)
{
    const int t = sqlite3_value_type(V);
    switch (Kind) {
    case ckText:
        if (t == SQLITE_TEXT)
            if (const unsigned char* text = sqlite3_value_text(V)) {
                Out.Text(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_value_bytes(V)));
                return;
            }
        break;
    case ckInt:
        if (t == SQLITE_INTEGER) {
            Out.Int(sqlite3_value_int64(V));
            return;
        }
        break;
    case ckFloat:
        if (t == SQLITE_FLOAT || t == SQLITE_INTEGER) {
            Out.Double(sqlite3_value_double(V));
            return;
        }
        break;
    default:
        break;
    }
    if (t == SQLITE_NULL)
        Out.Null();
    else
        Out.Value(Converted(St, I, Type));
}

// How one field of a page is read: its column in the statement (−1: the row id column,
// whose value the row's id was read from already), how it is stored, its type.
struct TColumnPlan {
    int Column;
    TCellKind Kind;
    TFieldType Type;
};

}  // namespace

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

TSQLiteStatement* TDBDataSet::PrepareRead(std::vector<std::int64_t>& Ids, int Column, bool Ascending)
{
    if (!Ascending) {
        if (!std::is_sorted(Ids.begin(), Ids.end()))
            std::sort(Ids.begin(), Ids.end());
        Ids.erase(std::unique(Ids.begin(), Ids.end()), Ids.end());
    }
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
    TConnectionLock lock(FDatabase->Handle());
    TSQLiteStatement* st = PrepareRead(Ids, Column, false);
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

size_t TDBDataSet::ReadRows(std::vector<std::int64_t>& Ids, int RunFirst)
{
    if (Ids.empty())
        return 0;
    TConnectionLock lock(FDatabase->Handle());
    TSQLiteStatement* st = PrepareRead(Ids, -1, RunFirst >= 0);
    sqlite3_stmt* h = st->Handle();
    const size_t n = Ids.size();
    const size_t width = FTypes.size();
    // The row id comes from the INTEGER PRIMARY KEY column when there is one, else from
    // a leading rowid column before the fields.
    const int idColumn = FIdColumn;
    const int first = idColumn >= 0 ? 0 : 1;
    std::vector<TColumnPlan> plan(width);
    for (size_t i = 0; i < width; ++i) {
        const int c = static_cast<int>(i) + first;
        plan[i] = {c == idColumn ? -1 : c, CellKind(FTypes[i]), FTypes[i]};
    }
    const TColumnPlan* const planEnd = plan.data() + width;
    if (RunFirst >= 0)
        FPage.BeginRun(RunFirst, n);
    size_t next = 0;  // rows come in ascending row id order
    size_t read = 0;
    try {
        TRowWriter out(FPage.Store());
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
            out.BeginRow();
            for (const TColumnPlan* p = plan.data(); p != planEnd; ++p) {
                const int c = p->Column;
                if (c >= 0)
                    AppendCell(sqlite3_column_value(h, c), p->Kind, *st, c, p->Type, out);
                else if (p->Kind == ckInt)
                    out.Int(id);  // the row id column holds integers only
                else
                    AppendCell(idValue, p->Kind, *st, idColumn, p->Type, out);
            }
            out.EndRow();
            if (RunFirst >= 0)
                FPage.CommitNext(id);
            else
                FPage.Commit(id);
            ++read;
        }
        st->Reset();
        // A row gone meanwhile (deleted by another connection) shows as empty values.
        // (Ids is sorted and without repeats: every one came when read is their count.)
        TRowStore& store = FPage.Store();
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
    // Every record of the page new, in row id order and above every row id held (a page
    // of a walk forwards through a keyset in row id order): read as a run, found by
    // position without the hash table.
    const bool run = ascending && !ids.empty() && ids.size() == static_cast<size_t>(end - start) &&
                     ids.front() > FPage.MaxId();
    ReadRows(ids, run ? start : -1);
    FNextPageStart = end;
}

void TDBDataSet::InternalFetch(int Index, std::vector<Variant>& Values)
{
    if (!FKeyset) {
        if (Index >= 0 && static_cast<size_t>(Index) < FRows.size())
            FRows.GetRow(static_cast<size_t>(Index), Values);
        return;
    }
    if (Index < 0 || static_cast<size_t>(Index) >= FKeys.size())
        return;
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

}  // namespace korin
