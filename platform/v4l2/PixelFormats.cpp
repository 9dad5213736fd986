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

std::string FourCCText(std::uint32_t fourcc) {
    if (fourcc == media::kFourCCRgb24)
        return "RGB24";
    std::string text;
    for (int shift = 0; shift < 32; shift += 8) {
        const char letter = static_cast<char>((fourcc >> shift) & 0xff);
        text += letter >= 0x20 && letter < 0x7f ? letter : '?';
    }
    return text;
}

} // namespace kamsel::v4l2
