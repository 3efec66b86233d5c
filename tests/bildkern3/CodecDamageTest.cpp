// Damaged GIF, JPEG, TIFF and JPEG 2000 files: cut at every header boundary, wrong
// magic, absurd sizes. Each must fail with a German reason and leave no picture.
#include "AddressSpaceCap.h"
#include "CodecSupport.h"
#include "IffPcxTgaFiles.h"

#include <gtest/gtest.h>

#include <set>

#include <unistd.h>

using namespace bk3test;

namespace {

const std::string bad_size = "Die Bildgröße ist ungültig.";
const std::string over_limit = "Das Bild ist zu groß (höchstens 65535 Pixel je Seite und 268 Millionen Pixel).";
const std::string damaged = "Die Datei ist beschädigt oder unvollständig.";
const std::string unknown = "Unbekanntes Dateiformat.";

uint32_t be32(const Bytes &b, size_t p) { return uint32_t(b[p]) << 24 | uint32_t(b[p + 1]) << 16 | b[p + 2] << 8 | b[p + 3]; }
uint32_t le32(const Bytes &b, size_t p) { return b[p] | b[p + 1] << 8 | uint32_t(b[p + 2]) << 16 | uint32_t(b[p + 3]) << 24; }

// A small picture as one of our own files.
Bytes our_file(int format, const char *ext, Kind kind = Kind::colour, int bits = 24)
{
  Picture pic;
  make_picture(pic, kind, bits, 40, 30);
  TempDir dir;
  const std::string path = dir.file(std::string("f.") + ext);
  if (!save(pic, path, format))
    return {};
  return read_file(path);
}

// Offsets where a reader moves from one header structure to the next.
std::vector<size_t> gif_boundaries(const Bytes &f)
{
  const size_t table = (f[10] & 0x80) ? size_t(3) << ((f[10] & 7) + 1) : 0;
  size_t p = 13 + table;
  std::vector<size_t> at = {3, 6, 10, 13, p};
  while (p < f.size() && f[p] == 0x21) { // extensions
    p += 2;
    while (p < f.size() && f[p] != 0)
      p += f[p] + 1u;
    at.push_back(++p);
  }
  at.insert(at.end(), {p + 5, p + 10, p + 11, p + 12, p + 11 + (f.size() - p) / 2});
  return at;
}

std::vector<size_t> jpeg_boundaries(const Bytes &f)
{
  std::vector<size_t> at = {2, 3};
  size_t p = 2;
  while (p + 4 <= f.size() && f[p] == 0xFF) {
    const size_t length = size_t(f[p + 2]) << 8 | f[p + 3];
    at.insert(at.end(), {p, p + 2, p + 4});
    p += 2 + length;
    if (f[p - 2 - length + 1] == 0xDA) // start of scan: entropy data follows
      break;
  }
  at.insert(at.end(), {p, p + (f.size() - p) / 2, f.size() - 40});
  return at;
}

std::vector<size_t> tiff_boundaries(const Bytes &f)
{
  const size_t ifd = le32(f, 4);
  return {2, 4, 8, ifd, ifd + 2, ifd + 2 + 12 * 4, ifd + 2 + 12 * 8, 8 + (ifd - 8) / 2};
}

// Box starts of a JP2 file and the marker segments of its codestream.
std::vector<size_t> jp2_boundaries(const Bytes &f)
{
  std::vector<size_t> at;
  size_t p = 0, code = 0;
  while (p + 8 <= f.size()) {
    at.insert(at.end(), {p, p + 4, p + 8});
    const uint32_t length = be32(f, p);
    if (std::memcmp(&f[p + 4], "jp2c", 4) == 0) {
      code = p + 8;
      break;
    }
    if (std::memcmp(&f[p + 4], "jp2h", 4) == 0) { // descend into the header box
      p += 8;
      continue;
    }
    p += length;
  }
  p = code + 2; // after SOC
  while (p + 4 <= f.size() && f[p] == 0xFF && f[p + 1] != 0x90) { // up to the first tile
    at.insert(at.end(), {p, p + 2, p + 4});
    p += 2 + (size_t(f[p + 2]) << 8 | f[p + 3]);
  }
  at.insert(at.end(), {p, p + 6, p + 12, p + (f.size() - p) / 2, f.size() - 3});
  return at;
}

struct Family {
  const char *name;
  int format;
  const char *ext;
  std::vector<size_t> (*boundaries)(const Bytes &);
};

const Family families[] = {
    {"gif", BK3_FORMAT_GIF, "gif", gif_boundaries},
    {"jpeg", BK3_FORMAT_JPEG, "jpg", jpeg_boundaries},
    {"tiff", BK3_FORMAT_TIFF, "tif", tiff_boundaries},
    {"jp2", BK3_FORMAT_JP2, "jp2", jp2_boundaries},
};

class Damage : public ::testing::TestWithParam<Family> {};

void expect_failure(const Bytes &bytes, const std::string &ext, const std::set<std::string> &reasons,
                    const std::string &what)
{
  Picture pic;
  open_bytes(pic, bytes, "x." + ext);
  EXPECT_FALSE(pic->poi) << what;
  EXPECT_FALSE(pic->pmi) << what;
  EXPECT_EQ(pic->poih, 0u) << what;
  const std::string reason = error_text(pic);
  if (reasons.empty())
    EXPECT_GT(reason.size(), 5u) << what;
  else
    EXPECT_TRUE(reasons.count(reason)) << what << ": " << reason;
}

TEST_P(Damage, CutAtEveryHeaderBoundaryFails)
{
  const Family &f = GetParam();
  const Bytes whole = our_file(f.format, f.ext);
  ASSERT_FALSE(whole.empty());
  {
    Picture pic;
    open_bytes(pic, whole, std::string("x.") + f.ext);
    ASSERT_TRUE(pic->poi) << "the intact file must open";
  }
  for (size_t cut : f.boundaries(whole)) {
    if (cut == 0 || cut >= whole.size())
      continue;
    expect_failure(Bytes(whole.begin(), whole.begin() + long(cut)), f.ext, {}, "cut at " + std::to_string(cut));
  }
}

TEST_P(Damage, WrongMagicIsAnUnknownFormat)
{
  const Family &f = GetParam();
  Bytes bytes = our_file(f.format, f.ext);
  ASSERT_FALSE(bytes.empty());
  for (size_t at : {size_t(0), size_t(1), size_t(2)}) {
    Bytes wrong = bytes;
    wrong[at] ^= 0x55;
    expect_failure(wrong, f.ext, {unknown}, "byte " + std::to_string(at));
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, Damage, ::testing::ValuesIn(families),
                         [](const auto &info) { return std::string(info.param.name); });

// A GIF of one frame: 2-colour global table and the given (possibly absurd) sizes.
Bytes tiny_gif(uint16_t width, uint16_t height, uint8_t code_size = 2)
{
  Bytes g = {'G', 'I', 'F', '8', '9', 'a'};
  put16(g, width), put16(g, height);
  g.insert(g.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});
  g.push_back(0x2C);
  put16(g, 0), put16(g, 0), put16(g, width), put16(g, height);
  g.insert(g.end(), {0, code_size, 2, 0x44, 0x01, 0, 0x3B}); // clear, 0, end
  return g;
}

TEST(GifDamage, AbsurdSizesAndCodesFailBeforeDecoding)
{
  {
    Picture pic;
    open_bytes(pic, tiny_gif(1, 1), "x.gif");
    ASSERT_TRUE(pic->poi) << "the crafted file itself must be valid: " << error_text(pic);
  }
  expect_failure(tiny_gif(0, 1), "gif", {bad_size}, "zero width");
  expect_failure(tiny_gif(65535, 65535), "gif", {over_limit}, "above the pixel limit");
  // Within the limits, but 20 bytes cannot hold 2^28 pixels even at LZW's best.
  expect_failure(tiny_gif(16384, 16384), "gif", {damaged}, "more pixels than the data holds");
  expect_failure(tiny_gif(4, 4, 12), "gif", {damaged}, "impossible code size");
}

// Sets the height and width of a JPEG's frame header.
Bytes with_jpeg_size(Bytes f, uint16_t width, uint16_t height)
{
  for (size_t p = 2; p + 9 < f.size() && f[p] == 0xFF;) {
    if (f[p + 1] >= 0xC0 && f[p + 1] <= 0xC2) {
      f[p + 5] = uint8_t(height >> 8), f[p + 6] = uint8_t(height);
      f[p + 7] = uint8_t(width >> 8), f[p + 8] = uint8_t(width);
      return f;
    }
    p += 2 + (size_t(f[p + 2]) << 8 | f[p + 3]);
  }
  return {};
}

TEST(JpegDamage, AbsurdSizesFail)
{
  const Bytes f = our_file(BK3_FORMAT_JPEG, "jpg");
  ASSERT_FALSE(with_jpeg_size(f, 40, 30).empty());
  expect_failure(with_jpeg_size(f, 60000, 60000), "jpg", {over_limit}, "above the pixel limit");
  expect_failure(with_jpeg_size(f, 65535, 65535), "jpg", {over_limit, damaged}, "above libjpeg's limit");
  expect_failure(with_jpeg_size(f, 0, 30), "jpg", {}, "zero width");
  // A frame far larger than its data: libjpeg runs out of data, which must not pass.
  expect_failure(with_jpeg_size(f, 4000, 4000), "jpg", {damaged}, "data for 40 x 30 only");
}

// A little-endian TIFF of one 8-bit grey strip: entries (tag, type, value) in order.
Bytes tiny_tiff(uint32_t width, uint32_t height, uint32_t strip_bytes, size_t data_bytes, uint16_t bits = 8,
                uint16_t orientation = 1)
{
  Bytes t = {'I', 'I', 42, 0};
  put32(t, 8);
  const std::vector<std::pair<uint16_t, uint32_t>> entries = {
      {256, width}, {257, height}, {258, bits}, {259, 1}, {262, 1}, {273, 0}, {274, orientation},
      {277, 1}, {278, height}, {279, strip_bytes}};
  put16(t, uint16_t(entries.size()));
  const uint32_t data_at = uint32_t(8 + 2 + 12 * entries.size() + 4);
  for (auto [tag, value] : entries) {
    put16(t, tag);
    put16(t, tag == 258 || tag == 259 || tag == 262 || tag == 274 || tag == 277 ? 3 : 4);
    put32(t, 1);
    put32(t, tag == 273 ? data_at : value);
  }
  put32(t, 0);
  for (size_t i = 0; i < data_bytes; ++i)
    t.push_back(uint8_t(i * 13));
  return t;
}

TEST(TiffDamage, AbsurdSizesAndShortStripsFail)
{
  {
    Picture pic;
    open_bytes(pic, tiny_tiff(4, 3, 12, 12), "x.tif");
    ASSERT_TRUE(pic->poi) << "the crafted file itself must be valid: " << error_text(pic);
    EXPECT_EQ(pic.bits(), 8);
    EXPECT_EQ(getpixel(pic.get(), 1, 0), 13u); // grey 13 with the grey ramp
  }
  expect_failure(tiny_tiff(70000, 2, 140000, 16), "tif", {over_limit}, "wider than the limit");
  expect_failure(tiny_tiff(65535, 65535, 0xFFFFFFFF, 16), "tif", {over_limit}, "above the pixel limit");
  expect_failure(tiny_tiff(0, 3, 0, 16), "tif", {}, "zero width");
  expect_failure(tiny_tiff(4, 3, 12, 7), "tif", {damaged}, "strip cut short");
  expect_failure(tiny_tiff(16384, 16384, 1u << 28, 100), "tif", {damaged}, "2^28 pixels claimed, 100 bytes");
  expect_failure(tiny_tiff(4, 3, 12, 12, 13), "tif", {}, "13 bits per sample");
}

// A BMP header of a 24-bit picture, without its pixels.
Bytes bmp_header(int32_t width, int32_t height)
{
  Bytes b = {'B', 'M'};
  put32(b, 0), put32(b, 0), put32(b, 54);
  put32(b, 40), put32(b, uint32_t(width)), put32(b, uint32_t(height));
  put16(b, 1), put16(b, 24);
  for (int i = 0; i < 6; ++i)
    put32(b, 0);
  return b;
}

// Headers declaring 16384 x 16384 pixels: a FORM ILBM with 24 planes and a body
// of `body_length` bytes, `compression` 0 or 1; a PCX of three 8-bit planes and
// `body` bytes after the header, `encoding` 0 or 1; a Targa of `type` 2 or 10 and
// `body` bytes after the header.
Bytes iff_header(int compression, uint32_t body_length)
{
  Bytes body = chunk("BODY", Bytes(8));
  body[4] = uint8_t(body_length >> 24), body[5] = uint8_t(body_length >> 16), body[6] = uint8_t(body_length >> 8),
  body[7] = uint8_t(body_length);
  return form("ILBM", concat({bmhd(16384, 16384, 24, 0, compression), body}), 0x7FFFFFFF);
}

Bytes pcx_header(int encoding, size_t body)
{
  Pcx p;
  p.encoding = encoding, p.bits = 8, p.planes = 3, p.xmax = p.ymax = 16383, p.line_bytes = 16384;
  p.data = Bytes(body);
  return p.build();
}

Bytes tga_header(int type, size_t body)
{
  Tga t;
  t.type = type, t.width = t.height = 16384, t.bits = 24;
  t.pixels = Bytes(body);
  return t.build();
}

// Sizes the file's bytes cannot hold are refused from the header: neither is the
// whole file read nor the picture allocated.
TEST(DeclaredSize, RefusedBeforeReadingOrAllocating)
{
  struct Case {
    const char *what;
    Bytes head;
    off_t file_size; // grown with zeros (a sparse file) to this size
    const char *ext;
    std::string reason;
  };
  const Case cases[] = {
      {"2 GB of zeros after BM", {'B', 'M'}, (off_t(1) << 31) - 1, "bmp", "Der Bildkopf ist ungültig."},
      {"16384 x 16384 in 100 MB", bmp_header(16384, 16384), off_t(100) << 20, "bmp", "Die Datei ist unvollständig."},
      {"16384 x 16384 top-down in 64 KB", bmp_header(16384, -16384), 0, "bmp", "Die Datei ist unvollständig."},
      {"TIFF of 150 bytes, 16384 x 16384, turned", tiny_tiff(16384, 16384, 8, 8, 8, 4), 0, "tif", damaged},
      // Run-length data may shrink a lot, yet not below a run per 64 (IFF), 63
      // (PCX) or 128 (TGA) bytes; uncompressed data must all be there.
      {"IFF of 80 bytes, 16384 x 16384, packed", iff_header(1, 8), 0, "iff", damaged},
      {"IFF in 500 MB, 16384 x 16384, 24 planes", iff_header(0, 500 << 20), off_t(500) << 20, "iff", damaged},
      {"PCX of 200 bytes, 16384 x 16384, packed", pcx_header(1, 200), 0, "pcx", damaged},
      {"PCX in 500 MB, 16384 x 16384, 24 bits", pcx_header(0, 0), off_t(500) << 20, "pcx", damaged},
      {"TGA of 40 bytes, 16384 x 16384, packed", tga_header(10, 22), 0, "tga", damaged},
      {"TGA in 500 MB, 16384 x 16384, 24 bits", tga_header(2, 0), off_t(500) << 20, "tga", damaged},
      {"GIF of 30 bytes, 16384 x 16384", tiny_gif(16384, 16384), 0, "gif", damaged},
      {"JPEG of 1 KB, 16384 x 16384", with_jpeg_size(our_file(BK3_FORMAT_JPEG, "jpg"), 16384, 16384), 0, "jpg",
       damaged},
  };
  for (const Case &c : cases) {
    TempDir dir;
    const std::string path = dir.file(std::string("x.") + c.ext);
    ASSERT_TRUE(write_file(path, c.head));
    if (c.file_size > 0) {
      ASSERT_EQ(::truncate(path.c_str(), c.file_size), 0) << c.what;
    }
    Picture pic;
    {
      AddressSpaceCap cap; // the refusal needs no memory worth mentioning
      OpenDib(&pic.get(), path.c_str(), 0, nullptr);
    }
    EXPECT_FALSE(pic->poi) << c.what;
    EXPECT_EQ(error_text(pic), c.reason) << c.what;
  }
}

// Sets Xsiz and Ysiz of a raw codestream's SIZ segment; with `one_tile`, the tile
// size too, so the header stays consistent and only the decoder's memory is at stake.
Bytes with_j2k_size(Bytes f, uint32_t width, uint32_t height, bool one_tile = false)
{
  if (f.size() < 32 || f[2] != 0xFF || f[3] != 0x51)
    return {};
  for (int i = 0; i < 4; ++i) {
    f[8 + size_t(i)] = uint8_t(width >> (24 - 8 * i));
    f[12 + size_t(i)] = uint8_t(height >> (24 - 8 * i));
    if (one_tile) {
      f[24 + size_t(i)] = uint8_t(width >> (24 - 8 * i));
      f[28 + size_t(i)] = uint8_t(height >> (24 - 8 * i));
    }
  }
  return f;
}

TEST(Jp2Damage, AbsurdSizesFailBeforeDecoding)
{
  if (!have_tool("convert"))
    GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  Picture pic;
  make_picture(pic, Kind::colour, 24, 40, 30);
  write_ppm(dir.file("in.ppm"), colours_of(pic), 40, 30);
  ASSERT_TRUE(written_by("convert {in} {out}", dir.file("in.ppm"), dir.file("f.j2k")));
  const Bytes f = read_file(dir.file("f.j2k"));
  ASSERT_FALSE(with_j2k_size(f, 40, 30).empty());
  expect_failure(with_j2k_size(f, 70000, 30), "j2k", {over_limit, damaged}, "wider than the limit");
  expect_failure(with_j2k_size(f, 0xFFFFFF, 0xFFFFFF), "j2k", {bad_size, over_limit, damaged}, "above the pixel limit");
  expect_failure(with_j2k_size(f, 16384, 16384), "j2k", {damaged}, "2^28 pixels in tiles of the old size");
  // Within the library's limits, but more than the decoder may hold for a few bytes of input.
  const std::string too_large = "Das Bild ist zu groß.";
  expect_failure(with_j2k_size(f, 16384, 16384, true), "j2k", {too_large}, "2^28 pixels from a tiny codestream");
  expect_failure(with_j2k_size(f, 10000, 9000, true), "j2k", {too_large}, "90 megapixels in colour");
}

} // namespace
