// Film series: the batch over 100 grey 1920 x 1080 JPEG frames against the bare
// codec work on the same files and against ImageMagick's colorize composite,
// and the colour transfer and layer shift on a 24-megapixel picture against a
// copy of its pixel block, all in one run so the ratios hold however busy the
// machine is.
//   bench_film --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The frames go to a new folder in the system's temporary folder (TMPDIR),
// removed at the end. ImageMagick is the `convert` on the PATH; without it that
// benchmark reports an error and the others run.
#include "BenchSupport.h"
#include "FilmFrames.h"
#include "ColourTransfer.h"
#include "FilmBatch.h"
#include "LayerShift.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <QFile>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 100, kFrameWidth = 1920, kFrameHeight = 1080;
constexpr int kBigWidth = 6000, kBigHeight = 4000;

Picture greyFrame(int frame) { return greyFilmFrame(kFrameWidth, kFrameHeight, frame); }

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const std::string &path, const void *data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char *>(data), std::streamsize(size));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// Written as the imaging library writes: beside the file, flushed to disk,
// renamed over it, the folder flushed.
bool writeSafely(const std::string &path, const unsigned char *data, size_t size)
{
    std::string temp = fs::path(path).parent_path().string() + "/.bench-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = ::write(fd, data, size) == ssize_t(size) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok && ::rename(temp.c_str(), path.c_str()) == 0;
    const int dir = ::open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return ok;
}

// The frames on disk, their original bytes, the colour model, and a coloured
// frame for the bare encoder.
struct Film {
    fs::path folder;
    std::vector<std::string> frames;
    std::vector<std::string> originals;
    Picture model;
    std::string modelFile;
    Picture colourFrame;

    Film()
    {
        std::string pattern = (fs::temp_directory_path() / "nuanza-film-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create the frame folder");
        folder = pattern;
        for (int i = 0; i < kFrames; ++i) {
            const Picture frame = greyFrame(i);
            const std::string name = (folder / ("frame" + std::to_string(1000 + i) + ".jpg")).string();
            if (SaveDib(frame, name.c_str(), BK3_FORMAT_JPEG, nullptr) != 1)
                throw std::runtime_error("cannot write " + name);
            frames.push_back(name);
            originals.push_back(readAll(name));
        }
        model = colouredPicture(kFrameWidth, kFrameHeight, 0);
        modelFile = (folder / "model.jpg").string();
        SaveDib(model, modelFile.c_str(), BK3_FORMAT_JPEG, nullptr);
        colourFrame = colouredPicture(kFrameWidth, kFrameHeight, 1);
    }
    ~Film()
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    // The batch writes over its frames: each run starts from the grey ones.
    void restoreFrames() const
    {
        for (size_t i = 0; i < frames.size(); ++i)
            writeAll(frames[i], originals[i].data(), originals[i].size());
    }
    size_t totalBytes() const
    {
        size_t total = 0;
        for (const std::string &bytes : originals)
            total += bytes.size();
        return total;
    }
};

Film &film()
{
    static Film f;
    return f;
}

