// The fast row coders, for processors with AVX2 (chosen at run time: the library
// is built for every x86-64). They find equal neighbours and bytes that need a
// count with vector compares, as bit masks, and walk the masks instead of the bytes.
#include "codecs/rowcoders.h"
#include "codecs/planar.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include <algorithm>
#include <cstring>

#define BK3_FAST __attribute__((target("avx2,bmi,bmi2,popcnt")))

namespace bk3 {

namespace {

// The first set bit from `from` on in `bits`, or `limit` if there is none before it;
// the words from bit `limit` on may hold anything but must exist.
BK3_FAST inline size_t next_one(const uint64_t *bits, size_t from, size_t limit)
{
  size_t w = from / 64;
  uint64_t word = bits[w] & (~uint64_t(0) << (from % 64));
  while (word == 0) {
    if (++w * 64 >= limit)
      return limit;
    word = bits[w];
  }
  return std::min(limit, w * 64 + size_t(_tzcnt_u64(word)));
}

BK3_FAST inline uint64_t equal_32(const uint8_t *at)
{
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 1));
  return uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, b)));
}

// Bit p set where byte p of the `n` at `src` equals byte p + 1; the bits from n - 1
// on, up to the words' end, are clear.
BK3_FAST void equal_bytes(const uint8_t *src, size_t n, uint64_t *eq)
{
  // Whole words are written once: adding bits to words just cleared would make each
  // wait for the clearing stores.
  size_t p = 0;
  for (; p + 65 <= n; p += 64)
    eq[p / 64] = equal_32(src + p) | equal_32(src + p + 32) << 32;
  const size_t words = n / 64 + 2;
  for (size_t w = p / 64; w < words; ++w)
    eq[w] = 0;
  for (; p + 33 <= n; p += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + p + 1));
    eq[p / 64] |= uint64_t(uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, b)))) << (p % 64);
  }
  for (; p + 1 < n; ++p)
    eq[p / 64] |= uint64_t(src[p] == src[p + 1]) << (p % 64);
}

// Copies `n` bytes 32 at a time, reading and writing up to 31 more.
BK3_FAST inline void copy_by_32(uint8_t *dst, const uint8_t *src, size_t n)
{
  for (size_t i = 0; i < n; i += 32)
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + i),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + i)));
}

BK3_FAST inline __m256i both_lanes(const uint8_t *table)
{
  return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(table)));
}

// How many bytes or pixels from `i` on (bit i of `eq` set) equal the one at i: up to
// the next clear bit, which there is before the words end.
inline size_t run_length(const uint64_t *eq, size_t i)
{
  size_t w = i / 64;
  uint64_t word = ~eq[w] & (~uint64_t(0) << (i % 64));
  while (word == 0)
    word = ~eq[++w];
  return w * 64 + size_t(__builtin_ctzll(word)) - i + 1;
}

// One Targa packet of `length` pixels of `k` bytes from pixel `i` (a run when
// `run`) into `out`; returns its end.
template <size_t k>
BK3_FAST inline uint8_t *put_packet(const uint8_t *src, size_t i, size_t length, uint64_t run, size_t row_bytes,
                                    uint8_t *out)
{
  *out++ = uint8_t(run << 7 | (length - 1));
  const size_t bytes = run ? k : length * k;
  const uint8_t *from = src + i * k;
  if (row_bytes - i * k >= ((bytes + 31) & ~size_t(31)))
    copy_by_32(out, from, bytes);
  else
    std::memcpy(out, from, bytes);
  return out + bytes;
}

// Bit p set where a Targa packet starts at pixel p when none is cut at 128 pixels:
// at 0, at each run's first pixel and after each run's last; and at `n`, the row's
// end. `eq` holds `words` words of equal neighbours, clear from bit n - 1 on.
BK3_FAST void packet_starts(const uint64_t *eq, size_t n, size_t words, uint64_t *starts)
{
  uint64_t before = 0;
  for (size_t w = 0; w < words; ++w) {
    const uint64_t e = eq[w];
    starts[w] = ~(e << 1 | before >> 63) & (e | e << 2 | before >> 62);
    before = e;
  }
  starts[0] |= 1;
  starts[n / 64] = (starts[n / 64] & ((uint64_t(1) << (n % 64)) - 1)) | uint64_t(1) << (n % 64);
  for (size_t w = n / 64 + 1; w < words; ++w)
    starts[w] = 0;
}

