#pragma once
// What a V4L2 node can do, read from VIDIOC_QUERYCAP.

#include <linux/videodev2.h>

namespace kamsel::v4l2 {

// A node that states its own capabilities (V4L2_CAP_DEVICE_CAPS) is judged by
// those, not by the whole device's: a camera's metadata node shares the
// device with its capture node.
inline bool CapturesVideo(const v4l2_capability& caps) {
    const __u32 nodeCaps = (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
    return (nodeCaps & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

} // namespace kamsel::v4l2
