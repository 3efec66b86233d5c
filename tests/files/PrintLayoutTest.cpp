// Where the picture lies on the printed page, and the percentage that keeps the
// aspect ratio when one side is edited.
#include "PrintLayout.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

// A page of 1000 x 1400 device pixels whose printable area has uneven margins
// (top 60, bottom 90), so centring on the paper and on the printable area differ.
const PageGeometry kPage{QSize(1000, 1400), QRect(50, 60, 900, 1250)};
// Left margin 300, right 50: the paper's centre leaves no room on the left.
const PageGeometry kLopsided{QSize(1000, 1400), QRect(300, 60, 650, 1250)};

PrintChoice full(bool keepAspect, bool centred) { return {true, 50, 50, keepAspect, centred}; }
PrintChoice custom(int w, int h, bool keepAspect, bool centred) { return {false, w, h, keepAspect, centred}; }

struct LayoutCase {
    const char *name;
    QSize picture;
    PageGeometry page;
    PrintChoice choice;
    QRect expected;
};

class Layout : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, PlacesThePicture)
{
    const LayoutCase &c = GetParam();
    const QRect got = printLayout(c.picture, c.page, c.choice);
    EXPECT_EQ(got, c.expected) << c.name << ": got " << got.x() << "," << got.y() << " " << got.width()
                               << "x" << got.height();
    if (!got.isEmpty()) {
        EXPECT_TRUE(c.page.printable.contains(got)) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Layout,
    testing::Values(
        // Full page: the printable area limits the width of a wide picture...
        LayoutCase{"full wide centred", {400, 200}, kPage, full(true, true), {50, 475, 900, 450}},
        LayoutCase{"full wide top left", {400, 200}, kPage, full(true, false), {50, 60, 900, 450}},
        // ... and the height of a tall one (312.5 rounds up).
        LayoutCase{"full tall centred", {100, 400}, kPage, full(true, true), {343, 60, 313, 1250}},
        // Without the aspect ratio the whole printable area is used.
        LayoutCase{"full stretched", {400, 200}, kPage, full(false, true), {50, 60, 900, 1250}},
        // A small picture is enlarged to the page.
        LayoutCase{"full tiny", {2, 2}, kPage, full(true, false), {50, 60, 900, 900}},
        // Custom: percentages of the printable width and height.
        LayoutCase{"custom stretched", {400, 200}, kPage, custom(50, 10, false, false), {50, 60, 450, 125}},
        LayoutCase{"custom 100 % is the full page", {400, 200}, kPage, custom(100, 100, false, true),
                   {50, 60, 900, 1250}},
        // Keeping the aspect ratio: the smaller scale applies to both sides.
        LayoutCase{"custom aspect, width smaller", {400, 200}, kPage, custom(50, 50, true, true),
                   {275, 587, 450, 225}},
        LayoutCase{"custom aspect, height smaller", {400, 200}, kPage, custom(50, 10, true, false),
                   {50, 60, 250, 125}},
        // Centred on the paper as far as the printable area allows.
        LayoutCase{"centre held in the printable area", {400, 200}, kLopsided, custom(100, 100, false, true),
                   {300, 60, 650, 1250}},
        LayoutCase{"centre on the paper, not the area", {100, 100}, kLopsided, custom(10, 10, true, true),
                   {467, 667, 65, 65}},
        // Never smaller than a pixel.
        LayoutCase{"one per cent of little", {4000, 10}, PageGeometry{QSize(60, 60), QRect(5, 5, 50, 50)},
                   custom(1, 1, true, false), {5, 5, 1, 1}},
        // Nothing to print.
        LayoutCase{"no picture", {0, 0}, kPage, full(true, true), QRect()},
        LayoutCase{"no printable area", {400, 200}, PageGeometry{QSize(1000, 1400), QRect()},
                   full(true, true), QRect()}));

struct MatchCase {
    int percent;
    bool widthEdited;
    QSize picture;
    int expected;
};

class Matching : public testing::TestWithParam<MatchCase> {};

TEST_P(Matching, GivesTheSameScale)
{
    const MatchCase &c = GetParam();
    EXPECT_EQ(matchingPercent(c.percent, c.widthEdited, c.picture, kPage.printable.size()), c.expected)
        << c.percent << (c.widthEdited ? " of the width" : " of the height");
}

INSTANTIATE_TEST_SUITE_P(
    Table, Matching,
    testing::Values(
        // 50 % of 900 = 450 wide, so 225 high = 18 % of 1250, and back.
        MatchCase{50, true, {400, 200}, 18}, MatchCase{18, false, {400, 200}, 50},
        // Held in 1..100.
        MatchCase{100, true, {100, 400}, 100}, MatchCase{1, true, {4000, 10}, 1},
        // No picture: nothing to match.
        MatchCase{37, true, {0, 0}, 37}));

TEST(Layout, KeepsTheAspectRatioForEveryPercentage)
{
    // Whatever the two percentages, the kept picture has its own proportions
    // (within a pixel's rounding) and fills one of the two chosen lengths.
    const QSize picture(640, 480);
    for (int w = 1; w <= 100; w += 3)
        for (int h = 1; h <= 100; h += 7) {
            const QRect placed = printLayout(picture, kPage, custom(w, h, true, false));
            ASSERT_FALSE(placed.isEmpty());
            EXPECT_LE(std::abs(int64_t(placed.width()) * 480 - int64_t(placed.height()) * 640), 640)
                << w << "/" << h;
            const int bw = (900 * w + 50) / 100, bh = (1250 * h + 50) / 100;
            EXPECT_TRUE(placed.width() == bw || placed.height() == bh) << w << "/" << h;
            EXPECT_TRUE(placed.width() <= bw && placed.height() <= bh) << w << "/" << h;
        }
}

TEST(Preview, PaperFitsTheBoxAndRectsScaleWithIt)
{
    // 1000 x 1400 into 190 x 190 less 8 at every side: 174 high, 124 wide, centred.
    const QRect paper = previewPaperRect(QSize(1000, 1400), QRect(0, 0, 190, 190), 8);
    EXPECT_EQ(paper, QRect(33, 8, 124, 174));
    EXPECT_EQ(previewPaperRect(QSize(1400, 1000), QRect(0, 0, 190, 190), 8), QRect(8, 33, 174, 124));
    EXPECT_EQ(scaleToPreview(QRect(0, 0, 1000, 1400), QSize(1000, 1400), paper), paper);
    EXPECT_EQ(scaleToPreview(QRect(500, 700, 500, 700), QSize(1000, 1400), paper), QRect(95, 95, 62, 87));
    // A picture a few device pixels big still shows.
    EXPECT_EQ(scaleToPreview(QRect(500, 700, 2, 2), QSize(1000, 1400), paper).size(), QSize(1, 1));
}

} // namespace
