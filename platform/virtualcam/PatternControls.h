#pragma once
// The controls of a pattern camera: the ten image controls with ranges like a
// typical USB camera's (white balance and gain with automatic modes, both
// automatic at start), their automatic switches and the power-line frequency
// menu for the device's own dialog. The drawn scene is lit evenly, so the
// automatic modes settle on the neutral values.
//
// Threads: every member may be called from any thread; the owning thread sets
// values while the streaming thread takes Settings() for each frame.

#include "platform/media/VideoDevice.h"
#include "platform/system/ThreadAnnotations.h"
#include "platform/virtualcam/PictureSettings.h"

#include <array>

namespace kamsel::virtualcam {

class PatternControls {
  public:
    // Identifiers of the controls in Controls(): image control n is n + 1.
    static constexpr std::uint32_t kWhiteBalanceAutoId = 11;
    static constexpr std::uint32_t kGainAutoId = 12;
    static constexpr std::uint32_t kPowerLineFrequencyId = 13;
    static constexpr std::uint32_t IdOf(media::ImageControl control) {
        return static_cast<std::uint32_t>(control) + 1;
    }

    // `deviceName` starts the messages of failed calls.
    explicit PatternControls(std::string deviceName);

    media::DeviceStatus GetRange(media::ImageControl control, media::ImageControlRange& range) const;
    // The value in force (the automatic one while automatic) and the flags.
    media::DeviceStatus Get(media::ImageControl control, std::int32_t& value, std::int32_t& flags) const;
    // kControlFlagsManual: `value`, which must lie in the range, is used from
    // now on. kControlFlagsAuto (only where an automatic mode exists): the
    // camera chooses, `value` is ignored. Other flags are refused.
    media::DeviceStatus Set(media::ImageControl control, std::int32_t value, std::int32_t flags);

    std::vector<media::DeviceControl> Controls() const;
    // An image control's id reads the value in force and sets the manual value
    // without switching its automatic mode, as camera drivers do.
    media::DeviceStatus GetControl(std::uint32_t id, std::int32_t& value) const;
    media::DeviceStatus SetControl(std::uint32_t id, std::int32_t value);

    PictureSettings Settings() const;

  private:
    std::int32_t ValueInForce(std::size_t index) const REQUIRES(mutex_);

    std::string name_;
    // Guards the values: the owning thread sets them while the streaming
    // thread reads them for each frame.
    mutable system::Mutex mutex_;
    std::array<std::int32_t, media::kImageControlCount> manual_ GUARDED_BY(mutex_){};
    std::array<bool, media::kImageControlCount> automatic_ GUARDED_BY(mutex_){};
    PictureSettings::PowerLine powerLine_ GUARDED_BY(mutex_) = PictureSettings::PowerLine::Hz50;
};

} // namespace kamsel::virtualcam
