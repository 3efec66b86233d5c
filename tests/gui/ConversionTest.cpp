// "Graustufen" and "Weichzeichnen" through the real main window.
#include "GaugeRecorder.h"
#include "MainUnit.h"
#include "Pictures.h"
#include "WindowFixture.h"
#include "StatusBar.h"

#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A 24-bit picture of `width` x `height`, each pixel from `colour(x, y)` as
// red + 256 green + 65536 blue.
template <class Colour> dib picture24(int32_t width, int32_t height, Colour colour)
{
    dib d = emptydib();
    newdib(&d, width, height, 24, nullptr, 0);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            setpixel(d, x, y, colour(x, y));
    return d;
}

} // namespace

class ConversionWindowTest : public QObject, WindowFixture {
    Q_OBJECT


    void replaceResult(dib picture)
    {
        window->outdi.reset(picture);
    }

private slots:
    void init()
    {
        openWindow();
    }
    void cleanup() { closeWindow(); }

    void greyButtonTurnsResultGreyOnly()
    {
        replaceResult(picture24(320, 200, [](int32_t x, int32_t y) {
            return uint32_t(x & 0xFF) | uint32_t(y & 0xFF) << 8 | uint32_t((x + y) & 0xFF) << 16;
        }));
        const std::vector<uint8_t> source = pixelBytes(window->di);
        const QString caption = window->windowTitle();
        window->findChild<QPushButton *>(QStringLiteral("GrrayBtn"))->click();
        for (const auto &[x, y] : {std::pair{0, 0}, std::pair{17, 3}, std::pair{319, 199}, std::pair{200, 100}}) {
            const uint32_t red = uint32_t(x & 0xFF), green = uint32_t(y & 0xFF), blue = uint32_t((x + y) & 0xFF);
            const uint32_t g = (30 * red + 59 * green + 11 * blue) / 100;
            QCOMPARE(getpixel(window->outdi, x, y), g | g << 8 | g << 16);
        }
        QCOMPARE(pixelBytes(window->di), source);
        QVERIFY(window->changed);
        QCOMPARE(window->windowTitle(), captionText(window->captionBase(), window->afilename, true));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void softenButtonSoftensResult()
    {
        replaceResult(picture24(9, 8, [](int32_t x, int32_t y) { return x == 4 && y == 5 ? 0xFFFFFFu : 0u; }));
        const std::vector<uint8_t> source = pixelBytes(window->di);
        window->findChild<QPushButton *>(QStringLiteral("SoftenBtn"))->click();
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 9; ++x) {
                const uint32_t v = (std::abs(x - 4) <= 1 && std::abs(y - 5) <= 1) ? 28 : 0;
                QCOMPARE(getpixel(window->outdi, x, y), v | v << 8 | v << 16);
            }
        QCOMPARE(pixelBytes(window->di), source);
        QVERIFY(window->changed);
        QVERIFY(dialogs->messages.isEmpty());
    }

    void softenWithoutMemoryForTheWorkingCopy()
    {
        // As wide as a picture may be but two: the working copy, four wider, cannot be made.
        replaceResult(picture24(BK3_MAX_SIDE - 2, 1, [](int32_t x, int32_t) { return uint32_t(x) * 2654435761u; }));
        const std::vector<uint8_t> before = pixelBytes(window->outdi);
        window->findChild<QPushButton *>(QStringLiteral("SoftenBtn"))->click();
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, QStringLiteral("Fehler: Nicht genügent Speicher für diese Aktion!"));
        QCOMPARE(dialogs->messages[0].title, QStringLiteral("Fehler"));
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Critical);
        QCOMPARE(dialogs->messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(pixelBytes(window->outdi), before);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
    }

    void gaugeRisesWithTheRowsAndEmptiesAtTheEnd_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Graustufen") << "GrrayBtn";
        QTest::newRow("Weichzeichnen") << "SoftenBtn";
    }
    void gaugeRisesWithTheRowsAndEmptiesAtTheEnd()
    {
        QFETCH(QString, button);
        QVERIFY(showWindow());
        window->Button2Click();
        QCoreApplication::processEvents();
        replaceResult(picture24(40, 300, [](int32_t x, int32_t y) { return uint32_t(x * 7 + y); }));
        const GaugeRecorder recorder(control<TStatusBar>(*window, "StatusBar1"));
        window->findChild<QPushButton *>(button)->click();

        const std::vector<int32_t> &shown = recorder.shown;
        QVERIFY(!shown.empty());
        QCOMPARE(shown.back(), 0);
        QVERIFY(std::find(shown.begin(), shown.end(), 50) != shown.end());
        QVERIFY(std::find(shown.begin(), shown.end(), 100) != shown.end());
        QCOMPARE(int(std::count(shown.begin(), shown.end(), 100)), 1);
        QVERIFY(std::is_sorted(shown.begin(), shown.end() - 1));
        // 300 rows, but a row repeating the value shown paints nothing.
        QVERIFY2(shown.size() <= 102, qPrintable(QString::number(shown.size())));
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
    }
};

QTEST_MAIN(ConversionWindowTest)
#include "ConversionTest.moc"
