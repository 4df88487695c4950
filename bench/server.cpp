// Reading a large table from a PostgreSQL server through the connection layer, against
// libpq used directly on the same server in the same run, on a generated table of
// 1,000,000 rows (KORIN_BENCH_ROWS overrides the count):
//   Fetch           a TADOQuery opens SELECT * over the table (every row fetched into the
//                   dataset, in batches with fetch-progress events); versus libpq
//                   executing the same statement and reading every value of the result
//   First rows      the time until a TADOTable's Open returns with its first batch
//                   browsable, reading the rest in the background (a form shows its
//                   rows and takes input from there on); versus libpq in single-row mode
//                   returning the first row, and versus the whole fetch
// Times are wall-clock (the server's work counts); after the runs the ratios are printed.
//
// The benchmark starts a private server of its own (scripts/pg-cluster) and stops it at
// the end; without the server's programs it says so and skips.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "korin/platform/db/ADODB.h"
#include "korin/platform/gui/Forms.h"

using namespace korin;
namespace fs = std::filesystem;

namespace {

int gRows = 1000000;
std::string gConnInfo;
std::string gClusterDir;
const char* const kSelect = "SELECT * FROM bench_rows";

bool HasServerPrograms()
{
    std::error_code ec;
    for (const auto& version : fs::directory_iterator("/usr/lib/postgresql", ec))
        if (fs::exists(version.path() / "bin" / "initdb") && fs::exists(version.path() / "bin" / "pg_ctl"))
            return true;
    return false;
}

std::string ClusterScript() { return std::string(KORIN_SOURCE_DIR) + "/scripts/pg-cluster"; }

bool StartCluster()
{
    gClusterDir = (fs::temp_directory_path() / ("korin-bench-server-" + std::to_string(::getpid()))).string();
    fs::create_directories(gClusterDir);
    const std::string cmd = "'" + ClusterScript() + "' start '" + gClusterDir + "' >/dev/null";
    if (std::system(cmd.c_str()) != 0)
        return false;
    std::ifstream in(gClusterDir + "/conninfo");
    std::getline(in, gConnInfo);
    return !gConnInfo.empty();
}

void StopCluster()
{
    if (gClusterDir.empty())
        return;
    const std::string cmd = "'" + ClusterScript() + "' stop '" + gClusterDir + "' >/dev/null 2>&1";
    (void)std::system(cmd.c_str());
    std::error_code ec;
    fs::remove_all(gClusterDir, ec);
}

bool Exec(PGconn* Conn, const std::string& SQL)
{
    PGresult* r = PQexec(Conn, SQL.c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    if (!ok)
        std::fprintf(stderr, "bench_server: %s", PQerrorMessage(Conn));
    PQclear(r);
    return ok;
}

bool Generate()
{
    if (const char* r = std::getenv("KORIN_BENCH_ROWS"))
        gRows = std::max(1000, std::atoi(r));
    PGconn* conn = PQconnectdb(gConnInfo.c_str());
    bool ok = PQstatus(conn) == CONNECTION_OK &&
              Exec(conn,
                   "CREATE TABLE bench_rows AS SELECT g AS id, 'name' || (g::bigint * 7919 % 1000003) AS name,"
                   " (ARRAY['Paris','Berlin','Rome','Oslo','Kyiv','Madrid'])[g % 6 + 1] AS city,"
                   " (g * 0.25)::float8 AS amount, date '2020-01-01' + g % 3000 AS day"
                   " FROM generate_series(1, " + std::to_string(gRows) + ") AS g") &&
              Exec(conn, "ALTER TABLE bench_rows ADD PRIMARY KEY (id)") && Exec(conn, "VACUUM ANALYZE bench_rows");
    PQfinish(conn);
    return ok;
}

void BM_Fetch_ADOQuery(benchmark::State& state)
{
    TOwned<TADOConnection> conn(new TADOConnection(nullptr));
    conn->SetConnectionString(gConnInfo);
    conn->Open();
    for (auto _ : state) {
        TOwned<TADOQuery> q(new TADOQuery(nullptr));
        q->SetConnection(conn.get());
        q->SQL()->Add(kSelect);
        q->SetFetchInBackground(false);
        q->Open();
        if (q->RecordCount() != gRows)
            state.SkipWithError("not every row fetched");
        q->Last();
        benchmark::DoNotOptimize(q->Fields(1)->AsString());
    }
}
BENCHMARK(BM_Fetch_ADOQuery)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_Fetch_Libpq(benchmark::State& state)
{
    PGconn* conn = PQconnectdb(gConnInfo.c_str());
    for (auto _ : state) {
        PGresult* r = PQexec(conn, kSelect);
        const int rows = PQntuples(r), cols = PQnfields(r);
        std::size_t bytes = 0;
        for (int i = 0; i < rows; ++i)
            for (int c = 0; c < cols; ++c)
                bytes += static_cast<std::size_t>(PQgetlength(r, i, c)) + (PQgetvalue(r, i, c)[0] != 0);
        benchmark::DoNotOptimize(bytes);
        if (rows != gRows)
            state.SkipWithError("not every row fetched");
        PQclear(r);
    }
    PQfinish(conn);
}
BENCHMARK(BM_Fetch_Libpq)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_FirstRows_ADOTable(benchmark::State& state)
{
    TOwned<TADOConnection> conn(new TADOConnection(nullptr));
    conn->SetConnectionString(gConnInfo);
    conn->Open();
    // As in an application whose loop reads the rest in its idle turns.
    SetBackgroundFetchAvailable(true);
    for (auto _ : state) {
        TOwned<TADOTable> t(new TADOTable(nullptr));
        t->SetConnection(conn.get());
        t->SetTableName("bench_rows");
        t->Open();
        state.counters["first_batch_rows"] = t->RecordCount();
        if (!t->Fetching())
            state.SkipWithError("the whole table was read before Open returned");
        benchmark::DoNotOptimize(t->Fields(1)->AsString());
        // Closing abandons the rest (its transaction is rolled back): not measured.
        state.PauseTiming();
        t->Close();
        state.ResumeTiming();
    }
    SetBackgroundFetchAvailable(false);
}
BENCHMARK(BM_FirstRows_ADOTable)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FirstRows_Libpq(benchmark::State& state)
{
    PGconn* conn = PQconnectdb(gConnInfo.c_str());
    for (auto _ : state) {
        PQsendQuery(conn, "SELECT * FROM bench_rows ORDER BY id");
        PQsetSingleRowMode(conn);
        PGresult* r = PQgetResult(conn);
        benchmark::DoNotOptimize(PQgetvalue(r, 0, 0));
        PQclear(r);
        // The rest is not part of the first row: the connection is made ready again
        // outside the timing.
        state.PauseTiming();
        PQrequestCancel(conn);
        while ((r = PQgetResult(conn)))
            PQclear(r);
        state.ResumeTiming();
    }
    PQfinish(conn);
}
BENCHMARK(BM_FirstRows_Libpq)->Unit(benchmark::kMillisecond)->UseRealTime();

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Times;  // name -> wall time (ms) per iteration
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& r : runs)
            if (r.iterations > 0 && !r.error_occurred)
                Times[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

void Ratio(const RatioReporter& R, const char* What, const char* A, const char* B)
{
    auto a = R.Times.find(A), b = R.Times.find(B);
    if (a != R.Times.end() && b != R.Times.end() && b->second > 0)
        std::printf("%-22s korin / libpq = %8.2f   (%.3f ms vs %.3f ms)\n", What, a->second / b->second, a->second,
                    b->second);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!HasServerPrograms() || !fs::exists(ClusterScript())) {
        std::printf("bench_server: skipped: no PostgreSQL server programs under /usr/lib/postgresql "
                    "(scripts/setup installs them)\n");
        return 0;
    }
    if (!StartCluster()) {
        std::printf("bench_server: skipped: the private server did not start\n");
        StopCluster();
        return 0;
    }
    int code = 0;
    if (!Generate()) {
        code = 1;
    } else {
        std::printf("server table bench_rows: %d rows\n", gRows);
        benchmark::Initialize(&argc, argv);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        Ratio(reporter, "Fetch all rows:", "BM_Fetch_ADOQuery", "BM_Fetch_Libpq");
        Ratio(reporter, "First rows:", "BM_FirstRows_ADOTable", "BM_FirstRows_Libpq");
        auto first = reporter.Times.find("BM_FirstRows_ADOTable"), all = reporter.Times.find("BM_Fetch_ADOQuery");
        if (first != reporter.Times.end() && all != reporter.Times.end() && all->second > 0)
            std::printf("%-22s first rows / whole fetch = %.4f   (%.3f ms vs %.3f ms)\n", "First visible rows:",
                        first->second / all->second, first->second, all->second);
        benchmark::Shutdown();
    }
    StopCluster();
    return code;
}
