// The pictures of the film benchmarks: grey frames like scanned film, and a
// hand-coloured frame to take the colours from.
#pragma once

#include "BenchSupport.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

// A photograph-like grey level: soft gradients and shapes with film grain.
inline uint8_t photoGrey(int x, int y, int width, int height, int frame, std::mt19937 &random)
{
    const int cx = width / 2 + frame * 4, cy = height / 2;
    const int dx = x - cx, dy = y - cy;
    const bool disc = int64_t(dx) * dx + int64_t(dy) * dy < int64_t(height / 4) * (height / 4);
    const int base = (x * 160 / width + y * 80 / height) / 2 + (disc ? 90 : 30);
    return uint8_t(std::min(255, base + int(random() % 12)));
}

// The colour of a hand-coloured frame at (x, y): sky, skin, a grey building.
inline uint32_t paint(int x, int y, int width, int height)
{
    if (y < height / 3)
        return 0x6080C0; // blue
    if (x < width / 3)
        return 0x808080; // left uncoloured
    return x < 2 * width / 3 ? 0xD09070 : 0x50A050;
}

// Frame `frame` of a grey film: 8 bits with a grey ramp for a table.
inline Picture greyFilmFrame(int width, int height, int frame)
{
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto *ramp = reinterpret_cast<BITMAPINFO *>(info.data());
    for (int i = 0; i < 256; ++i)
        ramp->bmiColors[i] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    Picture d = benchPicture(width, height, 8, ramp, 256);
    std::mt19937 random{unsigned(frame)};
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x)
            d->poi[size_t(row) * size_t(d->bytew) + size_t(x)] =
                photoGrey(x, height - 1 - row, width, height, frame, random);
    return d;
}

// A coloured 24-bit picture: the grey shading of `frame` in the colours of paint().
inline Picture colouredPicture(int width, int height, int frame)
{
    Picture d = benchPicture(width, height, 24);
    std::mt19937 random{unsigned(frame)};
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row;
        uint8_t *p = d->poi + size_t(row) * size_t(d->bytew);
        for (int x = 0; x < width; ++x, p += 3) {
            const int grey = photoGrey(x, y, width, height, frame, random);
            const uint32_t c = paint(x, y, width, height);
            p[0] = uint8_t((c & 0xFF) * grey / 255);
            p[1] = uint8_t((c >> 8 & 0xFF) * grey / 255);
            p[2] = uint8_t((c >> 16) * grey / 255);
        }
    }
    return d;
}
