// The paint handlers of the preview, the work canvas and the result view,
// driven through the real main window.
#include "CanvasBox.h"
#include "DrawDib.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "PaintBox.h"
#include "PaintRecorder.h"
#include "TestPictures.h"

#include <QPaintEvent>
#include <QPainter>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// A copy of a picture in the library's memory, for the window to own and release.
dib libraryCopy(const dib &d)
{
    dib copy = emptydib();
    newdib(&copy, dibwidth(d), dibheight(d), dibbits(d), d.pmi, int32_t(dibbits(d) <= 8 ? dibcolors(d) : 0));
    if (copy.poi)
        std::memcpy(copy.poi, d.poi, size_t(d.bytew) * size_t(dibheight(d)));
    return copy;
}

} // namespace

class DisplayWindowTest : public QObject, WindowFixture {
    Q_OBJECT


    // Gives the window this picture as source and result, as loading does.
    void setPictures(const dib &d)
    {
        window->di = Picture(libraryCopy(d));
        window->outdi = Picture(libraryCopy(d));
    }
    void showPage(int index)
    {
        QVERIFY(showWindow());
        control<QTabWidget>(*window, "PageControl2")->setCurrentIndex(index);
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        openWindow();
    }
    void cleanup()
    {
        OverrideScreenBitCount(0);
        window.reset();
    }

