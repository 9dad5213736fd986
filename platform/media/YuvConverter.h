#pragma once
// Scan-line kernels that turn 8-bit Y, U, V samples into blue, green, red
// bytes with the BT.601 studio-range tables (StandardYuvTables, and the frame
// facade's own copy). The frame decoder and the preview renderer both convert
// through here, so a picture has the same colours wherever it is shown.
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
//
// The table loop is the reference. On x86-64, vector kernels (SSE2, the
// baseline, and AVX2 or AVX-512 BW and VBMI where CpuLevel says the processor
// runs them) produce the same bytes from 16-bit integer arithmetic, as
// look-ups do not vectorise; a unit test compares each with the table loop for
// every (y, u, v) triple.

#include <cstdint>

namespace kamsel::media {

enum class YuvTerm { Y, UG, UB, VR, VG };

// Which code converts the rows: the table loop, or vector kernels that
// reproduce the standard tables bit for bit (see simd/YuvSimd.h).
enum class YuvKernel { Scalar, Sse2, Avx2, Avx512, Best };

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
    // Vector kernels compute the standard tables' values themselves, so they
    // serve only tables equal to those TermValue and ClipValue define (as
    // StandardYuvTables and TVideoImage::InitYUVTables build them), and only
    // once their arithmetic has been checked against every entry of those
    // (once per process); other tables get the table loop. Best picks the
    // fastest kernel this processor runs; a kernel it cannot run falls back to
    // the next.
    explicit YuvConverter(const YuvTables& tables, YuvKernel kernel = YuvKernel::Best);

    static bool KernelAvailable(YuvKernel kernel);
    YuvKernel Kernel() const { return kernel_; }

    // Entry i (0..255) of a table: round-half-even((i * A + B) / 1000) with the
    // coefficients scaled by 1000 to integers.
    static std::int32_t TermValue(YuvTerm term, int i);
    // Entry index (-1023..1023) of ClipTable: 0 below 0, the index up to 255, 255 above.
    static std::uint8_t ClipValue(int index);

    // pairs pixel pairs from separate planes: pixel 2p from (y[2p], u[p], v[p]),
    // pixel 2p + 1 from (y[2p + 1], u[p], v[p]); writes 6 * pairs bytes to out.
    void PlanarRow(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int pairs,
                   std::uint8_t* out) const {
        PlanarRows(y, nullptr, u, v, pairs, out, nullptr);
    }
    // Two rows that share one chroma row, as rows 2k and 2k + 1 of a 4:2:0
    // picture do: y0 into out0 and y1 into out1 (both null for one row).
    void PlanarRows(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                    const std::uint8_t* v, int pairs, std::uint8_t* out0, std::uint8_t* out1) const;
    // pairs pixel pairs packed as y0, u, y1, v (4 * pairs bytes); writes 6 * pairs bytes.
    void PackedRow(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) const;

    // One pixel, for reference and tests: blue, green, red into out[0..2].
    void Pixel(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out) const;

  private:
    std::uint8_t Clip(std::int32_t s) const {
        // s div 256 rounding toward zero: negative sums are biased up first.
        return t_.Clip[(s + ((s >> 31) & 255)) >> 8];
    }

    // The table loop's step: one pixel pair sharing chroma (u, v).
    void ScalarPair(std::uint8_t y0, std::uint8_t y1, std::uint8_t u, std::uint8_t v,
                    std::uint8_t* out) const;
    void ScalarPlanar(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int pairs,
                      std::uint8_t* out) const;
    void ScalarPacked(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) const;

    using PlanarKernel = int (*)(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*,
                                 const std::uint8_t*, int, std::uint8_t*, std::uint8_t*);
    using PackedKernel = int (*)(const std::uint8_t*, int, std::uint8_t*);

    YuvTables t_;
    YuvKernel kernel_ = YuvKernel::Scalar;
    PlanarKernel planar_ = nullptr;
    PackedKernel packed_ = nullptr;
};

} // namespace kamsel::media
