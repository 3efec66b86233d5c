#include "MotionTransfer.h"

#include "ColourTransfer.h"
#include "HslPixels.h"
#include "LuminanceTerms.h"
#include "MotionField.h"
#include "ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <cstdlib>
#include <new>
#include <system_error>
#include <thread>

#ifdef __linux__
#include <sys/mman.h>
#endif

using namespace hslpixels;

namespace {

// The share of the gauge the motion estimate takes before the rows are coloured.
constexpr int32_t kFlowPercent = 30;

// Colours at the middle luminance further apart than this in a channel are two
// painted colours, not one colour read from bytes of different precision.
constexpr int kPaintedEdge = 24;

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double processMs()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

const uint8_t *pictureRow(const dib &picture, int y)
{
    return picture.poi + size_t(dibheight(picture) - 1 - y) * size_t(picture.bytew);
}

// `plane` := the luminances that lumRow(y, row) writes for the rows of a
// width x height picture, averaged over boxes of `box` x `box` pixels (fewer
// at the right and bottom edges). The motion is estimated on a reduced copy
// anyway; reducing while reading never fills a full-size plane. False when
// memory runs out.
template <class LumRow>
bool boxPlane(int width, int height, int box, Plane &plane, const LumRow &lumRow)
{
    try {
        plane.width = (width + box - 1) / box;
        plane.height = (height + box - 1) / box;
        plane.pixels.resize(size_t(plane.width) * size_t(plane.height));
    } catch (const std::bad_alloc &) {
        return false;
    }
    std::atomic<bool> failed{false};
    parallelRows(plane.height, [&](int first, int end) {
        std::vector<uint8_t> row;
        std::vector<uint32_t> sums;
        try {
            row.resize(size_t(width));
            sums.resize(size_t(plane.width));
        } catch (const std::bad_alloc &) {
            failed = true;
            return;
        }
        for (int ry = first; ry < end; ++ry) {
            std::fill(sums.begin(), sums.end(), 0u);
            const int top = ry * box, bottom = std::min(height, top + box);
            for (int y = top; y < bottom; ++y) {
                lumRow(y, row.data());
                for (int rx = 0, x = 0; rx < plane.width; ++rx) {
                    uint32_t sum = 0;
                    for (const int right = std::min(width, x + box); x < right; ++x)
                        sum += row[size_t(x)];
                    sums[size_t(rx)] += sum;
                }
            }
            uint8_t *out = plane.pixels.data() + size_t(ry) * size_t(plane.width);
            for (int rx = 0; rx < plane.width; ++rx) {
                const uint32_t count = uint32_t((std::min(width, (rx + 1) * box) - rx * box) * (bottom - top));
                out[rx] = uint8_t((sums[size_t(rx)] + count / 2) / count);
            }
        }
    }, 8);
    return !failed;
}

// The colourising luminance of `di`, reduced by `box`.
bool currentPlane(const dib &di, const RowTable &rows, int box, Plane &plane)
{
    const LuminanceTerms &terms = kLuminanceTerms;
    const int width = dibwidth(di);
    return boxPlane(width, dibheight(di), box, plane, [&](int y, uint8_t *l) {
        const uint8_t *s = di.poi + rows[size_t(y)];
        for (int x = 0; x < width; ++x, s += 3)
            l[x] = uint8_t(terms.blue[s[0]] + terms.green[s[1]] + terms.red[s[2]]);
    });
}

// The luminance the predecessor's colours were made at (the HSL luminance of
// a coloured pixel), on a plane of the current frame's size reduced by `box`:
// the predecessor at the top-left, its last column and row repeated where it
// is smaller.
bool predecessorPlane(const dib &predecessor, int fullWidth, int fullHeight, int box, Plane &plane)
{
    const LuminanceTable &table = luminanceTable();
    const int width = std::min(fullWidth, dibwidth(predecessor));
    const int height = std::min(fullHeight, dibheight(predecessor));
    return boxPlane(fullWidth, fullHeight, box, plane, [&](int y, uint8_t *l) {
        const uint8_t *s = pictureRow(predecessor, std::min(y, height - 1));
        for (int x = 0; x < width; ++x, s += 3)
            l[x] = uint8_t(hslLuminance(table, s));
        std::memset(l + width, l[width - 1], size_t(fullWidth - width));
    });
}

// The predecessor's rows and size, looked up once instead of per pixel.
struct Rows {
    const uint8_t *top; // the top row
    ptrdiff_t step;     // from one row to the next one down
    int width, height;

