// Format dispatch: which codec reads a file, which one writes a format code.
#include "codecs/formats.h"

#include <cctype>
#include <cstring>
#include <string>

namespace bk3 {

namespace {

// Every family the library reads, tried in this order by content.
const Codec codecs[] = {
    {"BMP", ";bmp;dib;rle;", BK3_FORMAT_BMP, bmp_sniff, bmp_load, bmp_save, false, bmp_check_head},
    {"GIF", ";gif;", BK3_FORMAT_GIF, gif_sniff, gif_load, gif_save, false, nullptr},
    {"IFF", ";iff;lbm;", BK3_FORMAT_IFF, iff_sniff, iff_load, iff_save, false, iff_check_head},
    {"JPEG", ";jpg;jpeg;jpe;jif;", BK3_FORMAT_JPEG, jpeg_sniff, jpeg_load, jpeg_save, false, nullptr},
    {"PCX", ";pcx;", BK3_FORMAT_PCX, pcx_sniff, pcx_load, pcx_save, false, pcx_check_head},
    {"TGA", ";tga;", BK3_FORMAT_TGA, tga_sniff, tga_load, tga_save, true, tga_check_head},
    {"TIFF", ";tif;tiff;", BK3_FORMAT_TIFF, tiff_sniff, tiff_load, tiff_save, false, nullptr},
    {"JPEG 2000", ";jp2;j2k;", BK3_FORMAT_JP2, jp2_sniff, jp2_load, jp2_save, false, nullptr},
    {"PNG", ";png;", BK3_FORMAT_PNG, png_sniff, png_load, png_save, false, png_check_head},
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

} // namespace

Error load_cleanly(LoadFn load, const uint8_t *data, size_t size, dib *result, Progress &progress)
{
  std::memset(result, 0, sizeof *result);
  const Error e = load(data, size, result, progress);
  if (e)
    free_dib(result);
  return e;
}

Error decode(const uint8_t *data, size_t size, const char *filename, dib *result, Progress &progress)
{
  std::memset(result, 0, sizeof *result);
  if (!data || size == 0)
    return msg::empty_file;
  for (const Codec &c : codecs)
    if (c.sniff(data, size))
      return load_cleanly(c.load, data, size, result, progress);
  const std::string key = extension_key(filename);
  if (!key.empty())
    for (const Codec &c : codecs)
      if (c.by_extension && std::strstr(c.extensions, key.c_str()))
        return load_cleanly(c.load, data, size, result, progress);
  return msg::unknown_format;
}

Error check_head(const uint8_t *head, size_t size, uint64_t file_size, const char *filename)
{
  for (const Codec &c : codecs)
    if (c.sniff(head, size))
      return c.check_head ? c.check_head(head, size, file_size) : nullptr;
  const std::string key = extension_key(filename);
  if (!key.empty())
    for (const Codec &c : codecs)
      if (c.by_extension && std::strstr(c.extensions, key.c_str()))
        return c.check_head ? c.check_head(head, size, file_size) : nullptr;
  return msg::unknown_format;
}

const Codec *codec_for_save(int code)
{
  for (const Codec &c : codecs)
    if (c.save_code == code)
      return &c;
  return nullptr;
}

bool save_checked(SaveFn save, const dib &picture, Writer &out, Progress &progress)
{
  PictureShape shape;
  return writable_shape(picture, shape) && save(picture, shape, out, progress);
}

} // namespace bk3
