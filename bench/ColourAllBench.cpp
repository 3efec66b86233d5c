// "Alles einfärben" on a 24-megapixel photograph, measured in the same run as a
// memcpy of the same pixel block, so the ratio holds however busy the machine is.
//   bench_colour_all --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "BenchSupport.h"
#include "PixelOps.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

// Source and result of the benchmark, made once: a smooth photograph-like
// gradient with noise, so the luminances vary as in a real picture.
struct Pictures {
    Picture di = benchPicture(kWidth, kHeight, 24), outdi = benchPicture(kWidth, kHeight, 24);
    const RowTable &rows = di.rows();
    size_t bytes = di->pmi->bmiHeader.biSizeImage;

    Pictures()
    {
        fillLikeAPhotograph(di);
        std::memset(outdi->poi, 0, bytes); // touch every page before timing
    }
};

Pictures &pictures()
{
    static Pictures p;
    return p;
}

void setBytes(benchmark::State &state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pictures().bytes));
}

void BM_MemcpyBaseline(benchmark::State &state)
{
    Pictures &p = pictures();
    for (auto _ : state) {
        std::memcpy(p.outdi->poi, p.di->poi, p.bytes);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

void BM_ColorAll(benchmark::State &state)
{
    Pictures &p = pictures();
    // Arg 1: the calling thread alone; otherwise the rows are split over all cores.
    const Cores cores = state.range(0) == 1 ? Cores::One : Cores::All;
    state.SetLabel(cores == Cores::One ? "1 thread"
                                       : std::to_string(std::thread::hardware_concurrency()) + " threads");
    for (auto _ : state) {
        ColorAll(p.di, p.outdi.get(), p.rows, 20, 141, 15, cores);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

void BM_DoPixPerPixel(benchmark::State &state)
{
    Pictures &p = pictures();
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                DoPix(p.di, p.outdi.get(), p.rows, x, y, 20, 141, 15);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

} // namespace

BENCHMARK(BM_MemcpyBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColorAll)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DoPixPerPixel)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
