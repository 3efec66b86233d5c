// The motion-following carry-over on sequences made from a real photograph,
// scored against the colouring meant, beside the plain transfer and the best
// single shift of the whole predecessor.
#include "ColourTransfer.h"
#include "MotionScenes.h"
#include "MotionTransfer.h"

#include <gtest/gtest.h>
#include <opencv2/core/utility.hpp>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

constexpr int kWidth = 440, kHeight = 520, kBorder = 16;

const Scene &scene()
{
    static const Picture photo = [] {
        dib d = emptydib();
        OpenDib(&d, NUANZA_TEST_PHOTO, 0, nullptr);
        return Picture(d);
    }();
    EXPECT_EQ(photo.bits(), 24) << NUANZA_TEST_PHOTO;
    static const Scene s(photo);
    return s;
}

// The predecessor moved by (dx, dy): the hue and saturation of the four pixels
// around each place mixed bilinearly, each weighted by its distance from black
// or white, as the motion-following carry-over mixes them (but across painted
// edges too); the plain predecessor where the shift leaves it.
Picture shifted(const dib &predecessor, double dx, double dy)
{
    const int w = dibwidth(predecessor), h = dibheight(predecessor);
    return makePicture(w, h, [&](int x, int y) {
        const double sx = x - dx, sy = y - dy;
        if (sx < 0 || sy < 0 || sx > w - 1 || sy > h - 1)
            return rgbAt(predecessor, x, y);
        const int x0 = std::min(int(sx), w - 2), y0 = std::min(int(sy), h - 2);
        const double fx = sx - x0, fy = sy - y0;
        double sums[3] = {0, 0, 0}, total = 0;
        for (int i = 0; i < 4; ++i) {
            const uint32_t c = rgbAt(predecessor, x0 + (i & 1), y0 + i / 2);
            int hue, sat, lum, red, green, blue;
            RGBToHSL(int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF), hue, sat, lum);
            HSLToRGB(hue, sat, 127, red, green, blue);
            const double weight = ((i & 1) ? fx : 1 - fx) * (i / 2 ? fy : 1 - fy) * (1 + std::min(lum, 255 - lum));
            sums[0] += weight * red, sums[1] += weight * green, sums[2] += weight * blue;
            total += weight;
        }
        return uint32_t(std::lround(sums[0] / total)) << 16 | uint32_t(std::lround(sums[1] / total)) << 8
               | uint32_t(std::lround(sums[2] / total));
    });
}

bool near(uint32_t a, uint32_t b)
{
    int ha, sa, la, hb, sb, lb;
    RGBToHSL(int(a >> 16), int(a >> 8 & 0xFF), int(a & 0xFF), ha, sa, la);
    RGBToHSL(int(b >> 16), int(b >> 8 & 0xFF), int(b & 0xFF), hb, sb, lb);
    const int hueOff = std::abs(ha - hb);
    return std::min(hueOff, 256 - hueOff) <= 4 && std::abs(sa - sb) <= 4;
}

bool near(const dib &result, const dib &truth, int x, int y) { return near(rgbAt(result, x, y), rgbAt(truth, x, y)); }

// Whether hue and saturation can be read from the colour to within 4: near
// black and white one step of a byte moves them further.
bool readable(uint32_t colour)
{
    for (int shift : {16, 8, 0})
        for (int step : {-1, 1}) {
            const int byte = int(colour >> shift & 0xFF) + step;
            if (byte < 0 || byte > 255 || !near(colour, (colour & ~(0xFFu << shift)) | uint32_t(byte) << shift))
                return false;
        }
    return true;
}

// The pixels a carry-over can be judged on: inside the border, showing content
// the predecessor showed (`seen`), in a colour whose hue and saturation can be
// read from its bytes, and that a carry-over knowing the true colours would
// give (the rule reads them from bytes too).
std::vector<uint8_t> judgeable(const Frame &frame, const std::function<bool(int x, int y)> &seen)
{
    Picture ideal = copyOf(frame.grey);
    TransferColours(frame.grey, ideal.get(), rowTableOf(frame.grey), frame.truth.get());
    std::vector<uint8_t> marks(size_t(kWidth) * kHeight);
    for (int y = kBorder; y < kHeight - kBorder; ++y)
        for (int x = kBorder; x < kWidth - kBorder; ++x)
            marks[size_t(y) * kWidth + size_t(x)]
                = seen(x, y) && readable(rgbAt(frame.truth, x, y)) && near(ideal, frame.truth, x, y);
    return marks;
}

// Share of the judgeable pixels whose hue and saturation are right.
double score(const dib &result, const dib &truth, const std::vector<uint8_t> &judged)
{
    int good = 0, all = 0;
    for (int y = kBorder; y < kHeight - kBorder; ++y)
        for (int x = kBorder; x < kWidth - kBorder; ++x)
            if (judged[size_t(y) * kWidth + size_t(x)]) {
                ++all;
                good += near(result, truth, x, y);
            }
    return double(good) / all;
}

