// PNG: files of every colour type and depth from ImageMagick and netpbm decode to
// the pixels ImageMagick shows over a white background, rounded to 8 bits; our
// files read back the same and outside decoders see the same; damaged files are
// refused.
#include "CodecSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace bk3test;

namespace {

constexpr int kWidth = 77, kHeight = 51;

uint32_t be32(const Bytes &b, size_t p) { return uint32_t(b[p]) << 24 | uint32_t(b[p + 1]) << 16 | b[p + 2] << 8 | b[p + 3]; }

bool has_chunk(const Bytes &png, const char *type)
{
  for (size_t p = 8; p + 8 <= png.size(); p += 12 + be32(png, p))
    if (std::memcmp(&png[p + 4], type, 4) == 0)
      return true;
  return false;
}

// 16-bit samples that are not multiples of 257, so rounding to 8 bits matters, and
// an alpha plane with fully opaque, fully transparent and every value between.
void write_sources(const TempDir &dir)
{
  std::mt19937 random(14);
  std::string rgb = "P6\n77 51\n65535\n", alpha = "P5\n77 51\n65535\n";
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) {
        const unsigned v = (x * 851u + y * 1283u + c * 20000u + random() % 3000) & 0xFFFF;
        rgb += {char(v >> 8), char(v)};
      }
      const unsigned a = (x + y) % 3 ? random() & 0xFFFF : x % 2 ? 0 : 0xFFFF;
      alpha += {char(a >> 8), char(a)};
    }
  write_file(dir.file("in.ppm"), Bytes(rgb.begin(), rgb.end()));
  write_file(dir.file("alpha.pgm"), Bytes(alpha.begin(), alpha.end()));
}

// ImageMagick's view of a file composited over white, at 16 bits a sample (its own
// reduction to 8 bits truncates), each sample rounded to 8 bits: round(v * 255 / 65535).
std::vector<uint32_t> over_white_by_convert(const std::string &path)
{
  const std::string out = path + ".ppm";
  if (!run("convert '" + path + "' -background white -alpha remove -alpha off -depth 16 'ppm:" + out + "'"))
    return {};
  const Bytes b = read_file(out);
  const std::string head = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n65535\n";
  if (b.size() != head.size() + size_t(6 * kWidth * kHeight) || std::memcmp(b.data(), head.data(), head.size()) != 0)
    return {};
  std::vector<uint32_t> colours;
  for (size_t i = head.size(); i < b.size(); i += 6) {
    uint32_t c = 0;
    for (int s = 0; s < 3; ++s)
      c |= ((uint32_t(b[i + 2 * s]) << 8 | b[i + 2 * s + 1]) + 128) / 257 << (8 * s);
    colours.push_back(c);
  }
  return colours;
}

struct PngKind {
  const char *name;
  const char *writer; // {in}: 16-bit RGB, {a}: 16-bit alpha, {out}
  int colour_type, depth;
  bool interlaced, trns;
  int bits; // the depth we must return
};

#define RGBA "convert {in} {a} -alpha off -compose CopyOpacity -composite "
#define PNG(type, depth) " -define png:color-type=" #type " -define png:bit-depth=" #depth " "

