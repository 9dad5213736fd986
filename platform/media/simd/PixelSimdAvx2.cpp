// AVX2 row kernels. Compiled with -mavx2; called only where CpuLevel::Avx2
// runs, where the SSSE3 kernels run too.
#include "PixelSimd.h"

#include <immintrin.h>

namespace kamsel::media::simd {

namespace {

// Four pixels of 3 bytes (the low 12 bytes of each lane) to four of 4, the
// fourth byte of each zero.
__m256i SpreadMask() {
    return _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, //
                            0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
}

// Eight pixels from p: four from each of two 16-byte loads 12 bytes apart, one
// per lane. The second load reads 4 bytes past the eight pixels.
__m256i EightPixels(const std::uint8_t* p) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
}

__m256i Load32(const std::uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

void ExpandEight(const std::uint8_t* bgr, std::uint8_t* bgra, __m256i spread, __m256i opaque) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(bgra),
                        _mm256_or_si256(_mm256_shuffle_epi8(EightPixels(bgr), spread), opaque));
}

// The map value of 16 bytes in 16-bit lanes, from the bytes at k, k + 3 and
// k + 6 of both rows: DifferenceMap::Magnitude with the unsigned saturating
// subtraction for the lower clamp; the upper one (256 to 255) is left to the
// saturating pack.
__m256i MapLanes(__m256i c0, __m256i c3, __m256i c6, __m256i p0, __m256i p3, __m256i p6) {
    const __m256i sc = _mm256_add_epi16(_mm256_add_epi16(c0, c6), _mm256_add_epi16(c3, c3));
    const __m256i sp = _mm256_add_epi16(_mm256_add_epi16(p0, p6), _mm256_add_epi16(p3, p3));
    const __m256i m = _mm256_srli_epi16(_mm256_abs_epi16(_mm256_sub_epi16(sc, sp)), 2);
    const __m256i t = _mm256_min_epu16(_mm256_subs_epu16(m, _mm256_set1_epi16(48)), _mm256_set1_epi16(64));
    return _mm256_slli_epi16(t, 2);
}

// 32 bytes a step, widened to 16 bits within each 128-bit lane and packed
// back in order; the rest of the row goes through the plain kernel.
template <bool OrCurrent>
std::uint32_t MapRow(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int n) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i sums = zero;
    int k = 0;
    for (; k + 32 <= n; k += 32) {
        const __m256i c0 = Load32(c + k), c3 = Load32(c + k + 3), c6 = Load32(c + k + 6);
        const __m256i p0 = Load32(p + k), p3 = Load32(p + k + 3), p6 = Load32(p + k + 6);
        const __m256i low = MapLanes(_mm256_unpacklo_epi8(c0, zero), _mm256_unpacklo_epi8(c3, zero),
                                     _mm256_unpacklo_epi8(c6, zero), _mm256_unpacklo_epi8(p0, zero),
                                     _mm256_unpacklo_epi8(p3, zero), _mm256_unpacklo_epi8(p6, zero));
        const __m256i high = MapLanes(_mm256_unpackhi_epi8(c0, zero), _mm256_unpackhi_epi8(c3, zero),
                                      _mm256_unpackhi_epi8(c6, zero), _mm256_unpackhi_epi8(p0, zero),
                                      _mm256_unpackhi_epi8(p3, zero), _mm256_unpackhi_epi8(p6, zero));
        __m256i value = _mm256_packus_epi16(low, high);
        sums = _mm256_add_epi64(sums, _mm256_sad_epu8(value, zero));
        if constexpr (OrCurrent)
            value = _mm256_or_si256(value, c3);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), value);
    }
    const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
    const auto sum = static_cast<std::uint32_t>(_mm_cvtsi128_si64(half) + _mm_extract_epi64(half, 1));
    if constexpr (OrCurrent)
        return sum + plain::HighlightRow(c + k, p + k, out + k, n - k);
    else
        return sum + plain::DifferenceRow(c + k, p + k, out + k, n - k);
}

