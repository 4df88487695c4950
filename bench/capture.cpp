// What capturing costs a control: one key message into an edit that the navigator has
// captured, on a form with 500 captured edits, against the same message into an edit on
// a form without a navigator. The ratio is the figure to watch (goal: at most 1.5).
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

#include "korin/nav/Vdbnav.h"
#include "korin/platform/dbctrls/DBCtrls.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Keyboard.h"

using namespace korin;

namespace {

constexpr int ControlCount = 500;

struct TKeyForm {
    TOwned<TForm> Form;
    TDBEdit* Target = nullptr;
    TVandroDBNavigator* Nav = nullptr;

    explicit TKeyForm(bool Captured)
    {
        Form.reset(new TForm(nullptr));
        Form->SetBounds(0, 0, 800, 600);
        auto* source = new TDataSource(Form.get());
        for (int i = 0; i < ControlCount; ++i) {
            auto* e = new TDBEdit(Form.get());
            e->SetParent(Form.get());
            e->SetBounds(i % 10 * 80, i / 10 * 12, 80, 12);
            e->SetDataSource(source);
            Target = e;
        }
        if (Captured) {
            Nav = new TVandroDBNavigator(Form.get());
            Nav->Loaded();
        }
        Form->Show();
        Target->SetFocus();
    }
};

const LPARAM KeyData = MakeKeyData(0, false, false);

void SendKeys(TDBEdit* Target, int Count)
{
    for (int i = 0; i < Count; ++i)
        benchmark::DoNotOptimize(Target->Perform(WM_KEYDOWN, 'A', KeyData));
}

}  // namespace

static void BM_KeyIntoUncapturedEdit(benchmark::State& state)
{
    TKeyForm f(false);
    for (auto _ : state)
        SendKeys(f.Target, 1);
}
BENCHMARK(BM_KeyIntoUncapturedEdit);

static void BM_KeyIntoCapturedEdit(benchmark::State& state)
{
    TKeyForm f(true);
    if (f.Nav->DBControls() == nullptr)
        state.SkipWithError("no registry");
    for (auto _ : state)
        SendKeys(f.Target, 1);
}
BENCHMARK(BM_KeyIntoCapturedEdit);

// Both in one run, interleaved: the counter "ratio" is captured time over uncaptured time.
static void BM_CapturedOverUncaptured(benchmark::State& state)
{
    TKeyForm plain(false), captured(true);
    // Thread CPU time: other processes on the machine do not count.
    auto now = [] {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
    };
    double tPlain = 0, tCaptured = 0;
    for (auto _ : state) {
        double t0 = now();
        SendKeys(plain.Target, 1000);
        double t1 = now();
        SendKeys(captured.Target, 1000);
        double t2 = now();
        tPlain += t1 - t0;
        tCaptured += t2 - t1;
    }
    state.counters["ratio"] = tCaptured / tPlain;
}
BENCHMARK(BM_CapturedOverUncaptured);

BENCHMARK_MAIN();
