#pragma once
// CpuLevel: the instruction-set levels the pixel kernels are written for, in
// rising order, and the one place that asks the processor which it runs. The
// kernels are chosen through PixelKernels and YuvConverter, which take a level,
// so that a test can run every level this machine has, the plain loops
// included, against each other.
//
// Off x86-64 only Plain runs.
//
// Threads: any; the answer is computed once and never changes.

namespace kamsel::media {

enum class CpuLevel {
    Plain,  // portable C++, vectorised by the compiler where it can
    Sse2,   // the x86-64 baseline
    Ssse3,  // byte shuffles (pshufb), multiply-add of bytes (pmaddubsw)
    Avx2,   // 256-bit integer vectors
    Avx512, // AVX-512 F, BW and VBMI
};

// The highest level this processor and system run: every level up to it runs.
CpuLevel DetectedCpuLevel();

// level <= DetectedCpuLevel().
bool CpuLevelRuns(CpuLevel level);

// "plain", "sse2", "ssse3", "avx2", "avx512", for test and benchmark names.
const char* CpuLevelName(CpuLevel level);

} // namespace kamsel::media
