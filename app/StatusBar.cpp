// The status bar with its progress gauge, and the caption's text.
#include "StatusBar.h"

#include <QFileInfo>
#include <QPainter>
#include <QPaintEvent>
#include <QStyleOption>

namespace {

const QColor kGaugeColour(0, 0, 128);

} // namespace

int32_t gaugeSplit(const PixelRect &panel, int32_t position)
{
    return panel.left + (panel.right - panel.left) * position / 100;
}

PixelRect gaugeFilledRect(const PixelRect &panel, int32_t position)
{
    return PixelRect{panel.left, panel.top, gaugeSplit(panel, position), panel.bottom};
}

QString captionText(const QString &maincap, const QString &afilename, bool changed)
{
    const QString name = afilename.isEmpty() ? QStringLiteral("unbenannt.jpg")
                                             : QFileInfo(afilename).fileName();
    return maincap + QStringLiteral(" - [") + name + (changed ? QStringLiteral("*]") : QStringLiteral("]"));
}

TStatusBar::TStatusBar(QWidget *parent) : QStatusBar(parent)
{
    setFixedHeight(kHeight);
    setSizeGripEnabled(false);
}

PixelRect TStatusBar::panelRect(int panel) const
{
    // Each panel sits in a one-pixel sunken frame, two pixels below the bar's top.
    const int top = 3;
    const int bottom = height() - 1;
    if (panel == 0)
        return PixelRect{1, top, kPanel0Width - 1, bottom};
    return PixelRect{kPanel0Width + 3, top, width() - 1, bottom};
}

void TStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    for (int panel = 0; panel < 2; ++panel) {
        const PixelRect inner = panelRect(panel);
        const QRect frame = toQRect(inner).adjusted(-1, -1, 1, 1);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(frame.topLeft(), frame.topRight());
        painter.drawLine(frame.topLeft(), frame.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(frame.bottomLeft(), frame.bottomRight());
        painter.drawLine(frame.topRight(), frame.bottomRight());
        if (panel == 1)
            drawGauge(painter, inner);
        else
            drawMessage(painter, inner, face);
    }
}

void TStatusBar::setText(const QString &text)
{
    message = text;
    setToolTip(text);
    update(toQRect(panelRect(0)));
}

void TStatusBar::drawMessage(QPainter &painter, const PixelRect &panel, const QColor &face)
{
    const QRect area = toQRect(panel);
    painter.fillRect(area, face);
    if (message.isEmpty())
        return;
    const QRect textArea = area.adjusted(2, 0, -2, 0);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(message, Qt::ElideRight, textArea.width()));
}

void TStatusBar::drawGauge(QPainter &painter, const PixelRect &panel)
{
    const PixelRect filled = gaugeFilledRect(panel, position);
    painter.fillRect(toQRect(filled), kGaugeColour);
    const PixelRect rest{filled.right, panel.top, panel.right, panel.bottom};
    painter.fillRect(toQRect(rest), palette().color(QPalette::Button));
    gaugePanel = panel;
}

Progress TStatusBar::gauge()
{
    return [this](int32_t percent) {
        if (percent != position)
            setProgress(percent);
    };
}

void TStatusBar::setProgress(int32_t percent)
{
    const bool falling = percent < position;
    position = percent;
    if (falling) {
        repaint();
        return;
    }
    if (gaugePanel.isEmpty())
        return;
    const PixelRect filled = gaugeFilledRect(gaugePanel, position);
    if (!filled.isEmpty())
        repaint(toQRect(filled));
}
