// Printing the result and saving it as a numbered picture sequence.
#include "BildfolgeUnit.h"
#include "ButtonsXP.h"
#include "DrawDib.h"
#include "FormatCodes.h"
#include "MainUnit.h"
#include "PrintUnit.h"
#include "SequenceNames.h"
#include "Startup.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <memory>

namespace {

const QString kSequenceTitle = QStringLiteral("Bildfolge speichern");
// Von and Bis further apart than this are asked about first.
constexpr int64_t kLargeSequence = 10000;

// Draws the picture into `at` (the painter's coordinates) on one page. The
// drawing's own failures are collected in `failures`.
bool drawPage(QPaintDevice &device, const QRect &at, const dib &picture, QStringList &failures)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    DrawDib(painter, at.x(), at.y(), at.width(), at.height(), picture, 0, 0, dibwidth(picture),
            dibheight(picture), true, SRCCOPY, [&](const QString &text) { failures << text; });
    return painter.end();
}

// The page as a PDF file with the printer's paper, margins and resolution. The
// file replaces `target` only when it is complete.
bool printPdf(const QString &target, const QPrinter &printer, const QRect &at, const dib &picture,
              QStringList &failures)
{
    // Unbuffered: a short write on a full disk must not be lost in commit().
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    bool drawn = false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(printer.resolution());
        writer.setPageLayout(printer.pageLayout());
        writer.setCreator(QString::fromUtf8(kProgramTitle));
        writer.setTitle(QFileInfo(target).completeBaseName());
        drawn = drawPage(writer, at, picture, failures);
    }
    return drawn && file.commit();
}

// While it lives, the imaging library's progress reports are dropped: a sequence
// shows its own progress over all files on the gauge.
class MutedLibraryProgress {
public:
    explicit MutedLibraryProgress(bk3_sink *sink) : sink(sink), send(sink->send)
    {
        sink->send = [](void *, uint32_t, uintptr_t, intptr_t) {};
    }
    ~MutedLibraryProgress() { sink->send = send; }
    MutedLibraryProgress(const MutedLibraryProgress &) = delete;
    MutedLibraryProgress &operator=(const MutedLibraryProgress &) = delete;

private:
    bk3_sink *sink;
    decltype(bk3_sink::send) send;
};

} // namespace

void TMainForm::wirePrinting()
{
    connect(PrintBtn, &QPushButton::clicked, this, &TMainForm::PrintBtnClick);
    connect(SpeichernalsBildfolgemitNummerierung1, &QAction::triggered, this,
            &TMainForm::SpeichernalsBildfolgemitNummerierung1Click);
}

void TMainForm::CreateBildfolgeForm()
{
    if (!BildfolgeForm)
        BildfolgeForm = new TBildfolgeForm(this);
}

// ---- Printing ----

void TMainForm::PrintBtnClick()
{
    if (!PrintForm) {
        PrintForm = new TPrintForm(this);
        PrintForm->OnPrinterSetup = [this](QPrinter *printer) {
            return dialogs->printerSetup(PrintForm, printer);
        };
    }
    PrintForm->setPicture(&outdi.get());
    if (dialogs->exec(PrintForm) != QDialog::Accepted)
        return;
    PrintForm->savePercentages();
    PrintResult();
}

bool TMainForm::PrintResult()
{
    const QPrinter &printer = PrintForm->printer();
    const QRect onPage = PrintForm->pictureOnPage();
    if (onPage.isEmpty()) {
        dialogs->error(this, QStringLiteral("Auf dieser Seite ist kein Platz für das Bild."));
        return false;
    }
    // The painter's origin is the printable area's top left.
    const QRect at = onPage.translated(-PrintForm->pageGeometry().printable.topLeft());

    QStringList failures;
    bool printed = false;
    QString failed;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        QString target = printer.outputFileName();
        if (target.isEmpty()) {
            // No file set up: asked each time, so no earlier print is overwritten unasked.
            FileRequest request;
            request.title = QStringLiteral("Als PDF-Datei drucken");
            request.folder = saveDialog1Folder;
            request.filter = QStringLiteral("PDF-Datei (*.pdf)|*.pdf");
            request.defaultExt = QStringLiteral(".pdf");
            const FileAnswer answer = askSaveName(request);
            if (!answer.accepted)
                return false;
            target = answer.fileNames.first();
        }
        printed = printPdf(target, printer, at, outdi, failures);
        failed = QStringLiteral("Die PDF-Datei konnte nicht geschrieben werden:\n%1").arg(target);
    } else {
        printed = drawPage(PrintForm->printer(), at, outdi, failures);
        failed = QStringLiteral("Das Bild konnte nicht gedruckt werden.");
    }
    // The drawing's own failures are plain boxes, as on the screen.
    for (const QString &text : failures)
        dialogs->message(nullptr, text, QString(), QMessageBox::NoIcon, QMessageBox::Ok);
    if (!printed)
        dialogs->error(this, failed);
    return printed && failures.isEmpty();
}

