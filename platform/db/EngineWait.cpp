// Long statements and long walks: the engine's progress handler gives the application a
// turn while a statement started from user text runs, and stops the statement on a
// cancel request; a walk over records does the same through TEngineWork.
#include <atomic>
#include <exception>
#include <memory>
#include <vector>

#include <sqlite3.h>

#include "korin/platform/db/DBTables.h"
#include "korin/platform/db/SQLiteEngine.h"

namespace korin {

namespace {

// The engine calls the progress handler every this many virtual-machine steps; every
// kWaitEvery-th call gives the wait procedure its turn (about a quarter of a million
// steps, a millisecond or two of work).
constexpr int kProgressSteps = 4096;
constexpr int kWaitEvery = 64;
// A walk gives the wait procedure its turn every this many records.
constexpr int kWorkTicks = 512;

struct TScopeEntry {
    sqlite3* Db;
    int Depth;
};

TEngineWaitProc gWaitProc;
std::vector<TScopeEntry> gScopes;
int gWorkDepth = 0;
// Busy waits on a locked file that are giving the application its turn: Esc then
// cancels the wait, as it cancels a long statement.
int gBusyDepth = 0;
std::atomic<bool> gCancel{false};
// The connection whose statement is paused in the wait procedure.
sqlite3* gWaiting = nullptr;
// What the wait procedure raised: the statement stops and the error passes on.
std::exception_ptr gWaitError;
unsigned gTicks = 0;

bool Running() { return !gScopes.empty() || gWorkDepth > 0 || gBusyDepth > 0; }

// An operation starts: a cancel request left from an earlier one must not stop it.
void Starting()
{
    if (!Running()) {
        gCancel.store(false);
        gWaitError = nullptr;
    }
}

void Ended()
{
    if (!Running())
        gCancel.store(false);
}

int ProgressHandler(void* User)
{
    if (gCancel.load())
        return 1;
    if (++gTicks % kWaitEvery != 0 || !gWaitProc || gWaiting)
        return 0;
    gWaiting = static_cast<sqlite3*>(User);
    try {
        TEngineWaitProc proc = gWaitProc;
        proc();
    } catch (...) {
        // Nothing may unwind through the engine: keep the error for after the step.
        gWaitError = std::current_exception();
        gWaiting = nullptr;
        return 1;
    }
    gWaiting = nullptr;
    return gCancel.load() ? 1 : 0;
}

TBusyWaitProc gBusyWaitProc;

// The pauses between retries on a locked file: short at first, for locks held only a
// moment, then a tenth of a second.
constexpr int kBusyDelays[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
constexpr int kBusyDelayCount = sizeof(kBusyDelays) / sizeof(kBusyDelays[0]);

// The milliseconds waited before the given retry.
long long BusyWaited(int Count)
{
    long long total = 0;
    for (int i = 0; i < Count && i < kBusyDelayCount; ++i)
        total += kBusyDelays[i];
    if (Count > kBusyDelayCount)
        total += static_cast<long long>(Count - kBusyDelayCount) * kBusyDelays[kBusyDelayCount - 1];
    return total;
}

struct TBusyContext {
    sqlite3* Db;
    const TDatabase* Database;
};

// The engine asks whether to try a locked file again; Count is the number of earlier
// tries for this lock. Answering 0 makes the statement fail with "database is locked".
int BusyHandler(void* User, int Count)
{
    auto* ctx = static_cast<TBusyContext*>(User);
    long long timeout = ctx->Database ? ctx->Database->BusyTimeout() : 0;
    long long waited = BusyWaited(Count);
    if (waited >= timeout)
        return 0;
    int delay = kBusyDelays[Count < kBusyDelayCount ? Count : kBusyDelayCount - 1];
    if (waited + delay > timeout)
        delay = static_cast<int>(timeout - waited);
    if (gWaitProc && !gWaiting) {
        // While the application has its turn the wait counts as a running operation,
        // so that a cancel request (Esc) stops it: the statement then fails with the
        // engine's "database is locked" and the caller keeps what it was writing.
        Starting();
        ++gBusyDepth;
        gWaiting = ctx->Db;
        bool failed = false;
        try {
            TEngineWaitProc proc = gWaitProc;
            proc();
        } catch (...) {
            gWaitError = std::current_exception();
            failed = true;
        }
        gWaiting = nullptr;
        --gBusyDepth;
        bool cancelled = gCancel.load();
        // A request made during this wait ends with it, unless a statement or walk
        // around it is still running and must see it too.
        Ended();
        if (failed || cancelled)
            return 0;
    }
    if (gBusyWaitProc) {
        TBusyWaitProc proc = gBusyWaitProc;
        try {
            proc(delay);
        } catch (...) {
            gWaitError = std::current_exception();
            return 0;
        }
    } else {
        sqlite3_sleep(delay);
    }
    return 1;
}

// One context per connection, kept until the connection goes.
std::vector<std::unique_ptr<TBusyContext>> gBusyContexts;

}  // namespace

TBusyWaitProc SetBusyWaitProc(TBusyWaitProc Proc)
{
    TBusyWaitProc old = std::move(gBusyWaitProc);
    gBusyWaitProc = std::move(Proc);
    return old;
}

void InstallBusyWait(sqlite3* Db, const TDatabase* Database)
{
    for (auto it = gBusyContexts.begin(); it != gBusyContexts.end();)
        if ((*it)->Db == Db || (*it)->Database == Database)
            it = gBusyContexts.erase(it);
        else
            ++it;
    if (!Db)
        return;
    gBusyContexts.push_back(std::make_unique<TBusyContext>(TBusyContext{Db, Database}));
    sqlite3_busy_handler(Db, BusyHandler, gBusyContexts.back().get());
}

TEngineWaitProc SetEngineWaitProc(TEngineWaitProc Proc)
{
    TEngineWaitProc old = std::move(gWaitProc);
    gWaitProc = std::move(Proc);
    return old;
}

void CancelEngineOperation()
{
    // A request while nothing runs is dropped: it must not stop the next operation.
    if (Running())
        gCancel.store(true);
}

bool EngineOperationRunning() { return Running(); }

namespace {

std::vector<std::pair<int, TEngineIdleWork>> gIdleWork;
int gNextIdleWork = 1;
size_t gIdleTurn = 0;
bool gInIdleWork = false;

}  // namespace

int AddEngineIdleWork(TEngineIdleWork Work)
{
    gIdleWork.emplace_back(gNextIdleWork, std::move(Work));
    return gNextIdleWork++;
}

void RemoveEngineIdleWork(int Id)
{
    for (auto it = gIdleWork.begin(); it != gIdleWork.end(); ++it)
        if (it->first == Id) {
            gIdleWork.erase(it);
            return;
        }
}

bool EngineIdleWorkPending() { return !gIdleWork.empty(); }

bool DoEngineIdleWork()
{
    if (gInIdleWork || gIdleWork.empty())
        return false;
    struct TGuard {
        TGuard() { gInIdleWork = true; }
        ~TGuard() { gInIdleWork = false; }
    } guard;
    for (size_t tried = 0, n = gIdleWork.size(); tried < n && !gIdleWork.empty(); ++tried) {
        size_t at = gIdleTurn++ % gIdleWork.size();
        // A copy: the step may remove its own item (or others).
        TEngineIdleWork work = gIdleWork[at].second;
        if (work())
            return true;
    }
    return false;
}

TEngineWork::TEngineWork()
{
    Starting();
    ++gWorkDepth;
}

TEngineWork::~TEngineWork()
{
    --gWorkDepth;
    Ended();
}

void TEngineWork::Tick()
{
    if (++FTicks % kWorkTicks == 0 && gWaitProc && !gWaiting) {
        TEngineWaitProc proc = gWaitProc;
        proc();
    }
    if (gCancel.load())
        throw EDatabaseError("Operation cancelled", SQLITE_INTERRUPT);
}

TEngineWaitScope::TEngineWaitScope(sqlite3* Db) : FDb(Db)
{
    Starting();
    for (auto& e : gScopes)
        if (e.Db == Db) {
            ++e.Depth;
            return;
        }
    gScopes.push_back({Db, 1});
    sqlite3_progress_handler(Db, kProgressSteps, ProgressHandler, Db);
}

TEngineWaitScope::~TEngineWaitScope()
{
    for (auto it = gScopes.begin(); it != gScopes.end(); ++it)
        if (it->Db == FDb) {
            if (--it->Depth == 0) {
                sqlite3_progress_handler(FDb, 0, nullptr, nullptr);
                gScopes.erase(it);
            }
            break;
        }
    Ended();
}

bool EngineWaiting(sqlite3* Db) { return Db && Db == gWaiting; }

void CheckEngineFree(sqlite3* Db)
{
    if (EngineWaiting(Db))
        throw EDatabaseError("The database is busy: a statement is still running", SQLITE_BUSY);
}

void RaiseIfStopped(sqlite3* Db, int ResultCode)
{
    if (gWaitError) {
        std::exception_ptr e = gWaitError;
        gWaitError = nullptr;
        std::rethrow_exception(e);
    }
    if ((ResultCode & 0xff) == SQLITE_INTERRUPT && gCancel.load())
        throw EDatabaseError("Operation cancelled", SQLITE_INTERRUPT);
}

}  // namespace korin