    explicit Rows(const dib &picture)
        : top(pictureRow(picture, 0)), step(-ptrdiff_t(picture.bytew)), width(dibwidth(picture)),
          height(dibheight(picture))
    {
    }
    const uint8_t *row(int y) const { return top + y * step; }
};

// A predecessor pixel as the sampling needs it: its hue and saturation as the
// colour at the middle luminance (what ColourModel holds) and its weight,
// 1 + its luminance's distance from black or white. Made once per pixel, so
// the four pixels around each sample cost four loads, not four conversions.
struct Weighted {
    uint8_t b, g, r, weight;
};
static_assert(sizeof(Weighted) == 4, "the sampling reads a Weighted as one word");

// The predecessor, pixel by pixel, top row first. Its block is left
// uninitialised and backed by large pages: it is written once and read
// soon after, and page by page the faults would cost more than the filling.
class WeightedModel {
public:
    bool build(const dib &picture);
    const Weighted *row(int y) const { return pixels_.get() + size_t(y) * size_t(width_); }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    struct Free {
        void operator()(Weighted *p) const { std::free(p); }
    };
    std::unique_ptr<Weighted[], Free> pixels_;
    int width_ = 0, height_ = 0;
};

bool WeightedModel::build(const dib &picture)
{
    width_ = dibwidth(picture);
    height_ = dibheight(picture);
    constexpr size_t kLargePage = size_t(2) << 20;
    const size_t bytes = (size_t(width_) * size_t(height_) * sizeof(Weighted) + kLargePage - 1) & ~(kLargePage - 1);
    pixels_.reset(static_cast<Weighted *>(std::aligned_alloc(kLargePage, bytes)));
    if (!pixels_)
        return false;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(pixels_.get(), bytes, MADV_HUGEPAGE); // only advice: nothing changes where it is not available
#endif
    const LuminanceTable &table = luminanceTable();
    const Rows rows(picture);
    forRowBands(height_, bandRowsFor(3 * int64_t(width_), 65536), rowThreadsFor(height_, 3 * int64_t(width_), RowThreads::All),
                Progress(), [&](int32_t first, int32_t end, int32_t) {
                    const BaseTables &tables = baseTables();
                    Bgr bases[kChunk];
                    for (int y = first; y < end; ++y) {
                        Weighted *out = pixels_.get() + size_t(y) * size_t(width_);
                        for (int x0 = 0; x0 < width_; x0 += kChunk) {
                            const int count = std::min(kChunk, width_ - x0);
                            const uint8_t *p = rows.row(y) + 3 * size_t(x0);
                            basesOf(tables, p, bases, count);
                            for (int x = 0; x < count; ++x, p += 3) {
                                const int lum = hslLuminance(table, p);
                                out[x0 + x] = Weighted{bases[x].b, bases[x].g, bases[x].r,
                                                       uint8_t(1 + std::min(lum, 255 - lum))};
                            }
                        }
                    }
                });
    return true;
}

// The samples of a run of pixels, corner by corner (top left, top right,
// bottom left, bottom right), laid out so that the mixing runs in vector lanes.
struct Samples {
    int count = 0;
    int pixel[kChunk];                            // which pixel of the run
    uint32_t corner[4][kChunk]; // each a Weighted: blue | green << 8 | red << 16 | weight << 24
                                // (the byte order of the processors we build for)
    float fx[kChunk], fy[kChunk];                 // where between the corners
    uint8_t mixed[3][kChunk], nearest[3][kChunk]; // blue, green, red
    uint8_t asIs[kChunk]; // 1: the nearest pixel's colour is the sample

    // Queues the sample at (px, py) for pixel `i` of the run.
    void add(const WeightedModel &model, int i, float px, float py)
    {
        const int width = model.width(), height = model.height();
        px = std::clamp(px, 0.0f, float(width - 1));
        py = std::clamp(py, 0.0f, float(height - 1));
        const int x0 = int(px), y0 = int(py);
        const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
        const Weighted *top = model.row(y0), *bottom = model.row(y1);
        const int j = count++;
        pixel[j] = i;
        fx[j] = px - float(x0);
        fy[j] = py - float(y0);
        // Whole words: one store a corner rather than one a byte.
        std::memcpy(&corner[0][j], top + x0, 4);
        std::memcpy(&corner[1][j], top + x1, 4);
        std::memcpy(&corner[2][j], bottom + x0, 4);
        std::memcpy(&corner[3][j], bottom + x1, 4);
    }

