// Colouring a shot in order with the motion followed: each frame takes its
// colours from the frame before as coloured, the first from the model. The
// frames go one after the other; the cores share the work inside each frame.
#pragma once

#include "FrameRun.h"

#include "Picture.h"

#include <QString>

struct MotionMask;

// The untrusted pixels of `mask` as a 1-bit picture (white where the plain
// transfer's colour was kept) written to `path` in the format of its extension.
bool writeMask(const MotionMask &mask, const QString &path);

// Where the mask of `frame` goes in `folder`: the frame's name with ".png".
QString maskPathFor(const QString &frame, const QString &folder);

// `model` is the coloured picture at 24 bits. A frame that cannot be read is
// reported and left out of the chain; one whose target exists and is to be
// skipped hands on the target as it is. With `reportFolder` not empty each
// coloured frame's mask is written there.
RunTotals followFrames(const QList<FrameTarget> &frames, Picture model, ExistingTarget existing,
                       const QString &reportFolder, const FrameReport &report, const std::atomic<int> *stop = nullptr);
