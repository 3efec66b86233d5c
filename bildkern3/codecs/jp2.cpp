// JPEG 2000 through OpenJPEG, from and to memory: JP2 files and raw codestreams,
// grey (one or two components) or colour (three or more), every precision scaled to
// 8 bits; written losslessly as JP2 with the reversible 5/3 wavelet.
#include "codecs/formats.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace bk3 {

namespace {

const uint8_t jp2_magic[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', '\r', '\n', 0x87, '\n'};
const uint8_t j2k_magic[4] = {0xFF, 0x4F, 0xFF, 0x51};

struct MemoryStream {
  const uint8_t *data = nullptr;   // reading
  std::vector<uint8_t> *buffer = nullptr; // writing
  uint64_t size = 0;
  uint64_t pos = 0;
};

OPJ_SIZE_T stream_read(void *buf, OPJ_SIZE_T n, void *user)
{
  auto *s = static_cast<MemoryStream *>(user);
  if (s->pos >= s->size)
    return OPJ_SIZE_T(-1);
  const uint64_t k = std::min<uint64_t>(n, s->size - s->pos);
  std::memcpy(buf, s->data + s->pos, size_t(k));
  s->pos += k;
  return OPJ_SIZE_T(k);
}

OPJ_SIZE_T stream_write(void *buf, OPJ_SIZE_T n, void *user)
{
  auto *s = static_cast<MemoryStream *>(user);
  const uint64_t end = s->pos + n;
  if (end > s->buffer->size())
    s->buffer->resize(size_t(end));
  std::memcpy(s->buffer->data() + s->pos, buf, n);
  s->pos = end;
  s->size = std::max(s->size, end);
  return n;
}

OPJ_OFF_T stream_skip(OPJ_OFF_T n, void *user)
{
  auto *s = static_cast<MemoryStream *>(user);
  const uint64_t limit = s->buffer ? UINT64_MAX / 2 : s->size;
  if (n < 0) {
    const uint64_t back = std::min<uint64_t>(uint64_t(-n), s->pos);
    s->pos -= back;
    return -OPJ_OFF_T(back);
  }
  if (!s->buffer && s->pos >= limit)
    return -1;
  const uint64_t k = s->buffer ? uint64_t(n) : std::min<uint64_t>(uint64_t(n), limit - s->pos);
  s->pos += k;
  return OPJ_OFF_T(k);
}

OPJ_BOOL stream_seek(OPJ_OFF_T to, void *user)
{
  auto *s = static_cast<MemoryStream *>(user);
  if (to < 0 || (!s->buffer && uint64_t(to) > s->size))
    return OPJ_FALSE;
  s->pos = uint64_t(to);
  return OPJ_TRUE;
}

void quiet(const char *, void *) {}

struct DestroyCodec {
  void operator()(opj_codec_t *c) const { opj_destroy_codec(c); }
};
struct DestroyStream {
  void operator()(opj_stream_t *s) const { opj_stream_destroy(s); }
};
struct DestroyImage {
  void operator()(opj_image_t *i) const { opj_image_destroy(i); }
};
using Codec2 = std::unique_ptr<opj_codec_t, DestroyCodec>;
using Stream = std::unique_ptr<opj_stream_t, DestroyStream>;
using Image = std::unique_ptr<opj_image_t, DestroyImage>;

opj_stream_t *make_stream(MemoryStream &m, bool input)
{
  opj_stream_t *s = opj_stream_create(1 << 16, input ? OPJ_TRUE : OPJ_FALSE);
  if (!s)
    return nullptr;
  opj_stream_set_user_data(s, &m, nullptr);
  if (input) {
    opj_stream_set_user_data_length(s, m.size);
    opj_stream_set_read_function(s, stream_read);
  } else {
    opj_stream_set_write_function(s, stream_write);
  }
  opj_stream_set_skip_function(s, stream_skip);
  opj_stream_set_seek_function(s, stream_seek);
  return s;
}

void silence(opj_codec_t *c)
{
  opj_set_error_handler(c, quiet, nullptr);
  opj_set_warning_handler(c, quiet, nullptr);
  opj_set_info_handler(c, quiet, nullptr);
}

// One component's samples as 8-bit values: signed ones shifted to unsigned, every
// precision scaled so that its full scale is 255.
struct Scale {
  explicit Scale(const opj_image_comp_t &c)
      : offset(c.sgnd ? int64_t(1) << (c.prec - 1) : 0), max((int64_t(1) << c.prec) - 1)
  {
  }
  uint8_t operator()(int32_t v) const
  {
    const int64_t u = std::clamp<int64_t>(int64_t(v) + offset, 0, max);
    return max == 255 ? uint8_t(u) : uint8_t((u * 255 + max / 2) / max);
  }
  int64_t offset, max;
};

// Components may be subsampled (dx, dy) and start at their own origin; each picture
// pixel takes the component sample that covers it.
struct Sampler {
  Sampler(const opj_image_t &img, const opj_image_comp_t &c) : comp(c), scale(c)
  {
    for (uint32_t x = img.x0; x < img.x1; ++x)
      columns.push_back(std::min<uint32_t>(x / c.dx - std::min(c.x0, x / c.dx), c.w - 1));
  }
  const int32_t *row(uint32_t y_image) const
  {
    const uint32_t y = std::min<uint32_t>(y_image / comp.dy - std::min(comp.y0, y_image / comp.dy), comp.h - 1);
    return comp.data + size_t(y) * comp.w;
  }
  const opj_image_comp_t &comp;
  Scale scale;
  std::vector<uint32_t> columns;
};

Error convert(const opj_image_t &img, dib *result)
{
  const uint32_t width = img.x1 - img.x0, height = img.y1 - img.y0;
  const bool colour = img.numcomps >= 3;
  const int n = colour ? 3 : 1;
  for (int i = 0; i < n; ++i) {
    const opj_image_comp_t &c = img.comps[i];
    if (!c.data || c.w == 0 || c.h == 0 || c.dx == 0 || c.dy == 0 || c.prec < 1 || c.prec > 31)
      return msg::damaged;
  }
  RGBQUAD grey[256];
  for (int i = 0; i < 256; ++i)
    grey[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
  if (Error e = make_dib(result, int32_t(width), int32_t(height), colour ? 24 : 8, grey, 256))
    return e;
  std::vector<Sampler> samplers;
  samplers.reserve(3);
  for (int i = 0; i < n; ++i)
    samplers.emplace_back(img, img.comps[i]);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t *dst = result->poi + int64_t(height - 1 - y) * result->bytew;
    if (!colour) {
      const Sampler &s = samplers[0];
      const int32_t *src = s.row(img.y0 + y);
      for (uint32_t x = 0; x < width; ++x)
        dst[x] = s.scale(src[s.columns[x]]);
      continue;
    }
    const int32_t *r = samplers[0].row(img.y0 + y), *g = samplers[1].row(img.y0 + y),
                  *b = samplers[2].row(img.y0 + y);
    for (uint32_t x = 0; x < width; ++x) {
      dst[3 * x] = samplers[2].scale(b[samplers[2].columns[x]]);
      dst[3 * x + 1] = samplers[1].scale(g[samplers[1].columns[x]]);
      dst[3 * x + 2] = samplers[0].scale(r[samplers[0].columns[x]]);
    }
  }
  return nullptr;
}

uint32_t be16(const uint8_t *p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t be32(const uint8_t *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// The decoder keeps 4 bytes per sample of the whole picture, and a few hundred
// bytes of codestream can describe a flat picture of any size: keep that memory
// within bounds (about 89 megapixels in colour, 268 in grey).
constexpr uint64_t kDecoderBudget = uint64_t(1) << 30;

// Alpha and further components are not shown; no picture we read needs more.
constexpr uint32_t kMaxComponents = 4;

// OpenJPEG sets up coding parameters for every tile and every component of a tile
// while it reads the main header, before anything is decoded: a few kilobytes
// each, and a tiny file may declare tens of thousands of tiles. Generous upper
// estimates of that bookkeeping, kept within a budget of its own.
constexpr uint64_t kTileBytes = 8 << 10;
constexpr uint64_t kTileComponentBytes = 4 << 10;
constexpr uint64_t kTileBudget = uint64_t(128) << 20;

// Every tile has at least one tile-part in the codestream: an SOT marker segment
// and an SOD marker.
constexpr uint64_t kSmallestTilePart = 14;

// The codestream of a JP2 file: the contents of its "jp2c" box; null when there is none.
const uint8_t *jp2_codestream(const uint8_t *data, size_t size, size_t &length)
{
  size_t at = 0;
  while (size - at >= 8) {
    uint64_t box = be32(data + at);
    size_t header = 8;
    if (box == 1) {
      if (size - at < 16)
        return nullptr;
      box = uint64_t(be32(data + at + 8)) << 32 | be32(data + at + 12);
      header = 16;
    } else if (box == 0) {
      box = size - at;
    }
    if (box < header || box > size - at)
      return nullptr;
    if (std::memcmp(data + at + 4, "jp2c", 4) == 0) {
      length = size_t(box) - header;
      return data + at + header;
    }
    at += size_t(box);
  }
  return nullptr;
}

// The SIZ marker segment, which must follow SOC, read before OpenJPEG sees the
// stream: what it declares decides whether the header may be read at all.
Error check_siz(const uint8_t *cs, size_t size)
{
  if (!cs || size < 42 || be16(cs) != 0xFF4F || be16(cs + 2) != 0xFF51)
    return msg::damaged;
  const uint32_t length = be16(cs + 4);
  const uint32_t xsiz = be32(cs + 8), ysiz = be32(cs + 12);
  const uint32_t xo = be32(cs + 16), yo = be32(cs + 20);
  const uint32_t xt = be32(cs + 24), yt = be32(cs + 28);
  const uint32_t xto = be32(cs + 32), yto = be32(cs + 36);
  const uint32_t comps = be16(cs + 40);
  if (comps == 0 || length != 38 + 3 * comps || size < 4 + size_t(length))
    return msg::damaged;
  if (xo >= xsiz || yo >= ysiz)
    return msg::bad_size;
  if (Error e = check_size(int64_t(xsiz) - xo, int64_t(ysiz) - yo))
    return e;
  // The first tile must overlap the picture.
  if (xt == 0 || yt == 0 || xto > xo || yto > yo || uint64_t(xto) + xt <= xo || uint64_t(yto) + yt <= yo)
    return msg::damaged;
  for (uint32_t i = 0; i < comps; ++i) {
    const uint8_t *c = cs + 42 + 3 * i;
    if ((c[0] & 0x7F) + 1 > 38 || c[1] == 0 || c[2] == 0)
      return msg::damaged;
  }
  if (comps > kMaxComponents)
    return msg::too_large;
  const uint64_t tiles = ((uint64_t(xsiz) - xto + xt - 1) / xt) * ((uint64_t(ysiz) - yto + yt - 1) / yt);
  if (tiles * kSmallestTilePart > size)
    return msg::damaged;
  if (tiles * (kTileBytes + comps * kTileComponentBytes) > kTileBudget)
    return msg::too_large;
  const uint64_t pixels = uint64_t(xsiz - xo) * (ysiz - yo);
  if (pixels * (comps >= 3 ? 3 : 1) * 4 > kDecoderBudget)
    return msg::too_large;
  return nullptr;
}

} // namespace

bool jp2_sniff(const uint8_t *d, size_t n)
{
  return (n >= sizeof jp2_magic && std::memcmp(d, jp2_magic, sizeof jp2_magic) == 0) ||
         (n >= sizeof j2k_magic && std::memcmp(d, j2k_magic, sizeof j2k_magic) == 0);
}

Error jp2_load(const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  const bool jp2 = size >= sizeof jp2_magic && std::memcmp(data, jp2_magic, sizeof jp2_magic) == 0;
  if (!jp2 && !(size >= sizeof j2k_magic && std::memcmp(data, j2k_magic, sizeof j2k_magic) == 0))
    return msg::unknown_format;
  size_t cs_size = size;
  const uint8_t *cs = jp2 ? jp2_codestream(data, size, cs_size) : data;
  if (Error e = check_siz(cs, cs_size))
    return e;
  Codec2 codec(opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec)
    return msg::no_memory;
  silence(codec.get());
  opj_dparameters_t params;
  opj_set_default_decoder_parameters(&params);
  if (!opj_setup_decoder(codec.get(), &params))
    return msg::damaged;
  opj_decoder_set_strict_mode(codec.get(), OPJ_TRUE);

  MemoryStream in;
  in.data = data;
  in.size = size;
  Stream stream(make_stream(in, true));
  if (!stream)
    return msg::no_memory;
  opj_image_t *raw = nullptr;
  if (!opj_read_header(stream.get(), codec.get(), &raw))
    return msg::damaged;
  Image image(raw);

  // The header's sizes decide before OpenJPEG allocates the components.
  if (image->x1 <= image->x0 || image->y1 <= image->y0 || image->numcomps == 0)
    return msg::bad_size;
  if (Error e = check_size(int64_t(image->x1) - image->x0, int64_t(image->y1) - image->y0))
    return e;
  for (uint32_t i = 0; i < std::min<uint32_t>(image->numcomps, 3); ++i)
    if (image->comps[i].prec < 1 || image->comps[i].prec > 31)
      return msg::bad_depth;
  // Alpha and further components are not shown; decoding only the first ones saves
  // their memory and time.
  const uint32_t wanted = image->numcomps >= 3 ? 3 : 1;
  const uint64_t pixels = uint64_t(image->x1 - image->x0) * (image->y1 - image->y0);
  if (pixels * wanted * 4 > kDecoderBudget)
    return msg::too_large;
  if (image->numcomps > wanted) {
    const OPJ_UINT32 comps[3] = {0, 1, 2};
    if (!opj_set_decoded_components(codec.get(), wanted, comps, OPJ_FALSE))
      return msg::damaged;
  }
  progress.step(0, 100);
  if (!opj_decode(codec.get(), stream.get(), image.get()) || !opj_end_decompress(codec.get(), stream.get()))
    return msg::damaged;
  if (image->numcomps < wanted)
    return msg::damaged;
  if (Error e = convert(*image, result))
    return e;
  progress.step(100, 100);
  return nullptr;
}

// Lossless: one quality layer, reversible wavelet and colour transform. Pictures whose
// table is the grey ramp are written with one component, other palette pictures as RGB.
bool jp2_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  const int bits = shape.bits;
  const int64_t width = shape.width;
  const int64_t height = shape.height;

  const RGBQUAD *table = bits <= 8 ? colour_table(picture) : nullptr;
  bool grey = bits == 8;
  for (int i = 0; grey && i < 256; ++i)
    grey = table[i].rgbRed == i && table[i].rgbGreen == i && table[i].rgbBlue == i;
  const int n = grey ? 1 : 3;

  opj_image_cmptparm_t parms[3];
  std::memset(parms, 0, sizeof parms);
  for (int i = 0; i < n; ++i) {
    parms[i].dx = parms[i].dy = 1;
    parms[i].w = uint32_t(width);
    parms[i].h = uint32_t(height);
    parms[i].prec = 8;
    parms[i].sgnd = 0;
  }
  Image image(opj_image_create(uint32_t(n), parms, grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
  if (!image)
    return false;
  image->x0 = image->y0 = 0;
  image->x1 = uint32_t(width);
  image->y1 = uint32_t(height);
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t *src = picture.poi + (h.biHeight > 0 ? height - 1 - y : y) * int64_t(picture.bytew);
    const size_t at = size_t(y * width);
    for (int64_t x = 0; x < width; ++x) {
      if (grey) {
        image->comps[0].data[at + size_t(x)] = src[x];
        continue;
      }
      uint8_t r, g, b;
      if (bits == 24) {
        b = src[3 * x], g = src[3 * x + 1], r = src[3 * x + 2];
      } else {
        const unsigned i = bits == 8 ? src[x] : bits == 4 ? (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u
                                                          : (src[x >> 3] >> (7 - (x & 7))) & 1u;
        r = table[i].rgbRed, g = table[i].rgbGreen, b = table[i].rgbBlue;
      }
      image->comps[0].data[at + size_t(x)] = r;
      image->comps[1].data[at + size_t(x)] = g;
      image->comps[2].data[at + size_t(x)] = b;
    }
  }
  progress.step(10, 100);

  opj_cparameters_t params;
  opj_set_default_encoder_parameters(&params);
  params.tcp_numlayers = 1;
  params.tcp_rates[0] = 0; // no rate limit: lossless
  params.cp_disto_alloc = 1;
  params.irreversible = 0;
  params.tcp_mct = n == 3 ? 1 : 0;
  // Each resolution level halves the picture; small pictures allow fewer of them.
  int levels = 1;
  while (levels < 6 && (int64_t(1) << levels) <= std::min(width, height))
    ++levels;
  params.numresolution = levels;

  Codec2 codec(opj_create_compress(OPJ_CODEC_JP2));
  if (!codec)
    return false;
  silence(codec.get());
  if (!opj_setup_encoder(codec.get(), &params, image.get()))
    return false;
  std::vector<uint8_t> bytes;
  MemoryStream sink;
  sink.buffer = &bytes;
  Stream stream(make_stream(sink, false));
  if (!stream)
    return false;
  if (!opj_start_compress(codec.get(), image.get(), stream.get()) || !opj_encode(codec.get(), stream.get()) ||
      !opj_end_compress(codec.get(), stream.get()))
    return false;
  stream.reset();
  progress.step(100, 100);
  return out.write(bytes.data(), bytes.size());
}

} // namespace bk3
