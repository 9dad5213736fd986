// Decoding camera-sized motion-JPEG frames (4:2:2, as webcams send them)
// with StreamToBitmap through our gdiplus module, beside tjDecompress2 to BGR
// as the anchor. The summary prints ours / anchor per size.
//
// The module is loaded from the benchmark's own folder, as the program does.

#include "frames/UGDIPlus.h"
#include "support/BenchApplication.h"
#include "support/JpegFrames.h"
#include "support/TimeCollector.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using kamsel::frames::Bitmap24;
using kamsel::frames::MemoryStream;

using kamsel::bench::FrameSize;
using kamsel::bench::kFrameSizes;
using kamsel::bench::SizeName;

void Binding(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& jpeg) {
    if (!kamsel::frames::GdiPlusAvailable()) {
        state.SkipWithError("gdiplus.so not found beside the benchmark");
        return;
    }
    MemoryStream stream;
    stream.Write(jpeg.data(), jpeg.size());
    Bitmap24 bitmap(s.width, s.height);
    for (auto _ : state) {
        stream.SetPosition(0);
        if (kamsel::frames::StreamToBitmap(stream, &bitmap) != 0) {
            state.SkipWithError("StreamToBitmap failed");
            return;
        }
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
}

} // namespace

int main(int argc, char** argv) {
    const kamsel::bench::BenchApplication app(argc, argv);
    kamsel::frames::LoadGdiPlus();

    std::map<std::string, std::vector<std::uint8_t>> frames;
    for (FrameSize s : kFrameSizes) {
        const std::string n = SizeName(s);
        frames[n] = kamsel::bench::CameraJpeg(s);
        benchmark::RegisterBenchmark(("MJPG/" + n + "/StreamToBitmap").c_str(), Binding, s,
                                     std::cref(frames[n]));
        benchmark::RegisterBenchmark(("MJPG/" + n + "/anchor").c_str(), kamsel::bench::TurboJpegDecode, s,
                                     std::cref(frames[n]));
    }
    // Wall time: the module's cost includes the page faults of its output.
    kamsel::bench::TimeCollector reporter(kamsel::bench::TimeCollector::Clock::Real);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-10s %9s   (anchor: tjDecompress2 to BGR)\n", "size", "x anchor");
    for (FrameSize s : kFrameSizes) {
        const std::string prefix = "MJPG/" + SizeName(s) + "/";
        if (const std::optional<double> ratio = reporter.Ratio(prefix + "StreamToBitmap", prefix + "anchor"))
            std::printf("%-10s %9.2f\n", SizeName(s).c_str(), *ratio);
    }
    kamsel::frames::UnloadGdiPlus();
    benchmark::Shutdown();
    return 0;
}
