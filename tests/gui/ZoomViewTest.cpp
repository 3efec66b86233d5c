// Zoom of the work canvas, the wheel over the two pictures and dragging the
// result view, on the whole window.
#include "CanvasBox.h"
#include "CanvasZoom.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "PaintBox.h"
#include "Startup.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

class ZoomViewTest : public QObject, WindowFixture {
    Q_OBJECT

    QScrollArea *resultArea() const { return control<QScrollArea>(*window, "ErgScrollBox"); }
    TPaintBox *resultBox() const { return control<TPaintBox>(*window, "ErgPaintBox"); }
    QScrollArea *canvasArea() const { return control<QScrollArea>(*window, "ScrollBox1"); }

    void setPictures(int width, int height)
    {
        window->di = Picture(width, height, 24);
        window->outdi = Picture(width, height, 24);
        QVERIFY(window->di->poi && window->outdi->poi);
        window->ZoomEdChange();
        window->RedrawCanvas();
    }
    void showPage(int page)
    {
        switch (page) {
        case 1: window->Button2Click(); break;
        case 2: window->Button1Click(); break;
        default: window->Button3Click(); break;
        }
        QVERIFY(showWindow());
        QCOMPARE(control<QTabWidget>(*window, "PageControl2")->currentIndex(), page);
    }
    static void wheel(QWidget *over, QPoint angle, Qt::KeyboardModifiers shift = Qt::NoModifier)
    {
        const QPointF at(5, 5);
        QWheelEvent event(at, over->mapToGlobal(at), QPoint(), angle, Qt::NoButton, shift,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
    }
    // A hand on the result view at a point of the visible area, in the box's
    // own pixels, as the box reports it wherever it has been scrolled to.
    QPoint onBox(QPoint inView) const { return inView - resultBox()->pos(); }
    void moveHand(QPoint inView, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        QMouseEvent event(QEvent::MouseMove, QPointF(onBox(inView)), resultBox()->mapToGlobal(QPointF(onBox(inView))),
                          Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(resultBox(), &event);
    }
    QPoint resultScroll() const
    {
        return {resultArea()->horizontalScrollBar()->value(),
                resultArea()->verticalScrollBar()->value()};
    }
    void scrollResult(QPoint to)
    {
        resultArea()->horizontalScrollBar()->setValue(to.x());
        resultArea()->verticalScrollBar()->setValue(to.y());
        QCOMPARE(resultScroll(), to);
    }

private slots:
    void init()
    {
        openWindow();
    }
    void cleanup() { closeWindow(); }

    void zoomSizesTheCanvas_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QSize>("canvas");
        QTest::newRow("100") << QSize(320, 200) << 100 << QSize(320, 200);
        QTest::newRow("250") << QSize(320, 200) << 250 << QSize(800, 500);
        QTest::newRow("10 cuts toward zero") << QSize(333, 99) << 10 << QSize(33, 9);
        QTest::newRow("30 in floating point") << QSize(7, 3) << 30 << QSize(2, 0);
        QTest::newRow("1000") << QSize(1000, 1000) << 1000 << QSize(10000, 10000);
    }
    void zoomSizesTheCanvas()
    {
        QFETCH(QSize, picture);
        QFETCH(int, zoom);
        QFETCH(QSize, canvas);
        setPictures(picture.width(), picture.height());
        // Through the field, as the user changes it.
        control<QSpinBox>(*window, "ZoomEd")->setValue(zoom == 10 ? 20 : 10);
        control<QSpinBox>(*window, "ZoomEd")->setValue(zoom);
        QCOMPARE(control<TCanvasBox>(*window, "PaintBox1")->size(), canvas);
        showPage(1);
        const QScrollBar *vertical = canvasArea()->verticalScrollBar();
        QCOMPARE(vertical->maximum(), std::max(0, canvas.height() - canvasArea()->viewport()->height()));
    }

    void zoomKeepsTheScrollPosition()
    {
        setPictures(320, 200);
        control<QSpinBox>(*window, "ZoomEd")->setValue(500);
        showPage(1);
        canvasArea()->verticalScrollBar()->setValue(300);
        control<QSpinBox>(*window, "ZoomEd")->setValue(400);
        QCOMPARE(canvasArea()->verticalScrollBar()->value(), 300);
    }

    // The wheel scrolls the picture of the active page 20 pixels a notch,
    // within its range, never sideways and never zooming.
    void wheelScrollsTheActivePage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("over");
        QTest::addColumn<int>("start"); // -1: the largest position
        QTest::addColumn<QList<QPoint>>("turns");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("expected"); // -1: the largest position
        const int none = Qt::NoModifier;
        const QPoint down(0, -120), up(0, 120);
        QTest::newRow("canvas down") << 1 << "box" << 100 << QList<QPoint>{down} << none << 120;
        QTest::newRow("canvas up") << 1 << "box" << 100 << QList<QPoint>{up} << none << 80;
        QTest::newRow("beside the picture") << 1 << "viewport" << 100 << QList<QPoint>{down} << none << 120;
        QTest::newRow("over the scroll bar") << 1 << "scrollbar" << 100 << QList<QPoint>{down} << none << 120;
        QTest::newRow("three notches at once") << 1 << "box" << 100 << QList<QPoint>{{0, -360}} << none << 160;
        QTest::newRow("down at the end stays") << 1 << "box" << -1 << QList<QPoint>{down} << none << -1;
        QTest::newRow("up at the top stays") << 1 << "box" << 0 << QList<QPoint>{up} << none << 0;
        QTest::newRow("up near the top stops at 0") << 1 << "box" << 5 << QList<QPoint>{up} << none << 0;
        QTest::newRow("half a notch waits") << 1 << "box" << 100 << QList<QPoint>{{0, -60}} << none << 100;
        QTest::newRow("two halves make one") << 1 << "box" << 100 << QList<QPoint>{{0, -60}, {0, -60}} << none << 120;
        QTest::newRow("sideways wheel does nothing") << 1 << "box" << 100 << QList<QPoint>{{-120, 0}} << none << 100;
        QTest::newRow("control over the result does not zoom") << 2 << "box" << 100 << QList<QPoint>{down}
                                                               << int(Qt::ControlModifier) << 120;
        QTest::newRow("alt does not scroll sideways") << 1 << "box" << 100 << QList<QPoint>{down}
                                                      << int(Qt::AltModifier) << 120;
        QTest::newRow("result view down") << 2 << "box" << 100 << QList<QPoint>{down} << none << 120;
        QTest::newRow("result view at the end") << 2 << "box" << -1 << QList<QPoint>{down, down} << none << -1;
        QTest::newRow("result view up at the top") << 2 << "viewport" << 0 << QList<QPoint>{up} << none << 0;
    }
    void wheelScrollsTheActivePage()
    {
        QFETCH(int, page);
        QFETCH(QString, over);
        QFETCH(int, start);
        QFETCH(QList<QPoint>, turns);
        QFETCH(int, modifiers);
        QFETCH(int, expected);
        setPictures(1600, 1000);
        control<QSpinBox>(*window, "ZoomEd")->setValue(200); // the canvas is 3200 x 2000
        showPage(page);
        QScrollArea *area = page == 1 ? canvasArea() : resultArea();
        QScrollArea *other = page == 1 ? resultArea() : canvasArea();
        QWidget *target = over == QLatin1String("box") ? area->widget()
                        : over == QLatin1String("viewport") ? area->viewport()
                                                             : static_cast<QWidget *>(area->verticalScrollBar());
        QScrollBar *vertical = area->verticalScrollBar();
        QVERIFY(vertical->maximum() > 200);
        vertical->setValue(start < 0 ? vertical->maximum() : start);
        area->horizontalScrollBar()->setValue(50);
        other->verticalScrollBar()->setValue(0);

        for (const QPoint &turn : turns)
            wheel(target, turn, Qt::KeyboardModifiers(modifiers));

        QCOMPARE(vertical->value(), expected < 0 ? vertical->maximum() : expected);
        QCOMPARE(area->horizontalScrollBar()->value(), 50);
        QCOMPARE(other->verticalScrollBar()->value(), 0);
        QCOMPARE(control<QSpinBox>(*window, "ZoomEd")->value(), 200);
    }

