#pragma once
// The stream formats of one open V4L2 capture node: what it offers, what is in
// force, and switching to another. Holds no state of its own; every call asks
// the driver. Runs on the device's owning thread.

#include "V4l2Io.h"
#include "platform/media/VideoDevice.h"

#include <linux/videodev2.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kamsel::v4l2 {

class V4l2Modes {
  public:
    // fd is an open capture node at path (named in messages); both outlive this.
    V4l2Modes(V4l2Io& io, int fd, const std::string& path) : io_(io), fd_(fd), path_(path) {}

    // One mode per pixel format and frame size, in the driver's order: discrete
    // sizes as listed; for a stepwise or continuous range the common sizes
    // (320x240, 640x480, 1280x720, 1920x1080) that lie on it, then its largest.
    // frameInterval is the offered interval nearest to 30 frames per second
    // (30 when the driver lists none); min/max span what the driver offers.
    std::vector<media::VideoMode> List();

    // The mode in force; an all-zero mode when the driver cannot tell.
    media::VideoMode Current();

    // Sets pixel format and size, then the frame interval (the driver picks
    // the nearest rate it has). Fails when the driver chose another pixel
    // format or size than asked; Current() then shows its choice.
    media::DeviceStatus Apply(const media::VideoMode& mode);

    // The format in force, as the driver states it.
    media::DeviceStatus ReadFormat(v4l2_format& format);

  private:
    struct Size {
        std::uint32_t width;
        std::uint32_t height;
    };
    struct IntervalRange {
        std::int64_t nearest30;
        std::int64_t min;
        std::int64_t max;
    };

    std::vector<v4l2_fmtdesc> PixelFormats();
    std::vector<Size> FrameSizes(std::uint32_t pixelFormat);
    std::vector<Size> SizesOfRange(const v4l2_frmsize_stepwise& range);
    IntervalRange FrameIntervals(std::uint32_t pixelFormat, std::uint32_t width, std::uint32_t height);
    std::uint32_t SampleSize(const v4l2_fmtdesc& format, const Size& size);
    media::VideoMode MakeMode(const v4l2_fmtdesc& format, const Size& size);
    bool FindPixelFormat(std::uint32_t fourcc, std::uint32_t& pixelFormat);
    media::DeviceStatus ApplyFrameInterval(std::int64_t interval);

    V4l2Io& io_;
    int fd_;
    std::string path_;
};

} // namespace kamsel::v4l2
