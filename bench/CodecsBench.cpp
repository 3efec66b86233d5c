// OpenDib and SaveDib of a 6000 x 4000 photograph in every format the library
// writes, and, as the yardsticks for JPEG, PNG and TIFF, TurboJPEG and libspng
// decoding the same file into a plain buffer and encoding the same pixels with the
// same settings, and libtiff writing them as `tiffcp -c zip:2` does; for the
// formats of our own, reading the file into memory and writing as many bytes with
// `write`. CPU times of opening and saving are the process's: large pictures are
// done in two halves on two threads. The TIFF and PNG writers are also measured
// by Deflate level and row filter, with the file sizes as counters: the tables
// their defaults were chosen from. Run with
//   --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// (with --benchmark_enable_random_interleaving=true on a busy machine) and compare
// the medians of one run: the ratios matter, not the times.
#include "bildkern3.h"
#include "codecs/formats.h"

#include <benchmark/benchmark.h>
#include <spng.h>
#include <tiffio.h>
#include <turbojpeg.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

// Smooth areas, edges and grain, as in a scanned photograph.
const dib &photo()
{
  static dib d = [] {
    dib p{};
    newdib(&p, kWidth, kHeight, 24, nullptr, 0);
    if (!p.poi)
      throw std::runtime_error("no memory for the benchmark picture");
    std::mt19937 random(6000);
    for (int32_t y = 0; y < kHeight; ++y) {
      uint8_t *row = p.poi + ptrdiff_t(y) * p.bytew;
      for (int32_t x = 0; x < kWidth; ++x) {
        const int grain = int(random() & 7);
        const bool edge = ((x / 400) + (y / 300)) & 1;
        row[3 * x] = uint8_t(x * 200 / kWidth + grain + (edge ? 30 : 0));
        row[3 * x + 1] = uint8_t(y * 200 / kHeight + grain);
        row[3 * x + 2] = uint8_t((x + y) * 150 / (kWidth + kHeight) + grain + (edge ? 0 : 40));
      }
    }
    return p;
  }();
  return d;
}

// Nine files of up to 75 MB each, removed when the program ends; a plain array
// outlives every static object, so the exit handler can still read it.
char bench_folder[] = "/tmp/bk3-bench-XXXXXX";

std::string folder()
{
  static const bool made = [] {
    if (!mkdtemp(bench_folder))
      throw std::runtime_error("no temporary folder");
    std::atexit([] { std::filesystem::remove_all(bench_folder); });
    return true;
  }();
  (void)made;
  return bench_folder;
}

struct Format {
  const char *ext;
  int code;
};

const Format formats[] = {{"bmp", BK3_FORMAT_BMP}, {"gif", BK3_FORMAT_GIF},   {"iff", BK3_FORMAT_IFF},
                          {"jpg", BK3_FORMAT_JPEG}, {"pcx", BK3_FORMAT_PCX},  {"tga", BK3_FORMAT_TGA},
                          {"tif", BK3_FORMAT_TIFF}, {"jp2", BK3_FORMAT_JP2},  {"png", BK3_FORMAT_PNG}};

std::string path_of(const Format &f) { return folder() + "/photo." + f.ext; }

// The file each load benchmark reads, written once by the library itself.
bool prepared(const Format &f)
{
  static bool done[sizeof formats / sizeof *formats] = {};
  static bool ok[sizeof formats / sizeof *formats] = {};
  const size_t i = size_t(&f - formats);
  if (!done[i]) {
    ok[i] = SaveDib(photo(), path_of(f).c_str(), f.code, nullptr) == 1;
    done[i] = true;
  }
  return ok[i];
}