    void controlWheelZoomsAroundThePointer()
    {
        setPictures(1600, 1000);
        QSpinBox *zoom = control<QSpinBox>(*window, "ZoomEd");
        zoom->setValue(200);
        showPage(1);
        QScrollArea *area = canvasArea();
        area->horizontalScrollBar()->setValue(700);
        area->verticalScrollBar()->setValue(400);
        // The picture point under the pointer at (5, 5) of the view.
        const auto pointUnder = [&] {
            const QPoint onCanvas = area->widget()->mapFrom(area->viewport(), QPoint(5, 5));
            return QPointF(onCanvas) * 100.0 / zoom->value();
        };
        const QPointF before = pointUnder();
        wheel(area->viewport(), {0, 120}, Qt::ControlModifier);
        QCOMPARE(zoom->value(), 300);
        QVERIFY((pointUnder() - before).manhattanLength() < 1.0);
        wheel(area->viewport(), {0, -240}, Qt::ControlModifier);
        QCOMPARE(zoom->value(), 150);
        QVERIFY((pointUnder() - before).manhattanLength() < 1.5);
    }

    void zoomKeysAndFit()
    {
        setPictures(1600, 1000);
        showPage(1);
        QSpinBox *zoom = control<QSpinBox>(*window, "ZoomEd");
        window->setFocus();
        const struct { Qt::Key key; int expected; } presses[] = {
            {Qt::Key_Plus, 150}, {Qt::Key_Plus, 200}, {Qt::Key_Minus, 150}, {Qt::Key_0, 100},
        };
        for (const auto &press : presses) {
            QTest::keyClick(window.get(), press.key, Qt::ControlModifier);
            QCOMPARE(zoom->value(), press.expected);
        }
        QTest::keyClick(window.get(), Qt::Key_9, Qt::ControlModifier);
        const QSize view = canvasArea()->maximumViewportSize();
        QCOMPARE(zoom->value(), FitZoom(1600, 1000, view.width(), view.height()));
        QVERIFY(canvasArea()->widget()->width() <= view.width());
        QVERIFY(canvasArea()->widget()->height() <= view.height());
        QVERIFY(zoom->value() < 100);
        // Not while a field is being typed in.
        zoom->setFocus();
        QTest::keyClick(window.get(), Qt::Key_0, Qt::ControlModifier);
        QVERIFY(zoom->value() < 100);
    }