    void mix();
};

// Each sample: the predecessor's colour at its place, for the rule to take hue
// and saturation from: the four pixels around mixed bilinearly in RGB, each
// first brought to the middle luminance (its hue and saturation, which is all
// the rule takes) and weighted by how far its luminance is from black or
// white. Where the four lie on one side of mid grey, that is the hue and
// saturation of the plain RGB mix; across mid grey the plain mix would turn a
// dark and a light pixel of one colour into a greyer one, and on a textured
// photograph a sub-pixel shift alone would wash out many colours. Near black
// and white a pixel's bytes hardly tell its hue, and it counts for little.
// Across the edge of a painted area only the pixels on the nearest pixel's side
// count: a blend of two painted colours is a colour nobody painted.
void Samples::mix()
{
    // In floats (the bytes are whole numbers, which floats hold exactly) and
    // choosing by multiplying with 0 or 1: the loop runs in vector lanes.
    const int n = count;
    for (int j = 0; j < n; ++j) {
        const float x = fx[j], y = fy[j];
        const float right = float(x >= 0.5f), down = float(y >= 0.5f);
        const auto byte = [this, j](int k, int shift) { return float(int(corner[k][j] >> shift & 0xFFu)); };
        const auto nearer = [&byte, right, down](int shift) {
            const float c0 = byte(0, shift), c1 = byte(1, shift), c2 = byte(2, shift), c3 = byte(3, shift);
            const float top = c0 + right * (c1 - c0), bottom = c2 + right * (c3 - c2);
            return top + down * (bottom - top);
        };
        const float nb = nearer(0), ng = nearer(8), nr = nearer(16);
        float sb = 0, sg = 0, sr = 0, total = 0, furthest = 0;
        const auto add = [&](int k, float area) {
            const float cb = byte(k, 0), cg = byte(k, 8), cr = byte(k, 16);
            const float db = std::fabs(cb - nb), dg = std::fabs(cg - ng), dr = std::fabs(cr - nr);
            const float apart = std::max(std::max(db, dg), dr);
            furthest = std::max(furthest, apart);
            const float w = float(apart <= float(kPaintedEdge)) * area * byte(k, 24);
            sb += w * cb;
            sg += w * cg;
            sr += w * cr;
            total += w;
        };
        add(0, (1 - x) * (1 - y));
        add(1, x * (1 - y));
        add(2, (1 - x) * y);
        add(3, x * y);
        const float none = float(total <= 0);
        const float scale = 1 / (total + none);
        mixed[0][j] = uint8_t(int(sb * scale + 0.5f));
        mixed[1][j] = uint8_t(int(sg * scale + 0.5f));
        mixed[2][j] = uint8_t(int(sr * scale + 0.5f));
        nearest[0][j] = uint8_t(int(nb));
        nearest[1][j] = uint8_t(int(ng));
        nearest[2][j] = uint8_t(int(nr));
        asIs[j] = uint8_t(int(float(furthest == 0) + none) != 0);
    }
}

// Where each full-size column lies among the reduced columns.
struct ColumnMap {
    std::vector<int> left, nearest;
    std::vector<float> fraction;
};

ColumnMap columnMap(int width, const MotionField &field)
{
    ColumnMap map;
    map.left.resize(size_t(width));
    map.nearest.resize(size_t(width));
    map.fraction.resize(size_t(width));
    for (int x = 0; x < width; ++x) {
        const double xs = std::clamp((x + 0.5) / field.scaleX - 0.5, 0.0, double(field.width - 1));
        map.left[size_t(x)] = std::min(int(xs), std::max(0, field.width - 2));
        map.fraction[size_t(x)] = float(xs - map.left[size_t(x)]);
        map.nearest[size_t(x)] = std::min(int(xs + 0.5), field.width - 1);
    }
    return map;
}

struct Warp {
    const dib &di;
    dib &outdi;
    const RowTable &rows;
    const WeightedModel &model; // the predecessor's hue and saturation, pixel by pixel
    const MotionField &field;
    const ColumnMap &columns;
    MotionMask *mask;

    // What one thread keeps from band to band: its samples and a row of motion.
    struct Scratch {
        Samples samples;
        std::vector<float> dx, dy; // the reduced row's motion
        std::vector<float> px, py; // where each pixel of the row samples the predecessor
    };

