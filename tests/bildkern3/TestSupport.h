// Helpers for the imaging library's tests: colour tables, temporary folders,
// outside programs, PPM pixels and BMP files crafted byte by byte.
#pragma once

#include "AddressSpaceCap.h"
#include "Picture.h"
#include "bildkern3.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace bk3test {

using Bytes = std::vector<uint8_t>;

// The colour table of a palette picture.
inline const RGBQUAD *colour_table(const dib &d) { return d.pmi->bmiColors; }

// The failure text left in the palette entries (UTF-16), as UTF-8.
inline std::string error_text(const dib &d)
{
  char16_t text[512];
  std::memcpy(text, d.pal.rgb0, sizeof text);
  std::string out;
  for (size_t i = 0; i < 511 && text[i]; ++i) {
    const unsigned c = text[i];
    if (c < 0x80)
      out += char(c);
    else if (c < 0x800)
      out += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
    else
      out += {char(0xE0 | c >> 12), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
  }
  return out;
}

// A folder inside the test's working folder, removed with its contents at the end.
struct TempDir {
  std::string path = make();
  ~TempDir()
  {
    std::error_code ec;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path, ec);
  }
  std::string file(const std::string &name) const { return path + "/" + name; }
  std::vector<std::string> entries() const
  {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(path))
      names.push_back(e.path().filename().string());
    return names;
  }
  static std::string make()
  {
    std::string p = std::filesystem::current_path().string() + "/bk3-XXXXXX";
    return ::mkdtemp(p.data()) ? p : std::string();
  }
};

inline bool write_file(const std::string &path, const Bytes &bytes)
{
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

inline Bytes read_file(const std::string &path)
{
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline bool have_tool(const std::string &name)
{
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool run(const std::string &command) { return std::system(("(" + command + ") 2>/dev/null").c_str()) == 0; }

// Opens a file with these bytes; `name` matters where the extension does.
inline void open_bytes(Picture &pic, const Bytes &bytes, const std::string &name = "t.bmp")
{
  TempDir dir;
  write_file(dir.file(name), bytes);
  OpenDib(&pic.get(), dir.file(name).c_str(), 0, nullptr);
}

// Colours from the top-left, one value red + 256 green + 65536 blue per pixel,
// palette indices looked up in the picture's table.
inline std::vector<uint32_t> colours_of(const dib &d)
{
  std::vector<uint32_t> out;
  for (int y = 0; d.pmi && y < d.pmi->bmiHeader.biHeight; ++y)
    for (int x = 0; x < d.pmi->bmiHeader.biWidth; ++x) {
      const uint32_t v = getpixel(d, x, y);
      if (d.pmi->bmiHeader.biBitCount == 24) {
        out.push_back(v);
        continue;
      }
      // Only palette pictures have a table; a 24-bit header block ends before it.
      const RGBQUAD q = d.pmi->bmiColors[v];
      out.push_back(q.rgbRed | q.rgbGreen << 8 | q.rgbBlue << 16);
    }
  return out;
}

// The same from a binary PPM with maxval 255; empty when it is not one.
inline std::vector<uint32_t> colours_of_ppm(const Bytes &b)
{
  int w = 0, h = 0, maxval = 0, used = 0;
  const std::string head(b.begin(), b.begin() + long(std::min<size_t>(b.size(), 40)));
  if (std::sscanf(head.c_str(), "P6 %d %d %d%n", &w, &h, &maxval, &used) != 3 || maxval != 255 ||
      b.size() != size_t(used + 1 + 3 * w * h))
    return {};
  std::vector<uint32_t> out;
  for (size_t i = size_t(used + 1); i < b.size(); i += 3)
    out.push_back(b[i] | b[i + 1] << 8 | b[i + 2] << 16);
  return out;
}

inline void put16(Bytes &v, uint32_t x) { v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8)}); }
inline void put32(Bytes &v, uint32_t x) { put16(v, x), put16(v, x >> 16); }

// A BMP file: header size 12 (OS/2 1.x), 16..64 (OS/2 2.x) or 40..124 (Windows).
struct Bmp {
  uint32_t header_size = 40;
  int32_t width = 1, height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0, clr_used = 0;
  std::vector<uint32_t> header_masks, masks_after; // inside the header / after a 40-byte one
  Bytes table, gap, pixels;                        // gap: between table and pixels
  long off_bits = -1;                              // -1: where the pixels are

  Bytes build() const
  {
    Bytes h;
    put32(h, header_size);
    if (header_size == 12) {
      put16(h, uint32_t(width)), put16(h, uint32_t(height)), put16(h, 1), put16(h, bits);
    } else {
      for (uint32_t v : {uint32_t(width), uint32_t(height)})
        put32(h, v);
      put16(h, 1), put16(h, bits);
      for (uint32_t v : {compression, uint32_t(pixels.size()), 2835u, 2835u, clr_used, 0u})
        put32(h, v);
      for (uint32_t m : header_masks)
        put32(h, m);
      h.resize(header_size <= 124 ? header_size : 40); // absurd sizes are only claimed
    }
    for (uint32_t m : masks_after)
      put32(h, m);
    h.insert(h.end(), table.begin(), table.end());
    h.insert(h.end(), gap.begin(), gap.end());
    Bytes file = {'B', 'M'};
    put32(file, uint32_t(14 + h.size() + pixels.size()));
    put32(file, 0);
    put32(file, off_bits < 0 ? uint32_t(14 + h.size()) : uint32_t(off_bits));
    file.insert(file.end(), h.begin(), h.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
  }
};

// n colour-table entries of 4 (or 3, OS/2 1.x) bytes; entry i is table_colour(i).
inline Bytes test_table(int n, int entry_bytes = 4)
{
  Bytes t;
  for (int i = 0; i < n; ++i) {
    t.insert(t.end(), {uint8_t(200 - i), uint8_t(100 + i), uint8_t(10 + i)});
    if (entry_bytes == 4)
      t.push_back(0);
  }
  return t;
}
inline uint32_t table_colour(int i) { return uint32_t(10 + i) | uint32_t(100 + i) << 8 | uint32_t(200 - i) << 16; }
inline uint32_t rgb(int r, int g, int b) { return uint32_t(r | g << 8 | b << 16); }

using ::AddressSpaceCap;

} // namespace bk3test
