#include "SequenceNames.h"

#include "FormatCodes.h"

#include <QFileInfo>

QString paddedNumber(int64_t number, int digits)
{
    // The magnitude as unsigned, so the most negative number has one too.
    const uint64_t magnitude = number < 0 ? uint64_t(0) - uint64_t(number) : uint64_t(number);
    const QString text = QStringLiteral("%1").arg(magnitude, digits, 10, QLatin1Char('0'));
    return number < 0 ? QLatin1Char('-') + text : text;
}

QString NumberedSequence::name(int64_t number) const
{
    return base + paddedNumber(number, digits) + extension;
}

NumberedSequence sequenceFor(const QString &chosen, const QString &fallbackExtension,
                             int64_t first, int64_t last, int digits)
{
    NumberedSequence sequence;
    sequence.extension = fileExtension(chosen);
    sequence.base = chosen.left(chosen.size() - sequence.extension.size());
    if (sequence.extension.isEmpty())
        sequence.extension = fallbackExtension;
    sequence.first = first;
    sequence.last = last;
    sequence.digits = digits;
    return sequence;
}

QStringList existingSequenceFiles(const NumberedSequence &sequence)
{
    QStringList existing;
    for (int64_t i = 0; i < sequence.count(); ++i) {
        const QString name = sequence.name(sequence.first + i);
        if (QFileInfo::exists(name))
            existing.append(name);
    }
    return existing;
}

QString replaceFileQuestion(const QString &file)
{
    return QStringLiteral("Die folgende Datei gibt es bereits:\n\n%1\n\nSoll sie ersetzt werden?").arg(file);
}

QString replaceQuestion(const QStringList &existing, int shown)
{
    const bool one = existing.size() == 1;
    QString text = one ? QStringLiteral("Die folgende Datei der Bildfolge gibt es bereits:\n\n")
                       : QStringLiteral("Die folgenden %1 Dateien der Bildfolge gibt es bereits:\n\n")
                             .arg(existing.size());
    for (qsizetype i = 0; i < existing.size() && i < shown; ++i)
        text += existing[i] + QLatin1Char('\n');
    if (existing.size() > shown)
        text += QStringLiteral("... und %1 weitere\n").arg(existing.size() - shown);
    text += one ? QStringLiteral("\nSoll sie ersetzt werden?")
                : QStringLiteral("\nSollen sie ersetzt werden?");
    return text;
}
