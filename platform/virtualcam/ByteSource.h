#pragma once
// Random-access bytes of a video file: the file itself, or memory for tests and
// fuzzing. The readers of video files parse through this, so the same code runs
// on both.
//
// Threads: not thread-safe; one reader uses a source at a time.

#include "platform/media/VideoDevice.h"

#include <cstdint>
#include <span>
#include <string>

namespace kamsel::virtualcam {

class ByteSource {
  public:
    virtual ~ByteSource() = default;

    // The file's path, or a label for memory; used in messages.
    virtual const std::string& Name() const = 0;
    // Size in bytes when the source was opened.
    virtual std::uint64_t Size() const = 0;
    // Fills all of `dst` from `offset`. Fails, naming the source and the
    // reason, when fewer bytes are there or the read fails.
    virtual media::DeviceStatus ReadAt(std::uint64_t offset, std::span<std::uint8_t> dst) = 0;
};

} // namespace kamsel::virtualcam
