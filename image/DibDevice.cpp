#include "DibDevice.h"

#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QTransform>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NUANZA_X86 1
#endif

namespace dibdevice {

namespace {

constexpr QRgb kBlack = 0xff000000u;

QRgb fromBgr(const uint8_t *p) { return kBlack | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

// Three bytes blue, green, red read as one little-endian word: one load instead of three.
QRgb fromBgrWord(const uint8_t *p)
{
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    uint32_t word;
    std::memcpy(&word, p, 4);
    return word | kBlack;
#else
    return fromBgr(p);
#endif
}

#ifdef NUANZA_X86
// Sixteen pixels a step: three 16-byte loads, four shuffles that spread 3 bytes to 4.
__attribute__((target("ssse3"))) void bgrRunSsse3(const uint8_t *in, uint32_t *out, int64_t n)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(kBlack));
    int64_t i = 0;
    for (; i + 16 <= n; i += 16, in += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 32));
        auto *o = reinterpret_cast<__m128i *>(out + i);
        _mm_storeu_si128(o, _mm_or_si128(_mm_shuffle_epi8(a, spread), opaque));
        _mm_storeu_si128(o + 1, _mm_or_si128(_mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread), opaque));
        _mm_storeu_si128(o + 2, _mm_or_si128(_mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread), opaque));
        _mm_storeu_si128(o + 3, _mm_or_si128(_mm_shuffle_epi8(_mm_srli_si128(c, 4), spread), opaque));
    }
    for (; i < n; ++i, in += 3)
        out[i] = fromBgr(in);
}

bool haveSsse3()
{
    static const bool yes = __builtin_cpu_supports("ssse3");
    return yes;
}

#endif

// Fills each destination column k in [start[r], start[r + 1]) with run[r]: the
// converted pixels of an enlarged row spread over their columns. Runs are at most
// `longest` columns; each takes the same number of four-column stores, whatever
// its length, so there is nothing to mispredict (a store may run into the next
// run, which is written after it).
void spreadRuns(const uint32_t *run, const int64_t *start, int64_t runs, int64_t longest, uint32_t *out,
                int64_t n)
{
    int64_t r = 0;
#ifdef NUANZA_X86
    const int64_t stores = (longest + 3) / 4;
    int64_t inside = runs; // the runs whose stores stay within the row
    while (inside > 0 && start[inside - 1] + 4 * stores > n)
        --inside;
    auto at = [out](int64_t k) { return reinterpret_cast<__m128i *>(out + k); };
    if (stores == 1) {
        for (; r < inside; ++r)
            _mm_storeu_si128(at(start[r]), _mm_set1_epi32(int(run[r])));
    } else if (stores == 2) {
        for (; r < inside; ++r) {
            const __m128i v = _mm_set1_epi32(int(run[r]));
            _mm_storeu_si128(at(start[r]), v);
            _mm_storeu_si128(at(start[r] + 4), v);
        }
    } else {
        for (; r < inside; ++r) {
            const __m128i v = _mm_set1_epi32(int(run[r]));
            for (int64_t k = start[r]; k < start[r + 1]; k += 4)
                _mm_storeu_si128(at(k), v);
        }
    }
#else
    (void)longest;
    (void)n;
#endif
    for (; r < runs; ++r)
        std::fill(out + start[r], out + start[r + 1], run[r]);
}

// n consecutive 24-bit pixels; reads exactly 3n bytes.
void bgrRun(const uint8_t *in, uint32_t *out, int64_t n)
{
#ifdef NUANZA_X86
    if (haveSsse3()) {
        bgrRunSsse3(in, out, n);
        return;
    }
#endif
    for (int64_t i = 0; i < n; ++i, in += 3)
        out[i] = fromBgr(in);
}

