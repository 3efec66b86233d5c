// DrawDib rendered into offscreen images and compared pixel by pixel with the
// nearest-neighbour mapping, computed here from the library's own pixel reads.
#include "DrawDib.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {

struct Messages {
    QStringList texts;
    DrawDibReport report()
    {
        return [this](const QString &text) { texts.append(text); };
    }
};

// Draws the whole picture at (xd, yd, dw, dh) into a w x h image, optionally only
// inside `clip`, with the painter moved by `offset` as a scrolled widget's is.
QImage drawWhole(const dib &d, int w, int h, QRect dest, QRect clip = QRect(), QPoint offset = QPoint(),
                 uint32_t rop = SRCCOPY, Messages *messages = nullptr)
{
    QImage image = blankImage(w, h);
    QPainter painter(&image);
    painter.translate(offset);
    if (!clip.isNull())
        painter.setClipRect(clip);
    DrawDib(painter, dest.x(), dest.y(), dest.width(), dest.height(), d, 0, 0, dibwidth(d), dibheight(d), true,
            rop, messages ? messages->report() : DrawDibReport());
    return image;
}

// Destination (i, j) of a dw x dh drawing of the whole picture shows source
// (W * i div dw, H * j div dh), counted from the top.
std::function<QRgb(int, int)> wholeMapping(const dib &d, int dw, int dh)
{
    return [&d, dw, dh](int x, int y) {
        if (x >= dw || y >= dh)
            return kUntouched;
        return pixelColour(d, int(int64_t(dibwidth(d)) * x / dw), int(int64_t(dibheight(d)) * y / dh));
    };
}

// Restores the screen's own depth at the end of a test.
struct ForcedScreenBits {
    explicit ForcedScreenBits(int bits) { OverrideScreenBitCount(bits); }
    ~ForcedScreenBits() { OverrideScreenBitCount(0); }
};

struct ZoomCase {
    int width, height, bits, zoom;
};

class DrawDibZoom : public ::testing::TestWithParam<ZoomCase> {};

