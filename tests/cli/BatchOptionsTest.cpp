// The command line of nuanza-batch, and the lists it works through: every
// option and every mistake, and shards that cover a list exactly once.
#include "BatchOptions.h"
#include "FrameList.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <map>

namespace {

ParsedCommandLine parse(std::initializer_list<const char *> words)
{
    QStringList arguments{QStringLiteral("nuanza-batch")};
    for (const char *word : words)
        arguments << QString::fromUtf8(word);
    return parseCommandLine(arguments);
}

TEST(BatchOptions, EveryOptionInLongShortAndAbbreviatedForm)
{
    const ParsedCommandLine a = parse({"eins.jpg", "--model=m.tif", "-o", "farbig", "--jobs", "3", "--shard=2/5",
                                       "--format", ".TIF", "--skip-existing", "-q", "-l", "-", "--", "--zwei.jpg"});
    ASSERT_EQ(a.action, ParsedCommandLine::Run) << a.error.toStdString();
    const BatchOptions &o = a.options;
    EXPECT_EQ(o.model, QStringLiteral("m.tif"));
    EXPECT_EQ(o.outDir, QStringLiteral("farbig"));
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.shard, 2);
    EXPECT_EQ(o.shards, 5);
    EXPECT_EQ(o.format, QStringLiteral("TIF"));
    EXPECT_TRUE(o.skipExisting && o.quiet && !o.overwrite);
    EXPECT_EQ(o.filesFrom, QStringLiteral("-"));
    EXPECT_EQ(o.frames, QStringList({QStringLiteral("eins.jpg"), QStringLiteral("--zwei.jpg")}));

    const ParsedCommandLine b = parse({"--mod", "m.jpg", "--overw", "--out", "d", "x.bmp"});
    ASSERT_EQ(b.action, ParsedCommandLine::Run) << b.error.toStdString();
    EXPECT_EQ(b.options.model, QStringLiteral("m.jpg"));
    EXPECT_TRUE(b.options.overwrite);
    EXPECT_EQ(b.options.jobs, 0);
    EXPECT_EQ(b.options.shards, 1);
}

struct Refused {
    std::initializer_list<const char *> words;
    ParsedCommandLine::Action action;
    const char *error; // part of the message
};

TEST(BatchOptions, MistakesAreNamedInGerman)
{
    const Refused cases[] = {
        {{"--model", "m.tif", "--bogus", "a.jpg"}, ParsedCommandLine::Usage, "unbekannte Option „--bogus“"},
        {{"-m", "m.tif", "-qz", "a.jpg"}, ParsedCommandLine::Usage, "unbekannte Option „-z“"},
        {{"--quiet=1", "-m", "m.tif", "a.jpg"}, ParsedCommandLine::Usage, "„--quiet“ nimmt keinen Wert"},
        {{"-m", "m.tif", "--o", "d", "a.jpg"}, ParsedCommandLine::Usage, "„--o“ ist mehrdeutig"},
        {{"a.jpg", "--model"}, ParsedCommandLine::Usage, "„--model“ braucht einen Wert"},
        {{"a.jpg", "-m"}, ParsedCommandLine::Usage, "„-m“ braucht einen Wert"},
        {{"a.jpg"}, ParsedCommandLine::Usage, "kein Modell"},
        {{"-m", "m.tif"}, ParsedCommandLine::Usage, "keine Bilder"},
        {{"-m", "m.tif", "-j", "0", "a.jpg"}, ParsedCommandLine::Usage, "--jobs braucht eine Zahl"},
        {{"-m", "m.tif", "-j", "2x", "a.jpg"}, ParsedCommandLine::Usage, "--jobs braucht eine Zahl"},
        {{"-m", "m.tif", "--shard", "3/2", "a.jpg"}, ParsedCommandLine::Usage, "--shard braucht K/N"},
        {{"-m", "m.tif", "--shard", "0/2", "a.jpg"}, ParsedCommandLine::Usage, "--shard braucht K/N"},
        {{"-m", "m.tif", "--shard", "1/0", "a.jpg"}, ParsedCommandLine::Usage, "--shard braucht K/N"},
        {{"-m", "m.tif", "--shard", "2", "a.jpg"}, ParsedCommandLine::Usage, "--shard braucht K/N"},
        {{"-m", "m.tif", "--format", "psd", "a.jpg"}, ParsedCommandLine::Usage, "kein Bildformat für „psd“"},
        {{"-m", "m.tif", "-o", "d", "--overwrite", "--skip-existing", "a.jpg"}, ParsedCommandLine::Usage,
         "schließen einander aus"},
        {{"-m", "m.tif", "--overwrite", "a.jpg"}, ParsedCommandLine::Usage, "--overwrite gilt nur mit --out"},
        {{"--bogus", "--help"}, ParsedCommandLine::Usage, "unbekannte Option"},
        {{"a.jpg", "--help", "--bogus"}, ParsedCommandLine::Help, ""},
        {{"--version"}, ParsedCommandLine::Version, ""},
    };
    for (const Refused &c : cases) {
        const ParsedCommandLine parsed = parse(c.words);
        EXPECT_EQ(parsed.action, c.action) << parsed.error.toStdString();
        EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(c.error))) << parsed.error.toStdString();
    }
}

TEST(FrameList, ShardsCoverTheListExactlyOnce)
{
    for (int size : {0, 1, 5, 24}) {
        QStringList frames;
        for (int i = 0; i < size; ++i)
            frames << QStringLiteral("bild%1.tif").arg(i);
        for (int n : {1, 2, 3, 7, 30}) {
            std::map<QString, int> seen;
            for (int k = 1; k <= n; ++k) {
                const QStringList part = shardOf(frames, k, n);
                for (int j = 0; j < part.size(); ++j) {
                    seen[part[j]] += 1;
                    // Position k + j n of the list, counted from 1.
                    ASSERT_LT(k - 1 + j * n, size) << "shard " << k << "/" << n;
                    EXPECT_EQ(part[j], frames[k - 1 + j * n]) << "shard " << k << "/" << n;
                }
            }
            EXPECT_EQ(int(seen.size()), size) << n;
            for (const auto &entry : seen)
                EXPECT_EQ(entry.second, 1) << entry.first.toStdString() << " in " << n << " shards";
        }
    }
}

TEST(FrameList, ListLinesAndTargets)
{
    QByteArray text("a.jpg\r\n\n/b c/d.tif\n\nlast.bmp");
    QBuffer list(&text);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(readFrameList(list), QStringList({"a.jpg", "/b c/d.tif", "last.bmp"}));

    struct Case {
        const char *frame, *out, *format, *target;
        bool overItself;
    };
    const Case cases[] = {
        {"f/a.jpg", "", "", "f/a.jpg", true},
        {"f/a.jpg", "", "jpg", "f/a.jpg", true},
        {"f/a.jpg", "", "tif", "f/a.tif", false},
        {"f/a.b.jpg", "o", "", "o/a.b.jpg", false},
        {"f/a.b.jpg", "o/", "TIF", "o/a.b.TIF", false},
        {"keine_endung", "o", "bmp", "o/keine_endung.bmp", false},
    };
    for (const Case &c : cases) {
        BatchOptions options;
        options.outDir = QString::fromUtf8(c.out);
        options.format = QString::fromUtf8(c.format);
        const FrameTarget t = targetFor(QString::fromUtf8(c.frame), options);
        EXPECT_EQ(t.target, QString::fromUtf8(c.target)) << c.frame;
        EXPECT_EQ(t.overItself, c.overItself) << c.frame;
    }
}

} // namespace
