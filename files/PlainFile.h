// The per-user files are plain files: a pipe, socket or device in their place is
// neither read (a pipe would hold the program until something writes to it) nor
// replaced by a regular file.
#pragma once

#include <QFile>
#include <QString>

// Opens `path` for reading into `file` when it is a regular file (a link to one
// counts). False, without waiting and without opening it for reading, for
// anything else or when it cannot be opened.
bool openPlainFile(QFile &file, const QString &path);

// True when something other than a regular file stands at `path` (a link is
// followed): such a file is left as it is.
bool isSpecialFile(const QString &path);

// The size of the regular file at `path`; -1 when there is none or something
// other than a regular file stands there.
qint64 plainFileSize(const QString &path);
