#include "platform/virtualcam/MemoryByteSource.h"

#include "platform/virtualcam/DeviceErrors.h"

#include <cerrno>
#include <cstring>

namespace kamsel::virtualcam {

MemoryByteSource::MemoryByteSource(std::string name, std::vector<std::uint8_t> bytes)
    : name_(std::move(name)), bytes_(std::move(bytes)) {}

MemoryByteSource::MemoryByteSource(std::string name, std::span<const std::uint8_t> bytes)
    : name_(std::move(name)), bytes_(bytes.begin(), bytes.end()) {}

media::DeviceStatus MemoryByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) {
    if (offset > bytes_.size() || dst.size() > bytes_.size() - offset)
        return Failure(EIO, name_, "unexpected end of data");
    if (!dst.empty())
        std::memcpy(dst.data(), bytes_.data() + offset, dst.size());
    return media::DeviceStatus::Success();
}

} // namespace kamsel::virtualcam
