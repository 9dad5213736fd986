// SSSE3 row kernels: sixteen pixels per step. Compiled with -mssse3; called
// only where CpuLevel::Ssse3 runs.
#include "PixelSimd.h"

#include <tmmintrin.h>

namespace kamsel::media::simd {

namespace {

// Four pixels of 3 bytes (the low 12 bytes) to four of 4, the fourth byte of
// each zero.
__m128i SpreadMask() {
    return _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
}

// The four 4-pixel groups of 48 bytes, each in the low 12 bytes of a vector.
struct Groups {
    __m128i g0, g1, g2, g3;
};

Groups LoadGroups(const std::uint8_t* in) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
    // Pixels 0-3 start at byte 0, 4-7 at 12, 8-11 at 24, 12-15 at 36.
    return {a, _mm_alignr_epi8(b, a, 12), _mm_alignr_epi8(c, b, 8), _mm_srli_si128(c, 4)};
}

} // namespace

void ExpandToOpaqueBgraSsse3(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels) {
    const __m128i spread = SpreadMask();
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int x = 0;
    for (; x + 16 <= pixels; x += 16, bgr += 48, bgra += 64) {
        const Groups g = LoadGroups(bgr);
        auto* o = reinterpret_cast<__m128i*>(bgra);
        _mm_storeu_si128(o, _mm_or_si128(_mm_shuffle_epi8(g.g0, spread), alpha));
        _mm_storeu_si128(o + 1, _mm_or_si128(_mm_shuffle_epi8(g.g1, spread), alpha));
        _mm_storeu_si128(o + 2, _mm_or_si128(_mm_shuffle_epi8(g.g2, spread), alpha));
        _mm_storeu_si128(o + 3, _mm_or_si128(_mm_shuffle_epi8(g.g3, spread), alpha));
    }
    plain::ExpandToOpaqueBgra(bgr, bgra, pixels - x);
}

void DropAlphaSsse3(const std::uint8_t* bgra, std::uint8_t* bgr, int pixels) {
    // Four pixels of 4 bytes to 12 bytes, the top four zero.
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 16 <= pixels; x += 16, bgra += 64, bgr += 48) {
        const auto* i = reinterpret_cast<const __m128i*>(bgra);
        const __m128i c0 = _mm_shuffle_epi8(_mm_loadu_si128(i), pack);
        const __m128i c1 = _mm_shuffle_epi8(_mm_loadu_si128(i + 1), pack);
        const __m128i c2 = _mm_shuffle_epi8(_mm_loadu_si128(i + 2), pack);
        const __m128i c3 = _mm_shuffle_epi8(_mm_loadu_si128(i + 3), pack);
        auto* o = reinterpret_cast<__m128i*>(bgr);
        _mm_storeu_si128(o, _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
        _mm_storeu_si128(o + 1, _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8)));
        _mm_storeu_si128(o + 2, _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4)));
    }
    plain::DropAlpha(bgra, bgr, pixels - x);
}

} // namespace kamsel::media::simd
