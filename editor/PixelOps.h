// The pixel operations through which the tools and the whole-picture commands
// change the result picture, as plain functions over the source picture `di`,
// the result picture `outdi` (same width, height and row length) and the row
// table that addresses both (byte offset of each row, top row first).
#pragma once

#include "Picture.h"

#include <cstdint>

// The guard every pixel operation applies: false for an empty table, a negative
// coordinate, or a pixel at or beyond the width or height of `di` (also when the
// table is shorter than `di` or a picture has no pixel memory).
bool PixelAddressable(const dib &di, const dib &outdi, const RowTable &rows, int x, int y);

// Pixel (x, y) of `outdi` := the colour of `hue` and `sat` at the luminance of
// pixel (x, y) of `di`, changed by `bright` (-100..100).
void DoPix(const dib &di, dib &outdi, const RowTable &rows, int x, int y, int hue, int sat,
           int bright);

// Pixel (x, y) of `outdi` := pixel (x, y) of `di`, byte for byte.
void DoPixDelete(const dib &di, dib &outdi, const RowTable &rows, int x, int y);

// Pixel (x, y) of `outdi` := (r, g, b), each stored as a byte; with `fest` the same
// pixel of `di` as well, so later colourising and erasing start from the paint.
void DoPixMalen(dib &di, dib &outdi, const RowTable &rows, int x, int y, int r, int g, int b,
                bool fest);

enum class Cores { One, All };

// DoPix for every pixel of the picture with one colour, byte for byte the same
// result, but through a table of the 256 possible colours computed once (the
// luminances of 16 pixels at a time come from vector instructions where the
// processor has SSSE3), with the rows split over the machine's cores unless
// `cores` is One. Touches nothing when `outdi` does not have the geometry of `di`.
void ColorAll(const dib &di, dib &outdi, const RowTable &rows, int hue, int sat, int bright,
              Cores cores = Cores::All);
