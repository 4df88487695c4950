// Long statements and long walks: the engine's progress handler gives the application a
// turn while a statement started from user text runs, and stops the statement on a
// cancel request; a walk over records does the same through TEngineWork.
#include <atomic>
#include <exception>
#include <vector>

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
std::atomic<bool> gCancel{false};
// The connection whose statement is paused in the wait procedure.
sqlite3* gWaiting = nullptr;
// What the wait procedure raised: the statement stops and the error passes on.
std::exception_ptr gWaitError;
unsigned gTicks = 0;

bool Running() { return !gScopes.empty() || gWorkDepth > 0; }

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

}  // namespace

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
