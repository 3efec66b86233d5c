// Where a window stored in an earlier run goes now, without widgets.
#pragma once

#include <QList>
#include <QRect>

// `stored` (the window's client area) stays where it was while one of the
// `screens` (available areas, the primary one first) shows the top of the
// window wide enough to grab it. Otherwise its screen is gone or moved: the
// window is centred on the primary screen and shrunk to fit on it.
QRect placeOnScreens(const QRect &stored, const QList<QRect> &screens);
