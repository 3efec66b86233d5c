// Format dispatch: which codec reads a file, which one writes a format code.
#include "codecs/formats.h"

#include <cctype>
#include <cstring>
#include <string>

namespace bk3 {

namespace {

bool starts_with(const uint8_t *data, size_t size, const void *magic, size_t n)
{
  return size >= n && std::memcmp(data, magic, n) == 0;
}

// Recognisers of the families whose codecs are not in the library yet, so such a
// file is named for what it is rather than called unknown.
bool gif_sniff(const uint8_t *d, size_t n)
{
  return starts_with(d, n, "GIF87a", 6) || starts_with(d, n, "GIF89a", 6);
}

bool iff_sniff(const uint8_t *d, size_t n)
{
  return n >= 12 && std::memcmp(d, "FORM", 4) == 0 &&
         (std::memcmp(d + 8, "ILBM", 4) == 0 || std::memcmp(d + 8, "PBM ", 4) == 0);
}

bool jpeg_sniff(const uint8_t *d, size_t n) { return starts_with(d, n, "\xFF\xD8\xFF", 3); }

bool pcx_sniff(const uint8_t *d, size_t n)
{
  // No magic beyond the first byte, so the version, encoding and depth must fit too.
  return n >= 128 && d[0] == 0x0A && (d[1] <= 5 && d[1] != 1) && d[2] <= 1 &&
         (d[3] == 1 || d[3] == 2 || d[3] == 4 || d[3] == 8);
}

bool tga_sniff(const uint8_t *d, size_t n)
{
  // Only version 2 files carry a signature, in their footer; the rest go by extension.
  static const char footer[] = "TRUEVISION-XFILE.";
  return n >= 44 && std::memcmp(d + n - 18, footer, 18) == 0;
}

bool tiff_sniff(const uint8_t *d, size_t n)
{
  return starts_with(d, n, "II*\0", 4) || starts_with(d, n, "MM\0*", 4) ||
         starts_with(d, n, "II+\0", 4) || starts_with(d, n, "MM\0+", 4);
}

bool jp2_sniff(const uint8_t *d, size_t n)
{
  return starts_with(d, n, "\0\0\0\x0CjP  \r\n\x87\n", 12) || starts_with(d, n, "\xFF\x4F\xFF\x51", 4);
}

const Codec codecs[] = {
    {"BMP", ";bmp;dib;rle;", BK3_FORMAT_BMP, bmp_sniff, bmp_load, bmp_save, nullptr, false},
    {"GIF", ";gif;", BK3_FORMAT_GIF, gif_sniff, nullptr, nullptr,
     "GIF-Bilder können noch nicht gelesen werden.", false},
    {"IFF", ";iff;lbm;", BK3_FORMAT_IFF, iff_sniff, nullptr, nullptr,
     "IFF-Bilder können noch nicht gelesen werden.", false},
    {"JPEG", ";jpg;jpeg;jif;", BK3_FORMAT_JPEG, jpeg_sniff, nullptr, nullptr,
     "JPEG-Bilder können noch nicht gelesen werden.", false},
    {"PCX", ";pcx;", BK3_FORMAT_PCX, pcx_sniff, nullptr, nullptr,
     "PCX-Bilder können noch nicht gelesen werden.", false},
    {"TGA", ";tga;", BK3_FORMAT_TGA, tga_sniff, nullptr, nullptr,
     "Targa-Bilder können noch nicht gelesen werden.", true},
    {"TIFF", ";tif;tiff;", BK3_FORMAT_TIFF, tiff_sniff, nullptr, nullptr,
     "TIFF-Bilder können noch nicht gelesen werden.", false},
    {"JPEG 2000", ";jp2;j2k;", BK3_FORMAT_JP2, jp2_sniff, nullptr, nullptr,
     "JPEG-2000-Bilder können noch nicht gelesen werden.", false},
};

// ";ext;" of the file name in lower case, or empty when it has none.
std::string extension_key(const char *filename)
{
  if (!filename)
    return {};
  const char *slash = std::strrchr(filename, '/');
  const char *base = slash ? slash + 1 : filename;
  const char *dot = std::strrchr(base, '.');
  if (!dot || !dot[1])
    return {};
  std::string key = ";";
  for (const char *p = dot + 1; *p; ++p)
    key += char(std::tolower(static_cast<unsigned char>(*p)));
  return key + ";";
}

Error load_with(const Codec &c, const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  if (!c.load)
    return c.not_readable;
  return c.load(data, size, result, progress);
}

} // namespace

Error decode(const uint8_t *data, size_t size, const char *filename, dib *result, Progress &progress)
{
  std::memset(result, 0, sizeof *result);
  if (!data || size == 0)
    return msg::empty_file;
  for (const Codec &c : codecs)
    if (c.sniff(data, size))
      return load_with(c, data, size, result, progress);
  const std::string key = extension_key(filename);
  if (!key.empty())
    for (const Codec &c : codecs)
      if (c.by_extension && std::strstr(c.extensions, key.c_str()))
        return load_with(c, data, size, result, progress);
  return msg::unknown_format;
}

const Codec *codec_for_save(int code)
{
  for (const Codec &c : codecs)
    if (c.save_code == code && c.save)
      return &c;
  return nullptr;
}

} // namespace bk3
