// The four arrow buttons that move the colour layer: thin forwards to
// ShiftColourLayer with the distance of MovePixelEd.
#include "LayerShift.h"
#include "MainUnit.h"

#include <QSpinBox>

namespace {

void shiftLayer(TMainForm &form, ShiftDirection direction)
{
    const int n = form.MovePixelEd->value();
    // No progress and no change marker, as for every whole-picture command.
    ShiftColourLayer(form.di, form.outdi.get(), form.di.rows(), direction, n);
    form.RedrawCanvas();
}

} // namespace

void TMainForm::MoveUpBtnClick() { shiftLayer(*this, ShiftDirection::Up); }
void TMainForm::MoveDownBtnClick() { shiftLayer(*this, ShiftDirection::Down); }
void TMainForm::MoveLeftBtnClick() { shiftLayer(*this, ShiftDirection::Left); }
void TMainForm::MoveRightBtnClick() { shiftLayer(*this, ShiftDirection::Right); }
