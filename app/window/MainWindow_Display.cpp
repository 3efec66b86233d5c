// The paint handlers of the picture boxes: the preview of the loaded picture, the
// work canvas at the zoom of ZoomEd and the result view at 100 %.
#include "CanvasBox.h"
#include "DrawDib.h"
#include "MainUnit.h"
#include "PaintBox.h"

#include <QPainter>
#include <QSpinBox>

void TMainForm::DibPrevPaintPaint(QPainter &canvas, const QRect &exposed)
{
    // Fitted into the box with its aspect kept, at the top left; the rest of the
    // box shows the panel behind it.
    const int64_t bw = DibPrevPaint->width(), bh = DibPrevPaint->height();
    const int64_t pw = dibwidth(di), ph = dibheight(di);
    if (pw <= 0 || ph <= 0)
        return;
    int64_t w = bw, h = bw * ph / pw;
    if (bw * ph / pw > bh) {
        w = bh * pw / ph;
        h = bh;
    }
    canvas.setClipRect(exposed);
    DrawDib(canvas, 0, 0, int32_t(w), int32_t(h), di, 0, 0, int32_t(pw), int32_t(ph), true, SRCCOPY,
            [this](const QString &text) { ReportDisplayFailure(text); });
}

void TMainForm::PaintBox1Paint(QPainter &canvas, const QRect &exposed)
{
    const double zoom = ZoomEd->value();
    const int32_t pw = dibwidth(outdi), ph = dibheight(outdi);
    const auto w = int32_t(pw * zoom / 100), h = int32_t(ph * zoom / 100);
    canvas.setClipRect(exposed);
    DrawDib(canvas, 0, 0, w, h, outdi, 0, 0, pw, ph, true, SRCCOPY,
            [this](const QString &text) { ReportDisplayFailure(text); });
    drawUntrustedPixels(canvas, exposed, zoom);
}

void TMainForm::ErgPaintBoxPaint(QPainter &canvas, const QRect &exposed)
{
    // One screen pixel per picture pixel; the scroll box scrolls over the whole picture.
    const int32_t pw = dibwidth(outdi), ph = dibheight(outdi);
    if (ErgPaintBox->width() != pw || ErgPaintBox->height() != ph)
        ErgPaintBox->resize(pw, ph);
    canvas.setClipRect(exposed);
    DrawDib(canvas, 0, 0, pw, ph, outdi, 0, 0, pw, ph, true, SRCCOPY,
            [this](const QString &text) { ReportDisplayFailure(text); });
}

void TMainForm::ReportDisplayFailure(const QString &text)
{
    if (displayFailurePending)
        return;
    displayFailurePending = true;
    // A plain box: no owner, the default title, no icon, OK.
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            dialogs->message(nullptr, text, QString(), QMessageBox::NoIcon, QMessageBox::Ok);
            displayFailurePending = false;
        },
        Qt::QueuedConnection);
}
