// The run-length row coders of the IFF, PCX and Targa writers, and the split of
// IFF rows into bitplanes. Each has a plain form, which every x86-64 (and every
// other processor) runs, and on processors with AVX2 a fast form (some also a
// widest one for AVX-512) that writes the very same bytes; the plain forms stay as
// the reference the others are tested against.
#pragma once

#include "codecs/planar.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bk3 {

// What the fast forms may read beyond a row and write beyond what they return.
inline constexpr size_t coder_slack = 64;

// ByteRun1 of one plane row of `n` bytes (followed by coder_slack bytes that may be
// read) into `out` (room for n + n / 128 + 1 bytes, plus coder_slack); returns the
// end. Repeats of three or more bytes become runs of up to 128, the rest literals
// of at most 128 bytes.
uint8_t *byterun1_row(const uint8_t *src, size_t n, uint8_t *out);
uint8_t *byterun1_row_plain(const uint8_t *src, size_t n, uint8_t *out);

// The PCX run-length code of one plane line of `n` bytes into `out` (room for
// 2 n + coder_slack bytes); returns the end. Runs up to 63; a single byte goes as
// itself unless its top two bits are set, which would make it a count.
uint8_t *pcx_rle_line(const uint8_t *src, size_t n, uint8_t *out);
uint8_t *pcx_rle_line_plain(const uint8_t *src, size_t n, uint8_t *out);

// One PCX packet from byte `i` of a line of `n` (i < n): the run of equal bytes
// there (up to 63) with its count where it needs one; `i` moves past it.
inline uint8_t *pcx_packet(const uint8_t *src, size_t n, size_t &i, uint8_t *out)
{
  const size_t run = same_run(src + i, n - i < 63 ? n - i : 63);
  if (run > 1 || (src[i] & 0xC0) == 0xC0)
    *out++ = uint8_t(0xC0 | run);
  *out++ = src[i];
  i += run;
  return out;
}

// Targa run-length packets of one row of `n` pixels of `k` (1 or 3) bytes into
// `out` (room for n (k + 1) + coder_slack bytes); returns the end. Runs of two or
// more equal pixels repeat, everything else goes as raw packets of up to 128
// pixels. `equal` is working room.
uint8_t *tga_rle_row(const uint8_t *src, size_t n, size_t k, uint8_t *out, std::vector<uint64_t> &equal);
uint8_t *tga_rle_row_plain(const uint8_t *src, size_t n, size_t k, uint8_t *out, std::vector<uint64_t> &equal);

// Row `src` of a picture of `bits` (1, 4, 8 or 24) bits and `width` pixels split
// into its bitplanes, `plane_row` bytes ((width + 15) / 16 * 2) apart: bit b of
// value x is bit 7 - (x & 7) of byte x / 8 of plane b, bits beyond the row are
// clear. 24-bit values are red, green, blue from the low planes up. `channels`
// is working room of 3 x width bytes (24 bits only).
void split_bitplanes(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row, uint8_t *channels);
void split_bitplanes_plain(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row,
                           uint8_t *channels);

// Groups of eight pixels from group `g` on into the planes, one transposition per
// eight planes; the planes' bytes beyond the last group are left alone.
void split_bitplane_groups(const uint8_t *src, int bits, size_t width, size_t g, uint8_t *planes, size_t plane_row);

// Asks for part `part` of `parts` of the picture row an encoder takes next (none
// when `next` is null) while it codes the planes of this one: that work reads no
// picture, so nothing else would fetch the next row ahead. In parts spread over
// the planes, the requests do not wait for each other.
inline void prefetch_part(const uint8_t *next, size_t bytes, size_t part, size_t parts)
{
  if (next)
    for (size_t b = bytes * part / parts / 64 * 64, end = bytes * (part + 1) / parts; b < end; b += 64)
      __builtin_prefetch(next + b, 0, 3);
}

// The rows the fast ByteRun1 coders keep masks for on the stack; longer ones
// (wider than any IFF plane row) go the plain way.
inline constexpr size_t byterun1_most = 16384;
inline constexpr size_t byterun1_words = byterun1_most / 64 + 2;

// Bit p of `three` set where bytes p, p + 1 and p + 2 of a row of `n` are equal
// (where a run must start), from `eq`, the bits of equal neighbours (clear from
// bit n - 1 on, n / 64 + 2 words).
inline void byterun1_threes(const uint64_t *eq, size_t n, uint64_t *three)
{
  const size_t words = n / 64 + 2;
  for (size_t w = 0; w + 1 < words; ++w)
    three[w] = eq[w] & (eq[w] >> 1 | eq[w + 1] << 63);
  three[words - 1] = 0;
}

// The ByteRun1 packets of a row of `n` bytes (up to byterun1_most) from its masks
// of equal neighbours and of three equal bytes; the fast forms share it.
uint8_t *byterun1_packets(const uint8_t *src, size_t n, const uint64_t *eq, const uint64_t *three, uint8_t *out);

// Whether the fast forms run here; the tests compare them with the plain ones.
bool fast_row_coders();
uint8_t *byterun1_row_fast(const uint8_t *src, size_t n, uint8_t *out);
uint8_t *pcx_rle_line_fast(const uint8_t *src, size_t n, uint8_t *out);
uint8_t *tga_rle_row_fast(const uint8_t *src, size_t n, size_t k, uint8_t *out, std::vector<uint64_t> &equal);
void split_bitplanes_fast(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row);

// Whether the widest forms (AVX-512 with its byte instructions) run here; where
// they do, they take the place of the fast ones.
bool wide_row_coders();
uint8_t *byterun1_row_wide(const uint8_t *src, size_t n, uint8_t *out);
uint8_t *pcx_rle_line_wide(const uint8_t *src, size_t n, uint8_t *out);
void split_bitplanes_wide(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row);

} // namespace bk3
