// The window at small sizes and with larger fonts: no caption or field text of
// any page is cut, and the colour list's name column shows whole names.
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace {

QString shownText(QString text)
{
    return text.remove(QLatin1Char('&'));
}

// The room a control's text needs at its font, next to the parts the style
// draws beside it.
int neededWidth(const QWidget *widget)
{
    const QFontMetrics metrics(widget->font());
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->wordWrap() || label->text().isEmpty() ? 0 : label->minimumSizeHint().width();
    if (const auto *box = qobject_cast<const QAbstractSpinBox *>(widget))
        return box->minimumSizeHint().width();
    const auto *button = qobject_cast<const QAbstractButton *>(widget);
    if (button == nullptr || button->text().isEmpty())
        return 0;
    const int text = metrics.horizontalAdvance(shownText(button->text()));
    const QStyle *style = widget->style();
    if (qobject_cast<const QCheckBox *>(widget) || qobject_cast<const QRadioButton *>(widget))
        return text + style->pixelMetric(QStyle::PM_IndicatorWidth) + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    const auto *tool = qobject_cast<const QToolButton *>(widget);
    if (tool != nullptr && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
        return 0;
    if (tool != nullptr && tool->toolButtonStyle() == Qt::ToolButtonTextUnderIcon)
        return text;
    const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    return text + icon + 4;
}

} // namespace

class FitTest : public QObject, WindowFixture {
    Q_OBJECT

    // The controls of every page whose text does not fit, with what they need.
    QStringList cutTexts()
    {
        QStringList cut;
        auto *pages = control<QTabWidget>(*window, "PageControl2");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QTest::qWait(20);
            for (QWidget *widget : window->findChildren<QWidget *>()) {
                if (!widget->isVisible() || widget->window() != window.get())
                    continue;
                const int needed = neededWidth(widget);
                const int textHeight = QFontMetrics(widget->font()).height();
                if (needed > widget->width() || (needed > 0 && textHeight > widget->height()))
                    cut << QStringLiteral("%1 (%2): %3 x %4, needs %5 x %6")
                               .arg(widget->objectName(), QString::fromLatin1(widget->metaObject()->className()))
                               .arg(widget->width())
                               .arg(widget->height())
                               .arg(needed)
                               .arg(textHeight);
            }
        }
        return cut;
    }

    QFont designedFont;

private slots:
    void initTestCase() { designedFont = QApplication::font(); }
    void cleanup()
    {
        closeWindow();
        QApplication::setFont(designedFont);
    }

    void noTextCut_data()
    {
        QTest::addColumn<qreal>("fontScale");
        QTest::addColumn<QSize>("size");
        QTest::newRow("1024 x 700") << 1.0 << QSize(1024, 700);
        QTest::newRow("1280 x 800") << 1.0 << QSize(1280, 800);
        QTest::newRow("larger font, smallest window") << 1.3 << QSize(0, 0);
    }
    void noTextCut()
    {
        QFETCH(qreal, fontScale);
        QFETCH(QSize, size);
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * fontScale);
        QApplication::setFont(font);
        openWindow();
        window->resize(size.expandedTo(window->minimumSizeHint()));
        QVERIFY(showWindow());
        const QStringList cut = cutTexts();
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

    // The first start's growth rests on measuring the canvas of a hidden page.
    void canvasHeightOfTheHiddenColourPage()
    {
        openWindow();
        window->resize(1060, 700);
        QVERIFY(showWindow());
        const int predicted = window->colourPageCanvasHeight();
        control<QTabWidget>(*window, "PageControl2")->setCurrentIndex(1);
        QTest::qWait(20);
        QCOMPARE(predicted, control<QScrollArea>(*window, "ScrollBox1")->height());
        QVERIFY(predicted > 300);
    }

    void firstStartGrowsForTheCanvas()
    {
        openWindow();
        window->growWithoutStoredPlacement();
        QVERIFY(showWindow());
        const int room = window->screen()->availableGeometry().height() - 40;
        QCOMPARE(window->width(), 1060);
        QVERIFY(window->height() > 583 || room <= 583);
        control<QTabWidget>(*window, "PageControl2")->setCurrentIndex(1);
        QTest::qWait(20);
        const int canvas = control<QScrollArea>(*window, "ScrollBox1")->height();
        QVERIFY2(canvas == 400 || (canvas < 400 && window->height() == std::max(583, room)),
                 qPrintable(QStringLiteral("%1 high, canvas %2").arg(window->height()).arg(canvas)));
    }

    void nameColumnTakesTheLongestName()
    {
        openWindow();
        QVERIFY(showWindow());
        auto *list = control<QTreeWidget>(*window, "ListView1");
        QCOMPARE(list->columnWidth(0), 75); // short names keep the described width
        const QString name = QStringLiteral("Hintergrund links oben");
        control<QLineEdit>(*window, "Edit1")->setText(name);
        control<QPushButton>(*window, "SaveColorinListBtn")->click();
        QCOMPARE(list->topLevelItem(0)->text(0), name);
        const int textWidth = QFontMetrics(list->font()).horizontalAdvance(name);
        QVERIFY2(list->columnWidth(0) > textWidth, qPrintable(QString::number(list->columnWidth(0))));
    }
};

QTEST_MAIN(FitTest)
#include "FitTest.moc"