std::vector<unsigned char> file_bytes(const std::string &path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void BM_Open(benchmark::State &state)
{
  const Format &f = formats[state.range(0)];
  state.SetLabel(f.ext);
  if (!prepared(f)) {
    state.SkipWithError("this format cannot be written yet");
    return;
  }
  for (auto _ : state) {
    dib d{};
    OpenDib(&d, path_of(f).c_str(), 0, nullptr);
    if (!d.poi) {
      state.SkipWithError("OpenDib failed");
      break;
    }
    benchmark::DoNotOptimize(d.poi);
    deldib(d);
  }
}

// The anchor of BM_Open: the same file read into a new block of its size, as any
// program must before it can decode it. OpenDib should take little more than this.
void BM_ReadFile(benchmark::State &state)
{
  const Format &f = formats[state.range(0)];
  state.SetLabel(f.ext);
  if (!prepared(f)) {
    state.SkipWithError("this format cannot be written yet");
    return;
  }
  for (auto _ : state) {
    const int fd = ::open(path_of(f).c_str(), O_RDONLY | O_CLOEXEC);
    const off_t size = fd < 0 ? -1 : ::lseek(fd, 0, SEEK_END);
    unsigned char *bytes = size > 0 ? static_cast<unsigned char *>(std::malloc(size_t(size))) : nullptr;
    off_t got = 0;
    while (bytes && got < size) {
      const ssize_t n = ::pread(fd, bytes + got, size_t(size - got), got);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        break;
      got += n;
    }
    benchmark::DoNotOptimize(bytes);
    std::free(bytes);
    if (fd >= 0)
      ::close(fd);
    if (got != size || size <= 0) {
      state.SkipWithError("the file could not be read");
      break;
    }
  }
}

// The decoding stage of BM_Open alone: the file's bytes already in memory, the
// picture's block new (so its page faults count, as in OpenDib).
void BM_Decode(benchmark::State &state)
{
  const Format &f = formats[state.range(0)];
  state.SetLabel(f.ext);
  if (!prepared(f)) {
    state.SkipWithError("this format cannot be written yet");
    return;
  }
  const auto bytes = file_bytes(path_of(f));
  const std::string name = path_of(f);
  for (auto _ : state) {
    dib d{};
    bk3::Progress progress(nullptr);
    if (bk3::decode(bytes.data(), bytes.size(), name.c_str(), &d, progress)) {
      state.SkipWithError("decoding failed");
      break;
    }
    benchmark::DoNotOptimize(d.poi);
    deldib(d);
  }
}

// The page faults alone: a new block of a 24-bit picture's size, written once.
void BM_FreshPicturePages(benchmark::State &state)
{
  const size_t bytes = size_t(kWidth) * 3 * kHeight;
  for (auto _ : state) {
    auto *p = static_cast<unsigned char *>(std::malloc(bytes));
    if (!p) {
      state.SkipWithError("no memory");
      break;
    }
    if (state.range(0) == 1)
      bk3::prefer_huge_pages(p, bytes);
    std::memset(p, 1, bytes);
    benchmark::DoNotOptimize(p);
    std::free(p);
  }
}

// Each save and write below goes into a new file: replacing the last one would
// time how long the system takes to free its pages, and to finish writing them
// back first where they are still on their way to the disk.
void remove_untimed(benchmark::State &state, const std::string &path)
{
  state.PauseTiming();
  ::unlink(path.c_str());
  state.ResumeTiming();
}

void BM_Save(benchmark::State &state)
{
  const Format &f = formats[state.range(0)];
  state.SetLabel(f.ext);
  const std::string target = folder() + "/saved." + f.ext;
  for (auto _ : state) {
    remove_untimed(state, target);
    if (SaveDib(photo(), target.c_str(), f.code, nullptr) != 1) {
      state.SkipWithError("SaveDib failed (no writer yet?)");
      break;
    }
  }
}

// The encoding stage of BM_Save alone: the bytes are counted, not written.
void BM_Encode(benchmark::State &state)
{
  struct Counter : bk3::Writer {
    size_t bytes = 0;
    bool put(const void *, size_t size) override
    {
      bytes += size;
      return true;
    }
    bool replace(uint64_t, const void *, size_t) override { return true; }
  };
  const Format &f = formats[state.range(0)];
  state.SetLabel(f.ext);
  const bk3::Codec *codec = bk3::codec_for_save(f.code);
  for (auto _ : state) {
    Counter out;
    bk3::Progress progress(nullptr);
    if (!codec || !bk3::save_checked(codec->save, photo(), out, progress)) {
      state.SkipWithError("encoding failed");
      break;
    }
    benchmark::DoNotOptimize(out.bytes);
  }
}

// BM_Save without what makes it durable (the temporary file, the sync, the
// rename): the encoder writing into a file of the folder as it goes, in
// buffered `write` calls. Its ratio to BM_WriteFile is what the encoding
// costs; the rest of BM_Save is the disk's.
void BM_SaveUnsynced(benchmark::State &state)
{
  struct FileWriter : bk3::Writer {
    int fd = -1;
    std::vector<uint8_t> buffer;
    bool out(const void *data, size_t size)
    {
      const auto *p = static_cast<const uint8_t *>(data);
      while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
          continue;
        if (n <= 0)
          return false;
        p += n, size -= size_t(n);
      }
      return true;
    }
    bool flush()
    {
      const bool ok = out(buffer.data(), buffer.size());
      buffer.clear();
      return ok;
    }
    bool put(const void *data, size_t size) override
    {
      if (size >= 65536)
        return flush() && out(data, size);
      if (buffer.size() + size > 65536 && !flush())
        return false;
      const auto *p = static_cast<const uint8_t *>(data);
      buffer.insert(buffer.end(), p, p + size);
      return true;
    }
    bool put_pieces(const iovec *pieces, size_t count) override
    {
      return flush() && bk3::writev_all(fd, pieces, count);
    }
    bool replace(uint64_t at, const void *data, size_t size) override // lengths known only at the end
    {
      return flush() && ::pwrite(fd, data, size, off_t(at)) == ssize_t(size);
    }
  };
  const Format &f = formats[state.range(0)];
  state.SetLabel(f.ext);
  const bk3::Codec *codec = bk3::codec_for_save(f.code);
  const std::string target = folder() + "/unsynced." + f.ext;
  for (auto _ : state) {
    remove_untimed(state, target);
    FileWriter out;
    out.fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bk3::Progress progress(nullptr);
    const bool ok = out.fd >= 0 && codec && bk3::save_checked(codec->save, photo(), out, progress) && out.flush();
    if (out.fd < 0 || ::close(out.fd) != 0 || !ok) {
      state.SkipWithError("saving failed");
      break;
    }
  }
}

