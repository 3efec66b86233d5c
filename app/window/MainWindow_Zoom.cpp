// Zoom of the work canvas, the mouse wheel over the pictures, and dragging the
// result view by hand.
#include "CanvasBox.h"
#include "CanvasZoom.h"
#include "EventHook.h"
#include "MainUnit.h"
#include "PaintBox.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace {

constexpr int kWheelStep = 20;   // pixels per notch
constexpr int kNotchDelta = 120; // a classic wheel notch, in eighths of a degree

// Whole notches in `delta` together with what earlier small steps of a
// high-resolution wheel or a touchpad left over; the rest waits for more.
int takeNotches(qint64 &pending, int delta)
{
    if ((pending > 0 && delta < 0) || (pending < 0 && delta > 0))
        pending = 0; // turning back starts afresh
    pending += delta;
    const qint64 notches = pending / kNotchDelta;
    pending -= notches * kNotchDelta;
    return static_cast<int>(notches);
}

// The wheel over a picture area, its box or its scroll bars scrolls the picture
// the classic way: the area's own wheel handling (sideways with Alt, pages with
// modifiers) never runs. With Ctrl, `zoom` takes the notches when given, with
// the pointer's place in the area's view.
void hookWheel(TMainForm *window, QScrollArea *area, QWidget *box,
               std::function<void(int notches, QPoint viewPoint)> zoom = nullptr)
{
    new EventHook({area->viewport(), box, area->verticalScrollBar(), area->horizontalScrollBar()}, window,
                  [window, area, zoom, pending = qint64(0)](QObject *, QEvent *event) mutable {
                      if (event->type() != QEvent::Wheel)
                          return false;
                      const auto *wheel = static_cast<QWheelEvent *>(event);
                      const int notches = takeNotches(pending, wheel->angleDelta().y());
                      if (zoom && wheel->modifiers().testFlag(Qt::ControlModifier)) {
                          zoom(notches, area->viewport()->mapFromGlobal(wheel->globalPosition().toPoint()));
                          event->accept();
                          return true;
                      }
                      for (int i = 0; i < notches; ++i)
                          window->FormMouseWheelUp();
                      for (int i = 0; i > notches; --i)
                          window->FormMouseWheelDown();
                      // Accepted, or Qt hands the event on to the area behind the box.
                      event->accept();
                      return true;
                  });
}

} // namespace

// The scroll box of the active page, if that page shows a picture.
QScrollArea *TMainForm::activePictureArea() const
{
    switch (PageControl2->currentIndex()) {
    case 1: return ScrollBox1;
    case 2: return ErgScrollBox;
    default: return nullptr;
    }
}

void TMainForm::scrollActivePage(int by)
{
    if (QScrollArea *area = activePictureArea()) {
        QScrollBar *bar = area->verticalScrollBar();
        bar->setValue(bar->value() + by); // the bar keeps it within its range
    }
}

void TMainForm::wireZoomView()
{
    connect(ZoomEd, &QSpinBox::valueChanged, this, &TMainForm::ZoomEdChange);
    hookWheel(this, ScrollBox1, PaintBox1, [this](int notches, QPoint viewPoint) {
        for (; notches > 0; --notches)
            zoomCanvas(NextZoomStep(ZoomEd->value(), 1), viewPoint);
        for (; notches < 0; ++notches)
            zoomCanvas(NextZoomStep(ZoomEd->value(), -1), viewPoint);
    });
    connect(FitBtn, &QToolButton::clicked, this, &TMainForm::fitCanvas);
    // Once the page is laid out, after the change of page.
    connect(PageControl2, &QTabWidget::currentChanged, this,
            [this] { QTimer::singleShot(0, this, &TMainForm::fitLargePicture); });
    // A zoom the user sets is kept for the next pictures.
    connect(ZoomEd, &QSpinBox::valueChanged, this, [this] {
        if (!fitting)
            fitOnOpen = false;
    });
    hookWheel(this, ErgScrollBox, ErgPaintBox);
    connect(ErgPaintBox, &TPaintBox::mouseDown, this, &TMainForm::ErgPaintBoxMouseDown);
    connect(ErgPaintBox, &TPaintBox::mouseMove, this,
            [this](Qt::MouseButtons, Qt::KeyboardModifiers shift, int x, int y) {
                ErgPaintBoxMouseMove(shift, x, y);
            });
    connect(ErgPaintBox, &TPaintBox::mouseUp, this, &TMainForm::ErgPaintBoxMouseUp);
}

