// The status bar with its progress gauge, and the arithmetic behind the gauge
// and the window caption.
#pragma once

#include "Rect.h"

#include <QStatusBar>
#include <QString>
#include <functional>

class QPainter;

// Right end of the filled part of a gauge panel at `position` per cent.
int32_t gaugeSplit(const PixelRect &panel, int32_t position);
// The filled part of a gauge panel at `position` per cent.
PixelRect gaugeFilledRect(const PixelRect &panel, int32_t position);

// The window caption: the base caption and the current file name, with "*" for
// unsaved changes; "unbenannt.jpg" stands in while no file name is known.
QString captionText(const QString &maincap, const QString &afilename, bool changed);

// Two panels: panel 0 (250 pixels, empty) and panel 1, owner-drawn, reaching to
// the right end of the bar.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kHeight = 19;
    static constexpr int kPanel0Width = 250;

    explicit TStatusBar(QWidget *parent = nullptr);

    // Inner rectangles of the two panels at the bar's present size.
    PixelRect panelRect(int panel) const;

    // Owner-draw of panel 1, run from every paint of the bar.
    std::function<void(QPainter &, const PixelRect &)> OnDrawPanel;

protected:
    void paintEvent(QPaintEvent *event) override;
};
