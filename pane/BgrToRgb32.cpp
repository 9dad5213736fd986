#include "pane/BgrToRgb32.h"

#include <immintrin.h>

#include <cstring>

namespace kamsel::pane {
namespace {

constexpr std::uint32_t kOpaque = 0xff000000u;

// Pixels from x on, one at a time.
void Tail(const std::uint8_t* source, std::uint32_t* target, int x, int pixels) {
    for (; x < pixels; ++x) {
        const std::uint8_t* p = source + 3 * x;
        target[x] = kOpaque | std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    }
}

// Spreads the 12 pixel bytes at the start of each 16-byte lane over four
// words: byte k of pixel i goes to byte 4i + k, the fourth byte of each word
// is left zero for the opaque alpha.
constexpr char kSpread[16] = {0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1};

__attribute__((target("avx2"), always_inline)) inline void
EightPixels(const std::uint8_t* source, std::uint32_t* target, int x, __m256i spread, __m256i opaque) {
    const std::uint8_t* p = source + 3 * x;
    const __m256i in =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + x),
                        _mm256_or_si256(_mm256_shuffle_epi8(in, spread), opaque));
}

} // namespace

void BgrToRgb32Plain(const std::uint8_t* source, std::uint32_t* target, int pixels) {
    // Read as a little-endian 24-bit number, the three bytes already are
    // 0xRRGGBB; four pixels are read as three words and split with shifts.
    int x = 0;
    for (; x + 4 <= pixels; x += 4) {
        std::uint32_t w[3];
        std::memcpy(w, source + 3 * x, sizeof w);
        target[x + 0] = kOpaque | (w[0] & 0xffffffu);
        target[x + 1] = kOpaque | (w[0] >> 24) | ((w[1] & 0xffffu) << 8);
        target[x + 2] = kOpaque | (w[1] >> 16) | ((w[2] & 0xffu) << 16);
        target[x + 3] = kOpaque | (w[2] >> 8);
    }
    Tail(source, target, x, pixels);
}

__attribute__((target("ssse3"))) void BgrToRgb32Ssse3(const std::uint8_t* source, std::uint32_t* target,
                                                      int pixels) {
    const __m128i spread = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSpread));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    int x = 0;
    // Each load takes 16 bytes for the 12 of four pixels: it may start only
    // where 16 bytes are left in the row.
    for (; x + 6 <= pixels; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + x),
                         _mm_or_si128(_mm_shuffle_epi8(in, spread), opaque));
    }
    Tail(source, target, x, pixels);
}

__attribute__((target("avx2"))) void BgrToRgb32Avx2(const std::uint8_t* source, std::uint32_t* target,
                                                    int pixels) {
    const __m256i spread =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kSpread)));
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(kOpaque));
    // Eight pixels per step: four from each of two 16-byte loads 12 bytes
    // apart, one per lane. The second load reads 4 bytes past the eight
    // pixels, so a step may start only where 28 bytes are left in the row.
    int x = 0;
    for (; x + 34 <= pixels; x += 32) {
        EightPixels(source, target, x, spread, opaque);
        EightPixels(source, target, x + 8, spread, opaque);
        EightPixels(source, target, x + 16, spread, opaque);
        EightPixels(source, target, x + 24, spread, opaque);
    }
    for (; x + 10 <= pixels; x += 8)
        EightPixels(source, target, x, spread, opaque);
    Tail(source, target, x, pixels);
}

bool BgrToRgb32HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

bool BgrToRgb32HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

void BgrToRgb32(const std::uint8_t* source, std::uint32_t* target, int pixels) {
    if (BgrToRgb32HasAvx2())
        BgrToRgb32Avx2(source, target, pixels);
    else if (BgrToRgb32HasSsse3())
        BgrToRgb32Ssse3(source, target, pixels);
    else
        BgrToRgb32Plain(source, target, pixels);
}

} // namespace kamsel::pane
