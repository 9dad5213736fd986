#include "V4l2Controls.h"

#include "SystemError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace kamsel::v4l2 {

namespace {

struct ImageControlIds {
    std::uint32_t value;     // 0: V4L2 has no counterpart
    std::uint32_t automatic; // 0: no automatic mode
    const char* name;
};

// Indexed by media::ImageControl.
constexpr std::array<ImageControlIds, media::kImageControlCount> kImageControls{{
    {V4L2_CID_BRIGHTNESS, V4L2_CID_AUTOBRIGHTNESS, "Brightness"},
    {V4L2_CID_CONTRAST, 0, "Contrast"},
    {V4L2_CID_HUE, V4L2_CID_HUE_AUTO, "Hue"},
    {V4L2_CID_SATURATION, 0, "Saturation"},
    {V4L2_CID_SHARPNESS, 0, "Sharpness"},
    {V4L2_CID_GAMMA, 0, "Gamma"},
    {0, 0, "ColorEnable"},
    {V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE, "WhiteBalance"},
    {V4L2_CID_BACKLIGHT_COMPENSATION, 0, "Backlight"},
    {V4L2_CID_GAIN, V4L2_CID_AUTOGAIN, "Gain"},
}};

// Bounds against drivers whose lists never end.
constexpr int kMaxControls = 1024;
constexpr std::int64_t kMaxMenuItems = 256;

const ImageControlIds* IdsOf(media::ImageControl control) {
    const int index = static_cast<int>(control);
    if (index < 0 || index >= media::kImageControlCount)
        return nullptr;
    return &kImageControls[static_cast<std::size_t>(index)];
}

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Driver texts are fixed-size arrays that need not end in a zero byte.
template <std::size_t N>
std::string TextOf(const char (&text)[N]) {
    return std::string(text, strnlen(text, N));
}
template <std::size_t N>
std::string TextOf(const std::uint8_t (&text)[N]) {
    const char* chars = reinterpret_cast<const char*>(text);
    return std::string(chars, strnlen(chars, N));
}

std::optional<media::DeviceControl::Kind> KindOf(std::uint32_t type) {
    switch (type) {
    case V4L2_CTRL_TYPE_INTEGER:
        return media::DeviceControl::Kind::Integer;
    case V4L2_CTRL_TYPE_BOOLEAN:
        return media::DeviceControl::Kind::Boolean;
    case V4L2_CTRL_TYPE_MENU:
    case V4L2_CTRL_TYPE_INTEGER_MENU:
        return media::DeviceControl::Kind::Menu;
    case V4L2_CTRL_TYPE_BUTTON:
        return media::DeviceControl::Kind::Button;
    default:
        // Control classes (headings), 64-bit integers, strings, bitmasks and
        // compound controls: nothing a slider, box or list could show.
        return std::nullopt;
    }
}

} // namespace

media::DeviceStatus V4l2Controls::NotSupported(const std::string& what) const {
    return {-EINVAL, what + " is not supported by " + path_};
}

media::DeviceStatus V4l2Controls::QueryImageControl(std::uint32_t id, const char* name,
                                                    v4l2_queryctrl& query) {
    query = {};
    query.id = id;
    const int error = id == 0 ? -EINVAL : io_.Ioctl(fd_, VIDIOC_QUERYCTRL, &query);
    if (error == -EINVAL || (error == 0 && (query.flags & V4L2_CTRL_FLAG_DISABLED)))
        return NotSupported(name);
    if (error)
        return SystemError(error, std::string("cannot query ") + name + " on " + path_);
    return media::DeviceStatus::Success();
}

bool V4l2Controls::Exists(std::uint32_t id) {
    v4l2_queryctrl query{};
    query.id = id;
    return io_.Ioctl(fd_, VIDIOC_QUERYCTRL, &query) == 0 && !(query.flags & V4L2_CTRL_FLAG_DISABLED);
}

media::DeviceStatus V4l2Controls::Range(media::ImageControl control, media::ImageControlRange& range) {
    const ImageControlIds* ids = IdsOf(control);
    if (!ids)
        return NotSupported("image control " + std::to_string(static_cast<int>(control)));
    v4l2_queryctrl query;
    if (media::DeviceStatus status = QueryImageControl(ids->value, ids->name, query); !status.Ok())
        return status;
    range.min = query.minimum;
    range.max = query.maximum;
    range.step = query.step > 0 ? query.step : 1; // a zero step would stall any slider built on it
    range.defaultValue = query.default_value;
    range.capsFlags = media::kControlFlagsManual;
    if (ids->automatic != 0 && Exists(ids->automatic))
        range.capsFlags |= media::kControlFlagsAuto;
    return media::DeviceStatus::Success();
}

media::DeviceStatus V4l2Controls::Get(media::ImageControl control, std::int32_t& value, std::int32_t& flags) {
    const ImageControlIds* ids = IdsOf(control);
    if (!ids || ids->value == 0)
        return NotSupported(ids ? ids->name : "image control " + std::to_string(static_cast<int>(control)));
    bool automatic = false;
    if (ids->automatic != 0) {
        std::int32_t autoValue = 0;
        const int error = Read(ids->automatic, autoValue);
        // EINVAL: this device has no automatic mode for the control.
        if (error != 0 && error != -EINVAL)
            return SystemError(error, std::string("cannot read automatic ") + ids->name + " on " + path_);
        automatic = error == 0 && autoValue != 0;
    }
    std::int32_t current = 0;
    if (const int error = Read(ids->value, current))
        return error == -EINVAL
                   ? NotSupported(ids->name)
                   : SystemError(error, std::string("cannot read ") + ids->name + " on " + path_);
    value = current;
    flags = automatic ? media::kControlFlagsAuto : media::kControlFlagsManual;
    return media::DeviceStatus::Success();
}

