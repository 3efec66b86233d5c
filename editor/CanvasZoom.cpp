#include "CanvasZoom.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

int NextZoomStep(int zoom, int direction)
{
    if (direction > 0) {
        for (const int step : kZoomSteps)
            if (step > zoom)
                return step;
        return kZoomSteps.back();
    }
    for (auto step = kZoomSteps.rbegin(); step != kZoomSteps.rend(); ++step)
        if (*step < zoom)
            return *step;
    return kZoomSteps.front();
}

int FitZoom(int width, int height, int viewWidth, int viewHeight)
{
    const int lowest = kZoomSteps.front(), highest = kZoomSteps.back();
    if (width <= 0 || height <= 0 || viewWidth <= 0 || viewHeight <= 0)
        return lowest;
    // Canvas size = trunc(size * zoom / 100): it fits while size * zoom < (view + 1) * 100.
    const auto largest = [](int size, int view) {
        return int(std::min<int64_t>((int64_t(view) * 100 + 99) / size, INT32_MAX));
    };
    return std::clamp(std::min(largest(width, viewWidth), largest(height, viewHeight)), lowest, highest);
}

int AnchoredScroll(int scroll, int pointer, int from, int to)
{
    if (from <= 0 || to <= 0)
        return scroll;
    const double picturePoint = double(scroll + pointer) * 100.0 / from;
    return int(std::lround(picturePoint * to / 100.0)) - pointer;
}
