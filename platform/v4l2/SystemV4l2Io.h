#pragma once
// The real kernel behind the V4l2Io seam.

#include "V4l2Io.h"

namespace kamsel::v4l2 {

class SystemV4l2Io final : public V4l2Io {
  public:
    int ListDirectory(const std::string& directory, std::vector<std::string>& names) override;
    int Open(const std::string& path, int flags) override;
    int Close(int fd) override;
    int Ioctl(int fd, unsigned long request, void* argument) override;
    int Mmap(int fd, std::size_t length, off_t offset, void*& address) override;
    int Munmap(void* address, std::size_t length) override;
    int Poll(pollfd* fds, nfds_t count, int timeoutMs) override;
    int CreateEventFd() override;
    int SignalEventFd(int fd) override;
};

} // namespace kamsel::v4l2
