// The main window as a whole: its controls, start state, pages, status bar,
// caption, closing questions and error report, driven through a scripted
// UserDialogs.
#include "AboutBoxUnit.h"
#include "CanvasBox.h"
#include "ErrorReport.h"
#include "ImageBtnUnit.h"
#include "FormatCodes.h"
#include "MainUnit.h"
#include "WindowFixture.h"
#include "PaintBox.h"
#include "PaintRecorder.h"
#include "Startup.h"
#include "StatusBar.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPaintEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QAbstractSpinBox>
#include <QAbstractButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <stdexcept>

using Buttons = QMessageBox::StandardButtons;

namespace {

const QString kSaveQuestion =
    QStringLiteral("Die Datei wurde noch nicht gespeichert. Wollen Sie jetzt speichern?");
const QString kSettingsQuestion =
    QStringLiteral("Wollen Sie die Einstellungen für den Radius, den Zoom und die Helligkeit speichern?");

} // namespace

class MainWindowTest : public QObject, WindowFixture {
    Q_OBJECT


    // Null when the window has no such control.
    template <class W = QWidget> W *child(const char *name)
    {
        return window->findChild<W *>(QLatin1String(name));
    }

private slots:
    void init()
    {
        openWindow();
    }
    void cleanup() { closeWindow(); }

