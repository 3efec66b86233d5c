// Channel and bitplane rows. The shuffles need SSSE3 (splitting channels, also
// AVX2), chosen at run time, as the library is built for every x86-64; the bit
// transposition needs only SSE2.
#include "codecs/planar.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h>
#include <immintrin.h>
#define BK3_SSE2 1
#endif

namespace bk3 {

namespace {

#if BK3_SSE2
// Byte p of out_k (output byte 16 k + p) of 16 pixels of three bytes comes from
// channel byte (16 k + p) / 3 when that channel is the one at (16 k + p) % 3.
struct Shuffles {
  alignas(16) uint8_t to_bgr[3][3][16];   // [output part][channel: blue, green, red]
  alignas(16) uint8_t from_bgr[3][3][16]; // [channel][input part]
  constexpr Shuffles() : to_bgr{}, from_bgr{}
  {
    for (int k = 0; k < 3; ++k)
      for (int c = 0; c < 3; ++c)
        for (int p = 0; p < 16; ++p) {
          const int at = 16 * k + p;
          to_bgr[k][c][p] = at % 3 == c ? uint8_t(at / 3) : 0x80;
          const int from = 3 * p + c - 16 * k; // pixel p's channel c in input part k
          from_bgr[c][k][p] = from >= 0 && from < 16 ? uint8_t(from) : 0x80;
        }
  }
};
constexpr Shuffles shuffles;

__m128i load(const void *p) { return _mm_loadu_si128(static_cast<const __m128i *>(p)); }
void store(void *p, __m128i v) { _mm_storeu_si128(static_cast<__m128i *>(p), v); }

__attribute__((target("ssse3"))) size_t channels_to_bgr_ssse3(const uint8_t *red, const uint8_t *green,
                                                               const uint8_t *blue, uint8_t *bgr, size_t n)
{
  size_t x = 0;
  for (; x + 16 <= n; x += 16) {
    const __m128i c[3] = {load(blue + x), load(green + x), load(red + x)};
    for (int k = 0; k < 3; ++k) {
      __m128i v = _mm_setzero_si128();
      for (int ch = 0; ch < 3; ++ch)
        v = _mm_or_si128(v, _mm_shuffle_epi8(c[ch], load(shuffles.to_bgr[k][ch])));
      store(bgr + 3 * x + 16 * k, v);
    }
  }
  return x;
}

__attribute__((target("ssse3"))) size_t bgr_to_channels_ssse3(const uint8_t *bgr, size_t n, uint8_t *red,
                                                               uint8_t *green, uint8_t *blue)
{
  size_t x = 0;
  uint8_t *const out[3] = {blue, green, red};
  for (; x + 16 <= n; x += 16) {
    const __m128i in[3] = {load(bgr + 3 * x), load(bgr + 3 * x + 16), load(bgr + 3 * x + 32)};
    for (int ch = 0; ch < 3; ++ch) {
      __m128i v = _mm_setzero_si128();
      for (int k = 0; k < 3; ++k)
        v = _mm_or_si128(v, _mm_shuffle_epi8(in[k], load(shuffles.from_bgr[ch][k])));
      store(out[ch] + x, v);
    }
  }
  return x;
}

// The same 32 pixels at a time: each lane takes 16 pixels, with the same shuffles.
__attribute__((target("avx2"))) size_t bgr_to_channels_avx2(const uint8_t *bgr, size_t n, uint8_t *red,
                                                             uint8_t *green, uint8_t *blue)
{
  size_t x = 0;
  uint8_t *const out[3] = {blue, green, red};
  for (; x + 32 <= n; x += 32) {
    __m256i in[3];
    for (int k = 0; k < 3; ++k)
      in[k] = _mm256_loadu2_m128i(reinterpret_cast<const __m128i *>(bgr + 3 * x + 48 + 16 * k),
                                  reinterpret_cast<const __m128i *>(bgr + 3 * x + 16 * k));
    for (int ch = 0; ch < 3; ++ch) {
      __m256i v = _mm256_setzero_si256();
      for (int k = 0; k < 3; ++k)
        v = _mm256_or_si256(v, _mm256_shuffle_epi8(in[k], _mm256_broadcastsi128_si256(load(shuffles.from_bgr[ch][k]))));
      _mm256_storeu_si256(reinterpret_cast<__m256i *>(out[ch] + x), v);
    }
  }
  return x;
}

bool have_ssse3()
{
  static const bool yes = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
  return yes;
}

bool have_avx2()
{
  static const bool yes = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return yes;
}

// x = (x & keep) | ((x & move) << s) | ((x >> s) & move) in each 64-bit lane: one
// step of the 8 x 8 bit-matrix transposition.
template <int s> __m128i swap_bits(__m128i x, uint64_t keep, uint64_t move)
{
  const __m128i m = _mm_set1_epi64x(int64_t(move));
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(x, _mm_set1_epi64x(int64_t(keep))),
                                   _mm_slli_epi64(_mm_and_si128(x, m), s)),
                      _mm_and_si128(_mm_srli_epi64(x, s), m));
}

