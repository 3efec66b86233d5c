// "Speichern" and "Speichern unter..." on the whole window: what is written
// where, in which format, and that a cancel or a failure changes nothing.
#include "FileHelpers.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "Startup.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <unistd.h>

namespace {

const QString kCaption = QStringLiteral("MERIDAN Nuanza 1.5");
const QString kCannotSave = QStringLiteral("Das Bild konnte nicht gespeichert werden:\n");

} // namespace

class SavingTest : public QObject, WindowFixture {
    Q_OBJECT


    QStringList folderEntries() const
    {
        return QDir(folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    // The state a failed or cancelled save must leave exactly as it was.
    struct Snapshot {
        QString afilename, caption, lastSaved, lastSavedWithPath;
        bool changed;
    };
    Snapshot snapshot() const
    {
        return {window->afilename, window->windowTitle(), control<QLineEdit>(*window, "LastSavedEd")->text(),
                control<QLineEdit>(*window, "LastSavedWithPathEd")->text(), window->changed};
    }
    void verifyUnchanged(const Snapshot &before)
    {
        const Snapshot now = snapshot();
        QCOMPARE(now.afilename, before.afilename);
        QCOMPARE(now.caption, before.caption);
        QCOMPARE(now.lastSaved, before.lastSaved);
        QCOMPARE(now.lastSavedWithPath, before.lastSavedWithPath);
        QCOMPARE(now.changed, before.changed);
    }
    void verifySavedAs(const QString &file)
    {
        QCOMPARE(window->afilename, file);
        QVERIFY(!window->changed);
        QCOMPARE(window->windowTitle(),
                 kCaption + QStringLiteral(" - [") + QFileInfo(file).fileName() + QLatin1Char(']'));
        QCOMPARE(control<QLineEdit>(*window, "LastSavedWithPathEd")->text(), file);
        QCOMPARE(control<QLineEdit>(*window, "LastSavedEd")->text(), QFileInfo(file).fileName());
    }
    // A sample unsaved earlier state: an old last-saved picture, changes pending.
    void markEarlierWork()
    {
        control<QLineEdit>(*window, "LastSavedEd")->setText(QStringLiteral("alt.bmp"));
        control<QLineEdit>(*window, "LastSavedWithPathEd")->setText(QStringLiteral("/woanders/alt.bmp"));
        window->SetChanged();
    }

private slots:
    void init()
    {
        openWindow();
        QVERIFY(makeFolder(QStringLiteral("save-")));
        patternResult();
    }
    void cleanup() { closeWindow(); }

    void saveWritesCurrentFileWithoutDialog_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<bool>("exact");
        QTest::newRow("bmp") << "bild.bmp" << QByteArray("BM") << true;
        QTest::newRow("loaded JPEG stays JPEG") << "foto.JPG" << QByteArray("\xFF\xD8\xFF") << false;
        QTest::newRow("iff") << "bild.lbm" << QByteArray("FORM") << true;
    }
    void saveWritesCurrentFileWithoutDialog()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        QFETCH(bool, exact);
        const QString file = path(name);
        QVERIFY(writeFile(file, "der geladene Stand"));
        window->afilename = file;
        markEarlierWork();
        QVERIFY(showWindow());

        QTest::mouseClick(control<QToolButton>(*window, "SaveBtn"), Qt::LeftButton);
        QVERIFY(dialogs->fileRequests.isEmpty());
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(contents(file).startsWith(magic));
        QCOMPARE(compareWithFile(window->outdi, file, exact), QString());
        QCOMPARE(folderEntries(), QStringList{name});
        verifySavedAs(file);
    }

    // A write-protected picture stays as it is and is named in the refusal.
    void writeProtectedFileIsRefused()
    {
        if (::geteuid() == 0)
            QSKIP("run as root: file permissions do not stop writes, nothing to check");
        const QString file = path(QStringLiteral("foto.bmp"));
        QVERIFY(writeFile(file, "der geladene Stand"));
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        window->afilename = file;
        markEarlierWork();
        const Snapshot before = snapshot();
        QVERIFY(showWindow());

        QTest::mouseClick(control<QToolButton>(*window, "SaveBtn"), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, QStringLiteral("Die Datei %1 ist schreibgeschützt.").arg(file));
        QCOMPARE(contents(file), QByteArray("der geladene Stand"));
        QCOMPARE(folderEntries(), QStringList{QStringLiteral("foto.bmp")});
        verifyUnchanged(before);
    }

