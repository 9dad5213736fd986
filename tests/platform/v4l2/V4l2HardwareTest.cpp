// Runs against the machine's own cameras, when it has any.

#include "platform/v4l2/V4l2DeviceSource.h"

#include <gtest/gtest.h>

namespace kamsel::v4l2 {
namespace {

TEST(V4l2Hardware, FirstCameraOpensAndStatesItsModes) {
    auto devices = V4l2DeviceSource().Enumerate();
    if (devices.empty())
        GTEST_SKIP() << "no V4L2 video capture device on this machine";
    media::VideoDevice& camera = *devices.front();

    const media::DeviceStatus status = camera.Open();

    ASSERT_TRUE(status.Ok()) << status.message;
    EXPECT_FALSE(camera.Modes().empty()) << camera.Location();
    EXPECT_GT(camera.CurrentMode().width, 0) << camera.Location();
}

} // namespace
} // namespace kamsel::v4l2
