// Fuzzes the colour-list reader: any bytes either fail with the input/output
// error or give entries that write back to exactly the bytes they were read from.
#include "ColourListFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const std::string_view bytes(reinterpret_cast<const char *>(data), size);
  MemoryFarReader reader(bytes);
  std::vector<FarEntry> entries;
  try {
    readFarFile(reader, entries);
  } catch (const FarFileError &) {
    // Only complete entries are kept, and never more than the bytes could hold.
    if (!entries.empty() && entries.size() * 12 + 4 > size)
      __builtin_trap();
    return 0;
  }
  const size_t consumed = size - static_cast<size_t>(reader.bytesLeft());
  const std::string written = writeFarFile(entries);
  if (entries.empty()) {
    if (written != std::string(4, '\0') || consumed != 4)
      __builtin_trap();
  } else if (written != bytes.substr(0, consumed)) {
    __builtin_trap();
  }
  return 0;
}
