#include "Soften.h"
#include "SoftenBands.h"

#include "Picture.h"
#include "PictureMemory.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

// The soften rows are written so the compiler vectorises them; on x86 Linux a
// second copy for AVX2 is chosen at start when the processor has it.
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__)
#define NUANZA_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define NUANZA_VECTOR_CLONES
#endif

const FilterKernel SoftenKernel = {
    9,
    0,
    {
        {0, 0, 0, 0, 0},
        {0, 1, 1, 1, 0},
        {0, 1, 1, 1, 0},
        {0, 1, 1, 1, 0},
        {0, 0, 0, 0, 0},
    },
};

namespace {

bool isSoftenKernel(const FilterKernel &kernel)
{
    return kernel.divisor == SoftenKernel.divisor && kernel.bias == SoftenKernel.bias &&
           std::memcmp(kernel.matrix, SoftenKernel.matrix, sizeof kernel.matrix) == 0;
}

// One non-zero weight of the kernel: the zero ones add nothing to any sum.
struct Tap {
    int32_t row;
    int32_t column;
    int64_t weight;
};

struct Taps {
    Tap tap[25];
    int32_t count = 0;
};

// Output row of `width` pixels from the five working rows of its window (top
// first). Sums are 64 bits wide, so no 32-bit weight can overflow them.
void filterRowGeneral(const uint8_t *const (&window)[5], uint8_t *out, int32_t width,
                      const Taps &taps, int64_t divisor, int64_t bias)
{
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t channel = 0; channel < 3; ++channel) {
            int64_t sum = 0;
            for (int32_t i = 0; i < taps.count; ++i) {
                const Tap &tap = taps.tap[i];
                sum += tap.weight * window[tap.row][3 * (x + tap.column) + channel];
            }
            int64_t value = sum / divisor + bias; // C++ division truncates toward zero
            if (value < 0)
                value = 0;
            if (value > 255)
                value = 255;
            out[3 * x + channel] = uint8_t(value);
        }
    }
}

// The soften kernel: the nine bytes of the 3 x 3 block around each output byte,
// whose first column is `top`, `middle` and `bottom` at byte k. The sum is at
// most 2295, so it fits 16 bits and dividing by 9 cannot exceed 255.
NUANZA_VECTOR_CLONES void softenRow(const uint8_t *__restrict top,
                                    const uint8_t *__restrict middle,
                                    const uint8_t *__restrict bottom, uint8_t *__restrict out,
                                    int32_t bytes)
{
    for (int32_t k = 0; k < bytes; ++k) {
        const uint16_t sum = uint16_t(top[k] + top[k + 3] + top[k + 6] + middle[k] + middle[k + 3] +
                                      middle[k + 6] + bottom[k] + bottom[k + 3] + bottom[k + 6]);
        out[k] = uint8_t(sum / 9);
    }
}

// The general rule as it reads: the picture is copied into a working picture
// with a two-pixel border (repeated rows, then repeated columns), and every
// output pixel is computed from the working picture alone. Reports the rows of
// the copy, then those of the filtering.
FilterResult filterThroughWorkingCopy(dib &picture, const FilterKernel &kernel, const Progress &progress)
{
    const int32_t width = dibwidth(picture);
    const int32_t height = dibheight(picture);
    const Picture work(width + 4, height + 4, dibbits(picture));
    if (work.empty())
        return FilterResult::OutOfMemory;
    preferLargePages(work);

    uint8_t *pixels = picture.poi;
    const ptrdiff_t stride = picture.bytew;
    uint8_t *copy = work->poi;
    const ptrdiff_t copyStride = work->bytew;
    const ptrdiff_t rowBytes = 3 * ptrdiff_t(width);

    // The picture at pixel (2, 2) of the working copy: each stored row whole,
    // padding included (it lands in the right border and is overwritten there);
    // then the two border columns on each side repeat the row's outer pixels.
    auto fillColumns = [rowBytes](uint8_t *row) {
        std::memcpy(row, row + 6, 3);
        std::memcpy(row + 3, row + 6, 3);
        std::memcpy(row + rowBytes + 6, row + rowBytes + 3, 3);
        std::memcpy(row + rowBytes + 9, row + rowBytes + 3, 3);
    };
    forRowsWithProgress(height, stride, progress, RowThreads::All, [&](int32_t first, int32_t end) {
        for (int32_t y = first; y < end; ++y) {
            uint8_t *row = copy + (y + 2) * copyStride;
            std::memcpy(row + 6, pixels + y * stride, size_t(stride));
            fillColumns(row);
        }
    });
    // The two border rows on each side repeat the outer rows, their border
    // columns included, so each 2 x 2 corner holds the picture's corner pixel:
    // the same as repeating rows first and columns after.
    std::memcpy(copy, copy + 2 * copyStride, size_t(copyStride));
    std::memcpy(copy + copyStride, copy + 2 * copyStride, size_t(copyStride));
    std::memcpy(copy + (height + 2) * copyStride, copy + (height + 1) * copyStride, size_t(copyStride));
    std::memcpy(copy + (height + 3) * copyStride, copy + (height + 1) * copyStride, size_t(copyStride));

    Taps taps;
    for (int32_t r = 0; r < 5; ++r)
        for (int32_t c = 0; c < 5; ++c)
            if (kernel.matrix[r][c] != 0)
                taps.tap[taps.count++] = Tap{r, c, kernel.matrix[r][c]};
    // Output row y (from the top) is storage row height-1-y; its window starts at
    // working row y from the top, which is storage row height+3-y. Rows are taken
    // bottom row first, upwards through memory, as prefetching likes them.
    auto windowRow = [&](int32_t y, int32_t r) { return copy + (height + 3 - y - r) * copyStride; };
    forRowsWithProgress(height, stride, progress, RowThreads::All, [&](int32_t first, int32_t end) {
        for (int32_t stored = first; stored < end; ++stored) {
            const int32_t y = height - 1 - stored;
            const uint8_t *const window[5] = {windowRow(y, 0), windowRow(y, 1), windowRow(y, 2),
                                              windowRow(y, 3), windowRow(y, 4)};
            filterRowGeneral(window, pixels + stored * stride, width, taps, kernel.divisor, kernel.bias);
        }
    });

    return FilterResult::Filtered;
}

