// What a run shows on standard error: each frame that failed, a progress line
// when standard error is a terminal, a summary line at the end.
#pragma once

#include "FrameRun.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// "37/200 Bilder, 12,5 Bilder/s, noch 0:13"
QString progressText(int done, int total, double seconds);

// "nuanza-batch: 198 von 200 Bildern geschrieben, 2 fehlgeschlagen, 0 übersprungen, 16,2 s, 12,3 Bilder/s"
QString summaryText(const RunTotals &totals, int total, double seconds);

class Console {
public:
    Console(std::FILE *stream, int total, bool quiet);

    // For runFrames: not thread-safe on its own, runFrames serialises the calls.
    void frameDone(const RunTotals &totals, const QString &failure);
    void finish(const RunTotals &totals);

private:
    void write(const QString &text);
    void clearProgress();

    std::FILE *stream;
    const int total;
    const bool quiet;
    const bool terminal;
    QElapsedTimer clock;
    qint64 shownAt = -1000; // ms of the last progress line
    bool progressShown = false;
};
