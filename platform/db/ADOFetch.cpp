// Server datasets: reading the records of a command through a cursor in batches, with
// fetch progress; the first batch before Open returns and, in the background, the rest
// in the application's idle turns.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <libpq-fe.h>

#include "korin/platform/db/ADODB.h"
#include "korin/platform/db/ADOFetch.h"

namespace korin {

namespace {

bool gBackgroundFetchAvailable = false;

// The rows the planner expects the statement of an EXPLAIN (FORMAT JSON) to return: the
// first "Plan Rows" of the plan, which is its top node's.
int PlannedRows(const TPGResult& Plan)
{
    if (Plan.Rows() < 1 || Plan.Columns() < 1 || Plan.IsNull(0, 0))
        return 0;
    const char* text = Plan.Raw(0, 0);
    const char* at = std::strstr(text, "\"Plan Rows\":");
    if (!at)
        return 0;
    double rows = std::strtod(at + 12, nullptr);
    if (!(rows > 0))
        return 0;
    return rows >= 2147483647.0 ? 2147483647 : static_cast<int>(std::llround(rows));
}

// The most values a fetch reserves room for on the strength of the estimate.
constexpr size_t kMaxReservedValues = size_t{1} << 23;

const char* const kBusyText = "The connection is busy: records are still being read";

}  // namespace

void SetBackgroundFetchAvailable(bool Value) { gBackgroundFetchAvailable = Value; }
bool BackgroundFetchAvailable() { return gBackgroundFetchAvailable; }

// Reads the command's records through a cursor in one snapshot. Every batch adds its
// rows, tells OnFetchProgress and the progress callbacks, and gives the application a
// turn.
bool TCustomADODataSet::Fetch(const std::string& Filter, TFetch& Into, bool DescribeFields, bool MayContinue)
{
    TADOConnection* conn = FConnection;
    if (!conn)
        throw EDatabaseError("No connection is given to the dataset");
    if (!conn->Connected())
        conn->Open();
    conn->CheckFree();
    FillParamsFromMaster();
    std::string sql;
    TPGParams params;
    BuildStatement(Filter, sql, params);
    // User text (a filter) only reads; whatever it changed in the session is undone.
    Into.ReadOnly = FReadOnlyTransaction || !Filter.empty();
    Into.DescribeFields = DescribeFields;
    Into.FetchSQL = "FETCH FORWARD " + std::to_string(FCacheSize) + " FROM korin_fetch";
    const TFetchGuard guard(this, conn);
    TFetchBusy busy(guard);
    bool inTransaction = false;
    try {
        guard.Run(Into.ReadOnly ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY" : "BEGIN ISOLATION LEVEL REPEATABLE READ");
        inTransaction = true;
        // The expected total is the planner's estimate of the statement's rows: planning
        // does not run it, so the rows are not read twice. The events never report less
        // than the rows read, and the last one reports the exact count.
        Into.Expected = PlannedRows(guard.Run("EXPLAIN (FORMAT JSON)\n" + sql, params));
        guard.Run("DECLARE korin_fetch NO SCROLL CURSOR FOR\n" + sql, params);
        for (;;) {
            if (FetchBatch(Into, guard, false, true))
                break;
            if (MayContinue && Into.Fetched > 0)
                return true;
        }
        guard.Run("CLOSE korin_fetch");
        guard.Run(Into.ReadOnly ? "ROLLBACK" : "COMMIT");
    } catch (...) {
        if (inTransaction)
            guard.RollBack();
        throw;
    }
    return false;
}

bool TCustomADODataSet::FetchBatch(TFetch& Into, const TFetchGuard& Guard, bool Live, bool Turn)
{
    TPGResult batch = Guard.Run(Into.FetchSQL);
    const bool first = Into.First;
    if (first) {
        Describe(batch, Into, Guard);
        if (!Into.DescribeFields && static_cast<int>(Into.Descs.size()) != FieldCount())
            throw EDatabaseError("The columns of the result have changed; open the dataset again");
    }
    Into.First = false;
    const int rows = batch.Rows();
    if (Live) {
        // The dataset's records take the batch in place.
        Into.Rows = std::move(FRows);
        Into.Order = std::move(FOrder);
        Into.Keys = std::move(FKeys);
    }
    try {
        for (int r = 0; r < rows; ++r)
            ConvertRow(batch, r, Into);
    } catch (...) {
        if (Live) {
            FRows = std::move(Into.Rows);
            FOrder = std::move(Into.Order);
            FKeys = std::move(Into.Keys);
        }
        throw;
    }
    Into.Fetched += rows;
    const bool last = rows < FCacheSize;
    if (first && rows > 0 && Into.Expected > rows) {
        // Room for the expected rows at once, text as the first batch had it (no more
        // than kMaxReservedValues: an estimate may be far off).
        size_t expected = std::min(static_cast<size_t>(Into.Expected), kMaxReservedValues / Into.Descs.size());
        Into.Rows.Reserve(expected * Into.Descs.size(), Into.TextBytes / static_cast<size_t>(rows) * expected * 9 / 8);
        Into.Order.reserve(expected);
        Into.Keys.reserve(expected);
    }
    if (last)
        Into.Expected = Into.Fetched;
    if (Live) {
        FRows = std::move(Into.Rows);
        FRows.Width = Into.Descs.size();
        FOrder = std::move(Into.Order);
        FKeys = std::move(Into.Keys);
        FPosValid = false;
        FFetched = Into.Fetched;
        FExpected = Into.Expected;
        // The controls see the new records (a grid's scroll bar grows); the current
        // record stays. An edit in progress is told when it ends.
        if (rows > 0 && State() == dsBrowse) {
            DataEvent(deDataSetChange, 0);
            Guard.Check();
        }
    }
    if (!(rows > 0 || first || (last && Into.Reported != Into.Fetched)))
        return last;
    TEventStatus status = esOK;
    const int total = std::max(Into.Expected, Into.Fetched);
    Into.Reported = total;
    if (OnFetchProgress) {
        // A copy: the handler may replace itself, or free the dataset.
        TFetchProgressEvent handler = OnFetchProgress;
        handler(this, Into.Fetched, total, status);
    }
    Guard.Check();
    TBDECallback::ReportProgress(total > 0 ? static_cast<int>(100LL * Into.Fetched / total) : 100,
                                 "Records read: " + std::to_string(Into.Fetched));
    Guard.Check();
    if (Turn) {
        TEngineWork work;
        TEngineWaitProc proc = SetEngineWaitProc(nullptr);
        SetEngineWaitProc(proc);
        if (proc)
            proc();
        Guard.Check();
        work.Tick();
    }
    Guard.Check();
    return last || status == esCancel;
}

void TCustomADODataSet::StopPending(const std::shared_ptr<TFetch>& Pending, const TFetchGuard& Guard)
{
    if (Pending->IdleWork)
        RemoveEngineIdleWork(Pending->IdleWork);
    Pending->IdleWork = 0;
    if (*Guard.ConnAlive && Guard.Conn->FReading == Guard.DataSet)
        Guard.Conn->FReading = nullptr;
    if (*Guard.DataSetAlive && Guard.DataSet->FPending == Pending)
        Guard.DataSet->FPending.reset();
}

void TCustomADODataSet::ContinueFetch(bool Turn)
{
    const std::shared_ptr<TFetch> pending = FPending;
    TADOConnection* conn = FConnection;
    if (!pending || !conn)
        return;
    const TFetchGuard guard(this, conn);
    try {
        bool done;
        {
            TFetchBusy busy(guard);
            done = FetchBatch(*pending, guard, true, Turn);
            if (done) {
                guard.Run("CLOSE korin_fetch");
                guard.Run(pending->ReadOnly ? "ROLLBACK" : "COMMIT");
            }
        }
        if (done)
            StopPending(pending, guard);
    } catch (...) {
        // The records read so far stay; the reading ends here.
        guard.RollBack();
        StopPending(pending, guard);
        throw;
    }
}

void TCustomADODataSet::FetchAll()
{
    while (FPending) {
        if (FFetching)
            throw EDatabaseError(kBusyText);
        ContinueFetch(true);
    }
}

void TCustomADODataSet::CancelFetch()
{
    if (!FPending || !FConnection)
        return;
    if (FFetching) {
        // A batch is being read: it stops when it sees this and ends the transaction.
        FAbandon = true;
        return;
    }
    const TFetchGuard guard(this, FConnection);
    StopPending(FPending, guard);
    guard.RollBack();
}

bool TCustomADODataSet::IdleStep()
{
    // The rest waits while a record is edited (its Post reads it first) or another
    // statement runs.
    if (!FPending || FFetching || State() != dsBrowse || !FConnection || FConnection->Busy())
        return false;
    const std::shared_ptr<bool> alive = FAlive;
    try {
        ContinueFetch(false);
    } catch (const EDataSetFreed&) {
        return true;  // nobody is left to tell
    } catch (const EDatabaseError&) {
        if (!*alive || !Active())
            return true;  // closed by the application meanwhile: nothing went wrong
        throw;
    }
    return true;
}

void TCustomADODataSet::InternalNeedRecords(int Index)
{
    // From inside a batch's events the records read so far are all there is.
    while (FPending && !FFetching && (Index < 0 || Index >= static_cast<int>(FOrder.size())))
        ContinueFetch(true);
}

int TCustomADODataSet::InternalLocate(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                                      TLocateOptions Options)
{
    InternalNeedRecords(-1);
    return TDataSet::InternalLocate(Fields, Values, Options);
}

}  // namespace korin
