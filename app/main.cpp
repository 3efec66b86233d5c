#include "ErrorReport.h"
#include "MainUnit.h"
#include "Startup.h"

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    setupApplication(app);

    TMainForm mainForm;
    mainForm.show();
    return app.exec();
}