// The anchor of BM_Save: as many bytes as the saved file holds, written with one
// `write` into a file of the same folder, then (state.range(1) == 1) synced, as
// SaveDib syncs before it renames. SaveDib should take little more than this.
void BM_WriteFile(benchmark::State &state)
{
  const Format &f = formats[state.range(0)];
  const bool sync = state.range(1) == 1;
  state.SetLabel(std::string(f.ext) + (sync ? " fsync" : ""));
  const std::string saved = folder() + "/anchor." + f.ext, target = folder() + "/written." + f.ext;
  if (SaveDib(photo(), saved.c_str(), f.code, nullptr) != 1) {
    state.SkipWithError("SaveDib failed (no writer yet?)");
    return;
  }
  const auto bytes = file_bytes(saved);
  for (auto _ : state) {
    remove_untimed(state, target);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    size_t put = 0;
    while (fd >= 0 && put < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + put, bytes.size() - put);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        break;
      put += size_t(n);
    }
    const bool synced = fd >= 0 && (!sync || ::fsync(fd) == 0);
    if (fd < 0 || ::close(fd) != 0 || put != bytes.size() || !synced) {
      state.SkipWithError("the file could not be written");
      break;
    }
  }
}

// TurboJPEG on its own: the file's bytes (already in memory) into a plain BGR buffer,
// either one reused buffer (its pages already mapped) or, like any loader, a new one
// per picture (state.range(0) == 1), whose first touches cost page faults.
void BM_TurboJpegDecompress(benchmark::State &state)
{
  const bool fresh = state.range(0) == 1;
  state.SetLabel(fresh ? "new buffer" : "reused buffer");
  const Format &jpeg = formats[3];
  if (!prepared(jpeg)) {
    state.SkipWithError("no JPEG file");
    return;
  }
  const auto bytes = file_bytes(path_of(jpeg));
  std::vector<unsigned char> pixels(size_t(kWidth) * 3 * kHeight);
  tjhandle h = tjInitDecompress();
  for (auto _ : state) {
    unsigned char *target = fresh ? static_cast<unsigned char *>(std::malloc(pixels.size())) : pixels.data();
    const int rc = tjDecompress2(h, bytes.data(), bytes.size(), target, kWidth, kWidth * 3, kHeight, TJPF_BGR, 0);
    benchmark::DoNotOptimize(target);
    if (fresh)
      std::free(target);
    if (rc != 0) {
      state.SkipWithError(tjGetErrorStr2(h));
      break;
    }
  }
  tjDestroy(h);
}