// For each part of 16 bytes of 16 pixels of three bytes, the places of the pixels'
// first bytes in it (0x80 elsewhere).
struct FirstBytes {
  alignas(16) uint8_t part[3][16];
  constexpr FirstBytes() : part{}
  {
    for (int k = 0; k < 3; ++k)
      for (int p = 0; p < 16; ++p) {
        const int at = 3 * p - 16 * k;
        part[k][p] = at >= 0 && at < 16 ? uint8_t(at) : 0x80;
      }
  }
};
constexpr FirstBytes first_bytes;

BK3_FAST inline __m256i load_halves(const uint8_t *lo, const uint8_t *hi)
{
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(lo))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i *>(hi)), 1);
}

// Bit p set where pixel p of the `n` pixels of three bytes at `src` equals pixel
// p + 1; the bits from n - 1 on, up to the words' end (n / 64 + 2), are clear. 32
// pixels at a time, 16 in each lane: a byte's comparison and its next two ANDed
// stand for the whole pixel at its first byte, and those are gathered.
BK3_FAST void equal_pixels(const uint8_t *src, size_t n, uint64_t *eq)
{
  std::memset(eq, 0, (n / 64 + 2) * 8);
  size_t p = 0;
  for (; p + 33 <= n; p += 32) {
    const uint8_t *a = src + 3 * p, *b = a + 3;
    __m256i e[4];
    for (int k = 0; k < 3; ++k)
      e[k] = _mm256_cmpeq_epi8(load_halves(a + 16 * k, a + 48 + 16 * k), load_halves(b + 16 * k, b + 48 + 16 * k));
    e[3] = _mm256_setzero_si256();
    __m256i same = _mm256_setzero_si256();
    for (int k = 0; k < 3; ++k) {
      const __m256i all = _mm256_and_si256(
          e[k], _mm256_and_si256(_mm256_alignr_epi8(e[k + 1], e[k], 1), _mm256_alignr_epi8(e[k + 1], e[k], 2)));
      same = _mm256_or_si256(same, _mm256_shuffle_epi8(all, both_lanes(first_bytes.part[k])));
    }
    eq[p / 64] |= uint64_t(uint32_t(_mm256_movemask_epi8(same))) << (p % 64);
  }
  for (; p + 1 < n; ++p)
    eq[p / 64] |= uint64_t(std::memcmp(src + 3 * p, src + 3 * p + 3, 3) == 0) << (p % 64);
}

// Shuffles taking 16 pixels of three bytes (in three parts of 16 bytes) to one
// channel's 16 bytes, the pixels of each group of eight in reverse order: then the
// top bits of the bytes, as movemask gathers them, are a bitplane's bytes.
struct Reversed {
  alignas(16) uint8_t channel[3][3][16]; // [channel: blue, green, red][input part]
  alignas(16) uint8_t bytes[16];         // of 8-bit pixels
  constexpr Reversed() : channel{}, bytes{}
  {
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k)
        for (int p = 0; p < 16; ++p) {
          const int from = 3 * (p ^ 7) + c - 16 * k;
          channel[c][k][p] = from >= 0 && from < 16 ? uint8_t(from) : 0x80;
        }
    for (int p = 0; p < 16; ++p)
      bytes[p] = uint8_t(p ^ 7);
  }
};
constexpr Reversed reversed;

// For each mask of eight bits, the places of its set bits in order (the rest 0x80,
// which pshufb makes zero): the shuffle that squeezes out the bytes not wanted.
struct Squeeze {
  uint64_t order[256];
  constexpr Squeeze() : order{}
  {
    for (unsigned m = 0; m < 256; ++m) {
      uint64_t o = 0x8080808080808080u;
      int at = 0;
      for (int b = 0; b < 8; ++b)
        if (m >> b & 1) {
          o &= ~(uint64_t(0xFF) << (8 * at));
          o |= uint64_t(b) << (8 * at++);
        }
      order[m] = o;
    }
  }
};
constexpr Squeeze squeeze;

// The eight bitplanes of 32 values (reversed in groups of eight) at byte `at` of
// planes `plane_row` apart, plane 7 first: each doubling moves the next bit up.
BK3_FAST inline void put_planes(__m256i v, uint8_t *planes, size_t plane_row)
{
  for (int b = 7; b >= 0; --b) {
    const uint32_t bits = uint32_t(_mm256_movemask_epi8(v));
    std::memcpy(planes + size_t(b) * plane_row, &bits, 4);
    v = _mm256_add_epi8(v, v);
  }
}

} // namespace

