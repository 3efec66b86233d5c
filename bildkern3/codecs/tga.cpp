// Targa pictures: colour-mapped, true-colour and grey (types 1, 2, 3) and their
// run-length forms (9, 10, 11), 8, 15, 16, 24 and 32 bits, any origin corner.
// Targa has no signature outside the optional version 2 footer, so every header
// field is checked for plausibility before anything is allocated.
#include "codecs/formats.h"
#include "codecs/halves.h"
#include "codecs/rowcoders.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

namespace bk3 {

namespace {

constexpr size_t header_bytes = 18;
const char footer_signature[] = "TRUEVISION-XFILE."; // with its NUL: 18 bytes

uint16_t le16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

enum Kind { colour_mapped = 1, true_colour = 2, grey = 3 };

struct Header {
  Kind kind = true_colour;
  bool rle = false;
  int map_first = 0, map_length = 0, map_bits = 0;
  int64_t width = 0, height = 0;
  int bits = 0;
  bool right_to_left = false, top_down = false;
  size_t pixels_at = 0;
};

// 15- and 16-bit values are x:1 r:5 g:5 b:5; five bits widen by repeating the top ones.
RGBQUAD colour16(uint16_t v)
{
  const auto c = [](unsigned f) { return uint8_t(f << 3 | f >> 2); };
  return RGBQUAD{c(v & 31), c(v >> 5 & 31), c(v >> 10 & 31), 0};
}

RGBQUAD colour_at(const uint8_t *p, int bits)
{
  if (bits <= 16)
    return colour16(le16(p));
  return RGBQUAD{p[0], p[1], p[2], 0};
}

Error parse(const uint8_t *d, size_t size, Header &h)
{
  if (size < header_bytes)
    return msg::incomplete;
  const int id_length = d[0], map_type = d[1], type = d[2];
  if (map_type > 1)
    return msg::bad_header;
  switch (type) {
  case 1: case 2: case 3: case 9: case 10: case 11:
    break;
  case 0:
    return msg::damaged; // "no picture"
  case 32: case 33:
    return msg::bad_compression; // Huffman-coded variants
  default:
    return msg::bad_header;
  }
  h.kind = Kind(type & 7);
  h.rle = type >= 9;
  h.map_first = le16(d + 3);
  h.map_length = le16(d + 5);
  h.map_bits = d[7];
  h.width = le16(d + 12);
  h.height = le16(d + 14);
  h.bits = d[16];
  h.right_to_left = d[17] & 0x10;
  h.top_down = d[17] & 0x20;
  if (Error e = check_size(h.width, h.height))
    return e;

  switch (h.kind) {
  case colour_mapped:
    if (map_type != 1 || (h.bits != 8 && h.bits != 16))
      return h.bits != 8 && h.bits != 16 ? msg::bad_depth : msg::bad_header;
    break;
  case true_colour:
    if (h.bits != 15 && h.bits != 16 && h.bits != 24 && h.bits != 32)
      return msg::bad_depth;
    break;
  case grey:
    if (h.bits != 8 && h.bits != 16) // 16: grey and alpha
      return msg::bad_depth;
    break;
  }
  uint64_t map_bytes = 0;
  if (map_type == 1) {
    if (h.map_bits != 15 && h.map_bits != 16 && h.map_bits != 24 && h.map_bits != 32)
      return msg::bad_depth;
    map_bytes = uint64_t(h.map_length) * uint64_t((h.map_bits + 7) / 8);
  }
  const uint64_t at = header_bytes + uint64_t(id_length) + map_bytes;
  if (at > size)
    return msg::incomplete;
  h.pixels_at = size_t(at);
  return nullptr;
}

// The pixels the header declares against the `available` bytes after the map.
Error check_room(const Header &h, uint64_t available)
{
  const int pixel_bytes = (h.bits + 7) / 8;
  const uint64_t pixels = uint64_t(h.width) * uint64_t(h.height);
  // Uncompressed pixels must all be there; a packet of 1 + pixel_bytes bytes gives at most 128.
  const uint64_t needed = h.rle ? (pixels + 127) / 128 * uint64_t(1 + pixel_bytes) : pixels * uint64_t(pixel_bytes);
  return needed > available ? msg::damaged : nullptr;
}

// `n` copies of the pixel of `k` bytes at `pixel`; the sizes the format has get a
// loop of their own, so no copy is a call.
void repeat_pixel(uint8_t *out, const uint8_t *pixel, int k, unsigned n)
{
  const auto fill = [&](auto size) {
    for (unsigned j = 0; j < n; ++j)
      std::memcpy(out + size_t(j) * size, pixel, size);
  };
  switch (k) {
  case 1: std::memset(out, pixel[0], n); break;
  case 2: fill(std::integral_constant<size_t, 2>{}); break;
  case 3: fill(std::integral_constant<size_t, 3>{}); break;
  default: fill(std::integral_constant<size_t, 4>{}); break;
  }
}

// The rows stored as the picture stores them, left to right: blue, green, red as
// they are, one byte per index or grey, and 32 bits without their alpha. False
// for every other row, which goes pixel by pixel.
bool copy_row(const uint8_t *src, uint8_t *dst, const Header &h, int bits)
{
  if (h.right_to_left)
    return false;
  const size_t width = size_t(h.width);
  if (bits == 8 && h.bits == 8) {
    std::memcpy(dst, src, width);
  } else if (h.kind == true_colour && h.bits == 24) {
    std::memcpy(dst, src, 3 * width);
  } else if (h.kind == true_colour && h.bits == 32) {
    for (size_t x = 0; x < width; ++x)
      dst[3 * x] = src[4 * x], dst[3 * x + 1] = src[4 * x + 1], dst[3 * x + 2] = src[4 * x + 2];
  } else {
    return false;
  }
  return true;
}

} // namespace

Error tga_check_head(const uint8_t *head, size_t size, uint64_t file_size)
{
  Header h;
  const Error e = parse(head, size, h);
  if (e == msg::incomplete && size < file_size)
    return nullptr; // a colour map beyond the head: the whole file decides
  if (e)
    return e;
  return check_room(h, file_size - h.pixels_at);
}

bool tga_sniff(const uint8_t *d, size_t n)
{
  // Only version 2 files carry a signature, in their footer; the rest go by extension.
  return n >= header_bytes + 26 && std::memcmp(d + n - 18, footer_signature, 18) == 0;
}

Error tga_load(const uint8_t *d, size_t size, dib *result, Progress &progress)
{
  Header h;
  if (Error e = parse(d, size, h))
    return e;
  if (Error e = check_room(h, size - h.pixels_at))
    return e;
  const int pixel_bytes = (h.bits + 7) / 8;

  // The colour map, read into the places of the index values it covers.
  std::vector<RGBQUAD> map;
  const int map_entry_bytes = (h.map_bits + 7) / 8;
  if (h.kind == colour_mapped) {
    map.assign(size_t(h.map_first) + size_t(h.map_length), RGBQUAD{});
    const uint8_t *m = d + h.pixels_at - size_t(h.map_length) * size_t(map_entry_bytes);
    for (int i = 0; i < h.map_length; ++i)
      map[size_t(h.map_first + i)] = colour_at(m + i * map_entry_bytes, h.map_bits);
  }
  int bits = 24;
  RGBQUAD table[256] = {};
  if (h.kind == colour_mapped && h.bits == 8) {
    bits = 8;
    std::copy(map.begin(), map.begin() + std::min<ptrdiff_t>(ptrdiff_t(map.size()), 256), table);
  } else if (h.kind == grey) {
    bits = 8;
    for (int i = 0; i < 256; ++i)
      table[i] = RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  }
  std::vector<uint8_t> row;
  try {
    row.resize(size_t(h.width) * size_t(pixel_bytes));
  } catch (const std::bad_alloc &) {
    return msg::no_memory;
  }
  if (Error e = make_dib(result, int32_t(h.width), int32_t(h.height), bits, table, 256))
    return e;
  prefer_huge_pages(result->poi, size_t(result->bytew) * size_t(h.height));

  const size_t row_size = row.size();
  size_t p = h.pixels_at;
  unsigned left = 0; // pixels of the current packet still to give
  bool repeat = false;
  const uint8_t *packet = nullptr;
  // Rows stored as the picture stores them are unpacked straight into it.
  const bool in_place = !h.right_to_left && (h.bits == 8 || (h.kind == true_colour && h.bits == 24));
  for (int64_t y = 0; y < h.height; ++y) {
    const int64_t stored = h.top_down ? h.height - 1 - y : y; // row of the result, bottom-up
    uint8_t *dst = result->poi + stored * int64_t(result->bytew);
    uint8_t *unpacked = in_place ? dst : row.data();
    const uint8_t *src;
    if (!h.rle) {
      src = d + p;
      p += row_size;
    } else {
      // Packets may run over into the next row, never beyond the last one.
      for (size_t i = 0, x = 0; i < row_size;) { // i: bytes, x: pixels of the row given
        if (left == 0) {
          if (p >= size)
            return msg::damaged;
          const uint8_t c = d[p++];
          left = (c & 0x7F) + 1u;
          repeat = c & 0x80;
          if (size - p < size_t(repeat ? 1 : left) * size_t(pixel_bytes))
            return msg::damaged;
          packet = d + p;
          p += size_t(repeat ? 1 : left) * size_t(pixel_bytes);
        }
        // The whole packet, or as much of it as the row takes, at once.
        const unsigned n = unsigned(std::min<size_t>(left, size_t(h.width) - x));
        const size_t bytes = size_t(n) * size_t(pixel_bytes);
        if (repeat) {
          repeat_pixel(unpacked + i, packet, pixel_bytes, n);
        } else {
          std::memcpy(unpacked + i, packet, bytes);
          packet += bytes;
        }
        i += bytes;
        x += n;
        left -= n;
      }
      if (y == h.height - 1 && left > 0)
        return msg::damaged;
      if (in_place) {
        progress.step(y + 1, h.height);
        continue;
      }
      src = row.data();
    }

    if (copy_row(src, dst, h, bits)) {
      progress.step(y + 1, h.height);
      continue;
    }
    for (int64_t i = 0; i < h.width; ++i) {
      const int64_t x = h.right_to_left ? h.width - 1 - i : i;
      const uint8_t *s = src + i * pixel_bytes;
      if (bits == 8) {
        dst[x] = s[0]; // grey with alpha keeps its grey byte
        continue;
      }
      RGBQUAD c;
      if (h.kind == colour_mapped) {
        const size_t index = le16(s);
        c = index < map.size() ? map[index] : RGBQUAD{};
      } else {
        c = colour_at(s, h.bits);
      }
      dst[3 * x] = c.rgbBlue, dst[3 * x + 1] = c.rgbGreen, dst[3 * x + 2] = c.rgbRed;
    }
    progress.step(y + 1, h.height);
  }
  return nullptr;
}

// Run-length, bottom-left origin: 24-bit pictures as true colour (type 10), colour-
// table pictures as 8-bit indices with their colours in a 24-bit map (type 9); a
// version 2 footer, so the file is recognised by its content.
bool tga_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  const BITMAPINFOHEADER &bh = picture.pmi->bmiHeader;
  if (shape.width > 0xFFFF || shape.height > 0xFFFF)
    return false;
  const int bits = shape.bits;
  const int64_t width = shape.width;
  const int64_t height = shape.height;
  const bool mapped = bits <= 8;
  const int entries = mapped ? 1 << bits : 0;

