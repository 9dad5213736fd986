#pragma once
// Failure statuses worded the one way every message of the backend is worded:
// what could not be done, on which device, and the system's reason.

#include "platform/media/VideoDevice.h"

#include <string>

namespace kamsel::v4l2 {

// error is -errno. Gives "<action>: <strerror>", e.g.
// "cannot set format on /dev/video2: Device or resource busy".
media::DeviceStatus SystemError(int error, const std::string& action);

// The system's text for -errno; safe to call from any thread.
std::string ErrorText(int error);

} // namespace kamsel::v4l2
