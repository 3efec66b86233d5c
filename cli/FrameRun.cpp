#include "FrameRun.h"

#include "BatchOptions.h"
#include "FilmBatch.h"

#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

bool occupied(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString loadFailureText(const BatchFileResult &result)
{
    switch (result.failure) {
    case LoadFailure::OutOfMemory:
        return QStringLiteral("nicht genug Speicher");
    case LoadFailure::NoTrueColour:
        return QStringLiteral("nicht coloriert: %1").arg(result.reason);
    default:
        return result.reason.isEmpty() ? QStringLiteral("nicht lesbar")
                                       : QStringLiteral("nicht lesbar: %1").arg(result.reason);
    }
}

} // namespace

FrameResult colourFrame(const FrameTarget &frame, const ColourModel &model, ExistingTarget existing, QString &why)
{
    if (!frame.overItself && existing != ExistingTarget::Replace && occupied(frame.target)) {
        if (existing == ExistingTarget::Skip)
            return FrameResult::Skipped;
        why = QStringLiteral("nicht geschrieben: %1 gibt es schon (--overwrite ersetzt es)").arg(quoted(frame.target));
        return FrameResult::Failed;
    }
    // Each job keeps its own result picture from one frame to the next.
    thread_local BatchWorkspace workspace;
    const BatchFileResult result = colourFile(frame.frame, frame.target, model, nullptr, workspace, Progress(), Cores::One);
    if (result.failure != LoadFailure::None)
        why = loadFailureText(result);
    else if (result.write != BatchWrite::Written)
        why = QStringLiteral("nicht geschrieben: %1").arg(unwrittenReason(result.write, frame.target, result.writeError));
    return why.isEmpty() ? FrameResult::Written : FrameResult::Failed;
}

RunTotals runFrames(const QList<FrameTarget> &frames, const ColourModel &model, ExistingTarget existing, int jobs,
                    const FrameReport &report, const std::atomic<int> *stop)
{
    std::atomic<qsizetype> next{0};
    std::mutex reporting;
    RunTotals totals;
    const auto work = [&] {
        for (qsizetype i; !(stop && stop->load()) && (i = next.fetch_add(1)) < frames.size();) {
            QString why;
            const FrameResult result = colourFrame(frames[i], model, existing, why);
            const std::lock_guard<std::mutex> lock(reporting);
            (result == FrameResult::Written ? totals.written
                                            : result == FrameResult::Skipped ? totals.skipped : totals.failed) += 1;
            if (report)
                report(totals, why.isEmpty() ? why : QStringLiteral("%1: %2").arg(frames[i].frame, why));
        }
    };
    const int threads = int(std::clamp<qsizetype>(frames.size(), 1, std::max(1, jobs)));
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread &helper : helpers)
        helper.join();
    return totals;
}