// Converts the pixels at the given source columns of one row to opaque RGB32.
// `contiguous`: the columns are cols[0], cols[0] + 1, ...
void fetch(const PixelRows &src, const uint8_t *row, const int32_t *cols, int64_t n, bool contiguous,
           uint32_t *out)
{
    using L = PixelRows::Layout;
    switch (src.layout) {
    case L::Bits24: {
        if (contiguous) {
            bgrRun(row + 3 * int64_t(cols[0]), out, n);
            return;
        }
        // A word read takes one byte past the pixel: fine while that byte is still
        // in the row, so only the last pixel of a row without padding goes by bytes.
        // Columns run one way, so the ends tell whether any pixel needs it.
        const int64_t lastWordColumn = (src.stride - 4) / 3;
        if (std::max(cols[0], cols[n - 1]) <= lastWordColumn) {
            for (int64_t i = 0; i < n; ++i)
                out[i] = fromBgrWord(row + 3 * int64_t(cols[i]));
            return;
        }
        for (int64_t i = 0; i < n; ++i) {
            const int32_t c = cols[i];
            const uint8_t *p = row + 3 * int64_t(c);
            out[i] = c <= lastWordColumn ? fromBgrWord(p) : fromBgr(p);
        }
        return;
    }
    case L::Bits32:
        for (int64_t i = 0; i < n; ++i)
            out[i] = fromBgr(row + 4 * int64_t(cols[i]));
        return;
    case L::Words32:
        for (int64_t i = 0; i < n; ++i) {
            uint32_t word;
            std::memcpy(&word, row + 4 * int64_t(cols[i]), 4);
            out[i] = word | kBlack;
        }
        return;
    case L::Bits16:
        for (int64_t i = 0; i < n; ++i) {
            const uint8_t *p = row + 2 * int64_t(cols[i]);
            const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
            // Five bits widened to eight by repeating their top bits, so 31 becomes 255.
            const uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            out[i] = kBlack | (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
        }
        return;
    case L::Bits8:
        for (int64_t i = 0; i < n; ++i)
            out[i] = src.table[row[cols[i]]];
        return;
    case L::Bits4:
        for (int64_t i = 0; i < n; ++i) {
            const int32_t c = cols[i];
            const uint8_t byte = row[c >> 1];
            out[i] = src.table[(c & 1) ? (byte & 15) : (byte >> 4)];
        }
        return;
    case L::Bits1:
        for (int64_t i = 0; i < n; ++i) {
            const int32_t c = cols[i];
            out[i] = src.table[(row[c >> 3] >> (7 - (c & 7))) & 1];
        }
        return;
    }
}

int64_t byteOffset(const PixelRows &src, int64_t column)
{
    using L = PixelRows::Layout;
    switch (src.layout) {
    case L::Bits1: return column / 8;
    case L::Bits4: return column / 2;
    case L::Bits8: return column;
    case L::Bits16: return 2 * column;
    case L::Bits24: return 3 * column;
    case L::Bits32:
    case L::Words32: return 4 * column;
    }
    return 0;
}

// Asks for the next source row while this one is converted: rows lie far apart in
// a large picture, and each would otherwise start with a wait for memory.
void prefetchNextRow(const PixelRows &src, int64_t next, int64_t current, int64_t from, int64_t to)
{
    if (next == current || next < 0 || next >= src.height)
        return;
    const char *row = reinterpret_cast<const char *>(src.row(int32_t(next)));
    for (int64_t k = from; k < to; k += 64)
        __builtin_prefetch(row + k);
}

// The raster operations the device can do, as composition modes. Printers only copy.
std::optional<QPainter::CompositionMode> modeFor(uint32_t rop, bool printer)
{
    if (rop == SRCCOPY)
        return QPainter::CompositionMode_Source;
    if (printer)
        return std::nullopt;
    switch (rop) {
    case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    default: return std::nullopt;
    }
}

// Where converted rows go: straight to the device one row at a time (the rows stay
// in the cache), or, when the device scales what it gets, into one band drawn at
// the end so that scaled rows cannot leave seams between them.
class RowOutput {
public:
    RowOutput(QPainter &dc, int32_t x, int32_t width, int32_t top, int32_t rows,
              QPainter::CompositionMode mode)
        : dc(dc), x(x), top(top), line(width, 1, QImage::Format_RGB32),
          banded(dc.deviceTransform().type() > QTransform::TxTranslate),
          oldMode(dc.compositionMode())
    {
        if (banded)
            band = QImage(width, rows, QImage::Format_RGB32);
        dc.setCompositionMode(mode);
    }
    ~RowOutput()
    {
        if (banded && !band.isNull() && firstRow <= lastRow)
            dc.drawImage(QPoint(x, top + firstRow), band,
                         QRect(0, firstRow, band.width(), lastRow - firstRow + 1));
        dc.setCompositionMode(oldMode);
    }
    bool ready() const { return !line.isNull() && (!banded || !band.isNull()); }
    uint32_t *pixels() { return reinterpret_cast<uint32_t *>(line.bits()); }
    void send(int32_t y)
    {
        if (!banded) {
            dc.drawImage(x, y, line);
            return;
        }
        const int32_t r = y - top;
        std::memcpy(band.scanLine(r), line.constBits(), size_t(line.width()) * 4);
        firstRow = std::min(firstRow, r);
        lastRow = std::max(lastRow, r);
    }

private:
    QPainter &dc;
    int32_t x;
    int32_t top;
    QImage line;
    bool banded;
    QImage band;
    int32_t firstRow = INT32_MAX;
    int32_t lastRow = -1;
    QPainter::CompositionMode oldMode;
};

// The painted part of a destination rectangle, as index ranges relative to it.
struct Span {
    int64_t i0 = 0, i1 = 0, j0 = 0, j1 = 0;
    bool empty() const { return i0 >= i1 || j0 >= j1; }
};

Span paintedSpan(const QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh)
{
    Span s;
    if (dw <= 0 || dh <= 0)
        return s;
    const QRect area = paintedRect(dc) & QRect(xd, yd, dw, dh);
    if (area.isEmpty())
        return s;
    s.i0 = int64_t(area.left()) - xd;
    s.i1 = int64_t(area.right()) + 1 - xd;
    s.j0 = int64_t(area.top()) - yd;
    s.j1 = int64_t(area.bottom()) + 1 - yd;
    return s;
}

// Lets the device scale: the source rectangle, cut to the picture, at its own
// resolution, drawn into the matching part of the destination.
bool drawScaledByDevice(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh,
                        const PixelRows &src, int32_t xs, int32_t top, int32_t sw, int32_t sh)
{
    const QRect part = QRect(xs, top, sw, sh) & QRect(0, 0, src.width, src.height);
    if (part.isEmpty())
        return true;
    QImage image(part.size(), QImage::Format_RGB32);
    if (image.isNull())
        return false;
    std::vector<int32_t> cols(size_t(part.width()));
    for (int32_t i = 0; i < part.width(); ++i)
        cols[size_t(i)] = part.x() + i;
    for (int32_t y = 0; y < part.height(); ++y)
        fetch(src, src.row(part.y() + y), cols.data(), part.width(), true,
              reinterpret_cast<uint32_t *>(image.scanLine(y)));
    const double fx = double(dw) / sw, fy = double(dh) / sh;
    const QRectF target(xd + (part.x() - xs) * fx, yd + (part.y() - top) * fy, part.width() * fx,
                        part.height() * fy);
    dc.save();
    dc.setRenderHint(QPainter::SmoothPixmapTransform, false);
    dc.drawImage(target, image);
    dc.restore();
    return true;
}

// 1:1 rows of 24- and 8-bit DIBs go to the device as they are, wrapped without copying.
bool wrapsRows(const PixelRows &src, const QPainter &dc)
{
    return (src.layout == PixelRows::Layout::Bits24 || src.layout == PixelRows::Layout::Bits8) &&
           dc.deviceTransform().type() <= QTransform::TxTranslate;
}

void drawRowsAsTheyAre(QPainter &dc, int32_t xd, int32_t yd, int32_t w, int32_t h, const PixelRows &src,
                       int32_t xs, int32_t top, QPainter::CompositionMode mode)
{
    Span s = paintedSpan(dc, xd, yd, w, h);
    // Only the part whose source lies in the picture.
    s.i0 = std::max<int64_t>(s.i0, -int64_t(xs));
    s.i1 = std::min<int64_t>(s.i1, int64_t(src.width) - xs);
    s.j0 = std::max<int64_t>(s.j0, -int64_t(top));
    s.j1 = std::min<int64_t>(s.j1, int64_t(src.height) - top);
    if (s.empty())
        return;
    const bool eight = src.layout == PixelRows::Layout::Bits8;
    const QImage::Format format = eight ? QImage::Format_Indexed8 : QImage::Format_BGR888;
    const int64_t bytesPerPixel = eight ? 1 : 3;
    const QList<QRgb> colours = eight ? QList<QRgb>(src.table.begin(), src.table.end()) : QList<QRgb>();
    const QPainter::CompositionMode oldMode = dc.compositionMode();
    dc.setCompositionMode(mode);
    const int32_t n = int32_t(s.i1 - s.i0);
    for (int64_t j = s.j0; j < s.j1; ++j) {
        const uint8_t *first = src.row(int32_t(top + j)) + (xs + s.i0) * bytesPerPixel;
        QImage row(first, n, 1, n * bytesPerPixel, format);
        if (eight)
            row.setColorTable(colours);
        dc.drawImage(int32_t(xd + s.i0), int32_t(yd + j), row);
    }
    dc.setCompositionMode(oldMode);
}

} // namespace

