// Where a window stored in an earlier run goes now, without widgets.
#pragma once

#include <QList>
#include <QRect>

// `stored` (the window's client area) stays where it was while one of the
// `screens` (available areas, the primary one first) shows the top of the
// window wide enough to grab it. Otherwise its screen is gone or moved: the
// window is centred on the primary screen and shrunk to fit on it.
QRect placeOnScreens(const QRect &stored, const QList<QRect> &screens);

// The height of a first start's window: the designed `height`, grown by what
// the canvas (`canvasHeight` at that height) lacks of `wantedCanvas`, as far as
// `screenHeight` (the available height, the frame's title bar counted) allows.
int firstStartHeight(int height, int canvasHeight, int wantedCanvas, int screenHeight);
