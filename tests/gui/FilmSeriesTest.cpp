// Colour transfer, layer shift and batch colourising on the whole window, with
// the files on disk: what changes, what is written, what comes back.
#include "ColourRule.h"
#include "GaugeRecorder.h"
#include "ErrorText.h"
#include "FileHelpers.h"
#include "CanvasBox.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "MotionTransfer.h"
#include "WindowFixture.h"
#include "ReadOnlyFolder.h"
#include "SequenceNames.h"
#include "Startup.h"
#include "StatusBar.h"

#include <QAction>
#include <QCheckBox>
#include <cerrno>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QListView>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const QString kCaption = QStringLiteral("MERIDAN Nuanza 1.5");

uint32_t shading(int x, int y) { return uint32_t(0x010101 * ((20 + 5 * x + 3 * y) % 230)); }
uint32_t painted(int x, int y) { return uint32_t((200 - 4 * y) << 16 | (60 + 3 * x) << 8 | 40); }
uint32_t otherColours(int x, int y) { return uint32_t((30 + 6 * x) << 16 | (170 - 2 * y) << 8 | (90 + x * y % 120)); }

} // namespace

class FilmSeriesTest : public QObject, WindowFixture {
    Q_OBJECT



    // Gives the window a grey source of `width` x `height` and a result
    // painted over it, as after loading and some brushwork.
    void setWork(int width, int height)
    {
        window->di = makePicture(width, height, shading);
        window->outdi = makePicture(width, height, painted);
        window->ZoomEdChange();
    }
    void save(const dib &picture, const QString &file, int format)
    {
        QCOMPARE(SaveDib(picture, QFile::encodeName(file).constData(), format, nullptr), 1);
    }
    // An 8-bit picture of greys, as film frames often are.
    void saveGrey(const QString &file, int width, int height, int format)
    {
        const Picture grey = makePicture(width, height, shading);
        Picture eight;
        DIBHalftoneDIB(&eight.get(), grey); // an 8-bit picture of the same greys
        QVERIFY(!eight.empty());
        QCOMPARE(eight.bits(), 8);
        save(eight, file, format);
    }

    // The names the file list shows when it shows the test folder.
    QStringList listed() const
    {
        const auto *list = control<QListView>(*window, "JamShellList1");
        const auto *model = control<QFileSystemModel>(*window, "fileModel");
        QStringList shown;
        if (QDir(model->filePath(list->rootIndex())) != QDir(folder->path()))
            return {QStringLiteral("(anderer Ordner)")};
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row)
            shown << model->index(row, 0, list->rootIndex()).data().toString();
        return shown;
    }
    // Shows the test folder in the file list and selects `names` there.
    bool selectInList(const QStringList &rows, const QStringList &names)
    {
        auto *list = control<QListView>(*window, "JamShellList1");
        auto *model = control<QFileSystemModel>(*window, "fileModel");
        window->SelectTreeFolder(folder->path());
        if (!QTest::qWaitFor([&] { return listed() == rows; }, 10000))
            return false;
        list->selectionModel()->clearSelection();
        for (const QString &name : names)
            list->selectionModel()->select(model->index(folder->filePath(name)), QItemSelectionModel::Select);
        return true;
    }

