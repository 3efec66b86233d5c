// Pictures for the tests: made, read and compared through the imaging library
// and plain loops, so expected pixels share no code with what is under test.
#pragma once

#include "Picture.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

using Block = std::vector<uint8_t>;

// Pixel (x, y) of a 24-bit picture, y counted from the top: blue, green, red.
inline uint8_t *pixelAt(const dib &d, int32_t x, int32_t y)
{
    return d.poi + ptrdiff_t(dibheight(d) - 1 - y) * d.bytew + 3 * x;
}

inline void setPixel(const dib &d, int32_t x, int32_t y, uint8_t blue, uint8_t green, uint8_t red)
{
    uint8_t *p = pixelAt(d, x, y);
    p[0] = blue;
    p[1] = green;
    p[2] = red;
}

inline void fillPicture(const dib &d, uint8_t blue, uint8_t green, uint8_t red)
{
    for (int32_t y = 0; y < dibheight(d); ++y)
        for (int32_t x = 0; x < dibwidth(d); ++x)
            setPixel(d, x, y, blue, green, red);
}

// Every byte of the pixel block, padding included, from `random`.
inline void randomiseBytes(const dib &d, std::mt19937 &random)
{
    for (uint32_t i = 0; i < d.pmi->bmiHeader.biSizeImage; ++i)
        d.poi[i] = uint8_t(random());
}

// The whole pixel block as the header gives its size.
inline Block pixelBytes(const dib &d)
{
    return Block(d.poi, d.poi + d.pmi->bmiHeader.biSizeImage);
}

// The rows of the picture, padding included; empty without a picture.
inline Block blockOf(const dib &d)
{
    return d.poi ? Block(d.poi, d.poi + size_t(dibheight(d)) * size_t(d.bytew)) : Block();
}

// Pixel (x, y) as 0xRRGGBB, read by the library.
inline uint32_t rgbAt(const dib &d, int x, int y)
{
    const uint32_t v = getpixel(d, x, y); // red + 256 green + 65536 blue
    return (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16);
}

// A 24-bit picture whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
template <class Colour>
Picture makePicture(int width, int height, Colour colour)
{
    Picture picture(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            setpixel(picture.get(), x, y, (c >> 16) | (c & 0xFF00) | (c & 0xFF) << 16);
        }
    return picture;
}
