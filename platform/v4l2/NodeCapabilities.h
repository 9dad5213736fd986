#pragma once
// What a V4L2 node can do, read from VIDIOC_QUERYCAP.

#include <linux/videodev2.h>

namespace kamsel::v4l2 {

// A node that states its own capabilities (V4L2_CAP_DEVICE_CAPS) is judged by
// those, not by the whole device's: a camera's metadata node shares the
// device with its capture node.
inline __u32 NodeCaps(const v4l2_capability& caps) {
    return (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
}

inline bool CapturesVideo(const v4l2_capability& caps) {
    return (NodeCaps(caps) & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

// Frames are taken through memory-mapped buffers only; a node that offers
// just read() (some TV cards, old webcams' extra nodes) would be listed and
// then fail at the buffer request, so it is not offered at all.
inline bool StreamsVideo(const v4l2_capability& caps) {
    return CapturesVideo(caps) && (NodeCaps(caps) & V4L2_CAP_STREAMING) != 0;
}

} // namespace kamsel::v4l2
