#include "UniqueMapping.h"

#include <utility>

namespace kamsel::v4l2 {

UniqueMapping::UniqueMapping(UniqueMapping&& other) noexcept
    : io_(std::exchange(other.io_, nullptr)), address_(std::exchange(other.address_, nullptr)),
      length_(std::exchange(other.length_, 0)) {}

UniqueMapping& UniqueMapping::operator=(UniqueMapping&& other) noexcept {
    if (this != &other) {
        Reset();
        io_ = std::exchange(other.io_, nullptr);
        address_ = std::exchange(other.address_, nullptr);
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

void UniqueMapping::Reset() {
    if (address_ && io_)
        io_->Munmap(address_, length_);
    address_ = nullptr;
    length_ = 0;
}

} // namespace kamsel::v4l2
