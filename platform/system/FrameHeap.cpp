#include "FrameHeap.h"

#include <malloc.h>

namespace kamsel::system {

bool KeepFrameSizedHeapBlocks() {
    // Larger than the frames cameras send (1920x1080 in 32 bits is 8 MiB), and
    // the largest mmap threshold glibc accepts on 64-bit systems: it refuses
    // anything above 32 MiB.
    constexpr int kFrameBlockBytes = 32 * 1024 * 1024;
    const bool mmapSet = mallopt(M_MMAP_THRESHOLD, kFrameBlockBytes) != 0;
    const bool trimSet = mallopt(M_TRIM_THRESHOLD, kFrameBlockBytes) != 0;
    return mmapSet && trimSet;
}

} // namespace kamsel::system
