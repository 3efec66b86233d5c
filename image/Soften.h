// 5 x 5 convolution of 24-bit pictures, and the soften kernel the program uses.
#pragma once

#include "RowProgress.h"
#include "bildkern3.h"

#include <cstdint>

struct FilterKernel {
    int32_t divisor;
    int32_t bias;          // added after the division
    int32_t matrix[5][5];  // [row][column] of the window, top-left first
};

// Every pixel the mean of itself and its eight neighbours, truncated.
extern const FilterKernel SoftenKernel;

enum class FilterResult {
    Filtered,
    NotFiltered,  // a picture with a colour table (8 bits or fewer), or none at all
    OutOfMemory,  // the working copy could not be created; the picture is unchanged
    BadKernel,    // divisor 0; the picture is unchanged
};

// Applies `kernel` to every pixel of `picture` in place. Each 5 x 5 window reads
// unfiltered values only, and beyond the picture's edges a border two pixels
// wide that repeats its outer rows and then its outer columns (so the corners
// repeat the corner pixels). Per channel: the weighted sum, divided truncating
// toward zero, plus the bias, clamped to 0..255.
// Any kernel but the soften kernel goes through a whole working picture with
// that border; when the library cannot create it, the picture stays unchanged
// (OutOfMemory). The soften kernel needs only a few rows of working memory, but
// refuses the same pictures.
// Reports 0, 0, the row progress (for a working picture: of the copy, then of
// the filtering), then 0, 0; only 0s when nothing is filtered.
FilterResult FilterDib(dib &picture, const FilterKernel &kernel, const Progress &progress);
