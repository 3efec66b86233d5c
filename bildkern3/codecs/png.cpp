// PNG through libspng, from and to memory. Palette and grey files up to 8 bits are
// read at their own depth (2 bits widened to 4), 16-bit grey and grey with alpha as
// 8-bit grey, colour as 24 bits; transparency is composited over white and 16-bit
// samples are rounded to 8. Interlaced files are placed pass by pass, so no picture
// is held twice. Written: 24-bit pictures as RGB, palette pictures with their table.
#include "codecs/formats.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace bk3 {

namespace {

struct FreeCtx {
  void operator()(spng_ctx *ctx) const { spng_ctx_free(ctx); }
};
using Ctx = std::unique_ptr<spng_ctx, FreeCtx>;

const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Deflate codes at most 258 bytes in two bits, so no stream expands more than this.
constexpr uint64_t max_inflate_ratio = 1032;

// Adam7: the first row and column of each pass and the steps between them.
constexpr int pass_x0[7] = {0, 4, 0, 2, 0, 1, 0}, pass_dx[7] = {8, 8, 4, 4, 2, 2, 1};
constexpr int pass_y0[7] = {0, 0, 4, 0, 2, 0, 1}, pass_dy[7] = {8, 8, 8, 4, 4, 2, 2};

int64_t pass_extent(int64_t size, int first, int step) { return size > first ? (size - first + step - 1) / step : 0; }

Error reason(int rc)
{
  switch (rc) {
  case SPNG_EMEM:
    return msg::no_memory;
  case SPNG_EWIDTH:
  case SPNG_EHEIGHT:
  case SPNG_EUSER_WIDTH:
  case SPNG_EUSER_HEIGHT:
    return msg::bad_size;
  default:
    return msg::damaged;
  }
}

int channels(uint8_t colour_type)
{
  switch (colour_type) {
  case SPNG_COLOR_TYPE_TRUECOLOR:
    return 3;
  case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
    return 2;
  case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
    return 4;
  default:
    return 1;
  }
}

// The image data cannot inflate to more than the file holds times the ratio: a
// file of a few bytes must not make us allocate the whole picture.
Error check_ihdr(const spng_ihdr &ihdr, uint64_t file_size)
{
  if (Error e = check_size(ihdr.width, ihdr.height))
    return e;
  const uint64_t row = (uint64_t(ihdr.width) * channels(ihdr.color_type) * ihdr.bit_depth + 7) / 8;
  return row * ihdr.height > file_size * max_inflate_ratio ? msg::damaged : nullptr;
}

// 16-bit samples to 8 bits, rounded: round(v * 255 / 65535).
inline uint8_t to8(uint32_t v) { return uint8_t((v + 128) / 257); }

// Colour c at alpha a over white, rounded, at 8 and 16 bits.
inline uint8_t over_white8(uint32_t c, uint32_t a) { return uint8_t((c * a + 255 * (255 - a) + 127) / 255); }
inline uint32_t over_white16(uint32_t c, uint32_t a) { return (c * a + 65535 * (65535 - a) + 32767) / 65535; }

inline uint32_t u16(const uint8_t *p)
{
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// What the file holds and how its scanlines become pixels of the picture.
struct Reading {
  spng_ihdr ihdr{};
  int out_bits = 0;       // depth of the picture made
  RGBQUAD table[256] = {};
  bool has_trns = false;
  spng_trns trns{};
};

// One scanline of n pixels (libspng's own layout, 16 bits in host order) to n
// entry indices, one byte each.
void to_indices(const Reading &r, const uint8_t *in, int64_t n, uint8_t *out)
{
  const int depth = r.ihdr.bit_depth;
  if (r.ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA) {
    if (depth == 8)
      for (int64_t x = 0; x < n; ++x)
        out[x] = over_white8(in[2 * x], in[2 * x + 1]);
    else
      for (int64_t x = 0; x < n; ++x)
        out[x] = to8(over_white16(u16(in + 4 * x), u16(in + 4 * x + 2)));
  } else if (depth == 16) {
    // Only grey comes here: a transparent grey becomes white.
    const bool keyed = r.has_trns;
    for (int64_t x = 0; x < n; ++x) {
      const uint32_t v = u16(in + 2 * x);
      out[x] = keyed && v == r.trns.gray ? 255 : to8(v);
    }
  } else if (depth == 8) {
    std::memcpy(out, in, size_t(n));
  } else {
    const int per_byte = 8 / depth, mask = (1 << depth) - 1;
    for (int64_t x = 0; x < n; ++x)
      out[x] = uint8_t((in[x / per_byte] >> (8 - depth * (1 + x % per_byte))) & mask);
  }
}

// One scanline of n colour pixels to BGR.
void to_bgr(const Reading &r, const uint8_t *in, int64_t n, uint8_t *out)
{
  const bool alpha = r.ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
  const bool keyed = r.has_trns && !alpha;
  const bool wide = r.ihdr.bit_depth == 16;
  if (!wide && !alpha && !keyed) {
    // The common case, a photograph: only the order of the samples changes.
    for (int64_t x = 0; x < n; ++x, in += 3, out += 3)
      out[0] = in[2], out[1] = in[1], out[2] = in[0];
    return;
  }
  const int samples = alpha ? 4 : 3, step = wide ? 2 : 1;
  for (int64_t x = 0; x < n; ++x, in += samples * step, out += 3) {
    uint32_t s[4] = {};
    for (int c = 0; c < samples; ++c)
      s[c] = wide ? u16(in + 2 * c) : in[c];
    if (keyed && s[0] == r.trns.red && s[1] == r.trns.green && s[2] == r.trns.blue) {
      std::memset(out, 255, 3);
      continue;
    }
    for (int c = 0; c < 3; ++c) {
      const uint32_t v = s[2 - c];
      if (wide)
        out[c] = to8(alpha ? over_white16(v, s[3]) : v);
      else
        out[c] = alpha ? over_white8(v, s[3]) : uint8_t(v);
    }
  }
}

// The entry table of a palette or grey file, transparency composited over white,
// and the depth of the picture that holds it.
Error prepare(spng_ctx *ctx, Reading &r)
{
  r.has_trns = spng_get_trns(ctx, &r.trns) == 0;
  const int depth = r.ihdr.bit_depth;
  switch (r.ihdr.color_type) {
  case SPNG_COLOR_TYPE_INDEXED: {
    spng_plte plte{};
    if (int rc = spng_get_plte(ctx, &plte))
      return reason(rc);
    for (uint32_t i = 0; i < plte.n_entries && i < 256; ++i) {
      const spng_plte_entry &e = plte.entries[i];
      const uint32_t a = r.has_trns && i < r.trns.n_type3_entries ? r.trns.type3_alpha[i] : 255;
      r.table[i] = {over_white8(e.blue, a), over_white8(e.green, a), over_white8(e.red, a), 0};
    }
    r.out_bits = depth == 2 ? 4 : depth;
    return nullptr;
  }
  case SPNG_COLOR_TYPE_GRAYSCALE:
  case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA: {
    const int levels = depth >= 8 ? 256 : 1 << depth;
    for (int i = 0; i < levels; ++i) {
      const uint8_t v = uint8_t(i * 255 / (levels - 1));
      r.table[i] = {v, v, v, 0};
    }
    // 16-bit grey handles its transparent value pixel by pixel.
    if (r.has_trns && depth <= 8 && r.ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE && r.trns.gray < levels)
      r.table[r.trns.gray] = {255, 255, 255, 0};
    r.out_bits = depth == 2 ? 4 : std::min(depth, 8);
    return nullptr;
  }
  default:
    r.out_bits = 24;
    return nullptr;
  }
}

// Puts n converted pixels (indices or BGR) of picture row y at x0, x0 + dx, ...
void place(dib *result, int64_t height, int64_t y, int64_t x0, int64_t dx, const uint8_t *px, int64_t n)
{
  uint8_t *row = result->poi + (height - 1 - y) * int64_t(result->bytew);
  switch (result->pmi->bmiHeader.biBitCount) {
  case 24:
    for (int64_t i = 0, x = x0; i < n; ++i, x += dx)
      std::memcpy(row + 3 * x, px + 3 * i, 3);
    break;
  case 8:
    for (int64_t i = 0, x = x0; i < n; ++i, x += dx)
      row[x] = px[i];
    break;
  case 4:
    for (int64_t i = 0, x = x0; i < n; ++i, x += dx)
      row[x >> 1] = (x & 1) ? uint8_t((row[x >> 1] & 0xF0) | px[i]) : uint8_t((row[x >> 1] & 0x0F) | px[i] << 4);
    break;
  default:
    for (int64_t i = 0, x = x0; i < n; ++i, x += dx) {
      const uint8_t bit = uint8_t(0x80 >> (x & 7));
      row[x >> 3] = px[i] ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
    }
  }
}

Error decode_rows(spng_ctx *ctx, const Reading &r, dib *result, Progress &progress)
{
  const int64_t width = r.ihdr.width, height = r.ihdr.height;
  const bool interlaced = r.ihdr.interlace_method != SPNG_INTERLACE_NONE;
  size_t image_bytes = 0;
  if (int rc = spng_decoded_image_size(ctx, SPNG_FMT_PNG, &image_bytes))
    return reason(rc);
  const size_t line_bytes = image_bytes / size_t(height);
  int64_t total = height;
  if (interlaced) {
    total = 0;
    for (int p = 0; p < 7; ++p)
      if (pass_extent(width, pass_x0[p], pass_dx[p]) > 0)
        total += pass_extent(height, pass_y0[p], pass_dy[p]);
  }
  if (int rc = spng_decode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_DECODE_PROGRESSIVE))
    return reason(rc);

  const int stride = r.out_bits == 24 ? 3 : 1;
  // Rows that fill a picture row of 8 or 24 bits are converted in place.
  const bool direct = !interlaced && r.out_bits >= 8;
  std::vector<uint8_t> line, pixels;
  try {
    line.resize(line_bytes);
    if (!direct)
      pixels.resize(size_t(width) * stride);
  } catch (const std::bad_alloc &) {
    return msg::no_memory;
  }
  int64_t done = 0;
  for (;;) {
    spng_row_info info{};
    int rc = spng_get_row_info(ctx, &info);
    if (rc == 0)
      rc = spng_decode_scanline(ctx, line.data(), line.size());
    if (rc != 0 && rc != SPNG_EOI)
      return reason(rc);
    const int p = interlaced ? info.pass : 0;
    const int64_t x0 = interlaced ? pass_x0[p] : 0, dx = interlaced ? pass_dx[p] : 1;
    const int64_t n = pass_extent(width, int(x0), int(dx));
    const int64_t y = info.row_num;
    if (y < 0 || y >= height || p < 0 || p > 6)
      return msg::damaged;
    uint8_t *out = direct ? result->poi + (height - 1 - y) * int64_t(result->bytew) : pixels.data();
    if (r.out_bits == 24)
      to_bgr(r, line.data(), n, out);
    else
      to_indices(r, line.data(), n, out);
    if (!direct)
      place(result, height, y, x0, dx, out, n);
    progress.step(++done, total);
    // A file cut after its image data lacks its end: refused, as other readers do.
    if (rc == SPNG_EOI)
      return spng_decode_chunks(ctx) == 0 ? nullptr : msg::damaged;
  }
}

int write_out(spng_ctx *, void *user, void *data, size_t length)
{
  return static_cast<Writer *>(user)->write(data, length) ? 0 : SPNG_IO_ERROR;
}

} // namespace

