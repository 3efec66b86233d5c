// Undo and redo through the real main window: each kind of step, taken back
// and done again, gives back exactly the pictures' bytes; the keys act on every
// page; the buttons name the step; the caption marker follows the saved state.
#include "FileHelpers.h"
#include "MainUnit.h"
#include "PaintBox.h"
#include "Pictures.h"
#include "WindowFixture.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <functional>

namespace {

using State = std::pair<Block, Block>;
using Step = std::function<void(TMainForm &, const QString &predecessor)>;

uint32_t grey(int x, int y) { return uint32_t(0x010101 * ((30 + 3 * x + 2 * y) % 220)); }
uint32_t colours(int x, int y) { return uint32_t((40 + x) << 16 | (200 - y) << 8 | (x * y % 200)); }

void stroke(TMainForm &w, const char *tool, bool paint, bool fest, std::initializer_list<QPoint> points)
{
    control<QToolButton>(w, tool)->click();
    control<QCheckBox>(w, "MalenCheck")->setChecked(paint);
    control<QCheckBox>(w, "FestMalenCheck")->setChecked(fest);
    control<QSpinBox>(w, "RadiusED")->setValue(12);
    const QPoint first = *points.begin();
    w.PaintBox1MouseDown(Qt::LeftButton, Qt::NoModifier, first.x(), first.y());
    for (const QPoint &p : points)
        w.PaintBox1MouseMove(Qt::LeftButton, Qt::NoModifier, p.x(), p.y());
    w.Timer1Timer(); // a tick of the held button belongs to the stroke
    const QPoint last = *(points.end() - 1);
    w.PaintBox1MouseUp(Qt::LeftButton, Qt::NoModifier, last.x(), last.y());
}

} // namespace

Q_DECLARE_METATYPE(Step)

class UndoWindowTest : public QObject, WindowFixture {
    Q_OBJECT

    QString photo;
    QString predecessor;

    State state() const { return {blockOf(window->di), blockOf(window->outdi)}; }
    bool marked() const { return window->windowTitle().endsWith(QStringLiteral("*]")); }
    void key(Qt::KeyboardModifiers modifiers, Qt::Key key) { QTest::keyClick(window.get(), key, modifiers); }

private slots:
    void init()
    {
        openWindow();
        QVERIFY(makeFolder(QStringLiteral("undo-")));
        QVERIFY(showWindow());
        // 150 x 90: tiles cut at the right and the bottom.
        photo = path(QStringLiteral("photo.bmp"));
        predecessor = path(QStringLiteral("before.bmp"));
        QCOMPARE(SaveDib(makePicture(150, 90, grey), QFile::encodeName(photo).constData(), BK3_FORMAT_BMP, nullptr), 1);
        QCOMPARE(SaveDib(makePicture(150, 90, colours), QFile::encodeName(predecessor).constData(), BK3_FORMAT_BMP, nullptr), 1);
        QVERIFY(window->openfilenow(photo));
        QTest::mouseClick(control<QPushButton>(*window, "Button2"), Qt::LeftButton);
    }
    void cleanup() { closeWindow(); }

