#pragma once
// A millisecond tick counter, 32 bits wide, as the rate and idle measurements
// use it. Ticks wrap to 0 after 2^32 ms (about 49.7 days), so differences are
// taken modulo 2^32 with the helpers below, never with a plain subtraction in
// a wider type.
//
// Code that measures time takes a TickSource& so tests can drive the clock;
// the program passes SystemTicks().

#include <cstdint>

namespace kamsel::system {

class TickSource {
  public:
    virtual ~TickSource() = default;
    // The current tick in milliseconds. Safe to call from any thread.
    virtual std::uint32_t Now() const noexcept = 0;
};

// Milliseconds from earlier to later, as an unsigned count modulo 2^32: a
// later tick that has wrapped past 0 still gives the elapsed time.
constexpr std::uint32_t TicksBetween(std::uint32_t earlier, std::uint32_t later) noexcept {
    return later - earlier;
}

// How far apart two ticks are: the absolute value of their difference taken as
// a signed 32-bit number. Computed in 64 bits, so two ticks 2^31 apart give
// 2147483648 instead of overflowing.
constexpr std::int64_t TickDistance(std::uint32_t a, std::uint32_t b) noexcept {
    const auto difference = static_cast<std::int32_t>(a - b);
    return difference < 0 ? -static_cast<std::int64_t>(difference) : difference;
}

} // namespace kamsel::system
