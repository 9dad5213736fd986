#include "platform/jpeg/JpegMemoryDestination.h"

#include <algorithm>
#include <cstring>
#include <new>

#include <jerror.h>

namespace kamsel::jpeg {

namespace {

// Enough for a 640x480 camera picture at high quality; larger ones grow the
// buffer once or twice and keep it.
constexpr std::size_t kFirstCapacity = std::size_t{256} << 10;

} // namespace

JpegMemoryDestination::JpegMemoryDestination() {
    manager_.base.init_destination = &OnStart;
    manager_.base.empty_output_buffer = &OnFull;
    manager_.base.term_destination = &OnEnd;
    manager_.owner = this;
}

JpegMemoryDestination& JpegMemoryDestination::Of(j_compress_ptr info) {
    return *reinterpret_cast<Callbacks*>(info->dest)->owner;
}

// Called by the library while the error trap is armed: a failure leaves
// through error_exit, and no C++ exception escapes into the library.
void JpegMemoryDestination::OnStart(j_compress_ptr info) {
    JpegMemoryDestination& self = Of(info);
    self.used_ = 0;
    if (self.capacity_ == 0 && !self.Grow(kFirstCapacity))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    self.manager_.base.next_output_byte = self.buffer_.get();
    self.manager_.base.free_in_buffer = self.capacity_;
}

// The whole buffer is full (libjpeg's contract for this callback).
boolean JpegMemoryDestination::OnFull(j_compress_ptr info) {
    JpegMemoryDestination& self = Of(info);
    const std::size_t full = self.capacity_;
    if (!self.Grow(full * 2))
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    self.manager_.base.next_output_byte = self.buffer_.get() + full;
    self.manager_.base.free_in_buffer = self.capacity_ - full;
    return TRUE;
}

void JpegMemoryDestination::OnEnd(j_compress_ptr info) {
    JpegMemoryDestination& self = Of(info);
    self.used_ = self.capacity_ - self.manager_.base.free_in_buffer;
}

bool JpegMemoryDestination::Grow(std::size_t capacity) noexcept {
    std::unique_ptr<std::uint8_t[]> bigger(new (std::nothrow) std::uint8_t[capacity]);
    if (!bigger)
        return false;
    if (buffer_)
        std::memcpy(bigger.get(), buffer_.get(), capacity_);
    buffer_ = std::move(bigger);
    capacity_ = capacity;
    return true;
}

} // namespace kamsel::jpeg