const PngKind kinds[] = {
    {"palette1", "convert {in} -depth 8 ppm:- | pnmquant 2 | pnmtopng > {out}", 3, 1, false, false, 1},
    {"palette2", "convert {in} -depth 8 ppm:- | pnmquant 4 | pnmtopng > {out}", 3, 2, false, false, 4},
    {"palette4", "convert {in} -colors 16" PNG(3, 4) "{out}", 3, 4, false, false, 4},
    {"palette8", "convert {in} -colors 200" PNG(3, 8) "{out}", 3, 8, false, false, 8},
    {"palette8_alpha", RGBA "-depth 8 -colors 100 -define png:format=png8 {out}", 3, 8, false, true, 8},
    {"palette2_interlaced", "convert {in} -depth 8 ppm:- | pnmquant 4 | pnmtopng -interlace > {out}", 3, 2, true, false, 4},
    {"grey1", "convert {in} -colorspace Gray -depth 1" PNG(0, 1) "{out}", 0, 1, false, false, 1},
    {"grey2", "convert {in} -colorspace Gray -depth 2" PNG(0, 2) "{out}", 0, 2, false, false, 4},
    {"grey4", "convert {in} -colorspace Gray -depth 4" PNG(0, 4) "{out}", 0, 4, false, false, 4},
    {"grey8", "convert {in} -colorspace Gray -depth 8" PNG(0, 8) "{out}", 0, 8, false, false, 8},
    {"grey8_keyed", "convert {in} -colorspace Gray -depth 8 -fill black -draw 'rectangle 5,5 30,20' -transparent black"
                    PNG(0, 8) "{out}", 0, 8, false, true, 8},
    {"grey16", "convert {in} -colorspace Gray" PNG(0, 16) "{out}", 0, 16, false, false, 8},
    {"grey16_interlaced", "convert {in} -colorspace Gray -interlace PNG" PNG(0, 16) "{out}", 0, 16, true, false, 8},
    {"grey_alpha8", RGBA "-colorspace Gray -depth 8" PNG(4, 8) "{out}", 4, 8, false, false, 8},
    {"grey_alpha16", RGBA "-colorspace Gray" PNG(4, 16) "{out}", 4, 16, false, false, 8},
    {"rgb8", "convert {in} -depth 8" PNG(2, 8) "{out}", 2, 8, false, false, 24},
    {"rgb8_keyed", "convert {in} -depth 8 -fill red -draw 'rectangle 5,5 30,20' -transparent red" PNG(2, 8) "{out}",
     2, 8, false, true, 24},
    {"rgb8_interlaced", "convert {in} -depth 8 -interlace PNG" PNG(2, 8) "{out}", 2, 8, true, false, 24},
    {"rgb16", "convert {in}" PNG(2, 16) "{out}", 2, 16, false, false, 24},
    {"rgba8", RGBA "-depth 8" PNG(6, 8) "{out}", 6, 8, false, false, 24},
    {"rgba16", RGBA PNG(6, 16) "{out}", 6, 16, false, false, 24},
    {"rgba16_interlaced", RGBA "-interlace PNG" PNG(6, 16) "{out}", 6, 16, true, false, 24},
};

class PngForeign : public ::testing::TestWithParam<PngKind> {};

TEST_P(PngForeign, DecodesToThePixelsImageMagickShowsOverWhite)
{
  const PngKind &k = GetParam();
  if (!have_tool("convert") || !have_tool("pnmtopng"))
    GTEST_SKIP() << "ImageMagick or netpbm is not installed";
  TempDir dir;
  write_sources(dir);
  std::string command = k.writer;
  for (auto [key, value] : {std::pair<std::string, std::string>{"{in}", "in.ppm"}, {"{a}", "alpha.pgm"}, {"{out}", "f.png"}})
    for (size_t at; (at = command.find(key)) != std::string::npos;)
      command.replace(at, key.size(), "'" + dir.file(value) + "'");
  ASSERT_TRUE(run(command)) << command;
  const Bytes file = read_file(dir.file("f.png"));
  // The writer made the kind we asked for, not one it liked better.
  ASSERT_GT(file.size(), 33u);
  ASSERT_EQ(file[25], k.colour_type);
  ASSERT_EQ(file[24], k.depth);
  ASSERT_EQ(file[28], k.interlaced ? 1 : 0);
  ASSERT_EQ(has_chunk(file, "tRNS"), k.trns);

  const auto reference = over_white_by_convert(dir.file("f.png"));
  ASSERT_EQ(reference.size(), size_t(kWidth * kHeight));
  Picture pic;
  open(pic, dir.file("f.png"));
  ASSERT_TRUE(pic->poi) << error_text(pic);
  EXPECT_EQ(pic.bits(), k.bits);
  EXPECT_EQ(pic->pmi->bmiHeader.biWidth, kWidth);
  EXPECT_EQ(pic->pmi->bmiHeader.biHeight, kHeight);
  EXPECT_EQ(colours_of(pic), reference);
}

INSTANTIATE_TEST_SUITE_P(Writers, PngForeign, ::testing::ValuesIn(kinds),
                         [](const auto &info) { return std::string(info.param.name); });

struct Trip {
  const char *name;
  bk3test::Kind kind;
  int bits;
  int colour_type, depth; // what the file must say
};

const Trip trips[] = {
    {"palette1", bk3test::Kind::palette, 1, 3, 1}, {"palette4", bk3test::Kind::palette, 4, 3, 4},
    {"palette8", bk3test::Kind::palette, 8, 3, 8}, {"grey8", bk3test::Kind::grey, 8, 3, 8},
    {"rgb", bk3test::Kind::colour, 24, 2, 8},
};

class PngRoundTrip : public ::testing::TestWithParam<Trip> {};

