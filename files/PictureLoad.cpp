#include "PictureLoad.h"

#include "Depth.h"

#include <algorithm>
#include <cstring>

namespace {

LoadedPicture failed(LoadFailure failure, const QString &reason = QString())
{
    LoadedPicture outcome;
    outcome.failure = failure;
    outcome.reason = reason;
    return outcome;
}

bool isPaletteDepth(int32_t bits) { return bits == 1 || bits == 4 || bits == 8; }

// Copies the rows of `from` into `to` (same depth and width, so the rows are
// laid out alike; rows of the copy are never shorter). A large picture takes
// seconds: the gauge moves with every band of rows.
void copyRows(const dib &from, const dib &to, const Progress &progress)
{
    const int32_t height = dibheight(from);
    const size_t rowBytes = size_t(std::min(from.bytew, to.bytew));
    const int32_t bandRows = bandRowsFor(from.bytew, int64_t(8) << 20);
    for (int32_t y = 0; y < height; y += bandRows) {
        reportProgress(progress, rowPercent(y, height));
        const int32_t end = std::min(height, y + bandRows);
        if (from.bytew == to.bytew)
            std::memcpy(to.poi + size_t(y) * size_t(to.bytew), from.poi + size_t(y) * size_t(from.bytew),
                        size_t(end - y) * size_t(from.bytew));
        else
            for (int32_t row = y; row < end; ++row)
                std::memcpy(to.poi + size_t(row) * size_t(to.bytew),
                            from.poi + size_t(row) * size_t(from.bytew), rowBytes);
    }
    reportProgress(progress, 0); // emptied at the end, as after widening
}

} // namespace

QString libraryReason(const dib &failed)
{
    constexpr size_t entryBytes = sizeof failed.pal.rgb0;
    char16_t text[entryBytes / sizeof(char16_t)];
    std::memcpy(text, failed.pal.rgb0, sizeof text);
    const char16_t *end = std::find(std::begin(text), std::end(text), u'\0');
    return QString::fromUtf16(text, end - text);
}

LoadedPicture completePicture(Picture read, const Progress &progress, RowThreads threads)
{
    if (read.empty())
        return failed(LoadFailure::Unreadable);
    const int32_t bits = read.bits();
    DepthUpTo(read.get(), 24, progress, threads);
    if (read.bits() != 24) {
        // A palette picture that stayed narrow found no memory for its wide copy.
        if (isPaletteDepth(bits))
            return failed(LoadFailure::OutOfMemory);
        return failed(LoadFailure::NoTrueColour,
                      QStringLiteral("Bilder mit %1 Bit pro Pixel werden nicht unterstützt.").arg(bits));
    }

    Picture copy(read.width(), read.height(), 24);
    if (copy.empty() || copy->poih == 0)
        return failed(LoadFailure::OutOfMemory);
    copyRows(read.get(), copy.get(), progress);

    LoadedPicture outcome;
    outcome.source = std::move(read);
    outcome.result = std::move(copy);
    return outcome;
}

LoadedPicture readPicture(const QByteArray &encodedName, bk3_sink *sink, const Progress &progress)
{
    dib read = emptydib();
    OpenDib(&read, encodedName.constData(), 0, sink);
    if (read.poi == nullptr)
        return failed(LoadFailure::Unreadable, libraryReason(read));
    return completePicture(Picture(read), progress);
}

LoadFailureMessage loadFailureMessage(LoadFailure failure, const QString &fileName,
                                      const QString &reason)
{
    const QString notLoaded =
        QStringLiteral("Fehler: Die Datei ") + fileName + QStringLiteral(" konnte nicht geladen werden!");
    if (failure == LoadFailure::OutOfMemory)
        return {QStringLiteral("Fehler: Zuwenig Speicher! Die Datei ") + fileName +
                    QStringLiteral(" konnte nicht geladen werden. Das bisherige Bild bleibt erhalten."),
                QStringLiteral("Fehler"), true};
    if (reason.length() > 5)
        return {reason, notLoaded, false};
    return {notLoaded, QStringLiteral("Fehler"), false};
}
