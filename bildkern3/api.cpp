// The exported entry points: thin wrappers that check their arguments and hand the
// work to the core, the halftoner and the codecs.
#include "bildkern3.h"

#include "codecs/formats.h"
#include "dibcore.h"
#include "fileio.h"
#include "filters.h"
#include "halftone.h"
#include "progress.h"

#include <cerrno>
#include <cstring>

extern "C" {

void newdib(dib *result, int32_t width, int32_t height, int32_t bits, const BITMAPINFO *colours,
            int32_t ncolours)
{
  if (!result)
    return;
  if (ncolours < 0 || ncolours > 256) {
    bk3::set_failure(result, bk3::msg::bad_colour_count);
    return;
  }
  const RGBQUAD *table = colours ? colours->bmiColors : nullptr;
  if (bk3::Error e = bk3::make_dib(result, width, height, bits, table, table ? ncolours : 0))
    bk3::set_failure(result, e);
}

void deldib(dib d) { bk3::free_dib(&d); }

void OpenDib(dib *result, const char *filename, int32_t /*reserved*/, bk3_sink *wnd)
{
  if (!result)
    return;
  bk3::FileData file;
  const auto check = [filename](const uint8_t *head, size_t size, uint64_t file_size) {
    return bk3::check_head(head, size, file_size, filename);
  };
  bk3::Progress progress(wnd);
  if (bk3::Error e = bk3::read_file(filename, file, check, &progress)) {
    bk3::set_failure(result, e);
    return;
  }
  if (bk3::Error e = bk3::decode(file.bytes.get(), file.size, filename, result, progress))
    bk3::set_failure(result, e);
}

int32_t SaveDib(dib d, const char *filename, int32_t format, bk3_sink *wnd)
{
  errno = 0;
  if (!d.pmi || !d.poi || !filename || !*filename)
    return 0;
  const bk3::Codec *codec = bk3::codec_for_save(format);
  if (!codec)
    return 0;
  bk3::Progress progress(wnd);
  const bool ok = bk3::write_file_atomically(
      filename, [&](bk3::Writer &out) { return bk3::save_checked(codec->save, d, out, progress); });
  return ok ? 1 : 0;
}

uint32_t getpixel(dib d, int32_t x, int32_t y) { return bk3::get_pixel(d, x, y); }

void setpixel(dib d, int32_t x, int32_t y, uint32_t value) { bk3::set_pixel(d, x, y, value); }

void DIBHalftoneDIB(dib *result, dib d)
{
  if (!result)
    return;
  const int32_t width = d.pmi ? d.pmi->bmiHeader.biWidth : 0;
  const int32_t height = d.pmi ? d.pmi->bmiHeader.biHeight : 0;
  if (bk3::Error e = bk3::halftone(result, d, width, height))
    bk3::set_failure(result, e);
}

void DIBHalftoneDIBXY(dib *result, dib d, int32_t width, int32_t height)
{
  if (!result)
    return;
  if (bk3::Error e = bk3::halftone(result, d, width, height))
    bk3::set_failure(result, e);
}

const char *GetDIBOpenFilter(void) { return bk3::open_filter; }

const char *GetDIBSaveFilter(void) { return bk3::save_filter; }

} // extern "C"
