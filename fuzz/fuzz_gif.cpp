// Fuzzes the GIF glue (giflib); small pictures are written back too in memory.
#include "CodecFuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  return fuzzing::fuzz_codec(data, size, {bk3::gif_load, bk3::gif_save, false, 4096});
}
