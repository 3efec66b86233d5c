// The favourite-folder list and its file, and where a stored window goes.
#include "FavouriteFolders.h"
#include "WindowPlacement.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::string show(const QStringList &list)
{
    std::string text;
    for (const QString &entry : list)
        text += "[" + entry.toStdString() + "]";
    return text;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace

struct FrontCase {
    const char *name;
    QStringList before;
    QString folder;
    QStringList after;
};

class MoveToFront : public testing::TestWithParam<FrontCase> {};

TEST_P(MoveToFront, KeepsTheOthersInOrder)
{
    QStringList entries = GetParam().before;
    moveFavouriteToFront(entries, GetParam().folder);
    EXPECT_EQ(show(entries), show(GetParam().after));
}

INSTANTIATE_TEST_SUITE_P(Rules, MoveToFront, testing::Values(
    FrontCase{"first_stays_first", {"/a/", "/b/", "/c/"}, "/a/", {"/a/", "/b/", "/c/"}},
    FrontCase{"third_moves_up", {"/a/", "/b/", "/c/", "/d/"}, "/c/", {"/c/", "/a/", "/b/", "/d/"}},
    FrontCase{"new_goes_on_top", {"/a/", "/b/"}, "/n/", {"/n/", "/a/", "/b/"}},
    FrontCase{"into_empty_list", {}, "/a/", {"/a/"}},
    FrontCase{"letter_case_counts", {"D:\\Bilder\\"}, "d:\\bilder\\", {"d:\\bilder\\", "D:\\Bilder\\"}},
    FrontCase{"no_prefix_match", {"/a/b/"}, "/a/", {"/a/", "/a/b/"}},
    FrontCase{"last_duplicate_moves", {"/x/", "/a/", "/x/", "/b/"}, "/x/", {"/x/", "/x/", "/a/", "/b/"}},
    FrontCase{"empty_entry", {"/a/"}, "", {"", "/a/"}},
    FrontCase{"empty_entry_again", {"/a/", "", "/b/"}, "", {"", "/a/", "/b/"}}),
    [](const testing::TestParamInfo<FrontCase> &info) { return info.param.name; });

struct LinesCase {
    const char *name;
    QByteArray bytes;
    QStringList entries;
};

class ReadLines : public testing::TestWithParam<LinesCase> {};

TEST_P(ReadLines, OneEntryPerLine)
{
    EXPECT_EQ(show(parseFavouriteLines(GetParam().bytes)), show(GetParam().entries));
}

INSTANTIATE_TEST_SUITE_P(Files, ReadLines, testing::Values(
    LinesCase{"empty_file", "", {}},
    LinesCase{"crlf", "C:\\Bilder\\\r\nD:\\Fotos\\\r\n", {"C:\\Bilder\\", "D:\\Fotos\\"}},
    LinesCase{"last_line_without_end", "/a/\r\n/b/", {"/a/", "/b/"}},
    LinesCase{"lone_lf_from_linux", "/a/\n/b/\n", {"/a/", "/b/"}},
    LinesCase{"mixed_ends", "/a/\n/b/\r\n/c/", {"/a/", "/b/", "/c/"}},
    LinesCase{"empty_lines_are_entries", "/a/\r\n\r\n/b/\r\n\r\n", {"/a/", "", "/b/", ""}},
    LinesCase{"only_an_empty_line", "\r\n", {""}},
    LinesCase{"trailing_cr_at_the_end", "/a/\r\n/b/\r", {"/a/", "/b/"}},
    LinesCase{"doubled_cr", "/a/\r\r\n/b/\r\n", {"/a/", "/b/"}},
    LinesCase{"windows_1252", "C:\\M\xFCller\\\xC4pfel\\\r\n", {QString::fromUtf8("C:\\Müller\\Äpfel\\")}}),
    [](const testing::TestParamInfo<LinesCase> &info) { return info.param.name; });

TEST(FavouriteBytes, CrLfLinesInWindows1252)
{
    EXPECT_EQ(favouriteLinesBytes({QString::fromUtf8("/home/jürgen/Bilder/"), "", "D:\\Fotos\\"}),
              QByteArray("/home/j\xFCrgen/Bilder/\r\n\r\nD:\\Fotos\\\r\n"));
    EXPECT_EQ(favouriteLinesBytes({}), QByteArray());
    // No place in Windows-1252: "?"; the euro sign has one (0x80).
    EXPECT_EQ(favouriteLinesBytes({QString::fromUtf8("/写真/€/")}), QByteArray("/?" "?/\x80/\r\n"));
}

TEST(FavouriteBytes, LineBreakInsideAFolderNameIsLeftOut)
{
    const QStringList entries{"/a/", "/zwei\nZeilen/", "/b/"};
    EXPECT_EQ(favouriteLinesBytes(entries), QByteArray("/a/\r\n/b/\r\n"));
    EXPECT_EQ(show(parseFavouriteLines(favouriteLinesBytes(entries))), show({"/a/", "/b/"}));
}

TEST(FavouriteFile, RoundTripReplacesTheOldFileAndLeavesNothingBeside)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("folders.dat");
    writeBytes(path, "/alt/\r\n/noch älter/\r\n/ganz alt/\r\n");
    const QStringList entries{QString::fromUtf8("/Urlaub/Ölberg/"), "", "/b/"};
    ASSERT_TRUE(writeFavouriteFile(path, entries));
    EXPECT_EQ(contents(path), QByteArray("/Urlaub/\xD6lberg/\r\n\r\n/b/\r\n"));
    EXPECT_EQ(show(readFavouriteFile(path)), show(entries));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"folders.dat"});
}

