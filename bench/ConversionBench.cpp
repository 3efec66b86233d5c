// Whole-picture conversions of a 6000 x 4000 photograph (72 MB of pixels) and,
// as the yardstick, a plain copy of that pixel block. Run with
//   --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
// and compare the medians of one run: the ratios matter, not the times.
#include "BenchSupport.h"
#include "Depth.h"
#include "PictureMemory.h"
#include "Soften.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

// A picture with some structure, so the filter's sums vary as in a photograph.
void fillLikeAPhoto(const dib &d, int32_t bytesPerPixel)
{
    std::mt19937 random(6000);
    for (int32_t y = 0; y < kHeight; ++y) {
        uint8_t *row = d.poi + ptrdiff_t(y) * d.bytew;
        for (int32_t i = 0; i < kWidth * bytesPerPixel; ++i)
            row[i] = uint8_t((i / 7 + y / 5) * 3 + (random() & 15));
    }
}

Picture makePicture(int32_t bits) { return benchPicture(kWidth, kHeight, bits); }

// What the window's gauge costs the loops: one call per row.
Progress gauge()
{
    return [](int32_t percent) { benchmark::DoNotOptimize(percent); };
}

void BM_Memcpy(benchmark::State &state)
{
    Picture picture = makePicture(24);
    fillLikeAPhoto(picture, 3);
    const size_t bytes = picture->pmi->bmiHeader.biSizeImage;
    std::vector<uint8_t> target(bytes, 1);
    for (auto _ : state) {
        std::memcpy(target.data(), picture->poi, bytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void BM_Graustufen(benchmark::State &state)
{
    Picture picture = makePicture(24);
    fillLikeAPhoto(picture, 3);
    for (auto _ : state) {
        ConvertToGrey(picture.get(), gauge());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * picture->pmi->bmiHeader.biSizeImage);
}

void BM_Soften(benchmark::State &state)
{
    Picture picture = makePicture(24);
    fillLikeAPhoto(picture, 3);
    for (auto _ : state) {
        if (FilterDib(picture.get(), SoftenKernel, gauge()) != FilterResult::Filtered)
            state.SkipWithError("not filtered");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * picture->pmi->bmiHeader.biSizeImage);
}

// Each conversion consumes its source, so a fresh 8-bit picture is made before
// each one, outside the measured time; the new 24-bit picture's allocation is
// part of the conversion and measured.
void BM_DepthUpTo8To24(benchmark::State &state)
{
    Picture master = makePicture(8);
    fillLikeAPhoto(master, 1);
    std::mt19937 random(256);
    for (PALETTEENTRY &entry : master->pal.rgb0)
        entry = PALETTEENTRY{uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
    for (auto _ : state) {
        Picture picture = makePicture(8);
        std::memcpy(picture->poi, master->poi, master->pmi->bmiHeader.biSizeImage);
        picture->pal = master->pal;
        const auto start = std::chrono::steady_clock::now();
        const bool widened = DepthUpTo(picture.get(), 24, gauge());
        const auto end = std::chrono::steady_clock::now();
        if (!widened)
            state.SkipWithError("not widened");
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kWidth) * kHeight * 3);
}

// The floor under DepthUpTo: a new 24-bit picture of this size made and written
// once, without any conversion. On virtual machines filling fresh pages from the
// system costs several copies of the block.
void BM_NewPicture24(benchmark::State &state)
{
    for (auto _ : state) {
        Picture picture = makePicture(24);
        preferLargePages(picture);
        std::memset(picture->poi, 0x5A, picture->pmi->bmiHeader.biSizeImage);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kWidth) * kHeight * 3);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Graustufen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Soften)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DepthUpTo8To24)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_NewPicture24)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
