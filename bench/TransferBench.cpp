// "Farben ... übernehmen" from a predecessor with millions of distinct colours (a
// photograph that went through JPEG, and pure noise), measured in the same run as
// OpenCV converting the same pixels from BGR to HLS and back on one thread: our
// work is the same conversion plus the luminance of the source picture.
//   bench_transfer --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "BenchSupport.h"
#include "ColourTransfer.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <turbojpeg.h>

#include <bitset>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

// A colour photograph as a camera gives it: smooth hues and shades with strong
// grain in every channel, through JPEG at quality 92 (4:4:4), so that millions of
// colours remain.
Picture jpegPhotograph()
{
    Picture d = benchPicture(kWidth, kHeight, 24);
    std::mt19937 random(17);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t *p = d->poi + size_t(y) * size_t(d->bytew);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            const int shade = (x * 180 / kWidth + y * 60 / kHeight) + int(random() % 24);
            p[0] = uint8_t(std::min(255, shade * (kHeight - y) / kHeight + int(random() % 48)));
            p[1] = uint8_t(std::min(255, shade * 3 / 4 + int(random() % 48)));
            p[2] = uint8_t(std::min(255, shade * (x + 1000) / (kWidth + 1000) + int(random() % 48)));
        }
    }
    tjhandle h = tjInitCompress();
    unsigned char *jpeg = nullptr;
    unsigned long size = 0;
    tjhandle u = tjInitDecompress();
    if (tjCompress2(h, d->poi, kWidth, d->bytew, kHeight, TJPF_BGR, &jpeg, &size, TJSAMP_444, 92, 0) != 0
        || tjDecompress2(u, jpeg, size, d->poi, kWidth, d->bytew, kHeight, TJPF_BGR, 0) != 0)
        throw std::runtime_error("TurboJPEG failed on the benchmark picture");
    tjFree(jpeg);
    tjDestroy(h);
    tjDestroy(u);
    return d;
}

Picture noise()
{
    Picture d = benchPicture(kWidth, kHeight, 24);
    std::mt19937 random(5);
    for (size_t i = 0; i < size_t(d->bytew) * kHeight; ++i)
        d->poi[i] = uint8_t(random());
    return d;
}

double distinctColours(const dib &d)
{
    auto seen = std::make_unique<std::bitset<(1 << 24)>>();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t *p = d.poi + size_t(y) * size_t(d.bytew) + 3 * size_t(x);
            seen->set(size_t(p[0]) | size_t(p[1]) << 8 | size_t(p[2]) << 16);
        }
    return double(seen->count());
}

struct Pictures {
    Picture photo = jpegPhotograph(), noisy = noise();
    Picture di = benchPicture(kWidth, kHeight, 24), outdi = benchPicture(kWidth, kHeight, 24);
    const RowTable &rows = di.rows();
    Pictures()
    {
        fillLikeAPhotograph(di);
        std::memset(outdi->poi, 0, outdi->pmi->bmiHeader.biSizeImage); // every page touched before timing
    }
    const dib &predecessor(int64_t which) const { return which == 0 ? photo.get() : noisy.get(); }
};

Pictures &pictures()
{
    static Pictures p;
    return p;
}

void label(benchmark::State &state)
{
    const dib &d = pictures().predecessor(state.range(0));
    state.SetLabel(state.range(0) == 0 ? "JPEG photograph" : "noise");
    state.counters["colours"] = distinctColours(d);
}

// The yardstick: OpenCV's BGR -> HLS -> BGR of the predecessor on one thread,
// into blocks allocated once.
void BM_OpenCvHlsRoundTrip(benchmark::State &state)
{
    const dib &d = pictures().predecessor(state.range(0));
    cv::setNumThreads(1);
    const cv::Mat bgr(kHeight, kWidth, CV_8UC3, d.poi, size_t(d.bytew));
    cv::Mat hls(kHeight, kWidth, CV_8UC3), back(kHeight, kWidth, CV_8UC3);
    for (auto _ : state) {
        cv::cvtColor(bgr, hls, cv::COLOR_BGR2HLS);
        cv::cvtColor(hls, back, cv::COLOR_HLS2BGR);
        benchmark::DoNotOptimize(back.data);
    }
    label(state);
}

// The transfer straight from the predecessor's pixels, as the window does it.
void BM_TransferFrom(benchmark::State &state)
{
    Pictures &p = pictures();
    const dib &model = p.predecessor(state.range(0));
    const Cores cores = state.range(1) == 1 ? Cores::One : Cores::All;
    for (auto _ : state) {
        TransferColours(p.di, p.outdi.get(), p.rows, model, cores);
        benchmark::ClobberMemory();
    }
    label(state);
}

// The model the batch makes once per series, in a fresh block as there.
void BM_ColourModelBuild(benchmark::State &state)
{
    const dib &model = pictures().predecessor(state.range(0));
    const Cores cores = state.range(1) == 1 ? Cores::One : Cores::All;
    for (auto _ : state) {
        ColourModel colours;
        colours.build(model, INT_MAX, INT_MAX, cores);
        benchmark::DoNotOptimize(colours.row(0));
    }
    label(state);
}

} // namespace

// Arguments: the predecessor (0 JPEG photograph, 1 noise), then threads (1, or 2 for all cores).
BENCHMARK(BM_OpenCvHlsRoundTrip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TransferFrom)->ArgsProduct({{0, 1}, {1, 2}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColourModelBuild)->ArgsProduct({{0, 1}, {1, 2}})->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
