// Which picture format a file name asks for, which extension an entry of the
// save filter stands for, the entries of a filter and which of them shows a
// file, and folder names with their separator. Plain functions: the window, saving and the batch share them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The extension of the file name in `path`, dot included (".jpg"); empty when
// the name has no dot. Dots in folder names do not count.
QString fileExtension(const QString &path);

// The imaging library's format code for the extension of `path`, compared
// without regard to case; 0 when no format belongs to it.
int formatCodeForFile(const QString &path);

// The extensions formatCodeForFile knows, in lower case without the dot.
QStringList formatExtensions();

// The extension appended to a typed name without one, by the entry of the
// library's save filter (counted from 1); empty outside 1..12.
QString defaultExtensionForFilter(int filterIndex);

// One entry of a file-type filter: its description and its masks ("*.BMP", ...).
struct FilterEntry {
    QString description;
    QStringList masks;
};

// Splits a filter in the classic form "description|mask;mask|description|mask..."
// into its entries; a description without masks is dropped.
QList<FilterEntry> parseFilter(const QString &filter);

// Whether the masks of `entry` let the file list show the file named
// `fileName` (name only): wildcards, without regard to case, as the list matches.
bool filterEntryShows(const FilterEntry &entry, const QString &fileName);

// The entry under which the file list is to show `fileName`: `current` when it
// shows the file, otherwise the entry "Alle Bilder" (whether or not that one
// shows it), or `current` when there is no such entry.
int filterEntryForFile(const QList<FilterEntry> &entries, int current, const QString &fileName);

// `path` with the native separator appended when it does not already end in one.
QString withTrailingSeparator(const QString &path);
