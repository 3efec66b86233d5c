// The BMP family: Windows bitmaps with BITMAPINFOHEADER and its V2..V5 extensions,
// OS/2 1.x (BITMAPCOREHEADER) and OS/2 2.x headers; uncompressed, RLE8, RLE4 and
// bit-field pixels. Every offset, length and count from the file is checked against
// the bytes that are there before it is used.
#include "codecs/formats.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace bk3 {

namespace {

enum : uint32_t {
  bi_rgb = 0,
  bi_rle8 = 1,
  bi_rle4 = 2,
  bi_bitfields = 3,
  bi_alphabitfields = 6,
};

constexpr size_t file_header_bytes = 14;

uint16_t le16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t *p) { return p[0] | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// What the headers say, after every value has been checked.
struct Layout {
  int64_t width = 0;
  int64_t height = 0;
  bool top_down = false;
  int bits = 0;
  uint32_t compression = bi_rgb;
  uint32_t masks[3] = {};  // red, green, blue: 16- and 32-bit pixels
  RGBQUAD table[256] = {}; // colour table, missing entries black
  int entries = 0;         // entries read from the file
  uint64_t data_offset = 0;
  int32_t x_ppm = 0, y_ppm = 0;
};

bool header_size_known(uint32_t hs)
{
  return hs == 12 || (hs >= 16 && hs <= 64) || hs == 108 || hs == 124;
}

// 40, 52 and 56 are Windows' BITMAPINFOHEADER and its V2/V3 forms; every other
// size from 16 to 64 is the OS/2 2.x header, whose compression codes differ.
bool windows_header(uint32_t hs) { return hs == 40 || hs == 52 || hs == 56 || hs == 108 || hs == 124; }

Error parse(const uint8_t *d, size_t size, Layout &l)
{
  if (size < 2 || d[0] != 'B' || d[1] != 'M')
    return msg::unknown_format;
  if (size < file_header_bytes + 4)
    return msg::incomplete;
  const uint32_t off_bits = le32(d + 10);
  const uint32_t hs = le32(d + 14);
  if (!header_size_known(hs))
    return msg::bad_header;
  if (file_header_bytes + hs > size)
    return msg::incomplete;
  const uint8_t *h = d + file_header_bytes;

  uint32_t clr_used = 0;
  uint64_t table_start = file_header_bytes + hs;
  int entry_bytes = 4;
  bool have_masks = false;

  if (hs == 12) {
    // OS/2 1.x: unsigned 16-bit sizes, always bottom-up, 3-byte colour entries.
    l.width = le16(h + 4);
    l.height = le16(h + 6);
    l.bits = le16(h + 10);
    entry_bytes = 3;
  } else {
    // OS/2 2.x headers may stop after any field; the missing ones are zero.
    l.width = int32_t(le32(h + 4));
    const int32_t height = int32_t(le32(h + 8));
    l.top_down = height < 0;
    l.height = l.top_down ? -int64_t(height) : height;
    l.bits = le16(h + 14);
    l.compression = hs >= 20 ? le32(h + 16) : bi_rgb;
    l.x_ppm = hs >= 28 ? int32_t(le32(h + 24)) : 0;
    l.y_ppm = hs >= 32 ? int32_t(le32(h + 28)) : 0;
    clr_used = hs >= 36 ? le32(h + 32) : 0;

    if (!windows_header(hs) && l.compression != bi_rgb && l.compression != bi_rle8 &&
        l.compression != bi_rle4)
      return msg::bad_compression; // OS/2 Huffman 1D and RLE24
    if (l.compression == bi_bitfields || l.compression == bi_alphabitfields) {
      const uint32_t count = l.compression == bi_alphabitfields ? 4 : 3;
      const uint8_t *m = h + 40;
      if (hs == 40) {
        // The masks follow the header, before the colour table.
        if (table_start + 4 * count > size)
          return msg::incomplete;
        m = d + table_start;
        table_start += 4 * count;
      }
      for (int i = 0; i < 3; ++i)
        l.masks[i] = le32(m + 4 * i);
      have_masks = true;
    }
  }

  if (l.bits != 1 && l.bits != 2 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 && l.bits != 32)
    return l.bits == 0 ? msg::bad_compression : msg::bad_depth;
  if (Error e = check_size(l.width, l.height))
    return e;

  switch (l.compression) {
  case bi_rgb:
    break;
  case bi_rle8:
  case bi_rle4:
    // Run-length pixels are always stored bottom-up.
    if (l.bits != (l.compression == bi_rle8 ? 8 : 4) || l.top_down)
      return msg::bad_header;
    break;
  case bi_bitfields:
  case bi_alphabitfields:
    if (l.bits != 16 && l.bits != 32)
      return msg::bad_header;
    break;
  default:
    return msg::bad_compression;
  }

  if (!have_masks || (l.masks[0] | l.masks[1] | l.masks[2]) == 0) {
    if (l.bits == 16) {
      l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
    } else {
      l.masks[0] = 0xFF0000, l.masks[1] = 0xFF00, l.masks[2] = 0xFF;
    }
  }

  // The colour table: biClrUsed entries (all 2^bits when 0), but never reaching into
  // the pixels where bfOffBits says they start; some writers store fewer entries.
  uint64_t entries = 0;
  if (l.bits <= 8) {
    const uint32_t max_entries = 1u << l.bits;
    entries = clr_used != 0 && clr_used < max_entries ? clr_used : max_entries;
    if (off_bits > table_start && off_bits < table_start + entries * entry_bytes)
      entries = (off_bits - table_start) / entry_bytes;
  } else if (clr_used != 0 && off_bits == 0) {
    // An optional table beside true-colour pixels only matters for finding them.
    entries = clr_used;
  }
  const uint64_t table_end = table_start + entries * uint64_t(entry_bytes);
  if (table_end > size)
    return msg::incomplete;
  if (l.bits <= 8) {
    l.entries = int(entries);
    for (int i = 0; i < l.entries; ++i) {
      const uint8_t *e = d + table_start + uint64_t(i) * entry_bytes;
      l.table[i].rgbBlue = e[0];
      l.table[i].rgbGreen = e[1];
      l.table[i].rgbRed = e[2];
    }
  }

  // A zero or impossible bfOffBits (inside the headers) is a writer's slip: the pixels
  // then follow the table.
  l.data_offset = off_bits >= table_end ? off_bits : table_end;
  if (l.data_offset >= size)
    return msg::incomplete;
  return nullptr;
}

// One colour channel of 16- and 32-bit pixels. Fewer than 8 bits are widened by
// repeating their pattern (5 bits abcde give abcdeabc), so full scale stays full
// and the result matches what other decoders show; more than 8 bits keep the top 8.
class Channel {
public:
  explicit Channel(uint32_t mask)
  {
    if (mask == 0)
      return;
    while (!(mask & 1)) {
      mask >>= 1;
      ++shift_;
    }
    mask_ = mask;
    while (width_ < 32 && (mask >> width_) != 0)
      ++width_;
    if (width_ <= 16) {
      lut_.resize(size_t(mask_) + 1);
      for (uint32_t v = 0; v <= mask_; ++v)
        lut_[v] = scale(v);
    }
  }
  uint8_t operator()(uint32_t pixel) const
  {
    const uint32_t v = (pixel >> shift_) & mask_;
    return lut_.empty() ? scale(v) : lut_[v];
  }

private:
  uint8_t scale(uint32_t v) const
  {
    if (width_ == 0)
      return 0;
    if (width_ >= 8)
      return uint8_t(v >> (width_ - 8));
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
      out = out << width_ | v;
      filled += width_;
    }
    return uint8_t(out >> (filled - 8));
  }
  uint32_t mask_ = 0;
  int shift_ = 0;
  int width_ = 0;
  std::vector<uint8_t> lut_;
};

