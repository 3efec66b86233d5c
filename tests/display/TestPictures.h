// Pictures for the display tests, made and read through the imaging library only,
// so the expected pixels do not share code with the drawing under test.
#pragma once

#include "Picture.h"

#include <QImage>
#include <QString>
#include <functional>

// A colour no test picture contains: what the destination holds where nothing is drawn.
constexpr QRgb kUntouched = 0xff1234f7u;

// Neighbouring pixels differ in every direction: red follows x, green follows y,
// blue carries the high bits (pictures stay below 2048 pixels a side).
inline void fillPattern(dib &d)
{
    for (int32_t y = 0; y < dibheight(d); ++y)
        for (int32_t x = 0; x < dibwidth(d); ++x) {
            const uint32_t r = uint32_t(x) & 255, g = uint32_t(y) & 255,
                           b = ((uint32_t(x) >> 8) * 8 + (uint32_t(y) >> 8)) & 255;
            setpixel(d, x, y, r + 256 * g + 65536 * b);
        }
}

// Palette pictures: distinct table colours and indices that change from pixel to pixel.
inline void fillPalettePattern(dib &d)
{
    const int entries = int(dibcolors(d));
    for (int k = 0; k < entries; ++k) {
        RGBQUAD &q = d.pmi->bmiColors[k];
        q.rgbRed = uint8_t(k * 37 + 11);
        q.rgbGreen = uint8_t(k * 91 + 3);
        q.rgbBlue = uint8_t(255 - k * 13);
    }
    for (int32_t y = 0; y < dibheight(d); ++y)
        for (int32_t x = 0; x < dibwidth(d); ++x)
            setpixel(d, x, y, uint32_t((x * 3 + y * 5 + x * y) % entries));
}

// The colour of picture pixel (x, y), y from the top, as the library reads it.
inline QRgb pixelColour(const dib &d, int32_t x, int32_t y)
{
    const uint32_t v = getpixel(d, x, y);
    if (dibbits(d) == 24)
        return qRgb(int(v & 255), int((v >> 8) & 255), int((v >> 16) & 255));
    const RGBQUAD &q = d.pmi->bmiColors[v];
    return qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

inline QImage blankImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kUntouched);
    return image;
}

// Empty when every pixel is the one wanted; otherwise how many differ and the first.
inline QString differences(const QImage &got, const std::function<QRgb(int x, int y)> &want)
{
    int count = 0;
    QString first;
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x) {
            const QRgb g = got.pixel(x, y) | 0xff000000u, w = want(x, y);
            if (g != w && count++ == 0)
                first = QStringLiteral("(%1, %2): got %3, want %4")
                            .arg(x)
                            .arg(y)
                            .arg(g, 8, 16, QLatin1Char('0'))
                            .arg(w, 8, 16, QLatin1Char('0'));
        }
    return count == 0 ? QString() : QStringLiteral("%1 pixels differ, first at %2").arg(count).arg(first);
}
