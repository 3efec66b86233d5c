// The work canvas: a paint box whose owner paints the picture, with the brush
// outline and the line tool's rubber band drawn inverted over it.
#pragma once

#include "PaintBox.h"
#include "Rect.h"

#include <QLine>
#include <optional>

// The overlay is drawn after the picture by the paint that showOverlay asks
// for; like every redraw, any later paint that reaches it takes it off.
class TCanvasBox : public TPaintBox {
    Q_OBJECT
public:
    explicit TCanvasBox(QWidget *parent = nullptr);

    // Replaces the overlay by the outline filling `outline` and, for the line
    // tool, the rubber band `band` (canvas pixels), drawn by the next paint that
    // reaches them.
    void showOverlay(const PixelRect &outline, const std::optional<QLine> &band = std::nullopt);
    // Takes the outline and the rubber band off the canvas.
    void removeOverlay();

    PixelRect outline() const { return outlineRect; }
    std::optional<QLine> band() const { return rubberBand; }
    // An outline is on the screen (the classic havetodel): set by the paint that
    // draws it, cleared by any other. A page change forgets it, since the
    // canvas is drawn afresh when its page returns.
    bool outlineOnScreen() const { return onScreen; }
    void setOutlineOnScreen(bool shown) { onScreen = shown; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect outlineArea() const;
    QRect bandArea() const;
    void takeOutlineOff(const QRect &exposed);
    void drawRequestedOverlay(QPainter &painter, const QRect &exposed);
    void drawOverlay(QPainter &painter) const;

    PixelRect outlineRect;
    std::optional<QLine> rubberBand;
    bool onScreen = false;
    // The overlay is asked for and not yet drawn wherever it lies on the canvas.
    bool pending = false;
};