// The work canvas's sizes: the picture times the zoom, cut toward zero.
TEST_P(DrawDibZoom, EveryPixelShowsItsNearestSourcePixel)
{
    const ZoomCase c = GetParam();
    Picture pic(c.width, c.height, c.bits);
    ASSERT_NE(pic.get().poi, nullptr);
    if (c.bits == 24)
        fillPattern(pic.get());
    else
        fillPalettePattern(pic.get());
    const int dw = int(c.width * double(c.zoom) / 100), dh = int(c.height * double(c.zoom) / 100);
    Messages messages;
    const QImage got = drawWhole(pic.get(), dw + 3, dh + 2, QRect(0, 0, dw, dh), QRect(), QPoint(), SRCCOPY, &messages);
    EXPECT_EQ(differences(got, wholeMapping(pic.get(), dw, dh)), QString());
    EXPECT_TRUE(messages.texts.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Canvas, DrawDibZoom,
    ::testing::Values(ZoomCase{64, 48, 24, 200},  // 2 x 2 blocks
                      ZoomCase{101, 37, 24, 50},  // every second pixel, 50 wide
                      ZoomCase{333, 99, 24, 10},  // 33 x 9
                      ZoomCase{9, 5, 24, 10},     // width 0: nothing drawn
                      ZoomCase{40, 30, 24, 100}, ZoomCase{33, 17, 24, 250}, ZoomCase{13, 7, 24, 1000},
                      ZoomCase{11, 5, 24, 700}, ZoomCase{19, 6, 8, 450}, // runs of 4 to 8 columns
                      ZoomCase{32, 20, 24, 250},  // no row padding: the last pixel of a row is read by bytes
                      ZoomCase{45, 23, 8, 200}, ZoomCase{45, 23, 8, 50},   // StretchDib8
                      ZoomCase{21, 9, 4, 200}, ZoomCase{21, 9, 4, 50},     // the device stretches
                      ZoomCase{13, 7, 1, 300}, ZoomCase{37, 11, 1, 50}),
    [](const ::testing::TestParamInfo<ZoomCase> &info) {
        const ZoomCase &c = info.param;
        return std::to_string(c.width) + "x" + std::to_string(c.height) + "_" + std::to_string(c.bits) + "bit_" +
               std::to_string(c.zoom);
    });

// Painting a part gives the same pixels there as painting everything, and
// leaves the rest alone; also with the painter moved, as in a scrolled canvas.
TEST(DrawDibClipping, APartIsThePartOfTheWhole)
{
    Picture pic(61, 43, 24), eight(61, 43, 8), four(61, 43, 4);
    fillPattern(pic.get());
    fillPalettePattern(eight.get());
    fillPalettePattern(four.get());
    const struct {
        const dib *d;
        int dw, dh;
        QRect clip;
    } cases[] = {
        {&pic.get(), 122, 86, QRect(3, 5, 17, 11)},  {&pic.get(), 122, 86, QRect(0, 0, 1, 1)},
        {&pic.get(), 122, 86, QRect(115, 80, 20, 20)}, {&pic.get(), 30, 21, QRect(7, 3, 9, 13)},
        {&pic.get(), 610, 430, QRect(301, 207, 64, 33)}, {&pic.get(), 97, 51, QRect(13, 0, 50, 51)},
        {&eight.get(), 122, 86, QRect(3, 5, 17, 11)}, {&four.get(), 150, 100, QRect(9, 7, 31, 23)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 bits, %2 x %3, clip %4,%5 %6x%7")
                         .arg(dibbits(*c.d)).arg(c.dw).arg(c.dh).arg(c.clip.x()).arg(c.clip.y())
                         .arg(c.clip.width()).arg(c.clip.height()).toStdString());
        const int w = c.dw + 4, h = c.dh + 4;
        const QImage whole = drawWhole(*c.d, w, h, QRect(0, 0, c.dw, c.dh));
        const QImage part = drawWhole(*c.d, w, h, QRect(0, 0, c.dw, c.dh), c.clip);
        EXPECT_EQ(differences(part, [&](int x, int y) {
                      return c.clip.contains(x, y) ? whole.pixel(x, y) : kUntouched;
                  }),
                  QString());
        // The same part of a canvas scrolled by (ox, oy), drawn into an image the size of the view.
        const QPoint scroll(c.clip.x(), c.clip.y());
        const QImage view = drawWhole(*c.d, c.clip.width(), c.clip.height(), QRect(0, 0, c.dw, c.dh), c.clip,
                                      -scroll);
        EXPECT_EQ(differences(view, [&](int x, int y) {
                      const QPoint at = QPoint(x, y) + scroll;
                      return QRect(0, 0, w, h).contains(at) ? whole.pixel(at) : kUntouched;
                  }),
                  QString());
    }
}

// A source rectangle reaching past the picture is cut to it and the destination
// shrinks in proportion (quotients rounded, halves to the even neighbour).
TEST(DrawDibClipping, SourcePastThePictureShrinksTheDestination)
{
    Picture pic(10, 6, 24);
    fillPattern(pic.get());
    const struct {
        QRect dest;
        int xs, ys, sw, sh;
        QRect drawn;       // destination after clipping
        int cx, top, cw, ch; // source after clipping, top counted from the top
    } cases[] = {
        {{0, 0, 20, 12}, 5, 0, 10, 6, {0, 0, 10, 12}, 5, 0, 5, 6},    // past the right edge
        {{0, 0, 20, 12}, 0, -2, 10, 6, {0, 0, 20, 8}, 0, 2, 10, 4},   // below: the top stays
        {{0, 0, 20, 12}, 0, 3, 10, 6, {0, 6, 20, 6}, 0, 0, 10, 3},    // above: the bottom stays
        {{0, 0, 20, 12}, -5, 0, 10, 6, {10, 0, 10, 12}, 0, 0, 5, 6},  // left of the picture
        {{0, 0, 5, 6}, 5, 0, 10, 6, {0, 0, 2, 6}, 5, 0, 5, 6},        // 2.5 rounds to 2
        {{0, 0, 7, 6}, 5, 0, 10, 6, {0, 0, 4, 6}, 5, 0, 5, 6},        // 3.5 rounds to 4
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("source %1,%2 %3x%4 into %5x%6")
                         .arg(c.xs).arg(c.ys).arg(c.sw).arg(c.sh).arg(c.dest.width()).arg(c.dest.height())
                         .toStdString());
        QImage got = blankImage(24, 14);
        {
            QPainter painter(&got);
            DrawDib(painter, c.dest.x(), c.dest.y(), c.dest.width(), c.dest.height(), pic.get(), c.xs, c.ys, c.sw,
                    c.sh, true, SRCCOPY);
        }
        EXPECT_EQ(differences(got, [&](int x, int y) {
                      if (!c.drawn.contains(x, y))
                          return kUntouched;
                      const int i = x - c.drawn.x(), j = y - c.drawn.y();
                      return pixelColour(pic.get(), c.cx + c.cw * i / c.drawn.width(), c.top + c.ch * j / c.drawn.height());
                  }),
                  QString());
    }
}

