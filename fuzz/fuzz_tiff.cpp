// Fuzzes the TIFF glue (libtiff); small pictures are written back too in memory.
#include "CodecFuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  return fuzzing::fuzz_codec(data, size, {bk3::tiff_load, bk3::tiff_save, false, 4096});
}