BK3_FAST uint8_t *byterun1_packets(const uint8_t *src, size_t n, const uint64_t *eq, const uint64_t *three,
                                   uint8_t *out)
{
  size_t i = 0;
  while (i < n) {
    if (three[i / 64] >> (i % 64) & 1) {
      const size_t run = std::min<size_t>(run_length(eq, i), 128);
      out[0] = uint8_t(1 - int(run));
      out[1] = src[i];
      out += 2;
      i += run;
      continue;
    }
    const size_t j = next_one(three, i + 1, std::min(n, i + 128));
    *out++ = uint8_t(j - i - 1);
    copy_by_32(out, src + i, j - i);
    out += j - i;
    i = j;
  }
  return out;
}

BK3_FAST uint8_t *byterun1_row_fast(const uint8_t *src, size_t n, uint8_t *out)
{
  if (n > byterun1_most)
    return byterun1_row_plain(src, n, out);
  uint64_t eq[byterun1_words], three[byterun1_words];
  equal_bytes(src, n, eq);
  byterun1_threes(eq, n, three);
  return byterun1_packets(src, n, eq, three, out);
}

BK3_FAST void split_bitplanes_fast(const uint8_t *src, int bits, size_t width, uint8_t *planes, size_t plane_row)
{
  size_t x = 0;
  if (bits == 24) {
    for (; x + 32 <= width; x += 32) {
      const uint8_t *s = src + 3 * x;
      __m256i in[3];
      for (int k = 0; k < 3; ++k)
        in[k] = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 16 * k))),
            _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 48 + 16 * k)), 1);
      for (int c = 0; c < 3; ++c) { // blue, green, red: planes 16, 8, 0 on
        __m256i v = _mm256_shuffle_epi8(in[0], both_lanes(reversed.channel[c][0]));
        v = _mm256_or_si256(v, _mm256_shuffle_epi8(in[1], both_lanes(reversed.channel[c][1])));
        v = _mm256_or_si256(v, _mm256_shuffle_epi8(in[2], both_lanes(reversed.channel[c][2])));
        put_planes(v, planes + size_t(8 * (2 - c)) * plane_row + x / 8, plane_row);
      }
    }
  } else if (bits == 8) {
    for (; x + 32 <= width; x += 32) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + x));
      put_planes(_mm256_shuffle_epi8(v, both_lanes(reversed.bytes)), planes + x / 8, plane_row);
    }
  } else if (bits == 1) {
    x = width / 8 * 8;
    std::memcpy(planes, src, x / 8);
  }
  split_bitplane_groups(src, bits, width, x / 8, planes, plane_row);
  // The bytes beyond the last group.
  for (int b = 0; b < bits; ++b)
    std::fill(planes + size_t(b) * plane_row + (width + 7) / 8, planes + size_t(b + 1) * plane_row, 0);
}

namespace {

// The pairs of counts and bytes of eight bytes squeezed to those whose bits are set
// in `wanted` (bit 2 j: the count of byte j, 2 j + 1: the byte), written at `out`;
// returns their end. May write up to 16 bytes.
BK3_FAST inline uint8_t *squeeze_pairs(__m128i pairs, unsigned wanted, uint8_t *out)
{
  const unsigned lo = wanted & 0xFF, hi = (wanted >> 8) & 0xFF;
  const __m128i order = _mm_or_si128(_mm_set_epi64x(int64_t(squeeze.order[hi]), int64_t(squeeze.order[lo])),
                                     _mm_set_epi64x(0x0808080808080808, 0));
  const __m128i packed = _mm_shuffle_epi8(pairs, order);
  _mm_storel_epi64(reinterpret_cast<__m128i *>(out), packed);
  out += _mm_popcnt_u32(lo);
  _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_unpackhi_epi64(packed, packed));
  return out + _mm_popcnt_u32(hi);
}

