// The small controls and services of the window: picture buttons, the error
// report's full-stop rule, the information dialog's year, filter conversion.
#include "AboutBoxUnit.h"
#include "ErrorReport.h"
#include "Glyphs.h"
#include "ImageBtnUnit.h"
#include "UserDialogs.h"

#include <QDate>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

QPixmap filled(QColor colour)
{
    QPixmap p(101, 30);
    p.fill(colour);
    return p;
}

void send(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), w->mapToGlobal(QPointF(pos)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

QRgb shown(const TImageBtn &b) { return b.Picture().toImage().pixel(5, 5); }

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void imageButtonTakesThePictureSize()
    {
        TImageBtn b;
        b.setPicture(filled(Qt::red));
        QCOMPARE(b.size(), QSize(101, 30));
    }

    void imageButtonPressDragRelease_data()
    {
        QTest::addColumn<QList<QPoint>>("moves");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("pressedDuringLastMove");
        QTest::newRow("click in place") << QList<QPoint>{} << QPoint(10, 10) << 1 << true;
        QTest::newRow("drag out, release outside")
            << QList<QPoint>{{50, 10}, {150, 10}} << QPoint(150, 10) << 0 << false;
        QTest::newRow("drag out and back in")
            << QList<QPoint>{{-5, 10}, {20, 20}} << QPoint(20, 20) << 1 << true;
        QTest::newRow("leave at the right edge") << QList<QPoint>{{101, 5}} << QPoint(101, 5) << 0 << false;
        QTest::newRow("leave at the bottom edge") << QList<QPoint>{{5, 30}} << QPoint(5, 30) << 0 << false;
    }

    void imageButtonPressDragRelease()
    {
        QFETCH(QList<QPoint>, moves);
        QFETCH(QPoint, release);
        QFETCH(int, clicks);
        QFETCH(bool, pressedDuringLastMove);
        TImageBtn b;
        b.setPicture(filled(Qt::blue));
        b.SetGlyph(filled(Qt::green));
        QSignalSpy clicked(&b, &TImageBtn::clicked);

        send(&b, QEvent::MouseButtonPress, {10, 10});
        QCOMPARE(shown(b), QColor(Qt::green).rgb());
        for (const QPoint &p : moves)
            send(&b, QEvent::MouseMove, p);
        QCOMPARE(shown(b), QColor(pressedDuringLastMove ? Qt::green : Qt::blue).rgb());
        send(&b, QEvent::MouseButtonRelease, release);

        QCOMPARE(clicked.count(), clicks);
        QCOMPARE(shown(b), QColor(Qt::blue).rgb());
        QVERIFY(!b.isShowingPressed());
        QVERIFY(!b.isMouseIn());
    }

    void imageButtonSecondPressKeepsTheNormalPicture()
    {
        TImageBtn b;
        b.setPicture(filled(Qt::blue));
        b.SetGlyph(filled(Qt::green));
        send(&b, QEvent::MouseButtonPress, {10, 10});
        send(&b, QEvent::MouseButtonPress, {10, 10}, Qt::RightButton);
        send(&b, QEvent::MouseButtonRelease, {10, 10});
        QCOMPARE(shown(b), QColor(Qt::blue).rgb());
    }

    void imageButtonMovesWithoutPressAreIgnored()
    {
        TImageBtn b;
        b.setPicture(filled(Qt::blue));
        b.SetGlyph(filled(Qt::green));
        send(&b, QEvent::MouseMove, {10, 10});
        QCOMPARE(shown(b), QColor(Qt::blue).rgb());
    }

    void fullStopRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Datei fehlt" << "Datei fehlt.";
        QTest::newRow("digit") << "Fehler 5" << "Fehler 5.";
        QTest::newRow("question mark") << "Wie?" << "Wie?.";
        QTest::newRow("colon") << "Grund:" << "Grund:.";
        QTest::newRow("umlaut") << "Zu groß" << "Zu groß.";
        QTest::newRow("full stop") << "Fertig." << "Fertig.";
        QTest::newRow("exclamation") << "Achtung!" << "Achtung!";
        QTest::newRow("comma") << "eins," << "eins,";
        QTest::newRow("closing bracket") << "(x)" << "(x)";
        QTest::newRow("empty") << "" << "";
    }

    void fullStopRule()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(errorReportText(text), shown);
    }

    // A window going away must not take the reporter of the window after it.
    void errorReporterIsClearedOnlyByItsOwner()
    {
        int first = 0;
        int second = 0;
        setErrorReporter([&](const QString &) { ++first; }, &first);
        setErrorReporter([&](const QString &) { ++second; }, &second);
        clearErrorReporter(&first);
        reportError(QStringLiteral("x"));
        QCOMPARE(first, 0);
        QCOMPARE(second, 1);
        clearErrorReporter(&second);
        setErrorReporter([&](const QString &) { ++first; }, &first);
        reportError(QStringLiteral("y"));
        QCOMPARE(first, 1);
        clearErrorReporter(&first);
    }

    void aboutBoxShowsThisYear()
    {
        TAboutBox box;
        const QString year = QString::number(QDate::currentDate().year());
        QVERIFY2(box.noticeLabel()->text().contains(year), qPrintable(box.noticeLabel()->text()));
        QVERIFY(!box.noticeLabel()->text().contains(QLatin1String("XXXX")));
        QCOMPARE(box.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(box.size(), QSize(664, 453));
        QCOMPARE(fillYear("XXXX bis XXXX", 2031), QStringLiteral("2031 bis XXXX"));
        QCOMPARE(fillYear("ohne", 2031), QStringLiteral("ohne"));
    }

    void classicFiltersBecomeQtFilters()
    {
        QCOMPARE(classicFilterToQt("Alle Bilder|*.bmp;*.gif|Windows-Bitmap (*.bmp)|*.bmp"),
                 (QStringList{"Alle Bilder (*.bmp *.gif)", "Windows-Bitmap (*.bmp)"}));
        QCOMPARE(classicFilterToQt("Farbliste (*.far)|*.far"), QStringList{"Farbliste (*.far)"});
        QVERIFY(classicFilterToQt("").isEmpty());
    }

    void pictureButtonPicturesDifferWhenPressed()
    {
        const QImage up = imageButtonPicture("Info", false).toImage();
        const QImage down = imageButtonPicture("Info", true).toImage();
        QCOMPARE(up.size(), QSize(101, 30));
        QVERIFY(up != down);
        QVERIFY(!glyphIcon(Glyph::Save).isNull());
    }
};

int main(int argc, char **argv)
{
    NuanzaApplication app(argc, argv);
    ControlsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ControlsTest.moc"
