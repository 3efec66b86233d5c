#include "ErrorReport.h"
#include "MainUnit.h"
#include "Startup.h"

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    setupApplication(app);

    TMainForm mainForm;
    // The numbered-sequence dialog lives from the start, hidden until used.
    mainForm.CreateBildfolgeForm();
    mainForm.growWithoutStoredPlacement();
    mainForm.show();
    return app.exec();
}
