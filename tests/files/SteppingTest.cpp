// Stepping to the next or previous picture of a list, passing over folders.
#include "Stepping.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A list given as one letter per item: 'D' a folder, 'f' a file.
class FakeList : public SteppingList {
public:
    FakeList(std::string items, std::set<int> selection, bool selects = true)
        : items(std::move(items)), selection(std::move(selection)), selects(selects)
    {
    }
    int count() const override { return int(items.size()); }
    int selected() const override { return selection.empty() ? -1 : *selection.begin(); }
    bool isFolder(int index) const override { return items.at(size_t(index)) == 'D'; }
    void selectOnly(int index) override
    {
        visited.push_back(index);
        if (selects)
            selection = {index};
    }

    std::string items;
    std::set<int> selection;
    bool selects;
    std::vector<int> visited;
};

struct StepCase {
    const char *name;
    std::string items;
    std::set<int> selection;
    StepDirection direction;
    bool reachesFile;
    int selectedAfter;
    std::vector<int> visited;
};

class StepToPicture : public testing::TestWithParam<StepCase> {};

TEST_P(StepToPicture, SelectsTheNextFileOrStopsAtTheEnd)
{
    const StepCase &c = GetParam();
    FakeList list(c.items, c.selection);
    EXPECT_EQ(stepToPicture(list, c.direction), c.reachesFile);
    EXPECT_EQ(list.selected(), c.selectedAfter);
    EXPECT_EQ(list.visited, c.visited);
}

constexpr auto Next = StepDirection::Next;
constexpr auto Previous = StepDirection::Previous;

INSTANTIATE_TEST_SUITE_P(
    Lists, StepToPicture,
    testing::Values(
        StepCase{"NextFromTheMiddle", "fff", {1}, Next, true, 2, {2}},
        StepCase{"PreviousFromTheMiddle", "fff", {1}, Previous, true, 0, {0}},
        StepCase{"NextWithoutSelectionPassesLeadingFolders", "DDff", {}, Next, true, 2, {0, 1, 2}},
        StepCase{"PreviousWithoutSelectionTakesTheLastFile", "DffD", {}, Previous, true, 2, {3, 2}},
        StepCase{"NextPassesFolders", "fDDf", {0}, Next, true, 3, {1, 2, 3}},
        StepCase{"PreviousPassesFolders", "fDDf", {3}, Previous, true, 0, {2, 1, 0}},
        StepCase{"NextOnTheLastItem", "fff", {2}, Next, false, 2, {}},
        StepCase{"PreviousOnTheFirstItem", "fff", {0}, Previous, false, 0, {}},
        StepCase{"NextOnAnEmptyList", "", {}, Next, false, -1, {}},
        StepCase{"PreviousOnAnEmptyList", "", {}, Previous, false, -1, {}},
        StepCase{"OnlyFoldersFollowEndsOnTheLast", "ffDD", {1}, Next, false, 3, {2, 3}},
        StepCase{"OnlyFoldersBeforeEndsOnTheFirst", "DDf", {2}, Previous, false, 0, {1, 0}},
        StepCase{"OnlyFoldersWithoutSelection", "DD", {}, Next, false, 1, {0, 1}},
        StepCase{"FirstOfSeveralSelectedCounts", "ffff", {1, 3}, Next, true, 2, {2}},
        StepCase{"PreviousFromFirstOfSeveralSelected", "ffff", {1, 3}, Previous, true, 0, {0}},
        StepCase{"FromASelectedFolder", "Df", {0}, Next, true, 1, {1}}),
    [](const testing::TestParamInfo<StepCase> &info) { return std::string(info.param.name); });

// A list whose selection does not follow (for example while it is being
// refilled) must not hold the stepping on one item.
TEST(StepToPictureOnStubbornList, EndsAfterPassingEveryItemOnce)
{
    FakeList list("DDD", {}, false);
    EXPECT_FALSE(stepToPicture(list, StepDirection::Next));
    EXPECT_EQ(list.visited, (std::vector<int>{0, 1, 2}));

    FakeList files("DfD", {}, false);
    EXPECT_TRUE(stepToPicture(files, StepDirection::Previous));
    EXPECT_EQ(files.visited, (std::vector<int>{2, 1}));
}

} // namespace
