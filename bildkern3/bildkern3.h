/* bildkern3: the imaging library of Nuanza.
 *
 * Creates, reads, writes, halftones and releases pictures held as Windows
 * device-independent bitmaps (a bitmap-info header with colour table and a block
 * of bottom-up pixel rows, each padded to a multiple of 4 bytes).
 *
 * The picture record `dib` is a binary interface: its fields, their order and
 * sizes are fixed. Pointers and memory handles are pointer-sized; on a 32-bit
 * target the record is exactly 1084 bytes. A `dib` argument passes the whole
 * record by value; an entry that yields a picture writes it into a record the
 * caller supplies.
 *
 * Memory blocks come from malloc/calloc; a handle is the block's address.
 */
#ifndef BILDKERN3_H
#define BILDKERN3_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  ifdef BILDKERN3_BUILD
#    define BK3_API __declspec(dllexport)
#  else
#    define BK3_API __declspec(dllimport)
#  endif
#else
#  define BK3_API __attribute__((visibility("default")))
#endif

/* The Windows bitmap-info header, 40 bytes, followed in memory by the colour table. */
typedef struct BITMAPINFOHEADER {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight; /* positive: rows stored bottom-up */
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
} BITMAPINFOHEADER;

/* One colour-table entry of a bitmap-info block. */
typedef struct RGBQUAD {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved;
} RGBQUAD;

typedef struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1]; /* as many entries as the picture has colours */
} BITMAPINFO;

/* One entry of a logical palette. */
typedef struct PALETTEENTRY {
  uint8_t peRed;
  uint8_t peGreen;
  uint8_t peBlue;
  uint8_t peFlags;
} PALETTEENTRY;

/* A Windows logical palette with room for 256 entries: exactly 1028 bytes. After a
 * failed OpenDib the 1024 bytes of the entries hold a UTF-16, NUL-terminated error text. */
typedef struct LPAL {
  uint16_t ver;
  uint16_t num;
  PALETTEENTRY rgb0[256];
} LPAL;

typedef struct dib {
  BITMAPINFO *pmi;   /* header + colour table; null when there is no picture */
  uintptr_t poih;    /* block of the pixel rows (may equal pmih); 0 when none */
  uintptr_t pmih;    /* block of the bitmap-info; 0 when none */
  uint8_t *poi;      /* first byte of the pixel rows; null: no usable picture */
  int32_t bytew;     /* bytes per row, a multiple of 4 */
  uint8_t ispal;     /* 1 when `pal` holds the picture's palette */
  LPAL pal;
  uint32_t NOTUSEDINFIXEDMEMlp;
  int32_t zoom, scx, scy, mx1, my1, mx2, my2;
} dib;

/* Where progress reports go: the library calls send(target, 1024, percent, 0). */
typedef struct bk3_sink {
  void *target;
  void (*send)(void *target, uint32_t msg, uintptr_t wParam, intptr_t lParam);
} bk3_sink;

#define BK3_WM_USER 1024u

/* The layout is a binary interface: every consumer checks it at compile time. With
 * P = sizeof(void *) the fields lie at the offsets below; with P = 4 the record is
 * 1084 bytes. */
