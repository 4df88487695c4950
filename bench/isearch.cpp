// One incremental-search keystroke on a generated table of 1,000,000 people
// (KORIN_BENCH_ROWS overrides the count) with an index on the name, against SQLite
// answering the same prefix itself:
//   Keystroke  TDataSet::Locate("name", prefix, loCaseInsensitive | loPartialKey) from the
//              first record: what the navigator does for each character typed
//   Sqlite     SELECT min(id) FROM people WHERE name LIKE 'prefix%', answered through
//              the index on name COLLATE NOCASE
// The prefix is typed in capitals and matches a handful of names in the middle of the
// table. Each runs in 9 repetitions; the medians and their ratio are printed at the end.
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

using namespace korin;

namespace {

std::string gPath;
int gRows = 1000000;
std::string gPrefix;
int gExpectedId = 0;

std::string NameOf(int i) { return "name" + std::to_string(static_cast<long long>(i) * 7919 % 1000003) + "-xy"; }

void Generate()
{
    if (const char* r = std::getenv("KORIN_BENCH_ROWS"))
        gRows = std::max(1000, std::atoi(r));
    // A name from the middle of the table, less its last digits: a few names share it.
    const std::string middle = NameOf(gRows / 2);
    gPrefix = "NAME" + middle.substr(4, middle.find('-') - 4 - 1);
    gPath = (std::filesystem::temp_directory_path() / ("korin-isearch-bench-" + std::to_string(gRows) + ".db")).string();

    sqlite3* db = nullptr;
    if (!std::filesystem::exists(gPath)) {
        sqlite3_open(gPath.c_str(), &db);
        sqlite3_exec(db,
                     "PRAGMA journal_mode = OFF; BEGIN;"
                     "CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(30), city VARCHAR(20));",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO people VALUES (?1, ?2, 'Paris')", -1, &st, nullptr);
        for (int i = 1; i <= gRows; ++i) {
            const std::string n = NameOf(i);
            sqlite3_bind_int(st, 1, i);
            sqlite3_bind_text(st, 2, n.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "CREATE INDEX people_name ON people(name COLLATE NOCASE); COMMIT;", nullptr, nullptr,
                     nullptr);
        sqlite3_close(db);
    }
    // The record both must find: the first in id order whose name begins with the prefix.
    sqlite3_open(gPath.c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT min(id) FROM people WHERE lower(substr(name, 1, ?2)) = lower(?1)", -1, &st,
                       nullptr);
    sqlite3_bind_text(st, 1, gPrefix.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 2, static_cast<int>(gPrefix.size()));
    if (sqlite3_step(st) == SQLITE_ROW)
        gExpectedId = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
}

void BM_Keystroke_Locate(benchmark::State& state)
{
    TOwned<TComponent> owner(new TComponent(nullptr));
    auto* t = new TTable(owner.get());
    t->SetDatabaseName(gPath);
    t->SetTableName("people");
    t->Open();
    for (auto _ : state) {
        state.PauseTiming();
        t->First();
        state.ResumeTiming();
        if (!t->Locate("name", Variant(gPrefix), loCaseInsensitive | loPartialKey) ||
            t->FieldByName("id")->AsInteger() != gExpectedId)
            state.SkipWithError("wrong record");
    }
}
BENCHMARK(BM_Keystroke_Locate)->Unit(benchmark::kMillisecond)->Repetitions(9);

void BM_Keystroke_Sqlite(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT min(id) FROM people WHERE name LIKE ?1", -1, &st, nullptr);
    const std::string pattern = gPrefix + "%";
    sqlite3_bind_text(st, 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
    for (auto _ : state) {
        if (sqlite3_step(st) != SQLITE_ROW || sqlite3_column_int(st, 0) != gExpectedId)
            state.SkipWithError("wrong row");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}
BENCHMARK(BM_Keystroke_Sqlite)->Unit(benchmark::kMillisecond)->Repetitions(9);

class MedianReporter : public benchmark::ConsoleReporter {
public:
    // name -> CPU time (ns) per iteration of each repetition; CPU time, because the
    // machine may be shared.
    std::map<std::string, std::vector<double>> Times;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs)
            if (!r.error_occurred && r.iterations > 0 && r.run_type == Run::RT_Iteration)
                Times[r.benchmark_name().substr(0, r.benchmark_name().find('/'))].push_back(
                    r.cpu_accumulated_time / static_cast<double>(r.iterations) * 1e9);
    }
    double Median(const std::string& Name)
    {
        auto& v = Times[Name];
        if (v.empty())
            return 0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

}  // namespace

int main(int argc, char** argv)
{
    Generate();
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double locate = reporter.Median("BM_Keystroke_Locate"), sqlite = reporter.Median("BM_Keystroke_Sqlite");
    if (locate > 0 && sqlite > 0)
        std::printf("incremental-search keystroke '%s' / sqlite LIKE prefix, medians: %.2fx (%d rows; %.3f ms vs %.3f ms)\n",
                    gPrefix.c_str(), locate / sqlite, gRows, locate / 1e6, sqlite / 1e6);
    return 0;
}
