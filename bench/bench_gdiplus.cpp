// Decoding camera-sized motion-JPEG frames (4:2:2, as webcams send them)
// with StreamToBitmap through our gdiplus module, beside tjDecompress2 to BGR
// as the anchor. The summary prints ours / anchor per size.
//
// The module is loaded from the benchmark's own folder, as the program does.

#include "frames/UGDIPlus.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using kamsel::frames::Bitmap24;
using kamsel::frames::MemoryStream;

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{640, 480}, {1280, 720}, {1920, 1080}};

std::string SizeName(Size s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height);
}

// Smooth gradients with a little texture, quality 85.
std::vector<std::uint8_t> CameraJpeg(Size s) {
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height) * 3);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * static_cast<std::size_t>(s.width) +
                                    static_cast<std::size_t>(x)) *
                                   3];
            p[0] = static_cast<std::uint8_t>(x * 255 / s.width + (x * y) % 7);
            p[1] = static_cast<std::uint8_t>(y * 255 / s.height + (x ^ y) % 5);
            p[2] = static_cast<std::uint8_t>((x + y) * 127 / (s.width + s.height));
        }
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> jpeg;
    if (handle &&
        tjCompress2(handle, bgr.data(), s.width, 0, s.height, TJPF_BGR, &out, &size, TJSAMP_422, 85, 0) == 0)
        jpeg.assign(out, out + size);
    tjFree(out);
    if (handle)
        tjDestroy(handle);
    return jpeg;
}

void Binding(benchmark::State& state, Size s, const std::vector<std::uint8_t>& jpeg) {
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

void TurboJpeg(benchmark::State& state, Size s, const std::vector<std::uint8_t>& jpeg) {
    tjhandle handle = tjInitDecompress();
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(s.width) * static_cast<std::size_t>(s.height) * 3);
    for (auto _ : state) {
        if (tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), bgr.data(), s.width,
                          0, s.height, TJPF_BGR, TJFLAG_ACCURATEDCT) != 0) {
            state.SkipWithError("tjDecompress2 failed");
            break;
        }
        benchmark::DoNotOptimize(bgr.data());
    }
    tjDestroy(handle);
}

// Collects the time per iteration of every run for the summary.
class Collector : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    kamsel::frames::LoadGdiPlus();

    std::map<std::string, std::vector<std::uint8_t>> frames;
    for (Size s : kSizes) {
        const std::string n = SizeName(s);
        frames[n] = CameraJpeg(s);
        benchmark::RegisterBenchmark(("MJPG/" + n + "/StreamToBitmap").c_str(), Binding, s,
                                     std::cref(frames[n]));
        benchmark::RegisterBenchmark(("MJPG/" + n + "/anchor").c_str(), TurboJpeg, s, std::cref(frames[n]));
    }
    Collector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-10s %16s %12s %9s   (anchor: tjDecompress2 to BGR)\n", "size", "StreamToBitmap us",
                "anchor us", "x anchor");
    for (Size s : kSizes) {
        const std::string n = SizeName(s);
        const auto ours = reporter.times.find("MJPG/" + n + "/StreamToBitmap");
        const auto anchor = reporter.times.find("MJPG/" + n + "/anchor");
        if (ours == reporter.times.end() || anchor == reporter.times.end())
            continue;
        std::printf("%-10s %16.1f %12.1f %9.2f\n", n.c_str(), ours->second / 1000.0, anchor->second / 1000.0,
                    ours->second / anchor->second);
    }
    kamsel::frames::UnloadGdiPlus();
    benchmark::Shutdown();
    return 0;
}
