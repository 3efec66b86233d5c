// Helpers for the GIF, JPEG, TIFF and JPEG 2000 tests: test pictures, saving and
// opening through the entry points, outside programs' decodes and picture distances.
#pragma once

#include "TestSupport.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace bk3test {

enum class Kind {
  colour,     // 24 bits, smooth gradients with sharp edges, thousands of colours
  few_colours, // 24 bits with at most 216 colours
  palette,    // 1, 4 or 8 bits with a coloured table
  grey,       // 8 bits with the grey ramp as its table
};

// A picture of the given kind; width and height odd so padding is exercised.
inline void make_picture(Picture &pic, Kind kind, int bits, int width = 67, int height = 45)
{
  RGBQUAD table[256] = {};
  for (int i = 0; i < 256; ++i)
    table[i] = kind == Kind::grey ? RGBQUAD{uint8_t(i), uint8_t(i), uint8_t(i), 0}
                                  : RGBQUAD{uint8_t(i * 37), uint8_t(255 - i), uint8_t(i * 11 + 5), 0};
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + sizeof table);
  std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), table, sizeof table);
  newdib(&pic.get(), width, height, bits, reinterpret_cast<const BITMAPINFO *>(info.data()), bits <= 8 ? 256 : 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t v = 0;
      if (bits <= 8) {
        v = uint32_t(x * 7 + y * 3 + (x * y) % 5) % (1u << bits);
      } else if (kind == Kind::few_colours) {
        const int r = (x / 4) % 6, g = (y / 3) % 6, b = (x + y) / 9 % 6;
        v = rgb(r * 51, g * 51, b * 51);
      } else {
        // Gradients plus a bright block: smooth areas and edges, as in photographs.
        const bool block = x > width / 3 && x < width / 2 && y > height / 4 && y < height / 2;
        v = block ? rgb(250, 240, 20) : rgb(x * 255 / width, y * 255 / height, (x + y) * 255 / (width + height));
      }
      setpixel(pic.get(), x, y, v);
    }
}

inline bool save(const Picture &pic, const std::string &path, int format)
{
  return SaveDib(pic.get(), path.c_str(), format, nullptr) == 1;
}

inline void open(Picture &pic, const std::string &path) { OpenDib(&pic.get(), path.c_str(), 0, nullptr); }

// An outside program's decode of `path` as colours from the top-left: `command`
// gets the file name appended and must write any PNM to stdout.
inline std::vector<uint32_t> decoded_by(const std::string &command, const std::string &path)
{
  const std::string out = path + ".ppm";
  if (!run(command + " '" + path + "' | ppmtoppm > '" + out + "'"))
    return {};
  return colours_of_ppm(read_file(out));
}

inline std::vector<uint32_t> decoded_by_convert(const std::string &path)
{
  const std::string out = path + ".ppm";
  if (!run("convert '" + path + "' -strip -depth 8 '" + out + "'"))
    return {};
  return colours_of_ppm(read_file(out));
}

// Writes `ppm` through an outside program into `path`: `command` reads the PPM file
// named by {in} and writes {out}.
inline bool written_by(std::string command, const std::string &in, const std::string &out)
{
  for (auto [key, value] : {std::pair<std::string, std::string>{"{in}", in}, {"{out}", out}}) {
    const size_t at = command.find(key);
    if (at != std::string::npos)
      command.replace(at, key.size(), "'" + value + "'");
  }
  return run(command);
}

struct Distance {
  double psnr = 0;  // over all channels; infinity when equal
  int worst = 0;    // largest difference of one channel
};

inline Distance distance(const std::vector<uint32_t> &a, const std::vector<uint32_t> &b)
{
  Distance d;
  if (a.size() != b.size() || a.empty()) {
    d.worst = 256;
    return d;
  }
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int s = 0; s < 24; s += 8) {
      const int diff = int((a[i] >> s) & 255) - int((b[i] >> s) & 255);
      sum += diff * diff;
      d.worst = std::max(d.worst, std::abs(diff));
    }
  const double mse = sum / (3.0 * double(a.size()));
  d.psnr = mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
  return d;
}

inline void write_ppm(const std::string &path, const std::vector<uint32_t> &colours, int width, int height)
{
  std::string head = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  Bytes b(head.begin(), head.end());
  for (uint32_t c : colours)
    b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
  write_file(path, b);
}

} // namespace bk3test
