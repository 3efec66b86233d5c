// What the benchmarks share: their pictures, made once and owned like the
// program's own.
#pragma once

#include "Picture.h"

#include <random>
#include <stdexcept>

// A new picture; a benchmark cannot run without it.
inline Picture benchPicture(int width, int height, int bits, const BITMAPINFO *colours = nullptr,
                            int ncolours = 0)
{
    Picture picture;
    newdib(&picture.get(), width, height, bits, colours, ncolours);
    if (picture.empty())
        throw std::runtime_error("no memory for a benchmark picture");
    return picture;
}

// A 24-bit picture as smooth as a photograph, with noise, so luminances and
// colours vary as in a real one.
inline void fillLikeAPhotograph(const dib &d)
{
    const int width = dibwidth(d), height = dibheight(d);
    std::mt19937 random(1);
    for (int y = 0; y < height; ++y) {
        uint8_t *row = d.poi + size_t(y) * size_t(d.bytew);
        for (int x = 0; x < 3 * width; ++x)
            row[x] = uint8_t((x / 3 * 255 / width + y * 255 / height) / 2 + random() % 16);
    }
}
