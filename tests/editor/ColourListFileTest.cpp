// The colour-list file byte by byte: the exact layout, round trips, and damaged
// or hostile files, which must fail with the input/output error and leave only
// complete entries behind.
#include "AddressSpaceCap.h"
#include "ColourListFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string int32(int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    return bytes({int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF), int(u >> 24)});
}

std::string text(const std::string &s) { return int32(int32_t(s.size())) + s; }

// Reads `file`; returns the error text ("" when none) and the entries left.
std::string readAll(const std::string &file, std::vector<FarEntry> &entries)
{
    MemoryFarReader reader(file);
    try {
        readFarFile(reader, entries);
    } catch (const FarFileError &error) {
        return error.what();
    }
    return {};
}

// A reader that gives up in the middle, as a failing disk would.
class FailingReader : public FarReader {
public:
    explicit FailingReader(std::string data, int64_t failAt) : inner(data), data(std::move(data)), failAt(failAt) {}
    int64_t bytesLeft() const override { return inner.bytesLeft(); }
    bool read(char *to, int64_t count) override
    {
        const int64_t position = int64_t(data.size()) - inner.bytesLeft();
        if (position + count > failAt)
            return false;
        return inner.read(to, count);
    }

private:
    MemoryFarReader inner;
    std::string data;
    int64_t failAt;
};


} // namespace

TEST(ColourListFile, WorkedExampleIs25Bytes)
{
    const std::string file = writeFarFile({{"Haut", "20", "141"}});
    EXPECT_EQ(file, bytes({1, 0, 0, 0, 4, 0, 0, 0, 0x48, 0x61, 0x75, 0x74, 2, 0, 0, 0, 0x32, 0x30,
                           3, 0, 0, 0, 0x31, 0x34, 0x31}));
    EXPECT_EQ(file.size(), 25u);
    EXPECT_EQ(writeFarFile({}), bytes({0, 0, 0, 0}));
}

TEST(ColourListFile, BlockStringsAreLengthThenBytes)
{
    std::string file;
    BlockWriteString(file, "");
    BlockWriteString(file, "S\xE4ttigung"); // one byte per character
    EXPECT_EQ(file, int32(0) + int32(9) + "S\xE4ttigung");

    MemoryFarReader reader(file);
    std::string first = "old", second;
    BlockReadString(reader, first);
    BlockReadString(reader, second);
    EXPECT_EQ(first, "");
    EXPECT_EQ(second, "S\xE4ttigung");
    EXPECT_EQ(reader.bytesLeft(), 0);
}

TEST(ColourListFile, RoundTripKeepsOrderAndTexts)
{
    const std::vector<std::vector<FarEntry>> lists = {
        {},
        {{"", "", ""}},
        {{"Haut", "20", "141"}, {"Haut", "20", "141"}, {"", "0", "255"}},
        {{"Himmel", "143", "157"}, {"Wasser", "147", "101"}, {"Sand", "23", "117"}},
        {{std::string(70000, 'x'), "kein", "Zahl"}, {bytes({0, 0x81, 0xFF}), "-5", "999"}},
    };
    for (const auto &list : lists) {
        std::vector<FarEntry> back;
        EXPECT_EQ(readAll(writeFarFile(list), back), "");
        EXPECT_EQ(back, list);
    }
}

TEST(ColourListFile, CountOfZeroOrBelowIsAnEmptyList)
{
    for (int32_t count : {0, -1, -12, INT32_MIN}) {
        std::vector<FarEntry> entries;
        // Whatever follows a count of 0 or below is not read.
        EXPECT_EQ(readAll(int32(count) + text("Haut") + text("20"), entries), "") << count;
        EXPECT_TRUE(entries.empty()) << count;
    }
}

TEST(ColourListFile, TrailingBytesAreIgnored)
{
    std::vector<FarEntry> entries;
    EXPECT_EQ(readAll(writeFarFile({{"a", "1", "2"}}) + "Rest", entries), "");
    EXPECT_EQ(entries, (std::vector<FarEntry>{{"a", "1", "2"}}));
}

// Every cut of a three-entry file fails with the early-end error and leaves
// exactly the entries that lie complete before the cut.
TEST(ColourListFile, EveryTruncationKeepsOnlyCompleteEntries)
{
    const std::vector<FarEntry> list = {{"Haut", "20", "141"}, {"", "1", ""}, {"Wald", "89", "48"}};
    const std::string file = writeFarFile(list);
    std::vector<size_t> ends; // where each entry ends in the file
    size_t position = 4;
    for (const FarEntry &entry : list) {
        position += 12 + entry.name.size() + entry.hue.size() + entry.saturation.size();
        ends.push_back(position);
    }
    ASSERT_EQ(ends.back(), file.size());

    for (size_t cut = 0; cut < file.size(); ++cut) {
        std::vector<FarEntry> entries;
        EXPECT_EQ(readAll(file.substr(0, cut), entries), kReadBeyondEnd) << "cut at " << cut;
        size_t complete = 0;
        while (complete < ends.size() && ends[complete] <= cut)
            ++complete;
        EXPECT_EQ(entries, std::vector<FarEntry>(list.begin(), list.begin() + long(complete)))
            << "cut at " << cut;
    }
}

TEST(ColourListFile, HostileLengthsAndCountsFailWithoutAllocating)
{
    const struct {
        const char *what;
        std::string file;
        size_t complete;
    } cases[] = {
        {"negative name length", int32(1) + int32(-1) + text("20") + text("141"), 0},
        {"negative hue length after a good entry",
         int32(2) + text("a") + text("1") + text("2") + text("b") + int32(INT32_MIN) + text("3"), 1},
        {"length past the end", int32(1) + int32(5) + "Haut" + text("20") + text("141"), 0},
        {"huge length", int32(1) + int32(INT32_MAX) + std::string(8, 'x'), 0},
        {"huge count", int32(INT32_MAX) + text("a") + text("1") + text("2"), 1},
        {"count beyond the entries", int32(3) + text("a") + text("1") + text("2"), 1},
        {"count cut short", bytes({1, 0}), 0},
    };
    const AddressSpaceCap cap;
    for (const auto &c : cases) {
        std::vector<FarEntry> entries;
        EXPECT_EQ(readAll(c.file, entries), kReadBeyondEnd) << c.what;
        EXPECT_EQ(entries.size(), c.complete) << c.what;
    }
}

TEST(ColourListFile, WriteFailureNamesItsRealReason)
{
    const struct {
        int errorNumber;
        const char *text;
    } cases[] = {
        {ENOSPC, "Disk full"},
        {EFBIG, "File too large"},
        {EACCES, "Permission denied"},
        {EIO, "Input/output error"},
        {EDQUOT, "Disk quota exceeded"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(writeFailureText(c.errorNumber), c.text) << c.errorNumber;
}

TEST(ColourListFile, DeviceFailureIsAnInputOutputError)
{
    const std::string file = writeFarFile({{"Haut", "20", "141"}, {"Gras", "55", "60"}});
    FailingReader reader(file, 30);
    std::vector<FarEntry> entries;
    EXPECT_THROW(readFarFile(reader, entries), FarFileError);
    EXPECT_EQ(entries, (std::vector<FarEntry>{{"Haut", "20", "141"}}));
}
