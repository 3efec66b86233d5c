// Loading pictures on the whole window: from the file list, through the open
// dialog and by stepping through a folder; what a load shows, and that a
// failed or cancelled load keeps the current work.
#include "FileHelpers.h"
#include "CanvasBox.h"
#include "ErrorReport.h"
#include "FormatCodes.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "PaintBox.h"
#include "PaintRecorder.h"
#include "Startup.h"
#include "StatusBar.h"
#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <cstdio>
#include <vector>

namespace {

const QString kCaption = QStringLiteral("MERIDAN Nuanza 1.5");
const QString kSaveQuestion =
    QStringLiteral("Die Datei wurde noch nicht gespeichert. Wollen Sie jetzt speichern?");
const QString kEndOfFolder = QStringLiteral("Alle Bilder in dem Ordner wurden abgearbeitet.");

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r + 256 * g + 65536 * b; }

// Colour-table entries of the test pictures: 1 and 2 are the two halves.
const uint32_t kTable[4] = {rgb(0, 0, 0), rgb(200, 40, 10), rgb(20, 60, 230), rgb(90, 90, 90)};

// A picture whose top half is entry 1 and bottom half entry 2 (24 bits: those
// colours; 1 bit: entries 0 and 1).
dib twoHalves(int32_t width, int32_t height, int32_t bits)
{
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto *colours = reinterpret_cast<BITMAPINFO *>(info.data());
    for (int i = 0; i < 4; ++i)
        colours->bmiColors[i] = RGBQUAD{uint8_t(kTable[i] >> 16), uint8_t(kTable[i] >> 8), uint8_t(kTable[i]), 0};
    dib d = emptydib();
    newdib(&d, width, height, bits, bits <= 8 ? colours : nullptr, bits <= 8 ? 4 : 0);
    for (int32_t y = 0; d.poi && y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t index = bits == 1 ? (y < height / 2 ? 0 : 1) : (y < height / 2 ? 1 : 2);
            setpixel(d, x, y, bits == 24 ? kTable[index] : index);
        }
    return d;
}

uint32_t topColour(int32_t bits) { return bits == 1 ? kTable[0] : kTable[1]; }
uint32_t bottomColour(int32_t bits) { return bits == 1 ? kTable[1] : kTable[2]; }

void writePicture(const QString &file, int32_t width, int32_t height, int32_t bits = 24, int format = BK3_FORMAT_BMP)
{
    const Picture picture(twoHalves(width, height, bits));
    QVERIFY(!picture.empty());
    QCOMPARE(SaveDib(picture.get(), QFile::encodeName(file).constData(), format, nullptr), 1);
}

uint32_t pixelInFile(const QString &path, int32_t x, int32_t y)
{
    Picture read;
    OpenDib(&read.get(), QFile::encodeName(path).constData(), 0, nullptr);
    return read.empty() ? 0xFFFFFFFFu : getpixel(read.get(), x, y);
}

bool closeTo(const QColor &shown, uint32_t expected)
{
    return qAbs(shown.red() - int(expected & 255)) <= 2 && qAbs(shown.green() - int((expected >> 8) & 255)) <= 2 &&
           qAbs(shown.blue() - int(expected >> 16)) <= 2;
}

} // namespace

class LoadingTest : public QObject, WindowFixture {
    Q_OBJECT

    QListView *fileList() const { return control<QListView>(*window, "JamShellList1"); }

    QString folderPath() const { return withTrailingSeparator(QDir::toNativeSeparators(folder->path())); }

    QModelIndex root() const { return fileList()->rootIndex(); }
    QStringList rowNames() const
    {
        QStringList names;
        for (int row = 0; row < control<QFileSystemModel>(*window, "fileModel")->rowCount(root()); ++row)
            names << control<QFileSystemModel>(*window, "fileModel")->index(row, 0, root()).data().toString();
        return names;
    }
    QModelIndex item(const QString &name) const
    {
        const int row = int(rowNames().indexOf(name));
        return row < 0 ? QModelIndex() : control<QFileSystemModel>(*window, "fileModel")->index(row, 0, root());
    }
    QStringList selectedNames() const
    {
        QStringList names;
        for (const QModelIndex &index : fileList()->selectionModel()->selectedIndexes())
            names << index.data().toString();
        return names;
    }
    // Shows `dir` in the list and waits until the model has read and sorted it.
    bool showFolder(const QString &dir, const QStringList &rows)
    {
        window->SelectTreeFolder(dir);
        const auto shown = [&] {
            return QDir(control<QFileSystemModel>(*window, "fileModel")->filePath(root())) == QDir(dir) &&
                   rowNames() == rows;
        };
        return QTest::qWaitFor(shown, 10000);
    }
    void select(const QString &name)
    {
        fileList()->selectionModel()->setCurrentIndex(item(name),
                                                                 QItemSelectionModel::ClearAndSelect);
    }
    void pressEnter()
    {
        fileList()->setFocus();
        QTest::keyClick(fileList(), Qt::Key_Return);
    }

