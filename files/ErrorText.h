// What the user is told when a file cannot be read or written: the program's
// own sentence, the file, and the system's reason in German.
#pragma once

#include <QString>

// The reason the system gave (an errno value) as a German sentence; a general
// sentence with the number for reasons that have none of their own.
QString systemErrorText(int error);

// `text`, then `file` on a line of its own, then, when the system gave a reason
// (`error` is not 0), that reason after a blank line.
QString fileErrorText(const QString &text, const QString &file, int error);
