// The motion-following colour carry-over of a 1920 x 1080 frame and of a
// 6000 x 4000 picture, with the time of the motion estimate and of the warp
// and colouring apart, against the plain transfer of the same pictures in the
// same run.
//   bench_motion --benchmark_repetitions=7 --benchmark_report_aggregates_only=true
#include "BenchSupport.h"
#include "ColourTransfer.h"
#include "MotionTransfer.h"
#include "RGBHSL.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <map>
#include <random>
#include <utility>

namespace {

// A grey level like a photograph's: soft shapes at several scales with grain.
uint8_t scenery(double x, double y, double scale, std::mt19937 &random)
{
    x *= scale, y *= scale;
    const double v = 128 + 40 * std::sin(x * 0.011 + std::sin(y * 0.007) * 2) + 30 * std::sin(y * 0.023 - x * 0.005)
                     + 20 * std::sin((x + y) * 0.061) + 10 * std::sin(x * 0.13) * std::cos(y * 0.11);
    return uint8_t(std::clamp(int(v) + int(random() % 9) - 4, 0, 255));
}

// The hue painted over the scene at (x, y), at saturation 180.
int paintedHue(double x, double y, int width, int height)
{
    if (y < height / 3.0)
        return 160;
    if (x < width / 3.0)
        return 25;
    return x + y < width ? 90 : 220;
}

// A predecessor coloured by the colourising rule and the next frame, the camera moved by (12, 5)
// pixels of a 1920-pixel-wide frame.
struct Shot {
    Picture predecessor, current;

    Shot(int width, int height)
        : predecessor(benchPicture(width, height, 24)), current(benchPicture(width, height, 24))
    {
        std::mt19937 random(7);
        const double scale = 1920.0 / width;
        const double dx = 12 / scale, dy = 5 / scale;
        for (int row = 0; row < height; ++row) {
            const int y = height - 1 - row;
            uint8_t *p = predecessor->poi + size_t(row) * size_t(predecessor->bytew);
            uint8_t *c = current->poi + size_t(row) * size_t(current->bytew);
            for (int x = 0; x < width; ++x, p += 3, c += 3) {
                const int grey = scenery(x, y, scale, random);
                int red, green, blue;
                HSLToRGB(paintedHue(x, y, width, height), 180, SourceLuminance(grey, grey, grey), red, green, blue);
                p[0] = uint8_t(blue), p[1] = uint8_t(green), p[2] = uint8_t(red);
                c[0] = c[1] = c[2] = scenery(x + dx, y + dy, scale, random);
            }
        }
    }
};

const Shot &shot(int width, int height)
{
    static std::map<std::pair<int, int>, Shot> shots;
    auto found = shots.find({width, height});
    if (found == shots.end())
        found = shots.emplace(std::make_pair(width, height), Shot(width, height)).first;
    return found->second;
}

// The processor time of all of the process's threads, in milliseconds: on a
// machine shared with other work a steadier figure than the time on the clock.
double processMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void BM_PlainTransfer(benchmark::State &state)
{
    const Shot &s = shot(int(state.range(0)), int(state.range(1)));
    Picture out = copyOf(s.current);
    const RowTable rows = rowTableOf(s.current);
    const double start = processMs();
    for (auto _ : state)
        TransferColours(s.current, out.get(), rows, s.predecessor.get());
    state.counters["all_threads_cpu_ms"] = (processMs() - start) / double(state.iterations());
}

void BM_MotionTransfer(benchmark::State &state)
{
    const Shot &s = shot(int(state.range(0)), int(state.range(1)));
    Picture out = copyOf(s.current);
    const RowTable rows = rowTableOf(s.current);
    MotionMask mask;
    double flow = 0, warp = 0, flowCpu = 0, warpCpu = 0;
    const double start = processMs();
    for (auto _ : state) {
        MotionTimes times;
        if (!TransferColoursFollowingMotion(s.current, out.get(), rows, s.predecessor, &mask, Progress(), &times))
            state.SkipWithError("no memory");
        flow += times.flowMs;
        warp += times.warpMs;
        flowCpu += times.flowCpuMs;
        warpCpu += times.warpCpuMs;
    }
    state.counters["flow_ms"] = flow / double(state.iterations());
    state.counters["warp_ms"] = warp / double(state.iterations());
    state.counters["flow_cpu_ms"] = flowCpu / double(state.iterations());
    state.counters["warp_cpu_ms"] = warpCpu / double(state.iterations());
    state.counters["all_threads_cpu_ms"] = (processMs() - start) / double(state.iterations());
}

} // namespace

BENCHMARK(BM_PlainTransfer)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MotionTransfer)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