media::DeviceStatus V4l2Controls::Set(media::ImageControl control, std::int32_t value, std::int32_t flags) {
    const ImageControlIds* ids = IdsOf(control);
    if (!ids || ids->value == 0)
        return NotSupported(ids ? ids->name : "image control " + std::to_string(static_cast<int>(control)));
    if (flags & media::kControlFlagsAuto) {
        const int error = ids->automatic == 0 ? -EINVAL : Write(ids->automatic, 1);
        if (error == -EINVAL)
            return NotSupported(std::string("automatic ") + ids->name);
        if (error)
            return SystemError(error, std::string("cannot set automatic ") + ids->name + " on " + path_);
        return media::DeviceStatus::Success();
    }
    if (ids->automatic != 0) {
        // The manual value is ignored (or refused) while the automatic mode is on.
        const int error = Write(ids->automatic, 0);
        if (error != 0 && error != -EINVAL)
            return SystemError(error, std::string("cannot turn off automatic ") + ids->name + " on " + path_);
    }
    if (const int error = Write(ids->value, value))
        return SystemError(error, std::string("cannot set ") + ids->name + " on " + path_);
    return media::DeviceStatus::Success();
}

std::optional<v4l2_query_ext_ctrl> V4l2Controls::QueryNext(std::uint32_t afterId) {
    v4l2_query_ext_ctrl query{};
    query.id = afterId | V4L2_CTRL_FLAG_NEXT_CTRL;
    if (io_.Ioctl(fd_, VIDIOC_QUERY_EXT_CTRL, &query) != 0)
        return std::nullopt;
    return query;
}

std::vector<media::DeviceControl> V4l2Controls::List() {
    std::vector<media::DeviceControl> controls;
    std::uint32_t id = 0;
    for (int count = 0; count < kMaxControls; ++count) {
        const std::optional<v4l2_query_ext_ctrl> query = QueryNext(id);
        // The driver returns the next higher id; one that does not move on
        // would keep us here forever.
        if (!query || query->id <= id)
            break;
        id = query->id; // the step to the next control comes first, whatever this one is
        if (std::optional<media::DeviceControl> control = Describe(*query))
            controls.push_back(std::move(*control));
    }
    return controls;
}

std::optional<media::DeviceControl> V4l2Controls::Describe(const v4l2_query_ext_ctrl& query) {
    const std::optional<media::DeviceControl::Kind> kind = KindOf(query.type);
    if (!kind || (query.flags & V4L2_CTRL_FLAG_DISABLED))
        return std::nullopt;
    media::DeviceControl control;
    control.id = query.id;
    control.name = TextOf(query.name);
    control.kind = *kind;
    control.min = Clamp32(query.minimum);
    control.max = Clamp32(query.maximum);
    control.step = Clamp32(static_cast<std::int64_t>(std::min<std::uint64_t>(query.step, INT32_MAX)));
    control.defaultValue = Clamp32(query.default_value);
    control.readOnly = query.flags & V4L2_CTRL_FLAG_READ_ONLY;
    control.inactive = query.flags & V4L2_CTRL_FLAG_INACTIVE;
    if (*kind == media::DeviceControl::Kind::Menu)
        control.menuItems = MenuItems(query);
    return control;
}

std::vector<std::pair<std::int32_t, std::string>> V4l2Controls::MenuItems(const v4l2_query_ext_ctrl& query) {
    std::vector<std::pair<std::int32_t, std::string>> items;
    const std::int64_t first = std::max<std::int64_t>(query.minimum, 0);
    const std::int64_t last = std::min<std::int64_t>(query.maximum, first + kMaxMenuItems - 1);
    for (std::int64_t index = first; index <= last; ++index) {
        v4l2_querymenu item{};
        item.id = query.id;
        item.index = static_cast<std::uint32_t>(index);
        // Drivers leave out the entries they do not support: those fail.
        if (io_.Ioctl(fd_, VIDIOC_QUERYMENU, &item) == 0)
            items.emplace_back(static_cast<std::int32_t>(index), query.type == V4L2_CTRL_TYPE_INTEGER_MENU
                                                                     ? std::to_string(item.value)
                                                                     : TextOf(item.name));
    }
    return items;
}

std::string V4l2Controls::Label(std::uint32_t id) {
    v4l2_queryctrl query{};
    query.id = id;
    if (io_.Ioctl(fd_, VIDIOC_QUERYCTRL, &query) == 0)
        return TextOf(query.name);
    char hex[32];
    std::snprintf(hex, sizeof hex, "control 0x%08x", id);
    return hex;
}

media::DeviceStatus V4l2Controls::GetValue(std::uint32_t id, std::int32_t& value) {
    std::int32_t current = 0;
    if (const int error = Read(id, current))
        return SystemError(error, "cannot read " + Label(id) + " on " + path_);
    value = current;
    return media::DeviceStatus::Success();
}

media::DeviceStatus V4l2Controls::SetValue(std::uint32_t id, std::int32_t value) {
    if (const int error = Write(id, value))
        return SystemError(error, "cannot set " + Label(id) + " on " + path_);
    return media::DeviceStatus::Success();
}

int V4l2Controls::Read(std::uint32_t id, std::int32_t& value) {
    v4l2_control control{};
    control.id = id;
    const int error = io_.Ioctl(fd_, VIDIOC_G_CTRL, &control);
    if (error == 0)
        value = control.value;
    return error;
}

int V4l2Controls::Write(std::uint32_t id, std::int32_t value) {
    v4l2_control control{};
    control.id = id;
    control.value = value;
    return io_.Ioctl(fd_, VIDIOC_S_CTRL, &control);
}

} // namespace kamsel::v4l2
