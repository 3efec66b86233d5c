// Widening pictures with a colour table to 24 bits, and the grey conversion of
// a 24-bit picture.
#pragma once

#include "RowProgress.h"
#include "bildkern3.h"

#include <cstdint>

// 2 to the power `i` by doubling 1 `i` times in 32-bit arithmetic; 1 for `i` of
// 0 or less. From 31 on the doubling wraps as on the classic 32-bit target
// (31 gives -2147483648, 32 and more give 0); no picture of the library has such
// a depth.
int32_t zweihoch(int32_t i);

// Converts `picture` to `nbpp` bits per pixel. Only the widening of 1-, 4- and
// 8-bit pictures to 24 bits is done, each pixel the colour of `picture.pal`.
// On success the old picture is released and replaced by the new one; otherwise
// (already 24 bits, another pair of depths, no memory) `picture` is unchanged.
// Reports 0, then the row progress of a conversion, then 0. True when replaced.
// The rows are shared out over the cores unless `threads` is One.
bool DepthUpTo(dib &picture, int32_t nbpp, const Progress &progress, RowThreads threads = RowThreads::All);

// The grey level of a pixel: the weighted sum divided once, truncating.
inline uint8_t greyLevel(uint8_t blue, uint8_t green, uint8_t red)
{
    return uint8_t((30 * red + 59 * green + 11 * blue) / 100);
}

// Every pixel of a 24-bit picture := its grey level in all three bytes. Reports
// 0, the row progress, 0. Pictures of other depths are left alone.
void ConvertToGrey(dib &picture, const Progress &progress);
