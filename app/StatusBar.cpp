// The status bar with its progress gauge, and the caption's unsaved-changes marker.
#include "StatusBar.h"

#include "MainUnit.h"

#include <QFileInfo>
#include <QPainter>
#include <QPaintEvent>
#include <QStyleOption>

namespace {

const QColor kGaugeColour(0, 0, 128);

} // namespace

int32_t gaugeSplit(const TRect &panel, int32_t position)
{
    return panel.left + (panel.right - panel.left) * position / 100;
}

TRect gaugeFilledRect(const TRect &panel, int32_t position)
{
    return TRect{panel.left, panel.top, gaugeSplit(panel, position), panel.bottom};
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

TRect TStatusBar::panelRect(int panel) const
{
    // Each panel sits in a one-pixel sunken frame, two pixels below the bar's top.
    const int top = 3;
    const int bottom = height() - 1;
    if (panel == 0)
        return TRect{1, top, kPanel0Width - 1, bottom};
    return TRect{kPanel0Width + 3, top, width() - 1, bottom};
}

void TStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    for (int panel = 0; panel < 2; ++panel) {
        const TRect inner = panelRect(panel);
        const QRect frame = inner.toQRect().adjusted(-1, -1, 1, 1);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(frame.topLeft(), frame.topRight());
        painter.drawLine(frame.topLeft(), frame.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(frame.bottomLeft(), frame.bottomRight());
        painter.drawLine(frame.topRight(), frame.bottomRight());
        if (panel == 1 && OnDrawPanel)
            OnDrawPanel(painter, inner);
        else
            painter.fillRect(inner.toQRect(), face);
    }
}

void TMainForm::StatusBar1DrawPanel(QPainter &canvas, const TRect &rect)
{
    const TRect filled = gaugeFilledRect(rect, StatusPosition);
    canvas.fillRect(filled.toQRect(), kGaugeColour);
    const TRect rest{filled.right, rect.top, rect.right, rect.bottom};
    canvas.fillRect(rest.toQRect(), StatusBar1->palette().color(QPalette::Button));
    sbrect = rect;
}

void TMainForm::SetProStatus(int32_t pro)
{
    if (pro < StatusPosition) {
        // The whole bar, so the part no longer filled is cleared.
        StatusPosition = pro;
        StatusBar1->repaint();
    } else {
        StatusPosition = pro;
        SBarPaintMore();
    }
}

void TMainForm::SBarPaintMore()
{
    // Long operations do not return to the event loop until they end, so the
    // filled part is painted now rather than scheduled.
    if (sbrect.isEmpty())
        return;
    const TRect filled = gaugeFilledRect(sbrect, StatusPosition);
    if (!filled.isEmpty())
        StatusBar1->repaint(filled.toQRect());
}

void TMainForm::WMUser(uintptr_t wParam) { SetProStatus(int32_t(wParam)); }

void TMainForm::sinkSend(void *target, uint32_t msg, uintptr_t wParam, intptr_t)
{
    if (msg == BK3_WM_USER && target != nullptr)
        static_cast<TMainForm *>(target)->WMUser(wParam);
}

void TMainForm::SetChanged()
{
    changed = true;
    setWindowTitle(captionText(maincap, afilename, changed));
}

void TMainForm::SetUnChanged()
{
    changed = false;
    setWindowTitle(captionText(maincap, afilename, changed));
}
