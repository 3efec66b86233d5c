#include "Swatch.h"

#include "RGBHSL.h"

#include <algorithm>

int SwatchColumnSaturation(int column)
{
    return column * 255 / (kSwatchWidth - 1);
}

uint32_t HueSatColour(int hue, int sat, int lum)
{
    int r = 0, g = 0, b = 0;
    HSLToRGB(hue, sat, lum, r, g, b);
    return uint32_t(r) + 256u * uint32_t(g) + 65536u * uint32_t(b);
}

bool FillSwatch(const dib &swatch)
{
    if (swatch.poi == nullptr || swatch.pmi == nullptr
        || swatch.pmi->bmiHeader.biWidth != kSwatchWidth
        || swatch.pmi->bmiHeader.biHeight != kSwatchHeight
        || swatch.pmi->bmiHeader.biBitCount != 24)
        return false;
    for (int hue = 0; hue < kSwatchHeight; ++hue)
        for (int column = 0; column < kSwatchWidth; ++column)
            setpixel(swatch, column, hue,
                     HueSatColour(hue, SwatchColumnSaturation(column), kMiddleLum));
    return true;
}

HueSat SwatchPick(int x, int y)
{
    // Computed in 64 bits: a drag can report positions far outside the box.
    const int64_t sat = (int64_t(x) - kSwatchInset) * 255 / (kSwatchWidth - 1);
    const int64_t hue = int64_t(y) - kSwatchInset;
    return HueSat{int(std::clamp<int64_t>(hue, 0, 255)), int(std::clamp<int64_t>(sat, 0, 255))};
}

MarkerPlace SwatchMarker(const HueSat &colour)
{
    // The box's swatch pixel (c, hue) sits at (c + inset, hue + inset), the
    // centre of an 8-pixel square whose corner is (c, hue).
    const int column = std::clamp(colour.sat, 0, 255) * (kSwatchWidth - 1) / 255;
    return MarkerPlace{column, std::clamp(colour.hue, 0, 255)};
}
