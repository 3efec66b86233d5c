// The status bar with its progress gauge, and the arithmetic behind the gauge
// and the window caption.
#pragma once

#include "Rect.h"
#include "RowProgress.h"

#include <QStatusBar>
#include <QString>

class QPainter;

// Right end of the filled part of a gauge panel at `position` per cent.
int32_t gaugeSplit(const PixelRect &panel, int32_t position);
// The filled part of a gauge panel at `position` per cent.
PixelRect gaugeFilledRect(const PixelRect &panel, int32_t position);

// The window caption: the base caption and the current file name, with "*" for
// unsaved changes; "unbenannt.jpg" stands in while no file name is known.
QString captionText(const QString &maincap, const QString &afilename, bool changed);

// Two panels: panel 0 (250 pixels, for a message) and panel 1, the progress gauge,
// reaching to the right end of the bar.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kHeight = 19;
    static constexpr int kPanel0Width = 250;

    explicit TStatusBar(QWidget *parent = nullptr);

    // Inner rectangles of the two panels at the bar's present size.
    PixelRect panelRect(int panel) const;

    // The gauge's position in per cent.
    int32_t progress() const { return position; }
    // Moves the gauge and paints it at once: long operations do not return to
    // the event loop until they end. A rising position paints only the filled
    // part; a falling one the whole bar, so the part no longer filled is cleared.
    void setProgress(int32_t percent);
    // The gauge panel where the bar last painted it; empty before the first
    // paint, and until then setProgress paints nothing.
    PixelRect gaugeRect() const { return gaugePanel; }
    // A message in panel 0, cut to the panel's width; the whole text is the
    // bar's tool tip.
    void setText(const QString &text);
    QString text() const { return message; }
    // The gauge as the plain code's progress reports. They arrive once per row
    // and mostly repeat the position shown; as every setProgress paints, only
    // changes are passed on, which shows the same.
    Progress gauge();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawGauge(QPainter &painter, const PixelRect &panel);
    void drawMessage(QPainter &painter, const PixelRect &panel, const QColor &face);

    int32_t position = 0;
    PixelRect gaugePanel;
    QString message;
};
