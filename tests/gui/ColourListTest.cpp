// The colour list on the whole window: presets, the list's buttons, clicks
// against arrow keys, the ".far" files through the menu, and the list kept
// from one run to the next.
#include "FileHelpers.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowControls.h"
#include "ScriptedDialogs.h"
#include "Startup.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Entry = QStringList; // name, hue text, saturation text

const QString kTitle = QStringLiteral("Nuanza 1.5");
const QString kCannotOpen = QStringLiteral("Fehler beim Öffnen der Datei.");
const QString kCannotCreate = QStringLiteral("Fehler beim Anlegen der Datei.");
const QString kDamaged = QStringLiteral("Die Farbliste %1 ist beschädigt; es wurden nur die ersten %2 Farben gelesen.");
const QString kMissing = QStringLiteral("Die Datei oder ihr Ordner existiert nicht.");

// The program's sentence, the file, and the system's reason when there is one.
QString fileError(const QString &text, const QString &file, const QString &reason)
{
    return text + QLatin1Char('\n') + QDir::toNativeSeparators(file)
           + (reason.isEmpty() ? QString() : QStringLiteral("\n\n") + reason);
}
const QString kReplace = QStringLiteral("Die folgende Datei gibt es bereits:\n\n%1\n\nSoll sie ersetzt werden?");

QByteArray int32(qint32 value)
{
    const auto u = quint32(value);
    const char bytes[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF), char(u >> 24)};
    return QByteArray(bytes, 4);
}

QByteArray text(const QByteArray &s) { return int32(qint32(s.size())) + s; }

// The file for entries given as 8-bit texts.
QByteArray farFile(const QList<QList<QByteArray>> &entries)
{
    QByteArray file = int32(qint32(entries.size()));
    for (const auto &entry : entries)
        for (const QByteArray &s : entry)
            file += text(s);
    return file;
}

QList<Entry> listEntries(const QTreeWidget *list)
{
    QList<Entry> entries;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = list->topLevelItem(row);
        entries.append({item->text(0), item->text(1), item->text(2)});
    }
    return entries;
}

