// The four arrow buttons that move the colour layer: thin forwards to
// ShiftColourLayer with the distance of MovePixelEd.
#include "LayerShift.h"
#include "MainUnit.h"

#include <QSpinBox>

void TMainForm::shiftLayer(ShiftDirection direction)
{
    const int n = MovePixelEd->value();
    // No progress; the moved colours are unsaved work like any stroke.
    ShiftColourLayer(di, outdi.get(), di.rows(), direction, n);
    SetChanged();
    RedrawCanvas();
}

void TMainForm::MoveUpBtnClick() { shiftLayer(ShiftDirection::Up); }
void TMainForm::MoveDownBtnClick() { shiftLayer(ShiftDirection::Down); }
void TMainForm::MoveLeftBtnClick() { shiftLayer(ShiftDirection::Left); }
void TMainForm::MoveRightBtnClick() { shiftLayer(ShiftDirection::Right); }
