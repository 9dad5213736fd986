// The pane's per-frame work: the four display filters against memcpy of the
// same frame, and a surveillance snapshot (stamp and JPEG file) against
// TurboJPEG's tjCompress2 at quality 90 (4:2:0) plus one frame copy. Ratios
// from CPU time are printed at the end.

#include "pane/DisplayFilters.h"
#include "pane/FrameHandler.h"
#include "pane/SnapshotSequence.h"
#include "support/BenchApplication.h"
#include "support/TimeCollector.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

using kamsel::frames::Bitmap24;

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{640, 480}, {1280, 720}, {1920, 1080}};

std::string Name(Size s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height);
}

// A camera-like frame: smooth gradients with a little noise; `shift` moves
// the picture so that two frames differ as in a scene with motion.
void CameraFrame(Bitmap24& frame, Size s, int shift) {
    frame.SetSize(s.width, s.height);
    std::mt19937 random(unsigned(shift) + 1);
    for (int y = 0; y < s.height; ++y) {
        std::uint8_t* row = frame.ScanLine(y);
        for (int x = 0; x < s.width; ++x) {
            const int noise = int(random() % 9) - 4;
            row[3 * x] = std::uint8_t(std::clamp((x + shift) * 255 / s.width + noise, 0, 255));
            row[3 * x + 1] = std::uint8_t(std::clamp(y * 255 / s.height + noise, 0, 255));
            row[3 * x + 2] =
                std::uint8_t(std::clamp(((x + y + 2 * shift) / 8 % 2) * 160 + noise + 40, 0, 255));
        }
    }
}

class NoView final : public kamsel::pane::FrameView {
  public:
    int SelectedDisplayMode() const override { return kamsel::pane::kSurveillance; }
    void DrawFrame(const Bitmap24&) override {}
    void SetRateCaption(const QString&) override {}
    void SetDifferenceCaption(const QString&) override {}
};

void Memcpy(benchmark::State& state, Size s) {
    std::vector<std::uint8_t> from(std::size_t(s.width) * s.height * 3, 7), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

template <typename Filter>
void RunFilter(benchmark::State& state, Size s, Filter filter) {
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

void Snapshot(benchmark::State& state, Size s) {
    QTemporaryDir folder;
    kamsel::pane::SnapshotSequence sequence;
    kamsel::pane::FrameHandler::Services services;
    services.Sequence = &sequence;
    services.SnapshotLimit = 1 << 30;
    NoView view;
    kamsel::pane::FrameHandler handler(view, services);
    handler.Init(folder.path() + u'/');
    CameraFrame(handler.FFrames[handler.FCurFrame], s, 0);
    for (auto _ : state)
        handler.SaveSnapshot();
}

// tjCompress2 at quality 90, 4:2:0, from the frame's blue-green-red rows,
// plus one copy of the frame: what a snapshot needs at the least.
void TurboJpegEncode(benchmark::State& state, Size s) {
    Bitmap24 frame, copy;
    CameraFrame(frame, s, 0);
    copy.SetSize(s.width, s.height);
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    for (auto _ : state) {
        for (int y = 0; y < s.height; ++y)
            std::memcpy(copy.ScanLine(y), frame.ScanLine(y), std::size_t(s.width) * 3);
        if (tjCompress2(handle, copy.Bits(), s.width, copy.BytesPerLine(), s.height, TJPF_BGR, &jpeg, &size,
                        TJSAMP_420, 90, 0) != 0) {
            state.SkipWithError(tjGetErrorStr2(handle));
            break;
        }
        benchmark::DoNotOptimize(jpeg);
    }
    tjFree(jpeg);
    tjDestroy(handle);
}

} // namespace

int main(int argc, char** argv) {
    kamsel::bench::BenchApplication application(argc, argv);
    using namespace kamsel::pane;
    for (const Size s : kSizes) {
        const std::string n = Name(s);
        benchmark::RegisterBenchmark(("memcpy/" + n).c_str(), Memcpy, s);
        benchmark::RegisterBenchmark(
            ("invert/" + n).c_str(), RunFilter<void (*)(const Bitmap24&, const Bitmap24&, Bitmap24&)>, s,
            [](const Bitmap24& c, const Bitmap24&, Bitmap24& d) { InvertBitmap(c, d); });
        benchmark::RegisterBenchmark(
            ("gray/" + n).c_str(), RunFilter<void (*)(const Bitmap24&, const Bitmap24&, Bitmap24&)>, s,
            [](const Bitmap24& c, const Bitmap24&, Bitmap24& d) { GrayScaleBitmap(c, d); });
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
        benchmark::RegisterBenchmark(("snapshot/" + n).c_str(), Snapshot, s);
        benchmark::RegisterBenchmark(("tjCompress2+copy/" + n).c_str(), TurboJpegEncode, s);
    }
    kamsel::bench::TimeCollector reporter(kamsel::bench::TimeCollector::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-10s %-10s %10s   (x memcpy of the frame; snapshot: x tjCompress2 q90 4:2:0 + copy)\n",
                "step", "size", "ratio");
    for (const Size s : kSizes) {
        const std::string n = Name(s);
        for (const char* step : {"invert", "gray", "difference", "highlight"})
            if (const auto ratio = reporter.Ratio(std::string(step) + "/" + n, "memcpy/" + n))
                std::printf("%-10s %-10s %10.2f\n", step, n.c_str(), *ratio);
        if (const auto ratio = reporter.Ratio("snapshot/" + n, "tjCompress2+copy/" + n))
            std::printf("%-10s %-10s %10.2f\n", "snapshot", n.c_str(), *ratio);
    }
    benchmark::Shutdown();
    return 0;
}
