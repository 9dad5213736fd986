#pragma once
// A V4L2 video capture node (/dev/videoN) as a media::VideoDevice.
//
// Threads: every member runs on the owning thread; the sink's callbacks run on
// the stream's own thread (see V4l2Stream). Frames reach the sink uncopied,
// straight from the driver's mapped buffer (capacity: the buffer's length;
// bytesUsed: the driver's bytesused), except BGR24 frames, which are copied
// once, rows reversed, since RGB24 samples run bottom-up. The sink must not
// call back into the device (StopStreaming would wait for its own thread).
// An unplugged camera ends its stream through FrameSink::OnStreamEnded; the
// device then answers every call with an error, and StopStreaming still works.

#include "UniqueFd.h"
#include "V4l2Io.h"
#include "V4l2Stream.h"
#include "platform/media/VideoDevice.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace kamsel::v4l2 {

class V4l2Device final : public media::VideoDevice {
  public:
    // path: the node ("/dev/video2"); cardName: the driver's card name, shown as is.
    V4l2Device(std::shared_ptr<V4l2Io> io, std::string path, std::string cardName);
    ~V4l2Device() override;

    std::string FriendlyName() const override { return cardName_; }
    std::string Location() const override { return path_; }

    // Opens the node (non-blocking) and checks that it still captures video.
    // Opening an open device does nothing.
    media::DeviceStatus Open() override;

    std::vector<media::VideoMode> Modes() override;
    media::VideoMode CurrentMode() override;
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

    // Frames of the current or last stream that the driver returned but that
    // were not passed on (marked damaged, empty, larger than their buffer, or
    // short of a full BGR24 frame). Any thread.
    std::uint64_t DroppedFrames() const { return dropped_.load(); }

  private:
    media::DeviceStatus NotOpen() const;
    // A stream that ended on its own (unplug) is cleared away first.
    bool Streaming();

    std::shared_ptr<V4l2Io> io_;
    std::string path_;
    std::string cardName_;
    UniqueFd fd_;
    std::atomic<std::uint64_t> dropped_{0};
    std::unique_ptr<V4l2Stream> stream_; // after fd_: goes first
};

} // namespace kamsel::v4l2
