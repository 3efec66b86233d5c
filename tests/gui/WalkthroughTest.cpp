// The typical use of the program from start to end, on the real window: open a
// film frame from the file list, colourise it with presets and the brush, save
// it, step to the next frame, carry the colours over, shift them after the
// camera's movement, touch up and save; then colour two more frames in one
// batch. Every written file is compared with a model of the colour rules kept
// here, written out plainly and apart from the program's own pixel code.
#include "CanvasBox.h"
#include "ErrorReport.h"
#include "FileHelpers.h"
#include "FormatCodes.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "RGBHSL.h"
#include "Startup.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// ---- The model ----

struct Rgb {
    int r = 0, g = 0, b = 0;
};

struct RgbPicture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    RgbPicture(int w = 0, int h = 0) : width(w), height(h), pixels(size_t(w) * size_t(h)) {}
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    Rgb &at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    const Rgb &at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

struct Hsl {
    int hue = 0, sat = 0, lum = 0;
};

Hsl hslOf(const Rgb &c)
{
    Hsl h;
    RGBToHSL(c.r, c.g, c.b, h.hue, h.sat, h.lum);
    return h;
}

Rgb rgbOf(int hue, int sat, int lum)
{
    Rgb c;
    HSLToRGB(hue, sat, lum, c.r, c.g, c.b);
    return c;
}

// A colourised pixel: the chosen hue and saturation at the source pixel's
// luminance (30/59/11 per cent, each term cut), moved by the brightness.
Rgb colourise(const Rgb &source, int hue, int sat, int bright)
{
    int lum = 30 * source.r / 100 + 59 * source.g / 100 + 11 * source.b / 100;
    if (bright < 0)
        lum -= -bright * lum / 100;
    else if (bright > 0)
        lum += (255 - lum) * bright / 100;
    return rgbOf(hue, sat, lum);
}

// The dab centres of a straight stroke, from its first point to its last:
// Bresenham along the longer axis; a line running backwards along that axis is
// computed from its other end and mirrored through its middle.
std::vector<QPoint> lineDabs(QPoint from, QPoint to)
{
    const bool yMajor = std::abs(to.x() - from.x()) < std::abs(to.y() - from.y());
    auto major = [&](QPoint p) { return yMajor ? p.y() : p.x(); };
    auto minor = [&](QPoint p) { return yMajor ? p.x() : p.y(); };
    auto point = [&](int M, int m) { return yMajor ? QPoint(m, M) : QPoint(M, m); };
    const bool swapped = major(from) > major(to);
    const QPoint a = swapped ? to : from, b = swapped ? from : to;
    const int dM = major(b) - major(a), dm = std::abs(minor(b) - minor(a));
    const int step = minor(b) > minor(a) ? 1 : -1;
    std::vector<QPoint> dabs{a};
    int e = 2 * dm - dM, m = minor(a);
    for (int M = major(a) + 1; M <= major(b); ++M) {
        if (e >= 0) {
            m += step;
            e += 2 * (dm - dM);
        } else {
            e += 2 * dm;
        }
        dabs.push_back(point(M, m));
    }
    if (swapped)
        for (QPoint &p : dabs)
            p = a + b - p;
    return dabs;
}

// The colourising brush (erase: the eraser) along the polyline `points`.
void brush(const RgbPicture &source, RgbPicture &result, const std::vector<QPoint> &points, int radius,
           int hue, int sat, int bright, bool erase = false)
{
    for (size_t i = 1; i < points.size(); ++i)
        for (const QPoint &c : lineDabs(points[i - 1], points[i]))
            for (int y = c.y() - radius; y <= c.y() + radius; ++y)
                for (int x = c.x() - radius; x <= c.x() + radius; ++x)
                    if ((x - c.x()) * (x - c.x()) + (y - c.y()) * (y - c.y()) <= radius * radius &&
                        source.contains(x, y))
                        result.at(x, y) = erase ? source.at(x, y) : colourise(source.at(x, y), hue, sat, bright);
}

