// Program start: the application's titles and the German translation of Qt's
// own texts.
#pragma once

class QApplication;
class QCoreApplication;

// The program's title: error reports and message boxes without a title of their own.
extern const char *const kProgramTitle;

// Installs Qt's German translation (standard buttons read Ja, Nein, Abbrechen).
// Returns false when the translation file cannot be loaded.
bool loadGermanTranslation(QCoreApplication &app);

// The application name (the program file's base name, which also names the
// settings) and the German translation.
void setupApplication(QApplication &app);
