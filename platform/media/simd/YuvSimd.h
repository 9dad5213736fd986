#pragma once
// Vector scan-line kernels for the YUV conversions of YuvConverter, bit-exact
// with the tables that YuvConverter::TermValue and ClipValue define.
//
// Each kernel converts a whole number of blocks from the start of the row
// (SSE2: 8 pairs, AVX2: 16 pairs, AVX-512: 32 pairs) and returns how many pairs it converted;
// the caller converts the rest with the table loop. They read and write only
// the bytes of the pairs they convert. The AVX2 and AVX-512 kernels may be
// called only where CpuLevel::Avx2 and CpuLevel::Avx512 run (CpuLevel.h).

#include <cstdint>

namespace kamsel::media::simd {

// Planar: one or two rows (y1 and out1 null for one) that share the chroma
// rows u and v; the chroma terms are computed once for both.
int PlanarRowsSse2(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                   const std::uint8_t* v, int pairs, std::uint8_t* out0, std::uint8_t* out1);
int PackedRowSse2(const std::uint8_t* yuyv, int pairs, std::uint8_t* out);
int PlanarRowsAvx2(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                   const std::uint8_t* v, int pairs, std::uint8_t* out0, std::uint8_t* out1);
int PackedRowAvx2(const std::uint8_t* yuyv, int pairs, std::uint8_t* out);
int PlanarRowsAvx512(const std::uint8_t* y0, const std::uint8_t* y1, const std::uint8_t* u,
                     const std::uint8_t* v, int pairs, std::uint8_t* out0, std::uint8_t* out1);
int PackedRowAvx512(const std::uint8_t* yuyv, int pairs, std::uint8_t* out);

// Runs the kernels' arithmetic on single values and compares every entry it
// stands for with the given tables: each of TableY, TableUB, TableVR, and
// TableUG[u] + TableVG[v] for every (u, v). The kernels are exact only with
// tables for which this holds.
bool CoreMatchesTables(const std::int32_t* y, const std::int32_t* ug, const std::int32_t* ub,
                       const std::int32_t* vr, const std::int32_t* vg);

} // namespace kamsel::media::simd
