// Fuzzes the PCX codec; what it writes must read back to the same colours in memory.
#include "CodecFuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  return fuzzing::fuzz_codec(data, size, {bk3::pcx_load, bk3::pcx_save, true, 0, bk3::pcx_check_head});
}
