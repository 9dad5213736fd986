#include "platform/virtualcam/FileByteSource.h"

#include "platform/virtualcam/DeviceErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace kamsel::virtualcam {

media::DeviceStatus FileByteSource::Open(const std::string& path, std::unique_ptr<FileByteSource>& source) {
    // Non-blocking, so that opening a FIFO (or a link to one) does not wait
    // for a writer that may never come; the type is checked before any read.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return SystemFailure(errno, path, "cannot open");
    // Own the descriptor at once, so every path below closes it.
    std::unique_ptr<FileByteSource> opened(new FileByteSource(path, fd, 0));
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return SystemFailure(errno, path, "cannot read file status");
    // A pipe or device would block or never end; only plain files loop well.
    if (!S_ISREG(info.st_mode))
        return Failure(EINVAL, path, "not a regular file");
    // Reads of a regular file never wait anyway; the flag goes so that the
    // descriptor reads as any other.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return SystemFailure(errno, path, "cannot set the file to blocking reads");
    opened->size_ = static_cast<std::uint64_t>(info.st_size);
    source = std::move(opened);
    return media::DeviceStatus::Success();
}

FileByteSource::FileByteSource(std::string path, int fd, std::uint64_t size)
    : path_(std::move(path)), fd_(fd), size_(size) {}

FileByteSource::~FileByteSource() {
    // Read-only descriptor: a failing close loses nothing.
    ::close(fd_);
}

media::DeviceStatus FileByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) {
    std::size_t done = 0;
    while (done < dst.size()) {
        const std::uint64_t position = offset + done;
        if (position > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
            return Failure(EINVAL, path_, "read beyond the largest file offset");
        const ssize_t got = ::pread(fd_, dst.data() + done, dst.size() - done, static_cast<off_t>(position));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return SystemFailure(errno, path_, "cannot read");
        }
        if (got == 0)
            return Failure(EIO, path_, "unexpected end of file");
        done += static_cast<std::size_t>(got);
    }
    return media::DeviceStatus::Success();
}

} // namespace kamsel::virtualcam
