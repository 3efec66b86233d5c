// TIFF through libtiff, reading from and writing to memory. The first page is read at
// its own depth when it is bilevel, palette (1, 2, 4, 8 bits) or 4- or 8-bit grey in
// strips; everything else libtiff can decode goes through its RGBA interface to 24
// bits. libtiff's messages go to a per-file handler instead of stderr.
#include "codecs/formats.h"

#include <libdeflate.h>
#include <tiffio.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace bk3 {

namespace {

struct MemoryFile {
  const uint8_t *data = nullptr; // reading
  std::vector<uint8_t> *buffer = nullptr; // writing
  uint64_t size = 0;
  uint64_t pos = 0;
  bool failed = false; // a libtiff error was reported
};

tmsize_t mem_read(thandle_t h, void *buf, tmsize_t n)
{
  auto *f = static_cast<MemoryFile *>(h);
  if (n < 0 || f->pos >= f->size)
    return 0;
  const uint64_t k = std::min<uint64_t>(uint64_t(n), f->size - f->pos);
  std::memcpy(buf, (f->data ? f->data : f->buffer->data()) + f->pos, size_t(k));
  f->pos += k;
  return tmsize_t(k);
}

tmsize_t mem_write(thandle_t h, void *buf, tmsize_t n)
{
  auto *f = static_cast<MemoryFile *>(h);
  if (!f->buffer || n < 0)
    return -1;
  const uint64_t end = f->pos + uint64_t(n);
  if (end > f->buffer->size())
    f->buffer->resize(size_t(end));
  std::memcpy(f->buffer->data() + f->pos, buf, size_t(n));
  f->pos = end;
  f->size = std::max(f->size, end);
  return n;
}

toff_t mem_seek(thandle_t h, toff_t off, int whence)
{
  auto *f = static_cast<MemoryFile *>(h);
  const uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->size : 0;
  f->pos = base + off; // a position past the end reads nothing

  return f->pos;
}

int mem_close(thandle_t) { return 0; }
toff_t mem_size(thandle_t h) { return static_cast<MemoryFile *>(h)->size; }

int mem_map(thandle_t h, void **base, toff_t *size)
{
  auto *f = static_cast<MemoryFile *>(h);
  if (!f->data)
    return 0;
  *base = const_cast<uint8_t *>(f->data);
  *size = f->size;
  return 1;
}

void mem_unmap(thandle_t, void *, toff_t) {}

int on_error(TIFF *, void *user, const char *, const char *, va_list)
{
  static_cast<MemoryFile *>(user)->failed = true;
  return 1; // handled: nothing reaches stderr
}

int on_warning(TIFF *, void *, const char *, const char *, va_list) { return 1; }

struct Close {
  void operator()(TIFF *t) const { TIFFClose(t); }
};
using Tiff = std::unique_ptr<TIFF, Close>;

TIFF *open_memory(MemoryFile &file, const char *mode)
{
  std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions *)> options(TIFFOpenOptionsAlloc(),
                                                                       TIFFOpenOptionsFree);
  if (!options)
    return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), on_error, &file);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), on_warning, &file);
  // No single block libtiff allocates for a picture we accept is near this large.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(1) << 30);
  return TIFFClientOpenExt("memory", mode, &file, mem_read, mem_write, mem_seek, mem_close, mem_size, mem_map,
                           mem_unmap, options.get());
}

struct Fields {
  uint32_t width = 0, height = 0;
  uint16_t bits = 1, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, compression = 1;
  uint16_t orientation = ORIENTATION_TOPLEFT;
};

// Colour maps are 16-bit, but some writers put 8-bit values in them.
void read_colour_map(TIFF *t, int bits, RGBQUAD *table)
{
  uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
  if (!TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b))
    return;
  const int n = 1 << bits;
  bool eight = true;
  for (int i = 0; i < n; ++i)
    if (r[i] > 255 || g[i] > 255 || b[i] > 255)
      eight = false;
  // v * 255 / 65535 without rounding, the colours ImageMagick shows for such files.
  auto to8 = [eight](uint16_t v) { return uint8_t(eight ? v : uint32_t(v) * 255 / 65535); };
  for (int i = 0; i < n; ++i)
    table[i] = {to8(b[i]), to8(g[i]), to8(r[i]), 0};
}