int selectedRow(const QTreeWidget *list)
{
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

// While alive, no file of this process may grow beyond `bytes`: a full disk,
// for root as well.
struct FileSizeCap {
    rlimit saved{};
    void (*previous)(int) = nullptr;
    explicit FileSizeCap(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        previous = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
};

} // namespace

class ColourListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMainForm> window;
    QTreeWidget *colourList() const { return control<QTreeWidget>(*window, "ListView1"); }
    ScriptedDialogs *dialogs = nullptr;
    std::unique_ptr<QTemporaryDir> folder;

    QString path(const QString &name) const { return folder->filePath(name); }
    QString dataList() const { return window->GetProgramDir(false) + QStringLiteral("farbliste.far"); }

    std::unique_ptr<TMainForm> newWindow()
    {
        auto form = std::make_unique<TMainForm>();
        dialogs = new ScriptedDialogs;
        form->setDialogs(std::unique_ptr<UserDialogs>(dialogs));
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            return nullptr;
        QTest::mouseClick(control<QPushButton>(*form, "Button2"), Qt::LeftButton); // page "Foto colorieren"
        return form;
    }
    void addEntries(const QList<Entry> &entries)
    {
        for (const Entry &entry : entries)
            colourList()->addTopLevelItem(new QTreeWidgetItem(entry));
    }
    void clickEntry(int row)
    {
        QTreeWidgetItem *item = colourList()->topLevelItem(row);
        QTest::mouseClick(colourList()->viewport(), Qt::LeftButton, {},
                          colourList()->visualItemRect(item).center());
    }
    void setFields(int hue, int sat)
    {
        control<QSpinBox>(*window, "HueED")->setValue(hue);
        control<QSpinBox>(*window, "SatEd")->setValue(sat);
    }
    void verifyColour(int hue, int sat)
    {
        QCOMPARE(window->ghue, hue);
        QCOMPARE(window->gsat, sat);
        QCOMPARE(control<QSpinBox>(*window, "HueED")->value(), hue);
        QCOMPARE(control<QSpinBox>(*window, "SatEd")->value(), sat);
    }
    void verifyGeneralError(const QString &text)
    {
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, text);
        QCOMPARE(dialogs->messages[0].title, kTitle);
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Critical);
    }
    void verifyFileMessage(const QString &text)
    {
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, text);
        QCOMPARE(dialogs->messages[0].title, QString()); // the system's default title
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Critical);
        QCOMPARE(dialogs->messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    void openThroughMenu(const QString &file)
    {
        dialogs->fileAnswers.push_back({true, {file}, 1});
        control<QAction>(*window, "Farblisteffnen1")->trigger();
        QVERIFY(dialogs->fileAnswers.empty());
    }
    // Over an existing list, the question is answered with Ja and not kept
    // among the messages.
    void saveThroughMenu(const QString &file)
    {
        const bool exists = QFile::exists(file);
        if (exists)
            dialogs->answers.push_back(QMessageBox::Yes);
        const qsizetype shown = dialogs->messages.size();
        dialogs->fileAnswers.push_back({true, {file}, 1});
        control<QAction>(*window, "Farblistespeichern1")->trigger();
        QVERIFY(dialogs->fileAnswers.empty());
        QVERIFY(dialogs->answers.empty());
        if (exists) {
            QCOMPARE(dialogs->messages.value(shown).text, kReplace.arg(file));
            dialogs->messages.removeAt(shown);
        }
    }

private slots:
    void init()
    {
        // Each test starts without a list kept from an earlier window.
        QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                      + QStringLiteral("/MERIDAN/Nuanza/farbliste.far"));
        window = newWindow();
        QVERIFY(window);
        QVERIFY(colourList()->isVisible());
        folder = std::make_unique<QTemporaryDir>(QDir::home().filePath(QStringLiteral("listXXXXXX")));
        QVERIFY(folder->isValid());
    }
    void cleanup()
    {
        window.reset();
        folder.reset();
    }

    void controlsLookAsDesigned()
    {
        const QTreeWidget *list = colourList();
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("Name"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("Farbe"));
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("Sättigung"));
        QCOMPARE(list->columnWidth(0), 75);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(control<QLineEdit>(*window, "Edit1")->text(), QStringLiteral("Farbe 1"));
        QCOMPARE(control<QPushButton>(*window, "SaveColorinListBtn")->text(),
                 QStringLiteral("Farbe in Liste speichern"));
        QCOMPARE(control<QPushButton>(*window, "ChangeColorBtn")->text(), QStringLiteral("Farbe ändern"));
        QCOMPARE(control<QPushButton>(*window, "ChangeColorBtn")->toolTip(),
                 QStringLiteral("Farbe in der Farbliste überschreiben"));
        QCOMPARE(control<QPushButton>(*window, "DelColorBtn")->text(), QStringLiteral("Farbe löschen"));
        QCOMPARE(control<QToolButton>(*window, "MoveColorUpBtn")->toolTip(),
                 QStringLiteral("Farbe nach oben verschieben"));
        QCOMPARE(control<QToolButton>(*window, "MoveColorDownBtn")->toolTip(),
                 QStringLiteral("Farbe nach  unten verschieben"));
    }

    // The bar in its order; each preset sets the colour and the colouring tool
    // and leaves the list alone.
    void presetsSetColourAndTool()
    {
        const struct { const char *name, *caption; int hue, sat; } presets[] = {
            {"ToolButton1", "Haut", 20, 141},   {"ToolButton7", "Haut 2", 17, 190},
            {"ToolButton2", "Himmel", 143, 157}, {"ToolButton3", "Wasser", 147, 101},
            {"ToolButton4", "Sand", 23, 117},   {"ToolButton5", "Gras", 55, 60},
            {"ToolButton6", "Steine", 0, 24},   {"ToolButton8", "Berg", 139, 64},
            {"ToolButton9", "Holz", 23, 76},    {"ToolButton10", "Wald", 89, 48},
        };
        const QList<QAction *> actions = control<QToolBar>(*window, "ToolBar1")->actions();
        QCOMPARE(actions.size(), 10);
        addEntries({{"a", "1", "2"}, {"b", "3", "4"}});
        colourList()->setCurrentItem(colourList()->topLevelItem(1));
        QToolButton *otherTools[] = {control<QToolButton>(*window, "RadiergummiBtn"),
                                     control<QToolButton>(*window, "PipetteBtn"),
                                     control<QToolButton>(*window, "LinieBtn")};
        for (int i = 0; i < 10; ++i) {
            auto *button = qobject_cast<QToolButton *>(
                control<QToolBar>(*window, "ToolBar1")->widgetForAction(actions[i]));
            QVERIFY(button);
            QCOMPARE(button->objectName(), QString::fromLatin1(presets[i].name));
            QCOMPARE(button->text(), QString::fromUtf8(presets[i].caption));
            otherTools[i % 3]->setChecked(true);
            QTest::mouseClick(button, Qt::LeftButton);
            verifyColour(presets[i].hue, presets[i].sat);
            QVERIFY2(control<QToolButton>(*window, "ColorierenBtn")->isChecked(), presets[i].caption);
        }
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"a", "1", "2"}, {"b", "3", "4"}}));
        QCOMPARE(selectedRow(colourList()), 1);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void saveColourAppendsWithoutMovingSelection()
    {
        addEntries({{"alt", "1", "2"}});
        colourList()->setCurrentItem(colourList()->topLevelItem(0));
        setFields(143, 157);
        QTest::mouseClick(control<QPushButton>(*window, "SaveColorinListBtn"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(*window, "SaveColorinListBtn"), Qt::LeftButton);
        control<QLineEdit>(*window, "Edit1")->setText(QStringLiteral("Himmel über Wasser"));
        setFields(147, 101);
        QTest::mouseClick(control<QPushButton>(*window, "SaveColorinListBtn"), Qt::LeftButton);
        QCOMPARE(listEntries(colourList()),
                 (QList<Entry>{{"alt", "1", "2"},
                               {"Farbe 1", "143", "157"},
                               {"Farbe 1", "143", "157"},
                               {"Himmel über Wasser", "147", "101"}}));
        QCOMPARE(selectedRow(colourList()), 0);
        QCOMPARE(control<QLineEdit>(*window, "Edit1")->text(), QStringLiteral("Himmel über Wasser"));

        // Into an empty list nothing becomes selected either.
        control<QAction>(*window, "Farblisteneu1")->trigger();
        QTest::mouseClick(control<QPushButton>(*window, "SaveColorinListBtn"), Qt::LeftButton);
        QCOMPARE(colourList()->topLevelItemCount(), 1);
        QCOMPARE(selectedRow(colourList()), -1);
    }

    void changeNeedsASelection()
    {
        addEntries({{"a", "1", "2"}, {"b", "3", "4"}});
        setFields(55, 60);
        QTest::mouseClick(control<QPushButton>(*window, "ChangeColorBtn"), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text,
                 QStringLiteral("Sie müssen zuerst einen Eintrag in der Farbliste (rechts) auswählen, "
                                "welchen Sie ändern wollen."));
        QCOMPARE(dialogs->messages[0].title, QStringLiteral("Kein Eintrag ausgewählt"));
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Critical);
        QCOMPARE(dialogs->messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"a", "1", "2"}, {"b", "3", "4"}}));

        colourList()->setCurrentItem(colourList()->topLevelItem(1));
        control<QLineEdit>(*window, "Edit1")->clear();
        QTest::mouseClick(control<QPushButton>(*window, "ChangeColorBtn"), Qt::LeftButton);
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"a", "1", "2"}, {"", "55", "60"}}));
        QCOMPARE(selectedRow(colourList()), 1);
        QCOMPARE(dialogs->messages.size(), 1);
    }

    void moveCarriesTheSelection()
    {
        const QList<Entry> start = {{"a", "1", "2"}, {"b", "3", "4"}, {"c", "5", "6"}};
        addEntries(start);
        setFields(89, 48);
        QTest::mouseClick(control<QToolButton>(*window, "MoveColorDownBtn"), Qt::LeftButton); // no selection
        QCOMPARE(listEntries(colourList()), start);

        colourList()->setCurrentItem(colourList()->topLevelItem(0));
        QTest::mouseClick(control<QToolButton>(*window, "MoveColorUpBtn"), Qt::LeftButton); // first stays first
        QCOMPARE(listEntries(colourList()), start);
        QCOMPARE(selectedRow(colourList()), 0);

        QTest::mouseClick(control<QToolButton>(*window, "MoveColorDownBtn"), Qt::LeftButton);
        QTest::mouseClick(control<QToolButton>(*window, "MoveColorDownBtn"), Qt::LeftButton);
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"b", "3", "4"}, {"c", "5", "6"}, {"a", "1", "2"}}));
        QCOMPARE(selectedRow(colourList()), 2);
        QTest::mouseClick(control<QToolButton>(*window, "MoveColorDownBtn"), Qt::LeftButton); // last stays last
        QCOMPARE(selectedRow(colourList()), 2);

        QTest::mouseClick(control<QToolButton>(*window, "MoveColorUpBtn"), Qt::LeftButton);
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"b", "3", "4"}, {"a", "1", "2"}, {"c", "5", "6"}}));
        QCOMPARE(selectedRow(colourList()), 1);
        // Moving does not apply the colour.
        verifyColour(89, 48);
        QCOMPARE(control<QLineEdit>(*window, "Edit1")->text(), QStringLiteral("Farbe 1"));
    }

    void deleteRemovesTheSelectedOnly()
    {
        addEntries({{"a", "1", "2"}, {"b", "3", "4"}, {"c", "5", "6"}});
        QTest::mouseClick(control<QPushButton>(*window, "DelColorBtn"), Qt::LeftButton); // no selection
        QCOMPARE(colourList()->topLevelItemCount(), 3);

        colourList()->setCurrentItem(colourList()->topLevelItem(1));
        QTest::mouseClick(control<QPushButton>(*window, "DelColorBtn"), Qt::LeftButton);
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"a", "1", "2"}, {"c", "5", "6"}}));
        QCOMPARE(selectedRow(colourList()), -1);
        // A second click finds nothing selected.
        QTest::mouseClick(control<QPushButton>(*window, "DelColorBtn"), Qt::LeftButton);
        QCOMPARE(colourList()->topLevelItemCount(), 2);
    }

    void escapeDeletesNothing()
    {
        addEntries({{"a", "1", "2"}, {"b", "3", "4"}});
        colourList()->setCurrentItem(colourList()->topLevelItem(0));
        for (QWidget *target : {static_cast<QWidget *>(colourList()),
                                static_cast<QWidget *>(control<QLineEdit>(*window, "Edit1")),
                                static_cast<QWidget *>(control<QPushButton>(*window, "DelColorBtn")),
                                static_cast<QWidget *>(window.get())}) {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
        }
        QCOMPARE(colourList()->topLevelItemCount(), 2);
    }

    void onlyAClickApplies()
    {
        addEntries({{"Haut", "20", "141"}, {"Himmel", "143", "157"}, {"Wald", "89", "48"}});
        setFields(1, 2);
        clickEntry(1);
        QCOMPARE(selectedRow(colourList()), 1);
        QCOMPARE(control<QLineEdit>(*window, "Edit1")->text(), QStringLiteral("Himmel"));
        verifyColour(143, 157);

        colourList()->setFocus();
        QTest::keyClick(colourList(), Qt::Key_Down);
        QCOMPARE(selectedRow(colourList()), 2);
        QTest::keyClick(colourList(), Qt::Key_Up);
        QTest::keyClick(colourList(), Qt::Key_Up);
        QCOMPARE(selectedRow(colourList()), 0);
        QCOMPARE(control<QLineEdit>(*window, "Edit1")->text(), QStringLiteral("Himmel"));
        verifyColour(143, 157);

        clickEntry(2);
        QCOMPARE(control<QLineEdit>(*window, "Edit1")->text(), QStringLiteral("Wald"));
        verifyColour(89, 48);
        QVERIFY(dialogs->messages.isEmpty());
    }

    // Texts from a file that are no numbers stop the steps silently; what came
    // before stays set.
    void clickOnNonNumbers_data()
    {
        QTest::addColumn<Entry>("entry");
        QTest::addColumn<int>("hue");
        QTest::addColumn<int>("sat");
        QTest::newRow("letters for the hue") << Entry{"Name", "rot", "50"} << 100 << 10;
        QTest::newRow("letters for the saturation") << Entry{"Name", "30", "viel"} << 30 << 10;
        QTest::newRow("empty texts") << Entry{"Name", "", ""} << 100 << 10;
        QTest::newRow("too large for a number") << Entry{"Name", "99999999999", "5"} << 100 << 10;
        QTest::newRow("out of range is limited") << Entry{"Name", "300", "-4"} << 255 << 0;
    }
    void clickOnNonNumbers()
    {
        QFETCH(Entry, entry);
        QFETCH(int, hue);
        QFETCH(int, sat);
        addEntries({entry});
        setFields(100, 10);
        clickEntry(0);
        QCOMPARE(control<QLineEdit>(*window, "Edit1")->text(), QStringLiteral("Name"));
        verifyColour(hue, sat);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void newListEmptiesIt()
    {
        addEntries({{"a", "1", "2"}, {"b", "3", "4"}});
        colourList()->setCurrentItem(colourList()->topLevelItem(0));
        control<QAction>(*window, "Farblisteneu1")->trigger();
        QCOMPARE(colourList()->topLevelItemCount(), 0);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void saveAndOpenRoundTrip()
    {
        const QList<Entry> entries = {
            {"Haut", "20", "141"}, {"", "0", "255"}, {"", "0", "255"}, {"Sättigung", "17", "190"},
            {"Ärmel € 5", "kein", ""},
        };
        addEntries(entries);
        const QString file = path(QStringLiteral("serie.FAR"));
        saveThroughMenu(file);
        QCOMPARE(dialogs->fileRequests.size(), 1);
        const FileRequest &save = dialogs->fileRequests[0];
        QCOMPARE(save.filter, QStringLiteral("Farbliste (*.far)|*.far"));
        QCOMPARE(save.defaultExt, QStringLiteral(".FAR"));
        QVERIFY(!save.confirmOverwrite);
        // Windows-1252, one byte per character.
        QCOMPARE(contents(file),
                 farFile({{"Haut", "20", "141"}, {"", "0", "255"}, {"", "0", "255"},
                          {"S\xE4ttigung", "17", "190"}, {"\xC4rmel \x80 5", "kein", ""}}));

        control<QAction>(*window, "Farblisteneu1")->trigger();
        openThroughMenu(file);
        QCOMPARE(dialogs->fileRequests[1].filter, QStringLiteral("Farbliste (*.far)|*.far"));
        QCOMPARE(dialogs->fileRequests[1].defaultExt, QStringLiteral(".FAR"));
        QCOMPARE(listEntries(colourList()), entries);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void savedFileHasTheExactLayout()
    {
        addEntries({{"Haut", "20", "141"}});
        const QString file = path(QStringLiteral("haut.far"));
        saveThroughMenu(file);
        QCOMPARE(contents(file), QByteArray::fromHex("01000000" "04000000" "48617574" "02000000" "3230"
                                                     "03000000" "313431"));
        // An empty list is its count alone, and opening it empties the list.
        control<QAction>(*window, "Farblisteneu1")->trigger();
        saveThroughMenu(file);
        QCOMPARE(contents(file), QByteArray::fromHex("00000000"));
        addEntries({{"a", "1", "2"}});
        openThroughMenu(file);
        QCOMPARE(colourList()->topLevelItemCount(), 0);
        // A character Windows-1252 lacks is replaced when writing.
        addEntries({{QStringLiteral("Grün \u4e2d"), "1", "2"}});
        saveThroughMenu(file);
        QCOMPARE(contents(file), farFile({{"Gr\xFCn ?", "1", "2"}}));
    }

    void keepingAnExistingListWritesNothing()
    {
        addEntries({{"neu", "1", "2"}});
        const QString file = path(QStringLiteral("serie.FAR"));
        const QByteArray before = farFile({{"alt", "3", "4"}});
        QVERIFY(writeFile(file, before));
        dialogs->answers.push_back(QMessageBox::No);
        dialogs->fileAnswers.push_back({true, {path(QStringLiteral("serie"))}, 1});
        control<QAction>(*window, "Farblistespeichern1")->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, kReplace.arg(file));
        QCOMPARE(dialogs->messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(contents(file), before);
    }

    void cancelledDialogsDoNothing()
    {
        addEntries({{"a", "1", "2"}});
        const QString file = path(QStringLiteral("x.far"));
        dialogs->fileAnswers.push_back({false, {file}, 1});
        control<QAction>(*window, "Farblistespeichern1")->trigger();
        dialogs->fileAnswers.push_back({false, {file}, 1});
        control<QAction>(*window, "Farblisteffnen1")->trigger();
        QVERIFY(!QFile::exists(file));
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"a", "1", "2"}}));
        QVERIFY(dialogs->messages.isEmpty());
    }

    void openingKeepsAReadOnlyFileAndCountsBelowZero()
    {
        const QString file = path(QStringLiteral("nur-lesen.far"));
        QVERIFY(writeFile(file, farFile({{"Holz", "23", "76"}})));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
        openThroughMenu(file);
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"Holz", "23", "76"}}));

        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(writeFile(file, int32(-3) + text("x")));
        openThroughMenu(file);
        QCOMPARE(colourList()->topLevelItemCount(), 0);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void openFailureKeepsTheList_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "fehlt.far" << kMissing;
        QTest::newRow("a folder") << "ordner.far" << "";
    }
    void openFailureKeepsTheList()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("ordner.far")));
        addEntries({{"a", "1", "2"}});
        openThroughMenu(path(name));
        verifyFileMessage(fileError(kCannotOpen, path(name), reason));
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"a", "1", "2"}}));
    }

    // A damaged file ends with the general error report; the entries read in
    // full stay, and each entry left has all three texts.
    void damagedFileKeepsCompleteEntries_data()
    {
        const QByteArray good = farFile({{"Haut", "20", "141"}, {"Gras", "55", "60"}});
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<Entry>>("left");
        QTest::newRow("cut in the second name") << good.left(4 + 21 + 6) << QList<Entry>{{"Haut", "20", "141"}};
        QTest::newRow("cut before the second saturation")
            << good.left(good.size() - 6) << QList<Entry>{{"Haut", "20", "141"}};
        QTest::newRow("cut in the first hue") << good.left(4 + 8 + 5) << QList<Entry>{};
        QTest::newRow("shorter than its count") << QByteArray("\x01\x00", 2) << QList<Entry>{};
        QTest::newRow("negative length")
            << int32(1) + int32(-7) + text("20") + text("141") << QList<Entry>{};
        QTest::newRow("huge count")
            << int32(0x7FFFFFFF) + text("a") + text("1") + text("2") << QList<Entry>{{"a", "1", "2"}};
        QTest::newRow("huge length") << int32(1) + int32(0x7FFFFFF0) + QByteArray(20, 'x') << QList<Entry>{};
    }
    void damagedFileKeepsCompleteEntries()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<Entry>, left);
        const QString file = path(QStringLiteral("kaputt.far"));
        QVERIFY(writeFile(file, bytes));
        addEntries({{"vorher", "1", "2"}});
        openThroughMenu(file);
        verifyGeneralError(kDamaged.arg(QDir::toNativeSeparators(file)).arg(left.size()));
        QCOMPARE(listEntries(colourList()), left);
        // The list goes on working, and saving writes it complete.
        saveThroughMenu(file);
        QCOMPARE(dialogs->messages.size(), 1);
        openThroughMenu(file);
        QCOMPARE(listEntries(colourList()), left);
    }

    void saveFailureKeepsTheOldFile()
    {
        addEntries({{"neu", "1", "2"}});
        // Into a missing folder.
        saveThroughMenu(path(QStringLiteral("fehlt/liste.far")));
        verifyFileMessage(fileError(kCannotCreate, path(QStringLiteral("fehlt/liste.far")), kMissing));
        QVERIFY(!QFile::exists(path(QStringLiteral("fehlt/liste.far"))));

        // Over a write-protected list: it stays as it was.
        const QString old = path(QStringLiteral("geschuetzt.far"));
        const QByteArray before = farFile({{"alt", "3", "4"}});
        QVERIFY(writeFile(old, before));
        QVERIFY(QFile::setPermissions(old, QFile::ReadOwner | QFile::ReadGroup));
        dialogs->messages.clear();
        saveThroughMenu(old);
        verifyFileMessage(fileError(kCannotCreate, old, QStringLiteral("Die Berechtigung für die Datei oder ihren Ordner fehlt.")));
        QCOMPARE(contents(old), before);
    }

    // A file size limit stands in for a failing write: reported as what it
    // is, not as a full disk.
    void failedWriteKeepsTheOldFile()
    {
        const QString old = path(QStringLiteral("liste.far"));
        const QByteArray before = farFile({{"alt", "3", "4"}});
        QVERIFY(writeFile(old, before));
        addEntries({{QString(20000, QLatin1Char('x')), "1", "2"}});
        {
            const FileSizeCap cap(4096);
            saveThroughMenu(old);
        }
        verifyGeneralError(QStringLiteral("File too large."));
        QCOMPARE(contents(old), before);
        // No temporary file is left behind.
        QCOMPARE(QDir(folder->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"liste.far"});
    }

    // Every close writes the list into the data folder, also an empty one, and
    // the next start reads it back.
    void closeWritesAndStartReads()
    {
        addEntries({{"Sand", "23", "117"}, {"Wald", "89", "48"}});
        const QString file = dataList();
        QVERIFY(file.startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)));
        dialogs->answers.push_back(QMessageBox::No); // the settings question
        QVERIFY(window->close());
        QCOMPARE(contents(file), farFile({{"Sand", "23", "117"}, {"Wald", "89", "48"}}));

        window.reset(); // the old window lets go of the error report before the new one takes it
        window = newWindow();
        QVERIFY(window);
        QCOMPARE(listEntries(colourList()), (QList<Entry>{{"Sand", "23", "117"}, {"Wald", "89", "48"}}));
        control<QAction>(*window, "Farblisteneu1")->trigger();
        dialogs->answers.push_back(QMessageBox::No);
        QVERIFY(window->close());
        QCOMPARE(contents(file), QByteArray::fromHex("00000000"));
        QVERIFY(dialogs->messages.size() == 1); // the settings question only
    }

    // A data-folder list that could not be read in full outlives a close
    // without changes byte for byte; after a change the old bytes go to ".bak".
    void damagedDataListIsKept_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QList<Entry>>("read");
        QTest::addColumn<bool>("change");
        const QByteArray absurd = int32(3) + text("Haut") + text("20") + text("141") + int32(0x7FFFFFF0)
                                  + text("Gras") + text("55") + text("60");
        for (const bool change : {false, true}) {
            const char *const suffix = change ? ", changed" : ", unchanged";
            QTest::addRow("negative count%s", suffix)
                << int32(-5) + text("Haut") + text("20") + text("141") << false << QList<Entry>{} << change;
            QTest::addRow("absurd name length%s", suffix)
                << absurd << false << QList<Entry>{{"Haut", "20", "141"}} << change;
            QTest::addRow("unreadable%s", suffix)
                << farFile({{"Holz", "23", "76"}}) << true << QList<Entry>{} << change;
        }
    }
    void damagedDataListIsKept()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, unreadable);
        QFETCH(QList<Entry>, read);
        QFETCH(bool, change);
        if (unreadable && ::geteuid() == 0)
            QSKIP("Running as root: root reads a file of mode 0200, so it cannot stand for an unreadable list.");
        const QString file = dataList();
        const QString backup = file + QStringLiteral(".bak");
        window.reset(); // the list is read at start: the next window reads the damaged one
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QVERIFY(writeFile(file, bytes));
        QVERIFY(writeFile(backup, "older"));
        if (unreadable)
            QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
        // Dialogs from the start, so that the start's message is scripted too.
        dialogs = new ScriptedDialogs;
        window = std::make_unique<TMainForm>(nullptr, std::unique_ptr<UserDialogs>(dialogs));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(listEntries(colourList()), read);
        const QString native = QDir::toNativeSeparators(file);
        if (unreadable)
            verifyFileMessage(QStringLiteral("Die Farbliste %1 kann nicht gelesen werden.").arg(native));
        else if (!read.isEmpty())
            verifyGeneralError(kDamaged.arg(native).arg(read.size()));
        else
            QVERIFY(dialogs->messages.isEmpty());
        dialogs->messages.clear();
        if (change) {
            setFields(55, 60);
            control<QPushButton>(*window, "SaveColorinListBtn")->click();
        }
        dialogs->answers.push_back(QMessageBox::No); // the settings question
        QVERIFY(window->close());
        QCOMPARE(dialogs->messages.size(), 1); // the settings question only

        if (unreadable)
            QVERIFY(QFile::setPermissions(change ? backup : file, QFile::ReadOwner | QFile::WriteOwner));
        if (change) {
            QCOMPARE(contents(file), farFile([&] {
                         QList<QList<QByteArray>> entries;
                         for (const Entry &entry : read)
                             entries.append({entry[0].toLatin1(), entry[1].toLatin1(), entry[2].toLatin1()});
                         entries.append({"Farbe 1", "55", "60"});
                         return entries;
                     }()));
            QCOMPARE(contents(backup), bytes);
        } else {
            QCOMPARE(contents(file), bytes);
            QCOMPARE(contents(backup), QByteArray("older"));
        }
        QFile::remove(backup);
    }

    void cancelledCloseWritesNothing()
    {
        addEntries({{"Sand", "23", "117"}});
        window->SetChanged();
        dialogs->answers.push_back(QMessageBox::Cancel);
        QVERIFY(!window->close());
        QVERIFY(!QFile::exists(dataList()));
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    ColourListTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ColourListTest.moc"
