// Saving the result picture: "Speichern" and "Speichern unter...".
#include "ErrorText.h"
#include "FormatCodes.h"
#include "MainUnit.h"
#include "PictureHistory.h"
#include "SequenceNames.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <cerrno>

bool TMainForm::SaveTheFile(const QString &tempfile)
{
    const int format = formatCodeForFile(tempfile);
    if (format == 0) {
        // Refused before writing: the result stays unsaved, not lost.
        const QString extension = fileExtension(tempfile);
        const QString reason =
            extension.isEmpty()
                ? QStringLiteral("Der Dateiname hat keine Endung, die ein Bildformat bestimmt.")
                : QStringLiteral("Für die Endung \"%1\" gibt es kein Bildformat.").arg(extension);
        dialogs->error(this, QStringLiteral("Das Bild konnte nicht gespeichert werden:\n%1\n\n%2")
                                 .arg(tempfile, reason));
        return false;
    }
    // The library leaves a write-protected file alone; saying so beats a bare
    // "could not be saved".
    const QFileInfo target(tempfile);
    if (target.exists() && !target.isWritable()) {
        dialogs->error(this, QStringLiteral("Die Datei %1 ist schreibgeschützt.").arg(tempfile));
        return false;
    }
    const QByteArray name = QFile::encodeName(tempfile);
    if (SaveDib(outdi, name.constData(), format, messageSink()) != 1) {
        // Taken at once: the library leaves the system's reason in errno.
        const int error = errno;
        QString text = QStringLiteral("Das Bild konnte nicht gespeichert werden:\n%1").arg(tempfile);
        if (error != 0)
            text += QStringLiteral("\n\n") + systemErrorText(error);
        dialogs->error(this, text);
        return false;
    }
    SetUnChanged();
    history->markSaved();
    LastSavedWithPathEd->setText(tempfile);
    // The field is narrow: the name alone; the full path is in the hidden field.
    LastSavedEd->setText(QFileInfo(tempfile).fileName());
    return true;
}

bool TMainForm::SaveWithDialog()
{
    FileRequest request;
    request.title = QStringLiteral("Speichern unter");
    request.folder = saveDialog1Folder;
    request.filter = QString::fromLocal8Bit(GetDIBSaveFilter());
    request.filterIndex = saveDialog1FilterIndex;
    const FileAnswer answer = askSaveName(request);
    if (!answer.accepted)
        return false;
    // Like the classic dialog, the chosen entry stays chosen for the next time.
    saveDialog1FilterIndex = answer.filterIndex;

    const QString name = answer.fileNames.first();
    if (!SaveTheFile(name))
        return false;
    afilename = name;
    return true;
}

FileAnswer TMainForm::askSaveName(FileRequest request)
{
    // The dialog would ask about the name as typed, not about the one written.
    request.confirmOverwrite = false;
    FileAnswer answer = dialogs->saveFile(this, request);
    if (!answer.accepted || answer.fileNames.isEmpty())
        return FileAnswer();
    QString &name = answer.fileNames.first();
    if (fileExtension(name).isEmpty())
        name += request.defaultExt.isEmpty() ? defaultExtensionForFilter(answer.filterIndex) : request.defaultExt;
    if (QFileInfo::exists(name) &&
        dialogs->question(this, replaceFileQuestion(name), request.title, QMessageBox::Yes | QMessageBox::No) !=
            QMessageBox::Yes)
        return FileAnswer();
    return answer;
}

bool TMainForm::SaveFile()
{
    const bool result = afilename.isEmpty() ? SaveWithDialog() : SaveTheFile(afilename);
    if (result)
        SetUnChanged(); // the caption names the new file
    return result;
}

void TMainForm::BitBtn1Click()
{
    if (SaveWithDialog())
        SetUnChanged();
}

void TMainForm::MySaveAsBtnClick() { BitBtn1Click(); }

void TMainForm::SaveBtnClick() { SaveFile(); }
