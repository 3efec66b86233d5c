// Produces the README's picture of the window: loads a grey photograph, tints
// part of it with the presets through real mouse strokes on the work canvas, and
// saves what the window shows on "Foto colorieren". Run by scripts/screenshot.
#include "CanvasBox.h"
#include "ErrorReport.h"
#include "FormatCodes.h"
#include "MainUnit.h"
#include "WindowControls.h"
#include "Startup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <cstdio>

namespace {

// The whole photograph fits the canvas at this zoom.
constexpr int kZoom = 60;

void mouse(TMainForm &window, QEvent::Type type, QPoint picturePoint, Qt::MouseButtons held)
{
    QWidget *canvas = control<TCanvasBox>(window, "PaintBox1");
    const QPoint at = picturePoint * kZoom / 100;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, canvas->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &event);
}

// One stroke between two picture points, as a hand would drag it.
void stroke(TMainForm &window, QPoint from, QPoint to)
{
    mouse(window, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int step = 1; step <= 8; ++step)
        mouse(window, QEvent::MouseMove, from + (to - from) * step / 8, Qt::LeftButton);
    mouse(window, QEvent::MouseButtonRelease, to, Qt::NoButton);
    QCoreApplication::processEvents();
}

// Horizontal strokes covering a band of rows.
void band(TMainForm &window, int left, int right, int top, int bottom, int radius)
{
    control<QSpinBox>(window, "RadiusED")->setValue(radius);
    for (int y = top; y <= bottom; y += radius)
        stroke(window, QPoint(left, y), QPoint(right, y));
}

// Strokes inside an ellipse, kept `radius` away from its edge.
void ellipse(TMainForm &window, QPoint centre, double rx, double ry, int radius)
{
    control<QSpinBox>(window, "RadiusED")->setValue(radius);
    for (double dy = -ry + radius; dy <= ry - radius; dy += radius) {
        const double half = rx * std::sqrt(1.0 - (dy * dy) / (ry * ry)) - radius;
        if (half < 0)
            continue;
        const int y = centre.y() + int(dy);
        stroke(window, QPoint(centre.x() - int(half), y), QPoint(centre.x() + int(half), y));
    }
}

void keepColour(TMainForm &window, const QString &name)
{
    control<QLineEdit>(window, "Edit1")->setText(name);
    control<QPushButton>(window, "SaveColorinListBtn")->click();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: %s photograph.jpg screenshot.png [WIDTHxHEIGHT [next-frame.jpg]]\n", argv[0]);
        return 2;
    }
    NuanzaApplication app(argc, argv);
    setupApplication(app);
    const QString photograph = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);

    // The README's picture at 1240 x 760; other sizes show how the window fits.
    QSize size(1240, 760);
    if (argc >= 4) {
        const QStringList parts = QString::fromLocal8Bit(argv[3]).split(QLatin1Char('x'));
        if (parts.size() == 2)
            size = QSize(parts[0].toInt(), parts[1].toInt());
    }
    TMainForm window;
    window.resize(size);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !window.openfilenow(photograph))
        return 1;
    window.Button2Click();
    QTest::qWait(200);

    control<QSpinBox>(window, "ZoomEd")->setValue(kZoom);
    control<QToolButton>(window, "ToolButton2")->click(); // Himmel
    keepColour(window, QStringLiteral("Himmel"));
    band(window, 0, 959, 0, 420, 40);
    control<QToolButton>(window, "ToolButton5")->click(); // Gras
    keepColour(window, QStringLiteral("Wiese"));
    band(window, 0, 520, 470, 639, 30);
    control<QToolButton>(window, "ToolButton10")->click(); // Wald
    keepColour(window, QStringLiteral("Baumkrone"));
    ellipse(window, QPoint(620, 300), 70, 90, 10);
    ellipse(window, QPoint(575, 345), 50, 45, 10);
    ellipse(window, QPoint(665, 345), 50, 45, 10);
    control<QToolButton>(window, "ToolButton9")->click(); // Holz
    band(window, 618, 622, 395, 555, 4);
    control<QToolButton>(window, "ToolButton7")->click(); // Haut 2
    keepColour(window, QStringLiteral("Sonne"));
    ellipse(window, QPoint(180, 120), 38, 38, 12);
    control<QToolButton>(window, "ToolButton5")->click();
    control<QSpinBox>(window, "RadiusED")->setValue(30);

    // With a next frame: the colours carried over to it along the motion, and
    // the pixels whose motion was not trusted shown.
    if (argc == 5) {
        const QString predecessor = QDir::temp().filePath(QStringLiteral("nuanza-screenshot-predecessor.bmp"));
        if (SaveDib(window.outdi, QFile::encodeName(predecessor).constData(), BK3_FORMAT_BMP, nullptr) != 1
            || !window.openfilenow(QString::fromLocal8Bit(argv[4])))
            return 1;
        control<QLineEdit>(window, "LastSavedWithPathEd")->setText(predecessor);
        control<QAction>(window, "FarbenmitBewegungbernehmen1")->trigger();
        control<QCheckBox>(window, "AenderungenCheck")->setChecked(true);
        control<QSpinBox>(window, "ZoomEd")->setValue(kZoom);
        QFile::remove(predecessor);
    }

    // The brush outline where the user would go on painting.
    mouse(window, QEvent::MouseMove, QPoint(700, 560), Qt::NoButton);
    QTest::qWait(300);
    if (!window.grab().save(target))
        return 1;
    std::printf("%s\n", qPrintable(target));
    return 0;
}
