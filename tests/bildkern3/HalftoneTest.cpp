// Halftoning of 24-bit pictures for screens of 8 bits or fewer.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace bk3test;

namespace {

void fill(Picture &pic, int w, int h, const std::function<uint32_t(int, int)> &colour)
{
  newdib(&pic.get(), w, h, 24, nullptr, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      setpixel(pic.get(), x, y, colour(x, y));
}

} // namespace

TEST(Halftone, PaletteColoursStayAndOthersAreDitheredToTheirAverage)
{
  for (uint32_t c : {rgb(0, 0, 0), rgb(255, 255, 255), rgb(255, 0, 0), rgb(0, 255, 255), rgb(100, 150, 37)}) {
    SCOPED_TRACE(c);
    Picture src, out;
    fill(src, 16, 16, [c](int, int) { return c; });
    DIBHalftoneDIB(&out.get(), src.get());
    ASSERT_NE(out->poi, nullptr);
    EXPECT_EQ(out.bits(), 8);
    EXPECT_LE(out->pmi->bmiHeader.biClrUsed, 256u);
    const std::vector<uint32_t> got = colours_of(out);
    ASSERT_EQ(got.size(), 256u);
    double sum[3] = {};
    for (uint32_t v : got)
      for (int k = 0; k < 3; ++k)
        sum[k] += (v >> 8 * k) & 255;
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(sum[k] / 256, (c >> 8 * k) & 255, 4);
    const bool corner = c != rgb(100, 150, 37); // black, white and primaries are in the palette
    EXPECT_EQ(std::count(got.begin(), got.end(), c) == 256, corner);
  }
}

TEST(Halftone, SameInputSameBytesAndAFixedPalette)
{
  Picture a, b, pa, pb, other;
  fill(a, 31, 17, [](int x, int y) { return rgb(x * 8, 255 - y * 15, x * y % 256); });
  fill(other, 2, 2, [](int, int) { return rgb(1, 2, 3); });
  DIBHalftoneDIBXY(&pa.get(), a.get(), 45, 11);
  DIBHalftoneDIBXY(&pb.get(), a.get(), 45, 11);
  DIBHalftoneDIB(&b.get(), other.get());
  ASSERT_TRUE(pa->poi && pb->poi && b->poi);
  EXPECT_EQ(std::memcmp(pa->poi, pb->poi, pa->pmi->bmiHeader.biSizeImage), 0);
  EXPECT_EQ(std::memcmp(colour_table(pa), colour_table(b), 256 * 4), 0);
}

TEST(Halftone, ScalesByNearestNeighbour)
{
  // Palette colours only, so every destination pixel shows its source pixel exactly.
  static const uint32_t grid[3][4] = {{rgb(0, 0, 0), rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255)},
                                      {rgb(255, 255, 255), rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 0)},
                                      {rgb(0, 0, 255), rgb(0, 0, 0), rgb(255, 0, 0), rgb(255, 255, 255)}};
  Picture src;
  fill(src, 4, 3, [](int x, int y) { return grid[y][x]; });
  for (const auto &[w, h] : {std::pair{8, 6}, {9, 7}, {2, 2}, {3, 1}}) {
    Picture out;
    DIBHalftoneDIBXY(&out.get(), src.get(), w, h);
    ASSERT_NE(out->poi, nullptr);
    std::vector<uint32_t> want;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        want.push_back(grid[y * 3 / h][x * 4 / w]);
    EXPECT_EQ(colours_of(out), want) << w << "x" << h;
  }
}

TEST(Halftone, RefusesOtherDepthsEmptyPicturesAndBadSizes)
{
  Picture eight, src;
  newdib(&eight.get(), 4, 4, 8, nullptr, 0);
  newdib(&src.get(), 4, 4, 24, nullptr, 0);
  const std::tuple<dib, int, int> cases[] = {{eight.get(), 4, 4}, {dib{}, 4, 4}, {src.get(), 0, 4}, {src.get(), 70000, 4}};
  for (const auto &[in, w, h] : cases) {
    Picture out;
    DIBHalftoneDIBXY(&out.get(), in, w, h);
    EXPECT_TRUE(out->poi == nullptr && out->poih == 0);
  }
  Picture out;
  DIBHalftoneDIB(&out.get(), eight.get());
  EXPECT_EQ(out->poi, nullptr);
}