// Thirty-two bytes from a run's start at `src`, when no run crosses from the first
// sixteen to the second (each half then goes as in the sixteen-byte step, in its own
// lane); returns how many bytes were coded, 0 when a run crosses.
BK3_FAST inline size_t pcx_32(const uint8_t *src, uint8_t *&out)
{
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src));
  const __m256i equal = _mm256_cmpeq_epi8(v, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + 1)));
  const uint32_t equal_bits = uint32_t(_mm256_movemask_epi8(equal));
  if (equal_bits & 0x8000)
    return 0;
  const uint32_t start_bits = ~(equal_bits << 1); // bytes 0 and 16 start runs
  // The last run goes to the next step when it may go on past the 32 (from byte 16
  // on: the second half, when it is one run, waits whole).
  const size_t limit = equal_bits >> 31 ? size_t(31 - __builtin_clz(start_bits)) : 32;
  const __m256i top = _mm256_set1_epi8(char(0xC0)), sixteen = _mm256_set1_epi8(16);
  const __m256i index = _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7,
                                         8, 9, 10, 11, 12, 13, 14, 15);
  const uint32_t high_bits = uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(v, top), top)));
  const uint64_t keep = start_bits & ((uint64_t(1) << limit) - 1);
  const uint64_t need = keep & (equal_bits | high_bits);
  const uint64_t wanted = _pdep_u64(need, 0x5555555555555555u) | _pdep_u64(keep, 0xAAAAAAAAAAAAAAAAu);
  // Each run's length in its lane: the next start after each byte, less its place.
  const __m256i starts = _mm256_andnot_si256(_mm256_slli_si256(equal, 1), _mm256_set1_epi8(-1));
  __m256i next = _mm256_alignr_epi8(sixteen, _mm256_blendv_epi8(sixteen, index, starts), 1);
  next = _mm256_min_epu8(next, _mm256_alignr_epi8(sixteen, next, 1));
  next = _mm256_min_epu8(next, _mm256_alignr_epi8(sixteen, next, 2));
  next = _mm256_min_epu8(next, _mm256_alignr_epi8(sixteen, next, 4));
  next = _mm256_min_epu8(next, _mm256_alignr_epi8(sixteen, next, 8));
  const __m256i counts = _mm256_or_si256(_mm256_sub_epi8(next, index), top);
  const __m256i lo = _mm256_unpacklo_epi8(counts, v), hi = _mm256_unpackhi_epi8(counts, v);
  out = squeeze_pairs(_mm256_castsi256_si128(lo), unsigned(wanted), out);
  out = squeeze_pairs(_mm256_castsi256_si128(hi), unsigned(wanted >> 16), out);
  out = squeeze_pairs(_mm256_extracti128_si256(lo, 1), unsigned(wanted >> 32), out);
  out = squeeze_pairs(_mm256_extracti128_si256(hi, 1), unsigned(wanted >> 48), out);
  return limit;
}

} // namespace

BK3_FAST uint8_t *pcx_rle_line_fast(const uint8_t *src, size_t n, uint8_t *out)
{
  const __m128i top = _mm_set1_epi8(char(0xC0)), sixteen = _mm_set1_epi8(16);
  const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  size_t i = 0;
  while (i < n) {
    // Sixteen bytes at a time, starting where a run starts: each run within them
    // becomes its count (when it needs one) and its byte, side by side; the bytes
    // not wanted (the rest of each run, the counts not needed) are squeezed out.
    // The last run goes to the next sixteen when it may go on past them. Where no
    // run crosses from one sixteen to the next, two go at once.
    while (i + 17 <= n) {
      if (i + 33 <= n) {
        const size_t done = pcx_32(src + i, out);
        i += done;
        if (done)
          continue;
      }
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
      const __m128i equal =
          _mm_cmpeq_epi8(v, _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 1)));
      const __m128i high = _mm_cmpeq_epi8(_mm_and_si128(v, top), top);
      const __m128i starts = _mm_andnot_si128(_mm_slli_si128(equal, 1), _mm_set1_epi8(-1));
      const unsigned start_bits = unsigned(_mm_movemask_epi8(starts));
      size_t limit = 16;
      if (_mm_movemask_epi8(equal) & 0x8000) {
        limit = size_t(31 - __builtin_clz(start_bits));
        if (limit == 0)
          break; // sixteen and more equal bytes
      }
      // Each run's length: the next start after each byte (at most 16), less its place.
      __m128i next = _mm_alignr_epi8(sixteen, _mm_blendv_epi8(sixteen, index, starts), 1);
      next = _mm_min_epu8(next, _mm_alignr_epi8(sixteen, next, 1));
      next = _mm_min_epu8(next, _mm_alignr_epi8(sixteen, next, 2));
      next = _mm_min_epu8(next, _mm_alignr_epi8(sixteen, next, 4));
      next = _mm_min_epu8(next, _mm_alignr_epi8(sixteen, next, 8));
      const __m128i counts = _mm_or_si128(_mm_sub_epi8(next, index), top);
      const __m128i keep = _mm_and_si128(starts, _mm_cmpgt_epi8(_mm_set1_epi8(char(limit)), index));
      const __m128i need = _mm_and_si128(keep, _mm_or_si128(equal, high));
      const uint32_t wanted = uint32_t(_mm_movemask_epi8(_mm_unpacklo_epi8(need, keep))) |
                              uint32_t(_mm_movemask_epi8(_mm_unpackhi_epi8(need, keep))) << 16;
      const __m128i pairs[2] = {_mm_unpacklo_epi8(counts, v), _mm_unpackhi_epi8(counts, v)};
      for (int half = 0; half < 2; ++half)
        out = squeeze_pairs(pairs[half], (wanted >> (16 * half)) & 0xFFFF, out);
      i += limit;
    }
    if (i >= n)
      break;
    out = pcx_packet(src, n, i, out);
  }
  return out;
}

