// AVX-512 kernels (BW for the 16-bit arithmetic, VBMI for the byte
// interleave): 32 pairs (64 pixels) per block. Compiled for those extensions;
// called only where CpuLevel::Avx512 runs.
#include "YuvSimd.h"
#include "YuvSimdCore.h"

// GCC 12's AVX-512 headers start many intrinsics from a deliberately
// undefined vector, which its own -Wmaybe-uninitialized then reports at every
// use (GCC bug 105593, mended in GCC 13).
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ < 13
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <array>
#include <cstddef>

namespace kamsel::media::simd {
namespace {

struct Avx512 {
    using V = __m512i;
    static V Set1(std::int16_t x) { return _mm512_set1_epi16(x); }
    static V Add(V a, V b) { return _mm512_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm512_sub_epi16(a, b); }
    static V MulLo(V a, V b) { return _mm512_mullo_epi16(a, b); }
    static V MulHi(V a, V b) { return _mm512_mulhi_epu16(a, b); }
    template <int N>
    static V Shl(V a) {
        return _mm512_slli_epi16(a, N);
    }
    template <int N>
    static V Shr(V a) {
        return _mm512_srli_epi16(a, N);
    }
    static V And(V a, V b) { return _mm512_and_si512(a, b); }
    static V AndNot(V a, V b) { return _mm512_andnot_si512(a, b); } // ~a & b
    // x + 1 where a > b (signed), through a lane mask.
    static V IncrementWhereGreater(V x, V a, V b) {
        return _mm512_mask_sub_epi16(x, _mm512_cmpgt_epi16_mask(a, b), x, _mm512_set1_epi16(-1));
    }
    static V UnpackLo(V a, V b) { return _mm512_unpacklo_epi16(a, b); }
    static V UnpackHi(V a, V b) { return _mm512_unpackhi_epi16(a, b); }
    static V PackUs(V a, V b) { return _mm512_packus_epi16(a, b); }
};

using Core = YuvCore<Avx512>;

// Where pixel p (0..63) of a block sits in the channel vectors that
// Core::Pixels gives. PackUs works per 128-bit lane: planar rows come out in
// pixel order; packed rows give lane k pixels 8k..8k+7, then 32+8k..32+8k+7.
constexpr int PlanarPosition(int p) {
    return p;
}
constexpr int PackedPosition(int p) {
    return p < 32 ? 16 * (p / 8) + p % 8 : 16 * ((p - 32) / 8) + 8 + (p - 32) % 8;
}

// Byte indices for the two two-table permutes per 64-byte output vector j:
// first blue and green into place, then red over the third bytes.
struct StoreIndices {
    std::array<std::array<std::uint8_t, 64>, 3> blueGreen{}, red{};
};

template <int (*Position)(int)>
constexpr StoreIndices MakeIndices() {
    StoreIndices m{};
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 64; ++i) {
            const int k = 64 * j + i, p = k / 3, c = k % 3;
            const auto at = std::size_t(i);
            m.blueGreen[std::size_t(j)][at] = std::uint8_t(c == 0   ? Position(p)
                                                           : c == 1 ? 64 + Position(p)
                                                                    : 0);
            m.red[std::size_t(j)][at] = std::uint8_t(c == 2 ? 64 + Position(p) : i);
        }
    return m;
}

constexpr StoreIndices kPlanarIndices = MakeIndices<PlanarPosition>();
constexpr StoreIndices kPackedIndices = MakeIndices<PackedPosition>();

class Store {
  public:
    explicit Store(const StoreIndices& indices) {
        for (std::size_t j = 0; j < 3; ++j) {
            blueGreen_[j] = _mm512_loadu_si512(indices.blueGreen[j].data());
            red_[j] = _mm512_loadu_si512(indices.red[j].data());
        }
    }

    // 64 pixels to 192 bytes blue, green, red.
    void operator()(__m512i b, __m512i g, __m512i r, std::uint8_t* out) const {
        for (std::size_t j = 0; j < 3; ++j) {
            const __m512i bg = _mm512_permutex2var_epi8(b, blueGreen_[j], g);
            _mm512_storeu_si512(out + 64 * j, _mm512_permutex2var_epi8(bg, red_[j], r));
        }
    }

  private:
    __m512i blueGreen_[3];
    __m512i red_[3];
};

} // namespace

int PlanarRowsAvx512(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                     const std::uint8_t* v, int pairs, std::uint8_t* out0, std::uint8_t* out1) {
    const Store store(kPlanarIndices);
    const __m512i zero = _mm512_setzero_si512();
    int p = 0;
    for (; p + 32 <= pairs; p += 32) {
        // Per 128-bit lane k: chroma pairs 8k..8k+7, luma pixels 16k..16k+15, so
        // unpacklo and unpackhi of both cover the same pixels.
        const __m512i uu = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(u + p)));
        const __m512i vv = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + p)));
        const Core::Chroma3 chroma = Core::ChromaOf(uu, vv);
        __m512i b, g, r;
        const __m512i luma0 = _mm512_loadu_si512(y0 + 2 * p);
        Core::Pixels(_mm512_unpacklo_epi8(luma0, zero), _mm512_unpackhi_epi8(luma0, zero), chroma, b, g, r);
        store(b, g, r, out0 + 6 * p);
        if (y1 != nullptr) {
            const __m512i luma1 = _mm512_loadu_si512(y1 + 2 * p);
            Core::Pixels(_mm512_unpacklo_epi8(luma1, zero), _mm512_unpackhi_epi8(luma1, zero), chroma, b, g,
                         r);
            store(b, g, r, out1 + 6 * p);
        }
    }
    return p;
}

int PackedRowAvx512(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) {
    const Store store(kPackedIndices);
    const __m512i lowByte = _mm512_set1_epi16(0x00FF);
    const __m512i lowWord = _mm512_set1_epi32(0x0000FFFF);
    int p = 0;
    for (; p + 32 <= pairs; p += 32) {
        const __m512i p0 = _mm512_loadu_si512(yuyv + 4 * p);      // pixels 0-31
        const __m512i p1 = _mm512_loadu_si512(yuyv + 4 * p + 64); // 32-63
        // Per 128-bit lane k the luma of p0 is pixels 8k..8k+7 and of p1
        // 32+8k..32+8k+7; packs gives the chroma of exactly those pairs, whose
        // unpacklo and unpackhi spread them over the same pixels.
        const __m512i uv0 = _mm512_srli_epi16(p0, 8);
        const __m512i uv1 = _mm512_srli_epi16(p1, 8);
        const __m512i uu = _mm512_packs_epi32(_mm512_and_si512(uv0, lowWord), _mm512_and_si512(uv1, lowWord));
        const __m512i vv = _mm512_packs_epi32(_mm512_srli_epi32(uv0, 16), _mm512_srli_epi32(uv1, 16));
        __m512i b, g, r;
        Core::Pixels(_mm512_and_si512(p0, lowByte), _mm512_and_si512(p1, lowByte), Core::ChromaOf(uu, vv), b,
                     g, r);
        store(b, g, r, out + 6 * p);
    }
    return p;
}

} // namespace kamsel::media::simd