bool isPrinter(const QPainter &dc)
{
    const QPaintDevice *device = dc.device();
    if (device && device->devType() == QInternal::Printer)
        return true;
    const QPaintEngine *engine = dc.paintEngine();
    return engine && engine->type() == QPaintEngine::Pdf;
}

bool takesDibs(const QPainter &dc) { return dc.isActive(); }

QRect paintedRect(const QPainter &dc)
{
    if (!dc.isActive())
        return QRect();
    if (dc.hasClipping())
        return dc.clipBoundingRect().toAlignedRect();
    bool invertible = false;
    const QTransform toLogical = dc.worldTransform().inverted(&invertible);
    if (!invertible)
        return QRect();
    return toLogical.mapRect(QRectF(dc.window())).toAlignedRect();
}

bool describeDib(const BITMAPINFO *info, const void *bits, PixelRows &rows)
{
    if (!info || !bits)
        return false;
    const BITMAPINFOHEADER &h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biCompression != 0 || h.biWidth <= 0 ||
        h.biHeight == 0 || h.biHeight == INT32_MIN)
        return false;
    using L = PixelRows::Layout;
    switch (h.biBitCount) {
    case 1: rows.layout = L::Bits1; break;
    case 4: rows.layout = L::Bits4; break;
    case 8: rows.layout = L::Bits8; break;
    case 16: rows.layout = L::Bits16; break;
    case 24: rows.layout = L::Bits24; break;
    case 32: rows.layout = L::Bits32; break;
    default: return false;
    }
    rows.base = static_cast<const uint8_t *>(bits);
    rows.width = h.biWidth;
    rows.height = h.biHeight > 0 ? h.biHeight : -h.biHeight;
    rows.bottomUp = h.biHeight > 0;
    rows.stride = (int64_t(h.biWidth) * h.biBitCount + 31) / 32 * 4;
    rows.table.fill(kBlack);
    if (h.biBitCount <= 8) {
        const uint32_t entries = 1u << h.biBitCount;
        const uint32_t used = h.biClrUsed != 0 ? std::min(h.biClrUsed, entries) : entries;
        const auto *table = reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const uint8_t *>(info) + h.biSize);
        for (uint32_t k = 0; k < used; ++k)
            rows.table[k] = kBlack | uint32_t(table[k].rgbRed) << 16 | uint32_t(table[k].rgbGreen) << 8 |
                            table[k].rgbBlue;
    }
    return true;
}

