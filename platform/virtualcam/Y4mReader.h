#pragma once
// Reader of YUV4MPEG2 (.y4m) files: a text header line ("YUV4MPEG2 W640 H480
// F30:1 C420jpeg ...") and frames, each a "FRAME" line (optional parameters)
// followed by the raw planes.
//
// 4:2:0 files (C420, C420jpeg, C420paldv, C420mpeg2, or no C) play as "I420";
// 4:2:2 files (C422) play as "YUY2", converted from planar on read. Other
// colour spaces, odd sizes, sizes above 16384 or frames above 256 MiB are
// refused before anything is allocated. A truncated last frame is left out.

#include "platform/virtualcam/ByteSource.h"
#include "platform/virtualcam/VideoFileReader.h"

#include <memory>
#include <vector>

namespace kamsel::virtualcam {

class Y4mReader final : public VideoFileReader {
  public:
    static constexpr std::int32_t kMaxDimension = 16384;
    static constexpr std::uint64_t kMaxFrameBytes = 256u << 20;
    // Frames beyond this many are not indexed (over a day of video at 30 fps).
    static constexpr std::size_t kMaxFrames = std::size_t{1} << 22;

    // Parses the header and indexes the frames of `source`. On failure the
    // status names the source and the reason, and `reader` is left empty.
    static media::DeviceStatus Open(std::unique_ptr<ByteSource> source, std::unique_ptr<Y4mReader>& reader);

    const media::VideoMode& Mode() const override { return mode_; }
    std::size_t FrameCount() const override { return frameOffsets_.size(); }
    media::DeviceStatus ReadFrame(std::size_t index, std::span<std::uint8_t> dst,
                                  std::size_t& bytesUsed) override;

  private:
    Y4mReader(std::unique_ptr<ByteSource> source, const media::VideoMode& mode, bool planar422,
              std::uint64_t planeBytes);
    media::DeviceStatus IndexFrames(std::uint64_t firstFrame);

    std::unique_ptr<ByteSource> source_;
    media::VideoMode mode_;
    bool planar422_ = false;
    std::uint64_t planeBytes_ = 0; // bytes of one frame in the file
    std::vector<std::uint64_t> frameOffsets_;
    std::vector<std::uint8_t> planes_; // 4:2:2 frames are read here, then packed
};

} // namespace kamsel::virtualcam
