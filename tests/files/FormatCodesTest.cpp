// The format code by extension, the extension by save-filter entry, filters and
// folder names.
#include "FormatCodes.h"
#include "bildkern3.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

struct CodeCase {
    const char *path;
    int code;
};

class FormatCode : public testing::TestWithParam<CodeCase> {};

TEST_P(FormatCode, ByExtension)
{
    EXPECT_EQ(formatCodeForFile(QString::fromUtf8(GetParam().path)), GetParam().code) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatCode,
    testing::Values(CodeCase{"/b/a.BMP", 3}, CodeCase{"/b/a.bmp", 3}, CodeCase{"/b/a.Dib", 3},
                    CodeCase{"/b/a.rle", 3}, CodeCase{"/b/a.gif", 5}, CodeCase{"/b/a.IFF", 6},
                    CodeCase{"/b/a.lbm", 6}, CodeCase{"/b/a.jpg", 7}, CodeCase{"/b/a.JPEG", 7},
                    CodeCase{"/b/a.jif", 7}, CodeCase{"/b/a.pcx", 10}, CodeCase{"/b/a.Tga", 12},
                    CodeCase{"/b/a.tif", 13}, CodeCase{"/b/a.JP2", 14}, CodeCase{"/b/a.Png", 15}, CodeCase{"/b/a.tar.bmp", 3},
                    CodeCase{"C:\\Bilder\\opa.JPG", 7}));

INSTANTIATE_TEST_SUITE_P(
    NoFormat, FormatCode,
    testing::Values(CodeCase{"/b/a.tiff", 0}, CodeCase{"/b/a.jpe", 0}, CodeCase{"/b/a.webp", 0},
                    CodeCase{"/b/a.bmp.txt", 0}, CodeCase{"/b/a", 0}, CodeCase{"/b/a.", 0},
                    CodeCase{"/b.bmp/a", 0}, CodeCase{"C:\\b.bmp\\a", 0}, CodeCase{"/b/abmp", 0},
                    CodeCase{"", 0}));

TEST(FileExtension, FromLastDotOfTheNameOnly)
{
    EXPECT_EQ(fileExtension(QStringLiteral("/b/a.tar.GZ")), QStringLiteral(".GZ"));
    EXPECT_EQ(fileExtension(QStringLiteral("/b/a.")), QStringLiteral("."));
    EXPECT_EQ(fileExtension(QStringLiteral("/b.d/a")), QString());
    EXPECT_EQ(fileExtension(QStringLiteral("a")), QString());
}

TEST(DefaultExtension, ByFilterIndexFromOne)
{
    const char *expected[] = {".bmp", ".dib", ".gif", ".iff", ".jif", ".jpg",
                              ".lbm", ".pcx", ".rle", ".tga", ".tif", ".png"};
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(defaultExtensionForFilter(i), QLatin1String(expected[i - 1])) << i;
    for (int outside : {-1, 0, 13})
        EXPECT_TRUE(defaultExtensionForFilter(outside).isEmpty()) << outside;
}

// The table is only right while the library lists its formats in this order,
// and every appended extension must have a format to be written in.
TEST(DefaultExtension, MatchesTheLibrarySaveFilter)
{
    const QList<FilterEntry> entries = parseFilter(QString::fromLocal8Bit(GetDIBSaveFilter()));
    ASSERT_EQ(entries.size(), 12);
    for (int i = 1; i <= 12; ++i) {
        const QString extension = defaultExtensionForFilter(i);
        EXPECT_TRUE(entries[i - 1].masks.contains(QLatin1Char('*') + extension, Qt::CaseInsensitive))
            << i << " " << entries[i - 1].description.toStdString();
        EXPECT_NE(formatCodeForFile(QStringLiteral("x") + extension), 0) << i;
    }
}

TEST(ProgramFolder, GetsOneTrailingSeparator)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("opt") + sep + QStringLiteral("nuanza")),
              QStringLiteral("opt") + sep + QStringLiteral("nuanza") + sep);
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("opt") + sep), QStringLiteral("opt") + sep);
    EXPECT_EQ(withTrailingSeparator(sep), sep);
}

TEST(Filter, SplitsIntoDescriptionsAndMasks)
{
    const QList<FilterEntry> entries = parseFilter(
        QStringLiteral("Alle Bilder|*.bmp;*.JPG; *.tif |GIF-Bild (*.gif)|*.gif|Leer||"));
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].description, QStringLiteral("Alle Bilder"));
    EXPECT_EQ(entries[0].masks, (QStringList{"*.bmp", "*.JPG", "*.tif"}));
    EXPECT_EQ(entries[1].description, QStringLiteral("GIF-Bild (*.gif)"));
    EXPECT_EQ(entries[1].masks, QStringList{"*.gif"});
    EXPECT_TRUE(parseFilter(QString()).isEmpty());
}

TEST(Filter, EntryForAFileKeepsAShowingOneElseTakesAllPictures)
{
    const QList<FilterEntry> entries = parseFilter(QString::fromLocal8Bit(GetDIBOpenFilter()));
    ASSERT_EQ(entries[0].description, QStringLiteral("Alle Bilder"));
    EXPECT_EQ(filterEntryForFile(entries, 1, QStringLiteral("f0.BMP")), 1);
    EXPECT_EQ(filterEntryForFile(entries, 1, QStringLiteral("f1.jpe")), 0);
    EXPECT_EQ(filterEntryForFile(entries, 1, QStringLiteral("f2.webp")), 0); // shown by none
}

} // namespace
