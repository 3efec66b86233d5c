#include "FilmBatch.h"

#include "ErrorText.h"
#include "FormatCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

QStringList batchFilesFromSelection(const QStringList &selected, const QString &openPicture)
{
    const auto same = [](const QString &a, const QString &b) {
        return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
    };
    if (selected.size() == 1 && !openPicture.isEmpty() && same(selected.first(), openPicture))
        return {};
    return selected;
}

QString batchOpenFilter()
{
    // Descriptions as the classic dialog shows them, typos included.
    static const char *const entries[][2] = {
        {"Alle Bilder", "*.BMP;*.DIB;*.GIF;*.IFF;*.JIF;*.JPG;*.LBM;*.PCX;*.RLE;*.TGA;*.TIF;*.JP2;*.PNG"},
        {"BMP - Windows, OS/2 Bitmap", "*.BMP"},
        {"DIB - Windows, OS/2 DIB", "*.DIB"},
        {"GIF - CompuServe Graphics Interchange", "*.GIF"},
        {"IFF - Amiga", "*.IFF"},
        {"JIF - JPEG - JFIF Compilant", "*.JIF"},
        {"JPG - JPEG - JFIF Compilant", "*.JPG"},
        {"LBM - Deluxe Paint", "*.LBM"},
        {"PCX - ZSoft Paintbrush", "*.PCX"},
        {"RLE - Windows RLE", "*.RLE"},
        {"TGA - Truevision Targa", "*.TGA"},
        {"TIF - Tagged image file Format", "*.TIF"},
        {"JP2 - JPEG 2000", "*.JP2"},
        {"PNG - Portable Network Graphics", "*.PNG"},
    };
    QStringList parts;
    for (const auto &entry : entries)
        parts << QString::fromUtf8(entry[0]) << QString::fromUtf8(entry[1]);
    return parts.join(QLatin1Char('|'));
}

BatchWrite writePicture(const dib &result, const QString &target, bk3_sink *sink)
{
    const int format = formatCodeForFile(target);
    if (format == 0)
        return BatchWrite::NoFormat;
    const QByteArray name = QFile::encodeName(target);
    return SaveDib(result, name.constData(), format, sink) == 1 ? BatchWrite::Written : BatchWrite::Failed;
}

BatchWrite colourAndWrite(const dib &di, dib &outdi, const RowTable &rows, const ColourModel &model,
                          const QString &target, bk3_sink *sink, Cores cores)
{
    TransferColours(di, outdi, rows, model, cores);
    return writePicture(outdi, target, sink);
}

BatchFileResult colourFile(const QString &path, const QString &target, const ColourModel &model, bk3_sink *sink,
                           BatchWorkspace &workspace, const Progress &progress, Cores cores)
{
    BatchFileResult outcome;
    dib record = emptydib();
    OpenDib(&record, QFile::encodeName(path).constData(), 0, sink);
    if (record.poi == nullptr) {
        outcome.failure = LoadFailure::Unreadable;
        outcome.reason = libraryReason(record);
        return outcome;
    }
    Picture read(record);
    if (ComposeColours(read.get(), workspace.result.get(), model, cores)) {
        outcome.write = writePicture(workspace.result.get(), target, sink);
        outcome.writeError = outcome.write == BatchWrite::Failed ? errno : 0;
        return outcome;
    }

    LoadedPicture loaded =
        completePicture(std::move(read), progress, cores == Cores::One ? RowThreads::One : RowThreads::All);
    outcome.failure = loaded.failure;
    outcome.reason = loaded.reason;
    if (loaded.failure != LoadFailure::None)
        return outcome;
    outcome.write = colourAndWrite(loaded.source.get(), loaded.result.get(), loaded.source.rows(), model,
                                   target, sink, cores);
    outcome.writeError = outcome.write == BatchWrite::Failed ? errno : 0;
    return outcome;
}

QString unwrittenReason(BatchWrite why, const QString &target, int error)
{
    if (why == BatchWrite::NoFormat)
        return QStringLiteral("kein Bildformat für die Endung \"%1\"").arg(fileExtension(target));
    return error != 0 ? systemErrorText(error) : QStringLiteral("Schreibfehler");
}

QString unwrittenFilesText(const QList<UnwrittenFile> &files)
{
    QStringList lines;
    for (const UnwrittenFile &file : files)
        lines << QStringLiteral("%1 (%2)").arg(file.path, unwrittenReason(file.why, file.path, file.error));
    return QStringLiteral("Diese Bilder wurden coloriert, konnten aber nicht gespeichert werden "
                          "und sind unverändert:\n\n")
        + lines.join(QLatin1Char('\n'));
}
