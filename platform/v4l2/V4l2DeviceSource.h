#pragma once
// Lists the V4L2 video capture nodes (/dev/videoN) as devices: every node
// whose capabilities include video capture and streaming I/O (for a node that
// states its own capabilities, those), in ascending node number. Nodes that
// cannot be opened or queried, metadata nodes, output nodes, nodes that offer
// only read() and the like are left out.
// Runs on the owning thread.

#include "V4l2Io.h"
#include "platform/media/VideoDevice.h"

#include <memory>
#include <optional>
#include <string>

namespace kamsel::v4l2 {

class V4l2DeviceSource final : public media::VideoDeviceSource {
  public:
    // The system's nodes in /dev.
    V4l2DeviceSource();
    // The nodes in deviceDirectory as io presents them.
    V4l2DeviceSource(std::shared_ptr<V4l2Io> io, std::string deviceDirectory);

    // Devices are unopened; each shares io.
    std::vector<std::unique_ptr<media::VideoDevice>> Enumerate() override;

  private:
    // The driver's card name when path is a video capture node.
    std::optional<std::string> CaptureCardName(const std::string& path);

    std::shared_ptr<V4l2Io> io_;
    std::string deviceDirectory_;
};

} // namespace kamsel::v4l2