// TurboJPEG on its own: the same pixels with the library's settings into memory.
void BM_TurboJpegCompress(benchmark::State &state)
{
  const dib &p = photo();
  tjhandle h = tjInitCompress();
  for (auto _ : state) {
    unsigned char *out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(h, p.poi, kWidth, p.bytew, kHeight, TJPF_BGR, &out, &size, TJSAMP_444, 92, TJFLAG_BOTTOMUP) != 0) {
      state.SkipWithError(tjGetErrorStr2(h));
      break;
    }
    benchmark::DoNotOptimize(out);
    tjFree(out);
  }
  tjDestroy(h);
}

// libspng on its own: the file's bytes (already in memory) into a new RGB buffer.
void BM_SpngDecode(benchmark::State &state)
{
  const Format &png = formats[8];
  if (!prepared(png)) {
    state.SkipWithError("no PNG file");
    return;
  }
  const auto bytes = file_bytes(path_of(png));
  for (auto _ : state) {
    spng_ctx *ctx = spng_ctx_new(0);
    size_t size = 0;
    int rc = spng_set_png_buffer(ctx, bytes.data(), bytes.size());
    rc = rc ? rc : spng_decoded_image_size(ctx, SPNG_FMT_RGB8, &size);
    void *pixels = rc ? nullptr : std::malloc(size);
    rc = rc ? rc : spng_decode_image(ctx, pixels, size, SPNG_FMT_RGB8, 0);
    benchmark::DoNotOptimize(pixels);
    std::free(pixels);
    spng_ctx_free(ctx);
    if (rc != 0) {
      state.SkipWithError(spng_strerror(rc));
      break;
    }
  }
}

// libspng on its own: the same pixels, as top-down RGB rows, at the library's level
// and row filter into memory.
void BM_SpngEncode(benchmark::State &state)
{
  const dib &p = photo();
  std::vector<unsigned char> rgb(size_t(kWidth) * 3 * kHeight);
  for (int32_t y = 0; y < kHeight; ++y) {
    const uint8_t *src = p.poi + ptrdiff_t(kHeight - 1 - y) * p.bytew;
    unsigned char *dst = rgb.data() + size_t(y) * kWidth * 3;
    for (int32_t x = 0; x < kWidth; ++x)
      dst[3 * x] = src[3 * x + 2], dst[3 * x + 1] = src[3 * x + 1], dst[3 * x + 2] = src[3 * x];
  }
  for (auto _ : state) {
    spng_ctx *ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_ihdr ihdr{uint32_t(kWidth), uint32_t(kHeight), 8, SPNG_COLOR_TYPE_TRUECOLOR, 0, 0, 0};
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, 3);
    spng_set_option(ctx, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_UP);
    spng_set_ihdr(ctx, &ihdr);
    const int rc = spng_encode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    size_t size = 0;
    int error = 0;
    void *png = rc ? nullptr : spng_get_png_buffer(ctx, &size, &error);
    benchmark::DoNotOptimize(png);
    std::free(png);
    spng_ctx_free(ctx);
    if (rc != 0 || error != 0) {
      state.SkipWithError(spng_strerror(rc ? rc : error));
      break;
    }
  }
}

// The photograph as top-down RGB rows, as libtiff's and libspng's own writers take it.
const std::vector<unsigned char> &photo_rgb()
{
  static const std::vector<unsigned char> rgb = [] {
    const dib &p = photo();
    std::vector<unsigned char> v(size_t(kWidth) * 3 * kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
      bk3::bgr_to_rgb_row(p.poi + ptrdiff_t(kHeight - 1 - y) * p.bytew, v.data() + size_t(y) * kWidth * 3, kWidth);
    return v;
  }();
  return rgb;
}

off_t file_size(const std::string &path)
{
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? off_t(in.tellg()) : -1;
}

// libtiff writing the photograph itself, row by row, with Deflate (its default
// level) and the horizontal predictor into a file. Arg 0: the settings of
// `tiffcp -c zip:2` (strips of about 8 KiB, libtiff's default); arg 1: those of
// our writer before it compressed its own strips (64 KiB strips), the size the
// new one is held to.
void BM_LibtiffDeflate(benchmark::State &state)
{
  const bool ours_before = state.range(0) == 1;
  state.SetLabel(ours_before ? "64 KiB strips (old writer)" : "tiffcp -c zip:2");
  const std::string target = folder() + "/libtiff.tif";
  const auto &rgb = photo_rgb();
  for (auto _ : state) {
    TIFF *tif = TIFFOpen(target.c_str(), "w");
    if (!tif) {
      state.SkipWithError("TIFFOpen failed");
      break;
    }
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(kWidth));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(kHeight));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                 ours_before ? uint32_t(65536 / (kWidth * 3)) : TIFFDefaultStripSize(tif, uint32_t(-1)));
    std::vector<unsigned char> row(size_t(kWidth) * 3);
    bool ok = true;
    for (int32_t y = 0; y < kHeight && ok; ++y) {
      // libtiff predicts in place, so each row goes through a copy, as in tiffcp.
      std::memcpy(row.data(), rgb.data() + size_t(y) * row.size(), row.size());
      ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) >= 0;
    }
    TIFFClose(tif);
    if (!ok) {
      state.SkipWithError("TIFFWriteScanline failed");
      break;
    }
  }
  state.counters["MB"] = double(file_size(target)) / 1e6;
}

