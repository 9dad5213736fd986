#include "platform/system/FrameHeap.h"

#include <gtest/gtest.h>

namespace kamsel::system {
namespace {

TEST(FrameHeap, GlibcTakesTheSettings) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator ignores glibc's heap settings";
#endif
    // glibc refuses an mmap threshold above its maximum, and then every
    // frame-sized block goes back to the kernel after each frame again.
    EXPECT_TRUE(KeepFrameSizedHeapBlocks());
}

} // namespace
} // namespace kamsel::system
