#include "platform/system/UiThread.h"

#include <gtest/gtest.h>

#include <thread>

namespace kamsel::system {
namespace {

// The test main's application runs on this thread; any other thread is off it,
// and an entry point reached from there ends the program naming itself.
TEST(UiThread, OnlyTheApplicationsThreadIsOnIt) {
    EXPECT_TRUE(OnUiThread());
    bool elsewhere = true;
    std::thread([&] { elsewhere = OnUiThread(); }).join();
    EXPECT_FALSE(elsewhere);
    AssertUiThread("here");
    EXPECT_DEATH(std::thread([] { AssertUiThread("TheEntryPoint"); }).join(),
                 "TheEntryPoint was called off the user-interface thread");
}

} // namespace
} // namespace kamsel::system
