// Reading a picture file into a new 24-bit source picture and its result copy,
// without touching the pictures the window holds until both new ones exist.
#pragma once

#include "Picture.h"
#include "RowProgress.h"

#include <QByteArray>
#include <QString>

enum class LoadFailure {
    None,
    Unreadable,   // the library could not read the file; `reason` may say why
    NoTrueColour, // a depth that cannot be widened to 24 bits
    OutOfMemory,  // read, but no memory for the 24-bit picture or its copy
};

// The outcome of a load. On success `source` is a 24-bit picture and `result`
// a byte-for-byte copy of it; on failure both are empty.
struct LoadedPicture {
    Picture source;
    Picture result;
    LoadFailure failure = LoadFailure::None;
    QString reason;
};

// Reads `encodedName` (the file name in the local 8-bit encoding) with OpenDib,
// sending the library's progress to `sink`, then widens and copies it as
// completePicture does.
LoadedPicture readPicture(const QByteArray &encodedName, bk3_sink *sink, const Progress &progress);

// Takes over `read` (a picture just read): widens it to 24 bits and creates the
// result copy. Reports the widening's progress.
LoadedPicture completePicture(Picture read, const Progress &progress, RowThreads threads = RowThreads::All);

// The failure text the library leaves in the entries of `pal` after a failed
// read: UTF-16 up to its NUL, never beyond the 1024 bytes of the entries.
QString libraryReason(const dib &failed);

// A failure as the user is told of it.
struct LoadFailureMessage {
    QString text;
    QString title;
    bool errorIcon = false;
};

// The message for a failed load of `fileName`. A library reason of more than
// five characters becomes the text, with the file named in the title.
LoadFailureMessage loadFailureMessage(LoadFailure failure, const QString &fileName,
                                      const QString &reason);
