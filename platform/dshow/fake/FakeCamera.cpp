#include "FakeCamera.h"

#include <cerrno>

namespace kamsel::dshow::fake {

namespace {

media::VideoMode Mode(std::uint32_t fourcc, std::int32_t width, std::int32_t height, std::uint16_t bits,
                      std::uint32_t sampleSize) {
    media::VideoMode mode;
    mode.fourcc = fourcc;
    mode.width = width;
    mode.height = height;
    mode.bitCount = bits;
    mode.sampleSize = sampleSize;
    mode.frameInterval = 333333;
    mode.minFrameInterval = 333333;
    mode.maxFrameInterval = 2000000;
    return mode;
}

media::DeviceStatus Failure(int error, const std::string& what) {
    return {error, what};
}

} // namespace

FakeCamera::FakeCamera(std::string name) : name_(std::move(name)), formatType_(FORMAT_VideoInfo) {
    modes_ = {Mode(media::FourCC("YUY2"), 640, 480, 16, 640 * 480 * 2),
              Mode(media::FourCC("MJPG"), 640, 480, 24, 640 * 480 * 3),
              Mode(media::FourCC("YUY2"), 320, 240, 16, 320 * 240 * 2)};
    current_ = modes_.front();
    imageControls_[static_cast<int>(media::ImageControl::Brightness)] = {
        {0, 255, 1, 128, media::kControlFlagsManual}, 128, media::kControlFlagsManual};
    imageControls_[static_cast<int>(media::ImageControl::WhiteBalance)] = {
        {2800, 6500, 10, 4600, media::kControlFlagsManual | media::kControlFlagsAuto},
        4600,
        media::kControlFlagsAuto};
    imageControls_[static_cast<int>(media::ImageControl::Gain)] = {
        {0, 100, 1, 0, media::kControlFlagsManual | media::kControlFlagsAuto},
        10,
        media::kControlFlagsManual};
    media::DeviceControl brightness{1, "Brightness", media::DeviceControl::Kind::Integer, 0, 255, 1, 128, {}};
    media::DeviceControl autoWhite{
        2, "White Balance, Automatic", media::DeviceControl::Kind::Boolean, 0, 1, 1, 1, {}};
    media::DeviceControl powerLine{3,
                                   "Power Line Frequency",
                                   media::DeviceControl::Kind::Menu,
                                   0,
                                   2,
                                   1,
                                   1,
                                   {{0, "Disabled"}, {1, "50 Hz"}, {2, "60 Hz"}}};
    media::DeviceControl reset{4, "Pan/Tilt Reset", media::DeviceControl::Kind::Button, 0, 0, 0, 0, {}};
    deviceControls_ = {brightness, autoWhite, powerLine, reset};
    deviceValues_ = {{1, 128}, {2, 1}, {3, 1}, {4, 0}};
}

void FakeCamera::SetModes(std::vector<media::VideoMode> modes, std::size_t current) {
    std::lock_guard lock(mutex_);
    modes_ = std::move(modes);
    current_ = current < modes_.size() ? modes_[current] : media::VideoMode{};
}

void FakeCamera::SetImageControl(media::ImageControl control, media::ImageControlRange range,
                                 std::int32_t value, std::int32_t flags) {
    std::lock_guard lock(mutex_);
    imageControls_[static_cast<int>(control)] = {range, value, flags};
}

void FakeCamera::RemoveImageControls() {
    std::lock_guard lock(mutex_);
    imageControls_.clear();
}

void FakeCamera::SetDeviceControls(std::vector<media::DeviceControl> controls) {
    std::lock_guard lock(mutex_);
    deviceControls_ = std::move(controls);
    deviceValues_.clear();
    for (const auto& control : deviceControls_)
        deviceValues_[control.id] = control.defaultValue;
}

void FakeCamera::SetFault(FaultPoint point, com::HRESULT status, int index) {
    std::lock_guard lock(mutex_);
    faults_[{point, index}] = status;
}

void FakeCamera::ClearFault(FaultPoint point, int index) {
    std::lock_guard lock(mutex_);
    faults_.erase({point, index});
}

void FakeCamera::SetFormatType(const com::GUID& formatType) {
    std::lock_guard lock(mutex_);
    formatType_ = formatType;
}

void FakeCamera::SetOpenError(int error) {
    std::lock_guard lock(mutex_);
    openError_ = error;
}

void FakeCamera::SetStartError(int error) {
    std::lock_guard lock(mutex_);
    startError_ = error;
}

void FakeCamera::SetModeError(int error) {
    std::lock_guard lock(mutex_);
    modeError_ = error;
}

void FakeCamera::PushFrame(std::vector<std::uint8_t> frame, std::size_t capacity) {
    StreamEvent event;
    event.kind = StreamEvent::Kind::Frame;
    event.frame.used = frame.size();
    frame.resize(std::max(capacity, frame.size()));
    event.frame.buffer = std::move(frame);
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(event));
    changed_.notify_all();
}

