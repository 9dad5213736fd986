#pragma once
// The vector row kernels behind PixelKernels on x86-64, one unit per level,
// each compiled for its level alone (simd/CMakeLists.txt). Each converts
// whole blocks from the start of the row and leaves the rest to the plain
// kernels, which it calls itself, so that the callers see whole rows. A
// kernel may only run where its level runs (CpuLevelRuns).

#include <cstdint>

namespace kamsel::media::simd {

void ExpandToOpaqueBgraSsse3(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels);
void DropAlphaSsse3(const std::uint8_t* bgra, std::uint8_t* bgr, int pixels);
void GrayRowSsse3(const std::uint8_t* in, std::uint8_t* out, int pixels);

void ExpandToOpaqueBgraAvx2(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels);
void InvertRowAvx2(const std::uint8_t* in, std::uint8_t* out, int bytes);
void GrayRowAvx2(const std::uint8_t* in, std::uint8_t* out, int pixels);
std::uint32_t DifferenceRowAvx2(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int bytes);
std::uint32_t HighlightRowAvx2(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int bytes);

} // namespace kamsel::media::simd

namespace kamsel::media::plain {

// The plain kernels (PixelKernels.cpp): PixelKernels::For(CpuLevel::Plain),
// and the vector kernels' finish of a row.
void ExpandToOpaqueBgra(const std::uint8_t* bgr, std::uint8_t* bgra, int pixels);
void DropAlpha(const std::uint8_t* bgra, std::uint8_t* bgr, int pixels);
void InvertRow(const std::uint8_t* in, std::uint8_t* out, int bytes);
void GrayRow(const std::uint8_t* in, std::uint8_t* out, int pixels);
std::uint32_t DifferenceRow(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int bytes);
std::uint32_t HighlightRow(const std::uint8_t* c, const std::uint8_t* p, std::uint8_t* out, int bytes);

} // namespace kamsel::media::plain
