#pragma once
// Bytes held in memory, for tests and fuzzing.

#include "platform/virtualcam/ByteSource.h"

#include <vector>

namespace kamsel::virtualcam {

class MemoryByteSource final : public ByteSource {
  public:
    MemoryByteSource(std::string name, std::vector<std::uint8_t> bytes);
    MemoryByteSource(std::string name, std::span<const std::uint8_t> bytes);

    const std::string& Name() const override { return name_; }
    std::uint64_t Size() const override { return bytes_.size(); }
    media::DeviceStatus ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) override;

  private:
    std::string name_;
    std::vector<std::uint8_t> bytes_;
};

} // namespace kamsel::virtualcam
