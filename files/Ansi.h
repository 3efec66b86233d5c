// The 8-bit text of colour-list files and "folders.dat": Windows-1252, so the
// files move between systems byte for byte.
#pragma once

#include <QByteArray>
#include <QString>

// Characters that Windows-1252 cannot hold become "?".
QByteArray toAnsi(const QString &text);
// Every byte maps to a character; the five bytes without one in Windows-1252
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) come back as the control characters of the
// same value, as on the classic platform.
QString fromAnsi(const QByteArray &bytes);
