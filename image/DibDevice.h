// The device calls that DrawDib stands on, with a QPainter as the device:
// stretching DIB rows onto it, setting them 1:1, a device bitmap and a stretched
// copy from it. On screens (any painter that is not a printer) they compute and
// draw only the part of the destination being painted: the painter's clip, or
// all of its window when there is none.
#pragma once

#include "bildkern3.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRgb>
#include <array>
#include <cstdint>

// Raster operations of the stretch calls, with their classic values.
constexpr uint32_t SRCCOPY = 0x00CC0020u;
constexpr uint32_t SRCPAINT = 0x00EE0086u;
constexpr uint32_t SRCAND = 0x008800C6u;
constexpr uint32_t SRCINVERT = 0x00660046u;
constexpr uint32_t NOTSRCCOPY = 0x00330008u;
constexpr uint32_t DSTINVERT = 0x00550009u;

namespace dibdevice {

constexpr int GDI_ERROR = -1;

// A printer or a PDF file: such devices get pictures at their own resolution and
// scale them themselves, and they know no raster operations but the copy.
bool isPrinter(const QPainter &dc);
// Whether the device takes DIB rows at all: only while the painter is active.
bool takesDibs(const QPainter &dc);
// The part of the painter's surface being painted, in its logical coordinates.
QRect paintedRect(const QPainter &dc);

// Pixels as the scalers read them, rows counted from the top.
struct PixelRows {
    // Words32: the device's own bitmaps, one native RGB32 word a pixel.
    enum class Layout { Bits1, Bits4, Bits8, Bits16, Bits24, Bits32, Words32 };
    Layout layout = Layout::Bits24;
    const uint8_t *base = nullptr; // the row stored first
    int64_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool bottomUp = true;
    std::array<QRgb, 256> table{}; // colours of palette pictures, opaque black past the table

    const uint8_t *row(int32_t y) const
    {
        return base + (bottomUp ? int64_t(height) - 1 - y : int64_t(y)) * stride;
    }
};

// The pixels of a DIB given as bitmap info and bits, as the device understands
// them: uncompressed, 1, 4, 8, 16 (5-5-5), 24 or 32 bits. False for anything else.
bool describeDib(const BITMAPINFO *info, const void *bits, PixelRows &rows);
// The same for a picture record, with its own row length.
bool describeDib(const dib &picture, PixelRows &rows);

// What happens to destination pixels whose source lies outside the picture.
enum class Outside { Black, Untouched };

// Draws the destination (xd, yd, dw, dh) from the source rectangle whose left
// column is xs and top row is top (counted from the top): destination column i
// shows source column xs + sw * i div dw, destination row j source row
// top + sh * j div dh. Only the painted part is computed, one row at a time; a
// row is converted only when its source row differs from the previous one.
void scaleRows(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const PixelRows &src,
               int32_t xs, int32_t top, int32_t sw, int32_t sh, Outside outside,
               QPainter::CompositionMode mode);

// Draws the source rectangle (xs, ys, sw, sh) of a DIB, ys counted from the bottom
// row, into the destination rectangle, nearest neighbour. Destination pixels whose
// source lies outside the DIB are left alone. Returns the number of source rows,
// 0 when there is nothing to draw, or GDI_ERROR when the device cannot take the
// DIB or the raster operation.
int stretchDIBits(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, int32_t xs,
                  int32_t ys, int32_t sw, int32_t sh, const void *bits, const BITMAPINFO *info,
                  uint32_t rop);
// Copies a whole DIB of w x h pixels 1:1 to (xd, yd). Returns the number of rows
// set, 0 on failure.
int setDIBitsToDevice(QPainter &dc, int32_t xd, int32_t yd, int32_t w, int32_t h, const void *bits,
                      const BITMAPINFO *info);
// A bitmap of the device's own kind; null when the device is not ready or the
// size cannot be had.
QImage createCompatibleBitmap(const QPainter &dc, int32_t w, int32_t h);
// Converts a whole DIB into the bitmap (same size). Returns the number of rows, 0
// when the DIB's format cannot be converted.
int setDIBits(QImage &bitmap, const void *bits, const BITMAPINFO *info);
// Stretches (xs, ys, sw, sh) of the bitmap (rows counted from the top, as in any
// device bitmap) into the destination. False when the device cannot do it.
bool stretchBlt(QPainter &dc, int32_t xd, int32_t yd, int32_t dw, int32_t dh, const QImage &bitmap,
                int32_t xs, int32_t ys, int32_t sw, int32_t sh, uint32_t rop);

} // namespace dibdevice
