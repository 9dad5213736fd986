#include "platform/system/SystemTickSource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace kamsel::system {
namespace {

std::uint32_t SteadyMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TEST(SystemTicks, AreMonotonicMillisecondsModulo2To32) {
    const std::uint32_t before = SteadyMilliseconds();
    const std::uint32_t tick = timeGetTime();
    const std::uint32_t after = SteadyMilliseconds();
    // The tick lies between two readings of the monotonic clock in ms, wrap
    // included; a tick in other units or of another clock would not.
    EXPECT_LE(TicksBetween(before, tick), TicksBetween(before, after));

    // sleep_for waits at least its duration on the steady clock, so the tick
    // must have advanced by at least as many milliseconds.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(TicksBetween(tick, SystemTicks().Now()), 20u);
}

TEST(TickArithmetic, DifferencesWrapModulo2To32) {
    EXPECT_EQ(TicksBetween(1000, 1990), 990u);
    EXPECT_EQ(TicksBetween(0xFFFFFF00u, 0x000000DEu), 0x1DEu); // across the wrap
    EXPECT_EQ(TicksBetween(5, 5), 0u);

    EXPECT_EQ(TickDistance(2000, 1000), 1000);
    EXPECT_EQ(TickDistance(1000, 2001), 1001);
    EXPECT_EQ(TickDistance(0x00000100u, 0xFFFFFF00u), 0x200); // later tick wrapped
    EXPECT_EQ(TickDistance(0xFFFFFF00u, 0x00000100u), 0x200);
    // Ticks 2^31 apart: the signed difference is INT32_MIN, whose absolute
    // value does not fit 32 bits.
    EXPECT_EQ(TickDistance(0x80000000u, 0), 2147483648LL);
    EXPECT_EQ(TickDistance(0, 0x80000000u), 2147483648LL);
    // Static tests of the same helpers at compile time.
    static_assert(TicksBetween(0xFFFFFFFFu, 0) == 1u);
    static_assert(TickDistance(0, 0xFFFFFFFFu) == 1);
}

} // namespace
} // namespace kamsel::system
