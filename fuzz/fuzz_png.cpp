// Fuzzes the PNG glue (libspng); what decodes is written back and must read back
// to the same colours. Chunk checksums are made right first: a mutated header or
// table would otherwise stop at its checksum and never reach the decoding.
#include "CodecFuzzer.h"

#include <vector>

namespace {

uint32_t crc32(const uint8_t *p, size_t n)
{
  uint32_t crc = 0xFFFFFFFF;
  while (n--) {
    crc ^= *p++;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void fix_checksums(std::vector<uint8_t> &png)
{
  for (size_t p = 8; p + 12 <= png.size();) {
    const uint32_t length = uint32_t(png[p]) << 24 | png[p + 1] << 16 | png[p + 2] << 8 | png[p + 3];
    if (length > png.size() - p - 12)
      return;
    const uint32_t crc = crc32(&png[p + 4], 4 + size_t(length));
    for (int i = 0; i < 4; ++i)
      png[p + 8 + length + i] = uint8_t(crc >> (24 - 8 * i));
    p += 12 + size_t(length);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  std::vector<uint8_t> png(data, data + size);
  fix_checksums(png);
  return fuzzing::fuzz_codec(png.data(), png.size(), {bk3::png_load, bk3::png_save, true, 1 << 16});
}
