#include "HiddenNames.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cstring>
#include <dirent.h>
#endif

int unlistableNames(const QString &folder)
{
    int count = 0;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        // A name that does not come back unchanged from the toolkit's text
        // cannot be listed nor opened through it.
        if (QFile::encodeName(QFile::decodeName(name)) != name)
            ++count;
    }
    ::closedir(dir);
#else
    Q_UNUSED(folder);
#endif
    return count;
}

QString unlistableNamesText(int count)
{
    if (count == 1)
        return QStringLiteral("Eine Datei in diesem Ordner hat einen Namen, den das Programm nicht anzeigen "
                              "kann; sie wird übersprungen.");
    return QStringLiteral("%1 Dateien in diesem Ordner haben Namen, die das Programm nicht anzeigen "
                          "können; sie werden übersprungen.")
        .arg(count);
}
