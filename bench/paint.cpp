// Repainting the demo form: its customers, orders and order lines on the sample database,
// read from the demo's form file, headless.
//   NextRepaint   the navigator's NEXT clicked (the customer grid has the focus, so the
//                 customers move and the orders and lines follow), then the whole window
//                 rendered, frame included
//   Repaint       the whole window rendered again, nothing changed
//   CairoLine     the same work done with the libraries directly: an image surface of the
//                 window's size made, filled in one colour and one line of text drawn on it
//                 through Pango
// After the runs the NextRepaint time and its ratio to CairoLine (CPU time) are printed.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../examples/demo/SampleDb.h"
#include "korin/nav/Vdbnav.h"
#include "korin/platform/core/FormFiles.h"
#include "korin/platform/db/DBTables.h"
#include "korin/platform/dbctrls/DBGrids.h"
#include "korin/platform/dbctrls/KCtrls.h"
#include "korin/platform/dbctrls/Registration.h"
#include "korin/platform/gui/Forms.h"
#include "korin/platform/gui/Input.h"
#include "korin/platform/gui/Render.h"

using namespace korin;

namespace {

TForm* gForm = nullptr;
TTable* gCustomers = nullptr;
TVandroDBNavigator* gNav = nullptr;
int gWidth = 0, gHeight = 0;

// The demo form on a sample database of its own, set up as the demo sets it up.
void OpenDemoForm()
{
    namespace fs = std::filesystem;
    std::string db = (fs::temp_directory_path() / "korin-paint-bench.db").string();
    CreateSampleDatabase(db);
    RegisterDbControlClasses();
    Register();
    Session->AddAlias("KorinSample", db);
    gForm = new TForm(nullptr);
    ReadComponentRes("DemoForm", gForm);
    gCustomers = dynamic_cast<TTable*>(gForm->FindComponent("Customers"));
    gNav = dynamic_cast<TVandroDBNavigator*>(gForm->FindComponent("Navigator"));
    for (auto [table, field] : {std::pair{"Customers", "CreditLimit"}, {"Orders", "Amount"}, {"Items", "Price"}})
        if (auto* t = dynamic_cast<TTable*>(gForm->FindComponent(table)))
            if (auto* money = dynamic_cast<TNumericField*>(t->FindField(field)))
                money->SetDisplayFormat("#,##0.00");
    Application->SetMainForm(gForm);
    gForm->Show();
    if (auto* grid = dynamic_cast<TWinControl*>(gForm->FindComponent("CustomerGrid")))
        grid->SetFocus();
    Application->ProcessMessages();
    auto shot = RenderWindow(gForm);
    gWidth = shot->Width();
    gHeight = shot->Height();
}

void BM_NextRepaint(benchmark::State& state)
{
    if (!gNav || !gCustomers) {
        state.SkipWithError("demo form not built");
        return;
    }
    for (auto _ : state) {
        if (gCustomers->RecNo() >= gCustomers->RecordCount() - 1) {
            state.PauseTiming();
            gCustomers->First();
            Application->ProcessMessages();
            state.ResumeTiming();
        }
        RunScript([](TInputScript& in) { in.Click(gNav->Buttons(vnbNext)); });
        auto shot = RenderWindow(gForm);
        benchmark::DoNotOptimize(shot.get());
    }
}
BENCHMARK(BM_NextRepaint)->Unit(benchmark::kMillisecond);

void BM_Repaint(benchmark::State& state)
{
    for (auto _ : state) {
        auto shot = RenderWindow(gForm);
        benchmark::DoNotOptimize(shot.get());
    }
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond);

void BM_CairoLine(benchmark::State& state)
{
    PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans 11px");
    for (auto _ : state) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, gWidth, gHeight);
        cairo_t* cr = cairo_create(s);
        cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
        cairo_paint(cr);
        PangoLayout* layout = pango_cairo_create_layout(cr);
        pango_layout_set_font_description(layout, font);
        pango_layout_set_text(layout, "Customer 1234 of 200, Kauai Dive Shoppe, Kapaa Kauai", -1);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, 8, 8);
        pango_cairo_show_layout(cr, layout);
        g_object_unref(layout);
        cairo_destroy(cr);
        cairo_surface_flush(s);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(s));
        cairo_surface_destroy(s);
    }
    pango_font_description_free(font);
}
BENCHMARK(BM_CairoLine)->Unit(benchmark::kMillisecond);

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
    OpenDemoForm();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto a = reporter.Times.find("BM_NextRepaint");
    auto b = reporter.Times.find("BM_CairoLine");
    if (a != reporter.Times.end() && b != reporter.Times.end() && b->second > 0)
        std::printf("NEXT + repaint of the demo form (%d x %d): %.2f ms, %.1fx one fill and one text line (%.3f ms)\n",
                    gWidth, gHeight, a->second / 1e6, a->second / b->second, b->second / 1e6);
    gForm->Free();
    return 0;
}
