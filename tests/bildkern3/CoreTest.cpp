// Pictures in memory: record layout, creation, release and pixel access.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

TEST(Layout, RecordMatchesTheBinaryInterface)
{
  // With 4-byte pointers this is the 1084-byte record the program passes by value.
  constexpr size_t p = sizeof(void *);
  EXPECT_EQ(sizeof(LPAL), 1028u);
  EXPECT_EQ(offsetof(dib, poi), 3 * p);
  EXPECT_EQ(offsetof(dib, pal), 4 * p + 6);
  EXPECT_EQ(offsetof(dib, NOTUSEDINFIXEDMEMlp), 4 * p + 1036);
  EXPECT_EQ(offsetof(dib, my2), 4 * p + 1064);
  EXPECT_EQ(sizeof(dib), (4 * p + 1068 + p - 1) / p * p);
}

TEST(NewDib, EachDepthHasHeaderTableAndZeroedRows)
{
  Bytes info(40 + 256 * 4);
  auto *source = reinterpret_cast<BITMAPINFO *>(info.data());
  for (int i = 0; i < 256; ++i)
    source->bmiColors[i] = RGBQUAD{uint8_t(i), uint8_t(255 - i), uint8_t(i ^ 0x55), 0};
  struct { int bits, width, bytew, entries; } cases[] = {
      {1, 1, 4, 2}, {1, 33, 8, 2}, {4, 9, 8, 16}, {8, 5, 8, 256}, {24, 321, 964, 0}, {24, 4, 12, 0}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.bits);
    const int given = c.entries - 1; // one short: the last entry must be zero
    Picture pic;
    newdib(&pic.get(), c.width, 3, c.bits, c.entries ? source : nullptr, c.entries ? given : 0);
    ASSERT_NE(pic->poi, nullptr);
    const BITMAPINFOHEADER &h = pic->pmi->bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, c.width);
    EXPECT_EQ(h.biHeight, 3);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, c.bits);
    EXPECT_EQ(pic->bytew, c.bytew);
    EXPECT_EQ(h.biSizeImage, uint32_t(3 * c.bytew));
    EXPECT_EQ(h.biClrUsed, uint32_t(c.entries));
    EXPECT_EQ(Bytes(pic->poi, pic->poi + h.biSizeImage), Bytes(h.biSizeImage, 0));
    EXPECT_EQ(pic->ispal, c.entries ? 1 : 0);
    EXPECT_EQ(pic->pal.num, c.entries);
    for (int i = 0; i < c.entries; ++i) {
      const RGBQUAD want = i < given ? source->bmiColors[i] : RGBQUAD{};
      EXPECT_EQ(std::memcmp(&colour_table(pic)[i], &want, 4), 0) << i;
      // The program's depth conversion reads the colours from pal.
      const PALETTEENTRY &e = pic->pal.rgb0[i];
      EXPECT_EQ(rgb(e.peRed, e.peGreen, e.peBlue), rgb(want.rgbRed, want.rgbGreen, want.rgbBlue)) << i;
    }
  }
}

TEST(NewDib, RefusesAbsurdRequestsWithoutPictureOrHandles)
{
  const int cases[][4] = {{0, 10, 24, 0},           {10, 0, 24, 0},         {-5, 10, 8, 0},
                          {BK3_MAX_SIDE + 1, 1, 8, 0}, {1, BK3_MAX_SIDE + 1, 8, 0}, {65535, 65535, 24, 0},
                          {INT32_MAX, INT32_MAX, 1, 0}, {16, 16, 16, 0},        {16, 16, 8, 257}};
  for (const auto &c : cases) {
    dib d;
    std::memset(&d, 0xAB, sizeof d);
    newdib(&d, c[0], c[1], c[2], nullptr, c[3]);
    EXPECT_TRUE(d.poi == nullptr && d.pmi == nullptr && d.poih == 0 && d.pmih == 0) << c[0] << "x" << c[1];
    EXPECT_GT(error_text(d).size(), 5u);
  }
  Picture largest; // the limits themselves are allowed
  newdib(&largest.get(), BK3_MAX_SIDE, int32_t(BK3_MAX_PIXELS / BK3_MAX_SIDE), 1, nullptr, 0);
  EXPECT_NE(largest->poi, nullptr);
}

TEST(DelDib, FreesABlockSharedByHeaderAndRowsOnce)
{
  void *block = std::calloc(1, 64);
  dib d{};
  d.pmi = static_cast<BITMAPINFO *>(block);
  d.pmih = d.poih = reinterpret_cast<uintptr_t>(block);
  d.poi = static_cast<uint8_t *>(block) + 40;
  deldib(d); // a second free aborts in the allocator's checks
}

TEST(PixelAccess, EachDepthSetsExactlyItsBits)
{
  // Rows are stored bottom-up; the leftmost pixel of a byte is in its highest bits.
  struct { int bits, x, y; uint32_t value; int offset; Bytes bytes; } cases[] = {
      {1, 0, 0, 1, 0, {0x80}},  {1, 7, 0, 1, 0, {0x01}},  {1, 10, 3, 1, 1, {0x20}},
      {4, 0, 1, 0xA, 0, {0xA0}}, {4, 1, 1, 0xA, 0, {0x0A}}, {4, 10, 2, 7, 5, {0x70}},
      {8, 10, 0, 200, 10, {200}}, {24, 3, 2, 0x030201, 9, {3, 2, 1}}, {24, 10, 3, 0xFFFFFF, 30, {255, 255, 255}}};
  for (const auto &c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits at " + std::to_string(c.x) + "," + std::to_string(c.y));
    Picture pic;
    newdib(&pic.get(), 11, 4, c.bits, nullptr, 0);
    ASSERT_NE(pic->poi, nullptr);
    setpixel(pic.get(), c.x, c.y, c.value);
    EXPECT_EQ(getpixel(pic.get(), c.x, c.y), c.value);
    Bytes want(size_t(pic->bytew) * 4, 0);
    std::copy(c.bytes.begin(), c.bytes.end(), want.begin() + (3 - c.y) * pic->bytew + c.offset);
    EXPECT_EQ(Bytes(pic->poi, pic->poi + want.size()), want);
  }
  Picture one, four; // neighbours in the same byte keep their values
  newdib(&one.get(), 8, 1, 1, nullptr, 0);
  newdib(&four.get(), 2, 1, 4, nullptr, 0);
  for (int x = 0; x < 8; ++x)
    setpixel(one.get(), x, 0, 1);
  setpixel(one.get(), 3, 0, 0);
  setpixel(four.get(), 0, 0, 5);
  setpixel(four.get(), 1, 0, 0xC);
  EXPECT_EQ(one->poi[0], 0xEF);
  EXPECT_EQ(four->poi[0], 0x5C);
}

TEST(PixelAccess, OutsideThePictureReadsZeroAndWritesNothing)
{
  Picture pic;
  newdib(&pic.get(), 3, 2, 8, nullptr, 0);
  std::memset(pic->poi, 9, 8);
  for (const auto &pt : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {INT32_MIN, INT32_MAX}}) {
    EXPECT_EQ(getpixel(pic.get(), pt.first, pt.second), 0u);
    setpixel(pic.get(), pt.first, pt.second, 1);
  }
  EXPECT_EQ(Bytes(pic->poi, pic->poi + 8), Bytes(8, 9));
  EXPECT_EQ(getpixel(dib{}, 0, 0), 0u);
}