bool png_sniff(const uint8_t *d, size_t n) { return n >= 8 && std::memcmp(d, signature, 8) == 0; }

Error png_check_head(const uint8_t *head, size_t size, uint64_t file_size)
{
  // The signature, then IHDR: length, type, width, height, depth, colour type.
  if (size < 8 + 8 + 10 || std::memcmp(head + 12, "IHDR", 4) != 0)
    return nullptr;
  const auto be32 = [](const uint8_t *p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; };
  spng_ihdr ihdr{};
  ihdr.width = be32(head + 16);
  ihdr.height = be32(head + 20);
  ihdr.bit_depth = head[24];
  ihdr.color_type = head[25];
  return check_ihdr(ihdr, file_size);
}

Error png_load(const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  Ctx ctx(spng_ctx_new(0));
  if (!ctx)
    return msg::no_memory;
  spng_ctx *c = ctx.get();
  // Ancillary chunks beyond these sizes are of no use to us.
  spng_set_image_limits(c, BK3_MAX_SIDE, BK3_MAX_SIDE);
  spng_set_chunk_limits(c, size_t(1) << 24, size_t(1) << 26);
  if (int rc = spng_set_png_buffer(c, data, size))
    return reason(rc);

  Reading r;
  if (int rc = spng_get_ihdr(c, &r.ihdr))
    return png_sniff(data, size) ? reason(rc) : msg::unknown_format;
  if (Error e = check_ihdr(r.ihdr, size))
    return e;
  if (Error e = prepare(c, r))
    return e;
  if (Error e = make_dib(result, int32_t(r.ihdr.width), int32_t(r.ihdr.height), r.out_bits, r.table, 256))
    return e;
  prefer_huge_pages(result->poi, size_t(result->bytew) * r.ihdr.height);
  spng_phys phys{};
  if (spng_get_phys(c, &phys) == 0 && phys.unit_specifier == 1 && phys.ppu_x <= INT32_MAX && phys.ppu_y <= INT32_MAX) {
    result->pmi->bmiHeader.biXPelsPerMeter = int32_t(phys.ppu_x);
    result->pmi->bmiHeader.biYPelsPerMeter = int32_t(phys.ppu_y);
  }
  return decode_rows(c, r, result, progress);
}

