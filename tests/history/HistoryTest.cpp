// The undo history against plain snapshots of the pixel blocks: every undo and
// redo must give back exactly the bytes of the state it returns to.
#include "PictureHistory.h"
#include "Pictures.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Random bytes into the pixels of `area` only, as a step writes its part.
void scribble(const dib &picture, const PixelRect &area, std::mt19937 &random)
{
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, dibheight(picture)); ++y)
        for (int x = std::max(area.left, 0); x < std::min(area.right, dibwidth(picture)); ++x)
            setPixel(picture, x, y, uint8_t(random()), uint8_t(random()), uint8_t(random()));
}

struct KeepCase {
    const char *name;
    std::vector<PixelRect> areas; // kept and written in turn
    size_t bytes;                 // of the tiles kept, partial tiles at the edges
};

class TileStoreTest : public testing::TestWithParam<KeepCase> {};

TEST_P(TileStoreTest, ExchangeGivesBackEachStateExactly)
{
    std::mt19937 random(7);
    Picture picture(150, 100, 24); // partial tiles at the right and the bottom
    randomiseBytes(picture, random);
    const Block before = blockOf(picture);
    TileStore store;
    for (const PixelRect &area : GetParam().areas) {
        ASSERT_TRUE(store.keep(picture, area));
        scribble(picture, area, random);
    }
    const Block after = blockOf(picture);
    EXPECT_EQ(store.bytes(), GetParam().bytes);

    store.exchange(picture.get());
    EXPECT_EQ(blockOf(picture), before);
    store.exchange(picture.get());
    EXPECT_EQ(blockOf(picture), after);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, TileStoreTest,
    testing::Values(KeepCase{"OnePixel", {{0, 0, 1, 1}}, 64 * 64 * 3},
                    KeepCase{"AcrossFourTiles", {{60, 60, 70, 70}}, (2 * 64 * 64 + 2 * 64 * 36) * 3},
                    KeepCase{"PartialCorner", {{140, 90, 150, 100}}, 22 * 36 * 3},
                    KeepCase{"ReachesOutside", {{-20, -20, 500, 10}}, (64 + 64 + 22) * 64 * 3},
                    KeepCase{"Outside", {{200, 0, 300, 50}}, 0},
                    // A tile already kept is not taken again once written.
                    KeepCase{"OverlappingTwice", {{10, 10, 40, 40}, {30, 30, 80, 50}}, 2 * 64 * 64 * 3},
                    KeepCase{"WholePicture", {{0, 0, 150, 100}}, 150 * 100 * 3}),
    [](const testing::TestParamInfo<KeepCase> &info) { return std::string(info.param.name); });

// Two 150 x 100 pictures under a history, with the bytes of every state.
class HistoryTest : public testing::Test {
protected:
    Picture source{150, 100, 24};
    Picture result{150, 100, 24};
    std::mt19937 random{11};

    void SetUp() override
    {
        randomiseBytes(source, random);
        randomiseBytes(result, random);
    }
    std::pair<Block, Block> state() const { return {blockOf(source), blockOf(result)}; }
    void tileStep(PictureHistory &history, const PixelRect &area, bool sourceToo = false)
    {
        history.begin(QStringLiteral("Pinselstrich"));
        history.keepTiles(Kept::Result, area);
        if (sourceToo)
            history.keepTiles(Kept::Source, area);
        scribble(result, area, random);
        if (sourceToo)
            scribble(source, area, random);
        ASSERT_TRUE(history.end());
    }
    void wholeStep(PictureHistory &history)
    {
        history.begin(QStringLiteral("Alles einfärben"));
        history.keepWhole(Kept::Result);
        scribble(result, {0, 0, 150, 100}, random);
        ASSERT_TRUE(history.end());
    }
};

TEST_F(HistoryTest, UndoAndRedoWalkThroughEveryState)
{
    PictureHistory history(source, result);
    std::vector<std::pair<Block, Block>> states{state()};
    tileStep(history, {5, 5, 30, 20});
    states.push_back(state());
    tileStep(history, {50, 40, 140, 95}, true);
    states.push_back(state());
    wholeStep(history);
    states.push_back(state());
    tileStep(history, {0, 0, 150, 3});
    states.push_back(state());

    for (size_t i = states.size() - 1; i-- > 0;) {
        ASSERT_TRUE(history.canUndo());
        history.undo();
        EXPECT_EQ(state(), states[i]) << "after undo to state " << i;
    }
    EXPECT_FALSE(history.canUndo());
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history.canRedo());
        history.redo();
        EXPECT_EQ(state(), states[i]) << "after redo to state " << i;
    }
    EXPECT_FALSE(history.canRedo());
}

TEST_F(HistoryTest, SavedStateAndDroppedRedo)
{
    PictureHistory history(source, result);
    std::vector<bool> saved;
    QObject::connect(&history, &PictureHistory::restored,
                     [&](const PixelRect &, bool isSaved) { saved.push_back(isSaved); });
    tileStep(history, {0, 0, 10, 10});
    history.markSaved();
    tileStep(history, {20, 20, 30, 30});
    EXPECT_FALSE(history.isSaved());
    history.undo(); // back to the saved state
    history.undo();
    history.redo();
    EXPECT_EQ(saved, (std::vector<bool>{true, false, true}));

    EXPECT_TRUE(history.canRedo());
    tileStep(history, {40, 40, 50, 50}); // a new step drops the one that could be redone
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.steps(), 2);
    EXPECT_EQ(history.undoText(), QStringLiteral("Pinselstrich"));
}

TEST_F(HistoryTest, BudgetDropsTheOldestStepsFirst)
{
    const size_t tile = 64 * 64 * 3;
    PictureHistory history(source, result, 2 * tile + tile / 2);
    const auto start = state();
    tileStep(history, {0, 0, 1, 1});
    const auto afterFirst = state();
    tileStep(history, {64, 0, 65, 1});
    tileStep(history, {0, 64, 1, 65});
    EXPECT_LE(history.bytes(), 2 * tile + tile / 2);

    history.undo();
    history.undo();
    EXPECT_FALSE(history.canUndo()); // the first step's pixels are gone
    EXPECT_EQ(state(), afterFirst);
    EXPECT_NE(state(), start);
}

TEST_F(HistoryTest, StepLargerThanTheBudgetIsAppliedButEndsTheHistory)
{
    PictureHistory history(source, result, 64 * 64 * 3 * 3); // under the 45,200 bytes of a picture
    QStringList told;
    QObject::connect(&history, &PictureHistory::tooLarge, [&](const QString &name) { told.append(name); });
    tileStep(history, {0, 0, 10, 10});
    history.markSaved();
    tileStep(history, {20, 20, 30, 30});

    history.begin(QStringLiteral("Alles einfärben"));
    history.keepWhole(Kept::Result);
    scribble(result, {0, 0, 150, 100}, random);
    EXPECT_FALSE(history.end());

    EXPECT_EQ(told, QStringList{QStringLiteral("Alles einfärben")});
    // The older steps no longer match the pictures, and nothing is saved any more.
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.steps(), 0);
    EXPECT_FALSE(history.isSaved());
    EXPECT_EQ(history.bytes(), 0u);
}

} // namespace
