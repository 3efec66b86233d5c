// The program's side of pictures: release, queries and the row-offset table.
#pragma once

#include "bildkern3.h"

#include <cstdint>
#include <vector>

// Releases the picture's memory once and clears its pointers and handles; a
// descriptor without pixel memory (null poi) is left as it is.
void freedib(dib &d);

int32_t dibwidth(const dib &d);
int32_t dibheight(const dib &d);
int32_t dibbits(const dib &d);
// 2 to the power of the bits per pixel; 1 when there is no picture.
int64_t dibcolors(const dib &d);

// Byte offsets of the rows of `di` (row 0 is the top row), shared by `outdi`,
// which always has the same geometry while the table is in use.
extern std::vector<int32_t> rowoffsets;
void RebuildRowOffsets(const dib &di);
void ReleaseRowOffsets();

// A zeroed descriptor: no picture.
inline dib emptydib() { return dib{}; }
