#include "DrawDib.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QtGlobal>
#include <cmath>
#include <numeric>

using namespace dibdevice;

namespace {

int forcedScreenBits = 0;

// num / den in floating point, rounded to the nearest integer with halves to the
// even neighbour. False for a zero denominator.
bool rounded(int64_t num, int64_t den, int32_t &result)
{
    if (den == 0)
        return false;
    const double q = std::nearbyint(double(num) / double(den));
    if (!(q >= INT32_MIN && q <= INT32_MAX))
        return false;
    result = int32_t(q);
    return true;
}

void say(const DrawDibReport &report, const char *text)
{
    if (report)
        report(QString::fromLatin1(text));
    else
        qWarning("%s", text);
}

// Halftoning through the library, for the painted part only. The library scales
// a picture to T pixels from N by taking pixel x * N div T and dithers with a
// fixed 8 x 8 pattern laid from the top-left, so a crop that starts on a multiple
// of 8 and where x * N / T is whole gives exactly the bytes of the whole
// halftoned picture there. One axis of such a crop:
struct CropAxis {
    int64_t a = 0, b = 0;            // the crop's pixels a..b-1 of the halftoned picture
    int64_t srcStart = 0, srcLen = 0; // the source pixels they come from
};

CropAxis alignCrop(int64_t n, int64_t t, int64_t p, int64_t q)
{
    const int64_t g = std::gcd(n, t);
    const int64_t unit = t / g; // steps at which x * n / t is whole
    const int64_t align = std::lcm<int64_t>(8, unit);
    CropAxis axis;
    axis.a = p / align * align;
    axis.b = std::min(t, (q + unit - 1) / unit * unit);
    axis.srcStart = axis.a / unit * (n / g);
    axis.srcLen = (axis.b - axis.a) / unit * (n / g);
    return axis;
}

// The halftoned picture, W x H scaled to tw x th, but only its columns [p, q) and
// rows [r, s) (from the top), enlarged to aligned bounds. `x` and `y` get the crop's
// position. Null pixels when the library cannot make it.
dib halftoneCrop(const dib &picture, int32_t tw, int32_t th, int64_t p, int64_t q, int64_t r,
                 int64_t s, CropAxis &x, CropAxis &y)
{
    const int32_t W = dibwidth(picture), H = dibheight(picture);
    x = alignCrop(W, tw, p, q);
    y = alignCrop(H, th, r, s);
    BITMAPINFO info{};
    info.bmiHeader = picture.pmi->bmiHeader;
    info.bmiHeader.biWidth = int32_t(x.srcLen);
    info.bmiHeader.biHeight = int32_t(y.srcLen);
    info.bmiHeader.biSizeImage = uint32_t(y.srcLen * picture.bytew);
    // The part is a view of the picture's own rows: nothing is copied or released.
    dib part = picture;
    part.pmi = &info;
    part.pmih = 0;
    part.poih = 0;
    part.poi = picture.poi + (H - y.srcStart - y.srcLen) * int64_t(picture.bytew) + 3 * x.srcStart;
    dib t = emptydib();
    if (x.b - x.a == x.srcLen && y.b - y.a == y.srcLen)
        DIBHalftoneDIB(&t, part);
    else
        DIBHalftoneDIBXY(&t, part, int32_t(x.b - x.a), int32_t(y.b - y.a));
    return t;
}

void halftonePath(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
                  int32_t xs, int32_t ys, int32_t sw, int32_t sh, uint32_t rop)
{
    const int32_t W = dibwidth(picture), H = dibheight(picture);
    const QRect area = paintedRect(dc) & QRect(xd, yd, dw, dh);
    if (area.isEmpty())
        return;
    const int64_t i0 = int64_t(area.left()) - xd, i1 = int64_t(area.right()) + 1 - xd;
    const int64_t j0 = int64_t(area.top()) - yd, j1 = int64_t(area.bottom()) + 1 - yd;
    CropAxis cx, cy;
    dib t = emptydib();
    if (dw < sw || dh < sh) {
        // Halftoned at the scale of the display, then copied one to one.
        int32_t tw = 0, th = 0, tx = 0, ty = 0;
        if (!rounded(int64_t(W) * dw, sw, tw) || !rounded(int64_t(H) * dh, sh, th) || tw <= 0 || th <= 0 ||
            !rounded(int64_t(tw) * xs, W, tx) || !rounded(int64_t(th) * ys, H, ty))
            return;
        const int64_t ttop = int64_t(th) - ty - dh; // t's row shown in destination row 0
        const int64_t p = std::max<int64_t>(0, tx + i0), q = std::min<int64_t>(tw, tx + i1);
        const int64_t r = std::max<int64_t>(0, ttop + j0), s = std::min<int64_t>(th, ttop + j1);
        if (p >= q || r >= s)
            return;
        t = halftoneCrop(picture, tw, th, p, q, r, s, cx, cy);
        if (t.poi)
            stretchDIBits(dc, xd, yd, dw, dh, int32_t(tx - cx.a), int32_t(ty - (th - cy.b)), dw, dh, t.poi,
                          t.pmi, rop);
    } else {
        // Halftoned at its own size and stretched by the device.
        const int64_t top = int64_t(H) - ys - sh;
        const int64_t p = std::max<int64_t>(0, xs + int64_t(sw) * i0 / dw);
        const int64_t q = std::min<int64_t>(W, xs + int64_t(sw) * (i1 - 1) / dw + 1);
        const int64_t r = std::max<int64_t>(0, top + int64_t(sh) * j0 / dh);
        const int64_t s = std::min<int64_t>(H, top + int64_t(sh) * (j1 - 1) / dh + 1);
        if (p >= q || r >= s)
            return;
        t = halftoneCrop(picture, W, H, p, q, r, s, cx, cy);
        if (t.poi)
            stretchDIBits(dc, xd, yd, dw, dh, int32_t(xs - cx.a), int32_t(ys - (H - cy.b)), sw, sh, t.poi,
                          t.pmi, rop);
    }
    deldib(t);
}

// First fallback of the device path: stretch into a picture of the destination's
// size (here only its painted part) and send that whole. The first and last
// destination pixels map onto the source's first and last.
bool stretchIntoPicture(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
                        int32_t xs, int32_t ys, int32_t sw, int32_t sh)
{
    if (dw <= 0 || dh <= 0)
        return false;
    const QRect area = paintedRect(dc) & QRect(xd, yd, dw, dh);
    if (area.isEmpty())
        return true;
    const int32_t W = dibwidth(picture), H = dibheight(picture), b = dibbits(picture);
    // Columns from a multiple of 8, so 1- and 4-bit pixels keep their place in a byte.
    const int64_t x0 = (int64_t(area.left()) - xd) & ~int64_t(7), x1 = int64_t(area.right()) + 1 - xd;
    const int64_t j0 = int64_t(area.top()) - yd, j1 = int64_t(area.bottom()) + 1 - yd;
    const int64_t colours = dibcolors(picture);
    dib t = emptydib();
    newdib(&t, int32_t(x1 - x0), int32_t(j1 - j0), b, picture.pmi, colours <= 256 ? int32_t(colours) : 0);
    if (!t.poi) {
        deldib(t);
        return false;
    }
    auto sourceColumn = [&](int64_t x) { return dw > 1 ? xs + int64_t(sw - 1) * x / (dw - 1) : int64_t(xs); };
    auto sourceRow = [&](int64_t y) { return dh > 1 ? ys + int64_t(sh - 1) * y / (dh - 1) : int64_t(ys); };
    for (int64_t j = j0; j < j1; ++j) {
        if (b == 1) {
            // Through the library's getpixel and setpixel, which count rows from the top.
            const int64_t sy = sourceRow(j);
            for (int64_t x = x0; x < x1; ++x)
                setpixel(t, int32_t(x - x0), int32_t(j - j0), getpixel(picture, int32_t(sourceColumn(x)), int32_t(sy)));
            continue;
        }
        const int64_t y = int64_t(dh) - 1 - j; // t's row in storage order
        const int64_t sy = sourceRow(y);
        if (sy < 0 || sy >= H)
            continue;
        const uint8_t *in = picture.poi + sy * picture.bytew;
        uint8_t *out = t.poi + (j1 - 1 - j) * int64_t(t.bytew);
        for (int64_t x = x0; x < x1; ++x) {
            const int64_t sx = sourceColumn(x);
            if (sx < 0 || sx >= W)
                continue;
            const int64_t k = x - x0;
            switch (b) {
            case 4: {
                const uint8_t nibble = (sx & 1) ? (in[sx / 2] & 15) : (in[sx / 2] >> 4);
                out[k / 2] |= (x & 1) ? nibble : uint8_t(nibble << 4);
                break;
            }
            case 8: out[k] = in[sx]; break;
            case 24:
                out[3 * k] = in[3 * sx];
                out[3 * k + 1] = in[3 * sx + 1];
                out[3 * k + 2] = in[3 * sx + 2];
                break;
            default: break;
            }
        }
    }
    const int sent = setDIBitsToDevice(dc, int32_t(xd + x0), int32_t(yd + j0), int32_t(x1 - x0),
                                       int32_t(j1 - j0), t.poi, t.pmi);
    deldib(t);
    return sent != 0;
}

void devicePath(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
                int32_t xs, int32_t ys, int32_t sw, int32_t sh, uint32_t rop, const DrawDibReport &report)
{
    const bool takesDibsAtAll = takesDibs(dc);
    if (stretchDIBits(dc, xd, yd, dw, dh, xs, ys, sw, sh, picture.poi, picture.pmi, rop) != GDI_ERROR)
        return;
    if (takesDibsAtAll && stretchIntoPicture(dc, xd, yd, dw, dh, picture, xs, ys, sw, sh))
        return;
    // Second fallback: through a bitmap of the device's own kind.
    QImage bitmap = createCompatibleBitmap(dc, dibwidth(picture), dibheight(picture));
    if (bitmap.isNull()) {
        say(report, "Could not create bitmap.");
        return;
    }
    if (setDIBits(bitmap, picture.poi, picture.pmi) == 0) {
        say(report, "The device does not support the Funtkion setdibits!");
        return;
    }
    if (!stretchBlt(dc, xd, yd, dw, dh, bitmap, xs, ys, sw, sh, rop))
        say(report, "The device does not support the function StretchBlt!");
}

} // namespace

