#include "PrintLayout.h"

#include <algorithm>
#include <cstdint>

namespace {

// num / den rounded to the nearest integer, halves up; den > 0, num >= 0.
int64_t roundedDiv(int64_t num, int64_t den) { return (2 * num + den) / (2 * den); }

// Places a length inside [start, start + room) of a printable span: centred on
// the paper (length `paper`) when possible, otherwise as close to that as the
// printable span allows.
int place(int length, int paper, int start, int room, bool centred)
{
    if (!centred)
        return start;
    const int wanted = int((int64_t(paper) - length) / 2);
    return std::clamp(wanted, start, start + std::max(0, room - length));
}

} // namespace

QRect printLayout(const QSize &picture, const PageGeometry &page, const PrintChoice &choice)
{
    const int64_t pw = picture.width(), ph = picture.height();
    const int64_t aw = page.printable.width(), ah = page.printable.height();
    if (pw <= 0 || ph <= 0 || aw <= 0 || ah <= 0)
        return QRect();

    // Target box: the whole printable area, or the chosen part of it.
    int64_t bw = aw, bh = ah;
    if (!choice.fullPage) {
        bw = roundedDiv(aw * std::clamp(choice.widthPercent, 1, 100), 100);
        bh = roundedDiv(ah * std::clamp(choice.heightPercent, 1, 100), 100);
    }
    int64_t w = bw, h = bh;
    if (choice.keepAspect) {
        // The smaller scale of bw / pw and bh / ph, compared without division.
        if (bw * ph <= bh * pw)
            h = roundedDiv(bw * ph, pw);
        else
            w = roundedDiv(bh * pw, ph);
    }
    w = std::clamp<int64_t>(w, 1, aw);
    h = std::clamp<int64_t>(h, 1, ah);

    const int x = place(int(w), page.paper.width(), page.printable.left(), int(aw), choice.centred);
    const int y = place(int(h), page.paper.height(), page.printable.top(), int(ah), choice.centred);
    return QRect(x, y, int(w), int(h));
}

int matchingPercent(int percent, bool widthEdited, const QSize &picture, const QSize &printable)
{
    const int64_t pw = picture.width(), ph = picture.height();
    const int64_t aw = printable.width(), ah = printable.height();
    if (pw <= 0 || ph <= 0 || aw <= 0 || ah <= 0)
        return percent;
    // Same scale on both sides: (p / 100 * aw) / pw = (q / 100 * ah) / ph.
    const int64_t other = widthEdited ? roundedDiv(int64_t(percent) * aw * ph, ah * pw)
                                      : roundedDiv(int64_t(percent) * ah * pw, aw * ph);
    return int(std::clamp<int64_t>(other, 1, 100));
}

QRect scaleToPreview(const QRect &rect, const QSize &paper, const QRect &shown)
{
    if (paper.width() <= 0 || paper.height() <= 0 || rect.isEmpty())
        return QRect();
    const auto sx = [&](int64_t v) { return int(roundedDiv(v * shown.width(), paper.width())); };
    const auto sy = [&](int64_t v) { return int(roundedDiv(v * shown.height(), paper.height())); };
    const int left = sx(std::max(0, rect.left())), top = sy(std::max(0, rect.top()));
    const int right = sx(int64_t(rect.left()) + rect.width());
    const int bottom = sy(int64_t(rect.top()) + rect.height());
    // A picture on paper never vanishes from its preview: at least one pixel.
    return QRect(shown.left() + left, shown.top() + top, std::max(1, right - left),
                 std::max(1, bottom - top));
}

QRect previewPaperRect(const QSize &paper, const QRect &box, int margin)
{
    const int64_t bw = std::max(0, box.width() - 2 * margin);
    const int64_t bh = std::max(0, box.height() - 2 * margin);
    if (paper.width() <= 0 || paper.height() <= 0 || bw <= 0 || bh <= 0)
        return QRect();
    int64_t w = bw, h = bh;
    if (bw * paper.height() <= bh * paper.width())
        h = std::max<int64_t>(1, roundedDiv(bw * paper.height(), paper.width()));
    else
        w = std::max<int64_t>(1, roundedDiv(bh * paper.width(), paper.height()));
    return QRect(box.left() + int((box.width() - w) / 2), box.top() + int((box.height() - h) / 2),
                 int(w), int(h));
}
