#pragma once
// The one door between the V4L2 backend and the kernel. Every system call the
// backend makes goes through here, so tests can put an emulated device behind
// it and drive the real backend code in-process.
//
// Results: 0 (or a count / a descriptor, where stated) on success, -errno on
// failure. Callers word the message, since they know what they were doing.
//
// Threads: one instance is shared by every device of a source and by their
// streaming threads; implementations must accept calls from several threads
// at once, as the kernel does.

#include <poll.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace kamsel::v4l2 {

class V4l2Io {
  public:
    virtual ~V4l2Io() = default;

    // Entry names in directory (no "." or ".."), in no particular order.
    virtual int ListDirectory(const std::string& directory, std::vector<std::string>& names) = 0;

    // Returns the new descriptor (>= 0) or -errno.
    virtual int Open(const std::string& path, int flags) = 0;
    virtual int Close(int fd) = 0;

    // 0 or -errno; an interrupted call is repeated, never reported as EINTR.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;

    // Maps length bytes of fd at offset, shared, for reading and writing.
    virtual int Mmap(int fd, std::size_t length, off_t offset, void*& address) = 0;
    virtual int Munmap(void* address, std::size_t length) = 0;

    // Returns the number of ready descriptors (0 on timeout) or -errno
    // (-EINTR included: the caller decides whether to wait again).
    virtual int Poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;

    // A descriptor that becomes readable once SignalEventFd is called on it;
    // used to wake a thread waiting in Poll. Returns the descriptor or -errno.
    virtual int CreateEventFd() = 0;
    virtual int SignalEventFd(int fd) = 0;
};

} // namespace kamsel::v4l2