Error load_uncompressed(const uint8_t *d, size_t size, const Layout &l, dib *out, Progress &progress)
{
  const int64_t stride = row_bytes(l.width, l.bits);
  // The last row's padding is often left out; its pixels are required.
  const uint64_t needed = uint64_t(stride) * uint64_t(l.height - 1) + uint64_t((l.width * l.bits + 7) / 8);
  if (needed > size - l.data_offset)
    return msg::incomplete;

  const bool same_depth = l.bits == 1 || l.bits == 4 || l.bits == 8 || l.bits == 24;
  if (Error e = make_dib(out, int32_t(l.width), int32_t(l.height), same_depth ? l.bits : 24, l.table, 256))
    return e;
  prefer_huge_pages(out->poi, size_t(out->bytew) * size_t(l.height));

  const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
  for (int64_t r = 0; r < l.height; ++r) { // r: stored row of the result, bottom-up
    const uint64_t start = l.data_offset + uint64_t(l.top_down ? l.height - 1 - r : r) * uint64_t(stride);
    const uint8_t *src = d + start;
    const size_t available = size_t(std::min<uint64_t>(uint64_t(stride), size - start));
    uint8_t *dst = out->poi + r * int64_t(out->bytew);
    if (same_depth) {
      std::memcpy(dst, src, available);
    } else if (l.bits == 2) {
      for (int64_t x = 0; x < l.width; ++x) {
        const RGBQUAD &c = l.table[(src[x >> 2] >> (6 - 2 * (x & 3))) & 3];
        dst[3 * x] = c.rgbBlue, dst[3 * x + 1] = c.rgbGreen, dst[3 * x + 2] = c.rgbRed;
      }
    } else {
      for (int64_t x = 0; x < l.width; ++x) {
        const uint32_t px = l.bits == 16 ? le16(src + 2 * x) : le32(src + 4 * x);
        dst[3 * x] = blue(px), dst[3 * x + 1] = green(px), dst[3 * x + 2] = red(px);
      }
    }
    progress.step(r + 1, l.height);
  }
  out->pmi->bmiHeader.biXPelsPerMeter = l.x_ppm;
  out->pmi->bmiHeader.biYPelsPerMeter = l.y_ppm;
  return nullptr;
}

