#include "PixelOps.h"

#include "Picture.h"
#include "LuminanceTerms.h"
#include "ParallelRows.h"
#include "RGBHSL.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

bool PixelAddressable(const dib &di, const dib &outdi, const RowTable &rows, int x, int y)
{
    return !rows.empty() && x >= 0 && y >= 0 && x < dibwidth(di) && y < dibheight(di)
        && size_t(y) < rows.size() && di.poi != nullptr && outdi.poi != nullptr;
}

void DoPix(const dib &di, dib &outdi, const RowTable &rows, int x, int y, int hue, int sat,
           int bright)
{
    if (!PixelAddressable(di, outdi, rows, x, y))
        return;
    const size_t at = size_t(rows[size_t(y)]) + 3 * size_t(x);
    const uint8_t *source = di.poi + at;
    const int lum = AdjustBrightness(SourceLuminance(source[2], source[1], source[0]), bright);
    int red, green, blue;
    HSLToRGB(hue, sat, lum, red, green, blue);
    uint8_t *target = outdi.poi + at;
    target[0] = uint8_t(blue);
    target[1] = uint8_t(green);
    target[2] = uint8_t(red);
}

void DoPixDelete(const dib &di, dib &outdi, const RowTable &rows, int x, int y)
{
    if (!PixelAddressable(di, outdi, rows, x, y))
        return;
    const size_t at = size_t(rows[size_t(y)]) + 3 * size_t(x);
    std::memcpy(outdi.poi + at, di.poi + at, 3);
}

void DoPixMalen(dib &di, dib &outdi, const RowTable &rows, int x, int y, int r, int g, int b,
                bool fest)
{
    if (!PixelAddressable(di, outdi, rows, x, y))
        return;
    const size_t at = size_t(rows[size_t(y)]) + 3 * size_t(x);
    const uint8_t pixel[3] = {uint8_t(b), uint8_t(g), uint8_t(r)};
    std::memcpy(outdi.poi + at, pixel, 3);
    if (fest)
        std::memcpy(di.poi + at, pixel, 3);
}

namespace {

constexpr const LuminanceTerms &kTerms = kLuminanceTerms;

// Blue, green, red and a spare byte, so a pixel is written with one 4-byte store.
using ColourTable = uint8_t[256][4];

// One pixel through the tables, writing `bytes` bytes: with 4 the spare byte
// lands on the next pixel, which is written afterwards; a row's last pixel is
// written with 3 so the padding and the neighbouring row (perhaps another
// thread's) stay untouched.
inline void colourPixel(const uint8_t *s, uint8_t *d, const ColourTable &colours, size_t bytes)
{
    std::memcpy(d, colours[kTerms.blue[s[0]] + kTerms.green[s[1]] + kTerms.red[s[2]]], bytes);
}

#if defined(__GNUC__) && defined(__x86_64__)
#define NUANZA_SSSE3_ROWS 1

// Each luminance term as a 16-bit multiply keeping the high half: (v * k) >> 16
// equals c * v div 100 for every byte v, so 16 pixels take a handful of vector
// instructions instead of 48 table look-ups.
constexpr uint16_t kBlueFactor = 7209, kGreenFactor = 38667, kRedFactor = 19661;

constexpr bool factorIsExact(uint32_t factor, uint32_t percent)
{
    for (uint32_t v = 0; v < 256; ++v)
        if ((v * factor) >> 16 != percent * v / 100)
            return false;
    return true;
}
static_assert(factorIsExact(kBlueFactor, 11) && factorIsExact(kGreenFactor, 59)
                  && factorIsExact(kRedFactor, 30),
              "the luminance factors must give the cut-off terms exactly");

// Shuffle masks that gather byte `channel` of 16 pixels (48 bytes) from the
// 16-byte part `part`; bytes of the other parts become 0.
struct ChannelMasks {
    alignas(16) uint8_t mask[3][3][16]; // [channel][part][lane]
};

constexpr ChannelMasks makeChannelMasks()
{
    ChannelMasks m{};
    for (int channel = 0; channel < 3; ++channel)
        for (int part = 0; part < 3; ++part)
            for (int lane = 0; lane < 16; ++lane) {
                const int at = 3 * lane + channel - 16 * part;
                m.mask[channel][part][lane] = at >= 0 && at < 16 ? uint8_t(at) : 0x80;
            }
    return m;
}

constexpr ChannelMasks kMasks = makeChannelMasks();

__attribute__((target("ssse3"))) __m128i channelOf(int channel, __m128i p0, __m128i p1, __m128i p2)
{
    const auto mask = [channel](int part) {
        return _mm_load_si128(reinterpret_cast<const __m128i *>(kMasks.mask[channel][part]));
    };
    return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(p0, mask(0)), _mm_shuffle_epi8(p1, mask(1))),
                        _mm_shuffle_epi8(p2, mask(2)));
}

