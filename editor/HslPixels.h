// Shortcuts for the whole-picture operations that rebuild pixels from a hue, a
// saturation and a luminance: each gives exactly what RGBToHSL and HSLToRGB
// give, with less work per pixel.
#pragma once

#include "RGBHSL.h"

#include <algorithm>
#include <cstdint>

namespace hslpixels {

// Blue, green, red.
struct Bgr {
    uint8_t b, g, r;
};

// The luminance of RGBToHSL depends on the largest and the smallest channel
// only, so it is one look-up in a table of those two.
struct LuminanceTable {
    uint8_t lum[256][256]; // [max][min]
    LuminanceTable()
    {
        for (int max = 0; max < 256; ++max)
            for (int min = 0; min <= max; ++min) {
                int hue, sat, lum;
                RGBToHSL(max, min, min, hue, sat, lum);
                this->lum[max][min] = uint8_t(lum);
            }
    }
};

inline const LuminanceTable &luminanceTable()
{
    static const LuminanceTable table;
    return table;
}

inline int hslLuminance(const LuminanceTable &table, const uint8_t *bgr)
{
    return table.lum[std::max({bgr[0], bgr[1], bgr[2]})][std::min({bgr[0], bgr[1], bgr[2]})];
}

// One channel of HSLToRGB from the channel at luminance 127 (where HSLToRGB
// gives the colour of hue and saturation unchanged): lighter above, darker below.
inline uint8_t channelAt(int base, int lum)
{
    if (lum > 127)
        return uint8_t(base + (255 - base) * (lum - 127) / 128);
    if (lum < 127)
        return uint8_t(base - (127 - lum) * base / 128);
    return uint8_t(base);
}

// HSLToRGB(hue, sat, lum) = atLuminance(HSLToRGB(hue, sat, 127), lum).
inline void atLuminance(const Bgr &base, int lum, uint8_t *out)
{
    out[0] = channelAt(base.b, lum);
    out[1] = channelAt(base.g, lum);
    out[2] = channelAt(base.r, lum);
}

// An exact half to the even neighbour, for values from 0 up, where the
// integer part is the floor.
inline int roundHalfEvenUp(double value)
{
    int result = int(value);
    const double fraction = value - double(result);
    if (fraction > 0.5 || (fraction == 0.5 && (result & 1) != 0))
        ++result;
    return result;
}

// The hue alone of RGBToHSL for a pixel that is not grey, through its
// floating-point steps.
inline int hueByConversion(const uint8_t *bgr)
{
    const double r = bgr[2] / 255.0, g = bgr[1] / 255.0, b = bgr[0] / 255.0;
    const double max = std::max({r, g, b});
    const double d = max - std::min({r, g, b});
    double h;
    if (r == max)
        h = (g - b) / d;
    else if (g == max)
        h = 2 + (b - r) / d;
    else
        h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0)
        h += 1;
    return std::min(255, roundHalfEvenUp(255 * h));
}

// What baseOf looks up. The saturation of RGBToHSL depends on the largest and
// the smallest channel only, so it is taken from RGBToHSL itself; the pure colour
// of each hue is HSLToRGB's at full saturation and luminance 127.
struct BaseTables {
    uint8_t sat[256][256];    // [max][min]
    uint8_t satEnd[4]{};      // the vector loads read four bytes from any entry
    Bgr pure[256];            // [hue]
    uint32_t pureWords[256];  // the same as blue | green << 8 | red << 16
    uint64_t reciprocal[256]; // ceil(2^32 / d), 0 for 0

    BaseTables()
    {
        for (int max = 0; max < 256; ++max)
            for (int min = 0; min <= max; ++min) {
                int hue, sat, lum;
                RGBToHSL(max, min, min, hue, sat, lum);
                this->sat[max][min] = uint8_t(sat);
            }
        for (int hue = 0; hue < 256; ++hue) {
            int red, green, blue;
            HSLToRGB(hue, 255, 127, red, green, blue);
            pure[hue] = Bgr{uint8_t(blue), uint8_t(green), uint8_t(red)};
            pureWords[hue] = uint32_t(blue) | uint32_t(green) << 8 | uint32_t(red) << 16;
        }
        reciprocal[0] = 0;
        for (uint64_t d = 1; d < 256; ++d)
            reciprocal[d] = ((uint64_t(1) << 32) + d - 1) / d;
    }
};

