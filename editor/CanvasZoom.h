// The zoom of the work canvas as plain arithmetic: the steps of the wheel and
// the keys, the zoom that fits a picture into the view, and the scroll position
// that keeps a picture point under the pointer while the zoom changes.
#pragma once

#include <array>

// The zoom steps in per cent, smallest first.
constexpr std::array<int, 12> kZoomSteps{10, 25, 50, 75, 100, 150, 200, 300, 400, 600, 800, 1000};

// The next step above `zoom` (direction > 0) or below it (direction < 0); at
// either end the end step.
int NextZoomStep(int zoom, int direction);

// The largest zoom, in whole per cent within 10..1000, at which a picture of
// `width` x `height` shows whole in a view of `viewWidth` x `viewHeight` (the
// canvas is the picture's size times the zoom, cut toward zero).
int FitZoom(int width, int height, int viewWidth, int viewHeight);

// The scroll position after a zoom change from `from` to `to` per cent that keeps
// the picture point under view pixel `pointer` where it is; `scroll` is the
// position before. The caller's scroll bar keeps it within its range.
int AnchoredScroll(int scroll, int pointer, int from, int to);
