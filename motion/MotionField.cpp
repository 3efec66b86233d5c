#include "MotionField.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

// Beyond this difference of luminance after following the motion, the content
// that arrived is not the content that was there.
constexpr int kLuminanceError = 28;

cv::Mat reduced(const Plane &plane, int width, int height)
{
    const cv::Mat full(plane.height, plane.width, CV_8UC1, const_cast<uint8_t *>(plane.pixels.data()));
    if (width == plane.width && height == plane.height)
        return full;
    cv::Mat small;
    cv::resize(full, small, cv::Size(width, height), 0, 0, cv::INTER_AREA);
    return small;
}

cv::Mat flowBetween(const cv::Mat &from, const cv::Mat &to)
{
    cv::Ptr<cv::DISOpticalFlow> dis = cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_MEDIUM);
    cv::Mat flow;
    dis->calc(from, to, flow);
    return flow;
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

// Marks the pixels whose motion does not come back under the backward motion,
// or that land on other luminance, then widens the marks by a pixel: the
// estimate blurs motion edges over about that much.
void checkMotion(const cv::Mat &forward, const cv::Mat &backward, const cv::Mat &current,
                 const cv::Mat &predecessor, MotionField &field)
{
    const int width = field.width, height = field.height;
    cv::Mat marks(height, width, CV_8UC1, cv::Scalar(0));
    cv::parallel_for_(cv::Range(0, height), [&](const cv::Range &range) {
        for (int y = range.start; y < range.end; ++y) {
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
    cv::Mat widened;
    cv::dilate(marks, widened, cv::Mat::ones(3, 3, CV_8UC1));
    field.untrusted.assign(widened.datastart, widened.dataend);
}

} // namespace

bool EstimateMotion(const Plane &current, const Plane &predecessor, MotionField &field)
{
    try {
        const int side = std::max(current.width, current.height);
        const double scale = std::min(1.0, double(kMotionSide) / double(side));
        field.width = std::max(1, int(std::lround(current.width * scale)));
        field.height = std::max(1, int(std::lround(current.height * scale)));
        field.scaleX = double(current.width) / field.width;
        field.scaleY = double(current.height) / field.height;

        const cv::Mat now = reduced(current, field.width, field.height);
        const cv::Mat before = reduced(predecessor, field.width, field.height);
        const cv::Mat forward = flowBetween(now, before);
        const cv::Mat backward = flowBetween(before, now);

        const size_t count = size_t(field.width) * size_t(field.height);
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