  uint8_t head[header_bytes] = {0, uint8_t(mapped), uint8_t(mapped ? 9 : 10)};
  head[5] = uint8_t(entries), head[6] = uint8_t(entries >> 8);
  head[7] = mapped ? 24 : 0;
  head[12] = uint8_t(width), head[13] = uint8_t(width >> 8);
  head[14] = uint8_t(height), head[15] = uint8_t(height >> 8);
  head[16] = mapped ? 8 : 24;
  out.write(head, sizeof head);
  if (mapped) {
    const RGBQUAD *table = colour_table(picture);
    for (int i = 0; i < entries; ++i) {
      const uint8_t c[3] = {table[i].rgbBlue, table[i].rgbGreen, table[i].rgbRed};
      out.write(c, 3);
    }
  }

  const size_t k = mapped ? 1 : 3;
  // Each thread's working rows: indices of a 1- or 4-bit row, the bits of equal neighbours.
  struct Rows {
    std::vector<uint8_t> indices;
    std::vector<uint64_t> equal;
  };
  const auto make_rows = [&] { return Rows{std::vector<uint8_t>(mapped ? size_t(width) : 0), {}}; };
  const auto row_at = [&](int64_t r) { // from the bottom
    return picture.poi + (bh.biHeight < 0 ? height - 1 - r : r) * int64_t(picture.bytew);
  };
  const auto encode = [&](int64_t r, Rows &rows, uint8_t *to) { // r: from the bottom
    std::vector<uint8_t> &indices = rows.indices;
    const uint8_t *src = row_at(r);
    if (mapped && bits < 8) {
      for (int64_t x = 0; x < width; ++x)
        indices[size_t(x)] = bits == 4 ? (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F : (src[x >> 3] >> (7 - (x & 7))) & 1;
      src = indices.data();
    }
    return tga_rle_row(src, size_t(width), k, to, rows.equal);
  };
  if (encode_rows(height, size_t(width) * (k + 1) + coder_slack, width * height >= halves_from_pixels,
                  bh.biHeight < 0, make_rows, encode, out, progress) < 0)
    return false;
  // Footer: no extension or developer area.
  out.zeros(8);
  out.write(footer_signature, 18);
  return !out.failed();
}

} // namespace bk3
