#include "WindowPlacement.h"

#include <algorithm>

namespace {

// The top strip of the window that must be on a screen: as high as a hand
// needs and up to this wide.
constexpr int kGripHeight = 24;
constexpr int kGripWidth = 100;

bool grippable(const QRect &window, const QRect &screen)
{
    const QRect grip(window.left(), window.top(), window.width(), std::min(window.height(), kGripHeight));
    const QRect seen = screen.intersected(grip);
    return !seen.isEmpty() && seen.height() == grip.height()
        && seen.width() >= std::min(window.width(), kGripWidth);
}

} // namespace

QRect placeOnScreens(const QRect &stored, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return stored;
    for (const QRect &screen : screens)
        if (grippable(stored, screen))
            return stored;
    const QRect &home = screens.first();
    const QSize size = stored.size().boundedTo(home.size());
    return QRect(QPoint(home.left() + (home.width() - size.width()) / 2,
                        home.top() + (home.height() - size.height()) / 2),
                 size);
}

int firstStartHeight(int height, int canvasHeight, int wantedCanvas, int screenHeight)
{
    if (canvasHeight >= wantedCanvas)
        return height;
    return std::max(height, std::min(height + wantedCanvas - canvasHeight, screenHeight));
}
