// The 5 x 5 filter and the soften kernel, against hand-worked values and against
// a reference that reads the picture with clamped coordinates instead of a
// bordered copy.
#include "ProgressLog.h"
#include "Soften.h"
#include "SoftenBands.h"

#include <gtest/gtest.h>

namespace {

// The filter by the plain rule on a copy of the picture's pixels: a coordinate
// outside the picture is moved to its nearest edge, which is what a two-pixel
// border of repeated rows, then repeated columns, holds.
std::vector<uint8_t> referenceFilter(Picture &picture, const FilterKernel &k)
{
    const int32_t w = picture.width(), h = picture.height();
    std::vector<uint8_t> out = pixelBytes(picture);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int32_t channel = 0; channel < 3; ++channel) {
                int64_t sum = 0;
                for (int32_t r = 0; r < 5; ++r)
                    for (int32_t c = 0; c < 5; ++c) {
                        const int32_t sx = std::clamp(x + c - 2, 0, w - 1);
                        const int32_t sy = std::clamp(y + r - 2, 0, h - 1);
                        sum += int64_t(k.matrix[r][c]) * pixelAt(picture, sx, sy)[channel];
                    }
                const int64_t v = std::clamp<int64_t>(sum / k.divisor + k.bias, 0, 255);
                out[size_t(h - 1 - y) * size_t(picture.get().bytew) + 3 * size_t(x) + size_t(channel)] =
                    uint8_t(v);
            }
    return out;
}

// Red channel of every pixel, row by row from the top.
std::vector<std::vector<int>> reds(Picture &picture)
{
    std::vector<std::vector<int>> rows;
    for (int32_t y = 0; y < picture.height(); ++y) {
        rows.emplace_back();
        for (int32_t x = 0; x < picture.width(); ++x)
            rows.back().push_back(pixelAt(picture, x, y)[2]);
    }
    return rows;
}

FilterKernel singleWeight(int32_t row, int32_t column, int32_t weight, int32_t divisor, int32_t bias)
{
    FilterKernel k{divisor, bias, {}};
    k.matrix[row][column] = weight;
    return k;
}

TEST(Soften, UniformPictureUnchanged)
{
    const struct { int32_t w, h; uint8_t b, g, r; } cases[] = {
        {1, 1, 255, 255, 255}, {4, 3, 17, 200, 99}, {9, 7, 0, 0, 0}, {2, 5, 254, 1, 128},
    };
    for (const auto &c : cases) {
        Picture picture(c.w, c.h, 24);
        fillPicture(picture, c.b, c.g, c.r);
        const std::vector<uint8_t> before = pixelBytes(picture);
        EXPECT_EQ(FilterDib(picture.get(), SoftenKernel, nullptr), FilterResult::Filtered);
        EXPECT_EQ(pixelBytes(picture), before) << c.w << " x " << c.h;
    }
}

TEST(Soften, SingleWhitePixelSpreadsToThreeByThree)
{
    Picture picture(7, 6, 24);
    fillPicture(picture, 0, 0, 0);
    setPixel(picture, 3, 2, 255, 255, 255);
    ASSERT_EQ(FilterDib(picture.get(), SoftenKernel, nullptr), FilterResult::Filtered);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 7; ++x) {
            const uint8_t v = (std::abs(x - 3) <= 1 && std::abs(y - 2) <= 1) ? 28 : 0;
            const uint8_t *p = pixelAt(picture, x, y);
            ASSERT_TRUE(p[0] == v && p[1] == v && p[2] == v) << "pixel " << x << "," << y;
        }
}