#ifdef __cplusplus
#  define BK3_LAYOUT_CHECK(cond, what) static_assert(cond, what)
#else
#  define BK3_LAYOUT_CHECK(cond, what) _Static_assert(cond, what)
#endif
#define BK3_P sizeof(void *)
BK3_LAYOUT_CHECK(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER must be 40 bytes");
BK3_LAYOUT_CHECK(sizeof(RGBQUAD) == 4 && sizeof(PALETTEENTRY) == 4, "colour entries are 4 bytes");
BK3_LAYOUT_CHECK(sizeof(LPAL) == 1028, "LPAL must be 1028 bytes");
BK3_LAYOUT_CHECK(offsetof(dib, pmi) == 0, "dib.pmi");
BK3_LAYOUT_CHECK(offsetof(dib, poih) == BK3_P, "dib.poih");
BK3_LAYOUT_CHECK(offsetof(dib, pmih) == 2 * BK3_P, "dib.pmih");
BK3_LAYOUT_CHECK(offsetof(dib, poi) == 3 * BK3_P, "dib.poi");
BK3_LAYOUT_CHECK(offsetof(dib, bytew) == 4 * BK3_P, "dib.bytew");
BK3_LAYOUT_CHECK(offsetof(dib, ispal) == 4 * BK3_P + 4, "dib.ispal");
BK3_LAYOUT_CHECK(offsetof(dib, pal) == 4 * BK3_P + 6, "dib.pal");
BK3_LAYOUT_CHECK(offsetof(dib, NOTUSEDINFIXEDMEMlp) == 4 * BK3_P + 1036, "dib.NOTUSEDINFIXEDMEMlp");
BK3_LAYOUT_CHECK(offsetof(dib, zoom) == 4 * BK3_P + 1040, "dib.zoom");
BK3_LAYOUT_CHECK(offsetof(dib, scx) == 4 * BK3_P + 1044, "dib.scx");
BK3_LAYOUT_CHECK(offsetof(dib, scy) == 4 * BK3_P + 1048, "dib.scy");
BK3_LAYOUT_CHECK(offsetof(dib, mx1) == 4 * BK3_P + 1052, "dib.mx1");
BK3_LAYOUT_CHECK(offsetof(dib, my1) == 4 * BK3_P + 1056, "dib.my1");
BK3_LAYOUT_CHECK(offsetof(dib, mx2) == 4 * BK3_P + 1060, "dib.mx2");
BK3_LAYOUT_CHECK(offsetof(dib, my2) == 4 * BK3_P + 1064, "dib.my2");
BK3_LAYOUT_CHECK(sizeof(dib) == (4 * BK3_P + 1068 + BK3_P - 1) / BK3_P * BK3_P, "dib size");
BK3_LAYOUT_CHECK(BK3_P != 4 || sizeof(dib) == 1084, "dib is 1084 bytes on 32-bit targets");
#undef BK3_P
#undef BK3_LAYOUT_CHECK

/* Pictures larger than these are refused (sizes are checked before any allocation). */
#define BK3_MAX_SIDE 65535
#define BK3_MAX_PIXELS (1u << 28)

/* Format codes of SaveDib. */
enum {
  BK3_FORMAT_BMP = 3,
  BK3_FORMAT_GIF = 5,
  BK3_FORMAT_IFF = 6,
  BK3_FORMAT_JPEG = 7,
  BK3_FORMAT_PCX = 10,
  BK3_FORMAT_TGA = 12,
  BK3_FORMAT_TIFF = 13,
  BK3_FORMAT_JP2 = 14,
  BK3_FORMAT_PNG = 15
};

/* A new picture: pixel block all zero; bits 1, 4, 8 or 24. Palette pictures get a
 * table of 2^bits entries (biClrUsed says so), the first `ncolours` (0..256) copied
 * from `colours`, the rest zero, and the same colours in `pal` (ispal = 1).
 * On failure result->poi is null and result->poih is 0. */
BK3_API void newdib(dib *result, int32_t width, int32_t height, int32_t bits,
                    const BITMAPINFO *colours, int32_t ncolours);

/* Releases the picture's memory blocks (once, also when rows and header share a block). */
BK3_API void deldib(dib d);

/* Reads a picture at its own bit depth when that is 1, 4, 8 or 24 bits, other depths
 * (2, 16, 32) as 24 bits; the format is recognised by the file's content. `reserved`
 * is 0; `wnd` may be null. On failure result->poi is null and result->pal's entries
 * hold the reason (German, UTF-16, NUL-terminated). */
BK3_API void OpenDib(dib *result, const char *filename, int32_t reserved, bk3_sink *wnd);

/* Writes the picture in the format of `format`. The file is written beside the target
 * and renamed over it only when complete; an existing target keeps its permissions.
 * Returns 1 when the file was written, else 0 (also for codes without a writer, and
 * for a target the user may not write to, which stays as it is). After a failure
 * errno holds the system's reason (a full disk, a missing right, ...), or 0 when the
 * picture or the code was refused without one. */
BK3_API int32_t SaveDib(dib d, const char *filename, int32_t format, bk3_sink *wnd);

/* Pixel (x, y), counted from the top-left. Palette pictures: the entry index; 24 bits:
 * red + 256 * green + 65536 * blue. Outside the picture: 0 and no change. */
BK3_API uint32_t getpixel(dib d, int32_t x, int32_t y);
BK3_API void setpixel(dib d, int32_t x, int32_t y, uint32_t value);

/* A new 8-bit picture of at most 256 colours, ordered-dithered from a 24-bit one,
 * at the same size or scaled (nearest neighbour) to width x height. */
BK3_API void DIBHalftoneDIB(dib *result, dib d);
BK3_API void DIBHalftoneDIBXY(dib *result, dib d, int32_t width, int32_t height);

/* Filter texts for file dialogs: "description|mask|description|mask...", static. */
BK3_API const char *GetDIBOpenFilter(void);
BK3_API const char *GetDIBSaveFilter(void);

#ifdef __cplusplus
}
#endif

#endif /* BILDKERN3_H */