void FakeCamera::PushMisreportedFrame(std::vector<std::uint8_t> buffer, std::size_t used) {
    StreamEvent event;
    event.kind = StreamEvent::Kind::Frame;
    event.frame.used = used;
    event.frame.buffer = std::move(buffer);
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(event));
    changed_.notify_all();
}

void FakeCamera::StreamContinuously(std::vector<std::uint8_t> frame, std::size_t capacity) {
    Frame repeated;
    repeated.used = frame.size();
    frame.resize(std::max(capacity, frame.size()));
    repeated.buffer = std::move(frame);
    std::lock_guard lock(mutex_);
    continuous_ = std::move(repeated);
    changed_.notify_all();
}

void FakeCamera::EndStream(int error) {
    StreamEvent event;
    event.kind = StreamEvent::Kind::End;
    event.error = error;
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(event));
    changed_.notify_all();
}

bool FakeCamera::WaitUntilStreaming(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return streaming_; });
}

bool FakeCamera::Streaming() const {
    std::lock_guard lock(mutex_);
    return streaming_;
}

media::VideoMode FakeCamera::CurrentMode() const {
    std::lock_guard lock(mutex_);
    return current_;
}

std::optional<std::pair<std::int32_t, std::int32_t>>
FakeCamera::ControlSetting(media::ImageControl control) const {
    std::lock_guard lock(mutex_);
    const auto found = imageControls_.find(static_cast<int>(control));
    if (found == imageControls_.end())
        return std::nullopt;
    return std::pair{found->second.value, found->second.flags};
}

std::int32_t FakeCamera::DeviceControlValue(std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    const auto found = deviceValues_.find(id);
    return found == deviceValues_.end() ? 0 : found->second;
}

com::HRESULT FakeCamera::StatusAt(FaultPoint point, int index) const {
    std::lock_guard lock(mutex_);
    if (const auto found = faults_.find({point, index}); found != faults_.end())
        return found->second;
    if (const auto found = faults_.find({point, kAnyIndex}); found != faults_.end())
        return found->second;
    return com::S_OK;
}

com::GUID FakeCamera::FormatType() const {
    std::lock_guard lock(mutex_);
    return formatType_;
}

media::DeviceStatus FakeCamera::Open() {
    std::lock_guard lock(mutex_);
    if (openError_ != 0)
        return Failure(openError_, "cannot open fake camera " + name_);
    opens_.fetch_add(1);
    return media::DeviceStatus::Success();
}

std::vector<media::VideoMode> FakeCamera::Modes() const {
    std::lock_guard lock(mutex_);
    return modes_;
}

media::DeviceStatus FakeCamera::SetMode(const media::VideoMode& mode) {
    std::lock_guard lock(mutex_);
    if (streaming_)
        return Failure(-EBUSY, "fake camera " + name_ + " is streaming");
    if (modeError_ != 0)
        return Failure(modeError_, "cannot set the mode of fake camera " + name_);
    current_ = mode;
    return media::DeviceStatus::Success();
}

