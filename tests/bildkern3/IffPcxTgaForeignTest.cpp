// IFF, PCX and TGA files written by netpbm and ImageMagick at test time decode to
// the pixels that an independent reader reports for the same file.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

// Test pictures: 0 many colours; 1 sixteen colours with runs and noise at an odd
// width; 2 black and white; 3 two colours, neither black nor white; 4 four colours;
// 5 thirty colours (five bitplanes); 6 wide rows of long runs of bytes that look
// like PCX counts, then noise (the decoders' paths for long rows); 7 the same on a
// picture large enough to be decoded in two halves at once.
Bytes pattern_ppm(int kind)
{
  const int w = kind == 1 ? 39 : kind == 6 ? 203 : kind == 7 ? 1024 : 13;
  const int h = kind == 1 ? 6 : kind == 6 ? 12 : kind == 7 ? 1024 : 7;
  std::string out = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int i = x < 20 ? (x / 5 + y) % 16 : (x * 7 + y * 3) % 16;
      const int c = kind == 3 ? (x + y) % 2 : kind == 4 ? (x / 2 + y) % 4 : (x * 3 + y * 5) % 30;
      unsigned char p[3];
      switch (kind) {
      case 0: p[0] = uint8_t(x * 19), p[1] = uint8_t(y * 36), p[2] = uint8_t(x * y * 7); break;
      case 1: p[0] = uint8_t(i & 1 ? 255 : i * 16), p[1] = i & 2 ? 128 : 0, p[2] = uint8_t(i & 4 ? 255 : i * 8); break;
      case 2: p[0] = p[1] = p[2] = (x * x + y) % 3 ? 255 : 0; break;
      case 6:
      case 7:
        if (x < 120)
          p[0] = uint8_t(0xC0 + x / 40 + y), p[1] = uint8_t(x / 17 * 40), p[2] = uint8_t(x / 11 * 23);
        else
          p[0] = uint8_t(x * 37 + y * 11), p[1] = uint8_t(x * x + y), p[2] = uint8_t((x * 13) ^ (y * 7));
        break;
      default: p[0] = uint8_t(40 + c * 7), p[1] = uint8_t(200 - c * 5), p[2] = uint8_t(c * 8); break;
      }
      out.append(reinterpret_cast<char *>(p), 3);
    }
  return Bytes(out.begin(), out.end());
}

struct Foreign {
  const char *name;
  int pattern;
  const char *ext;
  const char *writer; // %in / %out are replaced
  const char *reader; // prints the reference pixels as PPM; %f is replaced
  int fact1, fact2;   // what the file must be (see file_facts), so the case covers it
  int result_bits;
  int tolerance = 0; // per channel: decoders widen 5-bit values differently
};

// IFF: planes and compression; PCX: bits per plane and planes; TGA: type and depth.
std::pair<int, int> file_facts(const std::string &ext, const Bytes &f)
{
  if (ext == "pcx")
    return f.size() >= 128 ? std::pair{int(f[3]), int(f[65])} : std::pair{-1, -1};
  if (ext == "tga")
    return f.size() >= 18 ? std::pair{int(f[2]), int(f[16])} : std::pair{-1, -1};
  for (size_t i = 12; i + 19 < f.size(); ++i)
    if (std::memcmp(&f[i], "BMHD", 4) == 0)
      return {f[i + 16], f[i + 18]};
  return {-1, -1};
}

const char *const ilbm = "ilbmtoppm %f", *const pcx = "pcxtoppm %f", *const tga = "tgatoppm %f",
                  *const im = "convert %f -depth 8 ppm:-",
                  // This ImageMagick leaves Targa rows where they are and only notes the origin.
                  *const im_tga = "convert %f -auto-orient -depth 8 ppm:-";

