// The zoom arithmetic against plain statements of what the user sees.
#include "CanvasZoom.h"

#include <gtest/gtest.h>

namespace {

TEST(CanvasZoom, StepsUpAndDownFromAnyZoom)
{
    const struct { int zoom, direction, expected; } cases[] = {
        {100, 1, 150}, {100, -1, 75}, {120, 1, 150}, {120, -1, 100}, {10, -1, 10},
        {1000, 1, 1000}, {990, 1, 1000}, {20, -1, 10}, {25, 1, 50}, {5, 1, 10},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NextZoomStep(c.zoom, c.direction), c.expected) << c.zoom << " " << c.direction;
}

TEST(CanvasZoom, FitIsTheLargestZoomThatShowsTheWholePicture)
{
    const struct { int width, height, viewWidth, viewHeight; } cases[] = {
        {6000, 4000, 800, 600}, {6000, 4000, 1920, 1080}, {100, 50, 800, 600}, {300, 300, 299, 1000},
        {1601, 1, 160, 100}, {99999, 10, 100, 100},
    };
    for (const auto &c : cases) {
        const int zoom = FitZoom(c.width, c.height, c.viewWidth, c.viewHeight);
        const auto shown = [](int size, int z) { return int(int64_t(size) * z / 100); };
        ASSERT_GE(zoom, 10);
        ASSERT_LE(zoom, 1000);
        if (zoom > 10) { // at the lowest zoom a huge picture may still be larger
            EXPECT_LE(shown(c.width, zoom), c.viewWidth);
            EXPECT_LE(shown(c.height, zoom), c.viewHeight);
        }
        if (zoom < 1000) // one more per cent would not fit
            EXPECT_TRUE(shown(c.width, zoom + 1) > c.viewWidth || shown(c.height, zoom + 1) > c.viewHeight);
    }
}

TEST(CanvasZoom, PointUnderThePointerStays)
{
    const struct { int scroll, pointer, from, to; } cases[] = {
        {0, 50, 100, 200}, {300, 120, 200, 100}, {0, 0, 100, 1000}, {1234, 400, 75, 150}, {10, 30, 150, 10},
    };
    for (const auto &c : cases) {
        const int scroll = AnchoredScroll(c.scroll, c.pointer, c.from, c.to);
        const double before = (c.scroll + c.pointer) * 100.0 / c.from;
        const double after = (scroll + c.pointer) * 100.0 / c.to;
        EXPECT_NEAR(after, before, 100.0 / c.to) << c.scroll << " " << c.from << "->" << c.to;
    }
}

} // namespace