media::DeviceStatus FakeCamera::BeginStreaming() {
    std::lock_guard lock(mutex_);
    if (startError_ != 0)
        return Failure(startError_, "cannot start fake camera " + name_);
    if (streaming_)
        return Failure(-EBUSY, "fake camera " + name_ + " is already streaming");
    streaming_ = true;
    stopRequested_ = false;
    starts_.fetch_add(1);
    changed_.notify_all();
    return media::DeviceStatus::Success();
}

FakeCamera::StreamEvent FakeCamera::NextEvent() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stopRequested_)
            return {};
        if (!queue_.empty()) {
            StreamEvent event = std::move(queue_.front());
            queue_.pop_front();
            return event;
        }
        if (continuous_) {
            StreamEvent event;
            event.kind = StreamEvent::Kind::Frame;
            event.frame = *continuous_;
            // A pause between repeated frames keeps the thread from starving others.
            changed_.wait_for(lock, std::chrono::milliseconds(1));
            if (stopRequested_)
                return {};
            return event;
        }
        changed_.wait(lock);
    }
}

void FakeCamera::RequestStop() {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    changed_.notify_all();
}

void FakeCamera::EndStreaming() {
    std::lock_guard lock(mutex_);
    streaming_ = false;
    stopRequested_ = false;
    changed_.notify_all();
}

media::DeviceStatus FakeCamera::GetImageControlRange(media::ImageControl control,
                                                     media::ImageControlRange& range) const {
    std::lock_guard lock(mutex_);
    const auto found = imageControls_.find(static_cast<int>(control));
    if (found == imageControls_.end())
        return Failure(-EINVAL, "fake camera " + name_ + " has no such control");
    range = found->second.range;
    return media::DeviceStatus::Success();
}

media::DeviceStatus FakeCamera::GetImageControl(media::ImageControl control, std::int32_t& value,
                                                std::int32_t& flags) const {
    std::lock_guard lock(mutex_);
    const auto found = imageControls_.find(static_cast<int>(control));
    if (found == imageControls_.end())
        return Failure(-EINVAL, "fake camera " + name_ + " has no such control");
    value = found->second.value;
    flags = found->second.flags;
    return media::DeviceStatus::Success();
}

media::DeviceStatus FakeCamera::SetImageControl(media::ImageControl control, std::int32_t value,
                                                std::int32_t flags) {
    std::lock_guard lock(mutex_);
    const auto found = imageControls_.find(static_cast<int>(control));
    if (found == imageControls_.end())
        return Failure(-EINVAL, "fake camera " + name_ + " has no such control");
    found->second.value = value;
    found->second.flags = flags;
    return media::DeviceStatus::Success();
}

void FakeCamera::SetInactiveWhileOn(std::uint32_t id, std::uint32_t switchId) {
    std::lock_guard lock(mutex_);
    inactiveWhileOn_[id] = switchId;
}

std::vector<media::DeviceControl> FakeCamera::Controls() const {
    std::lock_guard lock(mutex_);
    std::vector<media::DeviceControl> controls = deviceControls_;
    for (media::DeviceControl& control : controls)
        if (const auto tie = inactiveWhileOn_.find(control.id); tie != inactiveWhileOn_.end()) {
            const auto on = deviceValues_.find(tie->second);
            control.inactive = on != deviceValues_.end() && on->second != 0;
        }
    return controls;
}

media::DeviceStatus FakeCamera::GetControl(std::uint32_t id, std::int32_t& value) const {
    std::lock_guard lock(mutex_);
    const auto found = deviceValues_.find(id);
    if (found == deviceValues_.end())
        return Failure(-EINVAL, "fake camera " + name_ + " has no control " + std::to_string(id));
    value = found->second;
    return media::DeviceStatus::Success();
}

media::DeviceStatus FakeCamera::SetControl(std::uint32_t id, std::int32_t value) {
    std::lock_guard lock(mutex_);
    const auto found = deviceValues_.find(id);
    if (found == deviceValues_.end())
        return Failure(-EINVAL, "fake camera " + name_ + " has no control " + std::to_string(id));
    found->second = value;
    return media::DeviceStatus::Success();
}

} // namespace kamsel::dshow::fake
