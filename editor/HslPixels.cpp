#include "HslPixels.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NUANZA_HAVE_AVX2_PATH 1
#endif

namespace hslpixels {

namespace {

void basesOfScalar(const BaseTables &tables, const uint8_t *pixels, Bgr *out, int count)
{
    for (int x = 0; x < count; ++x, pixels += 3)
        out[x] = baseOf(tables, pixels);
}

#ifdef NUANZA_HAVE_AVX2_PATH
// HSLToRGB's blend of a pure channel with mid grey: (c * sat + grey) / 255.
__attribute__((target("avx2"))) inline __m256i blend(__m256i c, __m256i sat, __m256i grey)
{
    const __m256i v = _mm256_add_epi32(_mm256_mullo_epi32(c, sat), grey);
    return _mm256_srli_epi32(_mm256_mullo_epi32(v, _mm256_set1_epi32(32897)), 23);
}

// baseOf for eight pixels in 32-bit lanes, step for step: q = floor(85 n / d) by
// a float division (85 n / d < 510, so the float quotient is off by far less than
// the 1/255 that separates it from the next integer, and exact on integers), the
// blend's division by 255 as (x * 32897) >> 23, exact for x <= 65025. Ties go
// through baseOf, which takes their hue from the float steps.
__attribute__((target("avx2"))) void basesOfAvx2(const BaseTables &t, const uint8_t *pixels, Bgr *out, int count)
{
    // Per 128-bit half: four pixels (12 bytes) to one channel in four 32-bit lanes.
    const __m256i pickB = _mm256_setr_epi8(0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1, //
                                           4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1, 13, -1, -1, -1);
    const __m256i one = _mm256_set1_epi32(1), byte = _mm256_set1_epi32(0xFF);
    // The lanes' blue, green and red back to 3-byte pixels, 12 bytes per half.
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, //
                                          0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const uint8_t *p = pixels + 3 * size_t(x);
        // Bytes 0..15 in the low half and 8..23 in the high one: pixels 4..7 start at 4.
        const __m256i bytes = _mm256_setr_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
                                                _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 8)));
        const __m256i b = _mm256_shuffle_epi8(bytes, pickB);
        const __m256i g = _mm256_shuffle_epi8(bytes, _mm256_add_epi8(pickB, one));
        const __m256i r = _mm256_shuffle_epi8(bytes, _mm256_add_epi8(pickB, _mm256_set1_epi32(0x02)));
        const __m256i max = _mm256_max_epi32(_mm256_max_epi32(r, g), b);
        const __m256i min = _mm256_min_epi32(_mm256_min_epi32(r, g), b);
        const __m256i d = _mm256_sub_epi32(max, min);
        const __m256i isRed = _mm256_cmpeq_epi32(r, max);
        const __m256i isGreen = _mm256_andnot_si256(isRed, _mm256_cmpeq_epi32(g, max));
        const __m256i d2 = _mm256_add_epi32(d, d), d4 = _mm256_add_epi32(d2, d2);
        const __m256i d6 = _mm256_add_epi32(d4, d2);
        const __m256i nRed = _mm256_add_epi32(_mm256_sub_epi32(g, b), _mm256_and_si256(_mm256_cmpgt_epi32(b, g), d6));
        const __m256i nGreen = _mm256_add_epi32(d2, _mm256_sub_epi32(b, r));
        const __m256i nBlue = _mm256_add_epi32(d4, _mm256_sub_epi32(r, g));
        const __m256i n = _mm256_blendv_epi8(_mm256_blendv_epi8(nBlue, nGreen, isGreen), nRed, isRed);
        const __m256i a = _mm256_mullo_epi32(n, _mm256_set1_epi32(85));
        // A grey has a = 0: divided by 1 instead of 0.
        const __m256 divisor = _mm256_cvtepi32_ps(_mm256_max_epi32(d, one));
        const __m256i q = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(a), divisor));
        const __m256i tie = _mm256_and_si256(_mm256_cmpeq_epi32(_mm256_and_si256(q, one), one),
                                             _mm256_cmpeq_epi32(a, _mm256_mullo_epi32(q, d)));
        const __m256i hue = _mm256_srli_epi32(_mm256_add_epi32(q, one), 1);
        const __m256i sat = _mm256_and_si256(
            _mm256_i32gather_epi32(reinterpret_cast<const int *>(&t.sat[0][0]),
                                   _mm256_add_epi32(_mm256_slli_epi32(max, 8), min), 1),
            byte);
        const __m256i pure = _mm256_i32gather_epi32(reinterpret_cast<const int *>(t.pureWords), hue, 4);
        const __m256i grey = _mm256_slli_epi32(_mm256_sub_epi32(byte, sat), 7);
        const __m256i ob = blend(_mm256_and_si256(pure, byte), sat, grey);
        const __m256i og = blend(_mm256_and_si256(_mm256_srli_epi32(pure, 8), byte), sat, grey);
        const __m256i orr = blend(_mm256_srli_epi32(pure, 16), sat, grey);
        const __m256i words = _mm256_or_si256(_mm256_or_si256(ob, _mm256_slli_epi32(og, 8)), _mm256_slli_epi32(orr, 16));
        const __m256i packed = _mm256_shuffle_epi8(words, pack);
        alignas(32) uint8_t lanes[32];
        _mm256_store_si256(reinterpret_cast<__m256i *>(lanes), packed);
        std::memcpy(out + x, lanes, 12);
        std::memcpy(out + x + 4, lanes + 16, 12);
        if (int ties = _mm256_movemask_ps(_mm256_castsi256_ps(tie)))
            for (int i = 0; ties != 0; ++i, ties >>= 1)
                if (ties & 1)
                    out[x + i] = baseOf(t, p + 3 * i);
    }
    basesOfScalar(t, pixels + 3 * size_t(x), out + x, count - x);
}
#endif

} // namespace

void basesOf(const BaseTables &tables, const uint8_t *pixels, Bgr *out, int count)
{
#ifdef NUANZA_HAVE_AVX2_PATH
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        basesOfAvx2(tables, pixels, out, count);
        return;
    }
#endif
    basesOfScalar(tables, pixels, out, count);
}

} // namespace hslpixels
