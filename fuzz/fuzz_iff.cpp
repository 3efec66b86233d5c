// Feeds arbitrary bytes to the IFF decoder in memory, and writes what it decoded
// back out through the encoder and reads that again: both sides of the codec are
// exercised and must agree on every pixel.
#include "codecs/formats.h"
#include "dibcore.h"
#include "progress.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Keeps the encoder's bytes, so they can be decoded again.
class MemoryWriter : public bk3::Writer {
public:
  std::vector<uint8_t> bytes;

protected:
  bool put(const void *data, size_t size) override
  {
    const auto *p = static_cast<const uint8_t *>(data);
    bytes.insert(bytes.end(), p, p + size);
    return true;
  }
};

// The colour of a pixel, looked up in the table for palette pictures.
uint32_t colour(const dib &d, int32_t x, int32_t y)
{
  const uint32_t v = bk3::get_pixel(d, x, y);
  if (d.pmi->bmiHeader.biBitCount == 24)
    return v;
  const RGBQUAD q = bk3::colour_table(d)[v];
  return q.rgbRed | q.rgbGreen << 8 | uint32_t(q.rgbBlue) << 16;
}

void count_progress(void *target, uint32_t, uintptr_t percent, intptr_t)
{
  if (percent > 100)
    __builtin_trap();
  ++*static_cast<unsigned *>(target);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  unsigned reports = 0;
  bk3_sink sink{&reports, count_progress};
  bk3::Progress progress(&sink);
  dib picture;
  if (bk3::iff_load(data, size, &picture, progress)) {
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
  // What we write must read back as the same colours.
  MemoryWriter out;
  bk3::Progress quiet(nullptr);
  if (!bk3::iff_save(picture, out, quiet))
    __builtin_trap();
  dib back;
  if (bk3::iff_load(out.bytes.data(), out.bytes.size(), &back, quiet))
    __builtin_trap();
  if (back.pmi->bmiHeader.biWidth != h.biWidth || back.pmi->bmiHeader.biHeight != h.biHeight)
    __builtin_trap();
  for (int32_t y = 0; y < h.biHeight; ++y)
    for (int32_t x = 0; x < h.biWidth; ++x)
      if (colour(back, x, y) != colour(picture, x, y))
        __builtin_trap();
  bk3::free_dib(&back);
  bk3::free_dib(&picture);
  return 0;
}