// RLE8 and RLE4: pairs (count, value) for runs; (0, 0) end of line, (0, 1) end of
// picture, (0, 2, dx, dy) a jump, (0, n >= 3) n literal pixels padded to 16 bits.
// Pixels not set by the data keep index 0. With `out` null the walk only checks
// that the commands are complete, so a cut-off file fails before any allocation
// (a few bytes may legitimately describe a large picture, so size alone says little).
Error walk_rle(const uint8_t *d, size_t size, const Layout &l, dib *out, Progress *progress)
{
  const bool four = l.compression == bi_rle4;
  const int64_t width = l.width, height = l.height;
  int64_t x = 0, y = 0; // y: stored row, bottom-up
  uint8_t *row = out ? out->poi : nullptr;
  auto put = [&](int64_t at, uint8_t v) {
    if (at >= width)
      return; // runs past the right edge are cut, not wrapped
    if (four) {
      uint8_t &b = row[at >> 1];
      b = (at & 1) ? uint8_t((b & 0xF0) | (v & 0x0F)) : uint8_t((b & 0x0F) | v << 4);
    } else {
      row[at] = v;
    }
  };

  size_t p = size_t(l.data_offset);
  while (y < height) {
    if (size - p < 2)
      return msg::incomplete;
    const uint8_t n = d[p], c = d[p + 1];
    p += 2;
    if (n > 0) {
      for (int i = 0; i < n && x + i < width && row; ++i)
        put(x + i, four ? uint8_t((i & 1) ? c & 0x0F : c >> 4) : c);
      x += n;
      continue;
    }
    if (c == 0) { // end of line
      x = 0;
      ++y;
    } else if (c == 1) { // end of picture
      break;
    } else if (c == 2) { // jump right and up
      if (size - p < 2)
        return msg::incomplete;
      x += d[p];
      y += d[p + 1];
      p += 2;
    } else { // literal pixels
      const size_t bytes = four ? (size_t(c) + 1) / 2 : c;
      if (size - p < bytes)
        return msg::incomplete;
      for (int i = 0; i < c && x + i < width && row; ++i)
        put(x + i, four ? uint8_t((i & 1) ? d[p + size_t(i / 2)] & 0x0F : d[p + size_t(i / 2)] >> 4)
                        : d[p + size_t(i)]);
      x += c;
      p += std::min(size - p, (bytes + 1) & ~size_t(1));
    }
    if (out) {
      row = y < height ? out->poi + y * int64_t(out->bytew) : nullptr;
      progress->step(y, height);
    }
  }
  return nullptr;
}