// The line scaler paints black wherever the source lies outside the picture.
TEST(StretchDib24, OutsideThePictureIsBlack)
{
    Picture pic(8, 6, 24);
    fillPattern(pic.get());
    QImage got = blankImage(20, 16);
    {
        QPainter painter(&got);
        StretchDib24(painter, 1, 2, 16, 12, pic.get(), -2, -1, 8, 6); // two columns left of, one row above the picture
    }
    EXPECT_EQ(differences(got, [&](int x, int y) {
                  if (!QRect(1, 2, 16, 12).contains(x, y))
                      return kUntouched;
                  const int sx = -2 + 8 * (x - 1) / 16, sy = -1 + 6 * (y - 2) / 12;
                  if (sx < 0 || sy < 0)
                      return qRgb(0, 0, 0);
                  return pixelColour(pic.get(), sx, sy);
              }),
              QString());
}

// On screens of 8 bits or fewer, what appears is the library's halftoned picture:
// at the display's scale and copied one to one when the picture is reduced, at
// its own size and stretched when it is enlarged; painted parts match the whole.
TEST(DrawDibHalftone, ShowsTheLibrarysHalftonedPicture)
{
    const ForcedScreenBits eightBits(8);
    Picture pic(100, 61, 24);
    fillPattern(pic.get());
    const struct {
        int dw, dh;
        QRect clip;
    } cases[] = {
        {50, 30, QRect()},           {50, 30, QRect(9, 5, 13, 17)}, // zoom 50
        {37, 22, QRect()},           {37, 22, QRect(11, 3, 20, 9)}, // a preview's odd scale
        {50, 183, QRect(5, 100, 30, 50)},                            // narrower but taller
        {200, 122, QRect()},         {200, 122, QRect(27, 13, 41, 59)}, // zoom 200
        {1000, 610, QRect(433, 291, 80, 60)},                            // zoom 1000
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 x %2, clip %3,%4").arg(c.dw).arg(c.dh).arg(c.clip.x()).arg(c.clip.y())
                         .toStdString());
        Picture t(0, 0, 24);
        std::function<QRgb(int, int)> halftoned;
        if (c.dw < 100 || c.dh < 61) {
            const int tw = int(std::nearbyint(100.0 * c.dw / 100)), th = int(std::nearbyint(61.0 * c.dh / 61));
            DIBHalftoneDIBXY(&t.get(), pic.get(), tw, th);
            halftoned = [&](int x, int y) { return pixelColour(t.get(), x, y); };
        } else {
            DIBHalftoneDIB(&t.get(), pic.get());
            halftoned = [&](int x, int y) { return pixelColour(t.get(), 100 * x / c.dw, 61 * y / c.dh); };
        }
        ASSERT_NE(t.get().poi, nullptr);
        const QRect dest(0, 0, c.dw, c.dh);
        const QRect painted = c.clip.isNull() ? dest : c.clip & dest;
        const QImage got = drawWhole(pic.get(), c.dw + 2, c.dh + 2, dest, c.clip);
        EXPECT_EQ(differences(got, [&](int x, int y) {
                      return painted.contains(x, y) ? halftoned(x, y) : kUntouched;
                  }),
                  QString());
    }
}

