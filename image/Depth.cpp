#include "Depth.h"

#include "Picture.h"
#include "PictureMemory.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NUANZA_X86 1
#endif

int32_t zweihoch(int32_t i)
{
    // Unsigned, so the wrap from 31 on is defined; 32 doublings already give 0.
    uint32_t result = 1;
    for (int32_t n = 0; n < i && n < 32; ++n)
        result *= 2;
    return int32_t(result);
}

namespace {

// Colour-table entries as the three pixel bytes blue, green, red and a spare
// fourth, so a pixel is one 4-byte store (the next pixel overwrites the spare).
struct Bgr4 {
    uint8_t bytes[4];
};

void paletteTable(const dib &picture, Bgr4 (&table)[256])
{
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY &entry = picture.pal.rgb0[i];
        table[i] = Bgr4{{entry.peBlue, entry.peGreen, entry.peRed, 0}};
    }
}

// Writes pixels 0..width-1 of a 24-bit row from their colour-table indices. The
// last pixel is stored with three bytes: a fourth could reach into the next row,
// which another thread may be writing, or past the pixel block.
template <class IndexOf>
void widenRow(uint8_t *dst, int32_t width, const Bgr4 (&table)[256], IndexOf indexOf)
{
    int32_t x = 0;
    for (; x + 1 < width; ++x)
        std::memcpy(dst + 3 * x, table[indexOf(x)].bytes, 4);
    std::memcpy(dst + 3 * x, table[indexOf(x)].bytes, 3);
}

void widenRow8(const uint8_t *src, uint8_t *dst, int32_t width, const Bgr4 (&table)[256])
{
    widenRow(dst, width, table, [src](int32_t x) { return src[x]; });
}

// The even pixel in the high four bits, the odd one in the low four.
void widenRow4(const uint8_t *src, uint8_t *dst, int32_t width, const Bgr4 (&table)[256])
{
    widenRow(dst, width, table, [src](int32_t x) {
        const uint8_t pair = src[x >> 1];
        return (x & 1) ? (pair & 0x0F) : (pair >> 4);
    });
}

// The leftmost pixel in the highest bit. Through the table like every other
// depth: in many bilevel files (min-is-white TIFF among them) 0 is white.
void widenRow1(const uint8_t *src, uint8_t *dst, int32_t width, const Bgr4 (&table)[256])
{
    widenRow(dst, width, table, [src](int32_t x) { return (src[x >> 3] >> (7 - (x & 7))) & 1; });
}

void greyRowPlain(uint8_t *p, int32_t from, int32_t width)
{
    for (int32_t x = from; x < width; ++x) {
        uint8_t *pixel = p + 3 * x;
        std::memset(pixel, greyLevel(pixel[0], pixel[1], pixel[2]), 3);
    }
}

#ifdef NUANZA_X86
// Sixteen pixels at a time: the 48 bytes are rearranged into blue-green pairs and
// red values, weighted with one multiply-add each, divided by 100 through a
// multiplication (x * 5243 >> 19 equals x div 100 for every sum up to 25500),
// and the grey bytes spread back over the three channels.
__attribute__((target("ssse3"))) void greyRowSsse3(uint8_t *p, int32_t width)
{
    const __m128i weightBG = _mm_set1_epi16(int16_t(11 | (59 << 8)));
    const __m128i weightR = _mm_set1_epi16(30);
    const __m128i by100 = _mm_set1_epi16(5243);
    // Pixels 0..7 lie in bytes 0..23 (v0 and the first half of v1), 8..15 in 24..47.
    const __m128i bgLo0 = _mm_setr_epi8(0, 1, 3, 4, 6, 7, 9, 10, 12, 13, 15, -1, -1, -1, -1, -1);
    const __m128i bgLo1 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 2, 3, 5, 6);
    const __m128i rLo0 = _mm_setr_epi8(2, -1, 5, -1, 8, -1, 11, -1, 14, -1, -1, -1, -1, -1, -1, -1);
    const __m128i rLo1 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 1, -1, 4, -1, 7, -1);
    const __m128i bgHi1 = _mm_setr_epi8(8, 9, 11, 12, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i bgHi2 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 1, 2, 4, 5, 7, 8, 10, 11, 13, 14);
    const __m128i rHi1 = _mm_setr_epi8(10, -1, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i rHi2 = _mm_setr_epi8(-1, -1, -1, -1, 0, -1, 3, -1, 6, -1, 9, -1, 12, -1, 15, -1);
    const __m128i spread0 = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i spread1 = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i spread2 = _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);

    int32_t x = 0;
    for (; x + 16 <= width; x += 16) {
        auto *q = reinterpret_cast<__m128i *>(p + 3 * x);
        const __m128i v0 = _mm_loadu_si128(q);
        const __m128i v1 = _mm_loadu_si128(q + 1);
        const __m128i v2 = _mm_loadu_si128(q + 2);
        const __m128i bgLo = _mm_or_si128(_mm_shuffle_epi8(v0, bgLo0), _mm_shuffle_epi8(v1, bgLo1));
        const __m128i rLo = _mm_or_si128(_mm_shuffle_epi8(v0, rLo0), _mm_shuffle_epi8(v1, rLo1));
        const __m128i bgHi = _mm_or_si128(_mm_shuffle_epi8(v1, bgHi1), _mm_shuffle_epi8(v2, bgHi2));
        const __m128i rHi = _mm_or_si128(_mm_shuffle_epi8(v1, rHi1), _mm_shuffle_epi8(v2, rHi2));
        // At most 11*255 + 59*255 + 30*255 = 25500: no 16-bit saturation.
        __m128i sumLo = _mm_add_epi16(_mm_maddubs_epi16(bgLo, weightBG), _mm_mullo_epi16(rLo, weightR));
        __m128i sumHi = _mm_add_epi16(_mm_maddubs_epi16(bgHi, weightBG), _mm_mullo_epi16(rHi, weightR));
        sumLo = _mm_srli_epi16(_mm_mulhi_epu16(sumLo, by100), 3);
        sumHi = _mm_srli_epi16(_mm_mulhi_epu16(sumHi, by100), 3);
        const __m128i grey = _mm_packus_epi16(sumLo, sumHi);
        _mm_storeu_si128(q, _mm_shuffle_epi8(grey, spread0));
        _mm_storeu_si128(q + 1, _mm_shuffle_epi8(grey, spread1));
        _mm_storeu_si128(q + 2, _mm_shuffle_epi8(grey, spread2));
    }
    greyRowPlain(p, x, width);
}

