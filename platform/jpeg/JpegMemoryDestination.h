#pragma once
// A libjpeg destination that collects the compressed picture in memory. The
// buffer is kept from one picture to the next and only grows, so a stream of
// same-sized pictures allocates nothing after its first few.
//
// Threads: belongs to its compressor, one thread at a time.

#include <cstddef>
#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE
#include <memory>
#include <span>

#include <jpeglib.h>

namespace kamsel::jpeg {

class JpegMemoryDestination {
  public:
    JpegMemoryDestination();
    JpegMemoryDestination(const JpegMemoryDestination&) = delete;
    JpegMemoryDestination& operator=(const JpegMemoryDestination&) = delete;

    // For the dest field of a compression object; must outlive its use there.
    jpeg_destination_mgr* Manager() { return &manager_.base; }

    // The bytes of the last finished picture; valid until the next picture
    // starts.
    std::span<const std::uint8_t> Bytes() const { return {buffer_.get(), used_}; }

  private:
    static JpegMemoryDestination& Of(j_compress_ptr info);
    static void OnStart(j_compress_ptr info);
    static boolean OnFull(j_compress_ptr info);
    static void OnEnd(j_compress_ptr info);
    bool Grow(std::size_t capacity) noexcept;

    struct Callbacks {
        jpeg_destination_mgr base; // first: the library's pointer converts back
        JpegMemoryDestination* owner;
    };
    Callbacks manager_{};
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
};

} // namespace kamsel::jpeg
