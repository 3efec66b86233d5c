// A rectangle of pixels as the classic four integers: an area of a picture, of
// the canvas or of a control. Right and bottom lie just outside the rectangle,
// so width = right - left.
#pragma once

#include <algorithm>

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool isEmpty() const { return right <= left || bottom <= top; }
    // The smallest rectangle holding both; an empty one adds nothing.
    PixelRect united(const PixelRect &o) const
    {
        if (o.isEmpty())
            return *this;
        if (isEmpty())
            return o;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
                std::max(bottom, o.bottom)};
    }
    bool operator==(const PixelRect &o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const PixelRect &o) const { return !(*this == o); }
};