// ---- Numbered sequence ----

void TMainForm::SpeichernalsBildfolgemitNummerierung1Click()
{
    CreateBildfolgeForm();
    if (dialogs->exec(BildfolgeForm) != QDialog::Accepted)
        return;
    const int64_t first = BildfolgeForm->VonEd->value();
    const int64_t last = BildfolgeForm->BisEd->value();
    const int digits = BildfolgeForm->DezimalstellenEd->value();
    if (first > last) {
        dialogs->message(this,
                         QStringLiteral("\"Von Nummer\" (%1) ist größer als \"Bis Nummer\" (%2).\n"
                                        "Bitte geben Sie bei \"Von Nummer\" eine Nummer an, die nicht "
                                        "größer als \"Bis Nummer\" ist.")
                             .arg(first)
                             .arg(last),
                         kSequenceTitle, QMessageBox::Warning, QMessageBox::Ok);
        return;
    }
    // A slip of a digit can mean a million files: asked before anything is
    // looked up or written.
    if (last - first > kLargeSequence &&
        dialogs->question(this,
                          QStringLiteral("Die Bildfolge umfasst %1 Dateien.\nSollen sie alle gespeichert werden?")
                              .arg(QLocale(QLocale::German).toString(qlonglong(last - first + 1))),
                          kSequenceTitle, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;

    FileRequest request;
    request.title = QStringLiteral("Bildfolge speichern unter (Name ohne Nummer)");
    request.folder = saveDialog1Folder;
    request.filter = QString::fromLocal8Bit(GetDIBSaveFilter());
    request.filterIndex = saveDialog1FilterIndex;
    // Existing files of the whole sequence are asked about at once below.
    request.confirmOverwrite = false;
    const FileAnswer answer = dialogs->saveFile(this, request);
    if (!answer.accepted || answer.fileNames.isEmpty())
        return;
    saveDialog1FilterIndex = answer.filterIndex;

    const NumberedSequence sequence = sequenceFor(answer.fileNames.first(),
                                                  defaultExtensionForFilter(answer.filterIndex),
                                                  first, last, digits);
    if (formatCodeForFile(sequence.name(first)) == 0) {
        dialogs->error(this, QStringLiteral("Die Bildfolge konnte nicht gespeichert werden:\n"
                                            "Für die Endung \"%1\" gibt es kein Bildformat.")
                                 .arg(sequence.extension));
        return;
    }
    const QStringList existing = existingSequenceFiles(sequence);
    if (!existing.isEmpty() &&
        dialogs->question(this, replaceQuestion(existing), kSequenceTitle,
                          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    SaveSequenceFiles(sequence);
}

int64_t TMainForm::SaveSequenceFiles(const NumberedSequence &sequence)
{
    const MutedLibraryProgress muted(messageSink());
    const int64_t count = sequence.count();
    int64_t written = 0;
    SetProStatus(0);
    // A long sequence can be stopped between two files ("Abbrechen" or Esc);
    // the dialog is modal, so nothing else changes the picture meanwhile.
    std::unique_ptr<QProgressDialog> stop;
    if (count > 1) {
        stop = std::make_unique<QProgressDialog>(QStringLiteral("Die Bildfolge wird gespeichert..."),
                                                 QStringLiteral("Abbrechen"), 0, 1000, this);
        stop->setObjectName(QStringLiteral("SequenceProgress"));
        stop->setWindowTitle(kSequenceTitle);
        stop->setWindowModality(Qt::WindowModal);
        stop->setMinimumDuration(0);
        stop->setAutoReset(false);
        stop->setAutoClose(false);
    }
    for (; written < count; ++written) {
        if (stop) {
            SetProStatus(int32_t(written * 100 / (count - 1)));
            stop->setLabelText(QStringLiteral("Die Bildfolge wird gespeichert: Datei %1 von %2")
                                   .arg(QLocale(QLocale::German).toString(qlonglong(written + 1)),
                                        QLocale(QLocale::German).toString(qlonglong(count))));
            stop->setValue(int(written * 1000 / count));
            if (stop->wasCanceled())
                break;
        }
        if (!SaveTheFile(sequence.name(sequence.first + written)))
            break;
    }
    stop.reset();
    SetProStatus(0);
    return written;
}
