// IFF pictures: FORM ILBM (1 to 8 bitplanes with a colour map, Extra-Half-Brite,
// HAM6/HAM8, 24- and 32-plane deep pictures) and FORM PBM (Deluxe Paint's chunky
// 8-bit form), uncompressed or ByteRun1. Chunk lengths are checked against the
// bytes that remain before anything is read from them.
#include "codecs/formats.h"
#include "codecs/halves.h"
#include "codecs/planar.h"
#include "codecs/rowcoders.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace bk3 {

namespace {

uint16_t be16(const uint8_t *p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

constexpr uint32_t camg_ehb = 0x80;
constexpr uint32_t camg_ham = 0x800;

enum : uint8_t { mask_none = 0, mask_plane = 1 };
enum : uint8_t { pack_none = 0, pack_byterun1 = 1 };

struct Form {
  bool pbm = false;
  bool have_bmhd = false;
  int64_t width = 0, height = 0;
  int planes = 0;
  uint8_t masking = 0;
  uint8_t compression = 0;
  uint32_t camg = 0;
  bool have_camg = false;
  RGBQUAD cmap[256] = {};
  int cmap_entries = 0;
  const uint8_t *body = nullptr;
  size_t body_size = 0;
};

Error parse(const uint8_t *d, size_t size, Form &f)
{
  if (size < 12 || std::memcmp(d, "FORM", 4) != 0)
    return msg::unknown_format;
  if (std::memcmp(d + 8, "ILBM", 4) == 0)
    f.pbm = false;
  else if (std::memcmp(d + 8, "PBM ", 4) == 0)
    f.pbm = true;
  else
    return msg::unknown_format;
  // Some writers get the FORM length wrong; the chunks themselves are what counts,
  // as far as the file goes.
  const uint64_t form_end = std::min<uint64_t>(size, uint64_t(be32(d + 4)) + 8);
  size_t p = 12;
  while (p + 8 <= form_end) { // a FORM length below 4 ends before the first chunk
    const uint8_t *id = d + p;
    const uint64_t length = be32(d + p + 4);
    p += 8;
    if (length > form_end - p) {
      // A cut-off chunk that is not needed (a comment after the pixels) costs nothing.
      if (std::memcmp(id, "BODY", 4) == 0 || !f.body)
        return msg::damaged;
      break;
    }
    const uint8_t *c = d + p;
    if (std::memcmp(id, "BMHD", 4) == 0) {
      if (length < 20)
        return msg::bad_header;
      f.width = be16(c);
      f.height = be16(c + 2);
      f.planes = c[8];
      f.masking = c[9];
      f.compression = c[10];
      f.have_bmhd = true;
    } else if (std::memcmp(id, "CMAP", 4) == 0) {
      f.cmap_entries = int(std::min<uint64_t>(length / 3, 256));
      for (int i = 0; i < f.cmap_entries; ++i)
        f.cmap[i] = RGBQUAD{c[3 * i + 2], c[3 * i + 1], c[3 * i], 0};
    } else if (std::memcmp(id, "CAMG", 4) == 0) {
      if (length >= 4)
        f.camg = be32(c), f.have_camg = true;
    } else if (std::memcmp(id, "BODY", 4) == 0) {
      f.body = c;
      f.body_size = size_t(length);
    }
    // Chunks are padded to an even length; the pad byte may be missing at the end.
    p += size_t(length) + (length & 1);
    if (p > form_end)
      break;
  }
  if (!f.have_bmhd)
    return msg::bad_header;
  if (!f.body)
    return msg::damaged;
  if (Error e = check_size(f.width, f.height))
    return e;
  if (f.compression != pack_none && f.compression != pack_byterun1)
    return msg::bad_compression;
  if (f.pbm ? f.planes != 8 : !((f.planes >= 1 && f.planes <= 8) || f.planes == 24 || f.planes == 32))
    return msg::bad_depth;
  return nullptr;
}

// Copies `n` bytes 16 at a time, writing and reading up to 15 more.
void copy_by_16(uint8_t *dst, const uint8_t *src, size_t n)
{
  for (size_t i = 0; i < n; i += 16)
    std::memcpy(dst + i, src + i, 16);
}

// Unpacks one row of `n` bytes from the body into a buffer with `row_slack` bytes
// to spare after the row; runs may not reach past the row.
constexpr size_t row_slack = 16;
class Unpacker {
public:
  Unpacker(const Form &f) : d_(f.body), size_(f.body_size), packed_(f.compression == pack_byterun1) {}
  Error row(uint8_t *out, size_t n) { return next<true>(out, n); }
  // Passes over `rows` rows of `n` bytes, checking them as row() would.
  Error skip(size_t n, int64_t rows)
  {
    for (int64_t y = 0; y < rows; ++y)
      if (Error e = next<false>(nullptr, n))
        return e;
    return nullptr;
  }

private:
  template <bool copy> Error next(uint8_t *out, size_t n)
  {
    if (!packed_) {
      if (size_ - p_ < n)
        return msg::damaged;
      if (copy)
        std::memcpy(out, d_ + p_, n);
      p_ += n;
      return nullptr;
    }
    // Packets are short: copies of whole 16-byte pieces (a few stores) beat a
    // general copy of the exact length.
    size_t done = 0;
    while (done < n) {
      if (p_ >= size_)
        return msg::damaged;
      const int8_t c = int8_t(d_[p_++]);
      if (c >= 0) {
        const size_t k = size_t(c) + 1;
        if (k > n - done || size_ - p_ < k)
          return msg::damaged;
        if (copy && size_ - p_ >= 128 + 16)
          copy_by_16(out + done, d_ + p_, k);
        else if (copy)
          std::memcpy(out + done, d_ + p_, k);
        p_ += k;
        done += k;
      } else if (c != -128) {
        const size_t k = size_t(1 - c);
        if (k > n - done || p_ >= size_)
          return msg::damaged;
        uint8_t v[16];
        std::memset(v, d_[p_++], 16);
        for (size_t i = 0; copy && i < k; i += 16)
          std::memcpy(out + done + i, v, 16);
        done += k;
      }
    }
    return nullptr;
  }

  const uint8_t *d_;
  size_t size_;
  size_t p_ = 0;
  bool packed_;
};

// One row of a deep picture: planes 0-7 red, 8-15 green, 16-23 blue (planes 24-31,
// alpha, are dropped). Whole groups of eight pixels go through the three channel
// rows in `channels` (3 x width bytes); the rest, eight pixels of one channel per
// transposition, straight into their places in the picture's blue, green, red row.
void deep_row(const uint8_t *row, int64_t plane_row, int64_t width, uint8_t *dst, uint8_t *channels)
{
  const auto channel = [&](int k, int64_t g) {
    const uint8_t *planes = row + k * 8 * plane_row + g;
    uint64_t t = 0;
    for (int b = 0; b < 8; ++b)
      t |= uint64_t(planes[b * plane_row]) << (8 * b);
    return transpose8(t); // pixel i in byte 7 - i
  };
  uint8_t *const red = channels, *const green = channels + width, *const blue = channels + 2 * width;
  size_t whole = size_t(width / 8);
  for (int k = 0; k < 3; ++k)
    whole = bitplanes_to_bytes(row + k * 8 * plane_row, plane_row, whole, channels + k * width);
  channels_to_bgr(red, green, blue, dst, whole * 8);
  int64_t g = int64_t(whole);
  for (; g * 8 + 8 <= width; ++g) {
    const uint64_t r = channel(0, g), gr = channel(1, g), b = channel(2, g);
    uint8_t *out = dst + 24 * g;
    for (int i = 0; i < 8; ++i) {
      const int shift = 56 - 8 * i;
      out[3 * i] = uint8_t(b >> shift), out[3 * i + 1] = uint8_t(gr >> shift), out[3 * i + 2] = uint8_t(r >> shift);
    }
  }
  if (g * 8 < width) {
    const uint64_t r = channel(0, g), gr = channel(1, g), b = channel(2, g);
    for (int64_t x = g * 8; x < width; ++x) {
      const int shift = 56 - 8 * int(x - g * 8);
      dst[3 * x] = uint8_t(b >> shift), dst[3 * x + 1] = uint8_t(gr >> shift), dst[3 * x + 2] = uint8_t(r >> shift);
    }
  }
}

// Rows [from, to) of a deep picture, read by `unpack` from the first of them on.
Error deep_rows(const Form &f, Unpacker &unpack, int64_t from, int64_t to, dib *result, Progress *progress)
{
  const int64_t plane_row = (f.width + 15) / 16 * 2;
  const size_t row_size = size_t(plane_row) * size_t(f.planes + (f.masking == mask_plane ? 1 : 0));
  std::vector<uint8_t> row, channels;
  try {
    row.resize(row_size + row_slack);
    channels.resize(3 * size_t(f.width));
  } catch (const std::bad_alloc &) {
    return msg::no_memory;
  }
  for (int64_t y = from; y < to; ++y) {
    if (Error e = unpack.row(row.data(), row_size))
      return e;
    deep_row(row.data(), plane_row, f.width, result->poi + (f.height - 1 - y) * int64_t(result->bytew), channels.data());
    if (progress)
      progress->step(y + 1 - from, to - from);
  }
  return nullptr;
}

// A large deep picture in two halves at once: the rows of the upper one are passed
// over (checked, not unpacked) to find where the lower one starts, which another
// thread decodes. Null when that is not possible; then the caller does it all.
std::optional<Error> deep_halves(const Form &f, dib *result, Progress &progress)
{
  const int64_t plane_row = (f.width + 15) / 16 * 2;
  const size_t row_size = size_t(plane_row) * size_t(f.planes + (f.masking == mask_plane ? 1 : 0));
  const int64_t half = f.height / 2;
  if (f.width * f.height < halves_from_pixels)
    return std::nullopt;
  Unpacker lower(f);
  if (lower.skip(row_size, half))
    return std::nullopt; // the upper half is damaged: found and reported in order
  Error upper_error = nullptr, lower_error = nullptr;
  Unpacker upper(f);
  if (!run_in_halves([&] { upper_error = deep_rows(f, upper, 0, half, result, &progress); },
                     [&] { lower_error = deep_rows(f, lower, half, f.height, result, nullptr); }))
    return std::nullopt;
  return upper_error ? upper_error : lower_error;
}

// A HAM data field of `bits` bits replaces the top bits of one channel and, as on
// the Amiga's AGA chips, the low bits stay those of the pixel to the left.
uint8_t modify(uint8_t channel, unsigned v, int bits)
{
  const unsigned low = (1u << (8 - bits)) - 1;
  return uint8_t((channel & low) | v << (8 - bits));
}

// The rows the header declares against a body of `available` bytes.
Error check_room(const Form &f, uint64_t available)
{
  const int64_t plane_row = f.pbm ? f.width + (f.width & 1) : (f.width + 15) / 16 * 2;
  const int stored_planes = f.pbm ? 1 : f.planes + (f.masking == mask_plane ? 1 : 0);
  const uint64_t total = uint64_t(plane_row) * uint64_t(stored_planes) * uint64_t(f.height);
  // ByteRun1 turns two bytes into at most 128, so a shorter body cannot hold the rows.
  return (f.compression == pack_none ? total > available : total > available * 64) ? msg::damaged : nullptr;
}

} // namespace

Error iff_check_head(const uint8_t *head, size_t size, uint64_t file_size)
{
  // The chunks before the body are small and lie in the head; the body's length
  // comes from its chunk header and the file's size.
  if (size < 12)
    return nullptr;
  size_t p = 12;
  uint64_t body_at = 0, body_length = 0;
  while (p + 8 <= size) {
    const uint64_t length = be32(head + p + 4);
    if (std::memcmp(head + p, "BODY", 4) == 0) {
      body_at = p + 8;
      body_length = length;
      break;
    }
    p += 8 + size_t(std::min<uint64_t>(length + (length & 1), size));
  }
  // Only a body that reaches the end of the file is judged here: the loader
  // takes the last body, and after a shorter one another may follow.
  if (body_at == 0 || body_at > file_size || body_at + body_length < file_size)
    return nullptr;
  const uint64_t available = std::min<uint64_t>(body_length, file_size - body_at);
  // The chunks up to an empty body and a FORM ending there: parse() reads the
  // header as the file has it. What it finds wrong the loader reports.
  std::vector<uint8_t> cut(head, head + body_at);
  const uint32_t form_length = uint32_t(body_at - 8);
  for (int i = 0; i < 4; ++i) {
    cut[4 + size_t(i)] = uint8_t(form_length >> (24 - 8 * i));
    cut[body_at - 4 + size_t(i)] = 0;
  }
  Form f;
  if (parse(cut.data(), cut.size(), f))
    return nullptr;
  return check_room(f, available);
}

bool iff_sniff(const uint8_t *d, size_t n)
{
  return n >= 12 && std::memcmp(d, "FORM", 4) == 0 &&
         (std::memcmp(d + 8, "ILBM", 4) == 0 || std::memcmp(d + 8, "PBM ", 4) == 0);
}

Error iff_load(const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  Form f;
  if (Error e = parse(data, size, f))
    return e;
  const bool ham = !f.pbm && (f.camg & camg_ham) && f.planes >= 3 && f.planes <= 8;
  // Six planes with 32 colours and no display mode can only be Extra-Half-Brite.
  const bool ehb = !f.pbm && !ham && f.planes == 6 &&
                   ((f.camg & camg_ehb) || (!f.have_camg && f.cmap_entries == 32));
  const bool deep = f.planes > 8;
  const int64_t plane_row = f.pbm ? f.width + (f.width & 1) : (f.width + 15) / 16 * 2;
  const int stored_planes = f.pbm ? 1 : f.planes + (f.masking == mask_plane ? 1 : 0);
  const uint64_t row_size = uint64_t(plane_row) * uint64_t(stored_planes);
  if (Error e = check_room(f, f.body_size))
    return e;

  // HAM pictures take their base colours from the colour map too.
  RGBQUAD table[256] = {};
  int bits = 24;
  if (!deep) {
    const int used = f.pbm ? 256 : 1 << (ham ? f.planes - 2 : f.planes);
    if (f.cmap_entries > 0) {
      std::copy(f.cmap, f.cmap + std::min(f.cmap_entries, used), table);
    } else {
      // Without a colour map the values are grey levels.
      for (int i = 0; i < used; ++i) {
        const uint8_t g = uint8_t(i * 255 / (used - 1));
        table[i] = RGBQUAD{g, g, g, 0};
      }
    }
    if (ehb)
      for (int i = 0; i < 32; ++i)
        table[32 + i] = RGBQUAD{uint8_t(table[i].rgbBlue >> 1), uint8_t(table[i].rgbGreen >> 1),
                                uint8_t(table[i].rgbRed >> 1), 0};
    if (!ham)
      bits = f.planes == 1 ? 1 : f.planes <= 4 ? 4 : 8;
  }
  std::vector<uint8_t> row;
  std::vector<uint32_t> chunky;
  try {
    row.resize(size_t(row_size) + row_slack);
    chunky.resize(size_t(f.width));
  } catch (const std::bad_alloc &) {
    return msg::no_memory;
  }
  if (Error e = make_dib(result, int32_t(f.width), int32_t(f.height), bits, table, 256))
    return e;
  prefer_huge_pages(result->poi, size_t(result->bytew) * size_t(f.height));

  Unpacker unpack(f);
  if (deep) {
    const std::optional<Error> halves = deep_halves(f, result, progress);
    return halves ? *halves : deep_rows(f, unpack, 0, f.height, result, &progress);
  }
  const int ham_bits = f.planes - 2;
  for (int64_t y = 0; y < f.height; ++y) {
    if (Error e = unpack.row(row.data(), size_t(row_size)))
      return e;
    uint8_t *dst = result->poi + (f.height - 1 - y) * int64_t(result->bytew);
    if (f.pbm) {
      std::memcpy(dst, row.data(), size_t(f.width));
      progress.step(y + 1, f.height);
      continue;
    }
    // Bit x of plane p is bit p of pixel x; the planes of a row follow each other.
    // Eight planes of eight pixels at a time are one bit-matrix transposition.
    for (int64_t g = 0; g * 8 < f.width; ++g) {
      uint32_t px[8] = {};
      for (int k = 0; k * 8 < f.planes; ++k) {
        uint64_t t = 0;
        for (int b = 0; b < 8 && k * 8 + b < f.planes; ++b)
          t |= uint64_t(row[size_t((k * 8 + b) * plane_row + g)]) << (8 * b);
        t = transpose8(t);
        for (int i = 0; i < 8; ++i)
          px[i] |= uint32_t((t >> (56 - 8 * i)) & 0xFF) << (8 * k);
      }
      for (int i = 0; i < 8 && g * 8 + i < f.width; ++i)
        chunky[size_t(g * 8 + i)] = px[i];
    }
    if (bits == 8) {
      for (int64_t x = 0; x < f.width; ++x)
        dst[x] = uint8_t(chunky[size_t(x)]);
    } else if (bits == 4) {
      for (int64_t x = 0; x < f.width; ++x)
        dst[x >> 1] |= uint8_t(chunky[size_t(x)] << ((x & 1) ? 0 : 4));
    } else if (bits == 1) {
      for (int64_t x = 0; x < f.width; ++x)
        dst[x >> 3] |= uint8_t(chunky[size_t(x)] << (7 - (x & 7)));
    } else {
      // Hold-and-modify: each pixel takes a colour-map entry or changes one channel
      // of its left neighbour; every row starts from entry 0.
      RGBQUAD c = table[0];
      const uint32_t data_mask = (1u << ham_bits) - 1;
      for (int64_t x = 0; x < f.width; ++x) {
        const uint32_t v = chunky[size_t(x)] & data_mask;
        switch (chunky[size_t(x)] >> ham_bits) {
        case 0: c = table[v]; break;
        case 1: c.rgbBlue = modify(c.rgbBlue, v, ham_bits); break;
        case 2: c.rgbRed = modify(c.rgbRed, v, ham_bits); break;
        default: c.rgbGreen = modify(c.rgbGreen, v, ham_bits); break;
        }
        dst[3 * x] = c.rgbBlue, dst[3 * x + 1] = c.rgbGreen, dst[3 * x + 2] = c.rgbRed;
      }
    }
    progress.step(y + 1, f.height);
  }
  return nullptr;
}

namespace {

void put_be16(std::vector<uint8_t> &v, uint32_t x) { v.push_back(uint8_t(x >> 8)), v.push_back(uint8_t(x)); }
void put_be32(std::vector<uint8_t> &v, uint32_t x) { put_be16(v, x >> 16), put_be16(v, x); }

} // namespace

// ILBM with ByteRun1: colour-table pictures keep their depth as 1, 4 or 8 planes
// with their colour map, 24-bit pictures become 24 planes (red, green, blue).
bool iff_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  if (shape.width > 0xFFFF || shape.height > 0xFFFF)
    return false;
  const int bits = shape.bits;
  const int64_t width = shape.width;
  const int64_t height = shape.height;

