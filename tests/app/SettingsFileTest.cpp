// The bytes of "settings.dat" and the data folder's path.
#include "SettingsFile.h"

#include <QDir>
#include <gtest/gtest.h>

#include <climits>
#include <vector>

TEST(SettingsBytes, FourLittleEndianSignedIntegersInFieldOrder)
{
    const SettingsBytes bytes = EncodeSettings({10, 70, -30, 1000});
    const SettingsBytes expected{0x0A, 0, 0, 0, 0x46, 0, 0, 0, 0xE2, 0xFF, 0xFF, 0xFF, 0xE8, 0x03, 0, 0};
    EXPECT_EQ(bytes, expected);
}

TEST(SettingsBytes, RoundTripKeepsEveryValue)
{
    for (const SettingsValues &values :
         {SettingsValues{1, 100, -100, 10}, SettingsValues{INT32_MIN, INT32_MAX, 0, -1},
          SettingsValues{0x01020304, -0x01020304, 255, 256}}) {
        const SettingsBytes bytes = EncodeSettings(values);
        SettingsValues read{7, 7, 7, 7};
        EXPECT_EQ(DecodeSettings(bytes.data(), bytes.size(), read), 4);
        EXPECT_EQ(read, values);
    }
}

struct ShortCase {
    size_t size;
    int count;
    SettingsValues values;
};

class ShortSettings : public testing::TestWithParam<ShortCase> {};

TEST_P(ShortSettings, OnlyWholeValuesAreTakenTheRestKeepTheirs)
{
    const ShortCase &c = GetParam();
    const SettingsBytes full = EncodeSettings({55, 66, -77, 880});
    std::vector<unsigned char> bytes(full.begin(), full.end());
    bytes.resize(c.size, 0xAB); // longer files: bytes after the fourth value
    SettingsValues values{1, 2, 3, 4};
    EXPECT_EQ(DecodeSettings(bytes.data(), bytes.size(), values), c.count);
    EXPECT_EQ(values, c.values);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShortSettings, testing::Values(
    ShortCase{0, 0, {1, 2, 3, 4}},
    ShortCase{3, 0, {1, 2, 3, 4}},
    ShortCase{4, 1, {55, 2, 3, 4}},
    ShortCase{7, 1, {55, 2, 3, 4}},
    ShortCase{8, 2, {55, 66, 3, 4}},
    ShortCase{15, 3, {55, 66, -77, 4}},
    ShortCase{16, 4, {55, 66, -77, 880}},
    ShortCase{21, 4, {55, 66, -77, 880}}));

TEST(DataFolder, BelowTheUsersDataFolderEndingInTheSeparator)
{
    const QString sep = QDir::separator();
    const QString home = QDir::toNativeSeparators(QStringLiteral("/home/anna/.local/share"));
    const QString expected = home + sep + QStringLiteral("MERIDAN") + sep + QStringLiteral("Nuanza") + sep;
    EXPECT_EQ(DataFolderPath(home, QStringLiteral("/prog/")), expected);
    // A folder that already ends in the separator gets no second one.
    EXPECT_EQ(DataFolderPath(home + sep, QStringLiteral("/prog/")), expected);
    EXPECT_EQ(DataFolderPath(QStringLiteral("/"), QString()),
              QDir::toNativeSeparators(QStringLiteral("/MERIDAN/Nuanza/")));
}

TEST(DataFolder, ProgramFolderWhenTheUsersFolderIsUnknown)
{
    EXPECT_EQ(DataFolderPath(QString(), QStringLiteral("/opt/nuanza/")), QStringLiteral("/opt/nuanza/"));
}