bool describeDib(const dib &picture, PixelRows &rows)
{
    if (!picture.pmi || !picture.poi || !describeDib(picture.pmi, picture.poi, rows))
        return false;
    // The record's own row length counts; it is never shorter than the pixels need.
    if (picture.bytew < rows.stride)
        return false;
    rows.stride = picture.bytew;
    return true;
}

void scaleRows(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const PixelRows &src,
               int32_t xs, int32_t top, int32_t sw, int32_t sh, Outside outside,
               QPainter::CompositionMode mode)
{
    const Span s = paintedSpan(dc, xd, yd, dw, dh);
    if (s.empty())
        return;

    // The source column of every painted destination column, once per call; first
    // and last are the painted columns whose source lies in the picture.
    const int64_t n = s.i1 - s.i0;
    std::vector<int32_t> cols(size_t(n), 0);
    int64_t first = -1, last = -1;
    for (int64_t k = 0; k < n; ++k) {
        const int64_t c = xs + int64_t(sw) * (s.i0 + k) / dw;
        if (c >= 0 && c < src.width) {
            cols[size_t(k)] = int32_t(c);
            if (first < 0)
                first = k;
            last = k;
        }
    }
    if (outside == Outside::Untouched && first < 0)
        return;

    const bool black = outside == Outside::Black;
    const int64_t lineStart = black ? 0 : first; // line pixel 0 is destination column s.i0 + lineStart
    const int64_t lineWidth = black ? n : last - first + 1;
    RowOutput out(dc, int32_t(xd + s.i0 + lineStart), int32_t(lineWidth), int32_t(yd + s.j0),
                  int32_t(s.j1 - s.j0), mode);
    if (!out.ready())
        return;
    uint32_t *line = out.pixels();
    std::fill(line, line + lineWidth, kBlack);
    const bool contiguous = sw == dw; // then column k + 1 shows the pixel right of column k
    // Enlarging, neighbouring columns repeat a source pixel: the row's pixels in
    // reach are converted once into `run` and spread from there.
    const bool spread = first >= 0 && dw > sw && sw > 0;
    std::vector<int32_t> runColumns;
    std::vector<int64_t> runStart; // where each source pixel's columns begin, and the end
    std::vector<uint32_t> run;
    int64_t longestRun = 0;
    if (spread) {
        const int32_t from = cols[size_t(first)];
        runColumns.resize(size_t(cols[size_t(last)] - from + 1));
        for (size_t k = 0; k < runColumns.size(); ++k)
            runColumns[k] = from + int32_t(k);
        run.resize(runColumns.size());
        // Enlarging, columns step by 0 or 1, so every source pixel has a run.
        runStart.assign(runColumns.size() + 1, last - first + 1);
        for (int64_t k = last - first; k >= 0; --k)
            runStart[size_t(cols[size_t(first + k)] - from)] = k;
        for (size_t r = 0; r + 1 < runStart.size(); ++r)
            longestRun = std::max(longestRun, runStart[r + 1] - runStart[r]);
    }

    // The bytes of a source row that the painted columns read.
    const int64_t prefetchFrom = first >= 0 ? byteOffset(src, std::min(cols[size_t(first)], cols[size_t(last)])) : 0;
    const int64_t prefetchTo = first >= 0 ? byteOffset(src, std::max(cols[size_t(first)], cols[size_t(last)]) + 1) : 0;

    bool holding = false; // the line holds source row `held`
    int64_t held = 0;
    for (int64_t j = s.j0; j < s.j1; ++j) {
        const int64_t row = top + int64_t(sh) * j / dh;
        if (row < 0 || row >= src.height) {
            if (!black)
                continue;
            std::fill(line, line + lineWidth, kBlack);
            holding = false;
        } else if (!holding || row != held) {
            prefetchNextRow(src, top + int64_t(sh) * (j + 1) / dh, row, prefetchFrom, prefetchTo);
            uint32_t *to = line + (first - lineStart);
            if (spread) {
                fetch(src, src.row(int32_t(row)), runColumns.data(), int64_t(run.size()), true, run.data());
                spreadRuns(run.data(), runStart.data(), int64_t(run.size()), longestRun, to, last - first + 1);
            } else if (first >= 0) {
                fetch(src, src.row(int32_t(row)), cols.data() + first, last - first + 1, contiguous, to);
            }
            holding = true;
            held = row;
        }
        out.send(int32_t(yd + j));
    }
}

