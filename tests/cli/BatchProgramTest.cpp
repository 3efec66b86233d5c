// nuanza-batch as a user runs it: the files it writes are those of the
// window's batch, whatever the number of jobs; a frame it cannot read is named
// and skipped; a file in the --out folder is replaced only when asked; usage
// errors end with status 2 and the help.
#include "Pictures.h"
#include "FileHelpers.h"
#include "FilmBatch.h"
#include "FormatCodes.h"
#include "FollowRun.h"
#include "MotionTransfer.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sys/wait.h>

namespace {

struct Outcome {
    int status = -1;
    QString errors; // standard error
};

QString shellQuoted(const QString &word)
{
    QString text = word;
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("'\\''")) + QLatin1Char('\'');
}

Outcome runBatch(const QStringList &arguments, const QString &errorFile)
{
    QString command = QStringLiteral(NUANZA_BATCH);
    for (const QString &argument : arguments)
        command += QLatin1Char(' ') + shellQuoted(argument);
    command += QStringLiteral(" </dev/null 2>") + shellQuoted(errorFile);
    const int raw = std::system(QFile::encodeName(command).constData());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, QString::fromUtf8(contents(errorFile))};
}

// Frames of every way through the batch: a grey JPEG, a colour BMP larger than
// the model, a four-bit BMP, a grey TIFF smaller than the model.
class BatchProgram : public testing::Test {
protected:
    QTemporaryDir folder{QDir::home().filePath(QStringLiteral("cli-XXXXXX"))};
    QStringList frames;
    QString model;

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        model = path("modell.bmp");
        save(makePicture(40, 30, [](int x, int y) { return uint32_t(40 + 5 * x) << 16 | uint32_t(200 - 6 * y) << 8 | uint32_t(60 + x * y % 150); }),
             model, BK3_FORMAT_BMP);
        const auto grey = [](int x, int y) { return 0x010101u * uint32_t((7 * x + 11 * y) % 256); };
        addFrame("bild1.jpg", greyPicture(40, 30, 8, grey), BK3_FORMAT_JPEG);
        addFrame("bild2.bmp", makePicture(52, 33, [](int x, int y) { return uint32_t(0x030201 * (x + y) % 0xFFFFFF); }),
                 BK3_FORMAT_BMP);
        addFrame("bild3.bmp", greyPicture(17, 9, 4, grey), BK3_FORMAT_BMP);
        addFrame("bild4.tif", greyPicture(25, 12, 8, grey), BK3_FORMAT_TIFF);
    }
    QString path(const QString &name) const { return folder.filePath(name); }
    void save(const Picture &picture, const QString &file, int format)
    {
        ASSERT_EQ(SaveDib(picture.get(), QFile::encodeName(file).constData(), format, nullptr), 1);
    }
    void addFrame(const char *name, const Picture &picture, int format)
    {
        frames << path(QString::fromUtf8(name));
        save(picture, frames.back(), format);
    }
    static Picture greyPicture(int width, int height, int bits, uint32_t (*grey)(int, int))
    {
        const int entries = 1 << bits;
        std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + size_t(entries) * sizeof(RGBQUAD));
        auto *table = reinterpret_cast<BITMAPINFO *>(info.data());
        for (int i = 0; i < entries; ++i) {
            const uint8_t level = uint8_t(i * 255 / (entries - 1));
            table->bmiColors[i] = RGBQUAD{level, level, level, 0};
        }
        Picture picture;
        newdib(&picture.get(), width, height, bits, table, entries);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                setpixel(picture.get(), x, y, (grey(x, y) & 0xFF) * uint32_t(entries - 1) / 255);
        return picture;
    }
    // What the window's batch writes for `frame`: loaded as the window loads a
    // picture, coloured and written by the batch's own function.
    QByteArray windowsBatch(const QString &frame)
    {
        ColourModel colours;
        LoadedPicture m = readPicture(QFile::encodeName(model), nullptr, Progress());
        LoadedPicture f = readPicture(QFile::encodeName(frame), nullptr, Progress());
        const QString target = path(QStringLiteral("fenster") + fileExtension(frame));
        if (!colours.build(m.source.get())
            || colourAndWrite(f.source.get(), f.result.get(), f.source.rows(), colours, target, nullptr)
                   != BatchWrite::Written)
            return "<not written>";
        return contents(target);
    }
    QString errors() const { return path(QStringLiteral("fehler.txt")); }
};

