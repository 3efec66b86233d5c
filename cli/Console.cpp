#include "Console.h"

#include <QLocale>

#include <unistd.h>

namespace {

QString decimal(double value)
{
    QLocale german(QLocale::German, QLocale::Germany);
    german.setNumberOptions(QLocale::OmitGroupSeparator);
    return german.toString(value, 'f', 1);
}

QString minutesAndSeconds(double seconds)
{
    const qint64 s = qint64(seconds + 0.5);
    return s >= 3600 ? QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

constexpr qint64 kProgressEveryMs = 100; // at most ten lines a second

} // namespace

QString progressText(int done, int total, double seconds)
{
    QString text = QStringLiteral("%1/%2 Bilder").arg(done).arg(total);
    if (done > 0 && seconds > 0) {
        const double rate = done / seconds;
        text += QStringLiteral(", %1 Bilder/s, noch %2").arg(decimal(rate), minutesAndSeconds((total - done) / rate));
    }
    return text;
}

QString summaryText(const RunTotals &totals, int total, double seconds)
{
    return QStringLiteral("nuanza-batch: %1 von %2 Bildern geschrieben, %3 fehlgeschlagen, %4 übersprungen, %5 s, %6 Bilder/s")
        .arg(totals.written)
        .arg(total)
        .arg(totals.failed)
        .arg(totals.skipped)
        .arg(decimal(seconds), decimal(seconds > 0 ? totals.done() / seconds : 0.0));
}

Console::Console(std::FILE *stream, int total, bool quiet)
    : stream(stream), total(total), quiet(quiet), terminal(::isatty(::fileno(stream)) == 1)
{
    clock.start();
}

void Console::frameDone(const RunTotals &totals, const QString &failure)
{
    if (!failure.isEmpty()) {
        clearProgress();
        write(QStringLiteral("nuanza-batch: ") + failure + QLatin1Char('\n'));
    }
    const qint64 now = clock.elapsed();
    if (quiet || !terminal || now - shownAt < kProgressEveryMs)
        return;
    shownAt = now;
    write(QStringLiteral("\r\033[K") + progressText(totals.done(), total, now / 1000.0));
    progressShown = true;
}

void Console::finish(const RunTotals &totals)
{
    clearProgress();
    if (!quiet)
        write(summaryText(totals, total, clock.elapsed() / 1000.0) + QLatin1Char('\n'));
}

void Console::write(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

void Console::clearProgress()
{
    if (progressShown)
        write(QStringLiteral("\r\033[K"));
    progressShown = false;
}
