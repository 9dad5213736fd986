#pragma once
// BgrToRgb32: one row of 24-bit pixels (blue, green, red bytes) as 32-bit
// words 0xffRRGGBB, the layout of the toolkit's RGB32 images on this
// little-endian machine. The paint box runs it for every row of every frame,
// so it has vector versions; each gives exactly the words of the plain one.
//
// Threads: any; the functions keep no state but the processor check.

#include <cstdint>

namespace kamsel::pane {

// The fastest version this processor runs. source holds 3 * pixels bytes,
// target pixels words; they must not overlap.
void BgrToRgb32(const std::uint8_t* source, std::uint32_t* target, int pixels);

// The versions, for tests and benchmarks. The vector ones may only run where
// the processor has their instructions.
void BgrToRgb32Plain(const std::uint8_t* source, std::uint32_t* target, int pixels);
void BgrToRgb32Ssse3(const std::uint8_t* source, std::uint32_t* target, int pixels);
void BgrToRgb32Avx2(const std::uint8_t* source, std::uint32_t* target, int pixels);
bool BgrToRgb32HasSsse3();
bool BgrToRgb32HasAvx2();

} // namespace kamsel::pane
