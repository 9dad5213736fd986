#include "SystemError.h"

#include <cstring>

namespace kamsel::v4l2 {

std::string ErrorText(int error) {
    char buffer[128];
    // The GNU strerror_r returns either buffer or a static, immutable text.
    return ::strerror_r(-error, buffer, sizeof buffer);
}

media::DeviceStatus SystemError(int error, const std::string& action) {
    return {error, action + ": " + ErrorText(error)};
}

} // namespace kamsel::v4l2