const Foreign cases[] = {
    // netpbm's ILBM writer in its depths and modes; ilbmtoppm is the reference.
    {"np_ilbm_1_plane", 2, "iff", "ppmtoilbm %in", ilbm, 1, 1, 1},
    {"np_ilbm_2_planes", 4, "iff", "ppmtoilbm %in", ilbm, 2, 1, 4},
    {"np_ilbm_4_planes", 1, "iff", "ppmtoilbm %in", ilbm, 4, 1, 4},
    {"np_ilbm_5_planes", 5, "iff", "ppmtoilbm %in", ilbm, 5, 1, 8},
    {"np_ilbm_8_planes", 1, "iff", "ppmtoilbm -fixplanes 8 %in", ilbm, 8, 1, 8},
    {"np_ilbm_uncompressed", 1, "iff", "ppmtoilbm -nocompress %in", ilbm, 4, 0, 4},
    {"np_ilbm_24", 0, "iff", "ppmtoilbm -24force %in", ilbm, 24, 1, 24},
    {"np_ilbm_24_wide", 6, "iff", "ppmtoilbm -24force %in", ilbm, 24, 1, 24},
    {"np_ilbm_24_large", 7, "iff", "ppmtoilbm -24force %in", ilbm, 24, 1, 24},
    {"np_ilbm_24_uncompressed", 0, "iff", "ppmtoilbm -24force -nocompress %in", ilbm, 24, 0, 24},
    {"np_ilbm_ham6", 0, "iff", "ppmtoilbm -ham6 %in", ilbm, 6, 1, 24},
    {"np_ilbm_ham8", 0, "iff", "ppmtoilbm -ham8 %in", ilbm, 8, 1, 24},
    {"np_ilbm_ham6_uncompressed", 0, "iff", "ppmtoilbm -ham6 -nocompress %in", ilbm, 6, 0, 24},
    // PCX: netpbm's writer checked by ImageMagick where it reads the depth right.
    {"np_pcx_4_planes", 1, "pcx", "ppmtopcx %in", im, 1, 4, 4},
    {"np_pcx_2_planes", 4, "pcx", "ppmtopcx %in", im, 1, 2, 4},
    {"np_pcx_packed_4", 1, "pcx", "ppmtopcx -packed %in", pcx, 4, 1, 4},
    {"np_pcx_packed_2", 4, "pcx", "ppmtopcx -packed %in", pcx, 2, 1, 4},
    {"np_pcx_mono", 2, "pcx", "ppmtopcx %in", pcx, 1, 1, 1},
    {"np_pcx_two_colours", 3, "pcx", "ppmtopcx %in", pcx, 1, 1, 1},
    {"np_pcx_8", 1, "pcx", "ppmtopcx -8bit %in", im, 8, 1, 8},
    {"np_pcx_8_many", 0, "pcx", "ppmtopcx %in", im, 8, 1, 8},
    {"np_pcx_24", 0, "pcx", "ppmtopcx -24bit %in", im, 8, 3, 24},
    {"im_pcx_24", 0, "pcx", "convert %in PCX:%out", pcx, 8, 3, 24},
    {"np_pcx_24_wide", 6, "pcx", "ppmtopcx -24bit %in", im, 8, 3, 24},
    {"im_pcx_24_wide", 6, "pcx", "convert %in PCX:%out", pcx, 8, 3, 24},
    {"im_pcx_24_large", 7, "pcx", "convert %in PCX:%out", pcx, 8, 3, 24},
    {"im_pcx_8", 1, "pcx", "convert %in -type Palette PCX:%out", pcx, 8, 1, 8},
    // Targa: both netpbm writers in every mode, and ImageMagick's top-left files
    // (its bottom-left ones keep the rows top first, so they are upside down).
    {"np_tga_rgb_rle", 0, "tga", "ppmtotga -rgb %in", im_tga, 10, 24, 24},
    {"np_tga_rgb", 0, "tga", "ppmtotga -rgb -norle %in", im_tga, 2, 24, 24},
    {"np_tga_cmap_rle", 1, "tga", "ppmtotga -cmap %in", im_tga, 9, 8, 8},
    {"np_tga_cmap", 1, "tga", "ppmtotga -cmap -norle %in", im_tga, 1, 8, 8},
    {"np_tga_mono_rle", 2, "tga", "ppmtotga -mono %in", im_tga, 11, 8, 8},
    {"np_tga_mono", 2, "tga", "ppmtotga -mono -norle %in", im_tga, 3, 8, 8},
    {"pam_tga_rgb", 0, "tga", "pamtotga -rgb -norle %in", im_tga, 2, 24, 24},
    {"pam_tga_cmap16", 1, "tga", "pamtotga -cmap16 %in", im_tga, 9, 8, 8, 1},
    {"im_tga_24", 0, "tga", "convert %in -orient TopLeft %out", tga, 2, 24, 24},
    {"im_tga_rle", 1, "tga", "convert %in -orient TopLeft -compress RLE %out", tga, 10, 24, 24},
    {"np_tga_rgb_rle_wide", 6, "tga", "ppmtotga -rgb %in", im_tga, 10, 24, 24},
    {"im_tga_32_wide", 6, "tga", "convert %in -orient TopLeft -alpha set %out", tga, 2, 32, 24},
    {"im_tga_32", 0, "tga", "convert %in -orient TopLeft -alpha set %out", tga, 2, 32, 24},
    {"im_tga_palette", 1, "tga", "convert %in -orient TopLeft -type Palette %out", tga, 1, 8, 8},
    {"im_tga_grey", 2, "tga", "convert %in -orient TopLeft -type Grayscale %out", tga, 3, 8, 8},
};

