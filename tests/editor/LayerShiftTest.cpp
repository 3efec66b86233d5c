// The colour-layer shift against the worked rows and columns, and against a
// plain pixel-by-pixel shift in the loop orders of the four arrow buttons.
#include "LayerShift.h"
#include "Picture24.h"
#include "RGBHSL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// The shift one pixel at a time, in place, in the order of the
// handlers' loops, the band limited to the picture.
void plainShift(const dib &di, dib &outdi, const RowTable &rows, ShiftDirection direction, int n)
{
    const int w = dibwidth(di), h = dibheight(di);
    const auto px = [&rows](const dib &d, int x, int y) { return d.poi + rows[size_t(y)] + 3 * size_t(x); };
    const auto move = [&](int tx, int ty, int sx, int sy) {
        int hue, sat, lum, ignored, red, green, blue;
        const uint8_t *s = px(outdi, sx, sy);
        RGBToHSL(s[2], s[1], s[0], hue, sat, ignored);
        const uint8_t *t = px(di, tx, ty);
        RGBToHSL(t[2], t[1], t[0], ignored, ignored, lum);
        HSLToRGB(hue, sat, lum, red, green, blue);
        uint8_t *out = px(outdi, tx, ty);
        out[0] = uint8_t(blue), out[1] = uint8_t(green), out[2] = uint8_t(red);
    };
    const auto grey = [&](int x, int y) {
        int hue, sat, lum, red, green, blue;
        uint8_t *p = px(outdi, x, y);
        RGBToHSL(p[2], p[1], p[0], hue, sat, lum);
        HSLToRGB(0, 0, lum, red, green, blue);
        p[0] = uint8_t(blue), p[1] = uint8_t(green), p[2] = uint8_t(red);
    };
    switch (direction) {
    case ShiftDirection::Down:
        for (int y = h - 1 - n; y >= 0; --y)
            for (int x = 0; x < w; ++x)
                move(x, y + n, x, y);
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < std::min(n, h); ++y)
                grey(x, y);
        break;
    case ShiftDirection::Up:
        for (int y = n; y < h; ++y)
            for (int x = 0; x < w; ++x)
                move(x, y - n, x, y);
        for (int x = 0; x < w; ++x)
            for (int y = h - 1; y >= std::max(0, h - n); --y)
                grey(x, y);
        break;
    case ShiftDirection::Left:
        for (int y = 0; y < h; ++y) {
            for (int x = n; x < w; ++x)
                move(x - n, y, x, y);
            for (int x = w - 1; x >= std::max(0, w - n); --x)
                grey(x, y);
        }
        break;
    case ShiftDirection::Right:
        for (int y = 0; y < h; ++y) {
            for (int x = w - 1 - n; x >= 0; --x)
                move(x + n, y, x, y);
            for (int x = 0; x < std::min(n, w); ++x)
                grey(x, y);
        }
        break;
    }
}

const char *nameOf(ShiftDirection d)
{
    switch (d) {
    case ShiftDirection::Up: return "up";
    case ShiftDirection::Down: return "down";
    case ShiftDirection::Left: return "left";
    case ShiftDirection::Right: return "right";
    }
    return "?";
}

const Rgb kRed{255, 0, 0}, kGrey100{100, 100, 100};

struct WorkedCase {
    const char *name;
    ShiftDirection direction;
    int n;
    bool vertical;                // the line is a column (top first), else a row
    std::vector<Rgb> result;      // before; the source is all (100, 100, 100)
    std::vector<Rgb> expected;
};

class WorkedLine : public testing::TestWithParam<WorkedCase> {};

TEST_P(WorkedLine, GivesTheWorkedColours)
{
    const WorkedCase &c = GetParam();
    const int length = int(c.result.size());
    const int w = c.vertical ? 1 : length, h = c.vertical ? length : 1;
    Picture24 di(w, h), outdi(w, h);
    di.fill(kGrey100);
    for (int i = 0; i < length; ++i)
        outdi.set(c.vertical ? 0 : i, c.vertical ? i : 0, c.result[size_t(i)]);
    ShiftColourLayer(di.d, outdi.d, rowsOf(di.d), c.direction, c.n);
    for (int i = 0; i < length; ++i)
        EXPECT_EQ(outdi.rgb(c.vertical ? 0 : i, c.vertical ? i : 0), c.expected[size_t(i)]) << "pixel " << i;
}

const Rgb kMidGrey{128, 128, 128}, kMovedRed{202, 0, 0}, kGrey101{101, 101, 101}, kWhite{255, 255, 255};