    void saveWithoutNameAsks_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<bool>("exact");
        QTest::newRow("no extension, entry 4") << "bild" << 4 << "bild.iff" << QByteArray("FORM") << true;
        QTest::newRow("no extension, entry 1") << "bild" << 1 << "bild.bmp" << QByteArray("BM") << true;
        QTest::newRow("no extension, entry 6") << "bild" << 6 << "bild.jpg" << QByteArray("\xFF\xD8\xFF") << false;
        QTest::newRow("no extension, entry 11") << "bild" << 11 << "bild.tif" << QByteArray() << true;
        QTest::newRow(".tif kept, entry 4") << "bild.tif" << 4 << "bild.tif" << QByteArray() << true;
        QTest::newRow(".TIF kept, entry 1") << "bild.TIF" << 1 << "bild.TIF" << QByteArray() << true;
        QTest::newRow(".tga kept, entry 11") << "a.b/bild.tga" << 11 << "a.b/bild.tga" << QByteArray() << true;
    }
    void saveWithoutNameAsks()
    {
        QFETCH(QString, typed);
        QFETCH(int, index);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        QFETCH(bool, exact);
        QVERIFY(QDir(folder->path()).mkpath(QStringLiteral("a.b")));
        markEarlierWork();
        dialogs->fileAnswers.push_back({true, {path(typed)}, index});

        QVERIFY(window->SaveFile());
        QCOMPARE(dialogs->fileRequests.size(), 1);
        const FileRequest &request = dialogs->fileRequests[0];
        QCOMPARE(request.title, QStringLiteral("Speichern unter"));
        QCOMPARE(request.folder, window->saveFolder());
        QCOMPARE(request.filter, QString::fromLocal8Bit(GetDIBSaveFilter()));
        QCOMPARE(request.filterIndex, 1);
        QVERIFY(!request.confirmOverwrite); // asked for the completed name instead
        QVERIFY(dialogs->messages.isEmpty());

        const QString file = path(written);
        QVERIFY(contents(file).startsWith(magic));
        if (written.endsWith(QLatin1String("tif"), Qt::CaseInsensitive))
            QVERIFY(contents(file).startsWith("II*") || contents(file).startsWith("MM\0*"));
        QCOMPARE(compareWithFile(window->outdi, file, exact), QString());
        verifySavedAs(file);
    }

    // "Speichern unter..." asks also when a name is known; the chosen name then
    // becomes the current one, and the dialog comes back on the chosen entry.
    void saveAsAlwaysAsks_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("page");
        QTest::newRow("top bar") << "MySaveAsBtn" << 0;
        QTest::newRow("result page") << "SaveAsBtn" << 2;
    }
    void saveAsAlwaysAsks()
    {
        QFETCH(QString, button);
        QFETCH(int, page);
        const QString old = path(QStringLiteral("alt.bmp"));
        QVERIFY(writeFile(old, "vorher"));
        window->afilename = old;
        markEarlierWork();
        QVERIFY(showWindow());
        control<QTabWidget>(*window, "PageControl2")->setCurrentIndex(page);
        auto *saveAs = window->findChild<QAbstractButton *>(button);
        QVERIFY(saveAs);

        dialogs->fileAnswers.push_back({true, {path(QStringLiteral("neu"))}, 4});
        QTest::mouseClick(saveAs, Qt::LeftButton);
        const QString file = path(QStringLiteral("neu.iff"));
        QCOMPARE(compareWithFile(window->outdi, file, true), QString());
        QCOMPARE(contents(old), QByteArray("vorher"));
        verifySavedAs(file);

        // "Speichern" now writes to the new file without asking.
        setpixel(window->outdi, 5, 5, 0x123456);
        window->SetChanged();
        QTest::mouseClick(control<QToolButton>(*window, "SaveBtn"), Qt::LeftButton);
        QCOMPARE(dialogs->fileRequests.size(), 1);
        QCOMPARE(compareWithFile(window->outdi, file, true), QString());
        verifySavedAs(file);

        dialogs->fileAnswers.push_back({});
        QTest::mouseClick(saveAs, Qt::LeftButton);
        QCOMPARE(dialogs->fileRequests.size(), 2);
        QCOMPARE(dialogs->fileRequests[1].filterIndex, 4);
        QVERIFY(dialogs->messages.isEmpty());
    }

    // The question is about the name written, also when the extension was added.
    void replacingAsksForTheNameWritten_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("answer");
        QTest::newRow("typed without extension, Ja") << "bild" << int(QMessageBox::Yes);
        QTest::newRow("typed without extension, Nein") << "bild" << int(QMessageBox::No);
        QTest::newRow("typed with extension, Nein") << "bild.bmp" << int(QMessageBox::No);
    }
    void replacingAsksForTheNameWritten()
    {
        QFETCH(QString, typed);
        QFETCH(int, answer);
        const QString file = path(QStringLiteral("bild.bmp"));
        QVERIFY(writeFile(file, "vorher"));
        window->afilename = path(QStringLiteral("alt.bmp"));
        markEarlierWork();
        const Snapshot before = snapshot();
        dialogs->fileAnswers.push_back({true, {path(typed)}, 1});
        dialogs->answers.push_back(QMessageBox::StandardButton(answer));

        window->BitBtn1Click();
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, QStringLiteral("Die folgende Datei gibt es bereits:\n\n") + file +
                                                QStringLiteral("\n\nSoll sie ersetzt werden?"));
        QCOMPARE(dialogs->messages[0].title, QStringLiteral("Speichern unter"));
        QCOMPARE(dialogs->messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            QCOMPARE(compareWithFile(window->outdi, file, true), QString());
            verifySavedAs(file);
        } else {
            QCOMPARE(contents(file), QByteArray("vorher"));
            verifyUnchanged(before);
        }
        QCOMPARE(folderEntries(), QStringList{QStringLiteral("bild.bmp")});
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<QString>("current");
        QTest::newRow("Speichern without a name") << false << "";
        QTest::newRow("Speichern unter with a name") << true << "alt.bmp";
    }
    void cancelChangesNothing()
    {
        QFETCH(bool, saveAs);
        QFETCH(QString, current);
        window->afilename = path(current);
        markEarlierWork();
        const Snapshot before = snapshot();
        dialogs->fileAnswers.push_back({false, {path(QStringLiteral("bild.bmp"))}, 1});

        if (saveAs)
            window->BitBtn1Click();
        else
            QVERIFY(!window->SaveFile());
        QCOMPARE(dialogs->fileRequests.size(), 1);
        QVERIFY(dialogs->messages.isEmpty());
        verifyUnchanged(before);
        QVERIFY(folderEntries().isEmpty());
    }

    // current: afilename; typed: the dialog's answer (entry 1) when afilename is empty;
    // existing: a file of that name beforehand, which must stay as it was.
    void failureChangesNothing_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("reason");
        const QString missing = QStringLiteral("\n\nDie Datei oder ihr Ordner existiert nicht.");
        QTest::newRow("missing folder") << "fehlt/bild.bmp" << "" << "fehlt/bild.bmp" << false << missing;
        QTest::newRow("missing folder, dialog") << "" << "fehlt/bild" << "fehlt/bild.bmp" << false << missing;
        QTest::newRow("target is a folder") << "ordner.bmp" << "" << "ordner.bmp" << false
                                            << "\n\nUnter diesem Namen gibt es einen Ordner.";
        QTest::newRow("unknown extension") << "bild.tiff" << "" << "bild.tiff" << true
                                           << "Für die Endung \".tiff\" gibt es kein Bildformat.";
        QTest::newRow("unknown extension, dialog") << "" << "bild.webp" << "bild.webp" << false
                                                   << "Für die Endung \".webp\" gibt es kein Bildformat.";
        QTest::newRow("no extension") << "bild" << "" << "bild" << true
                                      << "Der Dateiname hat keine Endung, die ein Bildformat bestimmt.";
    }
    void failureChangesNothing()
    {
        QFETCH(QString, current);
        QFETCH(QString, typed);
        QFETCH(QString, target);
        QFETCH(bool, existing);
        QFETCH(QString, reason);
        if (target == QLatin1String("ordner.bmp"))
            QVERIFY(QDir(folder->path()).mkdir(target));
        if (existing)
            QVERIFY(writeFile(path(target), "vorher"));
        const QStringList entriesBefore = folderEntries();
        window->afilename = path(current);
        markEarlierWork();
        const Snapshot before = snapshot();
        if (!typed.isEmpty())
            dialogs->fileAnswers.push_back({true, {path(typed)}, 1});

        QVERIFY(!window->SaveFile());
        QCOMPARE(dialogs->fileRequests.size(), typed.isEmpty() ? 0 : 1);
        QCOMPARE(dialogs->messages.size(), 1);
        const ShownMessage &message = dialogs->messages[0];
        QVERIFY2(message.text.startsWith(kCannotSave + path(target)), qPrintable(message.text));
        QVERIFY2(message.text.endsWith(reason), qPrintable(message.text));
        QCOMPARE(message.icon, QMessageBox::Critical);
        verifyUnchanged(before);
        QCOMPARE(folderEntries(), entriesBefore);
        if (existing)
            QCOMPARE(contents(path(target)), QByteArray("vorher"));
    }

    void closeQuestionSaves_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Ja, saved") << "bild.bmp" << "" << true;
        QTest::newRow("Ja, saved through the dialog") << "" << "bild.bmp" << true;
        QTest::newRow("Ja, write fails") << "fehlt/bild.bmp" << "" << false;
    }
    void closeQuestionSaves()
    {
        QFETCH(QString, current);
        QFETCH(QString, typed);
        QFETCH(bool, closes);
        QVERIFY(showWindow());
        window->afilename = path(current);
        window->SetChanged();
        if (!typed.isEmpty())
            dialogs->fileAnswers.push_back({true, {path(typed)}, 1});
        dialogs->answers.push_back(QMessageBox::Yes);
        if (closes)
            dialogs->answers.push_back(QMessageBox::No); // keep the settings

        QCOMPARE(window->close(), closes);
        QCOMPARE(window->isVisible(), !closes);
        QVERIFY(dialogs->answers.empty());
        QVERIFY(dialogs->fileAnswers.empty());
        QCOMPARE(window->changed, !closes);
        if (closes)
            QCOMPARE(compareWithFile(window->outdi, path(QStringLiteral("bild.bmp")), true), QString());
        else
            QVERIFY(dialogs->messages.last().text.startsWith(kCannotSave));
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    SavingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SavingTest.moc"
