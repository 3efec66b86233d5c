// Carrying the predecessor's colours over along the motion between the frames,
// and showing where that motion could not be trusted. The pixel work is in
// MotionTransfer; these handlers load, keep the window painted and report.
#include "CanvasBox.h"
#include "Depth.h"
#include "MainUnit.h"
#include "MotionTransfer.h"
#include "StatusBar.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

namespace {

// Red over any tint: where the colourist should look again.
const QRgb kUntrustedColour = qPremultiply(qRgba(255, 0, 0, 170));

} // namespace

// While long work runs on the calling thread, the window repaints and its gauge
// moves; input, drops and closing wait until it is done.
class TMainForm::BusyWindow {
public:
    explicit BusyWindow(TMainForm &form) : form(form)
    {
        form.busy = true;
        form.centralWidget()->setEnabled(false);
    }
    ~BusyWindow()
    {
        form.centralWidget()->setEnabled(true);
        form.busy = false;
        form.SetProStatus(0);
    }
    BusyWindow(const BusyWindow &) = delete;
    BusyWindow &operator=(const BusyWindow &) = delete;

    Progress gauge() const
    {
        return [gauge = form.StatusBar1->gauge()](int32_t percent) {
            gauge(percent);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
    }

private:
    TMainForm &form;
};

bool TMainForm::loadPredecessor(const QString &fname, Picture &predecessor)
{
    const auto refuse = [this, &fname] {
        SetProStatus(0);
        dialogs->message(this,
                         QStringLiteral("Fehler: Die Datei ") + fname + QStringLiteral(" konnte nicht geladen werden!"),
                         QStringLiteral("Fehler"), QMessageBox::NoIcon, QMessageBox::Ok);
        return false;
    };
    dib record = emptydib();
    OpenDib(&record, QFile::encodeName(fname).constData(), 0, messageSink());
    if (record.poi == nullptr)
        return refuse();
    predecessor = Picture(record);
    // Widened on its own descriptor: the source picture is not involved.
    ::DepthUpTo(predecessor.get(), 24, StatusBar1->gauge());
    if (predecessor.bits() != 24)
        return refuse();
    SetProStatus(0);
    return true;
}

void TMainForm::UseColorsFollowingMotion(const QString &fname)
{
    Picture predecessor;
    if (!loadPredecessor(fname, predecessor))
        return;
    // Into a copy: the window paints the picture as it was until the new one is whole.
    Picture next = copyOf(outdi);
    if (next.empty()) {
        reportNoMemory();
        return;
    }
    MotionMask mask;
    bool transferred = false;
    {
        const BusyWindow busyWindow(*this);
        transferred = TransferColoursFollowingMotion(di, next.get(), di.rows(), predecessor, &mask, busyWindow.gauge());
    }
    if (!transferred) {
        reportNoMemory();
        return;
    }
    beginWholeStep(QStringLiteral("Farben mit Bewegung übernehmen"));
    std::swap(outdi, next);
    endStep(true);
    motionMask = std::move(mask);
    SetChanged();
    RedrawCanvas();
}

void TMainForm::FarbenmitBewegungbernehmen1Click()
{
    UseColorsFollowingMotion(LastSavedWithPathEd->text());
}

void TMainForm::clearMotionMask()
{
    motionMask = MotionMask();
}

void TMainForm::drawUntrustedPixels(QPainter &canvas, const QRect &exposed, double zoom) const
{
    const MotionMask &mask = motionMask;
    if (!AenderungenCheck->isChecked() || mask.empty() || mask.width != dibwidth(outdi)
        || mask.height != dibheight(outdi) || zoom <= 0)
        return;
    // Only the picture pixels under the exposed part of the canvas.
    const double scale = zoom / 100;
    const auto toPicture = [scale](int canvasPixel, int limit) {
        return std::clamp(int(std::floor(canvasPixel / scale)), 0, limit);
    };
    const int x0 = toPicture(exposed.left(), mask.width), x1 = std::min(toPicture(exposed.right(), mask.width) + 1, mask.width);
    const int y0 = toPicture(exposed.top(), mask.height), y1 = std::min(toPicture(exposed.bottom(), mask.height) + 1, mask.height);
    if (x0 >= x1 || y0 >= y1)
        return;
    QImage part(x1 - x0, y1 - y0, QImage::Format_ARGB32_Premultiplied);
    for (int y = y0; y < y1; ++y) {
        const uint8_t *flags = mask.untrusted.data() + size_t(y) * size_t(mask.width);
        auto *line = reinterpret_cast<QRgb *>(part.scanLine(y - y0));
        for (int x = x0; x < x1; ++x)
            line[x - x0] = flags[x] != 0 ? kUntrustedColour : 0;
    }
    canvas.drawImage(QRectF(x0 * scale, y0 * scale, (x1 - x0) * scale, (y1 - y0) * scale), part);
}
