// nuanza-batch: the window's batch without the window, over all cores.
#include "BatchOptions.h"
#include "Console.h"
#include "FilmBatch.h"
#include "FollowRun.h"
#include "FrameList.h"
#include "FrameRun.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <sched.h>
#include <thread>

namespace {

enum Status { AllWritten = 0, SomeNotWritten = 1, UsageError = 2 };

void say(std::FILE *stream, const QString &text) { std::fputs(text.toLocal8Bit().constData(), stream); }

int refuse(const QString &error)
{
    say(stderr, QStringLiteral("nuanza-batch: %1\n\n").arg(error) + helpText());
    return UsageError;
}

// The cores this process may run on: under a batch system or taskset fewer
// than the machine has.
int usableCores()
{
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

// Lock-free, so the handler may set it while the jobs read it.
std::atomic<int> stopSignal{0};

void stopAfterCurrentFrames(int signal) { stopSignal = signal; }

// Ctrl-C or a batch system's SIGTERM lets the frames in hand be finished, so no
// temporary file is left behind, and then ends the program by that signal.
void catchStopSignals()
{
    struct sigaction action = {};
    action.sa_handler = stopAfterCurrentFrames;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

// The frames named on the command line, then those of the list.
bool collectFrames(const BatchOptions &options, QStringList &frames, QString &error)
{
    frames = options.frames;
    if (options.filesFrom.isEmpty())
        return true;
    QFile list(options.filesFrom);
    const bool open = options.filesFrom == QLatin1String("-") ? list.open(stdin, QIODevice::ReadOnly)
                                                              : list.open(QIODevice::ReadOnly);
    if (!open) {
        error = QStringLiteral("die Liste %1 kann nicht gelesen werden").arg(quoted(options.filesFrom));
        return false;
    }
    frames += readFrameList(list);
    return true;
}

// The model picture, read at 24 bits as the window reads a picture.
bool readModel(const QString &path, Picture &picture, QString &error)
{
    LoadedPicture loaded = readPicture(QFile::encodeName(path), nullptr, Progress());
    if (loaded.failure != LoadFailure::None) {
        error = QStringLiteral("das Modell %1 kann nicht gelesen werden").arg(quoted(path))
                + (loaded.reason.isEmpty() ? QString() : QStringLiteral(": ") + loaded.reason);
        return false;
    }
    picture = std::move(loaded.source);
    return true;
}

// The hue and saturation of the model picture.
bool readModel(const QString &path, ColourModel &model, QString &error)
{
    Picture picture;
    if (!readModel(path, picture, error))
        return false;
    if (!model.build(picture.get())) {
        error = QStringLiteral("nicht genug Speicher für das Modell %1").arg(quoted(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    switch (parsed.action) {
    case ParsedCommandLine::Help:
        say(stdout, helpText());
        return AllWritten;
    case ParsedCommandLine::Version:
        say(stdout, QStringLiteral("nuanza-batch " NUANZA_VERSION "\n"));
        return AllWritten;
    case ParsedCommandLine::Usage:
        return refuse(parsed.error);
    case ParsedCommandLine::Run:
        break;
    }
    const BatchOptions &options = parsed.options;

    QStringList frames;
    QString error;
    ColourModel model;
    Picture modelPicture;
    if (!collectFrames(options, frames, error)
        || !(options.follow ? readModel(options.model, modelPicture, error) : readModel(options.model, model, error)))
        return refuse(error);
    for (const QString &folder : {options.outDir, options.reportDir})
        if (!folder.isEmpty() && !QDir().mkpath(folder))
            return refuse(QStringLiteral("der Ordner %1 kann nicht angelegt werden").arg(quoted(folder)));

    QList<FrameTarget> targets;
    for (const QString &frame : shardOf(frames, options.shard, options.shards))
        targets << targetFor(frame, options);
    const ExistingTarget existing = options.overwrite      ? ExistingTarget::Replace
                                    : options.skipExisting ? ExistingTarget::Skip
                                                           : ExistingTarget::Refuse;
    const int jobs = options.jobs > 0 ? options.jobs : usableCores();

    Console console(stderr, int(targets.size()), options.quiet);
    catchStopSignals();
    const FrameReport report = [&console](const RunTotals &t, const QString &failure) { console.frameDone(t, failure); };
    const RunTotals totals = options.follow
                                 ? followFrames(targets, std::move(modelPicture), existing, options.reportDir, report, &stopSignal)
                                 : runFrames(targets, model, existing, jobs, report, &stopSignal);
    console.finish(totals);
    if (const int signal = stopSignal.load()) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    return totals.failed == 0 ? AllWritten : SomeNotWritten;
}
