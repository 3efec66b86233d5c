// Moving the colour layer of the result picture: hue and saturation move by n
// pixels, every pixel keeps the HSL luminance of the source picture at its own
// place, and the edge the colour moved away from turns grey.
#pragma once

#include "PixelOps.h"

enum class ShiftDirection { Up, Down, Left, Right };

// Shifts the colour of `outdi` (same geometry as `di`, both addressed through
// `rows`, top row first) by `n` pixels in `direction`, in place:
//   result(t) := HSLToRGB(hue and saturation of the old result at t moved back
//                by n, luminance of RGBToHSL of di at t)  where that pixel exists,
//   result(p) := HSLToRGB(0, 0, luminance of RGBToHSL of the old result at p)
//                on the n rows or columns at the edge the colour left.
// A distance at or beyond the picture's size turns the whole result grey; 0
// sends every pixel through the two conversions in place. A negative distance,
// or pictures of different geometry, change nothing. Each byte is the one the
// pixel-by-pixel rule gives; the rows or columns may be shared out over the cores.
void ShiftColourLayer(const dib &di, dib &outdi, const RowTable &rows, ShiftDirection direction,
                      int n, Cores cores = Cores::All);
