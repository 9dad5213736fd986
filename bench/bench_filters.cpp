// The pane's display filters against memcpy of the same frame, each on a
// camera-like frame and the same frame moved a few pixels (a scene with
// motion). Ratios from CPU time are printed at the end.

#include "pane/DisplayFilters.h"
#include "platform/media/PixelKernels.h"
#include "support/BenchApplication.h"
#include "support/JpegFrames.h"
#include "support/TimeCollector.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using kamsel::frames::Bitmap24;

using kamsel::bench::FrameSize;
using kamsel::bench::kFrameSizes;
using kamsel::bench::SizeName;

// The camera-like picture, moved right by `shift` pixels.
void CameraFrame(Bitmap24& frame, FrameSize s, int shift) {
    const std::vector<std::uint8_t> bgr = kamsel::bench::CameraBgr(s);
    frame.SetSize(s.width, s.height);
    const std::size_t row = std::size_t(s.width) * 3, moved = std::size_t(shift) * 3;
    for (int y = 0; y < s.height; ++y) {
        const std::uint8_t* in = bgr.data() + std::size_t(y) * row;
        std::memcpy(frame.ScanLine(y) + moved, in, row - moved);
        std::memcpy(frame.ScanLine(y), in + row - moved, moved);
    }
}

void Memcpy(benchmark::State& state, FrameSize s) {
    std::vector<std::uint8_t> from(std::size_t(s.width) * s.height * 3, 7), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

template <typename Filter>
void RunFilter(benchmark::State& state, FrameSize s, Filter filter) {
    Bitmap24 current, previous, dest;
    CameraFrame(current, s, 0);
    CameraFrame(previous, s, 12);
    filter(current, previous, dest); // sizes dest once, as the pane's reused bitmap
    for (auto _ : state) {
        filter(current, previous, dest);
        benchmark::DoNotOptimize(dest.Bits());
        benchmark::ClobberMemory();
    }
}

} // namespace

int main(int argc, char** argv) {
    kamsel::bench::BenchApplication application(argc, argv);
    using namespace kamsel::pane;
    for (const FrameSize s : kFrameSizes) {
        const std::string n = SizeName(s);
        benchmark::RegisterBenchmark(("memcpy/" + n).c_str(), Memcpy, s);
        benchmark::RegisterBenchmark(
            ("invert/" + n).c_str(), RunFilter<void (*)(const Bitmap24&, const Bitmap24&, Bitmap24&)>, s,
            [](const Bitmap24& c, const Bitmap24&, Bitmap24& d) { InvertBitmap(c, d); });
        benchmark::RegisterBenchmark(
            ("gray/" + n).c_str(), RunFilter<void (*)(const Bitmap24&, const Bitmap24&, Bitmap24&)>, s,
            [](const Bitmap24& c, const Bitmap24&, Bitmap24& d) { GrayScaleBitmap(c, d); });
        // The plain grey rows alone, the filter before it had vector kernels.
        benchmark::RegisterBenchmark(
            ("gray-plain/" + n).c_str(), RunFilter<void (*)(const Bitmap24&, const Bitmap24&, Bitmap24&)>, s,
            [](const Bitmap24& c, const Bitmap24&, Bitmap24& d) {
                const auto gray = kamsel::media::PixelKernels::For(kamsel::media::CpuLevel::Plain).GrayRow;
                d.SetFormat(kamsel::frames::PixelFormat::Bits24); // as the filter does: kept when it fits
                d.SetSize(c.Width(), c.Height());
                for (int row = 0; row < c.Height(); ++row)
                    gray(c.ScanLine(row), d.ScanLine(row), c.Width());
            });
        benchmark::RegisterBenchmark(("difference/" + n).c_str(),
                                     RunFilter<void (*)(const Bitmap24&, const Bitmap24&, Bitmap24&)>, s,
                                     [](const Bitmap24& c, const Bitmap24& p, Bitmap24& d) {
                                         double ratio = 0;
                                         DifferenceBitmap(c, p, ratio, d);
                                     });
        benchmark::RegisterBenchmark(("highlight/" + n).c_str(),
                                     RunFilter<void (*)(const Bitmap24&, const Bitmap24&, Bitmap24&)>, s,
                                     [](const Bitmap24& c, const Bitmap24& p, Bitmap24& d) {
                                         double ratio = 0;
                                         HighlightDifferences(c, p, ratio, d);
                                     });
    }
    kamsel::bench::TimeCollector reporter(kamsel::bench::TimeCollector::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-10s %-10s %10s   (x memcpy of the frame)\n", "step", "size", "ratio");
    for (const FrameSize s : kFrameSizes) {
        const std::string n = SizeName(s);
        for (const char* step : {"invert", "gray", "gray-plain", "difference", "highlight"})
            if (const auto ratio = reporter.Ratio(std::string(step) + "/" + n, "memcpy/" + n))
                std::printf("%-10s %-10s %10.2f\n", step, n.c_str(), *ratio);
    }
    benchmark::Shutdown();
    return 0;
}