int stretchDIBits(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, int32_t xs,
                  int32_t ys, int32_t sw, int32_t sh, const void *bits, const BITMAPINFO *info,
                  uint32_t rop)
{
    if (!dc.isActive())
        return GDI_ERROR;
    const bool printer = isPrinter(dc);
    const auto mode = modeFor(rop, printer);
    PixelRows src;
    if (!mode || !describeDib(info, bits, src))
        return GDI_ERROR;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return 0;
    // Bottom-up DIBs count the source rectangle from their bottom row.
    const int64_t top = src.bottomUp ? int64_t(src.height) - ys - sh : int64_t(ys);
    if (top < INT32_MIN || top > INT32_MAX)
        return 0;
    if (printer)
        return drawScaledByDevice(dc, xd, yd, dw, dh, src, xs, int32_t(top), sw, sh) ? sh : GDI_ERROR;
    if (sw == dw && sh == dh && wrapsRows(src, dc))
        drawRowsAsTheyAre(dc, xd, yd, dw, dh, src, xs, int32_t(top), *mode);
    else
        scaleRows(dc, xd, yd, dw, dh, src, xs, int32_t(top), sw, sh, Outside::Untouched, *mode);
    return sh;
}

int setDIBitsToDevice(QPainter &dc, int32_t xd, int32_t yd, int32_t w, int32_t h, const void *bits,
                      const BITMAPINFO *info)
{
    const int r = stretchDIBits(dc, xd, yd, w, h, 0, 0, w, h, bits, info, SRCCOPY);
    return r == GDI_ERROR ? 0 : r;
}

