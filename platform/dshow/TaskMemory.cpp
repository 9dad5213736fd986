#include "ComApi.h"

#include <atomic>
#include <cstdlib>

namespace kamsel::dshow {

namespace {
// Counts blocks for leak checks in tests; relaxed is enough for a count.
std::atomic<long> liveBlocks{0};
} // namespace

void* CoTaskMemAlloc(std::size_t bytes) {
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block)
        liveBlocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void CoTaskMemFree(void* block) {
    if (!block)
        return;
    liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(block);
}

long LiveTaskMemBlocks() {
    return liveBlocks.load(std::memory_order_relaxed);
}

} // namespace kamsel::dshow
