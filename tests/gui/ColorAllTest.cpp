// "Alles einfärben" through the real main window: the button, the brightness
// field, the current colour and the start pictures.
#include "ButtonsXP.h"
#include "CanvasBox.h"
#include "ErrorReport.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "PixelOps.h"
#include "Startup.h"

#include <QPaintEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <tuple>

using Rgb = std::tuple<int, int, int>;
Q_DECLARE_METATYPE(Rgb)

namespace {

// Every pixel of the picture, read from its rows (bottom-up), as one colour
// when they all agree, otherwise (-1, -1, -1).
Rgb uniformColour(const dib &d)
{
    const int width = dibwidth(d), height = dibheight(d);
    const uint8_t *first = d.poi;
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const uint8_t *p = d.poi + size_t(row) * size_t(d.bytew) + 3 * size_t(x);
            if (p[0] != first[0] || p[1] != first[1] || p[2] != first[2])
                return {-1, -1, -1};
        }
    return {first[2], first[1], first[0]};
}

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class ColorAllWindowTest : public QObject, WindowFixture {
    Q_OBJECT


private slots:
    void init()
    {
        openWindow();
        QVERIFY(showWindow());
        QTest::mouseClick(control<QPushButton>(*window, "Button2"), Qt::LeftButton); // page "Foto colorieren"
        QVERIFY(control<TBitBtnXP>(*window, "ColorAllBtn")->isVisible());
    }
    void cleanup() { closeWindow(); }

    void coloursTheWhiteStartPicture_data()
    {
        QTest::addColumn<int>("hue");
        QTest::addColumn<int>("sat");
        QTest::addColumn<int>("bright");
        QTest::addColumn<Rgb>("colour");
        QTest::newRow("start colour") << 20 << 141 << 0 << Rgb(254, 253, 253);
        QTest::newRow("darkest") << 20 << 141 << -100 << Rgb(2, 1, 1);
        QTest::newRow("brightest") << 20 << 141 << 100 << Rgb(255, 255, 255);
        QTest::newRow("green") << 85 << 255 << 0 << Rgb(253, 255, 253);
        QTest::newRow("darker blue") << 170 << 255 << -30 << Rgb(101, 101, 255);
    }
    void coloursTheWhiteStartPicture()
    {
        QFETCH(int, hue);
        QFETCH(int, sat);
        QFETCH(int, bright);
        QFETCH(Rgb, colour);
        QCOMPARE(dibwidth(window->outdi), 320);
        QCOMPARE(dibheight(window->outdi), 200);
        QCOMPARE(window->ghue, 20); // the start colour
        QCOMPARE(window->gsat, 141);
        // The brightness field takes hue and saturation from their fields, so it
        // comes first and the colour is set after it.
        control<QSpinBox>(*window, "BrightEd")->setValue(bright);
        window->ghue = hue;
        window->gsat = sat;

        // Results of earlier work are replaced, and the luminance comes from the
        // source, not from what the result shows.
        DoPixMalen(window->di.get(), window->outdi.get(), window->di.rows(), 0, 0, 0, 0, 0, false);
        DoPixMalen(window->di.get(), window->outdi.get(), window->di.rows(), 319, 199, 10, 20, 30, false);

        PaintCounter canvasPaints(control<TCanvasBox>(*window, "PaintBox1"));
        QTest::mouseClick(control<TBitBtnXP>(*window, "ColorAllBtn"), Qt::LeftButton);
        QCOMPARE(uniformColour(window->outdi), colour);
        QCOMPARE(uniformColour(window->di), Rgb(255, 255, 255));
        QCOMPARE(window->di.rows().size(), size_t(200));
        QVERIFY(window->changed);
        QTRY_VERIFY(canvasPaints.paints > 0);
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    ColorAllWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ColorAllTest.moc"
