#pragma once
// Makes the hand-off of an object through the toolkit's event queue visible to
// the race detector.
//
// An event or functor posted to another thread's queue is built on the posting
// thread and read on the receiving one. The queue's own lock orders the two,
// but the toolkit is not built with the race detector, so that order is
// invisible to it and every such hand-off would be reported as a race. The
// poster calls Publish() after building what it posts and before posting; the
// receiver calls Receive() before reading it. Together they form a
// release/acquire pair the detector understands; at run time they cost one
// atomic add per post.

#include <atomic>
#include <cstdint>

namespace kamsel::system {

class QueuedHandOff {
  public:
    // Any thread, after the object to post is complete and before posting it.
    void Publish() { published_.fetch_add(1, std::memory_order_acq_rel); }

    // The receiving thread, before it reads what was posted.
    void Receive() const { (void)published_.load(std::memory_order_acquire); }

  private:
    // Counts posts; only its release/acquire ordering matters. The adds form
    // one release sequence, so a receiver synchronises with every poster.
    std::atomic<std::uint64_t> published_{0};
};

} // namespace kamsel::system
