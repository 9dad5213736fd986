// MJPEG files from outside: opening never crashes, and every frame found is a
// whole JPEG image (SOI to EOI) that fits the announced buffer.

#include "platform/virtualcam/MemoryByteSource.h"
#include "platform/virtualcam/MjpegFileReader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using kamsel::virtualcam::MemoryByteSource;
using kamsel::virtualcam::MjpegFileReader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<MjpegFileReader> reader;
    auto source = std::make_unique<MemoryByteSource>("fuzz.mjpeg", std::span(data, size));
    if (!MjpegFileReader::Open(std::move(source), reader).Ok())
        return 0;
    const auto& mode = reader->Mode();
    if (reader->FrameCount() == 0 || mode.width <= 0 || mode.height <= 0 ||
        mode.sampleSize <
            static_cast<std::uint64_t>(mode.width) * static_cast<std::uint64_t>(mode.height) * 2)
        std::abort();
    // The announced buffer may be far larger than the input (it follows the
    // picture size); a frame never is.
    std::vector<std::uint8_t> frame(std::min<std::size_t>(mode.sampleSize, size));
    const std::size_t count = std::min<std::size_t>(reader->FrameCount(), 8);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t used = 0;
        if (!reader->ReadFrame(i, frame, used).Ok() || used < 4 || used > mode.sampleSize)
            std::abort();
        if (frame[0] != 0xFF || frame[1] != 0xD8 || frame[used - 2] != 0xFF || frame[used - 1] != 0xD9)
            std::abort();
    }
    return 0;
}
