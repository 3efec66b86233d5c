// The pixel operations on real pictures from the imaging library: known
// results, the guard, erasing and flat paint, and "Alles einfärben" against the
// plain per-pixel rule.
#include "Picture.h"
#include "Picture24.h"
#include "PixelOps.h"
#include "RGBHSL.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <random>
#include <tuple>

namespace {

using Picture = Picture24;

// The plain rule, pixel by pixel, as the tools apply it.
void colourPixelByPixel(const dib &di, dib &outdi, const RowTable &rows, int hue, int sat, int bright)
{
    for (int y = 0; y < dibheight(di); ++y)
        for (int x = 0; x < dibwidth(di); ++x)
            DoPix(di, outdi, rows, x, y, hue, sat, bright);
}

struct DoPixCase {
    Rgb source;
    int hue, sat, bright;
    Rgb result;
};

class DoPixValues : public testing::TestWithParam<DoPixCase> {};

TEST_P(DoPixValues, WritesOnlyThePixelWithTheSourceLuminance)
{
    const DoPixCase &c = GetParam();
    Picture di(5, 4, 77), outdi(5, 4, 33), expected(5, 4, 33);
    const RowTable rows = rowsOf(di.d);
    di.set(3, 1, c.source);
    expected.set(3, 1, c.result);
    DoPix(di.d, outdi.d, rows, 3, 1, c.hue, c.sat, c.bright);
    EXPECT_EQ(outdi.rgb(3, 1), c.result);
    EXPECT_EQ(outdi.block(), expected.block());
}

INSTANTIATE_TEST_SUITE_P(
    KnownValues, DoPixValues,
    testing::Values(
        // White has luminance 254, so grey is one step short of white.
        DoPixCase{{255, 255, 255}, 0, 0, 0, {254, 254, 254}},
        DoPixCase{{255, 255, 255}, 20, 141, 0, {254, 253, 253}},
        DoPixCase{{0, 0, 0}, 20, 141, 0, {2, 1, 1}},
        // Mid grey has luminance 127: the pure colour at that saturation.
        DoPixCase{{128, 128, 128}, 85, 255, 0, {0, 255, 0}},
        DoPixCase{{128, 128, 128}, 20, 141, 0, {198, 123, 57}},
        DoPixCase{{200, 200, 200}, 20, 141, -50, {157, 98, 45}},
        DoPixCase{{200, 200, 200}, 20, 141, 50, {242, 226, 211}},
        DoPixCase{{0, 0, 0}, 20, 141, 100, {255, 255, 255}},
        DoPixCase{{13, 200, 77}, 170, 255, 100, {255, 255, 255}},
        DoPixCase{{100, 150, 200}, 0, 255, 0, {255, 25, 25}}));

using Operation = std::function<void(dib &di, dib &outdi, const RowTable &rows, int x, int y)>;

struct NamedOperation {
    const char *name;
    Operation apply;
};

const NamedOperation kOperations[] = {
    {"DoPix", [](dib &di, dib &out, const RowTable &rows, int x, int y) { DoPix(di, out, rows, x, y, 85, 255, 0); }},
    {"DoPixDelete", [](dib &di, dib &out, const RowTable &rows, int x, int y) { DoPixDelete(di, out, rows, x, y); }},
    {"DoPixMalen", [](dib &di, dib &out, const RowTable &rows, int x, int y) { DoPixMalen(di, out, rows, x, y, 1, 2, 3, true); }},
};

constexpr int kW = 7, kH = 5; // 21 bytes of pixels and 3 of padding a row

// The source never holds three equal bytes in a row, the result holds only
// 0x5A: each operation changes whatever pixel it is allowed to touch.
struct GuardPictures {
    Picture di{kW, kH}, outdi{kW, kH, 0x5A};
    GuardPictures()
    {
        for (size_t i = 0; i < di.bytes(); ++i)
            di.d.poi[i] = uint8_t(i * 7 + 1);
    }
};

TEST(PixelGuard, PixelsOutsideTheSourcePictureChangeNothing)
{
    const std::pair<int, int> outside[] = {{-1, 0}, {0, -1}, {kW, 0}, {0, kH}, {kW, kH - 1}, {kW - 1, kH},
                                           {INT_MIN, 0}, {0, INT_MIN}, {INT_MAX, 0}, {0, INT_MAX}};
    for (const NamedOperation &op : kOperations)
        for (const auto &[x, y] : outside) {
            SCOPED_TRACE(testing::Message() << op.name << " at " << x << ", " << y);
            GuardPictures p;
            const RowTable rows = rowsOf(p.di.d);
            const auto source = p.di.block(), result = p.outdi.block();
            op.apply(p.di.d, p.outdi.d, rows, x, y);
            EXPECT_EQ(p.di.block(), source);
            EXPECT_EQ(p.outdi.block(), result);
        }
}

TEST(PixelGuard, AnEmptyOrShortRowTableChangesNothing)
{
    for (const NamedOperation &op : kOperations) {
        SCOPED_TRACE(op.name);
        GuardPictures p;
        const auto source = p.di.block(), result = p.outdi.block();
        op.apply(p.di.d, p.outdi.d, RowTable{}, 0, 0);
        RowTable shortTable = rowsOf(p.di.d);
        shortTable.resize(kH - 1);
        op.apply(p.di.d, p.outdi.d, shortTable, 0, kH - 1);
        EXPECT_EQ(p.di.block(), source);
        EXPECT_EQ(p.outdi.block(), result);
    }
}

TEST(PixelGuard, TheCornersInsideAreReached)
{
    for (const NamedOperation &op : kOperations)
        for (const auto &[x, y] : std::initializer_list<std::pair<int, int>>{{0, 0}, {kW - 1, 0}, {0, kH - 1}, {kW - 1, kH - 1}}) {
            SCOPED_TRACE(testing::Message() << op.name << " at " << x << ", " << y);
            GuardPictures p;
            const RowTable rows = rowsOf(p.di.d);
            Picture untouched(kW, kH, 0x5A);
            op.apply(p.di.d, p.outdi.d, rows, x, y);
            EXPECT_NE(p.outdi.rgb(x, y), untouched.rgb(x, y));
            untouched.set(x, y, p.outdi.rgb(x, y));
            EXPECT_EQ(p.outdi.block(), untouched.block()) << "a neighbour changed";
        }
}

TEST(DoPixDelete, RestoresTheSourceAfterAnyColouring)
{
    std::mt19937 random(7);
    Picture di(9, 6), outdi(9, 6);
    di.randomise(random);
    const RowTable rows = rowsOf(di.d);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) {
            for (int hue : {20, 200, 85})
                DoPix(di.d, outdi.d, rows, x, y, hue, 141, x * 20 - 80);
            DoPixDelete(di.d, outdi.d, rows, x, y);
        }
    EXPECT_EQ(outdi.block(), di.block());
}

