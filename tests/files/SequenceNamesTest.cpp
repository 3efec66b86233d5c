// The names of a numbered sequence and the question about existing files.
#include "SequenceNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct PadCase {
    int64_t number;
    int digits;
    const char *expected;
};

class Padding : public testing::TestWithParam<PadCase> {};

TEST_P(Padding, ZerosInFront)
{
    EXPECT_EQ(paddedNumber(GetParam().number, GetParam().digits), QLatin1String(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Padding,
    testing::Values(PadCase{1, 4, "0001"}, PadCase{10, 4, "0010"}, PadCase{9999, 4, "9999"},
                    PadCase{0, 1, "0"}, PadCase{42, 10, "0000000042"},
                    // Wider numbers keep every digit: cutting them would give two files one name.
                    PadCase{12345, 4, "12345"},
                    PadCase{-7, 3, "-007"}, PadCase{-1234, 2, "-1234"},
                    PadCase{std::numeric_limits<int64_t>::min(), 1, "-9223372036854775808"}));

struct NameCase {
    const char *chosen;
    const char *fallback;
    int64_t number;
    const char *expected;
};

class Naming : public testing::TestWithParam<NameCase> {};

TEST_P(Naming, BaseNumberExtension)
{
    const NameCase &c = GetParam();
    const NumberedSequence sequence =
        sequenceFor(QString::fromUtf8(c.chosen), QLatin1String(c.fallback), 1, 10, 4);
    EXPECT_EQ(sequence.name(c.number), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Naming,
    testing::Values(NameCase{"/d/Bild.jpg", ".bmp", 1, "/d/Bild0001.jpg"},
                    NameCase{"/d/Bild.JPG", ".bmp", 10, "/d/Bild0010.JPG"},
                    // No extension: the chosen filter entry's.
                    NameCase{"/d/Bild", ".tif", 3, "/d/Bild0003.tif"},
                    // Only the name's last dot counts, never a folder's.
                    NameCase{"/d.x/Bild", ".gif", 2, "/d.x/Bild0002.gif"},
                    NameCase{"/d/Bild.v2.pcx", ".bmp", 7, "/d/Bild.v20007.pcx"},
                    NameCase{"/d/Übergang.bmp", ".bmp", 1, "/d/Übergang0001.bmp"}));

TEST(Sequence, CountsItsNumbersWithoutOverflow)
{
    NumberedSequence s;
    s.first = 1, s.last = 10;
    EXPECT_EQ(s.count(), 10);
    s.first = 5, s.last = 5;
    EXPECT_EQ(s.count(), 1);
    s.first = 6, s.last = 5;
    EXPECT_EQ(s.count(), 0);
    s.first = std::numeric_limits<int32_t>::min(), s.last = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(s.count(), int64_t(1) << 32);
}

TEST(Sequence, FindsTheExistingNamesInOrder)
{
    QTemporaryDir folder(QDir::home().filePath(QStringLiteral("seqXXXXXX")));
    ASSERT_TRUE(folder.isValid());
    for (const char *name : {"Bild0004.bmp", "Bild0002.bmp", "Bild0002.gif", "Bild02.bmp", "Bild0009.bmp"}) {
        QFile file(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const NumberedSequence s = sequenceFor(folder.filePath(QStringLiteral("Bild.bmp")), ".bmp", 1, 5, 4);
    EXPECT_EQ(existingSequenceFiles(s), QStringList({folder.filePath(QStringLiteral("Bild0002.bmp")),
                                                     folder.filePath(QStringLiteral("Bild0004.bmp"))}));
}

TEST(ReplaceQuestion, NamesTheFilesAndHowManyMore)
{
    const QString one = replaceQuestion({QStringLiteral("/d/Bild0001.bmp")});
    EXPECT_TRUE(one.contains(QStringLiteral("Die folgende Datei")));
    EXPECT_TRUE(one.contains(QStringLiteral("/d/Bild0001.bmp\n")));
    EXPECT_TRUE(one.endsWith(QStringLiteral("Soll sie ersetzt werden?")));

    QStringList many;
    for (int i = 1; i <= 12; ++i)
        many << QStringLiteral("/d/Bild%1.bmp").arg(i, 4, 10, QLatin1Char('0'));
    const QString text = replaceQuestion(many, 10);
    EXPECT_TRUE(text.contains(QStringLiteral("Die folgenden 12 Dateien")));
    EXPECT_TRUE(text.contains(QStringLiteral("/d/Bild0010.bmp\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("/d/Bild0011.bmp")));
    EXPECT_TRUE(text.contains(QStringLiteral("... und 2 weitere")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Sollen sie ersetzt werden?")));
}

} // namespace
