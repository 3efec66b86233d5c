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
    // The result only; its colours are gone, so it is unsaved work.
    beginWholeStep(QStringLiteral("Graustufen"));
    ConvertToGrey(outdi.get(), StatusBar1->gauge());
    endStep(true);
    SetChanged();
    RedrawCanvas();
}

void TMainForm::SoftenBtnClick()
{
    const FilterKernel kernel = SoftenKernel;
    beginWholeStep(QStringLiteral("Weichzeichnen"));
    const FilterResult result = FilterDib(outdi.get(), kernel, StatusBar1->gauge());
    endStep(result == FilterResult::Filtered);
    if (result == FilterResult::OutOfMemory)
        dialogs->message(this, QStringLiteral("Fehler: Nicht genügent Speicher für diese Aktion!"),
                         QStringLiteral("Fehler"), QMessageBox::Critical, QMessageBox::Ok);
    // Only a softened result is unsaved work; a refused one is as it was.
    if (result == FilterResult::Filtered)
        SetChanged();
    RedrawCanvas();
}
