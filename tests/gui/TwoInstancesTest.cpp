// Two instances of the program, as two real processes with the same home
// folder, each changing the data folder's colour list and closing: neither
// loses what the other added. The test runs itself as the instances.
#include "ColourListFile.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "ScriptedDialogs.h"
#include "Startup.h"
#include "WindowControls.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <iostream>
#include <string>

namespace {

QString dataList()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/MERIDAN/Nuanza/farbliste.far");
}

// One instance: shows its window, says "ready", waits for a line, then adds
// ("+Name") or deletes ("-Name") an entry and closes, saving the settings too.
// The exit code counts the messages beyond the settings question.
int runInstance(const QString &action)
{
    auto *dialogs = new ScriptedDialogs;
    TMainForm window(nullptr, std::unique_ptr<UserDialogs>(dialogs));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 100;
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    const QString name = action.mid(1);
    auto *list = control<QTreeWidget>(window, "ListView1");
    if (action.startsWith(QLatin1Char('+'))) {
        control<QLineEdit>(window, "Edit1")->setText(name);
        control<QPushButton>(window, "SaveColorinListBtn")->click();
    } else {
        const auto found = list->findItems(name, Qt::MatchExactly);
        if (found.isEmpty())
            return 101;
        list->setCurrentItem(found.first());
        control<QPushButton>(window, "DelColorBtn")->click();
    }
    dialogs->answers.push_back(QMessageBox::Yes); // the settings question
    window.close();
    return int(dialogs->messages.size()) - 1;
}

QStringList namesOnDisk()
{
    QFile file(dataList());
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<unreadable>")};
    const QByteArray bytes = file.readAll();
    MemoryFarReader reader(std::string_view(bytes.constData(), size_t(bytes.size())));
    std::vector<FarEntry> entries;
    readFarFile(reader, entries);
    QStringList names;
    for (const FarEntry &entry : entries)
        names.append(QString::fromStdString(entry.name));
    names.sort();
    return names;
}

} // namespace

class TwoInstancesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QProcess> startInstance(const QString &action)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--instance"), action});
        while (process->waitForReadyRead(30000) && !process->canReadLine()) {
        }
        if (process->readLine() != "ready\n")
            return nullptr;
        return process;
    }
    static bool finished(QProcess &process)
    {
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit
               && process.exitCode() == 0;
    }

private slots:
    // Both instances read the list before either closes; A closes first, or
    // both close at once and the lock puts one after the other.
    void neitherLosesTheOthersColours_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("actionA");
        QTest::addColumn<QString>("actionB");
        QTest::addColumn<bool>("together");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("both add") << QStringList{"Haut"} << "+Nur-A" << "+Nur-B" << false
                                  << QStringList{"Haut", "Nur-A", "Nur-B"};
        QTest::newRow("a deletion stays deleted") << QStringList{"Haut", "Sand"} << "+Nur-A" << "-Haut" << false
                                                  << QStringList{"Nur-A", "Sand"};
        QTest::newRow("closing at once") << QStringList{"Haut"} << "+Nur-A" << "+Nur-B" << true
                                         << QStringList{"Haut", "Nur-A", "Nur-B"};
    }
    void neitherLosesTheOthersColours()
    {
        QFETCH(QStringList, start);
        QFETCH(QString, actionA);
        QFETCH(QString, actionB);
        QFETCH(bool, together);
        QFETCH(QStringList, expected);
        std::vector<FarEntry> entries;
        for (const QString &name : start)
            entries.push_back({name.toStdString(), "20", "141"});
        QVERIFY(QDir().mkpath(QFileInfo(dataList()).path()));
        QFile file(dataList());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const std::string bytes = writeFarFile(entries);
        QVERIFY(file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
        file.close();

        const auto a = startInstance(actionA);
        const auto b = startInstance(actionB);
        QVERIFY(a && b);
        a->write("go\n");
        if (together)
            b->write("go\n");
        QVERIFY(finished(*a));
        if (!together)
            b->write("go\n");
        QVERIFY(finished(*b));
        QCOMPARE(namesOnDisk(), expected);
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc == 3 && QByteArray(argv[1]) == "--instance")
        return runInstance(QString::fromLocal8Bit(argv[2]));
    TwoInstancesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TwoInstancesTest.moc"
