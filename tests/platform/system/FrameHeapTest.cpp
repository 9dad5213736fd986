#include "platform/system/FrameHeap.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace kamsel::system {
namespace {

TEST(FrameHeap, FrameSizedBlocksStayInTheHeapAfterTheyAreFreed) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator ignores glibc's heap settings";
#endif
    ASSERT_TRUE(KeepFrameSizedHeapBlocks());
    constexpr std::size_t kFrameBytes = 1920 * 1080 * 4;

    const std::size_t mappedBefore = mallinfo2().hblkhd;
    char* volatile block = static_cast<char*>(std::malloc(kFrameBytes));
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, kFrameBytes);
    // From the heap, not from a mapping of its own that free would unmap...
    EXPECT_EQ(mallinfo2().hblkhd, mappedBefore);
    const std::size_t heapBytes = mallinfo2().arena;
    std::free(block);
    // ...and not trimmed off the heap's top when freed, so the next frame's
    // block reuses pages that are already there.
    EXPECT_EQ(mallinfo2().arena, heapBytes);
}

} // namespace
} // namespace kamsel::system
