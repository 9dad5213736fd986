#pragma once
// A test fixture that opens a V4L2 device node of an emulated kernel.

#include "EmulatedV4l2Io.h"
#include "platform/v4l2/V4l2Device.h"

#include <gtest/gtest.h>

#include <memory>

namespace kamsel::v4l2::testing {

class EmulatedDeviceTest : public ::testing::Test {
  protected:
    static constexpr const char* kPath = "/dev/video2";

    // A fresh emulated kernel with camera at kPath, opened as the device
    // "Cam"; a device started before is closed first.
    void Start(EmulatedCamera camera) {
        device_.reset();
        io_ = std::make_shared<EmulatedV4l2Io>();
        io_->AddNode(kPath, std::move(camera));
        device_ = std::make_unique<V4l2Device>(io_, kPath, "Cam");
        const media::DeviceStatus status = device_->Open();
        ASSERT_TRUE(status.Ok()) << status.message;
    }

    std::shared_ptr<EmulatedV4l2Io> io_;
    std::unique_ptr<V4l2Device> device_;
};

} // namespace kamsel::v4l2::testing
