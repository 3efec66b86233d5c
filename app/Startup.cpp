#include "Startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

const char *const kProgramTitle = "Nuanza 1.5";

bool loadGermanTranslation(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void setupApplication(QApplication &app)
{
    // No display name: the platform would append it to every window title, and
    // the main window's caption is to show exactly as the program sets it.
    QApplication::setApplicationName(QFileInfo(QApplication::applicationFilePath()).completeBaseName());
    loadGermanTranslation(app);
}
