// Datasets against sqlite3 used directly, on generated tables (id, name, city, amount and
// a 43-character note). The fixed-size runs use 1,000,000 rows (KORIN_BENCH_ROWS
// overrides the count):
//   Open + Last              TTable opened and moved to its last record, versus counting
//                            the rows and reading the last one with SQL
//   MoveBy(-500000)          a jump back by half the table (and forward again), versus
//                            reading the rows at those positions with LIMIT/OFFSET
//   Locate (unindexed text)  Locate on a text field without index, versus
//                            SELECT ... WHERE name = ? LIMIT 1
// The scaling runs use 10,000, 100,000 and 1,000,000 rows:
//   Walk                     First..EOF reading every field of every record, versus one
//                            SELECT decoding every column of every row
//   Locate (prefix, no case) Locate with loPartialKey + loCaseInsensitive on the table
//                            ordered by that field, as an incremental-search keystroke
//                            does, served by an index on name COLLATE NOCASE; versus
//                            SELECT ... WHERE name LIKE 'key%' ORDER BY name LIMIT 1
// After the runs the ratios (dataset CPU time / sqlite3 CPU time) are printed, with the
// memory a cached (row-id-less) result of a join takes per row against the raw bytes of
// its fields, and the keyset's memory per row.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "korin/platform/db/DBTables.h"

using namespace korin;

