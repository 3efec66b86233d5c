// The canvas tools through the real main window, driven with mouse events on
// PaintBox1 at several zooms: what each tool does to the pictures, the line
// tool's keys, the repeat timer, the changes marker, the brush outline and what
// the canvas repaints. The expected pictures come from the classic rule: every
// dab of the segment in turn, every pixel of its square tested against the radius.
#include "Brush.h"
#include "BrushRule.h"
#include "CanvasBox.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "PaintBox.h"
#include "PaintRecorder.h"
#include "PixelOps.h"
#include "Startup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QApplication>
#include <QDir>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstring>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace {

constexpr int kWidth = 160, kHeight = 100;

size_t blockSize(const dib &d) { return size_t(d.bytew) * size_t(dibheight(d)); }

QByteArray bytesOf(const dib &d)
{
    return QByteArray(reinterpret_cast<const char *>(d.poi), qsizetype(blockSize(d)));
}

// A picture of the library holding a copy of another's pixels, for the model.
struct Copy : Picture {
    explicit Copy(const dib &from) : Picture(dibwidth(from), dibheight(from), 24)
    {
        std::memcpy(d.poi, from.poi, blockSize(from));
    }
    dib &d = get();
};

uint8_t *pixelAt(const dib &d, int x, int y)
{
    return d.poi + size_t(dibheight(d) - 1 - y) * size_t(d.bytew) + 3 * size_t(x);
}

void setPixel(const dib &d, int x, int y, QColor c)
{
    uint8_t *p = pixelAt(d, x, y);
    p[0] = uint8_t(c.blue());
    p[1] = uint8_t(c.green());
    p[2] = uint8_t(c.red());
}

QColor colourAt(const dib &d, int x, int y)
{
    const uint8_t *p = pixelAt(d, x, y);
    return QColor(p[2], p[1], p[0]);
}

} // namespace

class ToolsTest : public QObject, WindowFixture {
    Q_OBJECT

    TCanvasBox *canvasBox() const { return control<TCanvasBox>(*window, "PaintBox1"); }

    // A new source picture (a pattern, or white) and a result that starts as its
    // copy, shown at `zoom` per cent.
    void usePicture(int zoom, bool white = false)
    {
        TMainForm &w = *window;
        w.di = Picture(kWidth, kHeight, 24);
        w.outdi = Picture(kWidth, kHeight, 24);
        QVERIFY(!w.di.empty() && !w.outdi.empty());
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                setPixel(w.di, x, y, white ? QColor(255, 255, 255)
                                           : QColor((x * 5) % 256, (y * 7) % 256, ((x + y) * 3) % 256));
        std::memcpy(w.outdi->poi, w.di->poi, blockSize(w.di));
        control<QSpinBox>(w, "ZoomEd")->setValue(zoom);
        // The canvas size the zoom gives.
        canvasBox()->resize(int(kWidth * double(zoom) / 100), int(kHeight * double(zoom) / 100));
        w.RedrawCanvas();
        QCoreApplication::processEvents();
    }

    int pic(int canvas) const { return CanvasToPicture(canvas, control<QSpinBox>(*window, "ZoomEd")->value()); }

    BrushAction colourise(int radius) const
    {
        return {BrushMode::Colourise, radius, window->ghue, window->gsat,
                control<QSpinBox>(*window, "BrightEd")->value()};
    }

    // Mouse events sent straight to the canvas (QTest would take the point
    // (0, 0) for the widget's centre, and its moves carry no keys).
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers keys)
    {
        QMouseEvent event(type, at, canvasBox()->mapToGlobal(at), button, held, keys);
        QCoreApplication::sendEvent(canvasBox(), &event);
    }
    void press(QPoint at, Qt::KeyboardModifiers keys = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonPress, at, button, button, keys);
    }
    void move(QPoint at, Qt::KeyboardModifiers keys = {})
    {
        send(QEvent::MouseMove, at, Qt::NoButton, window->painting() ? Qt::LeftButton : Qt::NoButton, keys);
    }
    void release(QPoint at, Qt::KeyboardModifiers keys = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonRelease, at, button, Qt::NoButton, keys);
    }

    // What the canvas shows on the screen once the requested paints are done.
    QImage onScreen()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QPoint at = canvasBox()->mapTo(window.get(), QPoint(0, 0));
        return window->screen()
            ->grabWindow(window->winId(), at.x(), at.y(), canvasBox()->width(),
                         canvasBox()->height())
            .toImage();
    }

