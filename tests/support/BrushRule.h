// The classic brush rule, for comparing the fast stroke painting with: each dab
// of a segment in turn, every pixel of its square tested against the radius,
// through the pixel operations (which skip what lies outside).
#pragma once

#include "Brush.h"
#include "PixelOps.h"

// Returns the picture pixels the dabs covered.
inline PixelRect paintDabByDab(dib &di, dib &outdi, int x1, int y1, int x2, int y2, const BrushAction &a)
{
    const RowTable rows = rowTableOf(di);
    PixelRect changed;
    const int r = a.radius;
    for (const PixelPoint &c : LineDabs(x1, y1, x2, y2))
        for (int px = c.x - r; px <= c.x + r; ++px)
            for (int py = c.y - r; py <= c.y + r; ++py) {
                if ((px - c.x) * (px - c.x) + (py - c.y) * (py - c.y) > r * r)
                    continue;
                if (a.mode == BrushMode::Colourise)
                    DoPix(di, outdi, rows, px, py, a.hue, a.sat, a.bright);
                else if (a.mode == BrushMode::Paint)
                    DoPixMalen(di, outdi, rows, px, py, a.red, a.green, a.blue, a.fest);
                else
                    DoPixDelete(di, outdi, rows, px, py);
                if (px >= 0 && py >= 0 && px < dibwidth(di) && py < dibheight(di))
                    changed = changed.united({px, py, px + 1, py + 1});
            }
    return changed;
}
