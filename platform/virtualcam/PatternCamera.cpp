#include "platform/virtualcam/PatternCamera.h"

#include "platform/virtualcam/DeviceErrors.h"

#include <cerrno>
#include <system_error>

namespace kamsel::virtualcam {
namespace {

media::VideoMode Offer(std::uint32_t fourcc, std::int32_t width, std::int32_t height, int rate) {
    // 100-ns units, as the platform counts them: 333333 at 30 frames per second.
    const std::int64_t interval = 10'000'000 / rate;
    media::VideoMode mode;
    mode.fourcc = fourcc;
    mode.width = width;
    mode.height = height;
    mode.bitCount = fourcc == media::FourCC("YUY2") ? 16 : fourcc == media::FourCC("I420") ? 12 : 24;
    mode.sampleSize = PatternRenderer::SampleSize(fourcc, width, height);
    mode.frameInterval = interval;
    mode.minFrameInterval = interval;
    mode.maxFrameInterval = interval;
    return mode;
}

std::string Describe(const media::VideoMode& mode) {
    return std::to_string(mode.width) + "x" + std::to_string(mode.height) + " " +
           media::FourCCText(mode.fourcc);
}

} // namespace

std::vector<media::VideoMode> PatternCamera::OfferedModes(int rate) {
    constexpr std::uint32_t yuy2 = media::FourCC("YUY2");
    constexpr std::uint32_t mjpg = media::FourCC("MJPG");
    constexpr std::uint32_t i420 = media::FourCC("I420");
    return {Offer(yuy2, 640, 480, rate),   Offer(yuy2, 1280, 720, rate),
            Offer(yuy2, 320, 240, rate),   Offer(mjpg, 640, 480, rate),
            Offer(mjpg, 1280, 720, rate),  Offer(mjpg, 1920, 1080, rate),
            Offer(i420, 640, 480, rate),   Offer(media::kFourCCRgb24, 320, 240, rate),
            Offer(yuy2, 1920, 1080, rate), Offer(i420, 1280, 720, rate),
            Offer(i420, 1920, 1080, rate)};
}

PatternCamera::PatternCamera(std::string friendlyName, int rate)
    : name_(std::move(friendlyName)), rate_(rate), mode_(OfferedModes(rate).front()), controls_(name_) {}

PatternCamera::~PatternCamera() {
    StopStreaming();
}

media::DeviceStatus PatternCamera::NotOpen() const {
    return Failure(EBADF, name_, "device is not open");
}

media::DeviceStatus PatternCamera::Open() {
    open_ = true;
    return media::DeviceStatus::Success();
}

std::vector<media::VideoMode> PatternCamera::Modes() {
    return open_ ? OfferedModes(rate_) : std::vector<media::VideoMode>{};
}

media::VideoMode PatternCamera::CurrentMode() {
    return open_ ? mode_ : media::VideoMode{};
}

media::DeviceStatus PatternCamera::SetMode(const media::VideoMode& mode) {
    if (!open_)
        return NotOpen();
    if (thread_.Started())
        return Failure(EBUSY, name_, "cannot change the format while streaming");
    for (const media::VideoMode& offered : OfferedModes(rate_)) {
        if (offered.fourcc != mode.fourcc || offered.width != mode.width || offered.height != mode.height)
            continue;
        if (mode.frameInterval != 0 &&
            (mode.frameInterval < offered.minFrameInterval || mode.frameInterval > offered.maxFrameInterval))
            return Failure(EINVAL, name_,
                           "frame interval " + std::to_string(mode.frameInterval) + " is not offered for " +
                               Describe(mode));
        mode_ = offered;
        return media::DeviceStatus::Success();
    }
    return Failure(EINVAL, name_, "format " + Describe(mode) + " is not offered");
}

media::DeviceStatus PatternCamera::StartStreaming(media::FrameSink& sink) {
    if (!open_)
        return NotOpen();
    if (thread_.Started())
        return Failure(EBUSY, name_, "already streaming");
    if (auto status = renderer_.Configure(mode_, name_); !status.Ok())
        return status;
    buffer_.assign(mode_.sampleSize, 0);
    frameIndex_ = 0;
    try {
        thread_.Start(std::chrono::nanoseconds(mode_.frameInterval * 100),
                      [this, &sink] { return ProduceFrame(sink); });
    } catch (const std::system_error& error) {
        return Failure(error.code().value(), name_,
                       std::string("cannot start the streaming thread: ") + error.what());
    }
    return media::DeviceStatus::Success();
}

void PatternCamera::StopStreaming() {
    thread_.Stop();
}

bool PatternCamera::ProduceFrame(media::FrameSink& sink) {
    std::size_t bytesUsed = 0;
    const media::DeviceStatus status =
        renderer_.Render(frameIndex_, controls_.Settings(), buffer_, bytesUsed);
    ++frameIndex_;
    // A JPEG image too large for the buffer is a dropped frame; the stream goes on.
    if (status.Ok())
        sink.OnFrame(buffer_.data(), buffer_.size(), bytesUsed);
    return true;
}

media::DeviceStatus PatternCamera::GetImageControlRange(media::ImageControl control,
                                                        media::ImageControlRange& range) {
    return open_ ? controls_.GetRange(control, range) : NotOpen();
}

media::DeviceStatus PatternCamera::GetImageControl(media::ImageControl control, std::int32_t& value,
                                                   std::int32_t& flags) {
    return open_ ? controls_.Get(control, value, flags) : NotOpen();
}

media::DeviceStatus PatternCamera::SetImageControl(media::ImageControl control, std::int32_t value,
                                                   std::int32_t flags) {
    return open_ ? controls_.Set(control, value, flags) : NotOpen();
}

std::vector<media::DeviceControl> PatternCamera::Controls() {
    return open_ ? controls_.Controls() : std::vector<media::DeviceControl>{};
}

media::DeviceStatus PatternCamera::GetControl(std::uint32_t id, std::int32_t& value) {
    return open_ ? controls_.GetControl(id, value) : NotOpen();
}

media::DeviceStatus PatternCamera::SetControl(std::uint32_t id, std::int32_t value) {
    return open_ ? controls_.SetControl(id, value) : NotOpen();
}

} // namespace kamsel::virtualcam