// The colours of eight luminances, one per byte of `lums` from the lowest.
inline void storeEight(uint8_t *d, uint64_t lums, const ColourTable &colours)
{
    for (int i = 0; i < 8; ++i, lums >>= 8)
        std::memcpy(d + 3 * i, colours[lums & 0xff], 4);
}

// Colours the first pixels of a row 16 at a time while a pixel is left after
// the block (so the spare byte stays in the row); returns how many it did.
__attribute__((target("ssse3"))) int colourBlocksSsse3(const uint8_t *s, uint8_t *d, int width,
                                                      const ColourTable &colours)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i blueFactor = _mm_set1_epi16(short(kBlueFactor));
    const __m128i greenFactor = _mm_set1_epi16(short(kGreenFactor));
    const __m128i redFactor = _mm_set1_epi16(short(kRedFactor));
    int x = 0;
    for (; x + 16 < width; x += 16, s += 48, d += 48) {
        const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 16));
        const __m128i p2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 32));
        const __m128i blue = channelOf(0, p0, p1, p2);
        const __m128i green = channelOf(1, p0, p1, p2);
        const __m128i red = channelOf(2, p0, p1, p2);
        const auto terms = [&](auto unpack) {
            return _mm_add_epi16(_mm_add_epi16(_mm_mulhi_epu16(unpack(blue, zero), blueFactor),
                                               _mm_mulhi_epu16(unpack(green, zero), greenFactor)),
                                 _mm_mulhi_epu16(unpack(red, zero), redFactor));
        };
        const __m128i low = terms([](__m128i a, __m128i b) { return _mm_unpacklo_epi8(a, b); });
        const __m128i high = terms([](__m128i a, __m128i b) { return _mm_unpackhi_epi8(a, b); });
        const __m128i lum = _mm_packus_epi16(low, high);
        // The luminances leave the vector register as two 8-byte words.
        storeEight(d, uint64_t(_mm_cvtsi128_si64(lum)), colours);
        storeEight(d + 24, uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(lum, lum))), colours);
    }
    return x;
}

bool haveSsse3()
{
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}
#endif

void colourRows(const dib &di, dib &outdi, const RowTable &rows, int width,
                const ColourTable &colours, int first, int end)
{
    // Bottom row first: rows lie bottom-up, so this walks memory upwards, the
    // way the hardware prefetcher follows best.
    for (int y = end - 1; y >= first; --y) {
        const uint8_t *s = di.poi + rows[size_t(y)];
        uint8_t *d = outdi.poi + rows[size_t(y)];
        int x = 0;
#ifdef NUANZA_SSSE3_ROWS
        if (haveSsse3()) {
            x = colourBlocksSsse3(s, d, width, colours);
            s += 3 * size_t(x);
            d += 3 * size_t(x);
        }
#endif
        for (; x + 1 < width; ++x, s += 3, d += 3)
            colourPixel(s, d, colours, 4);
        colourPixel(s, d, colours, 3);
    }
}

} // namespace

void ColorAll(const dib &di, dib &outdi, const RowTable &rows, int hue, int sat, int bright,
              Cores cores)
{
    const int width = dibwidth(di);
    const int height = std::min<int64_t>(dibheight(di), int64_t(rows.size()));
    if (width <= 0 || height <= 0 || di.poi == nullptr || outdi.poi == nullptr)
        return;
    if (dibwidth(outdi) != width || dibheight(outdi) != dibheight(di) || outdi.bytew != di.bytew)
        return;

    ColourTable colours;
    for (int lum = 0; lum < 256; ++lum) {
        int red, green, blue;
        HSLToRGB(hue, sat, AdjustBrightness(lum, bright), red, green, blue);
        colours[lum][0] = uint8_t(blue);
        colours[lum][1] = uint8_t(green);
        colours[lum][2] = uint8_t(red);
        colours[lum][3] = 0;
    }

    if (cores == Cores::One) {
        colourRows(di, outdi, rows, width, colours, 0, height);
        return;
    }
    // Each thread takes bands of rows from a shared counter instead of one fixed
    // half, so a core that is busy elsewhere does not hold up the other. Bands
    // are numbered from the bottom row up, which keeps memory order ascending.
    constexpr int kBandRows = 16;
    const int bands = (height + kBandRows - 1) / kBandRows;
    std::atomic<int> nextBand{0};
    const auto worker = [&](int, int) {
        for (int band; (band = nextBand.fetch_add(1, std::memory_order_relaxed)) < bands;) {
            const int end = height - band * kBandRows;
            colourRows(di, outdi, rows, width, colours, std::max(0, end - kBandRows), end);
        }
    };
    // Used only to start the threads: four bands, 64 rows, at least per thread.
    parallelRows(bands, worker, 4);
}
