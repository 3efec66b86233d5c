#include "PaintBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

TPaintBox::TPaintBox(QWidget *parent) : QWidget(parent)
{
    // Moves without a button matter too (the brush outline follows the pointer).
    setMouseTracking(true);
}

void TPaintBox::paintEvent(QPaintEvent *event)
{
    if (!OnPaint)
        return;
    QPainter painter(this);
    OnPaint(painter, event->rect());
}

void TPaintBox::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TPaintBox::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit mouseMove(event->buttons(), event->modifiers(), at.x(), at.y());
}

void TPaintBox::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit mouseUp(event->button(), event->modifiers(), at.x(), at.y());
}

TShape::TShape(QWidget *parent) : QWidget(parent) {}

void TShape::setBrushColor(const QColor &colour)
{
    if (colour == brush)
        return;
    brush = colour;
    update();
}

void TShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(brush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TShape::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), at.x(), at.y());
}
