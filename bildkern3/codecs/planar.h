// Rows kept as separate channels or bitplanes (PCX, IFF) to and from the picture's
// blue, green, red rows, with SIMD where the processor has it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bk3 {

// n pixels from three channel rows into one row of blue, green, red bytes.
void channels_to_bgr(const uint8_t *red, const uint8_t *green, const uint8_t *blue, uint8_t *bgr, size_t n);

// n pixels of a blue, green, red row into three channel rows.
void bgr_to_channels(const uint8_t *bgr, size_t n, uint8_t *red, uint8_t *green, uint8_t *blue);

// Eight bitplanes to byte values: bit b of value x is bit 7 - (x & 7) of byte x / 8
// of plane b (planes `stride` bytes apart). Writes the values of the first
// `groups` * 8 pixels and returns how many groups of eight it did, from the left;
// the rest are left to the caller.
size_t bitplanes_to_bytes(const uint8_t *planes, ptrdiff_t stride, size_t groups, uint8_t *values);

// The reverse: the values of the first `groups` * 8 pixels into eight bitplanes,
// for as many groups of eight as it does from the left (returned); the rest, and
// the planes' bytes beyond, are left to the caller.
size_t bytes_to_bitplanes(const uint8_t *values, size_t groups, uint8_t *planes, ptrdiff_t stride);

// Transposes an 8 x 8 bit matrix held in the bytes of `x`, the first row in the top
// byte: eight pixels' bytes become their eight bitplane bytes and back.
inline uint64_t transpose8(uint64_t x)
{
  x = (x & 0xAA55AA55AA55AA55) | ((x & 0x00AA00AA00AA00AA) << 7) | ((x >> 7) & 0x00AA00AA00AA00AA);
  x = (x & 0xCCCC3333CCCC3333) | ((x & 0x0000CCCC0000CCCC) << 14) | ((x >> 14) & 0x0000CCCC0000CCCC);
  x = (x & 0xF0F0F0F00F0F0F0F) | ((x & 0x00000000F0F0F0F0) << 28) | ((x >> 28) & 0x00000000F0F0F0F0);
  return x;
}

// Bit j set where byte j of the 16 at `p` equals byte j + 1, for the run-length
// coders; reads 17 bytes.
inline unsigned repeats16(const uint8_t *p)
{
#if defined(__SSE2__)
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
  return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)));
#else
  unsigned m = 0;
  for (int j = 0; j < 16; ++j)
    m |= unsigned(p[j] == p[j + 1]) << j;
  return m;
#endif
}

// Bit j set where byte j of the 16 at `p` has both top bits set.
inline unsigned high16(const uint8_t *p)
{
#if defined(__SSE2__)
  const __m128i top = _mm_set1_epi8(char(0xC0));
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
  return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, top), top)));
#else
  unsigned m = 0;
  for (int j = 0; j < 16; ++j)
    m |= unsigned((p[j] & 0xC0) == 0xC0) << j;
  return m;
#endif
}

// Bit j set where byte j of the 16 at `p` equals byte j + `k` (k = 3: whole pixels
// equal where three bits in a row are set); reads 16 + k bytes.
inline unsigned repeats16(const uint8_t *p, size_t k)
{
#if defined(__SSE2__)
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + k));
  return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)));
#else
  unsigned m = 0;
  for (int j = 0; j < 16; ++j)
    m |= unsigned(p[j] == p[j + k]) << j;
  return m;
#endif
}

// How many of the `most` bytes from `p` on equal p[0] before the first that does
// not; 16 at a time, for the run-length coders' long runs.
inline size_t same_run(const uint8_t *p, size_t most)
{
  size_t run = 1;
#if defined(__SSE2__)
  const __m128i v = _mm_set1_epi8(char(p[0]));
  while (run + 16 <= most) {
    const unsigned equal =
        unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + run)), v)));
    if (equal != 0xFFFF)
      return run + size_t(__builtin_ctz(~equal));
    run += 16;
  }
#endif
  while (run < most && p[run] == p[0])
    ++run;
  return run;
}

// The first bit from `p` on that is `value` in `bits`; bits beyond the words are clear.
inline size_t next_bit(const std::vector<uint64_t> &bits, size_t p, bool value)
{
  size_t w = p / 64;
  uint64_t word = (value ? bits[w] : ~bits[w]) & (~uint64_t(0) << (p % 64));
  while (word == 0) {
    if (++w == bits.size())
      return w * 64;
    word = value ? bits[w] : ~bits[w];
  }
  return w * 64 + size_t(__builtin_ctzll(word));
}

} // namespace bk3
