// The main window's depth and grey conversion and soften filter: thin forwards
// to the plain functions of Depth and Soften, with the progress gauge.
#include "Depth.h"
#include "MainUnit.h"
#include "Soften.h"
#include "StatusBar.h"

namespace {

// The gauge of `form`. Values arrive once per row, and most rows repeat the
// value already shown; each SetProStatus paints at once, so only changes are
// passed on, which shows exactly the same.
Progress gaugeOf(TMainForm &form)
{
    return [&form](int32_t percent) {
        if (percent != form.StatusBar1->progress())
            form.SetProStatus(percent);
    };
}

} // namespace

void TMainForm::DepthUpTo(int32_t nbpp)
{
    ::DepthUpTo(di, nbpp, gaugeOf(*this));
}

int32_t TMainForm::zweihoch(int32_t i)
{
    return ::zweihoch(i);
}

void TMainForm::GrrayBtnClick()
{
    // The result only; no change marker, as for every whole-picture command.
    ConvertToGrey(outdi, gaugeOf(*this));
    RedrawCanvas();
}

void TMainForm::SoftenBtnClick()
{
    const FilterKernel kernel = SoftenKernel;
    if (FilterDib(outdi, kernel, gaugeOf(*this)) == FilterResult::OutOfMemory)
        dialogs->message(this, QStringLiteral("Fehler: Nicht genügent Speicher für diese Aktion!"),
                         QStringLiteral("Fehler"), QMessageBox::Critical, QMessageBox::Ok);
    RedrawCanvas();
}
