#include "UserDialogs.h"
#include "Startup.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

void UserDialogs::error(QWidget *parent, const QString &text, const QString &title)
{
    message(parent, text, title, QMessageBox::Critical, QMessageBox::Ok);
}

QMessageBox::StandardButton UserDialogs::question(QWidget *parent, const QString &text,
                                                  const QString &title,
                                                  QMessageBox::StandardButtons buttons)
{
    return message(parent, text, title, QMessageBox::Question, buttons);
}

QStringList classicFilterToQt(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString masks = parts[i + 1];
        masks.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt shows the masks in brackets itself; a description that already ends
        // in its masks would show them twice.
        QString description = parts[i].trimmed();
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            description = description.left(description.lastIndexOf(QLatin1Char('('))).trimmed();
        result << QStringLiteral("%1 (%2)").arg(description, masks.simplified());
    }
    return result;
}

QMessageBox::StandardButton QtUserDialogs::message(QWidget *parent, const QString &text,
                                                   const QString &title, QMessageBox::Icon icon,
                                                   QMessageBox::StandardButtons buttons)
{
    // Without a title of its own a box is titled with the program's name.
    QMessageBox box(icon, title.isEmpty() ? QString::fromUtf8(kProgramTitle) : title, text, buttons, parent);
    const int result = box.exec();
    return QMessageBox::StandardButton(result);
}

namespace {
// Configures a file dialog from a classic request (Qt matches masks without regard to case).
void setUp(QFileDialog &dialog, const FileRequest &request)
{
    dialog.setWindowTitle(request.title);
    const QStringList filters = classicFilterToQt(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = qBound(1, request.filterIndex, int(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
}

FileAnswer answerOf(const QFileDialog &dialog, int result)
{
    FileAnswer answer;
    answer.accepted = result == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (answer.accepted) {
        answer.fileNames = dialog.selectedFiles();
        answer.filterIndex = int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
        if (answer.filterIndex < 1)
            answer.filterIndex = 1;
    }
    return answer;
}
} // namespace

FileAnswer QtUserDialogs::openFile(QWidget *parent, const FileRequest &request)
{
    QFileDialog dialog(parent);
    setUp(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    return answerOf(dialog, dialog.exec());
}

FileAnswer QtUserDialogs::saveFile(QWidget *parent, const FileRequest &request)
{
    QFileDialog dialog(parent);
    setUp(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    QString ext = request.defaultExt;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    if (!ext.isEmpty())
        dialog.setDefaultSuffix(ext);
    return answerOf(dialog, dialog.exec());
}

bool QtUserDialogs::chooseColour(QWidget *parent, QColor &colour)
{
    const QColor chosen = QColorDialog::getColor(colour, parent);
    if (!chosen.isValid())
        return false;
    colour = chosen;
    return true;
}

bool QtUserDialogs::printerSetup(QWidget *parent, QPrinter *printer)
{
    // The system's printer choice (printers and a PDF file) with the paper in its
    // properties. It only sets the printer up; the print dialog's OK prints.
    QPrintDialog dialog(printer, parent);
    dialog.setWindowTitle(QStringLiteral("Drucker einrichten"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>())
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    return dialog.exec() == QDialog::Accepted;
}

int QtUserDialogs::exec(QDialog *dialog) { return dialog->exec(); }
