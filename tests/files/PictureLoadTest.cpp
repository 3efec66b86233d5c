// Reading a picture into a new 24-bit source and its result copy: widening,
// the copy, the refusals and the failure messages.
#include "PictureLoad.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r + 256 * g + 65536 * b; }

// Entry i of the colour table of the test pictures.
uint32_t tableColour(uint32_t i) { return rgb(i, 255 - i, (i * 7) % 256); }

// The index (palette pictures) or colour (24 bits) put at (x, y).
uint32_t sample(int32_t bits, int32_t x, int32_t y)
{
    const uint32_t n = uint32_t(x * 31 + y * 17);
    return bits == 24 ? rgb(n % 256, (n / 3) % 256, (n * 5) % 256) : n % (1u << bits);
}

// The 24-bit colour the sample becomes: its table's at every palette depth.
uint32_t widened(int32_t bits, uint32_t value) { return bits == 24 ? value : tableColour(value); }

dib makePicture(int32_t width, int32_t height, int32_t bits, bool fill = true)
{
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto *colours = reinterpret_cast<BITMAPINFO *>(info.data());
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t c = tableColour(i);
        colours->bmiColors[i] = RGBQUAD{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0};
    }
    dib d = emptydib();
    newdib(&d, width, height, bits, bits <= 8 ? colours : nullptr, bits <= 8 ? 256 : 0);
    for (int32_t y = 0; fill && d.poi && y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            setpixel(d, x, y, sample(bits, x, y));
    return d;
}

// Pages of address space in use: large pictures are mapped blocks, so a
// picture left behind shows here.
long addressSpacePages()
{
    long pages = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(f);
    }
    return pages;
}

void expectWidenedCopy(const LoadedPicture &loaded, int32_t width, int32_t height, int32_t bits)
{
    ASSERT_EQ(loaded.failure, LoadFailure::None);
    ASSERT_NE(loaded.source->poi, nullptr);
    ASSERT_NE(loaded.result->poi, nullptr);
    EXPECT_NE(loaded.source->poi, loaded.result->poi);
    EXPECT_EQ(dibbits(loaded.source), 24);
    EXPECT_EQ(dibbits(loaded.result), 24);
    EXPECT_EQ(dibwidth(loaded.result), width);
    EXPECT_EQ(dibheight(loaded.result), height);
    ASSERT_EQ(loaded.result->bytew, loaded.source->bytew);
    EXPECT_EQ(std::memcmp(loaded.source->poi, loaded.result->poi, size_t(height) * size_t(loaded.source->bytew)), 0);
    int wrong = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            wrong += getpixel(loaded.source, x, y) != widened(bits, sample(bits, x, y));
    EXPECT_EQ(wrong, 0);
}

class CompletePicture : public testing::TestWithParam<int32_t> {};

TEST_P(CompletePicture, WidensToTwentyFourBitsAndCopies)
{
    const int32_t bits = GetParam();
    // An odd width, so rows end in padding at every depth.
    const dib read = makePicture(37, 11, bits);
    ASSERT_NE(read.poi, nullptr);
    std::vector<int32_t> reports;
    LoadedPicture loaded = completePicture(Picture(read), [&](int32_t p) { reports.push_back(p); });
    expectWidenedCopy(loaded, 37, 11, bits);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), 0); // the gauge is emptied at the end
}

INSTANTIATE_TEST_SUITE_P(Depths, CompletePicture, testing::Values(1, 4, 8, 24));

// A picture read at 24 bits needs no widening, yet its copy takes seconds at
// the size limit: the gauge moves meanwhile.
TEST(CompletePictureProgress, CopyingALargePictureMovesTheGauge)
{
    const dib read = makePicture(2048, 2000, 24, false);
    ASSERT_NE(read.poi, nullptr);
    std::vector<int32_t> reports;
    LoadedPicture loaded = completePicture(Picture(read), [&](int32_t p) { reports.push_back(p); });
    ASSERT_EQ(loaded.failure, LoadFailure::None);
    EXPECT_TRUE(std::any_of(reports.begin(), reports.end(), [](int32_t p) { return p > 0 && p < 100; }));
    EXPECT_EQ(reports.back(), 0);
}

// The library delivers 1, 4, 8 or 24 bits; any other depth would reach the
// editor as a picture it takes for 24 bits, so it is refused.
TEST(CompletePictureRefuses, DepthsThatCannotBeWidened)
{
    for (const uint16_t bits : {uint16_t(16), uint16_t(32), uint16_t(2)}) {
        dib read = makePicture(8, 4, 24, false);
        ASSERT_NE(read.poi, nullptr);
        read.pmi->bmiHeader.biBitCount = bits;
        LoadedPicture loaded = completePicture(Picture(read), nullptr);
        EXPECT_EQ(loaded.failure, LoadFailure::NoTrueColour) << bits;
        EXPECT_TRUE(loaded.reason.contains(QString::number(bits))) << loaded.reason.toStdString();
        EXPECT_EQ(loaded.source->poi, nullptr);
        EXPECT_EQ(loaded.result->poi, nullptr);
    }
}

