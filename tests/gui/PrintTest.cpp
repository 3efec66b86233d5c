// "Bild drucken..." on the whole window: the dialog, its preview and options,
// the printer setup, printing to a PDF file checked on the rasterised page, and
// the percentages kept from one run to the next.
#include "ButtonsXP.h"
#include "FileHelpers.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "PaintBox.h"
#include "PaintRecorder.h"
#include "PrintUnit.h"
#include "Startup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

constexpr int kRasterDpi = 40;

// The settings the percentages are kept in, as the program opens them.
void forgetPercentages()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QCoreApplication::applicationName());
    settings.remove(QStringLiteral("PrintForm"));
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

int pdfPages(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    for (const QString &line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The first page at kRasterDpi, through poppler's rasteriser.
QImage rasterise(const QString &pdf)
{
    const QString prefix = QDir::home().filePath(QStringLiteral("seite"));
    QFile::remove(prefix + QStringLiteral(".png"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kRasterDpi), QStringLiteral("-png"),
                                     QStringLiteral("-singlefile"), QStringLiteral("-f"), QStringLiteral("1"),
                                     pdf, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// The bounding box of everything that is not paper white.
QRect inkBox(const QImage &page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool near(const QRect &a, const QRect &b, int tolerance)
{
    return std::abs(a.left() - b.left()) <= tolerance && std::abs(a.top() - b.top()) <= tolerance &&
           std::abs(a.right() - b.right()) <= tolerance && std::abs(a.bottom() - b.bottom()) <= tolerance;
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }
bool isBlue(QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; }

} // namespace

class PrintTest : public QObject, WindowFixture {
    Q_OBJECT

    QString pdf;

    void newWindow()
    {
        openWindow();
        // Left half red, right half blue: where each half lands shows on the page.
        const dib &result = window->outdi;
        for (int y = 0; y < dibheight(result); ++y)
            for (int x = 0; x < dibwidth(result); ++x)
                setpixel(result, x, y, x < dibwidth(result) / 2 ? 0x0000FFu : 0xFF0000u);
    }
    // Runs "Bild drucken..." with `act` as the user's work in the dialog, which
    // then closes with `result`.
    void print(const std::function<void(TPrintForm *)> &act, int result = QDialog::Accepted)
    {
        dialogs->execHook = [act, result](QDialog *dialog) {
            auto *form = qobject_cast<TPrintForm *>(dialog);
            if (!form)
                throw std::logic_error("not the print dialog");
            if (act)
                act(form);
            return result;
        };
        control<TBitBtnXP>(*window, "PrintBtn")->click();
    }
    // The printer setup sends the printer to `file` as PDF.
    void setUpPdf(const QString &file)
    {
        dialogs->printerSetupHook = [file](QPrinter *printer) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(file);
            return true;
        };
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty(),
                 "pdftoppm (poppler-utils, scripts/install-deps) is needed to look at printed pages");
    }
    void init()
    {
        forgetPercentages();
        pdf = QDir::home().filePath(QStringLiteral("druck.pdf"));
        QFile::remove(pdf);
        newWindow();
    }
    void cleanup() { closeWindow(); }

    void dialogShowsItsControls()
    {
        QStringList texts;
        print(
            [&](TPrintForm *form) {
                QCOMPARE(form->windowTitle(), QStringLiteral("Bild drucken..."));
                QCOMPARE(form->PrintPaintBox->size(), QSize(190, 190));
                const auto groups = form->findChildren<QGroupBox *>();
                for (const QGroupBox *group : groups)
                    texts << group->title();
                texts << form->SeiteVollRadio->text() << form->BenutzerdefiniertRadio->text()
                      << form->SeitenverhaeltnisCheck->text() << form->ZentriertCheck->text()
                      << form->OkBtn->text() << form->SetupBtn->text() << form->CancelBtn->text();
                const auto labels = form->findChildren<QLabel *>();
                for (const QLabel *label : labels)
                    texts << label->text();
                QVERIFY(form->SeiteVollRadio->isChecked());
                QVERIFY(form->SeitenverhaeltnisCheck->isChecked());
                QVERIFY(form->ZentriertCheck->isChecked());
                for (QSpinBox *field : {form->BreitEdit, form->HochEdit}) {
                    QCOMPARE(field->value(), 50);
                    QCOMPARE(field->minimum(), 1);
                    QCOMPARE(field->maximum(), 100);
                    // Only a custom size takes percentages.
                    QVERIFY(!field->isEnabled());
                }
                form->BenutzerdefiniertRadio->setChecked(true);
                QVERIFY(form->BreitEdit->isEnabled() && form->HochEdit->isEnabled());
            },
            QDialog::Rejected);
        for (const char *text : {"Druckgröße", "Druckoptionen", "Seite voll nutzen", "Benutzerdefiniert",
                                 "Seitenverhältnis beibehalten", "Zentrierte Ausgabe", "&OK",
                                 "Drucker &einrichten...", "A&bbrechen", "Vorschau:", "Breite in %:",
                                 "Höhe in %:"})
            QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
        // Cancelled: nothing printed, nothing asked.
        QCOMPARE(dialogs->execs, 1);
        QVERIFY(dialogs->fileRequests.isEmpty());
        QVERIFY(dialogs->messages.isEmpty());
    }

    void optionsRedrawThePreview()
    {
        QImage fullCentred, customTopLeft;
        bool repainted = false;
        print(
            [&](TPrintForm *form) {
                form->show();
                QVERIFY(QTest::qWaitForWindowExposed(form));
                fullCentred = form->PrintPaintBox->grab().toImage();
                PaintRecorder recorder(form->PrintPaintBox);
                form->ZentriertCheck->setChecked(false);
                QTRY_VERIFY(!recorder.rects.isEmpty());
                recorder.rects.clear();
                form->BenutzerdefiniertRadio->setChecked(true);
                form->SeitenverhaeltnisCheck->setChecked(false);
                form->BreitEdit->setValue(30);
                form->HochEdit->setValue(30);
                QTRY_VERIFY(!recorder.rects.isEmpty());
                repainted = true;
                customTopLeft = form->PrintPaintBox->grab().toImage();
                form->hide();
            },
            QDialog::Rejected);
        QVERIFY(repainted);
        // Full page and centred, the middle of the preview is the picture (its
        // left half red, its right half blue); 30 % at the top left leaves the
        // middle white and puts red near the paper's top-left corner.
        const QPoint middle(95, 95);
        QVERIFY(isRed(fullCentred.pixel(middle - QPoint(10, 0))));
        QVERIFY(isBlue(fullCentred.pixel(middle + QPoint(10, 0))));
        QCOMPARE(QColor(customTopLeft.pixel(middle)), QColor(Qt::white));
        QVERIFY(fullCentred != customTopLeft);
    }

    void keptAspectMatchesTheOtherPercentage()
    {
        print(
            [&](TPrintForm *form) {
                const QSize printable = form->pageGeometry().printable.size();
                QVERIFY(!printable.isEmpty());
                const auto heightFor = [&](int width) {
                    // The picture is 320 x 200: the same scale on both sides.
                    return qRound(width * printable.width() * 200.0 / (printable.height() * 320.0));
                };
                form->BenutzerdefiniertRadio->setChecked(true);
                form->BreitEdit->setValue(80);
                QCOMPARE(form->HochEdit->value(), heightFor(80));
                form->HochEdit->setValue(20);
                QCOMPARE(form->BreitEdit->value(),
                         qRound(20 * printable.height() * 320.0 / (printable.width() * 200.0)));
                // Without the aspect ratio each stays as typed...
                form->SeitenverhaeltnisCheck->setChecked(false);
                form->BreitEdit->setValue(90);
                form->HochEdit->setValue(15);
                QCOMPARE(form->BreitEdit->value(), 90);
                QCOMPARE(form->HochEdit->value(), 15);
                // ... and switching it on again makes the height match the width.
                form->SeitenverhaeltnisCheck->setChecked(true);
                QCOMPARE(form->HochEdit->value(), heightFor(90));
            },
            QDialog::Rejected);
    }

    void setupButtonRunsThePrinterSetup()
    {
        QSize before, after;
        dialogs->printerSetupHook = [](QPrinter *printer) {
            printer->setPageOrientation(printer->pageLayout().orientation() == QPageLayout::Portrait
                                            ? QPageLayout::Landscape
                                            : QPageLayout::Portrait);
            return true;
        };
        print(
            [&](TPrintForm *form) {
                before = form->pageGeometry().paper;
                form->SetupBtn->click();
                after = form->pageGeometry().paper;
            },
            QDialog::Rejected);
        QCOMPARE(dialogs->printerSetups, 1);
        QCOMPARE(after, before.transposed());
    }

    void printsOnePageWhereTheLayoutSays_data()
    {
        QTest::addColumn<bool>("fullPage");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("keepAspect");
        QTest::addColumn<bool>("centred");
        QTest::newRow("full page, centred") << true << 50 << 50 << true << true;
        QTest::newRow("full page, stretched, top left") << true << 50 << 50 << false << false;
        QTest::newRow("50 x 50 %, stretched, top left") << false << 50 << 50 << false << false;
        QTest::newRow("40 %, aspect kept, centred") << false << 40 << 100 << true << true;
    }
    void printsOnePageWhereTheLayoutSays()
    {
        QFETCH(bool, fullPage);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, keepAspect);
        QFETCH(bool, centred);
        setUpPdf(pdf);
        QRectF paper, printable;
        print([&](TPrintForm *form) {
            form->SetupBtn->click();
            form->SeitenverhaeltnisCheck->setChecked(false); // the percentages as typed
            (fullPage ? form->SeiteVollRadio : form->BenutzerdefiniertRadio)->setChecked(true);
            form->BreitEdit->setValue(width);
            form->HochEdit->setValue(height);
            form->SeitenverhaeltnisCheck->blockSignals(true);
            form->SeitenverhaeltnisCheck->setChecked(keepAspect);
            form->SeitenverhaeltnisCheck->blockSignals(false);
            form->ZentriertCheck->setChecked(centred);
            paper = form->printer().paperRect(QPrinter::DevicePixel);
            printable = form->printer().pageRect(QPrinter::DevicePixel);
        });
        QVERIFY2(dialogs->messages.isEmpty(), qPrintable(dialogs->messages.value(0).text));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(5), QByteArray("%PDF-"));
        QCOMPARE(pdfPages(pdf), 1);
        // No temporary file is left beside it.
        QCOMPARE(QDir::home().entryList({QStringLiteral("druck.pdf*")}, QDir::Files), QStringList{"druck.pdf"});

        // Where the picture must be, worked out here from the page and the choices.
        QSizeF size;
        if (fullPage && !keepAspect)
            size = printable.size();
        else if (fullPage)
            size = QSizeF(320, 200).scaled(printable.size(), Qt::KeepAspectRatio);
        else if (!keepAspect)
            size = QSizeF(printable.width() * width / 100, printable.height() * height / 100);
        else
            size = QSizeF(printable.width() * width / 100, printable.width() * width / 100 * 200 / 320);
        QRectF expected(printable.topLeft(), size);
        if (centred)
            expected.moveCenter(paper.center());
        const double scale = kRasterDpi / double(window->findChild<TPrintForm *>()->printer().resolution());
        const QRect onRaster(QRectF(expected.x() * scale, expected.y() * scale, expected.width() * scale,
                                    expected.height() * scale)
                                 .toRect());

        const QImage page = rasterise(pdf);
        QVERIFY(!page.isNull());
        QCOMPARE(page.size(), (paper.size() * scale).toSize());
        const QRect ink = inkBox(page);
        QVERIFY2(near(ink, onRaster, 2), qPrintable(describe(ink) + " != " + describe(onRaster)));
        // The picture the right way round: red on the left, blue on the right.
        const int y = ink.center().y();
        QVERIFY(isRed(page.pixel(ink.left() + ink.width() / 4, y)));
        QVERIFY(isBlue(page.pixel(ink.right() - ink.width() / 4, y)));
    }

    void pdfWithoutAFileAsksForOne_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("name with .pdf") << "ausdruck.pdf" << "ausdruck.pdf";
        QTest::newRow("name without extension") << "ausdruck" << "ausdruck.pdf";
        QTest::newRow("cancelled") << "" << "";
    }
    void pdfWithoutAFileAsksForOne()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QTemporaryDir folder(QDir::home().filePath(QStringLiteral("pdfXXXXXX")));
        setUpPdf(QString());
        if (typed.isEmpty())
            dialogs->fileAnswers.push_back({false, {}, 1});
        else
            dialogs->fileAnswers.push_back({true, {folder.filePath(typed)}, 1});
        print([](TPrintForm *form) { form->SetupBtn->click(); });
        QCOMPARE(dialogs->fileRequests.size(), 1);
        QVERIFY(dialogs->fileRequests[0].filter.contains(QStringLiteral("*.pdf")));
        QVERIFY(dialogs->messages.isEmpty());
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
        if (!written.isEmpty())
            QCOMPARE(pdfPages(folder.filePath(written)), 1);
        // The next print asks again rather than writing over this file.
        dialogs->fileAnswers.push_back({false, {}, 1});
        print(nullptr);
        QCOMPARE(dialogs->fileRequests.size(), 2);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), files);
    }

    // The same question as "Speichern unter...", for the name completed by ".pdf".
    void pdfOverAnExistingFileAsks()
    {
        QTemporaryDir folder(QDir::home().filePath(QStringLiteral("pdfXXXXXX")));
        const QString file = folder.filePath(QStringLiteral("ausdruck.pdf"));
        QVERIFY(writeFile(file, "vorher"));
        setUpPdf(QString());
        dialogs->fileAnswers.push_back({true, {folder.filePath(QStringLiteral("ausdruck"))}, 1});
        dialogs->answers.push_back(QMessageBox::No);
        print([](TPrintForm *form) { form->SetupBtn->click(); });
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, QStringLiteral("Die folgende Datei gibt es bereits:\n\n") + file +
                                                QStringLiteral("\n\nSoll sie ersetzt werden?"));
        QCOMPARE(dialogs->messages[0].title, QStringLiteral("Als PDF-Datei drucken"));
        QCOMPARE(contents(file), QByteArray("vorher"));
    }

    void unwritablePdfIsReported()
    {
        const QString target = QDir::home().filePath(QStringLiteral("fehlt/druck.pdf"));
        setUpPdf(target);
        print([](TPrintForm *form) { form->SetupBtn->click(); });
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY2(dialogs->messages[0].text.contains(target), qPrintable(dialogs->messages[0].text));
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Critical);
        QVERIFY(!QFile::exists(target));
    }

    void percentagesSurviveARestart_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("OK keeps them") << int(QDialog::Accepted) << 30 << 70;
        QTest::newRow("Abbrechen drops them") << int(QDialog::Rejected) << 50 << 50;
    }
    void percentagesSurviveARestart()
    {
        QFETCH(int, result);
        QFETCH(int, width);
        QFETCH(int, height);
        setUpPdf(pdf);
        print(
            [](TPrintForm *form) {
                form->SetupBtn->click();
                form->BenutzerdefiniertRadio->setChecked(true);
                form->SeitenverhaeltnisCheck->setChecked(false);
                form->BreitEdit->setValue(30);
                form->HochEdit->setValue(70);
            },
            result);

        window.reset();
        newWindow();
        int shownWidth = 0, shownHeight = 0;
        print(
            [&](TPrintForm *form) {
                shownWidth = form->BreitEdit->value();
                shownHeight = form->HochEdit->value();
            },
            QDialog::Rejected);
        QCOMPARE(shownWidth, width);
        QCOMPARE(shownHeight, height);
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    PrintTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PrintTest.moc"
