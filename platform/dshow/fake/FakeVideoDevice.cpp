#include "FakeVideoDevice.h"

#include <cerrno>

namespace kamsel::dshow::fake {

FakeVideoDevice::FakeVideoDevice(std::shared_ptr<FakeCamera> camera) : camera_(std::move(camera)) {
    camera_->DeviceCreated();
}

FakeVideoDevice::~FakeVideoDevice() {
    StopStreaming();
    camera_->DeviceDestroyed();
}

media::DeviceStatus FakeVideoDevice::NotOpen() const {
    return {-EBADF, "fake camera " + camera_->Name() + " is not open"};
}

media::DeviceStatus FakeVideoDevice::Open() {
    media::DeviceStatus status = camera_->Open();
    open_ = status.Ok();
    return status;
}

std::vector<media::VideoMode> FakeVideoDevice::Modes() {
    return open_ ? camera_->Modes() : std::vector<media::VideoMode>{};
}

media::DeviceStatus FakeVideoDevice::SetMode(const media::VideoMode& mode) {
    return open_ ? camera_->SetMode(mode) : NotOpen();
}

media::DeviceStatus FakeVideoDevice::StartStreaming(media::FrameSink& sink) {
    if (!open_)
        return NotOpen();
    if (thread_.joinable())
        return {-EBUSY, "fake camera " + camera_->Name() + " is already streaming"};
    if (media::DeviceStatus status = camera_->BeginStreaming(); !status.Ok())
        return status;
    thread_ = std::thread([this, &sink] { Stream(sink); });
    return media::DeviceStatus::Success();
}

void FakeVideoDevice::StopStreaming() {
    if (!thread_.joinable())
        return;
    camera_->RequestStop();
    thread_.join();
    camera_->EndStreaming();
}

void FakeVideoDevice::Stream(media::FrameSink& sink) {
    for (;;) {
        FakeCamera::StreamEvent event = camera_->NextEvent();
        switch (event.kind) {
        case FakeCamera::StreamEvent::Kind::Frame:
            sink.OnFrame(event.frame.buffer.data(), event.frame.buffer.size(), event.frame.used);
            camera_->CountDelivered();
            break;
        case FakeCamera::StreamEvent::Kind::End:
            sink.OnStreamEnded({event.error, "fake camera " + camera_->Name() + " went away"});
            return;
        case FakeCamera::StreamEvent::Kind::Stop:
            return;
        }
    }
}

media::DeviceStatus FakeVideoDevice::GetImageControlRange(media::ImageControl control,
                                                          media::ImageControlRange& range) {
    return open_ ? camera_->GetImageControlRange(control, range) : NotOpen();
}

media::DeviceStatus FakeVideoDevice::GetImageControl(media::ImageControl control, std::int32_t& value,
                                                     std::int32_t& flags) {
    return open_ ? camera_->GetImageControl(control, value, flags) : NotOpen();
}

media::DeviceStatus FakeVideoDevice::SetImageControl(media::ImageControl control, std::int32_t value,
                                                     std::int32_t flags) {
    return open_ ? camera_->SetImageControl(control, value, flags) : NotOpen();
}

std::vector<media::DeviceControl> FakeVideoDevice::Controls() {
    return open_ ? camera_->Controls() : std::vector<media::DeviceControl>{};
}

media::DeviceStatus FakeVideoDevice::GetControl(std::uint32_t id, std::int32_t& value) {
    return open_ ? camera_->GetControl(id, value) : NotOpen();
}

media::DeviceStatus FakeVideoDevice::SetControl(std::uint32_t id, std::int32_t value) {
    return open_ ? camera_->SetControl(id, value) : NotOpen();
}

} // namespace kamsel::dshow::fake
