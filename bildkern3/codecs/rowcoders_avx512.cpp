// The widest row coders, for processors with AVX-512 and its byte instructions
// (VBMI, VBMI2, GFNI; chosen at run time like the AVX2 ones). Bitplanes come from
// one affine transform per 64 pixels instead of a mask per bit, and PCX packets
// are squeezed together by compressing whole vectors instead of by table.
#include "codecs/rowcoders.h"
#include "codecs/planar.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include <algorithm>
#include <cstring>

#define BK3_WIDE                                                                                                   \
  __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,gfni,avx2,bmi,bmi2,popcnt")))

namespace bk3 {

namespace {

// Index tables for the byte permutes.
struct Tables {
  // Byte 8 j + g from byte 8 g + j: eight quadwords of eight planes' bytes to eight
  // quadwords of one plane each.
  alignas(64) uint8_t transposed[64];
  // Channel c (blue, green, red) of 64 pixels of three bytes: from the first 128
  // bytes, and where that falls short, from the last 64.
  alignas(64) uint8_t channel_low[3][64];
  alignas(64) uint8_t channel_high[3][64];
  uint64_t from_high[3];
  alignas(64) uint8_t iota[64];
  // Count k and byte k side by side, for k from 0 and from 32.
  alignas(64) uint8_t pairs[2][64];
  constexpr Tables() : transposed{}, channel_low{}, channel_high{}, from_high{}, iota{}, pairs{}
  {
    for (int g = 0; g < 8; ++g)
      for (int j = 0; j < 8; ++j)
        transposed[8 * j + g] = uint8_t(8 * g + j);
    for (int c = 0; c < 3; ++c)
      for (int p = 0; p < 64; ++p) {
        const int at = 3 * p + c;
        if (at < 128)
          channel_low[c][p] = uint8_t(at);
        else
          channel_high[c][p] = uint8_t(at - 128), from_high[c] |= uint64_t(1) << p;
      }
    for (int p = 0; p < 64; ++p)
      iota[p] = uint8_t(p);
    for (int h = 0; h < 2; ++h)
      for (int k = 0; k < 32; ++k) {
        pairs[h][2 * k] = uint8_t(32 * h + k);
        pairs[h][2 * k + 1] = uint8_t(64 + 32 * h + k);
      }
  }
};
constexpr Tables tables;

BK3_WIDE inline __m512i load(const uint8_t *p) { return _mm512_loadu_si512(p); }

// The eight bitplanes of 64 pixels' bytes, a quadword each, plane 0 first. The
// affine transform takes each group of eight pixels as its matrix and picks bit j
// of every row into byte j, the first pixel into the top bit.
BK3_WIDE inline __m512i planes_of(__m512i pixels)
{
  const __m512i t = _mm512_gf2p8affine_epi64_epi8(_mm512_set1_epi64(0x8040201008040201), pixels, 0);
  // (Zero-masked forms here and below: GCC 12 warns of the undefined start of the
  // plain ones.)
  return _mm512_maskz_permutexvar_epi8(~uint64_t(0), load(tables.transposed), t);
}

// Channel k (blue, green, red) of 64 pixels of three bytes in `a`, `b`, `c`.
BK3_WIDE inline __m512i channel(__m512i a, __m512i b, __m512i c, int k)
{
  const __m512i v = _mm512_permutex2var_epi8(a, load(tables.channel_low[k]), b);
  return _mm512_mask_permutexvar_epi8(v, tables.from_high[k], load(tables.channel_high[k]), c);
}

// The eight planes' quadwords of eight steps of 64 pixels (as planes_of gives them)
// into the eight planes from `at`, 64 bytes to each at once: eight narrow stores
// per plane cost more than all the rest. Quadword s of plane j's bytes comes from
// quadword j of step s, gathered in three exchanges: pairs of steps, then pairs of
// pairs, then halves. Only the bytes `keep` has bits for are stored.
BK3_WIDE __attribute__((always_inline)) inline void put_planes_512(const __m512i *q, uint8_t *at, size_t plane_row,
                                                                   uint64_t keep)
{
  __m512i u[8], w[8];
#pragma GCC unroll 4
  for (int s = 0; s < 8; s += 2) { // u[s]: planes 0, 2, 4, 6; u[s + 1]: the odd ones
    u[s] = _mm512_maskz_unpacklo_epi64(0xFF, q[s], q[s + 1]);
    u[s + 1] = _mm512_maskz_unpackhi_epi64(0xFF, q[s], q[s + 1]);
  }
  const __m512i first = _mm512_set_epi64(13, 12, 5, 4, 9, 8, 1, 0);
  const __m512i second = _mm512_set_epi64(15, 14, 7, 6, 11, 10, 3, 2);
#pragma GCC unroll 2
  for (int half = 0; half < 2; ++half) // w[4 half + j]: steps 4 half on of planes j and j + 4
    for (int odd = 0; odd < 2; ++odd) {
      const __m512i a = u[4 * half + odd], b = u[4 * half + 2 + odd];
      w[4 * half + odd] = _mm512_permutex2var_epi64(a, first, b);
      w[4 * half + 2 + odd] = _mm512_permutex2var_epi64(a, second, b);
    }
#pragma GCC unroll 4
  for (size_t j = 0; j < 4; ++j) {
    const __m512i lo = _mm512_maskz_shuffle_i64x2(0xFF, w[j], w[4 + j], 0x44);
    const __m512i hi = _mm512_maskz_shuffle_i64x2(0xFF, w[j], w[4 + j], 0xEE);
    if (keep == ~uint64_t(0)) {
      _mm512_storeu_si512(at + j * plane_row, lo);
      _mm512_storeu_si512(at + (j + 4) * plane_row, hi);
    } else {
      _mm512_mask_storeu_epi8(at + j * plane_row, keep, lo);
      _mm512_mask_storeu_epi8(at + (j + 4) * plane_row, keep, hi);
    }
  }
}

// Up to 64 bytes from `p`: the first `bytes`, zeros after them (nothing is read there).
BK3_WIDE inline __m512i load_first(const uint8_t *p, ptrdiff_t bytes)
{
  if (bytes >= 64)
    return load(p);
  return _mm512_maskz_loadu_epi8(bytes > 0 ? (uint64_t(1) << bytes) - 1 : 0, p);
}

// Word w of the bits of equal neighbours of a row whose first `used` words hold
// any, the last of them ANDed with `last`.
BK3_WIDE inline uint64_t equal_word(const uint8_t *src, size_t w, size_t used, uint64_t last)
{
  if (w >= used)
    return 0;
  const uint64_t e = _mm512_cmpeq_epi8_mask(load(src + 64 * w), load(src + 64 * w + 1));
  return w + 1 == used ? e & last : e;
}

} // namespace

BK3_WIDE uint8_t *byterun1_row_wide(const uint8_t *src, size_t n, uint8_t *out)
{
  if (n > byterun1_most)
    return byterun1_row_plain(src, n, out);
  uint64_t eq[byterun1_words], three[byterun1_words];
  // Whole words of equal neighbours, reading at most 63 bytes beyond the row, with
  // the bits from n - 1 on clear; each word of threes as soon as the next word of
  // equal neighbours is known (read back from memory, the words would wait for
  // their stores).
  const size_t words = n / 64 + 2, used = (n + 62) / 64;
  const uint64_t last = (n - 1) % 64 ? (uint64_t(1) << ((n - 1) % 64)) - 1 : ~uint64_t(0);
  uint64_t e = equal_word(src, 0, used, last);
  for (size_t w = 0; w < words; ++w) {
    const uint64_t next = equal_word(src, w + 1, used, last);
    eq[w] = e;
    three[w] = e & (e >> 1 | next << 63);
    e = next;
  }
  return byterun1_packets(src, n, eq, three, out);
}

// Blocks of 512 pixels, then what is left as one more block, with zeros beyond
// the row: their bits are the clear bits and bytes beyond it.
BK3_WIDE void split_bitplanes_wide(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row)
{
  if (bits != 24 && bits != 8) {
    split_bitplanes_fast(src, bits, width, planes, plane_row);
    return;
  }
  const size_t k = size_t(bits) / 8, row_bytes = k * width; // bytes a pixel
  for (size_t x = 0; x < width; x += 512) {
    const size_t bytes = std::min<size_t>(64, plane_row - x / 8); // of each plane
    const uint64_t keep = bytes == 64 ? ~uint64_t(0) : (uint64_t(1) << bytes) - 1;
    __m512i q[3][8];
#pragma GCC unroll 8
    for (size_t s = 0; s < 8; ++s) {
      const size_t at = k * (x + 64 * s);
      const ptrdiff_t left = ptrdiff_t(row_bytes) - ptrdiff_t(at);
      if (k == 1) {
        q[0][s] = planes_of(load_first(src + at, left));
        continue;
      }
      const __m512i a = load_first(src + at, left), b = load_first(src + at + 64, left - 64),
                    c = load_first(src + at + 128, left - 128);
      for (int ch = 0; ch < 3; ++ch)
        q[ch][s] = planes_of(channel(a, b, c, ch));
    }
    for (size_t c = 0; c < k; ++c) // blue, green, red: planes 16, 8, 0 on
      put_planes_512(q[c], planes + 8 * (k - 1 - c) * plane_row + x / 8, plane_row, keep);
  }
}

// Sixty-four bytes a step from a run's start: the runs that end within them become
// their counts (found from the places where runs start and end, each list
// compressed to its front) and their bytes, side by side, and the counts not needed
// are compressed out. The run through the last byte waits for the next step; a
// step of at most one run, and the line's last bytes, go as the AVX2 form has them.
BK3_WIDE uint8_t *pcx_rle_line_wide(const uint8_t *src, size_t n, uint8_t *out)
{
  const __m512i iota = load(tables.iota), top = _mm512_set1_epi8(char(0xC0));
  size_t i = 0;
  while (i + 65 <= n) {
    const __m512i v = load(src + i);
    const uint64_t equal = _mm512_cmpeq_epi8_mask(v, load(src + i + 1));
    const uint64_t high = _mm512_cmpge_epu8_mask(v, top);
    const uint64_t starts = ~(equal << 1);
    const uint64_t below = equal >> 63 ? (uint64_t(1) << (63 - __builtin_clzll(starts))) - 1 : ~uint64_t(0);
    const uint64_t keep = starts & below;
    if ((keep & (keep - 1)) == 0) { // one run of up to 64 bytes, or of more
      out = pcx_packet(src, n, i, out);
      continue;
    }
    if ((equal | high) == 0) { // 64 bytes that go as themselves
      _mm512_storeu_si512(out, v);
      out += 64, i += 64;
      continue;
    }
    const uint64_t need = keep & (equal | high);
    const __m512i first = _mm512_maskz_compress_epi8(keep, iota);
    const __m512i last = _mm512_maskz_compress_epi8(~equal & below, iota);
    // 0xC0 and the run's length, which is at most 63.
    const __m512i counts = _mm512_add_epi8(_mm512_sub_epi8(last, first), _mm512_set1_epi8(char(0xC1)));
    const __m512i bytes = _mm512_maskz_compress_epi8(keep, v);
    const uint64_t runs = uint64_t(_mm_popcnt_u64(keep)), needed = _pext_u64(need, keep);
    for (uint64_t h = 0; h < 2 && 32 * h < runs; ++h) {
      const uint64_t here = std::min<uint64_t>(32, runs - 32 * h);
      const uint64_t wanted = _pdep_u64(needed >> (32 * h), 0x5555555555555555u) |
                              _pdep_u64((uint64_t(1) << here) - 1, 0xAAAAAAAAAAAAAAAAu);
      const __m512i pairs = _mm512_permutex2var_epi8(counts, load(tables.pairs[h]), bytes);
      _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(wanted, pairs));
      out += _mm_popcnt_u64(wanted);
    }
    i += size_t(_mm_popcnt_u64(below));
  }
  return i < n ? pcx_rle_line_fast(src + i, n - i, out) : out;
}

} // namespace bk3

#endif