// Every pixel that `source` and `model` share takes the model's hue and
// saturation at its own luminance (the transfer and the batch).
RgbPicture transfer(const RgbPicture &source, const RgbPicture &model)
{
    RgbPicture result = source;
    for (int y = 0; y < std::min(source.height, model.height); ++y)
        for (int x = 0; x < std::min(source.width, model.width); ++x) {
            const Hsl colour = hslOf(model.at(x, y));
            result.at(x, y) = colourise(source.at(x, y), colour.hue, colour.sat, 0);
        }
    return result;
}

// The colour layer moved by n pixels in (dx, dy): hue and saturation from the
// old place, the HSL luminance of the source at the new one; the uncovered
// edge keeps its own luminance and loses its colour.
RgbPicture shift(const RgbPicture &source, const RgbPicture &result, int dx, int dy, int n)
{
    RgbPicture moved = result;
    for (int y = 0; y < result.height; ++y)
        for (int x = 0; x < result.width; ++x) {
            const int fromX = x - dx * n, fromY = y - dy * n;
            if (result.contains(fromX, fromY)) {
                const Hsl colour = hslOf(result.at(fromX, fromY));
                moved.at(x, y) = rgbOf(colour.hue, colour.sat, hslOf(source.at(x, y)).lum);
            } else {
                moved.at(x, y) = rgbOf(0, 0, hslOf(result.at(x, y)).lum);
            }
        }
    return moved;
}

// ---- Frames and files ----

constexpr int kWidth = 120, kHeight = 80;

// A grey scene with a soft gradient and a coarse checker, dark to white.
int scene(int x, int y) { return std::min(255, 15 + x + y + 40 * ((x / 12 + y / 12) % 2)); }

// Frame k as a camera sees the scene that moves 2 pixels right and 1 down per
// frame: the picture's content moves 2 left and 1 up.
RgbPicture frame(int k)
{
    RgbPicture p(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int v = scene(x + 2 * k, y + k);
            p.at(x, y) = {v, v, v};
        }
    return p;
}

// Written as an 8-bit grey picture, as scanned film frames often are.
bool writeFrame(const QString &file, int k, int format)
{
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto *table = reinterpret_cast<BITMAPINFO *>(info.data());
    for (int i = 0; i < 256; ++i)
        table->bmiColors[i] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    dib d = emptydib();
    newdib(&d, kWidth, kHeight, 8, table, 256);
    const RgbPicture p = frame(k);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            setpixel(d, x, y, uint32_t(p.at(x, y).r));
    const bool written = d.poi && SaveDib(d, QFile::encodeName(file).constData(), format, nullptr) == 1;
    freedib(d);
    return written;
}

// A file read by Qt's own readers; empty when it cannot be read.
RgbPicture readFile(const QString &file)
{
    const QImage image = QImage(file).convertToFormat(QImage::Format_RGB888);
    RgbPicture p(image.width(), image.height());
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const QRgb c = image.pixel(x, y);
            p.at(x, y) = {qRed(c), qGreen(c), qBlue(c)};
        }
    return p;
}

RgbPicture fromDib(const dib &d)
{
    RgbPicture p(dibwidth(d), dibheight(d));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = getpixel(d, x, y);
            p.at(x, y) = {int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16)};
        }
    return p;
}

// Empty when the two agree within `tolerance` per channel, else the first difference.
QString difference(const RgbPicture &actual, const RgbPicture &expected, int tolerance = 0)
{
    if (actual.width != expected.width || actual.height != expected.height)
        return QStringLiteral("size %1 x %2").arg(actual.width).arg(actual.height);
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const Rgb a = actual.at(x, y), e = expected.at(x, y);
            if (std::abs(a.r - e.r) > tolerance || std::abs(a.g - e.g) > tolerance || std::abs(a.b - e.b) > tolerance)
                return QStringLiteral("pixel %1,%2: %3 %4 %5, expected %6 %7 %8")
                    .arg(x).arg(y).arg(a.r).arg(a.g).arg(a.b).arg(e.r).arg(e.g).arg(e.b);
        }
    return QString();
}

