// The plain row coders, and the choice between them and the fast ones.
#include "codecs/rowcoders.h"
#include "codecs/planar.h"

#include <algorithm>
#include <cstring>

namespace bk3 {

uint8_t *byterun1_row_plain(const uint8_t *src, size_t n, uint8_t *out)
{
  size_t i = 0;
  while (i < n) {
    const size_t run = same_run(src + i, std::min<size_t>(n - i, 128));
    if (run >= 3) {
      *out++ = uint8_t(1 - int(run));
      *out++ = src[i];
      i += run;
      continue;
    }
    // A literal up to where a run of three starts, looked for 16 bytes at a time.
    size_t j = i;
    const size_t limit = std::min(n, i + 128);
    bool found = false;
    while (!found && j + 18 <= n && j + 16 <= limit) {
      const unsigned threes = repeats16(src + j) & repeats16(src + j + 1);
      found = threes != 0;
      j += found ? size_t(__builtin_ctz(threes)) : 16;
    }
    if (!found)
      while (j < limit && !(j + 2 < n && src[j] == src[j + 1] && src[j] == src[j + 2]))
        ++j;
    *out++ = uint8_t(j - i - 1);
    std::memcpy(out, src + i, j - i);
    out += j - i;
    i = j;
  }
  return out;
}

uint8_t *pcx_rle_line_plain(const uint8_t *src, size_t n, uint8_t *out)
{
  size_t i = 0;
  while (i < n) {
    // Sixteen bytes at a time: the bytes equal to the next one and those that look
    // like counts are found together; the bytes between go as they are, copied 16
    // at a time, and each of the others starts a run, written without a branch.
    // A run reaching past the sixteen is left to the plain code below.
    while (i + 33 <= n) {
      const unsigned repeats = repeats16(src + i);
      unsigned special = repeats | high16(src + i);
      size_t from = 0;
      bool long_run = false;
      while (special) {
        const size_t c = size_t(__builtin_ctz(special));
        std::memcpy(out, src + i + from, 16);
        out += c - from;
        from = c;
        const size_t run = 1 + size_t(__builtin_ctz(~(repeats >> c)));
        if (c + run > 16) {
          long_run = true;
          break;
        }
        const uint8_t v = src[i + c];
        const bool count = run > 1 || (v & 0xC0) == 0xC0;
        out[0] = count ? uint8_t(0xC0 | run) : v;
        out[1] = v;
        out += 1 + size_t(count);
        from = c + run;
        special &= ~0u << from;
      }
      if (long_run) {
        i += from;
        break;
      }
      std::memcpy(out, src + i + from, 16);
      out += 16 - from;
      i += 16;
    }
    if (i >= n)
      break;
    out = pcx_packet(src, n, i, out);
  }
  return out;
}

namespace {

// Bit p of `equal` set where pixel p of the `n` pixels of `k` (1 or 3) bytes at
// `src` equals pixel p + 1, sixteen pixels at a time; the bits from n - 1 on are
// clear.
template <size_t k> void equal_neighbours(const uint8_t *src, size_t n, std::vector<uint64_t> &equal)
{
  equal.assign(n / 64 + 1, 0);
  size_t p = 0;
  for (; p + 16 + 1 <= n; p += 16) { // reads pixels p to p + 16
    uint64_t same;
    if (k == 1) {
      same = repeats16(src + p);
    } else {
      // Whole pixels equal where their three bytes are; every third bit to one a pixel.
      uint64_t m = uint64_t(repeats16(src + 3 * p, 3)) | uint64_t(repeats16(src + 3 * p + 16, 3)) << 16 |
                   uint64_t(repeats16(src + 3 * p + 32, 3)) << 32;
      m = m & m >> 1 & m >> 2 & 0x249249249249u;
      m = (m | m >> 2) & 0x0C30C30C30C3u;
      m = (m | m >> 4) & 0x00F00F00F00Fu;
      m = (m | m >> 8) & 0x0000FF0000FFu;
      same = (m | m >> 16) & 0xFFFFu;
    }
    equal[p / 64] |= same << (p % 64); // p is a multiple of 16: no word is straddled
  }
  for (; p + 1 < n; ++p)
    if (std::memcmp(src + p * k, src + (p + 1) * k, k) == 0)
      equal[p / 64] |= uint64_t(1) << (p % 64);
}

// The runs and the raw stretches come from the bits of equal neighbours, a word at
// a time.
template <size_t k> uint8_t *tga_packets(const uint8_t *src, size_t n, uint8_t *out, std::vector<uint64_t> &equal)
{
  equal_neighbours<k>(src, n, equal);
  const uint8_t *const row_end = src + n * k;
  for (size_t i = 0; i < n;) {
    if (equal[i / 64] >> (i % 64) & 1) {
      const size_t run = std::min<size_t>(next_bit(equal, i, false) - i + 1, 128);
      *out++ = uint8_t(0x80 | (run - 1));
      std::memcpy(out, src + i * k, k);
      out += k;
      i += run;
      continue;
    }
    const size_t j = std::min(next_bit(equal, i + 1, true), std::min(n, i + 128));
    *out++ = uint8_t(j - i - 1);
    const uint8_t *from = src + i * k;
    const size_t bytes = (j - i) * k;
    if (row_end - from >= ptrdiff_t((bytes + 15) & ~size_t(15))) {
      for (size_t b = 0; b < bytes; b += 16) // may copy up to 15 bytes more, within the row
        std::memcpy(out + b, from + b, 16);
    } else {
      std::memcpy(out, from, bytes);
    }
    out += bytes;
    i = j;
  }
  return out;
}

} // namespace

void split_bitplane_groups(const uint8_t *src, int bits, size_t width, size_t g, uint8_t *planes, size_t plane_row)
{
  for (; g * 8 < width; ++g) {
    uint32_t v[8] = {};
    for (size_t i = 0; i < 8 && g * 8 + i < width; ++i) {
      const size_t x = g * 8 + i;
      if (bits == 24)
        v[i] = src[3 * x + 2] | uint32_t(src[3 * x + 1]) << 8 | uint32_t(src[3 * x]) << 16;
      else if (bits == 8)
        v[i] = src[x];
      else if (bits == 4)
        v[i] = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
      else
        v[i] = (src[x >> 3] >> (7 - (x & 7))) & 1;
    }
    for (int k = 0; k * 8 < bits; ++k) {
      uint64_t t = 0;
      for (int i = 0; i < 8; ++i)
        t |= uint64_t((v[i] >> (8 * k)) & 0xFF) << (56 - 8 * i);
      t = transpose8(t);
      for (int b = 0; b < 8 && k * 8 + b < bits; ++b)
        planes[size_t(k * 8 + b) * plane_row + g] = uint8_t(t >> (8 * b));
    }
  }
}

namespace {

bool have_fast()
{
#if defined(__x86_64__)
  static const bool yes = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") &&
                                                     __builtin_cpu_supports("popcnt"));
  return yes;
#else
  return false;
#endif
}

bool have_wide()
{
#if defined(__x86_64__)
  static const bool yes = have_fast() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                          __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
                          __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("gfni");
  return yes;
#else
  return false;
#endif
}

} // namespace

