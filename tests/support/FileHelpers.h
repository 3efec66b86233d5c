// Reading and writing whole files in tests, and comparing a written picture with
// the one in memory.
#pragma once

#include "Picture.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// The bytes of a file; "<missing>" when it cannot be read, so a missing file
// never passes for an empty one.
inline QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// False when the file could not be written whole.
inline bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Empty when the picture in `path` has the size of `expected` and, if `exact`,
// the same pixels; otherwise what differs.
inline QString compareWithFile(const dib &expected, const QString &path, bool exact = true)
{
    Picture read;
    OpenDib(&read.get(), QFile::encodeName(path).constData(), 0, nullptr);
    if (read.empty())
        return QStringLiteral("not readable");
    QString difference;
    if (read.width() != dibwidth(expected) || read.height() != dibheight(expected))
        difference = QStringLiteral("size %1 x %2").arg(read.width()).arg(read.height());
    for (int y = 0; exact && difference.isEmpty() && y < dibheight(expected); ++y)
        for (int x = 0; difference.isEmpty() && x < dibwidth(expected); ++x)
            if (getpixel(read.get(), x, y) != getpixel(expected, x, y))
                difference = QStringLiteral("pixel %1,%2").arg(x).arg(y);
    return difference;
}
