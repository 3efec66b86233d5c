// The names of a numbered picture sequence: base name + number padded with
// zeros + extension (Bild0001.jpg, Bild0002.jpg, ...). Plain functions.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// `number` with at least `digits` digits, padded with zeros in front; a negative
// number keeps its minus sign before the digits ("-007"). A number with more
// digits keeps them all, so no two numbers ever share a name.
QString paddedNumber(int64_t number, int digits);

struct NumberedSequence {
    QString base;      // path and name without the number
    QString extension; // dot included
    int64_t first = 1; // "Von Nummer"
    int64_t last = 10; // "Bis Nummer"
    int digits = 4;

    // How many files; 0 when first > last.
    int64_t count() const { return last < first ? 0 : last - first + 1; }
    // The file name for `number`.
    QString name(int64_t number) const;
};

// The sequence for a name chosen in the save dialog: its extension, or
// `fallbackExtension` (the chosen filter entry's) when it has none, and the
// rest as the base name.
NumberedSequence sequenceFor(const QString &chosen, const QString &fallbackExtension,
                             int64_t first, int64_t last, int digits);

// The names of the sequence that already exist on disk, in order.
QStringList existingSequenceFiles(const NumberedSequence &sequence);

// The text of the question before replacing existing files: the first `shown`
// names, one a line, and how many more there are.
QString replaceQuestion(const QStringList &existing, int shown = 10);
// The same question for a single file saved on its own.
QString replaceFileQuestion(const QString &file);
