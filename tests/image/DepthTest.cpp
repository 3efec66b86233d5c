// Widening 1-, 4- and 8-bit pictures to 24 bits, zweihoch, and the grey conversion.
#include "Depth.h"
#include "ProgressLog.h"

#include <gtest/gtest.h>
#include <climits>

namespace {

// A palette picture whose colour table (and so its `pal`) holds `colours`.
dib palettePicture(int32_t width, int32_t height, int32_t bits, const std::vector<RGBQUAD> &colours)
{
    dib d = emptydib();
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto *table = reinterpret_cast<RGBQUAD *>(info.data() + sizeof(BITMAPINFOHEADER));
    std::copy(colours.begin(), colours.end(), table);
    newdib(&d, width, height, bits, reinterpret_cast<BITMAPINFO *>(info.data()), int32_t(colours.size()));
    if (d.poi == nullptr)
        throw std::runtime_error("newdib failed");
    return d;
}

std::vector<RGBQUAD> randomColours(std::mt19937 &random, int count)
{
    std::vector<RGBQUAD> colours(static_cast<size_t>(count));
    for (RGBQUAD &c : colours)
        c = RGBQUAD{uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
    return colours;
}

// The 24-bit picture's pixel (x, y from the top) as blue, green, red.
std::array<uint8_t, 3> pixel24(const dib &d, int32_t x, int32_t y)
{
    const uint8_t *p = d.poi + ptrdiff_t(dibheight(d) - 1 - y) * d.bytew + 3 * x;
    return {p[0], p[1], p[2]};
}

// Converts `d` to 24 bits and checks that each pixel has the colour of the index
// the library reads at its place, and that the row padding stays zero.
void expectWidenedByTable(dib &d)
{
    const int32_t width = dibwidth(d), height = dibheight(d);
    std::vector<uint32_t> indices;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            indices.push_back(getpixel(d, x, y));
    const LPAL pal = d.pal;

    ProgressLog log;
    ASSERT_TRUE(DepthUpTo(d, 24, log.sink()));
    ASSERT_EQ(dibbits(d), 24);
    ASSERT_EQ(dibwidth(d), width);
    ASSERT_EQ(dibheight(d), height);
    size_t i = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const PALETTEENTRY &e = pal.rgb0[indices[i++]];
            const std::array<uint8_t, 3> expected{e.peBlue, e.peGreen, e.peRed};
            ASSERT_EQ(pixel24(d, x, y), expected) << "pixel " << x << "," << y;
        }
    for (int32_t row = 0; row < height; ++row)
        for (int32_t b = 3 * width; b < d.bytew; ++b)
            ASSERT_EQ(d.poi[ptrdiff_t(row) * d.bytew + b], 0) << "padding of row " << row;
    EXPECT_EQ(log.values, concat({{0}, rowValues(height), {0}}));
    EXPECT_TRUE(log.allOnCallingThread);
}

TEST(Zweihoch, DoublesOneIn32Bits)
{
    const struct { int32_t i; int32_t expected; } cases[] = {
        {0, 1}, {1, 2}, {4, 16}, {8, 256}, {24, 16777216}, {-3, 1}, {INT32_MIN, 1},
        {30, 1 << 30}, {31, INT32_MIN}, {32, 0}, {INT32_MAX, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(zweihoch(c.i), c.expected) << "i = " << c.i;
}

TEST(DepthUpTo, EightBitTakesColoursFromPal)
{
    std::mt19937 random(8);
    auto colours = randomColours(random, 256);
    colours[5] = RGBQUAD{30, 20, 10, 0}; // red 10, green 20, blue 30
    dib d = palettePicture(7, 5, 8, colours);
    d.poi[0] = 5; // bottom-left pixel
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = (y == 4 ? 1 : 0); x < 7; ++x)
            setpixel(d, x, y, random() & 0xFF);
    expectWidenedByTable(d);
    EXPECT_EQ(pixel24(d, 0, 4), (std::array<uint8_t, 3>{30, 20, 10}));
    freedib(d);
}

TEST(DepthUpTo, PalNotTheColourTableIsRead)
{
    // The library keeps both; the picture's `pal` is what counts.
    dib d = palettePicture(3, 2, 8, std::vector<RGBQUAD>(256, RGBQUAD{1, 2, 3, 0}));
    d.pal.rgb0[0] = PALETTEENTRY{200, 100, 50, 0};
    ASSERT_TRUE(DepthUpTo(d, 24, nullptr));
    EXPECT_EQ(pixel24(d, 2, 1), (std::array<uint8_t, 3>{50, 100, 200}));
    freedib(d);
}

TEST(DepthUpTo, FourBitEvenPixelInHighNibble)
{
    std::mt19937 random(4);
    for (const int32_t width : {1, 3, 5, 8, 9, 31}) {
        SCOPED_TRACE(width);
        dib d = palettePicture(width, 4, 4, randomColours(random, 16));
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < width; ++x)
                setpixel(d, x, y, random() & 0xF);
        expectWidenedByTable(d);
        freedib(d);
    }
}

TEST(DepthUpTo, FourBitOddWidthLastPixelIsHighNibbleOfLastByte)
{
    std::vector<RGBQUAD> colours(16);
    for (int i = 0; i < 16; ++i)
        colours[size_t(i)] = RGBQUAD{uint8_t(i), uint8_t(16 * i), uint8_t(255 - i), 0};
    dib d = palettePicture(3, 1, 4, colours);
    d.poi[0] = 0xAB;
    d.poi[1] = 0xCD; // D lies beyond the last pixel
    ASSERT_TRUE(DepthUpTo(d, 24, nullptr));
    EXPECT_EQ(pixel24(d, 0, 0), (std::array<uint8_t, 3>{0xA, 0xA0, 255 - 0xA}));
    EXPECT_EQ(pixel24(d, 1, 0), (std::array<uint8_t, 3>{0xB, 0xB0, 255 - 0xB}));
    EXPECT_EQ(pixel24(d, 2, 0), (std::array<uint8_t, 3>{0xC, 0xC0, 255 - 0xC}));
    freedib(d);
}

TEST(DepthUpTo, OneBitThroughItsTable)
{
    std::mt19937 random(1);
    // Black first, white first (min-is-white) and two colours.
    const std::vector<std::vector<RGBQUAD>> tables{{{0, 0, 0, 0}, {255, 255, 255, 0}},
                                                   {{255, 255, 255, 0}, {0, 0, 0, 0}},
                                                   {{0, 0, 255, 0}, {255, 0, 0, 0}}};
    for (const auto &colours : tables)
        for (const int32_t height : {1, 5})
            for (const int32_t width : {1, 7, 8, 9, 13, 33}) {
                SCOPED_TRACE(testing::Message() << width << " x " << height << ", 0 = " << int(colours[0].rgbRed));
                dib d = palettePicture(width, height, 1, colours);
                for (uint32_t i = 0; i < d.pmi->bmiHeader.biSizeImage; ++i)
                    d.poi[i] = uint8_t(random());
                expectWidenedByTable(d);
                freedib(d);
            }
}

TEST(DepthUpTo, OneBitLeftmostPixelInHighestBit)
{
    dib d = palettePicture(10, 1, 1, {{0, 0, 0, 0}, {255, 255, 255, 0}});
    d.poi[0] = 0x81; // pixels 0 and 7
    d.poi[1] = 0x40; // pixel 9
    ASSERT_TRUE(DepthUpTo(d, 24, nullptr));
    for (int32_t x = 0; x < 10; ++x) {
        const uint8_t level = (x == 0 || x == 7 || x == 9) ? 255 : 0;
        EXPECT_EQ(pixel24(d, x, 0), (std::array<uint8_t, 3>{level, level, level})) << "pixel " << x;
    }
    freedib(d);
}

TEST(DepthUpTo, OneRowPicturesConvertAndTheGaugeShowsZero)
{
    // The progress divisor height - 1 is 0 here: the only row reports 0.
    std::mt19937 random(11);
    for (const int32_t bits : {4, 8}) {
        SCOPED_TRACE(bits);
        dib d = palettePicture(9, 1, bits, randomColours(random, 1 << bits));
        for (int32_t x = 0; x < 9; ++x)
            setpixel(d, x, 0, random() & ((1u << bits) - 1));
        expectWidenedByTable(d);
        freedib(d);
    }
}

TEST(DepthUpTo, LargePictureSharedOverCoresMatchesTheRule)
{
    // Big enough for the rows to be shared out; the gauge still gets every row's
    // value in order, and only from this thread.
    std::mt19937 random(88);
    dib d = palettePicture(1001, 700, 8, randomColours(random, 256));
    for (uint32_t i = 0; i < d.pmi->bmiHeader.biSizeImage; ++i)
        d.poi[i] = uint8_t(random());
    expectWidenedByTable(d);
    freedib(d);
}

TEST(DepthUpTo, LeavesPicturesItDoesNotWiden)
{
    struct Case { const char *what; int32_t bits; int32_t target; };
    const Case cases[] = {
        {"already 24 bits", 24, 24},
        {"target 8 bits", 1, 8},
        {"target 4 bits", 1, 4},
        {"target 32 bits", 8, 32},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Picture picture(6, 3, c.bits);
        std::mt19937 random(3);
        randomiseBytes(picture, random);
        const dib before = picture.get();
        const std::vector<uint8_t> bytes = pixelBytes(picture);
        ProgressLog log;
        EXPECT_FALSE(DepthUpTo(picture.get(), c.target, log.sink()));
        EXPECT_EQ(std::memcmp(&before, &picture.get(), sizeof(dib)), 0);
        EXPECT_EQ(pixelBytes(picture), bytes);
        EXPECT_EQ(log.values, (std::vector<int32_t>{0, 0}));
    }
}

TEST(DepthUpTo, FailedCreationLeavesPictureAsItWas)
{
    // A header larger than the library creates: the new picture cannot be made.
    Picture picture(4, 2, 8);
    picture.get().pmi->bmiHeader.biWidth = BK3_MAX_SIDE + 1;
    const dib before = picture.get();
    ProgressLog log;
    EXPECT_FALSE(DepthUpTo(picture.get(), 24, log.sink()));
    EXPECT_EQ(std::memcmp(&before, &picture.get(), sizeof(dib)), 0);
    EXPECT_EQ(log.values, (std::vector<int32_t>{0, 0}));
    picture.get().pmi->bmiHeader.biWidth = 4;

    dib none = emptydib();
    EXPECT_FALSE(DepthUpTo(none, 24, nullptr));
    EXPECT_EQ(none.poi, nullptr);
}

TEST(Grey, WeightedSumDividedOnce)
{
    struct Case { uint8_t red, green, blue, grey; };
    const Case cases[] = {
        {255, 0, 0, 76}, {0, 255, 0, 150}, {0, 0, 255, 28}, {255, 255, 255, 255}, {0, 0, 0, 0},
        // Dividing each product by 100 on its own would give 0 for these.
        {1, 1, 1, 1}, {3, 1, 0, 1}, {2, 0, 9, 1},
        {100, 150, 200, 140}, // (3000 + 8850 + 2200) div 100 = 140
    };
    Picture picture(int32_t(std::size(cases)), 1, 24);
    for (size_t i = 0; i < std::size(cases); ++i)
        setPixel(picture, int32_t(i), 0, cases[i].blue, cases[i].green, cases[i].red);
    ConvertToGrey(picture.get(), nullptr);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const uint8_t g = cases[i].grey;
        EXPECT_EQ(pixel24(picture.get(), int32_t(i), 0), (std::array<uint8_t, 3>{g, g, g}))
            << "red " << int(cases[i].red) << " green " << int(cases[i].green) << " blue "
            << int(cases[i].blue);
    }
}

