#pragma once
// Packing planar YCbCr (4:2:0 or 4:2:2) into the sample layouts cameras
// deliver: packed YUY2, planar I420, and bottom-up BGR (RGB24, as a DIB).

#include <cstddef>
#include <cstdint>

namespace kamsel::virtualcam {

// Planes of one picture. Chroma rows cover 2 luma rows when chromaRowShift is
// 1 (4:2:0) and 1 luma row when it is 0 (4:2:2); chroma columns always cover 2
// luma columns. Width must be even.
struct PlanarView {
    const std::uint8_t* y = nullptr;
    const std::uint8_t* u = nullptr;
    const std::uint8_t* v = nullptr;
    std::size_t yStride = 0;
    std::size_t chromaStride = 0;
    int width = 0;
    int height = 0;
    int chromaRowShift = 1;
};

// Y0 U Y1 V per pixel pair; width * height * 2 bytes.
void PackYuy2(const PlanarView& picture, std::uint8_t* out);
// Y plane, then U, then V, without padding; 4:2:0 pictures only.
void PackI420(const PlanarView& picture, std::uint8_t* out);
// Bytes of one RGB24 row: 3 per pixel, rounded up to 4 as DIB rows are.
std::size_t Rgb24Stride(int width);
// BT.601 studio-range YCbCr to blue-green-red, bottom row first;
// Rgb24Stride(width) * height bytes.
void PackRgb24BottomUp(const PlanarView& picture, std::uint8_t* out);

} // namespace kamsel::virtualcam
