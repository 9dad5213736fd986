#pragma once
// How V4L2 pixel formats are offered to the rest of the program: under the
// FourCC the platform names them by, with the bit count and frame size a
// BITMAPINFOHEADER would state.

#include <cstdint>
#include <string>

namespace kamsel::v4l2 {

// Frame sizes beyond this are taken as a driver fault and not offered.
constexpr std::uint32_t kMaxDimension = 32768;

// YUYV -> "YUY2", MJPG and JPEG -> "MJPG", YU12 -> "I420", YV12 -> "YV12",
// BGR24 -> media::kFourCCRgb24; any other code is its own FourCC.
std::uint32_t FourCCFromPixelFormat(std::uint32_t pixelFormat);

// Bits per pixel of a known format (24 for motion JPEG, as cameras state it);
// 0 when the format is not known here.
std::uint16_t BitCountOf(std::uint32_t pixelFormat);

// Whether frames of this format are delivered bottom-up: V4L2 gives rows
// top-down, RGB24 samples run bottom-up.
bool DeliveredBottomUp(std::uint32_t pixelFormat);

// Row stride of a 24-bit bottom-up bitmap: 3 bytes a pixel, padded to 4 bytes.
std::uint32_t BottomUpStride(std::uint32_t width);

// Bytes of one frame of a known uncompressed format with unpadded rows (the
// bottom-up layout for BGR24); 0 when only the driver can tell (compressed or
// unknown formats). width and height are at most kMaxDimension.
std::uint32_t PackedFrameSize(std::uint32_t pixelFormat, std::uint32_t width, std::uint32_t height);

// A FourCC for messages: "YUY2", "RGB24"; bytes that are not printable show as '?'.
std::string FourCCText(std::uint32_t fourcc);

} // namespace kamsel::v4l2
