// Ordered dithering of 24-bit pictures to a fixed palette, for screens of 8 bits or fewer.
#pragma once

#include "dibcore.h"

namespace bk3 {

// An 8-bit picture of width x height, the 24-bit `source` scaled by nearest neighbour
// and dithered with an 8x8 Bayer matrix onto a fixed 6x7x6 colour cube.
Error halftone(dib *result, const dib &source, int32_t width, int32_t height);

} // namespace bk3
