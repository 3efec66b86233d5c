#include "FavouriteFolders.h"

#include "Ansi.h"
#include "PlainFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

void moveFavouriteToFront(QStringList &entries, const QString &folder)
{
    const qsizetype found = entries.lastIndexOf(folder);
    if (found >= 0)
        entries.removeAt(found);
    entries.prepend(folder);
}

QStringList parseFavouriteLines(const QByteArray &bytes)
{
    QStringList entries;
    qsizetype start = 0;
    while (start < bytes.size() && entries.size() < kFavouriteEntryLimit) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        qsizetype length = end - start;
        while (length > 0 && bytes[start + length - 1] == '\r')
            --length;
        if (length <= kFavouriteLineLimit)
            entries.append(fromAnsi(bytes.mid(start, length)));
        start = next;
    }
    return entries;
}

QByteArray favouriteLinesBytes(const QStringList &entries)
{
    QByteArray bytes;
    for (const QString &entry : entries) {
        // A folder name with a line break in it (possible on Linux) would come
        // back as two wrong entries; it stays in the list for this run only.
        if (entry.contains(QLatin1Char('\n')) || entry.contains(QLatin1Char('\r')))
            continue;
        bytes += toAnsi(entry);
        bytes += "\r\n";
    }
    return bytes;
}

QStringList readFavouriteFile(const QString &path)
{
    QFile file;
    if (!openPlainFile(file, path))
        return {};
    QByteArray bytes = file.read(kFavouriteFileLimit);
    if (file.error() != QFileDevice::NoError)
        return {};
    // A line cut by the limit is not a whole entry.
    if (file.size() > kFavouriteFileLimit)
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
    return parseFavouriteLines(bytes);
}

bool writeFavouriteFile(const QString &path, const QStringList &entries)
{
    // A file the user has write-protected stays as it is, although its folder
    // would let a replacement in; so does a pipe or device in its place.
    const QFileInfo existing(path);
    if (existing.exists() && (!existing.isWritable() || !existing.isFile()))
        return false;
    // Unbuffered: a short write on a full disk must show in write()'s count.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = favouriteLinesBytes(entries);
    if (file.write(bytes) != bytes.size())
        return false; // the temporary file is removed, the old one stays
    return file.commit();
}
