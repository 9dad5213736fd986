#include "YuvConverter.h"

#include "CpuLevel.h"
#include "StandardYuvTables.h"

#include <cstring>

#if KAMSEL_YUV_SIMD
#include "platform/media/simd/YuvSimd.h"
#endif

namespace kamsel::media {

namespace {

struct Coefficients {
    std::int64_t perStep; // coefficient x 1000
    std::int64_t offset;  // offset x 1000
};

Coefficients CoefficientsOf(YuvTerm term) {
    switch (term) {
    case YuvTerm::Y:
        return {298082, 0};
    case YuvTerm::UG:
        return {-100291, 0};
    case YuvTerm::UB:
        return {516412, -70870016};
    case YuvTerm::VR:
        return {408583, -57067776};
    case YuvTerm::VG:
        return {-208120, 34707456};
    }
    return {0, 0};
}

// n / 1000 rounded to the nearest integer, halves to the even neighbour.
std::int32_t DivideRoundHalfEven(std::int64_t n) {
    std::int64_t q = n / 1000;
    std::int64_t r = n % 1000;
    if (r < 0) { // make q the floor and r non-negative
        q -= 1;
        r += 1000;
    }
    if (r > 500 || (r == 500 && (q & 1) != 0))
        q += 1;
    return static_cast<std::int32_t>(q);
}

// The vector kernels' arithmetic reproduces every entry of the standard
// tables; checked once, on first use.
bool KernelsExact() {
#if KAMSEL_YUV_SIMD
    static const bool exact = [] {
        const YuvTables t = StandardYuvTables::Shared().View();
        return simd::CoreMatchesTables(t.Y, t.UG, t.UB, t.VR, t.VG);
    }();
    return exact;
#else
    return false;
#endif
}

bool SameTables(const YuvTables& a, const YuvTables& b) {
    constexpr std::size_t kTerm = 256 * sizeof(std::int32_t);
    return std::memcmp(a.Y, b.Y, kTerm) == 0 && std::memcmp(a.UG, b.UG, kTerm) == 0 &&
           std::memcmp(a.UB, b.UB, kTerm) == 0 && std::memcmp(a.VR, b.VR, kTerm) == 0 &&
           std::memcmp(a.VG, b.VG, kTerm) == 0 && std::memcmp(a.Clip - 1023, b.Clip - 1023, 2047) == 0;
}

} // namespace

YuvConverter::YuvConverter(const YuvTables& tables, YuvKernel kernel) : t_(tables) {
    if (kernel == YuvKernel::Best || !KernelAvailable(kernel))
        kernel = KernelAvailable(YuvKernel::Avx512) ? YuvKernel::Avx512
                 : KernelAvailable(YuvKernel::Avx2) ? YuvKernel::Avx2
                 : KernelAvailable(YuvKernel::Sse2) ? YuvKernel::Sse2
                                                    : YuvKernel::Scalar;
    if (kernel != YuvKernel::Scalar && !SameTables(tables, StandardYuvTables::Shared().View()))
        kernel = YuvKernel::Scalar;
    kernel_ = kernel;
#if KAMSEL_YUV_SIMD
    if (kernel == YuvKernel::Avx512) {
        planar_ = &simd::PlanarRowsAvx512;
        packed_ = &simd::PackedRowAvx512;
    } else if (kernel == YuvKernel::Avx2) {
        planar_ = &simd::PlanarRowsAvx2;
        packed_ = &simd::PackedRowAvx2;
    } else if (kernel == YuvKernel::Sse2) {
        planar_ = &simd::PlanarRowsSse2;
        packed_ = &simd::PackedRowSse2;
    }
#endif
}

bool YuvConverter::KernelAvailable(YuvKernel kernel) {
    switch (kernel) {
    case YuvKernel::Scalar:
    case YuvKernel::Best:
        return true;
#if KAMSEL_YUV_SIMD
    case YuvKernel::Sse2:
        return KernelsExact();
    case YuvKernel::Avx2:
        return KernelsExact() && CpuLevelRuns(CpuLevel::Avx2);
    case YuvKernel::Avx512:
        return KernelsExact() && CpuLevelRuns(CpuLevel::Avx512);
#else
    case YuvKernel::Sse2:
    case YuvKernel::Avx2:
    case YuvKernel::Avx512:
        return false;
#endif
    }
    return false;
}

std::int32_t YuvConverter::TermValue(YuvTerm term, int i) {
    const Coefficients c = CoefficientsOf(term);
    return DivideRoundHalfEven(c.perStep * i + c.offset);
}

std::uint8_t YuvConverter::ClipValue(int index) {
    if (index < 0)
        return 0;
    return index > 255 ? 255 : static_cast<std::uint8_t>(index);
}

void YuvConverter::Pixel(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out) const {
    const std::int32_t luma = t_.Y[y];
    out[0] = Clip(luma + t_.UB[u]);
    out[1] = Clip(luma + t_.UG[u] + t_.VG[v]);
    out[2] = Clip(luma + t_.VR[v]);
}

void YuvConverter::PlanarRows(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                              const std::uint8_t* v, int pairs, std::uint8_t* out0,
                              std::uint8_t* out1) const {
    const int done = planar_ != nullptr && pairs > 0 ? planar_(y0, y1, u, v, pairs, out0, out1) : 0;
    ScalarPlanar(y0 + 2 * done, u + done, v + done, pairs - done, out0 + 6 * done);
    if (y1 != nullptr)
        ScalarPlanar(y1 + 2 * done, u + done, v + done, pairs - done, out1 + 6 * done);
}

void YuvConverter::PackedRow(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) const {
    const int done = packed_ != nullptr && pairs > 0 ? packed_(yuyv, pairs, out) : 0;
    ScalarPacked(yuyv + 4 * done, pairs - done, out + 6 * done);
}

void YuvConverter::ScalarPair(std::uint8_t y0, std::uint8_t y1, std::uint8_t u, std::uint8_t v,
                              std::uint8_t* out) const {
    const std::int32_t blue = t_.UB[u];
    const std::int32_t green = t_.UG[u] + t_.VG[v];
    const std::int32_t red = t_.VR[v];
    const std::int32_t luma0 = t_.Y[y0];
    const std::int32_t luma1 = t_.Y[y1];
    out[0] = Clip(luma0 + blue);
    out[1] = Clip(luma0 + green);
    out[2] = Clip(luma0 + red);
    out[3] = Clip(luma1 + blue);
    out[4] = Clip(luma1 + green);
    out[5] = Clip(luma1 + red);
}

void YuvConverter::ScalarPlanar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v,
                                int pairs, std::uint8_t* out) const {
    for (int p = 0; p < pairs; ++p, y += 2, out += 6)
        ScalarPair(y[0], y[1], u[p], v[p], out);
}

void YuvConverter::ScalarPacked(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) const {
    for (int p = 0; p < pairs; ++p, yuyv += 4, out += 6)
        ScalarPair(yuyv[0], yuyv[2], yuyv[1], yuyv[3], out);
}

} // namespace kamsel::media
