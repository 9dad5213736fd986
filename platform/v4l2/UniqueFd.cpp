#include "UniqueFd.h"

#include <utility>

namespace kamsel::v4l2 {

UniqueFd::UniqueFd(UniqueFd&& other) noexcept
    : io_(std::exchange(other.io_, nullptr)), fd_(std::exchange(other.fd_, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        Reset();
        io_ = std::exchange(other.io_, nullptr);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void UniqueFd::Reset() {
    if (fd_ >= 0 && io_)
        io_->Close(fd_);
    fd_ = -1;
}

} // namespace kamsel::v4l2
