// Datasets against sqlite3 used directly, on a generated table of 1,000,000 rows
// (KORIN_BENCH_ROWS overrides the count):
//   Open + Last              TTable opened and moved to its last record, versus counting
//                            the rows and reading the last one with SQL
//   MoveBy(-500000)          a jump back by half the table (and forward again), versus
//                            reading the rows at those positions with LIMIT/OFFSET
//   Locate (unindexed text)  Locate on a text field without index, versus
//                            SELECT ... WHERE name = ? LIMIT 1
// After the runs the ratios (dataset CPU time / sqlite3 CPU time) are printed, with the memory a
// cached (row-id-less) result takes per row and the keyset's memory per row.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

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

void Generate()
{
    if (const char* r = std::getenv("KORIN_BENCH_ROWS"))
        gRows = std::max(1000, std::atoi(r));
    gPath = (std::filesystem::temp_directory_path() / ("korin-bench-" + std::to_string(gRows) + ".db")).string();
    if (std::filesystem::exists(gPath))
        return;
    sqlite3* db = nullptr;
    sqlite3_open(gPath.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode = OFF; BEGIN;"
                 "CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(30), city VARCHAR(20), amount REAL);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO items VALUES (?1, ?2, ?3, ?4)", -1, &st, nullptr);
    static const char* const cities[] = {"Paris", "Berlin", "Rome", "Oslo", "Kyiv", "Madrid"};
    for (int i = 1; i <= gRows; ++i) {
        std::string n = NameOf(i);
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_text(st, 2, n.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, cities[i % 6], -1, SQLITE_STATIC);
        sqlite3_bind_double(st, 4, i * 0.25);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
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
        sqlite3_prepare_v2(db, "SELECT id, name, city, amount FROM items ORDER BY rowid DESC LIMIT 1", -1, &st, nullptr);
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
        sqlite3_prepare_v2(db, "SELECT id, name, city, amount FROM items WHERE rowid = ?1", -1, &st, nullptr);
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
    sqlite3_prepare_v2(db, "SELECT id, name, city, amount FROM items ORDER BY id LIMIT 1 OFFSET ?1", -1, &st, nullptr);
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
    sqlite3_prepare_v2(db, "SELECT id, name, city, amount FROM items WHERE name = ?1 LIMIT 1", -1, &st, nullptr);
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

// ---- ratios and memory ---------------------------------------------------------------

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // name -> CPU time (ns) per iteration; CPU time, because the machine may be shared.
    std::map<std::string, double> Times;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs)
            if (!r.error_occurred && r.iterations > 0)
                Times[r.benchmark_name().substr(0, r.benchmark_name().find('/'))] =
                    r.cpu_accumulated_time / static_cast<double>(r.iterations) * 1e9;
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
    before = StatusKb("VmRSS:");
    long peakBefore = StatusKb("VmHWM:");
    {
        TOwned<TQuery> q(new TQuery(nullptr));
        q->SetDatabaseName(gPath);
        // The constant column leaves the rows without row ids: the result is cached.
        q->SQL()->Add("SELECT id, name, city, amount, 1 AS one FROM items");
        q->Open();
        long after = StatusKb("VmRSS:");
        long peak = StatusKb("VmHWM:");
        std::printf("cached result:      %.1f bytes per row resident, peak %.1f bytes per row "
                    "(%d rows of 5 fields, keyset cursor: %s)\n",
                    (after - before) * 1024.0 / q->RecordCount(),
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
    benchmark::Shutdown();
    return 0;
}
