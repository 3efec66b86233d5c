// The undo history of the two pictures of the window, on Qt's undo stack. Each
// step keeps only what it changed: the tiles a stroke reached, or the whole
// picture for the commands that rewrite all of it. The history holds at most a
// memory budget and lets go of its oldest steps first.
#pragma once

#include "Picture.h"
#include "PixelRect.h"
#include "TileStore.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

enum class Kept { Source, Result };

class PictureHistory : public QObject {
    Q_OBJECT
public:
    // 1 GiB, or an eighth of the memory of a machine with less than 8 GiB.
    static size_t defaultBudget();

    PictureHistory(Picture &source, Picture &result, size_t budget = defaultBudget(),
                   QObject *parent = nullptr);
    ~PictureHistory() override;

    // A step in the making, named for the user ("Pinselstrich"). Its pixels are
    // kept through keepTiles / keepWhole before they change, then it is ended.
    void begin(const QString &name);
    bool pending() const { return step != nullptr; }
    void keepTiles(Kept which, const PixelRect &area);
    void keepWhole(Kept which);
    // Keeps what a brush segment from (x1, y1) to (x2, y2) of `radius` can reach
    // in the result, and in the source too when `sourceToo`.
    void keepBrush(int x1, int y1, int x2, int y2, int radius, bool sourceToo);
    // Puts the step on the stack when it kept anything. A step that did not
    // fit the budget or memory cannot be undone, and the older steps no longer
    // match the pictures: the history starts afresh, not clean, and
    // tooLarge(name) is sent. False in that case.
    bool end();
    // Drops the step in the making: the pictures did not change.
    void abandon();

    bool canUndo() const;
    bool canRedo() const;
    QString undoText() const;
    QString redoText() const;
    void undo();
    void redo();

    // A new picture: no steps, and the state now is the saved one unless
    // `unsaved` says the pictures hold unsaved work.
    void restart(bool unsaved = false);
    // The pictures as they are now are saved.
    void markSaved();
    bool isSaved() const { return stack.isClean(); }

    // Bytes of pixels kept by all steps.
    size_t bytes() const;
    int steps() const { return stack.count(); }

signals:
    // Undo or redo put back the pixels of `area` (of both pictures).
    void restored(const PixelRect &area, bool saved);
    // What can be undone or redone, or its name, may have changed.
    void availabilityChanged();
    void tooLarge(const QString &name);

private:
    class Step;
    const Step *stepAt(int index) const;
    void dropOldest();

    Picture &source;
    Picture &result;
    const size_t budget;
    TilePool pool; // before the stack: its steps give their tiles back at the end
    QUndoStack stack;
    Step *step = nullptr; // in the making, not yet on the stack
};
