// The find engine's sequential walk against SQLite doing the same search itself, on a
// generated table of 1,000,000 rows (KORIN_BENCH_ROWS overrides the count) in which the
// pattern "*xyz" matches only the last row:
//   Walk     TCustomdbSearch::DoLocate from the first record (wildcards: the sequential
//            route, controls disabled, the matcher on each record's text)
//   Sqlite   SELECT rowid FROM items WHERE name LIKE '%xyz' LIMIT 1
// After the runs the ratio (walk CPU time / sqlite3 CPU time) is printed.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "korin/platform/db/DBTables.h"
#include "korin/search/Dbsearch.h"
#include "korin/search/Sercheng.h"

using namespace korin;

namespace {

std::string gPath;
int gRows = 1000000;

void Generate()
{
    if (const char* r = std::getenv("KORIN_BENCH_ROWS"))
        gRows = std::max(1000, std::atoi(r));
    gPath = (std::filesystem::temp_directory_path() / ("korin-search-bench-" + std::to_string(gRows) + ".db")).string();
    if (std::filesystem::exists(gPath))
        return;
    sqlite3* db = nullptr;
    sqlite3_open(gPath.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode = OFF; BEGIN;"
                 "CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(30), city VARCHAR(20));",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO items VALUES (?1, ?2, ?3)", -1, &st, nullptr);
    for (int i = 1; i <= gRows; ++i) {
        std::string n = i == gRows ? "last-xyz" : "name" + std::to_string(i * 7919 % 1000003) + "-xy";
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_text(st, 2, n.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, "Paris", -1, SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void BM_Walk_Search(benchmark::State& state)
{
    TOwned<TComponent> owner(new TComponent(nullptr));
    auto* t = new TTable(owner.get());
    t->SetDatabaseName(gPath);
    t->SetTableName("items");
    t->Open();
    auto* source = new TDataSource(owner.get());
    source->SetDataSet(t);
    auto* search = new TCustomdbSearch(owner.get());
    search->SetMultiCharPattern("*");
    search->SetSingleCharPattern('%');
    search->SetDataSource(source);
    TLocateInfo info;
    info.LocateField = "name";
    info.LocateText = "*xyz";
    info.CaseSensitive = true;
    for (auto _ : state) {
        t->First();
        search->DoLocate(info);
        if (t->RecNo() != gRows)
            state.SkipWithError("wrong record");
    }
}
BENCHMARK(BM_Walk_Search)->Unit(benchmark::kMillisecond);

void BM_Walk_Sqlite(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM items WHERE name LIKE '%xyz' LIMIT 1", -1, &st, nullptr);
    for (auto _ : state) {
        if (sqlite3_step(st) != SQLITE_ROW || sqlite3_column_int(st, 0) != gRows)
            state.SkipWithError("wrong row");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}
BENCHMARK(BM_Walk_Sqlite)->Unit(benchmark::kMillisecond);

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

}  // namespace

int main(int argc, char** argv)
{
    Generate();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto a = reporter.Times.find("BM_Walk_Search");
    auto b = reporter.Times.find("BM_Walk_Sqlite");
    if (a != reporter.Times.end() && b != reporter.Times.end() && b->second > 0)
        std::printf("sequential search / sqlite LIKE: %.2fx (%d rows; %.1f ms vs %.1f ms)\n", a->second / b->second,
                    gRows, a->second / 1e6, b->second / 1e6);
    return 0;
}
