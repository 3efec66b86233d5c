// The canvas tools: colourising brush, eraser, pipette and line, the brush
// radius and the repeat timer. A press begins a stroke, each move or timer tick
// paints one segment and repaints only what it changed, the release ends it.
// Each move shows the brush outline (and the line tool's rubber band) on the
// canvas, which draws it inverted over the picture.
#include "Brush.h"
#include "CanvasBox.h"
#include "MainUnit.h"
#include "PaintBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

namespace {

// The name of a stroke's step in the history, after its tool.
QString strokeName(const BrushAction &action, bool line)
{
    if (line)
        return QStringLiteral("Linie");
    switch (action.mode) {
    case BrushMode::Erase:
        return QStringLiteral("Radieren");
    case BrushMode::Paint:
        return QStringLiteral("Malen");
    case BrushMode::Colourise:
        break;
    }
    return QStringLiteral("Pinselstrich");
}

} // namespace

// Takes the outline off when the pointer leaves the canvas with no button held:
// it stands for the brush under the pointer, and no later move would remove it.
class TMainForm::LeaveWatcher : public QObject {
public:
    LeaveWatcher(TMainForm *form, QWidget *canvas) : QObject(canvas), form(form)
    {
        canvas->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Leave && !form->inpaint)
            form->PaintBox1->removeOverlay();
        return false;
    }

private:
    TMainForm *form;
};


double TMainForm::zoom() const { return ZoomEd->value(); }

int TMainForm::toPicture(int canvas) const { return CanvasToPicture(canvas, zoom()); }

// Repaints the picture pixels changed since the last repaint, on the canvas at
// its zoom and in the result view at 100 %.
void TMainForm::repaintPainted()
{
    const PixelRect painted = paintedRect;
    paintedRect = PixelRect{};
    if (painted.isEmpty())
        return;
    const PixelRect canvas = PictureToCanvas(painted, zoom());
    PaintBox1->update(toQRect(canvas));
    ErgPaintBox->update(toQRect(painted));
}

BrushAction TMainForm::currentAction(int hue, int sat) const
{
    BrushAction action;
    action.radius = RadiusED->value();
    action.hue = hue;
    action.sat = sat;
    action.bright = BrightEd->value();
    if (ColorierenBtn->isChecked() || LinieBtn->isChecked()) {
        if (MalenCheck->isChecked()) {
            const QColor colour = Shape5->brushColor();
            action.mode = BrushMode::Paint;
            action.red = colour.red();
            action.green = colour.green();
            action.blue = colour.blue();
            action.fest = FestMalenCheck->isChecked();
        } else {
            action.mode = BrushMode::Colourise;
        }
    } else {
        action.mode = BrushMode::Erase; // the check boxes do not count for the eraser
    }
    return action;
}

void TMainForm::wireTools()
{
    connect(PaintBox1, &TPaintBox::mouseDown, this, &TMainForm::PaintBox1MouseDown);
    connect(PaintBox1, &TPaintBox::mouseMove, this, &TMainForm::PaintBox1MouseMove);
    connect(PaintBox1, &TPaintBox::mouseUp, this, &TMainForm::PaintBox1MouseUp);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(RadiusED, &QSpinBox::valueChanged, this, [this] { RadiusEDChange(); });
    connect(Radius2Ed, &QSpinBox::valueChanged, this, [this] { Radius2EdChange(); });
    new LeaveWatcher(this, PaintBox1);

    // A zoom change redraws the whole canvas; the outline comes back with the
    // next move, at the new size.
    connect(ZoomEd, &QSpinBox::valueChanged, this, [this] { PaintBox1->removeOverlay(); });
}

void TMainForm::PaintBox1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    if (inpaint)
        return;
    amx = x;
    amy = y;
    inpaint = true;
    // One step from press to release; the pipette's stays empty and is dropped.
    beginStep(strokeName(currentAction(ghue, gsat), LinieBtn->isChecked()));
    // The canvas keeps the mouse until the release (Qt's implicit grab), so
    // moves and the release outside it still arrive here.
    Timer1->start();
    PaintBox1->removeOverlay();
}

void TMainForm::PaintBox1MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers shift, int x, int y)
{
    PaintBox1->removeOverlay();
    if (inpaint) {
        if (PipetteBtn->isChecked()) {
            Pipette(toPicture(x), toPicture(y));
            amx = x;
            amy = y;
        } else if (!LinieBtn->isChecked()) {
            BrushLine(toPicture(amx), toPicture(amy), toPicture(x),
                      toPicture(y), ghue, gsat);
            amx = x;
            amy = y;
        }
        // The line tool paints at the release; amx, amy keep its start.
        SetChanged();
        repaintPainted();
    }

    const PixelRect outline = OutlineRect(x, y, RadiusED->value(), zoom());
    if (LinieBtn->isChecked() && inpaint) {
        const PixelPoint end = LineToolEnd({amx, amy}, {x, y}, shift.testFlag(Qt::ShiftModifier),
                                           shift.testFlag(Qt::ControlModifier));
        PaintBox1->showOverlay(outline, QLine(amx, amy, end.x, end.y));
    } else {
        PaintBox1->showOverlay(outline);
    }
}

void TMainForm::PaintBox1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers shift, int x, int y)
{
    if (!inpaint)
        return;
    inpaint = false;
    Timer1->stop();
    if (LinieBtn->isChecked()) {
        const PixelPoint end = LineToolEnd({amx, amy}, {x, y}, shift.testFlag(Qt::ShiftModifier),
                                           shift.testFlag(Qt::ControlModifier));
        BrushLine(toPicture(amx), toPicture(amy), toPicture(end.x),
                  toPicture(end.y), ghue, gsat);
        PaintBox1->removeOverlay();
        repaintPainted();
    }
    amx = x;
    amy = y;
    SetChanged();
    endStep(true);
}

void TMainForm::Timer1Timer() { PaintBox1MouseMove(Qt::NoButton, Qt::NoModifier, amx, amy); }

void TMainForm::RadiusEDChange()
{
    // Setting the value a field already shows raises no change, so no echo.
    Radius2Ed->setValue(RadiusED->value());
}

void TMainForm::Radius2EdChange() { RadiusED->setValue(Radius2Ed->value()); }

void TMainForm::BrushLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t hue, int32_t sat)
{
    const BrushAction action = currentAction(hue, sat);
    keepBeforeBrush(x1, y1, x2, y2, action);
    const PixelRect changed = PaintBrushLine(di.get(), outdi.get(), di.rows(), x1, y1, x2, y2, action);
    paintedRect = paintedRect.united(changed);
}

void TMainForm::Pipette(int32_t x, int32_t y)
{
    int hue, sat;
    if (!PickColour(outdi, x, y, hue, sat))
        return;
    // The fields' change handlers take the colour into ghue and gsat.
    HueED->setValue(hue);
    SatEd->setValue(sat);
}
