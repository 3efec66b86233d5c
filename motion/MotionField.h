// The motion between two luminance planes of one size, estimated on reduced
// copies (dense inverse-search optical flow) and checked both ways.
#pragma once

#include "RowProgress.h"

#include <cstdint>
#include <vector>

// A luminance plane, top row first, one byte a pixel, no padding.
struct Plane {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

// For each pixel p of the reduced current plane, where its content lies in the
// reduced predecessor plane: p + (dx, dy), in reduced pixels.
struct MotionField {
    int width = 0, height = 0;        // reduced size
    double scaleX = 1, scaleY = 1;    // full-size pixels per reduced pixel
    std::vector<float> dx, dy;        // width x height
    std::vector<uint8_t> untrusted;   // width x height: 1 where the motion failed its checks
};

// The longest side of the reduced copies the motion is estimated on: at most
// kMotionSide, and for larger pictures at least kMotionSideLeast.
constexpr int kMotionSide = 1024;
constexpr int kMotionSideLeast = 900;

// The motion from `current` to `predecessor` (planes of one size). Reports
// `progress` values from 0 up to `upTo` as its steps end. False when memory
// runs out. The same motion on every machine, whatever its number of cores.
bool EstimateMotion(const Plane &current, const Plane &predecessor, MotionField &field,
                    const Progress &progress = Progress(), int32_t upTo = 0);
