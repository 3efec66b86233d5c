#include "Glyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

constexpr int kSize = 32;

QPolygonF arrow(qreal angleDeg)
{
    // An arrow pointing right, turned about the glyph's centre.
    QPolygonF poly({{6, 13}, {17, 13}, {17, 7}, {27, 16}, {17, 25}, {17, 19}, {6, 19}});
    QTransform t;
    t.translate(16, 16).rotate(angleDeg).translate(-16, -16);
    return t.map(poly);
}

void drawFolder(QPainter &p)
{
    p.setPen(QPen(QColor(150, 110, 20), 1.5));
    p.setBrush(QColor(240, 200, 80));
    p.drawPolygon(QPolygonF({{3, 8}, {12, 8}, {15, 11}, {28, 11}, {28, 26}, {3, 26}}));
    p.setBrush(QColor(255, 225, 120));
    p.drawPolygon(QPolygonF({{6, 15}, {31, 15}, {27, 26}, {3, 26}}));
}

void drawDisk(QPainter &p)
{
    p.setPen(QPen(QColor(20, 40, 90), 1.5));
    p.setBrush(QColor(50, 90, 170));
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(8, 17, 16, 11));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.drawLine(QPointF(11, 21), QPointF(21, 21));
    p.drawLine(QPointF(11, 24), QPointF(21, 24));
}

void drawPencil(QPainter &p, const QPointF &tip, qreal length)
{
    p.save();
    p.translate(tip);
    p.rotate(-45);
    p.setPen(QPen(QColor(60, 40, 20), 1));
    p.setBrush(QColor(240, 170, 40));
    p.drawRect(QRectF(5, -3, length - 5, 6));
    p.setBrush(QColor(240, 210, 170));
    p.drawPolygon(QPolygonF({{0, 0}, {5, -3}, {5, 3}}));
    p.restore();
}

void drawBrush(QPainter &p)
{
    p.save();
    p.translate(16, 16);
    p.rotate(45);
    p.setPen(QPen(QColor(70, 40, 10), 1));
    p.setBrush(QColor(150, 90, 40));
    p.drawRoundedRect(QRectF(-2.5, -14, 5, 15), 2, 2);
    p.setBrush(QColor(190, 190, 200));
    p.drawRect(QRectF(-3.5, 1, 7, 4));
    QPainterPath tipPath;
    tipPath.moveTo(-3.5, 5);
    tipPath.lineTo(3.5, 5);
    tipPath.quadTo(3, 11, 0, 15);
    tipPath.quadTo(-3, 11, -3.5, 5);
    p.setBrush(QColor(200, 40, 60));
    p.drawPath(tipPath);
    p.restore();
}