TEST(DoPix, DependsOnlyOnTheSourceAndTheColour)
{
    std::mt19937 random(11);
    Picture di(6, 4), fresh(6, 4), garbage(6, 4), recoloured(6, 4);
    di.randomise(random);
    garbage.randomise(random);
    const RowTable rows = rowsOf(di.d);
    colourPixelByPixel(di.d, fresh.d, rows, 150, 90, 25);
    colourPixelByPixel(di.d, garbage.d, rows, 150, 90, 25);
    colourPixelByPixel(di.d, recoloured.d, rows, 20, 141, 0);
    colourPixelByPixel(di.d, recoloured.d, rows, 150, 90, 25);
    EXPECT_EQ(garbage.block(), fresh.block());
    EXPECT_EQ(recoloured.block(), fresh.block());
}

TEST(DoPixMalen, WithoutFestTheEraserBringsThePhotographBack)
{
    std::mt19937 random(3);
    Picture di(4, 3), outdi(4, 3);
    di.randomise(random);
    const auto photograph = di.block();
    const RowTable rows = rowsOf(di.d);
    DoPixMalen(di.d, outdi.d, rows, 2, 1, 255, 0, 255, false);
    EXPECT_EQ(outdi.rgb(2, 1), Rgb(255, 0, 255));
    EXPECT_EQ(di.block(), photograph);
    DoPixDelete(di.d, outdi.d, rows, 2, 1);
    EXPECT_EQ(outdi.rgb(2, 1), di.rgb(2, 1));
}

TEST(DoPixMalen, WithFestThePaintBecomesTheSource)
{
    std::mt19937 random(5);
    Picture di(4, 3), outdi(4, 3);
    di.randomise(random);
    Picture expectedSource(4, 3);
    std::memcpy(expectedSource.d.poi, di.d.poi, di.bytes());
    expectedSource.set(1, 2, {100, 150, 200});
    const RowTable rows = rowsOf(di.d);

    DoPixMalen(di.d, outdi.d, rows, 1, 2, 100, 150, 200, true);
    EXPECT_EQ(outdi.rgb(1, 2), Rgb(100, 150, 200));
    EXPECT_EQ(di.block(), expectedSource.block());

    DoPix(di.d, outdi.d, rows, 1, 2, 0, 255, 0); // luminance 140 of the paint
    EXPECT_EQ(outdi.rgb(1, 2), Rgb(255, 25, 25));
    DoPixDelete(di.d, outdi.d, rows, 1, 2);
    EXPECT_EQ(outdi.rgb(1, 2), Rgb(100, 150, 200));
}

// Up to four source colours of every luminance, so one picture meets every
// entry of the colour table (254 has only two: (254|255, 255, 255)).
std::vector<Rgb> coloursOfEveryLuminance()
{
    std::array<int, 256> found{};
    std::vector<Rgb> colours;
    for (int blue = 0; blue < 256; ++blue)
        for (int green = 0; green < 256; ++green)
            for (int red = 0; red < 256; ++red) {
                int &count = found[size_t(SourceLuminance(red, green, blue))];
                if (count < 4) {
                    ++count;
                    colours.emplace_back(red, green, blue);
                }
            }
    return colours;
}