    // A folder with two subfolders and three pictures told apart by their width.
    bool makeSeries()
    {
        for (const char *sub : {"a-ordner", "b-ordner"})
            if (!QDir(folder->path()).mkdir(QLatin1String(sub)))
                return false;
        for (int i = 1; i <= 3; ++i)
            writePicture(path(QStringLiteral("bild%1.bmp").arg(i)), 10 + i, 7);
        return !QTest::currentTestFailed() &&
               showFolder(folder->path(), {"a-ordner", "b-ordner", "bild1.bmp", "bild2.bmp", "bild3.bmp"});
    }
    void verifyLoaded(const QString &name, int32_t width, int32_t height)
    {
        QCOMPARE(window->afilename, path(name));
        QCOMPARE(control<QLineEdit>(*window, "Breit")->text(), QStringLiteral("%1 Pixels").arg(width));
        QCOMPARE(control<QLineEdit>(*window, "Hoch")->text(), QStringLiteral("%1 Pixels").arg(height));
        QCOMPARE(control<QLineEdit>(*window, "Tief")->text(), QStringLiteral("16777216"));
        QCOMPARE(window->windowTitle(), kCaption + QStringLiteral(" - [") + name + QLatin1Char(']'));
        QVERIFY(!window->changed);
        QCOMPARE(dibwidth(window->di), width);
        QCOMPARE(dibheight(window->outdi), height);
    }

    // The load page as the user sees it: tree folder, list folder, type filter, selection.
    QStringList loadPage() const
    {
        const auto *tree = control<QTreeView>(*window, "JamShellTree1");
        return {control<QFileSystemModel>(*window, "folderModel")->filePath(tree->currentIndex()),
                control<QFileSystemModel>(*window, "fileModel")->filePath(root()),
                control<QComboBox>(*window, "FilterComboBox1")->currentText(), selectedNames().join(',')};
    }
    // Opens `file` through "Öffnen...".
    void openByDialog(const QString &file)
    {
        dialogs->fileAnswers.push_back({true, {file}, 1});
        QTest::mouseClick(control<QToolButton>(*window, "OpenPictureBtn"), Qt::LeftButton);
    }

    // Drags `urls` over the canvas and drops them there, through the window's own
    // delivery of drag events; true when the drop was taken, as a copy even
    // where moving was possible.
    bool drop(const QStringList &urls)
    {
        QMimeData data;
        QList<QUrl> list;
        for (const QString &url : urls)
            list.append(url.contains(QLatin1String("://")) ? QUrl(url) : QUrl::fromLocalFile(url));
        data.setUrls(list);
        const QWidget *canvas = control<TCanvasBox>(*window, "PaintBox1");
        const QPointF at = canvas->mapTo(window.get(), canvas->rect().center());
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window->windowHandle(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(at, actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(window->windowHandle(), &dropped);
        return dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
    }

    // What a failed or cancelled load must leave exactly as it was.
    struct Snapshot {
        const uint8_t *source, *result;
        QString afilename, caption, width, height, colours;
        bool changed;
        bool operator==(const Snapshot &o) const
        {
            return source == o.source && result == o.result && afilename == o.afilename && caption == o.caption &&
                   width == o.width && height == o.height && colours == o.colours && changed == o.changed;
        }
    };
    Snapshot snapshot() const
    {
        return {window->di->poi,
                window->outdi->poi,
                window->afilename,
                window->windowTitle(),
                control<QLineEdit>(*window, "Breit")->text(),
                control<QLineEdit>(*window, "Hoch")->text(),
                control<QLineEdit>(*window, "Tief")->text(),
                window->changed};
    }
    // Work in progress: a loaded picture with an unsaved stroke.
    void loadAndChange(const QString &name)
    {
        QVERIFY(window->openfilenow(path(name)));
        setpixel(window->outdi, 0, 0, rgb(1, 2, 3));
        window->SetChanged();
    }

private slots:
    void init()
    {
        openWindow();
        keepFavouritesAtHome();
        QVERIFY(makeFolder(QStringLiteral("laden-")));
        QVERIFY(showWindow());
    }
    void cleanup() { closeWindow(); }

    void openFromListShowsThePicture_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<QString>("name");
        QTest::newRow("24 bit, double-click") << 24 << true << "bild.bmp";
        QTest::newRow("8 bit, Enter") << 8 << false << "bild.bmp";
        QTest::newRow("4 bit, double-click") << 4 << true << "bild.bmp";
        QTest::newRow("1 bit, Enter") << 1 << false << "bild.bmp";
        QTest::newRow("PNG, 8 bit, double-click") << 8 << true << "bild.png";
    }
    void openFromListShowsThePicture()
    {
        QFETCH(int, bits);
        QFETCH(bool, doubleClick);
        QFETCH(QString, name);
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("a-ordner")));
        writePicture(path(name), 37, 23, bits, formatCodeForFile(name));
        QVERIFY2(showFolder(folder->path(), {QStringLiteral("a-ordner"), name}), qPrintable(rowNames().join(',')));
        QVERIFY(closeTo(control<TPaintBox>(*window, "DibPrevPaint")->grab().toImage().pixelColor(2, 2),
                        rgb(255, 255, 255)));
        PaintRecorder previewPaints(control<TPaintBox>(*window, "DibPrevPaint"));
        control<QSpinBox>(*window, "ZoomEd")->setValue(200);