// The 8 x 8 bit-matrix transposition in each 64-bit lane; its own inverse.
__m128i transpose_lanes(__m128i x)
{
  x = swap_bits<7>(x, 0xAA55AA55AA55AA55, 0x00AA00AA00AA00AA);
  x = swap_bits<14>(x, 0xCCCC3333CCCC3333, 0x0000CCCC0000CCCC);
  return swap_bits<28>(x, 0xF0F0F0F00F0F0F0F, 0x00000000F0F0F0F0);
}

__m128i reverse_lanes(__m128i x)
{
  x = _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, 0x1B), 0x1B);
  return _mm_or_si128(_mm_slli_epi16(x, 8), _mm_srli_epi16(x, 8));
}

// Two groups (one per 64-bit lane, byte b from plane b) to their 16 values in order:
// after the transposition pixel i is in byte 7 - i of its lane.
__m128i transpose_groups(__m128i x) { return reverse_lanes(transpose_lanes(x)); }
#endif

} // namespace

void channels_to_bgr(const uint8_t *red, const uint8_t *green, const uint8_t *blue, uint8_t *bgr, size_t n)
{
  size_t x = 0;
#if BK3_SSE2
  if (have_ssse3())
    x = channels_to_bgr_ssse3(red, green, blue, bgr, n);
#endif
  for (; x < n; ++x)
    bgr[3 * x] = blue[x], bgr[3 * x + 1] = green[x], bgr[3 * x + 2] = red[x];
}

void bgr_to_channels(const uint8_t *bgr, size_t n, uint8_t *red, uint8_t *green, uint8_t *blue)
{
  size_t x = 0;
#if BK3_SSE2
  if (have_avx2())
    x = bgr_to_channels_avx2(bgr, n, red, green, blue);
  if (have_ssse3())
    x += bgr_to_channels_ssse3(bgr + 3 * x, n - x, red + x, green + x, blue + x);
#endif
  for (; x < n; ++x)
    blue[x] = bgr[3 * x], green[x] = bgr[3 * x + 1], red[x] = bgr[3 * x + 2];
}

size_t bitplanes_to_bytes(const uint8_t *planes, ptrdiff_t stride, size_t groups, uint8_t *values)
{
  size_t g = 0;
#if BK3_SSE2
  // Sixteen groups at a time: the planes' bytes are interleaved so that each 64-bit
  // lane holds one group's eight plane bytes, then transposed lane by lane.
  for (; g + 16 <= groups; g += 16) {
    __m128i p[8];
    for (int b = 0; b < 8; ++b)
      p[b] = load(planes + b * stride + ptrdiff_t(g));
    for (int half = 0; half < 2; ++half) {
      __m128i a[4];
      for (int q = 0; q < 4; ++q)
        a[q] = half ? _mm_unpackhi_epi8(p[2 * q], p[2 * q + 1]) : _mm_unpacklo_epi8(p[2 * q], p[2 * q + 1]);
      const __m128i b0 = _mm_unpacklo_epi16(a[0], a[1]), b1 = _mm_unpackhi_epi16(a[0], a[1]);
      const __m128i b2 = _mm_unpacklo_epi16(a[2], a[3]), b3 = _mm_unpackhi_epi16(a[2], a[3]);
      const __m128i c[4] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2), _mm_unpacklo_epi32(b1, b3),
                            _mm_unpackhi_epi32(b1, b3)};
      for (int m = 0; m < 4; ++m)
        store(values + 8 * (g + size_t(8 * half + 2 * m)), transpose_groups(c[m]));
    }
  }
