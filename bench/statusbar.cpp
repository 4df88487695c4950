// Status bar costs: repainting a bar whose 21 panels show every style (against the same
// rectangles filled and lettered straight on the canvas), and the idle cost of a clock and
// a sweep panel running on the wall clock in the SDL2 backend for 10 s, as CPU time per
// wall-clock second (goal: under 1 % of a core). Without a display, SDL's offscreen video
// driver stands in for one.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#ifdef KORIN_HAVE_SDL2
#include <SDL.h>
#endif

#include <chrono>
#include <cstdlib>
#include <string>

#include "korin/platform/backend/SdlBackend.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Render.h"
#include "korin/statusbar/Statbar.h"

using namespace korin;

namespace {

constexpr int kPanelWidth = 38;

TKStatusBar* MakeBar(TForm* Form, bool EveryStyle)
{
    auto* bar = new TKStatusBar(Form);
    bar->SetParent(Form);
    bar->HandleNeeded();
    for (int s = 0; s < 21; ++s) {
        TKStatusPanel* p = bar->Panels()->Add();
        p->SetWidth(kPanelWidth);
        if (EveryStyle)
            p->SetStyle(static_cast<TKStatusPanelStyle>(s));
        p->SetText("Panel " + std::to_string(s));
        p->SetMax(100);
        p->SetPosition(40);
    }
    bar->SetDBInfo(TDBInfo{"Orders", dsBrowse, 45, 120});
    return bar;
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

// Every panel changed, then the bar painted: the refresh protocol, the owner-draw
// requests and every style's drawing.
static void BM_Repaint21PanelBar(benchmark::State& state)
{
    Application->Reset();
    TOwned<TForm> form(new TForm(nullptr));
    form->SetClientWidth(21 * (kPanelWidth + 2));
    TKStatusBar* bar = MakeBar(form.get(), true);
    for (int i = 0; i < bar->Panels()->Count(); ++i)
        bar->Panels()->GetItem(i)->SetEnabled(true);
    TBitmap target(bar->Width(), bar->Height());
    for (auto _ : state) {
        for (int i = 0; i < bar->Panels()->Count(); ++i)
            bar->Panels()->GetItem(i)->Notify(false);
        PaintControlAt(bar, target.Canvas(), 0, 0);
    }
}
BENCHMARK(BM_Repaint21PanelBar);

// The baseline: the same 21 rectangles filled and lettered directly on a canvas.
static void BM_Repaint21Rectangles_Baseline(benchmark::State& state)
{
    TBitmap target(21 * (kPanelWidth + 2), 19);
    TCanvas& c = target.Canvas();
    SetBkMode(c.Handle(), TRANSPARENT);
    for (auto _ : state) {
        c.Brush().SetColor(clBtnFace);
        c.FillRect(Rect(0, 0, target.Width(), 19));
        for (int i = 0; i < 21; ++i) {
            TRect r = Rect(i * (kPanelWidth + 2) + 1, 3, (i + 1) * (kPanelWidth + 2) - 1, 18);
            c.Brush().SetColor(clWhite);
            c.FillRect(r);
            c.TextOut(r.Left + 1, r.Top + 1, "Panel " + std::to_string(i));
        }
    }
}
BENCHMARK(BM_Repaint21Rectangles_Baseline);

// A form 640 x 60 with a bar of a clock and a sweep panel, left alone for 10 s of wall
// clock in the SDL2 backend after a second of start-up; reports the process's CPU time
// per wall second.
static void BM_IdleClockAndSweep_SDL2(benchmark::State& state)
{
#ifdef KORIN_HAVE_SDL2
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        state.SkipWithError("SDL2 cannot start a video driver");
        return;
    }
    Application->SetBackend(std::make_unique<TSdlBackend>());
    double seconds = 10;
    if (const char* s = std::getenv("KORIN_IDLE_SECONDS"))
        seconds = std::atof(s);
    for (auto _ : state) {
        TOwned<TForm> form(new TForm(nullptr));
        form->SetClientWidth(640);
        form->SetClientHeight(60);
        auto* bar = new TKStatusBar(form.get());
        bar->SetParent(form.get());
        TKStatusPanel* clock = bar->Panels()->Add();
        clock->SetStyle(psDateTime);
        clock->SetWidth(160);
        TKStatusPanel* sweep = bar->Panels()->Add();
        sweep->SetStyle(psIndeterminate);
        sweep->SetEnabled(true);
        form->Show();
        // The first second (fonts loaded, the window's first whole render) is start-up,
        // not idling: it is left out of the measurement.
        auto warm = std::chrono::steady_clock::now();
        while (std::chrono::duration<double>(std::chrono::steady_clock::now() - warm).count() < 1.0)
            Application->HandleMessage();
        auto start = std::chrono::steady_clock::now();
        double cpu0 = CpuSeconds();
        double wall = 0;
        while (wall < seconds) {
            Application->HandleMessage();
            wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        double cpu = CpuSeconds() - cpu0;
        state.counters["cpu_ms_per_wall_s"] = cpu * 1000 / wall;
        state.counters["pct_of_core"] = cpu * 100 / wall;
        state.counters["sweep_steps"] = sweep->SweepOffset();
    }
    Application->Reset();
#else
    state.SkipWithError("built without SDL2");
#endif
}
BENCHMARK(BM_IdleClockAndSweep_SDL2)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();
