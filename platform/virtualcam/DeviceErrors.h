#pragma once
// Building the failure statuses of virtual cameras: every message starts with
// the device's name or file, then says what failed and why.

#include "platform/media/VideoDevice.h"

#include <cstring>
#include <string>
#include <string_view>

namespace kamsel::virtualcam {

// `error` is a positive errno value; the status carries it negated.
inline media::DeviceStatus Failure(int error, std::string_view where, std::string_view what) {
    std::string message(where);
    message += ": ";
    message += what;
    return media::DeviceStatus{-error, std::move(message)};
}

// A failed system call: the message ends with the system's reason.
inline media::DeviceStatus SystemFailure(int error, std::string_view where, std::string_view what) {
    std::string text(what);
    text += ": ";
    text += std::strerror(error);
    return Failure(error, where, text);
}

} // namespace kamsel::virtualcam
