// SSE2 kernels: 8 pairs (16 pixels) per block.
#include "YuvSimd.h"
#include "YuvSimdCore.h"

#include <emmintrin.h>

namespace kamsel::media::simd {
namespace {

struct Sse2 {
    using V = __m128i;
    static V Set1(std::int16_t x) { return _mm_set1_epi16(x); }
    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm_sub_epi16(a, b); }
    static V MulLo(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V MulHi(V a, V b) { return _mm_mulhi_epu16(a, b); }
    template <int N>
    static V Shl(V a) {
        return _mm_slli_epi16(a, N);
    }
    template <int N>
    static V Shr(V a) {
        return _mm_srli_epi16(a, N);
    }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V AndNot(V a, V b) { return _mm_andnot_si128(a, b); } // ~a & b
    // x + 1 where a > b (signed); CmpGt gives -1 there.
    static V IncrementWhereGreater(V x, V a, V b) { return _mm_sub_epi16(x, _mm_cmpgt_epi16(a, b)); }
    static V UnpackLo(V a, V b) { return _mm_unpacklo_epi16(a, b); }
    static V UnpackHi(V a, V b) { return _mm_unpackhi_epi16(a, b); }
    static V PackUs(V a, V b) { return _mm_packus_epi16(a, b); }
};

using Core = YuvCore<Sse2>;

// Four pixels b g r 0 -> twelve bytes b g r, the top four bytes zero.
__m128i Compact(__m128i p) {
    const __m128i low = _mm_set1_epi64x(0x0000000000FFFFFFLL);
    const __m128i high = _mm_set1_epi64x(0x0000FFFFFF000000LL);
    const __m128i q = _mm_or_si128(_mm_and_si128(p, low), _mm_and_si128(_mm_srli_epi64(p, 8), high));
    return _mm_or_si128(_mm_move_epi64(q), _mm_slli_si128(_mm_unpackhi_epi64(q, _mm_setzero_si128()), 6));
}

// 16 pixels from byte planes to 48 bytes blue, green, red.
void Store(__m128i b, __m128i g, __m128i r, std::uint8_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgLo = _mm_unpacklo_epi8(b, g);
    const __m128i bgHi = _mm_unpackhi_epi8(b, g);
    const __m128i rLo = _mm_unpacklo_epi8(r, zero);
    const __m128i rHi = _mm_unpackhi_epi8(r, zero);
    const __m128i c0 = Compact(_mm_unpacklo_epi16(bgLo, rLo));
    const __m128i c1 = Compact(_mm_unpackhi_epi16(bgLo, rLo));
    const __m128i c2 = Compact(_mm_unpacklo_epi16(bgHi, rHi));
    const __m128i c3 = Compact(_mm_unpackhi_epi16(bgHi, rHi));
    auto* o = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(o, _mm_or_si128(c0, _mm_slli_si128(c1, 12)));
    _mm_storeu_si128(o + 1, _mm_or_si128(_mm_srli_si128(c1, 4), _mm_slli_si128(c2, 8)));
    _mm_storeu_si128(o + 2, _mm_or_si128(_mm_srli_si128(c2, 8), _mm_slli_si128(c3, 4)));
}

} // namespace

int PlanarRowsSse2(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                   const std::uint8_t* v, int pairs, std::uint8_t* out0, std::uint8_t* out1) {
    const __m128i zero = _mm_setzero_si128();
    int p = 0;
    for (; p + 8 <= pairs; p += 8) {
        const __m128i uu = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + p)), zero);
        const __m128i vv = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + p)), zero);
        const Core::Chroma3 chroma = Core::ChromaOf(uu, vv);
        __m128i b, g, r;
        const __m128i luma0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y0 + 2 * p));
        Core::Pixels(_mm_unpacklo_epi8(luma0, zero), _mm_unpackhi_epi8(luma0, zero), chroma, b, g, r);
        Store(b, g, r, out0 + 6 * p);
        if (y1 != nullptr) {
            const __m128i luma1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y1 + 2 * p));
            Core::Pixels(_mm_unpacklo_epi8(luma1, zero), _mm_unpackhi_epi8(luma1, zero), chroma, b, g, r);
            Store(b, g, r, out1 + 6 * p);
        }
    }
    return p;
}

int PackedRowSse2(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) {
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    const __m128i lowWord = _mm_set1_epi32(0x0000FFFF);
    int p = 0;
    for (; p + 8 <= pairs; p += 8) {
        const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(yuyv + 4 * p));
        const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(yuyv + 4 * p + 16));
        const __m128i uv0 = _mm_srli_epi16(p0, 8); // u v u v ... as 16-bit lanes
        const __m128i uv1 = _mm_srli_epi16(p1, 8);
        const __m128i uu = _mm_packs_epi32(_mm_and_si128(uv0, lowWord), _mm_and_si128(uv1, lowWord));
        const __m128i vv = _mm_packs_epi32(_mm_srli_epi32(uv0, 16), _mm_srli_epi32(uv1, 16));
        __m128i b, g, r;
        Core::Pixels(_mm_and_si128(p0, lowByte), _mm_and_si128(p1, lowByte), Core::ChromaOf(uu, vv), b, g, r);
        Store(b, g, r, out + 6 * p);
    }
    return p;
}

} // namespace kamsel::media::simd
