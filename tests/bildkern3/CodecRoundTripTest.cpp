// GIF, JPEG, TIFF and JPEG 2000: what we write reads back as the same picture (JPEG
// within a stated PSNR), at the expected depth, and outside decoders see the same
// pixels in our files.
#include "CodecSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

struct Case {
  const char *name;
  int format;
  const char *ext;
  Kind kind;
  int bits;          // depth of the saved picture
  int read_bits;     // depth it comes back at
  double min_psnr;   // infinity: exact
  const char *outside; // an independent decoder writing PNM to stdout, "" for convert
};

const Case cases[] = {
    {"gif_pal1", BK3_FORMAT_GIF, "gif", Kind::palette, 1, 8, INFINITY, "giftopnm"},
    {"gif_pal4", BK3_FORMAT_GIF, "gif", Kind::palette, 4, 8, INFINITY, "giftopnm"},
    {"gif_pal8", BK3_FORMAT_GIF, "gif", Kind::palette, 8, 8, INFINITY, "giftopnm"},
    {"gif_rgb_few", BK3_FORMAT_GIF, "gif", Kind::few_colours, 24, 8, INFINITY, "giftopnm"},
    {"gif_rgb_quantised", BK3_FORMAT_GIF, "gif", Kind::colour, 24, 8, 30.0, "giftopnm"},
    {"jpeg_rgb", BK3_FORMAT_JPEG, "jpg", Kind::colour, 24, 24, 38.0, "jpegtopnm"},
    {"jpeg_grey", BK3_FORMAT_JPEG, "jpg", Kind::grey, 8, 8, 40.0, "jpegtopnm"},
    {"jpeg_pal4", BK3_FORMAT_JPEG, "jpg", Kind::palette, 4, 24, 25.0, "jpegtopnm"},
    {"tiff_pal1", BK3_FORMAT_TIFF, "tif", Kind::palette, 1, 1, INFINITY, "tifftopnm"},
    {"tiff_pal4", BK3_FORMAT_TIFF, "tif", Kind::palette, 4, 4, INFINITY, "tifftopnm"},
    {"tiff_pal8", BK3_FORMAT_TIFF, "tif", Kind::palette, 8, 8, INFINITY, "tifftopnm"},
    {"tiff_rgb", BK3_FORMAT_TIFF, "tif", Kind::colour, 24, 24, INFINITY, "tifftopnm"},
    {"jp2_rgb", BK3_FORMAT_JP2, "jp2", Kind::colour, 24, 24, INFINITY, "jpeg2ktopam"},
    {"jp2_grey", BK3_FORMAT_JP2, "jp2", Kind::grey, 8, 8, INFINITY, "jpeg2ktopam"},
    {"jp2_pal8", BK3_FORMAT_JP2, "jp2", Kind::palette, 8, 24, INFINITY, "jpeg2ktopam"},
    {"jp2_pal1", BK3_FORMAT_JP2, "jp2", Kind::palette, 1, 24, INFINITY, ""},
};

class RoundTrip : public ::testing::TestWithParam<Case> {};

void expect_close(const std::vector<uint32_t> &got, const std::vector<uint32_t> &want, double min_psnr,
                  const std::string &what)
{
  ASSERT_EQ(got.size(), want.size()) << what;
  if (std::isinf(min_psnr)) {
    EXPECT_EQ(got, want) << what;
  } else {
    EXPECT_GE(distance(got, want).psnr, min_psnr) << what;
  }
}

TEST_P(RoundTrip, ReadsBackTheSamePictureAtItsDepth)
{
  const Case &c = GetParam();
  Picture source;
  make_picture(source, c.kind, c.bits);
  ASSERT_TRUE(source->poi);
  TempDir dir;
  const std::string path = dir.file(std::string("out.") + c.ext);
  ASSERT_TRUE(save(source, path, c.format));

  Picture back;
  open(back, path);
  ASSERT_TRUE(back->poi) << error_text(back);
  EXPECT_EQ(back.bits(), c.read_bits);
  EXPECT_EQ(back->pmi->bmiHeader.biWidth, source->pmi->bmiHeader.biWidth);
  EXPECT_EQ(back->pmi->bmiHeader.biHeight, source->pmi->bmiHeader.biHeight);
  expect_close(colours_of(back), colours_of(source), c.min_psnr, "our decoder");
}

TEST_P(RoundTrip, OutsideDecoderSeesTheSamePicture)
{
  const Case &c = GetParam();
  const std::string tool = *c.outside ? c.outside : "convert";
  if (!have_tool(tool))
    GTEST_SKIP() << tool << " is not installed";
  Picture source;
  make_picture(source, c.kind, c.bits);
  TempDir dir;
  const std::string path = dir.file(std::string("out.") + c.ext);
  ASSERT_TRUE(save(source, path, c.format));
  const auto outside = *c.outside ? decoded_by(c.outside, path) : decoded_by_convert(path);
  expect_close(outside, colours_of(source), c.min_psnr, tool);
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip, ::testing::ValuesIn(cases),
                         [](const auto &info) { return std::string(info.param.name); });

