// The data folder and the settings file: brush radius, brightness and zoom of the
// editor page, kept from one run to the next.
#include "ErrorText.h"
#include "MainUnit.h"
#include "PlainFile.h"
#include "SettingsFile.h"
#include "SharedFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSpinBox>
#include <QStandardPaths>
#include <array>
#include <cerrno>

QString TMainForm::GetProgramDir(bool create)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString folder = DataFolderPath(base, progpath);
    // A failure shows later, when the file written there cannot be created.
    if (create && !base.isEmpty())
        QDir().mkpath(folder);
    return folder;
}

void TMainForm::OpenSettings(const QString &fname)
{
    // Only a plain file is read: a pipe in its place would hold the start.
    QFile file;
    QByteArray bytes;
    errno = 0;
    if (openPlainFile(file, fname))
        bytes = file.read(qint64(kSettingsFileSize));
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        const int error = file.isOpen() || isSpecialFile(fname) ? 0 : errno;
        dialogs->error(this, fileErrorText(QStringLiteral("Fehler beim Öffnen der Datei."), fname, error));
        return;
    }
    // The fields in the order of the file; a short file sets only the fields
    // whose values it holds in full.
    const std::array<QSpinBox *, 4> fields{RadiusED, Radius2Ed, BrightEd, ZoomEd};
    SettingsValues values{};
    const int count = DecodeSettings(reinterpret_cast<const unsigned char *>(bytes.constData()),
                                     size_t(bytes.size()), values);
    // Each field keeps its own range and runs its change handler, in file order:
    // the radius fields copy into each other, the brightness takes the colour
    // fields again, the zoom resizes the canvas.
    for (int i = 0; i < count; ++i)
        fields[size_t(i)]->setValue(values[size_t(i)]);
    // A saved zoom wins over fitting large pictures.
    if (count == int(fields.size()))
        fitOnOpen = false;
}

void TMainForm::SaveSettings(const QString &fname)
{
    SettingsValues values{};
    // The fields in the order of the file.
    const std::array<QSpinBox *, 4> fields{RadiusED, Radius2Ed, BrightEd, ZoomEd};
    for (size_t i = 0; i < fields.size(); ++i)
        values[i] = fields[i]->value();
    const SettingsBytes bytes = EncodeSettings(values);

    // The old file is replaced only by a complete new one. Unbuffered, so a short
    // write (a full disk) shows in write()'s count: a buffered QSaveFile flushes
    // only part of its buffer in commit() and still reports success.
    // A pipe or device in the file's place stays; it is reported like a file
    // that cannot be made.
    // Two instances closing together write one after the other; the later wins.
    const FileLock lock(fname);
    QSaveFile file(fname);
    errno = 0;
    if (isSpecialFile(fname) || !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        || file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()))
               != qint64(bytes.size())
        || !file.commit()) {
        // Taken at once: cleaning up may set another error number.
        const int error = errno;
        file.cancelWriting();
        dialogs->error(this, fileErrorText(QStringLiteral("Fehler beim Anlegen der Datei."), fname, error));
    }
}
