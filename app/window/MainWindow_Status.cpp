// The window's side of the status bar and the caption: the progress gauge, the
// library's progress reports and the unsaved-changes marker.
#include "MainUnit.h"
#include "StatusBar.h"

void TMainForm::SetProStatus(int32_t pro) { StatusBar1->setProgress(pro); }

void TMainForm::WMUser(uintptr_t wParam) { SetProStatus(int32_t(wParam)); }

void TMainForm::sinkSend(void *target, uint32_t msg, uintptr_t wParam, intptr_t)
{
    if (msg == BK3_WM_USER && target != nullptr)
        static_cast<TMainForm *>(target)->WMUser(wParam);
}

void TMainForm::SetChanged()
{
    changed = true;
    setWindowTitle(captionText(maincap, afilename, changed));
}

void TMainForm::SetUnChanged()
{
    changed = false;
    setWindowTitle(captionText(maincap, afilename, changed));
}
