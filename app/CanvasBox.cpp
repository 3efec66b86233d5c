#include "CanvasBox.h"

#include <QPainter>
#include <QPaintEvent>

namespace {

// The canvas pixels a drawn rectangle or line may touch, with room for the pen.
QRect withPen(const QRect &r) { return r.normalized().adjusted(-2, -2, 2, 2); }

} // namespace

TCanvasBox::TCanvasBox(QWidget *parent) : TPaintBox(parent) {}

QRect TCanvasBox::outlineArea() const { return withPen(toQRect(outlineRect)); }

QRect TCanvasBox::bandArea() const
{
    return rubberBand ? withPen(QRect(rubberBand->p1(), rubberBand->p2())) : QRect();
}

void TCanvasBox::showOverlay(const PixelRect &outline, const std::optional<QLine> &band)
{
    removeOverlay();
    outlineRect = outline;
    rubberBand = band;
    pending = true;
    update(outlineArea());
    if (rubberBand)
        update(bandArea());
}

void TCanvasBox::removeOverlay()
{
    // The band is repainted whenever it was drawn: a paint that reached only
    // part of it left the rest.
    if (onScreen || pending)
        update(outlineArea());
    if (rubberBand)
        update(bandArea());
    onScreen = false;
    pending = false;
    rubberBand.reset();
}

void TCanvasBox::paintEvent(QPaintEvent *event)
{
    const QRect exposed = event->rect();
    takeOutlineOff(exposed);
    QPainter painter(this);
    if (OnPaint)
        OnPaint(painter, exposed);
    drawRequestedOverlay(painter, exposed);
}

void TCanvasBox::takeOutlineOff(const QRect &exposed)
{
    // The outline was inverted onto the canvas. Drawing the picture afresh
    // takes it off where this paint reaches; the rest of it is repainted next.
    if (onScreen && !exposed.contains(outlineArea()))
        update(outlineArea());
    onScreen = false;
}

void TCanvasBox::drawRequestedOverlay(QPainter &painter, const QRect &exposed)
{
    if (!pending)
        return;
    painter.setClipRect(exposed);
    drawOverlay(painter);
    onScreen = true;
    // The request stays until a paint has reached all of the overlay that lies
    // on the canvas.
    const QRect onCanvas = (outlineArea() | bandArea()) & rect();
    if (onCanvas.isEmpty() || exposed.contains(onCanvas))
        pending = false;
}

void TCanvasBox::drawOverlay(QPainter &painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::black, 0)); // cosmetic, one pixel at any transform
    painter.setBrush(Qt::NoBrush);
    // The outline fills its rectangle up to, not including, the right and bottom edges.
    const QRect outline = toQRect(outlineRect).normalized();
    if (outline.width() > 1 && outline.height() > 1)
        painter.drawEllipse(outline.adjusted(0, 0, -1, -1));
    else
        painter.drawPoint(outline.topLeft());
    if (rubberBand)
        painter.drawLine(*rubberBand);
    painter.restore();
}
