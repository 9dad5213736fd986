#pragma once
// Heap settings for a process that decodes video frames.

namespace kamsel::system {

// Motion-JPEG decoding allocates and frees several frame-sized blocks per
// frame. glibc would return each to the kernel and fault the pages in again
// on the next frame, which at 1920x1080 costs more than the decoding itself;
// keeping freed blocks in the heap makes the allocations cheap. Call once at
// start-up, before any thread is started. Returns whether the heap took the
// settings; without them everything works, only more slowly.
bool KeepFrameSizedHeapBlocks();

} // namespace kamsel::system
