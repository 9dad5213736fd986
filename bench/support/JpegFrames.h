#pragma once
// Motion-JPEG input for the decoding benchmarks, and TurboJPEG's decoder as
// their anchor.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kamsel::bench {

struct FrameSize {
    int width, height;
};
inline constexpr FrameSize kFrameSizes[] = {{640, 480}, {1280, 720}, {1920, 1080}};

std::string SizeName(FrameSize s);

// A camera-like picture, smooth gradients with a little noise: rows of blue,
// green, red bytes, top first, without padding.
std::vector<std::uint8_t> CameraBgr(FrameSize s);

// CameraBgr as a 4:2:2 JPEG of quality 85. Exits the program if TurboJPEG cannot compress it.
std::vector<std::uint8_t> CameraJpeg(FrameSize s);

// The anchor: tjDecompress2 of jpeg into blue, green, red bytes.
void TurboJpegDecode(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& jpeg);

} // namespace kamsel::bench