// No memory for the wide picture (8 bits) or for the result copy (24 bits):
// the load fails as out of memory and leaves nothing allocated.
TEST(CompletePictureRefuses, WhatMemoryCannotHold)
{
    for (const int32_t bits : {8, 24}) {
        const long before = addressSpacePages();
        // 36 MB at 8 bits, 108 MB at 24: the wide copy needs more than the cap leaves.
        const dib read = makePicture(6000, 6000, bits, false);
        ASSERT_NE(read.poi, nullptr);
        LoadedPicture loaded;
        {
            const bk3test::AddressSpaceCap cap;
            loaded = completePicture(Picture(read), nullptr);
        }
        EXPECT_EQ(loaded.failure, LoadFailure::OutOfMemory) << bits;
        EXPECT_EQ(loaded.source->poi, nullptr);
        EXPECT_EQ(loaded.result->poi, nullptr);
        const long leftPages = addressSpacePages() - before;
        EXPECT_LT(leftPages * sysconf(_SC_PAGESIZE), 16L << 20) << "picture left behind at " << bits << " bits";
    }
}

class ReadPicture : public testing::Test {
protected:
    QTemporaryDir folder{QDir::homePath() + QStringLiteral("/read-XXXXXX")};
    QString path(const QString &name) const { return folder.filePath(name); }
};

TEST_F(ReadPicture, ReadsAFileByItsLocalName)
{
    ASSERT_TRUE(folder.isValid());
    // A name beyond ASCII reaches the library in the local 8-bit encoding.
    const QString file = path(QStringLiteral("Größe ä.bmp"));
    dib written = makePicture(300, 200, 8);
    ASSERT_EQ(SaveDib(written, QFile::encodeName(file).constData(), BK3_FORMAT_BMP, nullptr), 1);
    freedib(written);

    std::vector<uintptr_t> reports;
    bk3_sink sink{&reports, [](void *target, uint32_t msg, uintptr_t wParam, intptr_t) {
                      if (msg == BK3_WM_USER)
                          static_cast<std::vector<uintptr_t> *>(target)->push_back(wParam);
                  }};
    LoadedPicture loaded = readPicture(QFile::encodeName(file), &sink, nullptr);
    expectWidenedCopy(loaded, 300, 200, 8);
    ASSERT_FALSE(reports.empty());
    EXPECT_LE(reports.back(), 100u);
}

// Bilevel files look as another program shows them, whichever colour their
// table gives 0: a min-is-white TIFF, a BMP whose first entry is white, and
// one of two colours.
TEST_F(ReadPicture, BilevelFilesLookAsInImageMagick)
{
    ASSERT_TRUE(folder.isValid());
    if (!bk3test::have_tool("convert"))
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const std::string gradient = "convert -size 37x11 gradient: -monochrome -depth 1 ";
    const struct {
        const char *name;
        std::string made; // by convert, else by the library with `table`
        std::vector<RGBQUAD> table;
    } cases[] = {
        {"weiss-null.tif", gradient + "-define quantum:polarity=min-is-white", {}},
        {"schwarz-null.tif", gradient + "-define quantum:polarity=min-is-black", {}},
        {"weiss-zuerst.bmp", "", {{255, 255, 255, 0}, {0, 0, 0, 0}}},
        {"zwei-farben.bmp", "", {{0, 0, 255, 0}, {255, 0, 0, 0}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = QFile::encodeName(path(QString::fromLatin1(c.name))).toStdString();
        if (!c.made.empty()) {
            ASSERT_TRUE(bk3test::run(c.made + " '" + file + "'"));
        } else {
            std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
            std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), c.table.data(), 2 * sizeof(RGBQUAD));
            dib written = emptydib();
            newdib(&written, 37, 11, 1, reinterpret_cast<BITMAPINFO *>(info.data()), 2);
            ASSERT_NE(written.poi, nullptr);
            for (int32_t y = 0; y < 11; ++y)
                for (int32_t x = 0; x < 37; ++x)
                    setpixel(written, x, y, sample(1, x, y));
            ASSERT_EQ(SaveDib(written, file.c_str(), BK3_FORMAT_BMP, nullptr), 1);
            freedib(written);
        }
        ASSERT_TRUE(bk3test::run("convert '" + file + "' -strip -depth 8 ppm:'" + file + ".ppm'"));
        const std::vector<uint32_t> shown = bk3test::colours_of_ppm(bk3test::read_file(file + ".ppm"));
        const LoadedPicture loaded = readPicture(QByteArray::fromStdString(file), nullptr, nullptr);
        ASSERT_EQ(loaded.failure, LoadFailure::None);
        ASSERT_EQ(dibbits(loaded.source), 24);
        EXPECT_EQ(bk3test::colours_of(loaded.source), shown);
        EXPECT_EQ(std::set<uint32_t>(shown.begin(), shown.end()).size(), size_t(2));
    }
}

