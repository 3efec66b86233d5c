// The arithmetic of the hue/saturation swatch, with no widgets: its picture, the
// colour under a position of the swatch box and the place of the marker.
//
// The swatch picture is 64 columns of saturation by 256 rows of hue, drawn at
// (kSwatchInset, kSwatchInset) inside its box.
#pragma once

#include "bildkern3.h"

#include <cstdint>

constexpr int32_t kSwatchWidth = 64;
constexpr int32_t kSwatchHeight = 256;
constexpr int32_t kSwatchInset = 4;
constexpr int32_t kMarkerSize = 8;

// Luminances of the dark, middle and light samples; the middle one is the
// swatch's own.
constexpr int kDarkLum = 64;
constexpr int kMiddleLum = 128;
constexpr int kLightLum = 196;

struct HueSat {
    int hue = 0;
    int sat = 0;
    bool operator==(const HueSat &o) const { return hue == o.hue && sat == o.sat; }
};

// The saturation of swatch column `column` (0..63): 0, 4, 8, ..., 250, 255.
int SwatchColumnSaturation(int column);

// The single colour value (red + 256 * green + 65536 * blue) of a hue and a
// saturation at luminance `lum`.
uint32_t HueSatColour(int hue, int sat, int lum);

// Fills `swatch` (64 x 256, 24 bits): pixel (column, row) is hue `row` at the
// saturation of `column` and the middle luminance. False, and nothing written,
// when the picture has no pixel block or not the swatch's size.
bool FillSwatch(const dib &swatch);

// The colour picked at position (x, y) of the swatch box; positions outside the
// swatch give its nearest edge.
HueSat SwatchPick(int x, int y);

// The marker of `colour` in box coordinates: its bounding rectangle's left and
// top; the marker is kMarkerSize wide and high and centred on the swatch pixel
// of the colour, one column left of it where the column saturations skip it.
struct MarkerPlace {
    int left = 0;
    int top = 0;
    bool operator==(const MarkerPlace &o) const { return left == o.left && top == o.top; }
};
MarkerPlace SwatchMarker(const HueSat &colour);