TEST(Grey, EveryColourByTheRule)
{
    // All 2^24 colours, once each.
    Picture picture(4096, 4096, 24);
    for (uint32_t c = 0; c < (1u << 24); ++c)
        setPixel(picture, int32_t(c % 4096), int32_t(c / 4096), uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16));
    ConvertToGrey(picture.get(), nullptr);
    for (uint32_t c = 0; c < (1u << 24); ++c) {
        const uint32_t expected = (30 * (c >> 16) + 59 * ((c >> 8) & 0xFF) + 11 * (c & 0xFF)) / 100;
        const uint8_t *p = pixelAt(picture, int32_t(c % 4096), int32_t(c / 4096));
        if (p[0] != expected || p[1] != expected || p[2] != expected)
            FAIL() << "colour " << std::hex << c << ": " << std::dec << int(p[0]) << " " << int(p[1])
                   << " " << int(p[2]) << ", expected " << expected;
    }
}

TEST(Grey, AnyWidthRowPaddingUntouched)
{
    std::mt19937 random(24);
    for (const int32_t width : {1, 2, 5, 15, 16, 17, 31, 33, 47}) {
        SCOPED_TRACE(width);
        Picture picture(width, 3, 24);
        randomiseBytes(picture, random);
        const std::vector<uint8_t> before = pixelBytes(picture);
        ProgressLog log;
        ConvertToGrey(picture.get(), log.sink());
        const std::vector<uint8_t> after = pixelBytes(picture);
        for (size_t row = 0; row < 3; ++row) {
            const size_t start = row * size_t(picture.get().bytew);
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t *p = &before[start + 3 * size_t(x)];
                const uint8_t g = uint8_t((30 * p[2] + 59 * p[1] + 11 * p[0]) / 100);
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(after[start + 3 * size_t(x) + size_t(c)], g) << "pixel " << x;
            }
            for (size_t b = 3 * size_t(width); b < size_t(picture.get().bytew); ++b)
                ASSERT_EQ(after[start + b], before[start + b]) << "padding";
        }
        EXPECT_EQ(log.values, concat({{0}, rowValues(3), {0}}));
    }
}

TEST(Grey, OnlyTwentyFourBitPictures)
{
    Picture picture(5, 2, 8);
    std::mt19937 random(5);
    randomiseBytes(picture, random);
    const std::vector<uint8_t> before = pixelBytes(picture);
    ProgressLog log;
    ConvertToGrey(picture.get(), log.sink());
    EXPECT_EQ(pixelBytes(picture), before);
    EXPECT_EQ(log.values, (std::vector<int32_t>{0, 0}));
}

} // namespace