void runBandsOnThreads(int32_t rows, int32_t bandRows, int32_t threads, const Progress &progress,
                       const BandWork &work)
{
    forRowBands(rows, bandRows, threads, progress, work);
}

} // namespace

// The soften kernel reads only the 3 x 3 block around each pixel, so instead of
// a whole working picture each thread keeps bordered copies of the three rows
// its current output row needs; the rows next to another thread's band are
// copied before any band starts. No page of a new picture has to be filled,
// which costs more than the filtering itself. The result is byte for byte the
// general rule's; pictures whose working picture the library could not create
// are refused here as well, so both paths refuse the same pictures. Reports the
// rows of the filtering only: there is no copying phase to show.
FilterResult softenInPlace(dib &picture, const Progress &progress, const BandRunner &runBands)
{
    const int32_t width = dibwidth(picture);
    const int32_t height = dibheight(picture);
    const int64_t workWidth = int64_t(width) + 4, workHeight = int64_t(height) + 4;
    if (workWidth > BK3_MAX_SIDE || workHeight > BK3_MAX_SIDE || workWidth * workHeight > int64_t(BK3_MAX_PIXELS))
        return FilterResult::OutOfMemory;

    uint8_t *pixels = picture.poi;
    const ptrdiff_t stride = picture.bytew;
    const ptrdiff_t rowBytes = 3 * ptrdiff_t(width);
    const ptrdiff_t bordered = rowBytes + 6; // one repeated pixel on each side
    const int32_t threads = rowThreadsFor(height, stride, RowThreads::All);
    // At least 32 rows a band keeps the copies of rows next to other bands small.
    const int32_t bandRows = std::min(height, std::max(32, bandRowsFor(stride, int64_t(1) << 20)));
    const int32_t bands = (height + bandRows - 1) / bandRows;

    // Per thread three rows; per boundary between bands the two rows beside it.
    const size_t scratchRows = size_t(3 * threads) + 2 * size_t(bands - 1);
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[scratchRows * size_t(bordered)]);
    if (!scratch)
        return FilterResult::OutOfMemory;

    // Rows are counted in storage order (bottom row first), which the processor's
    // prefetching follows; the kernel is symmetric top to bottom, so this gives
    // the same bytes as going from the top.
    auto pictureRow = [&](int32_t y) { return pixels + y * stride; };
    auto copyBordered = [&](uint8_t *to, int32_t y) {
        const uint8_t *from = pictureRow(y);
        std::memcpy(to + 3, from, size_t(rowBytes));
        std::memcpy(to, from, 3);
        std::memcpy(to + 3 + rowBytes, from + rowBytes - 3, 3);
    };
    // Boundary k (1..bands-1) lies before row k x bandRows: side 0 is the row
    // before it, side 1 the row after.
    auto boundaryRow = [&](int32_t k, int32_t side) {
        return scratch.get() + (size_t(3 * threads) + 2 * size_t(k - 1) + size_t(side)) * size_t(bordered);
    };
    for (int32_t k = 1; k < bands; ++k) {
        copyBordered(boundaryRow(k, 0), k * bandRows - 1);
        copyBordered(boundaryRow(k, 1), k * bandRows);
    }

    runBands(height, bandRows, threads, progress, [&](int32_t first, int32_t end, int32_t slot) {
        uint8_t *ring = scratch.get() + size_t(3 * slot) * size_t(bordered);
        int32_t nextSlot = 0;
        const int32_t band = first / bandRows;
        // Row y, repeated beyond the first and last, as a bordered copy. Each
        // call takes the ring slot that neither of the two previous calls gave.
        auto sourceRow = [&](int32_t y) -> const uint8_t * {
            uint8_t *slotRow = ring + (nextSlot++ % 3) * bordered;
            y = std::clamp(y, 0, height - 1);
            if (y < first)
                return boundaryRow(band, 0);
            if (y >= end)
                return boundaryRow(band + 1, 1);
            copyBordered(slotRow, y);
            return slotRow;
        };
        const uint8_t *previous = sourceRow(first - 1);
        const uint8_t *current = sourceRow(first);
        for (int32_t y = first; y < end; ++y) {
            const uint8_t *next = sourceRow(y + 1);
            softenRow(previous, current, next, pictureRow(y), int32_t(rowBytes));
            previous = current;
            current = next;
        }
    });
    return FilterResult::Filtered;
}

FilterResult FilterDib(dib &picture, const FilterKernel &kernel, const Progress &progress)
{
    reportProgress(progress, 0);
    if (dibcolors(picture) <= 256 || picture.poi == nullptr || dibwidth(picture) <= 0 ||
        dibheight(picture) <= 0) {
        reportProgress(progress, 0);
        return FilterResult::NotFiltered;
    }
    if (kernel.divisor == 0) {
        reportProgress(progress, 0);
        return FilterResult::BadKernel;
    }
    reportProgress(progress, 0);
    const FilterResult result = isSoftenKernel(kernel) ? softenInPlace(picture, progress, runBandsOnThreads)
                                                       : filterThroughWorkingCopy(picture, kernel, progress);
    if (result == FilterResult::Filtered)
        reportProgress(progress, 0);
    reportProgress(progress, 0);
    return result;
}