TEST(Soften, CornersAreRepeatedIntoTheBorder)
{
    // Value 90 in one corner: it counts four times in its own window (360 div 9),
    // twice for its edge neighbours (180 div 9), once for the diagonal one.
    const struct { const char *corner; int32_t x, y; } corners[] = {
        {"top-left", 0, 0}, {"top-right", 5, 0}, {"bottom-left", 0, 4}, {"bottom-right", 5, 4},
    };
    for (const auto &corner : corners) {
        SCOPED_TRACE(corner.corner);
        Picture picture(6, 5, 24);
        fillPicture(picture, 0, 0, 0);
        setPixel(picture, corner.x, corner.y, 90, 90, 90);
        ASSERT_EQ(FilterDib(picture.get(), SoftenKernel, nullptr), FilterResult::Filtered);
        const int32_t nx = corner.x == 0 ? 1 : 4; // the inner neighbour column
        const int32_t ny = corner.y == 0 ? 1 : 3; // the inner neighbour row
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 6; ++x) {
                int expected = 0;
                if (x == corner.x && y == corner.y)
                    expected = 40;
                else if ((x == nx && y == corner.y) || (x == corner.x && y == ny))
                    expected = 20;
                else if (x == nx && y == ny)
                    expected = 10;
                ASSERT_EQ(pixelAt(picture, x, y)[1], expected) << "pixel " << x << "," << y;
            }
    }
}

TEST(Soften, OnePixelWideOrHighAveragesThreeNeighbours)
{
    // Each result is the sum of the pixel and its two neighbours along the line,
    // the ends repeated, div 3.
    const std::vector<int> line{0, 90, 0, 30, 61, 255, 255};
    const std::vector<int> expected{30, 30, 40, 30, 115, 190, 255};
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "one pixel high" : "one pixel wide");
        const int32_t n = int32_t(line.size());
        Picture picture(wide ? n : 1, wide ? 1 : n, 24);
        for (int32_t i = 0; i < n; ++i)
            setPixel(picture, wide ? i : 0, wide ? 0 : i, uint8_t(line[size_t(i)]), 0, uint8_t(255 - line[size_t(i)]));
        ASSERT_EQ(FilterDib(picture.get(), SoftenKernel, nullptr), FilterResult::Filtered);
        for (int32_t i = 0; i < n; ++i) {
            const uint8_t *p = pixelAt(picture, wide ? i : 0, wide ? 0 : i);
            EXPECT_EQ(p[0], expected[size_t(i)]) << "pixel " << i;
            EXPECT_EQ(p[2], (3 * (255 - line[size_t(std::max(i - 1, 0))]) + 3 * (255 - line[size_t(i)]) +
                             3 * (255 - line[size_t(std::min(i + 1, n - 1))])) / 9)
                << "pixel " << i;
        }
    }
}

TEST(Soften, SumsAreTruncated)
{
    // Eight neighbours of 255 around a 0: 2040 div 9 = 226 (rounding would give 227).
    Picture picture(5, 5, 24);
    fillPicture(picture, 255, 255, 255);
    setPixel(picture, 2, 2, 0, 0, 0);
    ASSERT_EQ(FilterDib(picture.get(), SoftenKernel, nullptr), FilterResult::Filtered);
    EXPECT_EQ(pixelAt(picture, 2, 2)[0], 226);
    EXPECT_EQ(pixelAt(picture, 1, 1)[0], 226);
    EXPECT_EQ(pixelAt(picture, 0, 0)[0], 255);
}

TEST(Filter, DivisionTruncatesTowardZeroThenBiasThenClamp)
{
    // One weight in the centre; every pixel holds `value`.
    const struct { const char *what; int32_t value, weight, divisor, bias, expected; } cases[] = {
        {"negative sum toward zero", 1, -7, 2, 10, 7},   // -3 + 10, not -4 + 10
        {"negative divisor toward zero", 1, 7, -2, 10, 7},
        {"bias after the division", 5, 1, 2, 3, 5},      // 5 div 2 + 3, not 8 div 2
        {"clamped high", 200, 2, 1, 0, 255},
        {"clamped low", 10, -1, 1, 0, 0},
        {"bias pushes over", 250, 1, 1, 10, 255},
        {"bias pulls under", 5, 1, 1, -6, 0},
        {"large weight, no overflow", 255, INT32_MAX, INT32_MAX, 0, 255},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Picture picture(3, 2, 24);
        fillPicture(picture, uint8_t(c.value), uint8_t(c.value), uint8_t(c.value));
        ASSERT_EQ(FilterDib(picture.get(), singleWeight(2, 2, c.weight, c.divisor, c.bias), nullptr),
                  FilterResult::Filtered);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x)
                EXPECT_EQ(pixelAt(picture, x, y)[1], c.expected) << "pixel " << x << "," << y;
    }
}

