#include "Brush.h"

#include "Picture.h"
#include "RGBHSL.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// Far beyond any canvas, yet small enough that a coordinate plus a radius or a
// line's doubled spans never overflow an int.
constexpr double kCoordinateLimit = double(1 << 24);

int cutTowardZero(double value)
{
    if (!(value == value)) // NaN
        return 0;
    return int(std::trunc(std::clamp(value, -kCoordinateLimit, kCoordinateLimit)));
}

// Every zoom the program shows lies in 10..1000; anything else (a field not yet
// set up) is taken as 100 rather than dividing by zero.
double usableZoom(double zoom) { return zoom > 0 ? zoom : 100.0; }

// Calls dab(x, y) for each dab centre of the segment, in order.
template <class Dab>
void forEachLineDab(int x1, int y1, int x2, int y2, Dab dab)
{
    // Work along x; a y-major line is handled with the axes exchanged.
    const bool yMajor = std::abs(x2 - x1) < std::abs(y2 - y1);
    if (yMajor) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    const bool exchanged = x1 > x2;
    if (exchanged) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int step = y2 > y1 ? 1 : -1;
    const int major = x2 - x1, minor = std::abs(y2 - y1);
    const auto emit = [&](int x, int y) {
        if (exchanged) { // mirrored, so the dabs still run from the caller's start
            x = x1 + x2 - x;
            y = y1 + y2 - y;
        }
        if (yMajor)
            dab(y, x);
        else
            dab(x, y);
    };
    int e = 2 * minor - major;
    int y = y1;
    emit(x1, y);
    for (int x = x1 + 1; x <= x2; ++x) {
        if (e >= 0) {
            y += step;
            e += 2 * (minor - major);
        } else {
            e += 2 * minor;
        }
        emit(x, y);
    }
}

// Far enough out for any canvas; keeps the line arithmetic in range.
void limitSegment(int &x1, int &y1, int &x2, int &y2)
{
    for (int *c : {&x1, &y1, &x2, &y2})
        *c = std::clamp(*c, -(1 << 24), 1 << 24);
}

int isqrt(int64_t n)
{
    int64_t r = int64_t(std::sqrt(double(n)));
    while (r > 0 && r * r > n)
        --r;
    while ((r + 1) * (r + 1) <= n)
        ++r;
    return int(r);
}

bool sameGeometry(const dib &a, const dib &b)
{
    return dibwidth(a) == dibwidth(b) && dibheight(a) == dibheight(b) && a.bytew == b.bytew;
}

} // namespace

int CanvasToPicture(int canvas, double zoom)
{
    return cutTowardZero(double(canvas) / usableZoom(zoom) * 100.0);
}

PixelRect PictureToCanvas(const PixelRect &r, double zoom)
{
    if (r.isEmpty())
        return {};
    const double scale = usableZoom(zoom) / 100.0;
    const auto limited = [](double v) { return std::clamp(v, -kCoordinateLimit, kCoordinateLimit); };
    const auto floorOf = [&](double v) { return int(std::floor(limited(v))); };
    const auto ceilOf = [&](double v) { return int(std::ceil(limited(v))); };
    return {floorOf(r.left * scale), floorOf(r.top * scale), ceilOf(r.right * scale),
            ceilOf(r.bottom * scale)};
}

PixelRect OutlineRect(int x, int y, int radius, double zoom)
{
    const double rz = radius * usableZoom(zoom) / 100.0;
    return {cutTowardZero(x - rz), cutTowardZero(y - rz), cutTowardZero(x + rz), cutTowardZero(y + rz)};
}

PixelPoint LineToolEnd(PixelPoint start, PixelPoint pointer, bool shift, bool ctrl)
{
    if (shift)
        return {pointer.x, start.y};
    if (ctrl)
        return {start.x, pointer.y};
    return pointer;
}

