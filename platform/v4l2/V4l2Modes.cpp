#include "V4l2Modes.h"

#include "PixelFormats.h"
#include "SystemError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <numeric>

namespace kamsel::v4l2 {

namespace {

constexpr std::int64_t kUnitsPerSecond = 10'000'000; // frame intervals count 100 ns
constexpr std::int64_t kDefaultInterval = 333'333;   // 30 frames per second
// A driver that never ends a list must not hang us.
constexpr std::uint32_t kMaxListEntries = 1024;

struct CommonSize {
    std::uint32_t width;
    std::uint32_t height;
};
constexpr std::array<CommonSize, 4> kCommonSizes{{{320, 240}, {640, 480}, {1280, 720}, {1920, 1080}}};

// 0 for a fraction that is no interval.
std::int64_t IntervalOf(const v4l2_fract& fraction) {
    if (fraction.numerator == 0 || fraction.denominator == 0)
        return 0;
    return (kUnitsPerSecond * fraction.numerator + fraction.denominator / 2) / fraction.denominator;
}

v4l2_fract FractionOf(std::int64_t interval) {
    interval = std::min<std::int64_t>(interval, UINT32_MAX);
    const std::int64_t divisor = std::gcd(interval, kUnitsPerSecond);
    return {static_cast<std::uint32_t>(interval / divisor),
            static_cast<std::uint32_t>(kUnitsPerSecond / divisor)};
}

bool Usable(std::uint32_t width, std::uint32_t height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension;
}

bool OnRange(std::uint32_t value, std::uint32_t min, std::uint32_t max, std::uint32_t step) {
    return value >= min && value <= max && (value - min) % std::max(step, 1u) == 0;
}

std::string SizeText(std::uint32_t width, std::uint32_t height, std::uint32_t fourcc) {
    return std::to_string(width) + "x" + std::to_string(height) + " " + media::FourCCText(fourcc);
}

v4l2_format CaptureFormat() {
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    return format;
}

} // namespace

std::vector<media::VideoMode> V4l2Modes::List() {
    std::vector<media::VideoMode> modes;
    for (const v4l2_fmtdesc& format : PixelFormats())
        for (const Size& size : FrameSizes(format.pixelformat))
            modes.push_back(MakeMode(format, size));
    return modes;
}

std::vector<v4l2_fmtdesc> V4l2Modes::PixelFormats() {
    std::vector<v4l2_fmtdesc> formats;
    for (std::uint32_t index = 0; index < kMaxListEntries; ++index) {
        v4l2_fmtdesc format{};
        format.index = index;
        format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        // EINVAL marks the end of the list; any other failure ends it too.
        if (io_.Ioctl(fd_, VIDIOC_ENUM_FMT, &format) != 0)
            break;
        formats.push_back(format);
    }
    return formats;
}

std::vector<V4l2Modes::Size> V4l2Modes::FrameSizes(std::uint32_t pixelFormat) {
    std::vector<Size> sizes;
    for (std::uint32_t index = 0; index < kMaxListEntries; ++index) {
        v4l2_frmsizeenum entry{};
        entry.index = index;
        entry.pixel_format = pixelFormat;
        if (io_.Ioctl(fd_, VIDIOC_ENUM_FRAMESIZES, &entry) != 0)
            break;
        if (entry.type != V4L2_FRMSIZE_TYPE_DISCRETE)
            return SizesOfRange(entry.stepwise);
        if (Usable(entry.discrete.width, entry.discrete.height))
            sizes.push_back({entry.discrete.width, entry.discrete.height});
    }
    if (!sizes.empty())
        return sizes;
    // A driver that does not list sizes: offer the size it makes of the
    // current one in this pixel format.
    v4l2_format format = CaptureFormat();
    if (io_.Ioctl(fd_, VIDIOC_G_FMT, &format) != 0)
        return sizes;
    format.fmt.pix.pixelformat = pixelFormat;
    if (io_.Ioctl(fd_, VIDIOC_TRY_FMT, &format) == 0 && format.fmt.pix.pixelformat == pixelFormat &&
        Usable(format.fmt.pix.width, format.fmt.pix.height))
        sizes.push_back({format.fmt.pix.width, format.fmt.pix.height});
    return sizes;
}

std::vector<V4l2Modes::Size> V4l2Modes::SizesOfRange(const v4l2_frmsize_stepwise& range) {
    std::vector<Size> sizes;
    for (const CommonSize& common : kCommonSizes) {
        if (OnRange(common.width, range.min_width, range.max_width, range.step_width) &&
            OnRange(common.height, range.min_height, range.max_height, range.step_height) &&
            !(common.width == range.max_width && common.height == range.max_height))
            sizes.push_back({common.width, common.height});
    }
    if (Usable(range.max_width, range.max_height))
        sizes.push_back({range.max_width, range.max_height});
    return sizes;
}

V4l2Modes::IntervalRange V4l2Modes::FrameIntervals(std::uint32_t pixelFormat, std::uint32_t width,
                                                   std::uint32_t height) {
    std::vector<std::int64_t> intervals;
    for (std::uint32_t index = 0; index < kMaxListEntries; ++index) {
        v4l2_frmivalenum entry{};
        entry.index = index;
        entry.pixel_format = pixelFormat;
        entry.width = width;
        entry.height = height;
        if (io_.Ioctl(fd_, VIDIOC_ENUM_FRAMEINTERVALS, &entry) != 0)
            break;
        if (entry.type != V4L2_FRMIVAL_TYPE_DISCRETE) {
            const std::int64_t min = IntervalOf(entry.stepwise.min);
            const std::int64_t max = IntervalOf(entry.stepwise.max);
            if (min <= 0 || max < min)
                break;
            return {std::clamp(kDefaultInterval, min, max), min, max};
        }
        if (const std::int64_t interval = IntervalOf(entry.discrete); interval > 0)
            intervals.push_back(interval);
    }
    if (intervals.empty())
        return {kDefaultInterval, kDefaultInterval, kDefaultInterval};
    const auto [min, max] = std::minmax_element(intervals.begin(), intervals.end());
    // Nearest to 30 frames per second; of two equally near, the faster.
    const auto nearest =
        std::min_element(intervals.begin(), intervals.end(), [](std::int64_t a, std::int64_t b) {
            const std::int64_t da = std::llabs(a - kDefaultInterval), db = std::llabs(b - kDefaultInterval);
            return da < db || (da == db && a < b);
        });
    return {*nearest, *min, *max};
}

std::uint32_t V4l2Modes::SampleSize(const v4l2_fmtdesc& format, const Size& size) {
    if (!(format.flags & V4L2_FMT_FLAG_COMPRESSED))
        if (const std::uint32_t packed = PackedFrameSize(format.pixelformat, size.width, size.height))
            return packed;
    // Only the driver knows the buffer size of a compressed frame. Asking it
    // costs a round trip per mode, so uncompressed sizes are computed above.
    v4l2_format trial = CaptureFormat();
    trial.fmt.pix.width = size.width;
    trial.fmt.pix.height = size.height;
    trial.fmt.pix.pixelformat = format.pixelformat;
    trial.fmt.pix.field = V4L2_FIELD_ANY;
    if (io_.Ioctl(fd_, VIDIOC_TRY_FMT, &trial) != 0 || trial.fmt.pix.pixelformat != format.pixelformat ||
        trial.fmt.pix.width != size.width || trial.fmt.pix.height != size.height)
        return 0;
    return trial.fmt.pix.sizeimage;
}

media::VideoMode V4l2Modes::MakeMode(const v4l2_fmtdesc& format, const Size& size) {
    const IntervalRange intervals = FrameIntervals(format.pixelformat, size.width, size.height);
    media::VideoMode mode;
    mode.fourcc = FourCCFromPixelFormat(format.pixelformat);
    mode.width = static_cast<std::int32_t>(size.width);
    mode.height = static_cast<std::int32_t>(size.height);
    mode.bitCount = BitCountOf(format.pixelformat);
    mode.sampleSize = SampleSize(format, size);
    mode.frameInterval = intervals.nearest30;
    mode.minFrameInterval = intervals.min;
    mode.maxFrameInterval = intervals.max;
    return mode;
}

media::DeviceStatus V4l2Modes::ReadFormat(v4l2_format& format) {
    format = CaptureFormat();
    if (const int error = io_.Ioctl(fd_, VIDIOC_G_FMT, &format))
        return SystemError(error, "cannot read the format of " + path_);
    const v4l2_pix_format& pix = format.fmt.pix;
    if (!Usable(pix.width, pix.height))
        return {-EINVAL, path_ + " reports an unusable frame size " + std::to_string(pix.width) + "x" +
                             std::to_string(pix.height)};
    return media::DeviceStatus::Success();
}

media::VideoMode V4l2Modes::Current() {
    v4l2_format format;
    if (!ReadFormat(format).Ok())
        return {};
    const v4l2_pix_format& pix = format.fmt.pix;
    const IntervalRange intervals = FrameIntervals(pix.pixelformat, pix.width, pix.height);
    media::VideoMode mode;
    mode.fourcc = FourCCFromPixelFormat(pix.pixelformat);
    mode.width = static_cast<std::int32_t>(pix.width);
    mode.height = static_cast<std::int32_t>(pix.height);
    mode.bitCount = BitCountOf(pix.pixelformat);
    mode.sampleSize = DeliveredFrameSize(pix);
    mode.frameInterval = intervals.nearest30;
    mode.minFrameInterval = intervals.min;
    mode.maxFrameInterval = intervals.max;
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (io_.Ioctl(fd_, VIDIOC_G_PARM, &parm) == 0)
        if (const std::int64_t interval = IntervalOf(parm.parm.capture.timeperframe); interval > 0)
            mode.frameInterval = interval;
    return mode;
}

bool V4l2Modes::FindPixelFormat(std::uint32_t fourcc, std::uint32_t& pixelFormat) {
    for (const v4l2_fmtdesc& format : PixelFormats()) {
        if (FourCCFromPixelFormat(format.pixelformat) == fourcc) {
            pixelFormat = format.pixelformat;
            return true;
        }
    }
    return false;
}

media::DeviceStatus V4l2Modes::Apply(const media::VideoMode& mode) {
    const std::string action = "cannot set format " +
                               SizeText(static_cast<std::uint32_t>(mode.width),
                                        static_cast<std::uint32_t>(mode.height), mode.fourcc) +
                               " on " + path_;
    std::uint32_t pixelFormat = 0;
    if (mode.width <= 0 || mode.height <= 0 || !FindPixelFormat(mode.fourcc, pixelFormat))
        return {-EINVAL, action + ": the device does not offer it"};
    // S_FMT takes effect even when the rest of the mode then fails; the
    // format before is put back then, so the device keeps streaming what the
    // graph's connection carries.
    v4l2_format previous = CaptureFormat();
    const bool restorable = io_.Ioctl(fd_, VIDIOC_G_FMT, &previous) == 0;
    auto failed = [&](media::DeviceStatus why) {
        if (restorable && io_.Ioctl(fd_, VIDIOC_S_FMT, &previous) != 0)
            why.message += "; the format before could not be set again";
        return why;
    };
    v4l2_format format = CaptureFormat();
    format.fmt.pix.width = static_cast<std::uint32_t>(mode.width);
    format.fmt.pix.height = static_cast<std::uint32_t>(mode.height);
    format.fmt.pix.pixelformat = pixelFormat;
    format.fmt.pix.field = V4L2_FIELD_ANY;
    if (const int error = io_.Ioctl(fd_, VIDIOC_S_FMT, &format))
        return SystemError(error, "cannot set format on " + path_);
    const v4l2_pix_format& chosen = format.fmt.pix;
    if (chosen.pixelformat != pixelFormat || static_cast<std::int32_t>(chosen.width) != mode.width ||
        static_cast<std::int32_t>(chosen.height) != mode.height)
        return failed(
            {-EINVAL, action + ": the driver chose " +
                          SizeText(chosen.width, chosen.height, FourCCFromPixelFormat(chosen.pixelformat))});
    if (mode.frameInterval <= 0)
        return media::DeviceStatus::Success();
    if (media::DeviceStatus status = ApplyFrameInterval(mode.frameInterval); !status.Ok())
        return failed(std::move(status));
    return media::DeviceStatus::Success();
}

media::DeviceStatus V4l2Modes::ApplyFrameInterval(std::int64_t interval) {
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    const int error = io_.Ioctl(fd_, VIDIOC_G_PARM, &parm);
    // A driver without a settable rate streams at the rate its format implies.
    if (error == -ENOTTY || (error == 0 && !(parm.parm.capture.capability & V4L2_CAP_TIMEPERFRAME)))
        return media::DeviceStatus::Success();
    if (error)
        return SystemError(error, "cannot read the frame rate of " + path_);
    parm.parm.capture.timeperframe = FractionOf(interval);
    if (const int setError = io_.Ioctl(fd_, VIDIOC_S_PARM, &parm))
        return SystemError(setError, "cannot set the frame rate on " + path_);
    return media::DeviceStatus::Success();
}

} // namespace kamsel::v4l2
