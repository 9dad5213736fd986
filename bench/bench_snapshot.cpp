// Snapshot writing speed: the whole surveillance snapshot as the pane takes
// it (FrameHandler::SaveSnapshot: the stamp, Assign and SaveToFile), and the
// part once the stamp is drawn, JpegImage::Assign and SaveToFile, against
// TurboJPEG's tjCompress2 at quality 90 (4:2:0) writing the same frame to a
// file, plus one frame copy (memcpy) for the Assign. Files go to a temporary
// folder in memory (/dev/shm when there is one), so the disk does not set the
// pace. The summary prints the ratios from CPU time, which includes the
// kernel's time for the writes.

#include "frames/Bitmap24.h"
#include "frames/JpegImage.h"
#include "pane/FrameHandler.h"
#include "pane/SnapshotSequence.h"
#include "support/BenchApplication.h"
#include "support/JpegFrames.h"
#include "support/TimeCollector.h"
#include "tests/pane/FrameHandlerTestPeer.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using kamsel::bench::FrameSize;
using kamsel::bench::kFrameSizes;
using kamsel::bench::SizeName;
using kamsel::frames::Bitmap24;

constexpr int kQuality = 90;

void FillBitmap(Bitmap24& bitmap, FrameSize s, const std::vector<std::uint8_t>& bgr) {
    bitmap.SetSize(s.width, s.height);
    const std::size_t row = std::size_t(s.width) * 3;
    for (int y = 0; y < s.height; ++y)
        std::memcpy(bitmap.ScanLine(y), bgr.data() + std::size_t(y) * row, row);
}

void Snapshot(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& bgr, QString path) {
    Bitmap24 stamp;
    FillBitmap(stamp, s, bgr);
    kamsel::frames::JpegImage jpeg;
    for (auto _ : state) {
        jpeg.Assign(stamp);
        jpeg.SaveToFile(path);
    }
}

class NoView final : public kamsel::pane::FrameView {
  public:
    int SelectedDisplayMode() const override { return kamsel::pane::kSurveillance; }
    void DrawFrame(const Bitmap24&) override {}
    void SetRateCaption(const QString&) override {}
    void SetDifferenceCaption(const QString&) override {}
};

// The pane's whole snapshot step, stamp included, into folder/Spy/.
void PaneSnapshot(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& bgr,
                  QString folder) {
    kamsel::pane::SnapshotSequence sequence;
    kamsel::pane::FrameHandler::Services services;
    services.Sequence = &sequence;
    services.SnapshotLimit = 1 << 30;
    NoView view;
    kamsel::pane::FrameHandler handler(view, services);
    handler.Init(folder + u'/');
    FillBitmap(kamsel::pane::FrameHandlerTestPeer::NewestFrame(handler), s, bgr);
    for (auto _ : state)
        handler.SaveSnapshot();
}

struct TjCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};

// tjCompress2 into a buffer kept across frames, then (withFile) one plain
// write of the file.
void TurboJpegCompress(benchmark::State& state, FrameSize s, const std::vector<std::uint8_t>& bgr,
                       bool withFile, QString path) {
    const std::unique_ptr<void, TjCloser> handle(tjInitCompress());
    unsigned long capacity = tjBufSize(s.width, s.height, TJSAMP_420);
    std::unique_ptr<unsigned char, decltype(&tjFree)> out(tjAlloc(int(capacity)), &tjFree);
    const std::string name = QFile::encodeName(path).toStdString();
    for (auto _ : state) {
        unsigned char* buffer = out.get();
        unsigned long size = capacity;
        if (tjCompress2(handle.get(), bgr.data(), s.width, 0, s.height, TJPF_BGR, &buffer, &size, TJSAMP_420,
                        kQuality, TJFLAG_NOREALLOC) != 0) {
            state.SkipWithError(tjGetErrorStr2(handle.get()));
            break;
        }
        if (withFile) {
            const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            if (fd < 0 || ::write(fd, buffer, size) != static_cast<ssize_t>(size) || ::close(fd) != 0) {
                state.SkipWithError("cannot write the file");
                break;
            }
        }
        benchmark::DoNotOptimize(buffer);
    }
}

void Memcpy(benchmark::State& state, const std::vector<std::uint8_t>& bgr) {
    std::vector<std::uint8_t> to(bgr.size());
    for (auto _ : state) {
        std::memcpy(to.data(), bgr.data(), bgr.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

std::optional<double> Sum(std::optional<double> a, std::optional<double> b) {
    if (!a || !b)
        return std::nullopt;
    return *a + *b;
}

} // namespace

int main(int argc, char** argv) {
    const kamsel::bench::BenchApplication app(argc, argv);
    const QString base = QDir("/dev/shm").exists() ? "/dev/shm" : QDir::tempPath();
    QTemporaryDir dir(base + "/kamsel-bench-XXXXXX");
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder in %s\n", qPrintable(base));
        return 1;
    }

    std::vector<std::vector<std::uint8_t>> frames;
    frames.reserve(std::size(kFrameSizes));
    for (FrameSize s : kFrameSizes) {
        const std::string n = SizeName(s);
        const std::vector<std::uint8_t>& bgr = frames.emplace_back(kamsel::bench::CameraBgr(s));
        benchmark::RegisterBenchmark(("snapshot/" + n + "/kamsel").c_str(), Snapshot, s, std::cref(bgr),
                                     dir.filePath("Spy_0001.jpg"));
        benchmark::RegisterBenchmark(("snapshot/" + n + "/pane").c_str(), PaneSnapshot, s, std::cref(bgr),
                                     dir.path());
        benchmark::RegisterBenchmark(("snapshot/" + n + "/tjCompress2+file").c_str(), TurboJpegCompress, s,
                                     std::cref(bgr), true, dir.filePath("tj.jpg"));
        benchmark::RegisterBenchmark(("snapshot/" + n + "/tjCompress2").c_str(), TurboJpegCompress, s,
                                     std::cref(bgr), false, QString());
        benchmark::RegisterBenchmark(("memcpy/" + n).c_str(), Memcpy, std::cref(bgr));
    }

    kamsel::bench::TimeCollector reporter(kamsel::bench::TimeCollector::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-10s %-8s %10s %22s %22s\n", "size", "step", "us", "x (tjCompress2+file",
                "x (tjCompress2");
    std::printf("%-10s %-8s %10s %22s %22s\n", "", "", "", "+ memcpy)", "+ memcpy)");
    for (FrameSize s : kFrameSizes) {
        const std::string prefix = "snapshot/" + SizeName(s) + "/";
        const std::optional<double> copy = reporter.Time("memcpy/" + SizeName(s));
        const std::optional<double> withFile = Sum(reporter.Time(prefix + "tjCompress2+file"), copy);
        const std::optional<double> encodeOnly = Sum(reporter.Time(prefix + "tjCompress2"), copy);
        for (const char* step : {"pane", "kamsel"}) {
            const std::optional<double> ours = reporter.Time(prefix + step);
            if (!ours || !withFile || !encodeOnly)
                continue;
            std::printf("%-10s %-8s %10.1f %22.3f %22.3f\n", SizeName(s).c_str(), step, *ours / 1000.0,
                        *ours / *withFile, *ours / *encodeOnly);
        }
    }
    benchmark::Shutdown();
    return 0;
}
