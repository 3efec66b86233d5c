// JPEG through the TurboJPEG API of libjpeg-turbo. Colour files are decoded straight
// into the bottom-up BGR rows of the picture, grey files into an 8-bit picture with a
// grey table; CMYK files, which TurboJPEG cannot turn into RGB, through a CMYK buffer.
// TurboJPEG catches libjpeg's longjmp inside its own frames, so nothing of ours is
// skipped when a file is damaged.
#include "codecs/formats.h"

#include <turbojpeg.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace bk3 {

namespace {

struct Destroy {
  void operator()(void *h) const { tjDestroy(h); }
};
using Handle = std::unique_ptr<void, Destroy>;

struct TjFree {
  void operator()(unsigned char *p) const { tjFree(p); }
};

RGBQUAD grey_table[256];

const RGBQUAD *grey_ramp()
{
  static const bool filled = [] {
    for (int i = 0; i < 256; ++i)
      grey_table[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    return true;
  }();
  (void)filled;
  return grey_table;
}

// TurboJPEG reports libjpeg's warnings as failures too. A warning leaves a usable
// picture (extraneous bytes, a bad restart marker) unless the data ran out before the
// picture did: libjpeg's "Premature end of JPEG file" and "premature end of data
// segment", where it would fill the rest with grey.
bool acceptable(tjhandle h)
{
  if (tjGetErrorCode(h) != TJERR_WARNING)
    return false;
  return strcasestr(tjGetErrorStr2(h), "premature end") == nullptr;
}

// Adobe's CMYK JPEGs store the inks inverted, so 255 means no ink.
void cmyk_to_bgr(const uint8_t *cmyk, uint8_t *bgr, int64_t width)
{
  for (int64_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = cmyk[3];
    bgr[0] = uint8_t((cmyk[2] * k + 127) / 255);
    bgr[1] = uint8_t((cmyk[1] * k + 127) / 255);
    bgr[2] = uint8_t((cmyk[0] * k + 127) / 255);
  }
}

// The marker of the frame header (SOF0 to SOF15), or 0 when none comes before the
// first scan.
int frame_marker(const uint8_t *d, size_t n)
{
  size_t p = 2;
  while (p + 4 <= n && d[p] == 0xFF) {
    const uint8_t m = d[p + 1];
    if (m == 0xFF) { // fill byte
      ++p;
      continue;
    }
    if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC)
      return m;
    if (m == 0xDA || m == 0xD9)
      return 0;
    p += 2 + (size_t(d[p + 2]) << 8 | d[p + 3]);
  }
  return 0;
}

// Huffman coding (baseline, extended, progressive) spends at least one bit on
// every 8 x 8 block of a component in its first scan, and a component's block
// covers at most 32 x 32 pixels (sampling factors go up to 4): a file with fewer
// bits cannot hold the frame it declares. Arithmetic coding has no such floor.
Error check_room(int marker, int64_t width, int64_t height, uint64_t file_size)
{
  if (marker != 0xC0 && marker != 0xC1 && marker != 0xC2)
    return nullptr;
  const uint64_t blocks = uint64_t((width + 31) / 32) * uint64_t((height + 31) / 32);
  return blocks > file_size * 8 ? msg::damaged : nullptr;
}

} // namespace

bool jpeg_sniff(const uint8_t *d, size_t n) { return n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF; }

