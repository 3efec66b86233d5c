// The hue/saturation picker on the whole window: the swatch as painted, picking
// by click and drag, the fields driving the picker without echo, the samples and
// labels, and the colour dialog of the flat-paint colour.
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "PaintBox.h"
#include "Startup.h"
#include "Swatch.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

namespace {

QColor colourOf(uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor swatchColour(int hue, int sat, int lum = 128)
{
    return colourOf(HueSatColour(hue, sat, lum));
}

} // namespace

class PickerTest : public QObject, WindowFixture {
    Q_OBJECT


    void showPicker()
    {
        QVERIFY(showWindow());
        window->Button2Click();
        QTRY_VERIFY(control<TPaintBox>(*window, "PalPaintBox")->isVisible());
    }
    // A move over the swatch with exactly these buttons held.
    void moveOver(QPoint at, Qt::MouseButtons buttons)
    {
        TPaintBox *box = control<TPaintBox>(*window, "PalPaintBox");
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(box->mapToGlobal(at)), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &move);
    }
    // A click through real events; QTest takes (0, 0) for "the centre".
    void clickOn(QWidget *widget, QPoint at, Qt::MouseButton button)
    {
        const QPointF global(widget->mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, button, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &release);
    }
    void verifyColour(int hue, int sat)
    {
        QCOMPARE(window->ghue, hue);
        QCOMPARE(window->gsat, sat);
        QCOMPARE(control<QSpinBox>(*window, "HueED")->value(), hue);
        QCOMPARE(control<QSpinBox>(*window, "SatEd")->value(), sat);
        QCOMPARE(control<QLabel>(*window, "HueLabel")->text(), QStringLiteral("Hue: %1").arg(hue));
        QCOMPARE(control<QLabel>(*window, "SatLabel")->text(), QStringLiteral("Sat: %1").arg(sat));
        QCOMPARE(control<TShape>(*window, "Shape1")->brushColor(), swatchColour(hue, sat, 64));
        QCOMPARE(control<TShape>(*window, "Shape3")->brushColor(), swatchColour(hue, sat, 128));
        QCOMPARE(control<TShape>(*window, "Shape4")->brushColor(), swatchColour(hue, sat, 196));
    }
    QImage swatchBox() { return control<TPaintBox>(*window, "PalPaintBox")->grab().toImage(); }

private slots:
    void init()
    {
        openWindow();
    }
    void cleanup() { closeWindow(); }

    void firstPaintShowsStartColour()
    {
        QCOMPARE(control<QSpinBox>(*window, "HueED")->value(), 20);
        QCOMPARE(control<QSpinBox>(*window, "SatEd")->value(), 141);
        QCOMPARE(window->ghue, 20);
        QCOMPARE(window->gsat, 141);
        showPicker();
        QTRY_COMPARE(control<QLabel>(*window, "HueLabel")->text(), QStringLiteral("Hue: 20")); // painted
        verifyColour(20, 141);
        QCOMPARE(control<TShape>(*window, "Shape1")->brushColor(), QColor(101, 63, 29));
        QCOMPARE(control<TShape>(*window, "Shape3")->brushColor(), QColor(198, 124, 58));
        QCOMPARE(control<TShape>(*window, "Shape4")->brushColor(), QColor(228, 194, 163));
    }

    void brightnessBeforeFirstPaintKeepsTheStartColour()
    {
        control<QSpinBox>(*window, "BrightEd")->setValue(30);
        QCOMPARE(window->ghue, 20);
        QCOMPARE(window->gsat, 141);
        showPicker();
        QTRY_COMPARE(control<QLabel>(*window, "HueLabel")->text(), QStringLiteral("Hue: 20"));
        verifyColour(20, 141);
    }

    void paintedBoxShowsBorderSwatchAndMarker()
    {
        showPicker();
        const QImage box = swatchBox();
        QCOMPARE(box.size(), QSize(72, 264));
        const QColor face = control<TPaintBox>(*window, "PalPaintBox")->palette().color(QPalette::Button);
        for (const QPoint border : {QPoint(0, 0), QPoint(71, 263), QPoint(2, 130), QPoint(69, 130),
                                    QPoint(36, 1), QPoint(36, 262)})
            QCOMPARE(box.pixelColor(border), face);
        // Swatch pixels away from the marker, one for one at (4, 4).
        for (const QPoint pixel : {QPoint(0, 0), QPoint(63, 0), QPoint(63, 85), QPoint(63, 170),
                                   QPoint(10, 200), QPoint(63, 255), QPoint(0, 255)})
            QCOMPARE(box.pixelColor(pixel + QPoint(4, 4)),
                     colourOf(getpixel(window->pal24dib, pixel.x(), pixel.y())));

        // The marker of hue 20, saturation 141 fills (34, 20)-(42, 28) with the
        // face colour inside an outline of the inverse colour.
        const QColor inverse(255 - 198, 255 - 124, 255 - 58);
        QCOMPARE(box.pixelColor(38, 24), face);
        int outline = 0;
        for (int y = 20; y < 28; ++y)
            for (int x = 34; x < 42; ++x)
                outline += box.pixelColor(x, y) == inverse;
        QVERIFY2(outline >= 12, qPrintable(QString::number(outline)));
        // Just outside its rectangle the swatch shows again.
        QCOMPARE(box.pixelColor(33, 24), colourOf(getpixel(window->pal24dib, 29, 20)));
        QCOMPARE(box.pixelColor(42, 24), colourOf(getpixel(window->pal24dib, 38, 20)));
        QCOMPARE(box.pixelColor(38, 28), colourOf(getpixel(window->pal24dib, 34, 24)));
    }

