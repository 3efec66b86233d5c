// Fuzzes the TGA codec; what it writes must read back to the same colours in memory.
#include "CodecFuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  return fuzzing::fuzz_codec(data, size, {bk3::tga_load, bk3::tga_save, true, 0, bk3::tga_check_head});
}
