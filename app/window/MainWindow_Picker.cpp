// The hue/saturation picker on the page "Foto colorieren": the swatch with its
// marker, the three samples and the hover sample, the two labels, the hue,
// saturation and brightness fields, and the flat-paint colour Shape5.
#include "DrawDib.h"
#include "MainUnit.h"
#include "PaintBox.h"
#include "Swatch.h"

#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

namespace {

QColor colourOf(uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor sampleColour(int hue, int sat, int lum)
{
    return colourOf(HueSatColour(hue, sat, lum));
}

} // namespace

// Everything of the picker that shows the current colour, apart from the swatch
// box itself. The fields are written without their change signals: the change
// handler would otherwise take the new hue together with the old saturation.
void TMainForm::showCurrentColour()
{
    Shape3->setBrushColor(sampleColour(ghue, gsat, kMiddleLum));
    HueLabel->setText(QStringLiteral("Hue: ") + QString::number(ghue));
    SatLabel->setText(QStringLiteral("Sat: ") + QString::number(gsat));
    {
        const QSignalBlocker hueBlocker(HueED);
        const QSignalBlocker satBlocker(SatEd);
        HueED->setValue(ghue);
        SatEd->setValue(gsat);
    }
    Shape1->setBrushColor(sampleColour(ghue, gsat, kDarkLum));
    Shape4->setBrushColor(sampleColour(ghue, gsat, kLightLum));
}

void TMainForm::wirePicker()
{
    PalPaintBox->OnPaint = [this](QPainter &canvas, const QRect &exposed) {
        PalPaintBoxPaint(canvas, exposed);
    };
    connect(PalPaintBox, &TPaintBox::mouseDown, this, &TMainForm::PalPaintBoxMouseDown);
    connect(PalPaintBox, &TPaintBox::mouseMove, this, &TMainForm::PalPaintBoxMouseMove);
    connect(HueED, &QSpinBox::valueChanged, this, [this] { HueEDChange(); });
    connect(SatEd, &QSpinBox::valueChanged, this, [this] { SatEdChange(); });
    // The brightness is read by the tools when they paint; its change only
    // takes the colour fields again.
    connect(BrightEd, &QSpinBox::valueChanged, this, [this] { SatEdChange(); });
    connect(Shape5, &TShape::mouseDown, this, &TMainForm::Shape5MouseDown);
}

void TMainForm::CreateSwatch()
{
    pal24dib = Picture(kSwatchWidth, kSwatchHeight, 24);
    if (pal24dib.empty()) {
        // The program goes on with an unfilled swatch; picking by position still works.
        dialogs->error(this, QStringLiteral("Fehler: Zuwenig Speicher! Dieses Programm wird mit so "
                                            "wenig Speicher nicht richtig arbeiten können!"));
        return;
    }
    FillSwatch(pal24dib);
}

void TMainForm::PalPaintBoxPaint()
{
    showCurrentColour();
    PalPaintBox->update();
}

void TMainForm::PalPaintBoxPaint(QPainter &canvas, const QRect &exposed)
{
    const QColor face = PalPaintBox->palette().color(QPalette::Button);
    const int w = PalPaintBox->width(), h = PalPaintBox->height();
    // The border also takes off what the marker drew outside the swatch.
    canvas.fillRect(0, 0, w, kSwatchInset, face);
    canvas.fillRect(0, h - kSwatchInset, w, kSwatchInset, face);
    canvas.fillRect(0, 0, kSwatchInset, h, face);
    canvas.fillRect(w - kSwatchInset, 0, kSwatchInset, h, face);

    if (!pal24dib.empty()) {
        canvas.save();
        canvas.setClipRect(exposed);
        DrawDib(canvas, kSwatchInset, kSwatchInset, kSwatchWidth, kSwatchHeight, pal24dib, 0, 0,
                kSwatchWidth, kSwatchHeight, true, SRCCOPY,
                [this](const QString &text) { ReportDisplayFailure(text); });
        canvas.restore();
    }

    // The marker's outline is the inverse of the colour, so it shows on every part
    // of the swatch.
    const QColor colour = sampleColour(ghue, gsat, kMiddleLum);
    const MarkerPlace marker = SwatchMarker(HueSat{ghue, gsat});
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue()));
    canvas.setBrush(face);
    // A one-pixel outline of a w x h rectangle covers w + 1 pixels.
    canvas.drawEllipse(QRect(marker.left, marker.top, kMarkerSize - 1, kMarkerSize - 1));

    showCurrentColour();
}

void TMainForm::PalPaintBoxMouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)
{
    // Every button picks.
    const HueSat picked = SwatchPick(x, y);
    Shape2->setBrushColor(sampleColour(picked.hue, picked.sat, kMiddleLum));
    ghue = picked.hue;
    gsat = picked.sat;
    PalPaintBoxPaint();
}

void TMainForm::PalPaintBoxMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers, int x, int y)
{
    const HueSat picked = SwatchPick(x, y);
    Shape2->setBrushColor(sampleColour(picked.hue, picked.sat, kMiddleLum));
    if (!(buttons & Qt::LeftButton))
        return;
    ghue = picked.hue;
    gsat = picked.sat;
    PalPaintBoxPaint();
}

void TMainForm::HueEDChange()
{
    // The fields keep their ranges themselves; the colour model is defined only
    // on 0..255, so the bounds hold here whatever a field allows.
    const int hue = std::clamp(HueED->value(), 0, 255);
    const int sat = std::clamp(SatEd->value(), 0, 255);
    Shape2->setBrushColor(sampleColour(hue, sat, kMiddleLum));
    ghue = hue;
    gsat = sat;
    PalPaintBoxPaint();
}

void TMainForm::SatEdChange() { HueEDChange(); }

void TMainForm::Shape5MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    QColor colour = Shape5->brushColor();
    if (dialogs->chooseColour(this, colour))
        Shape5->setBrushColor(colour);
}
