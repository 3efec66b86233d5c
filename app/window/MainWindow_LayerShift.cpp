// The four arrow buttons that move the colour layer: thin forwards to
// ShiftColourLayer with the distance of MovePixelEd.
#include "LayerShift.h"
#include "MainUnit.h"

#include <QSpinBox>

namespace {

QString shiftName(ShiftDirection direction)
{
    switch (direction) {
    case ShiftDirection::Up:
        return QStringLiteral("Farbebene nach oben");
    case ShiftDirection::Down:
        return QStringLiteral("Farbebene nach unten");
    case ShiftDirection::Left:
        return QStringLiteral("Farbebene nach links");
    case ShiftDirection::Right:
        break;
    }
    return QStringLiteral("Farbebene nach rechts");
}

} // namespace

void TMainForm::shiftLayer(ShiftDirection direction)
{
    const int n = MovePixelEd->value();
    // No progress; the moved colours are unsaved work like any stroke.
    beginWholeStep(shiftName(direction));
    ShiftColourLayer(di, outdi.get(), di.rows(), direction, n);
    endStep(true);
    SetChanged();
    RedrawCanvas();
}

void TMainForm::MoveUpBtnClick() { shiftLayer(ShiftDirection::Up); }
void TMainForm::MoveDownBtnClick() { shiftLayer(ShiftDirection::Down); }
void TMainForm::MoveLeftBtnClick() { shiftLayer(ShiftDirection::Left); }
void TMainForm::MoveRightBtnClick() { shiftLayer(ShiftDirection::Right); }
