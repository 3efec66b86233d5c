// Pictures and progress records for the conversion and filter tests.
#pragma once

#include "Picture.h"
#include "RowProgress.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

// Owns a picture made with newdib and releases it once.
struct Picture {
    dib d = emptydib();

    Picture(int32_t width, int32_t height, int32_t bits)
    {
        newdib(&d, width, height, bits, nullptr, 0);
        if (d.poi == nullptr)
            throw std::runtime_error("newdib failed");
    }
    ~Picture() { freedib(d); }
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;

    int32_t width() const { return d.pmi->bmiHeader.biWidth; }
    int32_t height() const { return d.pmi->bmiHeader.biHeight; }
    // Pixel (x, y) of a 24-bit picture, y counted from the top: blue, green, red.
    uint8_t *at(int32_t x, int32_t y) { return d.poi + ptrdiff_t(height() - 1 - y) * d.bytew + 3 * x; }
    void set(int32_t x, int32_t y, uint8_t blue, uint8_t green, uint8_t red)
    {
        uint8_t *p = at(x, y);
        p[0] = blue;
        p[1] = green;
        p[2] = red;
    }
    void fill(uint8_t blue, uint8_t green, uint8_t red)
    {
        for (int32_t y = 0; y < height(); ++y)
            for (int32_t x = 0; x < width(); ++x)
                set(x, y, blue, green, red);
    }
    // Every byte of the pixel block, padding included, from `random`.
    void randomise(std::mt19937 &random)
    {
        for (uint32_t i = 0; i < d.pmi->bmiHeader.biSizeImage; ++i)
            d.poi[i] = uint8_t(random());
    }
    std::vector<uint8_t> bytes() const
    {
        return std::vector<uint8_t>(d.poi, d.poi + d.pmi->bmiHeader.biSizeImage);
    }
};

// Every value reported, and whether each came from the thread that made the log.
struct ProgressLog {
    std::vector<int32_t> values;
    bool allOnCallingThread = true;
    std::thread::id caller = std::this_thread::get_id();

    Progress sink()
    {
        return [this](int32_t percent) {
            values.push_back(percent);
            if (std::this_thread::get_id() != caller)
                allOnCallingThread = false;
        };
    }
};

// rowPercent for every row of a loop over `rows` rows, in order.
inline std::vector<int32_t> rowValues(int32_t rows)
{
    std::vector<int32_t> values;
    for (int32_t k = 0; k < rows; ++k)
        values.push_back(rows > 1 ? k * 100 / (rows - 1) : 0);
    return values;
}

inline std::vector<int32_t> concat(std::initializer_list<std::vector<int32_t>> parts)
{
    std::vector<int32_t> all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
