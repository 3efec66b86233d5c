// The favourite folders and the stored window placement on the whole window:
// "folders.dat" in the program folder, the way back into the folder tree, and
// the placement and last-saved texts carried from one window to the next.
#include "FileHelpers.h"
#include "ErrorReport.h"
#include "FormatCodes.h"
#include "MainUnit.h"
#include "WindowControls.h"
#include "ReadOnlyFolder.h"
#include "ScriptedDialogs.h"
#include "Startup.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

QStringList listEntries(const QListWidget *list)
{
    QStringList entries;
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    return entries;
}

// The per-user store of the window, as the program names it.
std::unique_ptr<QSettings> formStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QCoreApplication::applicationName());
}

} // namespace

class PlacesWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMainForm> window;
    ScriptedDialogs *dialogs = nullptr;
    std::unique_ptr<QTemporaryDir> folder;

    QString foldersFile() const { return window->progpath + QLatin1String("folders.dat"); }
    QStringList folderFiles() const
    {
        return QDir(folder->path()).entryList(QDir::Files | QDir::Hidden);
    }
    std::unique_ptr<TMainForm> newWindow()
    {
        auto made = std::make_unique<TMainForm>();
        dialogs = new ScriptedDialogs;
        made->setDialogs(std::unique_ptr<UserDialogs>(dialogs));
        return made;
    }
    void showWindow(TMainForm *shown)
    {
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
    }
    // A granted close: nothing unsaved, the settings are not kept.
    void closeWindow()
    {
        dialogs->answers.push_back(QMessageBox::No);
        QVERIFY(window->close());
        QVERIFY(dialogs->answers.empty());
    }

