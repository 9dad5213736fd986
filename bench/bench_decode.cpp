// Frame decoding speed: UnpackFrame for each pixel format and video size,
// beside its anchor in the same run (libyuv for YUV, TurboJPEG for motion
// JPEG) and memcpy of the output frame as the floor. The summary at the end
// prints ours / anchor and ours / memcpy for each pair, from CPU time (the
// machines that run it are often shared, which inflates wall time).
//
// libyuv is not bit-exact with our tables; it only sets the pace.

#include "frames/TVideoImage.h"
#include "frames/UGDIPlus.h"
#include "platform/media/YuvConverter.h"
#include "support/BenchApplication.h"
#include "support/JpegFrames.h"
#include "support/TimeCollector.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include <benchmark/benchmark.h>
#include <libyuv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using kamsel::frames::FourCC;
using kamsel::frames::TVideoImage;
using kamsel::frames::TVideoImageTestPeer;

using kamsel::bench::FrameSize;
using kamsel::bench::kFrameSizes;
using kamsel::bench::SizeName;

std::vector<std::uint8_t> RandomBytes(std::size_t n) {
    std::mt19937 random(42);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes)
        b = std::uint8_t(random());
    return bytes;
}

void Unpack(benchmark::State& state, FrameSize s, std::uint32_t code,
            const std::vector<std::uint8_t>& sample) {
    TVideoImage image;
    image.VideoWidth = s.width;
    image.VideoHeight = s.height;
    image.VideoFourCC = code;
    TVideoImageTestPeer::FrameBitmap(image).SetSize(s.width, s.height);
    image.UnpackFrame(std::int32_t(sample.size()), sample.data()); // tables, decoder warm
    for (auto _ : state) {
        TVideoImageTestPeer::FrameDecoded(image) = false;
        image.UnpackFrame(std::int32_t(sample.size()), sample.data());
        benchmark::DoNotOptimize(TVideoImageTestPeer::FrameBitmap(image).Bits());
        benchmark::ClobberMemory();
    }
    if (!TVideoImageTestPeer::FrameDecoded(image))
        state.SkipWithError("frame not decoded");
}

// Motion JPEG as the program decodes it: through the GDI+ module beside the
// executable, loaded for this benchmark only.
void UnpackWithGdiPlus(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& jpeg) {
    kamsel::frames::LoadGdiPlus();
    if (!kamsel::frames::GdiPlusAvailable()) {
        state.SkipWithError("gdiplus.so not found beside the executable");
        return;
    }
    Unpack(state, s, FourCC("MJPG"), jpeg);
    kamsel::frames::UnloadGdiPlus();
}