void framesProcessed(benchmark::State &state)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
    state.counters["frame_ms"] =
        benchmark::Counter(double(kFrames) * 1e-3, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The batch's work, without the window: the model converted once, then every
// frame loaded, coloured and written over itself.
void BM_Batch(benchmark::State &state)
{
    Film &f = film();
    for (auto _ : state) {
        state.PauseTiming();
        f.restoreFrames();
        state.ResumeTiming();
        ColourModel colours;
        if (!colours.build(f.model))
            state.SkipWithError("no memory for the model");
        BatchWorkspace workspace;
        for (const std::string &frame : f.frames) {
            const BatchFileResult result = colourFile(QString::fromStdString(frame), colours, nullptr, workspace);
            if (result.failure != LoadFailure::None || result.write != BatchWrite::Written)
                state.SkipWithError("a frame failed");
        }
    }
    framesProcessed(state);
}

// The codec work alone on the same files: each frame's bytes read and decoded
// with TurboJPEG, and a colour frame of the same size encoded as the library
// encodes (4:4:4, quality 92); with `write`, the result is also written the way
// the library writes it.
void codecWork(benchmark::State &state, bool write)
{
    Film &f = film();
    tjhandle decoder = tjInitDecompress(), encoder = tjInitCompress();
    std::vector<unsigned char> grey(size_t(kFrameWidth) * kFrameHeight);
    const std::string out = (f.folder / "codec-out.jpg").string();
    for (auto _ : state) {
        for (const std::string &frame : f.frames) {
            const std::string bytes = readAll(frame);
            if (tjDecompress2(decoder, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(),
                              grey.data(), kFrameWidth, kFrameWidth, kFrameHeight, TJPF_GRAY, TJFLAG_BOTTOMUP)
                != 0)
                state.SkipWithError(tjGetErrorStr2(decoder));
            unsigned char *jpeg = nullptr;
            unsigned long size = 0;
            if (tjCompress2(encoder, f.colourFrame->poi, kFrameWidth, f.colourFrame->bytew, kFrameHeight, TJPF_BGR,
                            &jpeg, &size, TJSAMP_444, 92, TJFLAG_BOTTOMUP)
                != 0)
                state.SkipWithError(tjGetErrorStr2(encoder));
            if (write && !writeSafely(out, jpeg, size))
                state.SkipWithError("cannot write");
            benchmark::DoNotOptimize(grey.data());
            tjFree(jpeg);
        }
    }
    tjDestroy(decoder);
    tjDestroy(encoder);
    framesProcessed(state);
}

void BM_CodecOnly(benchmark::State &state) { codecWork(state, false); }
void BM_CodecAndSafeWrite(benchmark::State &state) { codecWork(state, true); }

// ImageMagick's colorize composite of each frame with the model, one program
// run per frame, as a script would do it.
void BM_ImageMagick(benchmark::State &state)
{
    Film &f = film();
    const std::string out = (f.folder / "magick-out.jpg").string();
    for (auto _ : state) {
        state.PauseTiming();
        f.restoreFrames();
        state.ResumeTiming();
        for (const std::string &frame : f.frames) {
            const std::string command =
                "convert '" + frame + "' '" + f.modelFile + "' -compose colorize -composite '" + out + "'";
            if (std::system(command.c_str()) != 0) {
                state.SkipWithError("convert failed or is missing");
                break;
            }
        }
    }
    framesProcessed(state);
}

// ---- 6000 x 4000: transfer and shift against a copy ----

struct Big {
    Picture di = greyFramePicture(), outdi = benchPicture(kBigWidth, kBigHeight, 24),
            predecessor = colouredPicture(kBigWidth, kBigHeight, 4);
    std::vector<uint8_t> coloured; // the result as the brush leaves it, to start each shift from
    const RowTable &rows = di.rows();
    size_t bytes = size_t(di->bytew) * kBigHeight;
    Big()
    {
        // Hand-coloured: a few hues and saturations, each at the source's luminances.
        const Picture flat = benchPicture(kBigWidth, kBigHeight, 24);
        for (int row = 0; row < kBigHeight; ++row)
            for (int x = 0; x < kBigWidth; ++x) {
                const uint32_t c = paint(x, kBigHeight - 1 - row, kBigWidth, kBigHeight);
                uint8_t *p = flat->poi + size_t(row) * size_t(flat->bytew) + 3 * size_t(x);
                p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
            }
        TransferColours(di, outdi.get(), rows, flat);
        coloured.assign(outdi->poi, outdi->poi + bytes);
    }
    static Picture greyFramePicture()
    {
        Picture d = benchPicture(kBigWidth, kBigHeight, 24);
        std::mt19937 random(9);
        for (int row = 0; row < kBigHeight; ++row)
            for (int x = 0; x < kBigWidth; ++x)
                std::memset(d->poi + size_t(row) * size_t(d->bytew) + 3 * size_t(x),
                            photoGrey(x, kBigHeight - 1 - row, kBigWidth, kBigHeight, 0, random), 3);
        return d;
    }
};

Big &big()
{
    static Big b;
    return b;
}

void bigBytes(benchmark::State &state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(big().bytes));
}

void BM_Copy6000x4000(benchmark::State &state)
{
    Big &b = big();
    for (auto _ : state) {
        std::memcpy(b.outdi->poi, b.di->poi, b.bytes);
        benchmark::ClobberMemory();
    }
    bigBytes(state);
}

// What "Farben ... übernehmen" costs once the predecessor is read: straight
// from the predecessor's pixels.
void BM_Transfer6000x4000(benchmark::State &state)
{
    Big &b = big();
    for (auto _ : state) {
        TransferColours(b.di, b.outdi.get(), b.rows, b.predecessor);
        benchmark::ClobberMemory();
    }
    bigBytes(state);
}

// The worst case: a predecessor whose every pixel has a colour of its own (as
// after a lossy save), so each one goes through RGBToHSL.
void BM_TransferNoisy6000x4000(benchmark::State &state)
{
    Big &b = big();
    static const Picture noisy = [] {
        Picture d = benchPicture(kBigWidth, kBigHeight, 24);
        std::mt19937 random(5);
        for (size_t i = 0; i < size_t(d->bytew) * kBigHeight; ++i)
            d->poi[i] = uint8_t(random());
        return d;
    }();
    for (auto _ : state) {
        TransferColours(b.di, b.outdi.get(), b.rows, noisy);
        benchmark::ClobberMemory();
    }
    bigBytes(state);
}

// The part of the transfer that the batch repeats per file, the model's colours
// converted beforehand.
void BM_TransferPrepared6000x4000(benchmark::State &state)
{
    Big &b = big();
    ColourModel colours;
    colours.build(b.predecessor);
    for (auto _ : state) {
        TransferColours(b.di, b.outdi.get(), b.rows, colours);
        benchmark::ClobberMemory();
    }
    bigBytes(state);
}

void BM_Shift6000x4000(benchmark::State &state)
{
    Big &b = big();
    const auto direction = ShiftDirection(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(b.outdi->poi, b.coloured.data(), b.bytes);
        state.ResumeTiming();
        ShiftColourLayer(b.di, b.outdi.get(), b.rows, direction, 1);
        benchmark::ClobberMemory();
    }
    bigBytes(state);
}

} // namespace

BENCHMARK(BM_CodecOnly)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_CodecAndSafeWrite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Batch)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ImageMagick)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Copy6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TransferPrepared6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Transfer6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TransferNoisy6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Shift6000x4000)
    ->Arg(int(ShiftDirection::Up))
    ->Arg(int(ShiftDirection::Down))
    ->Arg(int(ShiftDirection::Left))
    ->Arg(int(ShiftDirection::Right))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