Error jpeg_load(const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  if (size > 0xFFFFFFFFu)
    return msg::file_too_large;
  Handle h(tjInitDecompress());
  if (!h)
    return msg::no_memory;
  int width = 0, height = 0, subsamp = 0, colourspace = 0;
  if (tjDecompressHeader3(h.get(), data, static_cast<unsigned long>(size), &width, &height, &subsamp, &colourspace) != 0)
    return jpeg_sniff(data, size) ? msg::damaged : msg::unknown_format;
  // A stream of tables alone (or one cut before its frame) reads as a 0 x 0 picture.
  if (width <= 0 || height <= 0)
    return msg::damaged;
  if (Error e = check_size(width, height))
    return e;
  // Before the picture is allocated: a few bytes may declare a gigabyte.
  if (Error e = check_room(frame_marker(data, size), width, height, size))
    return e;

  const bool grey = colourspace == TJCS_GRAY;
  const bool cmyk = colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
  if (Error e = make_dib(result, width, height, grey ? 8 : 24, grey ? grey_ramp() : nullptr, grey ? 256 : 0))
    return e;
  prefer_huge_pages(result->poi, size_t(result->bytew) * size_t(height));
  progress.step(0, 100);

  // A scan limit keeps hostile progressive files from spinning for minutes.
  const int flags = TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS;
  int rc = 0;
  if (cmyk) {
    const int64_t row = int64_t(width) * 4;
    unsigned char *buffer = static_cast<unsigned char *>(std::malloc(size_t(row * height)));
    if (!buffer)
      return msg::no_memory;
    rc = tjDecompress2(h.get(), data, static_cast<unsigned long>(size), buffer, width, int(row), height,
                       TJPF_CMYK, flags);
    if (rc == 0 || acceptable(h.get()))
      for (int64_t y = 0; y < height; ++y)
        cmyk_to_bgr(buffer + y * row, result->poi + y * int64_t(result->bytew), width);
    std::free(buffer);
  } else {
    rc = tjDecompress2(h.get(), data, static_cast<unsigned long>(size), result->poi, width, result->bytew,
                       height, grey ? TJPF_GRAY : TJPF_BGR, flags);
  }
  if (rc != 0 && !acceptable(h.get()))
    return msg::damaged;
  progress.step(100, 100);
  return nullptr;
}

// Quality 92 without chroma subsampling: hand-coloured edges must not bleed. Pictures
// whose table is the grey ramp are written as grey JPEGs.
bool jpeg_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress)
{
  const BITMAPINFOHEADER &h = picture.pmi->bmiHeader;
  const int bits = shape.bits;
  const int64_t width = shape.width;
  const int64_t height = shape.height;
  const int flags = h.biHeight > 0 ? TJFLAG_BOTTOMUP : 0;

  const RGBQUAD *table = bits <= 8 ? colour_table(picture) : nullptr;
  const bool grey = bits == 8 && std::memcmp(table, grey_ramp(), 256 * sizeof(RGBQUAD)) == 0;

  const uint8_t *pixels = picture.poi;
  int pitch = picture.bytew;
  std::unique_ptr<uint8_t[]> expanded;
  if (bits <= 8 && !grey) {
    // Colour-table pictures become BGR rows first: JPEG has no palettes.
    const size_t stride = size_t(width) * 3;
    expanded.reset(new (std::nothrow) uint8_t[stride * size_t(height)]);
    if (!expanded)
      return false;
    for (int64_t r = 0; r < height; ++r) {
      const uint8_t *src = picture.poi + r * int64_t(picture.bytew);
      uint8_t *dst = expanded.get() + size_t(r) * stride;
      for (int64_t x = 0; x < width; ++x) {
        const unsigned i = bits == 8 ? src[x] : bits == 4 ? (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u
                                                          : (src[x >> 3] >> (7 - (x & 7))) & 1u;
        dst[3 * x] = table[i].rgbBlue, dst[3 * x + 1] = table[i].rgbGreen, dst[3 * x + 2] = table[i].rgbRed;
      }
    }
    pixels = expanded.get();
    pitch = int(stride);
  }
  progress.step(0, 100);

  Handle tj(tjInitCompress());
  if (!tj)
    return false;
  unsigned char *jpeg = nullptr;
  unsigned long jpeg_size = 0;
  const int rc = tjCompress2(tj.get(), pixels, int(width), pitch, int(height), grey ? TJPF_GRAY : TJPF_BGR,
                             &jpeg, &jpeg_size, grey ? TJSAMP_GRAY : TJSAMP_444, 92, flags);
  std::unique_ptr<unsigned char, TjFree> owned(jpeg);
  if (rc != 0)
    return false;
  out.write(jpeg, jpeg_size);
  progress.step(100, 100);
  return !out.failed();
}

} // namespace bk3