    void clickPicks_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("hue");
        QTest::addColumn<int>("sat");
        QTest::newRow("green at the right edge") << QPoint(67, 89) << int(Qt::LeftButton) << 85 << 255;
        QTest::newRow("top-left border, right button") << QPoint(0, 0) << int(Qt::RightButton) << 0 << 0;
        QTest::newRow("bottom-right corner") << QPoint(71, 263) << int(Qt::LeftButton) << 255 << 255;
        QTest::newRow("middle button") << QPoint(40, 100) << int(Qt::MiddleButton) << 96 << 145;
    }
    void clickPicks()
    {
        QFETCH(QPoint, at);
        QFETCH(int, button);
        QFETCH(int, hue);
        QFETCH(int, sat);
        showPicker();
        clickOn(control<TPaintBox>(*window, "PalPaintBox"), at, Qt::MouseButton(button));
        verifyColour(hue, sat);
        QCOMPARE(control<TShape>(*window, "Shape2")->brushColor(), swatchColour(hue, sat));
    }

    void dragWithLeftButtonPicksAndClampsOutside()
    {
        showPicker();
        QTest::mousePress(control<TPaintBox>(*window, "PalPaintBox"), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        verifyColour(6, 24);
        moveOver(QPoint(67, 89), Qt::LeftButton);
        verifyColour(85, 255);
        moveOver(QPoint(-40, 900), Qt::LeftButton);
        verifyColour(255, 0);
        QTest::mouseRelease(control<TPaintBox>(*window, "PalPaintBox"), Qt::LeftButton, Qt::NoModifier,
                            QPoint(-40, 900));
    }

    void moveWithoutLeftButtonOnlyShowsTheHoverSample_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::newRow("no button") << int(Qt::NoButton);
        QTest::newRow("right button") << int(Qt::RightButton);
    }
    void moveWithoutLeftButtonOnlyShowsTheHoverSample()
    {
        QFETCH(int, buttons);
        showPicker();
        QTRY_COMPARE(control<QLabel>(*window, "HueLabel")->text(), QStringLiteral("Hue: 20")); // painted
        moveOver(QPoint(67, 89), Qt::MouseButtons(buttons));
        QCOMPARE(control<TShape>(*window, "Shape2")->brushColor(), QColor(1, 255, 1));
        verifyColour(20, 141);
    }

    void fieldsDriveThePicker()
    {
        showPicker();
        QTRY_COMPARE(control<QLabel>(*window, "HueLabel")->text(), QStringLiteral("Hue: 20")); // painted
        control<QSpinBox>(*window, "SatEd")->setValue(50);
        control<QSpinBox>(*window, "HueED")->setValue(100);
        verifyColour(100, 50);
        QCOMPARE(control<TShape>(*window, "Shape2")->brushColor(), swatchColour(100, 50));
        const QImage box = swatchBox();
        const MarkerPlace marker = SwatchMarker(HueSat{100, 50});
        QCOMPARE(box.pixelColor(marker.left + 4, marker.top + 4),
                 control<TPaintBox>(*window, "PalPaintBox")->palette().color(QPalette::Button));
    }

    void fieldValuesStayInRange()
    {
        showPicker();
        control<QSpinBox>(*window, "SatEd")->setValue(-20);
        control<QSpinBox>(*window, "HueED")->setValue(300);
        verifyColour(255, 0);
    }

    void pickerWritesFieldsWithoutEcho()
    {
        // A preset sets the colour and redraws: writing the hue into its field
        // must not take the old saturation back from the other field.
        showPicker();
        QTRY_COMPARE(control<QLabel>(*window, "HueLabel")->text(), QStringLiteral("Hue: 20")); // painted
        const QColor hover(1, 2, 3);
        control<TShape>(*window, "Shape2")->setBrushColor(hover);
        window->ghue = 10;
        window->gsat = 200;
        window->PalPaintBoxPaint();
        verifyColour(10, 200);
        QCOMPARE(control<TShape>(*window, "Shape2")->brushColor(), hover);
    }

    void brightnessChangesNeitherSwatchNorSamples()
    {
        showPicker();
        QTRY_COMPARE(control<QLabel>(*window, "HueLabel")->text(), QStringLiteral("Hue: 20")); // painted
        const QImage before = swatchBox();
        control<QSpinBox>(*window, "BrightEd")->setValue(40);
        control<QSpinBox>(*window, "BrightEd")->setValue(-75);
        QCOMPARE(swatchBox(), before);
        verifyColour(20, 141);
    }

    void paintColourDialog_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QColor>("chosen");
        QTest::addColumn<QColor>("result");
        QTest::newRow("chosen") << true << QColor(10, 20, 30) << QColor(10, 20, 30);
        QTest::newRow("cancelled") << false << QColor(10, 20, 30) << QColor(255, 0, 255);
    }
    void paintColourDialog()
    {
        QFETCH(bool, accepted);
        QFETCH(QColor, chosen);
        QFETCH(QColor, result);
        showPicker();
        dialogs->colourAnswers.push_back({accepted, chosen});
        clickOn(control<TShape>(*window, "Shape5"), QPoint(5, 5), Qt::RightButton);
        QVERIFY(dialogs->colourAnswers.empty());
        QCOMPARE(control<TShape>(*window, "Shape5")->brushColor(), result);
    }

    void pickingWorksWithoutSwatchPicture()
    {
        window->pal24dib = Picture();
        showPicker();
        clickOn(control<TPaintBox>(*window, "PalPaintBox"), QPoint(67, 89), Qt::LeftButton);
        verifyColour(85, 255);
        QCOMPARE(swatchBox().size(), QSize(72, 264)); // painting goes on without it
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    PickerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PickerTest.moc"
