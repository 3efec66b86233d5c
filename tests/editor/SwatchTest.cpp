// The swatch's arithmetic: its picture against the colour model, the colour
// picked at a position of the box, and where the marker sits.
#include "Picture.h"
#include "RGBHSL.h"
#include "Swatch.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace {

using Rgb = std::tuple<int, int, int>;

Rgb rgbOf(uint32_t value)
{
    return {int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF)};
}

struct Swatch : Picture {
    Swatch(int width = kSwatchWidth, int height = kSwatchHeight) : Picture(width, height, 24) {}
    dib &d = get();
};

} // namespace

TEST(SwatchPicture, EveryPixelIsItsHueAndColumnSaturationAtTheMiddleLuminance)
{
    Swatch swatch;
    ASSERT_NE(swatch.d.poi, nullptr);
    ASSERT_TRUE(FillSwatch(swatch.d));
    for (int row = 0; row < kSwatchHeight; ++row)
        for (int column = 0; column < kSwatchWidth; ++column) {
            int r = 0, g = 0, b = 0;
            HSLToRGB(row, column * 255 / 63, 128, r, g, b);
            ASSERT_EQ(rgbOf(getpixel(swatch.d, column, row)), Rgb(r, g, b))
                << "column " << column << ", row " << row;
        }
}

struct SwatchPixel {
    int column, row;
    Rgb rgb;
};

class SwatchPixels : public testing::TestWithParam<SwatchPixel> {};

TEST_P(SwatchPixels, KnownColours)
{
    Swatch swatch;
    ASSERT_TRUE(FillSwatch(swatch.d));
    const SwatchPixel &c = GetParam();
    EXPECT_EQ(rgbOf(getpixel(swatch.d, c.column, c.row)), c.rgb);
}

INSTANTIATE_TEST_SUITE_P(Places, SwatchPixels, testing::Values(
    SwatchPixel{0, 0, {128, 128, 128}},   // grey at the left edge
    SwatchPixel{0, 200, {128, 128, 128}},
    SwatchPixel{63, 0, {255, 1, 1}},      // red
    SwatchPixel{63, 85, {1, 255, 1}},     // green
    SwatchPixel{63, 170, {1, 1, 255}},    // blue
    SwatchPixel{63, 255, {255, 1, 1}},    // hue 255 is red again
    SwatchPixel{34, 20, {196, 124, 60}}));

TEST(SwatchPicture, RefusesPicturesItCannotFill)
{
    dib none = emptydib();
    EXPECT_FALSE(FillSwatch(none));
    Swatch small(32, 256);
    ASSERT_NE(small.d.poi, nullptr);
    EXPECT_FALSE(FillSwatch(small.d));
    EXPECT_EQ(getpixel(small.d, 31, 0), 0u);
}

TEST(SwatchColumns, SaturationsRunFromGreyToFullInSteps)
{
    std::vector<int> sats;
    for (int column = 0; column < kSwatchWidth; ++column)
        sats.push_back(SwatchColumnSaturation(column));
    EXPECT_EQ(sats.front(), 0);
    EXPECT_EQ(sats.back(), 255);
    EXPECT_EQ(sats[1], 4);
    EXPECT_EQ(sats[20], 80);
    EXPECT_EQ(sats[21], 85);
    EXPECT_EQ(sats[22], 89);
    EXPECT_EQ(sats[35], 141);
    EXPECT_EQ(sats[62], 250);
    for (size_t i = 1; i < sats.size(); ++i)
        EXPECT_GE(sats[i] - sats[i - 1], 4) << "column " << i;
}

struct Pick {
    int x, y;
    HueSat picked;
};

class SwatchPicks : public testing::TestWithParam<Pick> {};

TEST_P(SwatchPicks, PositionGivesColour)
{
    const Pick &c = GetParam();
    EXPECT_EQ(SwatchPick(c.x, c.y), c.picked);
}

INSTANTIATE_TEST_SUITE_P(Positions, SwatchPicks, testing::Values(
    Pick{67, 89, {85, 255}},
    Pick{0, 0, {0, 0}},            // the border picks the nearest edge
    Pick{3, 3, {0, 0}},            // (3 - 4) * 255 div 63 cuts toward zero
    Pick{4, 4, {0, 0}},
    Pick{5, 4, {0, 4}},
    Pick{71, 263, {255, 255}},
    Pick{40, 100, {96, 145}},
    Pick{38, 24, {20, 137}},       // 34 * 255 div 63
    Pick{-500, 9000, {255, 0}},    // a drag far outside the box
    Pick{INT_MAX, INT_MIN, {0, 255}}));

TEST(SwatchMarkerPlace, StartColourSitsOneColumnLeftOfItsSaturation)
{
    EXPECT_EQ(SwatchMarker(HueSat{20, 141}), (MarkerPlace{34, 20}));
    EXPECT_EQ(SwatchMarker(HueSat{0, 0}), (MarkerPlace{0, 0}));
    EXPECT_EQ(SwatchMarker(HueSat{255, 255}), (MarkerPlace{63, 255}));
}

TEST(SwatchMarkerPlace, CentredOnThePickedColumnOrOneLeftOfIt)
{
    // A click on swatch pixel (column, hue) puts the marker's centre back on
    // that pixel, or one column left where the column's saturation was cut down
    // (exactly on it for the columns 0, 21, 42, 63, whose saturations are whole).
    for (int column = 0; column < kSwatchWidth; ++column)
        for (int hue : {0, 77, 255}) {
            const HueSat picked = SwatchPick(column + kSwatchInset, hue + kSwatchInset);
            const MarkerPlace marker = SwatchMarker(picked);
            const int centre = marker.left + kMarkerSize / 2 - kSwatchInset;
            const int expected = column % 21 == 0 ? column : column - 1;
            ASSERT_EQ(centre, expected) << "column " << column;
            ASSERT_EQ(marker.top + kMarkerSize / 2, hue + kSwatchInset);
        }
}