TEST(ColorAll, EqualsThePlainRuleForEveryLuminanceAndManyColours)
{
    const std::vector<Rgb> colours = coloursOfEveryLuminance();
    ASSERT_EQ(colours.size(), 254u * 4 + 2) << "a luminance 0..254 was not met";
    const int width = 61; // rows with padding
    const int height = int(colours.size() + width - 1) / width;
    Picture di(width, height), table(width, height), plain(width, height);
    for (size_t i = 0; i < colours.size(); ++i)
        di.set(int(i % width), int(i / width), colours[i]);
    const RowTable rows = rowsOf(di.d);

    std::vector<int> hues{-1, 256};
    for (int hue = 0; hue <= 255; ++hue)
        hues.push_back(hue);
    for (int hue : hues)
        for (int sat : {-3, 0, 1, 2, 64, 127, 128, 141, 200, 254, 255, 300})
            for (int bright : {-101, -100, -99, -50, -1, 0, 1, 37, 99, 100, 150}) {
                ColorAll(di.d, table.d, rows, hue, sat, bright, Cores::One);
                colourPixelByPixel(di.d, plain.d, rows, hue, sat, bright);
                if (table.block() != plain.block())
                    FAIL() << "hue " << hue << ", sat " << sat << ", bright " << bright;
            }
}

TEST(ColorAll, EqualsThePlainRuleForEverySourceColour)
{
    Picture di(4096, 4096), table(4096, 4096), plain(4096, 4096);
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 4096; ++x) {
            const uint32_t value = uint32_t(y) * 4096 + uint32_t(x);
            di.set(x, y, {int(value & 0xff), int((value >> 8) & 0xff), int(value >> 16)});
        }
    const RowTable rows = rowsOf(di.d);
    for (const auto &[hue, sat, bright] : std::initializer_list<std::tuple<int, int, int>>{{20, 141, 0}, {200, 77, -33}, {110, 255, 61}}) {
        SCOPED_TRACE(testing::Message() << hue << " " << sat << " " << bright);
        ColorAll(di.d, table.d, rows, hue, sat, bright);
        colourPixelByPixel(di.d, plain.d, rows, hue, sat, bright);
        EXPECT_TRUE(table.block() == plain.block());
    }
}

TEST(ColorAll, EqualsThePlainRuleOnRandomPicturesAndWritesNothingBeyondThePixels)
{
    std::mt19937 random(42);
    // Rows without padding (widths of multiples of 4) and with, narrower and
    // wider than a block of 16, exactly blocks of 16, and enough rows for threads.
    const std::pair<int, int> sizes[] = {{1, 1},  {1, 200},  {2, 3},    {3, 130},   {5, 2},    {16, 3},
                                         {17, 4}, {32, 140}, {64, 129}, {321, 300}, {4, 257}};
    for (const auto &[width, height] : sizes)
        for (Cores cores : {Cores::One, Cores::All}) {
            SCOPED_TRACE(testing::Message() << width << " x " << height << (cores == Cores::All ? " all cores" : " one core"));
            Picture di(width, height), table(width, height, 0xCD, 1), plain(width, height, 0xCD, 1);
            di.randomise(random);
            const RowTable rows = rowsOf(di.d);
            const int hue = int(random() % 256), sat = int(random() % 256), bright = int(random() % 201) - 100;
            ColorAll(di.d, table.d, rows, hue, sat, bright, cores);
            colourPixelByPixel(di.d, plain.d, rows, hue, sat, bright);
            EXPECT_TRUE(table.block() == plain.block());
        }
}

TEST(ColorAll, ColoursOnlyWhatThePixelOperationsMayTouch)
{
    std::mt19937 random(8);
    Picture di(10, 140);
    di.randomise(random);
    const RowTable rows = rowsOf(di.d);

    // A row table shorter than the picture: only the rows it covers.
    RowTable shortTable = rows;
    shortTable.resize(70);
    Picture table(10, 140, 0xCD), plain(10, 140, 0xCD);
    ColorAll(di.d, table.d, shortTable, 20, 141, 0);
    colourPixelByPixel(di.d, plain.d, shortTable, 20, 141, 0);
    EXPECT_TRUE(table.block() == plain.block());

    // No table, or a result of another geometry: nothing at all.
    Picture untouched(10, 140, 0xCD);
    ColorAll(di.d, untouched.d, RowTable{}, 20, 141, 0);
    EXPECT_TRUE(untouched.block() == std::vector<uint8_t>(untouched.bytes(), 0xCD));
    for (const auto &[width, height] : std::initializer_list<std::pair<int, int>>{{11, 140}, {10, 139}, {10, 141}}) {
        Picture other(width, height, 0xCD);
        ColorAll(di.d, other.d, rows, 20, 141, 0);
        EXPECT_TRUE(other.block() == std::vector<uint8_t>(other.bytes(), 0xCD)) << width << " x " << height;
    }
}

} // namespace