double meanDeviation(const RgbPicture &actual, const RgbPicture &expected)
{
    double sum = 0;
    for (size_t i = 0; i < expected.pixels.size(); ++i)
        sum += std::abs(actual.pixels[i].r - expected.pixels[i].r) +
               std::abs(actual.pixels[i].g - expected.pixels[i].g) +
               std::abs(actual.pixels[i].b - expected.pixels[i].b);
    return sum / (3.0 * double(expected.pixels.size()));
}

// Canvas to picture pixels at `zoom` per cent, as the canvas converts them.
QPoint toPicture(QPoint canvas, int zoom)
{
    return QPoint(int(double(canvas.x()) / zoom * 100), int(double(canvas.y()) / zoom * 100));
}

} // namespace

class WalkthroughTest : public QObject, WindowFixture {
    Q_OBJECT


    QModelIndex root() const { return control<QListView>(*window, "JamShellList1")->rootIndex(); }
    QStringList rowNames() const
    {
        QStringList names;
        for (int row = 0; row < control<QFileSystemModel>(*window, "fileModel")->rowCount(root()); ++row)
            names << control<QFileSystemModel>(*window, "fileModel")->index(row, 0, root()).data().toString();
        return names;
    }
    QString caption(const QString &file, bool changed = false) const
    {
        return QStringLiteral("MERIDAN Nuanza 1.5 - [") + file + (changed ? QStringLiteral("*]") : QStringLiteral("]"));
    }

    void send(QEvent::Type type, QPoint at, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, control<TCanvasBox>(*window, "PaintBox1")->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, {});
        QCoreApplication::sendEvent(control<TCanvasBox>(*window, "PaintBox1"), &event);
    }
    // A drag over the canvas through `canvas` points; returns them in picture pixels.
    std::vector<QPoint> drag(const std::vector<QPoint> &canvas)
    {
        send(QEvent::MouseButtonPress, canvas.front(), Qt::LeftButton);
        for (size_t i = 1; i < canvas.size(); ++i)
            send(QEvent::MouseMove, canvas[i], Qt::LeftButton);
        send(QEvent::MouseButtonRelease, canvas.back(), Qt::NoButton);
        std::vector<QPoint> picture;
        for (const QPoint &p : canvas)
            picture.push_back(toPicture(p, control<QSpinBox>(*window, "ZoomEd")->value()));
        return picture;
    }
    // Opens the menu of a top-bar button and clicks its item `caption`.
    void choose(QPushButton *button, QMenu *menu, const QString &caption)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(menu->isVisible());
        const QList<QAction *> actions = menu->actions();
        const auto item = std::find_if(actions.begin(), actions.end(),
                                       [&](const QAction *a) { return a->text() == caption; });
        QVERIFY2(item != actions.end(), qPrintable(caption));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(*item).center());
        QTRY_VERIFY(!menu->isVisible());
    }
    void pickPreset(QToolButton *button, const QString &name, int hue, int sat)
    {
        QCOMPARE(button->text(), name);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(control<QToolButton>(*window, "ColorierenBtn")->isChecked());
        QCOMPARE(control<QSpinBox>(*window, "HueED")->value(), hue);
        QCOMPARE(control<QSpinBox>(*window, "SatEd")->value(), sat);
    }

