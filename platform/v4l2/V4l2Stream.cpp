#include "V4l2Stream.h"

#include "PixelFormats.h"
#include "SystemError.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>

namespace kamsel::v4l2 {

namespace {

constexpr std::uint32_t kBufferCount = 4;
// How long one wait for the driver lasts; Stop wakes the thread sooner.
constexpr int kPollTimeoutMs = 1000;
// Waits in a row without a sign of the driver after which the camera is
// taken as gone (as Chromium's capture gives up).
constexpr int kSilentPollLimit = 10;

} // namespace

V4l2Stream::V4l2Stream(V4l2Io& io, int fd, std::string path, media::FrameSink& sink,
                       std::atomic<std::uint64_t>& dropped)
    : io_(io), fd_(fd), path_(std::move(path)), sink_(sink), dropped_(dropped), buffers_(io, fd, path_) {}

media::DeviceStatus V4l2Stream::Start(const v4l2_pix_format& format) {
    if (media::DeviceStatus status = PrepareBottomUp(format); !status.Ok())
        return status;
    if (media::DeviceStatus status = PreparePacked(format); !status.Ok())
        return status;
    if (media::DeviceStatus status = buffers_.Allocate(kBufferCount); !status.Ok())
        return status;
    if (media::DeviceStatus status = QueueAll(); !status.Ok())
        return status;
    const int wake = io_.CreateEventFd();
    if (wake < 0)
        return SystemError(wake, "cannot create a wake-up descriptor for " + path_);
    wake_ = UniqueFd(io_, wake);
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (const int error = io_.Ioctl(fd_, VIDIOC_STREAMON, &type))
        return SystemError(error, "cannot start streaming on " + path_);
    streaming_ = true;
    return StartThread();
}

media::DeviceStatus V4l2Stream::StartThread() {
    int error = 0;
    try {
        thread_ = std::thread(&V4l2Stream::Run, this);
        return media::DeviceStatus::Success();
    } catch (const std::system_error& failure) {
        error = failure.code().category() == std::generic_category() ||
                        failure.code().category() == std::system_category()
                    ? -failure.code().value()
                    : -EAGAIN;
    } catch (const std::bad_alloc&) {
        error = -ENOMEM;
    }
    // The driver is streaming into buffers nobody will take: stop it and give
    // everything back before reporting.
    Stop();
    return SystemError(error, "cannot start the streaming thread for " + path_);
}

media::DeviceStatus V4l2Stream::NoFrameBuffer() const {
    return SystemError(-ENOMEM, "cannot allocate a frame buffer for " + path_);
}

media::DeviceStatus V4l2Stream::PrepareBottomUp(const v4l2_pix_format& format) {
    if (!DeliveredBottomUp(format.pixelformat))
        return media::DeviceStatus::Success();
    const std::uint32_t rowBytes = format.width * 3;
    const std::uint32_t stride = format.bytesperline == 0 ? rowBytes : format.bytesperline;
    if (stride < rowBytes)
        return {-EINVAL, path_ + " states rows of " + std::to_string(stride) + " bytes for frames " +
                             std::to_string(format.width) + " pixels wide"};
    try {
        bottomUp_.emplace(format.width, format.height, stride);
    } catch (const std::bad_alloc&) {
        return NoFrameBuffer();
    }
    return media::DeviceStatus::Success();
}

media::DeviceStatus V4l2Stream::PreparePacked(const v4l2_pix_format& format) {
    std::vector<DriverPlane> planes = DriverPlanes(format);
    if (planes.empty())
        return media::DeviceStatus::Success();
    for (const DriverPlane& plane : planes)
        if (plane.stride < plane.rowBytes)
            return {-EINVAL, path_ + " states rows of " + std::to_string(plane.stride) +
                                 " bytes for a plane of " + std::to_string(plane.rowBytes) + "-byte rows"};
    try {
        packed_.emplace(std::move(planes));
    } catch (const std::bad_alloc&) {
        return NoFrameBuffer();
    }
    return media::DeviceStatus::Success();
}

media::DeviceStatus V4l2Stream::QueueAll() {
    for (std::uint32_t index = 0; index < buffers_.Count(); ++index)
        if (const int error = buffers_.Queue(index))
            return SystemError(error, "cannot queue a capture buffer on " + path_);
    return media::DeviceStatus::Success();
}

void V4l2Stream::Stop() {
    if (thread_.joinable()) {
        stopping_ = true;
        // Should the signal fail, the thread still sees stopping_ within one
        // poll timeout.
        io_.SignalEventFd(wake_.Get());
        thread_.join();
    }
    if (streaming_) {
        // Fails after an unplug; the buffers are given back below either way.
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        io_.Ioctl(fd_, VIDIOC_STREAMOFF, &type);
        streaming_ = false;
    }
    buffers_.Release();
    wake_.Reset();
}

void V4l2Stream::Run() {
    while (Cycle()) {
    }
}

// One round: wait for the driver, take a frame, pass it on, give the buffer
// back. Returns false when the stream is over.
bool V4l2Stream::Cycle() {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
    const int ready = io_.Poll(fds, 2, kPollTimeoutMs);
    if (stopping_ || (ready > 0 && fds[1].revents != 0))
        return false;
    if (ready == -EINTR)
        return true;
    // One timeout is no failure: a camera may pause, and Stop wakes us anyway.
    if (ready == 0) {
        if (++silentPolls_ < kSilentPollLimit)
            return true;
        return Fail({-ETIMEDOUT, path_ + " sent no frame for " +
                                     std::to_string(kSilentPollLimit * kPollTimeoutMs / 1000) + " seconds"});
    }
    if (ready < 0)
        return Fail(SystemError(ready, "cannot wait for frames from " + path_));
    silentPolls_ = 0;
    if (fds[0].revents & POLLNVAL)
        return Fail(SystemError(-EBADF, "cannot wait for frames from " + path_));
    return TakeFrame(fds[0].revents);
}

bool V4l2Stream::TakeFrame(short events) {
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    const int error = io_.Ioctl(fd_, VIDIOC_DQBUF, &buffer);
    // An error state with no frame to show for it would have us spin.
    if (error == -EAGAIN && (events & POLLERR))
        return Fail(SystemError(-EIO, "cannot dequeue a frame from " + path_));
    if (error == -EAGAIN || error == -EINTR)
        return true;
    if (error)
        return Fail(SystemError(error, "cannot dequeue a frame from " + path_));
    if (buffer.index >= buffers_.Count())
        return Fail({-EIO, path_ + " returned capture buffer " + std::to_string(buffer.index) + " of " +
                               std::to_string(buffers_.Count())});
    Deliver(buffer);
    if (const int queueError = buffers_.Queue(buffer.index))
        return Fail(SystemError(queueError, "cannot queue a capture buffer on " + path_));
    return true;
}

void V4l2Stream::Deliver(const v4l2_buffer& buffer) {
    const UniqueMapping& mapping = buffers_.At(buffer.index);
    // A frame the driver marks as damaged, an empty one, or one that claims
    // more bytes than its buffer holds is not passed on.
    if ((buffer.flags & V4L2_BUF_FLAG_ERROR) || buffer.bytesused == 0 ||
        buffer.bytesused > mapping.Length()) {
        ++dropped_;
        return;
    }
    if (packed_) {
        DeliverPacked(mapping, buffer.bytesused);
        return;
    }
    if (!bottomUp_) {
        sink_.OnFrame(mapping.Data(), mapping.Length(), buffer.bytesused);
        return;
    }
    if (!bottomUp_->CopyFrom(mapping.Data(), buffer.bytesused)) {
        ++dropped_;
        return;
    }
    sink_.OnFrame(bottomUp_->Data(), bottomUp_->Size(), bottomUp_->Size());
}

void V4l2Stream::DeliverPacked(const UniqueMapping& mapping, std::size_t bytesUsed) {
    if (!packed_->Padded()) {
        // Rows already packed: only the length changes, as drivers may state
        // a sizeimage beyond the frame. A short frame goes on as it is; the
        // decoder refuses it.
        sink_.OnFrame(mapping.Data(), mapping.Length(), std::min(bytesUsed, packed_->PackedSize()));
        return;
    }
    // A padded frame short of its last row cannot be repacked.
    if (!packed_->CopyFrom(mapping.Data(), bytesUsed)) {
        ++dropped_;
        return;
    }
    sink_.OnFrame(packed_->Data(), packed_->PackedSize(), packed_->PackedSize());
}

bool V4l2Stream::Fail(const media::DeviceStatus& why) {
    ended_ = true;
    sink_.OnStreamEnded(why);
    return false;
}

} // namespace kamsel::v4l2