// Bilevel, palette and 4/8-bit grey pages in strips, read row by row at their own
// depth (2-bit palettes widened to 4 bits).
Error load_own_depth(TIFF *t, const Fields &f, dib *result, Progress &progress)
{
  RGBQUAD table[256] = {};
  int bits = f.bits;
  const bool invert = f.photometric == PHOTOMETRIC_MINISWHITE;
  if (f.photometric == PHOTOMETRIC_PALETTE) {
    read_colour_map(t, f.bits, table);
    if (bits == 2)
      bits = 4;
  } else {
    const int levels = 1 << f.bits;
    for (int i = 0; i < levels; ++i) {
      const uint8_t v = uint8_t(i * 255 / (levels - 1));
      table[i] = {v, v, v, 0};
    }
    if (invert && f.bits == 1)
      std::swap(table[0], table[1]); // white is 0: keep the bits, swap the table
  }
  if (Error e = make_dib(result, int32_t(f.width), int32_t(f.height), bits, table, 256))
    return e;
  const tmsize_t line = TIFFScanlineSize(t);
  if (line <= 0 || uint64_t(line) < (uint64_t(f.width) * f.bits + 7) / 8)
    return msg::damaged;
  std::vector<uint8_t> buffer(static_cast<size_t>(line));
  for (uint32_t y = 0; y < f.height; ++y) {
    if (TIFFReadScanline(t, buffer.data(), y, 0) < 0)
      return msg::damaged;
    uint8_t *row = result->poi + int64_t(f.height - 1 - y) * result->bytew;
    if (f.bits == 2) {
      for (uint32_t x = 0; x < f.width; ++x) {
        const uint8_t v = (buffer[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        row[x >> 1] |= (x & 1) ? v : uint8_t(v << 4);
      }
    } else {
      std::memcpy(row, buffer.data(), size_t((uint64_t(f.width) * f.bits + 7) / 8));
      if (invert && f.bits > 1)
        for (int64_t i = 0; i < (int64_t(f.width) * f.bits + 7) / 8; ++i)
          row[i] = uint8_t(~row[i]);
    }
    progress.step(y + 1, f.height);
  }
  return nullptr;
}

// Everything else through libtiff's RGBA interface, a band of rows at a time, so
// only the picture itself is as large as the picture.
Error load_rgba(TIFF *t, const Fields &f, dib *result, Progress &progress)
{
  char message[1024] = {};
  if (!TIFFRGBAImageOK(t, message))
    return msg::unsupported;
  TIFFRGBAImage img;
  if (!TIFFRGBAImageBegin(&img, t, 1, message))
    return msg::damaged;
  struct End {
    TIFFRGBAImage *img;
    ~End() { TIFFRGBAImageEnd(img); }
  } end{&img};
  if (Error e = make_dib(result, int32_t(f.width), int32_t(f.height), 24, nullptr, 0))
    return e;

  // Bands work for pages stored top-down; other orientations are read whole, so the
  // flips libtiff applies cover the page and not each band.
  const bool banded = f.orientation == ORIENTATION_TOPLEFT;
  uint32_t band = banded ? 64 : f.height;
  if (!banded && uint64_t(f.width) * f.height > (uint64_t(1) << 28))
    return msg::bad_size;
  img.req_orientation = ORIENTATION_TOPLEFT;
  std::vector<uint32_t> raster;
  try {
    raster.resize(size_t(f.width) * band);
  } catch (const std::bad_alloc &) {
    return msg::no_memory;
  }
  for (uint32_t top = 0; top < f.height; top += band) {
    const uint32_t rows = std::min(band, f.height - top);
    img.row_offset = int(top);
    img.col_offset = 0;
    if (!TIFFRGBAImageGet(&img, raster.data(), f.width, rows))
      return msg::damaged;
    for (uint32_t r = 0; r < rows; ++r) {
      const uint32_t *src = raster.data() + size_t(r) * f.width;
      uint8_t *dst = result->poi + int64_t(f.height - 1 - (top + r)) * result->bytew;
      for (uint32_t x = 0; x < f.width; ++x) {
        const uint32_t p = src[x];
        dst[3 * x] = uint8_t(TIFFGetB(p));
        dst[3 * x + 1] = uint8_t(TIFFGetG(p));
        dst[3 * x + 2] = uint8_t(TIFFGetR(p));
      }
    }
    progress.step(top + rows, f.height);
  }
  return nullptr;
}

// The strip or tile data must lie within the file, and uncompressed data must be
// as large as the picture it declares: otherwise a file of a few bytes is refused
// before the whole picture (a gigabyte for a turned one) is allocated.
Error check_strips(TIFF *t, const Fields &f, uint64_t size)
{
  const bool tiled = TIFFIsTiled(t);
  const uint32_t count = tiled ? TIFFNumberOfTiles(t) : TIFFNumberOfStrips(t);
  if (count == 0)
    return msg::damaged;
  uint64_t total = 0;
  for (uint32_t i = 0; i < count; ++i) {
    int failed = 0;
    const uint64_t at = TIFFGetStrileOffsetWithErr(t, i, &failed);
    const uint64_t bytes = TIFFGetStrileByteCountWithErr(t, i, &failed);
    if (failed || at > size || bytes > size - at)
      return msg::damaged;
    total += bytes;
  }
  if (f.compression != COMPRESSION_NONE)
    return nullptr;
  const uint64_t planes = f.planar == PLANARCONFIG_SEPARATE ? f.samples : 1;
  const uint64_t needed = tiled ? TIFFTileSize64(t) * count : TIFFScanlineSize64(t) * f.height * planes;
  return total < needed ? msg::damaged : nullptr;
}

Error load_page(TIFF *t, MemoryFile &file, dib *result, Progress &progress)
{
  Fields f;
  if (!TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &f.width) || !TIFFGetField(t, TIFFTAG_IMAGELENGTH, &f.height))
    return msg::bad_header;
  TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &f.bits);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &f.samples);
  TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &f.planar);
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &f.compression);
  TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &f.orientation);
  if (!TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &f.photometric))
    f.photometric = f.samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB;
  if (Error e = check_size(f.width, f.height))
    return e;
  if (!TIFFIsCODECConfigured(f.compression))
    return msg::bad_compression;
  if (Error e = check_strips(t, f, file.size))
    return e;

  const bool grey = f.photometric == PHOTOMETRIC_MINISBLACK || f.photometric == PHOTOMETRIC_MINISWHITE;
  const bool palette = f.photometric == PHOTOMETRIC_PALETTE;
  const bool own_depth = !TIFFIsTiled(t) && f.samples == 1 && f.orientation == ORIENTATION_TOPLEFT &&
                         ((grey && (f.bits == 1 || f.bits == 4 || f.bits == 8)) ||
                          (palette && (f.bits == 1 || f.bits == 2 || f.bits == 4 || f.bits == 8)));
  Error e = own_depth ? load_own_depth(t, f, result, progress) : load_rgba(t, f, result, progress);
  if (!e && file.failed)
    e = msg::damaged;
  return e;
}

} // namespace

