#include "LayerShift.h"

#include "Picture.h"
#include "HslPixels.h"
#include "ParallelRows.h"

#include <algorithm>

using namespace hslpixels;

namespace {

// What each thread works with: the buffers of one run.
struct Scratch {
    Bgr bases[kChunk]{};
    uint8_t lums[3 * kChunk]{};
};

// The pictures of one shift.
struct Layer {
    const dib &di;
    dib &outdi;
    const RowTable &rows;
    const LuminanceTable &lums = luminanceTable();
    const BaseTables &bases = baseTables();

    const uint8_t *source(int x, int y) const { return di.poi + rows[size_t(y)] + 3 * size_t(x); }
    uint8_t *result(int x, int y) const { return outdi.poi + rows[size_t(y)] + 3 * size_t(x); }

    // Pixels tx .. tx+count-1 of row ty take the colours of the result at
    // sx .. sx+count-1 of row sy and the luminances of di at their own places.
    // All of the run is read before any of it is written, so the two runs may
    // overlap as long as the caller goes through a row in the order that reads
    // every pixel before it is overwritten.
    void move(Scratch &scratch, int tx, int ty, int sx, int sy, int count) const
    {
        basesOf(bases, result(sx, sy), scratch.bases, count);
        hslLuminances(lums, source(tx, ty), scratch.lums, count);
        lightPixels(scratch.bases, scratch.lums, result(tx, ty), count);
    }
    // A pixel of the uncovered edge: the grey of its own present luminance.
    void grey(int x, int y) const
    {
        uint8_t *p = result(x, y);
        atLuminance(Bgr{128, 128, 128}, hslLuminance(lums, p), p);
    }
};

// Rows are independent. Left: targets lie n before their sources, so runs go
// from the left; right: from the right. Then the row's band.
void shiftRows(const Layer &layer, int width, int first, int end, bool left, int n)
{
    Scratch scratch;
    const int band = std::min(n, width);
    const int moved = std::max(0, width - n); // pixels that move within the row
    for (int y = first; y < end; ++y) {
        if (left) {
            for (int t = 0; t < moved; t += kChunk)
                layer.move(scratch, t, y, t + n, y, std::min(kChunk, moved - t));
            for (int x = width - 1; x >= width - band; --x)
                layer.grey(x, y);
        } else {
            for (int t = moved; t > 0; t -= kChunk) {
                const int count = std::min(kChunk, t);
                layer.move(scratch, t - count + n, y, t - count, y, count);
            }
            for (int x = 0; x < band; ++x)
                layer.grey(x, y);
        }
    }
}

// Columns are independent: a stripe of them goes through the rows in the order
// that reads every source row before it is overwritten, then its band.
void shiftColumns(const Layer &layer, int height, int first, int end, bool up, int n)
{
    Scratch scratch;
    const int band = std::min(n, height);
    const auto moveRow = [&](int target, int source) {
        for (int x = first; x < end; x += kChunk)
            layer.move(scratch, x, target, x, source, std::min(kChunk, end - x));
    };
    if (up) {
        for (int y = n; y < height; ++y)
            moveRow(y - n, y);
        for (int x = first; x < end; ++x)
            for (int y = height - 1; y >= height - band; --y)
                layer.grey(x, y);
    } else {
        for (int y = height - 1 - n; y >= 0; --y)
            moveRow(y + n, y);
        for (int x = first; x < end; ++x)
            for (int y = 0; y < band; ++y)
                layer.grey(x, y);
    }
}

} // namespace

void ShiftColourLayer(const dib &di, dib &outdi, const RowTable &rows, ShiftDirection direction,
                      int n, Cores cores)
{
    const int width = dibwidth(di);
    const int height = dibheight(di);
    if (n < 0 || width <= 0 || height <= 0 || di.poi == nullptr || outdi.poi == nullptr
        || rows.size() < size_t(height))
        return;
    if (dibwidth(outdi) != width || dibheight(outdi) != height || outdi.bytew != di.bytew)
        return;

    const Layer layer{di, outdi, rows};
    const int minPerThread = cores == Cores::One ? std::max(width, height) + 1 : 64;
    switch (direction) {
    case ShiftDirection::Left:
    case ShiftDirection::Right: {
        const bool left = direction == ShiftDirection::Left;
        parallelRows(height, [&](int first, int end) { shiftRows(layer, width, first, end, left, n); },
                     minPerThread);
        break;
    }
    case ShiftDirection::Up:
    case ShiftDirection::Down: {
        const bool up = direction == ShiftDirection::Up;
        parallelRows(width, [&](int first, int end) { shiftColumns(layer, height, first, end, up, n); },
                     minPerThread);
        break;
    }
    }
}
