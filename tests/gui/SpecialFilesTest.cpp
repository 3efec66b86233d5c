// A pipe in place of a picture or of a per-user file: the window starts and
// closes without waiting for a writer, says no more than for a damaged file,
// and leaves the pipe where it was.
#include "MainUnit.h"
#include "WindowFixture.h"

#include <QCoreApplication>
#include <QDir>
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
        const QStringList allowed{QStringLiteral("Fehler beim Öffnen der Datei."),
                                  QStringLiteral("Fehler beim Anlegen der Datei.")};
        for (const ShownMessage &message : dialogs->messages)
            if (!message.text.startsWith(QStringLiteral("Wollen Sie")))
                QVERIFY2(allowed.contains(message.text), qPrintable(message.text));
    }
};

QTEST_MAIN(SpecialFilesTest)
#include "SpecialFilesTest.moc"
