#include "FollowRun.h"

#include "BatchOptions.h"
#include "FilmBatch.h"
#include "MotionTransfer.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <vector>

namespace {

bool occupied(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString loadFailureText(const LoadedPicture &loaded)
{
    if (loaded.failure == LoadFailure::OutOfMemory)
        return QStringLiteral("nicht genug Speicher");
    return loaded.reason.isEmpty() ? QStringLiteral("nicht lesbar") : QStringLiteral("nicht lesbar: %1").arg(loaded.reason);
}

} // namespace

bool writeMask(const MotionMask &mask, const QString &path)
{
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
    auto *colours = reinterpret_cast<BITMAPINFO *>(info.data());
    colours->bmiColors[0] = RGBQUAD{0, 0, 0, 0};
    colours->bmiColors[1] = RGBQUAD{255, 255, 255, 0};
    Picture picture;
    newdib(&picture.get(), mask.width, mask.height, 1, colours, 2);
    if (picture.empty())
        return false;
    for (int y = 0; y < mask.height; ++y) {
        // Rows lie bottom-up, the leftmost pixel in the highest bit.
        uint8_t *row = picture->poi + size_t(mask.height - 1 - y) * size_t(picture->bytew);
        const uint8_t *marks = mask.untrusted.data() + size_t(y) * size_t(mask.width);
        for (int x = 0; x < mask.width; ++x)
            if (marks[x])
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    return writePicture(picture.get(), path, nullptr) == BatchWrite::Written;
}

QString maskPathFor(const QString &frame, const QString &folder)
{
    return QDir(folder).filePath(QFileInfo(frame).completeBaseName() + QStringLiteral(".png"));
}

RunTotals followFrames(const QList<FrameTarget> &frames, Picture model, ExistingTarget existing,
                       const QString &reportFolder, const FrameReport &report, const std::atomic<int> *stop)
{
    RunTotals totals;
    Picture predecessor = std::move(model);
    const auto done = [&](FrameResult result, const QString &frame, const QString &why) {
        (result == FrameResult::Written ? totals.written
                                        : result == FrameResult::Skipped ? totals.skipped : totals.failed) += 1;
        if (report)
            report(totals, why.isEmpty() ? why : QStringLiteral("%1: %2").arg(frame, why));
    };
    for (const FrameTarget &frame : frames) {
        if (stop && stop->load())
            break;
        const bool taken = !frame.overItself && occupied(frame.target);
        if (taken && existing == ExistingTarget::Skip) {
            // The frame was coloured before: the next one follows it as it is.
            LoadedPicture before = readPicture(QFile::encodeName(frame.target), nullptr, Progress());
            if (before.failure != LoadFailure::None) {
                done(FrameResult::Failed, frame.frame, loadFailureText(before));
                continue;
            }
            predecessor = std::move(before.source);
            done(FrameResult::Skipped, frame.frame, QString());
            continue;
        }
        LoadedPicture loaded = readPicture(QFile::encodeName(frame.frame), nullptr, Progress());
        if (loaded.failure != LoadFailure::None) {
            done(FrameResult::Failed, frame.frame, loadFailureText(loaded));
            continue;
        }
        MotionMask mask;
        if (!TransferColoursFollowingMotion(loaded.source.get(), loaded.result.get(), loaded.source.rows(),
                                            predecessor.get(), &mask)) {
            done(FrameResult::Failed, frame.frame, QStringLiteral("nicht genug Speicher"));
            continue;
        }
        QString why;
        if (taken && existing == ExistingTarget::Refuse) {
            why = QStringLiteral("nicht geschrieben: %1 gibt es schon (--overwrite ersetzt es)").arg(quoted(frame.target));
        } else {
            const BatchWrite write = writePicture(loaded.result.get(), frame.target, nullptr);
            if (write != BatchWrite::Written)
                why = QStringLiteral("nicht geschrieben: %1")
                          .arg(unwrittenReason(write, frame.target, write == BatchWrite::Failed ? errno : 0));
        }
        if (why.isEmpty() && !reportFolder.isEmpty() && !writeMask(mask, maskPathFor(frame.frame, reportFolder)))
            why = QStringLiteral("die Maske %1 kann nicht geschrieben werden")
                      .arg(quoted(maskPathFor(frame.frame, reportFolder)));
        // Written or not, the coloured frame is what the next one follows.
        predecessor = std::move(loaded.result);
        done(why.isEmpty() ? FrameResult::Written : FrameResult::Failed, frame.frame, why);
    }
    return totals;
}