struct Scores {
    double plain, oracle, motion;
    double maskShare = 0, wrongCovered = 1;
};

// Frame 2 coloured from the true colouring of frame 1 by each method.
Scores carryOver(const Frame &first, const Frame &second, const std::vector<std::pair<double, double>> &shifts,
                 const char *name, const std::function<bool(int x, int y)> &seen = [](int, int) { return true; })
{
    const RowTable rows = rowTableOf(second.grey);
    const std::vector<uint8_t> judged = judgeable(second, seen);
    Scores s{};
    Picture plain = copyOf(second.grey);
    EXPECT_TRUE(TransferColours(second.grey, plain.get(), rows, first.truth.get()));
    s.plain = score(plain, second.truth, judged);
    s.oracle = 0;
    for (const auto &[dx, dy] : shifts) {
        Picture oracle = copyOf(second.grey);
        const Picture model = shifted(first.truth, dx, dy);
        TransferColours(second.grey, oracle.get(), rows, model.get());
        s.oracle = std::max(s.oracle, score(oracle, second.truth, judged));
    }
    Picture motion = copyOf(second.grey);
    MotionMask mask;
    EXPECT_TRUE(TransferColoursFollowingMotion(second.grey, motion.get(), rows, first.truth, &mask));
    s.motion = score(motion, second.truth, judged);

    int flagged = 0, wrong = 0, wrongFlagged = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool untrusted = mask.untrusted[size_t(y) * kWidth + size_t(x)] != 0;
            flagged += untrusted;
            if (judged[size_t(y) * kWidth + size_t(x)] && !near(motion, second.truth, x, y)) {
                ++wrong;
                wrongFlagged += untrusted;
            }
        }
    s.maskShare = double(flagged) / (kWidth * kHeight);
    s.wrongCovered = wrong ? double(wrongFlagged) / wrong : 1;
    std::printf("%-20s judged %5.1f %%  plain %6.2f %%  best shift %6.2f %%  motion %6.2f %%  flagged %5.2f %%  wrong flagged %6.2f %%\n",
                name, 100.0 * std::count(judged.begin(), judged.end(), 1) / ((kWidth - 2 * kBorder) * (kHeight - 2 * kBorder)), 100 * s.plain, 100 * s.oracle, 100 * s.motion, 100 * s.maskShare, 100 * s.wrongCovered);
    return s;
}

struct Pan {
    const char *name;
    double dx, dy; // how far the camera moved
};

class CameraPan : public testing::TestWithParam<Pan> {};

TEST_P(CameraPan, FollowsTheCamera)
{
    const Pan &p = GetParam();
    const Frame first = sceneFrame(scene(), kWidth, kHeight, 36, 40);
    const Frame second = sceneFrame(scene(), kWidth, kHeight, 36 + p.dx, 40 + p.dy);
    const Scores s = carryOver(first, second, {{-p.dx, -p.dy}}, p.name, [&](int x, int y) {
        const double fx = x + p.dx, fy = y + p.dy;
        return fx >= 0 && fy >= 0 && fx <= kWidth - 1 && fy <= kHeight - 1;
    });
    EXPECT_GE(s.motion, 0.99);
}

INSTANTIATE_TEST_SUITE_P(Offsets, CameraPan,
                         testing::Values(Pan{"pan 7, 0", 7, 0}, Pan{"pan -40, 0", -40, 0}, Pan{"pan 0, 33", 0, 33},
                                         Pan{"pan 28, -28", 28, -28}, Pan{"pan 12.5, -6.25", 12.5, -6.25},
                                         Pan{"pan -19.7, 23.4", -19.7, 23.4}, Pan{"pan 0.5, 0.5", 0.5, 0.5}),
                         [](const testing::TestParamInfo<Pan> &info) { return "case" + std::to_string(info.index); });

struct Move {
    const char *name;
    double dx, dy; // how far the subject moved
};

class MovingSubject : public testing::TestWithParam<Move> {};

