#include "pane/DisplayFilters.h"

#include <immintrin.h>

#include <cstddef>
#include <cstring>

namespace kamsel::pane {

using frames::Bitmap24;
using frames::PixelFormat;

namespace {

// The map value of a change of size m (0 to 255): 0 below 48, then rising by
// 4 per step up to 252 at 111, and 255 from 112 on. Written without branches
// on data so that the row loops vectorise in 16-bit lanes.
inline int MapMagnitude(int m) {
    int t = m - 48;
    t = t < 0 ? 0 : t;
    t = t > 64 ? 64 : t;
    t *= 4;
    return t > 255 ? 255 : t;
}

// One row of the difference map over n bytes: byte k of out is the map value
// for byte k + 3 of the rows c and p (so out starts at the row's second
// pixel). With OrCurrent, out gets that value OR-ed with the current byte.
// Returns the sum of the map values.
template <bool OrCurrent>
inline __attribute__((always_inline)) std::uint32_t DifferenceRowBody(const std::uint8_t* __restrict c,
                                                                      const std::uint8_t* __restrict p,
                                                                      std::uint8_t* __restrict out, int n) {
    std::uint32_t sum = 0;
    for (int k = 0; k < n; ++k) {
        // The smoothed sums reach 1020; their difference fits 16 bits, and
        // |difference| / 4 equals the magnitude of the difference divided by 4
        // with truncation toward zero.
        const int sc = c[k] + 2 * c[k + 3] + c[k + 6];
        const int sp = p[k] + 2 * p[k + 3] + p[k + 6];
        const int d = sc - sp;
        const int value = MapMagnitude((d < 0 ? -d : d) >> 2);
        sum += static_cast<std::uint32_t>(value);
        out[k] = static_cast<std::uint8_t>(OrCurrent ? (value | c[k + 3]) : value);
    }
    return sum;
}

// Each row loop is compiled for the baseline and for AVX2; the AVX2 one runs
// where the processor has it. (A load-time resolver would pick the same, but
// it runs before the thread sanitizer's runtime is up and crashes it.)
template <bool OrCurrent>
std::uint32_t MapRowBaseline(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int n) {
    return DifferenceRowBody<OrCurrent>(c, p, out, n);
}

// The map value of 16 bytes in 16-bit lanes, from the bytes at k, k + 3 and
// k + 6 of both rows: the row body's arithmetic, with the unsigned saturating
// subtraction for the lower clamp; the upper one (256 to 255) is left to the
// saturating pack.
__attribute__((target("avx2"))) inline __m256i MapLanes(__m256i c0, __m256i c3, __m256i c6, __m256i p0,
                                                        __m256i p3, __m256i p6) {
    const __m256i sc = _mm256_add_epi16(_mm256_add_epi16(c0, c6), _mm256_add_epi16(c3, c3));
    const __m256i sp = _mm256_add_epi16(_mm256_add_epi16(p0, p6), _mm256_add_epi16(p3, p3));
    const __m256i m = _mm256_srli_epi16(_mm256_abs_epi16(_mm256_sub_epi16(sc, sp)), 2);
    const __m256i t = _mm256_min_epu16(_mm256_subs_epu16(m, _mm256_set1_epi16(48)), _mm256_set1_epi16(64));
    return _mm256_slli_epi16(t, 2);
}

__attribute__((target("avx2"))) inline __m256i Load32(const std::uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

// 32 bytes a step, widened to 16 bits within each 128-bit lane and packed
// back in order; the tail goes through the row body.
template <bool OrCurrent>
__attribute__((target("avx2"))) std::uint32_t MapRowAvx2(const std::uint8_t* c, const std::uint8_t* p,
                                                         std::uint8_t* out, int n) {
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
    return sum + DifferenceRowBody<OrCurrent>(c + k, p + k, out + k, n - k);
}

void InvertRowBaseline(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, int n) {
    for (int k = 0; k < n; ++k)
        out[k] = static_cast<std::uint8_t>(255 - in[k]);
}

__attribute__((target("avx2"))) void InvertRowAvx2(const std::uint8_t* __restrict in,
                                                   std::uint8_t* __restrict out, int n) {
    for (int k = 0; k < n; ++k)
        out[k] = static_cast<std::uint8_t>(255 - in[k]);
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

template <bool OrCurrent>
std::uint32_t MapRow(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int n) {
    return HasAvx2() ? MapRowAvx2<OrCurrent>(c, p, out, n) : MapRowBaseline<OrCurrent>(c, p, out, n);
}

void InvertRow(const std::uint8_t* in, std::uint8_t* out, int n) {
    HasAvx2() ? InvertRowAvx2(in, out, n) : InvertRowBaseline(in, out, n);
}

void OrBytes(const std::uint8_t* in, std::uint8_t* out, int n) {
    for (int k = 0; k < n; ++k)
        out[k] = static_cast<std::uint8_t>(out[k] | in[k]);
}

// Gives dest the size of source as a 24-bit bitmap; keeps its pixel block
// when both already fit.
void FitTo(Bitmap24& dest, int width, int height) {
    dest.SetFormat(PixelFormat::Bits24);
    dest.SetSize(width, height);
}

// For a filter about to write dest's pixels: when dest's block is shared
// (the paint box keeps the last picture it was given), dest takes a fresh
// block instead of the copy of the whole picture its first write would make.
// With keepEdges the first and the last pixel of each row, which the map
// does not write, are carried over (whole rows below 3 pixels).
void OwnBlock(Bitmap24& dest, bool keepEdges) {
    if (dest.Image().isNull() || dest.Image().isDetached())
        return;
    const QImage old = dest.Image();
    dest.UnshareForOverwrite();
    if (!keepEdges)
        return;
    const int rowBytes = 3 * dest.Width();
    for (int row = 0; row < dest.Height(); ++row) {
        const std::uint8_t* from = old.constScanLine(row);
        std::uint8_t* to = dest.ScanLine(row);
        if (rowBytes < 9) {
            std::memcpy(to, from, std::size_t(rowBytes));
            continue;
        }
        std::memcpy(to, from, 3);
        std::memcpy(to + rowBytes - 3, from + rowBytes - 3, 3);
    }
}

bool Comparable(const Bitmap24& current, const Bitmap24& previous) {
    return current.Width() == previous.Width() && current.Height() == previous.Height() &&
           current.Format() == PixelFormat::Bits24 && previous.Format() == PixelFormat::Bits24;
}

// The map over all rows; OrCurrent also lifts the middle bytes with current.
// Returns the sum of the map values.
template <bool OrCurrent>
std::uint64_t MapRows(const Bitmap24& current, const Bitmap24& previous, Bitmap24& dest) {
    const int width = current.Width();
    const int height = current.Height();
    const int n = 3 * width - 6;
    if (n <= 0)
        return 0;
    const std::uint8_t* c = current.Bits();
    const std::uint8_t* p = previous.Bits();
    std::uint8_t* d = dest.Bits();
    const std::ptrdiff_t cs = current.BytesPerLine(), ps = previous.BytesPerLine(), ds = dest.BytesPerLine();
    std::uint64_t sum = 0;
    for (int row = 0; row < height; ++row, c += cs, p += ps, d += ds)
        sum += MapRow<OrCurrent>(c, p, d + 3, n);
    return sum;
}

// The ratio of a map sum over all bytes of a width x height frame.
double Ratio(std::uint64_t sum, int width, int height) {
    const double full = 3.0 * width * height * 255.0;
    return full > 0.0 ? static_cast<double>(sum) / full : 0.0;
}

} // namespace

std::uint8_t MapDifference(int d) {
    return static_cast<std::uint8_t>(MapMagnitude(d < 0 ? -d : d));
}

void InvertBitmap(const Bitmap24& source, Bitmap24& dest) {
    const int width = source.Width(), height = source.Height();
    FitTo(dest, width, height);
    if (source.Format() != PixelFormat::Bits24)
        return; // only 24-bit frames reach the pane; anything else stays black
    OwnBlock(dest, false);
    for (int row = 0; row < height; ++row)
        InvertRow(source.ScanLine(row), dest.ScanLine(row), 3 * width);
}

void GrayScaleBitmap(const Bitmap24& source, Bitmap24& dest) {
    const int width = source.Width(), height = source.Height();
    FitTo(dest, width, height);
    if (source.Format() != PixelFormat::Bits24)
        return;
    OwnBlock(dest, false);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* in = source.ScanLine(row);
        std::uint8_t* out = dest.ScanLine(row);
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            const auto v = static_cast<std::uint8_t>((100 * in[0] + 128 * in[1] + 28 * in[2]) >> 8);
            out[0] = out[1] = out[2] = v;
        }
    }
}

void DifferenceBitmap(const Bitmap24& current, const Bitmap24& previous, double& ratio, Bitmap24& dest) {
    ratio = 0.0;
    if (!Comparable(current, previous)) {
        FitTo(dest, 1, 1);
        return;
    }
    FitTo(dest, current.Width(), current.Height());
    OwnBlock(dest, true);
    ratio = Ratio(MapRows<false>(current, previous, dest), current.Width(), current.Height());
}

void HighlightDifferences(const Bitmap24& current, const Bitmap24& previous, double& ratio, Bitmap24& dest) {
    ratio = 0.0;
    if (!Comparable(current, previous)) {
        FitTo(dest, 1, 1);
        // As after any failed comparison, the 1 x 1 map is lifted when the
        // frame is one pixel wide too.
        if (current.Width() == 1 && current.Format() == PixelFormat::Bits24)
            OrBytes(current.ScanLine(0), dest.ScanLine(0), 3);
        return;
    }
    const int width = current.Width(), height = current.Height();
    FitTo(dest, width, height);
    OwnBlock(dest, true);
    // The map and the lift of its middle bytes in one pass; the edge pixels,
    // which the map leaves alone, are lifted here.
    ratio = Ratio(MapRows<true>(current, previous, dest), width, height);
    const int last = 3 * (width - 1);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* c = current.ScanLine(row);
        std::uint8_t* d = dest.ScanLine(row);
        if (width < 3) {
            OrBytes(c, d, 3 * width);
            continue;
        }
        OrBytes(c, d, 3);
        OrBytes(c + last, d + last, 3);
    }
}

} // namespace kamsel::pane
