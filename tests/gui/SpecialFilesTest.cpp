// A pipe in place of a picture or of a per-user file: the window starts and
// closes without waiting for a writer, says no more than for a damaged file,
// and leaves the pipe where it was. Per-user files far larger than the program
// writes them are read in part or not at all.
#include "FavouriteFolders.h"
#include "FileHelpers.h"
#include "MainUnit.h"
#include "WindowFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString dataFolder() { return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/MERIDAN/Nuanza/"); }
QString storeFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
           + QCoreApplication::applicationName() + QLatin1String(".conf");
}

bool isFifo(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

} // namespace

class SpecialFilesTest : public QObject, WindowFixture {
    Q_OBJECT

    QString fifo;

private slots:
    void init()
    {
        // A read that waits on the pipe ends the test instead of holding it.
        ::alarm(60);
        QVERIFY(makeFolder(QStringLiteral("pipes-")));
        QVERIFY(QDir().mkpath(dataFolder()));
        QVERIFY(QDir().mkpath(QFileInfo(storeFile()).path()));
    }
    void cleanup()
    {
        closeWindow();
        if (!fifo.isEmpty())
            QFile::remove(fifo);
        fifo.clear();
        ::alarm(0);
    }

    void pipeIsIgnoredAndKept_data()
    {
        QTest::addColumn<QString>("which");
        QTest::newRow("picture") << "picture";
        QTest::newRow("settings.dat") << "settings.dat";
        QTest::newRow("farbliste.far") << "farbliste.far";
        QTest::newRow("folders.dat") << "folders.dat";
        QTest::newRow("window store") << "conf";
    }
    void pipeIsIgnoredAndKept()
    {
        QFETCH(QString, which);
        if (which == "picture")
            fifo = path(QStringLiteral("x.bmp"));
        else if (which == "folders.dat")
            fifo = path(which);
        else if (which == "conf")
            fifo = storeFile();
        else
            fifo = dataFolder() + which;
        QFile::remove(fifo); // written by an earlier row
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);

        openWindow();
        QVERIFY(showWindow());
        window->progpath = withTrailingSeparator(QDir::toNativeSeparators(folder->path()));
        window->LoadPrefFolders();
        window->AddToPrefFolders(folder->path());
        if (which == "picture") {
            QVERIFY(!window->openfilenow(fifo));
            QCOMPARE(dialogs->messages.size(), 1);
            QCOMPARE(dialogs->messages[0].text, QString::fromUtf8("Die Datei konnte nicht geöffnet werden."));
            dialogs->messages.clear();
        }
        dialogs->answers.push_back(QMessageBox::Yes); // keep the settings
        QVERIFY(window->close());

        QVERIFY2(isFifo(fifo), qPrintable(fifo));
        // The messages of a file that cannot be read or written, no other.
        const QStringList allowed{QStringLiteral("Fehler beim Öffnen der Datei.\n") + QDir::toNativeSeparators(fifo),
                                  QStringLiteral("Fehler beim Anlegen der Datei.\n") + QDir::toNativeSeparators(fifo),
                                  QStringLiteral("Die Farbliste %1 kann nicht gelesen werden.")
                                      .arg(QDir::toNativeSeparators(fifo))};
        for (const ShownMessage &message : dialogs->messages)
            if (!message.text.startsWith(QStringLiteral("Wollen Sie")))
                QVERIFY2(allowed.contains(message.text), qPrintable(message.text));
    }

    void oversizedFileIsLimited_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("sparseSize"); // grown with zeros to this size
        QTest::addColumn<QStringList>("entries");
        QByteArray many;
        for (int i = 0; many.size() <= kFavouriteFileLimit * 2; ++i)
            many += "/" + QByteArray::number(i) + "/\r\n";
        QStringList first;
        for (int i = 0; i < kFavouriteEntryLimit; ++i)
            first.append(QStringLiteral("/%1/").arg(i));
        QTest::newRow("folders.dat, 2 MB of entries") << "folders.dat" << many << qint64(0) << first;
        QTest::newRow("folders.dat, one line of 1 GB")
            << "folders.dat" << QByteArray("/a/") << (qint64(1) << 30) << QStringList();
        QTest::newRow("folders.dat, a line longer than a path")
            << "folders.dat" << "/a/\n" + QByteArray(int(kFavouriteLineLimit) + 1, 'x') + "\n/b/\n"
            << qint64(0) << QStringList{"/a/", "/b/"};
        QTest::newRow("window store of 2 MB")
            << "conf" << QByteArray("[MainForm]\nLastSavedEd.Text=alt\n") << (qint64(2) << 20) << QStringList();
    }
    void oversizedFileIsLimited()
    {
        QFETCH(QString, which);
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, sparseSize);
        QFETCH(QStringList, entries);
        fifo.clear();
        const QString file = which == "conf" ? storeFile() : path(which);
        QVERIFY(writeFile(file, bytes));
        if (sparseSize > 0)
            QVERIFY(QFile::resize(file, sparseSize));
        const qint64 size = QFileInfo(file).size();

        openWindow();
        window->progpath = withTrailingSeparator(QDir::toNativeSeparators(folder->path()));
        window->LoadPrefFolders();
        QVERIFY(showWindow());
        if (which == "conf") {
            QCOMPARE(control<QLineEdit>(*window, "LastSavedEd")->text(), QString());
        } else {
            const auto *list = control<QListWidget>(*window, "PrefListBox");
            QStringList shown;
            for (int row = 0; row < list->count(); ++row)
                shown.append(list->item(row)->text());
            QCOMPARE(shown, entries);
        }
        dialogs->answers.push_back(QMessageBox::No);
        QVERIFY(window->close());
        QCOMPARE(QFileInfo(file).size(), size); // left as it was
        QFile::remove(file);
    }
};

QTEST_MAIN(SpecialFilesTest)
#include "SpecialFilesTest.moc"
