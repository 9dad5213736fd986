#pragma once
// The controls of one open V4L2 node: the ten image controls mapped onto their
// V4L2 counterparts (with the matching automatic control, where V4L2 has
// one), and every control the driver offers, for the device's own dialog.
// Holds no state of its own; every call asks the driver. Runs on the device's
// owning thread.

#include "V4l2Io.h"
#include "platform/media/VideoDevice.h"

#include <linux/videodev2.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kamsel::v4l2 {

class V4l2Controls {
  public:
    // fd is an open node at path (named in messages); io outlives this.
    V4l2Controls(V4l2Io& io, int fd, std::string path) : io_(io), fd_(fd), path_(std::move(path)) {}

    // capsFlags holds kControlFlagsAuto when the automatic control exists.
    // -EINVAL for a control V4L2 has no counterpart of, or the driver lacks.
    media::DeviceStatus Range(media::ImageControl control, media::ImageControlRange& range);
    // flags: kControlFlagsAuto while the automatic control is on, else kControlFlagsManual.
    media::DeviceStatus Get(media::ImageControl control, std::int32_t& value, std::int32_t& flags);
    // kControlFlagsAuto turns the automatic control on and leaves the value;
    // otherwise the automatic control goes off and value is set as given.
    media::DeviceStatus Set(media::ImageControl control, std::int32_t value, std::int32_t flags);

    // Integers, booleans, menus (labels from the driver; integer menus show
    // their numbers) and buttons, in the driver's order. Control classes,
    // disabled controls and types a dialog cannot show are left out.
    std::vector<media::DeviceControl> List();
    media::DeviceStatus GetValue(std::uint32_t id, std::int32_t& value);
    media::DeviceStatus SetValue(std::uint32_t id, std::int32_t value);

  private:
    std::optional<v4l2_query_ext_ctrl> QueryNext(std::uint32_t afterId);
    std::optional<media::DeviceControl> Describe(const v4l2_query_ext_ctrl& query);
    std::vector<std::pair<std::int32_t, std::string>> MenuItems(const v4l2_query_ext_ctrl& query);
    media::DeviceStatus QueryImageControl(std::uint32_t id, const char* name, v4l2_queryctrl& query);
    bool Exists(std::uint32_t id);
    std::string Label(std::uint32_t id);
    media::DeviceStatus NotSupported(const std::string& what) const;
    int Read(std::uint32_t id, std::int32_t& value);
    int Write(std::uint32_t id, std::int32_t value);

    V4l2Io& io_;
    int fd_;
    std::string path_;
};

} // namespace kamsel::v4l2
