// The brush geometry without widgets: canvas and picture coordinates, the
// outline, the dab order of a segment, the disc, and a painted segment against
// the classic dab-by-dab rule.
#include "Brush.h"
#include "BrushRule.h"
#include "Pictures.h"
#include "PixelOps.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <tuple>

namespace {

// A 24-bit picture of the library with random pixels.
struct NoisePicture : Picture {
    NoisePicture(int width, int height, uint32_t seed) : Picture(width, height, 24)
    {
        if (empty())
            throw std::runtime_error("newdib failed");
        std::mt19937 random(seed);
        for (size_t i = 0; i < size_t(get().bytew) * size_t(height); ++i)
            get().poi[i] = uint8_t(random());
    }
    void copyFrom(const NoisePicture &o) { std::memcpy(get().poi, o->poi, blockOf(*this).size()); }
};

RowTable rowsOf(const dib &d) { return rowTableOf(d); }

TEST(CanvasToPicture, DividesFirstThenMultipliesAndCutsTowardZero)
{
    const struct {
        int canvas;
        double zoom;
        int picture;
    } cases[] = {
        {0, 100, 0},     {7, 100, 7},      {10, 200, 5},   {30, 200, 15},  {31, 200, 15},
        {249, 250, 99},  {250, 250, 100},  {23, 10, 229},  {41, 10, 409},  {5, 10, 50},
        {-1, 250, 0},    {-2, 250, 0},     {-3, 250, -1},  {-1, 100, -1},  {999, 1000, 99},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CanvasToPicture(c.canvas, c.zoom), c.picture) << c.canvas << " at " << c.zoom;
}

TEST(PictureToCanvas, CoversEveryCanvasPixelShowingTheRectangle)
{
    // The canvas shows picture column (i * W) div w in canvas column i, where
    // w = W * zoom / 100 cut toward zero; the repaint must reach all of them.
    std::mt19937 random(7);
    for (const int width : {9, 101, 333, 640, 6000})
        for (const int zoom : {10, 30, 50, 100, 110, 250, 333, 1000}) {
            const int shown = int(width * double(zoom) / 100);
            for (int trial = 0; trial < 40; ++trial) {
                const int left = int(random() % unsigned(width));
                const int right = left + 1 + int(random() % unsigned(width - left));
                const PixelRect canvas = PictureToCanvas({left, 0, right, 1}, zoom);
                for (int i = 0; i < shown; ++i) {
                    const int64_t source = int64_t(i) * width / shown;
                    if (source >= left && source < right) {
                        ASSERT_TRUE(i >= canvas.left && i < canvas.right)
                            << "width " << width << " zoom " << zoom << " column " << i;
                    }
                }
                // Rounded outward, but not by more than a pixel on each side.
                EXPECT_LE(canvas.right - canvas.left, (right - left) * zoom / 100 + 2);
            }
        }
    EXPECT_EQ(PictureToCanvas({1, 2, 3, 5}, 250), (PixelRect{2, 5, 8, 13}));
    EXPECT_EQ(PictureToCanvas({1, 2, 3, 5}, 100), (PixelRect{1, 2, 3, 5}));
    EXPECT_TRUE(PictureToCanvas({4, 4, 4, 9}, 100).isEmpty());
}

TEST(OutlineRect, IsTheRadiusAtTheZoomCutTowardZero)
{
    EXPECT_EQ(OutlineRect(50, 60, 10, 100), (PixelRect{40, 50, 60, 70}));
    EXPECT_EQ(OutlineRect(50, 60, 10, 250), (PixelRect{25, 35, 75, 85}));
    EXPECT_EQ(OutlineRect(10, 10, 3, 250), (PixelRect{2, 2, 17, 17})); // 7.5 either side
    EXPECT_EQ(OutlineRect(0, 0, 3, 250), (PixelRect{-7, -7, 7, 7}));    // -7.5 becomes -7
    EXPECT_EQ(OutlineRect(5, 5, 1, 10), (PixelRect{4, 4, 5, 5}));      // 4.9 and 5.1
}

TEST(LineToolEnd, ShiftWinsOverCtrl)
{
    const PixelPoint start{0, 0}, pointer{100, 40};
    EXPECT_EQ(LineToolEnd(start, pointer, false, false), (PixelPoint{100, 40}));
    EXPECT_EQ(LineToolEnd(start, pointer, true, false), (PixelPoint{100, 0}));
    EXPECT_EQ(LineToolEnd(start, pointer, false, true), (PixelPoint{0, 40}));
    EXPECT_EQ(LineToolEnd(start, pointer, true, true), (PixelPoint{100, 0}));
}

using Dabs = std::vector<PixelPoint>;

Dabs transposed(Dabs dabs)
{
    for (auto &d : dabs)
        std::swap(d.x, d.y);
    return dabs;
}

TEST(LineDabs, FollowTheClassicOrder)
{
    const Dabs forward{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2},
                       {6, 2}, {7, 2}, {8, 2}, {9, 3}, {10, 3}};
    const Dabs mirrored{{10, 0}, {9, 0}, {8, 1}, {7, 1}, {6, 1}, {5, 2},
                        {4, 2}, {3, 2}, {2, 2}, {1, 3}, {0, 3}};
    const Dabs rising{{0, 3}, {1, 3}, {2, 2}, {3, 2}, {4, 2}, {5, 1},
                      {6, 1}, {7, 1}, {8, 1}, {9, 0}, {10, 0}};
    EXPECT_EQ(LineDabs(0, 0, 10, 3), forward);
    EXPECT_EQ(LineDabs(10, 0, 0, 3), mirrored);
    EXPECT_EQ(LineDabs(0, 3, 10, 0), rising);
    // Along y the same rule with the axes exchanged, mirrored alike.
    EXPECT_EQ(LineDabs(0, 0, 3, 10), transposed(forward));
    EXPECT_EQ(LineDabs(0, 10, 3, 0), transposed(mirrored));
    // Equal spans step along x.
    EXPECT_EQ(LineDabs(0, 0, 4, 4), (Dabs{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    EXPECT_EQ(LineDabs(4, 0, 0, 4), (Dabs{{4, 0}, {3, 1}, {2, 2}, {1, 3}, {0, 4}}));
    EXPECT_EQ(LineDabs(7, -2, 7, -2), (Dabs{{7, -2}}));
    EXPECT_EQ(LineDabs(5, 5, 15, 5).size(), 11u);
}

TEST(LineDabs, RunWithoutGapsFromStartToEnd)
{
    std::mt19937 random(11);
    for (int trial = 0; trial < 2000; ++trial) {
        const int x1 = int(random() % 81) - 40, y1 = int(random() % 81) - 40;
        const int x2 = int(random() % 81) - 40, y2 = int(random() % 81) - 40;
        const Dabs dabs = LineDabs(x1, y1, x2, y2);
        ASSERT_EQ(dabs.size(), size_t(std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1));
        EXPECT_EQ(dabs.front(), (PixelPoint{x1, y1}));
        EXPECT_EQ(dabs.back(), (PixelPoint{x2, y2}));
        for (size_t i = 1; i < dabs.size(); ++i)
            ASSERT_EQ(std::max(std::abs(dabs[i].x - dabs[i - 1].x), std::abs(dabs[i].y - dabs[i - 1].y)), 1)
                << x1 << "," << y1 << " to " << x2 << "," << y2;
    }
}

TEST(DiscHalfWidths, GiveTheClassicDabSizes)
{
    const std::pair<int, int> sizes[] = {{0, 1}, {1, 5}, {2, 13}, {10, 317}, {100, 31417}};
    for (const auto &[radius, pixels] : sizes) {
        int total = 0;
        for (const int w : DiscHalfWidths(radius))
            total += 2 * w + 1;
        EXPECT_EQ(total, pixels) << "radius " << radius;
    }
    EXPECT_EQ(DiscHalfWidths(2), (std::vector<int>{0, 1, 2, 1, 0}));
    EXPECT_TRUE(DiscHalfWidths(-1).empty());
}

struct Segment {
    int x1, y1, x2, y2, radius;
};

TEST(PaintBrushLine, EqualsTheClassicDabByDabRule)
{
    const Segment segments[] = {
        {5, 5, 5, 5, 0},      {5, 5, 5, 5, 1},       {0, 0, 0, 0, 10},    {10, 12, 30, 17, 3},
        {30, 17, 10, 12, 3},  {3, 2, 9, 27, 5},      {9, 27, 3, 2, 5},    {-15, -8, 50, 40, 7},
        {45, 3, -6, 3, 2},    {20, -30, 22, 60, 10}, {-40, 10, -12, 12, 10}, {39, 29, 39, 29, 100},
        {2, 28, 37, 1, 4},    {0, 0, 39, 29, 1},     {-20, -20, -15, -15, 3},
    };
    const BrushAction actions[] = {
        {BrushMode::Colourise, 0, 20, 141, 0},
        {BrushMode::Colourise, 0, 170, 255, -40},
        {BrushMode::Paint, 0, 0, 0, 0, 255, 0, 255, false},
        {BrushMode::Paint, 0, 0, 0, 0, 10, 200, 30, true},
        {BrushMode::Erase},
    };
    for (const Segment &s : segments)
        for (BrushAction action : actions) {
            action.radius = s.radius;
            NoisePicture source(40, 30, 1), result(40, 30, 2), expectedSource(40, 30, 1),
                expectedResult(40, 30, 2);
            const RowTable rows = rowsOf(source.get());
            const PixelRect changed =
                PaintBrushLine(source.get(), result.get(), rows, s.x1, s.y1, s.x2, s.y2, action);
            const PixelRect expected = paintDabByDab(expectedSource.get(), expectedResult.get(), s.x1, s.y1, s.x2,
                                                     s.y2, action);
            const std::string what = std::to_string(s.x1) + "," + std::to_string(s.y1) + " to "
                + std::to_string(s.x2) + "," + std::to_string(s.y2) + " r " + std::to_string(s.radius)
                + " mode " + std::to_string(int(action.mode));
            EXPECT_EQ(blockOf(result), blockOf(expectedResult)) << what;
            EXPECT_EQ(blockOf(source), blockOf(expectedSource)) << what;
            EXPECT_EQ(changed, expected) << what;
        }
}

int differingPixels(const dib &a, const dib &b)
{
    int n = 0;
    for (int y = 0; y < dibheight(a); ++y)
        for (int x = 0; x < dibwidth(a); ++x)
            n += std::memcmp(pixelAt(a, x, y), pixelAt(b, x, y), 3) != 0;
    return n;
}

TEST(PaintBrushLine, DabInTheCornerChangesOnlyTheQuarterInside)
{
    NoisePicture source(40, 30, 3), result(40, 30, 3), before(40, 30, 3);
    std::memset(source.get().poi, 255, size_t(source.get().bytew) * 30);
    result.copyFrom(source);
    before.copyFrom(source);
    const RowTable rows = rowsOf(source.get());
    BrushAction flat{BrushMode::Paint, 10, 0, 0, 0, 1, 2, 3, false};
    EXPECT_EQ(PaintBrushLine(source.get(), result.get(), rows, 0, 0, 0, 0, flat), (PixelRect{0, 0, 11, 11}));
    EXPECT_EQ(differingPixels(result, before), 90); // rows of 11, 10, 10, 10, 10, 9, 9, 8, 7, 5, 1
    EXPECT_EQ(blockOf(source), blockOf(before));
}

TEST(PaintBrushLine, EraserRestoresAndPermanentPaintChangesTheSource)
{
    NoisePicture source(40, 30, 4), result(40, 30, 5), original(40, 30, 4);
    const RowTable rows = rowsOf(source.get());
    PaintBrushLine(source.get(), result.get(), rows, 0, 0, 39, 29, {BrushMode::Paint, 40, 0, 0, 0, 9, 8, 7, true});
    EXPECT_EQ(blockOf(source), blockOf(result));
    EXPECT_NE(blockOf(source), blockOf(original));
    EXPECT_EQ(std::vector<uint8_t>(pixelAt(source, 20, 20), pixelAt(source, 20, 20) + 3), (std::vector<uint8_t>{7, 8, 9}));

    NoisePicture untouched(40, 30, 6), painted(40, 30, 6);
    PaintBrushLine(untouched.get(), painted.get(), rows, 0, 0, 39, 29, {BrushMode::Colourise, 40, 20, 141, 0});
    PaintBrushLine(untouched.get(), painted.get(), rows, 39, 29, 0, 0, {BrushMode::Erase, 40});
    EXPECT_EQ(blockOf(painted), blockOf(untouched));
}

TEST(PaintBrushLine, RefusesPicturesItCannotAddress)
{
    NoisePicture source(40, 30, 7), other(41, 30, 8), result(40, 30, 9);
    const std::vector<uint8_t> before = blockOf(other);
    const BrushAction action{BrushMode::Colourise, 5, 20, 141, 0};
    EXPECT_TRUE(PaintBrushLine(source.get(), other.get(), rowsOf(source.get()), 10, 10, 20, 20, action).isEmpty());
    EXPECT_EQ(blockOf(other), before);
    const std::vector<uint8_t> resultBefore = blockOf(result);
    EXPECT_TRUE(PaintBrushLine(source.get(), result.get(), RowTable{}, 10, 10, 20, 20, action).isEmpty());
    EXPECT_EQ(blockOf(result), resultBefore);
    // A table of fewer rows than the picture reaches only the rows it has.
    RowTable shortRows = rowsOf(source.get());
    shortRows.resize(10);
    const PixelRect changed = PaintBrushLine(source.get(), result.get(), shortRows, 20, 5, 20, 25, action);
    EXPECT_EQ(changed.top, 0);
    EXPECT_EQ(changed.bottom, 10);
}

TEST(PickColour, ReadsTheResultPixelFromTheTop)
{
    NoisePicture picture(4, 3, 10);
    const std::tuple<int, int, std::array<uint8_t, 3>, int, int> cases[] = {
        {2, 0, {128, 128, 128}, 0, 0}, // grey: no hue, no saturation
        {0, 2, {0, 0, 255}, 0, 255},   // red (bytes blue, green, red)
        {3, 1, {0, 255, 0}, 85, 255},
        {1, 2, {255, 0, 0}, 170, 255},
    };
    for (const auto &[x, y, bgr, hue, sat] : cases) {
        std::memcpy(pixelAt(picture, x, y), bgr.data(), 3);
        int h = -1, s = -1;
        ASSERT_TRUE(PickColour(picture.get(), x, y, h, s));
        EXPECT_EQ(h, hue) << x << "," << y;
        EXPECT_EQ(s, sat) << x << "," << y;
    }
    int h = -1, s = -1;
    for (const auto &[x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 3}})
        EXPECT_FALSE(PickColour(picture.get(), x, y, h, s));
    EXPECT_EQ(h, -1);
}

} // namespace
