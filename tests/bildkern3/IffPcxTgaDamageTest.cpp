// Damaged, truncated and absurd IFF, PCX and TGA files fail with a German reason,
// never crash and never make the library allocate for what a file only claims.
#include "IffPcxTgaFiles.h"

#include <gtest/gtest.h>


using namespace bk3test;

namespace {
const std::string over_limit = "Das Bild ist zu groß (höchstens 65535 Pixel je Seite und 268 Millionen Pixel).";

const std::string incomplete = "Die Datei ist unvollständig.", damaged = "Die Datei ist beschädigt oder unvollständig.",
                  bad_size = "Die Bildgröße ist ungültig.", bad_header = "Der Bildkopf ist ungültig.",
                  bad_depth = "Diese Farbtiefe wird nicht unterstützt.",
                  bad_compression = "Diese Komprimierungsart wird nicht unterstützt.", unknown = "Unbekanntes Dateiformat.";

// ILBM, 5 x 3, two planes, ByteRun1 with one literal packet per plane row.
Bytes ilbm(const Bytes &header = bmhd(5, 3, 2, 0, 1), const Bytes &extra = {}, int rows = 3)
{
  Bytes body;
  for (int i = 0; i < rows * 2; ++i)
    body.insert(body.end(), {1, uint8_t(0x50 + i * 16), 0});
  return form("ILBM", concat({header, cmap({1, 2, 3, 4}), extra, chunk("BODY", body)}));
}

// PCX, 5 x 3, 8 bits run-length coded, palette at the end.
Pcx pcx()
{
  Pcx p;
  p.xmax = 4, p.ymax = 2, p.line_bytes = 6;
  p.data = {1, 2, 0xC3, 3, 4, 5, 0xC2, 6, 7, 8, 9, 0xC6, 10};
  p.tail = Bytes(769, 40);
  p.tail[0] = 0x0C;
  return p;
}

// TGA, 5 x 3, 24 bits run-length coded.
Tga tga()
{
  Tga t;
  t.type = 10, t.width = 5, t.height = 3;
  t.pixels = {0x84, 1, 2, 3, 0x04, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 0x84, 9, 9, 9};
  return t;
}

template <class T> Bytes with(T file, const std::function<void(T &)> &change)
{
  change(file);
  return file.build();
}

Bytes cut(Bytes b, size_t n) { return b.resize(n), b; }

void expect_no_picture(const Picture &pic)
{
  EXPECT_TRUE(pic->poi == nullptr && pic->pmi == nullptr && pic->poih == 0 && pic->pmih == 0);
}

} // namespace

