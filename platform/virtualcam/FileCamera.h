#pragma once
// A virtual camera that plays a video file (Y4M or MJPEG) in a loop at the
// file's frame rate, in the file's one format. Open reads and checks the file;
// a missing or malformed file fails there, with a message naming the file and
// the reason. A file that becomes unreadable while streaming ends the stream
// through FrameSink::OnStreamEnded.
//
// Threads: as VideoDevice.

#include "platform/media/VideoDevice.h"
#include "platform/virtualcam/StreamingThread.h"
#include "platform/virtualcam/VideoFileReader.h"
#include "platform/virtualcam/VirtualCameraDeclaration.h"

#include <memory>

namespace kamsel::virtualcam {

class FileCamera final : public media::VideoDevice {
  public:
    // `source` is the kind of file `path` names (not Pattern).
    FileCamera(std::string friendlyName, std::string path, VirtualCameraDeclaration::Source source);
    ~FileCamera() override;

    std::string FriendlyName() const override { return name_; }
    std::string Location() const override { return path_; }
    media::DeviceStatus Open() override;

    std::vector<media::VideoMode> Modes() override;
    media::VideoMode CurrentMode() override;
    // Only the file's own format; a frame interval of 0 is accepted for it.
    media::DeviceStatus SetMode(const media::VideoMode& mode) override;

    media::DeviceStatus StartStreaming(media::FrameSink& sink) override;
    void StopStreaming() override;

    // A file has no image controls: every one answers -EINVAL.
    media::DeviceStatus GetImageControlRange(media::ImageControl control,
                                             media::ImageControlRange& range) override;
    media::DeviceStatus GetImageControl(media::ImageControl control, std::int32_t& value,
                                        std::int32_t& flags) override;
    media::DeviceStatus SetImageControl(media::ImageControl control, std::int32_t value,
                                        std::int32_t flags) override;
    std::vector<media::DeviceControl> Controls() override { return {}; }
    media::DeviceStatus GetControl(std::uint32_t id, std::int32_t& value) override;
    media::DeviceStatus SetControl(std::uint32_t id, std::int32_t value) override;

  private:
    media::DeviceStatus NotOpen() const;
    media::DeviceStatus NoControl() const;
    bool PlayFrame(media::FrameSink& sink);

    std::string name_;
    std::string path_;
    VirtualCameraDeclaration::Source source_;
    // Used by the streaming thread while it runs, by the owning thread otherwise.
    std::unique_ptr<VideoFileReader> reader_;
    std::vector<std::uint8_t> buffer_;
    std::size_t nextFrame_ = 0;
    StreamingThread thread_;
};

} // namespace kamsel::virtualcam
