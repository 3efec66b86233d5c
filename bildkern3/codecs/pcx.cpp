// PCX pictures: 1, 2 and 4 bits packed or in bitplanes, 8 bits with the 256-colour
// palette at the end, 24 bits in three planes (a fourth, alpha, plane is dropped);
// run-length or uncompressed. Every header field is checked before it is used.
#include "codecs/formats.h"
#include "codecs/halves.h"
#include "codecs/planar.h"
#include "codecs/rowcoders.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace bk3 {

namespace {

constexpr size_t header_bytes = 128;
constexpr size_t palette_bytes = 769; // the 0x0C marker and 256 entries
constexpr uint64_t chunk_bytes = 256 << 10;

uint16_t le16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

// The default EGA colours, for files that predate the header palette (version 3).
const uint8_t ega[16][3] = {{0, 0, 0},       {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                            {170, 0, 0},     {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                            {85, 85, 85},    {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                            {255, 85, 85},   {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};

struct Header {
  int version = 0;
  bool rle = false;
  int bits = 0;   // per pixel in one plane
  int planes = 0;
  int64_t width = 0, height = 0;
  int64_t line_bytes = 0; // of one plane
  int dpi_x = 0, dpi_y = 0;
};

Error parse(const uint8_t *d, size_t size, Header &h)
{
  if (size < 1 || d[0] != 0x0A)
    return msg::unknown_format;
  if (size < header_bytes)
    return msg::incomplete;
  h.version = d[1];
  if (d[2] > 1)
    return msg::bad_compression;
  h.rle = d[2] == 1;
  h.bits = d[3];
  const int xmin = le16(d + 4), ymin = le16(d + 6), xmax = le16(d + 8), ymax = le16(d + 10);
  h.dpi_x = le16(d + 12), h.dpi_y = le16(d + 14);
  h.planes = d[65];
  h.line_bytes = le16(d + 66);
  h.width = int64_t(xmax) - xmin + 1;
  h.height = int64_t(ymax) - ymin + 1;
  if (Error e = check_size(h.width, h.height))
    return e;
  const bool known = (h.bits == 1 && h.planes >= 1 && h.planes <= 4) || ((h.bits == 2 || h.bits == 4) && h.planes == 1) ||
                     (h.bits == 8 && (h.planes == 1 || h.planes == 3 || h.planes == 4));
  if (!known)
    return msg::bad_depth;
  if (h.line_bytes < (h.width * h.bits + 7) / 8)
    return msg::bad_header;
  return nullptr;
}

// The pixel bytes the header declares against the `available` bytes after it.
Error check_room(const Header &h, uint64_t available)
{
  const uint64_t total = uint64_t(h.line_bytes) * uint64_t(h.planes) * uint64_t(h.height);
  // A run's two bytes give at most 63 bytes of pixels.
  return (h.rle ? total > available * 32 : total > available) ? msg::damaged : nullptr;
}

// Bytes with both top bits set are run counts (unless they are a run's value).
// Bit j of the result is set when byte j of the 64 at `d` has both top bits set.
uint64_t high_bytes(const uint8_t *d)
{
  uint64_t mask = 0;
  for (int k = 0; k < 4; ++k)
    mask |= uint64_t(high16(d + 16 * k)) << (16 * k);
  return mask;
}

// The counts among 64 bytes starting at a code (a count or a literal byte): in each
// stretch of bytes with both top bits set, the first is a count, the next its
// value, and so on. Adding a stretch's first bit to the stretch clears it, which
// tells the stretches that start at an even position from the others.
uint64_t counts_of(uint64_t high)
{
  constexpr uint64_t even = 0x5555555555555555u;
  const uint64_t starts = high & ~(high << 1);
  const uint64_t from_even = high & ~(high + (starts & even));
  return (from_even & even) | (high & ~from_even & ~even);
}

// Copies `n` (at most 64) bytes, perhaps writing and reading up to 64.
void copy_short(uint8_t *dst, const uint8_t *src, size_t n)
{
  std::memcpy(dst, src, 16);
  if (n > 16) {
    std::memcpy(dst + 16, src + 16, 16);
    if (n > 32)
      std::memcpy(dst + 32, src + 32, 32);
  }
}

// A run of `n` (at most 63) bytes, perhaps writing up to 64.
void fill_short(uint8_t *dst, uint8_t value, size_t n)
{
  uint8_t v[16];
  std::memset(v, value, 16);
  std::memcpy(dst, v, 16);
  for (size_t i = 16; i < n; i += 16)
    std::memcpy(dst + i, v, 16);
}

// What one block of 64 input bytes gives at most (32 full runs), and how far the
// copies above may write beyond.
constexpr size_t block_output = 32 * 63 + 64;

// Unpacks `n` bytes (one or more lines, all planes) from d[p, end) into `out`, or
// only passes over them when not `write`. Runs may carry over into the next call
// (`run` bytes of `value` still to give). False when the data ends first.
template <bool write>
bool unpack_lines(const uint8_t *d, size_t end, size_t &p, unsigned &run, uint8_t &value, uint8_t *out, size_t n)
{
  size_t i = 0;
  if (run > 0) {
    i = std::min<size_t>(run, n);
    if (write)
      std::memset(out, value, i);
    run -= unsigned(i);
  }
  // Photographs alternate short literal stretches and short runs, which defeat the
  // branch predictor byte by byte, and a count found only after the one before it
  // makes every run wait for the last. Away from the ends of the output and the
  // data, the counts of 64 bytes are found at once. Stretches and runs are written
  // 16 bytes at a time; later bytes overwrite what was written too far.
  while (n - i >= block_output + 64 && end - p >= 160) {
    uint64_t counts = counts_of(high_bytes(d + p));
    size_t from = 0; // the first byte of the block not yet used
    while (counts) {
      const size_t c = size_t(__builtin_ctzll(counts));
      if (write)
        copy_short(out + i, d + p + from, c - from);
      i += c - from;
      const size_t k = d[p + c] & 0x3F;
      if (write)
        fill_short(out + i, d[p + c + 1], k);
      i += k;
      from = c + 2;
      counts &= counts - 1;
    }
    if (from < 64) {
      if (write)
        copy_short(out + i, d + p + from, 64 - from);
      i += 64 - from;
      from = 64;
    }
    p += from; // 65 when the last byte was a count
  }
  while (i < n) {
    if (run > 0) {
      const size_t k = std::min<size_t>(run, n - i);
      if (write)
        std::memset(out + i, value, k);
      i += k;
      run -= unsigned(k);
      continue;
    }
    if (p >= end)
      return false;
    const uint8_t c = d[p++];
    if ((c & 0xC0) != 0xC0) {
      if (write)
        out[i] = c;
      ++i;
      continue;
    }
    if (p >= end)
      return false;
    run = c & 0x3F;
    value = d[p++];
  }
  return true;
}

// The lines of a picture being decoded, and where decoding stands in the file:
// the next byte and the run being given.
struct Lines {
  const Header &h;
  int bits;
  const uint8_t *d;
  size_t end;
  dib *result;
};
struct Cursor {
  size_t p;
  unsigned run;
  uint8_t value;
};

// Lines [from, to) into the picture, read from `at` on.
Error decode_lines(const Lines &lines, Cursor at, int64_t from, int64_t to, Progress *progress)
{
  const Header &h = lines.h;
  const int bits = lines.bits;
  const uint8_t *d = lines.d;
  dib *result = lines.result;
  const uint64_t line = uint64_t(h.line_bytes) * uint64_t(h.planes);
  // Lines are unpacked a few hundred kilobytes at a time, so the unpacker runs far
  // from the end of its output most of the time.
  const int64_t chunk_lines = std::max<int64_t>(1, std::min<int64_t>(to - from, int64_t(chunk_bytes / line)));
  std::vector<uint8_t> buffer;
  try {
    buffer.resize(h.rle ? size_t(line) * size_t(chunk_lines) : 0);
  } catch (const std::bad_alloc &) {
    return msg::no_memory;
  }
  size_t p = at.p;
  unsigned run = at.run; // bytes of the current run still to give
  uint8_t value = at.value;
  const uint8_t *plane = nullptr;
  for (int64_t y = from; y < to; ++y) {
    if (!h.rle) {
      plane = d + p; // check_room made sure the lines are there
      p += size_t(line);
    } else if ((y - from) % chunk_lines == 0) {
      const int64_t n = std::min(chunk_lines, to - y);
      if (!unpack_lines<true>(d, lines.end, p, run, value, buffer.data(), size_t(line) * size_t(n)))
        return msg::damaged;
      if (y + n == h.height && run > 0)
        return msg::damaged;
      plane = buffer.data();
    } else {
      plane += line;
    }
    uint8_t *dst = result->poi + (h.height - 1 - y) * int64_t(result->bytew);
    const int64_t w = h.width, lb = h.line_bytes;
    if (bits == 24) {
      channels_to_bgr(plane, plane + lb, plane + 2 * lb, dst, size_t(w));
    } else if (bits == 8 || bits == 1 || h.bits == 4) {
      std::memcpy(dst, plane, size_t((w * bits + 7) / 8));
    } else if (h.bits == 2) {
      for (int64_t x = 0; x < w; ++x)
        dst[x >> 1] |= uint8_t(((plane[x >> 2] >> (6 - 2 * (x & 3))) & 3) << ((x & 1) ? 0 : 4));
    } else {
      // 1 bit in 2 to 4 planes: plane p gives bit p of the index.
      for (int64_t x = 0; x < w; ++x) {
        unsigned v = 0;
        for (int q = 0; q < h.planes; ++q)
          v |= unsigned((plane[q * lb + (x >> 3)] >> (7 - (x & 7))) & 1) << q;
        dst[x >> 1] |= uint8_t(v << ((x & 1) ? 0 : 4));
      }
    }
    if (progress)
      progress->step(y + 1 - from, to - from);
  }
  return nullptr;
}

// A large run-length picture in two halves at once: the upper half's lines are
// passed over (not written) to find where the lower half starts, which another
// thread decodes. Null when that is not possible; then the caller does it all.
std::optional<Error> in_halves(const Lines &lines, Cursor start, Progress &progress)
{
  const Header &h = lines.h;
  const int64_t half = h.height / 2;
  if (!h.rle || h.width * h.height < halves_from_pixels)
    return std::nullopt;
  Cursor middle = start;
  const uint64_t line = uint64_t(h.line_bytes) * uint64_t(h.planes);
  if (!unpack_lines<false>(lines.d, lines.end, middle.p, middle.run, middle.value, nullptr, size_t(line) * size_t(half)))
    return std::nullopt; // damaged in the upper half: found and reported in order
  Error upper = nullptr, lower = nullptr;
  if (!run_in_halves([&] { upper = decode_lines(lines, start, 0, half, &progress); },
                     [&] { lower = decode_lines(lines, middle, half, h.height, nullptr); }))
    return std::nullopt;
  return upper ? upper : lower;
}

} // namespace

Error pcx_check_head(const uint8_t *head, size_t size, uint64_t file_size)
{
  Header h;
  if (Error e = parse(head, size, h))
    return e;
  const uint64_t tail = h.bits == 8 && h.planes == 1 ? palette_bytes : 0;
  if (file_size < header_bytes + tail)
    return msg::damaged;
  return check_room(h, file_size - header_bytes - tail);
}

bool pcx_sniff(const uint8_t *d, size_t n)
{
  // No magic beyond the first byte, so the version, encoding and depth must fit too.
  return n >= header_bytes && d[0] == 0x0A && (d[1] <= 5 && d[1] != 1) && d[2] <= 1 &&
         (d[3] == 1 || d[3] == 2 || d[3] == 4 || d[3] == 8);
}

Error pcx_load(const uint8_t *d, size_t size, dib *result, Progress &progress)
{
  Header h;
  if (Error e = parse(d, size, h))
    return e;

  // The 256-colour palette of 8-bit pictures follows the pixels. It is required: a
  // file cut anywhere in it would otherwise pass for one without.
  size_t end = size;
  RGBQUAD table[256] = {};
  const bool eight = h.bits == 8 && h.planes == 1;
  if (eight) {
    if (size < header_bytes + palette_bytes || d[size - palette_bytes] != 0x0C)
      return msg::damaged;
    end = size - palette_bytes;
    for (int i = 0; i < 256; ++i) {
      const uint8_t *c = d + end + 1 + 3 * i;
      table[i] = RGBQUAD{c[2], c[1], c[0], 0};
    }
  } else if (h.bits * h.planes <= 4) {
    const uint8_t *c = d + 16;
    bool blank = true;
    for (int i = 0; i < 48; ++i)
      blank &= c[i] == 0;
    if (h.bits * h.planes == 1 && (blank || h.version == 3 || std::memcmp(c, c + 3, 3) == 0)) {
      // Monochrome files often leave the header palette empty: black and white.
      table[1] = RGBQUAD{255, 255, 255, 0};
    } else {
      for (int i = 0; i < 16; ++i) {
        const uint8_t *e = h.version == 3 || blank ? ega[i] : c + 3 * i;
        table[i] = RGBQUAD{e[2], e[1], e[0], 0};
      }
    }
  }

  if (Error e = check_room(h, end - header_bytes))
    return e;

  const int bits = h.planes >= 3 && h.bits == 8 ? 24 : eight ? 8 : h.bits * h.planes == 1 ? 1 : 4;
  if (Error e = make_dib(result, int32_t(h.width), int32_t(h.height), bits, table, 256))
    return e;
  prefer_huge_pages(result->poi, size_t(result->bytew) * size_t(h.height));

  const Lines lines{h, bits, d, end, result};
  const Cursor start{header_bytes, 0, 0};
  const std::optional<Error> halves = in_halves(lines, start, progress);
  if (Error e = halves ? *halves : decode_lines(lines, start, 0, h.height, &progress))
    return e;
  const double inch = 0.0254;
  result->pmi->bmiHeader.biXPelsPerMeter = int32_t(h.dpi_x / inch + 0.5);
  result->pmi->bmiHeader.biYPelsPerMeter = int32_t(h.dpi_y / inch + 0.5);
  return nullptr;
}

// Version 5, run-length: 24-bit pictures in three planes of 8 bits, 8-bit ones with
// the 256-colour palette at the end, 4-bit ones in four bitplanes with their colours
// in the header. Readers take a single bitplane as black and white whatever the
// header says, so only black-and-white 1-bit pictures are written so; other 1-bit
// pictures go in four planes like 4-bit ones.
bool pcx_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  const BITMAPINFOHEADER &bh = picture.pmi->bmiHeader;
  const int bits = shape.bits;
  const int64_t width = shape.width;
  const int64_t height = shape.height;
  const RGBQUAD *table = bits <= 8 ? colour_table(picture) : nullptr;
  const auto is = [](const RGBQUAD &c, uint8_t v) { return c.rgbRed == v && c.rgbGreen == v && c.rgbBlue == v; };
  const bool mono = bits == 1 && is(table[0], 0) && is(table[1], 255);
  const int planes = bits == 24 ? 3 : bits == 8 || mono ? 1 : 4;
  const int plane_bits = bits == 24 || bits == 8 ? 8 : 1;
  const int64_t line_bytes = ((width * plane_bits + 7) / 8 + 1) & ~int64_t(1);
  if (line_bytes > 0xFFFF)
    return false;

  uint8_t head[header_bytes] = {0x0A, 5, 1, uint8_t(plane_bits)};
  auto put16 = [&](size_t at, int64_t v) { head[at] = uint8_t(v), head[at + 1] = uint8_t(v >> 8); };
  put16(8, width - 1);
  put16(10, height - 1);
  const auto dpi = [](int32_t ppm) { return ppm > 0 ? std::min<int64_t>(int64_t(ppm * 0.0254 + 0.5), 0xFFFF) : 72; };
  put16(12, dpi(bh.biXPelsPerMeter));
  put16(14, dpi(bh.biYPelsPerMeter));
  if (planes == 4 || mono)
    for (int i = 0; i < (1 << bits); ++i)
      head[16 + 3 * i] = table[i].rgbRed, head[17 + 3 * i] = table[i].rgbGreen, head[18 + 3 * i] = table[i].rgbBlue;
  head[65] = uint8_t(planes);
  put16(66, line_bytes);
  head[68] = 1; // colour palette
  out.write(head, sizeof head);

  const size_t line_size = size_t(line_bytes * planes);
  const auto make_line = [&] { return std::vector<uint8_t>(line_size); };
  const auto row_at = [&](int64_t y) { // from the top
    return picture.poi + (bh.biHeight < 0 ? y : height - 1 - y) * int64_t(picture.bytew);
  };
  const uint8_t *const picture_end = picture.poi + height * int64_t(picture.bytew);
  const auto encode = [&](int64_t y, std::vector<uint8_t> &line, uint8_t *to) {
    const uint8_t *src = row_at(y), *next = next_in_memory(src, picture.bytew, picture_end);
    // Only what is not written over is cleared: the even line's last byte, or all
    // of the bitplanes, which are ORed together.
    if (bits == 24) {
      bgr_to_channels(src, size_t(width), line.data(), line.data() + line_bytes, line.data() + 2 * line_bytes);
      for (int q = 0; q < 3; ++q)
        std::fill(line.begin() + q * line_bytes + width, line.begin() + (q + 1) * line_bytes, 0);
    } else if (planes == 4) {
      std::fill(line.begin(), line.end(), 0);
      for (int64_t x = 0; x < width; ++x) {
        const unsigned v = bits == 4 ? (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F : (src[x >> 3] >> (7 - (x & 7))) & 1;
        for (int q = 0; q < 4; ++q)
          if (v >> q & 1)
            line[size_t(q * line_bytes + (x >> 3))] |= uint8_t(0x80 >> (x & 7));
      }
    } else {
      const int64_t bytes = (width * bits + 7) / 8;
      std::memcpy(line.data(), src, size_t(bytes));
      std::fill(line.begin() + bytes, line.begin() + line_bytes, 0);
    }
    for (int q = 0; q < planes; ++q) {
      prefetch_part(next, size_t(picture.bytew), size_t(q), size_t(planes));
      to = pcx_rle_line(line.data() + q * line_bytes, size_t(line_bytes), to);
    }
    return to;
  };
  if (encode_rows(height, 2 * line_size + coder_slack, width * height >= halves_from_pixels, bh.biHeight > 0,
                  make_line, encode, out, progress) < 0)
    return false;
  if (bits == 8) {
    out.u8(0x0C);
    for (int i = 0; i < 256; ++i) {
      const uint8_t c[3] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue};
      out.write(c, 3);
    }
  }
  return !out.failed();
}

} // namespace bk3