INSTANTIATE_TEST_SUITE_P(
    Shift, WorkedLine,
    testing::Values(
        WorkedCase{"right1", ShiftDirection::Right, 1, false, {kRed, kGrey100, kGrey100, kGrey100},
                   {kMidGrey, kMovedRed, kGrey101, kGrey101}},
        WorkedCase{"right2", ShiftDirection::Right, 2, false, {kRed, kGrey100, kGrey100, kGrey100, kGrey100},
                   {kMidGrey, kGrey101, kMovedRed, kGrey101, kGrey101}},
        WorkedCase{"left1", ShiftDirection::Left, 1, false, {kGrey100, kGrey100, kGrey100, kRed},
                   {kGrey101, kGrey101, kMovedRed, kMidGrey}},
        WorkedCase{"down1", ShiftDirection::Down, 1, true, {kRed, kGrey100, kGrey100},
                   {kMidGrey, kMovedRed, kGrey101}},
        WorkedCase{"up1", ShiftDirection::Up, 1, true, {kGrey100, kGrey100, kRed},
                   {kGrey101, kMovedRed, kMidGrey}},
        // A white band pixel keeps luminance 255 and stays white.
        WorkedCase{"whiteBand", ShiftDirection::Right, 1, false, {kWhite, kRed, kGrey100},
                   {kWhite, kGrey101, kMovedRed}},
        // 0 recolours in place: the red takes the source luminance, no band.
        WorkedCase{"zero", ShiftDirection::Left, 0, false, {kRed, kGrey100}, {kMovedRed, kGrey101}},
        // At and beyond the size everything turns the grey of its own luminance.
        WorkedCase{"atSize", ShiftDirection::Right, 3, false, {kRed, kGrey100, kWhite},
                   {kMidGrey, kGrey101, kWhite}},
        WorkedCase{"beyondSize", ShiftDirection::Up, 100, true, {kRed, kGrey100, kWhite},
                   {kMidGrey, kGrey101, kWhite}}),
    [](const testing::TestParamInfo<WorkedCase> &info) { return std::string(info.param.name); });

struct Geometry {
    int width, height;
};

class AgainstPlainShift : public testing::TestWithParam<std::tuple<Geometry, ShiftDirection>> {};

// Every distance from 0 past the picture's size, on random pictures whose rows
// have padding, with the rows or columns on one core and on all: byte for byte
// the plain shift, the source untouched, nothing written past the picture.
TEST_P(AgainstPlainShift, EveryDistance)
{
    const auto [geometry, direction] = GetParam();
    const int w = geometry.width, h = geometry.height;
    const int size = direction == ShiftDirection::Left || direction == ShiftDirection::Right ? w : h;
    std::vector<int> distances = {0, 1, 2, 3, 7, size - 1, size, size + 1, size + 40};
    distances.erase(std::remove_if(distances.begin(), distances.end(), [](int n) { return n < 0; }),
                    distances.end());
    std::mt19937 random(unsigned(w * 131 + h));
    for (int n : distances)
        for (Cores cores : {Cores::One, Cores::All}) {
            Picture24 di(w, h, 0, 2), outdi(w, h, 0, 2), expected(w, h, 0, 2);
            di.randomise(random);
            outdi.randomise(random);
            expected.setBlock(outdi.block());
            const auto source = di.block();
            const RowTable rows = rowsOf(di.d);
            plainShift(di.d, expected.d, rows, direction, n);
            ShiftColourLayer(di.d, outdi.d, rows, direction, n, cores);
            ASSERT_EQ(outdi.block(), expected.block())
                << nameOf(direction) << " n=" << n << (cores == Cores::One ? " one core" : " all cores");
            ASSERT_EQ(di.block(), source);
        }
}

INSTANTIATE_TEST_SUITE_P(
    Shift, AgainstPlainShift,
    testing::Combine(testing::Values(Geometry{1, 1}, Geometry{5, 3}, Geometry{3, 9}, Geometry{150, 140}),
                     testing::Values(ShiftDirection::Up, ShiftDirection::Down, ShiftDirection::Left,
                                     ShiftDirection::Right)),
    [](const auto &info) {
        const Geometry g = std::get<0>(info.param);
        return std::string(nameOf(std::get<1>(info.param))) + "_" + std::to_string(g.width) + "x"
            + std::to_string(g.height);
    });

TEST(ShiftColourLayer, RefusesWhatItCannotShift)
{
    std::mt19937 random(3);
    Picture24 di(6, 4), outdi(6, 4), narrower(5, 4);
    di.randomise(random);
    outdi.randomise(random);
    const auto before = outdi.block();
    const RowTable rows = rowsOf(di.d);
    ShiftColourLayer(di.d, outdi.d, rows, ShiftDirection::Left, -1);
    EXPECT_EQ(outdi.block(), before) << "negative distance";
    ShiftColourLayer(di.d, outdi.d, RowTable(2, 0), ShiftDirection::Up, 1);
    EXPECT_EQ(outdi.block(), before) << "row table shorter than the picture";
    const auto narrowBefore = narrower.block();
    ShiftColourLayer(di.d, narrower.d, rows, ShiftDirection::Right, 1);
    EXPECT_EQ(narrower.block(), narrowBefore) << "result of another size";
}

} // namespace