// The conversion alone with a chosen kernel, to show what each one gives.
void Kernel(benchmark::State& state, FrameSize s, bool planar, kamsel::media::YuvKernel kernel,
            const std::vector<std::uint8_t>& sample) {
    using namespace kamsel::media;
    TVideoImage tables;
    tables.InitYUVTables();
    const YuvConverter converter(
        {TVideoImageTestPeer::TableY(tables).data(), TVideoImageTestPeer::TableUG(tables).data(),
         TVideoImageTestPeer::TableUB(tables).data(), TVideoImageTestPeer::TableVR(tables).data(),
         TVideoImageTestPeer::TableVG(tables).data(),
         TVideoImageTestPeer::ClipTable(tables).data() + TVideoImage::kClipZero},
        kernel);
    if (converter.Kernel() != kernel) {
        state.SkipWithError("kernel not available");
        return;
    }
    const std::size_t stride = std::size_t(s.width) * 3;
    std::vector<std::uint8_t> out(stride * std::size_t(s.height));
    const int pairs = s.width / 2;
    const std::uint8_t* u = sample.data() + std::size_t(s.width) * s.height;
    const std::uint8_t* v = u + std::size_t(s.width) * s.height / 4;
    for (auto _ : state) {
        for (int r = 0; r < s.height; r += planar ? 2 : 1) {
            if (planar)
                converter.PlanarRows(sample.data() + std::size_t(r) * s.width,
                                     sample.data() + std::size_t(r + 1) * s.width,
                                     u + std::size_t(r / 2) * pairs, v + std::size_t(r / 2) * pairs, pairs,
                                     out.data() + r * stride, out.data() + (r + 1) * stride);
            else
                converter.PackedRow(sample.data() + std::size_t(r) * s.width * 2, pairs,
                                    out.data() + r * stride);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

void LibyuvYuy2(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& sample) {
    std::vector<std::uint8_t> argb(std::size_t(s.width) * s.height * 4);
    std::vector<std::uint8_t> rgb(std::size_t(s.width) * s.height * 3);
    for (auto _ : state) {
        libyuv::YUY2ToARGB(sample.data(), s.width * 2, argb.data(), s.width * 4, s.width, s.height);
        libyuv::ARGBToRGB24(argb.data(), s.width * 4, rgb.data(), s.width * 3, s.width, s.height);
        benchmark::DoNotOptimize(rgb.data());
        benchmark::ClobberMemory();
    }
}

void LibyuvI420(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& sample) {
    std::vector<std::uint8_t> rgb(std::size_t(s.width) * s.height * 3);
    const std::uint8_t* y = sample.data();
    const std::uint8_t* u = y + std::size_t(s.width) * s.height;
    const std::uint8_t* v = u + std::size_t(s.width) * s.height / 4;
    for (auto _ : state) {
        libyuv::I420ToRGB24(y, s.width, u, s.width / 2, v, s.width / 2, rgb.data(), s.width * 3, s.width,
                            s.height);
        benchmark::DoNotOptimize(rgb.data());
        benchmark::ClobberMemory();
    }
}

void Memcpy(benchmark::State& state, FrameSize s) {
    const std::vector<std::uint8_t> from = RandomBytes(std::size_t(s.width) * s.height * 3);
    std::vector<std::uint8_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// Per-size inputs, alive for the whole run.
struct Inputs {
    std::vector<std::uint8_t> yuy2, i420, rgb, jpeg;
};

} // namespace

int main(int argc, char** argv) {
    const kamsel::bench::BenchApplication app(argc, argv);

    std::map<std::string, Inputs> inputs;
    for (FrameSize s : kFrameSizes) {
        const std::string n = SizeName(s);
        Inputs& in = inputs[n];
        in.yuy2 = RandomBytes(std::size_t(s.width) * s.height * 2);
        in.i420 = RandomBytes(std::size_t(s.width) * s.height * 3 / 2);
        in.rgb = RandomBytes(std::size_t(s.width) * s.height * 3);
        in.jpeg = kamsel::bench::CameraJpeg(s);
        benchmark::RegisterBenchmark(("YUY2/" + n + "/kamsel").c_str(), Unpack, s, FourCC("YUY2"),
                                     std::cref(in.yuy2));
        benchmark::RegisterBenchmark(("YUY2/" + n + "/anchor").c_str(), LibyuvYuy2, s, std::cref(in.yuy2));
        for (auto [kernel, name] : {std::pair{kamsel::media::YuvKernel::Scalar, "scalar"},
                                    std::pair{kamsel::media::YuvKernel::Sse2, "sse2"},
                                    std::pair{kamsel::media::YuvKernel::Avx2, "avx2"},
                                    std::pair{kamsel::media::YuvKernel::Avx512, "avx512"}}) {
            benchmark::RegisterBenchmark(("YUY2/" + n + "/kernel-" + name).c_str(), Kernel, s, false, kernel,
                                         std::cref(in.yuy2));
            benchmark::RegisterBenchmark(("I420/" + n + "/kernel-" + name).c_str(), Kernel, s, true, kernel,
                                         std::cref(in.i420));
        }
        benchmark::RegisterBenchmark(("I420/" + n + "/kamsel").c_str(), Unpack, s, FourCC("I420"),
                                     std::cref(in.i420));
        benchmark::RegisterBenchmark(("I420/" + n + "/anchor").c_str(), LibyuvI420, s, std::cref(in.i420));
        benchmark::RegisterBenchmark(("RGB24/" + n + "/kamsel").c_str(), Unpack, s, 0u, std::cref(in.rgb));
        benchmark::RegisterBenchmark(("MJPG/" + n + "/kamsel").c_str(), Unpack, s, FourCC("MJPG"),
                                     std::cref(in.jpeg));
        benchmark::RegisterBenchmark(("MJPG/" + n + "/kamsel-gdiplus").c_str(), UnpackWithGdiPlus, s,
                                     std::cref(in.jpeg));
        benchmark::RegisterBenchmark(("MJPG/" + n + "/anchor").c_str(), kamsel::bench::TurboJpegDecode, s,
                                     std::cref(in.jpeg));
        benchmark::RegisterBenchmark(("memcpy/" + n).c_str(), Memcpy, s);
    }

    kamsel::bench::TimeCollector reporter(kamsel::bench::TimeCollector::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-6s %-10s %12s %9s %9s   (anchor: libyuv for YUV, tjDecompress2 for MJPG)\n", "format",
                "size", "kamsel us", "x anchor", "x memcpy");
    for (const std::string format : {"YUY2", "I420", "RGB24", "MJPG"})
        for (FrameSize s : kFrameSizes) {
            const std::string prefix = format + "/" + SizeName(s) + "/";
            const std::optional<double> ours = reporter.Time(prefix + "kamsel");
            const std::optional<double> floor = reporter.Ratio(prefix + "kamsel", "memcpy/" + SizeName(s));
            if (!ours || !floor)
                continue;
            const std::optional<double> anchor = reporter.Ratio(prefix + "kamsel", prefix + "anchor");
            std::printf("%-6s %-10s %12.1f %9s %9.2f\n", format.c_str(), SizeName(s).c_str(), *ours / 1000.0,
                        anchor ? std::to_string(*anchor).substr(0, 5).c_str() : "-", *floor);
        }
    std::printf("\nMotion JPEG through the GDI+ module (x tjDecompress2):\n");
    for (FrameSize s : kFrameSizes) {
        const std::string prefix = "MJPG/" + SizeName(s) + "/";
        if (const std::optional<double> ratio = reporter.Ratio(prefix + "kamsel-gdiplus", prefix + "anchor"))
            std::printf("MJPG   %-10s %6.3f\n", SizeName(s).c_str(), *ratio);
    }
    std::printf("\nConversion alone by kernel (x libyuv):\n");
    for (const std::string format : {"YUY2", "I420"})
        for (FrameSize s : kFrameSizes) {
            const std::string prefix = format + "/" + SizeName(s) + "/";
            std::printf("%-6s %-10s", format.c_str(), SizeName(s).c_str());
            for (const std::string kernel : {"scalar", "sse2", "avx2", "avx512"})
                if (const std::optional<double> ratio =
                        reporter.Ratio(prefix + "kernel-" + kernel, prefix + "anchor"))
                    std::printf("  %s %6.2f", kernel.c_str(), *ratio);
            std::printf("\n");
        }
    benchmark::Shutdown();
    return 0;
}
