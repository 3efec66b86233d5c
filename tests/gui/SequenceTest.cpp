// "Speichern als Bildfolge mit Nummerierung..." on the whole window: the dialog,
// the names and files written, and everything that must stop before writing.
#include "FileHelpers.h"
#include "BildfolgeUnit.h"
#include "ButtonsXP.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "Startup.h"
#include "StatusBar.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("Bildfolge speichern");

} // namespace

class SequenceTest : public QObject, WindowFixture {
    Q_OBJECT


    QStringList files() const { return QDir(folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

    // The user fills in the dialog and confirms it (or closes it by the title bar).
    void answerDialog(int von, int bis, int digits, bool ok = true)
    {
        dialogs->execHook = [von, bis, digits, ok](QDialog *dialog) {
            auto *form = qobject_cast<TBildfolgeForm *>(dialog);
            if (!form)
                throw std::logic_error("not the sequence dialog");
            form->VonEd->setValue(von);
            form->BisEd->setValue(bis);
            form->DezimalstellenEd->setValue(digits);
            form->show();
            if (ok)
                form->BitBtn1->click();
            else
                form->close();
            return form->result();
        };
    }
    void chooseName(const QString &name, int filterIndex = 1)
    {
        dialogs->fileAnswers.push_back({true, {path(name)}, filterIndex});
    }
    void run() { control<QAction>(*window, "SpeichernalsBildfolgemitNummerierung1")->trigger(); }

private slots:
    void init()
    {
        openWindow();
        window->CreateBildfolgeForm();
        QVERIFY(makeFolder(QStringLiteral("folge")));
        patternResult();
    }
    void cleanup() { closeWindow(); }

    void dialogHasItsFieldsAndResults()
    {
        TBildfolgeForm *form = window->findChild<TBildfolgeForm *>();
        QVERIFY(form);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->windowTitle(), kTitle);
        QStringList labels;
        const auto found = form->findChildren<QLabel *>();
        for (const QLabel *label : found)
            labels << label->text();
        for (const char *text : {"Von Nummer:", "Bis Nummer:", "Anzahl an Dezimalstellen:"})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        QCOMPARE(form->VonEd->value(), 1);
        QCOMPARE(form->BisEd->value(), 10);
        QCOMPARE(form->DezimalstellenEd->value(), 4);
        QCOMPARE(form->DezimalstellenEd->minimum(), 1);
        QCOMPARE(form->DezimalstellenEd->maximum(), 10);
        QVERIFY(form->VonEd->minimum() < 0 && form->BisEd->maximum() > 1000000);

        form->show();
        form->BitBtn1->click();
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(!form->isVisible());
        form->show();
        form->close(); // the title bar's close
        QCOMPARE(form->result(), int(QDialog::Rejected));
        form->show();
        QCOMPARE(form->CancelBtn->text(), QStringLiteral("Abbrechen"));
        form->CancelBtn->click();
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QVERIFY(!form->isVisible());
    }

    // Cancelled in the progress dialog once three files are written: no more
    // files, and the gauge is empty again.
    void cancelStopsBetweenFiles()
    {
        answerDialog(1, 40, 2);
        chooseName(QStringLiteral("Bild.bmp"));
        QTimer user;
        connect(&user, &QTimer::timeout, this, [this] {
            auto *progress = window->findChild<QProgressDialog *>(QStringLiteral("SequenceProgress"));
            if (progress && files().size() == 3) {
                QCOMPARE(progress->labelText(), QStringLiteral("Die Bildfolge wird gespeichert: Datei 4 von 40"));
                QTest::keyClick(progress, Qt::Key_Escape);
            }
        });
        user.start(0);
        run();
        QCOMPARE(files(), (QStringList{"Bild01.bmp", "Bild02.bmp", "Bild03.bmp"}));
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(!window->findChild<QProgressDialog *>(QStringLiteral("SequenceProgress")));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
    }

    // Further apart than 10,000: asked with the count before the save dialog.
    void largeSequenceIsAskedAboutFirst_data()
    {
        QTest::addColumn<int>("bis");
        QTest::addColumn<QString>("count"); // empty: not asked
        QTest::newRow("10,001 files") << 10001 << "";
        QTest::newRow("10,002 files") << 10002 << "10.002";
        QTest::newRow("a million") << 1000000 << "1.000.000";
    }
    void largeSequenceIsAskedAboutFirst()
    {
        QFETCH(int, bis);
        QFETCH(QString, count);
        answerDialog(1, bis, 7);
        if (!count.isEmpty())
            dialogs->answers.push_back(QMessageBox::No);
        else
            dialogs->fileAnswers.push_back({false, {}, 1});
        run();
        QCOMPARE(dialogs->fileRequests.size(), count.isEmpty() ? 1 : 0);
        QCOMPARE(dialogs->messages.size(), count.isEmpty() ? 0 : 1);
        if (!count.isEmpty()) {
            QCOMPARE(dialogs->messages[0].text, QStringLiteral("Die Bildfolge umfasst %1 Dateien.\n"
                                                               "Sollen sie alle gespeichert werden?").arg(count));
            QCOMPARE(dialogs->messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        }
        QVERIFY(files().isEmpty());
    }

    void writesOneFilePerNumber_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<int>("von");
        QTest::addColumn<int>("bis");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("four digits")
            << "Bild.bmp" << 1 << 1 << 3 << 4 << QStringList{"Bild0001.bmp", "Bild0002.bmp", "Bild0003.bmp"};
        QTest::newRow("no extension: the filter entry's, over a carry")
            << "Bild" << 1 << 8 << 11 << 2 << QStringList{"Bild08.bmp", "Bild09.bmp", "Bild10.bmp", "Bild11.bmp"};
        QTest::newRow("negative numbers") << "Folge.bmp" << 1 << -1 << 1 << 3
                                          << QStringList{"Folge-001.bmp", "Folge000.bmp", "Folge001.bmp"};
        QTest::newRow("one number") << "Bild.bmp" << 1 << 7 << 7 << 1 << QStringList{"Bild7.bmp"};
    }
    void writesOneFilePerNumber()
    {
        QFETCH(QString, chosen);
        QFETCH(int, filterIndex);
        QFETCH(int, von);
        QFETCH(int, bis);
        QFETCH(int, digits);
        QFETCH(QStringList, expected);
        answerDialog(von, bis, digits);
        chooseName(chosen, filterIndex);
        run();

        QVERIFY2(dialogs->messages.isEmpty(), qPrintable(dialogs->messages.value(0).text));
        QCOMPARE(dialogs->fileRequests.size(), 1);
        // The existing names are asked about together, not one by one by the dialog.
        QVERIFY(!dialogs->fileRequests[0].confirmOverwrite);
        QStringList sorted = expected;
        sorted.sort();
        QCOMPARE(files(), sorted);
        for (const QString &name : expected)
            QCOMPARE(compareWithFile(window->outdi, path(name)), QString());
        QCOMPARE(control<QLineEdit>(*window, "LastSavedWithPathEd")->text(), path(expected.last()));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
        QVERIFY(!window->findChild<TBildfolgeForm *>()->isVisible());
    }

    void gaugeShowsTheWholeSequence()
    {
        // Each file is recorded as the last saved one when written: the gauge
        // then shows how far the sequence is, not the library's progress within a file.
        QList<int> gauge;
        connect(control<QLineEdit>(*window, "LastSavedWithPathEd"), &QLineEdit::textChanged, this,
                [&] { gauge << control<TStatusBar>(*window, "StatusBar1")->progress(); });
        answerDialog(1, 5, 4);
        chooseName(QStringLiteral("Bild.bmp"));
        run();
        QCOMPARE(gauge, QList<int>({0, 25, 50, 75, 100}));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
    }

    void writesInTheFormatOfTheExtension()
    {
        answerDialog(1, 2, 4);
        chooseName(QStringLiteral("Bild.jpg"));
        run();
        QCOMPARE(files(), QStringList({"Bild0001.jpg", "Bild0002.jpg"}));
        for (const QString &name : files())
            QVERIFY(contents(path(name)).startsWith("\xFF\xD8\xFF"));
    }

    void vonGreaterThanBisIsRefused()
    {
        answerDialog(5, 3, 4);
        run();
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].title, kTitle);
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Warning);
        QVERIFY(dialogs->messages[0].text.contains(QStringLiteral("5")));
        QVERIFY(dialogs->fileRequests.isEmpty());
        QVERIFY(files().isEmpty());
    }

    void cancelWritesNothing_data()
    {
        QTest::addColumn<bool>("closeDialog");
        QTest::newRow("dialog closed by its title bar") << true;
        QTest::newRow("save dialog cancelled") << false;
    }
    void cancelWritesNothing()
    {
        QFETCH(bool, closeDialog);
        answerDialog(1, 3, 4, !closeDialog);
        if (!closeDialog)
            dialogs->fileAnswers.push_back({false, {}, 1});
        run();
        QCOMPARE(dialogs->fileRequests.size(), closeDialog ? 0 : 1);
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(files().isEmpty());
    }

    void existingFilesAreAskedAboutOnce_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("Nein") << false;
        QTest::newRow("Ja") << true;
    }
    void existingFilesAreAskedAboutOnce()
    {
        QFETCH(bool, replace);
        QVERIFY(writeFile(path(QStringLiteral("Bild0002.bmp")), "alt 2"));
        QVERIFY(writeFile(path(QStringLiteral("Bild0004.bmp")), "alt 4"));
        answerDialog(1, 4, 4);
        chooseName(QStringLiteral("Bild.bmp"));
        dialogs->answers.push_back(replace ? QMessageBox::Yes : QMessageBox::No);
        run();

        QCOMPARE(dialogs->messages.size(), 1);
        const ShownMessage &question = dialogs->messages[0];
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
        QVERIFY(question.text.contains(path(QStringLiteral("Bild0002.bmp"))));
        QVERIFY(question.text.contains(path(QStringLiteral("Bild0004.bmp"))));
        QVERIFY(!question.text.contains(path(QStringLiteral("Bild0001.bmp"))));
        if (replace) {
            QCOMPARE(files(), QStringList({"Bild0001.bmp", "Bild0002.bmp", "Bild0003.bmp", "Bild0004.bmp"}));
            QCOMPARE(compareWithFile(window->outdi, path(QStringLiteral("Bild0004.bmp"))), QString());
        } else {
            // Nothing at all is written, not even the free names.
            QCOMPARE(files(), QStringList({"Bild0002.bmp", "Bild0004.bmp"}));
            QCOMPARE(contents(path(QStringLiteral("Bild0002.bmp"))), QByteArray("alt 2"));
        }
    }

    void failedWriteStopsAndNamesTheFile()
    {
        // A folder where the second picture should go: it cannot be written.
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("Bild0002.bmp")));
        answerDialog(1, 3, 4);
        chooseName(QStringLiteral("Bild.bmp"));
        dialogs->answers.push_back(QMessageBox::Yes); // it exists: replace
        run();

        QCOMPARE(dialogs->messages.size(), 2);
        const ShownMessage &failure = dialogs->messages[1];
        QVERIFY2(failure.text.contains(path(QStringLiteral("Bild0002.bmp"))), qPrintable(failure.text));
        QCOMPARE(failure.icon, QMessageBox::Critical);
        QVERIFY(QFile::exists(path(QStringLiteral("Bild0001.bmp"))));
        QVERIFY(!QFile::exists(path(QStringLiteral("Bild0003.bmp"))));
        QCOMPARE(control<QLineEdit>(*window, "LastSavedWithPathEd")->text(), path(QStringLiteral("Bild0001.bmp")));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
    }

    void extensionWithoutFormatIsRefused()
    {
        answerDialog(1, 3, 4);
        chooseName(QStringLiteral("Bild.xyz"));
        run();
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY(dialogs->messages[0].text.contains(QStringLiteral(".xyz")));
        QVERIFY(files().isEmpty());
    }

    void dialogKeepsItsValuesForTheRun()
    {
        TBildfolgeForm *first = window->findChild<TBildfolgeForm *>();
        answerDialog(3, 4, 2, false);
        run();
        int von = 0, bis = 0, digits = 0;
        dialogs->execHook = [&](QDialog *dialog) {
            auto *form = qobject_cast<TBildfolgeForm *>(dialog);
            von = form->VonEd->value();
            bis = form->BisEd->value();
            digits = form->DezimalstellenEd->value();
            return int(QDialog::Rejected);
        };
        run();
        QCOMPARE(window->findChild<TBildfolgeForm *>(), first);
        QCOMPARE(von, 3);
        QCOMPARE(bis, 4);
        QCOMPARE(digits, 2);
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    SequenceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SequenceTest.moc"
