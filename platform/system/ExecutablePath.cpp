#include "ExecutablePath.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace kamsel::system {

namespace {

constexpr const char* kSelfLink = "/proc/self/exe";

// readlink does not say whether it truncated: a result that fills the whole
// buffer may be cut short, so the buffer grows until the link fits with room
// to spare.
std::string ReadSelfLink() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink(kSelfLink, buffer.data(), buffer.size());
        if (length < 0) {
            const int error = errno;
            throw std::system_error(error, std::generic_category(),
                                    std::string("readlink ") + kSelfLink + ": " + std::strerror(error));
        }
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string ExecutablePath() {
    return ReadSelfLink();
}

std::string ExecutableDirectory() {
    const std::string path = ExecutablePath();
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        throw std::system_error(ENOENT, std::generic_category(),
                                std::string(kSelfLink) + " does not name an absolute path: " + path);
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace kamsel::system
