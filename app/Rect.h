// Rectangles of pixels between the program's code and Qt: the program keeps
// them as PixelRect (right and bottom just outside), Qt paints and repaints QRect.
#pragma once

#include "PixelRect.h"

#include <QRect>

inline QRect toQRect(const PixelRect &r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

inline PixelRect toPixelRect(const QRect &r)
{
    return PixelRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
