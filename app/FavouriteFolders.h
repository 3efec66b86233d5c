// The favourite folders without widgets: the order of the list and the file
// "folders.dat" (one entry a line, Windows-1252, lines ended by CR LF).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Makes `folder` the first entry. An entry equal to it (exactly, letter case
// included) moves to the front; of several equal entries only the last one
// moves, the others stay where they are.
void moveFavouriteToFront(QStringList &entries, const QString &folder);

// What is read of "folders.dat": the start of the file up to this many bytes,
// up to this many entries, and only lines no longer than a path can be; the
// rest is ignored, so a huge or damaged file neither holds the start nor fills
// the list.
constexpr qsizetype kFavouriteFileLimit = qsizetype(1) << 20;
constexpr qsizetype kFavouriteEntryLimit = 1000;
constexpr qsizetype kFavouriteLineLimit = 4096;

// The entries in the bytes of "folders.dat". A line ends at LF; carriage
// returns before it are dropped, so CR LF, a lone LF (a file edited on Linux) and
// a doubled CR CR LF all read alike. A last line without an end counts; an
// empty line is an empty entry. Longer lines and entries beyond the limits
// above are left out.
QStringList parseFavouriteLines(const QByteArray &bytes);

// Every entry as one Windows-1252 line ended by CR LF; characters that
// Windows-1252 cannot hold become "?". An entry with a line break in it cannot
// be kept as one line and is left out.
QByteArray favouriteLinesBytes(const QStringList &entries);

// The entries of the file at `path`; empty when it is missing, unreadable or not
// a plain file. Of a file larger than the limit, the lines that end within it.
QStringList readFavouriteFile(const QString &path);

// Writes the entries to `path` through a temporary file in the same folder
// that replaces it only when complete. False, with the old file untouched, when
// the folder or an existing file is write-protected or the write fails.
bool writeFavouriteFile(const QString &path, const QStringList &entries);
