// Files no tool at hand writes, crafted byte by byte: Extra-Half-Brite, HAM rules,
// PBM, masking planes, chunk padding; PCX layouts; every Targa origin and depth.
#include "IffPcxTgaFiles.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

struct Crafted {
  const char *name;
  const char *file_name; // the extension matters for Targa
  Bytes bytes;
  int bits;                       // of the result
  std::vector<uint32_t> expected; // colours from the top-left
};

void expect_decoded(const Crafted &c)
{
  Picture pic;
  open_bytes(pic, c.bytes, c.file_name);
  ASSERT_NE(pic->poi, nullptr) << c.name << ": " << error_text(pic);
  EXPECT_EQ(pic.bits(), c.bits) << c.name;
  EXPECT_EQ(colours_of(pic), c.expected) << c.name;
}

const uint32_t black = 0, white = 0xFFFFFF;

std::vector<Crafted> iff_cases()
{
  const std::vector<uint32_t> eight = {rgb(0, 0, 0),   rgb(200, 10, 20), rgb(30, 220, 40), rgb(50, 60, 240),
                                       rgb(255, 255, 0), rgb(0, 255, 255), rgb(90, 90, 90),  rgb(255, 255, 255)};
  std::vector<uint32_t> thirty_two;
  for (int i = 0; i < 32; ++i)
    thirty_two.push_back(rgb(i * 8 + 3, 250 - i * 6, i * 5));
  const auto half = [](uint32_t c) { return (c >> 1) & 0x7F7F7F; };
  // ByteRun1 of one PBM row 7 2 2 2 2 0(pad): literal 1, run of 4, literal 1.
  const Bytes packed_pbm_row = {0, 7, uint8_t(-3), 2, 0, 0};
  // HAM6: entry 1, blue := 0xF_, red := 0x2_, green := 0x8_ (low bits kept), entry 0;
  // the second row starts from entry 0.
  const std::vector<uint32_t> ham_row = {0x01, 0x1F, 0x22, 0x38, 0x00}, ham_row2 = {0x1F, 0x22, 0x38, 0x00, 0x01};
  const uint32_t e1 = rgb(0x13, 0x25, 0x37);
  return {
      {"ilbm_3_planes_in_4_bits", "a.iff",
       form("ILBM", concat({bmhd(3, 2, 3), cmap(eight), chunk("BODY", ilbm_rows({{1, 2, 3}, {4, 5, 7}}, 3))})), 4,
       {eight[1], eight[2], eight[3], eight[4], eight[5], eight[7]}},
      {"ehb_upper_half_is_half_bright", "a.iff",
       form("ILBM", concat({bmhd(4, 1, 6), cmap(thirty_two), chunk("CAMG", {0, 0, 0, 0x80}),
                            chunk("BODY", ilbm_rows({{5, 37, 31, 63}}, 6))})),
       8, {thirty_two[5], half(thirty_two[5]), thirty_two[31], half(thirty_two[31])}},
      {"ehb_without_display_mode", "a.iff",
       form("ILBM", concat({bmhd(2, 1, 6), cmap(thirty_two), chunk("BODY", ilbm_rows({{33, 1}}, 6))})), 8,
       {half(thirty_two[1]), thirty_two[1]}},
      {"ham6_changes_one_channel_at_a_time", "a.iff",
       form("ILBM", concat({bmhd(5, 2, 6), cmap({rgb(9, 9, 9), e1}), chunk("CAMG", {0, 0, 0x08, 0}),
                            chunk("BODY", ilbm_rows({ham_row, ham_row2}, 6))})),
       24,
       {e1, rgb(0x13, 0x25, 0xF7), rgb(0x23, 0x25, 0xF7), rgb(0x23, 0x85, 0xF7), rgb(9, 9, 9), rgb(9, 9, 0xF9),
        rgb(0x29, 9, 0xF9), rgb(0x29, 0x89, 0xF9), rgb(9, 9, 9), e1}},
      {"deep_32_planes_drop_alpha", "a.iff",
       form("ILBM", concat({bmhd(2, 1, 32), chunk("BODY", ilbm_rows({{0xFF302010, 0x00ABCDEF}}, 32))})), 24,
       {rgb(0x10, 0x20, 0x30), rgb(0xEF, 0xCD, 0xAB)}},
      {"mask_plane_skipped", "a.iff",
       form("ILBM", concat({bmhd(3, 2, 2, 1), cmap(eight), chunk("BODY", ilbm_rows({{0, 1, 2}, {3, 2, 1}}, 2, true))})),
       4, {eight[0], eight[1], eight[2], eight[3], eight[2], eight[1]}},
      {"no_colour_map_is_grey", "a.iff", form("ILBM", concat({bmhd(4, 1, 2), chunk("BODY", ilbm_rows({{0, 1, 2, 3}}, 2))})),
       4, {black, rgb(85, 85, 85), rgb(170, 170, 170), white}},
      {"short_colour_map_leaves_black", "a.iff",
       form("ILBM", concat({bmhd(2, 1, 1), cmap({rgb(1, 2, 3)}), chunk("BODY", ilbm_rows({{0, 1}}, 1))})), 1,
       {rgb(1, 2, 3), black}},
      {"odd_chunks_padded_and_unknown_skipped", "a.lbm",
       form("ILBM", concat({chunk("ANNO", {'o', 'd', 'd'}), bmhd(2, 1, 1), chunk("XTRA", {1}), cmap({white, black}),
                            chunk("BODY", ilbm_rows({{1, 0}}, 1))})),
       1, {black, white}},
      {"form_length_too_long", "a.iff",
       form("ILBM", concat({bmhd(2, 1, 1), cmap({white, black}), chunk("BODY", ilbm_rows({{1, 0}}, 1))}), 100000), 1,
       {black, white}},
      {"pbm_odd_width_packed", "a.lbm",
       form("PBM ", concat({bmhd(5, 2, 8, 0, 1), cmap(eight), chunk("BODY", concat({packed_pbm_row, packed_pbm_row}))})),
       8, [&] {
         std::vector<uint32_t> row = {eight[7], eight[2], eight[2], eight[2], eight[2]};
         row.insert(row.end(), row.begin(), row.end());
         return row;
       }()},
      {"pbm_plain_with_pad_column", "a.lbm",
       form("PBM ", concat({bmhd(3, 1, 8), cmap(eight), chunk("BODY", {6, 0, 5, 99})})), 8,
       {eight[6], eight[0], eight[5]}},
  };
}