        if (doubleClick) {
            const QRect rect = fileList()->visualRect(item(name));
            // The press of the first click picks the item the second one opens.
            QTest::mouseClick(fileList()->viewport(), Qt::LeftButton, {}, rect.center());
            QTest::mouseDClick(fileList()->viewport(), Qt::LeftButton, {}, rect.center());
        } else {
            select(name);
            pressEnter();
        }

        QVERIFY(dialogs->messages.isEmpty());
        // The colour count is that of the 24-bit picture it has become.
        verifyLoaded(name, 37, 23);
        QCOMPARE(dibbits(window->di), 24);
        QCOMPARE(getpixel(window->di, 36, 0), topColour(bits));
        QCOMPARE(getpixel(window->di, 0, 22), bottomColour(bits));
        // The result starts as a copy of its own.
        QVERIFY(window->outdi->poi != window->di->poi);
        QCOMPARE(window->outdi->bytew, window->di->bytew);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(window->outdi->poi), 23 * window->outdi->bytew),
                 QByteArray(reinterpret_cast<const char *>(window->di->poi), 23 * window->di->bytew));
        // The pixel operations address the new pictures through the table.
        QCOMPARE(window->di.rows().size(), size_t(23));
        QCOMPARE(window->di.rows()[0], 22 * window->di->bytew);

        // The work canvas takes the new size at the zoom in force.
        QCOMPARE(control<TCanvasBox>(*window, "PaintBox1")->size(), QSize(74, 46));
        QCOMPARE(window->saveFolder(), folderPath());
        QVERIFY(control<QListWidget>(*window, "PrefListBox")->count() > 0);
        QCOMPARE(control<QListWidget>(*window, "PrefListBox")->item(0)->text(), folderPath());

        QTRY_VERIFY(!previewPaints.rects.isEmpty());
        QVERIFY(closeTo(control<TPaintBox>(*window, "DibPrevPaint")->grab().toImage().pixelColor(2, 2),
                        topColour(bits)));
    }

    // kind: what stands at the name; fromList: opened by Enter in the list
    // rather than by openfilenow directly.
    void failedLoadKeepsTheWork_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("fromList");
        QTest::newRow("missing file") << "missing" << false;
        QTest::newRow("folder named like a picture") << "folder" << false;
        QTest::newRow("text, not a picture") << "text" << false;
        QTest::newRow("truncated picture") << "truncated" << false;
        QTest::newRow("truncated picture, from the list") << "truncated" << true;
    }
    void failedLoadKeepsTheWork()
    {
        QFETCH(QString, kind);
        QFETCH(bool, fromList);
        writePicture(path(QStringLiteral("gut.bmp")), 20, 10);
        const QString bad = path(QStringLiteral("schlecht.bmp"));
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("schlecht.bmp")));
        } else if (kind == QLatin1String("text")) {
            QFile file(bad);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("Nur ein paar Worte, kein Bild.");
        } else if (kind == QLatin1String("truncated")) {
            writePicture(bad, 64, 64);
            QVERIFY(QFile::resize(bad, 300));
        }
        loadAndChange(QStringLiteral("gut.bmp"));
        const Snapshot before = snapshot();
        QCOMPARE(before.caption, kCaption + QStringLiteral(" - [gut.bmp*]"));

        if (fromList) {
            QVERIFY(showFolder(folder->path(), {"gut.bmp", "schlecht.bmp"}));
            select(QStringLiteral("schlecht.bmp"));
            dialogs->answers.push_back(QMessageBox::No); // drop the stroke, then fail
            pressEnter();
            QCOMPARE(dialogs->messages.size(), 2);
            dialogs->messages.removeFirst();
        } else {
            QVERIFY(!window->openfilenow(bad));
            QCOMPARE(dialogs->messages.size(), 1);
        }
        const ShownMessage &message = dialogs->messages[0];
        // The library says why; the title names the file.
        QCOMPARE(message.title, QStringLiteral("Fehler: Die Datei ") + bad +
                                    QStringLiteral(" konnte nicht geladen werden!"));
        QVERIFY2(message.text.length() > 5 && message.text != message.title, qPrintable(message.text));
        QCOMPARE(message.icon, QMessageBox::NoIcon);
        QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(snapshot() == before);
        QCOMPARE(getpixel(window->outdi, 0, 0), rgb(1, 2, 3));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
    }

    // The new result is created before the old pictures go: without memory for
    // it the load fails and the work stays. The same file loads once memory is
    // there again, so the failure was the memory's.
    void noMemoryForTheResultKeepsTheWork()
    {
        writePicture(path(QStringLiteral("gut.bmp")), 20, 10);
        // 12 MiB at 8 bits: reading and widening fit under the cap (48 MiB at
        // most), the wide picture and its copy (72 MiB) do not.
        writePicture(path(QStringLiteral("gross.bmp")), 4096, 3072, 8);
        loadAndChange(QStringLiteral("gut.bmp"));
        const Snapshot before = snapshot();

        bool loaded = true;
        {
            const bk3test::AddressSpaceCap cap;
            loaded = window->openfilenow(path(QStringLiteral("gross.bmp")));
        }
        QVERIFY(!loaded);
        QCOMPARE(dialogs->messages.size(), 1);
        const ShownMessage &message = dialogs->messages[0];
        QVERIFY2(message.text.startsWith(QStringLiteral("Fehler: Zuwenig Speicher!")), qPrintable(message.text));
        QVERIFY(message.text.contains(path(QStringLiteral("gross.bmp"))));
        QCOMPARE(message.title, QStringLiteral("Fehler"));
        QCOMPARE(message.icon, QMessageBox::Critical);
        QVERIFY(snapshot() == before);
        QCOMPARE(getpixel(window->outdi, 0, 0), rgb(1, 2, 3));
        QCOMPARE(window->di.rows().size(), size_t(10));

        QVERIFY(window->openfilenow(path(QStringLiteral("gross.bmp"))));
        verifyLoaded(QStringLiteral("gross.bmp"), 4096, 3072);
    }

    void stepsToTheNextFilePassingFolders_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("loaded");
        QTest::newRow("next, nothing selected") << "BitBtn1" << "" << 1;
        QTest::newRow("next on the page, nothing selected") << "NextPictureBtn" << "" << 1;
        QTest::newRow("previous, nothing selected") << "PreviousPictureBtn" << "" << 3;
        QTest::newRow("previous on the page, nothing selected") << "PreviousBtn2" << "" << 3;
        QTest::newRow("next from a folder") << "NextPictureBtn" << "a-ordner" << 1;
        QTest::newRow("next from a file") << "BitBtn1" << "bild1.bmp" << 2;
        QTest::newRow("previous from a file") << "PreviousBtn2" << "bild3.bmp" << 2;
    }
    void stepsToTheNextFilePassingFolders()
    {
        QFETCH(QString, button);
        QFETCH(QString, selected);
        QFETCH(int, loaded);
        QVERIFY2(makeSeries(), qPrintable(rowNames().join(',')));
        if (!selected.isEmpty())
            select(selected);

        QTest::mouseClick(window->findChild<QPushButton *>(button), Qt::LeftButton);
        QVERIFY(dialogs->messages.isEmpty());
        const QString name = QStringLiteral("bild%1.bmp").arg(loaded);
        verifyLoaded(name, 10 + loaded, 7);
        QCOMPARE(selectedNames(), QStringList{name});
    }

    // sorted: the list's order; selected: where stepping starts; endsOn: the
    // selection afterwards.
    void endOfTheFolderLoadsNothing_data()
    {
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("next");
        QTest::addColumn<QString>("endsOn");
        QTest::newRow("next on the last file") << false << "bild3.bmp" << true << "bild3.bmp";
        QTest::newRow("previous before the first file passes the folders") << false << "bild1.bmp" << false
                                                                           << "a-ordner";
        QTest::newRow("next with only folders after it") << true << "bild1.bmp" << true << "a-ordner";
        QTest::newRow("previous on the first file, descending") << true << "bild3.bmp" << false << "bild3.bmp";
    }
    void endOfTheFolderLoadsNothing()
    {
        QFETCH(bool, descending);
        QFETCH(QString, selected);
        QFETCH(bool, next);
        QFETCH(QString, endsOn);
        QVERIFY(makeSeries());
        if (descending) {
            // Stepping follows the order shown, whatever it is.
            control<QFileSystemModel>(*window, "fileModel")->sort(0, Qt::DescendingOrder);
            QVERIFY(showFolder(folder->path(), {"bild3.bmp", "bild2.bmp", "bild1.bmp", "b-ordner", "a-ordner"}));
        }
        window->SetChanged(); // no question may come: nothing is to be loaded
        const Snapshot before = snapshot();
        select(selected);

        QTest::mouseClick(next ? control<QPushButton>(*window, "BitBtn1")
                               : control<QPushButton>(*window, "PreviousPictureBtn"),
                          Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        const ShownMessage &message = dialogs->messages[0];
        QCOMPARE(message.text, kEndOfFolder);
        QCOMPARE(message.title, next ? QStringLiteral("Kein nächstes Bild vorhanden")
                                     : QStringLiteral("Kein vorheriges Bild vorhanden"));
        QCOMPARE(message.icon, QMessageBox::Information);
        QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(snapshot() == before);
        QCOMPARE(selectedNames(), QStringList{endsOn});
    }

    // A Latin-1 name is no valid UTF-8: the toolkit leaves it out of the list,
    // so stepping cannot reach it; the status bar says so, once for the folder.
    void unlistableNameIsReportedOnce()
    {
        const QByteArray latin1 = QFile::encodeName(folder->path()) + "/bild2\xe4.bmp";
        std::FILE *file = std::fopen(latin1.constData(), "wb");
        QVERIFY(file);
        std::fclose(file);
        QVERIFY(makeSeries());
        auto *bar = control<TStatusBar>(*window, "StatusBar1");
        QVERIFY(bar->text().isEmpty());
        select(QStringLiteral("bild1.bmp"));
        QTest::mouseClick(control<QPushButton>(*window, "NextPictureBtn"), Qt::LeftButton);
        verifyLoaded(QStringLiteral("bild2.bmp"), 12, 7);
        QCOMPARE(bar->text(), QStringLiteral("Eine Datei in diesem Ordner hat einen Namen, den das Programm nicht "
                                             "anzeigen kann; sie wird übersprungen."));
        bar->setText(QString());
        QTest::mouseClick(control<QPushButton>(*window, "NextPictureBtn"), Qt::LeftButton);
        verifyLoaded(QStringLiteral("bild3.bmp"), 13, 7);
        QVERIFY(bar->text().isEmpty());
        QVERIFY(dialogs->messages.isEmpty());
    }

    void emptyFolderIsTheEndBothWays()
    {
        QVERIFY(showFolder(folder->path(), {}));
        QTest::mouseClick(control<QPushButton>(*window, "NextPictureBtn"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(*window, "PreviousBtn2"), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 2);
        QCOMPARE(dialogs->messages[0].title, QStringLiteral("Kein nächstes Bild vorhanden"));
        QCOMPARE(dialogs->messages[1].title, QStringLiteral("Kein vorheriges Bild vorhanden"));
        QVERIFY(window->afilename.isEmpty());
    }

    void unsavedQuestionWhileStepping_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveFails");
        QTest::newRow("Abbrechen") << int(QMessageBox::Cancel) << false;
        QTest::newRow("Nein") << int(QMessageBox::No) << false;
        QTest::newRow("Ja") << int(QMessageBox::Yes) << false;
        QTest::newRow("Ja, saving fails") << int(QMessageBox::Yes) << true;
    }
    void unsavedQuestionWhileStepping()
    {
        QFETCH(int, answer);
        QFETCH(bool, saveFails);
        QVERIFY(makeSeries());
        const QString first = path(QStringLiteral("bild1.bmp"));
        const QByteArray firstOnDisk = contents(first);
        // Opened through the open dialog, which leaves the save dialog's folder
        // where it was, so only the step can bring it to the list's folder.
        select(QStringLiteral("bild1.bmp"));
        dialogs->fileAnswers.push_back({true, {first}, 1});
        window->OpenPictureBtnClick();
        verifyLoaded(QStringLiteral("bild1.bmp"), 11, 7);
        QVERIFY(window->saveFolder() != folderPath());
        setpixel(window->outdi, 0, 0, rgb(1, 2, 3));
        window->SetChanged();
        if (saveFails)
            window->afilename = path(QStringLiteral("fehlt/bild1.bmp"));
        const Snapshot before = snapshot();
        dialogs->answers.push_back(QMessageBox::StandardButton(answer));

        QTest::mouseClick(control<QPushButton>(*window, "NextPictureBtn"), Qt::LeftButton);
        QVERIFY(!dialogs->messages.isEmpty());
        const ShownMessage &question = dialogs->messages[0];
        QCOMPARE(question.text, kSaveQuestion);
        QCOMPARE(question.title, QStringLiteral("Speichern"));
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        // The step itself stands, whatever the answer; so does the folder.
        QCOMPARE(selectedNames(), QStringList{"bild2.bmp"});
        QCOMPARE(window->saveFolder(), folderPath());
        QCOMPARE(control<QListWidget>(*window, "PrefListBox")->item(0)->text(), folderPath());

        const bool goesOn = answer == QMessageBox::No || (answer == QMessageBox::Yes && !saveFails);
        if (goesOn) {
            QCOMPARE(dialogs->messages.size(), 1);
            verifyLoaded(QStringLiteral("bild2.bmp"), 12, 7);
        } else {
            QCOMPARE(dialogs->messages.size(), saveFails ? 2 : 1);
            QVERIFY(snapshot() == before);
            QCOMPARE(getpixel(window->outdi, 0, 0), rgb(1, 2, 3));
        }
        if (answer == QMessageBox::Yes && !saveFails)
            QCOMPARE(pixelInFile(first, 0, 0), rgb(1, 2, 3));
        else
            QCOMPARE(contents(first), firstOnDisk);
    }

    void enterOnAFolderOpensIt()
    {
        QVERIFY(makeSeries());
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("a-ordner/innen")));
        window->SetChanged(); // opening a folder asks nothing
        const Snapshot before = snapshot();
        select(QStringLiteral("a-ordner"));
        pressEnter();
        const QString inner = folder->filePath(QStringLiteral("a-ordner"));
        QVERIFY2(showFolder(inner, {"innen"}), qPrintable(rowNames().join(',')));
        QCOMPARE(QDir(control<QFileSystemModel>(*window, "folderModel")
                          ->filePath(control<QTreeView>(*window, "JamShellTree1")->currentIndex())),
                 QDir(inner));
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(snapshot() == before);
    }

    void enterWhileEditingALabelLoadsNothing()
    {
        QVERIFY(makeSeries());
        control<QFileSystemModel>(*window, "fileModel")->setReadOnly(false); // so a label can be edited
        select(QStringLiteral("bild1.bmp"));
        fileList()->edit(item(QStringLiteral("bild1.bmp")));
        const QPointer<QLineEdit> editor = fileList()->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor && editor->isVisible());

        QTest::keyClick(fileList(), Qt::Key_Return);
        QVERIFY(window->afilename.isEmpty());
        QVERIFY(dialogs->messages.isEmpty());

        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!editor || editor->isHidden());
        pressEnter();
        verifyLoaded(QStringLiteral("bild1.bmp"), 11, 7);
        // Other keys reach the list as before.
        QTest::keyClick(fileList(), Qt::Key_Down);
        QCOMPARE(fileList()->currentIndex(), item(QStringLiteral("bild2.bmp")));
        QCOMPARE(window->afilename, path(QStringLiteral("bild1.bmp")));
    }

    void steppingScrollsTheItemNearTheTop()
    {
        QStringList names;
        for (int i = 0; i < 40; ++i) {
            names << QStringLiteral("bild%1.bmp").arg(i, 2, 10, QLatin1Char('0'));
            writePicture(path(names.last()), 4, 4);
        }
        QVERIFY(showFolder(folder->path(), names));
        select(names[20]);
        QTest::mouseClick(control<QPushButton>(*window, "NextPictureBtn"), Qt::LeftButton);
        QCOMPARE(window->afilename, path(names[21]));
        const QRect shown = fileList()->visualRect(item(names[21]));
        QVERIFY2(fileList()->viewport()->height() > 3 * shown.height(), "list too small to scroll");
        QCOMPARE(shown.top(), 50);
    }

    void openedPictureIsWhereSteppingGoesOn()
    {
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("serie")));
        for (int i = 1; i <= 3; ++i)
            writePicture(path(QStringLiteral("serie/bild%1.bmp").arg(i)), 10 + i, 7);
        QVERIFY(showFolder(folder->path(), {"serie"}));

        openByDialog(path(QStringLiteral("serie/bild1.bmp")));
        // The list reads and sorts the new folder in the background.
        QTRY_COMPARE(rowNames(), (QStringList{"bild1.bmp", "bild2.bmp", "bild3.bmp"}));
        QTRY_COMPARE(selectedNames(), QStringList{"bild1.bmp"});
        QCOMPARE(loadPage()[0], folder->filePath(QStringLiteral("serie")));
        for (const auto &[button, loaded] : {std::pair{"NextPictureBtn", 2}, {"BitBtn1", 3}, {"PreviousBtn2", 2}}) {
            QTest::mouseClick(window->findChild<QPushButton *>(button), Qt::LeftButton);
            QCOMPARE(window->afilename, path(QStringLiteral("serie/bild%1.bmp").arg(loaded)));
        }
        QVERIFY(dialogs->messages.isEmpty());
    }

    // A type the filter hides brings "Alle Bilder"; the open picture is a bitmap
    // whatever its name says.
    void openedPictureHiddenByTheFilterIsShown()
    {
        writePicture(path(QStringLiteral("f0.bmp")), 8, 8);
        writePicture(path(QStringLiteral("f1.jpe")), 9, 8);
        control<QComboBox>(*window, "FilterComboBox1")->setCurrentIndex(1);
        QVERIFY(showFolder(folder->path(), {"f0.bmp"}));

        openByDialog(path(QStringLiteral("f1.jpe")));
        QCOMPARE(dibwidth(window->di), 9);
        QCOMPARE(control<QComboBox>(*window, "FilterComboBox1")->currentText(), QStringLiteral("Alle Bilder"));
        QTRY_COMPARE(selectedNames(), QStringList{"f1.jpe"});
    }

    void failedOpenLeavesTheLoadPage()
    {
        QVERIFY(makeSeries());
        QVERIFY(QFile(path(QStringLiteral("a-ordner/kaputt.jpe"))).open(QIODevice::WriteOnly));
        control<QComboBox>(*window, "FilterComboBox1")->setCurrentIndex(1);
        select(QStringLiteral("bild2.bmp"));
        const QStringList before = loadPage();

        openByDialog(path(QStringLiteral("a-ordner/kaputt.jpe")));
        QCOMPARE(dialogs->messages.size(), 1);
        QTest::qWait(50); // nothing may follow later either
        QCOMPARE(loadPage(), before);
    }

    // dropped: names in the folder (a "/" at the end makes a folder, "-" an
    // unreadable file); answer: to the unsaved-changes question, 0 without changes.
    void droppedFilesOpenTheFirst_data()
    {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("status");
        QTest::newRow("one picture") << QStringList{"bild2.bmp"} << 0 << "bild2.bmp" << 0 << "";
        QTest::newRow("three pictures") << QStringList{"bild3.bmp", "bild1.bmp", "bild2.bmp"} << 0 << "bild3.bmp"
                                        << 0 << "2 weitere Dateien wurden nicht geöffnet.";
        QTest::newRow("changes, Nein") << QStringList{"bild2.bmp"} << int(QMessageBox::No) << "bild2.bmp" << 1 << "";
        QTest::newRow("changes, Abbrechen")
            << QStringList{"bild2.bmp", "bild1.bmp"} << int(QMessageBox::Cancel) << "" << 1
            << "Eine weitere Datei wurde nicht geöffnet.";
        QTest::newRow("folder, with changes") << QStringList{"a-ordner/"} << 0 << "" << 1 << "";
        QTest::newRow("unreadable file") << QStringList{"kaputt.bmp-"} << 0 << "" << 1 << "";
    }
    void droppedFilesOpenTheFirst()
    {
        QFETCH(QStringList, dropped);
        QFETCH(int, answer);
        QFETCH(QString, opened);
        QFETCH(int, messages);
        QFETCH(QString, status);
        QVERIFY(makeSeries());
        QVERIFY(showFolder(folder->filePath(QStringLiteral("b-ordner")), {}));
        QFile broken(path(QStringLiteral("kaputt.bmp")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("BM kein Bild");
        broken.close();
        QVERIFY(window->openfilenow(path(QStringLiteral("bild1.bmp"))));
        if (answer != 0 || dropped[0].endsWith('/'))
            window->SetChanged();
        if (answer != 0)
            dialogs->answers.push_back(QMessageBox::StandardButton(answer));
        const Snapshot before = snapshot();
        QStringList files;
        for (QString name : dropped)
            files << path(name.remove(QRegularExpression(QStringLiteral("[-/]$"))));

        QVERIFY(drop(files));
        QTRY_COMPARE(dialogs->messages.size(), messages);
        QTest::qWait(20);
        QCOMPARE(dialogs->messages.size(), messages);
        if (answer != 0)
            QCOMPARE(dialogs->messages[0].text, kSaveQuestion);
        else if (messages > 0) // the usual refusal of a file that cannot be loaded
            QCOMPARE(dialogs->messages[0].title,
                     QStringLiteral("Fehler: Die Datei %1 konnte nicht geladen werden!").arg(files[0]));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->text(), status);
        if (opened.isEmpty()) {
            QVERIFY(snapshot() == before);
            return;
        }
        verifyLoaded(opened, opened == QLatin1String("bild2.bmp") ? 12 : 13, 7);
        // As from the list: its folder shown with the picture selected, a favourite.
        QTRY_COMPARE(selectedNames(), QStringList{opened});
        QCOMPARE(window->saveFolder(), folderPath());
        QCOMPARE(control<QListWidget>(*window, "PrefListBox")->item(0)->text(), folderPath());
    }

    void dropWithoutLocalFilesIsRefused()
    {
        QVERIFY(!drop({QStringLiteral("https://example.org/bild.bmp")}));
    }

    // changed: unsaved work; answer: to the question; fileAnswer: the dialog's.
    void openButtonAsksThenOpens_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("no changes") << false << 0 << true;
        QTest::newRow("no changes, dialog cancelled") << false << 0 << false;
        QTest::newRow("changes, Nein") << true << int(QMessageBox::No) << true;
        QTest::newRow("changes, Abbrechen") << true << int(QMessageBox::Cancel) << true;
    }
    void openButtonAsksThenOpens()
    {
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, accepted);
        QVERIFY(makeSeries());
        if (changed) {
            window->SetChanged();
            dialogs->answers.push_back(QMessageBox::StandardButton(answer));
        }
        const bool asked = answer != QMessageBox::Cancel;
        if (asked)
            dialogs->fileAnswers.push_back({accepted, {path(QStringLiteral("bild2.bmp"))}, 1});
        const Snapshot before = snapshot();

        QTest::mouseClick(control<QToolButton>(*window, "OpenPictureBtn"), Qt::LeftButton);
        QCOMPARE(dialogs->fileRequests.size(), asked ? 1 : 0);
        if (!asked) {
            QVERIFY(snapshot() == before);
            return;
        }
        const FileRequest &request = dialogs->fileRequests[0];
        QCOMPARE(request.filter, QString::fromLocal8Bit(GetDIBOpenFilter()));
        QVERIFY(!request.multiple);
        QCOMPARE(QDir(request.folder), QDir(folder->path()));
        if (!accepted) {
            QVERIFY(snapshot() == before);
            return;
        }
        verifyLoaded(QStringLiteral("bild2.bmp"), 12, 7);

        // The dialog comes back where the last file was chosen.
        QVERIFY(showFolder(folder->filePath(QStringLiteral("a-ordner")), {}));
        dialogs->fileAnswers.push_back({false, {}, 1});
        window->OpenPictureBtnClick();
        QCOMPARE(dialogs->fileRequests.size(), 2);
        QCOMPARE(QDir(dialogs->fileRequests[1].folder), QDir(folder->path()));
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    LoadingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LoadingTest.moc"
