// Which picture format a file name asks for, and which extension an entry of
// the save filter stands for. Plain functions: saving and the batch share them.
#pragma once

#include <QString>

// The extension of the file name in `path`, dot included (".jpg"); empty when
// the name has no dot. Dots in folder names do not count.
QString fileExtension(const QString &path);

// The imaging library's format code for the extension of `path`, compared
// without regard to case; 0 when no format belongs to it.
int formatCodeForFile(const QString &path);

// The extension appended to a typed name without one, by the entry of the
// library's save filter (counted from 1); empty outside 1..11.
QString defaultExtensionForFilter(int filterIndex);