std::vector<Crafted> pcx_cases()
{
  const std::vector<uint32_t> pal = {rgb(10, 20, 30), rgb(200, 0, 0), rgb(0, 200, 0), rgb(0, 0, 200),
                                     rgb(1, 1, 1),    rgb(2, 2, 2),   rgb(3, 3, 3),   rgb(250, 250, 0)};
  Pcx packed2; // 2 bits per pixel in one plane, 5 pixels 3 0 1 2 3
  packed2.bits = 2, packed2.xmax = 4, packed2.header_palette = pal, packed2.encoding = 0;
  packed2.data = {0xC6, 0xC0};
  Pcx planes3; // 1 bit in three planes: indices 7 1 2 4
  planes3.bits = 1, planes3.planes = 3, planes3.xmax = 3, planes3.header_palette = pal;
  planes3.data = {0xC1, 0xC0, 0, 0xA0, 0, 0x90, 0}; // 0xC0 alone would be a count
  Pcx version3 = planes3; // no header palette in version 3 files: the EGA colours
  version3.version = 3;
  Pcx rgba; // four planes of 8 bits: the fourth, alpha, is dropped
  rgba.planes = 4, rgba.xmax = 1, rgba.data = {0xC2, 0x11, 0xC2, 0x22, 0x33, 0x44, 0xC2, 0x00};
  Pcx carry; // a run carries over from the first line into the second
  carry.xmax = 1, carry.ymax = 1, carry.data = {0xC4, 0x07}, carry.tail = Bytes{0x0C};
  carry.tail.resize(769);
  carry.tail[1 + 21] = 77; // entry 7: red 77
  // 1024 x 1024 at 8 bits: runs of 62 and single bytes that run over line ends,
  // one of them over the middle line's, where the picture is split to be decoded.
  Pcx large;
  large.xmax = large.ymax = 1023, large.line_bytes = 1024, large.tail = Bytes{0x0C};
  large.tail.resize(769);
  for (int i = 0; i < 256; ++i)
    large.tail[size_t(1 + 3 * i)] = uint8_t(i), large.tail[size_t(2 + 3 * i)] = uint8_t(255 - i);
  std::vector<uint32_t> large_colours;
  for (size_t k = 0; large_colours.size() < 1024 * 1024; ++k) {
    const uint8_t v = uint8_t(k * 7 % 192), single = uint8_t(k * 13 % 192);
    const size_t run = std::min<size_t>(62, 1024 * 1024 - large_colours.size());
    large.data.insert(large.data.end(), {uint8_t(0xC0 | run), v});
    large_colours.insert(large_colours.end(), run, rgb(v, 255 - v, 0));
    if (large_colours.size() < 1024 * 1024)
      large.data.push_back(single), large_colours.push_back(rgb(single, 255 - single, 0));
  }
  return {
      {"runs_over_line_ends_large", "a.pcx", large.build(), 8, large_colours},
      {"packed_2_bits_uncompressed", "a.pcx", packed2.build(), 4, {pal[3], pal[0], pal[1], pal[2], pal[3]}},
      {"planar_1_bit_3_planes", "a.pcx", planes3.build(), 4, {pal[7], pal[1], pal[2], pal[4]}},
      {"version_3_uses_ega_colours", "a.pcx", version3.build(), 4,
       {rgb(170, 170, 170), rgb(0, 0, 170), rgb(0, 170, 0), rgb(170, 0, 0)}},
      {"rgba_planes_drop_alpha", "a.pcx", rgba.build(), 24, {rgb(0x11, 0x22, 0x33), rgb(0x11, 0x22, 0x44)}},
      {"run_over_line_end", "a.pcx", carry.build(), 8, {rgb(77, 0, 0), rgb(77, 0, 0), rgb(77, 0, 0), rgb(77, 0, 0)}},
  };
}