std::vector<PixelPoint> LineDabs(int x1, int y1, int x2, int y2)
{
    std::vector<PixelPoint> dabs;
    forEachLineDab(x1, y1, x2, y2, [&](int x, int y) { dabs.push_back({x, y}); });
    return dabs;
}

void ForEachBrushDab(int x1, int y1, int x2, int y2, const std::function<void(int, int)> &dab)
{
    limitSegment(x1, y1, x2, y2);
    forEachLineDab(x1, y1, x2, y2, dab);
}

std::vector<int> DiscHalfWidths(int radius)
{
    std::vector<int> widths;
    if (radius < 0)
        return widths;
    widths.reserve(size_t(2 * radius + 1));
    for (int dy = -radius; dy <= radius; ++dy)
        widths.push_back(isqrt(int64_t(radius) * radius - int64_t(dy) * dy));
    return widths;
}

PixelRect PaintBrushLine(dib &di, dib &outdi, const RowTable &rows, int x1, int y1, int x2, int y2,
                         const BrushAction &action)
{
    const int r = action.radius;
    const int width = dibwidth(di);
    const int height = int(std::min<int64_t>(dibheight(di), int64_t(rows.size())));
    if (r < 0 || width <= 0 || height <= 0 || di.poi == nullptr || outdi.poi == nullptr
        || !sameGeometry(di, outdi))
        return {};
    limitSegment(x1, y1, x2, y2);

    // The rows any dab can reach, limited to the picture.
    const int first = std::max(0, std::min(y1, y2) - r);
    const int last = std::min(height - 1, std::max(y1, y2) + r);
    if (first > last)
        return {};

    // The area of the whole segment, one run of columns per row. The dabs that
    // reach a row are consecutive along the line, each one's run holds its own
    // centre column, and consecutive centres are at most one column apart, so
    // the runs of a row join into one run without gaps.
    const std::vector<int> half = DiscHalfWidths(r);
    std::vector<int> lo(size_t(last - first + 1), INT_MAX), hi(size_t(last - first + 1), INT_MIN);
    forEachLineDab(x1, y1, x2, y2, [&](int cx, int cy) {
        if (cx + r < 0 || cx - r >= width)
            return;
        const int top = std::max(first, cy - r), bottom = std::min(last, cy + r);
        for (int y = top; y <= bottom; ++y) {
            const int w = half[size_t(y - cy + r)];
            const size_t i = size_t(y - first);
            lo[i] = std::min(lo[i], cx - w);
            hi[i] = std::max(hi[i], cx + w);
        }
    });

    PixelRect changed;
    for (int y = first; y <= last; ++y) {
        const size_t i = size_t(y - first);
        const int from = std::max(lo[i], 0), to = std::min(hi[i], width - 1);
        if (from > to)
            continue;
        switch (action.mode) {
        case BrushMode::Colourise:
            for (int x = from; x <= to; ++x)
                DoPix(di, outdi, rows, x, y, action.hue, action.sat, action.bright);
            break;
        case BrushMode::Paint:
            for (int x = from; x <= to; ++x)
                DoPixMalen(di, outdi, rows, x, y, action.red, action.green, action.blue, action.fest);
            break;
        case BrushMode::Erase:
            for (int x = from; x <= to; ++x)
                DoPixDelete(di, outdi, rows, x, y);
            break;
        }
        changed = changed.united({from, y, to + 1, y + 1});
    }
    return changed;
}

bool PickColour(const dib &picture, int x, int y, int &hue, int &sat)
{
    const int width = dibwidth(picture), height = dibheight(picture);
    if (x < 0 || y < 0 || x > width - 1 || y > height - 1 || picture.poi == nullptr
        || dibbits(picture) != 24)
        return false;
    const uint8_t *p = picture.poi + int64_t(height - 1 - y) * picture.bytew + 3 * int64_t(x);
    int lum;
    RGBToHSL(p[2], p[1], p[0], hue, sat, lum);
    return true;
}
