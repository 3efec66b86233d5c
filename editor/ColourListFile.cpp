#include "ColourListFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

const char *const kReadBeyondEnd = "Read beyond end of file";

std::string writeFailureText(int errorNumber)
{
    if (errorNumber == ENOSPC)
        return "Disk full";
    return std::strerror(errorNumber);
}

namespace {

// An entry is at least its three empty strings: three lengths of 4 bytes.
constexpr int64_t kSmallestEntry = 12;

void writeInt32(std::string &file, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    const char bytes[4] = {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
                           static_cast<char>((bits >> 16) & 0xFF), static_cast<char>(bits >> 24)};
    file.append(bytes, sizeof bytes);
}

void readExactly(FarReader &file, char *to, int64_t count)
{
    if (count > file.bytesLeft() || !file.read(to, count))
        throw FarFileError(kReadBeyondEnd);
}

int32_t readInt32(FarReader &file)
{
    unsigned char bytes[4];
    readExactly(file, reinterpret_cast<char *>(bytes), sizeof bytes);
    const uint32_t bits = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                          uint32_t(bytes[3]) << 24;
    return static_cast<int32_t>(bits);
}

} // namespace

bool MemoryFarReader::read(char *to, int64_t count)
{
    if (count < 0 || count > bytesLeft())
        return false;
    std::memcpy(to, data.data() + position, static_cast<size_t>(count));
    position += static_cast<size_t>(count);
    return true;
}

void BlockWriteString(std::string &file, const std::string &text)
{
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw FarFileError("Text too long for a colour list");
    writeInt32(file, static_cast<int32_t>(text.size()));
    file += text;
}

void BlockReadString(FarReader &file, std::string &text)
{
    const int32_t length = readInt32(file);
    // A negative length or one past the end cannot be read; both are refused
    // before the text is allocated.
    if (length < 0 || length > file.bytesLeft())
        throw FarFileError(kReadBeyondEnd);
    std::string bytes(static_cast<size_t>(length), '\0');
    readExactly(file, bytes.data(), length);
    text = std::move(bytes);
}

std::string writeFarFile(const std::vector<FarEntry> &entries)
{
    if (entries.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw FarFileError("Too many entries for a colour list");
    std::string file;
    writeInt32(file, static_cast<int32_t>(entries.size()));
    for (const FarEntry &entry : entries) {
        BlockWriteString(file, entry.name);
        BlockWriteString(file, entry.hue);
        BlockWriteString(file, entry.saturation);
    }
    return file;
}

void readFarFile(FarReader &file, std::vector<FarEntry> &entries)
{
    const int32_t count = readInt32(file);
    if (count <= 0)
        return;
    // The count is not trusted: room is made only for as many entries as the
    // bytes left can hold. A larger count still reads what is there and then
    // fails where the file ends.
    const int64_t possible = file.bytesLeft() / kSmallestEntry;
    entries.reserve(entries.size() + static_cast<size_t>(std::min<int64_t>(count, possible)));
    for (int32_t i = 0; i < count; ++i) {
        FarEntry entry;
        BlockReadString(file, entry.name);
        BlockReadString(file, entry.hue);
        BlockReadString(file, entry.saturation);
        entries.push_back(std::move(entry));
    }
}
