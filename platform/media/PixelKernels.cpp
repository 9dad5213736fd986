#include "PixelKernels.h"

#include "DifferenceMap.h"
#include "simd/PixelSimd.h"

#include <bit>
#include <cstring>

namespace kamsel::media {

namespace plain {

namespace {

// The expansion reads three pixels' bytes as little-endian words, and callers
// take the four bytes out as the toolkit's 0xffRRGGBB word.
static_assert(std::endian::native == std::endian::little, "pixel rows assume a little-endian machine");

constexpr std::uint32_t kOpaque = 0xff000000u;

void StoreWord(std::uint8_t* at, std::uint32_t word) {
    std::memcpy(at, &word, sizeof word);
}

// One row of the difference map; with OrCurrent, out gets each value OR-ed
// with the current byte. Written without branches on data so that the
// compiler vectorises it in 16-bit lanes at every level.
template <bool OrCurrent>
std::uint32_t MapRow(const std::uint8_t* __restrict c, const std::uint8_t* __restrict p,
                     std::uint8_t* __restrict out, int n) {
    std::uint32_t sum = 0;
    for (int k = 0; k < n; ++k) {
        // The smoothed sums reach 1020; their difference fits 16 bits, and
        // |difference| / 4 equals the magnitude of the difference divided by 4
        // with truncation toward zero.
        const int sc = c[k] + 2 * c[k + 3] + c[k + 6];
        const int sp = p[k] + 2 * p[k + 3] + p[k + 6];
        const int d = sc - sp;
        const int value = DifferenceMap::Magnitude((d < 0 ? -d : d) >> 2);
        sum += static_cast<std::uint32_t>(value);
        out[k] = static_cast<std::uint8_t>(OrCurrent ? (value | c[k + 3]) : value);
    }
    return sum;
}

} // namespace

void ExpandToOpaqueBgra(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels) {
    // Read as a little-endian 24-bit number, the three bytes already are
    // 0xRRGGBB; four pixels are read as three words and split with shifts.
    int x = 0;
    for (; x + 4 <= pixels; x += 4, bgr += 12, bgra += 16) {
        std::uint32_t w[3];
        std::memcpy(w, bgr, sizeof w);
        StoreWord(bgra, kOpaque | (w[0] & 0xffffffu));
        StoreWord(bgra + 4, kOpaque | (w[0] >> 24) | ((w[1] & 0xffffu) << 8));
        StoreWord(bgra + 8, kOpaque | (w[1] >> 16) | ((w[2] & 0xffu) << 16));
        StoreWord(bgra + 12, kOpaque | (w[2] >> 8));
    }
    for (; x < pixels; ++x, bgr += 3, bgra += 4) {
        bgra[0] = bgr[0];
        bgra[1] = bgr[1];
        bgra[2] = bgr[2];
        bgra[3] = 255;
    }
}

void DropAlpha(const std::uint8_t* bgra, std::uint8_t* bgr, int pixels) {
    for (int x = 0; x < pixels; ++x, bgra += 4, bgr += 3) {
        bgr[0] = bgra[0];
        bgr[1] = bgra[1];
        bgr[2] = bgra[2];
    }
}

void InvertRow(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, int bytes) {
    for (int k = 0; k < bytes; ++k)
        out[k] = static_cast<std::uint8_t>(255 - in[k]);
}

void GrayRow(const std::uint8_t* in, std::uint8_t* out, int pixels) {
    for (int x = 0; x < pixels; ++x, in += 3, out += 3) {
        const auto v = static_cast<std::uint8_t>((100 * in[0] + 128 * in[1] + 28 * in[2]) >> 8);
        out[0] = out[1] = out[2] = v;
    }
}

std::uint32_t DifferenceRow(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int bytes) {
    return MapRow<false>(c, p, out, bytes);
}

std::uint32_t HighlightRow(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int bytes) {
    return MapRow<true>(c, p, out, bytes);
}

} // namespace plain

PixelKernels PixelKernels::For(CpuLevel level) {
    PixelKernels k;
    k.Level = level;
    k.ExpandToOpaqueBgra = plain::ExpandToOpaqueBgra;
    k.DropAlpha = plain::DropAlpha;
    k.InvertRow = plain::InvertRow;
    k.GrayRow = plain::GrayRow;
    k.DifferenceRow = plain::DifferenceRow;
    k.HighlightRow = plain::HighlightRow;
#if KAMSEL_PIXEL_SIMD
    if (level >= CpuLevel::Ssse3) {
        k.ExpandToOpaqueBgra = simd::ExpandToOpaqueBgraSsse3;
        k.DropAlpha = simd::DropAlphaSsse3;
        k.GrayRow = simd::GrayRowSsse3;
    }
    if (level >= CpuLevel::Avx2) {
        k.ExpandToOpaqueBgra = simd::ExpandToOpaqueBgraAvx2;
        k.InvertRow = simd::InvertRowAvx2;
        k.GrayRow = simd::GrayRowAvx2;
        k.DifferenceRow = simd::DifferenceRowAvx2;
        k.HighlightRow = simd::HighlightRowAvx2;
    }
#endif
    return k;
}

const PixelKernels& PixelKernels::Best() {
    static const PixelKernels best = For(DetectedCpuLevel());
    return best;
}

} // namespace kamsel::media