bool tiff_sniff(const uint8_t *d, size_t n)
{
  return n >= 4 && ((d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
                    (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43)));
}

Error tiff_load(const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  MemoryFile file;
  file.data = data;
  file.size = size;
  Tiff t(open_memory(file, "r"));
  if (!t)
    return tiff_sniff(data, size) ? msg::damaged : msg::unknown_format;
  return load_page(t.get(), file, result, progress);
}

namespace {

// One strip's rows as TIFF stores them, top row first: 24-bit rows turned to RGB
// with the horizontal predictor applied in the same pass (each byte less the same
// channel of the pixel before), palette rows as they are.
void strip_rows(const dib &picture, const PictureShape &shape, int64_t first, int64_t rows, uint8_t *out)
{
  const int64_t width = shape.width, height = shape.height;
  const bool bottom_up = picture.pmi->bmiHeader.biHeight > 0;
  const int64_t line = (width * shape.bits + 7) / 8;
  for (int64_t y = first; y < first + rows; ++y, out += line) {
    const uint8_t *s = picture.poi + (bottom_up ? height - 1 - y : y) * int64_t(picture.bytew);
    if (shape.bits != 24) {
      std::memcpy(out, s, size_t(line));
      continue;
    }
    out[0] = s[2], out[1] = s[1], out[2] = s[0];
    for (int64_t x = 1; x < width; ++x) {
      const uint8_t *p = s + 3 * x;
      uint8_t *d = out + 3 * x;
      d[0] = uint8_t(p[2] - p[-1]);
      d[1] = uint8_t(p[1] - p[-2]);
      d[2] = uint8_t(p[0] - p[-3]);
    }
  }
}

// A strip's compressed bytes, at `at` in one block that has room for each strip's
// worst case: allocated once, not per strip (mapping and unmapping blocks of this
// size per strip costs more than compressing them at the fast levels).
struct Compressed {
  size_t at = 0;
  size_t size = 0;
};

struct Free {
  void operator()(uint8_t *p) const { std::free(p); }
};
using Block = std::unique_ptr<uint8_t[], Free>;

struct FreeCompressor {
  void operator()(libdeflate_compressor *c) const { libdeflate_free_compressor(c); }
};

// Every strip Deflate-compressed (zlib format, as TIFF wants it), by the calling
// thread and, when asked, one helper taking strips from the same counter; only the
// calling thread reports progress.
bool compress_strips(const dib &picture, const PictureShape &shape, const TiffDeflate &how, int64_t rows_per_strip,
                     std::vector<Compressed> &strips, Block &block, Progress &progress)
{
  const int64_t line = (int64_t(shape.width) * shape.bits + 7) / 8;
  const int64_t count = int64_t(strips.size());
  std::atomic<int64_t> next{0}, done{0};
  std::atomic<bool> failed{false};
  // libdeflate's bound for a full strip at this level, the room of every strip.
  std::unique_ptr<libdeflate_compressor, FreeCompressor> sizing(libdeflate_alloc_compressor(how.level));
  if (!sizing)
    return false;
  const size_t bound = libdeflate_zlib_compress_bound(sizing.get(), size_t(line * rows_per_strip));
  sizing.reset();
  if (bound > SIZE_MAX / strips.size())
    return false;
  block.reset(static_cast<uint8_t *>(std::malloc(bound * strips.size())));
  if (!block)
    return false;
  auto work = [&](bool reports) {
    try {
      std::unique_ptr<libdeflate_compressor, FreeCompressor> c(libdeflate_alloc_compressor(how.level));
      std::unique_ptr<uint8_t[]> raw(new uint8_t[size_t(line * rows_per_strip)]);
      if (!c)
        throw std::bad_alloc();
      for (int64_t i; !failed && (i = next++) < count;) {
        const int64_t first = i * rows_per_strip;
        const int64_t rows = std::min<int64_t>(rows_per_strip, shape.height - first);
        const size_t n = size_t(line * rows);
        strip_rows(picture, shape, first, rows, raw.get());
        Compressed &strip = strips[size_t(i)];
        strip.at = size_t(i) * bound;
        strip.size = libdeflate_zlib_compress(c.get(), raw.get(), n, block.get() + strip.at, bound);
        if (strip.size == 0)
          failed = true;
        ++done;
        if (reports)
          progress.step(done, count);
      }
    } catch (const std::bad_alloc &) {
      failed = true;
    }
  };
  std::thread helper;
  if (how.threads > 1 && count > 1) {
    try {
      helper = std::thread(work, false);
    } catch (const std::system_error &) {
      // no second thread: the calling one does it all
    }
  }
  work(true);
  if (helper.joinable())
    helper.join();
  progress.step(count, count);
  return !failed;
}

int64_t rows_per_strip_of(const PictureShape &shape, int64_t strip_bytes)
{
  const int64_t line = (int64_t(shape.width) * shape.bits + 7) / 8;
  return std::clamp<int64_t>(strip_bytes / line, 1, shape.height);
}

} // namespace

