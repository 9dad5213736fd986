#pragma once
// Draws the frames of the pattern camera in one stream format: the scene,
// then the image settings, then packing or encoding into the sample layout.
//
// Threads: one user at a time; the pattern camera configures it on its owning
// thread before streaming and renders on the streaming thread.

#include "platform/media/VideoDevice.h"
#include "platform/virtualcam/JpegEncoder.h"
#include "platform/virtualcam/PictureProcessor.h"
#include "platform/virtualcam/PictureSettings.h"
#include "platform/virtualcam/YuvImage.h"

#include <span>

namespace kamsel::virtualcam {

class PatternRenderer {
  public:
    // Samples of `fourcc` at this size: the frame's bytes, or for "MJPG" the
    // buffer a camera would hand out (width * height * 2).
    static std::uint32_t SampleSize(std::uint32_t fourcc, std::int32_t width, std::int32_t height);

    // Prepares for `mode` ("YUY2", "I420", "MJPG" or RGB24 at an even size)
    // and draws the still background; frames need no allocation afterwards.
    // `deviceName` starts the message of a refused mode.
    media::DeviceStatus Configure(const media::VideoMode& mode, const std::string& deviceName);

    // Draws frame `frameIndex` with `settings` into `out`, which holds the
    // mode's sampleSize bytes, and sets `bytesUsed`. For "MJPG" the bytes after
    // the image keep what earlier frames left there. Fails only when a JPEG
    // image does not fit the buffer.
    media::DeviceStatus Render(std::uint64_t frameIndex, const PictureSettings& settings,
                               std::span<std::uint8_t> out, std::size_t& bytesUsed);

  private:
    media::VideoMode mode_;
    std::string deviceName_ = "pattern";
    YuvImage background_;
    YuvImage picture_;
    PictureProcessor processor_;
    JpegEncoder encoder_;
};

} // namespace kamsel::virtualcam
