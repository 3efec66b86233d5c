// Memory of new pictures.
#pragma once

#include "bildkern3.h"

#include <cstddef>

// Asks the system to back the pixel block of a picture just created, and not yet
// written, with large pages. Filling a fresh block of tens of megabytes page by
// page costs more than the work done in it; large pages cut the faults 512-fold.
// Only advice: where it is not available nothing changes.
void preferLargePages(const dib &picture);

// The same for any fresh block of `bytes` bytes.
void preferLargePages(void *block, size_t bytes);