TEST_F(BatchProgram, WritesWhatTheWindowsBatchWritesWithAnyNumberOfJobs)
{
    QList<QByteArray> expected;
    for (const QString &frame : frames)
        expected << windowsBatch(frame);
    for (const char *jobs : {"1", "3"}) {
        const QString out = path(QStringLiteral("farbig") + QLatin1String(jobs));
        const Outcome run = runBatch(QStringList{"--model", model, "--out", out, "--jobs", QLatin1String(jobs)} + frames, errors());
        EXPECT_EQ(run.status, 0) << run.errors.toStdString();
        // Not a terminal: one summary line.
        EXPECT_TRUE(run.errors.startsWith(QStringLiteral("nuanza-batch: 4 von 4 Bildern geschrieben")));
        EXPECT_EQ(run.errors.count(QLatin1Char('\n')), 1) << run.errors.toStdString();
        for (int i = 0; i < frames.size(); ++i)
            EXPECT_EQ(contents(QDir(out).filePath(QFileInfo(frames[i]).fileName())), expected[i]) << jobs << " " << i;
    }
    // Without --out, over the frames themselves; --quiet leaves only errors.
    const Outcome run = runBatch(QStringList{"-q", "-m", model} + frames, errors());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, QString());
    for (int i = 0; i < frames.size(); ++i)
        EXPECT_EQ(contents(frames[i]), expected[i]) << i;
}

// --follow: each frame coloured from the one before as the library's motion-
// following carry-over colours it, the first from the model; --report writes
// each frame's untrusted pixels.
TEST_F(BatchProgram, FollowColoursTheShotInOrderAsTheLibraryDoes)
{
    const auto scene = [](int shift) {
        return [shift](int x, int y) {
            const int u = x + shift;
            return 0x010101u * uint32_t(128 + 60 * std::sin(u * 0.3) * std::cos(y * 0.25) + (u / 16 + y / 16) % 2 * 40);
        };
    };
    QStringList shot;
    for (int i = 0; i < 3; ++i) {
        shot << path(QStringLiteral("szene%1.bmp").arg(i));
        save(makePicture(96, 72, scene(3 * i)), shot.back(), BK3_FORMAT_BMP);
    }
    const QString first = path(QStringLiteral("erstes.bmp"));
    save(makePicture(96, 72, [](int x, int y) { return y < 36 ? 0x3070C0u + uint32_t(x) : 0xC06030u + uint32_t(y); }), first,
         BK3_FORMAT_BMP);

    QList<QByteArray> expected;
    QList<MotionMask> masks;
    Picture predecessor = readPicture(QFile::encodeName(first), nullptr, Progress()).source;
    for (const QString &frame : shot) {
        LoadedPicture f = readPicture(QFile::encodeName(frame), nullptr, Progress());
        masks << MotionMask();
        ASSERT_TRUE(TransferColoursFollowingMotion(f.source.get(), f.result.get(), f.source.rows(), predecessor.get(), &masks.back()));
        const QString target = path(QStringLiteral("bibliothek.bmp"));
        ASSERT_EQ(writePicture(f.result.get(), target, nullptr), BatchWrite::Written);
        expected << contents(target);
        predecessor = std::move(f.result);
    }

    const QString out = path(QStringLiteral("farbig")), report = path(QStringLiteral("masken"));
    const Outcome run = runBatch(QStringList{"--follow", "--model", first, "--out", out, "--report", report} + shot, errors());
    EXPECT_EQ(run.status, 0) << run.errors.toStdString();
    for (int i = 0; i < shot.size(); ++i) {
        EXPECT_EQ(contents(QDir(out).filePath(QFileInfo(shot[i]).fileName())), expected[i]) << i;
        dib read = emptydib();
        OpenDib(&read, QFile::encodeName(maskPathFor(shot[i], report)).constData(), 0, nullptr);
        const Picture mask(read);
        ASSERT_EQ(mask.bits(), 1) << i;
        ASSERT_EQ(mask.width(), masks[i].width);
        ASSERT_EQ(mask.height(), masks[i].height);
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                ASSERT_EQ(rgbAt(mask, x, y) != 0, masks[i].untrusted[size_t(y) * size_t(mask.width()) + size_t(x)] != 0)
                    << i << " at " << x << "," << y;
    }
    EXPECT_EQ(runBatch(QStringList{"--follow", "--shard", "1/2", "-m", first} + shot, errors()).status, 2);
    EXPECT_EQ(runBatch(QStringList{"--report", report, "-m", first} + shot, errors()).status, 2);
}