  const size_t plane_row = size_t((width + 15) / 16 * 2);
  const size_t packed_row = plane_row + plane_row / 128 + 1; // at most
  // Each thread's working rows: the bitplanes of one row (with room for the coder
  // to read beyond), and its channels.
  struct Rows {
    std::vector<uint8_t> planes, channels;
  };
  const auto make_rows = [&] {
    return Rows{std::vector<uint8_t>(plane_row * size_t(bits) + coder_slack),
                std::vector<uint8_t>(bits == 24 ? 3 * size_t(width) : 0)};
  };

  // The body is written as it is packed, and the lengths before it, known only at
  // the end, are written over then.
  const uint32_t entries = bits <= 8 ? 1u << bits : 0;
  const uint64_t cmap_bytes = 3 * entries; // even for every depth that has one
  std::vector<uint8_t> head;
  head.insert(head.end(), {'F', 'O', 'R', 'M'});
  put_be32(head, 0);
  head.insert(head.end(), {'I', 'L', 'B', 'M', 'B', 'M', 'H', 'D'});
  put_be32(head, 20);
  put_be16(head, uint32_t(width)), put_be16(head, uint32_t(height));
  put_be16(head, 0), put_be16(head, 0);
  head.insert(head.end(), {uint8_t(bits), mask_none, pack_byterun1, 0});
  put_be16(head, 0);
  head.insert(head.end(), {1, 1});
  put_be16(head, uint32_t(width)), put_be16(head, uint32_t(height));
  if (entries) {
    head.insert(head.end(), {'C', 'M', 'A', 'P'});
    put_be32(head, uint32_t(cmap_bytes));
    const RGBQUAD *table = colour_table(picture);
    for (uint32_t i = 0; i < entries; ++i)
      head.insert(head.end(), {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue});
  }
  head.insert(head.end(), {'B', 'O', 'D', 'Y'});
  put_be32(head, 0);
  out.write(head.data(), head.size());

