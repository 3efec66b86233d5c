// The main window's pixel operations and "Alles einfärben": thin forwards to
// the plain functions of PixelOps.
#include "MainUnit.h"
#include "PixelOps.h"

#include <QSpinBox>

void TMainForm::DoPix(int32_t x, int32_t y, int32_t hue, int32_t sat, int32_t bright)
{
    ::DoPix(di, outdi.get(), di.rows(), x, y, hue, sat, bright);
}

void TMainForm::DoPixDelete(int32_t x, int32_t y)
{
    ::DoPixDelete(di, outdi.get(), di.rows(), x, y);
}

void TMainForm::DoPixMalen(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, bool fest)
{
    ::DoPixMalen(di.get(), outdi.get(), di.rows(), x, y, r, g, b, fest);
}

void TMainForm::ColorAllBtnClick()
{
    const int32_t bright = BrightEd->value();
    // Every pixel, also erased or flat-painted ones; no progress and no change
    // marker, as for every whole-picture command.
    ColorAll(di, outdi.get(), di.rows(), ghue, gsat, bright);
    RedrawCanvas();
}
