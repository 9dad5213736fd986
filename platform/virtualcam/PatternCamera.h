#pragma once
// A virtual camera that films a drawn, moving scene (see PatternScene) at 30
// frames per second (or another rate it is made with), with the image controls of a typical USB camera that
// change the picture (see PatternControls). Its formats, in capability order:
// YUY2 640x480, YUY2 1280x720, YUY2 320x240, MJPG 640x480, MJPG 1280x720,
// MJPG 1920x1080, I420 640x480, RGB24 320x240, YUY2 1920x1080, I420 1280x720,
// I420 1920x1080; YUY2 640x480 is
// in force at first. Like a real camera, MJPG samples come in buffers of
// width * height * 2 bytes whose tail keeps what earlier frames left, and RGB24
// samples are bottom-up.
//
// Threads: as VideoDevice. The image controls may also be set while
// streaming; the next frame shows them.

#include "platform/media/VideoDevice.h"
#include "platform/virtualcam/PatternControls.h"
#include "platform/virtualcam/PatternRenderer.h"
#include "platform/virtualcam/StreamingThread.h"

namespace kamsel::virtualcam {

class PatternCamera final : public media::VideoDevice {
  public:
    static constexpr std::int64_t kFrameInterval = 333'333;

    // The formats at frames per second `rate`; every one offers that rate only.
    static std::vector<media::VideoMode> OfferedModes(int rate = 30);

    explicit PatternCamera(std::string friendlyName, int rate = 30);
    ~PatternCamera() override;

    std::string FriendlyName() const override { return name_; }
    std::string Location() const override { return "pattern"; }
    media::DeviceStatus Open() override;

    std::vector<media::VideoMode> Modes() override;
    media::VideoMode CurrentMode() override;
    // Takes one of Modes() by format and size; a frame interval of 0 or within
    // the offered range is accepted. Fails while streaming.
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
    bool ProduceFrame(media::FrameSink& sink);

    std::string name_;
    int rate_;
    bool open_ = false;
    media::VideoMode mode_;
    PatternControls controls_;
    // Used by the streaming thread while it runs, by the owning thread otherwise.
    PatternRenderer renderer_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t frameIndex_ = 0;
    StreamingThread thread_;
};

} // namespace kamsel::virtualcam