QImage createCompatibleBitmap(const QPainter &dc, int32_t w, int32_t h)
{
    if (!dc.isActive() || w <= 0 || h <= 0 || w > BK3_MAX_SIDE || h > BK3_MAX_SIDE ||
        int64_t(w) * h > int64_t(BK3_MAX_PIXELS))
        return QImage();
    return QImage(w, h, QImage::Format_RGB32);
}

int setDIBits(QImage &bitmap, const void *bits, const BITMAPINFO *info)
{
    PixelRows src;
    if (bitmap.isNull() || bitmap.format() != QImage::Format_RGB32 || !describeDib(info, bits, src))
        return 0;
    const int32_t w = std::min(src.width, bitmap.width());
    const int32_t h = std::min(src.height, bitmap.height());
    std::vector<int32_t> cols(static_cast<size_t>(w));
    for (int32_t x = 0; x < w; ++x)
        cols[size_t(x)] = x;
    for (int32_t y = 0; y < h; ++y)
        fetch(src, src.row(y), cols.data(), w, true, reinterpret_cast<uint32_t *>(bitmap.scanLine(y)));
    return h;
}

bool stretchBlt(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const QImage &bitmap,
                int32_t xs, int32_t ys, int32_t sw, int32_t sh, uint32_t rop)
{
    if (!dc.isActive() || bitmap.isNull() || bitmap.format() != QImage::Format_RGB32)
        return false;
    const bool printer = isPrinter(dc);
    const auto mode = modeFor(rop, printer);
    if (!mode)
        return false;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return true;
    PixelRows src;
    src.layout = PixelRows::Layout::Words32;
    src.base = bitmap.constBits();
    src.stride = bitmap.bytesPerLine();
    src.width = bitmap.width();
    src.height = bitmap.height();
    src.bottomUp = false;
    if (printer)
        return drawScaledByDevice(dc, xd, yd, dw, dh, src, xs, ys, sw, sh);
    scaleRows(dc, xd, yd, dw, dh, src, xs, ys, sw, sh, Outside::Untouched, *mode);
    return true;
}

} // namespace dibdevice
