#include "ErrorText.h"

#include <QDir>
#include <cerrno>

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Die Berechtigung für die Datei oder ihren Ordner fehlt.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENAMETOOLONG:
        return QStringLiteral("Der Dateiname ist zu lang.");
    case ENOENT:
        return QStringLiteral("Die Datei oder ihr Ordner existiert nicht.");
    case ENOTDIR:
        return QStringLiteral("Ein Teil des Pfades ist kein Ordner.");
    case EISDIR:
        return QStringLiteral("Unter diesem Namen gibt es einen Ordner.");
    case EFBIG:
        return QStringLiteral("Die Datei wäre größer, als erlaubt ist.");
    case EIO:
        return QStringLiteral("Der Datenträger meldet einen Ein-/Ausgabefehler.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Es sind zu viele Dateien geöffnet.");
    case ENOMEM:
        return QStringLiteral("Der Arbeitsspeicher reicht nicht aus.");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Die Datei wird gerade verwendet.");
    case ELOOP:
        return QStringLiteral("Der Pfad enthält zu viele Verknüpfungen.");
    default:
        return QStringLiteral("Das System meldet einen Fehler (Nummer %1).").arg(error);
    }
}

QString fileErrorText(const QString &text, const QString &file, int error)
{
    QString message = text + QLatin1Char('\n') + QDir::toNativeSeparators(file);
    if (error != 0)
        message += QStringLiteral("\n\n") + systemErrorText(error);
    return message;
}
