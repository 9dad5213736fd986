#include "PixelRows.h"

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

namespace kamsel::media {

namespace {

#if defined(__x86_64__)

bool Ssse3Supported() {
    static const bool supported = __builtin_cpu_supports("ssse3");
    return supported;
}

// Sixteen pixels per step; returns how many pixels were converted.
__attribute__((target("ssse3"))) int ExpandSsse3(const std::uint8_t* in, std::uint8_t* out, int pixels) {
    // Four pixels of 3 bytes to four of 4, the fourth byte left zero for the alpha.
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int x = 0;
    for (; x + 16 <= pixels; x += 16, in += 48, out += 64) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
        // Pixels 0-3 start at byte 0, 4-7 at 12, 8-11 at 24, 12-15 at 36.
        const __m128i p0 = a;
        const __m128i p1 = _mm_alignr_epi8(b, a, 12);
        const __m128i p2 = _mm_alignr_epi8(c, b, 8);
        const __m128i p3 = _mm_srli_si128(c, 4);
        auto* o = reinterpret_cast<__m128i*>(out);
        _mm_storeu_si128(o, _mm_or_si128(_mm_shuffle_epi8(p0, spread), alpha));
        _mm_storeu_si128(o + 1, _mm_or_si128(_mm_shuffle_epi8(p1, spread), alpha));
        _mm_storeu_si128(o + 2, _mm_or_si128(_mm_shuffle_epi8(p2, spread), alpha));
        _mm_storeu_si128(o + 3, _mm_or_si128(_mm_shuffle_epi8(p3, spread), alpha));
    }
    return x;
}

__attribute__((target("ssse3"))) int DropSsse3(const std::uint8_t* in, std::uint8_t* out, int pixels) {
    // Four pixels of 4 bytes to 12 bytes, the top four zero.
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    for (; x + 16 <= pixels; x += 16, in += 64, out += 48) {
        const auto* i = reinterpret_cast<const __m128i*>(in);
        const __m128i c0 = _mm_shuffle_epi8(_mm_loadu_si128(i), pack);
        const __m128i c1 = _mm_shuffle_epi8(_mm_loadu_si128(i + 1), pack);
        const __m128i c2 = _mm_shuffle_epi8(_mm_loadu_si128(i + 2), pack);
        const __m128i c3 = _mm_shuffle_epi8(_mm_loadu_si128(i + 3), pack);
        auto* o = reinterpret_cast<__m128i*>(out);
        _mm_storeu_si128(o, _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
        _mm_storeu_si128(o + 1, _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8)));
        _mm_storeu_si128(o + 2, _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4)));
    }
    return x;
}

int ExpandVector(const std::uint8_t* in, std::uint8_t* out, int pixels) {
    return Ssse3Supported() ? ExpandSsse3(in, out, pixels) : 0;
}
int DropVector(const std::uint8_t* in, std::uint8_t* out, int pixels) {
    return Ssse3Supported() ? DropSsse3(in, out, pixels) : 0;
}

#else

int ExpandVector(const std::uint8_t*, std::uint8_t*, int) {
    return 0;
}
int DropVector(const std::uint8_t*, std::uint8_t*, int) {
    return 0;
}

#endif

} // namespace

void PixelRows::ExpandToOpaqueBgra(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels) {
    const int done = pixels > 0 ? ExpandVector(bgr, bgra, pixels) : 0;
    ExpandToOpaqueBgraScalar(bgr + 3 * done, bgra + 4 * done, pixels - done);
}

void PixelRows::DropAlpha(const std::uint8_t* bgra, std::uint8_t* bgr, int pixels) {
    const int done = pixels > 0 ? DropVector(bgra, bgr, pixels) : 0;
    DropAlphaScalar(bgra + 4 * done, bgr + 3 * done, pixels - done);
}

void PixelRows::ExpandToOpaqueBgraScalar(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels) {
    for (int x = 0; x < pixels; ++x, bgr += 3, bgra += 4) {
        bgra[0] = bgr[0];
        bgra[1] = bgr[1];
        bgra[2] = bgr[2];
        bgra[3] = 255;
    }
}

void PixelRows::DropAlphaScalar(const std::uint8_t* bgra, std::uint8_t* bgr, int pixels) {
    for (int x = 0; x < pixels; ++x, bgra += 4, bgr += 3) {
        bgr[0] = bgra[0];
        bgr[1] = bgra[1];
        bgr[2] = bgra[2];
    }
}

} // namespace kamsel::media
