#pragma once
// One device object of a FakeCamera, as an enumeration makes it. It streams
// the camera's pushed frames on a thread of its own.

#include "FakeCamera.h"

#include "platform/media/VideoDevice.h"

#include <memory>
#include <thread>

namespace kamsel::dshow::fake {

class FakeVideoDevice final : public media::VideoDevice {
  public:
    explicit FakeVideoDevice(std::shared_ptr<FakeCamera> camera);
    ~FakeVideoDevice() override;

    std::string FriendlyName() const override { return camera_->Name(); }
    std::string Location() const override { return "fake:" + camera_->Name(); }
    media::DeviceStatus Open() override;
    std::vector<media::VideoMode> Modes() override;
    media::VideoMode CurrentMode() override { return camera_->CurrentMode(); }
    media::DeviceStatus SetMode(const media::VideoMode& mode) override;
    media::DeviceStatus StartStreaming(media::FrameSink& sink) override;
    void StopStreaming() override;
    media::DeviceStatus GetImageControlRange(media::ImageControl control,
                                             media::ImageControlRange& range) override;
    media::DeviceStatus GetImageControl(media::ImageControl control, std::int32_t& value,
                                        std::int32_t& flags) override;
    media::DeviceStatus SetImageControl(media::ImageControl control, std::int32_t value,
                                        std::int32_t flags) override;
    std::vector<media::DeviceControl> Controls() override;
    media::DeviceStatus GetControl(std::uint32_t id, std::int32_t& value) override;
    media::DeviceStatus SetControl(std::uint32_t id, std::int32_t value) override;

  private:
    media::DeviceStatus NotOpen() const;
    void Stream(media::FrameSink& sink);

    const std::shared_ptr<FakeCamera> camera_;
    bool open_ = false;
    std::thread thread_; // the streaming thread while streaming
};

} // namespace kamsel::dshow::fake
