#pragma once
// VideoImageFrames: the frame handler's view of a pane's frame facade.
//
// Threads: user-interface thread only.

#include "frames/TVideoImage.h"
#include "pane/FrameSource.h"

namespace kamsel::pane {

class VideoImageFrames final : public FrameSource {
  public:
    // video must outlive this object.
    explicit VideoImageFrames(frames::TVideoImage& video) : video_(video) {}

    void GetBitmap(frames::Bitmap24& target) override { video_.GetBitmap(target); }
    double FramesPerSecond() const override { return video_.FramesPerSecond.load(std::memory_order_relaxed); }
    std::int32_t SkippedFrames() const override {
        return video_.SkippedFrames.load(std::memory_order_relaxed);
    }

  private:
    frames::TVideoImage& video_;
};

} // namespace kamsel::pane
