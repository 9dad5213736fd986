#pragma once
// PixelKernels: the row kernels over 24-bit pixels (blue, green, red bytes)
// that every layer uses: the expansion to 32-bit pixels and back, and the
// display filters' rows (invert, grey, difference map). Each member is the
// kernel of one level (CpuLevel.h) or, where that level has none of its own,
// of the next level below; all levels give the same bytes as Plain.
//
// Kernels read and write only the bytes of the pixels they are given; input
// and output must not overlap.
//
// Threads: any; the kernels keep no state.

#include "platform/media/CpuLevel.h"

#include <cstdint>

namespace kamsel::media {

struct PixelKernels {
    using Rows = void (*)(const std::uint8_t* in, std::uint8_t* out, int count);
    using MapRow = std::uint32_t (*)(const std::uint8_t* current, const std::uint8_t* previous,
                                     std::uint8_t* out, int bytes);

    CpuLevel Level = CpuLevel::Plain;

    // pixels x 3 bytes in, pixels x 4 bytes out: blue, green, red, 255; as
    // words on this little-endian machine 0xffRRGGBB, the toolkit's RGB32.
    Rows ExpandToOpaqueBgra = nullptr;
    // pixels x 4 bytes in, pixels x 3 bytes out; the fourth byte is dropped.
    Rows DropAlpha = nullptr;
    // count bytes: each b becomes 255 - b.
    Rows InvertRow = nullptr;
    // count pixels: each becomes grey v = (100 * blue + 128 * green + 28 * red)
    // / 256, remainder dropped (the weights sum to 256: v fits a byte), in all
    // three bytes.
    Rows GrayRow = nullptr;
    // The difference map over bytes bytes: out[k] is DifferenceMap::Value of
    // the 1-2-1 smoothed sums of bytes k, k + 3, k + 6 of current minus those
    // of previous, divided by 4 with truncation toward zero. current and
    // previous hold bytes + 6 bytes (out starts at their second pixel).
    // Returns the sum of the values.
    MapRow DifferenceRow = nullptr;
    // As DifferenceRow, with each value OR-ed with current[k + 3] in out; the
    // sum is that of the map values alone.
    MapRow HighlightRow = nullptr;

    // The kernels of level, which must run here (CpuLevelRuns).
    static PixelKernels For(CpuLevel level);
    // The kernels of DetectedCpuLevel(), chosen once.
    static const PixelKernels& Best();
};

} // namespace kamsel::media