private slots:
    void init()
    {
        openWindow();
        keepFavouritesAtHome();
        QVERIFY(makeFolder(QStringLiteral("film-")));
        QVERIFY(showWindow());
    }
    void cleanup() { closeWindow(); }

    void colouriseAFilmSequence()
    {
        TMainForm &w = *window;
        const QStringList names{"bild1.bmp", "bild2.bmp", "bild3.bmp", "bild4.jpg"};
        for (int k = 0; k < 4; ++k)
            QVERIFY(writeFrame(path(names[k]), k, k < 3 ? BK3_FORMAT_BMP : BK3_FORMAT_JPEG));
        const RgbPicture frame4 = readFile(path(names[3])); // what the JPEG holds

        // 1, 2: the first frame, double-clicked in the file list.
        w.SelectTreeFolder(folder->path());
        QVERIFY2(QTest::qWaitFor([&] { return rowNames() == names; }, 10000), qPrintable(rowNames().join(',')));
        const QRect item = control<QListView>(w, "JamShellList1")
                               ->visualRect(control<QFileSystemModel>(w, "fileModel")->index(0, 0, root()));
        QTest::mouseClick(control<QListView>(w, "JamShellList1")->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseDClick(control<QListView>(w, "JamShellList1")->viewport(), Qt::LeftButton, {}, item.center());
        QCOMPARE(w.afilename, path(names[0]));
        QCOMPARE(w.windowTitle(), caption(names[0]));
        QCOMPARE(control<QLineEdit>(w, "Breit")->text(), QStringLiteral("120 Pixels"));
        QCOMPARE(control<QLineEdit>(w, "Tief")->text(), QStringLiteral("16777216"));
        QCOMPARE(control<QListWidget>(w, "PrefListBox")->item(0)->text(), withTrailingSeparator(folder->path()));
        QCOMPARE(difference(fromDib(w.outdi), frame(0)), QString());

        // 3, 4: two presets and brush strokes at zoom 200; the second stroke
        // runs back against its axis and past the picture's corner.
        QTest::mouseClick(control<QPushButton>(w, "Button2"), Qt::LeftButton); // "Foto colorieren"
        QVERIFY(control<TCanvasBox>(w, "PaintBox1")->isVisible());
        control<QSpinBox>(w, "ZoomEd")->setValue(200);
        QCOMPARE(control<TCanvasBox>(w, "PaintBox1")->size(), QSize(240, 160));
        RgbPicture expected = frame(0);
        pickPreset(control<QToolButton>(w, "ToolButton2"), QStringLiteral("Himmel"), 143, 157);
        control<QSpinBox>(w, "RadiusED")->setValue(6);
        brush(frame(0), expected, drag({{20, 20}, {90, 37}, {150, 30}, {151, 31}}), 6, 143, 157, 0);
        QCOMPARE(w.windowTitle(), caption(names[0], true));
        pickPreset(control<QToolButton>(w, "ToolButton5"), QStringLiteral("Gras"), 55, 60);
        control<QSpinBox>(w, "Radius2Ed")->setValue(4);
        control<QSpinBox>(w, "BrightEd")->setValue(25);
        brush(frame(0), expected, drag({{61, 140}, {60, 100}, {200, 150}, {120, 119}, {250, 171}}), 4, 55, 60, 25);
        control<QSpinBox>(w, "BrightEd")->setValue(0);

        // 5: "Speichern" writes over the frame, without a dialog.
        QTest::mouseClick(control<QToolButton>(w, "SaveBtn"), Qt::LeftButton);
        QVERIFY2(dialogs->messages.isEmpty(), qPrintable(dialogs->messages.value(0).text));
        QVERIFY(dialogs->fileRequests.isEmpty());
        QCOMPARE(difference(readFile(path(names[0])), expected), QString());
        QCOMPARE(control<QLineEdit>(w, "LastSavedWithPathEd")->text(), path(names[0]));
        QCOMPARE(w.windowTitle(), caption(names[0]));

        // 6: the next frame, the colours of the one saved, the layer moved after
        // the camera (2 left, 1 up), touched up and saved.
        QTest::mouseClick(control<QPushButton>(w, "BitBtn1"), Qt::LeftButton); // "Nächstes Bild laden..."
        QVERIFY(dialogs->messages.isEmpty());
        QCOMPARE(w.afilename, path(names[1]));
        QCOMPARE(difference(fromDib(w.outdi), frame(1)), QString());
        choose(control<QPushButton>(w, "FarbenBtn"), control<QMenu>(w, "FarbenPopup"),
               QStringLiteral("Farben direkt vom Vorgängerbild übernehmen..."));
        QVERIFY(dialogs->messages.isEmpty());
        expected = transfer(frame(1), expected);
        QCOMPARE(difference(fromDib(w.outdi), expected), QString());
        QCOMPARE(w.windowTitle(), caption(names[1], true));

        control<QSpinBox>(w, "MovePixelEd")->setValue(2);
        QTest::mouseClick(control<QToolButton>(w, "MoveLeftBtn"), Qt::LeftButton);
        expected = shift(frame(1), expected, -1, 0, 2);
        control<QSpinBox>(w, "MovePixelEd")->setValue(1);
        QTest::mouseClick(control<QToolButton>(w, "MoveUpBtn"), Qt::LeftButton);
        expected = shift(frame(1), expected, 0, -1, 1);
        QCOMPARE(difference(fromDib(w.outdi), expected), QString());

        // Touching up: an erased spot, and darker wood along the grey edge the
        // shift uncovered.
        QTest::mouseClick(control<QToolButton>(w, "RadiergummiBtn"), Qt::LeftButton);
        brush(frame(1), expected, drag({{100, 60}, {112, 66}}), 4, 0, 0, 0, true);
        pickPreset(control<QToolButton>(w, "ToolButton9"), QStringLiteral("Holz"), 23, 76);
        control<QSpinBox>(w, "BrightEd")->setValue(-30);
        brush(frame(1), expected, drag({{237, 150}, {235, 10}}), 4, 23, 76, -30);
        QTest::mouseClick(control<QToolButton>(w, "SaveBtn"), Qt::LeftButton);
        QVERIFY(dialogs->messages.isEmpty());
        QCOMPARE(difference(readFile(path(names[1])), expected), QString());
        QCOMPARE(w.windowTitle(), caption(names[1]));
        const QByteArray secondSaved = contents(path(names[1]));

        // The batch: two more frames with the colours of the current result,
        // each written over itself in its own format; the work comes back.
        dialogs->fileAnswers.push_back({true, {path(names[2]), path(names[3])}, 1});
        choose(control<QPushButton>(w, "StapelverarbeitungBtn"), control<QMenu>(w, "StapelverarbeitungPopup"),
               QStringLiteral("Alle ausgewählten Bilder colorieren..."));
        QVERIFY2(dialogs->messages.isEmpty(), qPrintable(dialogs->messages.value(0).text));
        QCOMPARE(dialogs->fileRequests.size(), 1);
        QVERIFY(dialogs->fileRequests[0].multiple);
        QCOMPARE(difference(readFile(path(names[2])), transfer(frame(2), expected)), QString());

        // JPEG: the luminance of the frame as read, the colours of the result,
        // within what the lossy format takes away.
        const RgbPicture jpeg = readFile(path(names[3]));
        const RgbPicture jpegExpected = transfer(frame4, expected);
        QVERIFY(jpeg.width == kWidth && jpeg.height == kHeight);
        const double deviation = meanDeviation(jpeg, jpegExpected);
        QVERIFY2(deviation < 3.0, qPrintable(QString::number(deviation)));
        QCOMPARE(difference(jpeg, jpegExpected, 40), QString());
        // Inside the first stroke, carried over and moved: still sky.
        QVERIFY(std::abs(hslOf(jpeg.at(42, 16)).hue - 143) <= 6);

        QCOMPARE(difference(fromDib(w.outdi), expected), QString());
        QCOMPARE(difference(fromDib(w.di), frame(1)), QString());
        QCOMPARE(w.afilename, path(names[1]));
        QCOMPARE(w.windowTitle(), caption(names[1]));
        QCOMPARE(contents(path(names[1])), secondSaved);
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    WalkthroughTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WalkthroughTest.moc"
