// What the window tests share: the real main window with scripted dialogs from
// its start, a temporary folder in the test's home, and a result picture whose
// neighbouring pixels all differ.
#pragma once

#include "FormatCodes.h"
#include "MainUnit.h"
#include "ScriptedDialogs.h"
#include "WindowControls.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class WindowFixture {
protected:
    std::unique_ptr<TMainForm> window;
    ScriptedDialogs *dialogs = nullptr;
    std::unique_ptr<QTemporaryDir> folder;

    void openWindow()
    {
        dialogs = new ScriptedDialogs;
        window = std::make_unique<TMainForm>(nullptr, std::unique_ptr<UserDialogs>(dialogs));
    }
    // Opening from the file list stores favourites in the program folder: in the
    // test's home they stay out of the build tree, which every window test reads.
    void keepFavouritesAtHome() { window->progpath = withTrailingSeparator(QDir::homePath()); }
    // A new folder under HOME, not /tmp: the folder tree may be reading /tmp already.
    bool makeFolder(const QString &prefix)
    {
        folder = std::make_unique<QTemporaryDir>(QDir::home().filePath(prefix + QStringLiteral("XXXXXX")));
        return folder->isValid();
    }
    QString path(const QString &name) const
    {
        return name.isEmpty() ? QString() : QDir::toNativeSeparators(folder->filePath(name));
    }
    bool showWindow()
    {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    // Distinct pixels, so a wrong, shifted or partial write shows.
    void patternResult()
    {
        const dib &result = window->outdi;
        for (int y = 0; y < dibheight(result); ++y)
            for (int x = 0; x < dibwidth(result); ++x)
                setpixel(result, x, y, uint32_t(x % 256) + 256u * uint32_t(y) + 65536u * uint32_t((x * y) % 251));
    }
    void closeWindow()
    {
        window.reset();
        folder.reset();
    }
};
