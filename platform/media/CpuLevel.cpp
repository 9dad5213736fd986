#include "CpuLevel.h"

namespace kamsel::media {

namespace {

CpuLevel Detect() {
#if defined(__x86_64__)
    // Each level counts only with every level below it, so that a kernel
    // written for one may use the instructions of the lower ones.
    if (!__builtin_cpu_supports("ssse3"))
        return CpuLevel::Sse2;
    if (!__builtin_cpu_supports("avx2"))
        return CpuLevel::Ssse3;
    if (!(__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
          __builtin_cpu_supports("avx512vbmi")))
        return CpuLevel::Avx2;
    return CpuLevel::Avx512;
#else
    return CpuLevel::Plain;
#endif
}

} // namespace

CpuLevel DetectedCpuLevel() {
    // Asked on first use, not by a load-time resolver: one of those runs
    // before the thread sanitizer's runtime is up and crashes it.
    static const CpuLevel detected = Detect();
    return detected;
}

bool CpuLevelRuns(CpuLevel level) {
    return level <= DetectedCpuLevel();
}

const char* CpuLevelName(CpuLevel level) {
    switch (level) {
    case CpuLevel::Plain:
        return "plain";
    case CpuLevel::Sse2:
        return "sse2";
    case CpuLevel::Ssse3:
        return "ssse3";
    case CpuLevel::Avx2:
        return "avx2";
    case CpuLevel::Avx512:
        return "avx512";
    }
    return "?";
}

} // namespace kamsel::media