// The grey sums of eight pixels in 16-bit lanes, as in the SSSE3 kernel (half
// weights, / 128): pixels 0-3 of the pair of groups in the low lane, 4-7 in
// the high one.
__m256i PixelSums(const std::uint8_t* in, __m256i spread, __m256i weights) {
    const __m256i m0 = _mm256_maddubs_epi16(_mm256_shuffle_epi8(EightPixels(in), spread), weights);
    const __m256i m1 = _mm256_maddubs_epi16(_mm256_shuffle_epi8(EightPixels(in + 24), spread), weights);
    // Low lane: pixels 0-3 and 8-11; high lane: 4-7 and 12-15.
    return _mm256_srli_epi16(_mm256_hadd_epi16(m0, m1), 7);
}

} // namespace

void ExpandToOpaqueBgraAvx2(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels) {
    const __m256i spread = SpreadMask();
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xff000000u));
    // A step's last load reads 4 bytes past its pixels, so it may start only
    // where 28 bytes (more than nine pixels) are left in the row.
    int x = 0;
    for (; x + 34 <= pixels; x += 32)
        for (int e = 0; e < 32; e += 8)
            ExpandEight(bgr + 3 * (x + e), bgra + 4 * (x + e), spread, opaque);
    for (; x + 10 <= pixels; x += 8)
        ExpandEight(bgr + 3 * x, bgra + 4 * x, spread, opaque);
    plain::ExpandToOpaqueBgra(bgr + 3 * x, bgra + 4 * x, pixels - x);
}

void InvertRowAvx2(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, int bytes) {
    // The compiler vectorises this for the unit's instruction set.
    for (int k = 0; k < bytes; ++k)
        out[k] = static_cast<std::uint8_t>(255 - in[k]);
}

void GrayRowAvx2(const std::uint8_t* in, std::uint8_t* out, int pixels) {
    const __m256i spread = SpreadMask();
    const __m256i weights = _mm256_setr_epi8(50, 64, 14, 0, 50, 64, 14, 0, 50, 64, 14, 0, 50, 64, 14, 0, //
                                             50, 64, 14, 0, 50, 64, 14, 0, 50, 64, 14, 0, 50, 64, 14, 0);
    // Groups of four pixels back in order after the lane-wise packs.
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    // Byte k of 48 output bytes is the grey value of pixel k / 3 of 16: the
    // first 16 bytes, the second and the third.
    const __m256i triple01 = _mm256_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, //
                                              5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m256i triple20 =
        _mm256_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15, //
                         0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m256i triple12 = _mm256_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, //
                                              10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    // 32 pixels a step; the last load reads 4 bytes past them (see above).
    int x = 0;
    for (; x + 34 <= pixels; x += 32, in += 96, out += 96) {
        const __m256i sums01 = PixelSums(in, spread, weights);
        const __m256i sums23 = PixelSums(in + 48, spread, weights);
        // In order: pixels 0-15 in the low lane, 16-31 in the high one.
        const __m256i grey = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(sums01, sums23), order);
        const __m256i low = _mm256_permute2x128_si256(grey, grey, 0x00);
        const __m256i high = _mm256_permute2x128_si256(grey, grey, 0x11);
        auto* o = reinterpret_cast<__m256i*>(out);
        _mm256_storeu_si256(o, _mm256_shuffle_epi8(low, triple01));
        _mm256_storeu_si256(o + 1, _mm256_shuffle_epi8(grey, triple20));
        _mm256_storeu_si256(o + 2, _mm256_shuffle_epi8(high, triple12));
    }
    GrayRowSsse3(in, out, pixels - x);
}

std::uint32_t DifferenceRowAvx2(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int bytes) {
    return MapRow<false>(c, p, out, bytes);
}

std::uint32_t HighlightRowAvx2(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int bytes) {
    return MapRow<true>(c, p, out, bytes);
}

} // namespace kamsel::media::simd
