#pragma once
// Owns one memory mapping made through the V4l2Io seam and unmaps it there.

#include "V4l2Io.h"

#include <cstddef>
#include <cstdint>

namespace kamsel::v4l2 {

class UniqueMapping {
  public:
    UniqueMapping() = default;
    // Takes ownership of [address, address + length). io must outlive this.
    UniqueMapping(V4l2Io& io, void* address, std::size_t length)
        : io_(&io), address_(address), length_(length) {}
    UniqueMapping(UniqueMapping&& other) noexcept;
    UniqueMapping& operator=(UniqueMapping&& other) noexcept;
    UniqueMapping(const UniqueMapping&) = delete;
    UniqueMapping& operator=(const UniqueMapping&) = delete;
    ~UniqueMapping() { Reset(); }

    const std::uint8_t* Data() const { return static_cast<const std::uint8_t*>(address_); }
    std::size_t Length() const { return length_; }
    // Unmaps; an unmap error cannot be acted upon and is dropped.
    void Reset();

  private:
    V4l2Io* io_ = nullptr;
    void* address_ = nullptr;
    std::size_t length_ = 0;
};

} // namespace kamsel::v4l2