uint8_t *tga_rle_row_plain(const uint8_t *src, size_t n, size_t k, uint8_t *out, std::vector<uint64_t> &equal)
{
  return k == 1 ? tga_packets<1>(src, n, out, equal) : tga_packets<3>(src, n, out, equal);
}

// Whole groups of eight 24- or 8-bit pixels go sixteen at a time, through the
// channel rows for 24 bits, the rest eight pixels per transposition.
void split_bitplanes_plain(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row,
                           uint8_t *channels)
{
  std::fill(planes, planes + plane_row * size_t(bits), 0);
  size_t whole = width / 8;
  if (bits == 24) {
    uint8_t *red = channels, *green = red + width, *blue = green + width;
    bgr_to_channels(src, width, red, green, blue);
    for (size_t k = 0; k < 3; ++k)
      whole = bytes_to_bitplanes(channels + k * width, whole, planes + 8 * k * plane_row, ptrdiff_t(plane_row));
  } else if (bits == 8) {
    whole = bytes_to_bitplanes(src, whole, planes, ptrdiff_t(plane_row));
  } else {
    whole = 0;
  }
  split_bitplane_groups(src, bits, width, whole, planes, plane_row);
}

bool fast_row_coders() { return have_fast(); }
bool wide_row_coders() { return have_wide(); }

#if !defined(__x86_64__)
uint8_t *byterun1_row_fast(const uint8_t *src, size_t n, uint8_t *out) { return byterun1_row_plain(src, n, out); }
uint8_t *pcx_rle_line_fast(const uint8_t *src, size_t n, uint8_t *out) { return pcx_rle_line_plain(src, n, out); }
uint8_t *tga_rle_row_fast(const uint8_t *src, size_t n, size_t k, uint8_t *out, std::vector<uint64_t> &equal)
{
  return tga_rle_row_plain(src, n, k, out, equal);
}
void split_bitplanes_fast(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row)
{
  std::vector<uint8_t> channels(3 * width);
  split_bitplanes_plain(src, bits, width, planes, plane_row, channels.data());
}
uint8_t *byterun1_row_wide(const uint8_t *src, size_t n, uint8_t *out) { return byterun1_row_plain(src, n, out); }
uint8_t *pcx_rle_line_wide(const uint8_t *src, size_t n, uint8_t *out) { return pcx_rle_line_plain(src, n, out); }
void split_bitplanes_wide(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row)
{
  split_bitplanes_fast(src, bits, width, planes, plane_row);
}
#endif

uint8_t *byterun1_row(const uint8_t *src, size_t n, uint8_t *out)
{
  if (have_wide())
    return byterun1_row_wide(src, n, out);
  return have_fast() ? byterun1_row_fast(src, n, out) : byterun1_row_plain(src, n, out);
}

uint8_t *pcx_rle_line(const uint8_t *src, size_t n, uint8_t *out)
{
  if (have_wide())
    return pcx_rle_line_wide(src, n, out);
  return have_fast() ? pcx_rle_line_fast(src, n, out) : pcx_rle_line_plain(src, n, out);
}

uint8_t *tga_rle_row(const uint8_t *src, size_t n, size_t k, uint8_t *out, std::vector<uint64_t> &equal)
{
  return have_fast() ? tga_rle_row_fast(src, n, k, out, equal) : tga_rle_row_plain(src, n, k, out, equal);
}

void split_bitplanes(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row, uint8_t *channels)
{
  if (have_wide())
    split_bitplanes_wide(src, bits, width, planes, plane_row);
  else if (have_fast())
    split_bitplanes_fast(src, bits, width, planes, plane_row);
  else
    split_bitplanes_plain(src, bits, width, planes, plane_row, channels);
}

} // namespace bk3
