#pragma once
// A video file opened for looped playback: one stream format and a list of
// complete frames, found when the file is opened.
//
// Threads: not thread-safe. Mode() and FrameCount() never change after
// opening; ReadFrame is called by one thread at a time.

#include "platform/media/VideoDevice.h"

#include <cstddef>
#include <span>

namespace kamsel::virtualcam {

class VideoFileReader {
  public:
    virtual ~VideoFileReader() = default;

    // The one format the file is played in; sampleSize is the buffer size a
    // frame needs.
    virtual const media::VideoMode& Mode() const = 0;
    // Number of complete frames; at least 1 for an opened reader.
    virtual std::size_t FrameCount() const = 0;
    // Copies frame `index` (below FrameCount()) to the start of `dst`, which
    // must hold Mode().sampleSize bytes, converted to Mode().fourcc; sets
    // `bytesUsed`. Fails when the file cannot be read any more.
    virtual media::DeviceStatus ReadFrame(std::size_t index, std::span<std::uint8_t> dst,
                                          std::size_t& bytesUsed) = 0;
};

} // namespace kamsel::virtualcam
