// The fast and widest row coders of the IFF, PCX and Targa writers write exactly
// the bytes of the plain ones, over rows of every width up to a few SIMD blocks
// and beyond and of every kind of run structure.
#include "codecs/rowcoders.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace bk3;

namespace {

using Bytes = std::vector<uint8_t>;

// Rows of `n` bytes: `alphabet` values from `base` on (few values give many short
// runs; base 0xBE mixes bytes that need a count with those that do not), cut into
// runs whose lengths are drawn from `runs` (lengths around the coders' limits).
struct Kind {
  const char *name;
  int base, alphabet;
  std::vector<size_t> runs;
};
const Kind kinds[] = {
    {"noise", 0, 256, {1}},
    {"few values", 0, 3, {1}},
    {"around 0xC0", 0xBE, 4, {1, 1, 2}},
    {"long runs", 0x3F, 130, {1, 2, 3, 15, 16, 17, 31, 32, 33, 62, 63, 64, 65, 127, 128, 129, 130, 200, 400}},
    {"short runs", 0xB0, 40, {1, 1, 1, 2, 2, 3, 4}},
};

Bytes row(const Kind &kind, size_t n, std::mt19937 &random)
{
  Bytes r(n + coder_slack, 0x5A);
  for (size_t i = 0; i < n;) {
    const uint8_t v = uint8_t(kind.base + int(random() % unsigned(kind.alphabet)));
    const size_t length = std::min(n - i, kind.runs[random() % kind.runs.size()]);
    std::fill(r.begin() + ptrdiff_t(i), r.begin() + ptrdiff_t(i + length), v);
    i += length;
  }
  return r;
}

// Every width up to 200, then some beyond.
std::vector<size_t> widths()
{
  std::vector<size_t> w;
  for (size_t n = 1; n <= 200; ++n)
    w.push_back(n);
  for (size_t n : {255, 256, 257, 511, 1000, 1023, 6000, 6001})
    w.push_back(n);
  return w;
}

template <class Code> Bytes coded(Code code, size_t room)
{
  Bytes out(room + coder_slack, 0xEE);
  out.resize(size_t(code(out.data()) - out.data()));
  return out;
}

} // namespace

TEST(RowCoders, FastRunLengthCodesAreThePlainOnes)
{
  if (!fast_row_coders())
    GTEST_SKIP() << "no AVX2 here";
  std::mt19937 random(7);
  std::vector<uint64_t> scratch;
  for (const Kind &kind : kinds)
    for (size_t n : widths()) {
      SCOPED_TRACE(std::string(kind.name) + ", " + std::to_string(n) + " bytes");
      const Bytes src = row(kind, 3 * n, random);
      const uint8_t *s = src.data();
      const Bytes iff = coded([&](uint8_t *o) { return byterun1_row_plain(s, n, o); }, 2 * n);
      EXPECT_EQ(coded([&](uint8_t *o) { return byterun1_row_fast(s, n, o); }, 2 * n), iff);
      const Bytes pcx = coded([&](uint8_t *o) { return pcx_rle_line_plain(s, n, o); }, 2 * n);
      EXPECT_EQ(coded([&](uint8_t *o) { return pcx_rle_line_fast(s, n, o); }, 2 * n), pcx);
      if (wide_row_coders()) {
        EXPECT_EQ(coded([&](uint8_t *o) { return byterun1_row_wide(s, n, o); }, 2 * n), iff) << "AVX-512";
        EXPECT_EQ(coded([&](uint8_t *o) { return pcx_rle_line_wide(s, n, o); }, 2 * n), pcx) << "AVX-512";
      }
      for (size_t k : {1, 3})
        EXPECT_EQ(coded([&](uint8_t *o) { return tga_rle_row_fast(s, n, k, o, scratch); }, n * (k + 1)),
                  coded([&](uint8_t *o) { return tga_rle_row_plain(s, n, k, o, scratch); }, n * (k + 1)))
            << k << " bytes a pixel";
    }
}

TEST(RowCoders, FastBitplanesAreThePlainOnes)
{
  if (!fast_row_coders())
    GTEST_SKIP() << "no AVX2 here";
  std::mt19937 random(8);
  for (int bits : {1, 4, 8, 24})
    for (size_t width : widths()) {
      SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(width) + " pixels");
      // Whole bytes of random pixels: the bits beyond the row must not show.
      Bytes src((width * size_t(bits) + 7) / 8 + coder_slack);
      for (uint8_t &b : src)
        b = uint8_t(random());
      const size_t plane_row = (width + 15) / 16 * 2;
      Bytes fast(plane_row * size_t(bits), 0xA5), wide(fast), plain(fast), channels(3 * width);
      split_bitplanes_fast(src.data(), bits, width, fast.data(), plane_row);
      split_bitplanes_plain(src.data(), bits, width, plain.data(), plane_row, channels.data());
      EXPECT_EQ(fast, plain);
      if (wide_row_coders()) {
        split_bitplanes_wide(src.data(), bits, width, wide.data(), plane_row);
        EXPECT_EQ(wide, plain) << "AVX-512";
      }
    }
}
