#include "RGBHSL.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kHueScale = 255;
constexpr int kSatScale = 255;
constexpr int kLumScale = 255;

int clampByte(int value) { return std::clamp(value, 0, 255); }

// Nearest integer, an exact half to the even neighbour, whatever the
// floating-point rounding mode happens to be.
int roundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    int result = int(lower);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2) != 0))
        ++result;
    return result;
}

} // namespace

void HSLToRGB(int hue, int sat, int lum, int &red, int &green, int &blue)
{
    hue = clampByte(hue);
    sat = clampByte(sat);
    lum = clampByte(lum);

    // Six sextants of 256 steps each; one channel runs, the others sit at 0 or 255.
    const int p = hue * 1535 / 255;
    int c[3];
    if (p <= 255) {
        c[0] = 255; c[1] = p; c[2] = 0;
    } else if (p <= 511) {
        c[0] = 511 - p; c[1] = 255; c[2] = 0;
    } else if (p <= 767) {
        c[0] = 0; c[1] = 255; c[2] = p - 512;
    } else if (p <= 1023) {
        c[0] = 0; c[1] = 1023 - p; c[2] = 255;
    } else if (p <= 1279) {
        c[0] = p - 1024; c[1] = 0; c[2] = 255;
    } else {
        c[0] = 255; c[1] = 0; c[2] = 1535 - p;
    }

    for (int &channel : c) {
        // Saturation blends the pure colour with mid grey (128).
        channel = (channel * sat + (255 - sat) * 128) / 255;
        // Luminance 127 is the pure colour; above it lightens, below darkens, in 1/128 steps.
        if (lum > 127)
            channel += (255 - channel) * (lum - 127) / 128;
        else if (lum < 127)
            channel -= (127 - lum) * channel / 128;
    }
    red = c[0];
    green = c[1];
    blue = c[2];
}

void RGBToHSL(int red, int green, int blue, int &hue, int &sat, int &lum)
{
    const double r = clampByte(red) / 255.0;
    const double g = clampByte(green) / 255.0;
    const double b = clampByte(blue) / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    const double l = (max + min) / 2;
    double h = 0;
    double s = 0;
    if (max != min) {
        const double d = max - min;
        s = l < 0.5 ? d / (max + min) : d / (2 - max - min);
        // When two channels share the maximum, the first matching test decides.
        if (r == max)
            h = (g - b) / d;
        else if (g == max)
            h = 2 + (b - r) / d;
        else
            h = 4 + (r - g) / d;
        h /= 6;
        if (h < 0)
            h += 1;
    }
    hue = clampByte(roundHalfEven(kHueScale * h));
    sat = clampByte(roundHalfEven(kSatScale * s));
    lum = clampByte(roundHalfEven(kLumScale * l));
}

int SourceLuminance(int red, int green, int blue)
{
    return 30 * clampByte(red) / 100 + 59 * clampByte(green) / 100 + 11 * clampByte(blue) / 100;
}

int AdjustBrightness(int lum, int bright)
{
    lum = clampByte(lum);
    bright = std::clamp(bright, -100, 100);
    if (bright < 0)
        return lum - (-bright) * lum / 100;
    if (bright > 0)
        return lum + (255 - lum) * bright / 100;
    return lum;
}
