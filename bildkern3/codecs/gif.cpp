// GIF through giflib: the first frame of a file as an 8-bit picture with its colour
// table; writing palette pictures with their table and 24-bit pictures quantised to
// 256 colours by libimagequant (or exactly, when they have no more than 256).
#include "codecs/formats.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace bk3 {

namespace {

struct MemoryIn {
  const uint8_t *data;
  size_t size;
  size_t pos;
};

int read_memory(GifFileType *gif, GifByteType *buf, int want)
{
  auto *in = static_cast<MemoryIn *>(gif->UserData);
  const size_t n = std::min(size_t(want < 0 ? 0 : want), in->size - in->pos);
  std::memcpy(buf, in->data + in->pos, n);
  in->pos += n;
  return int(n);
}

struct CloseIn {
  void operator()(GifFileType *gif) const
  {
    int err = 0;
    DGifCloseFile(gif, &err);
  }
};

// The most pixels a stream of `bytes` compressed bytes can describe: a 12-bit code
// stands for at most 4096 pixels, so a byte for at most 2731 of them.
constexpr uint64_t max_pixels_per_byte = 2731;

Error skip_extension(GifFileType *gif)
{
  int code = 0;
  GifByteType *block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
    return msg::damaged;
  while (block)
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
      return msg::damaged;
  return nullptr;
}

Error read_first_frame(GifFileType *gif, const MemoryIn &in, dib *result, Progress &progress)
{
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR)
      return msg::damaged;
    if (type == EXTENSION_RECORD_TYPE) {
      if (Error e = skip_extension(gif))
        return e;
      continue;
    }
    if (type == TERMINATE_RECORD_TYPE)
      return msg::damaged; // a file without any picture
    if (type != IMAGE_DESC_RECORD_TYPE)
      return msg::damaged;
    break;
  }
  if (DGifGetImageDesc(gif) == GIF_ERROR)
    return msg::damaged;
  const int64_t width = gif->Image.Width, height = gif->Image.Height;
  if (Error e = check_size(width, height))
    return e;
  if (uint64_t(width) * uint64_t(height) > (in.size - in.pos + 1) * max_pixels_per_byte)
    return msg::damaged;

  // A missing table (allowed, but rare) leaves a grey ramp as the best guess.
  const ColorMapObject *map = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
  RGBQUAD table[256] = {};
  for (int i = 0; i < 256; ++i) {
    if (map && i < map->ColorCount) {
      table[i] = {map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0};
    } else if (!map) {
      table[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    }
  }
  if (Error e = make_dib(result, int32_t(width), int32_t(height), 8, table, 256))
    return e;

  // Interlaced frames store every 8th row from 0, every 8th from 4, every 4th from 2,
  // then every 2nd from 1.
  static const int first[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  const int passes = gif->Image.Interlace ? 4 : 1;
  int64_t done = 0;
  for (int pass = 0; pass < passes; ++pass) {
    const int64_t from = gif->Image.Interlace ? first[pass] : 0;
    const int64_t by = gif->Image.Interlace ? step[pass] : 1;
    for (int64_t y = from; y < height; y += by) {
      uint8_t *row = result->poi + (height - 1 - y) * int64_t(result->bytew);
      if (DGifGetLine(gif, row, int(width)) == GIF_ERROR)
        return msg::damaged;
      progress.step(++done, height);
    }
  }
  return nullptr;
}

struct MemoryOut {
  Writer *out;
};

int write_out(GifFileType *gif, const GifByteType *buf, int n)
{
  auto *sink = static_cast<MemoryOut *>(gif->UserData);
  return sink->out->write(buf, size_t(n)) ? n : 0;
}

struct CloseOut {
  void operator()(GifFileType *gif) const
  {
    int err = 0;
    EGifCloseFile(gif, &err);
  }
};

struct FreeMap {
  void operator()(ColorMapObject *m) const { GifFreeMapObject(m); }
};

// The indices of a picture, top row first, one byte per pixel.
struct Indexed {
  std::vector<uint8_t> pixels;
  GifColorType colours[256] = {};
  int count = 0;
};

void unpack_palette_picture(const dib &d, int64_t width, int64_t height, Indexed &out)
{
  const int bits = d.pmi->bmiHeader.biBitCount;
  const RGBQUAD *table = colour_table(d);
  out.count = 1 << bits;
  for (int i = 0; i < out.count; ++i)
    out.colours[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue};
  out.pixels.resize(size_t(width * height));
  const bool bottom_up = d.pmi->bmiHeader.biHeight > 0;
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t *src = d.poi + (bottom_up ? height - 1 - y : y) * int64_t(d.bytew);
    uint8_t *dst = out.pixels.data() + y * width;
    if (bits == 8) {
      std::memcpy(dst, src, size_t(width));
    } else if (bits == 4) {
      for (int64_t x = 0; x < width; ++x)
        dst[x] = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
    } else {
      for (int64_t x = 0; x < width; ++x)
        dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
    }
  }
}

const uint8_t *bgr_row(const dib &d, int64_t height, int64_t y)
{
  const bool bottom_up = d.pmi->bmiHeader.biHeight > 0;
  return d.poi + (bottom_up ? height - 1 - y : y) * int64_t(d.bytew);
}