bool haveSsse3()
{
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}
#endif

bool haveFastGreyRow()
{
#ifdef NUANZA_X86
    return haveSsse3();
#else
    return false;
#endif
}

void greyRow(uint8_t *p, int32_t width)
{
#ifdef NUANZA_X86
    if (haveSsse3()) {
        greyRowSsse3(p, width);
        return;
    }
#endif
    greyRowPlain(p, 0, width);
}

} // namespace

bool DepthUpTo(dib &picture, int32_t nbpp, const Progress &progress, RowThreads threads)
{
    reportProgress(progress, 0);
    const int32_t width = dibwidth(picture);
    const int32_t height = dibheight(picture);
    const int32_t bits = dibbits(picture);
    // Only widening to 24 bits is asked for; other pairs leave the picture as it is.
    const bool convertible = nbpp == 24 && (bits == 1 || bits == 4 || bits == 8) &&
                             picture.poi != nullptr && width > 0 && height > 0;
    bool replaced = false;
    if (convertible) {
        dib wide = emptydib();
        newdib(&wide, width, height, 24, nullptr, 0);
        if (wide.poi != nullptr && wide.poih != 0) {
            preferLargePages(wide);
            Bgr4 table[256];
            paletteTable(picture, table);
            const uint8_t *src = picture.poi;
            uint8_t *dst = wide.poi;
            const ptrdiff_t srcStride = picture.bytew;
            const ptrdiff_t dstStride = wide.bytew;
            // Storage row y of the source becomes storage row y of the new picture.
            forRowsWithProgress(height, dstStride, progress, threads,
                                [&](int32_t first, int32_t end) {
                                    for (int32_t y = first; y < end; ++y) {
                                        const uint8_t *s = src + y * srcStride;
                                        uint8_t *d = dst + y * dstStride;
                                        if (bits == 8)
                                            widenRow8(s, d, width, table);
                                        else if (bits == 4)
                                            widenRow4(s, d, width, table);
                                        else
                                            widenRow1(s, d, width, table);
                                    }
                                });
            freedib(picture);
            picture = wide;
            replaced = true;
        }
    }
    reportProgress(progress, 0);
    return replaced;
}

void ConvertToGrey(dib &picture, const Progress &progress)
{
    reportProgress(progress, 0);
    const int32_t width = dibwidth(picture);
    const int32_t height = dibheight(picture);
    if (dibbits(picture) == 24 && picture.poi != nullptr && width > 0 && height > 0) {
        uint8_t *pixels = picture.poi;
        const ptrdiff_t stride = picture.bytew;
        // Rows are independent, so they are taken in storage order (bottom row
        // first), which the processor's prefetching follows: running down through
        // memory, as the top-first order would, takes more than twice as long.
        // The gauge counts rows and reads the same. The fast row path keeps up
        // with memory on one core; a second core only adds contention.
        const RowThreads threads = haveFastGreyRow() ? RowThreads::One : RowThreads::All;
        forRowsWithProgress(height, stride, progress, threads, [&](int32_t first, int32_t end) {
            for (int32_t row = first; row < end; ++row)
                greyRow(pixels + row * stride, width);
        });
    }
    reportProgress(progress, 0);
}
