// The soften filter with the running of its bands of rows handed in: the
// program runs them through forRowBands on several threads; tests run them in
// an order of their choosing, so what a band reads of its neighbours can be
// checked without waiting for threads to overlap.
#pragma once

#include "RowProgress.h"
#include "Soften.h"

#include <functional>

// work(first, end, slot) filters rows first..end-1; calls running at the same
// time need different slots, 0..threads-1.
using BandWork = std::function<void(int32_t first, int32_t end, int32_t slot)>;

// Calls `work` once for each band [0, bandRows), [bandRows, 2 bandRows), ... of
// `rows` rows, in any order, on up to `threads` threads, reporting progress.
using BandRunner = std::function<void(int32_t rows, int32_t bandRows, int32_t threads,
                                      const Progress &progress, const BandWork &work)>;

// FilterDib with the soften kernel on a 24-bit picture, its bands run by
// `runBands`.
FilterResult softenInPlace(dib &picture, const Progress &progress, const BandRunner &runBands);
