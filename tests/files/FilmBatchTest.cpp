// The batch's work on one file without the window: load, the colours of the
// model, the write over the file in its own format, and every file the batch
// must leave as it was.
#include "ColourRule.h"
#include "FileHelpers.h"
#include "ErrorText.h"
#include "FilmBatch.h"
#include "ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// A picture with a colour table of `bits` bits: greys for 8 bits, a few
// colours for 4.
Picture makePalettePicture(int width, int height, int bits = 8)
{
    const int entries = 1 << bits;
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + size_t(entries) * sizeof(RGBQUAD));
    auto *colours = reinterpret_cast<BITMAPINFO *>(info.data());
    for (int i = 0; i < entries; ++i)
        colours->bmiColors[i] = bits == 8 ? RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0}
                                          : RGBQUAD{uint8_t(16 * i), uint8_t(200 - 9 * i), uint8_t(40 + 13 * i), 0};
    Picture picture;
    newdib(&picture.get(), width, height, bits, colours, entries);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            setpixel(picture.get(), x, y, uint32_t(40 + 9 * x + 5 * y) % uint32_t(entries));
    return picture;
}

// Left half in colours that change across it, a grey stripe, a white corner.
uint32_t modelColour(int x, int y)
{
    if (y == 2)
        return 0x808080;
    if (x > 9 && y > 6)
        return 0xFFFFFF;
    return uint32_t((40 + 20 * x) << 16 | (200 - 15 * y) << 8 | (60 + 11 * x * y % 150));
}

class FilmBatch : public testing::Test {
protected:
    QTemporaryDir folder{QDir::home().filePath(QStringLiteral("batch-XXXXXX"))};
    Picture model = makePicture(12, 9, modelColour);
    ColourModel colours;
    BatchWorkspace workspace; // kept across files, as the batch keeps it

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(colours.build(model.get()));
    }
    QString path(const char *name) const { return folder.filePath(QString::fromUtf8(name)); }
    void save(const dib &picture, const QString &file, int format)
    {
        ASSERT_EQ(SaveDib(picture, QFile::encodeName(file).constData(), format, nullptr), 1);
    }
};

struct WrittenCase {
    const char *name;
    int width, height;
    int bits;        // 8: greys, 4: a few colours, 24: colours
    int format;      // how the file is made and must stay
    int tolerance;   // per channel: 0 for lossless formats; JPEG blurs the model's sharp edges
    const char *magic;
};

class WritesOverItself : public FilmBatch, public testing::WithParamInterface<WrittenCase> {};

