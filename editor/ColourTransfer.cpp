#include "ColourTransfer.h"

#include "Picture.h"
#include "LuminanceTerms.h"
#include "ParallelRows.h"
#include "PictureMemory.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace hslpixels;

namespace {

constexpr const LuminanceTerms &kTerms = kLuminanceTerms;

// The colourising luminance of `count` pixels of a 24-bit row, once per byte.
void sourceLuminances(const uint8_t *s, uint8_t *lums, int count)
{
    for (int x = 0; x < count; ++x, s += 3, lums += 3)
        lums[0] = lums[1] = lums[2] = uint8_t(kTerms.blue[s[0]] + kTerms.green[s[1]] + kTerms.red[s[2]]);
}

// `width` pixels of a row: the colours `bases` at the luminances of the source row.
void transferRow(const uint8_t *s, uint8_t *d, const Bgr *bases, int width)
{
    uint8_t lums[3 * kChunk];
    for (int x = 0; x < width; x += kChunk) {
        const int count = std::min(kChunk, width - x);
        sourceLuminances(s + 3 * size_t(x), lums, count);
        lightPixels(bases + x, lums, d + 3 * size_t(x), count);
    }
}

// Blue, green, red and the colourising luminance of each entry of an 8-bit
// picture's colour table.
struct PaletteEntry {
    uint8_t b, g, r, lum;
};

// A row of an 8-bit picture at 24 bits: the first `overlap` pixels in the
// colours `bases`, the rest in the colours of their table entries.
void composeRow8(const uint8_t *s, uint8_t *d, const Bgr *bases, int overlap, int width,
                 const PaletteEntry (&palette)[256])
{
    uint8_t lums[3 * kChunk];
    for (int x = 0; x < overlap; x += kChunk) {
        const int count = std::min(kChunk, overlap - x);
        for (int i = 0; i < count; ++i)
            std::memset(lums + 3 * i, palette[s[x + i]].lum, 3);
        lightPixels(bases + x, lums, d + 3 * size_t(x), count);
    }
    d += 3 * size_t(overlap);
    for (int x = overlap; x < width; ++x, d += 3) {
        const PaletteEntry &entry = palette[s[x]];
        d[0] = entry.b, d[1] = entry.g, d[2] = entry.r;
    }
}

int minRowsPerThread(Cores cores) { return cores == Cores::One ? INT_MAX : 64; }

// Whether `outdi` can take the pixels of `di` through `rows`.
bool sameGeometry(const dib &di, const dib &outdi, const RowTable &rows)
{
    const int width = dibwidth(di), height = dibheight(di);
    return width > 0 && height > 0 && di.poi != nullptr && outdi.poi != nullptr && rows.size() >= size_t(height)
        && dibwidth(outdi) == width && dibheight(outdi) == height && outdi.bytew == di.bytew;
}

} // namespace

bool ColourModel::build(const dib &picture, int maxWidth, int maxHeight, Cores cores)
{
    clear();
    if (picture.poi == nullptr || dibbits(picture) != 24)
        return false;
    const int width = std::min(dibwidth(picture), maxWidth);
    const int height = std::min(dibheight(picture), maxHeight);
    if (width <= 0 || height <= 0)
        return true; // nothing overlaps: an empty model changes nothing
    // Not cleared first: every entry is written once below, by the thread whose
    // rows it holds, so the block's pages are first touched on both cores.
    const size_t count = size_t(width) * size_t(height);
    bases_.reset(new (std::nothrow) Bgr[count]);
    if (!bases_)
        return false;
    preferLargePages(bases_.get(), count * sizeof(Bgr));
    width_ = width;
    height_ = height;
    const int pictureHeight = dibheight(picture);
    const BaseTables &tables = baseTables();
    parallelRows(
        height,
        [&](int first, int end) {
            for (int y = first; y < end; ++y) {
                // Rows lie bottom-up in the picture.
                const uint8_t *p = picture.poi + size_t(pictureHeight - 1 - y) * size_t(picture.bytew);
                basesOf(tables, p, bases_.get() + size_t(y) * size_t(width), width);
            }
        },
        minRowsPerThread(cores));
    return true;
}

void ColourModel::clear()
{
    width_ = height_ = 0;
    bases_.reset();
}