TEST_F(ReadPicture, FailureCarriesTheLibrarysReason)
{
    ASSERT_TRUE(folder.isValid());
    QFile garbage(path(QStringLiteral("kaputt.bmp")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("Dies ist kein Bild, nur Text in einer Datei.");
    garbage.close();
    for (const QString &name : {QStringLiteral("fehlt.bmp"), QStringLiteral("kaputt.bmp")}) {
        LoadedPicture loaded = readPicture(QFile::encodeName(path(name)), nullptr, nullptr);
        EXPECT_EQ(loaded.failure, LoadFailure::Unreadable);
        EXPECT_GT(loaded.reason.length(), 5) << name.toStdString();
        EXPECT_EQ(loaded.source->poi, nullptr);
        EXPECT_EQ(loaded.result->poi, nullptr);
    }
}

dib withPalText(const std::u16string &text, bool terminated)
{
    dib d = emptydib();
    std::memset(d.pal.rgb0, 0x41, sizeof d.pal.rgb0); // no NUL anywhere
    const size_t units = std::min(text.size() + (terminated ? 1 : 0), sizeof d.pal.rgb0 / 2);
    std::memcpy(d.pal.rgb0, text.c_str(), units * 2);
    return d;
}

TEST(LibraryReason, ReadsUtf16UpToItsEnd)
{
    EXPECT_EQ(libraryReason(withPalText(u"", true)), QString());
    EXPECT_EQ(libraryReason(withPalText(u"Die Datei ist leer.", true)), QStringLiteral("Die Datei ist leer."));
    EXPECT_EQ(libraryReason(withPalText(u"Bild \U0001F5BC fehlt", true)),
              QString::fromUtf16(u"Bild \U0001F5BC fehlt"));
    // A text without its NUL ends with the entries: 512 units, nothing beyond.
    const QString unterminated = libraryReason(withPalText(std::u16string(600, u'x'), false));
    EXPECT_EQ(unterminated, QString(512, QLatin1Char('x')));
}

struct MessageCase {
    const char *name;
    LoadFailure failure;
    QString reason;
    bool reasonShown;
};

class LoadFailureMessages : public testing::TestWithParam<MessageCase> {};

TEST_P(LoadFailureMessages, NameTheFileAndShowALongReason)
{
    const MessageCase &c = GetParam();
    const QString file = QStringLiteral("/bilder/opa.jpg");
    const QString notLoaded = QStringLiteral("Fehler: Die Datei /bilder/opa.jpg konnte nicht geladen werden!");
    const LoadFailureMessage message = loadFailureMessage(c.failure, file, c.reason);
    EXPECT_FALSE(message.errorIcon);
    if (c.reasonShown) {
        EXPECT_EQ(message.text, c.reason);
        EXPECT_EQ(message.title, notLoaded);
    } else {
        EXPECT_EQ(message.text, notLoaded);
        EXPECT_EQ(message.title, QStringLiteral("Fehler"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, LoadFailureMessages,
    testing::Values(MessageCase{"NoReason", LoadFailure::Unreadable, QString(), false},
                    MessageCase{"FiveCharacters", LoadFailure::Unreadable, QStringLiteral("Fehlt"), false},
                    MessageCase{"SixCharacters", LoadFailure::Unreadable, QStringLiteral("Fehlt."), true},
                    MessageCase{"LibraryReason", LoadFailure::Unreadable,
                                QStringLiteral("Unbekanntes Dateiformat."), true},
                    MessageCase{"RefusedDepth", LoadFailure::NoTrueColour,
                                QStringLiteral("Bilder mit 16 Bit pro Pixel werden nicht unterstützt."), true}),
    [](const testing::TestParamInfo<MessageCase> &info) { return std::string(info.param.name); });

TEST(LoadFailureMessages, OutOfMemoryIsAnErrorNamingTheFile)
{
    const LoadFailureMessage message =
        loadFailureMessage(LoadFailure::OutOfMemory, QStringLiteral("/bilder/opa.jpg"), QString());
    EXPECT_TRUE(message.errorIcon);
    EXPECT_EQ(message.title, QStringLiteral("Fehler"));
    EXPECT_TRUE(message.text.startsWith(QStringLiteral("Fehler: Zuwenig Speicher!")));
    EXPECT_TRUE(message.text.contains(QStringLiteral("/bilder/opa.jpg")));
}

} // namespace
