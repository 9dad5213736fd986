#include "V4l2DeviceSource.h"

#include "NodeCapabilities.h"
#include "SystemV4l2Io.h"
#include "UniqueFd.h"
#include "V4l2Device.h"

#include <fcntl.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kamsel::v4l2 {

namespace {

constexpr std::string_view kNodePrefix = "video";

// The N of "videoN"; nothing for other names ("video", "video0p", "vbi0").
std::optional<std::uint32_t> NodeNumber(const std::string& name) {
    if (name.size() <= kNodePrefix.size() || name.size() > kNodePrefix.size() + 9 ||
        name.compare(0, kNodePrefix.size(), kNodePrefix) != 0)
        return std::nullopt;
    std::uint32_t number = 0;
    for (std::size_t i = kNodePrefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return std::nullopt;
        number = number * 10 + static_cast<std::uint32_t>(name[i] - '0');
    }
    return number;
}

} // namespace

V4l2DeviceSource::V4l2DeviceSource() : V4l2DeviceSource(std::make_shared<SystemV4l2Io>(), "/dev") {}

V4l2DeviceSource::V4l2DeviceSource(std::shared_ptr<V4l2Io> io, std::string deviceDirectory)
    : io_(std::move(io)), deviceDirectory_(std::move(deviceDirectory)) {}

std::vector<std::unique_ptr<media::VideoDevice>> V4l2DeviceSource::Enumerate() {
    std::vector<std::string> names;
    std::vector<std::unique_ptr<media::VideoDevice>> devices;
    // Without a readable device directory there are simply no V4L2 cameras.
    if (io_->ListDirectory(deviceDirectory_, names) != 0)
        return devices;
    std::vector<std::pair<std::uint32_t, std::string>> nodes;
    for (const std::string& name : names)
        if (const std::optional<std::uint32_t> number = NodeNumber(name))
            nodes.emplace_back(*number, deviceDirectory_ + "/" + name);
    std::sort(nodes.begin(), nodes.end());
    for (const auto& node : nodes)
        if (std::optional<std::string> card = CaptureCardName(node.second))
            devices.push_back(std::make_unique<V4l2Device>(io_, node.second, std::move(*card)));
    return devices;
}

std::optional<std::string> V4l2DeviceSource::CaptureCardName(const std::string& path) {
    const int fd = io_->Open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const UniqueFd node(*io_, fd);
    v4l2_capability caps{};
    if (io_->Ioctl(fd, VIDIOC_QUERYCAP, &caps) != 0)
        return std::nullopt;
    if (!StreamsVideo(caps))
        return std::nullopt;
    const char* card = reinterpret_cast<const char*>(caps.card);
    return std::string(card, strnlen(card, sizeof caps.card));
}

} // namespace kamsel::v4l2