// 24-bit pictures as RGB with Deflate and the horizontal predictor; palette pictures
// keep their table and depth. The strips are compressed here, not by libtiff, so the
// predictor costs no extra pass and both cores share the work.
bool tiff_save_with(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress,
                    const TiffDeflate &how)
{
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  const int bits = shape.bits;
  const int64_t rows_per_strip = rows_per_strip_of(shape, how.strip_bytes);
  std::vector<Compressed> strips;
  try {
    strips.resize(size_t((shape.height + rows_per_strip - 1) / rows_per_strip));
  } catch (const std::bad_alloc &) {
    return false;
  }
  Block block;
  if (!compress_strips(picture, shape, how, rows_per_strip, strips, block, progress))
    return false;

  size_t total = 4096 + 16 * strips.size();
  for (const Compressed &s : strips)
    total += s.size;
  std::vector<uint8_t> bytes;
  MemoryFile file;
  file.buffer = &bytes;
  try {
    bytes.reserve(total);
  } catch (const std::bad_alloc &) {
    return false;
  }
  {
    Tiff t(open_memory(file, "w"));
    if (!t)
      return false;
    TIFF *tif = t.get();
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(shape.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(shape.height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(bits == 24 ? 8 : bits));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(bits == 24 ? 3 : 1));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(rows_per_strip));
    if (bits == 24) {
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
      TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    } else {
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
      const RGBQUAD *table = colour_table(picture);
      std::vector<uint16_t> r(size_t(1) << bits), g(r.size()), b(r.size());
      for (size_t i = 0; i < r.size(); ++i) {
        r[i] = uint16_t(table[i].rgbRed * 257);
        g[i] = uint16_t(table[i].rgbGreen * 257);
        b[i] = uint16_t(table[i].rgbBlue * 257);
      }
      TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    }
    if (h.biXPelsPerMeter > 0 && h.biYPelsPerMeter > 0) {
      TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
      TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(h.biXPelsPerMeter / 100.0));
      TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(h.biYPelsPerMeter / 100.0));
    }
    for (size_t i = 0; i < strips.size(); ++i) {
      if (TIFFWriteRawStrip(tif, uint32_t(i), block.get() + strips[i].at, tmsize_t(strips[i].size)) < 0)
        return false;
    }
    if (!TIFFWriteDirectory(tif))
      return false;
  }
  if (file.failed)
    return false;
  return out.write(bytes.data(), bytes.size());
}

bool tiff_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  return tiff_save_with(picture, shape, out, progress, TiffDeflate{});
}

} // namespace bk3
