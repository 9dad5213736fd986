#pragma once
// Pictures for the still-image decoding tests, encoded in the test itself
// (libjpeg, libpng, a small BMP writer) so no binary files are kept.

#include <array>
#include <cstdint>
#include <vector>

namespace kamsel::testimages {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A picture as red, green, blue per pixel, top row first.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Saturated colours in 32 x 32 blocks: wide enough that chroma subsampling
// and the JPEG transform leave the middle of each block at its colour.
constexpr int kBlockSize = 32;
const std::array<Rgb, 8>& BlockColours();
RgbPicture ColourBlocks(int width, int height);
Rgb BlockColourAt(int x, int y);

struct JpegOptions {
    int hSampling = 2; // luma sampling factors: 2x2 is 4:2:0, 2x1 is 4:2:2, 1x1 is 4:4:4
    int vSampling = 2;
    int quality = 95;
    bool progressive = false;
};
Bytes EncodeJpeg(const RgbPicture& picture, const JpegOptions& options = {});
Bytes EncodeGrayJpeg(int width, int height);
// The same JPEG without its DHT segments, as many cameras send their frames.
Bytes StripHuffmanTables(const Bytes& jpeg);

// Smooth gradients with noise, as a camera sees a scene: every block carries
// detail in luma and chroma.
RgbPicture CameraScene(int width, int height);
// libjpeg's own decoding of a colour JPEG to blue, green, red rows (accurate
// integer transform, fancy upsampling: the library's defaults); empty if
// libjpeg fails.
Bytes DecodeJpegToBgr(const Bytes& jpeg);

struct Rgba {
    std::uint8_t r, g, b, a;
};
// A palette PNG of bitDepth 1, 2, 4 or 8; entries with alpha < 255 go into tRNS.
Bytes EncodeIndexedPng(int width, int height, const std::vector<std::uint8_t>& indices,
                       const std::vector<Rgba>& palette, int bitDepth = 8);
Bytes EncodeRgbaPng(int width, int height, const std::vector<Rgba>& pixels);

// An uncompressed BMP (BITMAPINFOHEADER) of 24 or 32 bits per pixel, rows
// bottom-up unless topDown.
Bytes EncodeBmp(const RgbPicture& picture, int bitCount, bool topDown = false);
// An 8-bit palette BMP.
Bytes EncodeIndexedBmp(int width, int height, const std::vector<std::uint8_t>& indices,
                       const std::vector<Rgb>& palette);
// A 16-bit BMP with 5-6-5 bit fields.
Bytes EncodeRgb565Bmp(const RgbPicture& picture);

} // namespace kamsel::testimages
