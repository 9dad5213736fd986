// AVX2 kernels: 16 pairs (32 pixels) per block. Compiled with -mavx2; called
// only where CpuLevel::Avx2 runs.
#include "YuvSimd.h"
#include "YuvSimdCore.h"

#include <immintrin.h>

#include <array>
#include <cstddef>

namespace kamsel::media::simd {
namespace {

struct Avx2 {
    using V = __m256i;
    static V Set1(std::int16_t x) { return _mm256_set1_epi16(x); }
    static V Add(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V MulLo(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V MulHi(V a, V b) { return _mm256_mulhi_epu16(a, b); }
    template <int N>
    static V Shl(V a) {
        return _mm256_slli_epi16(a, N);
    }
    template <int N>
    static V Shr(V a) {
        return _mm256_srli_epi16(a, N);
    }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); } // ~a & b
    // x + 1 where a > b (signed); CmpGt gives -1 there.
    static V IncrementWhereGreater(V x, V a, V b) { return _mm256_sub_epi16(x, _mm256_cmpgt_epi16(a, b)); }
    static V UnpackLo(V a, V b) { return _mm256_unpacklo_epi16(a, b); }
    static V UnpackHi(V a, V b) { return _mm256_unpackhi_epi16(a, b); }
    static V PackUs(V a, V b) { return _mm256_packus_epi16(a, b); }
};

using Core = YuvCore<Avx2>;

// Shuffle masks that place 16 pixels of one channel into the 48 output bytes:
// Masks[j][c] fills output vector j from channel c (0 blue, 1 green, 2 red).
using MaskSet = std::array<std::array<std::array<std::uint8_t, 16>, 3>, 3>;
constexpr MaskSet MakeMasks() {
    MaskSet m{};
    for (int k = 0; k < 48; ++k)
        for (int c = 0; c < 3; ++c)
            m[std::size_t(k / 16)][std::size_t(c)][std::size_t(k % 16)] =
                k % 3 == c ? std::uint8_t(k / 3) : std::uint8_t(0x80);
    return m;
}
constexpr MaskSet kMasks = MakeMasks();

// The nine masks, each repeated in both 128-bit lanes.
struct Masks {
    __m256i m[3][3];
    Masks() {
        for (int j = 0; j < 3; ++j)
            for (int c = 0; c < 3; ++c)
                m[j][c] = _mm256_broadcastsi128_si256(_mm_loadu_si128(
                    reinterpret_cast<const __m128i*>(kMasks[std::size_t(j)][std::size_t(c)].data())));
    }
};

// 32 pixels (lane 0: pixels 0-15, lane 1: 16-31) to 96 bytes blue, green, red.
void Store(__m256i b, __m256i g, __m256i r, std::uint8_t* out, const Masks& masks) {
    __m256i o[3];
    for (int j = 0; j < 3; ++j)
        o[j] = _mm256_or_si256(
            _mm256_or_si256(_mm256_shuffle_epi8(b, masks.m[j][0]), _mm256_shuffle_epi8(g, masks.m[j][1])),
            _mm256_shuffle_epi8(r, masks.m[j][2]));
    // o[j] holds bytes 16j..16j+15 of the first 48 bytes in lane 0 and of the
    // second 48 in lane 1.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(o[0], o[1], 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(o[2], o[0], 0x30));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 64), _mm256_permute2x128_si256(o[1], o[2], 0x31));
}

} // namespace

int PlanarRowsAvx2(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                   const std::uint8_t* v, int pairs, std::uint8_t* out0, std::uint8_t* out1) {
    const Masks masks;
    const __m256i zero = _mm256_setzero_si256();
    int p = 0;
    for (; p + 16 <= pairs; p += 16) {
        // Per 128-bit lane: unpacklo covers pixels 0-7 | 16-23, unpackhi 8-15 | 24-31,
        // matching pairs 0-3 | 8-11 and 4-7 | 12-15 of the widened chroma.
        const __m256i uu = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(u + p)));
        const __m256i vv = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v + p)));
        const Core::Chroma3 chroma = Core::ChromaOf(uu, vv);
        __m256i b, g, r;
        const __m256i luma0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y0 + 2 * p));
        Core::Pixels(_mm256_unpacklo_epi8(luma0, zero), _mm256_unpackhi_epi8(luma0, zero), chroma, b, g, r);
        Store(b, g, r, out0 + 6 * p, masks);
        if (y1 != nullptr) {
            const __m256i luma1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y1 + 2 * p));
            Core::Pixels(_mm256_unpacklo_epi8(luma1, zero), _mm256_unpackhi_epi8(luma1, zero), chroma, b, g,
                         r);
            Store(b, g, r, out1 + 6 * p, masks);
        }
    }
    return p;
}

int PackedRowAvx2(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) {
    const Masks masks;
    const __m256i lowByte = _mm256_set1_epi16(0x00FF);
    const __m256i lowWord = _mm256_set1_epi32(0x0000FFFF);
    int p = 0;
    for (; p + 16 <= pairs; p += 16) {
        const __m256i p0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(yuyv + 4 * p)); // pixels 0-15
        const __m256i p1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(yuyv + 4 * p + 32)); // 16-31
        // Per 128-bit lane the luma of p0 is pixels 0-7 | 8-15 and of p1 16-23 | 24-31;
        // packs gives chroma pairs 0-3, 8-11 | 4-7, 12-15, whose unpacklo and unpackhi
        // cover exactly those pixels. The results come out as pixels 0-7, 16-23 |
        // 8-15, 24-31 and are put in order with one permute each.
        const __m256i uv0 = _mm256_srli_epi16(p0, 8);
        const __m256i uv1 = _mm256_srli_epi16(p1, 8);
        const __m256i uu = _mm256_packs_epi32(_mm256_and_si256(uv0, lowWord), _mm256_and_si256(uv1, lowWord));
        const __m256i vv = _mm256_packs_epi32(_mm256_srli_epi32(uv0, 16), _mm256_srli_epi32(uv1, 16));
        __m256i b, g, r;
        Core::Pixels(_mm256_and_si256(p0, lowByte), _mm256_and_si256(p1, lowByte), Core::ChromaOf(uu, vv), b,
                     g, r);
        b = _mm256_permute4x64_epi64(b, 0xD8);
        g = _mm256_permute4x64_epi64(g, 0xD8);
        r = _mm256_permute4x64_epi64(r, 0xD8);
        Store(b, g, r, out + 6 * p, masks);
    }
    return p;
}

} // namespace kamsel::media::simd
