#include "PixelFormats.h"

#include "platform/media/VideoDevice.h"

#include <linux/videodev2.h>

namespace kamsel::v4l2 {

std::uint32_t FourCCFromPixelFormat(std::uint32_t pixelFormat) {
    switch (pixelFormat) {
    case V4L2_PIX_FMT_YUYV:
        return media::FourCC("YUY2");
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG:
        return media::FourCC("MJPG");
    case V4L2_PIX_FMT_YUV420:
        return media::FourCC("I420");
    case V4L2_PIX_FMT_YVU420:
        return media::FourCC("YV12");
    case V4L2_PIX_FMT_BGR24:
        return media::kFourCCRgb24;
    default:
        // V4L2 codes are built the same way as FourCCs: four letters, lowest first.
        return pixelFormat;
    }
}

std::uint16_t BitCountOf(std::uint32_t pixelFormat) {
    switch (pixelFormat) {
    case V4L2_PIX_FMT_GREY:
        return 8;
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YVU420:
    case V4L2_PIX_FMT_NV12:
    case V4L2_PIX_FMT_NV21:
        return 12;
    case V4L2_PIX_FMT_YUYV:
    case V4L2_PIX_FMT_YVYU:
    case V4L2_PIX_FMT_UYVY:
    case V4L2_PIX_FMT_VYUY:
    case V4L2_PIX_FMT_RGB565:
    case V4L2_PIX_FMT_RGB555:
    case V4L2_PIX_FMT_Y16:
        return 16;
    case V4L2_PIX_FMT_BGR24:
    case V4L2_PIX_FMT_RGB24:
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG:
        return 24;
    case V4L2_PIX_FMT_BGR32:
    case V4L2_PIX_FMT_RGB32:
    case V4L2_PIX_FMT_XBGR32:
    case V4L2_PIX_FMT_ABGR32:
    case V4L2_PIX_FMT_XRGB32:
    case V4L2_PIX_FMT_ARGB32:
        return 32;
    default:
        return 0;
    }
}

bool DeliveredBottomUp(std::uint32_t pixelFormat) {
    return pixelFormat == V4L2_PIX_FMT_BGR24;
}

std::uint32_t BottomUpStride(std::uint32_t width) {
    return (width * 3 + 3) & ~3u;
}

std::uint32_t PackedFrameSize(std::uint32_t pixelFormat, std::uint32_t width, std::uint32_t height) {
    if (DeliveredBottomUp(pixelFormat))
        return BottomUpStride(width) * height;
    if (pixelFormat == V4L2_PIX_FMT_MJPEG || pixelFormat == V4L2_PIX_FMT_JPEG)
        return 0;
    const std::uint64_t bits = std::uint64_t{width} * height * BitCountOf(pixelFormat);
    return static_cast<std::uint32_t>((bits + 7) / 8);
}

std::vector<DriverPlane> DriverPlanes(const v4l2_pix_format& format) {
    const std::uint16_t bits = BitCountOf(format.pixelformat);
    if (bits == 0 || DeliveredBottomUp(format.pixelformat) || format.pixelformat == V4L2_PIX_FMT_MJPEG ||
        format.pixelformat == V4L2_PIX_FMT_JPEG || format.width > kMaxDimension ||
        format.height > kMaxDimension)
        return {};
    const std::uint32_t width = format.width;
    const std::uint32_t height = format.height;
    const bool planar = bits == 12;
    // The luma plane of a 4:2:0 format has a byte a pixel.
    const std::uint32_t rowBytes = planar ? width : width * (bits / 8);
    const std::uint32_t stride = format.bytesperline == 0 ? rowBytes : format.bytesperline;
    std::vector<DriverPlane> planes{{rowBytes, height, stride}};
    switch (format.pixelformat) {
    case V4L2_PIX_FMT_YUV420:
    case V4L2_PIX_FMT_YVU420: {
        // Odd sizes round up, as in the kernel's own layout: the last pixel
        // column and row have chroma of their own.
        const DriverPlane chroma{(width + 1) / 2, (height + 1) / 2, (stride + 1) / 2};
        planes.push_back(chroma);
        planes.push_back(chroma);
        break;
    }
    case V4L2_PIX_FMT_NV12:
    case V4L2_PIX_FMT_NV21:
        planes.push_back({width, height / 2, stride});
        break;
    default:
        break;
    }
    return planes;
}

std::size_t PackedSizeOf(const std::vector<DriverPlane>& planes) {
    std::size_t size = 0;
    for (const DriverPlane& plane : planes)
        size += std::size_t{plane.rowBytes} * plane.rows;
    return size;
}

std::uint32_t DeliveredFrameSize(const v4l2_pix_format& format) {
    if (DeliveredBottomUp(format.pixelformat))
        return PackedFrameSize(format.pixelformat, format.width, format.height);
    if (const std::vector<DriverPlane> planes = DriverPlanes(format); !planes.empty())
        return static_cast<std::uint32_t>(PackedSizeOf(planes));
    return format.sizeimage;
}

} // namespace kamsel::v4l2