void drawGlyph(QPainter &p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::Open:
    case Glyph::TabLoad:
        drawFolder(p);
        break;
    case Glyph::Save:
        drawDisk(p);
        break;
    case Glyph::SaveAs:
        drawDisk(p);
        drawPencil(p, QPointF(14, 30), 20);
        break;
    case Glyph::Previous:
    case Glyph::Next:
        p.setPen(QPen(QColor(20, 90, 30), 1.5));
        p.setBrush(QColor(60, 170, 70));
        p.drawPolygon(arrow(glyph == Glyph::Next ? 0 : 180));
        break;
    case Glyph::ArrowUp:
    case Glyph::ArrowDown:
    case Glyph::ArrowLeft:
    case Glyph::ArrowRight: {
        const qreal angle = glyph == Glyph::ArrowRight ? 0
                            : glyph == Glyph::ArrowDown ? 90
                            : glyph == Glyph::ArrowLeft ? 180
                                                        : 270;
        p.setPen(QPen(QColor(30, 50, 110), 1.5));
        p.setBrush(QColor(80, 120, 210));
        p.drawPolygon(arrow(angle));
        break;
    }
    case Glyph::Undo:
    case Glyph::Redo: {
        // A curved arrow turning back (undo) or forward (redo), mirrored.
        if (glyph == Glyph::Redo) {
            p.translate(32, 0);
            p.scale(-1, 1);
        }
        QPainterPath curve;
        curve.moveTo(9, 13);
        curve.cubicTo(QPointF(15, 6), QPointF(28, 8), QPointF(26, 19));
        curve.cubicTo(QPointF(25, 24), QPointF(20, 26), QPointF(15, 26));
        p.setPen(QPen(QColor(30, 50, 110), 3.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
        p.setPen(QPen(QColor(30, 50, 110), 1.5));
        p.setBrush(QColor(80, 120, 210));
        p.drawPolygon(QPolygonF(QVector<QPointF>{{3, 7}, {14, 7}, {5, 18}}));
        break;
    }
    case Glyph::Fit:
        // Four corners pointing inward around a frame.
        p.setPen(QPen(QColor(30, 50, 110), 2));
        p.setBrush(QColor(200, 215, 240));
        p.drawRect(QRectF(9, 9, 14, 14));
        p.setPen(QPen(QColor(30, 50, 110), 3, Qt::SolidLine, Qt::RoundCap));
        for (const QPointF &corner : {QPointF(3, 3), QPointF(29, 3), QPointF(3, 29), QPointF(29, 29)}) {
            const QPointF inward((corner.x() < 16 ? 4 : -4), (corner.y() < 16 ? 4 : -4));
            p.drawLine(corner, corner + inward);
        }
        break;
    case Glyph::ListUp:
    case Glyph::ListDown:
        p.setPen(QPen(QColor(30, 50, 110), 1.5));
        p.setBrush(QColor(80, 120, 210));
        p.drawPolygon(QPolygonF(glyph == Glyph::ListUp
                                    ? QVector<QPointF>{{16, 6}, {27, 22}, {5, 22}}
                                    : QVector<QPointF>{{5, 10}, {27, 10}, {16, 26}}));
        break;
    case Glyph::Web: {
        QRadialGradient g(QPointF(12, 11), 16);
        g.setColorAt(0, QColor(150, 200, 255));
        g.setColorAt(1, QColor(30, 90, 180));
        p.setPen(QPen(QColor(20, 50, 110), 1.5));
        p.setBrush(g);
        p.drawEllipse(QRectF(4, 4, 24, 24));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(230, 240, 255), 1));
        p.drawEllipse(QRectF(11, 4, 10, 24));
        p.drawLine(QPointF(4, 16), QPointF(28, 16));
        p.drawLine(QPointF(6, 10), QPointF(26, 10));
        p.drawLine(QPointF(6, 22), QPointF(26, 22));
        break;
    }
    case Glyph::TabColour:
    case Glyph::Brush:
        drawBrush(p);
        break;
    case Glyph::TabResult: {
        p.setPen(QPen(QColor(90, 60, 30), 2));
        p.setBrush(QColor(250, 245, 230));
        p.drawRect(QRectF(4, 6, 24, 20));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 170, 60));
        p.drawEllipse(QRectF(18, 9, 6, 6));
        p.setBrush(QColor(70, 140, 80));
        p.drawPolygon(QPolygonF({{6, 24}, {13, 13}, {19, 20}, {22, 17}, {26, 24}}));
        break;
    }
    case Glyph::Grey: {
        QLinearGradient g(4, 0, 28, 0);
        g.setColorAt(0, Qt::black);
        g.setColorAt(1, Qt::white);
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(g);
        p.drawRect(QRectF(4, 6, 24, 20));
        break;
    }
    case Glyph::Soften: {
        QRadialGradient g(QPointF(16, 16), 13);
        g.setColorAt(0, QColor(60, 90, 160));
        g.setColorAt(0.5, QColor(120, 150, 210, 200));
        g.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        break;
    }
    case Glyph::ColourAll: {
        QLinearGradient g(4, 4, 28, 28);
        g.setColorAt(0, QColor(230, 60, 60));
        g.setColorAt(0.5, QColor(240, 220, 60));
        g.setColorAt(1, QColor(60, 120, 230));
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(g);
        p.drawRect(QRectF(4, 6, 24, 20));
        break;
    }
    case Glyph::Print:
        p.setPen(QPen(QColor(50, 50, 50), 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 4, 14, 10));
        p.setBrush(QColor(170, 170, 180));
        p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(9, 19, 14, 9));
        break;
    case Glyph::Eraser:
        p.save();
        p.translate(16, 17);
        p.rotate(-35);
        p.setPen(QPen(QColor(90, 40, 60), 1.5));
        p.setBrush(QColor(240, 150, 170));
        p.drawRect(QRectF(-12, -6, 14, 12));
        p.setBrush(QColor(90, 120, 200));
        p.drawRect(QRectF(2, -6, 10, 12));
        p.restore();
        break;
    case Glyph::Pipette:
        p.save();
        p.translate(16, 16);
        p.rotate(45);
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.setBrush(QColor(60, 60, 60));
        p.drawRoundedRect(QRectF(-4, -14, 8, 8), 3, 3);
        p.setBrush(QColor(210, 230, 250));
        p.drawRect(QRectF(-2.5, -6, 5, 14));
        p.drawPolygon(QPolygonF({{-2.5, 8}, {2.5, 8}, {0, 14}}));
        p.restore();
        break;
    case Glyph::Line:
        p.setPen(QPen(QColor(30, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 26), QPointF(26, 6));
        break;
    case Glyph::ListAdd:
        p.setPen(QPen(QColor(20, 120, 40), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 7), QPointF(16, 25));
        p.drawLine(QPointF(7, 16), QPointF(25, 16));
        break;
    case Glyph::ListChange:
        drawPencil(p, QPointF(6, 26), 26);
        break;
    case Glyph::ListDelete:
        p.setPen(QPen(QColor(190, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(24, 24));
        p.drawLine(QPointF(24, 8), QPointF(8, 24));
        break;
    }
}

} // namespace