// TIFF strips are compressed on two threads: a picture of several strips comes back
// whole and in order, through our decoder and libtiff's own.
TEST(TiffSave, PicturesOfSeveralStripsReadBack)
{
  const bool outside = have_tool("tifftopnm");
  for (const int bits : {24, 8}) {
    Picture source;
    make_picture(source, bits == 24 ? Kind::colour : Kind::palette, bits, 1001, 301);
    TempDir dir;
    const std::string path = dir.file("strips.tif");
    ASSERT_TRUE(save(source, path, BK3_FORMAT_TIFF));
    Picture back;
    open(back, path);
    ASSERT_TRUE(back->poi) << error_text(back);
    EXPECT_EQ(colours_of(back), colours_of(source)) << bits;
    if (outside) {
      EXPECT_EQ(decoded_by("tifftopnm", path), colours_of(source)) << bits;
    }
  }
}

// A quantised GIF keeps the look of a many-coloured picture: the dithered result
// stays close, and libimagequant is asked for a full table.
TEST(GifSave, QuantisesManyColoursToAtMost256)
{
  Picture source;
  make_picture(source, Kind::colour, 24, 301, 203);
  TempDir dir;
  ASSERT_TRUE(save(source, dir.file("q.gif"), BK3_FORMAT_GIF));
  const Bytes file = read_file(dir.file("q.gif"));
  ASSERT_GT(file.size(), 13u);
  // Global table flag set; its size field says 2^(n+1) entries.
  EXPECT_TRUE(file[10] & 0x80);
  EXPECT_LE(2 << (file[10] & 7), 256);
  Picture back;
  open(back, dir.file("q.gif"));
  ASSERT_TRUE(back->poi);
  EXPECT_GE(distance(colours_of(back), colours_of(source)).psnr, 30.0);
}

// Top-down pictures (negative height) are written the right way up.
TEST(CodecSave, TopDownPicturesKeepTheirOrientation)
{
  for (auto [format, ext] : {std::pair<int, const char *>{BK3_FORMAT_GIF, "gif"}, {BK3_FORMAT_JPEG, "jpg"},
                             {BK3_FORMAT_TIFF, "tif"}, {BK3_FORMAT_JP2, "jp2"},
                             {BK3_FORMAT_PNG, "png"}}) {
    Picture source;
    make_picture(source, Kind::few_colours, 24, 33, 21);
    const auto want = colours_of(source);
    // Flip the rows in memory and mark the picture top-down.
    const int h = 21, stride = source->bytew;
    std::vector<uint8_t> rows(source->poi, source->poi + stride * h);
    for (int r = 0; r < h; ++r)
      std::memcpy(source->poi + r * stride, rows.data() + (h - 1 - r) * stride, size_t(stride));
    source->pmi->bmiHeader.biHeight = -h;
    TempDir dir;
    const std::string path = dir.file(std::string("td.") + ext);
    ASSERT_TRUE(save(source, path, format)) << ext;
    source->pmi->bmiHeader.biHeight = h; // so the picture is released normally
    Picture back;
    open(back, path);
    ASSERT_TRUE(back->poi) << ext;
    EXPECT_GE(distance(colours_of(back), want).psnr, 35.0) << ext;
  }
}

struct Reports {
  std::vector<uintptr_t> values;
  static void send(void *target, uint32_t msg, uintptr_t w, intptr_t)
  {
    if (msg == BK3_WM_USER)
      static_cast<Reports *>(target)->values.push_back(w);
  }
};

// Loading and saving report rising per-cent values that end at 100.
TEST(CodecProgress, SaveAndOpenReportUpTo100)
{
  for (auto [format, ext] : {std::pair<int, const char *>{BK3_FORMAT_GIF, "gif"}, {BK3_FORMAT_JPEG, "jpg"},
                             {BK3_FORMAT_TIFF, "tif"}, {BK3_FORMAT_JP2, "jp2"},
                             {BK3_FORMAT_PNG, "png"}}) {
    Picture source;
    make_picture(source, Kind::colour, 24, 640, 480);
    TempDir dir;
    const std::string path = dir.file(std::string("p.") + ext);
    for (bool saving : {true, false}) {
      Reports r;
      bk3_sink sink{&r, Reports::send};
      Picture back;
      if (saving)
        ASSERT_EQ(SaveDib(source.get(), path.c_str(), format, &sink), 1) << ext;
      else
        OpenDib(&back.get(), path.c_str(), 0, &sink);
      ASSERT_FALSE(r.values.empty()) << ext;
      EXPECT_EQ(r.values.back(), 100u) << ext << (saving ? " save" : " open");
      EXPECT_TRUE(std::is_sorted(r.values.begin(), r.values.end())) << ext;
    }
  }
}

// A failed write leaves the file that was there untouched.
TEST(CodecSave, UnwritablePictureKeepsTheOldFile)
{
  TempDir dir;
  const std::string path = dir.file("keep.tif");
  write_file(path, Bytes{'o', 'l', 'd'});
  Picture broken;
  make_picture(broken, Kind::colour, 24, 8, 8);
  broken->pmi->bmiHeader.biBitCount = 16; // a depth no writer takes
  for (int format : {BK3_FORMAT_GIF, BK3_FORMAT_JPEG, BK3_FORMAT_TIFF, BK3_FORMAT_JP2, BK3_FORMAT_PNG})
    EXPECT_EQ(SaveDib(broken.get(), path.c_str(), format, nullptr), 0) << format;
  broken->pmi->bmiHeader.biBitCount = 24;
  EXPECT_EQ(read_file(path), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(dir.entries().size(), 1u);
}

} // namespace
