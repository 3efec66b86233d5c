// Pictures in memory and failure reasons, shared by the codecs and the exported entries.
#pragma once

#include "bildkern3.h"

#include <cstddef>
#include <cstdint>

namespace bk3 {

// A failure reason: a short German sentence in UTF-8, or null for success. Every
// reason is a string literal, so it can be passed around without ownership.
using Error = const char *;

namespace msg {
inline constexpr Error incomplete = "Die Datei ist unvollständig.";
inline constexpr Error bad_size = "Die Bildgröße ist ungültig.";
inline constexpr Error over_limit =
    "Das Bild ist zu groß (höchstens 65535 Pixel je Seite und 268 Millionen Pixel).";
inline constexpr Error cannot_open = "Die Datei konnte nicht geöffnet werden.";
inline constexpr Error cannot_read = "Die Datei konnte nicht gelesen werden.";
inline constexpr Error empty_file = "Die Datei ist leer.";
inline constexpr Error file_too_large = "Die Datei ist zu groß.";
inline constexpr Error unknown_format = "Unbekanntes Dateiformat.";
inline constexpr Error no_memory = "Nicht genug Speicher für das Bild.";
inline constexpr Error bad_header = "Der Bildkopf ist ungültig.";
inline constexpr Error bad_depth = "Diese Farbtiefe wird nicht unterstützt.";
inline constexpr Error bad_compression = "Diese Komprimierungsart wird nicht unterstützt.";
inline constexpr Error bad_colour_count = "Die Anzahl der Farben ist ungültig.";
inline constexpr Error damaged = "Die Datei ist beschädigt oder unvollständig.";
inline constexpr Error unsupported = "Dieses Bildformat wird nicht unterstützt.";
inline constexpr Error cannot_write = "Das Bild konnte nicht geschrieben werden.";
inline constexpr Error too_large = "Das Bild ist zu groß.";
} // namespace msg

// Clears the record to "no picture" and writes the reason into pal's entries as
// UTF-16, NUL-terminated (at most 511 characters are kept).
void set_failure(dib *result, Error reason);

// Bytes of one pixel row at `bits` per pixel, padded to a multiple of 4.
inline int64_t row_bytes(int64_t width, int bits) { return (width * bits + 31) / 32 * 4; }

// A 24-bit row as the library keeps it (blue, green, red) in the red-first order
// of the formats that write it so.
inline void bgr_to_rgb_row(const uint8_t *bgr, uint8_t *rgb, int64_t width)
{
  for (int64_t x = 0; x < width; ++x) {
    rgb[3 * x] = bgr[3 * x + 2];
    rgb[3 * x + 1] = bgr[3 * x + 1];
    rgb[3 * x + 2] = bgr[3 * x];
  }
}

// What a writer needs to know of a picture handed to it: its depth and size
// (height positive also for top-down rows).
struct PictureShape {
  int bits = 0;
  int64_t width = 0;
  int64_t height = 0;
};

// False when the picture is not one the writers take: a depth other than 1, 4, 8
// or 24, a size outside the limits, or rows shorter than the depth needs.
bool writable_shape(const dib &picture, PictureShape &shape);

// Checks width and height against the library's limits: bad_size for a side below 1,
// over_limit (naming the limits) beyond them.
Error check_size(int64_t width, int64_t height);

// Creates a picture (bits 1, 4, 8 or 24) with zeroed pixels and a colour table of
// 2^bits entries (palette pictures) whose first `ncolours` come from `colours`, the
// rest zero; fills `pal` for palette pictures. On failure `result` holds no picture
// and the reason is returned (not yet written into the record).
Error make_dib(dib *result, int32_t width, int32_t height, int bits,
               const RGBQUAD *colours, int ncolours);

// A hint for a new picture's block that a decoder fills once from start to end: with
// 4 KB pages a 6000 x 4000 picture takes 18,000 page faults, which on virtual
// machines cost more than the decoding itself; huge pages, where the system offers
// them, save nearly all.
void prefer_huge_pages(uint8_t *block, size_t bytes);

// Releases the memory blocks of a record made by make_dib and clears its handles.
void free_dib(dib *d);

// The colour-table entries of a picture's bitmap-info block.
inline RGBQUAD *colour_table(const dib &d)
{
  return reinterpret_cast<RGBQUAD *>(reinterpret_cast<uint8_t *>(d.pmi) + d.pmi->bmiHeader.biSize);
}

// Copies the colour table of a palette picture into `pal` and sets `ispal`.
void sync_palette(dib *d);

// Pixel (x, y) from the top-left; 0 / no change outside the picture.
uint32_t get_pixel(const dib &d, int32_t x, int32_t y);
void set_pixel(const dib &d, int32_t x, int32_t y, uint32_t value);

} // namespace bk3