void StretchDib24(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
                  int32_t xs, int32_t top, int32_t sw, int32_t sh)
{
    PixelRows rows;
    if (!describeDib(picture, rows) || rows.layout != PixelRows::Layout::Bits24)
        return;
    scaleRows(dc, xd, yd, dw, dh, rows, xs, top, sw, sh, Outside::Black, QPainter::CompositionMode_Source);
}

void StretchDib8(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
                 int32_t xs, int32_t top, int32_t sw, int32_t sh)
{
    PixelRows rows;
    if (!describeDib(picture, rows) || rows.layout != PixelRows::Layout::Bits8)
        return;
    scaleRows(dc, xd, yd, dw, dh, rows, xs, top, sw, sh, Outside::Black, QPainter::CompositionMode_Source);
}

void DrawDib(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
             int32_t xs, int32_t ys, int32_t sw, int32_t sh, bool halftone, uint32_t rop,
             const DrawDibReport &report)
{
    if (!picture.pmi || !picture.poi)
        return;
    const bool printer = isPrinter(dc);
    const int32_t W = dibwidth(picture), H = dibheight(picture), b = dibbits(picture);

    // Clip the source rectangle to the picture, shrinking the destination in
    // proportion. An empty source rectangle draws nothing.
    if (sw <= 0 || sh <= 0)
        return;
    if (int64_t(xs) + sw > W) {
        const int32_t t = W - xs;
        if (!rounded(int64_t(dw) * t, sw, dw))
            return;
        sw = t;
    }
    if (ys < 0) {
        // The rows cut lie below the picture: the destination keeps its top.
        if (!rounded(int64_t(dh) * (int64_t(sh) + ys), sh, dh))
            return;
        sh = sh + ys;
        ys = 0;
    }
    if (int64_t(ys) + sh > H) {
        const int32_t t = H - ys;
        int32_t kept = 0;
        if (!rounded(int64_t(dh) * t, sh, kept))
            return;
        yd = yd + dh - kept;
        dh = kept;
        sh = t;
    }
    if (xs < 0) {
        const int32_t t = sw + xs;
        int32_t kept = 0;
        if (!rounded(int64_t(dw) * t, sw, kept))
            return;
        xd = xd + dw - kept;
        dw = kept;
        sw = t;
        xs = 0;
    }
    if (sw <= 0 || sh <= 0)
        return;

    if (b == 24 && halftone && ScreenBitCount() <= 8)
        halftonePath(dc, xd, yd, dw, dh, picture, xs, ys, sw, sh, rop);
    else if (b == 24 && !printer)
        StretchDib24(dc, xd, yd, dw, dh, picture, xs, H - ys - sh, sw, sh);
    else if (b == 8 && !printer)
        StretchDib8(dc, xd, yd, dw, dh, picture, xs, H - ys - sh, sw, sh);
    else
        devicePath(dc, xd, yd, dw, dh, picture, xs, ys, sw, sh, rop, report);
}

int ScreenBitCount()
{
    if (forcedScreenBits > 0)
        return forcedScreenBits;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            return screen->depth();
    return 32;
}

void OverrideScreenBitCount(int bits) { forcedScreenBits = bits > 0 ? bits : 0; }
