// Program start: titles and Qt's own texts in German.
#include "ErrorReport.h"
#include "Startup.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void titles()
    {
        // No display name of its own: the platform would append it to the caption.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        // The program file's name names the settings; a test binary stands in for it.
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("test_app_start"));
    }

    void standardButtonsInGerman_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << "Ja";
        QTest::newRow("No") << int(QMessageBox::No) << "Nein";
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << "Abbrechen";
    }
    void standardButtonsInGerman()
    {
        QFETCH(int, button);
        QFETCH(QString, text);
        QMessageBox box(QMessageBox::Question, QStringLiteral("Speichern"), QStringLiteral("?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::StandardButton(button))->text().remove(QLatin1Char('&')), text);
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    setupApplication(app);
    StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StartupTest.moc"
