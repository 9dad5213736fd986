#pragma once
// How V4L2 pixel formats are offered to the rest of the program: under the
// FourCC the platform names them by, with the bit count and frame size a
// BITMAPINFOHEADER would state.

#include <linux/videodev2.h>

#include <cstddef>
#include <cstdint>
#include <vector>

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

// One plane of an uncompressed frame in the driver's buffer: rows of rowBytes
// bytes of pixels, stride bytes apart (the driver may pad each row).
struct DriverPlane {
    std::uint32_t rowBytes = 0;
    std::uint32_t rows = 0;
    std::uint32_t stride = 0;
};

// The planes of a top-down frame of format, in buffer order, with the
// driver's row stride (bytesperline; 0 means unpadded rows): one plane for
// packed formats; for YU12 and YV12 the luma plane and two chroma planes of
// half the width and height whose stride is half the luma stride, as V4L2
// defines it; for NV12 and NV21 the luma plane and one interleaved chroma
// plane of half the height. None for compressed, unknown and bottom-up
// (BGR24) formats. A driver's stride may be shorter than its row: callers
// refuse such a format.
std::vector<DriverPlane> DriverPlanes(const v4l2_pix_format& format);

// Bytes of a frame of these planes with packed rows.
std::size_t PackedSizeOf(const std::vector<DriverPlane>& planes);

// Bytes of one frame as the stream hands it on: packed rows for the formats
// with DriverPlanes, the bottom-up layout for BGR24, the driver's sizeimage
// for the rest.
std::uint32_t DeliveredFrameSize(const v4l2_pix_format& format);

} // namespace kamsel::v4l2