Error load_rle(const uint8_t *d, size_t size, const Layout &l, dib *out, Progress &progress)
{
  if (Error e = walk_rle(d, size, l, nullptr, nullptr))
    return e;
  if (Error e = make_dib(out, int32_t(l.width), int32_t(l.height), l.bits, l.table, 256))
    return e;
  prefer_huge_pages(out->poi, size_t(out->bytew) * size_t(l.height));
  walk_rle(d, size, l, out, &progress); // cannot fail: the same walk just succeeded
  progress.step(l.height, l.height);
  out->pmi->bmiHeader.biXPelsPerMeter = l.x_ppm;
  out->pmi->bmiHeader.biYPelsPerMeter = l.y_ppm;
  return nullptr;
}

} // namespace

bool bmp_sniff(const uint8_t *data, size_t size) { return size >= 2 && data[0] == 'B' && data[1] == 'M'; }

Error bmp_check_head(const uint8_t *head, size_t size, uint64_t file_size)
{
  Layout l;
  const Error e = parse(head, size, l);
  if (e == msg::incomplete && size < file_size)
    return nullptr; // the header reaches beyond the head: the whole file decides
  if (e || l.compression == bi_rle8 || l.compression == bi_rle4)
    return e;
  const uint64_t stride = uint64_t(row_bytes(l.width, l.bits));
  const uint64_t needed = stride * uint64_t(l.height - 1) + uint64_t((l.width * l.bits + 7) / 8);
  return needed > file_size - l.data_offset ? msg::incomplete : nullptr;
}

Error bmp_load(const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  Layout layout;
  if (Error e = parse(data, size, layout))
    return e;
  return layout.compression == bi_rle8 || layout.compression == bi_rle4
             ? load_rle(data, size, layout, result, progress)
             : load_uncompressed(data, size, layout, result, progress);
}

// A plain Windows bitmap: BITMAPFILEHEADER, BITMAPINFOHEADER, colour table and
// uncompressed bottom-up rows, at the picture's own depth.
bool bmp_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  const int bits = shape.bits;
  const int64_t width = shape.width;
  const int64_t height = shape.height;
  const int64_t stride = row_bytes(width, bits);

  // Our own pictures carry all 2^bits entries; a shorter table says so in biClrUsed.
  const uint32_t full = bits <= 8 ? 1u << bits : 0;
  const uint32_t entries = h.biClrUsed > 0 && h.biClrUsed < full ? h.biClrUsed : full;
  const uint32_t off_bits = uint32_t(file_header_bytes + sizeof(BITMAPINFOHEADER) + 4 * entries);
  const uint64_t image_bytes = uint64_t(stride) * uint64_t(height);

  out.write("BM", 2);
  out.u32(uint32_t(off_bits + image_bytes));
  out.u32(0);
  out.u32(off_bits);

  out.u32(sizeof(BITMAPINFOHEADER));
  out.u32(uint32_t(width));
  out.u32(uint32_t(height));
  out.u16(1);
  out.u16(uint16_t(bits));
  out.u32(bi_rgb);
  out.u32(uint32_t(image_bytes));
  out.u32(uint32_t(h.biXPelsPerMeter));
  out.u32(uint32_t(h.biYPelsPerMeter));
  out.u32(entries);
  out.u32(0);

  if (entries > 0) {
    const RGBQUAD *table = colour_table(picture);
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t q[4] = {table[i].rgbBlue, table[i].rgbGreen, table[i].rgbRed, 0};
      out.write(q, 4);
    }
  }

  const size_t used = size_t((width * bits + 7) / 8);
  // Rows without padding, bottom-up as the file wants them, lie in the picture as
  // in the file: they go up to a few megabytes (or a per-cent of the rows) at a
  // time, without copying.
  if (used == size_t(stride) && stride == picture.bytew && h.biHeight > 0) {
    const int64_t rows = std::max<int64_t>(1, std::min<int64_t>((int64_t(4) << 20) / stride, height / 100));
    for (int64_t r = 0; r < height && !out.failed(); r += rows) {
      const int64_t n = std::min(rows, height - r);
      out.write(picture.poi + r * stride, size_t(n * stride));
      progress.step(r + n, height);
    }
    return !out.failed();
  }
  for (int64_t r = 0; r < height && !out.failed(); ++r) {
    const int64_t src = h.biHeight < 0 ? height - 1 - r : r;
    out.write(picture.poi + src * picture.bytew, used);
    out.zeros(size_t(stride) - used);
    progress.step(r + 1, height);
  }
  return !out.failed();
}

} // namespace bk3
