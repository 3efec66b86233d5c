// The main window's grey conversion and soften filter: thin forwards to the
// plain functions of Depth and Soften, with the progress gauge.
#include "Depth.h"
#include "MainUnit.h"
#include "Soften.h"
#include "StatusBar.h"

int32_t TMainForm::zweihoch(int32_t i)
{
    return ::zweihoch(i);
}

void TMainForm::GrrayBtnClick()
{
    // The result only; no change marker, as for every whole-picture command.
    ConvertToGrey(outdi.get(), StatusBar1->gauge());
    RedrawCanvas();
}

void TMainForm::SoftenBtnClick()
{
    const FilterKernel kernel = SoftenKernel;
    if (FilterDib(outdi.get(), kernel, StatusBar1->gauge()) == FilterResult::OutOfMemory)
        dialogs->message(this, QStringLiteral("Fehler: Nicht genügent Speicher für diese Aktion!"),
                         QStringLiteral("Fehler"), QMessageBox::Critical, QMessageBox::Ok);
    RedrawCanvas();
}
