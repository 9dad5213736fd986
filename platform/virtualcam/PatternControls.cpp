#include "platform/virtualcam/PatternControls.h"

#include "platform/virtualcam/DeviceErrors.h"

#include <cerrno>
#include <optional>

namespace kamsel::virtualcam {
namespace {

using Kind = media::DeviceControl::Kind;

struct ControlRange {
    const char* name;
    std::int32_t min;
    std::int32_t max;
    std::int32_t step;
    std::int32_t defaultValue;
    bool hasAuto;
    Kind kind;
};

constexpr PictureSettings kNeutral{};

// In ImageControl order.
constexpr std::array<ControlRange, media::kImageControlCount> kRanges = {{
    {"Brightness", -64, 64, 1, kNeutral.brightness, false, Kind::Integer},
    {"Contrast", 0, 64, 1, kNeutral.contrast, false, Kind::Integer},
    {"Hue", -40, 40, 1, kNeutral.hue, false, Kind::Integer},
    {"Saturation", 0, 128, 1, kNeutral.saturation, false, Kind::Integer},
    {"Sharpness", 0, 6, 1, kNeutral.sharpness, false, Kind::Integer},
    {"Gamma", 72, 500, 1, kNeutral.gamma, false, Kind::Integer},
    {"Color Enable", 0, 1, 1, kNeutral.colorEnable, false, Kind::Boolean},
    {"White Balance Temperature", 2800, 6500, 10, kNeutral.whiteBalance, true, Kind::Integer},
    {"Backlight Compensation", 0, 2, 1, kNeutral.backlight, false, Kind::Integer},
    {"Gain", 0, 100, 1, kNeutral.gain, true, Kind::Integer},
}};

constexpr std::size_t kWhiteBalance = static_cast<std::size_t>(media::ImageControl::WhiteBalance);
constexpr std::size_t kGain = static_cast<std::size_t>(media::ImageControl::Gain);

std::optional<std::size_t> IndexOf(media::ImageControl control) {
    const int index = static_cast<int>(control);
    if (index < 0 || index >= media::kImageControlCount)
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

// Image control index of a control id, if it is one.
std::optional<std::size_t> IndexOfId(std::uint32_t id) {
    if (id < 1 || id > static_cast<std::uint32_t>(media::kImageControlCount))
        return std::nullopt;
    return id - 1;
}

media::DeviceControl IntegerControl(std::uint32_t id, const ControlRange& range) {
    media::DeviceControl control;
    control.id = id;
    control.name = range.name;
    control.kind = range.kind;
    control.min = range.min;
    control.max = range.max;
    control.step = range.step;
    control.defaultValue = range.defaultValue;
    return control;
}

media::DeviceControl AutoSwitch(std::uint32_t id, const char* name) {
    media::DeviceControl control;
    control.id = id;
    control.name = name;
    control.kind = Kind::Boolean;
    control.min = 0;
    control.max = 1;
    control.defaultValue = 1;
    return control;
}

media::DeviceControl PowerLineMenu(std::uint32_t id) {
    media::DeviceControl control;
    control.id = id;
    control.name = "Power Line Frequency";
    control.kind = Kind::Menu;
    control.min = 0;
    control.max = 2;
    control.defaultValue = static_cast<std::int32_t>(PictureSettings::PowerLine::Hz50);
    control.menuItems = {{0, "Disabled"}, {1, "50 Hz"}, {2, "60 Hz"}};
    return control;
}

} // namespace

PatternControls::PatternControls(std::string deviceName) : name_(std::move(deviceName)) {
    for (std::size_t i = 0; i < kRanges.size(); ++i) {
        manual_[i] = kRanges[i].defaultValue;
        automatic_[i] = kRanges[i].hasAuto;
    }
}

std::int32_t PatternControls::ValueInForce(std::size_t index) const {
    return automatic_[index] ? kRanges[index].defaultValue : manual_[index];
}

media::DeviceStatus PatternControls::GetRange(media::ImageControl control,
                                              media::ImageControlRange& range) const {
    const auto index = IndexOf(control);
    if (!index)
        return Failure(EINVAL, name_, "no image control " + std::to_string(static_cast<int>(control)));
    const ControlRange& limits = kRanges[*index];
    range.min = limits.min;
    range.max = limits.max;
    range.step = limits.step;
    range.defaultValue = limits.defaultValue;
    range.capsFlags = media::kControlFlagsManual | (limits.hasAuto ? media::kControlFlagsAuto : 0);
    return media::DeviceStatus::Success();
}

media::DeviceStatus PatternControls::Get(media::ImageControl control, std::int32_t& value,
                                         std::int32_t& flags) const {
    const auto index = IndexOf(control);
    if (!index)
        return Failure(EINVAL, name_, "no image control " + std::to_string(static_cast<int>(control)));
    const system::MutexLock lock(mutex_);
    value = ValueInForce(*index);
    flags = automatic_[*index] ? media::kControlFlagsAuto : media::kControlFlagsManual;
    return media::DeviceStatus::Success();
}

media::DeviceStatus PatternControls::Set(media::ImageControl control, std::int32_t value,
                                         std::int32_t flags) {
    const auto index = IndexOf(control);
    if (!index)
        return Failure(EINVAL, name_, "no image control " + std::to_string(static_cast<int>(control)));
    const ControlRange& limits = kRanges[*index];
    if (flags == media::kControlFlagsAuto) {
        if (!limits.hasAuto)
            return Failure(EINVAL, name_, std::string(limits.name) + " has no automatic mode");
        const system::MutexLock lock(mutex_);
        automatic_[*index] = true;
        return media::DeviceStatus::Success();
    }
    if (flags != media::kControlFlagsManual)
        return Failure(EINVAL, name_, "flags " + std::to_string(flags) + " not supported for " + limits.name);
    if (value < limits.min || value > limits.max)
        return Failure(ERANGE, name_,
                       std::string(limits.name) + " value " + std::to_string(value) + " is outside " +
                           std::to_string(limits.min) + ".." + std::to_string(limits.max));
    const system::MutexLock lock(mutex_);
    manual_[*index] = value;
    automatic_[*index] = false;
    return media::DeviceStatus::Success();
}

std::vector<media::DeviceControl> PatternControls::Controls() const {
    const system::MutexLock lock(mutex_);
    std::vector<media::DeviceControl> controls;
    for (std::size_t i = 0; i < kRanges.size(); ++i) {
        controls.push_back(IntegerControl(static_cast<std::uint32_t>(i + 1), kRanges[i]));
        controls.back().inactive = automatic_[i];
    }
    controls.push_back(AutoSwitch(kWhiteBalanceAutoId, "White Balance, Automatic"));
    controls.push_back(AutoSwitch(kGainAutoId, "Gain, Automatic"));
    controls.push_back(PowerLineMenu(kPowerLineFrequencyId));
    return controls;
}

media::DeviceStatus PatternControls::GetControl(std::uint32_t id, std::int32_t& value) const {
    const system::MutexLock lock(mutex_);
    if (const auto index = IndexOfId(id))
        value = ValueInForce(*index);
    else if (id == kWhiteBalanceAutoId)
        value = automatic_[kWhiteBalance] ? 1 : 0;
    else if (id == kGainAutoId)
        value = automatic_[kGain] ? 1 : 0;
    else if (id == kPowerLineFrequencyId)
        value = static_cast<std::int32_t>(powerLine_);
    else
        return Failure(EINVAL, name_, "no control with id " + std::to_string(id));
    return media::DeviceStatus::Success();
}

media::DeviceStatus PatternControls::SetControl(std::uint32_t id, std::int32_t value) {
    const auto index = IndexOfId(id);
    const bool isSwitch = id == kWhiteBalanceAutoId || id == kGainAutoId;
    if (!index && !isSwitch && id != kPowerLineFrequencyId)
        return Failure(EINVAL, name_, "no control with id " + std::to_string(id));
    const std::int32_t min = index ? kRanges[*index].min : 0;
    const std::int32_t max = index ? kRanges[*index].max : isSwitch ? 1 : 2;
    if (value < min || value > max)
        return Failure(ERANGE, name_,
                       "value " + std::to_string(value) + " of control " + std::to_string(id) +
                           " is outside " + std::to_string(min) + ".." + std::to_string(max));
    const system::MutexLock lock(mutex_);
    if (index)
        manual_[*index] = value;
    else if (id == kWhiteBalanceAutoId)
        automatic_[kWhiteBalance] = value != 0;
    else if (id == kGainAutoId)
        automatic_[kGain] = value != 0;
    else
        powerLine_ = static_cast<PictureSettings::PowerLine>(value);
    return media::DeviceStatus::Success();
}

PictureSettings PatternControls::Settings() const {
    using media::ImageControl;
    const system::MutexLock lock(mutex_);
    const auto at = [this](ImageControl control)
                        REQUIRES(mutex_) { return ValueInForce(static_cast<std::size_t>(control)); };
    PictureSettings settings;
    settings.brightness = at(ImageControl::Brightness);
    settings.contrast = at(ImageControl::Contrast);
    settings.hue = at(ImageControl::Hue);
    settings.saturation = at(ImageControl::Saturation);
    settings.sharpness = at(ImageControl::Sharpness);
    settings.gamma = at(ImageControl::Gamma);
    settings.colorEnable = at(ImageControl::ColorEnable);
    settings.whiteBalance = at(ImageControl::WhiteBalance);
    settings.backlight = at(ImageControl::BacklightCompensation);
    settings.gain = at(ImageControl::Gain);
    settings.powerLine = powerLine_;
    return settings;
}

} // namespace kamsel::virtualcam
