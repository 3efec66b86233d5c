// The keys of today's editors, beside the buttons: open, save, step through the
// folder, the tools, the brush radius, zoom and the information dialog. They
// act on the pages where their action makes sense and never while a text field
// has the focus, whose own keys come first. The buttons' hints show them.
#include "CanvasZoom.h"
#include "ImageBtnUnit.h"
#include "MainUnit.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <functional>

namespace {

constexpr int kColourPage = 1;

bool textFieldHasFocus()
{
    const QWidget *focus = QApplication::focusWidget();
    return qobject_cast<const QLineEdit *>(focus) != nullptr || qobject_cast<const QAbstractSpinBox *>(focus) != nullptr
           || qobject_cast<const QTextEdit *>(focus) != nullptr
           || qobject_cast<const QPlainTextEdit *>(focus) != nullptr
           || (qobject_cast<const QComboBox *>(focus) != nullptr && static_cast<const QComboBox *>(focus)->isEditable());
}

void addHintKeys(QWidget *control, const QString &keys)
{
    const QString hint = control->toolTip().isEmpty() ? control->accessibleName() : control->toolTip();
    control->setToolTip(hint + QStringLiteral(" (") + keys + QLatin1Char(')'));
}

} // namespace

void TMainForm::wireKeys()
{
    const auto key = [this](const char *name, const QList<QKeySequence> &keys, bool colourPageOnly,
                            std::function<void()> act) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        action->setShortcuts(keys);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, colourPageOnly, act] {
            if (textFieldHasFocus() || (colourPageOnly && PageControl2->currentIndex() != kColourPage))
                return;
            act();
        });
    };
    key("OpenKey", {QKeySequence(Qt::CTRL | Qt::Key_O)}, false, [this] { OpenPictureBtnClick(); });
    key("SaveKey", {QKeySequence(Qt::CTRL | Qt::Key_S)}, false, [this] { SaveBtnClick(); });
    key("SaveAsKey", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, false, [this] { MySaveAsBtnClick(); });
    key("NextKey", {QKeySequence(Qt::Key_PageDown)}, false, [this] { NextPictureBtnClick(); });
    key("PreviousKey", {QKeySequence(Qt::Key_PageUp)}, false, [this] { PreviousPictureBtnClick(); });
    key("InfoKey", {QKeySequence(Qt::Key_F1)}, false, [this] { ueberbtnClick(); });
    const struct { const char *name; Qt::Key key; QToolButton *tool; } tools[] = {
        {"BrushKey", Qt::Key_B, ColorierenBtn},
        {"EraserKey", Qt::Key_E, RadiergummiBtn},
        {"PipetteKey", Qt::Key_I, PipetteBtn},
        {"LineKey", Qt::Key_L, LinieBtn},
    };
    for (const auto &tool : tools) {
        QToolButton *button = tool.tool;
        key(tool.name, {QKeySequence(tool.key)}, true, [button] { button->click(); });
        addHintKeys(button, QKeySequence(tool.key).toString());
    }
    // Shift gives braces on many layouts, so both spellings count.
    const auto radius = [this](int by) { return [this, by] { RadiusED->setValue(RadiusED->value() + by); }; };
    key("RadiusDownKey", {QKeySequence(Qt::Key_BracketLeft)}, true, radius(-1));
    key("RadiusUpKey", {QKeySequence(Qt::Key_BracketRight)}, true, radius(1));
    const auto shifted = [](Qt::Key bracket, Qt::Key brace) {
        return QList<QKeySequence>{QKeySequence(Qt::SHIFT | bracket), QKeySequence(brace), QKeySequence(Qt::SHIFT | brace)};
    };
    key("RadiusDown10Key", shifted(Qt::Key_BracketLeft, Qt::Key_BraceLeft), true, radius(-10));
    key("RadiusUp10Key", shifted(Qt::Key_BracketRight, Qt::Key_BraceRight), true, radius(10));

    const auto zoomBy = [this](int direction) {
        return [this, direction] { zoomCanvas(NextZoomStep(ZoomEd->value(), direction), canvasViewCentre()); };
    };
    key("ZoomInKey", {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, true, zoomBy(1));
    key("ZoomOutKey", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, true, zoomBy(-1));
    key("ZoomResetKey", {QKeySequence(Qt::CTRL | Qt::Key_0)}, true, [this] { zoomCanvas(100, canvasViewCentre()); });
    key("FitKey", {QKeySequence(Qt::CTRL | Qt::Key_9)}, true, [this] { fitCanvas(); });

    addHintKeys(OpenPictureBtn, QStringLiteral("Strg+O"));
    addHintKeys(SaveBtn, QStringLiteral("Strg+S"));
    addHintKeys(MySaveAsBtn, QStringLiteral("Strg+Umschalt+S"));
    for (QWidget *next : {static_cast<QWidget *>(BitBtn1), static_cast<QWidget *>(NextPictureBtn)})
        addHintKeys(next, QStringLiteral("Bild ab"));
    for (QWidget *previous : {static_cast<QWidget *>(PreviousPictureBtn), static_cast<QWidget *>(PreviousBtn2)})
        addHintKeys(previous, QStringLiteral("Bild auf"));
    for (QWidget *field : {RadiusED, Radius2Ed})
        addHintKeys(field, QStringLiteral("[ und ], mit Umschalt um 10"));
    addHintKeys(ZoomEd, QStringLiteral("Strg+Mausrad, Strg++ und Strg+-, Strg+0: 100 %"));
    addHintKeys(FitBtn, QStringLiteral("Strg+9"));
    addHintKeys(ueberbtn, QStringLiteral("F1"));
}
