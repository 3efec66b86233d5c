// Damaged, truncated and absurd files fail with a German reason, never crash and
// never make the library allocate for what a file only claims.
#include "TestSupport.h"

#include <gtest/gtest.h>


using namespace bk3test;

namespace {
const std::string over_limit = "Das Bild ist zu groß (höchstens 65535 Pixel je Seite und 268 Millionen Pixel).";

const std::string incomplete = "Die Datei ist unvollständig.", bad_size = "Die Bildgröße ist ungültig.",
                  bad_header = "Der Bildkopf ist ungültig.", bad_depth = "Diese Farbtiefe wird nicht unterstützt.",
                  bad_compression = "Diese Komprimierungsart wird nicht unterstützt.",
                  unknown = "Unbekanntes Dateiformat.";

Bytes valid(std::function<void(Bmp &)> change = {})
{
  Bmp b;
  b.width = 5, b.height = 3, b.bits = 8, b.clr_used = 4, b.table = test_table(4), b.pixels = Bytes(24, 1);
  if (change)
    change(b);
  return b.build();
}

Bytes cut(Bytes b, size_t n) { return b.resize(n), b; }

void expect_no_picture(const Picture &pic)
{
  EXPECT_TRUE(pic->poi == nullptr && pic->pmi == nullptr && pic->poih == 0 && pic->pmih == 0);
}

} // namespace

