#pragma once
// The system's millisecond tick counter.

#include "platform/system/TickSource.h"

#include <cstdint>

namespace kamsel::system {

// Milliseconds of the monotonic clock (time since boot, not affected by
// changes of the wall clock), modulo 2^32. Safe to call from any thread.
std::uint32_t timeGetTime() noexcept;

// TickSource over timeGetTime. It holds no state.
class SystemTickSource final : public TickSource {
  public:
    std::uint32_t Now() const noexcept override { return timeGetTime(); }
};

// The one system tick source; immutable, shared by every user.
const TickSource& SystemTicks() noexcept;

} // namespace kamsel::system
