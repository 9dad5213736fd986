#include "XvfbServer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace kamsel::e2e {

namespace {

constexpr int kStartTimeoutMs = 10000;

// Reads the display number that Xvfb writes to -displayfd once it is ready.
std::string ReadDisplayNumber(int fd) {
    std::string text;
    char buffer[32];
    for (;;) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kStartTimeoutMs);
        if (polled == 0)
            throw std::runtime_error("Xvfb did not report a display within 10 s");
        if (polled < 0 && errno != EINTR)
            throw std::runtime_error(std::string("poll on Xvfb's display pipe: ") + std::strerror(errno));
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.find('\n') != std::string::npos)
            break;
    }
    const std::size_t end = text.find('\n');
    if (end == std::string::npos || end == 0)
        throw std::runtime_error("Xvfb ended without reporting a display (is the xvfb package installed?)");
    return text.substr(0, end);
}

} // namespace

XvfbServer::XvfbServer() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error(std::string("pipe for Xvfb: ") + std::strerror(errno));
    const std::string screen = std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
    try {
        ChildProcess::Options options;
        options.InheritFd = fds[1];
        server_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                                     "-nolisten", "tcp", "-noreset"},
            options);
    } catch (...) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw;
    }
    ::close(fds[1]);
    try {
        // Built by push_back and append: GCC 12 at -O3 warns falsely
        // (-Wrestrict) about ":" + number and about assigning ":".
        const std::string number = ReadDisplayNumber(fds[0]);
        display_.push_back(':');
        display_.append(number);
    } catch (...) {
        ::close(fds[0]);
        throw;
    }
    ::close(fds[0]);
}

} // namespace kamsel::e2e