TEST(DamagedBmp, EachFailsWithItsReasonAndNoLargeAllocation)
{
  Bytes garbage(300);
  for (size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = uint8_t(i * 73 + 11);
  Bytes wrong_magic = valid();
  wrong_magic[1] = 'X';
  const std::vector<std::tuple<const char *, Bytes, std::string>> cases = {
      {"only_magic", {'B', 'M'}, incomplete},
      {"header_cut", cut(valid(), 30), incomplete},
      {"garbage", garbage, unknown},
      {"wrong_magic", wrong_magic, unknown},
      {"header_size_13", valid([](Bmp &b) { b.header_size = 13; }), bad_header},
      {"header_size_huge", valid([](Bmp &b) { b.header_size = 0xFFFFFFF0; }), bad_header},
      {"header_beyond_end", valid([](Bmp &b) { b.header_size = 124, b.table = b.pixels = {}; }), incomplete},
      {"width_zero", valid([](Bmp &b) { b.width = 0; }), bad_size},
      {"width_negative", valid([](Bmp &b) { b.width = -5; }), bad_size},
      {"height_most_negative", valid([](Bmp &b) { b.height = INT32_MIN; }), over_limit},
      {"width_over_limit", valid([](Bmp &b) { b.width = 70000; }), over_limit},
      {"pixels_over_limit", valid([](Bmp &b) { b.width = b.height = 40000; }), over_limit},
      {"depth_7", valid([](Bmp &b) { b.bits = 7; }), bad_depth},
      {"jpeg_inside", valid([](Bmp &b) { b.compression = 4; }), bad_compression},
      {"png_inside", valid([](Bmp &b) { b.bits = 0, b.compression = 5; }), bad_compression},
      {"os2_huffman", valid([](Bmp &b) { b.header_size = 64, b.bits = 1, b.compression = 3; }), bad_compression},
      {"bitfields_at_24_bits", valid([](Bmp &b) { b.bits = 24, b.compression = 3, b.table = {}; }), bad_header},
      {"rle8_at_4_bits", valid([](Bmp &b) { b.bits = 4, b.compression = 1; }), bad_header},
      {"rle_top_down", valid([](Bmp &b) { b.compression = 1, b.height = -3; }), bad_header},
      {"table_beyond_end", valid([](Bmp &b) { b.clr_used = 200, b.table.resize(40), b.pixels = {}; }), incomplete},
      {"masks_beyond_end", valid([](Bmp &b) { b.bits = 16, b.compression = 3, b.table = b.pixels = {}; }), incomplete},
      {"pixel_offset_beyond_end", valid([](Bmp &b) { b.off_bits = 0xFFFFFFFF; }), incomplete},
      {"pixels_short", valid([](Bmp &b) { b.pixels.resize(20); }), incomplete},
      {"rle_without_end", valid([](Bmp &b) { b.compression = 1, b.pixels = {5, 1, 0, 0}; }), incomplete},
      {"rle_literal_beyond_end", valid([](Bmp &b) { b.compression = 1, b.pixels = {0, 9, 1, 2}; }), incomplete},
      {"rle_jump_cut", valid([](Bmp &b) { b.compression = 1, b.pixels = {0, 2, 1}; }), incomplete},
      // Tiny files claiming huge pictures or tables.
      {"huge_24", valid([](Bmp &b) { b.bits = 24, b.width = b.height = 16000, b.table = {}; }), incomplete},
      {"huge_32_top_down", valid([](Bmp &b) { b.bits = 32, b.width = 65535, b.height = -4096, b.table = {}; }),
       incomplete},
      {"huge_rle_without_end", valid([](Bmp &b) { b.width = 65535, b.height = 4096, b.compression = 1, b.pixels = {5, 1}; }),
       incomplete},
      {"huge_table_count", valid([](Bmp &b) { b.bits = 24, b.clr_used = 0xFFFFFFFF, b.off_bits = 0; }), incomplete},
  };
  for (const auto &[name, bytes, reason] : cases) {
    Picture pic;
    {
      AddressSpaceCap cap;
      open_bytes(pic, bytes);
    }
    expect_no_picture(pic);
    EXPECT_EQ(error_text(pic), reason) << name;
  }
}

TEST(DamagedBmp, EveryTruncationFailsOrGivesTheWholePicture)
{
  // Cut after every byte: either a reason, or (only bytes the decoder does not
  // need are gone) exactly the full picture, never silently different pixels.
  Bmp rle;
  rle.width = 9, rle.height = 3, rle.bits = 8, rle.compression = 1, rle.clr_used = 16, rle.table = test_table(16);
  rle.pixels = {3, 7, 0, 3, 1, 2, 3, 0, 3, 9, 0, 0, 0, 2, 2, 1, 4, 10, 0, 0, 0, 1};
  Bmp rle4 = rle;
  rle4.bits = 4, rle4.compression = 2;
  Bmp plain;
  plain.width = 3, plain.height = 4;
  for (int i = 0; i < 48; ++i)
    plain.pixels.push_back(uint8_t(i * 5 + 1));
  Bmp os2;
  os2.header_size = 12, os2.width = 5, os2.height = 2, os2.bits = 4, os2.table = test_table(16, 3);
  os2.pixels = {0x12, 0x34, 0x50, 0, 0x67, 0x89, 0xA0, 0};
  for (const Bmp *b : {&rle, &rle4, &plain, &os2}) {
    const Bytes full = b->build();
    Picture whole;
    open_bytes(whole, full);
    ASSERT_NE(whole->poi, nullptr) << error_text(whole);
    for (size_t n = 0; n < full.size(); ++n) {
      Picture pic;
      open_bytes(pic, cut(full, n));
      if (pic->poi)
        EXPECT_EQ(colours_of(pic), colours_of(whole)) << "cut at " << n;
      else
        EXPECT_GT(error_text(pic).size(), 5u) << "cut at " << n;
    }
  }
}

TEST(OpenDibFailure, MissingFilesAndOtherFormatsAreNamed)
{
  TempDir dir;
  write_file(dir.file("leer.bmp"), {});
  const std::string cannot_open = "Die Datei konnte nicht geöffnet werden.";
  for (const auto &[path, reason] : {std::pair{dir.file("fehlt.bmp"), cannot_open}, {dir.path, cannot_open},
                                     {std::string(), cannot_open}, {dir.file("leer.bmp"), std::string("Die Datei ist leer.")}}) {
    dib d;
    std::memset(&d, 0x5A, sizeof d);
    OpenDib(&d, path.c_str(), 0, nullptr);
    EXPECT_TRUE(d.poi == nullptr && d.poih == 0 && d.pmih == 0);
    EXPECT_EQ(error_text(d), reason) << path;
  }
  // Other formats are recognised by content whatever the name says (TGA, which has
  // no signature, by its extension), and go to their own codec.
  const std::tuple<const char *, Bytes, std::string> others[] = {
      {"a.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0}, "Die Datei ist beschädigt oder unvollständig."},
      {"a.bmp", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16}, "Die Datei ist beschädigt oder unvollständig."},
      {"a.tga", {0, 0, 2, 0, 0, 0, 0, 0}, incomplete},
      {"a.xyz", {0, 0, 2, 0, 0, 0, 0, 0}, unknown},
  };
  for (const auto &[name, bytes, reason] : others) {
    Picture pic;
    open_bytes(pic, bytes, name);
    expect_no_picture(pic);
    EXPECT_EQ(error_text(pic), reason) << name;
  }
}
