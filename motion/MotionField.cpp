#include "MotionField.h"

#include "ParallelRows.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>
#include <thread>
#include <type_traits>

namespace {

// Beyond this difference of luminance after following the motion, the content
// that arrived is not the content that was there.
constexpr int kLuminanceError = 28;

// Pictures below this many pixels a side are not estimated.
constexpr int kSmallest = 16;

// A borrowed motion is taken when the 3 x 3 pixels around match this well.
constexpr float kRepairError = 4;

cv::Mat reduced(const Plane &plane, int width, int height)
{
    const cv::Mat full(plane.height, plane.width, CV_8UC1, const_cast<uint8_t *>(plane.pixels.data()));
    if (width == plane.width && height == plane.height)
        return full;
    cv::Mat small;
    cv::resize(full, small, cv::Size(width, height), 0, 0, cv::INTER_AREA);
    return small;
}

// The settings of the estimate in one direction.
struct Effort {
    int stride, descentSteps, refinements;
};

// The motion the colours follow: the medium preset as it is. The fast preset
// (a coarser finest level) costs half as much but blurs moving edges so far
// that a moving subject loses a per cent of its colours.
constexpr Effort kForward{3, 25, 5};
// The motion back only checks the one forward: with sparser patches, fewer
// descent steps and no smoothing it finds the same motion on content that
// moved and the same disagreement where content appeared, at a third of the cost.
constexpr Effort kBackward{4, 12, 0};

cv::Mat flowBetween(const cv::Mat &from, const cv::Mat &to, const Effort &effort)
{
    cv::Ptr<cv::DISOpticalFlow> dis = cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_MEDIUM);
    dis->setPatchStride(effort.stride);
    dis->setGradientDescentIterations(effort.descentSteps);
    dis->setVariationalRefinementIterations(effort.refinements);
    cv::Mat flow;
    dis->calc(from, to, flow);
    return flow;
}

