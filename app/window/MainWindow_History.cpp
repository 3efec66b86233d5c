// Undo and redo of the pictures' changes: the keys and the two buttons, the
// steps around the handlers that change pixels, and the repaint of what undo
// or redo put back.
#include "CanvasBox.h"
#include "MainUnit.h"
#include "PaintBox.h"
#include "PictureHistory.h"
#include "StatusBar.h"

#include <QAction>
#include <QToolButton>
#include <utility>

namespace {

const QString kTooLarge = QStringLiteral(" ist zu groß für den Verlauf und kann nicht rückgängig gemacht werden.");

QList<QKeySequence> redoKeys()
{
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
        if (!keys.contains(key))
            keys.append(key);
    return keys;
}

} // namespace

void TMainForm::wireHistory()
{
    history = new PictureHistory(di, outdi, PictureHistory::defaultBudget(), this);

    // Window-wide, so the keys act on every page.
    UndoAction = new QAction(QStringLiteral("Rückgängig"), this);
    UndoAction->setObjectName(QStringLiteral("UndoAction"));
    UndoAction->setShortcuts(QKeySequence::Undo);
    RedoAction = new QAction(QStringLiteral("Wiederholen"), this);
    RedoAction->setObjectName(QStringLiteral("RedoAction"));
    RedoAction->setShortcuts(redoKeys());
    addAction(UndoAction);
    addAction(RedoAction);
    connect(UndoAction, &QAction::triggered, this, &TMainForm::UndoBtnClick);
    connect(RedoAction, &QAction::triggered, this, &TMainForm::RedoBtnClick);
    connect(UndoBtn, &QToolButton::clicked, this, &TMainForm::UndoBtnClick);
    connect(RedoBtn, &QToolButton::clicked, this, &TMainForm::RedoBtnClick);

    connect(history, &PictureHistory::availabilityChanged, this, &TMainForm::showHistory);
    connect(history, &PictureHistory::restored, this, [this](const PixelRect &area, bool saved) {
        paintedRect = paintedRect.united(area);
        repaintPainted();
        DibPrevPaint->update(); // fixed paint changes the source too
        if (saved)
            SetUnChanged();
        else
            SetChanged();
    });
    connect(history, &PictureHistory::tooLarge, this, [this](const QString &name) {
        if (std::exchange(tooLargeTold, true))
            return;
        StatusBar1->setText(QStringLiteral("„") + name + QStringLiteral("“") + kTooLarge);
    });
    showHistory();
}

void TMainForm::showHistory()
{
    const bool undo = history->canUndo(), redo = history->canRedo();
    UndoAction->setEnabled(undo);
    RedoAction->setEnabled(redo);
    UndoBtn->setEnabled(undo);
    RedoBtn->setEnabled(redo);
    UndoBtn->setToolTip(undo ? QStringLiteral("Rückgängig: ") + history->undoText() : QStringLiteral("Rückgängig"));
    RedoBtn->setToolTip(redo ? QStringLiteral("Wiederholen: ") + history->redoText() : QStringLiteral("Wiederholen"));
}

void TMainForm::UndoBtnClick()
{
    // Not in the middle of a stroke: its step is not complete yet.
    if (!inpaint)
        history->undo();
}

void TMainForm::RedoBtnClick()
{
    if (!inpaint)
        history->redo();
}

void TMainForm::beginStep(const QString &name)
{
    history->begin(name);
    showHistory();
}

void TMainForm::beginWholeStep(const QString &name)
{
    beginStep(name);
    history->keepWhole(Kept::Result);
}

void TMainForm::keepBeforeBrush(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const BrushAction &action)
{
    // Fixed paint writes into the source as well.
    history->keepBrush(x1, y1, x2, y2, action.radius, action.mode == BrushMode::Paint && action.fest);
}

void TMainForm::endStep(bool changedPictures)
{
    if (changedPictures)
        history->end();
    else
        history->abandon();
    showHistory();
}

void TMainForm::restartHistory(bool unsaved)
{
    history->restart(unsaved);
    // The note belongs to the picture before; the bar's other notes stay.
    if (std::exchange(tooLargeTold, false) && StatusBar1->text().endsWith(kTooLarge))
        StatusBar1->setText(QString());
}
