#pragma once
// A growable in-memory byte stream with a read/write position, the kind of
// stream the frame pipeline keeps for compressed frames and reuses: its
// capacity only grows, so a stream of camera frames allocates once.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kamsel::frames {

class MemoryStream {
  public:
    // Size 0, position 0; keeps the capacity.
    void Clear() {
        size_ = 0;
        position_ = 0;
    }
    // New bytes past the old size are zero; the position is clamped to the size.
    void SetSize(std::size_t size);
    // Writes count bytes at the position, growing the stream as needed; the
    // position moves past them. Returns count.
    std::size_t Write(const void* data, std::size_t count);
    // Reads up to count bytes from the position; returns how many were read.
    std::size_t Read(void* data, std::size_t count);
    // Any position is allowed; reading past the size gives nothing.
    void SetPosition(std::size_t position) { position_ = position; }

    std::size_t Position() const { return position_; }
    std::size_t Size() const { return size_; }
    const std::uint8_t* Memory() const { return bytes_.data(); }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

} // namespace kamsel::frames
