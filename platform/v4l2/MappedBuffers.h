#pragma once
// The memory-mapped capture buffers of one stream: requested from the driver,
// mapped, and on destruction unmapped and handed back (in that order, as the
// driver refuses to free buffers that are still mapped).

#include "UniqueMapping.h"
#include "V4l2Io.h"
#include "platform/media/VideoDevice.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kamsel::v4l2 {

class MappedBuffers {
  public:
    // fd is an open capture node at path (named in messages); io outlives this.
    MappedBuffers(V4l2Io& io, int fd, std::string path) : io_(io), fd_(fd), path_(std::move(path)) {}
    MappedBuffers(const MappedBuffers&) = delete;
    MappedBuffers& operator=(const MappedBuffers&) = delete;
    ~MappedBuffers() { Release(); }

    // Asks for count buffers (the driver may grant another number) and maps each.
    media::DeviceStatus Allocate(std::uint32_t count);
    // Hands buffer index to the driver to be filled. 0 or -errno.
    int Queue(std::uint32_t index);
    // Unmaps every buffer and frees them in the driver. Errors are dropped:
    // after an unplug the driver refuses, and nothing is left to do.
    void Release();

    std::uint32_t Count() const { return static_cast<std::uint32_t>(mappings_.size()); }
    const UniqueMapping& At(std::uint32_t index) const { return mappings_[index]; }

  private:
    media::DeviceStatus Map(std::uint32_t index);

    V4l2Io& io_;
    int fd_;
    std::string path_;
    bool requested_ = false;
    std::vector<UniqueMapping> mappings_;
};

} // namespace kamsel::v4l2
