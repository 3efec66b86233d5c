// Colouring the frames of a run, several at a time: each job takes the next
// frame of the list and does all of its work on its own thread, so the files
// are the same whatever the number of jobs.
#pragma once

#include "FrameList.h"

#include <QString>

#include <atomic>
#include <functional>

class ColourModel;

enum class FrameResult { Written, Skipped, Failed };

// How the run treats a target that is there already (never the frame itself).
enum class ExistingTarget { Refuse, Replace, Skip };

// One frame: colours it and writes its target. For Failed, `why` says why in
// German.
FrameResult colourFrame(const FrameTarget &frame, const ColourModel &model, ExistingTarget existing, QString &why);

struct RunTotals {
    int written = 0, skipped = 0, failed = 0;
    int done() const { return written + skipped + failed; }
};

// Called after each frame, one call at a time, with the totals so far and, for
// a frame that failed, its German message.
using FrameReport = std::function<void(const RunTotals &totals, const QString &failure)>;

// No frame is begun once `stop` is set; those begun are finished.
RunTotals runFrames(const QList<FrameTarget> &frames, const ColourModel &model, ExistingTarget existing, int jobs,
                    const FrameReport &report, const std::atomic<int> *stop = nullptr);
