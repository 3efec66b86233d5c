// "Alles einfärben": a thin forward to the plain ColorAll of PixelOps.
#include "MainUnit.h"
#include "PixelOps.h"

#include <QSpinBox>

void TMainForm::ColorAllBtnClick()
{
    const int32_t bright = BrightEd->value();
    // Every pixel, also erased or flat-painted ones; no progress. It replaces all
    // painted work, so the result is unsaved work like any stroke.
    beginWholeStep(QStringLiteral("Alles einfärben"));
    ColorAll(di, outdi.get(), di.rows(), ghue, gsat, bright);
    endStep(true);
    SetChanged();
    RedrawCanvas();
}