// 1:1 the device takes DIB rows as they are; its source rectangle counts rows
// from the picture's bottom, and only the painted part changes.
TEST(DrawDibDevice, CopiesRowsOneToOneFromTheSourceRectangle)
{
    Picture pic(23, 17, 24), eight(23, 17, 8);
    fillPattern(pic.get());
    fillPalettePattern(eight.get());
    for (const dib *d : {&pic.get(), &eight.get()}) {
        SCOPED_TRACE(dibbits(*d));
        QImage got = blankImage(30, 20);
        const QRect clip(4, 3, 11, 9);
        {
            QPainter painter(&got);
            painter.setClipRect(clip);
            // Columns 5..19 and rows 4..15 from the bottom, that is rows 1..12 from the top.
            EXPECT_EQ(dibdevice::stretchDIBits(painter, 2, 1, 15, 12, 5, 4, 15, 12, d->poi, d->pmi, SRCCOPY), 12);
        }
        EXPECT_EQ(differences(got, [&](int x, int y) {
                      return clip.contains(x, y) ? pixelColour(*d, x - 2 + 5, y - 1 + 1) : kUntouched;
                  }),
                  QString());
    }
}

// Hand-made pictures of depths the library does not make, in memory owned here.
struct RawPicture {
    std::vector<uint8_t> info = std::vector<uint8_t>(sizeof(BITMAPINFOHEADER) + 12);
    std::vector<uint8_t> pixels;
    dib d = emptydib();
    RawPicture(int32_t w, int32_t h, int bits, uint32_t compression)
    {
        auto &hd = *reinterpret_cast<BITMAPINFOHEADER *>(info.data());
        hd.biSize = sizeof(BITMAPINFOHEADER);
        hd.biWidth = w;
        hd.biHeight = h;
        hd.biPlanes = 1;
        hd.biBitCount = uint16_t(bits);
        hd.biCompression = compression;
        d.bytew = (w * bits + 31) / 32 * 4;
        pixels.assign(size_t(d.bytew) * size_t(h), 0);
        d.pmi = reinterpret_cast<BITMAPINFO *>(info.data());
        d.poi = pixels.data();
    }
    // Pixel (x, y) from the top, as red, green, blue.
    void set(int x, int y, int r, int g, int b)
    {
        uint8_t *p = pixels.data() + size_t(d.pmi->bmiHeader.biHeight - 1 - y) * size_t(d.bytew);
        if (d.pmi->bmiHeader.biBitCount == 32) {
            p += 4 * x;
            p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r), p[3] = 0;
        } else {
            const int v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
            p += 2 * x;
            p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
        }
    }
};

// 16- and 32-bit pictures: the device stretches them with the same mapping.
TEST(DrawDibDevice, SixteenAndThirtyTwoBitPicturesAreStretchedByTheDevice)
{
    for (const int bits : {16, 32}) {
        SCOPED_TRACE(bits);
        RawPicture raw(7, 5, bits, 0);
        auto colour = [](int x, int y) { return qRgb(x * 36, y * 56, 255 - x * 8 - y * 16); };
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                raw.set(x, y, qRed(colour(x, y)), qGreen(colour(x, y)), qBlue(colour(x, y)));
        // 16 bits keep five bits a channel, widened again by repeating their top bits.
        auto stored = [bits](QRgb c) {
            if (bits == 32)
                return c;
            auto widen = [](int v) { return (v & 0xf8) | (v >> 5); };
            return qRgb(widen(qRed(c)), widen(qGreen(c)), widen(qBlue(c)));
        };
        Messages messages;
        const QImage got = drawWhole(raw.d, 16, 12, QRect(0, 0, 14, 10), QRect(), QPoint(), SRCCOPY, &messages);
        EXPECT_EQ(differences(got, [&](int x, int y) {
                      return x < 14 && y < 10 ? stored(colour(x / 2, y / 2)) : kUntouched;
                  }),
                  QString());
        EXPECT_TRUE(messages.texts.isEmpty());
    }
}