class ForeignIffPcxTga : public ::testing::TestWithParam<Foreign> {};

std::string replaced(std::string s, const std::string &key, const std::string &value)
{
  for (size_t at; (at = s.find(key)) != std::string::npos;)
    s.replace(at, key.size(), value);
  return s;
}

} // namespace

TEST_P(ForeignIffPcxTga, DecodesToTheReportedPixels)
{
  const Foreign c = GetParam();
  const std::string writer(c.writer, std::strcspn(c.writer, " ")), reader(c.reader, std::strcspn(c.reader, " "));
  for (const std::string &tool : {writer, reader, std::string("ppmtoppm")})
    ASSERT_TRUE(have_tool(tool)) << tool << " is not installed";
  TempDir dir;
  const std::string in = dir.file("in.ppm"), out = dir.file(std::string("out.") + c.ext), ref = dir.file("ref.ppm");
  ASSERT_TRUE(write_file(in, pattern_ppm(c.pattern)));
  const std::string command = replaced(replaced(c.writer, "%in", "'" + in + "'"), "%out", "'" + out + "'");
  // netpbm writes to its standard output.
  ASSERT_TRUE(run(std::strstr(c.writer, "%out") ? command : command + " > '" + out + "'"));
  const Bytes file = read_file(out);
  ASSERT_EQ(file_facts(c.ext, file), (std::pair{c.fact1, c.fact2}));

  ASSERT_TRUE(run(replaced(c.reader, "%f", "'" + out + "'") + " | ppmtoppm > '" + ref + "'"));
  const std::vector<uint32_t> expected = colours_of_ppm(read_file(ref));
  ASSERT_FALSE(expected.empty());

  Picture pic;
  OpenDib(&pic.get(), out.c_str(), 0, nullptr);
  ASSERT_NE(pic->poi, nullptr) << error_text(pic);
  EXPECT_EQ(pic.bits(), c.result_bits);
  const std::vector<uint32_t> got = colours_of(pic);
  if (c.tolerance == 0) {
    EXPECT_EQ(got, expected);
  } else {
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
      for (int shift : {0, 8, 16})
        EXPECT_NEAR(int(got[i] >> shift & 255), int(expected[i] >> shift & 255), c.tolerance) << "pixel " << i;
  }
  if (!std::strstr(c.name, "ham") && c.tolerance == 0) {
    EXPECT_EQ(expected, colours_of_ppm(pattern_ppm(c.pattern))) << "a lossless file shows the original";
  }
}

INSTANTIATE_TEST_SUITE_P(Tools, ForeignIffPcxTga, ::testing::ValuesIn(cases),
                         [](const auto &info) { return std::string(info.param.name); });
