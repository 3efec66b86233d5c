// The geometry of the canvas tools as plain functions: canvas and picture
// coordinates at a zoom, the round brush, the order of the dabs along a stroke
// segment, and the painting of a segment into the result picture.
#pragma once

#include "PixelOps.h"
#include "PixelRect.h"

#include <algorithm>
#include <functional>
#include <vector>

struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint &o) const { return x == o.x && y == o.y; }
};

// A canvas coordinate shown at `zoom` per cent as a picture coordinate: divided by
// the zoom first, then multiplied by 100, in floating point, cut toward zero. The
// order matters: at zoom 10 the canvas column 23 is picture column 229, not 230.
int CanvasToPicture(int canvas, double zoom);

// The canvas pixels that show the picture pixels of `r` at `zoom` per cent,
// rounded outward, so a repaint of the result covers every canvas pixel whose
// picture pixel lies in `r`.
PixelRect PictureToCanvas(const PixelRect &r, double zoom);

// The bounding rectangle of the brush outline around canvas point (x, y): the
// radius in picture pixels times the zoom, on each side, every edge cut toward zero.
PixelRect OutlineRect(int x, int y, int radius, double zoom);

// Where the line tool's line ends when it starts at `start` and the pointer is
// at `pointer`: Shift keeps it horizontal, otherwise Ctrl keeps it vertical.
PixelPoint LineToolEnd(PixelPoint start, PixelPoint pointer, bool shift, bool ctrl);

// The dab centres of a stroke segment from (x1, y1) to (x2, y2), first to last:
// one per step along the longer axis (x when the spans are equal), the shorter
// coordinate stepping by the classic integer line rule. A line drawn against
// its axis is computed from its other end and mirrored through its middle, so
// its dabs still run from (x1, y1) to (x2, y2).
std::vector<PixelPoint> LineDabs(int x1, int y1, int x2, int y2);

// The round brush of `radius`: entry dy + radius is the largest dx with
// dx² + dy² <= radius², for dy from -radius to radius. Empty for a negative radius.
std::vector<int> DiscHalfWidths(int radius);

enum class BrushMode {
    Colourise, // DoPix with hue, saturation and brightness
    Paint,     // DoPixMalen with the flat colour, into the source as well when `fest`
    Erase,     // DoPixDelete
};

struct BrushAction {
    BrushMode mode = BrushMode::Colourise;
    int radius = 10;
    int hue = 0;
    int sat = 0;
    int bright = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
    bool fest = false;
};

// Applies `action` to every picture pixel within the brush radius of any dab of
// LineDabs(x1, y1, x2, y2), and returns the rectangle of picture pixels it
// changed (empty when the segment misses the picture). Every pixel is treated
// once however many dabs cover it; since each pixel operation depends only on
// the source pixel and the action, the result is byte for byte that of treating
// every dab in turn. Does nothing when the pictures differ in geometry.
PixelRect PaintBrushLine(dib &di, dib &outdi, const RowTable &rows, int x1, int y1, int x2, int y2,
                         const BrushAction &action);

// Calls `reach` with the square of 2 * radius + 1 pixels around each dab of the
// segment that PaintBrushLine would paint on a picture of `width` x `height`,
// clipped to it; dabs that miss the picture are skipped. Whatever the segment
// changes lies in these squares.
template <class Reach>
void ForEachDabSquare(int x1, int y1, int x2, int y2, int radius, int width, int height, Reach reach);

// Hue and saturation of pixel (x, y) of `picture` (24 bits), false outside it.
bool PickColour(const dib &picture, int x, int y, int &hue, int &sat);

// The dab centres of PaintBrushLine's segment, its coordinates limited as there.
void ForEachBrushDab(int x1, int y1, int x2, int y2, const std::function<void(int, int)> &dab);

template <class Reach>
void ForEachDabSquare(int x1, int y1, int x2, int y2, int radius, int width, int height, Reach reach)
{
    if (radius < 0)
        return;
    ForEachBrushDab(x1, y1, x2, y2, [&](int x, int y) {
        const PixelRect square{std::max(x - radius, 0), std::max(y - radius, 0),
                               std::min(x + radius + 1, width), std::min(y + radius + 1, height)};
        if (!square.isEmpty())
            reach(square);
    });
}
