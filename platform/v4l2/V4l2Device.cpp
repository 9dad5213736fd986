#include "V4l2Device.h"

#include "NodeCapabilities.h"
#include "SystemError.h"
#include "V4l2Controls.h"
#include "V4l2Modes.h"

#include <fcntl.h>
#include <linux/videodev2.h>

#include <cerrno>

namespace kamsel::v4l2 {

V4l2Device::V4l2Device(std::shared_ptr<V4l2Io> io, std::string path, std::string cardName)
    : io_(std::move(io)), path_(std::move(path)), cardName_(std::move(cardName)) {}

V4l2Device::~V4l2Device() {
    StopStreaming();
}

media::DeviceStatus V4l2Device::NotOpen() const {
    return {-EBADF, path_ + " is not open"};
}

media::DeviceStatus V4l2Device::Open() {
    if (fd_.Valid())
        return media::DeviceStatus::Success();
    // Non-blocking, so that taking a frame never waits: the streaming thread
    // waits in poll, where Stop can wake it.
    const int fd = io_->Open(path_, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return SystemError(fd, "cannot open " + path_);
    UniqueFd opened(*io_, fd);
    v4l2_capability caps{};
    if (const int error = io_->Ioctl(fd, VIDIOC_QUERYCAP, &caps))
        return SystemError(error, "cannot query the capabilities of " + path_);
    if (!CapturesVideo(caps))
        return {-ENODEV, path_ + " is not a video capture device"};
    if (!StreamsVideo(caps))
        return {-ENODEV, path_ + " offers no streaming I/O, which capture needs"};
    fd_ = std::move(opened);
    return media::DeviceStatus::Success();
}

std::vector<media::VideoMode> V4l2Device::Modes() {
    if (!fd_.Valid())
        return {};
    return V4l2Modes(*io_, fd_.Get(), path_).List();
}

media::VideoMode V4l2Device::CurrentMode() {
    if (!fd_.Valid())
        return {};
    return V4l2Modes(*io_, fd_.Get(), path_).Current();
}

bool V4l2Device::Streaming() {
    if (stream_ && stream_->Ended())
        StopStreaming();
    return stream_ != nullptr;
}

media::DeviceStatus V4l2Device::SetMode(const media::VideoMode& mode) {
    if (!fd_.Valid())
        return NotOpen();
    if (Streaming())
        return {-EBUSY, "cannot set format on " + path_ + " while it is streaming"};
    return V4l2Modes(*io_, fd_.Get(), path_).Apply(mode);
}

media::DeviceStatus V4l2Device::StartStreaming(media::FrameSink& sink) {
    if (!fd_.Valid())
        return NotOpen();
    if (Streaming())
        return {-EBUSY, path_ + " is already streaming"};
    v4l2_format format;
    if (media::DeviceStatus status = V4l2Modes(*io_, fd_.Get(), path_).ReadFormat(format); !status.Ok())
        return status;
    dropped_ = 0;
    auto stream = std::make_unique<V4l2Stream>(*io_, fd_.Get(), path_, sink, dropped_);
    if (media::DeviceStatus status = stream->Start(format.fmt.pix); !status.Ok())
        return status;
    stream_ = std::move(stream);
    return media::DeviceStatus::Success();
}

void V4l2Device::StopStreaming() {
    // Resetting runs the stream's destructor, which stops it.
    stream_.reset();
}

media::DeviceStatus V4l2Device::GetImageControlRange(media::ImageControl control,
                                                     media::ImageControlRange& range) {
    if (!fd_.Valid())
        return NotOpen();
    return V4l2Controls(*io_, fd_.Get(), path_).Range(control, range);
}

media::DeviceStatus V4l2Device::GetImageControl(media::ImageControl control, std::int32_t& value,
                                                std::int32_t& flags) {
    if (!fd_.Valid())
        return NotOpen();
    return V4l2Controls(*io_, fd_.Get(), path_).Get(control, value, flags);
}

media::DeviceStatus V4l2Device::SetImageControl(media::ImageControl control, std::int32_t value,
                                                std::int32_t flags) {
    if (!fd_.Valid())
        return NotOpen();
    return V4l2Controls(*io_, fd_.Get(), path_).Set(control, value, flags);
}

std::vector<media::DeviceControl> V4l2Device::Controls() {
    if (!fd_.Valid())
        return {};
    return V4l2Controls(*io_, fd_.Get(), path_).List();
}

media::DeviceStatus V4l2Device::GetControl(std::uint32_t id, std::int32_t& value) {
    if (!fd_.Valid())
        return NotOpen();
    return V4l2Controls(*io_, fd_.Get(), path_).GetValue(id, value);
}

media::DeviceStatus V4l2Device::SetControl(std::uint32_t id, std::int32_t value) {
    if (!fd_.Valid())
        return NotOpen();
    return V4l2Controls(*io_, fd_.Get(), path_).SetValue(id, value);
}

} // namespace kamsel::v4l2
