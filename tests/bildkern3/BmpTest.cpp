// Pictures written with SaveDib come back from OpenDib unchanged, with their
// resolution where the format keeps one; progress arrives.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace bk3test;

namespace {

// A distinct colour table and a pattern reaching every index.
void make_picture(Picture &pic, int bits, int w, int h)
{
  Bytes info(40 + 256 * 4);
  auto *bmi = reinterpret_cast<BITMAPINFO *>(info.data());
  for (int i = 0; i < 256; ++i)
    bmi->bmiColors[i] = RGBQUAD{uint8_t(i), uint8_t(i * 5), uint8_t(255 - i), 0};
  newdib(&pic.get(), w, h, bits, bmi, 256);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      setpixel(pic.get(), x, y, bits == 24 ? rgb(x * 37 + y, y * 11, x ^ y) : uint32_t(x * 7 + y * 3 + 1) % (1u << bits));
}

} // namespace

TEST(BmpRoundTrip, EveryDepthAndOddWidthsComeBackUnchanged)
{
  const int cases[][3] = {{1, 1, 1}, {1, 13, 5}, {1, 40, 3}, {4, 1, 2}, {4, 7, 3},
                          {8, 5, 4}, {8, 256, 2}, {24, 1, 1}, {24, 7, 5}, {24, 64, 3}};
  TempDir dir;
  for (const auto &[bits, w, h] : cases) {
    SCOPED_TRACE(std::to_string(bits) + " bits " + std::to_string(w) + "x" + std::to_string(h));
    Picture pic, back;
    make_picture(pic, bits, w, h);
    ASSERT_EQ(SaveDib(pic.get(), dir.file("b.bmp").c_str(), BK3_FORMAT_BMP, nullptr), 1);
    // A plain bitmap: 14 + 40 header bytes, the full table, uncompressed rows.
    const int entries = bits <= 8 ? 1 << bits : 0;
    const Bytes file = read_file(dir.file("b.bmp"));
    EXPECT_EQ(file.size(), size_t(54 + 4 * entries + pic->bytew * h));
    EXPECT_EQ(file[14] | file[30], 40) << "header size 40, compression 0";

    OpenDib(&back.get(), dir.file("b.bmp").c_str(), 0, nullptr);
    ASSERT_NE(back->poi, nullptr) << error_text(back);
    EXPECT_EQ(back.bits(), bits);
    EXPECT_EQ(back->bytew, pic->bytew);
    EXPECT_EQ(std::memcmp(back->pmi, pic->pmi, 40), 0);
    EXPECT_EQ(std::memcmp(back->poi, pic->poi, size_t(pic->bytew * h)), 0);
    EXPECT_EQ(std::memcmp(colour_table(back), colour_table(pic), size_t(entries) * 4), 0);
    EXPECT_EQ(std::memcmp(&back->pal, &pic->pal, 4 + size_t(entries) * 4), 0);
    EXPECT_EQ(back->ispal, pic->ispal);
  }
}

TEST(Resolution, ComesBackFromTheFormatsThatStoreIt)
{
  // Bitmaps hold pixels per metre as they are. PCX holds whole dots per inch,
  // rounded to the nearest both ways: 2835 per metre is 72.009 dpi, 72 dpi is
  // 2834.6 per metre. The other formats we write keep none we read back.
  const struct {
    const char *what;
    int format;
    int32_t x, y, back_x, back_y; // pixels per metre saved and read back
  } cases[] = {
      {"bmp", BK3_FORMAT_BMP, 2835, 3779, 2835, 3779},
      {"pcx 72 and 96 dpi", BK3_FORMAT_PCX, 2835, 3780, 2835, 3780},
      {"pcx 72.52 and 95.53 dpi go up", BK3_FORMAT_PCX, 2855, 3761, 2874, 3780},
      {"pcx without one: 72 dpi", BK3_FORMAT_PCX, 0, -1, 2835, 2835},
      {"pcx at most 65535 dpi", BK3_FORMAT_PCX, 3000000, 2835, 2580118, 2835},
  };
  TempDir dir;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    Picture pic, back;
    make_picture(pic, 24, 3, 2);
    pic->pmi->bmiHeader.biXPelsPerMeter = c.x;
    pic->pmi->bmiHeader.biYPelsPerMeter = c.y;
    const std::string path = dir.file("r");
    ASSERT_EQ(SaveDib(pic.get(), path.c_str(), c.format, nullptr), 1);
    OpenDib(&back.get(), path.c_str(), 0, nullptr);
    ASSERT_NE(back->poi, nullptr) << error_text(back);
    EXPECT_EQ(back->pmi->bmiHeader.biXPelsPerMeter, c.back_x);
    EXPECT_EQ(back->pmi->bmiHeader.biYPelsPerMeter, c.back_y);
  }
}

