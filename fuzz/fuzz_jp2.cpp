// Feeds arbitrary bytes to the JPEG 2000 decoder (OpenJPEG glue) in memory, and writes what it decoded
// back out through the encoder, so both directions of the glue are exercised.
#include "codecs/formats.h"
#include "dibcore.h"
#include "progress.h"

#include <cstddef>
#include <cstdint>

namespace {

// Discards the encoder's bytes.
class NullWriter : public bk3::Writer {
protected:
  bool put(const void *, size_t) override { return true; }
};

void check_progress(void *, uint32_t, uintptr_t percent, intptr_t)
{
  if (percent > 100)
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  bk3_sink sink{nullptr, check_progress};
  bk3::Progress progress(&sink);
  dib picture;
  if (bk3::jp2_load(data, size, &picture, progress)) {
    // A failure leaves no picture behind.
    if (picture.poi || picture.pmi || picture.poih || picture.pmih)
      __builtin_trap();
    return 0;
  }
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  if (h.biHeight <= 0 || h.biWidth <= 0 || picture.bytew < bk3::row_bytes(h.biWidth, h.biBitCount))
    __builtin_trap();
  // Touch the corners, so a block shorter than the header claims is found.
  (void)bk3::get_pixel(picture, 0, 0);
  (void)bk3::get_pixel(picture, h.biWidth - 1, h.biHeight - 1);
  // Writing back is slow for large pictures; small ones cover the same paths.
  if (int64_t(h.biWidth) * h.biHeight <= 4096) {
    NullWriter out;
    bk3::Progress quiet(nullptr);
    if (!bk3::jp2_save(picture, out, quiet))
      __builtin_trap();
  }
  bk3::free_dib(&picture);
  return 0;
}
