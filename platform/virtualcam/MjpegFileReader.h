#pragma once
// Reader of motion-JPEG files (.mjpeg, .mjpg): JPEG images one after another.
//
// Frames are found by walking each image's marker segments by their lengths and
// its entropy-coded data past stuffed bytes (FF 00) and restart markers, from
// start of image (SOI) to end of image (EOI). The first usable image's frame
// header (SOF) gives the size. An image whose structure is broken, that lacks
// a frame header or scan, or whose size differs from the first is skipped and
// the search goes on at the next SOI; an image cut off by the end of the file
// is left out. Played as "MJPG" at 30 frames per second, in buffers like a
// camera's: Mode().sampleSize is width * height * 2 or the largest frame, if
// larger.

#include "platform/virtualcam/ByteSource.h"
#include "platform/virtualcam/VideoFileReader.h"

#include <memory>
#include <vector>

namespace kamsel::virtualcam {

class MjpegFileReader final : public VideoFileReader {
  public:
    static constexpr std::int32_t kMaxDimension = 16384;
    static constexpr std::uint64_t kMaxSampleBytes = 256u << 20;
    static constexpr std::size_t kMaxFrames = std::size_t{1} << 22;
    static constexpr std::int64_t kFrameInterval = 333'333;

    // Finds the frames of `source`. Fails, naming the source and the reason,
    // when it holds no usable image or cannot be read; `reader` is then left empty.
    static media::DeviceStatus Open(std::unique_ptr<ByteSource> source,
                                    std::unique_ptr<MjpegFileReader>& reader);

    const media::VideoMode& Mode() const override { return mode_; }
    std::size_t FrameCount() const override { return frames_.size(); }
    // Copies the JPEG image as it is in the file; bytesUsed is its length.
    media::DeviceStatus ReadFrame(std::size_t index, std::span<std::uint8_t> dst,
                                  std::size_t& bytesUsed) override;

  private:
    struct Frame {
        std::uint64_t offset;
        std::uint32_t length;
    };
    explicit MjpegFileReader(std::unique_ptr<ByteSource> source);
    media::DeviceStatus FindFrames();

    std::unique_ptr<ByteSource> source_;
    media::VideoMode mode_;
    std::vector<Frame> frames_;
};

} // namespace kamsel::virtualcam
