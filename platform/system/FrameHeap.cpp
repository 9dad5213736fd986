#include "FrameHeap.h"

#include <malloc.h>

namespace kamsel::system {

bool KeepFrameSizedHeapBlocks() {
    // Larger than the frames cameras send: 3840x2160 in 32 bits is 33 MB.
    constexpr int kFrameBlockBytes = 64 * 1024 * 1024;
    const bool mmapSet = mallopt(M_MMAP_THRESHOLD, kFrameBlockBytes) != 0;
    const bool trimSet = mallopt(M_TRIM_THRESHOLD, kFrameBlockBytes) != 0;
    return mmapSet && trimSet;
}

} // namespace kamsel::system