bool png_save_with(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress,
                   const PngDeflate &how)
{
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  const int bits = shape.bits;
  const int64_t width = shape.width, height = shape.height;

  Ctx ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx)
    return false;
  spng_ctx *c = ctx.get();
  spng_ihdr ihdr{};
  ihdr.width = uint32_t(width);
  ihdr.height = uint32_t(height);
  ihdr.bit_depth = uint8_t(bits == 24 ? 8 : bits);
  ihdr.color_type = bits == 24 ? SPNG_COLOR_TYPE_TRUECOLOR : SPNG_COLOR_TYPE_INDEXED;
  if (spng_set_png_stream(c, write_out, &out) || spng_set_ihdr(c, &ihdr) ||
      spng_set_option(c, SPNG_IMG_COMPRESSION_LEVEL, how.level))
    return false;
  if (bits == 24 && spng_set_option(c, SPNG_FILTER_CHOICE, how.filters))
    return false;
  if (bits <= 8) {
    spng_plte plte{};
    plte.n_entries = 1u << bits;
    const RGBQUAD *table = colour_table(picture);
    for (uint32_t i = 0; i < plte.n_entries; ++i)
      plte.entries[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    if (spng_set_plte(c, &plte))
      return false;
  }
  if (h.biXPelsPerMeter > 0 && h.biYPelsPerMeter > 0) {
    spng_phys phys{uint32_t(h.biXPelsPerMeter), uint32_t(h.biYPelsPerMeter), 1};
    if (spng_set_phys(c, &phys))
      return false;
  }
  if (spng_encode_image(c, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE))
    return false;

  const size_t line = size_t((width * (bits == 24 ? 24 : bits) + 7) / 8);
  std::vector<uint8_t> rgb(bits == 24 ? line : 0);
  int rc = 0;
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t *src = picture.poi + (h.biHeight > 0 ? height - 1 - y : y) * int64_t(picture.bytew);
    if (bits == 24) {
      bgr_to_rgb_row(src, rgb.data(), width);
      src = rgb.data();
    }
    rc = spng_encode_row(c, src, line);
    if (rc != 0 && rc != SPNG_EOI)
      return false;
    progress.step(y + 1, height);
  }
  return rc == SPNG_EOI && !out.failed();
}

bool png_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  return png_save_with(picture, shape, out, progress, PngDeflate{});
}

} // namespace bk3