void TMainForm::ZoomEdChange()
{
    const double z = ZoomEd->value();
    const int width = static_cast<int>(std::trunc(dibwidth(di) * z / 100));
    const int height = static_cast<int>(std::trunc(dibheight(di) * z / 100));
    PaintBox1->resize(width, height); // the scroll box follows with its ranges
    PaintBox1->update();
}

void TMainForm::zoomCanvas(int zoom, QPoint viewPoint)
{
    const int from = ZoomEd->value();
    zoom = std::clamp(zoom, ZoomEd->minimum(), ZoomEd->maximum());
    if (zoom == from)
        return;
    QScrollBar *horizontal = ScrollBox1->horizontalScrollBar();
    QScrollBar *vertical = ScrollBox1->verticalScrollBar();
    const int x = AnchoredScroll(horizontal->value(), viewPoint.x(), from, zoom);
    const int y = AnchoredScroll(vertical->value(), viewPoint.y(), from, zoom);
    ZoomEd->setValue(zoom); // the canvas takes its new size, the bars their ranges
    horizontal->setValue(x);
    vertical->setValue(y);
}

QPoint TMainForm::canvasViewCentre() const { return ScrollBox1->viewport()->rect().center(); }

void TMainForm::fitCanvas()
{
    // The whole view, without the scroll bars a fitted picture does not need.
    const QSize view = ScrollBox1->maximumViewportSize();
    const bool wasFitting = std::exchange(fitting, true);
    ZoomEd->setValue(FitZoom(di.width(), di.height(), view.width(), view.height()));
    fitting = wasFitting;
    ScrollBox1->horizontalScrollBar()->setValue(0);
    ScrollBox1->verticalScrollBar()->setValue(0);
}

void TMainForm::fitLargePicture()
{
    if (!fitPending || !ScrollBox1->isVisible())
        return;
    fitPending = false;
    const QSize view = ScrollBox1->maximumViewportSize();
    if (fitOnOpen && (PaintBox1->width() > view.width() || PaintBox1->height() > view.height()))
        fitCanvas();
}

void TMainForm::FormMouseWheelDown() { scrollActivePage(kWheelStep); }

void TMainForm::FormMouseWheelUp() { scrollActivePage(-kWheelStep); }

void TMainForm::ErgPaintBoxMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int32_t x, int32_t y)
{
    ziehen = true;
    ziehx = x;
    ziehy = y;
}

void TMainForm::ErgPaintBoxMouseMove(Qt::KeyboardModifiers, int32_t x, int32_t y)
{
    if (!ziehen)
        return;
    // The box moves with the scroll positions, so the point grabbed at the
    // press stays under the mouse: the picture follows the hand.
    QScrollBar *horizontal = ErgScrollBox->horizontalScrollBar();
    QScrollBar *vertical = ErgScrollBox->verticalScrollBar();
    int nx = horizontal->value() + ziehx - x;
    int ny = vertical->value() + ziehy - y;
    nx = std::max(nx, 0);
    ny = std::max(ny, 0);
    nx = std::min(nx, ErgPaintBox->width() - 1);
    ny = std::min(ny, ErgPaintBox->height() - 1);
    horizontal->setValue(nx);
    vertical->setValue(ny);
}

void TMainForm::ErgPaintBoxMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int32_t, int32_t)
{
    ziehen = false;
}