TEST(Filter, WindowRowOneIsTopColumnOneIsLeft)
{
    // Only the top-left weight: each pixel takes the one two up and two left,
    // the picture's first row and column repeated beyond the edge.
    Picture picture(4, 3, 24);
    int v = 0;
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x, v += 10)
            setPixel(picture, x, y, 0, 0, uint8_t(v));
    ASSERT_EQ(FilterDib(picture.get(), singleWeight(0, 0, 1, 1, 0), nullptr), FilterResult::Filtered);
    EXPECT_EQ(reds(picture), (std::vector<std::vector<int>>{{0, 0, 0, 10}, {0, 0, 0, 10}, {0, 0, 0, 10}}));
}

TEST(Filter, MatchesReferenceOnRandomPictures)
{
    std::mt19937 random(1504);
    const std::pair<int32_t, int32_t> sizes[] = {
        {1, 1}, {1, 2}, {2, 1}, {1, 9}, {9, 1}, {2, 2}, {3, 3}, {5, 5}, {4, 7}, {7, 4},
        {13, 11}, {16, 3}, {17, 17}, {33, 2}, {65, 9}, {1, 64}, {64, 1}, {100, 37},
    };
    for (const auto &[w, h] : sizes) {
        // Random weights from -3 to 3, a divisor that is not 0, any bias: clamping
        // and negative sums happen often.
        for (int round = 0; round < 3; ++round) {
            FilterKernel k{0, int32_t(random() % 201) - 100, {}};
            for (auto &row : k.matrix)
                for (int32_t &weight : row)
                    weight = int32_t(random() % 7) - 3;
            do
                k.divisor = int32_t(random() % 41) - 20;
            while (k.divisor == 0);
            Picture picture(w, h, 24);
            randomiseBytes(picture, random);
            const std::vector<uint8_t> expected = referenceFilter(picture, k);
            ASSERT_EQ(FilterDib(picture.get(), k, nullptr), FilterResult::Filtered);
            ASSERT_EQ(pixelBytes(picture), expected) << w << " x " << h << " round " << round;
        }
    }
}

TEST(Soften, MatchesReferenceOnRandomPictures)
{
    std::mt19937 random(9);
    const std::pair<int32_t, int32_t> sizes[] = {
        {1, 1}, {1, 2}, {2, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 3}, {5, 5}, {6, 5}, {10, 3},
        {11, 11}, {15, 2}, {16, 16}, {17, 4}, {31, 9}, {32, 32}, {33, 5}, {63, 3}, {1, 200},
        {200, 1}, {129, 65},
        // Over a megabyte: bands of rows shared out over the cores, with bands
        // that end evenly, one of a single row, and many bands of very long rows.
        {700, 600}, {700, 998}, {700, 999}, {1000, 1200}, {60000, 70},
    };
    for (const auto &[w, h] : sizes) {
        Picture picture(w, h, 24);
        randomiseBytes(picture, random);
        // Now and then near-black or near-white areas, where sums reach their ends.
        if (w * h > 4)
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w / 2; ++x)
                    setPixel(picture, x, y, uint8_t(255 - random() % 3), uint8_t(random() % 3), uint8_t(255));
        const std::vector<uint8_t> expected = referenceFilter(picture, SoftenKernel);
        ASSERT_EQ(FilterDib(picture.get(), SoftenKernel, nullptr), FilterResult::Filtered);
        ASSERT_EQ(pixelBytes(picture), expected) << w << " x " << h;
    }
}

TEST(Soften, BandsDoneInAnyOrderReadTheirNeighboursUnfiltered)
{
    // Threads may finish the bands in any order; one thread taking them first
    // to last, then last to first, makes each order certain: a band reading the
    // row beside it from the picture sees it filtered in one of them.
    const auto randomPicture = [] {
        Picture picture(700, 1200, 24); // bands of about a megabyte: three of them
        std::mt19937 random(1200);
        randomiseBytes(picture, random);
        return picture;
    };
    Picture unfiltered = randomPicture();
    const std::vector<uint8_t> expected = referenceFilter(unfiltered, SoftenKernel);
    const std::vector<int32_t> orders[] = {{0, 1, 2}, {2, 1, 0}};
    for (const std::vector<int32_t> &order : orders) {
        SCOPED_TRACE(testing::Message() << "bands " << order[0] << " " << order[1] << " " << order[2]);
        Picture picture = randomPicture();
        int32_t bands = 0;
        const BandRunner inOrder = [&](int32_t rows, int32_t bandRows, int32_t, const Progress &,
                                       const BandWork &work) {
            bands = (rows + bandRows - 1) / bandRows;
            for (const int32_t band : order)
                if (band < bands)
                    work(band * bandRows, std::min(rows, (band + 1) * bandRows), 0);
        };
        ASSERT_EQ(softenInPlace(picture.get(), nullptr, inOrder), FilterResult::Filtered);
        ASSERT_EQ(bands, 3);
        EXPECT_EQ(pixelBytes(picture), expected);
    }
}