    void captionAndClientArea()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("MERIDAN Nuanza 1.5"));
        QCOMPARE(window->captionBase(), QStringLiteral("MERIDAN Nuanza 1.5"));
        QVERIFY(showWindow());
        QCOMPARE(window->size(), QSize(1060, 583));
        // Smaller screens still take the whole window.
        QVERIFY2(window->minimumSizeHint().width() <= 1024 && window->minimumSizeHint().height() <= 700,
                 qPrintable(QStringLiteral("%1 x %2").arg(window->minimumSizeHint().width()).arg(window->minimumSizeHint().height())));
    }

    void pages_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("header");
        QTest::newRow("0") << 0 << "TabSheetMotivLaden" << "Motiv laden"
                           << "Motiv laden - Wählen Sie ein Bild aus, welches coloriert werden soll!";
        QTest::newRow("1") << 1 << "TabSheet2" << "Foto colorieren"
                           << "Colorieren - Wählen Sie einen Farbwert und klicken Sie mit dem Pinsel in das Bild";
        QTest::newRow("2") << 2 << "TabSheet1" << "Ergebnis verarbeiten"
                           << "Ergebnis verarbeiten - Bild bertrachten, speichern und drucken";
    }
    void pages()
    {
        QFETCH(int, index);
        QFETCH(QString, sheet);
        QFETCH(QString, tab);
        QFETCH(QString, header);
        QTabWidget *pages = control<QTabWidget>(*window, "PageControl2");
        QCOMPARE(pages->count(), 3);
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(pages->widget(index)->objectName(), sheet);
        QCOMPARE(pages->tabText(index), tab);
        QVERIFY(!pages->tabIcon(index).isNull());

        // The header bar is the first thing on its page.
        QWidget *page = pages->widget(index);
        QLabel *bar = nullptr;
        for (QLabel *label : page->findChildren<QLabel *>())
            if (label->text() == header)
                bar = label;
        QVERIFY(bar);
        QVERIFY(showWindow());
        pages->setCurrentIndex(index);
        QCOMPARE(bar->height(), 33);
        QCOMPARE(bar->mapTo(page, QPoint(0, 0)).y(), 0);
        QVERIFY(bar->font().bold());
        QCOMPARE(bar->frameShadow(), QFrame::Raised);
        QCOMPARE(bar->grab().toImage().pixelColor(bar->width() / 2, bar->height() - 4),
                 QColor(240, 202, 166));
    }

    void pageButtonsSelectWithoutChangeHandler_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("index");
        QTest::newRow("Button3") << "Button3" << 0;
        QTest::newRow("Button2") << "Button2" << 1;
        QTest::newRow("Button1") << "Button1" << 2;
    }
    void pageButtonsSelectWithoutChangeHandler()
    {
        QFETCH(QString, button);
        QFETCH(int, index);
        QVERIFY(showWindow());
        control<QTabWidget>(*window, "PageControl2")->setCurrentIndex((index + 1) % 3);
        // Let the page paint first: a canvas redraw rightly clears the flag too.
        QCoreApplication::processEvents();
        control<TCanvasBox>(*window, "PaintBox1")->setOutlineOnScreen(true);
        QTest::mouseClick(child<QPushButton>(button.toLatin1()), Qt::LeftButton);
        QCOMPARE(control<QTabWidget>(*window, "PageControl2")->currentIndex(), index);
        QVERIFY(control<TCanvasBox>(*window, "PaintBox1")->outlineOnScreen());
    }

    void tabChangeClearsOutlineFlag()
    {
        QVERIFY(showWindow());
        control<TCanvasBox>(*window, "PaintBox1")->setOutlineOnScreen(true);
        QTabBar *tabs = control<QTabWidget>(*window, "PageControl2")->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QCOMPARE(control<QTabWidget>(*window, "PageControl2")->currentIndex(), 2);
        QVERIFY(!control<TCanvasBox>(*window, "PaintBox1")->outlineOnScreen());
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("spoken");
        const auto row = [](const char *name, const char *type, const char *place, const char *text,
                            const char *hint, const char *spoken) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(type)
                                << QString::fromUtf8(place) << QString::fromUtf8(text)
                                << QString::fromUtf8(hint) << QString::fromUtf8(spoken);
        };
        row("LastSavedEd", "QLineEdit", "TopPanel", "", "", "Zuletzt gespeichertes Bild:");
        row("LastSavedWithPathEd", "QLineEdit", "TopPanel", "", "", "Zuletzt gespeichertes Bild mit Pfad");
        row("FarbenBtn", "QPushButton", "TopPanel", "Farben", "", "Farben");
        row("BildfolgeBtn", "QPushButton", "TopPanel", "Bildfolge", "", "Bildfolge");
        row("StapelverarbeitungBtn", "QPushButton", "TopPanel", "Stapelverarbeitung", "", "Stapelverarbeitung");
        row("OpenPictureBtn", "QToolButton", "TopPanel", "", "Öffnen... (Strg+O)", "Öffnen...");
        row("SaveBtn", "QToolButton", "TopPanel", "", "Speichern (Strg+S)", "Speichern");
        row("MySaveAsBtn", "QToolButton", "TopPanel", "", "Speichern unter... (Strg+Umschalt+S)", "Speichern unter...");
        row("PreviousPictureBtn", "QPushButton", "PageButtonPanel", "Vorheriges Bild laden...", "Vorheriges Bild laden... (Bild auf)",
            "Vorheriges Bild laden...");
        row("BitBtn1", "QPushButton", "PageButtonPanel", "Nächstes Bild laden...", "Nächstes Bild laden... (Bild ab)",
            "Nächstes Bild laden...");
        row("Button3", "QPushButton", "PageButtonPanel", "Motiv laden", "", "Motiv laden");
        row("Button2", "QPushButton", "PageButtonPanel", "Foto colorieren", "", "Foto colorieren");
        row("Button1", "QPushButton", "PageButtonPanel", "Ergebnis verarbeiten", "", "Ergebnis verarbeiten");

        row("PrefListBox", "QListWidget", "TabSheetMotivLaden", "", "", "Lieblings Ordner:");
        row("JamShellTree1", "QTreeView", "TabSheetMotivLaden", "", "", "Ordner");
        row("JamShellList1", "QListView", "TabSheetMotivLaden", "", "", "Dateien");
        row("FilterComboBox1", "QComboBox", "TabSheetMotivLaden", "",
            "Hier können Sie die angezeigten Dateitypen wählen",
            "Hier können Sie die angezeigten Dateitypen wählen");
        row("PreviousBtn2", "QPushButton", "TabSheetMotivLaden", "Vorheriges Bild laden...", "Vorheriges Bild laden... (Bild auf)",
            "Vorheriges Bild laden...");
        row("NextPictureBtn", "QPushButton", "TabSheetMotivLaden", "Nächstes Bild laden...", "Nächstes Bild laden... (Bild ab)",
            "Nächstes Bild laden...");
        row("DibPrevPaint", "TPaintBox", "TabSheetMotivLaden", "", "Zeigt eine Vorschau des geladenen Bildes",
            "Vorschau");
        row("Breit", "QLineEdit", "TabSheetMotivLaden", "320 Pixels",
            "Zeigt die Breite des gewählten Bildes in Pixeln", "Breite:");
        row("Hoch", "QLineEdit", "TabSheetMotivLaden", "200 Pixels",
            "Zeigt die Höhe des gewählten Bildes in Pixeln", "Höhe:");
        row("Tief", "QLineEdit", "TabSheetMotivLaden", "256", "Zeigt die Anzahl der Farben des gewählten Bildes",
            "Farben:");

        row("ToolButton1", "QToolButton", "ToolBar1", "Haut", "", "Haut");
        row("ToolButton7", "QToolButton", "ToolBar1", "Haut 2", "", "Haut 2");
        row("ToolButton2", "QToolButton", "ToolBar1", "Himmel", "", "Himmel");
        row("ToolButton3", "QToolButton", "ToolBar1", "Wasser", "", "Wasser");
        row("ToolButton4", "QToolButton", "ToolBar1", "Sand", "", "Sand");
        row("ToolButton5", "QToolButton", "ToolBar1", "Gras", "", "Gras");
        row("ToolButton6", "QToolButton", "ToolBar1", "Steine", "", "Steine");
        row("ToolButton8", "QToolButton", "ToolBar1", "Berg", "", "Berg");
        row("ToolButton9", "QToolButton", "ToolBar1", "Holz", "", "Holz");
        row("ToolButton10", "QToolButton", "ToolBar1", "Wald", "", "Wald");
        row("GrrayBtn", "TBitBtnXP", "TabSheet2", "Graustufen", "", "Graustufen");
        row("SoftenBtn", "TBitBtnXP", "TabSheet2", "Weichzeichnen", "", "Weichzeichnen");
        row("ColorAllBtn", "TBitBtnXP", "TabSheet2", "Alles einfärben", "", "Alles einfärben");
        row("HueED", "QSpinBox", "TabSheet2", "", "", "Farbe:");
        row("SatEd", "QSpinBox", "TabSheet2", "", "", "Sättigung:");
        row("BrightEd", "QSpinBox", "TabSheet2", "", "", "Helligkeit (+/-):");
        row("Edit1", "QLineEdit", "TabSheet2", "Farbe 1", "", "Name für Farbe:");
        row("SaveColorinListBtn", "QPushButton", "TabSheet2", "Farbe in Liste speichern", "",
            "Farbe in Liste speichern");
        row("ChangeColorBtn", "QPushButton", "TabSheet2", "Farbe ändern", "Farbe in der Farbliste überschreiben",
            "Farbe ändern");
        row("DelColorBtn", "QPushButton", "TabSheet2", "Farbe löschen", "", "Farbe löschen");
        row("MoveColorUpBtn", "QToolButton", "TabSheet2", "", "Farbe nach oben verschieben",
            "Farbe nach oben verschieben");
        row("MoveColorDownBtn", "QToolButton", "TabSheet2", "", "Farbe nach  unten verschieben",
            "Farbe nach  unten verschieben");
        row("ListView1", "QTreeWidget", "TabSheet2", "", "", "Farbliste");
        row("MoveUpBtn", "QToolButton", "TabSheet2", "", "", "Farbebene nach oben");
        row("MoveLeftBtn", "QToolButton", "TabSheet2", "", "", "Farbebene nach links");
        row("MoveRightBtn", "QToolButton", "TabSheet2", "", "", "Farbebene nach rechts");
        row("MoveDownBtn", "QToolButton", "TabSheet2", "", "", "Farbebene nach unten");
        row("MovePixelEd", "QSpinBox", "TabSheet2", "", "", "Farbeebene bewegen um x Pixel:");
        row("Shape5", "TShape", "TabSheet2", "", "", "Farbe fürs Malen:");
        row("MalenCheck", "QCheckBox", "TabSheet2", "Malen statt colorieren", "", "Malen statt colorieren");
        row("FestMalenCheck", "QCheckBox", "TabSheet2", "Permanent malen", "", "Permanent malen");
        row("PaintBox1", "TPaintBox", "ScrollBox1", "", "", "Arbeitsfläche");
        row("ColorierenBtn", "QToolButton", "SpeedBar1", "Colorierer", "Ersetzt die Farbe und Sättigung (B)",
            "Colorierer");
        row("RadiergummiBtn", "QToolButton", "SpeedBar1", "Radierer",
            "Stellt die ursprünglliche Farbpalette wieder her (E)", "Radierer");
        row("PipetteBtn", "QToolButton", "SpeedBar1", "Pipette", "PipetteBtn (I)", "Pipette");
        row("LinieBtn", "QToolButton", "SpeedBar1", "Linie", "Linie (L)", "Linie");
        row("RadiusED", "QSpinBox", "SpeedBar1", "", "Radius in dem der Effekt angewendet werden soll ([ und ], mit Umschalt um 10)", "Radius:");
        row("Radius2Ed", "QSpinBox", "SpeedBar1", "", "Radius in dem der Effekt angewendet werden soll ([ und ], mit Umschalt um 10)", "Radius:");
        row("ZoomEd", "QSpinBox", "SpeedBar1", "", "Stellt das Bild größer oder kleiner da (Strg+Mausrad, Strg++ und Strg+-, Strg+0: 100 %)", "Zoom:");
        row("PalPaintBox", "TPaintBox", "PalPanel", "", "", "Farbfeld");
        row("Shape1", "TShape", "PalPanel", "", "", "Farbprobe dunkel");
        row("Shape2", "TShape", "PalPanel", "", "", "Farbe unter dem Mauszeiger");
        row("Shape3", "TShape", "PalPanel", "", "", "Farbprobe mittel");
        row("Shape4", "TShape", "PalPanel", "", "", "Farbprobe hell");
        row("HueLabel", "QLabel", "PalPanel", "Hue", "", "Hue");
        row("SatLabel", "QLabel", "PalPanel", "Sat", "", "Sat");

        row("SaveAsBtn", "TBitBtnXP", "ErgPanel", "Bild &speichern unter...", "", "Bild speichern unter...");
        row("PrintBtn", "TBitBtnXP", "ErgPanel", "Bild &drucken...", "", "Bild drucken...");
        row("ErgPaintBox", "TPaintBox", "ErgScrollBox", "", "", "Ergebnisansicht");

        row("wwwBtn", "QPushButton", "BottomPanel", kMeridanWebAddress, "Auf zur MERIDAN Homepage...",
            kMeridanWebAddress);
        row("ueberbtn", "TImageBtn", "BottomPanel", "", "Informationen über das Programm (F1)",
            "Informationen über das Programm");
        row("endebtn", "TImageBtn", "BottomPanel", "", "Hiermit verlassen Sie das Programm",
            "Hiermit verlassen Sie das Programm");
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(QString, place);
        QFETCH(QString, text);
        QFETCH(QString, hint);
        QFETCH(QString, spoken);
        QWidget *widget = child(name.toLatin1());
        QVERIFY2(widget, qPrintable(name));
        QVERIFY2(widget->inherits(type.toLatin1()), widget->metaObject()->className());
        QVERIFY(child(place.toLatin1())->isAncestorOf(widget));
        if (!text.isEmpty())
            QCOMPARE(widget->property("text").toString(), text);
        // Where no hint is given here, the control has one of its own (below).
        if (!hint.isEmpty())
            QCOMPARE(widget->toolTip(), hint);
        QCOMPARE(widget->accessibleName(), spoken);
    }

    void everyControlHasAHint()
    {
        QStringList without;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            const bool control = qobject_cast<QAbstractButton *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)
                                 || qobject_cast<QComboBox *>(widget)
                                 || (qobject_cast<QLineEdit *>(widget) && !qobject_cast<QAbstractSpinBox *>(widget->parent())
                                     && !qobject_cast<QComboBox *>(widget->parent()))
                                 || qobject_cast<TImageBtn *>(widget);
            // The tab bar's own scroll buttons and hidden fields are not the window's controls.
            if (control && !widget->objectName().isEmpty() && !widget->objectName().startsWith(QLatin1String("qt_"))
                && !qobject_cast<QTabBar *>(widget->parent())
                && !widget->isHidden() && widget->toolTip().trimmed().isEmpty())
                without << widget->objectName();
        }
        QVERIFY2(without.isEmpty(), qPrintable(without.join(QLatin1String(", "))));
    }

    void spinFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("start");
        QTest::newRow("HueED") << "HueED" << 0 << 255 << 1 << 20; // the start colour
        QTest::newRow("SatEd") << "SatEd" << 0 << 255 << 1 << 141;
        QTest::newRow("BrightEd") << "BrightEd" << -100 << 100 << 1 << 0;
        QTest::newRow("MovePixelEd") << "MovePixelEd" << 1 << 100 << 1 << 1;
        QTest::newRow("RadiusED") << "RadiusED" << 1 << 100 << 10 << 10;
        QTest::newRow("Radius2Ed") << "Radius2Ed" << 1 << 100 << 1 << 10;
        QTest::newRow("ZoomEd") << "ZoomEd" << 10 << 1000 << 10 << 100;
    }
    void spinFields()
    {
        QFETCH(QString, name);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, step);
        QFETCH(int, start);
        auto *spin = child<QSpinBox>(name.toLatin1());
        QVERIFY(spin);
        QCOMPARE(spin->minimum(), minimum);
        QCOMPARE(spin->maximum(), maximum);
        QCOMPARE(spin->singleStep(), step);
        QCOMPARE(spin->value(), start);
    }

    void fixedSizesAndPlaces_data()
    {
        // A negative coordinate or extent is not checked.
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        const QList<std::pair<const char *, QRect>> rows = {
            {"Shape1", {4, 4, 22, 45}},         {"Shape3", {25, 4, 21, 45}},
            {"Shape4", {45, 4, 22, 45}},        {"Shape2", {4, 50, 64, 14}},
            {"PalPaintBox", {0, 64, 72, 264}},  {"HueLabel", {0, 328, 72, 16}},
            {"SatLabel", {0, 344, 72, 16}},     {"PaintBox1", {0, 0, 320, 200}},
            {"Shape5", {-1, -1, 65, 41}},       {"MoveUpBtn", {-1, -1, 41, 41}},
            {"ColorierenBtn", {-1, -1, 78, 64}}, {"SpeedBar1", {-1, -1, 84, -1}},
            {"PalPanel", {-1, -1, 72, -1}},     {"ueberbtn", {-1, -1, 101, 30}},
            {"endebtn", {-1, -1, 101, 30}},     {"TopPanel", {-1, -1, -1, 32}},
            {"PageButtonPanel", {-1, -1, -1, 24}}, {"BottomPanel", {-1, -1, -1, 41}},
            {"StatusBar1", {-1, -1, -1, 19}},
        };
        for (const auto &[name, geometry] : rows)
            QTest::newRow(name) << QString::fromLatin1(name) << geometry;
    }
    void fixedSizesAndPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QVERIFY(showWindow());
        control<QTabWidget>(*window, "PageControl2")->setCurrentIndex(1);
        QWidget *widget = child(name.toLatin1());
        QVERIFY(widget);
        if (geometry.x() >= 0)
            QCOMPARE(widget->pos(), geometry.topLeft());
        if (geometry.width() >= 0)
            QCOMPARE(widget->width(), geometry.width());
        if (geometry.height() >= 0)
            QCOMPARE(widget->height(), geometry.height());
    }

    void colourListAndTools()
    {
        QTreeWidget *list = control<QTreeWidget>(*window, "ListView1");
        QCOMPARE(list->columnCount(), 3);
        const QTreeWidgetItem *header = list->headerItem();
        QCOMPARE(header->text(0), QStringLiteral("Name"));
        QCOMPARE(header->text(1), QStringLiteral("Farbe"));
        QCOMPARE(header->text(2), QStringLiteral("Sättigung"));
        QCOMPARE(list->columnWidth(0), 75);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->topLevelItemCount(), 0);

        // One tool is down at a time; the colouring tool at start.
        QVERIFY(control<QToolButton>(*window, "ColorierenBtn")->isChecked());
        QVERIFY(showWindow());
        control<QTabWidget>(*window, "PageControl2")->setCurrentIndex(1);
        QTest::mouseClick(control<QToolButton>(*window, "PipetteBtn"), Qt::LeftButton);
        QVERIFY(control<QToolButton>(*window, "PipetteBtn")->isChecked());
        QVERIFY(!control<QToolButton>(*window, "ColorierenBtn")->isChecked());

        QVERIFY(!control<QTimer>(*window, "Timer1")->isActive());
        QCOMPARE(control<QTimer>(*window, "Timer1")->interval(), 1000);
        QVERIFY(control<QLineEdit>(*window, "LastSavedWithPathEd")->isHidden());
        QCOMPARE(control<TShape>(*window, "Shape5")->brushColor(), QColor(255, 0, 255));
        QVERIFY(control<QPushButton>(*window, "wwwBtn")->isFlat());
    }

    void popupMenus_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("items"); // objectName=caption, "-" for a separator
        QTest::newRow("Farben") << "FarbenBtn" << "FarbenPopup"
            << QStringList{"FarbenvomVorgngerbildbernehmen1=Farben direkt vom Vorgängerbild übernehmen...",
                           "FarbenvoneinemVorgngerbildbernehmen1=Farben von einem Vorgängerbild übernehmen...",
                           "FarbenmitBewegungbernehmen1=Farben mit Bewegung übernehmen...",
                           "-", "Farblisteneu1=Farbliste neu...", "-",
                           "Farblisteffnen1=Farbliste öffnen...", "Farblistespeichern1=Farbliste speichern..."};
        QTest::newRow("Bildfolge") << "BildfolgeBtn" << "BildfolgePopup"
            << QStringList{"SpeichernalsBildfolgemitNummerierung1=Speichern als Bildfolge mit Nummerierung..."};
        QTest::newRow("Stapel") << "StapelverarbeitungBtn" << "StapelverarbeitungPopup"
            << QStringList{"AlleausgewhltenBildercolorieren1=Alle ausgewählten Bilder colorieren..."};
    }
    void popupMenus()
    {
        QFETCH(QString, button);
        QFETCH(QString, menu);
        QFETCH(QStringList, items);
        auto *popup = window->findChild<QMenu *>(menu);
        QVERIFY(popup);
        const QList<QAction *> actions = popup->actions();
        QCOMPARE(actions.size(), items.size());
        for (int i = 0; i < items.size(); ++i) {
            if (items[i] == QLatin1String("-")) {
                QVERIFY(actions[i]->isSeparator());
                continue;
            }
            QCOMPARE(actions[i]->objectName() + QLatin1Char('=') + actions[i]->text(), items[i]);
        }
        QVERIFY(showWindow());
        QTest::mouseClick(child(button.toLatin1()), Qt::LeftButton);
        QTRY_VERIFY(popup->isVisible());
        popup->close();
    }

    void startState()
    {
        for (const dib *picture : {&window->di.get(), &window->outdi.get()}) {
            QCOMPARE(dibwidth(*picture), 320);
            QCOMPARE(dibheight(*picture), 200);
            QCOMPARE(dibbits(*picture), 24);
            QVERIFY(picture->poi);
            const qsizetype size = qsizetype(picture->bytew) * 200;
            QVERIFY(picture->bytew >= 960);
            const QByteArray block(reinterpret_cast<const char *>(picture->poi), size);
            QCOMPARE(block.count(char(255)), size);
        }
        QVERIFY(window->di->poi != window->outdi->poi);
        QCOMPARE(control<TCanvasBox>(*window, "PaintBox1")->size(), QSize(320, 200));
        QCOMPARE(window->ghue, 20);
        QCOMPARE(window->gsat, 141);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 0);
        QVERIFY(!window->changed);

        const QString programFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
        QCOMPARE(window->progpath, programFolder + QDir::separator());
        QCOMPARE(window->saveFolder(), window->progpath);
        QCOMPARE(control<QFileSystemModel>(*window, "folderModel")
                     ->filePath(control<QTreeView>(*window, "JamShellTree1")->currentIndex()),
                 QCoreApplication::applicationDirPath());
    }

    void filterBoxHidesOtherFiles()
    {
        const QList<FilterEntry> filter = parseFilter(QString::fromLocal8Bit(GetDIBOpenFilter()));
        QVERIFY(filter.size() > 1);
        QComboBox *box = control<QComboBox>(*window, "FilterComboBox1");
        QCOMPARE(box->count(), filter.size());
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(box->currentText(), filter[0].description);
        QCOMPARE(control<QFileSystemModel>(*window, "fileModel")->nameFilters(), filter[0].masks);
        QVERIFY(!control<QFileSystemModel>(*window, "fileModel")->nameFilterDisables());

        // Not in /tmp: the tree may already be reading /tmp (an ancestor of the
        // program folder), and a listing taken before this folder existed would
        // remove it again and move the tree's selection to a neighbour.
        QTemporaryDir folder(QDir::homePath() + QStringLiteral("/filter-XXXXXX"));
        QVERIFY(folder.isValid());
        for (const char *name : {"upper.BMP", "lower.bmp", "notes.txt"}) {
            QFile file(folder.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("sub")));
        window->SelectTreeFolder(folder.path());
        const auto listed = [&] {
            QStringList names;
            const QModelIndex root = control<QListView>(*window, "JamShellList1")->rootIndex();
            for (int row = 0; row < control<QFileSystemModel>(*window, "fileModel")->rowCount(root); ++row)
                names << control<QFileSystemModel>(*window, "fileModel")->index(row, 0, root).data().toString();
            names.sort();
            return names;
        };
        QTRY_COMPARE(listed(), (QStringList{"lower.bmp", "sub", "upper.BMP"}));

        // A user's choice of another entry takes its masks.
        const auto gif = std::find_if(filter.begin(), filter.end(), [](const FilterEntry &e) {
            return e.masks.contains(QStringLiteral("*.gif"), Qt::CaseInsensitive)
                   && !e.masks.contains(QStringLiteral("*.bmp"), Qt::CaseInsensitive);
        });
        QVERIFY(gif != filter.end());
        box->setCurrentIndex(int(gif - filter.begin()));
        QCOMPARE(control<QFileSystemModel>(*window, "fileModel")->nameFilters(), gif->masks);
        QTRY_COMPARE(listed(), QStringList{"sub"});
    }

    void gaugeFillsFromPanelLeft()
    {
        QVERIFY(showWindow());
        TStatusBar *bar = control<TStatusBar>(*window, "StatusBar1");
        QVERIFY(!bar->gaugeRect().isEmpty());
        QCOMPARE(bar->gaugeRect(), bar->panelRect(1));
        QVERIFY(bar->gaugeRect().left >= TStatusBar::kPanel0Width);
        QVERIFY(bar->width() - bar->gaugeRect().right <= 2);

        window->SetProStatus(37);
        const int split = gaugeSplit(bar->gaugeRect(), 37);
        const QImage image = bar->grab().toImage();
        const int y = (bar->gaugeRect().top + bar->gaugeRect().bottom) / 2;
        QCOMPARE(image.pixelColor(bar->gaugeRect().left, y), QColor(0, 0, 128));
        QCOMPARE(image.pixelColor(split - 1, y), QColor(0, 0, 128));
        QCOMPARE(image.pixelColor(split, y), bar->palette().color(QPalette::Button));
    }

    void setProStatusPaintsAtOnce()
    {
        QVERIFY(showWindow());
        PaintRecorder painted(control<TStatusBar>(*window, "StatusBar1"));
        const PixelRect panel = control<TStatusBar>(*window, "StatusBar1")->gaugeRect();

        window->SetProStatus(50);
        QCOMPARE(painted.rects, QList<QRect>{toQRect(gaugeFilledRect(panel, 50))});

        painted.rects.clear();
        window->SetProStatus(50);
        QCOMPARE(painted.rects, QList<QRect>{toQRect(gaugeFilledRect(panel, 50))});

        // A falling value clears what is no longer filled: the whole bar.
        painted.rects.clear();
        window->SetProStatus(20);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 20);
        QCOMPARE(painted.rects, QList<QRect>{control<TStatusBar>(*window, "StatusBar1")->rect()});
    }

    void setProStatusBeforeFirstPaintDrawsNothing()
    {
        PaintRecorder painted(control<TStatusBar>(*window, "StatusBar1"));
        window->SetProStatus(50);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 50);
        QVERIFY(control<TStatusBar>(*window, "StatusBar1")->gaugeRect().isEmpty());
        QVERIFY(painted.rects.isEmpty());
    }

    void progressSinkReachesGauge()
    {
        bk3_sink *sink = window->messageSink();
        sink->send(sink->target, BK3_WM_USER, 42, 0);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 42);
        sink->send(sink->target, BK3_WM_USER + 1, 77, 0);
        QCOMPARE(control<TStatusBar>(*window, "StatusBar1")->progress(), 42);
    }

    void captionMarksChanges()
    {
        window->afilename = QDir::toNativeSeparators(QStringLiteral("/home/anna/Bilder/opa.jpg"));
        window->SetUnChanged();
        QCOMPARE(window->windowTitle(), QStringLiteral("MERIDAN Nuanza 1.5 - [opa.jpg]"));
        window->SetChanged();
        QVERIFY(window->changed);
        QCOMPARE(window->windowTitle(), QStringLiteral("MERIDAN Nuanza 1.5 - [opa.jpg*]"));
        window->SetUnChanged();
        QVERIFY(!window->changed);
    }

    void closeQuestions_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("saveDialogs");
        const int yes = QMessageBox::Yes, no = QMessageBox::No, cancel = QMessageBox::Cancel;
        QTest::newRow("unchanged, keep settings") << false << QList<int>{no} << QStringList{kSettingsQuestion} << true
                                                  << 0;
        QTest::newRow("unchanged, save settings") << false << QList<int>{yes} << QStringList{kSettingsQuestion} << true
                                                  << 0;
        QTest::newRow("changed, cancel") << true << QList<int>{cancel} << QStringList{kSaveQuestion} << false << 0;
        QTest::newRow("changed, box closed") << true << QList<int>{QMessageBox::NoButton}
                                             << QStringList{kSaveQuestion} << false << 0;
        // No file name yet: "Ja" opens the save dialog, here cancelled.
        QTest::newRow("changed, save cancelled") << true << QList<int>{yes} << QStringList{kSaveQuestion} << false
                                                 << 1;
        QTest::newRow("changed, drop changes") << true << QList<int>{no, no}
                                               << QStringList{kSaveQuestion, kSettingsQuestion} << true << 0;
    }
    void closeQuestions()
    {
        QFETCH(bool, changed);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, shown);
        QFETCH(bool, closes);
        QFETCH(int, saveDialogs);
        QVERIFY(showWindow());
        window->changed = changed;
        for (int answer : answers)
            dialogs->answers.push_back(QMessageBox::StandardButton(answer));
        dialogs->fileAnswers.push_back(FileAnswer{}); // a save dialog is cancelled

        QCOMPARE(window->close(), closes);
        QCOMPARE(window->isVisible(), !closes);
        QVERIFY(dialogs->answers.empty());
        QCOMPARE(dialogs->fileRequests.size(), saveDialogs);
        QCOMPARE(dialogs->messages.size(), shown.size());
        for (int i = 0; i < shown.size(); ++i) {
            const ShownMessage &message = dialogs->messages[i];
            QCOMPARE(message.text, shown[i]);
            if (message.text == kSaveQuestion) {
                QCOMPARE(message.title, QStringLiteral("Speichern"));
                QCOMPARE(message.icon, QMessageBox::Question);
                QCOMPARE(message.buttons, Buttons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));
            } else if (message.text == kSettingsQuestion) {
                QCOMPARE(message.title, QStringLiteral("Einstellungen speichern?"));
                QCOMPARE(message.icon, QMessageBox::Question);
                QCOMPARE(message.buttons, Buttons(QMessageBox::Yes | QMessageBox::No));
            } else {
                QVERIFY(message.title.isEmpty());
                QCOMPARE(message.icon, QMessageBox::Critical);
                QCOMPARE(message.buttons, Buttons(QMessageBox::Ok));
            }
        }
    }

    void endeButtonRunsCloseQuery()
    {
        QVERIFY(showWindow());
        dialogs->answers.push_back(QMessageBox::No);
        QTest::mouseClick(control<TImageBtn>(*window, "endebtn"), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, kSettingsQuestion);
        QVERIFY(!window->isVisible());
    }

    void infoButtonShowsAboutBox()
    {
        QVERIFY(showWindow());
        QString title;
        QObject *owner = nullptr;
        dialogs->execHook = [&](QDialog *dialog) {
            if (qobject_cast<TAboutBox *>(dialog)) {
                title = dialog->windowTitle();
                owner = dialog->parent();
            }
            return int(QDialog::Accepted);
        };
        QTest::mouseClick(control<TImageBtn>(*window, "ueberbtn"), Qt::LeftButton);
        QCOMPARE(dialogs->execs, 1);
        QCOMPARE(title, QStringLiteral("Info"));
        QCOMPARE(owner, window.get());
        QVERIFY(window->findChildren<TAboutBox *>().isEmpty());
    }

    void escapedErrorIsReported_data()
    {
        QTest::addColumn<QString>("thrown");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Read beyond end of file" << "Read beyond end of file.";
        QTest::newRow("colon") << "Fehler in Zeile 3:" << "Fehler in Zeile 3:.";
        QTest::newRow("full stop") << "Fehler beim Öffnen der Datei." << "Fehler beim Öffnen der Datei.";
        QTest::newRow("exclamation") << "Disk full!" << "Disk full!";
    }
    void escapedErrorIsReported()
    {
        QFETCH(QString, thrown);
        QFETCH(QString, shown);
        QVERIFY(showWindow());
        QTimer::singleShot(0, window.get(), [thrown] { throw std::runtime_error(thrown.toStdString()); });
        QTRY_COMPARE(dialogs->messages.size(), 1);
        const ShownMessage &message = dialogs->messages[0];
        QCOMPARE(message.text, shown);
        QCOMPARE(message.title, QStringLiteral("Nuanza 1.5"));
        QCOMPARE(message.icon, QMessageBox::Critical);
        QCOMPARE(message.buttons, Buttons(QMessageBox::Ok));
        QVERIFY(window->isVisible());
    }
};

int main(int argc, char *argv[])
{
    NuanzaApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setupApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
