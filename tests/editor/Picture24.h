// A 24-bit picture of the imaging library for the whole-picture operation
// tests, released at the end of its scope. Guard rows above the top row belong
// to the pixel block but not to the picture, so a write past it shows.
#pragma once

#include "Picture.h"
#include "PixelOps.h"

#include <cstring>
#include <random>
#include <stdexcept>
#include <tuple>
#include <vector>

using Rgb = std::tuple<int, int, int>;

struct Picture24 {
    Picture owner;
    dib &d = owner.get();
    size_t total = 0;
    Picture24(int width, int height, uint8_t fill = 0, int guardRows = 0)
        : owner(width, height + guardRows, 24)
    {
        if (owner.empty())
            throw std::runtime_error("newdib failed");
        total = d.pmi->bmiHeader.biSizeImage;
        d.pmi->bmiHeader.biHeight = height;
        std::memset(d.poi, fill, total);
    }
    Picture24(const Picture24 &) = delete;
    int width() const { return dibwidth(d); }
    int height() const { return dibheight(d); }
    size_t bytes() const { return total; }
    std::vector<uint8_t> block() const { return {d.poi, d.poi + total}; }
    void setBlock(const std::vector<uint8_t> &bytes) { std::memcpy(d.poi, bytes.data(), total); }
    // Addressed from the record, not through a row table: rows bottom-up.
    uint8_t *at(int x, int y) const
    {
        return d.poi + size_t(height() - 1 - y) * size_t(d.bytew) + 3 * size_t(x);
    }
    Rgb rgb(int x, int y) const
    {
        const uint8_t *p = at(x, y);
        return {p[2], p[1], p[0]};
    }
    void set(int x, int y, Rgb colour)
    {
        uint8_t *p = at(x, y);
        p[0] = uint8_t(std::get<2>(colour));
        p[1] = uint8_t(std::get<1>(colour));
        p[2] = uint8_t(std::get<0>(colour));
    }
    void fill(Rgb colour)
    {
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                set(x, y, colour);
    }
    // Random bytes, with runs of equal and of grey pixels as coloured photographs have.
    void randomise(std::mt19937 &random)
    {
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x) {
                const unsigned kind = random() % 8;
                if (kind == 0 && x > 0)
                    std::memcpy(at(x, y), at(x - 1, y), 3);
                else if (kind == 1)
                    std::memset(at(x, y), int(random() % 256), 3);
                else
                    for (int c = 0; c < 3; ++c)
                        at(x, y)[c] = uint8_t(random());
            }
    }
};

inline RowTable rowsOf(const dib &d) { return rowTableOf(d); }
