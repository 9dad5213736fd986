#pragma once
// Small video files built in memory for the reader and camera tests.

#include <cstdint>
#include <string_view>
#include <vector>

namespace kamsel::virtualcam::test {

using Bytes = std::vector<std::uint8_t>;

// Planar frames in one colour: Y plane, then U, then V.
Bytes Planes420(int width, int height, std::uint8_t y, std::uint8_t u, std::uint8_t v);
Bytes Planes422(int width, int height, std::uint8_t y, std::uint8_t u, std::uint8_t v);

// `header` (without the newline), then for each frame `frameLine`, a newline
// and the frame's bytes.
Bytes Y4mFile(std::string_view header, const std::vector<Bytes>& frames,
              std::string_view frameLine = "FRAME");

Bytes Concat(const std::vector<Bytes>& parts);

} // namespace kamsel::virtualcam::test
