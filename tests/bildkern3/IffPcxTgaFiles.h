// IFF, PCX and TGA files crafted byte by byte for the crafted and damaged-file tests.
#pragma once

#include "TestSupport.h"

namespace bk3test {

inline void put_be16(Bytes &v, uint32_t x) { v.insert(v.end(), {uint8_t(x >> 8), uint8_t(x)}); }
inline void put_be32(Bytes &v, uint32_t x) { put_be16(v, x >> 16), put_be16(v, x); }
inline Bytes concat(std::initializer_list<Bytes> parts)
{
  Bytes out;
  for (const Bytes &p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

// One IFF chunk with its pad byte when the length is odd.
inline Bytes chunk(const char *id, const Bytes &data, bool pad = true)
{
  Bytes c(id, id + 4);
  put_be32(c, uint32_t(data.size()));
  c.insert(c.end(), data.begin(), data.end());
  if (pad && (data.size() & 1))
    c.push_back(0);
  return c;
}

inline Bytes bmhd(int w, int h, int planes, int masking = 0, int compression = 0)
{
  Bytes b;
  put_be16(b, uint32_t(w)), put_be16(b, uint32_t(h)), put_be32(b, 0);
  b.insert(b.end(), {uint8_t(planes), uint8_t(masking), uint8_t(compression), 0});
  put_be16(b, 0);
  b.insert(b.end(), {1, 1});
  put_be16(b, uint32_t(w)), put_be16(b, uint32_t(h));
  return chunk("BMHD", b);
}

// `type` is "ILBM" or "PBM "; `form_length` < 0: the true length.
inline Bytes form(const char *type, const Bytes &chunks, long form_length = -1)
{
  Bytes f = {'F', 'O', 'R', 'M'};
  put_be32(f, form_length < 0 ? uint32_t(4 + chunks.size()) : uint32_t(form_length));
  f.insert(f.end(), type, type + 4);
  f.insert(f.end(), chunks.begin(), chunks.end());
  return f;
}

// Uncompressed ILBM rows: the values of each row split into `planes` bitplanes
// (plus an all-ones mask plane when `mask`), each plane row padded to 16 bits.
inline Bytes ilbm_rows(const std::vector<std::vector<uint32_t>> &rows, int planes, bool mask = false)
{
  Bytes body;
  for (const auto &row : rows) {
    const size_t plane_row = (row.size() + 15) / 16 * 2;
    for (int p = 0; p < planes + (mask ? 1 : 0); ++p) {
      Bytes bits(plane_row);
      for (size_t x = 0; x < row.size(); ++x)
        if (p == planes || (row[x] >> p & 1))
          bits[x >> 3] |= uint8_t(0x80 >> (x & 7));
      body.insert(body.end(), bits.begin(), bits.end());
    }
  }
  return body;
}

inline Bytes cmap(const std::vector<uint32_t> &colours) // each red + 256 green + 65536 blue
{
  Bytes c;
  for (uint32_t v : colours)
    c.insert(c.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)});
  return chunk("CMAP", c);
}

// A PCX header; the palette argument fills the 16 header entries.
struct Pcx {
  int version = 5, encoding = 1, bits = 8, planes = 1;
  int xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  int line_bytes = 2;
  std::vector<uint32_t> header_palette;
  Bytes data, tail;

  Bytes build() const
  {
    Bytes h(128);
    h[0] = 0x0A, h[1] = uint8_t(version), h[2] = uint8_t(encoding), h[3] = uint8_t(bits);
    const int v[] = {xmin, ymin, xmax, ymax, 72, 72};
    for (int i = 0; i < 6; ++i)
      h[size_t(4 + 2 * i)] = uint8_t(v[i]), h[size_t(5 + 2 * i)] = uint8_t(v[i] >> 8);
    for (size_t i = 0; i < header_palette.size() && i < 16; ++i)
      h[16 + 3 * i] = uint8_t(header_palette[i]), h[17 + 3 * i] = uint8_t(header_palette[i] >> 8),
                 h[18 + 3 * i] = uint8_t(header_palette[i] >> 16);
    h[65] = uint8_t(planes), h[66] = uint8_t(line_bytes), h[67] = uint8_t(line_bytes >> 8), h[68] = 1;
    return concat({h, data, tail});
  }
};

// A Targa header, then the ID, colour map and pixel bytes as given.
struct Tga {
  int id_length = 0, map_type = 0, type = 2;
  int map_first = 0, map_length = 0, map_bits = 0;
  int width = 1, height = 1, bits = 24, descriptor = 0;
  Bytes id, map, pixels;

  Bytes build() const
  {
    Bytes h = {uint8_t(id_length), uint8_t(map_type), uint8_t(type)};
    put16(h, uint32_t(map_first)), put16(h, uint32_t(map_length));
    h.push_back(uint8_t(map_bits));
    put16(h, 0), put16(h, 0), put16(h, uint32_t(width)), put16(h, uint32_t(height));
    h.insert(h.end(), {uint8_t(bits), uint8_t(descriptor)});
    return concat({h, id, map, pixels});
  }
};

} // namespace bk3test