TEST(DamagedIffPcxTga, EachFailsWithItsReasonAndNoLargeAllocation)
{
  Bytes not_form = ilbm();
  not_form[3] = 'X';
  Bytes anim = ilbm();
  std::memcpy(&anim[8], "ANIM", 4);
  Bytes short_bmhd = ilbm();
  short_bmhd[12 + 7] = 10; // BMHD claims 10 bytes; the rest reads as a chunk
  const auto tga_with = [](const std::function<void(Tga &)> &f) { return with<Tga>(tga(), f); };
  const auto pcx_with = [](const std::function<void(Pcx &)> &f) { return with<Pcx>(pcx(), f); };

  const std::vector<std::tuple<const char *, const char *, Bytes, std::string>> cases = {
      {"iff_not_form", "a.iff", not_form, unknown},
      {"iff_anim", "a.iff", anim, unknown},
      {"iff_short_bmhd", "a.iff", short_bmhd, bad_header},
      {"iff_no_bmhd", "a.iff", form("ILBM", chunk("BODY", {0, 0})), bad_header},
      {"iff_no_body", "a.iff", form("ILBM", bmhd(5, 3, 2)), damaged},
      {"iff_body_beyond_end", "a.iff", form("ILBM", concat({bmhd(5, 3, 2), Bytes{'B', 'O', 'D', 'Y', 0, 0, 9, 0, 1}})),
       damaged},
      {"iff_no_planes", "a.iff", ilbm(bmhd(5, 3, 0, 0, 1)), bad_depth},
      {"iff_9_planes", "a.iff", ilbm(bmhd(5, 3, 9, 0, 1)), bad_depth},
      {"iff_pbm_4_planes", "a.lbm", form("PBM ", concat({bmhd(2, 1, 4), chunk("BODY", {1, 2})})), bad_depth},
      {"iff_vdat_compression", "a.iff", ilbm(bmhd(5, 3, 2, 0, 2)), bad_compression},
      {"iff_width_0", "a.iff", ilbm(bmhd(0, 3, 2, 0, 1)), bad_size},
      {"iff_too_many_pixels", "a.iff", ilbm(bmhd(65535, 65535, 2, 0, 1)), over_limit},
      {"iff_huge_tiny_body", "a.iff", ilbm(bmhd(60000, 4000, 1, 0, 1)), damaged},
      {"iff_huge_uncompressed", "a.iff", ilbm(bmhd(60000, 4000, 8, 0, 0)), damaged},
      {"iff_run_over_row", "a.iff",
       form("ILBM", concat({bmhd(5, 1, 1, 0, 1), chunk("BODY", {uint8_t(-127), 7, 0, 0, 0, 0, 0, 0})})), damaged},
      {"iff_literal_over_row", "a.iff",
       form("ILBM", concat({bmhd(5, 1, 1, 0, 1), chunk("BODY", {5, 1, 2, 3, 4, 5, 6})})), damaged},
      {"iff_rows_missing", "a.iff", ilbm(bmhd(5, 3, 2, 0, 1), {}, 2), damaged},

      {"pcx_xmax_below_xmin", "a.pcx", pcx_with([](Pcx &p) { p.xmin = 5, p.xmax = 4; }), bad_size},
      {"pcx_too_wide", "a.pcx", pcx_with([](Pcx &p) { p.xmax = 65535, p.xmin = 0; }), over_limit},
      {"pcx_8_bits_5_planes", "a.pcx", pcx_with([](Pcx &p) { p.planes = 5; }), bad_depth},
      {"pcx_2_bits_3_planes", "a.pcx", pcx_with([](Pcx &p) { p.bits = 2, p.planes = 3; }), bad_depth},
      {"pcx_line_bytes_short", "a.pcx", pcx_with([](Pcx &p) { p.line_bytes = 4; }), bad_header},
      {"pcx_unknown_encoding", "a.pcx", pcx_with([](Pcx &p) { p.encoding = 2; }), unknown},
      {"pcx_header_cut", "a.pcx", cut(pcx().build(), 100), unknown},
      {"pcx_huge_tiny_data", "a.pcx", pcx_with([](Pcx &p) { p.xmax = 59999, p.ymax = 3999, p.line_bytes = 60000; }),
       damaged},
      {"pcx_huge_uncompressed", "a.pcx", pcx_with([](Pcx &p) { p.encoding = 0, p.ymax = 40000; }), damaged},
      {"pcx_run_past_the_end", "a.pcx", pcx_with([](Pcx &p) { p.data[p.data.size() - 2] = 0xC8; }),
       damaged},
      {"pcx_data_short", "a.pcx", pcx_with([](Pcx &p) { p.data.resize(8); }), damaged},
      {"pcx_8_bits_without_palette", "a.pcx", pcx_with([](Pcx &p) { p.tail.clear(); }), damaged},
      {"pcx_palette_cut", "a.pcx", pcx_with([](Pcx &p) { p.tail.resize(700); }), damaged},

      {"tga_header_cut", "a.tga", cut(tga().build(), 17), incomplete},
      {"tga_no_picture", "a.tga", tga_with([](Tga &t) { t.type = 0; }), damaged},
      {"tga_huffman", "a.tga", tga_with([](Tga &t) { t.type = 32; }), bad_compression},
      {"tga_type_7", "a.tga", tga_with([](Tga &t) { t.type = 7; }), bad_header},
      {"tga_map_type_2", "a.tga", tga_with([](Tga &t) { t.map_type = 2; }), bad_header},
      {"tga_depth_12", "a.tga", tga_with([](Tga &t) { t.bits = 12; }), bad_depth},
      {"tga_grey_24", "a.tga", tga_with([](Tga &t) { t.type = 11; }), bad_depth},
      {"tga_width_0", "a.tga", tga_with([](Tga &t) { t.width = 0; }), bad_size},
      {"tga_mapped_without_map", "a.tga", tga_with([](Tga &t) { t.type = 9, t.bits = 8; }), bad_header},
      {"tga_map_bits_7", "a.tga", tga_with([](Tga &t) { t.type = 9, t.bits = 8, t.map_type = 1, t.map_bits = 7; }),
       bad_depth},
      {"tga_map_beyond_end", "a.tga",
       tga_with([](Tga &t) { t.type = 9, t.bits = 8, t.map_type = 1, t.map_bits = 24, t.map_length = 65535; }),
       incomplete},
      {"tga_id_beyond_end", "a.tga", tga_with([](Tga &t) { t.id_length = 255; }), incomplete},
      {"tga_huge_rle", "a.tga", tga_with([](Tga &t) { t.width = 65535, t.height = 4000; }), damaged},
      {"tga_huge_raw", "a.tga", tga_with([](Tga &t) { t.type = 2, t.width = 65535, t.height = 4000; }), damaged},
      {"tga_raw_short", "a.tga", tga_with([](Tga &t) { t.type = 2; }), damaged},
      {"tga_run_past_the_end", "a.tga", tga_with([](Tga &t) { t.pixels[20] = 0x85; }), damaged},
      {"tga_raw_packet_cut", "a.tga", tga_with([](Tga &t) { t.pixels[4] = 0x60; }), damaged},
  };
  for (const auto &[name, file_name, bytes, reason] : cases) {
    Picture pic;
    {
      AddressSpaceCap cap;
      open_bytes(pic, bytes, file_name);
    }
    expect_no_picture(pic);
    EXPECT_EQ(error_text(pic), reason) << name;
  }
}