TEST_P(MovingSubject, FollowsTheSubjectAndFlagsTheRest)
{
    const Move &m = GetParam();
    const CutOut cut;
    const Frame first = subjectFrame(scene(), kWidth, kHeight, cut, 150, 200);
    const Frame second = subjectFrame(scene(), kWidth, kHeight, cut, 150 + m.dx, 200 + m.dy);
    const Scores s = carryOver(first, second, {{0, 0}, {m.dx, m.dy}}, m.name);
    EXPECT_GE(s.motion, 0.97);
    EXPECT_GE(s.motion, s.oracle);
    EXPECT_GE(s.wrongCovered, 0.90);
    EXPECT_LT(s.maskShare, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Offsets, MovingSubject,
                         testing::Values(Move{"subject 18, 7", 18, 7}, Move{"subject -25, 12", -25, 12},
                                         Move{"subject 9.5, -14.25", 9.5, -14.25}),
                         [](const testing::TestParamInfo<Move> &info) { return "case" + std::to_string(info.index); });

TEST(Zoom, FollowsThreePerCent)
{
    const Frame first = sceneFrame(scene(), kWidth, kHeight, 36, 40);
    const Frame second = sceneFrame(scene(), kWidth, kHeight, 36, 40, 1.03);
    const Scores s = carryOver(first, second, {{0, 0}}, "zoom 3 %");
    EXPECT_GE(s.motion, 0.97);
}

// Where the motion leads out of the predecessor (the camera brought new content
// in, or the predecessor is smaller), the pixel gets exactly what the plain
// transfer gives, and the mask says so; outside the predecessor nothing changes.
TEST(Fallback, OutsideThePredecessorThePlainTransfer)
{
    struct Case {
        const char *name;
        int predecessorWidth, predecessorHeight;
        double dx, dy;
    };
    for (const Case &c : {Case{"camera moved right", kWidth, kHeight, 30, 0},
                          Case{"smaller predecessor", 300, 400, 0, -20}}) {
        const Frame full = sceneFrame(scene(), kWidth, kHeight, 36, 40);
        const Picture predecessor = makePicture(c.predecessorWidth, c.predecessorHeight,
                                                [&](int x, int y) { return rgbAt(full.truth, x, y); });
        const Frame second = sceneFrame(scene(), kWidth, kHeight, 36 + c.dx, 40 + c.dy);
        const RowTable rows = rowTableOf(second.grey);
        Picture plain = copyOf(second.grey), motion = copyOf(second.grey);
        TransferColours(second.grey, plain.get(), rows, predecessor.get());
        MotionMask mask;
        ASSERT_TRUE(TransferColoursFollowingMotion(second.grey, motion.get(), rows, predecessor, &mask)) << c.name;
        ASSERT_EQ(mask.width, kWidth);
        ASSERT_EQ(mask.height, kHeight);
        int outside = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                // Where this pixel's content lay in the predecessor; the
                // estimate may be off by a pixel or two.
                const double px = x + c.dx, py = y + c.dy;
                if (px > -3 && py > -3 && px < c.predecessorWidth + 2 && py < c.predecessorHeight + 2)
                    continue;
                ++outside;
                ASSERT_EQ(mask.untrusted[size_t(y) * kWidth + size_t(x)], 1) << c.name << " at " << x << "," << y;
                ASSERT_EQ(rgbAt(motion, x, y), rgbAt(plain, x, y)) << c.name << " at " << x << "," << y;
            }
        EXPECT_GT(outside, 25 * (kHeight - 2)) << c.name;
    }
}

TEST(Progress, RunsUpToAHundredOnTheCallingThread)
{
    const Frame frame = sceneFrame(scene(), kWidth, kHeight, 0, 0);
    Picture out = copyOf(frame.grey);
    std::vector<int32_t> seen;
    const std::thread::id caller = std::this_thread::get_id();
    ASSERT_TRUE(TransferColoursFollowingMotion(frame.grey, out.get(), rowTableOf(frame.grey), frame.truth, nullptr,
                                               [&](int32_t percent) {
                                                   EXPECT_EQ(std::this_thread::get_id(), caller);
                                                   seen.push_back(percent);
                                               }));
    ASSERT_GT(seen.size(), 10u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

// `--follow` promises the same bytes on every machine: the estimate must not
// depend on how many threads OpenCV has.
TEST(Motion, SameOnEveryNumberOfCores)
{
    const Frame first = sceneFrame(scene(), kWidth, kHeight, 36, 40);
    const Frame second = sceneFrame(scene(), kWidth, kHeight, 36 + 12.5, 40 - 6.25);
    const RowTable rows = rowTableOf(second.grey);
    const int threads = cv::getNumThreads();
    std::vector<Block> results;
    for (int count : {1, 3, threads}) {
        cv::setNumThreads(count);
        Picture out = copyOf(second.grey);
        ASSERT_TRUE(TransferColoursFollowingMotion(second.grey, out.get(), rows, first.truth, nullptr));
        results.push_back(blockOf(out));
    }
    cv::setNumThreads(threads);
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[0], results[2]);
}

TEST(Fallback, RefusesWhatItCannotColour)
{
    const Frame frame = sceneFrame(scene(), 64, 48, 0, 0);
    Picture grey8(64, 48, 8), small(32, 48, 24);
    Picture out = copyOf(frame.grey);
    const Block before = blockOf(out);
    const RowTable rows = rowTableOf(frame.grey);
    MotionMask mask;
    EXPECT_FALSE(TransferColoursFollowingMotion(frame.grey, out.get(), rows, grey8, &mask));
    EXPECT_FALSE(TransferColoursFollowingMotion(frame.grey, small.get(), rows, frame.truth, &mask));
    EXPECT_FALSE(TransferColoursFollowingMotion(grey8, out.get(), rows, frame.truth, &mask));
    EXPECT_EQ(blockOf(out), before);
    EXPECT_TRUE(mask.empty());
}

} // namespace
