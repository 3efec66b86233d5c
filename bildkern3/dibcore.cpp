// Pictures in memory: creation, release, pixel access and failure records.
#include "dibcore.h"

#include <cstdlib>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace bk3 {

namespace {

// Decodes one UTF-8 sequence; malformed input yields U+FFFD and skips one byte.
char32_t next_code_point(const unsigned char *&p)
{
  const unsigned c = *p++;
  if (c < 0x80)
    return c;
  int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
  if (more < 0 || c > 0xF4)
    return 0xFFFD;
  char32_t cp = c & (0x3F >> more);
  for (int i = 0; i < more; ++i) {
    if ((*p & 0xC0) != 0x80)
      return 0xFFFD;
    cp = (cp << 6) | (*p++ & 0x3F);
  }
  return cp;
}

} // namespace

void set_failure(dib *result, Error reason)
{
  std::memset(result, 0, sizeof *result);
  if (!reason)
    return;
  // 1024 bytes of entries: 511 characters and the terminating NUL.
  constexpr size_t capacity = sizeof(result->pal.rgb0) / (sizeof(char16_t));
  char16_t text[capacity] = {};
  size_t n = 0;
  const unsigned char *p = reinterpret_cast<const unsigned char *>(reason);
  while (*p && n + 1 < capacity) {
    const char32_t cp = next_code_point(p);
    if (cp < 0x10000) {
      text[n++] = char16_t(cp);
    } else if (n + 2 < capacity) {
      text[n++] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
      text[n++] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      break;
    }
  }
  std::memcpy(result->pal.rgb0, text, sizeof text);
}

Error check_size(int64_t width, int64_t height)
{
  if (width < 1 || height < 1)
    return msg::bad_size;
  // The limits are named: a picture that is merely large is not a damaged one.
  if (width > BK3_MAX_SIDE || height > BK3_MAX_SIDE || width * height > int64_t(BK3_MAX_PIXELS))
    return msg::over_limit;
  return nullptr;
}

bool writable_shape(const dib &picture, PictureShape &shape)
{
  if (!picture.pmi || !picture.poi)
    return false;
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  shape.bits = h.biBitCount;
  shape.width = h.biWidth;
  shape.height = h.biHeight < 0 ? -int64_t(h.biHeight) : int64_t(h.biHeight);
  return (shape.bits == 1 || shape.bits == 4 || shape.bits == 8 || shape.bits == 24) &&
         !check_size(shape.width, shape.height) && picture.bytew >= row_bytes(shape.width, shape.bits);
}

Error make_dib(dib *result, int32_t width, int32_t height, int bits, const RGBQUAD *colours,
               int ncolours)
{
  std::memset(result, 0, sizeof *result);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
    return msg::bad_depth;
  if (Error e = check_size(width, height))
    return e;

  const int entries = bits <= 8 ? 1 << bits : 0;
  const int64_t stride = row_bytes(width, bits);
  const int64_t image_bytes = stride * height; // < 2^32 by the limits above
  const size_t info_bytes = sizeof(BITMAPINFOHEADER) + size_t(entries) * sizeof(RGBQUAD);

  void *info = std::calloc(1, info_bytes);
  void *pixels = info ? std::calloc(1, size_t(image_bytes)) : nullptr;
  if (!info || !pixels) {
    std::free(info);
    return msg::no_memory;
  }

  auto *bmi = static_cast<BITMAPINFO *>(info);
  BITMAPINFOHEADER &h = bmi->bmiHeader;
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = uint16_t(bits);
  h.biCompression = 0;
  h.biSizeImage = uint32_t(image_bytes);
  h.biClrUsed = uint32_t(entries);

  result->pmi = bmi;
  result->pmih = reinterpret_cast<uintptr_t>(info);
  result->poih = reinterpret_cast<uintptr_t>(pixels);
  result->poi = static_cast<uint8_t *>(pixels);
  result->bytew = int32_t(stride);

  if (entries > 0) {
    RGBQUAD *table = colour_table(*result);
    if (colours && ncolours > 0)
      std::memcpy(table, colours, size_t(ncolours < entries ? ncolours : entries) * sizeof(RGBQUAD));
    sync_palette(result);
  }
  return nullptr;
}

void sync_palette(dib *d)
{
  const int bits = d->pmi->bmiHeader.biBitCount;
  if (bits > 8)
    return;
  const int entries = 1 << bits;
  const RGBQUAD *table = colour_table(*d);
  d->pal.ver = 0x300;
  d->pal.num = uint16_t(entries);
  for (int i = 0; i < entries; ++i) {
    d->pal.rgb0[i].peRed = table[i].rgbRed;
    d->pal.rgb0[i].peGreen = table[i].rgbGreen;
    d->pal.rgb0[i].peBlue = table[i].rgbBlue;
    d->pal.rgb0[i].peFlags = 0;
  }
  d->ispal = 1;
}

void prefer_huge_pages(uint8_t *block, size_t bytes)
{
#ifdef MADV_HUGEPAGE
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(page - 1);
  if (page > 0 && end > start + (uintptr_t(2) << 20))
    madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE); // a hint: failure is fine
#else
  (void)block, (void)bytes;
#endif
}

void free_dib(dib *d)
{
  if (d->poih != 0 && d->poih != d->pmih)
    std::free(reinterpret_cast<void *>(d->poih));
  if (d->pmih != 0)
    std::free(reinterpret_cast<void *>(d->pmih));
  d->poih = 0;
  d->pmih = 0;
  d->pmi = nullptr;
  d->poi = nullptr;
}

namespace {

// The byte row of picture row y (counted from the top), or null when (x, y) is
// outside the picture or the record holds none.
uint8_t *pixel_row(const dib &d, int32_t x, int32_t y)
{
  if (!d.pmi || !d.poi || d.bytew <= 0)
    return nullptr;
  const BITMAPINFOHEADER &h = d.pmi->bmiHeader;
  const int64_t height = h.biHeight < 0 ? -int64_t(h.biHeight) : int64_t(h.biHeight);
  if (x < 0 || y < 0 || x >= h.biWidth || y >= height)
    return nullptr;
  const int64_t stored = h.biHeight < 0 ? y : height - 1 - y;
  return d.poi + stored * d.bytew;
}

} // namespace

uint32_t get_pixel(const dib &d, int32_t x, int32_t y)
{
  const uint8_t *row = pixel_row(d, x, y);
  if (!row)
    return 0;
  switch (d.pmi->bmiHeader.biBitCount) {
  case 1:
    return (row[x >> 3] >> (7 - (x & 7))) & 1u;
  case 4:
    return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu;
  case 8:
    return row[x];
  case 24: {
    const uint8_t *p = row + 3 * int64_t(x);
    return p[2] | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
  }
  default:
    return 0;
  }
}

void set_pixel(const dib &d, int32_t x, int32_t y, uint32_t value)
{
  uint8_t *row = pixel_row(d, x, y);
  if (!row)
    return;
  switch (d.pmi->bmiHeader.biBitCount) {
  case 1: {
    const uint8_t bit = uint8_t(0x80u >> (x & 7));
    row[x >> 3] = (value & 1u) ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
    break;
  }
  case 4: {
    uint8_t &b = row[x >> 1];
    b = (x & 1) ? uint8_t((b & 0xF0) | (value & 0xF)) : uint8_t((b & 0x0F) | (value & 0xF) << 4);
    break;
  }
  case 8:
    row[x] = uint8_t(value);
    break;
  case 24: {
    uint8_t *p = row + 3 * int64_t(x);
    p[0] = uint8_t(value >> 16);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value);
    break;
  }
  default:
    break;
  }
}

} // namespace bk3
