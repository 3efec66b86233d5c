// Files written by ImageMagick and netpbm in the depths they offer decode to the
// pixels ImageMagick itself reports for them (lossy decodes within a few levels).
#include "CodecSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

struct Case {
  const char *name;
  const char *writer; // {in}: a PPM, {out}: the file to write
  const char *ext;
  int bits;           // the depth we must return
  int tolerance;      // largest difference per channel from ImageMagick's decode
};

const Case cases[] = {
    // JPEG: ImageMagick uses the same libjpeg decoder, CMYK goes through its own
    // ink formula.
    {"jpeg_colour_420", "convert {in} -quality 90 {out}", "jpg", 24, 1},
    {"jpeg_colour_444", "convert {in} -sampling-factor 1x1 {out}", "jpg", 24, 1},
    {"jpeg_grey", "convert {in} -colorspace Gray {out}", "jpg", 8, 1},
    {"jpeg_cmyk", "convert {in} -colorspace CMYK {out}", "jpg", 24, 2},
    {"jpeg_progressive", "convert {in} -interlace Plane {out}", "jpg", 24, 1},
    {"jpeg_netpbm_grey", "pnmtojpeg --greyscale {in} > {out}", "jpg", 8, 1},
    {"jpeg_netpbm_progressive", "pnmtojpeg --progressive --quality=75 {in} > {out}", "jpg", 24, 1},
    // GIF: palettes, interlacing.
    {"gif_200_colours", "convert {in} -colors 200 {out}", "gif", 8, 0},
    {"gif_interlaced", "convert {in} -colors 64 -interlace GIF {out}", "gif", 8, 0},
    {"gif_netpbm_interlaced", "pnmquant 256 {in} | ppmtogif -interlace > {out}", "gif", 8, 0},
    {"gif_two_colours", "convert {in} -monochrome {out}", "gif", 8, 0},
    // TIFF: every depth and layout the writers offer. Tiled palette pages go through
    // libtiff's RGBA reader, which takes the high byte of 16-bit map entries.
    {"tiff_bilevel", "convert {in} -monochrome -depth 1 {out}", "tif", 1, 0},
    {"tiff_bilevel_miniswhite", "convert {in} -monochrome -depth 1 -define quantum:polarity=min-is-white {out}", "tif", 1, 0},
    {"tiff_bilevel_g4", "ppmtopgm {in} | pamthreshold | pamtopnm | pnmtotiff -g4 > {out}", "tif", 1, 0},
    {"tiff_palette16", "convert {in} -colors 16 -type Palette {out}", "tif", 4, 0},
    {"tiff_palette256", "convert {in} -colors 200 -type Palette {out}", "tif", 8, 0},
    {"tiff_netpbm_palette", "pnmquant 16 {in} | pnmtotiff > {out}", "tif", 8, 0},
    {"tiff_palette_tiled", "convert {in} -colors 16 -type Palette -define tiff:tile-geometry=16x16 {out}", "tif", 24, 1},
    {"tiff_grey", "convert {in} -colorspace Gray {out}", "tif", 8, 0},
    {"tiff_grey16", "convert {in} -colorspace Gray -depth 16 {out}", "tif", 24, 1},
    {"tiff_rgb", "convert {in} -compress None {out}", "tif", 24, 0},
    {"tiff_rgb_lzw", "convert {in} -compress LZW {out}", "tif", 24, 0},
    {"tiff_rgb_deflate", "convert {in} -compress Zip {out}", "tif", 24, 0},
    {"tiff_rgb_big_endian", "convert {in} -endian MSB {out}", "tif", 24, 0},
    {"tiff_rgb16", "convert {in} -depth 16 {out}", "tif", 24, 1},
    {"tiff_tiled", "convert {in} -define tiff:tile-geometry=32x16 {out}", "tif", 24, 0},
    {"tiff_jpeg", "convert {in} -compress JPEG {out}", "tif", 24, 2},
    {"tiff_cmyk", "convert {in} -colorspace CMYK {out}", "tif", 24, 1},
    {"tiff_netpbm_lzw", "pnmtotiff -lzw {in} > {out}", "tif", 24, 0},
    // JPEG 2000: file format and raw codestream, grey, 16 bits, lossy.
    {"jp2_colour", "convert {in} {out}", "jp2", 24, 0},
    {"j2k_colour", "convert {in} {out}", "j2k", 24, 0},
    {"jp2_grey", "convert {in} -colorspace Gray {out}", "jp2", 8, 0},
    {"j2k_grey", "convert {in} -colorspace Gray {out}", "j2k", 8, 0},
    {"jp2_colour16", "convert {in} -depth 16 {out}", "jp2", 24, 1},
    {"jp2_lossy", "convert {in} -quality 40 {out}", "jp2", 24, 1},
};

class Foreign : public ::testing::TestWithParam<Case> {};