namespace {

// Packets one after the other from pixel `i`, where one starts, until one starts
// where a bit of `starts` says so before pixel `fast_end`, or to the row's end;
// returns where they stopped.
template <size_t k>
__attribute__((noinline)) BK3_FAST size_t tga_packets_slowly(const uint8_t *src, size_t n, const uint64_t *eq,
                                                             const uint64_t *starts, size_t i, size_t fast_end,
                                                             uint8_t *&out)
{
  do {
    const uint64_t run = eq[i / 64] >> (i % 64) & 1;
    const size_t length = std::min(run ? run_length(eq, i) : next_one(eq, i + 1, n) - i, std::min<size_t>(128, n - i));
    out = put_packet<k>(src, i, length, run, n * k, out);
    i += length;
  } while (i < n && (i >= fast_end || !(starts[i / 64] >> (i % 64) & 1)));
  return i;
}

// Each packet ends where the next starts, so the packets are the set bits of
// `starts` taken in turn, and finding one does not wait on coding the one before.
// Packets longer than 128 pixels and those near the row's end (where whole pieces
// of 32 bytes would reach beyond it) go the slow way.
template <size_t k>
BK3_FAST uint8_t *tga_packets(const uint8_t *src, size_t n, const uint64_t *eq, const uint64_t *starts, uint8_t *out)
{
  const size_t row_bytes = n * k, most = 128 * k + 32;
  const size_t fast_end = row_bytes >= most ? (row_bytes - most) / k : 0;
  size_t i = 0;
  while (i < n) {
    size_t w = i / 64;
    uint64_t ahead = starts[w] & ((~uint64_t(0) << (i % 64)) << 1), here = eq[w];
    uint64_t run = here >> (i % 64) & 1; // the packet's: whether pixel i equals the next
    while (i < fast_end) {
      while (ahead == 0) {
        ahead = starts[++w];
        here = eq[w];
      }
      const size_t at = size_t(_tzcnt_u64(ahead)), length = w * 64 + at - i;
      if (length > 128)
        break;
      *out = uint8_t(run << 7 | (length - 1));
      const size_t bytes = k * (run ? 1 : length);
      const uint8_t *from = src + i * k;
      for (size_t b = 0; b < 96; b += 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + 1 + b),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from + b)));
      for (size_t b = 96; b < bytes; b += 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + 1 + b),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(from + b)));
      out += 1 + bytes;
      i += length;
      run = here >> at & 1;
      ahead = _blsr_u64(ahead);
    }
    if (i < n)
      i = tga_packets_slowly<k>(src, n, eq, starts, i, fast_end, out);
  }
  return out;
}

} // namespace

BK3_FAST uint8_t *tga_rle_row_fast(const uint8_t *src, size_t n, size_t k, uint8_t *out, std::vector<uint64_t> &equal)
{
  const size_t words = n / 64 + 2;
  equal.resize(2 * words);
  uint64_t *const eq = equal.data(), *const starts = eq + words;
  if (k == 1)
    equal_bytes(src, n, eq);
  else
    equal_pixels(src, n, eq);
  packet_starts(eq, n, words, starts);
  return k == 1 ? tga_packets<1>(src, n, eq, starts, out) : tga_packets<3>(src, n, eq, starts, out);
}

} // namespace bk3

#endif
