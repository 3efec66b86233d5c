// Colour transfer against DoPix pixel by pixel, for every way the model and the
// picture can overlap, and the shortcuts it takes against the colour model.
#include "ColourTransfer.h"
#include "Depth.h"
#include "Picture24.h"
#include "RGBHSL.h"

#include <gtest/gtest.h>

#include <vector>

#include <string>

namespace {

// The plain rule: the model's pixel at (x, y), counted from the top, to
// hue and saturation, then DoPix with brightness 0, for the overlap only.
void plainTransfer(const dib &di, dib &outdi, const RowTable &rows, const dib &model)
{
    for (int y = 0; y < dibheight(outdi) && y < dibheight(model); ++y)
        for (int x = 0; x < dibwidth(outdi) && x < dibwidth(model); ++x) {
            const uint8_t *p = model.poi + size_t(dibheight(model) - 1 - y) * size_t(model.bytew) + 3 * size_t(x);
            int hue, sat, lum;
            RGBToHSL(p[2], p[1], p[0], hue, sat, lum);
            DoPix(di, outdi, rows, x, y, hue, sat, 0);
        }
}

struct OverlapCase {
    const char *name;
    int width, height, modelWidth, modelHeight;
};

class AgainstDoPix : public testing::TestWithParam<OverlapCase> {};

TEST_P(AgainstDoPix, ByteForByte)
{
    const OverlapCase &c = GetParam();
    std::mt19937 random(unsigned(c.width * 7 + c.modelHeight));
    for (Cores cores : {Cores::One, Cores::All}) {
        Picture24 di(c.width, c.height, 0, 2), outdi(c.width, c.height, 0, 2), expected(c.width, c.height, 0, 2);
        Picture24 model(c.modelWidth, c.modelHeight);
        di.randomise(random);
        outdi.randomise(random);
        model.randomise(random);
        const auto before = outdi.block();
        expected.setBlock(before);
        const auto source = di.block();
        const RowTable rows = rowsOf(di.d);
        plainTransfer(di.d, expected.d, rows, model.d);

        ColourModel colours;
        ASSERT_TRUE(colours.build(model.d, c.width, c.height, cores));
        TransferColours(di.d, outdi.d, rows, colours, cores);
        ASSERT_EQ(outdi.block(), expected.block()) << (cores == Cores::One ? "one core" : "all cores");
        ASSERT_EQ(di.block(), source);

        // A model kept at its full size gives the same, and so does the
        // model picture used straight away.
        ColourModel full;
        ASSERT_TRUE(full.build(model.d));
        outdi.setBlock(before);
        TransferColours(di.d, outdi.d, rows, full, cores);
        ASSERT_EQ(outdi.block(), expected.block());
        outdi.setBlock(before);
        ASSERT_TRUE(TransferColours(di.d, outdi.d, rows, model.d, cores));
        ASSERT_EQ(outdi.block(), expected.block()) << "straight from the model picture";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, AgainstDoPix,
    testing::Values(OverlapCase{"sameSize", 9, 7, 9, 7}, OverlapCase{"largerModel", 9, 7, 20, 11},
                    OverlapCase{"smallerModel", 9, 7, 4, 3}, OverlapCase{"widerButShorter", 9, 7, 15, 2},
                    OverlapCase{"onePixel", 1, 1, 1, 1}, OverlapCase{"manyRows", 150, 140, 160, 130}),
    [](const testing::TestParamInfo<OverlapCase> &info) { return std::string(info.param.name); });

// A freshly read picture as loading makes it: widened to 24 bits, the result
// a copy; then the transfer. ComposeColours must give the same bytes.
class ComposeLikeLoadAndTransfer : public testing::TestWithParam<std::tuple<int, OverlapCase>> {};

TEST_P(ComposeLikeLoadAndTransfer, ByteForByte)
{
    const auto [bits, c] = GetParam();
    std::mt19937 random(unsigned(bits * 31 + c.width));
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto *colours = reinterpret_cast<BITMAPINFO *>(info.data());
    for (int i = 0; i < 256; ++i)
        colours->bmiColors[i] = RGBQUAD{uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
    Picture24 model(c.modelWidth, c.modelHeight);
    model.randomise(random);
    ColourModel prepared;
    ASSERT_TRUE(prepared.build(model.d));

    for (Cores cores : {Cores::One, Cores::All}) {
        dib read = emptydib();
        newdib(&read, c.width, c.height, bits, bits == 8 ? colours : nullptr, bits == 8 ? 256 : 0);
        ASSERT_NE(read.poi, nullptr);
        const size_t rowBytes = bits == 8 ? size_t(c.width) : 3 * size_t(c.width);
        for (int row = 0; row < c.height; ++row)
            for (size_t i = 0; i < rowBytes; ++i)
                read.poi[size_t(row) * size_t(read.bytew) + i] = uint8_t(random());

        // The long way, with the library's widening.
        dib widened = emptydib();
        newdib(&widened, c.width, c.height, bits, bits == 8 ? colours : nullptr, bits == 8 ? 256 : 0);
        std::memcpy(widened.poi, read.poi, size_t(read.bytew) * size_t(c.height));
        std::memcpy(&widened.pal, &read.pal, sizeof read.pal);
        DepthUpTo(widened, 24, Progress());
        ASSERT_EQ(dibbits(widened), 24);
        Picture24 expected(c.width, c.height);
        std::memcpy(expected.d.poi, widened.poi, expected.total);
        TransferColours(widened, expected.d, rowsOf(widened), prepared, Cores::One);

        // A result of another size is replaced; one of the right size is reused.
        dib result = emptydib();
        newdib(&result, c.width + 1, c.height, 24, nullptr, 0);
        ASSERT_TRUE(ComposeColours(read, result, prepared, cores));
        EXPECT_EQ(std::vector<uint8_t>(result.poi, result.poi + expected.total), expected.block());
        uint8_t *const kept = result.poi;
        ASSERT_TRUE(ComposeColours(read, result, prepared, cores));
        EXPECT_EQ(result.poi, kept);
        EXPECT_EQ(std::vector<uint8_t>(result.poi, result.poi + expected.total), expected.block());
        freedib(result);
        freedib(widened);
        freedib(read);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Compose, ComposeLikeLoadAndTransfer,
    testing::Combine(testing::Values(8, 24),
                     testing::Values(OverlapCase{"sameSize", 9, 7, 9, 7}, OverlapCase{"smallerModel", 10, 7, 4, 3},
                                     OverlapCase{"largerModel", 9, 7, 20, 11},
                                     OverlapCase{"manyRows", 150, 140, 160, 130})),
    [](const auto &info) {
        return std::to_string(std::get<0>(info.param)) + "bit_" + std::get<1>(info.param).name;
    });

TEST(ComposeColours, RefusesOtherDepths)
{
    dib four = emptydib();
    newdib(&four, 4, 4, 4, nullptr, 0);
    dib result = emptydib();
    ColourModel none;
    EXPECT_FALSE(ComposeColours(four, result, none));
    EXPECT_EQ(result.poi, nullptr);
    freedib(four);
}

TEST(ColourModel, TakesTwentyFourBitPicturesOnly)
{
    dib eight = emptydib();
    newdib(&eight, 4, 4, 8, nullptr, 0);
    ASSERT_NE(eight.poi, nullptr);
    ColourModel colours;
    EXPECT_FALSE(colours.build(eight));
    EXPECT_TRUE(colours.empty());
    EXPECT_FALSE(colours.build(emptydib()));

    Picture24 di(4, 4, 10), outdi(4, 4, 20);
    EXPECT_FALSE(TransferColours(di.d, outdi.d, rowsOf(di.d), eight));
    EXPECT_EQ(outdi.block(), std::vector<uint8_t>(outdi.total, 20));
    freedib(eight);
}

// The shortcuts against the conversions they replace: the colour at luminance
// 127 lit or darkened per channel, for every hue, saturation and luminance; the
// HSL luminance and the colour at 127 of every colour.
TEST(HslPixels, ShortcutsEqualTheConversions)
{
    for (int hue = 0; hue < 256; ++hue)
        for (int sat = 0; sat < 256; ++sat) {
            int r, g, b;
            HSLToRGB(hue, sat, 127, r, g, b);
            const hslpixels::Bgr base{uint8_t(b), uint8_t(g), uint8_t(r)};
            for (int lum = 0; lum < 256; ++lum) {
                HSLToRGB(hue, sat, lum, r, g, b);
                uint8_t out[3];
                hslpixels::atLuminance(base, lum, out);
                ASSERT_EQ(Rgb(out[2], out[1], out[0]), Rgb(r, g, b)) << hue << " " << sat << " " << lum;
            }
        }
    // Every colour there is, one pixel at a time and as rows (the vector path; 65535
    // pixels, so the rest after the last full vector goes the scalar way).
    const auto &table = hslpixels::luminanceTable();
    const auto &bases = hslpixels::baseTables();
    std::vector<uint8_t> row(3 * 65536);
    std::vector<hslpixels::Bgr> rowBases(65536);
    for (int red = 0; red < 256; ++red) {
        for (int i = 0; i < 65536; ++i)
            row[3 * i] = uint8_t(i), row[3 * i + 1] = uint8_t(i >> 8), row[3 * i + 2] = uint8_t(red);
        hslpixels::basesOf(bases, row.data(), rowBases.data(), 65535);
        rowBases[65535] = hslpixels::baseOf(bases, row.data() + 3 * 65535);
        for (int i = 0; i < 65536; ++i) {
            const int green = i >> 8, blue = i & 255;
            const uint8_t *bgr = row.data() + 3 * i;
            int h, s, l;
            RGBToHSL(red, green, blue, h, s, l);
            ASSERT_EQ(hslpixels::hslLuminance(table, bgr), l);
            const hslpixels::Bgr base = hslpixels::baseOf(bgr), inRow = rowBases[size_t(i)];
            int r, g, b;
            HSLToRGB(h, s, 127, r, g, b);
            ASSERT_EQ(Rgb(base.r, base.g, base.b), Rgb(r, g, b)) << red << " " << green << " " << blue;
            ASSERT_EQ(Rgb(inRow.r, inRow.g, inRow.b), Rgb(r, g, b)) << red << " " << green << " " << blue;
        }
    }
}

} // namespace
