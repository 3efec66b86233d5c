// Rows kept as separate channels or bitplanes (PCX, IFF) to and from the picture's
// blue, green, red rows, with SIMD where the processor has it.
#pragma once

#include <cstddef>
#include <cstdint>

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

} // namespace bk3
