// Drawing pictures: DrawDib puts any rectangle of a `dib` onto a QPainter at any
// size. 24-bit pictures on screens of more than 8 bits are scaled here (nearest
// neighbour, StretchDib24); on screens of 8 bits or fewer the imaging library
// halftones them first. Other depths and printers go through the device's own
// stretching, with two fallbacks. Only the part of the destination being painted
// (the painter's clip) is computed, and no scaled copy of a whole picture is made.
#pragma once

#include "Picture.h"
#include "DibDevice.h"

#include <QString>
#include <cstdint>
#include <functional>

class QPainter;

// Receives the drawing failures of the device path ("Could not create bitmap.", ...).
// Without one they go to the warning log.
using DrawDibReport = std::function<void(const QString &text)>;

// Draws the source rectangle (xs, ys, sw, sh) of `picture`, ys counted from the
// picture's bottom row, into the destination rectangle (xd, yd, dw, dh) of `dc`.
// `rop` applies to the device's stretching; the line scalers always copy.
void DrawDib(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
             int32_t xs, int32_t ys, int32_t sw, int32_t sh, bool halftone, uint32_t rop,
             const DrawDibReport &report = DrawDibReport());

// The line scalers for 24- and 8-bit pictures; `top` is the source rectangle's top
// row counted from the top. Destination pixels whose source lies outside the
// picture are black.
void StretchDib24(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
                  int32_t xs, int32_t top, int32_t sw, int32_t sh);
void StretchDib8(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const dib &picture,
                 int32_t xs, int32_t top, int32_t sw, int32_t sh);

// The display's bits per pixel (of the primary screen), or the forced value.
int ScreenBitCount();
// Forces the value ScreenBitCount returns, so tests reach the halftone path; 0
// returns to the screen's own depth.
void OverrideScreenBitCount(int bits);
