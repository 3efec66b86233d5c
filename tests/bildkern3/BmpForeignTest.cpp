// BMP files written by independent programs decode to the pixels those programs
// report; files made at test time with ImageMagick and netpbm.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

// Test pictures: 0 many colours; 1 sixteen colours with runs and noise (RLE gets
// encoded and literal runs) at an odd width; 2 black and white.
Bytes pattern_ppm(int kind)
{
  const int w = kind == 0 ? 13 : kind == 1 ? 39 : 11, h = kind == 0 ? 7 : kind == 1 ? 6 : 5;
  std::string out = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int i = x < 20 ? (x / 5 + y) % 16 : (x * 7 + y * 3) % 16;
      const char sixteen[3] = {char(i & 1 ? 255 : i * 16), char(i & 2 ? 128 : 0), char(i & 4 ? 255 : i * 8)};
      const char rich[3] = {char(x * 19), char(y * 36), char(x * y * 7)};
      const char bw = (x * x + y) % 3 ? char(255) : char(0);
      out += kind == 0 ? std::string(rich, 3) : kind == 1 ? std::string(sixteen, 3) : std::string(3, bw);
    }
  return Bytes(out.begin(), out.end());
}

struct Foreign {
  const char *name;
  int pattern;
  const char *writer; // %in / %out are replaced
  const char *reader; // the program that reports the reference pixels
  uint32_t header_size, file_bits, compression; // what the file must be, so the case covers it
  int result_bits;
};

// netpbm reads ImageMagick's files and the other way round, except: ImageMagick
// widens 5- and 6-bit channels by repeating bits where netpbm truncates, and
// bmptopnm refuses ImageMagick's RLE8 runs that end exactly at the right edge.
const Foreign cases[] = {
    {"im_bmp3_24", 0, "convert %in BMP3:%out", "bmptopnm", 40, 24, 0, 24},
    {"im_v5_24", 0, "convert %in BMP:%out", "bmptopnm", 124, 24, 0, 24},
    {"im_8_short_table", 0, "convert %in -colors 40 -type Palette -compress None BMP3:%out", "bmptopnm", 40, 8, 0, 8},
    {"im_4", 1, "convert %in -type Palette BMP3:%out", "bmptopnm", 40, 4, 0, 4},
    {"im_rle8", 1, "convert %in -type Palette -compress RLE BMP3:%out", "convert", 40, 8, 1, 8},
    {"im_rle8_60", 0, "convert %in -colors 60 -type Palette -compress RLE BMP3:%out", "convert", 40, 8, 1, 8},
    {"im_1", 2, "convert %in -type Bilevel BMP3:%out", "bmptopnm", 40, 1, 0, 1},
    {"im_rgb565", 0, "convert %in -define bmp:subtype=RGB565 BMP:%out", "convert", 124, 16, 3, 24},
    {"im_rgb555", 0, "convert %in -define bmp:subtype=RGB555 BMP:%out", "convert", 124, 16, 3, 24},
    {"im_argb32", 0, "convert %in -alpha set BMP:%out", "bmptopnm", 124, 32, 3, 24},
    {"im_os2_4", 1, "convert %in -type Palette BMP2:%out", "bmptopnm", 12, 4, 0, 4},
    {"im_os2_24", 0, "convert %in BMP2:%out", "bmptopnm", 12, 24, 0, 24},
    {"np_24", 0, "ppmtobmp -windows -bpp=24 %in > %out", "convert", 40, 24, 0, 24},
    {"np_8_full_table", 1, "ppmtobmp -windows -bpp=8 %in > %out", "convert", 40, 8, 0, 8},
    {"np_4", 1, "ppmtobmp -windows -bpp=4 %in > %out", "convert", 40, 4, 0, 4},
    {"np_1", 2, "ppmtobmp -windows -bpp=1 %in > %out", "convert", 40, 1, 0, 1},
    {"np_os2_24", 0, "ppmtobmp -os2 -bpp=24 %in > %out", "convert", 12, 24, 0, 24},
    {"np_os2_8", 1, "ppmtobmp -os2 -bpp=8 %in > %out", "convert", 12, 8, 0, 8},
    {"np_os2_1", 2, "ppmtobmp -os2 -bpp=1 %in > %out", "convert", 12, 1, 0, 1},
};

