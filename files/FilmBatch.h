// Batch colourising without the window: each file takes the colours of one
// colour model and is written back over itself in the format of its extension,
// or, for the command-line batch, to a target of its own.
#pragma once

#include "ColourTransfer.h"
#include "PictureLoad.h"

#include <QString>
#include <QStringList>

// The filter of the batch's open dialog in the classic form
// "description|masks|description|masks...": all pictures first, then each format.
QString batchOpenFilter();

// The files the batch takes from the file list's selection: all of them, but
// none when the selection is only the picture being worked on, which the list
// selects by itself whenever a picture is opened (then the batch asks for its
// files as it always has).
QStringList batchFilesFromSelection(const QStringList &selected, const QString &openPicture);

enum class BatchWrite {
    Written,
    NoFormat, // the extension names no picture format the library writes
    Failed,   // the library could not write it; the file is as it was
};

// Writes `result` to `target` in the format of its extension. The library
// writes beside the file and replaces it only when the new one is complete.
BatchWrite writePicture(const dib &result, const QString &target, bk3_sink *sink);

// The colours of `model` onto a picture just loaded (`outdi` a copy of `di`,
// addressed through `rows`), then written to `target`.
BatchWrite colourAndWrite(const dib &di, dib &outdi, const RowTable &rows, const ColourModel &model,
                          const QString &target, bk3_sink *sink, Cores cores = Cores::All);

// One file of the batch from start to end: load at 24 bits, colour, write.
struct BatchFileResult {
    LoadFailure failure = LoadFailure::None; // not None: not loaded, not written
    QString reason;                          // the library's reason for a failed load
    BatchWrite write = BatchWrite::Failed;   // when loaded
    int writeError = 0;                      // the system's reason for a failed write, 0 for none
};

// The result picture kept from one file to the next: frames of one size need
// no new memory, which on some systems costs more than the colouring itself.
struct BatchWorkspace {
    Picture result;
};

// The written file is what loading it as the window does (widened to 24 bits,
// the result a copy), TransferColours and writePicture give; 8- and 24-bit
// pictures take a shorter way to the same bytes. `progress` receives the
// widening of other depths. With Cores::One all of it stays on the calling
// thread, for callers that run one file per core.
BatchFileResult colourFile(const QString &path, const QString &target, const ColourModel &model, bk3_sink *sink,
                           BatchWorkspace &workspace, const Progress &progress = Progress(),
                           Cores cores = Cores::All);

// The same written over the file itself, as the window's batch does.
inline BatchFileResult colourFile(const QString &path, const ColourModel &model, bk3_sink *sink,
                                  BatchWorkspace &workspace, const Progress &progress = Progress())
{
    return colourFile(path, path, model, sink, workspace, progress);
}

// A file the batch coloured but could not write, and why.
struct UnwrittenFile {
    QString path;
    BatchWrite why = BatchWrite::Failed;
    int error = 0; // the system's reason (errno), 0 when it gave none
};

// Why the coloured picture for `target` was not written, in a few words, or
// the system's reason `error` when it gave one.
QString unwrittenReason(BatchWrite why, const QString &target, int error = 0);

// The message at the end of a batch that could not write every file: one line
// per file, with the reason.
QString unwrittenFilesText(const QList<UnwrittenFile> &files);
