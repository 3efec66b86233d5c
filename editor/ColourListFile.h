// The colour-list file (".far") byte by byte, without widgets or Qt, so tests and
// the fuzzer drive it directly. Layout, all integers 32-bit signed little-endian:
// the entry count, then per entry three strings (name, hue text, saturation
// text), each its byte length followed by that many 8-bit characters.
// No header, no terminator, nothing after the last entry.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// One entry as stored: the three texts as 8-bit (Windows-1252) bytes.
struct FarEntry {
    std::string name;
    std::string hue;
    std::string saturation;

    bool operator==(const FarEntry &other) const
    {
        return name == other.name && hue == other.hue && saturation == other.saturation;
    }
};

// An input/output error in the middle of a colour-list file; what() is the
// text the general error report shows.
class FarFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text of a read that runs past the end of the file, also used for lengths
// and counts that cannot be right.
extern const char *const kReadBeyondEnd;

// The text the general error report shows when writing a list failed with the
// system's `errorNumber`: "Disk full" for a full disk only, otherwise the
// system's own text, so that a missing right or a broken device is not taken
// for a lack of space.
std::string writeFailureText(int errorNumber);

// An open file for reading, one byte per record.
class FarReader {
public:
    virtual ~FarReader() = default;
    // Bytes between the position and the end of the file.
    virtual int64_t bytesLeft() const = 0;
    // Reads exactly `count` bytes (at most bytesLeft()); false when the device fails.
    virtual bool read(char *to, int64_t count) = 0;
};

// Reads from bytes already in memory.
class MemoryFarReader : public FarReader {
public:
    explicit MemoryFarReader(std::string_view bytes) : data(bytes) {}
    int64_t bytesLeft() const override { return static_cast<int64_t>(data.size() - position); }
    bool read(char *to, int64_t count) override;

private:
    std::string_view data;
    size_t position = 0;
};

// Appends `text` as its length and its bytes.
void BlockWriteString(std::string &file, const std::string &text);
// Reads one string; throws FarFileError when the file ends first or the length
// is negative. A length is checked against the bytes left before anything is allocated.
void BlockReadString(FarReader &file, std::string &text);

// The whole file for `entries`, in their order.
std::string writeFarFile(const std::vector<FarEntry> &entries);
// Appends the file's entries to `entries`, each only once all three of its texts
// are read; a count of 0 or below gives none. Throws FarFileError when the file
// is shorter than its count and lengths say; `entries` then holds the entries
// read in full before the damage.
void readFarFile(FarReader &file, std::vector<FarEntry> &entries);
