// Y4M files from outside: opening never crashes, and an opened file yields its
// frames in buffers of the announced size.

#include "platform/virtualcam/MemoryByteSource.h"
#include "platform/virtualcam/Y4mReader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using kamsel::virtualcam::MemoryByteSource;
using kamsel::virtualcam::Y4mReader;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<Y4mReader> reader;
    auto source = std::make_unique<MemoryByteSource>("fuzz.y4m", std::span(data, size));
    if (!Y4mReader::Open(std::move(source), reader).Ok())
        return 0;
    const auto& mode = reader->Mode();
    // Every indexed frame lies in the input, so the input bounds its size.
    if (reader->FrameCount() == 0 || mode.sampleSize > size || mode.width <= 0 || mode.height <= 0)
        std::abort();
    std::vector<std::uint8_t> frame(mode.sampleSize);
    const std::size_t count = std::min<std::size_t>(reader->FrameCount(), 4);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t used = 0;
        if (!reader->ReadFrame(reader->FrameCount() - 1 - i, frame, used).Ok() || used != frame.size())
            std::abort();
    }
    return 0;
}
