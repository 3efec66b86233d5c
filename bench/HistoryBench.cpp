// The undo history on a 24-megapixel photograph, each figure beside its anchor
// in the same run:
// - undo and redo of "Alles einfärben" against a memcpy of the pixel block;
// - "Alles einfärben" with the copy it keeps for undo, against the command alone;
// - a brush segment of radius 100 that starts a stroke (every tile new), and a
//   whole stroke across the picture from press to release, each with and
//   without keeping tiles;
// - the bytes held after 50 strokes of radius 30 (counter `history_MB`).
//   bench_history --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "BenchSupport.h"
#include "Brush.h"
#include "PictureHistory.h"
#include "PixelOps.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

struct Pictures {
    Picture di = benchPicture(kWidth, kHeight, 24), outdi = benchPicture(kWidth, kHeight, 24);
    Picture spare = benchPicture(kWidth, kHeight, 24);
    size_t bytes = size_t(di->bytew) * kHeight;

    Pictures()
    {
        fillLikeAPhotograph(di);
        std::memcpy(outdi->poi, di->poi, bytes);
        std::memset(spare->poi, 0, bytes); // touch every page before timing
    }
};

Pictures &pictures()
{
    static Pictures p;
    return p;
}

BrushAction colouring(int radius, int hue)
{
    BrushAction action;
    action.radius = radius;
    action.hue = hue % 256;
    action.sat = 141;
    return action;
}

void MemcpyBaseline(benchmark::State &state)
{
    Pictures &p = pictures();
    for (auto _ : state) {
        std::memcpy(p.spare->poi, p.outdi->poi, p.bytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemcpyBaseline)->Unit(benchmark::kMillisecond);

// Arg 0: undo, 1: redo; the other direction runs untimed in between.
void UndoRedoColorAll(benchmark::State &state)
{
    Pictures &p = pictures();
    PictureHistory history(p.di, p.outdi);
    history.begin(QStringLiteral("Alles einfärben"));
    history.keepWhole(Kept::Result);
    ColorAll(p.di, p.outdi.get(), p.di.rows(), 20, 141, 0);
    history.end();
    const bool redo = state.range(0) == 1;
    for (auto _ : state) {
        if (redo) {
            state.PauseTiming();
            history.undo();
            state.ResumeTiming();
            history.redo();
        } else {
            history.undo();
            state.PauseTiming();
            history.redo();
            state.ResumeTiming();
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel(redo ? "redo" : "undo");
}
BENCHMARK(UndoRedoColorAll)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Arg 1: with the whole copy kept for undo.
void ColorAllStep(benchmark::State &state)
{
    Pictures &p = pictures();
    const bool kept = state.range(0) == 1;
    PictureHistory history(p.di, p.outdi);
    int hue = 0;
    for (auto _ : state) {
        if (kept) {
            history.begin(QStringLiteral("Alles einfärben"));
            history.keepWhole(Kept::Result);
        }
        ColorAll(p.di, p.outdi.get(), p.di.rows(), hue++ % 256, 141, 0);
        if (kept)
            history.end();
        benchmark::ClobberMemory();
    }
    state.SetLabel(kept ? "kept for undo" : "alone");
}
BENCHMARK(ColorAllStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One segment of 50 pixels with radius 100 as the first of a stroke, so every
// tile it reaches is kept anew: the dearest case. The step's begin and end (at
// the press and the release) are not part of the segment and not timed. Arg 1:
// with keeping.
void Segment50(benchmark::State &state)
{
    Pictures &p = pictures();
    const bool kept = state.range(0) == 1;
    PictureHistory history(p.di, p.outdi);
    int i = 0;
    for (auto _ : state) {
        if (kept) {
            state.PauseTiming();
            history.begin(QStringLiteral("Pinselstrich"));
            state.ResumeTiming();
            history.keepBrush(2975, 1990, 3025, 2010, 100, false);
        }
        const PixelRect changed =
            PaintBrushLine(p.di.get(), p.outdi.get(), p.di.rows(), 2975, 1990, 3025, 2010, colouring(100, i++));
        benchmark::DoNotOptimize(changed);
        if (kept) {
            state.PauseTiming();
            history.end();
            state.ResumeTiming();
        }
    }
    state.SetLabel(kept ? "kept for undo" : "alone");
}
BENCHMARK(Segment50)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A stroke across the picture in segments of 50 pixels, one step.
void StrokeAcross(benchmark::State &state)
{
    Pictures &p = pictures();
    const bool kept = state.range(0) == 1;
    PictureHistory history(p.di, p.outdi);
    int i = 0;
    for (auto _ : state) {
        if (kept)
            history.begin(QStringLiteral("Pinselstrich"));
        for (int x = 100; x + 50 < kWidth - 100; x += 50) {
            const int y1 = 1000 + x / 3, y2 = 1000 + (x + 50) / 3;
            if (kept)
                history.keepBrush(x, y1, x + 50, y2, 100, false);
            PaintBrushLine(p.di.get(), p.outdi.get(), p.di.rows(), x, y1, x + 50, y2, colouring(100, i));
        }
        if (kept)
            history.end();
        ++i;
        benchmark::ClobberMemory();
    }
    state.SetLabel(kept ? "kept for undo" : "alone");
}
BENCHMARK(StrokeAcross)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 50 strokes of radius 30, each 20 random segments of up to 60 pixels.
void MemoryAfter50Strokes(benchmark::State &state)
{
    Pictures &p = pictures();
    for (auto _ : state) {
        PictureHistory history(p.di, p.outdi);
        std::mt19937 random(5);
        for (int s = 0; s < 50; ++s) {
            int x = int(random() % kWidth), y = int(random() % kHeight);
            history.begin(QStringLiteral("Pinselstrich"));
            for (int k = 0; k < 20; ++k) {
                const int nx = x + int(random() % 121) - 60, ny = y + int(random() % 121) - 60;
                history.keepBrush(x, y, nx, ny, 30, false);
                PaintBrushLine(p.di.get(), p.outdi.get(), p.di.rows(), x, y, nx, ny, colouring(30, s));
                x = nx;
                y = ny;
            }
            history.end();
        }
        state.counters["history_MB"] = double(history.bytes()) / 1e6;
        state.counters["50_pictures_MB"] = 50.0 * double(p.bytes) / 1e6;
    }
}
BENCHMARK(MemoryAfter50Strokes)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
