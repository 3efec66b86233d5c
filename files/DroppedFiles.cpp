#include "DroppedFiles.h"

#include <algorithm>

DropChoice chooseDroppedFile(const QList<QUrl> &urls, const std::function<bool(const QString &)> &isFolder)
{
    DropChoice choice;
    const auto first = std::find_if(urls.begin(), urls.end(), [](const QUrl &url) {
        return url.isLocalFile() && !url.toLocalFile().isEmpty();
    });
    if (first == urls.end())
        return choice;
    choice.open = first->toLocalFile();
    choice.folder = isFolder(choice.open);
    choice.ignored = int(urls.size()) - 1;
    return choice;
}

QString ignoredDropText(int ignored)
{
    if (ignored <= 0)
        return QString();
    if (ignored == 1)
        return QStringLiteral("Eine weitere Datei wurde nicht geöffnet.");
    return QStringLiteral("%1 weitere Dateien wurden nicht geöffnet.").arg(ignored);
}