void TransferColours(const dib &di, dib &outdi, const RowTable &rows, const ColourModel &model,
                     Cores cores)
{
    if (model.empty() || !sameGeometry(di, outdi, rows))
        return;
    const int overlapWidth = std::min(dibwidth(di), model.width());
    const int overlapHeight = std::min(dibheight(di), model.height());
    parallelRows(
        overlapHeight,
        [&](int first, int end) {
            for (int y = first; y < end; ++y)
                transferRow(di.poi + rows[size_t(y)], outdi.poi + rows[size_t(y)], model.row(y), overlapWidth);
        },
        minRowsPerThread(cores));
}

bool TransferColours(const dib &di, dib &outdi, const RowTable &rows, const dib &model, Cores cores)
{
    if (model.poi == nullptr || dibbits(model) != 24)
        return false;
    if (!sameGeometry(di, outdi, rows))
        return true;
    const int overlapWidth = std::min(dibwidth(di), dibwidth(model));
    const int overlapHeight = std::min(dibheight(di), dibheight(model));
    const int modelHeight = dibheight(model);
    const BaseTables &tables = baseTables();
    parallelRows(
        overlapHeight,
        [&](int first, int end) {
            Bgr bases[kChunk];
            uint8_t lums[3 * kChunk];
            for (int y = first; y < end; ++y) {
                const uint8_t *m = model.poi + size_t(modelHeight - 1 - y) * size_t(model.bytew);
                const uint8_t *s = di.poi + rows[size_t(y)];
                uint8_t *d = outdi.poi + rows[size_t(y)];
                for (int x = 0; x < overlapWidth; x += kChunk) {
                    const int count = std::min(kChunk, overlapWidth - x);
                    basesOf(tables, m + 3 * size_t(x), bases, count);
                    sourceLuminances(s + 3 * size_t(x), lums, count);
                    lightPixels(bases, lums, d + 3 * size_t(x), count);
                }
            }
        },
        minRowsPerThread(cores));
    return true;
}

bool ComposeColours(const dib &picture, dib &result, const ColourModel &model, Cores cores)
{
    const int bits = dibbits(picture);
    const int width = dibwidth(picture);
    const int height = dibheight(picture);
    if (picture.poi == nullptr || (bits != 8 && bits != 24) || width <= 0 || height <= 0)
        return false;
    if (result.poi == nullptr || dibbits(result) != 24 || dibwidth(result) != width || dibheight(result) != height) {
        Picture fresh(width, height, 24);
        if (fresh.empty() || fresh->poih == 0)
            return false;
        freedib(result);
        result = fresh.release();
    }

    // Widening takes an 8-bit picture's colours from its `pal`, so this does too.
    PaletteEntry palette[256];
    if (bits == 8)
        for (int i = 0; i < 256; ++i) {
            const PALETTEENTRY &entry = picture.pal.rgb0[i];
            palette[i] = PaletteEntry{entry.peBlue, entry.peGreen, entry.peRed,
                                      uint8_t(kTerms.blue[entry.peBlue] + kTerms.green[entry.peGreen]
                                              + kTerms.red[entry.peRed])};
        }
    const int overlapWidth = model.empty() ? 0 : std::min(width, model.width());
    const int overlapHeight = model.empty() ? 0 : std::min(height, model.height());
    const size_t rowBytes = 3 * size_t(width);
    parallelRows(
        height,
        [&](int first, int end) {
            for (int y = first; y < end; ++y) {
                // Rows lie bottom-up in both pictures.
                const size_t storage = size_t(height - 1 - y);
                const uint8_t *s = picture.poi + storage * size_t(picture.bytew);
                uint8_t *d = result.poi + storage * size_t(result.bytew);
                const int overlap = y < overlapHeight ? overlapWidth : 0;
                const Bgr *bases = overlap > 0 ? model.row(y) : nullptr;
                if (bits == 8) {
                    composeRow8(s, d, bases, overlap, width, palette);
                } else {
                    transferRow(s, d, bases, overlap);
                    std::memcpy(d + 3 * size_t(overlap), s + 3 * size_t(overlap), rowBytes - 3 * size_t(overlap));
                }
            }
        },
        minRowsPerThread(cores));
    return true;
}