    void wheelOnTheLoadPageDoesNothing()
    {
        setPictures(1600, 1000);
        showPage(1); // both pictures laid out once, so both can scroll
        showPage(2);
        showPage(0);
        canvasArea()->verticalScrollBar()->setValue(40);
        resultArea()->verticalScrollBar()->setValue(40);
        QCOMPARE(canvasArea()->verticalScrollBar()->value(), 40);
        QCOMPARE(resultArea()->verticalScrollBar()->value(), 40);
        wheel(control<TCanvasBox>(*window, "PaintBox1"), QPoint(0, -120));
        wheel(resultBox(), QPoint(0, 120));
        window->FormMouseWheelDown();
        window->FormMouseWheelUp();
        window->FormMouseWheelUp();
        QCOMPARE(canvasArea()->verticalScrollBar()->value(), 40);
        QCOMPARE(resultArea()->verticalScrollBar()->value(), 40);
    }

    // The picture follows the hand; the limits apply to each direction alone.
    void draggingTheResultView_data()
    {
        QTest::addColumn<QPoint>("start");   // scroll position; y -1: the largest
        QTest::addColumn<QList<QPoint>>("hand"); // positions in the view, the first is the press
        QTest::addColumn<QPoint>("expected");    // y -1: the largest
        QTest::newRow("left and up scrolls right and down")
            << QPoint(100, 100) << QList<QPoint>{{200, 150}, {190, 140}} << QPoint(110, 110);
        QTest::newRow("moves add up")
            << QPoint(100, 100) << QList<QPoint>{{200, 150}, {190, 140}, {170, 145}} << QPoint(130, 105);
        QTest::newRow("right and down scrolls back")
            << QPoint(100, 100) << QList<QPoint>{{200, 150}, {230, 170}} << QPoint(70, 80);
        QTest::newRow("beyond the top left stops at 0")
            << QPoint(30, 20) << QList<QPoint>{{200, 150}, {400, 350}} << QPoint(0, 0);
        QTest::newRow("beyond the bottom limits only the vertical")
            << QPoint(100, -1) << QList<QPoint>{{200, 150}, {170, -150}} << QPoint(130, -1);
        QTest::newRow("grabbing with the right button too")
            << QPoint(100, 100) << QList<QPoint>{{200, 150}, {180, 150}} << QPoint(120, 100);
    }
    void draggingTheResultView()
    {
        QFETCH(QPoint, start);
        QFETCH(QList<QPoint>, hand);
        QFETCH(QPoint, expected);
        setPictures(1600, 1000);
        showPage(2);
        const int bottom = resultArea()->verticalScrollBar()->maximum();
        QVERIFY(bottom > 200);
        scrollResult(QPoint(start.x(), start.y() < 0 ? bottom : start.y()));
        const Qt::MouseButton button = QString::fromLatin1(QTest::currentDataTag()).contains(QLatin1String("right"))
                                           ? Qt::RightButton : Qt::LeftButton;

        QTest::mousePress(resultBox(), button, Qt::NoModifier, onBox(hand.first()));
        QVERIFY(window->draggingResult());
        QCOMPARE(window->dragStart(), onBox(hand.first()));
        for (qsizetype i = 1; i < hand.size(); ++i)
            moveHand(hand[i], button);
        QCOMPARE(resultScroll(), QPoint(expected.x(), expected.y() < 0 ? bottom : expected.y()));
        QTest::mouseRelease(resultBox(), button, Qt::NoModifier, onBox(hand.last()));
        QVERIFY(!window->draggingResult());
    }

    void releaseEndsTheDrag()
    {
        setPictures(1600, 1000);
        showPage(2);
        scrollResult(QPoint(100, 100));
        moveHand(QPoint(150, 150), Qt::NoButton); // a move without a press
        QCOMPARE(resultScroll(), QPoint(100, 100));
        QTest::mousePress(resultBox(), Qt::LeftButton, Qt::NoModifier, onBox(QPoint(200, 150)));
        QTest::mouseRelease(resultBox(), Qt::LeftButton, Qt::NoModifier, onBox(QPoint(200, 150)));
        moveHand(QPoint(150, 100), Qt::NoButton);
        QCOMPARE(resultScroll(), QPoint(100, 100));
    }

    void smallPictureDoesNotScroll()
    {
        setPictures(100, 50);
        showPage(2);
        QCOMPARE(resultArea()->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(resultArea()->verticalScrollBar()->maximum(), 0);
        QTest::mousePress(resultBox(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 25));
        moveHand(QPoint(10, 5));
        QCOMPARE(resultScroll(), QPoint(0, 0));
        QCOMPARE(resultBox()->pos(), QPoint(0, 0));
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    ZoomViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ZoomViewTest.moc"
