// What a drop of files on the window does: the first local file of the drop is
// opened as if chosen in the file list; the others are left and counted.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <functional>

struct DropChoice {
    QString open;        // local path of what to open; empty: the drop is not taken
    bool folder = false; // `open` is a folder, which is only refused with the usual message
    int ignored = 0;     // the other dropped items, left unopened
};

// Picks what to open from `urls`. Items that are no local files (web
// addresses) are never opened but count among the ignored ones. `isFolder`
// tells a folder from a file.
DropChoice chooseDroppedFile(const QList<QUrl> &urls, const std::function<bool(const QString &)> &isFolder);

// The status bar's note on the ignored items; empty when there are none.
QString ignoredDropText(int ignored);