// The source: a many-coloured picture with edges, odd-sized.
std::string source_ppm(const TempDir &dir)
{
  Picture pic;
  make_picture(pic, Kind::colour, 24, 77, 51);
  const std::string path = dir.file("in.ppm");
  write_ppm(path, colours_of(pic), 77, 51);
  return path;
}

TEST_P(Foreign, DecodesToThePixelsImageMagickReports)
{
  const Case &c = GetParam();
  if (!have_tool("convert"))
    GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  const std::string out = dir.file(std::string("file.") + c.ext);
  ASSERT_TRUE(written_by(c.writer, source_ppm(dir), out)) << c.writer;
  const auto reference = decoded_by_convert(out);
  ASSERT_FALSE(reference.empty());

  Picture pic;
  open(pic, out);
  ASSERT_TRUE(pic->poi) << error_text(pic);
  EXPECT_EQ(pic.bits(), c.bits);
  EXPECT_EQ(pic->pmi->bmiHeader.biWidth, 77);
  EXPECT_EQ(pic->pmi->bmiHeader.biHeight, 51);
  EXPECT_LE(distance(colours_of(pic), reference).worst, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Writers, Foreign, ::testing::ValuesIn(cases),
                         [](const auto &info) { return std::string(info.param.name); });

// GIF byte surgery: the colour table moved from the screen into the frame, with or
// without a misleading global table left behind.
Bytes with_local_table(const Bytes &gif, bool keep_bogus_global)
{
  const uint8_t flags = gif[10];
  if (!(flags & 0x80))
    return {};
  const size_t table_bytes = size_t(3) << ((flags & 7) + 1);
  const Bytes table(gif.begin() + 13, gif.begin() + long(13 + table_bytes));
  Bytes out(gif.begin(), gif.begin() + 13);
  if (keep_bogus_global) {
    for (uint8_t v : table)
      out.push_back(uint8_t(255 - v));
  } else {
    out[10] = uint8_t(flags & 0x70);
  }
  size_t p = 13 + table_bytes;
  while (p < gif.size() && gif[p] == 0x21) { // extensions up to the frame
    size_t q = p + 2;
    while (q < gif.size() && gif[q] != 0)
      q += gif[q] + 1u;
    out.insert(out.end(), gif.begin() + long(p), gif.begin() + long(q + 1));
    p = q + 1;
  }
  if (p + 10 > gif.size() || gif[p] != 0x2C)
    return {};
  out.insert(out.end(), gif.begin() + long(p), gif.begin() + long(p + 10));
  out.back() = uint8_t((gif[p + 9] & 0x40) | 0x80 | (flags & 7));
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), gif.begin() + long(p + 10), gif.end());
  return out;
}

TEST(GifForeign, LocalColourTableWinsOverTheGlobalOne)
{
  if (!have_tool("convert"))
    GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  const std::string original = dir.file("global.gif");
  ASSERT_TRUE(written_by("convert {in} -colors 100 {out}", source_ppm(dir), original));
  const auto reference = decoded_by_convert(original);
  for (bool bogus_global : {false, true}) {
    const Bytes local = with_local_table(read_file(original), bogus_global);
    ASSERT_FALSE(local.empty());
    const std::string path = dir.file(bogus_global ? "both.gif" : "local.gif");
    write_file(path, local);
    EXPECT_EQ(decoded_by("giftopnm", path), reference) << "the surgery itself is wrong";
    Picture pic;
    open(pic, path);
    ASSERT_TRUE(pic->poi) << error_text(pic);
    EXPECT_EQ(colours_of(pic), reference) << (bogus_global ? "with" : "without") << " global table";
  }
}

// Only the first frame of an animation is read.
TEST(GifForeign, AnimationGivesItsFirstFrame)
{
  if (!have_tool("convert"))
    GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  const std::string in = source_ppm(dir);
  const std::string first = dir.file("first.gif"), anim = dir.file("anim.gif");
  ASSERT_TRUE(written_by("convert {in} -colors 50 {out}", in, first));
  ASSERT_TRUE(run("convert '" + first + "' -size 77x51 xc:red -size 77x51 xc:blue '" + anim + "'"));
  Picture pic;
  open(pic, anim);
  ASSERT_TRUE(pic->poi) << error_text(pic);
  EXPECT_EQ(colours_of(pic), decoded_by_convert(first));
}

// Only the first page of a multi-page TIFF is read.
TEST(TiffForeign, MultiPageGivesItsFirstPage)
{
  if (!have_tool("convert"))
    GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  const std::string in = source_ppm(dir);
  const std::string pages = dir.file("pages.tif");
  ASSERT_TRUE(run("convert '" + in + "' -size 20x20 xc:red '" + pages + "'"));
  Picture pic;
  open(pic, pages);
  ASSERT_TRUE(pic->poi) << error_text(pic);
  EXPECT_EQ(colours_of(pic), colours_of_ppm(read_file(in)));
}

} // namespace
