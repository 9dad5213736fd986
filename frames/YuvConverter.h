#pragma once
// Scan-line kernels that turn 8-bit Y, U, V samples into blue, green, red
// bytes with the BT.601 studio-range tables of TVideoImage.
//
// The colour of one pixel from luma y and its chroma pair (u, v):
//   blue  = Clip(TableY[y] + TableUB[u])
//   green = Clip(TableY[y] + TableUG[u] + TableVG[v])
//   red   = Clip(TableY[y] + TableVR[v])
// with Clip(s) = ClipTable[s div 256], the division rounding toward zero.
//
// Each table entry is i * coefficient + offset rounded to the nearest integer,
// ties to even, computed here in exact integer arithmetic so that no compiler
// setting (contraction into fused multiply-add, excess precision) changes it.

#include <cstdint>

namespace kamsel::frames {

enum class YuvTerm { Y, UG, UB, VR, VG };

// Read-only view of the six tables. Clip points at entry 0 of a table valid
// from Clip[-1023] to Clip[1023].
struct YuvTables {
    const std::int32_t* Y;
    const std::int32_t* UG;
    const std::int32_t* UB;
    const std::int32_t* VR;
    const std::int32_t* VG;
    const std::uint8_t* Clip;
};

class YuvConverter {
  public:
    // The tables must stay alive and unchanged while the converter is used.
    explicit YuvConverter(const YuvTables& tables) : t_(tables) {}

    // Entry i (0..255) of a table: round-half-even((i * A + B) / 1000) with the
    // coefficients scaled by 1000 to integers.
    static std::int32_t TermValue(YuvTerm term, int i);
    // Entry index (-1023..1023) of ClipTable: 0 below 0, the index up to 255, 255 above.
    static std::uint8_t ClipValue(int index);

    // pairs pixel pairs from separate planes: pixel 2p from (y[2p], u[p], v[p]),
    // pixel 2p + 1 from (y[2p + 1], u[p], v[p]); writes 6 * pairs bytes to out.
    void PlanarRow(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int pairs,
                   std::uint8_t* out) const;
    // pairs pixel pairs packed as y0, u, y1, v (4 * pairs bytes); writes 6 * pairs bytes.
    void PackedRow(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) const;

    // One pixel, for reference and tests: blue, green, red into out[0..2].
    void Pixel(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out) const;

  private:
    std::uint8_t Clip(std::int32_t s) const {
        // s div 256 rounding toward zero: negative sums are biased up first.
        return t_.Clip[(s + ((s >> 31) & 255)) >> 8];
    }

    YuvTables t_;
};

} // namespace kamsel::frames