TEST(SaveDib, OtherFormatCodesAndEmptyPicturesWriteNothing)
{
  Picture pic;
  make_picture(pic, 24, 4, 4);
  TempDir dir;
  const std::string path = dir.file("x.bmp");
  for (int code : {0, 1, 2, 4, 11, 99, -3})
    EXPECT_EQ(SaveDib(pic.get(), path.c_str(), code, nullptr), 0) << code;
  EXPECT_EQ(SaveDib(dib{}, path.c_str(), BK3_FORMAT_BMP, nullptr), 0);
  EXPECT_EQ(SaveDib(pic.get(), "", BK3_FORMAT_BMP, nullptr), 0);
  EXPECT_TRUE(dir.entries().empty());
}

namespace {

struct Recorder {
  std::vector<uintptr_t> percents;
  bool wrong = false;
  static void send(void *target, uint32_t msg, uintptr_t wparam, intptr_t lparam)
  {
    auto *self = static_cast<Recorder *>(target);
    self->wrong |= msg != BK3_WM_USER || lparam != 0;
    self->percents.push_back(wparam);
  }
};

} // namespace

namespace {

// Bytes this process has read from files so far.
uint64_t bytesRead()
{
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:")
      return value;
  return 0;
}

struct FirstReport {
  uint64_t readBefore = 0;
  uint64_t readAtFirst = 0;
  std::vector<uintptr_t> percents;
  static void send(void *target, uint32_t, uintptr_t wparam, intptr_t)
  {
    auto *self = static_cast<FirstReport *>(target);
    if (self->percents.empty())
      self->readAtFirst = bytesRead();
    self->percents.push_back(wparam);
  }
};

} // namespace

// A file of many megabytes takes seconds from a slow disk: the gauge moves
// before the last of it is read, and still only upwards.
TEST(Progress, ALargeFileMovesTheGaugeWhileItIsRead)
{
  if (bytesRead() == 0)
    GTEST_SKIP() << "/proc/self/io cannot be read here";
  Picture pic, back;
  newdib(&pic.get(), 2048, 2048, 24, nullptr, 0);
  ASSERT_NE(pic->poi, nullptr);
  TempDir dir;
  const std::string path = dir.file("gross.bmp");
  ASSERT_EQ(SaveDib(pic.get(), path.c_str(), BK3_FORMAT_BMP, nullptr), 1);
  FirstReport report;
  bk3_sink sink{&report, &FirstReport::send};
  report.readBefore = bytesRead();
  OpenDib(&back.get(), path.c_str(), 0, &sink);
  ASSERT_NE(back->poi, nullptr);
  ASSERT_FALSE(report.percents.empty());
  EXPECT_LT(report.readAtFirst - report.readBefore, uint64_t(2048) * 2048 * 3);
  EXPECT_TRUE(std::is_sorted(report.percents.begin(), report.percents.end()));
  EXPECT_EQ(report.percents.back(), 100u);
}

TEST(Progress, ReadingAndWritingReportRisingPercentsThroughTheSink)
{
  Picture pic, back;
  make_picture(pic, 24, 20, 500);
  TempDir dir;
  Recorder saving, opening;
  bk3_sink sink{&saving, &Recorder::send};
  ASSERT_EQ(SaveDib(pic.get(), dir.file("p.bmp").c_str(), BK3_FORMAT_BMP, &sink), 1);
  sink.target = &opening;
  OpenDib(&back.get(), dir.file("p.bmp").c_str(), 0, &sink);
  ASSERT_NE(back->poi, nullptr);
  for (const Recorder *r : {&saving, &opening}) {
    EXPECT_FALSE(r->wrong);
    ASSERT_GE(r->percents.size(), 10u) << "a tall picture reports as it goes";
    EXPECT_LE(r->percents.size(), 101u) << "not more often than each per-cent";
    EXPECT_TRUE(std::is_sorted(r->percents.begin(), r->percents.end()));
    EXPECT_EQ(r->percents.back(), 100u);
  }
}