inline const BaseTables &baseTables()
{
    static const BaseTables tables;
    return tables;
}

// HSLToRGB at luminance 127 of the hue and saturation RGBToHSL gives a pixel, in
// integers. With d = max - min, RGBToHSL's hue is 255 * n / (6d) rounded, n being
// the position within the six sextants (0 <= n < 6d) that the float formulas
// compute: 255 n / (6d) = 85 n / (2d), so q = floor(85 n / d) decides it:
// (q + 1) / 2, except where 85 n / (2d) is an exact half (q odd, no remainder).
// There the float steps' last bits decide which way it rounds (differently for
// colours of the same n and d), so the hue of those pixels, about 2 % of all
// colours, comes from the float steps. Everywhere else the exact value lies at
// least 1/510 from a half, far beyond any rounding error of the float steps. The
// division is a multiplication by the reciprocal: 85 n < 2^17, so q is exact.
inline Bgr baseOf(const BaseTables &t, const uint8_t *bgr)
{
    const int b = bgr[0], g = bgr[1], r = bgr[2];
    const int max = std::max({r, g, b}), min = std::min({r, g, b});
    const int d = max - min;
    // The first channel holding the maximum decides, as in RGBToHSL; a grey has
    // n = 0. Masks, not branches: in a busy picture the channel is a coin toss.
    const int isRed = -int(r == max);
    const int isGreen = -int(g == max) & ~isRed;
    const int isBlue = ~(isRed | isGreen);
    const int n = (isRed & (g - b + (-int(g < b) & 6 * d))) | (isGreen & (2 * d + b - r))
                | (isBlue & (4 * d + r - g));
    const uint32_t a = uint32_t(85 * n);
    const uint32_t q = uint32_t((a * t.reciprocal[d]) >> 32);
    // One branch, seldom taken: the oddness of q alone is a coin toss.
    const uint32_t tie = (q & 1) & uint32_t(a == q * uint32_t(d));
    const int hue = __builtin_expect(tie != 0, 0) ? hueByConversion(bgr) : int((q + 1) >> 1);
    // HSLToRGB's blend of the pure colour with mid grey; luminance 127 keeps it.
    const Bgr pure = t.pure[hue];
    const unsigned sat = t.sat[max][min], grey = (255 - sat) * 128;
    return Bgr{uint8_t((pure.b * sat + grey) / 255), uint8_t((pure.g * sat + grey) / 255),
               uint8_t((pure.r * sat + grey) / 255)};
}

inline Bgr baseOf(const uint8_t *bgr) { return baseOf(baseTables(), bgr); }

// The row loops work through rows in pieces of this many pixels, with their
// buffers on the stack.
constexpr int kChunk = 1024;

// baseOf of `count` pixels; eight at a time in vector lanes where the processor
// has AVX2.
void basesOf(const BaseTables &tables, const uint8_t *pixels, Bgr *out, int count);

// The HSL luminance of `count` pixels, each written three times, once per byte.
inline void hslLuminances(const LuminanceTable &table, const uint8_t *pixels, uint8_t *lums, int count)
{
    for (int x = 0; x < count; ++x, pixels += 3, lums += 3)
        lums[0] = lums[1] = lums[2] = uint8_t(hslLuminance(table, pixels));
}

// channelAt on whole runs of bytes: each byte of `base` at the luminance of its
// pixel, repeated per byte in `lums`. Above 127 only `up` counts, below only
// `down`; both products are positive and below 2^15, so the divisions by 128
// are shifts and the loop runs in 16-bit vector lanes (at -O3).
inline void lightBytes(const uint8_t *__restrict base, const uint8_t *__restrict lums,
                       uint8_t *__restrict out, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const uint16_t lum = lums[i], b = base[i];
        const uint16_t up = lum > 127 ? uint16_t(lum - 127) : uint16_t(0);
        const uint16_t down = lum < 127 ? uint16_t(127 - lum) : uint16_t(0);
        out[i] = uint8_t(b + (uint16_t((255 - b) * up) >> 7) - (uint16_t(down * b) >> 7));
    }
}

inline void lightPixels(const Bgr *base, const uint8_t *lums, uint8_t *out, int count)
{
    static_assert(sizeof(Bgr) == 3, "a run of Bgr is the bytes blue, green, red of each pixel");
    lightBytes(reinterpret_cast<const uint8_t *>(base), lums, out, 3 * size_t(count));
}

} // namespace hslpixels