// A 3 x 2 picture whose file order is A B C / D E F: where each pixel lands depends
// on the origin bits.
std::vector<Crafted> tga_cases()
{
  const uint32_t A = rgb(1, 2, 3), B = rgb(4, 5, 6), C = rgb(7, 8, 9), D = rgb(10, 11, 12), E = rgb(13, 14, 15),
                 F = rgb(16, 17, 18);
  Bytes abcdef;
  for (uint32_t c : {A, B, C, D, E, F})
    abcdef.insert(abcdef.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
  const auto origin = [&](int descriptor) {
    Tga t;
    t.width = 3, t.height = 2, t.descriptor = descriptor, t.pixels = abcdef;
    return t.build();
  };
  Tga t16; // x:1 r:5 g:5 b:5, the top bit ignored
  t16.width = 5, t16.bits = 16, t16.descriptor = 0x20;
  for (uint32_t v : {0xFFFFu, 0x001Fu, 0x83E0u, 0x7C00u, 0x4210u})
    put16(t16.pixels, v);
  Tga t15 = t16;
  t15.bits = 15;
  Tga t32; // alpha 0 does not hide the colour
  t32.width = 2, t32.bits = 32, t32.descriptor = 0x28, t32.pixels = {3, 2, 1, 0, 6, 5, 4, 255};
  Tga mapped; // map entries 2..4 of 16 bits, an ID field, one index outside the map
  mapped.type = 1, mapped.map_type = 1, mapped.map_first = 2, mapped.map_length = 3, mapped.map_bits = 16;
  mapped.id_length = 3, mapped.id = {'a', 'b', 'c'}, mapped.width = 4, mapped.bits = 8, mapped.descriptor = 0x20;
  for (uint32_t v : {0x7C00u, 0x03E0u, 0x001Fu})
    put16(mapped.map, v);
  mapped.pixels = {2, 3, 4, 9};
  Tga mapped16 = mapped; // 16-bit indices give 24 bits
  mapped16.bits = 16, mapped16.width = 2, mapped16.map_bits = 24, mapped16.map = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  mapped16.pixels = {4, 0, 2, 0};
  Tga grey_alpha;
  grey_alpha.type = 3, grey_alpha.bits = 16, grey_alpha.width = 2, grey_alpha.descriptor = 0x28;
  grey_alpha.pixels = {77, 0, 200, 255};
  Tga rle_rows; // one run packet covers the end of the first row and the second
  rle_rows.type = 10, rle_rows.width = 2, rle_rows.height = 2, rle_rows.descriptor = 0x20;
  rle_rows.pixels = {0x00, 1, 2, 3, 0x82, 9, 8, 7};
  Tga rle_grey;
  rle_grey.type = 11, rle_grey.bits = 8, rle_grey.width = 4, rle_grey.pixels = {0x81, 50, 0x01, 60, 70};
  return {
      {"bottom_left", "a.tga", origin(0x00), 24, {D, E, F, A, B, C}},
      {"bottom_right", "a.tga", origin(0x10), 24, {F, E, D, C, B, A}},
      {"top_left", "a.tga", origin(0x20), 24, {A, B, C, D, E, F}},
      {"top_right", "a.tga", origin(0x30), 24, {C, B, A, F, E, D}},
      {"sixteen_bits", "a.tga", t16.build(), 24, {white, rgb(0, 0, 255), rgb(0, 255, 0), rgb(255, 0, 0), rgb(132, 132, 132)}},
      {"fifteen_bits", "a.tga", t15.build(), 24, {white, rgb(0, 0, 255), rgb(0, 255, 0), rgb(255, 0, 0), rgb(132, 132, 132)}},
      {"thirty_two_bits", "a.tga", t32.build(), 24, {rgb(1, 2, 3), rgb(4, 5, 6)}},
      {"colour_map_from_entry_2", "a.tga", mapped.build(), 8, {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), black}},
      {"sixteen_bit_indices", "a.tga", mapped16.build(), 24, {rgb(9, 8, 7), rgb(3, 2, 1)}},
      {"grey_with_alpha", "a.tga", grey_alpha.build(), 8, {rgb(77, 77, 77), rgb(200, 200, 200)}},
      {"rle_packet_over_row_end", "a.tga", rle_rows.build(), 24, {rgb(3, 2, 1), rgb(7, 8, 9), rgb(7, 8, 9), rgb(7, 8, 9)}},
      {"rle_grey", "a.tga", rle_grey.build(), 8, {rgb(50, 50, 50), rgb(50, 50, 50), rgb(60, 60, 60), rgb(70, 70, 70)}},
  };
}

} // namespace

TEST(CraftedIff, DecodesEveryKind)
{
  for (const Crafted &c : iff_cases())
    expect_decoded(c);
}

TEST(CraftedPcx, DecodesEveryLayout)
{
  for (const Crafted &c : pcx_cases())
    expect_decoded(c);
}

TEST(CraftedTga, DecodesEveryOriginAndDepth)
{
  for (const Crafted &c : tga_cases())
    expect_decoded(c);
}

TEST(CraftedTga, WithoutItsExtensionATargaFileIsNotGuessed)
{
  // Plain Targa files carry no signature, so only the name makes them Targa.
  Picture pic;
  open_bytes(pic, tga_cases()[0].bytes, "a.bild");
  EXPECT_EQ(pic->poi, nullptr);
  EXPECT_EQ(error_text(pic), "Unbekanntes Dateiformat.");
}