TEST_F(BatchProgram, UnreadableFrameIsNamedAndSkipped)
{
    const QString broken = path(QStringLiteral("kaputt.jpg"));
    ASSERT_TRUE(writeFile(broken, contents(frames[0]).left(200)));
    const QString out = path(QStringLiteral("farbig"));
    const Outcome run = runBatch({"-m", model, "-o", out, frames[0], broken, frames[3]}, errors());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.errors.contains(broken + QStringLiteral(": nicht lesbar"))) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(QStringLiteral("2 von 3 Bildern geschrieben, 1 fehlgeschlagen")));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList({"bild1.jpg", "bild4.tif"}));
}

TEST_F(BatchProgram, ExistingFilesInTheOutFolderAreReplacedOnlyWhenAsked)
{
    struct Case {
        const char *option;
        int status;
        bool replaced;
    };
    const Case cases[] = {{"", 1, false}, {"--skip-existing", 0, false}, {"--overwrite", 0, true}};
    const QByteArray coloured = windowsBatch(frames[3]);
    for (const Case &c : cases) {
        const QString out = path(QStringLiteral("ziel"));
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        const QString existing = QDir(out).filePath(QStringLiteral("bild4.tif"));
        ASSERT_TRUE(writeFile(existing, "schon da"));
        QStringList arguments{"-m", model, "-o", out, frames[0], frames[3]};
        if (*c.option)
            arguments << QLatin1String(c.option);
        const Outcome run = runBatch(arguments, errors());
        EXPECT_EQ(run.status, c.status) << c.option << run.errors.toStdString();
        EXPECT_EQ(contents(existing), c.replaced ? coloured : QByteArray("schon da")) << c.option;
        EXPECT_EQ(run.errors.contains(QStringLiteral("gibt es schon")), c.status == 1) << c.option;
        EXPECT_TRUE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("bild1.jpg")))) << c.option;
    }
}

TEST_F(BatchProgram, UsageErrorsEndWithStatusTwoAndTheHelp)
{
    ASSERT_TRUE(writeFile(path(QStringLiteral("kein-bild.bmp")), "BM kein Bild"));
    const QByteArray before = contents(frames[0]);
    const QStringList cases[] = {
        {"--modell", model, frames[0]},
        {"-m", path(QStringLiteral("fehlt.bmp")), frames[0]},
        {"-m", path(QStringLiteral("kein-bild.bmp")), frames[0]},
        {"-m", model, "--files-from", path(QStringLiteral("fehlt.txt"))},
    };
    for (const QStringList &arguments : cases) {
        const Outcome run = runBatch(arguments, errors());
        EXPECT_EQ(run.status, 2) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.startsWith(QStringLiteral("nuanza-batch: "))) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(QStringLiteral("Aufruf: nuanza-batch --model MODELL")));
    }
    EXPECT_EQ(contents(frames[0]), before);
}

} // namespace