class ForeignBmp : public ::testing::TestWithParam<Foreign> {};

std::string replaced(std::string s, const std::string &key, const std::string &value)
{
  for (size_t at; (at = s.find(key)) != std::string::npos;)
    s.replace(at, key.size(), value);
  return s;
}

} // namespace

TEST_P(ForeignBmp, DecodesToTheReportedPixels)
{
  const Foreign c = GetParam();
  const std::string writer(c.writer, std::strcspn(c.writer, " "));
  for (const std::string &tool : {writer, std::string(c.reader), std::string("ppmtoppm")})
    if (!have_tool(tool))
      GTEST_SKIP() << tool << " is not installed";
  TempDir dir;
  const std::string in = dir.file("in.ppm"), out = dir.file("out.bmp"), ref = dir.file("ref.ppm");
  ASSERT_TRUE(write_file(in, pattern_ppm(c.pattern)));
  ASSERT_TRUE(run(replaced(replaced(c.writer, "%in", "'" + in + "'"), "%out", "'" + out + "'")));
  const Bytes file = read_file(out);
  ASSERT_GE(file.size(), 34u);
  const auto le = [&](size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
      v = v << 8 | file[at + size_t(i)];
    return v;
  };
  ASSERT_EQ(le(14, 4), c.header_size);
  ASSERT_EQ(le(c.header_size == 12 ? 24 : 28, 2), c.file_bits);
  ASSERT_EQ(c.header_size == 12 ? 0 : le(30, 4), c.compression);

  // ppmtoppm turns bmptopnm's PBM or PGM answers into PPM.
  ASSERT_TRUE(run(std::string(c.reader) == "bmptopnm" ? "bmptopnm '" + out + "' | ppmtoppm > '" + ref + "'"
                                                       : "convert '" + out + "' -depth 8 ppm:'" + ref + "'"));
  const std::vector<uint32_t> expected = colours_of_ppm(read_file(ref));
  ASSERT_FALSE(expected.empty());

  Picture pic;
  OpenDib(&pic.get(), out.c_str(), 0, nullptr);
  ASSERT_NE(pic->poi, nullptr) << error_text(pic);
  EXPECT_EQ(pic.bits(), c.result_bits);
  EXPECT_EQ(colours_of(pic), expected);
}

INSTANTIATE_TEST_SUITE_P(Tools, ForeignBmp, ::testing::ValuesIn(cases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ForeignBmp, OurFilesShowOurPixelsInNetpbm)
{
  if (!have_tool("bmptopnm") || !have_tool("ppmtoppm"))
    GTEST_SKIP() << "netpbm is not installed";
  TempDir dir;
  Bytes info(40 + 256 * 4);
  for (size_t i = 40; i < info.size(); ++i)
    info[i] = uint8_t(i * 7);
  for (int bits : {1, 4, 8, 24}) {
    Picture pic;
    newdib(&pic.get(), 21, 6, bits, reinterpret_cast<BITMAPINFO *>(info.data()), 256);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 21; ++x)
        setpixel(pic.get(), x, y, bits == 24 ? rgb(x * 12, y * 40, (x ^ y) * 9) : uint32_t(x + 3 * y) % (1u << bits));
    const std::string out = dir.file("ours.bmp");
    ASSERT_EQ(SaveDib(pic.get(), out.c_str(), BK3_FORMAT_BMP, nullptr), 1);
    ASSERT_TRUE(run("bmptopnm '" + out + "' | ppmtoppm > '" + out + ".ppm'"));
    EXPECT_EQ(colours_of_ppm(read_file(out + ".ppm")), colours_of(pic)) << bits << " bits";
  }
}
