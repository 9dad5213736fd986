#pragma once
// libjpeg round trips for tests: small JPEG images of one colour, and decoding
// of delivered frames.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kamsel::virtualcam::test {

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top-down, 3 bytes per pixel

    const std::uint8_t* Pixel(int x, int y) const {
        return rgb.data() +
               (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                   3;
    }
};

// A baseline JPEG of width x height in one colour.
std::vector<std::uint8_t> EncodeSolidJpeg(int width, int height, std::uint8_t red, std::uint8_t green,
                                          std::uint8_t blue);
// Decodes to RGB; nothing when libjpeg reports an error.
std::optional<DecodedImage> DecodeJpeg(std::span<const std::uint8_t> jpeg);

} // namespace kamsel::virtualcam::test