private slots:
    void init()
    {
        openWindow();
        QVERIFY(makeFolder(QStringLiteral("film-")));
        QVERIFY(showWindow());
    }
    void cleanup() { closeWindow(); }

    // ---- Colour transfer ----

    void transferTakesColoursKeepsShading_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("eightBit");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<bool>("chosen"); // through the open dialog, else the last saved picture
        QTest::newRow("same size") << 40 << 30 << false << false << false;
        QTest::newRow("larger") << 55 << 47 << false << false << false;
        QTest::newRow("smaller") << 17 << 9 << false << false << true;
        QTest::newRow("8 bits") << 40 << 30 << true << false << true;
        QTest::newRow("grey removes colour") << 40 << 30 << false << true << false;
    }
    void transferTakesColoursKeepsShading()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, eightBit);
        QFETCH(bool, grey);
        QFETCH(bool, chosen);
        setWork(40, 30);
        window->afilename = path(QStringLiteral("aktuell.bmp"));
        window->SetUnChanged();
        const QString caption = window->windowTitle();
        const QString file = path(QStringLiteral("vorgaenger.bmp"));
        Picture predecessor = makePicture(width, height, grey ? shading : otherColours);
        if (eightBit) {
            Picture eight;
            DIBHalftoneDIB(&eight.get(), predecessor);
            save(eight, file, BK3_FORMAT_BMP);
        } else {
            save(predecessor, file, BK3_FORMAT_BMP);
        }
        predecessor = readPicture24(file); // what the file holds, at 24 bits
        const Block source = blockOf(window->di);
        const Block expected = blockOf(transferredByRule(window->di, window->outdi, predecessor));

        if (chosen) {
            dialogs->fileAnswers.push_back({true, {file}, 1});
            control<QAction>(*window, "FarbenvoneinemVorgngerbildbernehmen1")->trigger();
            QCOMPARE(dialogs->fileRequests.size(), 1);
            QCOMPARE(dialogs->fileRequests[0].filter, QString::fromLocal8Bit(GetDIBOpenFilter()));
            QVERIFY(!dialogs->fileRequests[0].multiple);
        } else {
            control<QLineEdit>(*window, "LastSavedWithPathEd")->setText(file);
            control<QAction>(*window, "FarbenvomVorgngerbildbernehmen1")->trigger();
        }
        QVERIFY2(dialogs->messages.isEmpty(), qPrintable(dialogs->messages.value(0).text));
        QVERIFY(blockOf(window->outdi) == expected);
        QVERIFY(blockOf(window->di) == source);
        QVERIFY(window->changed);
        QCOMPARE(window->windowTitle(), caption.chopped(1) + QStringLiteral("*]"));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
        if (grey)
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) {
                    const uint32_t c = rgbAt(window->outdi, x, y);
                    QCOMPARE(c >> 16, c & 0xFF);
                }
    }

    void transferFailureChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("action");
        const QString direct = QStringLiteral("FarbenvomVorgngerbildbernehmen1");
        const QString motion = QStringLiteral("FarbenmitBewegungbernehmen1");
        QTest::newRow("nothing saved yet") << "" << "Fehler: Die Datei  konnte nicht geladen werden!" << direct;
        QTest::newRow("not a picture") << "notiz.bmp" << "" << direct;
        QTest::newRow("motion, nothing saved yet") << "" << "Fehler: Die Datei  konnte nicht geladen werden!" << motion;
        QTest::newRow("motion, not a picture") << "notiz.bmp" << "" << motion;
    }
    void transferFailureChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, action);
        setWork(20, 10);
        const QString file = name.isEmpty() ? QString() : path(name);
        if (!file.isEmpty()) {
            QFile notes(file);
            QVERIFY(notes.open(QIODevice::WriteOnly));
            notes.write("kein Bild, aber lang genug für einen Kopf");
            text = QStringLiteral("Fehler: Die Datei ") + file + QStringLiteral(" konnte nicht geladen werden!");
        }
        control<QLineEdit>(*window, "LastSavedWithPathEd")->setText(file);
        const Block result = blockOf(window->outdi);
        control<QAction>(*window, qPrintable(action))->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, text);
        QCOMPARE(dialogs->messages[0].title, QStringLiteral("Fehler"));
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::NoIcon);
        QCOMPARE(dialogs->messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(blockOf(window->outdi) == result);
        QVERIFY(!window->changed);

        // A cancelled dialog does nothing at all.
        dialogs->fileAnswers.push_back({false, {}, 1});
        control<QAction>(*window, "FarbenvoneinemVorgngerbildbernehmen1")->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY(blockOf(window->outdi) == result);
    }

    // ---- Carry-over along the motion ----

    void motionTransferIsOneStepAndShowsItsDoubts()
    {
        setWork(96, 64);
        window->Button2Click();
        control<QSpinBox>(*window, "ZoomEd")->setValue(100);
        const QString file = path(QStringLiteral("vorgaenger.bmp"));
        save(makePicture(96, 64, otherColours), file, BK3_FORMAT_BMP);
        Picture expected = copyOf(window->outdi);
        MotionMask mask;
        QVERIFY(TransferColoursFollowingMotion(window->di, expected.get(), window->di.rows(), readPicture24(file), &mask));
        const Block before = blockOf(window->outdi);

        control<QLineEdit>(*window, "LastSavedWithPathEd")->setText(file);
        control<QAction>(*window, "FarbenmitBewegungbernehmen1")->trigger();
        QVERIFY2(dialogs->messages.isEmpty(), qPrintable(dialogs->messages.value(0).text));
        QVERIFY(blockOf(window->outdi) == blockOf(expected));
        QVERIFY(window->changed);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
        control<QAction>(*window, "UndoAction")->trigger();
        QVERIFY(blockOf(window->outdi) == before);
        control<QAction>(*window, "RedoAction")->trigger();
        QVERIFY(blockOf(window->outdi) == blockOf(expected));

        // The doubted pixels show, tinted, only while asked for; a load forgets them.
        QVERIFY(std::count(mask.untrusted.begin(), mask.untrusted.end(), 1) > 0);
        auto *show = control<QCheckBox>(*window, "AenderungenCheck");
        QVERIFY(!show->isChecked());
        const auto tintedPixels = [&] {
            const QImage shot = control<TCanvasBox>(*window, "PaintBox1")->grab().toImage();
            std::vector<uint8_t> tinted(size_t(96 * 64));
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 96; ++x)
                    tinted[size_t(y * 96 + x)] = (shot.pixel(x, y) & 0xFFFFFF) != rgbAt(window->outdi, x, y);
            return tinted;
        };
        const std::vector<uint8_t> none(size_t(96 * 64), 0);
        QVERIFY(tintedPixels() == none);
        show->setChecked(true);
        QVERIFY(tintedPixels() == mask.untrusted);
        QVERIFY(window->openfilenow(file));
        QVERIFY(tintedPixels() == none);
    }

    // ---- Layer shift ----

    void arrowsMoveTheColourLayer_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::newRow("up") << "MoveUpBtn" << 0 << -1;
        QTest::newRow("down") << "MoveDownBtn" << 0 << 1;
        QTest::newRow("left") << "MoveLeftBtn" << -1 << 0;
        QTest::newRow("right") << "MoveRightBtn" << 1 << 0;
    }
    void arrowsMoveTheColourLayer()
    {
        QFETCH(QString, button);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QCOMPARE(control<QSpinBox>(*window, "MovePixelEd")->value(), 1);
        QCOMPARE(control<QSpinBox>(*window, "MovePixelEd")->minimum(), 1);
        QCOMPARE(control<QSpinBox>(*window, "MovePixelEd")->maximum(), 100);
        // A grey source; the result bluish with one red pixel in the middle.
        window->di = makePicture(9, 9, [](int, int) { return 0x646464u; });
        window->outdi = makePicture(9, 9, [](int x, int y) { return x == 4 && y == 4 ? 0xFF0000u : 0x64648Cu; });
        control<QSpinBox>(*window, "MovePixelEd")->setValue(3);
        QTest::mouseClick(window->findChild<QToolButton *>(button), Qt::LeftButton);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x) {
                const uint32_t c = rgbAt(window->outdi, x, y);
                const int red = int(c >> 16), green = int(c >> 8 & 0xFF), blue = int(c & 0xFF);
                const bool band = (dx < 0 && x >= 6) || (dx > 0 && x < 3) || (dy < 0 && y >= 6) || (dy > 0 && y < 3);
                if (x == 4 + 3 * dx && y == 4 + 3 * dy)
                    QCOMPARE(c, 0xCA0000u); // the red at the source's luminance
                else if (band)
                    QVERIFY(red == green && green == blue);
                else
                    QVERIFY2(blue > red && red == green, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        QVERIFY(window->changed);
    }

    // ---- Batch ----

    void batchColoursWritesAndRestores()
    {
        setWork(24, 16);
        window->afilename = path(QStringLiteral("aktuell.bmp"));
        window->SetChanged();
        const QString caption = window->windowTitle();
        QVERIFY(caption.endsWith(QStringLiteral("*]")));
        const Block source = blockOf(window->di), result = blockOf(window->outdi);
        const QSize canvas = control<TCanvasBox>(*window, "PaintBox1")->size();
        control<QLineEdit>(*window, "Breit")->setText(QStringLiteral("24 Pixels"));

        // Three writable files of other sizes and formats, one without a format
        // code, one that does not load, one whose folder refuses the write.
        const QString jpeg = path(QStringLiteral("a.jpg")), bmp = path(QStringLiteral("b.bmp")),
                      tga = path(QStringLiteral("c.tga")), tiff = path(QStringLiteral("d.tiff")),
                      broken = path(QStringLiteral("e.bmp"));
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("fest")));
        const QString locked = path(QStringLiteral("fest/f.bmp"));
        saveGrey(jpeg, 24, 16, BK3_FORMAT_JPEG);
        saveGrey(bmp, 30, 12, BK3_FORMAT_BMP);
        saveGrey(tga, 10, 20, BK3_FORMAT_TGA);
        saveGrey(tiff, 24, 16, BK3_FORMAT_TIFF);
        saveGrey(locked, 24, 16, BK3_FORMAT_BMP);
        {
            QFile file(broken);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("BM, aber sonst nichts");
        }
        const QByteArray tiffBefore = contents(tiff), lockedBefore = contents(locked);
        std::vector<Block> expected;
        for (const QString &file : {bmp, tga, jpeg}) {
            const Picture picture = readPicture24(file);
            expected.push_back(blockOf(transferredByRule(picture, picture, window->outdi)));
        }

        ReadOnlyFolder lock(path(QStringLiteral("fest")));
        if (!lock.ok())
            QSKIP("cannot make a folder refuse new files here");
        dialogs->fileAnswers.push_back({true, {jpeg, tiff, broken, locked, bmp, tga}, 1});
        GaugeRecorder gauge(control<TStatusBar>(*window, "StatusBar1"));
        control<QAction>(*window, "AlleausgewhltenBildercolorieren1")->trigger();
        lock.release();

        // The gauge passes each file's share of the batch.
        for (int k = 1; k < 6; ++k)
            QVERIFY2(std::count(gauge.shown.begin(), gauge.shown.end(), k * 100 / 6) > 0, qPrintable(QString::number(k)));

        // The dialog: several files, the fourteen entries.
        QCOMPARE(dialogs->fileRequests.size(), 1);
        QVERIFY(dialogs->fileRequests[0].multiple);
        QCOMPARE(dialogs->fileRequests[0].filter.count(QLatin1Char('|')), 27);
        QVERIFY(dialogs->fileRequests[0].filter.startsWith(QStringLiteral("Alle Bilder|*.BMP;*.DIB;")));

        // The load failure at its place, the unwritten files in one message at the end.
        QCOMPARE(dialogs->messages.size(), 2);
        QVERIFY(dialogs->messages[0].title.contains(broken) || dialogs->messages[0].text.contains(broken));
        const ShownMessage &last = dialogs->messages[1];
        QVERIFY2(last.text.contains(tiff) && last.text.contains(locked), qPrintable(last.text));
        QVERIFY2(last.text.contains(locked + QStringLiteral(" (") + systemErrorText(EACCES)), qPrintable(last.text));
        QVERIFY(!last.text.contains(bmp) && !last.text.contains(jpeg));
        QCOMPARE(last.icon, QMessageBox::Warning);

        // Written in their own formats with the model's colours.
        QVERIFY(contents(bmp).startsWith("BM"));
        QVERIFY(contents(jpeg).startsWith("\xFF\xD8\xFF"));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(blockOf(readPicture24(i == 0 ? bmp : tga)) == expected[size_t(i)]);
        }
        // JPEG blurs the sharp edges a little.
        const Block jpegBytes = blockOf(readPicture24(jpeg));
        QCOMPARE(jpegBytes.size(), expected[2].size());
        for (size_t i = 0; i < jpegBytes.size(); ++i)
            QVERIFY2(std::abs(int(jpegBytes[i]) - int(expected[2][i])) <= 32, qPrintable(QString::number(i)));
        QCOMPARE(contents(tiff), tiffBefore);
        QCOMPARE(contents(locked), lockedBefore);

        // The work as it was before.
        QVERIFY(blockOf(window->di) == source);
        QVERIFY(blockOf(window->outdi) == result);
        QCOMPARE(window->afilename, path(QStringLiteral("aktuell.bmp")));
        QVERIFY(window->changed);
        QCOMPARE(window->windowTitle(), caption);
        QCOMPARE(control<QLineEdit>(*window, "Breit")->text(), QStringLiteral("24 Pixels"));
        QCOMPARE(control<QLineEdit>(*window, "Hoch")->text(), QStringLiteral("16 Pixels"));
        QCOMPARE(control<QLineEdit>(*window, "Tief")->text(), QStringLiteral("16777216"));
        QCOMPARE(control<TCanvasBox>(*window, "PaintBox1")->size(), canvas);
        QCOMPARE(window->di.rows().size(), size_t(16));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->text(), QStringLiteral("3 Bilder coloriert"));
    }

    // selected: in the list (the folder "teil" too); answer: to the question,
    // 0 when none may come and the dialog (cancelled here) must open instead.
    void batchTakesTheSelection_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<int>("answer");
        QTest::newRow("three frames and a folder, Ja")
            << QStringList{"teil", "f3.bmp", "f1.bmp", "f2.bmp"} << int(QMessageBox::Yes);
        QTest::newRow("three frames, Nein") << QStringList{"f1.bmp", "f2.bmp", "f3.bmp"} << int(QMessageBox::No);
        QTest::newRow("the open picture only") << QStringList{"aktuell.bmp"} << 0;
        QTest::newRow("nothing") << QStringList{} << 0;
    }
    void batchTakesTheSelection()
    {
        QFETCH(QStringList, selected);
        QFETCH(int, answer);
        setWork(20, 14);
        window->afilename = path(QStringLiteral("aktuell.bmp"));
        save(window->di, window->afilename, BK3_FORMAT_BMP);
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("teil")));
        const QStringList frames{"f1.bmp", "f2.bmp", "f3.bmp", "f4.bmp"};
        for (const QString &frame : frames)
            saveGrey(path(frame), 20, 14, BK3_FORMAT_BMP);
        const QByteArray untouched = contents(path(QStringLiteral("f1.bmp")));
        const Block expected = blockOf(transferredByRule(readPicture24(path(QStringLiteral("f1.bmp"))),
                                                         readPicture24(path(QStringLiteral("f1.bmp"))), window->outdi));
        QVERIFY(selectInList({"teil", "aktuell.bmp", "f1.bmp", "f2.bmp", "f3.bmp", "f4.bmp"}, selected));
        if (answer != 0)
            dialogs->answers.push_back(QMessageBox::StandardButton(answer));
        else
            dialogs->fileAnswers.push_back({false, {}, 1});

        control<QAction>(*window, "AlleausgewhltenBildercolorieren1")->trigger();

        QCOMPARE(dialogs->fileRequests.size(), answer == 0 ? 1 : 0);
        QCOMPARE(dialogs->messages.size(), answer == 0 ? 0 : 1);
        if (answer != 0) {
            QCOMPARE(dialogs->messages[0].text, QStringLiteral("3 Bilder colorieren und überschreiben?"));
            QCOMPARE(dialogs->messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        }
        const bool coloured = answer == QMessageBox::Yes;
        for (const QString &frame : frames.mid(0, 3))
            QVERIFY2(coloured ? blockOf(readPicture24(path(frame))) == expected : contents(path(frame)) == untouched,
                     qPrintable(frame));
        QCOMPARE(contents(path(QStringLiteral("f4.bmp"))), untouched);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->text(),
                 coloured ? QStringLiteral("3 Bilder coloriert") : QString());
    }

    // New files show in the list as soon as they are written.
    void writtenFilesShowInTheList()
    {
        setWork(8, 6);
        QVERIFY(selectInList({}, {}));
        QVERIFY(window->SaveTheFile(path(QStringLiteral("neu.bmp"))));
        QTRY_COMPARE(listed(), QStringList{"neu.bmp"});
        NumberedSequence sequence{path(QStringLiteral("folge")), QStringLiteral(".bmp"), 1, 2, 4};
        QCOMPARE(window->SaveSequenceFiles(sequence), 2);
        QTRY_COMPARE(listed(), (QStringList{"folge0001.bmp", "folge0002.bmp", "neu.bmp"}));
    }

    void batchOverTheCurrentFile()
    {
        setWork(20, 14);
        const QString current = path(QStringLiteral("aktuell.bmp"));
        save(window->di, current, BK3_FORMAT_BMP);
        window->afilename = current;
        window->SetUnChanged();
        const Block source = blockOf(window->di), result = blockOf(window->outdi);
        const Block expected = blockOf(transferredByRule(window->di, window->di, window->outdi));

        dialogs->fileAnswers.push_back({true, {current}, 1});
        control<QAction>(*window, "AlleausgewhltenBildercolorieren1")->trigger();
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(blockOf(readPicture24(current)) == expected);
        QVERIFY(blockOf(window->di) == source);
        QVERIFY(blockOf(window->outdi) == result);
        QCOMPARE(window->afilename, current);
        QVERIFY(!window->changed);
    }

    void batchCancelChangesNothing()
    {
        setWork(20, 14);
        const QString file = path(QStringLiteral("bild.bmp"));
        saveGrey(file, 20, 14, BK3_FORMAT_BMP);
        const QByteArray before = contents(file);
        const Block result = blockOf(window->outdi);
        const QString caption = window->windowTitle();
        dialogs->fileAnswers.push_back({false, {file}, 1});
        control<QAction>(*window, "AlleausgewhltenBildercolorieren1")->trigger();
        QCOMPARE(contents(file), before);
        QVERIFY(blockOf(window->outdi) == result);
        QCOMPARE(window->windowTitle(), caption);
        QVERIFY(dialogs->messages.isEmpty());
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    FilmSeriesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FilmSeriesTest.moc"