namespace {

std::string gPath;
int gRows = 1000000;

std::string NameOf(int i) { return "name" + std::to_string(i * 7919 % 1000003); }

std::string NoteOf(int i)
{
    std::string n = "note " + std::to_string(i) + " about the order and its delivery, ok";
    n.resize(43, '.');
    return n;
}

// Writes a table of Rows rows to Path unless it is there already. Indexed adds the
// indexes that make an incremental search on name fast: one on name (the order) and one
// on name COLLATE NOCASE (the case-insensitive prefix).
void GenerateTable(const std::string& Path, int Rows, bool Indexed)
{
    if (std::filesystem::exists(Path))
        return;
    sqlite3* db = nullptr;
    sqlite3_open(Path.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode = OFF; BEGIN;"
                 "CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(30), city VARCHAR(20), amount REAL,"
                 " note VARCHAR(60));"
                 "CREATE TABLE cities (city VARCHAR(20) PRIMARY KEY, country VARCHAR(20));"
                 "INSERT INTO cities VALUES ('Paris', 'France'), ('Berlin', 'Germany'), ('Rome', 'Italy'),"
                 " ('Oslo', 'Norway'), ('Kyiv', 'Ukraine'), ('Madrid', 'Spain');",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO items VALUES (?1, ?2, ?3, ?4, ?5)", -1, &st, nullptr);
    static const char* const cities[] = {"Paris", "Berlin", "Rome", "Oslo", "Kyiv", "Madrid"};
    for (int i = 1; i <= Rows; ++i) {
        std::string n = NameOf(i), note = NoteOf(i);
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_text(st, 2, n.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, cities[i % 6], -1, SQLITE_STATIC);
        sqlite3_bind_double(st, 4, i * 0.25);
        sqlite3_bind_text(st, 5, note.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    if (Indexed)
        sqlite3_exec(db,
                     "CREATE INDEX items_name ON items(name);"
                     "CREATE INDEX items_name_nocase ON items(name COLLATE NOCASE);",
                     nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

std::string ScaledPath(int Rows)
{
    return (std::filesystem::temp_directory_path() / ("korin-bench2-idx-" + std::to_string(Rows) + ".db")).string();
}

void Generate()
{
    if (const char* r = std::getenv("KORIN_BENCH_ROWS"))
        gRows = std::max(1000, std::atoi(r));
    gPath = (std::filesystem::temp_directory_path() / ("korin-bench2-" + std::to_string(gRows) + ".db")).string();
    GenerateTable(gPath, gRows, false);
    for (int rows : {10000, 100000, 1000000})
        GenerateTable(ScaledPath(rows), rows, true);
}

TTable* NewTable()
{
    auto* t = new TTable(nullptr);
    t->SetDatabaseName(gPath);
    t->SetTableName("items");
    return t;
}

// ---- Open + Last ---------------------------------------------------------------------

void BM_OpenLast_Dataset(benchmark::State& state)
{
    TOwned<TTable> t(NewTable());
    for (auto _ : state) {
        t->Open();
        t->Last();
        benchmark::DoNotOptimize(t->FieldByName("name")->AsString());
        benchmark::DoNotOptimize(t->RecordCount());
        t->Close();
    }
}
BENCHMARK(BM_OpenLast_Dataset)->Unit(benchmark::kMillisecond);

void BM_OpenLast_Sqlite(benchmark::State& state)
{
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM items", -1, &st, nullptr);
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_int(st, 0));
        sqlite3_finalize(st);
        sqlite3_prepare_v2(db, "SELECT id, name, city, amount, note FROM items ORDER BY rowid DESC LIMIT 1", -1, &st, nullptr);
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
}
BENCHMARK(BM_OpenLast_Sqlite)->Unit(benchmark::kMillisecond);

// The same work as the keyset: every row id in order, then the last row by its id.
void BM_OpenLast_SqliteScan(benchmark::State& state)
{
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid FROM items ORDER BY rowid", -1, &st, nullptr);
        std::vector<sqlite3_int64> ids;
        while (sqlite3_step(st) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        sqlite3_prepare_v2(db, "SELECT id, name, city, amount, note FROM items WHERE rowid = ?1", -1, &st, nullptr);
        sqlite3_bind_int64(st, 1, ids.back());
        sqlite3_step(st);
        benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
}
BENCHMARK(BM_OpenLast_SqliteScan)->Unit(benchmark::kMillisecond);

// ---- MoveBy(-500000) -----------------------------------------------------------------

// Each iteration jumps back by half the table and forward again, landing 64 records
// (one page) earlier than the time before, so that every read meets rows not yet fetched.
constexpr int kMoveIterations = 2000;

void BM_MoveBy_Dataset(benchmark::State& state)
{
    TOwned<TTable> t(NewTable());
    t->Open();
    t->Last();
    const int step = gRows / 2;
    for (auto _ : state) {
        t->MoveBy(-step);
        benchmark::DoNotOptimize(t->FieldByName("name")->AsString());
        t->MoveBy(step - 64);
        benchmark::DoNotOptimize(t->FieldByName("name")->AsString());
    }
}
BENCHMARK(BM_MoveBy_Dataset)->Unit(benchmark::kMicrosecond)->Iterations(kMoveIterations);

void BM_MoveBy_Sqlite(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, name, city, amount, note FROM items ORDER BY id LIMIT 1 OFFSET ?1", -1, &st, nullptr);
    int last = gRows - 1;
    for (auto _ : state) {
        for (int pos : {last - gRows / 2, last - 64}) {
            sqlite3_bind_int(st, 1, pos);
            sqlite3_step(st);
            benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
            sqlite3_reset(st);
        }
        last -= 64;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}
BENCHMARK(BM_MoveBy_Sqlite)->Unit(benchmark::kMicrosecond)->Iterations(20);

// ---- Locate on an unindexed text field -----------------------------------------------

void BM_Locate_Dataset(benchmark::State& state)
{
    TOwned<TTable> t(NewTable());
    t->Open();
    const std::string key = NameOf(gRows * 9 / 10);
    for (auto _ : state) {
        if (!t->Locate("name", Variant(key), 0))
            state.SkipWithError("not found");
        benchmark::DoNotOptimize(t->RecNo());
    }
}
BENCHMARK(BM_Locate_Dataset)->Unit(benchmark::kMillisecond);

void BM_Locate_Sqlite(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, name, city, amount, note FROM items WHERE name = ?1 LIMIT 1", -1, &st, nullptr);
    const std::string key = NameOf(gRows * 9 / 10);
    for (auto _ : state) {
        sqlite3_bind_text(st, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(st) != SQLITE_ROW)
            state.SkipWithError("not found");
        benchmark::DoNotOptimize(sqlite3_column_int(st, 0));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}
BENCHMARK(BM_Locate_Sqlite)->Unit(benchmark::kMillisecond);

// ---- Walk First..EOF reading every field (10k, 100k, 1M rows) ----------------------

void BM_Walk_Dataset(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    TOwned<TTable> t(new TTable(nullptr));
    t->SetDatabaseName(ScaledPath(rows));
    t->SetTableName("items");
    t->Open();
    for (auto _ : state) {
        // Each walk starts with no record read yet, as after opening.
        state.PauseTiming();
        t->Refresh();
        state.ResumeTiming();
        size_t bytes = 0;
        int n = 0;
        for (t->First(); !t->EOF(); t->Next()) {
            for (int f = 0; f < t->FieldCount(); ++f)
                bytes += t->Fields(f)->Value().IsNull() ? 0 : 1;
            ++n;
        }
        if (n != rows || bytes != static_cast<size_t>(rows) * 5)
            state.SkipWithError("wrong walk");
    }
}
BENCHMARK(BM_Walk_Dataset)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_Walk_Sqlite(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    sqlite3* db = nullptr;
    sqlite3_open_v2(ScaledPath(rows).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, name, city, amount, note FROM items ORDER BY rowid", -1, &st, nullptr);
    for (auto _ : state) {
        size_t bytes = 0;
        int n = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(st, 0));
            bytes += static_cast<size_t>(sqlite3_column_bytes(st, 1));
            bytes += static_cast<size_t>(sqlite3_column_bytes(st, 2));
            benchmark::DoNotOptimize(sqlite3_column_double(st, 3));
            bytes += static_cast<size_t>(sqlite3_column_bytes(st, 4));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
            ++n;
        }
        sqlite3_reset(st);
        benchmark::DoNotOptimize(bytes);
        if (n != rows)
            state.SkipWithError("wrong walk");
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}
BENCHMARK(BM_Walk_Sqlite)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// ---- Locate, prefix without case, on the table ordered by name (10k, 100k, 1M) ------

// Keys typed as a user would, in upper case: prefixes of names spread over the table.
std::vector<std::string> PrefixKeys(int Rows)
{
    std::vector<std::string> keys;
    for (int k = 1; k <= 16; ++k) {
        std::string n = NameOf(Rows / 17 * k);
        n.resize(std::min<size_t>(n.size(), 8));
        for (char& c : n)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        keys.push_back(n);
    }
    return keys;
}

void BM_LocatePrefix_Dataset(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    TOwned<TTable> t(new TTable(nullptr));
    t->SetDatabaseName(ScaledPath(rows));
    t->SetTableName("items");
    t->SetIndexFieldNames("name");
    t->Open();
    const auto keys = PrefixKeys(rows);
    size_t k = 0;
    for (auto _ : state) {
        if (!t->Locate("name", Variant(keys[k++ % keys.size()]), loPartialKey | loCaseInsensitive))
            state.SkipWithError("not found");
        benchmark::DoNotOptimize(t->RecNo());
    }
}
BENCHMARK(BM_LocatePrefix_Dataset)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LocatePrefix_Sqlite(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    sqlite3* db = nullptr;
    sqlite3_open_v2(ScaledPath(rows).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    // LIKE is case-insensitive for ASCII and uses the NOCASE index for a constant prefix.
    sqlite3_prepare_v2(db, "SELECT rowid FROM items WHERE name LIKE ?1 ORDER BY name LIMIT 1", -1, &st, nullptr);
    const auto keys = PrefixKeys(rows);
    size_t k = 0;
    for (auto _ : state) {
        std::string like = keys[k++ % keys.size()] + "%";
        sqlite3_bind_text(st, 1, like.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(st) != SQLITE_ROW)
            state.SkipWithError("not found");
        benchmark::DoNotOptimize(sqlite3_column_int(st, 0));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}
BENCHMARK(BM_LocatePrefix_Sqlite)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)->ReportAggregatesOnly(true);

// ---- ratios and memory ---------------------------------------------------------------

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // name -> CPU time (ns) per iteration; CPU time, because the machine may be shared.
    std::map<std::string, double> Times;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs)
            if (!r.error_occurred && (r.iterations > 0 || r.run_type == Run::RT_Aggregate)) {
                // Keyed by name and argument ("BM_Walk_Dataset/10000"), without a fixed
                // iteration count; aggregates keep their suffix ("..._median").
                std::string name = r.benchmark_name();
                if (auto p = name.find("/iterations:"); p != std::string::npos)
                    name.erase(p, name.find_first_of("/_", p + 1) == std::string::npos
                                      ? std::string::npos
                                      : name.find_first_of("/_", p + 1) - p);
                if (auto p = name.find("/repeats:"); p != std::string::npos)
                    name.erase(p, name.find('_', p) - p);
                Times[name] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e9;
            }
    }
};

long StatusKb(const char* key)
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::string(key).size());
    return 0;
}

void ReportMemory()
{
    long before = StatusKb("VmRSS:");
    {
        TOwned<TTable> t(NewTable());
        t->Open();
        long after = StatusKb("VmRSS:");
        std::printf("keyset memory:      %.1f bytes per row (%d rows)\n",
                    (after - before) * 1024.0 / t->RecordCount(), t->RecordCount());
    }
    // A join has no row ids of one table: its result is read whole and cached.
    const char* join = "SELECT i.id, i.name, i.city, i.amount, i.note, c.country FROM items i"
                       " JOIN cities c ON c.city = i.city";
    double raw = 0;
    {
        // The bytes of the values themselves: 8 for a number, the length of a text.
        sqlite3* db = nullptr;
        sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        std::string sql = std::string("SELECT avg(16 + length(name) + length(city) + 8 + length(note)"
                                      " + length(country)) FROM (") + join + ")";
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW)
            raw = sqlite3_column_double(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    before = StatusKb("VmRSS:");
    long peakBefore = StatusKb("VmHWM:");
    {
        TOwned<TQuery> q(new TQuery(nullptr));
        q->SetDatabaseName(gPath);
        q->SQL()->Add(join);
        q->Open();
        long after = StatusKb("VmRSS:");
        long peak = StatusKb("VmHWM:");
        double resident = (after - before) * 1024.0 / q->RecordCount();
        std::printf("cached result:      %.1f bytes per row resident vs %.1f raw field bytes = %.2fx, "
                    "peak %.1f bytes per row (%d rows of 6 fields, keyset cursor: %s)\n",
                    resident, raw, raw > 0 ? resident / raw : 0.0,
                    (std::max(peak, peakBefore) - before) * 1024.0 / q->RecordCount(), q->RecordCount(),
                    q->IsKeysetCursor() ? "yes" : "no");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Generate();
    std::printf("table: %s, %d rows\n", gPath.c_str(), gRows);
    ReportMemory();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* label, const char* a, const char* b) {
        auto ia = reporter.Times.find(a), ib = reporter.Times.find(b);
        if (ia != reporter.Times.end() && ib != reporter.Times.end() && ib->second > 0)
            std::printf("%-26s dataset / sqlite3 = %8.2f   (%.3f ms vs %.3f ms)\n", label, ia->second / ib->second,
                        ia->second / 1e6, ib->second / 1e6);
    };
    ratio("Open + Last:", "BM_OpenLast_Dataset", "BM_OpenLast_Sqlite");
    ratio("Open + Last (id scan):", "BM_OpenLast_Dataset", "BM_OpenLast_SqliteScan");
    ratio("MoveBy(-500000) and back:", "BM_MoveBy_Dataset", "BM_MoveBy_Sqlite");
    ratio("Locate, unindexed text:", "BM_Locate_Dataset", "BM_Locate_Sqlite");
    for (int rows : {10000, 100000, 1000000}) {
        std::string n = "/" + std::to_string(rows);
        std::string label = "Walk, " + std::to_string(rows) + " rows:";
        ratio(label.c_str(), ("BM_Walk_Dataset" + n).c_str(), ("BM_Walk_Sqlite" + n).c_str());
    }
    for (int rows : {10000, 100000, 1000000}) {
        std::string n = "/" + std::to_string(rows) + "_median";
        std::string label = "Locate prefix, " + std::to_string(rows) + ":";
        ratio(label.c_str(), ("BM_LocatePrefix_Dataset" + n).c_str(), ("BM_LocatePrefix_Sqlite" + n).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
