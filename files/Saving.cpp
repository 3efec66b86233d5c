// Saving the result picture.
#include "MainUnit.h"

bool TMainForm::SaveFile()
{
    // Writing pictures is not available yet; say so rather than pretend.
    dialogs->error(this, QStringLiteral("Das Speichern ist in dieser Version noch nicht möglich."));
    return false;
}
