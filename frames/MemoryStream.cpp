#include "MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace kamsel::frames {

void MemoryStream::SetSize(std::size_t size) {
    if (size > bytes_.size())
        bytes_.resize(size);
    if (size > size_)
        std::memset(bytes_.data() + size_, 0, size - size_);
    size_ = size;
    position_ = std::min(position_, size_);
}

std::size_t MemoryStream::Write(const void* data, std::size_t count) {
    if (count == 0)
        return 0;
    const std::size_t end = position_ + count;
    if (end > bytes_.size())
        bytes_.resize(std::max(end, bytes_.size() * 2));
    if (position_ > size_)
        std::memset(bytes_.data() + size_, 0, position_ - size_);
    std::memcpy(bytes_.data() + position_, data, count);
    position_ = end;
    size_ = std::max(size_, end);
    return count;
}

std::size_t MemoryStream::Read(void* data, std::size_t count) {
    if (position_ >= size_)
        return 0;
    const std::size_t n = std::min(count, size_ - position_);
    std::memcpy(data, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

} // namespace kamsel::frames
