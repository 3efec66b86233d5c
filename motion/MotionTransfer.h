// Carrying the colours of the predecessor frame over onto the current one
// along the motion between them: each pixel takes the hue and saturation of
// the predecessor's content that moved to it and keeps its own luminance, the
// rule of TransferColours. Where the motion cannot be trusted (it points
// outside the predecessor, runs against the motion backwards, or lands on a
// different luminance) the pixel gets what TransferColours gives.
#pragma once

#include "Picture.h"
#include "RowProgress.h"

#include <cstdint>
#include <vector>

// Which pixels of the current frame kept the plain transfer's colour.
struct MotionMask {
    int width = 0, height = 0;
    std::vector<uint8_t> untrusted; // width x height, top row first; 1 = plain transfer
    bool empty() const { return width <= 0 || height <= 0; }
};

// Where the time went, in milliseconds: on the clock, and the processor time
// of all of the process's threads over the same stretch (the steadier figure
// on a machine shared with other work).
struct MotionTimes {
    double flowMs = 0, flowCpuMs = 0; // luminances, reduced copies, motion estimate and its checks,
                                      // and meanwhile reading the predecessor's colours
    double warpMs = 0, warpCpuMs = 0; // sampling the predecessor and colouring, full size
};

// outdi (24 bits, the geometry of `di`, addressed through `rows` top row first)
// := the luminance of each pixel of `di` with the hue and saturation of the
// predecessor's colour where the estimated motion says that pixel's content
// was (the four pixels around mixed bilinearly in RGB, each at the middle
// luminance and weighted by its distance from black or white; across a painted
// edge only the nearest pixel's side). Untrusted pixels get exactly what
// TransferColours(di, outdi, rows, predecessor) gives them; pixels outside the
// top-left overlap with a smaller predecessor are untrusted and keep their
// values, as with the plain transfer. `mask`, when given, receives the
// untrusted pixels. Progress runs 0..100 on the calling thread; the rows are
// shared out over the machine's cores. False, touching nothing, when `di` or
// the predecessor is not a 24-bit picture, `outdi` does not have the geometry
// of `di`, or memory runs out.
bool TransferColoursFollowingMotion(const dib &di, dib &outdi, const RowTable &rows, const dib &predecessor,
                                    MotionMask *mask, const Progress &progress = Progress(),
                                    MotionTimes *times = nullptr);