TEST_P(WritesOverItself, InItsOwnFormatWithTheModelsColours)
{
    const WrittenCase &c = GetParam();
    const QString file = path(c.name);
    {
        Picture picture(c.bits != 24 ? makePalettePicture(c.width, c.height, c.bits)
                                   : makePicture(c.width, c.height, [](int x, int y) {
                                   return uint32_t(30 + 7 * x) << 16 | uint32_t(90 + 3 * y) << 8 | uint32_t(150 - 4 * x);
                               }));
        save(picture.get(), file, c.format);
    }
    Picture before(readPicture24(file));
    ASSERT_NE(before.get().poi, nullptr);
    const Picture expected = transferredByRule(before, before, model);

    // A file of another size before, through the same workspace.
    const QString other = path("vorher.bmp");
    {
        Picture picture(makePicture(5, 3, [](int x, int) { return uint32_t(0x102030 * x); }));
        save(picture.get(), other, BK3_FORMAT_BMP);
    }
    EXPECT_EQ(colourFile(other, colours, nullptr, workspace).write, BatchWrite::Written);

    const BatchFileResult result = colourFile(file, colours, nullptr, workspace);
    ASSERT_EQ(result.failure, LoadFailure::None);
    EXPECT_EQ(result.write, BatchWrite::Written);
    EXPECT_TRUE(contents(file).startsWith(QByteArray(c.magic)));

    Picture after(readPicture24(file));
    ASSERT_EQ(dibwidth(after.get()), c.width);
    ASSERT_EQ(dibheight(after.get()), c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const uint32_t got = rgbAt(after.get(), x, y), want = rgbAt(expected.get(), x, y);
            for (int shift : {0, 8, 16})
                ASSERT_LE(std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)), c.tolerance)
                    << std::hex << "at " << std::dec << x << "," << y << ": " << std::hex << got << " want " << want;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Batch, WritesOverItself,
    testing::Values(WrittenCase{"same.bmp", 12, 9, 24, BK3_FORMAT_BMP, 0, "BM"},
                    WrittenCase{"taller_grey.bmp", 8, 14, 8, BK3_FORMAT_BMP, 0, "BM"},
                    WrittenCase{"wider.tga", 20, 5, 24, BK3_FORMAT_TGA, 0, ""},
                    WrittenCase{"four_bits.bmp", 13, 11, 4, BK3_FORMAT_BMP, 0, "BM"},
                    WrittenCase{"frame.JPG", 12, 9, 8, BK3_FORMAT_JPEG, 32, "\xFF\xD8\xFF"}),
    [](const testing::TestParamInfo<WrittenCase> &info) {
        std::string name = info.param.name;
        for (char &ch : name)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST_F(FilmBatch, LeavesFilesItCannotColourOrWrite)
{
    // Loads, but no format belongs to the extension.
    const QString tiff = path("bild.tiff");
    {
        Picture picture(makePalettePicture(6, 6));
        save(picture.get(), tiff, BK3_FORMAT_TIFF);
    }
    const QByteArray tiffBefore = contents(tiff);
    BatchFileResult result = colourFile(tiff, colours, nullptr, workspace);
    EXPECT_EQ(result.failure, LoadFailure::None);
    EXPECT_EQ(result.write, BatchWrite::NoFormat);
    EXPECT_EQ(contents(tiff), tiffBefore);

    // Not a picture: not loaded, not written.
    const QString text = path("notiz.jpg");
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keine Bilddaten");
    }
    result = colourFile(text, colours, nullptr, workspace);
    EXPECT_EQ(result.failure, LoadFailure::Unreadable);
    EXPECT_EQ(contents(text), QByteArray("keine Bilddaten"));
}

TEST_F(FilmBatch, FailedWriteLeavesTheFileAsItWas)
{
    QDir(folder.path()).mkdir(QStringLiteral("fest"));
    const QString file = path("fest/bild.bmp");
    {
        Picture picture(makePalettePicture(6, 6));
        save(picture.get(), file, BK3_FORMAT_BMP);
    }
    const QByteArray before = contents(file);
    ReadOnlyFolder locked(path("fest"));
    if (!locked.ok())
        GTEST_SKIP() << "cannot make a folder refuse new files here";
    const BatchFileResult result = colourFile(file, colours, nullptr, workspace);
    locked.release();
    EXPECT_EQ(result.failure, LoadFailure::None);
    EXPECT_EQ(result.write, BatchWrite::Failed);
    EXPECT_EQ(contents(file), before);
}

TEST(BatchTexts, FilterAndUnwrittenFiles)
{
    // Fourteen entries; the first takes every mask of the thirteen formats.
    const QStringList parts = batchOpenFilter().split(QLatin1Char('|'));
    ASSERT_EQ(parts.size(), 28);
    EXPECT_EQ(parts[0], QStringLiteral("Alle Bilder"));
    QStringList formatMasks;
    for (int i = 3; i < parts.size(); i += 2)
        formatMasks << parts[i];
    EXPECT_EQ(parts[1], formatMasks.join(QLatin1Char(';')));
    EXPECT_EQ(parts[12], QStringLiteral("JPG - JPEG - JFIF Compilant"));

    const QString text = unwrittenFilesText({{QStringLiteral("/a/eins.tiff"), BatchWrite::NoFormat},
                                             {QStringLiteral("/a/zwei.jpg"), BatchWrite::Failed},
                                             {QStringLiteral("/a/drei.bmp"), BatchWrite::Failed, ENOSPC}});
    EXPECT_TRUE(text.contains(QStringLiteral("/a/eins.tiff (kein Bildformat für die Endung \".tiff\")")));
    EXPECT_TRUE(text.contains(QStringLiteral("/a/zwei.jpg (Schreibfehler)")));
    EXPECT_TRUE(text.contains(QStringLiteral("/a/drei.bmp (%1)").arg(systemErrorText(ENOSPC))));
}

} // namespace
