// The main window's placement and its two last-saved texts, kept per user from
// one run to the next under the program file's name (the registry on Windows,
// ~/.config/<name>.conf on Linux).
#include "MainUnit.h"
#include "PlainFile.h"
#include "WindowPlacement.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QLatin1String kGroup("MainForm");
const QLatin1String kLeft("Left");
const QLatin1String kTop("Top");
const QLatin1String kWidth("Width");
const QLatin1String kHeight("Height");
const QLatin1String kState("State");
const QLatin1String kLastSaved("LastSavedEd.Text");
const QLatin1String kLastSavedWithPath("LastSavedWithPathEd.Text");

// The classic window states; a minimised window is kept as normal.
constexpr int kStateNormal = 0;
constexpr int kStateMaximised = 2;

QString storageName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() : name;
}

// The organisation slot names the key: "Software\<name>" in the registry and
// <name>.conf elsewhere, with no folder of a maker in between.
struct FormSettings : QSettings {
    FormSettings() : QSettings(QSettings::NativeFormat, QSettings::UserScope, storageName())
    {
        beginGroup(kGroup);
    }
};

// The store's file, where QSettings keeps it on Linux.
QString storePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
           + storageName() + QLatin1String(".conf");
}

// A store larger than this is not ours: the few values take a few hundred bytes.
constexpr qint64 kStoreLimit = qint64(1) << 20;

// QSettings reads the whole file when it is made and again before writing: a
// pipe in its place would hold the program, a device is no store, and a huge
// file takes seconds and gigabytes to parse. Such a file is ignored and left as
// it is.
bool storeUsable()
{
    const QString path = storePath();
    return !isSpecialFile(path) && plainFileSize(path) <= kStoreLimit;
}

// The available areas of the screens, the primary one first.
QList<QRect> screenAreas()
{
    QList<QRect> areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary != nullptr)
        areas.append(primary->availableGeometry());
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen != primary)
            areas.append(screen->availableGeometry());
    return areas;
}

int storedInt(const QSettings &settings, const QString &key, bool &ok)
{
    bool read = false;
    const int value = settings.value(key).toInt(&read);
    ok = ok && read;
    return value;
}

} // namespace

void TMainForm::RestoreFormPlacement()
{
    // Quitting without closing the window (the session ends it, say) still keeps
    // the placement; a granted close has stored it already and hidden the window.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible())
            StoreFormPlacement();
    });

    if (!storeUsable())
        return;
    const FormSettings settings;
    bool complete = true;
    const QRect stored(storedInt(settings, kLeft, complete), storedInt(settings, kTop, complete),
                       storedInt(settings, kWidth, complete), storedInt(settings, kHeight, complete));
    // Without a whole, sensible placement the window stays centred.
    if (complete && stored.width() > 0 && stored.height() > 0) {
        setGeometry(placeOnScreens(stored, screenAreas()));
        placementStored = true;
        if (settings.value(kState).toInt() == kStateMaximised)
            setWindowState(windowState() | Qt::WindowMaximized);
    }
    if (settings.contains(kLastSaved))
        LastSavedEd->setText(settings.value(kLastSaved).toString());
    if (settings.contains(kLastSavedWithPath))
        LastSavedWithPathEd->setText(settings.value(kLastSavedWithPath).toString());
}

void TMainForm::StoreFormPlacement()
{
    // A window that was never shown has no placement of its own; storing its
    // defaults would overwrite the user's.
    if (!placementRestored || !storeUsable())
        return;
    FormSettings settings;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    settings.setValue(kLeft, normal.left());
    settings.setValue(kTop, normal.top());
    settings.setValue(kWidth, normal.width());
    settings.setValue(kHeight, normal.height());
    settings.setValue(kState, windowState().testFlag(Qt::WindowMaximized) ? kStateMaximised : kStateNormal);
    settings.setValue(kLastSaved, LastSavedEd->text());
    settings.setValue(kLastSavedWithPath, LastSavedWithPathEd->text());
    // QSettings writes through a temporary file; a failure leaves the old values.
    settings.sync();
}
