#include "SystemV4l2Io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

namespace kamsel::v4l2 {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

int SystemV4l2Io::ListDirectory(const std::string& directory, std::vector<std::string>& names) {
    names.clear();
    std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.c_str()));
    if (!dir)
        return -errno;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry)
            return errno == 0 ? 0 : -errno;
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
}

int SystemV4l2Io::Open(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? -errno : fd;
}

int SystemV4l2Io::Close(int fd) {
    // Not repeated on EINTR: Linux releases the descriptor even then, and a
    // second close could hit a descriptor another thread has just been given.
    return ::close(fd) == 0 ? 0 : -errno;
}

int SystemV4l2Io::Ioctl(int fd, unsigned long request, void* argument) {
    int result;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? -errno : 0;
}

int SystemV4l2Io::Mmap(int fd, std::size_t length, off_t offset, void*& address) {
    void* mapped = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
    if (mapped == MAP_FAILED)
        return -errno;
    address = mapped;
    return 0;
}

int SystemV4l2Io::Munmap(void* address, std::size_t length) {
    return ::munmap(address, length) == 0 ? 0 : -errno;
}

int SystemV4l2Io::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    const int ready = ::poll(fds, count, timeoutMs);
    return ready < 0 ? -errno : ready;
}

int SystemV4l2Io::CreateEventFd() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return fd < 0 ? -errno : fd;
}

int SystemV4l2Io::SignalEventFd(int fd) {
    const std::uint64_t one = 1;
    ssize_t written;
    do {
        written = ::write(fd, &one, sizeof one);
    } while (written < 0 && errno == EINTR);
    // EAGAIN means the counter is already full: the descriptor is readable.
    if (written < 0 && errno != EAGAIN)
        return -errno;
    return 0;
}

} // namespace kamsel::v4l2
