// The picture formats: each family is sniff (is this my file?), load and save, one
// file per family; this table dispatches by content and, for the save codes, by code.
#pragma once

#include "dibcore.h"
#include "fileio.h"
#include "progress.h"

#include <cstddef>
#include <cstdint>

namespace bk3 {

using SniffFn = bool (*)(const uint8_t *data, size_t size);
// Decodes a whole file held in memory into a cleared `result` (at the picture's own
// depth where that is 1, 4, 8 or 24 bits, else 24 bits). On failure it may leave the
// picture it made with make_dib behind, for load_cleanly to release; anything else
// it allocated it releases itself.
using LoadFn = Error (*)(const uint8_t *data, size_t size, dib *result, Progress &progress);
// Encodes a picture the writers take, of the shape writable_shape found for it; false
// when the picture cannot be written in this format or the writer failed.
using SaveFn = bool (*)(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);

// Judges a file from its first bytes and its size, before the rest is read: a
// reason when its bytes cannot hold what the header declares, else null (also
// when the head is too short to tell).
using HeadFn = Error (*)(const uint8_t *head, size_t size, uint64_t file_size);

struct Codec {
  const char *name;
  const char *extensions; // lower case, each between ';', e.g. ";bmp;dib;rle;"
  int save_code;          // the SaveDib format code
  SniffFn sniff;
  LoadFn load;
  SaveFn save;
  bool by_extension;      // the content has no reliable signature: the extension decides
  HeadFn check_head;      // null when the header alone tells nothing of the size
};

// Runs `load` on a cleared record; when it fails, what it made is released, so
// `result` holds no picture. Every load goes through here: the codecs leave the
// clean-up to it.
Error load_cleanly(LoadFn load, const uint8_t *data, size_t size, dib *result, Progress &progress);

// Reads a picture from a file's bytes: the codec is found by content; when no
// content matches, a family without a reliable signature is chosen by the
// extension of `filename` (which may be null).
Error decode(const uint8_t *data, size_t size, const char *filename, dib *result, Progress &progress);

// The head check of the codec decode would choose for a file starting with `head`:
// unknown_format when none would, the codec's own reason, or null.
Error check_head(const uint8_t *head, size_t size, uint64_t file_size, const char *filename);

// The codec that writes the format `code`, or null when none does.
const Codec *codec_for_save(int code);

// Runs `save` on a picture that writable_shape accepts, with the shape it found;
// false, without calling `save`, for any other picture.
bool save_checked(SaveFn save, const dib &picture, Writer &out, Progress &progress);

// The BMP family (BMP, DIB, RLE; Windows and OS/2 headers).
bool bmp_sniff(const uint8_t *data, size_t size);
Error bmp_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
Error bmp_check_head(const uint8_t *head, size_t size, uint64_t file_size);
bool bmp_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);

// GIF through giflib: the first frame at 8 bits; 24-bit pictures are quantised.
bool gif_sniff(const uint8_t *data, size_t size);
Error gif_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
bool gif_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);

// JPEG through TurboJPEG: grey at 8 bits, colour and CMYK at 24 bits.
bool jpeg_sniff(const uint8_t *data, size_t size);
Error jpeg_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
bool jpeg_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);

// TIFF through libtiff: the first page; written with Deflate.
bool tiff_sniff(const uint8_t *data, size_t size);
Error tiff_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
bool tiff_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);
// How tiff_save compresses: its defaults are the choice measured by bench_codecs
// (BM_TiffDeflate) on a 6000 x 4000 photograph, against libtiff's own writer. Level 1
// is the fastest and its files are no larger than those libtiff wrote for us at its
// default level in 64 KiB strips; level 2 saves 6 % of the size for half again the
// time. Strips of 256 KiB compress better than 64 KiB and as well as 1 MiB.
struct TiffDeflate {
  int level = 1;                   // libdeflate's level, 1 (fastest) to 12
  int64_t strip_bytes = 256 << 10; // uncompressed bytes per strip, at least one row
  int threads = 2;                 // the calling thread and one helper
};
bool tiff_save_with(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress,
                    const TiffDeflate &how);

// JPEG 2000 through OpenJPEG: JP2 files and raw codestreams; written losslessly as JP2.
bool jp2_sniff(const uint8_t *data, size_t size);
Error jp2_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
bool jp2_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);

// IFF pictures (FORM ILBM and FORM PBM); written as ILBM with ByteRun1.
bool iff_sniff(const uint8_t *data, size_t size);
Error iff_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
Error iff_check_head(const uint8_t *head, size_t size, uint64_t file_size);
bool iff_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);

// PCX pictures; written run-length coded, version 5.
bool pcx_sniff(const uint8_t *data, size_t size);
Error pcx_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
Error pcx_check_head(const uint8_t *head, size_t size, uint64_t file_size);
bool pcx_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);

// Targa pictures; written run-length coded with the bottom-left origin.
bool tga_sniff(const uint8_t *data, size_t size);
Error tga_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
Error tga_check_head(const uint8_t *head, size_t size, uint64_t file_size);
bool tga_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);

// PNG through libspng: every colour type and depth; written with Deflate.
bool png_sniff(const uint8_t *data, size_t size);
Error png_load(const uint8_t *data, size_t size, dib *result, Progress &progress);
Error png_check_head(const uint8_t *head, size_t size, uint64_t file_size);
bool png_save(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress);
// How png_save compresses; its defaults are the choice measured by bench_codecs
// (BM_PngDeflate) on a 6000 x 4000 photograph. The up filter alone takes about a
// third less time than libspng's choice among all five and gives a slightly smaller
// file; levels 1 and 2 are faster still but give files 13-16 % larger.
struct PngDeflate {
  int level = 3;      // zlib's level
  int filters = 32;   // the row filters libspng may choose from (SPNG_FILTER_CHOICE_*: 32 up), 24-bit pictures only
};
bool png_save_with(const dib &picture, const PictureShape &shape, Writer &out, Progress &progress,
                   const PngDeflate &how);

} // namespace bk3
