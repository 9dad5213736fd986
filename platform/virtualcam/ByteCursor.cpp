#include "platform/virtualcam/ByteCursor.h"

#include <algorithm>
#include <cstring>

namespace kamsel::virtualcam {

ByteCursor::ByteCursor(ByteSource& source, std::size_t windowSize)
    : source_(source), window_(std::max<std::size_t>(windowSize, 1)) {}

bool ByteCursor::Load() {
    if (position_ >= windowStart_ && position_ - windowStart_ < windowLength_)
        return true;
    if (!status_.Ok() || position_ >= source_.Size())
        return false;
    const std::uint64_t left = source_.Size() - position_;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(left, window_.size()));
    status_ = source_.ReadAt(position_, std::span(window_.data(), length));
    if (!status_.Ok()) {
        windowLength_ = 0;
        return false;
    }
    windowStart_ = position_;
    windowLength_ = length;
    return true;
}

int ByteCursor::Next() {
    if (!Load())
        return -1;
    const int value = window_[static_cast<std::size_t>(position_ - windowStart_)];
    ++position_;
    return value;
}

bool ByteCursor::SkipTo(std::uint8_t value) {
    while (Load()) {
        const std::size_t at = static_cast<std::size_t>(position_ - windowStart_);
        const auto* begin = window_.data() + at;
        const auto* found = static_cast<const std::uint8_t*>(std::memchr(begin, value, windowLength_ - at));
        if (found != nullptr) {
            position_ += static_cast<std::uint64_t>(found - begin);
            return true;
        }
        position_ = windowStart_ + windowLength_;
    }
    return false;
}

} // namespace kamsel::virtualcam
