#pragma once
// FrameSource: what the frame handler takes from the pane's frame facade: the
// newest frame as a bitmap and the facade's own rate and drop counts. The
// program passes a VideoImageFrames over its TVideoImage; tests pass frames
// of their own.
//
// Threads: user-interface thread only.

#include "frames/Bitmap24.h"

#include <cstdint>

namespace kamsel::pane {

class FrameSource {
  public:
    virtual ~FrameSource() = default;
    // Copies the newest frame (size, pixel format, pixels) into target.
    virtual void GetBitmap(frames::Bitmap24& target) = 0;
    // Arrival rate of samples at the facade, per second.
    virtual double FramesPerSecond() const = 0;
    // Samples and frame messages the facade dropped.
    virtual std::int32_t SkippedFrames() const = 0;
};

} // namespace kamsel::pane
