#include "MappedBuffers.h"

#include "SystemError.h"

#include <linux/videodev2.h>

#include <cerrno>

namespace kamsel::v4l2 {

namespace {

v4l2_requestbuffers Request(std::uint32_t count) {
    v4l2_requestbuffers request{};
    request.count = count;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    return request;
}

v4l2_buffer Buffer(std::uint32_t index) {
    v4l2_buffer buffer{};
    buffer.index = index;
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    return buffer;
}

} // namespace

media::DeviceStatus MappedBuffers::Allocate(std::uint32_t count) {
    Release();
    v4l2_requestbuffers request = Request(count);
    if (const int error = io_.Ioctl(fd_, VIDIOC_REQBUFS, &request))
        return SystemError(error, "cannot get capture buffers from " + path_);
    requested_ = true;
    if (request.count == 0)
        return {-ENOMEM, "cannot get capture buffers from " + path_ + ": the driver granted none"};
    for (std::uint32_t index = 0; index < request.count; ++index)
        if (media::DeviceStatus status = Map(index); !status.Ok())
            return status;
    return media::DeviceStatus::Success();
}

media::DeviceStatus MappedBuffers::Map(std::uint32_t index) {
    v4l2_buffer buffer = Buffer(index);
    if (const int error = io_.Ioctl(fd_, VIDIOC_QUERYBUF, &buffer))
        return SystemError(error, "cannot query capture buffer " + std::to_string(index) + " of " + path_);
    if (buffer.length == 0)
        return {-EINVAL, "capture buffer " + std::to_string(index) + " of " + path_ + " is empty"};
    void* address = nullptr;
    if (const int error = io_.Mmap(fd_, buffer.length, static_cast<off_t>(buffer.m.offset), address))
        return SystemError(error, "cannot map capture buffer " + std::to_string(index) + " of " + path_);
    mappings_.emplace_back(io_, address, buffer.length);
    return media::DeviceStatus::Success();
}

int MappedBuffers::Queue(std::uint32_t index) {
    v4l2_buffer buffer = Buffer(index);
    return io_.Ioctl(fd_, VIDIOC_QBUF, &buffer);
}

void MappedBuffers::Release() {
    mappings_.clear();
    if (requested_) {
        v4l2_requestbuffers request = Request(0);
        io_.Ioctl(fd_, VIDIOC_REQBUFS, &request);
        requested_ = false;
    }
}

} // namespace kamsel::v4l2