// A picture of at most 256 colours keeps them all, exactly; false when it has more.
bool index_exactly(const dib &d, int64_t width, int64_t height, Indexed &out)
{
  std::unordered_map<uint32_t, uint8_t> seen;
  seen.reserve(512);
  out.pixels.resize(size_t(width * height));
  uint32_t last = 0xFFFFFFFF;
  uint8_t last_index = 0;
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t *src = bgr_row(d, height, y);
    uint8_t *dst = out.pixels.data() + y * width;
    for (int64_t x = 0; x < width; ++x) {
      const uint32_t c = src[3 * x] | uint32_t(src[3 * x + 1]) << 8 | uint32_t(src[3 * x + 2]) << 16;
      if (c != last) {
        auto it = seen.find(c);
        if (it == seen.end()) {
          if (out.count == 256)
            return false;
          out.colours[out.count] = {src[3 * x + 2], src[3 * x + 1], src[3 * x]};
          it = seen.emplace(c, uint8_t(out.count++)).first;
        }
        last = c;
        last_index = it->second;
      }
      dst[x] = last_index;
    }
  }
  return true;
}

struct QuantRows {
  const dib *d;
  int64_t height;
};

void quant_row(liq_color row_out[], int row, int width, void *user)
{
  const auto *q = static_cast<QuantRows *>(user);
  const uint8_t *src = bgr_row(*q->d, q->height, row);
  for (int x = 0; x < width; ++x)
    row_out[x] = {src[3 * x + 2], src[3 * x + 1], src[3 * x], 255};
}

// More than 256 colours: libimagequant picks the table and dithers.
bool quantise(const dib &d, int64_t width, int64_t height, Indexed &out)
{
  std::unique_ptr<liq_attr, void (*)(liq_attr *)> attr(liq_attr_create(), liq_attr_destroy);
  if (!attr || liq_set_max_colors(attr.get(), 256) != LIQ_OK)
    return false;
  QuantRows rows{&d, height};
  std::unique_ptr<liq_image, void (*)(liq_image *)> image(
      liq_image_create_custom(attr.get(), quant_row, &rows, int(width), int(height), 0.0), liq_image_destroy);
  if (!image)
    return false;
  liq_result *raw = nullptr;
  if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK || !raw)
    return false;
  std::unique_ptr<liq_result, void (*)(liq_result *)> result(raw, liq_result_destroy);
  liq_set_dithering_level(result.get(), 1.0f);
  out.pixels.resize(size_t(width * height));
  if (liq_write_remapped_image(result.get(), image.get(), out.pixels.data(), out.pixels.size()) != LIQ_OK)
    return false;
  const liq_palette *pal = liq_get_palette(result.get());
  out.count = int(std::min(pal->count, 256u));
  for (int i = 0; i < out.count; ++i)
    out.colours[i] = {pal->entries[i].r, pal->entries[i].g, pal->entries[i].b};
  return true;
}

} // namespace

bool gif_sniff(const uint8_t *d, size_t n)
{
  return n >= 6 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0);
}

Error gif_load(const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  MemoryIn in{data, size, 0};
  int err = 0;
  std::unique_ptr<GifFileType, CloseIn> gif(DGifOpen(&in, read_memory, &err));
  if (!gif)
    return err == D_GIF_ERR_NOT_ENOUGH_MEM ? msg::no_memory : gif_sniff(data, size) ? msg::damaged : msg::unknown_format;
  return read_first_frame(gif.get(), in, result, progress);
}

bool gif_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  const int bits = shape.bits;
  const int64_t width = shape.width;
  const int64_t height = shape.height;

  Indexed indexed;
  progress.step(0, 100);
  if (bits <= 8)
    unpack_palette_picture(picture, width, height, indexed);
  else if (!index_exactly(picture, width, height, indexed) && !quantise(picture, width, height, indexed))
    return false;
  progress.step(50, 100);

  // GIF tables come in powers of two, at least two entries.
  int table_bits = 1;
  while ((1 << table_bits) < indexed.count)
    ++table_bits;
  std::unique_ptr<ColorMapObject, FreeMap> map(GifMakeMapObject(1 << table_bits, nullptr));
  if (!map)
    return false;
  std::copy(indexed.colours, indexed.colours + (1 << table_bits), map->Colors);

  MemoryOut sink{&out};
  int err = 0;
  GifFileType *raw = EGifOpen(&sink, write_out, &err);
  if (!raw)
    return false;
  std::unique_ptr<GifFileType, CloseOut> gif(raw);
  if (EGifPutScreenDesc(raw, int(width), int(height), table_bits, 0, map.get()) == GIF_ERROR ||
      EGifPutImageDesc(raw, 0, 0, int(width), int(height), false, nullptr) == GIF_ERROR)
    return false;
  for (int64_t y = 0; y < height; ++y) {
    if (EGifPutLine(raw, indexed.pixels.data() + y * width, int(width)) == GIF_ERROR)
      return false;
    progress.step(50 + 50 * (y + 1) / height, 100);
  }
  // Closing writes the trailer; its failure is the file's failure.
  gif.release();
  if (EGifCloseFile(raw, &err) == GIF_ERROR)
    return false;
  return !out.failed();
}

} // namespace bk3
