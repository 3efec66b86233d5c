// What a drop of files on the window opens.
#include "DroppedFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct DropCase {
    const char *name;
    std::vector<const char *> urls;
    QString open;
    bool folder;
    int ignored;
};

class ChooseDroppedFile : public testing::TestWithParam<DropCase> {};

TEST_P(ChooseDroppedFile, OpensTheFirstLocalItemAndCountsTheRest)
{
    const DropCase &c = GetParam();
    QList<QUrl> urls;
    for (const char *url : c.urls)
        urls.append(QUrl(QString::fromUtf8(url)));
    // Names ending in a slash stand for folders here.
    const DropChoice choice = chooseDroppedFile(urls, [](const QString &path) { return path.endsWith('/'); });
    EXPECT_EQ(choice.open.toStdString(), c.open.toStdString());
    EXPECT_EQ(choice.folder, c.folder);
    EXPECT_EQ(choice.ignored, c.ignored);
}

INSTANTIATE_TEST_SUITE_P(
    Drops, ChooseDroppedFile,
    testing::Values(DropCase{"OneFile", {"file:///bilder/a.bmp"}, "/bilder/a.bmp", false, 0},
                    DropCase{"ThreeFilesTheFirstOpens",
                             {"file:///b/2.png", "file:///b/1.png", "file:///b/3.png"}, "/b/2.png", false, 2},
                    DropCase{"EncodedName", {"file:///b/gr%C3%BCn%20bild.jpg"}, "/b/grün bild.jpg", false, 0},
                    DropCase{"WebAddressIsPassedOverButCounted",
                             {"https://example.org/a.bmp", "file:///b/a.bmp"}, "/b/a.bmp", false, 1},
                    DropCase{"FolderFirst", {"file:///b/ordner/", "file:///b/a.bmp"}, "/b/ordner/", true, 1},
                    DropCase{"OnlyWebAddresses", {"https://example.org/a.bmp"}, "", false, 0},
                    DropCase{"Nothing", {}, "", false, 0}),
    [](const testing::TestParamInfo<DropCase> &info) { return std::string(info.param.name); });

} // namespace
