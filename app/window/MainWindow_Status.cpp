// The window's side of the status bar and the caption: the progress gauge, the
// library's progress reports and the unsaved-changes marker.
#include "MainUnit.h"
#include "StatusBar.h"

#include <QPainter>

namespace {

const QColor kGaugeColour(0, 0, 128);

} // namespace

void TMainForm::StatusBar1DrawPanel(QPainter &canvas, const PixelRect &rect)
{
    const PixelRect filled = gaugeFilledRect(rect, StatusPosition);
    canvas.fillRect(toQRect(filled), kGaugeColour);
    const PixelRect rest{filled.right, rect.top, rect.right, rect.bottom};
    canvas.fillRect(toQRect(rest), StatusBar1->palette().color(QPalette::Button));
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
    const PixelRect filled = gaugeFilledRect(sbrect, StatusPosition);
    if (!filled.isEmpty())
        StatusBar1->repaint(toQRect(filled));
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