QIcon glyphIcon(Glyph glyph)
{
    QIcon icon;
    for (const qreal scale : {1.0, 2.0}) {
        QPixmap pixmap(QSize(kSize, kSize) * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        drawGlyph(p, glyph);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap imageButtonPicture(const QString &caption, bool pressed)
{
    QPixmap pixmap(101, 30);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 30);
    g.setColorAt(0, pressed ? QColor(170, 110, 60) : QColor(250, 220, 185));
    g.setColorAt(1, pressed ? QColor(220, 170, 120) : QColor(210, 150, 95));
    p.setPen(QPen(QColor(120, 70, 30), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 100, 29), 8, 8);
    QFont font = p.font();
    font.setBold(true);
    p.setFont(font);
    p.setPen(pressed ? Qt::white : QColor(70, 35, 10));
    const QRect text = pressed ? QRect(1, 1, 101, 30) : QRect(0, 0, 101, 30);
    p.drawText(text, Qt::AlignCenter, caption);
    return pixmap;
}

QPixmap programPicture(const QSize &size)
{
    // A grey landscape photograph, partly hand-tinted: what the program does.
    QPixmap pixmap(size);
    const qreal w = size.width();
    const qreal h = size.height();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(90, 90, 90));
    sky.setColorAt(1, QColor(220, 220, 220));
    p.fillRect(QRectF(0, 0, w, h), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 120, 120));
    p.drawEllipse(QPointF(w * 0.25, h * 1.1), w * 0.6, h * 0.55);
    p.setBrush(QColor(160, 160, 160));
    p.drawEllipse(QPointF(w * 0.85, h * 1.15), w * 0.55, h * 0.5);
    // The tinted half: the same shapes in colour, clipped to the right.
    p.setClipRect(QRectF(w * 0.5, 0, w * 0.5, h));
    QLinearGradient tinted(0, 0, 0, h);
    tinted.setColorAt(0, QColor(40, 80, 150));
    tinted.setColorAt(1, QColor(200, 220, 245));
    p.fillRect(QRectF(0, 0, w, h), tinted);
    p.setBrush(QColor(60, 130, 60));
    p.drawEllipse(QPointF(w * 0.25, h * 1.1), w * 0.6, h * 0.55);
    p.setBrush(QColor(110, 170, 80));
    p.drawEllipse(QPointF(w * 0.85, h * 1.15), w * 0.55, h * 0.5);
    p.setBrush(QColor(250, 200, 60));
    p.drawEllipse(QPointF(w * 0.78, h * 0.25), w * 0.07, w * 0.07);
    p.setClipping(false);
    // The brush stroke between them.
    p.setPen(QPen(QColor(255, 255, 255, 180), qMax(2.0, w / 60), Qt::DashLine));
    p.drawLine(QPointF(w * 0.5, 0), QPointF(w * 0.5, h));
    return pixmap;
}
