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

// 100 * b + 128 * g + 28 * r is twice 50 * b + 64 * g + 14 * r, so the grey
// value, that sum / 256 rounded down, is the half sum / 128 rounded down. The
// half weights fit the signed bytes of pmaddubsw, and its pair sums (at most
// 114 * 255) and the pixel sums (at most 128 * 255) fit signed 16 bits.
__m128i PixelSums(__m128i group0, __m128i group1, __m128i spread, __m128i weights) {
    const __m128i m0 = _mm_maddubs_epi16(_mm_shuffle_epi8(group0, spread), weights);
    const __m128i m1 = _mm_maddubs_epi16(_mm_shuffle_epi8(group1, spread), weights);
    return _mm_srli_epi16(_mm_hadd_epi16(m0, m1), 7);
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

void GrayRowSsse3(const std::uint8_t* in, std::uint8_t* out, int pixels) {
    const __m128i spread = SpreadMask();
    const __m128i weights = _mm_setr_epi8(50, 64, 14, 0, 50, 64, 14, 0, 50, 64, 14, 0, 50, 64, 14, 0);
    // Byte k of the 48 output bytes is the grey value of pixel k / 3.
    const __m128i triple0 = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i triple1 = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i triple2 = _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    int x = 0;
    for (; x + 16 <= pixels; x += 16, in += 48, out += 48) {
        const Groups g = LoadGroups(in);
        const __m128i grey =
            _mm_packus_epi16(PixelSums(g.g0, g.g1, spread, weights), PixelSums(g.g2, g.g3, spread, weights));
        auto* o = reinterpret_cast<__m128i*>(out);
        _mm_storeu_si128(o, _mm_shuffle_epi8(grey, triple0));
        _mm_storeu_si128(o + 1, _mm_shuffle_epi8(grey, triple1));
        _mm_storeu_si128(o + 2, _mm_shuffle_epi8(grey, triple2));
    }
    plain::GrayRow(in, out, pixels - x);
}

} // namespace kamsel::media::simd