TEST(FavouriteFile, MissingFileReadsEmpty)
{
    QTemporaryDir folder;
    EXPECT_TRUE(readFavouriteFile(folder.filePath("folders.dat")).isEmpty());
}

TEST(FavouriteFile, MissingFolderFails)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("fehlt/folders.dat");
    EXPECT_FALSE(writeFavouriteFile(path, {"/a/"}));
    EXPECT_FALSE(QFile::exists(path));
}

struct PlaceCase {
    const char *name;
    QRect stored;
    QRect placed;
};

class PlaceOnScreens : public testing::TestWithParam<PlaceCase> {};

// A primary 800 x 600 screen (task bar below) and a second one to its right.
const QList<QRect> kScreens{QRect(0, 0, 800, 560), QRect(800, 0, 1024, 768)};

TEST_P(PlaceOnScreens, KeepsAGrippableWindowAndBringsBackALostOne)
{
    EXPECT_EQ(placeOnScreens(GetParam().stored, kScreens), GetParam().placed);
}

INSTANTIATE_TEST_SUITE_P(Screens, PlaceOnScreens, testing::Values(
    PlaceCase{"inside_primary", QRect(10, 20, 600, 400), QRect(10, 20, 600, 400)},
    PlaceCase{"on_second_screen", QRect(900, 100, 700, 500), QRect(900, 100, 700, 500)},
    PlaceCase{"across_both", QRect(500, 50, 700, 500), QRect(500, 50, 700, 500)},
    PlaceCase{"partly_off_left_but_grippable", QRect(-500, 30, 600, 400), QRect(-500, 30, 600, 400)},
    PlaceCase{"bottom_below_screen_is_fine", QRect(100, 400, 600, 400), QRect(100, 400, 600, 400)},
    PlaceCase{"small_window_fully_seen", QRect(10, 10, 60, 20), QRect(10, 10, 60, 20)},
    PlaceCase{"only_a_sliver_at_the_right", QRect(1774, 100, 600, 400), QRect(100, 80, 600, 400)},
    PlaceCase{"top_above_every_screen", QRect(100, -300, 600, 400), QRect(100, 80, 600, 400)},
    PlaceCase{"below_every_screen", QRect(100, 770, 600, 400), QRect(100, 80, 600, 400)},
    PlaceCase{"lost_monitor", QRect(5000, 5000, 600, 400), QRect(100, 80, 600, 400)},
    PlaceCase{"lost_and_too_big", QRect(-4000, 0, 2000, 1500), QRect(0, 0, 800, 560)}),
    [](const testing::TestParamInfo<PlaceCase> &info) { return info.param.name; });

TEST(PlaceOnScreensWithout, ScreensLeavesTheWindowAlone)
{
    EXPECT_EQ(placeOnScreens(QRect(5000, 5000, 10, 10), {}), QRect(5000, 5000, 10, 10));
}

TEST(FirstStartHeight, GrowsForTheCanvasAsFarAsTheScreenAllows)
{
    struct Case { int canvas, screen, height; };
    for (const Case c : {Case{300, 1050, 683}, // the canvas gets its 400 pixels
                         Case{300, 640, 640},  // as far as the screen goes
                         Case{300, 560, 583},  // never below the designed size
                         Case{450, 1050, 583}}) // room enough already
        EXPECT_EQ(firstStartHeight(583, c.canvas, 400, c.screen), c.height) << c.canvas << " " << c.screen;
}