private slots:
    void init()
    {
        openWindow();
        QVERIFY(showWindow());
        QTest::mouseClick(control<QPushButton>(*window, "Button2"), Qt::LeftButton); // page "Foto colorieren"
        QVERIFY(canvasBox()->isVisible());
    }
    void cleanup() { closeWindow(); }

    void keysChooseToolsAndRadius()
    {
        TMainForm &w = *window;
        auto *radius = control<QSpinBox>(w, "RadiusED");
        w.setFocus();
        const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; const char *tool; int radius; } presses[] = {
            {Qt::Key_E, Qt::NoModifier, "RadiergummiBtn", 10}, {Qt::Key_I, Qt::NoModifier, "PipetteBtn", 10},
            {Qt::Key_L, Qt::NoModifier, "LinieBtn", 10},       {Qt::Key_B, Qt::NoModifier, "ColorierenBtn", 10},
            {Qt::Key_BracketRight, Qt::NoModifier, "ColorierenBtn", 11},
            {Qt::Key_BracketLeft, Qt::NoModifier, "ColorierenBtn", 10},
            {Qt::Key_BraceRight, Qt::ShiftModifier, "ColorierenBtn", 20},
            {Qt::Key_BraceLeft, Qt::ShiftModifier, "ColorierenBtn", 10},
        };
        for (const auto &press : presses) {
            QTest::keyClick(&w, press.key, press.modifiers);
            QVERIFY2(control<QToolButton>(w, press.tool)->isChecked(), press.tool);
            QCOMPARE(radius->value(), press.radius);
        }
        // Not on the load page, and not into a text field.
        QTest::mouseClick(control<QPushButton>(w, "Button3"), Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_E);
        QVERIFY(control<QToolButton>(w, "ColorierenBtn")->isChecked());
        QTest::mouseClick(control<QPushButton>(w, "Button2"), Qt::LeftButton);
        control<QLineEdit>(w, "Edit1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E);
        QVERIFY(control<QToolButton>(w, "ColorierenBtn")->isChecked());
        QCOMPARE(control<QLineEdit>(w, "Edit1")->text().right(1), QStringLiteral("e"));
    }

    void keysSaveAndInform()
    {
        TMainForm &w = *window;
        QTemporaryDir folder(QDir::home().filePath(QStringLiteral("keys-XXXXXX")));
        w.afilename = folder.filePath(QStringLiteral("saved.bmp"));
        w.setFocus();
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFileInfo::exists(w.afilename));
        const int execs = dialogs->execs;
        QTest::keyClick(&w, Qt::Key_F1);
        QCOMPARE(dialogs->execs, execs + 1);
    }

    void toolBarAtStart()
    {
        TMainForm &w = *window;
        QVERIFY(control<QToolButton>(w, "ColorierenBtn")->isChecked());
        QCOMPARE(control<QButtonGroup>(w, "toolGroup")->buttons().size(), 4);
        QVERIFY(control<QButtonGroup>(w, "toolGroup")->exclusive());
        QTest::mouseClick(control<QToolButton>(w, "PipetteBtn"), Qt::LeftButton);
        QVERIFY(control<QToolButton>(w, "PipetteBtn")->isChecked() &&
                !control<QToolButton>(w, "ColorierenBtn")->isChecked());
        QCOMPARE(control<QTimer>(w, "Timer1")->interval(), 1000);
        QVERIFY(!control<QTimer>(w, "Timer1")->isActive());
        QVERIFY(!control<QCheckBox>(w, "MalenCheck")->isChecked() &&
                !control<QCheckBox>(w, "FestMalenCheck")->isChecked());
        QCOMPARE(control<QSpinBox>(w, "RadiusED")->value(), 10);
        QCOMPARE(control<QSpinBox>(w, "Radius2Ed")->value(), 10);
    }

    void strokeFollowsTheMouse_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("middle");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("radius");
        QTest::newRow("zoom 100") << 100 << QPoint(20, 30) << QPoint(26, 50) << QPoint(70, 45) << 3;
        QTest::newRow("zoom 250") << 250 << QPoint(50, 75) << QPoint(53, 140) << QPoint(160, 112) << 4;
        // Moves of a few canvas pixels at a high zoom land on the same picture pixel.
        QTest::newRow("zoom 250, small moves") << 250 << QPoint(50, 50) << QPoint(51, 51) << QPoint(53, 52) << 1;
        QTest::newRow("zoom 200, 11 dabs") << 200 << QPoint(10, 10) << QPoint(20, 10) << QPoint(30, 10) << 1;
        QTest::newRow("zoom 30, long steps") << 30 << QPoint(2, 3) << QPoint(40, 25) << QPoint(45, 2) << 2;
    }
    void strokeFollowsTheMouse()
    {
        QFETCH(int, zoom);
        QFETCH(QPoint, from);
        QFETCH(QPoint, middle);
        QFETCH(QPoint, to);
        QFETCH(int, radius);
        usePicture(zoom);
        TMainForm &w = *window;
        control<QSpinBox>(w, "RadiusED")->setValue(radius);
        w.ghue = 170;
        w.gsat = 200;
        Copy di(w.di), outdi(w.outdi);
        paintDabByDab(di.d, outdi.d, pic(from.x()), pic(from.y()), pic(middle.x()), pic(middle.y()),
                      colourise(radius));
        paintDabByDab(di.d, outdi.d, pic(middle.x()), pic(middle.y()), pic(to.x()), pic(to.y()),
                      colourise(radius));
        QVERIFY(!w.changed);
        const QByteArray before = bytesOf(w.outdi);

        press(from);
        QVERIFY(w.painting());
        QVERIFY(control<QTimer>(w, "Timer1")->isActive());
        QCOMPARE(bytesOf(w.outdi), before); // pressing alone paints nothing
        move(middle);
        move(to);
        QCOMPARE(bytesOf(w.outdi), bytesOf(outdi.d));
        QCOMPARE(bytesOf(w.di), bytesOf(di.d));
        QVERIFY(w.changed);
        QVERIFY(w.windowTitle().endsWith(QStringLiteral("*]")));
        QCOMPARE(w.lastStrokePoint(), to);

        release(to);
        QVERIFY(!w.painting());
        QVERIFY(!control<QTimer>(w, "Timer1")->isActive());
        QCOMPARE(bytesOf(w.outdi), bytesOf(outdi.d)); // the release paints nothing more
    }

    void segmentRepaintsOnlyWhatItChanged_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::newRow("zoom 100") << 100;
        QTest::newRow("zoom 250") << 250;
    }
    void segmentRepaintsOnlyWhatItChanged()
    {
        QFETCH(int, zoom);
        usePicture(zoom);
        TMainForm &w = *window;
        control<QSpinBox>(w, "RadiusED")->setValue(2);
        const QPoint from(zoom / 5, zoom / 5), to(zoom / 5 + zoom / 10, zoom / 5); // picture (20,20)-(30,20)
        QCOMPARE(QPoint(pic(from.x()), pic(from.y())), QPoint(20, 20));
        QCOMPARE(QPoint(pic(to.x()), pic(to.y())), QPoint(30, 20));
        press(from);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        PaintRecorder canvas(canvasBox());
        move(to);
        QTRY_VERIFY(!canvas.rects.isEmpty());
        QCoreApplication::processEvents();
        QRect repainted;
        for (const QRect &r : canvas.rects)
            repainted |= r;
        // The dabs reach picture rows 18..22 and columns 18..32; the outline
        // around the pointer is repainted as well.
        const PixelRect changed = PictureToCanvas({18, 18, 33, 23}, zoom);
        const QRect changedOnCanvas(changed.left, changed.top, changed.right - changed.left,
                                    changed.bottom - changed.top);
        QVERIFY2(repainted.contains(changedOnCanvas), qPrintable(QStringLiteral("%1,%2 %3x%4")
                     .arg(repainted.x()).arg(repainted.y()).arg(repainted.width()).arg(repainted.height())));
        const QRect outline = toQRect(canvasBox()->outline()).adjusted(-2, -2, 2, 2);
        QVERIFY(changedOnCanvas.united(outline).contains(repainted));
        QVERIFY(repainted.width() < canvasBox()->width() / 2);
        release(to);
    }

    void pressAndReleaseMarkChangedWithoutPainting()
    {
        usePicture(100);
        TMainForm &w = *window;
        const QByteArray before = bytesOf(w.outdi);
        press(QPoint(40, 40));
        release(QPoint(40, 40));
        QCOMPARE(bytesOf(w.outdi), before);
        QVERIFY(w.changed);
        QVERIFY(w.windowTitle().endsWith(QStringLiteral("*]")));
        QVERIFY(!control<QTimer>(w, "Timer1")->isActive());
    }

    void secondPressWhileHeldIsIgnored()
    {
        usePicture(100);
        TMainForm &w = *window;
        press(QPoint(40, 40));
        press(QPoint(90, 60), {}, Qt::RightButton);
        QCOMPARE(w.lastStrokePoint(), QPoint(40, 40));
        // Any button's release ends the stroke.
        release(QPoint(90, 60), {}, Qt::RightButton);
        QVERIFY(!w.painting());
    }

    void heldButtonPaintsOnTheTimer()
    {
        usePicture(250);
        TMainForm &w = *window;
        control<QSpinBox>(w, "RadiusED")->setValue(3);
        Copy di(w.di), outdi(w.outdi);
        QCOMPARE(QPoint(pic(50), pic(40)), QPoint(20, 16));
        paintDabByDab(di.d, outdi.d, 20, 16, 20, 16, colourise(3));
        const QByteArray before = bytesOf(w.outdi);
        press(QPoint(50, 40)); // picture (20, 16)
        QCOMPARE(bytesOf(w.outdi), before);
        w.SetUnChanged();
        // The real timer, once: a second of holding still paints one dab.
        QTRY_VERIFY_WITH_TIMEOUT(bytesOf(w.outdi) != before, 3000);
        QCOMPARE(bytesOf(w.outdi), bytesOf(outdi.d));
        QVERIFY(w.changed);
        QTRY_VERIFY(canvasBox()->outlineOnScreen());
        QCOMPARE(canvasBox()->outline(), (PixelRect{42, 32, 57, 47})); // the outline at the press point, 7.5 each side
        release(QPoint(50, 40));
        QVERIFY(!control<QTimer>(w, "Timer1")->isActive());
    }

    void timerTickWithTheLineToolKeepsItsStart()
    {
        usePicture(100);
        TMainForm &w = *window;
        QTest::mouseClick(control<QToolButton>(w, "LinieBtn"), Qt::LeftButton);
        const QByteArray before = bytesOf(w.outdi);
        press(QPoint(10, 10));
        move(QPoint(60, 30));
        w.SetUnChanged();
        w.Timer1Timer();
        QCOMPARE(bytesOf(w.outdi), before);
        QCOMPARE(w.lastStrokePoint(), QPoint(10, 10));
        QVERIFY(w.changed);
        release(QPoint(60, 30));
    }

    void eraserRestoresTheSourceWhateverTheChecks()
    {
        usePicture(100);
        TMainForm &w = *window;
        w.ColorAllBtnClick();
        control<QCheckBox>(w, "MalenCheck")->setChecked(true);
        control<QCheckBox>(w, "FestMalenCheck")->setChecked(true);
        QTest::mouseClick(control<QToolButton>(w, "RadiergummiBtn"), Qt::LeftButton);
        control<QSpinBox>(w, "RadiusED")->setValue(5);
        Copy di(w.di), outdi(w.outdi);
        paintDabByDab(di.d, outdi.d, 30, 30, 80, 50, {BrushMode::Erase, 5});
        press(QPoint(30, 30));
        move(QPoint(80, 50));
        release(QPoint(80, 50));
        QCOMPARE(bytesOf(w.outdi), bytesOf(outdi.d));
        QCOMPARE(bytesOf(w.di), bytesOf(di.d));
        QCOMPARE(colourAt(w.outdi, 55, 40), colourAt(w.di, 55, 40));
        QVERIFY(colourAt(w.outdi, 55, 60) != colourAt(w.di, 55, 60)); // outside the stroke
    }

    void flatPaintUsesTheShapeColour_data()
    {
        QTest::addColumn<bool>("fest");
        QTest::newRow("paint") << false;
        QTest::newRow("paint permanently") << true;
    }
    void flatPaintUsesTheShapeColour()
    {
        QFETCH(bool, fest);
        usePicture(250);
        TMainForm &w = *window;
        control<QCheckBox>(w, "MalenCheck")->setChecked(true);
        control<QCheckBox>(w, "FestMalenCheck")->setChecked(fest);
        control<TShape>(w, "Shape5")->setBrushColor(QColor(10, 20, 30));
        control<QSpinBox>(w, "RadiusED")->setValue(2);
        Copy di(w.di), outdi(w.outdi);
        QCOMPARE(QPoint(pic(75), pic(30)), QPoint(30, 12));
        paintDabByDab(di.d, outdi.d, 10, 10, 30, 12, {BrushMode::Paint, 2, 0, 0, 0, 10, 20, 30, fest});
        const QByteArray sourceBefore = bytesOf(w.di);
        press(QPoint(25, 25));
        move(QPoint(75, 30));
        release(QPoint(75, 30));
        QCOMPARE(bytesOf(w.outdi), bytesOf(outdi.d));
        QCOMPARE(bytesOf(w.di), bytesOf(di.d));
        QCOMPARE(colourAt(w.outdi, 20, 11), QColor(10, 20, 30));
        QCOMPARE(bytesOf(w.di) != sourceBefore, fest);
    }

    void pipettePicksTheResultColour_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::newRow("zoom 100") << 100;
        QTest::newRow("zoom 250") << 250;
    }
    void pipettePicksTheResultColour()
    {
        QFETCH(int, zoom);
        usePicture(zoom);
        TMainForm &w = *window;
        setPixel(w.outdi, 40, 20, QColor(0, 0, 255));   // hue 170, saturation 255
        setPixel(w.outdi, 41, 20, QColor(90, 90, 90));  // grey
        QTest::mouseClick(control<QToolButton>(w, "PipetteBtn"), Qt::LeftButton);
        const QByteArray before = bytesOf(w.outdi);
        const auto canvas = [zoom](int p) { return p * zoom / 100 + (zoom > 100 ? 1 : 0); };
        press(QPoint(canvas(40), canvas(20)));
        move(QPoint(canvas(40), canvas(20)));
        QCOMPARE(control<QSpinBox>(w, "HueED")->value(), 170);
        QCOMPARE(control<QSpinBox>(w, "SatEd")->value(), 255);
        QCOMPARE(w.ghue, 170);
        QCOMPARE(w.gsat, 255);
        move(QPoint(canvas(41), canvas(20)));
        QCOMPARE(control<QSpinBox>(w, "HueED")->value(), 0);
        QCOMPARE(control<QSpinBox>(w, "SatEd")->value(), 0);
        QCOMPARE(w.ghue, 0);
        QCOMPARE(w.gsat, 0);
        // Outside the picture the pipette leaves the colour alone.
        move(QPoint(-40, canvas(20)));
        QCOMPARE(w.ghue, 0);
        release(QPoint(-40, canvas(20)));
        QCOMPARE(bytesOf(w.outdi), before);
        QVERIFY(control<QToolButton>(w, "PipetteBtn")->isChecked());
        QVERIFY(w.changed);
    }

    void lineToolKeysAtTheRelease_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<Qt::KeyboardModifiers>("keys");
        QTest::addColumn<QPoint>("end"); // picture pixels
        for (const int zoom : {100, 250}) {
            const QByteArray z = QByteArray::number(zoom);
            QTest::newRow("free, " + z) << zoom << Qt::KeyboardModifiers() << QPoint(100, 40);
            QTest::newRow("Shift, " + z) << zoom << Qt::KeyboardModifiers(Qt::ShiftModifier) << QPoint(100, 0);
            QTest::newRow("Ctrl, " + z) << zoom << Qt::KeyboardModifiers(Qt::ControlModifier) << QPoint(0, 40);
            QTest::newRow("both, " + z)
                << zoom << Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier) << QPoint(100, 0);
        }
    }
    void lineToolKeysAtTheRelease()
    {
        QFETCH(int, zoom);
        QFETCH(Qt::KeyboardModifiers, keys);
        QFETCH(QPoint, end);
        usePicture(zoom);
        TMainForm &w = *window;
        QTest::mouseClick(control<QToolButton>(w, "LinieBtn"), Qt::LeftButton);
        control<QSpinBox>(w, "RadiusED")->setValue(2);
        const QPoint pointer(100 * zoom / 100, 40 * zoom / 100);
        Copy di(w.di), outdi(w.outdi);
        paintDabByDab(di.d, outdi.d, 0, 0, end.x(), end.y(), colourise(2));
        const QByteArray before = bytesOf(w.outdi);

        press(QPoint(0, 0));
        move(QPoint(pointer.x() / 2, pointer.y()), keys);
        move(pointer, keys);
        // Dragging only shows the rubber band from the start.
        QCOMPARE(bytesOf(w.outdi), before);
        QVERIFY(canvasBox()->band().has_value());
        QCOMPARE(canvasBox()->band()->p1(), QPoint(0, 0));
        QCOMPARE(canvasBox()->band()->p2(), QPoint(end.x() * zoom / 100, end.y() * zoom / 100));
        QCOMPARE(w.lastStrokePoint(), QPoint(0, 0));

        release(pointer, keys);
        QCOMPARE(bytesOf(w.outdi), bytesOf(outdi.d));
        QVERIFY(!canvasBox()->band().has_value());
        QVERIFY(!canvasBox()->outlineOnScreen());
        QVERIFY(w.changed);
    }

    void outlineFollowsThePointer_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::newRow("zoom 100") << 100;
        QTest::newRow("zoom 250") << 250;
    }
    void outlineFollowsThePointer()
    {
        QFETCH(int, zoom);
        usePicture(zoom, true);
        TMainForm &w = *window;
        const int rz = 10 * zoom / 100;
        const QPoint at(150, 80);
        move(at);
        QCOMPARE(canvasBox()->outline(), (PixelRect{at.x() - rz, at.y() - rz, at.x() + rz, at.y() + rz}));
        QImage shown = onScreen();
        QVERIFY(canvasBox()->outlineOnScreen());
        const auto inverted = [&](int x, int y) { return shown.pixelColor(x, y) == QColor(0, 0, 0); };
        const auto leftEdgeInverted = [&](int left) {
            for (int y = at.y() - 3; y <= at.y() + 3; ++y)
                if (inverted(left, y) || inverted(left + 1, y))
                    return true;
            return false;
        };
        QVERIFY(leftEdgeInverted(at.x() - rz));
        QVERIFY(!inverted(at.x(), at.y()));          // only the outline is inverted
        QVERIFY(!inverted(at.x() - rz - 3, at.y())); // and nothing outside it

        // The next move takes it off and draws it anew.
        move(QPoint(40, 30));
        shown = onScreen();
        QVERIFY(!leftEdgeInverted(at.x() - rz));
        QVERIFY(inverted(40 - rz, 30) || inverted(40 - rz + 1, 30) || inverted(40 - rz, 29));
        QCOMPARE(canvasBox()->outline(), (PixelRect{40 - rz, 30 - rz, 40 + rz, 30 + rz}));
        QVERIFY(canvasBox()->outlineOnScreen());

        // Any redraw of the canvas takes it off, as does leaving the canvas.
        w.RedrawCanvas();
        shown = onScreen();
        QVERIFY(!canvasBox()->outlineOnScreen());
        QVERIFY(!inverted(40 - rz, 30) && !inverted(40 - rz + 1, 30) && !inverted(40 - rz, 29));
        move(at);
        shown = onScreen();
        QVERIFY(leftEdgeInverted(at.x() - rz));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(canvasBox(), &leave);
        shown = onScreen();
        QVERIFY(!canvasBox()->outlineOnScreen());
        QVERIFY(!leftEdgeInverted(at.x() - rz));

        // A page change forgets it; the canvas comes back without it.
        move(at);
        onScreen();
        QVERIFY(canvasBox()->outlineOnScreen());
        control<QTabWidget>(w, "PageControl2")->setCurrentIndex(2);
        QVERIFY(!canvasBox()->outlineOnScreen());
        control<QTabWidget>(w, "PageControl2")->setCurrentIndex(1);
        shown = onScreen();
        QVERIFY(!leftEdgeInverted(at.x() - rz));

        // A press redraws the canvas without the outline.
        move(at);
        onScreen();
        press(at);
        QVERIFY(!canvasBox()->outlineOnScreen());
        shown = onScreen();
        QVERIFY(!leftEdgeInverted(at.x() - rz));
        release(at);
    }

    void outlineAtTheEdgeSettles()
    {
        // The outline reaches past the canvas; showing it must not keep the
        // canvas repainting, nor must the redraws that take it off.
        usePicture(100, true);
        PaintRecorder canvas(canvasBox());
        move(QPoint(2, 2));
        QTest::qWait(200);
        QVERIFY(canvasBox()->outlineOnScreen());
        canvasBox()->update(QRect(100, 50, 10, 10));
        QTest::qWait(200);
        QVERIFY(!canvasBox()->outlineOnScreen());
        QVERIFY2(canvas.rects.size() < 6, qPrintable(QString::number(canvas.rects.size())));
        move(QPoint(2, 2));
        const QImage shown = onScreen();
        QCOMPARE(shown.pixelColor(2, 2 + 10 - 1), QColor(0, 0, 0)); // the bottom of the outline
    }

    void rubberBandIsDrawnInverted()
    {
        usePicture(100, true);
        TMainForm &w = *window;
        QTest::mouseClick(control<QToolButton>(w, "LinieBtn"), Qt::LeftButton);
        control<QSpinBox>(w, "RadiusED")->setValue(1);
        press(QPoint(10, 50));
        move(QPoint(120, 50));
        QImage shown = onScreen();
        QCOMPARE(shown.pixelColor(60, 50), QColor(0, 0, 0));
        QCOMPARE(shown.pixelColor(60, 55), QColor(255, 255, 255));
        // It follows the pointer; the old band goes.
        move(QPoint(120, 70));
        shown = onScreen();
        QCOMPARE(shown.pixelColor(60, 50), QColor(255, 255, 255));
        QCOMPARE(shown.pixelColor(65, 60), QColor(0, 0, 0)); // on the line from (10, 50) to (120, 70)
        release(QPoint(120, 70));
        shown = onScreen();
        QCOMPARE(shown.pixelColor(60, 59), QColor(254, 253, 253)); // the painted line, no band
    }

    void radiusFieldsStayEqual()
    {
        usePicture(100, true);
        TMainForm &w = *window;
        QSignalSpy first(control<QSpinBox>(w, "RadiusED"), &QSpinBox::valueChanged),
            second(control<QSpinBox>(w, "Radius2Ed"), &QSpinBox::valueChanged);
        control<QSpinBox>(w, "Radius2Ed")->setValue(35);
        QCOMPARE(control<QSpinBox>(w, "RadiusED")->value(), 35);
        QCOMPARE(first.count(), 1);
        QCOMPARE(second.count(), 1);
        control<QSpinBox>(w, "RadiusED")->setValue(50);
        QCOMPARE(control<QSpinBox>(w, "Radius2Ed")->value(), 50);
        QCOMPARE(first.count(), 2);
        QCOMPARE(second.count(), 2);

        control<QSpinBox>(w, "Radius2Ed")->setValue(35);
        press(QPoint(80, 50));
        w.Timer1Timer();
        release(QPoint(80, 50));
        const QColor white(255, 255, 255);
        QVERIFY(colourAt(w.outdi, 80 + 35, 50) != white);
        QCOMPARE(colourAt(w.outdi, 80 + 36, 50), white);
        QVERIFY(colourAt(w.outdi, 80, 50 + 35) != white);
        QCOMPARE(colourAt(w.outdi, 80, 50 + 36), white);
    }

    void strokeBeyondTheCanvasReachesTheEdge()
    {
        usePicture(250);
        TMainForm &w = *window;
        control<QSpinBox>(w, "RadiusED")->setValue(1);
        Copy di(w.di), outdi(w.outdi);
        // -2 at 250 % is -0.8 picture pixels, cut toward zero to 0.
        paintDabByDab(di.d, outdi.d, 2, 2, 0, 0, colourise(1));
        paintDabByDab(di.d, outdi.d, 0, 0, -20, -20, colourise(1));
        press(QPoint(5, 5));
        move(QPoint(-2, -2));
        move(QPoint(-50, -50));
        release(QPoint(-50, -50));
        QCOMPARE(bytesOf(w.outdi), bytesOf(outdi.d));
        QVERIFY(!w.painting());
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    ToolsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ToolsTest.moc"
