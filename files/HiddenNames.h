// Names in a folder that the file list cannot show. The toolkit lists only names
// that are valid in the system's encoding for file names (UTF-8 here): a file
// named in another one, such as Latin-1 "b\xe4.bmp", is missing from the list,
// so stepping cannot reach it and the user has to be told.
#pragma once

#include <QString>

// How many entries of `folder` have such names; 0 when it cannot be read.
int unlistableNames(const QString &folder);

// The status bar's words for `count` (at least 1) such names.
QString unlistableNamesText(int count);