#else
  (void)planes, (void)stride, (void)groups, (void)values;
#endif
  return g;
}

size_t bytes_to_bitplanes(const uint8_t *values, size_t groups, uint8_t *planes, ptrdiff_t stride)
{
  size_t g = 0;
#if BK3_SSE2
  // Sixteen groups at a time: lane m of the eight registers holds group m, the other
  // group m + 8; transposed, each lane holds a group's eight plane bytes, which the
  // interleaving steps gather plane by plane.
  for (; g + 16 <= groups; g += 16) {
    __m128i x[8];
    for (int m = 0; m < 8; ++m) {
      const __m128i lo = _mm_loadl_epi64(static_cast<const __m128i *>(static_cast<const void *>(values + 8 * (g + size_t(m)))));
      const __m128i hi = _mm_loadl_epi64(static_cast<const __m128i *>(static_cast<const void *>(values + 8 * (g + size_t(m) + 8))));
      x[m] = transpose_lanes(reverse_lanes(_mm_unpacklo_epi64(lo, hi)));
    }
    __m128i a[8], b[8];
    for (int q = 0; q < 4; ++q) // byte b of groups 2q, 2q + 1 (low), and of 2q + 8, 2q + 9 (high)
      a[q] = _mm_unpacklo_epi8(x[2 * q], x[2 * q + 1]), a[q + 4] = _mm_unpackhi_epi8(x[2 * q], x[2 * q + 1]);
    for (int h = 0; h < 2; ++h) { // groups 0-3 / 8-11 and 4-7 / 12-15, planes 0-3 and 4-7
      const __m128i *s = a + 4 * h;
      b[4 * h] = _mm_unpacklo_epi16(s[0], s[1]), b[4 * h + 1] = _mm_unpackhi_epi16(s[0], s[1]);
      b[4 * h + 2] = _mm_unpacklo_epi16(s[2], s[3]), b[4 * h + 3] = _mm_unpackhi_epi16(s[2], s[3]);
    }
    for (int h = 0; h < 2; ++h) {
      // Planes 0-3 (from b[4h]) and 4-7 (from b[4h+1]), groups 0-3 and 4-7 of this half.
      const __m128i c0 = _mm_unpacklo_epi32(b[4 * h], b[4 * h + 2]), c1 = _mm_unpackhi_epi32(b[4 * h], b[4 * h + 2]);
      const __m128i c2 = _mm_unpacklo_epi32(b[4 * h + 1], b[4 * h + 3]), c3 = _mm_unpackhi_epi32(b[4 * h + 1], b[4 * h + 3]);
      b[4 * h] = c0, b[4 * h + 1] = c1, b[4 * h + 2] = c2, b[4 * h + 3] = c3;
    }
    // b[k] (low half: groups 0-7, b[k + 4]: groups 8-15) holds planes 2k and 2k + 1.
    for (int k = 0; k < 4; ++k) {
      store(planes + 2 * k * stride + ptrdiff_t(g), _mm_unpacklo_epi64(b[k], b[k + 4]));
      store(planes + (2 * k + 1) * stride + ptrdiff_t(g), _mm_unpackhi_epi64(b[k], b[k + 4]));
    }
  }
#else
  (void)values, (void)groups, (void)planes, (void)stride;
#endif
  return g;
}

} // namespace bk3