// Both directions at once, the forward one on a second thread. OpenCV shares
// each direction's stripes out over the cores as they come free, so the
// shorter backward estimate does not leave a core idle while the forward one
// runs on. The stripes are fixed in number, not one per thread, so the motion
// is the same on every machine whatever its cores.
void flowsBetween(const cv::Mat &now, const cv::Mat &before, cv::Mat &forward, cv::Mat &backward)
{
    std::exception_ptr failure;
    std::thread helper;
    try {
        helper = std::thread([&] {
            try {
                forward = flowBetween(now, before, kForward);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error &) {
        forward = flowBetween(now, before, kForward); // no thread to be had
    }
    try {
        backward = flowBetween(before, now, kBackward);
    } catch (...) {
        if (helper.joinable())
            helper.join();
        throw;
    }
    if (helper.joinable())
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
}

// The plane at (x, y), bilinear; (x, y) inside the plane.
template <class T>
T bilinear(const cv::Mat &plane, float x, float y)
{
    const int x0 = std::min(int(x), plane.cols - 1), y0 = std::min(int(y), plane.rows - 1);
    const int x1 = std::min(x0 + 1, plane.cols - 1), y1 = std::min(y0 + 1, plane.rows - 1);
    const float fx = x - float(x0), fy = y - float(y0);
    const auto *r0 = plane.ptr<typename std::conditional<std::is_same<T, float>::value, uint8_t, T>::type>(y0);
    const auto *r1 = plane.ptr<typename std::conditional<std::is_same<T, float>::value, uint8_t, T>::type>(y1);
    return T((r0[x0] * (1 - fx) + r0[x1] * fx) * (1 - fy) + (r1[x0] * (1 - fx) + r1[x1] * fx) * fy);
}

// How well the 3 x 3 pixels around (x, y) of the current plane match the
// predecessor moved by (dx, dy): the mean absolute luminance difference.
float patchError(const cv::Mat &current, const cv::Mat &predecessor, int x, int y, float dx, float dy)
{
    const int width = current.cols, height = current.rows;
    float sum = 0;
    for (int oy = -1; oy <= 1; ++oy)
        for (int ox = -1; ox <= 1; ++ox) {
            const int cx = std::clamp(x + ox, 0, width - 1), cy = std::clamp(y + oy, 0, height - 1);
            const float tx = float(cx) + dx, ty = float(cy) + dy;
            if (tx < 0 || ty < 0 || tx > float(width - 1) || ty > float(height - 1))
                return 255;
            sum += std::abs(bilinear<float>(predecessor, tx, ty) - float(current.at<uint8_t>(cy, cx)));
        }
    return sum / 9;
}

// The estimate blurs the motion across the edges of moving things, so pixels
// next to an edge fail the checks though a neighbour on their side has the
// right motion: each marked pixel tries the motions of unmarked pixels around
// it and keeps the one whose surroundings match best, if they match well.
// What stays marked has no match: content the predecessor did not show.
void repairMotion(cv::Mat &marks, const cv::Mat &current, const cv::Mat &predecessor, MotionField &field)
{
    const int width = field.width, height = field.height;
    static const int kSteps[] = {2, 4, 7, 11};
    static const int kDirections[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    const cv::Mat checked = marks.clone();
    parallelRows(height, [&](int first, int end) {
        for (int y = first; y < end; ++y)
            for (int x = 0; x < width; ++x) {
                if (!checked.at<uint8_t>(y, x))
                    continue;
                float best = kRepairError, bestDx = 0, bestDy = 0;
                for (int step : kSteps)
                    for (const auto &d : kDirections) {
                        const int qx = x + d[0] * step, qy = y + d[1] * step;
                        if (qx < 0 || qy < 0 || qx >= width || qy >= height || checked.at<uint8_t>(qy, qx))
                            continue;
                        const size_t q = size_t(qy) * size_t(width) + size_t(qx);
                        const float error = patchError(current, predecessor, x, y, field.dx[q], field.dy[q]);
                        if (error < best)
                            best = error, bestDx = field.dx[q], bestDy = field.dy[q];
                    }
                if (best < kRepairError) {
                    const size_t p = size_t(y) * size_t(width) + size_t(x);
                    field.dx[p] = bestDx;
                    field.dy[p] = bestDy;
                    marks.at<uint8_t>(y, x) = 0;
                }
            }
    });
}

// Marks the pixels whose motion does not come back under the backward motion,
// or that land on other luminance, then widens the marks by a pixel: the
// estimate blurs motion edges over about that much.
void checkMotion(const cv::Mat &forward, const cv::Mat &backward, const cv::Mat &current,
                 const cv::Mat &predecessor, MotionField &field)
{
    const int width = field.width, height = field.height;
    cv::Mat marks(height, width, CV_8UC1, cv::Scalar(0));
    parallelRows(height, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            const cv::Vec2f *f = forward.ptr<cv::Vec2f>(y);
            const uint8_t *c = current.ptr<uint8_t>(y);
            uint8_t *m = marks.ptr<uint8_t>(y);
            for (int x = 0; x < width; ++x) {
                const float tx = float(x) + f[x][0], ty = float(y) + f[x][1];
                if (tx < 0 || ty < 0 || tx > float(width - 1) || ty > float(height - 1))
                    continue; // outside: the full-size pass decides, pixel by pixel
                const cv::Vec2f b = bilinear<cv::Vec2f>(backward, tx, ty);
                const float ex = f[x][0] + b[0], ey = f[x][1] + b[1];
                const float motion = f[x][0] * f[x][0] + f[x][1] * f[x][1] + b[0] * b[0] + b[1] * b[1];
                const bool inconsistent = ex * ex + ey * ey > 0.01f * motion + 0.5f;
                const float lum = bilinear<float>(predecessor, tx, ty);
                m[x] = inconsistent || std::abs(lum - float(c[x])) > kLuminanceError;
            }
        }
    });
    repairMotion(marks, current, predecessor, field);
    cv::Mat widened;
    cv::dilate(marks, widened, cv::Mat::ones(3, 3, CV_8UC1));
    // The widening spares the pixels whose own surroundings match.
    parallelRows(height, [&](int first, int end) {
        for (int y = first; y < end; ++y)
            for (int x = 0; x < width; ++x) {
                const size_t p = size_t(y) * size_t(width) + size_t(x);
                if (widened.at<uint8_t>(y, x) && !marks.at<uint8_t>(y, x)
                    && patchError(current, predecessor, x, y, field.dx[p], field.dy[p]) < kRepairError)
                    widened.at<uint8_t>(y, x) = 0;
            }
    });
    field.untrusted.assign(widened.datastart, widened.dataend);
}

} // namespace

bool EstimateMotion(const Plane &current, const Plane &predecessor, MotionField &field, const Progress &progress,
                    int32_t upTo)
{
    try {
        const int side = std::max(current.width, current.height);
        const double scale = std::min(1.0, double(kMotionSide) / double(side));
        field.width = std::max(1, int(std::lround(current.width * scale)));
        field.height = std::max(1, int(std::lround(current.height * scale)));
        field.scaleX = double(current.width) / field.width;
        field.scaleY = double(current.height) / field.height;

        const size_t count = size_t(field.width) * size_t(field.height);
        if (field.width < kSmallest || field.height < kSmallest) {
            // Too small for a motion estimate: what stands still is taken as is.
            field.dx.assign(count, 0);
            field.dy.assign(count, 0);
            field.untrusted.assign(count, 0);
            return true;
        }
        const cv::Mat now = reduced(current, field.width, field.height);
        const cv::Mat before = reduced(predecessor, field.width, field.height);
        cv::Mat forward, backward;
        flowsBetween(now, before, forward, backward);
        reportProgress(progress, upTo * 4 / 5);

        field.dx.resize(count);
        field.dy.resize(count);
        for (int y = 0; y < field.height; ++y) {
            const cv::Vec2f *f = forward.ptr<cv::Vec2f>(y);
            for (int x = 0; x < field.width; ++x) {
                field.dx[size_t(y) * size_t(field.width) + size_t(x)] = f[x][0];
                field.dy[size_t(y) * size_t(field.width) + size_t(x)] = f[x][1];
            }
        }
        checkMotion(forward, backward, now, before, field);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    } catch (const cv::Exception &) {
        return false;
    }
}