private slots:
    void init()
    {
        // Folders for the file-system models live under the test's own HOME.
        folder = std::make_unique<QTemporaryDir>(QDir::homePath() + QLatin1String("/places-XXXXXX"));
        QVERIFY(folder->isValid());
        formStore()->clear();
        window = newWindow();
        window->progpath = withTrailingSeparator(QDir::toNativeSeparators(folder->path()));
    }
    void cleanup()
    {
        window.reset();
        folder.reset();
    }

    void readsTheListAtStart_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("missing") << QByteArray() << QStringList();
        QTest::newRow("lines of every kind")
            << QByteArray("/a/\r\n\r\n/M\xFCller/\n/b/")
            << QStringList{"/a/", "", QString::fromUtf8("/Müller/"), "/b/"};
    }
    void readsTheListAtStart()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, entries);
        if (!file.isNull())
            QVERIFY(writeFile(foldersFile(), file));
        control<QListWidget>(*window, "PrefListBox")->addItem(QStringLiteral("/von vorher/"));
        window->LoadPrefFolders();
        QCOMPARE(listEntries(control<QListWidget>(*window, "PrefListBox")), entries);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void addMovesToTheFrontAndRewritesTheFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("first stays first, lines get CR LF")
            << QByteArray("/a/\n/b/\n") << "/a/" << QStringList{"/a/", "/b/"} << QByteArray("/a/\r\n/b/\r\n");
        QTest::newRow("third moves up")
            << QByteArray("/a/\r\n/b/\r\n/c/\r\n/d/\r\n") << "/c/" << QStringList{"/c/", "/a/", "/b/", "/d/"}
            << QByteArray("/c/\r\n/a/\r\n/b/\r\n/d/\r\n");
        QTest::newRow("first favourite, Windows-1252")
            << QByteArray() << QString::fromUtf8("/home/jürgen/Bäume/")
            << QStringList{QString::fromUtf8("/home/jürgen/Bäume/")} << QByteArray("/home/j\xFCrgen/B\xE4ume/\r\n");
    }
    void addMovesToTheFrontAndRewritesTheFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, added);
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, written);
        if (!file.isNull())
            QVERIFY(writeFile(foldersFile(), file));
        window->LoadPrefFolders();
        window->AddToPrefFolders(added);
        QCOMPARE(listEntries(control<QListWidget>(*window, "PrefListBox")), entries);
        QCOMPARE(contents(foldersFile()), written);
        QCOMPARE(folderFiles(), QStringList{QStringLiteral("folders.dat")});
        QVERIFY(dialogs->messages.isEmpty());
    }

    void theListOnlyGrows()
    {
        const QStringList folders{"/a/", "/b/", "/a/", "/c/", "/b/"};
        for (const QString &added : folders)
            window->AddToPrefFolders(added);
        QCOMPARE(listEntries(control<QListWidget>(*window, "PrefListBox")), (QStringList{"/b/", "/c/", "/a/"}));
        control<QListWidget>(*window, "PrefListBox")->clear();
        window->LoadPrefFolders();
        QCOMPARE(listEntries(control<QListWidget>(*window, "PrefListBox")), (QStringList{"/b/", "/c/", "/a/"}));
    }

    void writeProtectedProgramFolderKeepsTheListForTheRun()
    {
        QVERIFY(writeFile(foldersFile(), "/alt/\r\n"));
        window->LoadPrefFolders();
        ReadOnlyFolder guard(folder->path());
        if (!guard.ok())
            QSKIP("cannot make a folder read-only here");
        window->AddToPrefFolders(QStringLiteral("/neu/"));
        QCOMPARE(listEntries(control<QListWidget>(*window, "PrefListBox")), (QStringList{"/neu/", "/alt/"}));
        QCOMPARE(contents(foldersFile()), QByteArray("/alt/\r\n"));
        QVERIFY(dialogs->messages.isEmpty());
        guard.release();
        QCOMPARE(folderFiles(), QStringList{QStringLiteral("folders.dat")});
    }

    void missingProgramFolderIsNotCreated()
    {
        window->progpath = withTrailingSeparator(QDir::toNativeSeparators(folder->filePath("fehlt")));
        window->AddToPrefFolders(QStringLiteral("/neu/"));
        QCOMPARE(listEntries(control<QListWidget>(*window, "PrefListBox")), QStringList{"/neu/"});
        QVERIFY(!QFileInfo::exists(folder->filePath("fehlt")));
        QVERIFY(dialogs->messages.isEmpty());
    }

    // A double-click or Enter shows the favourite in the folder tree.
    void favouriteOpensInTheTree()
    {
        QVERIFY(QDir(folder->path()).mkpath("eins"));
        QVERIFY(QDir(folder->path()).mkpath(QString::fromUtf8("zwei Bäume")));
        const QString one = withTrailingSeparator(QDir::toNativeSeparators(folder->filePath("eins")));
        const QString two = withTrailingSeparator(
            QDir::toNativeSeparators(folder->filePath(QString::fromUtf8("zwei Bäume"))));
        window->AddToPrefFolders(one);
        window->AddToPrefFolders(two); // two first, one second
        showWindow(window.get());
        const auto treeFolder = [this] {
            return control<QFileSystemModel>(*window, "folderModel")
                ->filePath(control<QTreeView>(*window, "JamShellTree1")->currentIndex());
        };
        QListWidget *list = control<QListWidget>(*window, "PrefListBox");

        list->setCurrentRow(0);
        // A real double-click: the first click selects, the second opens.
        const QPoint second = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QCOMPARE(treeFolder(), QDir::cleanPath(folder->filePath("eins")));

        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(treeFolder(), QDir::cleanPath(folder->filePath(QString::fromUtf8("zwei Bäume"))));

        // Without a selection, Enter does nothing.
        list->setCurrentRow(1);
        list->clearSelection();
        QTest::keyClick(list, Qt::Key_Enter);
        QCOMPARE(treeFolder(), QDir::cleanPath(folder->filePath(QString::fromUtf8("zwei Bäume"))));
        QCOMPARE(listEntries(list), (QStringList{two, one}));
    }

    // Store in one window, restore in the next, as from one run to the next.
    void placementAndTextsCarryOver()
    {
        showWindow(window.get());
        window->setGeometry(QRect(20, 30, 1000, 540));
        control<QLineEdit>(*window, "LastSavedEd")->setText(QString::fromUtf8("Bäume 7.bmp"));
        control<QLineEdit>(*window, "LastSavedWithPathEd")->setText(QString::fromUtf8("/home/jürgen/Bäume 7.bmp"));
        const QRect placed = window->geometry();
        closeWindow();

        const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + QLatin1Char('/') + QCoreApplication::applicationName() + QLatin1String(".conf");
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
        const auto store = formStore();
        QCOMPARE(store->value("MainForm/Left").toInt(), placed.left());
        QCOMPARE(store->value("MainForm/Height").toInt(), placed.height());

        window = newWindow();
        QCOMPARE(control<QLineEdit>(*window, "LastSavedEd")->text(), QString());
        showWindow(window.get());
        QCOMPARE(window->geometry(), placed);
        QVERIFY(!window->isMaximized());
        QCOMPARE(control<QLineEdit>(*window, "LastSavedEd")->text(), QString::fromUtf8("Bäume 7.bmp"));
        QCOMPARE(control<QLineEdit>(*window, "LastSavedWithPathEd")->text(),
                 QString::fromUtf8("/home/jürgen/Bäume 7.bmp"));
    }

    void maximisedWindowComesBackMaximised()
    {
        showWindow(window.get());
        window->setGeometry(QRect(20, 30, 1000, 540));
        const QRect normal = window->geometry();
        window->showMaximized();
        QTRY_VERIFY(window->isMaximized());
        closeWindow();
        QCOMPARE(formStore()->value("MainForm/Width").toInt(), normal.width());

        window = newWindow();
        showWindow(window.get());
        QTRY_VERIFY(window->isMaximized());
        QCOMPARE(window->normalGeometry(), normal);
    }

    void placementOfALostScreenComesBackOnScreen()
    {
        const auto store = formStore();
        store->setValue("MainForm/Left", 5000);
        store->setValue("MainForm/Top", -3000);
        store->setValue("MainForm/Width", 1000);
        store->setValue("MainForm/Height", 540);
        store->setValue("MainForm/State", 0);
        store->sync();
        showWindow(window.get());
        const QRect screen = window->screen()->availableGeometry();
        QVERIFY2(screen.contains(window->geometry().topLeft()),
                 qPrintable(QStringLiteral("%1,%2").arg(window->x()).arg(window->y())));
    }

    void incompletePlacementKeepsTheCentredWindow()
    {
        const QPoint centred = window->pos();
        const auto store = formStore();
        store->setValue("MainForm/Left", "links");
        store->setValue("MainForm/Top", 10);
        store->setValue("MainForm/Width", 900);
        store->setValue("MainForm/Height", 500);
        store->sync();
        showWindow(window.get());
        QCOMPARE(window->pos(), centred);
    }

    void onlyAGrantedCloseOfAShownWindowStores()
    {
        showWindow(window.get());
        window->SetChanged();
        dialogs->answers.push_back(QMessageBox::Cancel);
        QVERIFY(!window->close());
        QVERIFY(!formStore()->contains("MainForm/Left"));

        // A window that never showed has no placement of its own.
        window = newWindow();
        control<QLineEdit>(*window, "LastSavedEd")->setText(QStringLiteral("nie gezeigt.bmp"));
        closeWindow();
        QVERIFY(!formStore()->contains("MainForm/Left"));
        QVERIFY(!formStore()->contains("MainForm/LastSavedEd.Text"));
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    PlacesWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PlacesWindowTest.moc"
