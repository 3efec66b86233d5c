// The data folder and "settings.dat" on the whole window: where the folder is and
// when it is made, reading at start (ranges, change handlers, short files),
// writing through the close query, and the messages for files that fail.
#include "FileHelpers.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "SettingsFile.h"
#include "Startup.h"

#include <QDir>
#include <QFile>
#include <QSpinBox>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString kSettingsQuestion =
    QStringLiteral("Wollen Sie die Einstellungen für den Radius, den Zoom und die Helligkeit speichern?");
const QString kCannotOpen = QStringLiteral("Fehler beim Öffnen der Datei.");
const QString kCannotCreate = QStringLiteral("Fehler beim Anlegen der Datei.");

QString dataHome() { return qEnvironmentVariable("XDG_DATA_HOME"); }
QString dataFolder() { return dataHome() + QStringLiteral("/MERIDAN/Nuanza/"); }

QByteArray bytesOf(const SettingsValues &values)
{
    const SettingsBytes bytes = EncodeSettings(values);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

} // namespace

class SettingsTest : public QObject, WindowFixture {
    Q_OBJECT

    QByteArray savedDataHome;

    // settings.dat in the data folder, before the window starts.
    void writeSettings(const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(dataFolder()));
        QFile file(dataFolder() + QStringLiteral("settings.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    SettingsValues fieldValues() const
    {
        return {
            control<QSpinBox>(*window, "RadiusED")->value(), control<QSpinBox>(*window, "Radius2Ed")->value(),
            control<QSpinBox>(*window, "BrightEd")->value(), control<QSpinBox>(*window, "ZoomEd")->value()};
    }
    void verifyErrorMessage(const QString &text)
    {
        QCOMPARE(dialogs->messages.size(), 1);
        const ShownMessage &message = dialogs->messages[0];
        QCOMPARE(message.text, text);
        QCOMPARE(message.title, QString()); // the default title
        QCOMPARE(message.icon, QMessageBox::Critical);
        QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

private slots:
    void initTestCase() { savedDataHome = qgetenv("XDG_DATA_HOME"); }
    void init()
    {
        qputenv("XDG_DATA_HOME", savedDataHome);
        QDir(dataHome()).removeRecursively();
        QVERIFY(QDir().mkpath(dataHome()));
    }
    void cleanup()
    {
        closeWindow();
        qputenv("XDG_DATA_HOME", savedDataHome);
    }

    void dataFolderIsMadeOnlyWhenAsked()
    {
        // Every missing level, below a per-user data folder that is missing too.
        const QString deep = dataHome() + QStringLiteral("/a/b");
        qputenv("XDG_DATA_HOME", QFile::encodeName(deep));
        openWindow(); // looks for the files at start
        const QString folder = window->GetProgramDir(false);
        QCOMPARE(folder, QDir::toNativeSeparators(deep + QStringLiteral("/MERIDAN/Nuanza/")));
        QVERIFY(!QFileInfo::exists(dataHome() + QStringLiteral("/a")));
        QCOMPARE(window->GetProgramDir(true), folder);
        QVERIFY(QFileInfo(folder).isDir());
    }

    void settingsSavedAtCloseAreReadAtStart()
    {
        openWindow();
        const SettingsValues values{37, 37, -45, 250};
        control<QSpinBox>(*window, "RadiusED")->setValue(values[0]);
        control<QSpinBox>(*window, "BrightEd")->setValue(values[2]);
        control<QSpinBox>(*window, "ZoomEd")->setValue(values[3]);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        dialogs->answers.push_back(QMessageBox::Yes);
        QVERIFY(window->close());
        QCOMPARE(dialogs->messages.first().text, kSettingsQuestion);
        QCOMPARE(contents(dataFolder() + QStringLiteral("settings.dat")), bytesOf(values));

        openWindow();
        QCOMPARE(fieldValues(), values);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void differingRadiiLeaveTheSecond()
    {
        writeSettings(bytesOf({20, 70, 0, 100}));
        openWindow();
        QCOMPARE(control<QSpinBox>(*window, "RadiusED")->value(), 70);
        QCOMPARE(control<QSpinBox>(*window, "Radius2Ed")->value(), 70);
    }

    void valuesAreKeptInTheFieldsRanges_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("radius");
        QTest::addColumn<int>("bright");
        QTest::addColumn<int>("zoom");
        QTest::newRow("below") << bytesOf({0, 0, -300, 5}) << 1 << -100 << 10;
        QTest::newRow("above") << bytesOf({1000, 500, 101, 100000}) << 100 << 100 << 1000;
        QTest::newRow("extremes") << bytesOf({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN}) << 1 << 100 << 10;
    }
    void valuesAreKeptInTheFieldsRanges()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, radius);
        QFETCH(int, bright);
        QFETCH(int, zoom);
        writeSettings(file);
        openWindow();
        QCOMPARE(control<QSpinBox>(*window, "Radius2Ed")->value(), radius);
        QCOMPARE(control<QSpinBox>(*window, "BrightEd")->value(), bright);
        QCOMPARE(control<QSpinBox>(*window, "ZoomEd")->value(), zoom);
    }

    void brightnessAtStartKeepsTheStartColour_data()
    {
        QTest::addColumn<int>("bright");
        QTest::newRow("0") << 0;
        QTest::newRow("30") << 30;
        QTest::newRow("-40") << -40;
    }
    void brightnessAtStartKeepsTheStartColour()
    {
        QFETCH(int, bright);
        const int hue = 20, sat = 141;
        writeSettings(bytesOf({10, 10, bright, 100}));
        openWindow();
        QCOMPARE(control<QSpinBox>(*window, "BrightEd")->value(), bright);
        QCOMPARE(window->ghue, hue);
        QCOMPARE(window->gsat, sat);
        // The picker shows the same once its page is painted.
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->Button2Click();
        QTRY_COMPARE(control<QSpinBox>(*window, "HueED")->value(), hue);
        QCOMPARE(control<QSpinBox>(*window, "SatEd")->value(), sat);
    }

    void shortFileSetsOnlyWholeValues_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("radius");
        QTest::addColumn<int>("bright");
        QTest::newRow("empty") << 0 << 10 << 0;
        QTest::newRow("first value and a half") << 6 << 55 << 0;
        QTest::newRow("three and a half") << 14 << 66 << -77;
    }
    void shortFileSetsOnlyWholeValues()
    {
        QFETCH(int, size);
        QFETCH(int, radius);
        QFETCH(int, bright);
        writeSettings(bytesOf({55, 66, -77, 880}).left(size));
        openWindow();
        QCOMPARE(control<QSpinBox>(*window, "RadiusED")->value(), radius);
        QCOMPARE(control<QSpinBox>(*window, "BrightEd")->value(), bright);
        QCOMPARE(control<QSpinBox>(*window, "ZoomEd")->value(), 100);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void unreadableFileIsReportedAndChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "fehlt.dat" << "\n\nDie Datei oder ihr Ordner existiert nicht.";
        QTest::newRow("a folder") << "ordner.dat" << "";
    }
    void unreadableFileIsReportedAndChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        openWindow();
        QVERIFY(QDir(dataHome()).mkdir(QStringLiteral("ordner.dat")));
        const SettingsValues before = fieldValues();
        const QString file = dataHome() + QLatin1Char('/') + name;
        window->OpenSettings(file);
        verifyErrorMessage(kCannotOpen + QLatin1Char('\n') + QDir::toNativeSeparators(file) + reason);
        QCOMPARE(fieldValues(), before);
        QCOMPARE(window->ghue, 20);
    }

    // A settings.dat that exists but cannot be read is reported at start, and the
    // start values stay.
    void unreadableFileAtStartIsReported()
    {
        QVERIFY(QDir().mkpath(dataFolder() + QStringLiteral("settings.dat")));
        openWindow();
        verifyErrorMessage(kCannotOpen + QLatin1Char('\n') + QDir::toNativeSeparators(dataFolder() + QStringLiteral("settings.dat")));
        QCOMPARE(fieldValues(), (SettingsValues{10, 10, 0, 100}));
    }

    void unwritableFolderIsReported()
    {
        // The data folder cannot be made: a file stands where a folder must be.
        QFile blocker(dataHome() + QStringLiteral("/MERIDAN"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        openWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        dialogs->answers.push_back(QMessageBox::Yes);
        QVERIFY(window->close()); // the window closes all the same
        // The colour list written at close may report its own failure after these.
        QVERIFY(dialogs->messages.size() >= 2);
        QCOMPARE(dialogs->messages[0].text, kSettingsQuestion);
        const ShownMessage &message = dialogs->messages[1];
        QCOMPARE(message.text, kCannotCreate + QLatin1Char('\n')
                                   + QDir::toNativeSeparators(dataFolder() + QStringLiteral("settings.dat"))
                                   + QStringLiteral("\n\nEin Teil des Pfades ist kein Ordner."));
        QCOMPARE(message.title, QString());
        QCOMPARE(message.icon, QMessageBox::Critical);
        QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void failedWriteKeepsTheOldFile()
    {
        openWindow();
        const QString file = window->GetProgramDir(true) + QStringLiteral("settings.dat");
        window->SaveSettings(file);
        const QByteArray old = contents(file);
        QCOMPARE(old, bytesOf({10, 10, 0, 100}));

        // The disk takes only 8 bytes of the new file.
        control<QSpinBox>(*window, "ZoomEd")->setValue(500);
        control<QSpinBox>(*window, "BrightEd")->setValue(-5);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 8;
        ::setrlimit(RLIMIT_FSIZE, &small);
        window->SaveSettings(file);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        verifyErrorMessage(kCannotCreate + QLatin1Char('\n') + QDir::toNativeSeparators(file)
                           + QStringLiteral("\n\nDie Datei wäre größer, als erlaubt ist."));
        QCOMPARE(contents(file), old);
        QCOMPARE(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("settings.dat")});
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    SettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SettingsTest.moc"
