// Ordered (Bayer) dithering onto a fixed colour cube. A fixed palette needs no
// analysis of the picture, so every call on the same input gives the same bytes and
// neighbouring tiles of a picture drawn separately match at their edges.
#include "halftone.h"

#include <array>
#include <vector>

namespace bk3 {

namespace {

// Levels per channel: 6 x 7 x 6 = 252 colours; green gets the extra level because
// the eye separates greens best.
constexpr int levels_r = 6, levels_g = 7, levels_b = 6;

constexpr uint8_t bayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

// For one channel: the palette index contribution of value v at threshold t (0..63).
// v is split into a level and a remainder; the remainder decides, against the
// threshold, whether to round up, so the average over the 8x8 cell matches v.
struct ChannelTable {
  std::array<std::array<uint8_t, 256>, 64> index;

  ChannelTable(int levels, int weight)
  {
    for (int t = 0; t < 64; ++t)
      for (int v = 0; v < 256; ++v) {
        const int scaled = v * (levels - 1);
        int level = scaled / 255;
        if ((scaled % 255) * 128 > (2 * t + 1) * 255)
          ++level;
        index[size_t(t)][size_t(v)] = uint8_t(level * weight);
      }
  }
};

struct Tables {
  ChannelTable r{levels_r, levels_g * levels_b};
  ChannelTable g{levels_g, levels_b};
  ChannelTable b{levels_b, 1};
  RGBQUAD palette[256] = {};

  Tables()
  {
    auto value = [](int level, int levels) { return uint8_t((level * 255 + (levels - 1) / 2) / (levels - 1)); };
    for (int r = 0; r < levels_r; ++r)
      for (int g = 0; g < levels_g; ++g)
        for (int b = 0; b < levels_b; ++b) {
          RGBQUAD &q = palette[(r * levels_g + g) * levels_b + b];
          q.rgbRed = value(r, levels_r);
          q.rgbGreen = value(g, levels_g);
          q.rgbBlue = value(b, levels_b);
        }
  }
};

const Tables &tables()
{
  static const Tables t;
  return t;
}

} // namespace

Error halftone(dib *result, const dib &source, int32_t width, int32_t height)
{
  if (!source.pmi || !source.poi || source.pmi->bmiHeader.biBitCount != 24)
    return msg::bad_depth;
  const BITMAPINFOHEADER &sh = source.pmi->bmiHeader;
  const int64_t src_w = sh.biWidth;
  const int64_t src_h = sh.biHeight < 0 ? -int64_t(sh.biHeight) : int64_t(sh.biHeight);
  if (check_size(src_w, src_h) || source.bytew < row_bytes(src_w, 24))
    return msg::bad_size;

  const Tables &t = tables();
  if (Error e = make_dib(result, width, height, 8, t.palette, 256))
    return e;

  // The source column of every destination column, computed once.
  std::vector<int32_t> column(static_cast<size_t>(width));
  for (int64_t x = 0; x < width; ++x)
    column[size_t(x)] = int32_t(x * src_w / width * 3);

  for (int64_t y = 0; y < height; ++y) { // y counted from the top
    const int64_t sy = y * src_h / height;
    const int64_t stored = sh.biHeight < 0 ? sy : src_h - 1 - sy;
    const uint8_t *in = source.poi + stored * source.bytew;
    uint8_t *out = result->poi + (height - 1 - y) * int64_t(result->bytew);
    const uint8_t *row_thresholds = bayer8[y & 7];
    for (int64_t x = 0; x < width; ++x) {
      const uint8_t *p = in + column[size_t(x)];
      const size_t th = row_thresholds[x & 7];
      out[x] = uint8_t(t.b.index[th][p[0]] + t.g.index[th][p[1]] + t.r.index[th][p[2]]);
    }
  }
  return nullptr;
}

} // namespace bk3
