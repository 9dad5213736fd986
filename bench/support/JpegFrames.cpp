#include "JpegFrames.h"

#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

namespace kamsel::bench {

namespace {

struct TjCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjCloser>;

std::size_t Pixels(FrameSize s) {
    return static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height);
}

} // namespace

std::string SizeName(FrameSize s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height);
}

std::vector<std::uint8_t> CameraBgr(FrameSize s) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> bgr(Pixels(s) * 3);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) +
                                    static_cast<std::size_t>(x)) *
                                   3];
            p[0] = static_cast<std::uint8_t>(x * 255 / s.width + static_cast<int>(random() % 8));
            p[1] = static_cast<std::uint8_t>(y * 255 / s.height + static_cast<int>(random() % 8));
            p[2] = static_cast<std::uint8_t>((x + y) * 127 / (s.width + s.height) +
                                             static_cast<int>(random() % 8));
        }
    return bgr;
}

std::vector<std::uint8_t> CameraJpeg(FrameSize s) {
    std::vector<std::uint8_t> bgr = CameraBgr(s);
    const TjHandle handle(tjInitCompress());
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (!handle || tjCompress2(handle.get(), bgr.data(), s.width, 0, s.height, TJPF_BGR, &out, &size,
                               TJSAMP_422, 85, 0) != 0) {
        std::fprintf(stderr, "tjCompress2: %s\n", tjGetErrorStr2(handle.get()));
        std::exit(1);
    }
    std::vector<std::uint8_t> jpeg(out, out + size);
    tjFree(out);
    return jpeg;
}

void TurboJpegDecode(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& jpeg) {
    const TjHandle handle(tjInitDecompress());
    if (!handle) {
        state.SkipWithError(tjGetErrorStr2(nullptr));
        return;
    }
    std::vector<std::uint8_t> bgr(Pixels(s) * 3);
    for (auto _ : state) {
        if (tjDecompress2(handle.get(), jpeg.data(), static_cast<unsigned long>(jpeg.size()), bgr.data(),
                          s.width, 0, s.height, TJPF_BGR, TJFLAG_ACCURATEDCT) != 0) {
            state.SkipWithError(tjGetErrorStr2(handle.get()));
            break;
        }
        benchmark::DoNotOptimize(bgr.data());
        benchmark::ClobberMemory();
    }
}

} // namespace kamsel::bench
