// The colour transfer as the plain rule gives it, pixel by pixel, for comparing
// the fast transfers of the editor, the batch and the window with.
#pragma once

#include "Depth.h"
#include "PixelOps.h"
#include "Pictures.h"
#include "RGBHSL.h"

#include <QFile>
#include <QString>

// `result` as the colourising rule leaves it: every pixel that `source` and
// `model` share gets the model's hue and saturation at the source's luminance
// (DoPix, brightness 0); the rest keeps its value.
inline Picture transferredByRule(const dib &source, const dib &result, const dib &model)
{
    const int w = dibwidth(source), h = dibheight(source);
    Picture out = makePicture(w, h, [&](int x, int y) { return rgbAt(result, x, y); });
    const RowTable rows = rowTableOf(source);
    for (int y = 0; y < h && y < dibheight(model); ++y)
        for (int x = 0; x < w && x < dibwidth(model); ++x) {
            const uint32_t c = rgbAt(model, x, y);
            int hue, sat, lum;
            RGBToHSL(int(c >> 16), int(c >> 8 & 0xFF), int(c & 0xFF), hue, sat, lum);
            DoPix(source, out.get(), rows, x, y, hue, sat, 0);
        }
    return out;
}

// A picture file read by the library and widened to 24 bits.
inline Picture readPicture24(const QString &path)
{
    dib d = emptydib();
    OpenDib(&d, QFile::encodeName(path).constData(), 0, nullptr);
    Picture picture(d);
    DepthUpTo(picture.get(), 24, Progress());
    return picture;
}