TEST(DamagedIffPcxTga, EveryTruncationFailsOrGivesTheWholePicture)
{
  // Crafted files and our own, cut after every byte: either a reason, or (only bytes
  // the decoder does not need are gone) exactly the whole picture.
  std::vector<std::pair<std::string, Bytes>> files = {
      {"a.iff", ilbm()},
      {"a.lbm", form("PBM ", concat({chunk("ANNO", {1}), bmhd(3, 2, 8, 0, 1), cmap({5, 6, 7}),
                                     chunk("BODY", {uint8_t(-2), 1, 0, 2, uint8_t(-3), 5})}))},
      {"a.pcx", pcx().build()},
      {"a.tga", tga().build()},
  };
  TempDir dir;
  Bytes info(40 + 256 * 4);
  for (size_t i = 40; i < info.size(); ++i)
    info[i] = uint8_t(i * 13);
  for (const auto &[ext, code] : {std::pair{"iff", BK3_FORMAT_IFF}, {"pcx", BK3_FORMAT_PCX}, {"tga", BK3_FORMAT_TGA}})
    for (int bits : {4, 24}) {
      Picture pic;
      newdib(&pic.get(), 19, 3, bits, reinterpret_cast<BITMAPINFO *>(info.data()), 256);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 19; ++x)
          setpixel(pic.get(), x, y, bits == 24 ? rgb(x / 4 * 50, y * 9, 7) : uint32_t(x / 3 + y) % 16);
      const std::string path = dir.file(std::string("ours.") + ext);
      ASSERT_EQ(SaveDib(pic.get(), path.c_str(), code, nullptr), 1);
      files.emplace_back(std::string("ours.") + ext, read_file(path));
    }

  for (const auto &[name, full] : files) {
    Picture whole;
    open_bytes(whole, full, name);
    ASSERT_NE(whole->poi, nullptr) << name << ": " << error_text(whole);
    for (size_t n = 0; n < full.size(); ++n) {
      Picture pic;
      open_bytes(pic, cut(full, n), name);
      if (pic->poi)
        EXPECT_EQ(colours_of(pic), colours_of(whole)) << name << " cut at " << n;
      else
        EXPECT_GT(error_text(pic).size(), 5u) << name << " cut at " << n;
    }
  }
}
