#include "SystemTickSource.h"

#include <chrono>

namespace kamsel::system {

std::uint32_t timeGetTime() noexcept {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    // Keep the low 32 bits: the counter wraps like the platform's.
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(milliseconds));
}

const TickSource& SystemTicks() noexcept {
    static const SystemTickSource ticks;
    return ticks;
}

} // namespace kamsel::system