TEST(Filter, ProgressOfTheRowsFromCallingThread)
{
    // A working picture is filled before it is filtered; the soften kernel
    // filters straight away.
    const FilterKernel sharpen{1, 0, {{0, 0, 0, 0, 0}, {0, 0, -1, 0, 0}, {0, -1, 5, -1, 0}, {0, 0, -1, 0, 0}, {0, 0, 0, 0, 0}}};
    for (const auto &[w, h] : {std::pair{5, 1}, std::pair{5, 3}, std::pair{800, 500}}) {
        for (const bool soften : {true, false}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h << (soften ? " soften" : " sharpen"));
            Picture picture(w, h, 24);
            std::mt19937 random{uint32_t(h)};
            randomiseBytes(picture, random);
            ProgressLog log;
            ASSERT_EQ(FilterDib(picture.get(), soften ? SoftenKernel : sharpen, log.sink()), FilterResult::Filtered);
            const auto expected = soften ? concat({{0, 0}, rowValues(h), {0, 0}})
                                         : concat({{0, 0}, rowValues(h), rowValues(h), {0, 0}});
            EXPECT_EQ(log.values, expected);
            EXPECT_TRUE(log.allOnCallingThread);
        }
    }
}

TEST(Soften, PicturesWithAColourTableAreNotFiltered)
{
    for (const int32_t bits : {1, 4, 8}) {
        Picture picture(6, 4, bits);
        std::mt19937 random{uint32_t(bits)};
        randomiseBytes(picture, random);
        const std::vector<uint8_t> before = pixelBytes(picture);
        ProgressLog log;
        EXPECT_EQ(FilterDib(picture.get(), SoftenKernel, log.sink()), FilterResult::NotFiltered);
        EXPECT_EQ(pixelBytes(picture), before) << bits << " bits";
        EXPECT_EQ(log.values, (std::vector<int32_t>{0, 0}));
    }
    dib none = emptydib();
    EXPECT_EQ(FilterDib(none, SoftenKernel, nullptr), FilterResult::NotFiltered);
}

TEST(Filter, WorkingPictureTooLargeLeavesPictureUnchanged)
{
    // The picture itself is allowed; a working picture four pixels wider or
    // higher is not, whether the kernel needs it whole or not.
    const FilterKernel identity = singleWeight(2, 2, 1, 1, 0);
    for (const auto &[w, h] : {std::pair{BK3_MAX_SIDE - 2, 1}, std::pair{1, BK3_MAX_SIDE - 3}}) {
        for (const bool soften : {true, false}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h << (soften ? " soften" : " other kernel"));
            Picture picture(w, h, 24);
            std::mt19937 random(65533);
            randomiseBytes(picture, random);
            const std::vector<uint8_t> before = pixelBytes(picture);
            ProgressLog log;
            EXPECT_EQ(FilterDib(picture.get(), soften ? SoftenKernel : identity, log.sink()), FilterResult::OutOfMemory);
            EXPECT_EQ(pixelBytes(picture), before);
            EXPECT_EQ(log.values, (std::vector<int32_t>{0, 0, 0}));
        }
    }
}

TEST(Filter, ZeroDivisorIsRefused)
{
    Picture picture(3, 3, 24);
    std::mt19937 random(0);
    randomiseBytes(picture, random);
    const std::vector<uint8_t> before = pixelBytes(picture);
    EXPECT_EQ(FilterDib(picture.get(), singleWeight(2, 2, 1, 0, 0), nullptr), FilterResult::BadKernel);
    EXPECT_EQ(pixelBytes(picture), before);
}

} // namespace
