// The body shared by the codec fuzz targets: arbitrary bytes go to a decoder in
// memory; a decoded picture must be well formed and must write back through the
// encoder, and for the codecs that promise it, read back to the same colours.
#pragma once

#include "codecs/formats.h"
#include "dibcore.h"
#include "progress.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace fuzzing {

struct CodecUnderTest {
  bk3::LoadFn load;
  bk3::SaveFn save;
  // Read what was written and compare every pixel's colour.
  bool read_back = false;
  // Write back only pictures of at most this many pixels (0: all); slow encoders
  // cover the same paths with small pictures.
  int64_t save_limit = 0;
  // The check of the file's head before the rest is read, when the codec has one.
  bk3::HeadFn head = nullptr;
};

// The colour of a pixel, looked up in the table for palette pictures.
inline uint32_t colour(const dib &d, int32_t x, int32_t y)
{
  const uint32_t v = bk3::get_pixel(d, x, y);
  if (d.pmi->bmiHeader.biBitCount == 24)
    return v;
  const RGBQUAD q = bk3::colour_table(d)[v];
  return q.rgbRed | q.rgbGreen << 8 | uint32_t(q.rgbBlue) << 16;
}

inline void check_progress(void *, uint32_t, uintptr_t percent, intptr_t)
{
  if (percent > 100)
    __builtin_trap();
}

inline void check_read_back(const dib &picture, const std::vector<uint8_t> &bytes, const CodecUnderTest &codec)
{
  bk3::Progress quiet(nullptr);
  dib back;
  if (bk3::load_cleanly(codec.load, bytes.data(), bytes.size(), &back, quiet))
    __builtin_trap();
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  if (back.pmi->bmiHeader.biWidth != h.biWidth || back.pmi->bmiHeader.biHeight != h.biHeight)
    __builtin_trap();
  for (int32_t y = 0; y < h.biHeight; ++y)
    for (int32_t x = 0; x < h.biWidth; ++x)
      if (colour(back, x, y) != colour(picture, x, y))
        __builtin_trap();
  bk3::free_dib(&back);
}

inline int fuzz_codec(const uint8_t *data, size_t size, const CodecUnderTest &codec)
{
  bk3_sink sink{nullptr, check_progress};
  bk3::Progress progress(&sink);
  // A file the head check refuses must be one the decoder refuses too.
  const bool refused_early =
      codec.head && codec.head(data, size < bk3::head_bytes ? size : bk3::head_bytes, size) != nullptr;
  dib picture;
  if (bk3::load_cleanly(codec.load, data, size, &picture, progress)) {
    // A failure leaves no picture behind.
    if (picture.poi || picture.pmi || picture.poih || picture.pmih)
      __builtin_trap();
    return 0;
  }
  if (refused_early)
    __builtin_trap();
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  if (h.biHeight <= 0 || h.biWidth <= 0 || picture.bytew < bk3::row_bytes(h.biWidth, h.biBitCount))
    __builtin_trap();
  // Touch the corners, so a block shorter than the header claims is found.
  (void)bk3::get_pixel(picture, 0, 0);
  (void)bk3::get_pixel(picture, h.biWidth - 1, h.biHeight - 1);
  if (codec.save_limit == 0 || int64_t(h.biWidth) * h.biHeight <= codec.save_limit) {
    bk3::MemoryWriter out;
    bk3::Progress quiet(nullptr);
    if (!bk3::save_checked(codec.save, picture, out, quiet))
      __builtin_trap();
    if (codec.read_back)
      check_read_back(picture, out.bytes, codec);
  }
  bk3::free_dib(&picture);
  return 0;
}

} // namespace fuzzing