    void rows_(int first, int end, Scratch &scratch) const;
};

void Warp::rows_(int first, int end, Scratch &scratch) const
{
    const int width = dibwidth(di);
    const int predWidth = model.width(), predHeight = model.height();
    const LuminanceTerms &terms = kLuminanceTerms;
    const int fieldWidth = field.width;
    const int right = std::min(1, fieldWidth - 1);
    std::vector<float> &rowDx = scratch.dx, &rowDy = scratch.dy;
    Samples &samples = scratch.samples;
    const BaseTables &tables = baseTables();
    Bgr bases[kChunk], mixedBases[kChunk];
    uint8_t mixedBytes[3 * kChunk];
    bool writes[kChunk];
    uint8_t lums[3 * kChunk];
    uint8_t lit[3 * kChunk];
    for (int y = first; y < end; ++y) {
        // The reduced motion of this row, interpolated between reduced rows.
        const double ys = std::clamp((y + 0.5) / field.scaleY - 0.5, 0.0, double(field.height - 1));
        const int y0 = int(ys), y1 = std::min(y0 + 1, field.height - 1);
        const float fy = float(ys - y0);
        const float *dx0 = field.dx.data() + size_t(y0) * fieldWidth, *dx1 = field.dx.data() + size_t(y1) * fieldWidth;
        const float *dy0 = field.dy.data() + size_t(y0) * fieldWidth, *dy1 = field.dy.data() + size_t(y1) * fieldWidth;
        for (int x = 0; x < fieldWidth; ++x) {
            rowDx[size_t(x)] = float((dx0[x] * (1 - fy) + dx1[x] * fy) * field.scaleX);
            rowDy[size_t(x)] = float((dy0[x] * (1 - fy) + dy1[x] * fy) * field.scaleY);
        }
        // Where each pixel's content was, in a loop of its own: the pointers stay
        // in registers, and the loop below has fewer loads to wait for.
        const int *left = columns.left.data(), *nearest = columns.nearest.data();
        const float *fraction = columns.fraction.data(), *rdx = rowDx.data(), *rdy = rowDy.data();
        float *pxRow = scratch.px.data(), *pyRow = scratch.py.data();
        for (int x = 0; x < width; ++x) {
            const int l = left[x], n = std::min(l + right, fieldWidth - 1);
            const float fx = fraction[x];
            pxRow[x] = float(x) + rdx[l] * (1 - fx) + rdx[n] * fx;
            pyRow[x] = float(y) + rdy[l] * (1 - fx) + rdy[n] * fx;
        }
        const uint8_t *marks = field.untrusted.data() + size_t(std::min(int(ys + 0.5), field.height - 1)) * fieldWidth;
        const bool overlapRow = y < predHeight;
        uint8_t *maskRow = mask ? mask->untrusted.data() + size_t(y) * size_t(width) : nullptr;

        const uint8_t *s = di.poi + rows[size_t(y)];
        uint8_t *d = outdi.poi + rows[size_t(y)];
        for (int x0 = 0; x0 < width; x0 += kChunk) {
            const int count = std::min(kChunk, width - x0);
            bool writesAll = true;
            samples.count = 0;
            for (int i = 0; i < count; ++i) {
                const int x = x0 + i;
                const float px = pxRow[x], py = pyRow[x];
                const bool inside = px > -0.5f && py > -0.5f && px < float(predWidth) - 0.5f
                                    && py < float(predHeight) - 0.5f;
                // Beyond a smaller predecessor the estimate matched against its
                // repeated edge: no motion to trust there.
                const bool trusted = inside && overlapRow && x < predWidth && marks[nearest[x]] == 0;
                writes[i] = true;
                if (trusted) {
                    samples.add(model, i, px, py);
                } else if (overlapRow && x < predWidth) {
                    const Weighted &own = model.row(y)[x];
                    bases[i] = Bgr{own.b, own.g, own.r};
                } else {
                    writes[i] = writesAll = false;
                    bases[i] = Bgr{0, 0, 0};
                }
                if (maskRow)
                    maskRow[x] = trusted ? 0 : 1;
                const uint8_t *p = s + 3 * size_t(x);
                lums[3 * i] = lums[3 * i + 1] = lums[3 * i + 2]
                    = uint8_t(terms.blue[p[0]] + terms.green[p[1]] + terms.red[p[2]]);
            }
            samples.mix();
            // All mixes through the vector conversion at once: cheaper than
            // converting only those that need it one by one.
            for (int j = 0; j < samples.count; ++j) {
                mixedBytes[3 * j] = samples.mixed[0][j];
                mixedBytes[3 * j + 1] = samples.mixed[1][j];
                mixedBytes[3 * j + 2] = samples.mixed[2][j];
            }
            basesOf(tables, mixedBytes, mixedBases, samples.count);
            for (int j = 0; j < samples.count; ++j) {
                const int n = samples.pixel[j];
                bases[n] = samples.asIs[j] ? Bgr{samples.nearest[0][j], samples.nearest[1][j], samples.nearest[2][j]}
                                           : mixedBases[j];
            }
            uint8_t *out = d + 3 * size_t(x0);
            if (writesAll) {
                lightPixels(bases, lums, out, count);
                continue;
            }
            lightPixels(bases, lums, lit, count);
            for (int i = 0; i < count; ++i)
                if (writes[i])
                    std::memcpy(out + 3 * i, lit + 3 * i, 3);
        }
    }
}

bool fits(const dib &di, const dib &outdi, const RowTable &rows)
{
    const int width = dibwidth(di), height = dibheight(di);
    return width > 0 && height > 0 && di.poi != nullptr && outdi.poi != nullptr && dibbits(di) == 24
        && dibbits(outdi) == 24 && rows.size() >= size_t(height) && dibwidth(outdi) == width
        && dibheight(outdi) == height && outdi.bytew == di.bytew;
}

} // namespace

