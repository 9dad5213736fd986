#pragma once
// The picture of the pattern camera: still colour bars over the upper two
// thirds and a grey ramp (black on the left, white on the right) below; over
// them a ball that crosses the bars to and fro, and a clock box in the top-left
// corner with the stream's elapsed time and frame number. Between two frames
// only the ball and the clock's changing digits differ.

#include "platform/virtualcam/YuvImage.h"

#include <string>

namespace kamsel::virtualcam {

class PatternScene {
  public:
    // The still part, drawn once per picture size.
    static void DrawBackground(YuvImage& image);
    // The moving parts of frame `frameIndex` of a stream with `frameInterval`
    // (100 ns units), drawn over the background.
    static void DrawMovingParts(YuvImage& image, std::uint64_t frameIndex, std::int64_t frameInterval);
    // "HH:MM:SS.mmm #NNNNNN": elapsed time of the frame and its number.
    static std::string ClockText(std::uint64_t frameIndex, std::int64_t frameInterval);
};

} // namespace kamsel::virtualcam
