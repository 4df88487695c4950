// Drawing costs that painting code pays per frame: text measuring, fills, the stretched
// copy of a sweep band, DrawText and building a balloon region.
#include <benchmark/benchmark.h>

#include "korin/platform/gui/Bitmap.h"
#include "korin/platform/gui/DrawText.h"
#include "korin/platform/gui/Region.h"

using namespace korin;

static void BM_TextWidth(benchmark::State& state)
{
    TCanvas c;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.TextWidth("Record 1234 of 100000"));
}
BENCHMARK(BM_TextWidth);

static void BM_FillRect(benchmark::State& state)
{
    TBitmap b(200, 40);
    b.Canvas().Brush().SetColor(clBtnFace);
    for (auto _ : state)
        b.Canvas().FillRect(Rect(0, 0, 200, 20));
}
BENCHMARK(BM_FillRect);

static void BM_TextOut(benchmark::State& state)
{
    TBitmap b(200, 40);
    SetBkMode(b.Canvas().Handle(), TRANSPARENT);
    for (auto _ : state)
        b.Canvas().TextOut(2, 2, "Record 1234 of 100000");
}
BENCHMARK(BM_TextOut);

static void BM_CopyRectSweepBand(benchmark::State& state)
{
    TBitmap gauge(16, 20), bar(300, 20);
    for (auto _ : state)
        bar.Canvas().CopyRect(Rect(100, 1, 148, 19), gauge.Canvas(), Rect(16, 0, 0, 20));
}
BENCHMARK(BM_CopyRectSweepBand);

static void BM_DrawTextCentred(benchmark::State& state)
{
    TBitmap b(200, 40);
    for (auto _ : state) {
        TRect r = Rect(0, 0, 200, 40);
        DrawText(b.Canvas(), "&Find next", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}
BENCHMARK(BM_DrawTextCentred);

static void BM_BalloonRegion(benchmark::State& state)
{
    for (auto _ : state) {
        HRGN r = CreateRoundRectRgn(0, 0, 220, 40, 220, 40);
        HRGN b = CreateEllipticRgn(8, 35, 18, 43);
        CombineRgn(r, r, b, RGN_OR);
        benchmark::DoNotOptimize(PtInRegion(r, 13, 39));
        DeleteObject(b);
        DeleteObject(r);
    }
}
BENCHMARK(BM_BalloonRegion);

BENCHMARK_MAIN();