    void eachStepComesBackExactly_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QString>("name");
        const auto click = [](const char *button) {
            return Step([button](TMainForm &w, const QString &) { control<QAbstractButton>(w, button)->click(); });
        };
        QTest::newRow("brush") << Step([](TMainForm &w, const QString &) {
            stroke(w, "ColorierenBtn", false, false, {{10, 10}, {70, 40}, {140, 80}});
        }) << "Pinselstrich";
        QTest::newRow("fixed paint") << Step([](TMainForm &w, const QString &) {
            stroke(w, "ColorierenBtn", true, true, {{60, 5}, {66, 70}});
        }) << "Malen";
        QTest::newRow("eraser") << Step([](TMainForm &w, const QString &) {
            stroke(w, "RadiergummiBtn", false, false, {{0, 45}, {149, 45}});
        }) << "Radieren";
        QTest::newRow("line") << Step([](TMainForm &w, const QString &) {
            stroke(w, "LinieBtn", false, false, {{5, 85}, {145, 3}});
        }) << "Linie";
        QTest::newRow("colour all") << click("ColorAllBtn") << "Alles einfärben";
        QTest::newRow("grey") << click("GrrayBtn") << "Graustufen";
        QTest::newRow("soften") << click("SoftenBtn") << "Weichzeichnen";
        QTest::newRow("shift") << click("MoveLeftBtn") << "Farbebene nach links";
        QTest::newRow("transfer") << Step([](TMainForm &w, const QString &file) { w.UseColorsFromPicture(file); })
                                  << "Farben übernehmen";
    }
    void eachStepComesBackExactly()
    {
        QFETCH(Step, step);
        QFETCH(QString, name);
        TMainForm &w = *window;
        auto *undo = control<QToolButton>(w, "UndoBtn");
        QVERIFY(!undo->isEnabled());
        const State loaded = state();
        // Colours first, so the eraser and the grey conversion have work to undo.
        control<QSpinBox>(w, "HueED")->setValue(150);
        control<QAbstractButton>(w, "ColorAllBtn")->click();
        const State coloured = state();
        control<QSpinBox>(w, "HueED")->setValue(40); // the step paints another colour
        step(w, predecessor);
        const State done = state();
        QVERIFY(done != coloured);
        QCOMPARE(undo->toolTip(), QStringLiteral("Rückgängig: ") + name);

        key(Qt::ControlModifier, Qt::Key_Z);
        QVERIFY(state() == coloured);
        QVERIFY(marked());
        key(Qt::ControlModifier, Qt::Key_Z);
        QVERIFY(state() == loaded);
        QVERIFY(!marked()); // back at the picture as loaded
        QVERIFY(!undo->isEnabled());
        key(Qt::ControlModifier, Qt::Key_Y);
        key(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
        QVERIFY(state() == done);
        QVERIFY(marked());
        QCOMPARE(control<QToolButton>(w, "RedoBtn")->isEnabled(), false);
    }

    void keysActOnEveryPage()
    {
        TMainForm &w = *window;
        std::vector<State> states{state()};
        for (const char *arrow : {"MoveLeftBtn", "MoveUpBtn", "MoveRightBtn"}) {
            control<QAbstractButton>(w, "ColorAllBtn")->click();
            control<QAbstractButton>(w, arrow)->click();
            states.push_back(state());
        }
        int at = 3;
        for (const char *page : {"Button3", "Button2", "Button1"}) {
            QTest::mouseClick(control<QPushButton>(w, page), Qt::LeftButton);
            key(Qt::ControlModifier, Qt::Key_Z);
            key(Qt::ControlModifier, Qt::Key_Z);
            at -= 1;
            QVERIFY2(state() == states[size_t(at)], page);
        }
        key(Qt::ControlModifier, Qt::Key_Y);
        key(Qt::ControlModifier, Qt::Key_Y);
        QVERIFY(state() == states[1]);
    }

    void savingMakesTheStateClean()
    {
        TMainForm &w = *window;
        control<QAbstractButton>(w, "ColorAllBtn")->click();
        QVERIFY(w.SaveTheFile(photo));
        QVERIFY(!marked());
        control<QAbstractButton>(w, "MoveDownBtn")->click();
        QVERIFY(marked());
        control<QToolButton>(w, "UndoBtn")->click();
        QVERIFY(!marked());
        control<QToolButton>(w, "UndoBtn")->click();
        QVERIFY(marked()); // before the save
    }

    void loadingStartsAFreshHistoryAFailedLoadKeepsIt()
    {
        TMainForm &w = *window;
        control<QAbstractButton>(w, "ColorAllBtn")->click();
        QVERIFY(writeFile(path(QStringLiteral("broken.bmp")), QByteArray("BM broken")));
        QVERIFY(!w.openfilenow(path(QStringLiteral("broken.bmp"))));
        QVERIFY(control<QToolButton>(w, "UndoBtn")->isEnabled());
        QVERIFY(w.openfilenow(predecessor));
        QVERIFY(!control<QToolButton>(w, "UndoBtn")->isEnabled());
    }
};

QTEST_MAIN(UndoWindowTest)
#include "UndoTest.moc"
