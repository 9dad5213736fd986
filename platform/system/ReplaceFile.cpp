#include "platform/system/ReplaceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace kamsel::system {

namespace {

// A leftover of a crashed run may hold a name; try the next ones.
constexpr int kNameAttempts = 100;

// The temporary file while it is being written: closed and removed unless
// Commit renamed it into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target) : target_(target) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!name_.empty())
            ::unlink(name_.c_str());
    }

    int Create() {
        const std::string prefix = target_ + ".tmp-" + std::to_string(::getpid()) + "-";
        for (int n = 0; n < kNameAttempts; ++n) {
            const std::string name = prefix + std::to_string(n);
            fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                name_ = name;
                return 0;
            }
            if (errno != EEXIST)
                return -errno;
        }
        return -EEXIST;
    }

    int Write(std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return -errno;
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        }
        return 0;
    }

    // Closing reports late write errors (network file systems, quotas).
    int Commit() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            return -errno;
        if (::rename(name_.c_str(), target_.c_str()) != 0)
            return -errno;
        name_.clear();
        return 0;
    }

  private:
    const std::string& target_;
    std::string name_;
    int fd_ = -1;
};

} // namespace

int ReplaceFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    TemporaryFile file(path);
    if (const int error = file.Create(); error != 0)
        return error;
    if (const int error = file.Write(bytes); error != 0)
        return error;
    return file.Commit();
}

} // namespace kamsel::system
