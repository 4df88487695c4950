// A text field scanned inside the engine: the find engine's test runs as an SQL function
// over a page of records at once, and only the records it accepts are read as values.
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <unordered_set>

#include "korin/platform/db/DBTables.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

namespace {

using TTextTest = std::function<bool(std::string_view)>;
constexpr const char* kScanTextType = "korin-scan-text";

// korin_scan_text(value, test). A NULL is the empty text; a blob is always accepted and
// left to the caller's own test (its text is not what the field shows). Without a test
// (the function called from other SQL) every value is accepted.
void ScanTextFunction(sqlite3_context* Ctx, int, sqlite3_value** Argv)
{
    auto* test = static_cast<const TTextTest*>(sqlite3_value_pointer(Argv[1], kScanTextType));
    int type = sqlite3_value_type(Argv[0]);
    if (!test || type == SQLITE_BLOB) {
        sqlite3_result_int(Ctx, 1);
        return;
    }
    std::string_view text;
    if (type != SQLITE_NULL) {
        const unsigned char* t = sqlite3_value_text(Argv[0]);
        text = std::string_view(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_value_bytes(Argv[0])));
        if (!t)
            text = {};
    }
    try {
        sqlite3_result_int(Ctx, (*test)(text) ? 1 : 0);
    } catch (...) {
        sqlite3_result_int(Ctx, 1);  // the caller's own test decides
    }
}

bool IsTextType(TFieldType T) { return T == ftString || T == ftWideString || T == ftMemo || T == ftFmtMemo; }

}  // namespace

void RegisterScanText(sqlite3* Db)
{
    sqlite3_create_function_v2(Db, "korin_scan_text", 2, SQLITE_UTF8, nullptr, ScanTextFunction, nullptr, nullptr,
                               nullptr);
}

int TDBDataSet::ScanText(int Start, const TField* Field, const TTextTest& Maybe,
                         const std::function<bool(const Variant&)>& Match, const std::function<void()>& Passed)
{
    const size_t col = static_cast<size_t>(Field->Index());
    if (!Active() || Field->DataSet() != this || col >= FTypes.size() || !FKeyset || !IsTextType(FTypes[col]) ||
        Maybe(std::string_view()))
        return ScanField(Start, Field, Match);
    const int count = InternalRecordCount();
    constexpr int kBlock = 1024;
    // Two statements for the whole scan: a row id range for records in row id order, and a
    // set of row ids bound at once for the others; the test goes in as a bound pointer.
    std::unique_ptr<TSQLiteStatement> rangeSt, setSt;
    const std::string head = "SELECT rowid FROM " + FTable + " WHERE korin_scan_text(" + FColumns[col] + ", ?" +
                             std::to_string(kBlock + 1) + ") AND ";
    std::vector<std::int64_t> ids, candidates;
    std::unordered_set<std::int64_t> accepted;
    std::unordered_map<std::int64_t, Variant> read;
    for (int first = std::max(Start, 0); first < count;) {
        const int end = std::min(first + kBlock, count);
        ids.clear();
        for (int i = first; i < end; ++i) {
            std::int64_t id = FKeys[static_cast<size_t>(i)];
            if (!FPage.Contains(id))
                ids.push_back(id);
        }
        accepted.clear();
        read.clear();
        if (!ids.empty()) {
            std::sort(ids.begin(), ids.end());
            const std::int64_t lo = ids.front(), hi = ids.back();
            const bool range = static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo) < 2 * ids.size() + 64;
            TSQLiteStatement* st;
            if (range) {
                if (!rangeSt)
                    rangeSt = std::make_unique<TSQLiteStatement>(FDatabase->Handle(), head + "rowid BETWEEN ?1 AND ?2");
                st = rangeSt.get();
                st->Bind(1, Variant(static_cast<long long>(lo)));
                st->Bind(2, Variant(static_cast<long long>(hi)));
            } else {
                if (!setSt) {
                    std::string in = "rowid IN (";
                    for (int k = 1; k <= kBlock; ++k)
                        in += (k > 1 ? ", ?" : "?") + std::to_string(k);
                    setSt = std::make_unique<TSQLiteStatement>(FDatabase->Handle(), head + in + ")");
                }
                st = setSt.get();
                for (size_t k = 0; k < static_cast<size_t>(kBlock); ++k)
                    st->Bind(static_cast<int>(k + 1),
                             k < ids.size() ? Variant(static_cast<long long>(ids[k])) : Variant::Null());
            }
            sqlite3_bind_pointer(st->Handle(), kBlock + 1, const_cast<TTextTest*>(&Maybe), kScanTextType, nullptr);
            try {
                while (st->Step())
                    accepted.insert(st->ColumnInt64(0));
            } catch (...) {
                st->Reset();
                throw;
            }
            st->Reset();
            // The accepted records of the block are read as the cursor would read them.
            candidates.clear();
            for (std::int64_t id : ids)
                if (accepted.count(id))
                    candidates.push_back(id);
            ReadIds(candidates, static_cast<int>(col),
                    [&](std::int64_t id, TSQLiteStatement& s) { read.insert_or_assign(id, s.ColumnAs(1, FTypes[col])); });
        }
        for (int i = first; i < end; ++i) {
            std::int64_t id = FKeys[static_cast<size_t>(i)];
            const std::int64_t row = FPage.Find(id);
            if (row >= 0) {
                if (Match(FPage.Rows().Get(static_cast<size_t>(row), col)))
                    return i;
                continue;
            }
            if (!accepted.count(id)) {
                Passed();
                continue;
            }
            // Accepted but gone before it was read: a row deleted meanwhile shows as empty.
            auto value = read.find(id);
            if (Match(value != read.end() ? value->second : Variant::Null()))
                return i;
        }
        first = end;
    }
    return -1;
}

}  // namespace korin
