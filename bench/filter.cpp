// The navigator's FILTER against sqlite3 used directly, on a generated table of 1,000,000
// rows (KORIN_BENCH_ROWS overrides the count):
//   Apply + release   the navigator applies a filter keeping 1 % of the rows, moves to its
//                     last record and releases the filter, coming back to that record in
//                     the whole table; versus SQLite running the same WHERE over the table
// After the runs the ratio (navigator CPU time / sqlite3 CPU time) is printed.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"

using namespace korin;

namespace {

std::string gPath;
int gRows = 1000000;
const char* const kFilter = "id % 100 = 7";

void Generate()
{
    if (const char* r = std::getenv("KORIN_BENCH_ROWS"))
        gRows = std::max(1000, std::atoi(r));
    gPath = (std::filesystem::temp_directory_path() / ("korin-bench-filter-" + std::to_string(gRows) + ".db")).string();
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
        std::string n = "name" + std::to_string(i * 7919 % 1000003);
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

void BM_FilterApplyRelease_Navigator(benchmark::State& state)
{
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 600, 200);
    form->Show();
    auto* nav = new TVandroDBNavigator(form.get());
    nav->Loaded();
    nav->SetBounds(0, 0, 500, 20);
    auto* table = new TTable(form.get());
    table->SetDatabaseName(gPath);
    table->SetTableName("items");
    table->Open();
    auto* source = new TDataSource(form.get());
    source->SetDataSet(table);
    nav->SetDataSource(source);
    // The first time the filter text comes from the filter box; later applications of
    // the same text on the same data source go without it.
    nav->SetFilterText(kFilter);
    {
        TInputScript in;
        in.Key(VK_RETURN);
        nav->ApplyFilter(nfaApply);
    }
    nav->ApplyFilter(nfaRelease);
    if (table->RecordCount() != gRows)
        state.SkipWithError("the filter was not released");
    for (auto _ : state) {
        nav->ApplyFilter(nfaApply);
        table->Last();
        const auto id = table->FieldByName("id")->AsInteger();
        nav->ApplyFilter(nfaRelease);
        if (table->FieldByName("id")->AsInteger() != id || !nav->FilterText().size())
            state.SkipWithError("not back on the same record");
    }
}
BENCHMARK(BM_FilterApplyRelease_Navigator)->Unit(benchmark::kMillisecond);

void BM_FilterApplyRelease_Sqlite(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const std::string sql = std::string("SELECT rowid FROM items WHERE (") + kFilter + ")";
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        int n = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            benchmark::DoNotOptimize(sqlite3_column_int64(st, 0)), ++n;
        sqlite3_finalize(st);
        if (n != gRows / 100)
            state.SkipWithError("unexpected count");
    }
    sqlite3_close(db);
}
BENCHMARK(BM_FilterApplyRelease_Sqlite)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Times;  // name -> CPU time (ms) per iteration
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs)
            if (r.iterations > 0)
                Times[r.benchmark_name()] = r.GetAdjustedCPUTime();  // both run in milliseconds
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    Generate();
    std::printf("table: %s, %d rows, filter %s\n", gPath.c_str(), gRows, kFilter);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto a = reporter.Times.find("BM_FilterApplyRelease_Navigator");
    auto b = reporter.Times.find("BM_FilterApplyRelease_Sqlite");
    if (a != reporter.Times.end() && b != reporter.Times.end() && b->second > 0)
        std::printf("%-26s navigator / sqlite3 = %8.2f   (%.3f ms vs %.3f ms)\n", "Filter apply + release:",
                    a->second / b->second, a->second, b->second);
    benchmark::Shutdown();
    return 0;
}
