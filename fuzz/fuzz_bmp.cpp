// Fuzzes the BMP codec in memory.
#include "CodecFuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  return fuzzing::fuzz_codec(data, size, {bk3::bmp_load, bk3::bmp_save, false, 0, bk3::bmp_check_head});
}