  const auto row_at = [&](int64_t y) { // from the top
    return picture.poi + (h.biHeight < 0 ? y : height - 1 - y) * int64_t(picture.bytew);
  };
  const uint8_t *const picture_end = picture.poi + height * int64_t(picture.bytew);
  const auto encode = [&](int64_t y, Rows &work, uint8_t *to) {
    const uint8_t *src = row_at(y), *next = next_in_memory(src, picture.bytew, picture_end);
    split_bitplanes(src, bits, size_t(width), work.planes.data(), plane_row, work.channels.data());
    for (int p = 0; p < bits; ++p) {
      prefetch_part(next, size_t(picture.bytew), size_t(p), size_t(bits));
      to = byterun1_row(work.planes.data() + size_t(p) * plane_row, plane_row, to);
    }
    return to;
  };
  const int64_t packed = encode_rows(height, packed_row * size_t(bits) + coder_slack,
                                     width * height >= halves_from_pixels, h.biHeight > 0, make_rows, encode, out,
                                     progress);
  if (packed < 0)
    return false;
  const uint64_t body = uint64_t(packed);
  const uint64_t form = head.size() - 8 + body + (body & 1);
  if (form > 0xFFFFFFFFu)
    return false;
  if (body & 1)
    out.u8(0);
  std::vector<uint8_t> length;
  put_be32(length, uint32_t(form));
  out.rewrite(4, length.data(), 4);
  length.clear();
  put_be32(length, uint32_t(body));
  out.rewrite(head.size() - 4, length.data(), 4);
  return !out.failed();
}

} // namespace bk3