// A raster operation the device cannot do: the picture is stretched into one of
// the destination's size, first and last pixels onto the source's first and last,
// and sent as a copy. Rows count from the bottom, except for 1-bit pictures,
// which go through the library's pixel calls and so count from the top.
TEST(DrawDibDevice, FirstFallbackStretchesIntoAPictureOfTheDestinationSize)
{
    for (const int bits : {4, 1}) {
        SCOPED_TRACE(bits);
        Picture pic(11, 3, bits);
        fillPalettePattern(pic.get());
        const int dw = 21, dh = 5;
        Messages messages;
        const QImage got = drawWhole(pic.get(), dw + 2, dh + 2, QRect(0, 0, dw, dh), QRect(), QPoint(), DSTINVERT,
                                     &messages);
        EXPECT_EQ(differences(got, [&](int x, int y) {
                      if (x >= dw || y >= dh)
                          return kUntouched;
                      const int sx = 10 * x / (dw - 1);
                      const int row = bits == 1 ? 2 * y / (dh - 1)              // from the top
                                                : 2 - 2 * (dh - 1 - y) / (dh - 1); // from the bottom
                      return pixelColour(pic.get(), sx, row);
                  }),
                  QString());
        EXPECT_TRUE(messages.texts.isEmpty());
    }
}

// On a screen the line scalers take 24- and 8-bit pictures and always copy,
// whatever raster operation is asked for.
TEST(DrawDibDevice, LineScalersIgnoreTheRasterOperation)
{
    Picture pic(9, 7, 24), eight(9, 7, 8);
    fillPattern(pic.get());
    fillPalettePattern(eight.get());
    for (const dib *d : {&pic.get(), &eight.get()})
        for (const uint32_t rop : {SRCINVERT, DSTINVERT}) {
            SCOPED_TRACE(dibbits(*d));
            const QImage got = drawWhole(*d, 20, 16, QRect(0, 0, 18, 14), QRect(), QPoint(), rop);
            EXPECT_EQ(differences(got, wholeMapping(*d, 18, 14)), QString());
        }
}

// The second fallback and its three messages; nothing is drawn after a message.
TEST(DrawDibDevice, SecondFallbackReportsWhatTheDeviceCannotDo)
{
    RawPicture bitfields(6, 4, 16, 3); // masked 16-bit pixels: nothing can convert them
    RawPicture deep(6, 4, 32, 0);      // no picture of its depth can be made for the first fallback
    Picture four(6, 4, 4);
    fillPalettePattern(four.get());
    const struct {
        const dib *d;
        uint32_t rop;
        bool active;
        const char *message;
    } cases[] = {
        {&bitfields.d, SRCCOPY, true, "The device does not support the Funtkion setdibits!"},
        {&deep.d, DSTINVERT, true, "The device does not support the function StretchBlt!"},
        {&four.get(), SRCCOPY, false, "Could not create bitmap."}, // a painter that never began
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        Messages messages;
        QImage got = blankImage(14, 10);
        QPainter painter;
        if (c.active)
            painter.begin(&got);
        DrawDib(painter, 0, 0, 12, 8, *c.d, 0, 0, 6, 4, true, c.rop, messages.report());
        if (painter.isActive())
            painter.end();
        EXPECT_EQ(messages.texts, QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(differences(got, [](int, int) { return kUntouched; }), QString());
    }
}

// Printers scale pictures themselves and only copy: a 24-bit picture prints
// without a word, also with a raster operation (through the first fallback); a
// 32-bit one with a raster operation ends at the device's blit.
TEST(DrawDibDevice, PrintersOnlyCopy)
{
    Picture pic(40, 30, 24);
    fillPattern(pic.get());
    RawPicture deep(6, 4, 32, 0);
    const struct {
        const dib *d;
        uint32_t rop;
        QStringList messages;
    } cases[] = {
        {&pic.get(), SRCCOPY, {}},
        {&pic.get(), SRCINVERT, {}},
        {&deep.d, SRCINVERT, {QStringLiteral("The device does not support the function StretchBlt!")}},
    };
    for (const auto &c : cases) {
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        QPdfWriter writer(&pdf);
        Messages messages;
        {
            QPainter painter(&writer);
            ASSERT_TRUE(painter.isActive());
            DrawDib(painter, 100, 100, 400, 300, *c.d, 0, 0, dibwidth(*c.d), dibheight(*c.d), true, c.rop,
                    messages.report());
        }
        EXPECT_EQ(messages.texts, c.messages);
        // Something was drawn: a page with a picture is larger than an empty one.
        if (c.messages.isEmpty()) {
            EXPECT_GT(pdf.size(), 2000);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
