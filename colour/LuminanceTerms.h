// The three terms of SourceLuminance, each already cut toward zero, so the
// whole-picture operations get a pixel's luminance with three look-ups and two
// additions (at most 76 + 150 + 28).
#pragma once

#include <cstdint>

struct LuminanceTerms {
    uint8_t blue[256], green[256], red[256];
};

constexpr LuminanceTerms makeLuminanceTerms()
{
    LuminanceTerms terms{};
    for (int v = 0; v < 256; ++v) {
        terms.blue[v] = uint8_t(11 * v / 100);
        terms.green[v] = uint8_t(59 * v / 100);
        terms.red[v] = uint8_t(30 * v / 100);
    }
    return terms;
}

inline constexpr LuminanceTerms kLuminanceTerms = makeLuminanceTerms();
