// Layouts of the BMP family that the tools at hand do not write, crafted byte by
// byte: RLE4, RLE details, top-down rows, bit fields, OS/2 2.x and odd tables.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

Bytes u16s(std::initializer_list<uint32_t> v)
{
  Bytes out;
  for (uint32_t x : v)
    put16(out, x);
  return out;
}

struct Crafted {
  const char *name;
  Bmp file;
  int result_bits;
  std::vector<uint32_t> colours; // top row first
};

const uint32_t t0 = table_colour(0), t1 = table_colour(1), t2 = table_colour(2);

std::vector<Crafted> crafted()
{
  auto bmp = [](int w, int h, int bits, std::function<void(Bmp &)> more = {}) {
    Bmp b;
    b.width = w, b.height = h, b.bits = uint16_t(bits);
    if (more)
      more(b);
    return b;
  };
  auto t = table_colour;
  return {
      {"rle4_runs_literals_jump_and_cut_run",
       bmp(7, 4, 4, [](Bmp &b) {
         b.compression = 2, b.table = test_table(16);
         b.pixels = {0x04, 0x12, 0x00, 0x03, 0x34, 0x50, 0x00, 0x00,             // bottom row
                     0x00, 0x05, 0x67, 0x89, 0xA0, 0x00, 0x02, 0xBB, 0x00, 0x00, // odd literal, padded
                     0x00, 0x02, 0x03, 0x01,                                     // 3 right, 1 up
                     0x06, 0xCD, 0x00, 0x01};                                    // run cut at the edge
       }),
       4,
       {t0, t0, t0, t(12), t(13), t(12), t(13), t0, t0, t0, t0, t0, t0, t0,
        t(6), t(7), t(8), t(9), t(10), t(11), t(11), t1, t2, t1, t2, t(3), t(4), t(5)}},
      {"rle8_odd_literal_jump_within_row_and_end", bmp(5, 3, 8, [](Bmp &b) {
         b.compression = 1, b.clr_used = 16, b.table = test_table(16);
         b.pixels = {0x00, 0x03, 0x0A, 0x0B, 0x0C, 0x00, 0x02, 0x0D, 0x00, 0x00, //
                     0x00, 0x02, 0x01, 0x00, 0x03, 0x0E, 0x00, 0x00, 0x00, 0x01};
       }),
       8, {t0, t0, t0, t0, t0, t0, t(14), t(14), t(14), t0, t(10), t(11), t(12), t(13), t(13)}},
      {"top_down_24", bmp(2, -2, 24, [](Bmp &b) { b.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}; }),
       24, {rgb(3, 2, 1), rgb(6, 5, 4), rgb(9, 8, 7), rgb(12, 11, 10)}},
      {"top_down_8", bmp(3, -2, 8, [](Bmp &b) {
         b.clr_used = 4, b.table = test_table(4), b.pixels = {1, 2, 3, 0, 0, 1, 2, 0};
       }),
       8, {t1, t2, t(3), t0, t1, t2}},
      {"top_down_16_bitfields_in_v3_header", bmp(1, -2, 16, [](Bmp &b) {
         b.header_size = 56, b.compression = 3, b.header_masks = {0xF800, 0x07E0, 0x001F, 0};
         b.pixels = u16s({0xF800, 0, 0x001F, 0});
       }),
       24, {rgb(255, 0, 0), rgb(0, 0, 255)}},
      {"rgb565_masks_after_header", bmp(2, 2, 16, [](Bmp &b) {
         b.compression = 3, b.masks_after = {0xF800, 0x07E0, 0x001F};
         b.pixels = u16s({0xF800, 0x07E0, 0x001F, 0x8410});
       }),
       24, {rgb(0, 0, 255), rgb(132, 130, 132), rgb(255, 0, 0), rgb(0, 255, 0)}},
      {"alphabitfields_32_in_unusual_order", bmp(1, 2, 32, [](Bmp &b) {
         b.compression = 6, b.masks_after = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
         b.pixels = {0x80, 0x11, 0x22, 0x33, 0xFF, 0x44, 0x55, 0x66};
       }),
       24, {rgb(0x44, 0x55, 0x66), rgb(0x11, 0x22, 0x33)}},
      {"v4_bitfields_555_in_header", bmp(2, 1, 16, [](Bmp &b) {
         b.header_size = 108, b.compression = 3, b.header_masks = {0x7C00, 0x03E0, 0x001F, 0};
         b.pixels = u16s({0x7FFF, 0x0421});
       }),
       24, {rgb(255, 255, 255), rgb(8, 8, 8)}},
      {"v5_uncompressed_32_ignores_header_masks", bmp(1, 1, 32, [](Bmp &b) {
         b.header_size = 124, b.header_masks = {0xFF, 0xFF00, 0xFF0000, 0}, b.pixels = {1, 2, 3, 0};
       }),
       24, {rgb(3, 2, 1)}},
      {"uncompressed_16_is_555", bmp(1, 1, 16, [](Bmp &b) { b.pixels = u16s({0x7C00, 0}); }), 24, {rgb(255, 0, 0)}},
      {"two_bits_become_24", bmp(5, 1, 2, [](Bmp &b) {
         b.clr_used = 4, b.table = test_table(4), b.pixels = {0x1B, 0x40, 0, 0};
       }),
       24, {t0, t1, t2, t(3), t1}},
      {"table_cut_short_by_pixel_offset", bmp(4, 1, 8, [](Bmp &b) { b.table = test_table(3), b.pixels = {0, 1, 2, 5}; }),
       8, {t0, t1, t2, 0}},
      {"gap_before_pixels", bmp(1, 1, 24, [](Bmp &b) { b.gap = Bytes(6, 0xEE), b.pixels = {9, 8, 7, 0}; }), 24,
       {rgb(7, 8, 9)}},
      {"zero_pixel_offset_means_after_table", bmp(2, 1, 8, [](Bmp &b) {
         b.clr_used = 2, b.table = test_table(2), b.off_bits = 0, b.pixels = {1, 0, 0, 0};
       }),
       8, {t1, t0}},
      {"last_row_without_padding", bmp(1, 2, 24, [](Bmp &b) { b.pixels = {1, 2, 3, 0, 4, 5, 6}; }), 24,
       {rgb(6, 5, 4), rgb(3, 2, 1)}},
      {"os2_v1_short_table", bmp(3, 1, 8, [](Bmp &b) {
         b.header_size = 12, b.table = test_table(2, 3), b.pixels = {1, 0, 1, 0};
       }),
       8, {t1, t0, t1}},
      {"os2_v2_full_header_rle8", bmp(4, 1, 8, [](Bmp &b) {
         b.header_size = 64, b.compression = 1, b.clr_used = 2, b.table = test_table(2), b.pixels = {4, 1, 0, 1};
       }),
       8, {t1, t1, t1, t1}},
      {"os2_v2_minimal_header", bmp(3, 1, 4, [](Bmp &b) {
         b.header_size = 16, b.table = test_table(16), b.pixels = {0x12, 0x30, 0, 0};
       }),
       4, {t1, t2, table_colour(3)}},
  };
}

class CraftedBmp : public ::testing::TestWithParam<Crafted> {};

} // namespace

TEST_P(CraftedBmp, DecodesAsLaidOut)
{
  const Crafted &c = GetParam();
  Picture pic;
  open_bytes(pic, c.file.build());
  ASSERT_NE(pic->poi, nullptr) << error_text(pic);
  EXPECT_EQ(pic.bits(), c.result_bits);
  EXPECT_EQ(pic->pmi->bmiHeader.biWidth, c.file.width);
  EXPECT_EQ(pic->pmi->bmiHeader.biHeight, std::abs(c.file.height)) << "rows are always stored bottom-up";
  EXPECT_EQ(colours_of(pic), c.colours);
}

INSTANTIATE_TEST_SUITE_P(Layouts, CraftedBmp, ::testing::ValuesIn(crafted()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(BmpSniffing, ContentDecidesNotTheExtension)
{
  Bmp b;
  b.pixels = {1, 2, 3, 0};
  Picture pic;
  open_bytes(pic, b.build(), "bild.jpg");
  ASSERT_NE(pic->poi, nullptr) << error_text(pic);
  EXPECT_EQ(getpixel(pic.get(), 0, 0), rgb(3, 2, 1));
}
