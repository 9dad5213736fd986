#pragma once
// Motion-JPEG frames for tests, made with libjpeg as cameras make them.

#include <cstdint>
#include <functional>
#include <vector>

namespace kamsel::frames::test {

enum class Subsampling { S444, S422, S420 };

// Colour of pixel (x, y) as blue, green, red.
using PixelSource = std::function<void(int x, int y, std::uint8_t* bgr)>;

// A baseline JPEG with the standard Huffman tables, as a camera sends it.
std::vector<std::uint8_t> EncodeJpeg(int width, int height, Subsampling subsampling, const PixelSource& pixel,
                                     int quality = 95);

// The same file without its DHT segments, as many webcams send motion JPEG.
std::vector<std::uint8_t> StripHuffmanTables(const std::vector<std::uint8_t>& jpeg);

// Four quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
void Quadrants(int width, int height, int x, int y, std::uint8_t* bgr);

} // namespace kamsel::frames::test