// A writer of the library into memory, `how` its settings: one iteration per
// call of `save`, with the file's size as a counter.
template <class Settings, class Save>
void encodeToMemory(benchmark::State &state, const Settings &how, Save save, const char *name)
{
  const dib &p = photo();
  bk3::PictureShape shape;
  shape.bits = 24, shape.width = kWidth, shape.height = kHeight;
  size_t size = 0;
  for (auto _ : state) {
    bk3::MemoryWriter out;
    out.bytes.reserve(size_t(kWidth) * kHeight * 3);
    bk3::Progress progress(nullptr);
    if (!save(p, shape, out, progress, how)) {
      state.SkipWithError(name);
      break;
    }
    size = out.bytes.size();
  }
  state.counters["MB"] = double(size) / 1e6;
}

// The library's TIFF writer into memory at Deflate level range(0), with range(1)
// threads and strips of range(2) KiB: the table from which its defaults were chosen.
void BM_TiffDeflate(benchmark::State &state)
{
  bk3::TiffDeflate how;
  how.level = int(state.range(0));
  how.threads = int(state.range(1));
  how.strip_bytes = state.range(2) << 10;
  encodeToMemory(state, how, bk3::tiff_save_with, "tiff_save_with failed");
}

// The library's PNG writer into memory at zlib level range(0) with the row filters
// range(1) (libspng's SPNG_FILTER_CHOICE flags): the table of its defaults.
void BM_PngDeflate(benchmark::State &state)
{
  bk3::PngDeflate how;
  how.level = int(state.range(0));
  how.filters = int(state.range(1));
  encodeToMemory(state, how, bk3::png_save_with, "png_save_with failed");
}

BENCHMARK(BM_SpngDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SpngEncode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_TurboJpegDecompress)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_TurboJpegCompress)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
// Every format, by index into `formats`; slow encoders run once per repetition.
BENCHMARK(BM_ReadFile)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Open)->DenseRange(0, 8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
// Stages of opening the run-length and uncompressed formats (bmp, iff, pcx, tga).
BENCHMARK(BM_Decode)
    ->Arg(0)->Arg(2)->Arg(4)->Arg(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_FreshPicturePages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_Save)->DenseRange(0, 8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
// The encoding stage of saving the run-length formats (iff, pcx, tga).
BENCHMARK(BM_Encode)
    ->Arg(2)->Arg(4)->Arg(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_SaveUnsynced)
    ->Arg(0)->Arg(2)->Arg(4)->Arg(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
// The anchor of saving the formats written without a foreign library (bmp, iff, pcx,
// tga), with and without the sync.
BENCHMARK(BM_WriteFile)
    ->ArgsProduct({{0, 2, 4, 5}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
// TIFF saving: libtiff's own writer, and ours by level, threads and strip size.
BENCHMARK(BM_LibtiffDeflate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_TiffDeflate)
    ->ArgNames({"level", "threads", "stripKiB"})
    ->ArgsProduct({{1, 2, 3, 4, 6}, {1, 2}, {256}})
    ->Args({2, 2, 64})
    ->Args({2, 2, 1024})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
// PNG saving by zlib level and row filters (248 all, 8 none, 16 sub, 32 up, 128 Paeth).
BENCHMARK(BM_PngDeflate)
    ->ArgNames({"level", "filters"})
    ->ArgsProduct({{1, 2, 3}, {248, 16, 32, 128}})
    ->Args({3, 8})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