    // The canvas shows outdi at the zoom of ZoomEd (the canvas is sized elsewhere).
    void canvasAtTheZoom_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("zoom");
        QTest::newRow("200") << 64 << 40 << 200;
        QTest::newRow("50, 101 wide") << 101 << 40 << 50;
        QTest::newRow("10") << 333 << 99 << 10;
        QTest::newRow("250") << 33 << 17 << 250;
    }
    void canvasAtTheZoom()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, zoom);
        Picture pic(width, height, 24);
        fillPattern(pic.get());
        setPictures(pic.get());
        control<QSpinBox>(*window, "ZoomEd")->setValue(zoom);
        const int w = int(width * double(zoom) / 100), h = int(height * double(zoom) / 100);
        control<TCanvasBox>(*window, "PaintBox1")
            ->resize(w + 5, h + 3); // a box larger than the picture shows what is not drawn
        showPage(1);
        const QImage got = control<TCanvasBox>(*window, "PaintBox1")->grab().toImage();
        const QRgb behind = got.pixel(w + 2, h + 1);
        QCOMPARE(differences(got, [&](int x, int y) {
                     if (x >= w || y >= h)
                         return behind;
                     return pixelColour(pic.get(), width * x / w, height * y / h);
                 }),
                 QString());
    }

    // The preview fits the picture into its box, keeping the aspect, at the top left.
    void previewFitsTheBox_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QSize>("drawn");
        QTest::newRow("landscape") << 400 << 100 << QSize(200, 50);
        QTest::newRow("portrait") << 100 << 400 << QSize(50, 200);
        QTest::newRow("small, enlarged") << 50 << 50 << QSize(200, 200);
    }
    void previewFitsTheBox()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QSize, drawn);
        Picture pic(width, height, 24);
        fillPattern(pic.get());
        setPictures(pic.get());
        control<TPaintBox>(*window, "DibPrevPaint")->resize(200, 200);
        QImage got = blankImage(200, 200);
        {
            QPainter painter(&got);
            window->DibPrevPaintPaint(painter, QRect(0, 0, 200, 200));
        }
        QCOMPARE(differences(got, [&](int x, int y) {
                     if (x >= drawn.width() || y >= drawn.height())
                         return kUntouched;
                     return pixelColour(pic.get(), width * x / drawn.width(), height * y / drawn.height());
                 }),
                 QString());
    }

    // On screen: the preview box shows the picture and, beside it, the panel.
    void previewOnScreen()
    {
        Picture pic(300, 100, 24);
        fillPattern(pic.get());
        setPictures(pic.get());
        showPage(0);
        TPaintBox *box = control<TPaintBox>(*window, "DibPrevPaint");
        const int w = box->width(), h = w * 100 / 300; // limited by the width
        QVERIFY(h <= box->height());
        const QImage got = box->grab().toImage();
        const QRgb panel = box->palette().color(QPalette::Window).rgb();
        QCOMPARE(differences(got, [&](int x, int y) {
                     if (y >= h)
                         return panel;
                     return pixelColour(pic.get(), 300 * x / w, 100 * y / h);
                 }),
                 QString());
    }

    // The result view takes the picture's size and shows it pixel for pixel.
    void resultViewOneToOne()
    {
        Picture pic(1000, 800, 24);
        fillPattern(pic.get());
        setPictures(pic.get());
        showPage(2);
        window->RedrawCanvas();
        QCOMPARE(control<TPaintBox>(*window, "ErgPaintBox")->size(), QSize(1000, 800));
        const QImage got = control<TPaintBox>(*window, "ErgPaintBox")->grab().toImage();
        QCOMPARE(differences(got, [&](int x, int y) { return pixelColour(pic.get(), x, y); }), QString());

        // Its paint handler fits the size too when nothing else did.
        Picture other(120, 90, 24);
        fillPattern(other.get());
        setPictures(other.get());
        control<TPaintBox>(*window, "ErgPaintBox")->grab();
        QCOMPARE(control<TPaintBox>(*window, "ErgPaintBox")->size(), QSize(120, 90));
    }

    // On a screen of 8 bits the canvas shows the library's halftoned picture.
    void canvasHalftonedOnEightBitScreens()
    {
        OverrideScreenBitCount(8);
        Picture pic(90, 60, 24);
        fillPattern(pic.get());
        setPictures(pic.get());
        control<QSpinBox>(*window, "ZoomEd")->setValue(50);
        control<TCanvasBox>(*window, "PaintBox1")->resize(45, 30);
        showPage(1);
        Picture t(0, 0, 24);
        DIBHalftoneDIBXY(&t.get(), pic.get(), 45, 30);
        QVERIFY(t.get().poi);
        const QImage got = control<TCanvasBox>(*window, "PaintBox1")->grab().toImage();
        QCOMPARE(differences(got, [&](int x, int y) { return pixelColour(t.get(), x, y); }), QString());
    }

    // A shown brush outline is gone after any redraw of the canvas: where the
    // paint does not reach it, its rectangle is repainted as well.
    void redrawTakesTheOutlineOff()
    {
        showPage(1);
        TCanvasBox *canvas = control<TCanvasBox>(*window, "PaintBox1");
        PaintRecorder painted(canvas);
        const QRect outline(200, 100, 40, 40);

        canvas->showOverlay(toPixelRect(outline));
        QTRY_VERIFY(canvas->outlineOnScreen());
        painted.rects.clear();
        canvas->repaint(QRect(0, 0, 10, 10));
        QVERIFY(!canvas->outlineOnScreen());
        QTRY_VERIFY(std::any_of(painted.rects.begin(), painted.rects.end(),
                                [&](const QRect &r) { return r.contains(outline); }));

        // A full redraw reaches it: no second paint is needed.
        canvas->showOverlay(toPixelRect(outline));
        QTRY_VERIFY(canvas->outlineOnScreen());
        painted.rects.clear();
        canvas->repaint();
        QVERIFY(!canvas->outlineOnScreen());
        QCoreApplication::processEvents();
        QCOMPARE(painted.rects.size(), 1);
    }

    // A picture the device cannot draw: a plain message after the paint, with no
    // title of its own, no icon and OK. Failures while one waits are dropped.
    void drawingFailureIsShownAfterThePaint()
    {
        Picture pic(30, 20, 24);
        setPictures(pic.get());
        // Masked 16-bit pixels, which nothing here converts.
        window->outdi->pmi->bmiHeader.biBitCount = 16;
        window->outdi->pmi->bmiHeader.biCompression = 3;
        showPage(1);
        QTRY_VERIFY(!dialogs->messages.isEmpty());
        for (const ShownMessage &shown : dialogs->messages) {
            QCOMPARE(shown.text, QStringLiteral("The device does not support the Funtkion setdibits!"));
            QCOMPARE(shown.title, QString());
            QCOMPARE(shown.icon, QMessageBox::NoIcon);
            QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        }

        dialogs->messages.clear();
        window->ReportDisplayFailure(QStringLiteral("Could not create bitmap."));
        window->ReportDisplayFailure(QStringLiteral("The device does not support the function StretchBlt!"));
        QVERIFY(dialogs->messages.isEmpty()); // not inside the paint that failed
        QTRY_COMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages.first().text, QStringLiteral("Could not create bitmap."));
    }
};

QTEST_MAIN(DisplayWindowTest)
#include "DisplayTest.moc"