bool TransferColoursFollowingMotion(const dib &di, dib &outdi, const RowTable &rows, const dib &predecessor,
                                    MotionMask *mask, const Progress &progress, MotionTimes *times)
{
    if (!fits(di, outdi, rows) || predecessor.poi == nullptr || dibbits(predecessor) != 24
        || dibwidth(predecessor) <= 0 || dibheight(predecessor) <= 0)
        return false;
    const auto start = std::chrono::steady_clock::now();
    const double startCpu = processMs();
    const int width = dibwidth(di), height = dibheight(di);
    reportProgress(progress, 0);

    Plane current, before;
    MotionField field;
    WeightedModel model;
    ColumnMap columns;
    try {
        if (mask)
            mask->untrusted.resize(size_t(width) * size_t(height));
    } catch (const std::bad_alloc &) {
        return false;
    }
    // As many whole pixels per reduced pixel as leave the longest side at least
    // kMotionSideLeast: the common frame sizes (1920, 3840, 4000, 6000) then
    // need no further resampling. The estimate reduces what is still longer
    // than kMotionSide the rest of the way.
    const int box = std::max(1, std::max(width, height) / kMotionSideLeast);
    if (!currentPlane(di, rows, box, current) || !predecessorPlane(predecessor, width, height, box, before))
        return false;
    // The predecessor's colours are read while the motion is estimated: the
    // estimate keeps a core busy only as long as its longer direction takes.
    bool modelBuilt = false;
    std::thread reader;
    try {
        reader = std::thread([&] {
            try {
                modelBuilt = model.build(predecessor);
            } catch (const std::bad_alloc &) {
                modelBuilt = false;
            }
        });
    } catch (const std::system_error &) {
        modelBuilt = model.build(predecessor); // no thread to be had
    }
    const bool estimated = EstimateMotion(current, before, field, progress, kFlowPercent);
    field.scaleX *= box;
    field.scaleY *= box;
    if (reader.joinable())
        reader.join();
    if (!estimated || !modelBuilt)
        return false;
    try {
        columns = columnMap(width, field);
    } catch (const std::bad_alloc &) {
        return false;
    }
    std::vector<uint8_t>().swap(current.pixels);
    std::vector<uint8_t>().swap(before.pixels);
    if (mask) {
        mask->width = width;
        mask->height = height;
    }
    const double flowMs = millisecondsSince(start), flowCpuMs = processMs() - startCpu;
    reportProgress(progress, kFlowPercent);

    const auto warpStart = std::chrono::steady_clock::now();
    const double warpStartCpu = processMs();
    const Warp warp{di, outdi, rows, model, field, columns, mask};
    const Progress rest = [&progress](int32_t percent) {
        reportProgress(progress, kFlowPercent + percent * (100 - kFlowPercent) / 100);
    };
    const int64_t rowBytes = 3 * int64_t(width);
    const int32_t threads = rowThreadsFor(height, rowBytes, RowThreads::All);
    std::vector<std::unique_ptr<Warp::Scratch>> scratch;
    try {
        for (int32_t t = 0; t < threads; ++t) {
            scratch.push_back(std::make_unique<Warp::Scratch>());
            scratch.back()->dx.resize(size_t(field.width));
            scratch.back()->dy.resize(size_t(field.width));
            scratch.back()->px.resize(size_t(width));
            scratch.back()->py.resize(size_t(width));
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    forRowBands(height, bandRowsFor(rowBytes, 65536), threads, progress ? rest : Progress(),
                [&warp, &scratch](int32_t first, int32_t end, int32_t slot) { warp.rows_(first, end, *scratch[size_t(slot)]); });
    if (times) {
        times->flowMs = flowMs;
        times->flowCpuMs = flowCpuMs;
        times->warpMs = millisecondsSince(warpStart);
        times->warpCpuMs = processMs() - warpStartCpu;
    }
    return true;
}
