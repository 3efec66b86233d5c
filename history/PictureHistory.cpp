#include "PictureHistory.h"

#include "Brush.h"

#include <QUndoCommand>
#include <algorithm>
#include <unistd.h>
#include <utility>

namespace {

constexpr size_t kGiB = size_t(1) << 30;
// Enough for the first segments of a stroke with the largest brush.
constexpr size_t kSpareTiles = 64;

PixelRect wholeArea(const dib &picture) { return {0, 0, dibwidth(picture), dibheight(picture)}; }

bool sameGeometry(const dib &a, const dib &b)
{
    return dibwidth(a) == dibwidth(b) && dibheight(a) == dibheight(b) && dibbits(a) == dibbits(b)
           && a.bytew == b.bytew;
}

// What a step kept of one picture: tiles, or a whole copy that undo and redo
// exchange with the picture at no cost.
struct KeptPixels {
    TileStore tiles;
    Picture whole;
    bool failed = false;

    size_t bytes() const
    {
        return tiles.bytes() + (whole.empty() ? 0 : size_t(whole.height()) * size_t(whole->bytew));
    }
    bool empty() const { return tiles.empty() && whole.empty(); }
    PixelRect exchange(Picture &picture)
    {
        PixelRect area = tiles.exchange(picture.get());
        if (!whole.empty() && sameGeometry(whole, picture)) {
            std::swap(whole, picture);
            area = wholeArea(picture);
        }
        return area;
    }
};

} // namespace

class PictureHistory::Step : public QUndoCommand {
public:
    Step(PictureHistory &history, const QString &name) : QUndoCommand(name), history(history) {}

    KeptPixels &kept(Kept which) { return which == Kept::Source ? source : result; }
    size_t bytes() const { return source.bytes() + result.bytes(); }
    bool empty() const { return source.empty() && result.empty(); }
    bool failed() const { return source.failed || result.failed; }
    // Lets go of the pixels; the step stays on the stack but can no longer be undone.
    void release()
    {
        source = KeptPixels();
        result = KeptPixels();
        hollow = true;
    }
    bool isHollow() const { return hollow; }

    void undo() override { exchange(); }
    void redo() override
    {
        // The stack redoes a step as it is pushed; its change is already made.
        if (std::exchange(pushing, false))
            return;
        exchange();
    }

private:
    void exchange()
    {
        if (hollow)
            return;
        const PixelRect area = source.exchange(history.source).united(result.exchange(history.result));
        changedArea = area;
    }

public:
    PixelRect changedArea;
    bool pushing = true;

private:
    PictureHistory &history;
    KeptPixels source;
    KeptPixels result;
    bool hollow = false;
};

size_t PictureHistory::defaultBudget()
{
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return kGiB;
    const size_t memory = size_t(pages) * size_t(pageSize);
    return memory < 8 * kGiB ? memory / 8 : kGiB;
}

PictureHistory::PictureHistory(Picture &source, Picture &result, size_t budget, QObject *parent)
    : QObject(parent), source(source), result(result), budget(budget)
{
    connect(&stack, &QUndoStack::indexChanged, this, &PictureHistory::availabilityChanged);
    pool.fill(kSpareTiles);
}

PictureHistory::~PictureHistory()
{
    // The stack's clearing at its end is no news to anyone.
    disconnect(&stack, nullptr, this, nullptr);
    delete step;
}

void PictureHistory::begin(const QString &name)
{
    delete step;
    step = new Step(*this, name);
}

void PictureHistory::keepTiles(Kept which, const PixelRect &area)
{
    if (step == nullptr || step->failed())
        return;
    KeptPixels &kept = step->kept(which);
    const Picture &picture = which == Kept::Source ? source : result;
    if (!kept.tiles.keep(picture, area, &pool) || step->bytes() > budget) {
        kept.failed = true;
        kept.tiles = TileStore(); // the step cannot be undone: its memory goes now
    }
}

void PictureHistory::keepWhole(Kept which)
{
    if (step == nullptr || step->failed())
        return;
    KeptPixels &kept = step->kept(which);
    const Picture &picture = which == Kept::Source ? source : result;
    const size_t size = size_t(picture.height()) * size_t(picture.empty() ? 0 : picture->bytew);
    if (step->bytes() + size > budget) {
        kept.failed = true;
        return;
    }
    kept.tiles = TileStore();
    kept.whole = copyOf(picture);
    kept.failed = kept.whole.empty() && !picture.empty();
}

void PictureHistory::keepBrush(int x1, int y1, int x2, int y2, int radius, bool sourceToo)
{
    if (step == nullptr)
        return;
    ForEachDabSquare(x1, y1, x2, y2, radius, result.width(), result.height(), [&](const PixelRect &square) {
        keepTiles(Kept::Result, square);
        if (sourceToo)
            keepTiles(Kept::Source, square);
    });
}

bool PictureHistory::end()
{
    Step *ended = std::exchange(step, nullptr);
    if (ended == nullptr)
        return true;
    if (ended->failed()) {
        const QString name = ended->text();
        delete ended;
        stack.clear();
        stack.resetClean();
        emit availabilityChanged();
        emit tooLarge(name);
        return false;
    }
    if (ended->empty()) {
        delete ended;
        return true;
    }
    stack.push(ended);
    dropOldest();
    pool.fill(kSpareTiles); // ready for the next stroke, now that this one is over
    return true;
}

void PictureHistory::abandon()
{
    delete step;
    step = nullptr;
}

const PictureHistory::Step *PictureHistory::stepAt(int index) const
{
    return static_cast<const Step *>(stack.command(index));
}

size_t PictureHistory::bytes() const
{
    size_t sum = 0;
    for (int i = 0; i < stack.count(); ++i)
        sum += stepAt(i)->bytes();
    return sum;
}

void PictureHistory::dropOldest()
{
    // Qt's stack cannot remove its oldest commands; their pixels go instead,
    // and undo stops at the first step without them. Those always form the
    // bottom of the stack, since the oldest steps go first.
    size_t total = bytes();
    for (int i = 0; i < stack.count() && total > budget; ++i) {
        // The stack hands out its commands read-only; they are ours to change.
        auto *oldest = const_cast<Step *>(stepAt(i));
        if (oldest->isHollow())
            continue;
        total -= oldest->bytes();
        oldest->release();
    }
    emit availabilityChanged();
}

bool PictureHistory::canUndo() const
{
    return step == nullptr && stack.canUndo() && !stepAt(stack.index() - 1)->isHollow();
}

bool PictureHistory::canRedo() const { return step == nullptr && stack.canRedo(); }

QString PictureHistory::undoText() const { return canUndo() ? stack.undoText() : QString(); }

QString PictureHistory::redoText() const { return canRedo() ? stack.redoText() : QString(); }

void PictureHistory::undo()
{
    if (!canUndo())
        return;
    const Step *undone = stepAt(stack.index() - 1);
    stack.undo();
    emit restored(undone->changedArea, stack.isClean());
}

void PictureHistory::redo()
{
    if (!canRedo())
        return;
    const Step *redone = stepAt(stack.index());
    stack.redo();
    emit restored(redone->changedArea, stack.isClean());
}

void PictureHistory::restart(bool unsaved)
{
    abandon();
    stack.clear();
    if (unsaved)
        stack.resetClean();
    emit availabilityChanged();
}

void PictureHistory::markSaved() { stack.setClean(); }