TEST_P(PngRoundTrip, ReadsBackTheSamePictureAndTableAndOthersSeeIt)
{
  const Trip &t = GetParam();
  Picture source;
  make_picture(source, t.kind, t.bits);
  source->pmi->bmiHeader.biXPelsPerMeter = 3780;
  source->pmi->bmiHeader.biYPelsPerMeter = 2835;
  TempDir dir;
  const std::string path = dir.file("out.png");
  ASSERT_TRUE(save(source, path, BK3_FORMAT_PNG));
  const Bytes file = read_file(path);
  ASSERT_GT(file.size(), 33u);
  EXPECT_EQ(file[25], t.colour_type);
  EXPECT_EQ(file[24], t.depth);

  Picture back;
  open(back, path);
  ASSERT_TRUE(back->poi) << error_text(back);
  EXPECT_EQ(back.bits(), t.bits);
  EXPECT_EQ(colours_of(back), colours_of(source));
  EXPECT_EQ(back->pmi->bmiHeader.biXPelsPerMeter, 3780);
  EXPECT_EQ(back->pmi->bmiHeader.biYPelsPerMeter, 2835);
  if (t.bits <= 8) {
    EXPECT_EQ(std::memcmp(colour_table(back.get()), colour_table(source.get()), sizeof(RGBQUAD) << t.bits), 0);
  }
  if (have_tool("pngtopam")) {
    EXPECT_EQ(decoded_by("pngtopam", path), colours_of(source)) << "netpbm";
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, PngRoundTrip, ::testing::ValuesIn(trips),
                         [](const auto &info) { return std::string(info.param.name); });

// Our own file, cut or with one byte changed, and files that claim more than they hold.
const std::string damaged = "Die Datei ist beschädigt oder unvollständig.";

Bytes our_png()
{
  Picture pic;
  make_picture(pic, bk3test::Kind::colour, 24, 40, 30);
  TempDir dir;
  return save(pic, dir.file("f.png"), BK3_FORMAT_PNG) ? read_file(dir.file("f.png")) : Bytes{};
}

std::string reason_for(const Bytes &bytes)
{
  Picture pic;
  open_bytes(pic, bytes, "x.png");
  if (pic->poi || pic->pmi || pic->poih)
    return "opened";
  return error_text(pic);
}

TEST(PngDamage, CutOrChangedFilesAreRefused)
{
  const Bytes whole = our_png();
  ASSERT_GT(whole.size(), 100u);
  ASSERT_EQ(reason_for(whole), "opened");
  const size_t idat = 33; // the first chunk after IHDR
  ASSERT_EQ(std::string(whole.begin() + 37, whole.begin() + 41), "IDAT");
  const size_t end = whole.size();
  for (size_t cut : {size_t(10), size_t(20), size_t(29), idat, idat + 8, idat + 20, end / 2, end - 20, end - 12})
    EXPECT_EQ(reason_for(Bytes(whole.begin(), whole.begin() + long(cut))), damaged) << "cut at " << cut;
  for (size_t at : {size_t(26), size_t(30), idat + 30, end - 30}) {
    Bytes changed = whole;
    changed[at] ^= 0x41;
    EXPECT_EQ(reason_for(changed), damaged) << "changed at " << at;
  }
  Bytes magic = whole;
  magic[1] = 'X';
  EXPECT_EQ(reason_for(magic), "Unbekanntes Dateiformat.");
}

// IHDR with a new size and its checksum made right, the image data left as it is.
Bytes with_size(Bytes png, uint32_t width, uint32_t height)
{
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = uint8_t(width >> (24 - 8 * i));
    png[20 + i] = uint8_t(height >> (24 - 8 * i));
  }
  uint32_t crc = 0xFFFFFFFF;
  for (size_t i = 12; i < 29; ++i) {
    crc ^= png[i];
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  crc ^= 0xFFFFFFFF;
  for (int i = 0; i < 4; ++i)
    png[29 + i] = uint8_t(crc >> (24 - 8 * i));
  return png;
}

TEST(PngDamage, SizesOutsideTheLimitsOrBeyondTheDataAreRefusedUnallocated)
{
  const Bytes whole = our_png();
  ASSERT_GT(whole.size(), 100u);
  const std::string bad_size = "Die Bildgröße ist ungültig.";
  const std::string over_limit = "Das Bild ist zu groß (höchstens 65535 Pixel je Seite und 268 Millionen Pixel).";
  EXPECT_EQ(reason_for(with_size(whole, 0, 30)), bad_size);
  EXPECT_EQ(reason_for(with_size(whole, 65536, 1)), over_limit);
  EXPECT_EQ(reason_for(with_size(whole, 20000, 20000)), over_limit);
  // 16384 x 16384 pixels of 3 bytes cannot come from a few kilobytes.
  AddressSpaceCap cap;
  EXPECT_EQ(reason_for(with_size(whole, 16384, 16384)), damaged);
}

} // namespace
