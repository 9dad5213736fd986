// The whole frame pipeline as the program runs it: a virtual pattern camera
// streams through the capture object (TVideoSample) into a camera pane's frame
// facade (TVideoImage), whose frame message reaches the pane's OnVideoFrame,
// which decodes, filters, paints into the pane's paint box and, in
// "Surveillance", writes snapshots. A real TFrame1 runs on the offscreen
// platform, driven through its own buttons and boxes.
//
// The first half, per pixel format (YUY2, I420, MJPG), size and display mode: the
// camera delivers as fast as the pipeline takes its frames (see DeliveryGate),
// and the time the user-interface thread spends on each frame, its paint
// included, is measured (see PipelineApplication). Printed: the median and
// 95th percentile of that time, the frames per second sustained, frames
// skipped (by the pane and by the facade), snapshots written, and in the same
// run the anchor sum for the same frame: libyuv (YUY2, I420) or TurboJPEG
// (MJPG) decoding of the very sample the camera sent last, memcpy of the
// 24-bit frame, TurboJPEG quality-90 encoding in "Surveillance", and
// QPainter drawing an RGB32 picture; then ours / anchor sum, from medians.
//
// The second half: two panes, each with its own 1920x1080 YUY2 pattern camera at 30
// frames per second, in "Surveillance" for --two_pane_seconds (default 20; 0
// skips it): CPU use of the user-interface thread, frames handled, skipped
// and snapshots per pane.
//
// Arguments besides Google Benchmark's: --frames=N timed frames per case
// (default 60, after 5 untimed), --two_pane_seconds=S. Snapshots go to a
// temporary folder that is removed at the end. The machine this runs on is
// shared: run it more than once and read the medians.

#include "capture/TVideoSample.h"
#include "frames/Bitmap24.h"
#include "frames/IdleNotifier.h"
#include "pane/FrameHandler.h"
#include "pane/PaintBox.h"
#include "pane/SnapshotSequence.h"
#include "pane/TFrame1.h"
#include "support/DeliveryGate.h"
#include "support/FrameTimes.h"
#include "support/JpegFrames.h"
#include "support/PipelineApplication.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>
#include <libyuv.h>
#include <turbojpeg.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using kamsel::bench::FrameSize;
using kamsel::bench::FrameTimes;
using kamsel::bench::PipelineApplication;
using kamsel::frames::TVideoImageTestPeer;
using kamsel::pane::TFrame1;

// The cameras this program declares: one that renders as fast as it is let
// (the gate paces it), two at a camera's 30 frames per second.
constexpr const char* kCameras = "Bench Fast=pattern@1000;Bench A;Bench B";
constexpr int kWarmUpFrames = 5;

const char* const kModeNames[] = {
    "Normal", "Inverted", "Gray Scale", "Difference map", "Highlighted differences", "Surveillance"};
constexpr int kModeCount = 6;
const char* const kFormats[] = {"YUY2", "I420", "MJPG"};

struct Options {
    int frames = 60;
    double twoPaneSeconds = 20.0;
};

// Takes this program's own arguments out of argv.
Options ParseOptions(int& argc, char** argv) {
    Options options;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--frames=", 0) == 0)
            options.frames = std::max(1, std::atoi(arg.c_str() + 9));
        else if (arg.rfind("--two_pane_seconds=", 0) == 0)
            options.twoPaneSeconds = std::max(0.0, std::atof(arg.c_str() + 19));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return options;
}

// CPU time of this thread (CLOCK_THREAD_CPUTIME_ID) or of the whole process
// (CLOCK_PROCESS_CPUTIME_ID).
double CpuSeconds(clockid_t clock) {
    timespec now{};
    if (clock_gettime(clock, &now) != 0) {
        std::perror("clock_gettime");
        std::exit(1);
    }
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

std::string CaseName(const char* format, FrameSize s) {
    return std::string(format) + "/" + kamsel::bench::SizeName(s);
}

// What one pipeline case measured.
struct PipelineResult {
    double median = 0, p95 = 0, fps = 0;
    double busy = 0; // share of the wall time the user-interface thread was busy with frames
    std::int64_t skipped = 0, snapshots = 0, stalls = 0;
};

// Everything the cases leave for the summary, and the last sample of each
// format and size for the anchors.
struct Results {
    std::map<std::string, PipelineResult> pipeline; // by case name + "/" + mode
    std::map<std::string, double> anchors;          // by case name + "/" + step: median seconds
    std::map<std::string, std::vector<std::uint8_t>> samples;
};

std::uint32_t FourCCOf(const char* code) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<std::uint8_t>(code[i]);
    return value;
}

// A pane big enough to show a whole frame, with its camera chosen by name.
class BenchPane {
  public:
    BenchPane(const QString& folder, kamsel::pane::SnapshotSequence& sequence, FrameSize s)
        : pane_(MakeServices(folder, sequence)) {
        pane_.resize(TFrame1::kDesignWidth + s.width, TFrame1::kDesignHeight + s.height);
        pane_.show();
        pane_.InitFrame();
        QApplication::processEvents();
    }

    TFrame1& Pane() { return pane_; }
    const QString& Error() const { return error_; }

    // Starts the named camera in format "W*H  (FOURCC)" and the display mode.
    bool Start(const QString& camera, const char* fourcc, FrameSize s, int mode) {
        const int cameraIndex = pane_.ComboBox_Cams->findText(camera);
        if (cameraIndex < 0)
            return Fail(QStringLiteral("camera not listed: ") + camera);
        pane_.ComboBox_Cams->setCurrentIndex(cameraIndex);
        pane_.SpeedButton_RunVideoClick();
        if (!pane_.SpeedButton_Stop->isEnabled())
            return Fail(error_.isEmpty() ? QStringLiteral("camera did not start") : error_);
        const QString format =
            QStringLiteral("%1*%2  (%3)").arg(s.width).arg(s.height).arg(QLatin1String(fourcc));
        const int formatIndex = pane_.ComboBox1->findText(format);
        if (formatIndex < 0)
            return Fail(QStringLiteral("format not offered: ") + format);
        pane_.ComboBox1->setCurrentIndex(formatIndex);
        pane_.ComboBox1Change();
        if (pane_.FVideoImage->VideoWidth != s.width || pane_.FVideoImage->VideoHeight != s.height ||
            pane_.FVideoImage->VideoFourCC != FourCCOf(fourcc))
            return Fail(QStringLiteral("format not applied: ") + format);
        pane_.ComboBox_DisplayMode->setCurrentIndex(mode);
        return true;
    }

    // Frames skipped by the pane's handler and by its facade.
    std::int64_t Skipped() { return pane_.Handler().SkipCount() + pane_.FVideoImage->SkippedFrames.load(); }

    // The sample the facade holds last; only once the camera is stopped.
    std::vector<std::uint8_t> LastSample() {
        const kamsel::frames::TVideoImage& video = *pane_.FVideoImage;
        const int slot = TVideoImageTestPeer::CurrentSlot(video);
        const std::uint8_t* bytes = TVideoImageTestPeer::SlotBuffer(video, std::size_t(slot));
        return bytes ? std::vector<std::uint8_t>(
                           bytes, bytes + TVideoImageTestPeer::SlotSize(video, std::size_t(slot)))
                     : std::vector<std::uint8_t>();
    }

  private:
    TFrame1::Services MakeServices(const QString& folder, kamsel::pane::SnapshotSequence& sequence) {
        TFrame1::Services services;
        services.AppFolder = folder;
        services.Handler.Sequence = &sequence;
        services.ErrorBox = [this](QWidget&, const QString& message) { error_ = message; };
        return services;
    }
    bool Fail(const QString& why) {
        error_ = why;
        return false;
    }

    QString error_;
    TFrame1 pane_;
};

// Runs the event loop until done() or the deadline; false at the deadline.
// The thread sleeps while it waits; a timer wakes it to look at the clock.
template <class Done>
bool PumpUntil(Done done, std::chrono::steady_clock::duration limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    QTimer wake;
    wake.start(50);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs the event loop for a while.
void Pump(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void RunPipeline(benchmark::State& state, PipelineApplication& app, Results& results, const char* format,
                 FrameSize s, int mode) {
    QTemporaryDir folder;
    kamsel::pane::SnapshotSequence sequence;
    BenchPane bench(folder.path() + u'/', sequence, s);
    if (!folder.isValid() || !bench.Start(QStringLiteral("Bench Fast"), format, s, mode)) {
        state.SkipWithError(("cannot run: " + bench.Error().toStdString()).c_str());
        bench.Pane().StopVideoIfRunning();
        return;
    }
    kamsel::bench::DeliveryGate gate(*bench.Pane().FVideoImage);
    // The gate hears when the thread is idle, that is when the frame it let
    // through has been handled and painted.
    std::int64_t taken = 0;
    kamsel::frames::IdleNotifier idle([&](bool&) {
        if (app.FramesHandled() > taken) {
            taken = app.FramesHandled();
            gate.Taken();
        }
    });
    app.StartRecording();
    TVideoImageTestPeer::VideoSample(*bench.Pane().FVideoImage)->SetCallBack(gate.CallBack());

    bool ok = PumpUntil([&] { return taken >= kWarmUpFrames; }, std::chrono::seconds(30));
    const std::int64_t skippedBefore = bench.Skipped();
    const std::int64_t snapshotsBefore = bench.Pane().Handler().SnapshotCount();
    app.StartRecording();
    taken = 0;
    FrameTimes times;
    QElapsedTimer wall;
    wall.start();
    for (auto _ : state) {
        const std::int64_t frame = taken;
        if (!ok || !PumpUntil([&] { return taken > frame; }, std::chrono::seconds(30))) {
            state.SkipWithError("no frame within 30 s");
            ok = false;
            break;
        }
        const double seconds = app.FrameSeconds()[std::size_t(frame)];
        times.Add(seconds);
        state.SetIterationTime(seconds);
    }
    const double elapsed = double(wall.nsecsElapsed()) * 1e-9;
    const std::int64_t handled = app.FramesHandled();
    gate.Open();
    PipelineResult result;
    result.median = times.Median();
    result.p95 = times.Percentile(0.95);
    result.fps = elapsed > 0 ? double(times.Count()) / elapsed : 0;
    double busySeconds = 0;
    for (const double seconds : app.FrameSeconds())
        busySeconds += seconds;
    result.busy = elapsed > 0 ? busySeconds / elapsed : 0;
    result.skipped = bench.Skipped() - skippedBefore;
    result.snapshots = bench.Pane().Handler().SnapshotCount() - snapshotsBefore;
    result.stalls = gate.Stalls();
    bench.Pane().SpeedButton_StopClick();
    if (!ok)
        return;
    state.counters["median_ms"] = result.median * 1e3;
    state.counters["p95_ms"] = result.p95 * 1e3;
    state.counters["fps"] = result.fps;
    state.counters["skipped"] = double(result.skipped);
    state.counters["snapshots"] = double(result.snapshots);
    state.counters["handled"] = double(handled);
    state.counters["stalls"] = double(result.stalls);
    const std::string name = CaseName(format, s);
    results.pipeline[name + "/" + kModeNames[mode]] = result;
    results.samples[name] = bench.LastSample();
}

// ---- anchors ----

struct TjCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjCloser>;

// Times each call of step(), which returns false on failure.
template <class Step>
void TimeAnchor(benchmark::State& state, Results& results, const std::string& key, Step step) {
    FrameTimes times;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!step()) {
            state.SkipWithError(("failed: " + key).c_str());
            return;
        }
        benchmark::ClobberMemory();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        times.Add(seconds);
        state.SetIterationTime(seconds);
    }
    results.anchors[key] = times.Median();
}

void AnchorDecode(benchmark::State& state, Results& results, const char* format, FrameSize s) {
    const std::string name = CaseName(format, s);
    const std::vector<std::uint8_t>& sample = results.samples[name];
    const std::size_t pixels = std::size_t(s.width) * std::size_t(s.height);
    const std::size_t needed = std::strcmp(format, "YUY2") == 0 ? pixels * 2 : pixels * 3 / 2;
    if (sample.empty() || (std::strcmp(format, "MJPG") != 0 && sample.size() < needed)) {
        state.SkipWithError("no sample of this format from the pipeline");
        return;
    }
    std::vector<std::uint8_t> bgr(pixels * 3);
    std::vector<std::uint8_t> argb(pixels * 4);
    const std::uint8_t* y = sample.data();
    if (std::strcmp(format, "YUY2") == 0) {
        // libyuv has no direct YUY2 to 24-bit conversion; this is its fastest way there.
        TimeAnchor(state, results, name + "/decode", [&] {
            return libyuv::YUY2ToARGB(y, s.width * 2, argb.data(), s.width * 4, s.width, s.height) == 0 &&
                   libyuv::ARGBToRGB24(argb.data(), s.width * 4, bgr.data(), s.width * 3, s.width,
                                       s.height) == 0;
        });
    } else if (std::strcmp(format, "I420") == 0) {
        const std::uint8_t* u = y + pixels;
        const std::uint8_t* v = u + pixels / 4;
        TimeAnchor(state, results, name + "/decode", [&] {
            return libyuv::I420ToRGB24(y, s.width, u, s.width / 2, v, s.width / 2, bgr.data(), s.width * 3,
                                       s.width, s.height) == 0;
        });
    } else {
        const TjHandle handle(tjInitDecompress());
        TimeAnchor(state, results, name + "/decode", [&] {
            return handle &&
                   tjDecompress2(handle.get(), sample.data(), static_cast<unsigned long>(sample.size()),
                                 bgr.data(), s.width, 0, s.height, TJPF_BGR, TJFLAG_ACCURATEDCT) == 0;
        });
    }
}

void AnchorMemcpy(benchmark::State& state, Results& results, const std::string& key, FrameSize s) {
    const std::vector<std::uint8_t> from = kamsel::bench::CameraBgr(s);
    std::vector<std::uint8_t> to(from.size());
    TimeAnchor(state, results, key, [&] {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        return true;
    });
}

void AnchorEncode(benchmark::State& state, Results& results, const std::string& key, FrameSize s) {
    const std::vector<std::uint8_t> bgr = kamsel::bench::CameraBgr(s);
    const TjHandle handle(tjInitCompress());
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    TimeAnchor(state, results, key, [&] {
        return handle && tjCompress2(handle.get(), bgr.data(), s.width, 0, s.height, TJPF_BGR, &buffer, &size,
                                     TJSAMP_420, 90, 0) == 0;
    });
    tjFree(buffer);
}

void AnchorDraw(benchmark::State& state, Results& results, const std::string& key, FrameSize s) {
    QImage source(s.width, s.height, QImage::Format_RGB32);
    source.fill(Qt::darkCyan);
    QImage target(s.width, s.height, QImage::Format_RGB32);
    target.fill(Qt::gray);
    TimeAnchor(state, results, key, [&] {
        QPainter painter(&target);
        painter.drawImage(0, 0, source);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
        return true;
    });
}

// ---- two panes at a camera's pace ----

void RunTwoPanes(double seconds) {
    constexpr FrameSize s{1920, 1080};
    QTemporaryDir folder;
    kamsel::pane::SnapshotSequence sequence;
    BenchPane left(folder.path() + u'/', sequence, s);
    BenchPane right(folder.path() + u'/', sequence, s);
    if (!folder.isValid() || !left.Start(QStringLiteral("Bench A"), "YUY2", s, 5) ||
        !right.Start(QStringLiteral("Bench B"), "YUY2", s, 5)) {
        std::printf("two panes: cannot run: %s%s\n", qPrintable(left.Error()), qPrintable(right.Error()));
        left.Pane().StopVideoIfRunning();
        right.Pane().StopVideoIfRunning();
        return;
    }
    // The first seconds settle the cameras and the panes' rates.
    Pump(std::chrono::seconds(2));
    BenchPane* panes[] = {&left, &right};
    std::int64_t framesBefore[2], skippedBefore[2], paneSkippedBefore[2], snapshotsBefore[2];
    for (int i = 0; i < 2; ++i) {
        framesBefore[i] = panes[i]->Pane().Handler().FrameCount();
        skippedBefore[i] = panes[i]->Skipped();
        paneSkippedBefore[i] = panes[i]->Pane().Handler().SkipCount();
        snapshotsBefore[i] = panes[i]->Pane().Handler().SnapshotCount();
    }
    const double cpuBefore = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const double processBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    QElapsedTimer wall;
    wall.start();
    Pump(std::chrono::milliseconds(static_cast<std::int64_t>(seconds * 1000)));
    const double elapsed = double(wall.nsecsElapsed()) * 1e-9;
    const double cpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuBefore;
    const double process = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore;
    std::printf("\nTwo panes, 1920x1080 YUY2 pattern cameras at 30 fps, \"Surveillance\", %.1f s:\n",
                elapsed);
    std::printf("  user-interface thread CPU: %.1f%% of one core (the whole process, the cameras' rendering "
                "included: %.1f%%)\n",
                100.0 * cpu / elapsed, 100.0 * process / elapsed);
    const char* names[] = {"left", "right"};
    for (int i = 0; i < 2; ++i) {
        TFrame1& pane = panes[i]->Pane();
        const std::int64_t frames = pane.Handler().FrameCount() - framesBefore[i];
        const std::int64_t paneSkipped = pane.Handler().SkipCount() - paneSkippedBefore[i];
        const std::int64_t facadeSkipped = panes[i]->Skipped() - skippedBefore[i] - paneSkipped;
        std::printf("  %-5s pane: %lld frames handled (%.1f fps), skipped %lld by the pane and %lld by the "
                    "facade, %lld snapshots\n",
                    names[i], static_cast<long long>(frames), double(frames) / elapsed,
                    static_cast<long long>(paneSkipped), static_cast<long long>(facadeSkipped),
                    static_cast<long long>(pane.Handler().SnapshotCount() - snapshotsBefore[i]));
    }
    left.Pane().SpeedButton_StopClick();
    right.Pane().SpeedButton_StopClick();
}

void PrintSummary(const Results& results) {
    std::printf(
        "\nPer frame on the user-interface thread (decode, filter, paint, snapshot), medians;\n"
        "anchor = libyuv/TurboJPEG decode + memcpy + TurboJPEG q90 encode (Surveillance) + RGB32 draw\n");
    std::printf("%-16s %-24s %9s %9s %8s %5s %7s %6s %10s %8s\n", "case", "mode", "median ms", "p95 ms",
                "fps", "ui %", "skipped", "snaps", "anchor ms", "x anchor");
    for (const char* format : kFormats)
        for (const FrameSize s : kamsel::bench::kFrameSizes) {
            const std::string name = CaseName(format, s);
            for (int mode = 0; mode < kModeCount; ++mode) {
                const auto found = results.pipeline.find(name + "/" + kModeNames[mode]);
                if (found == results.pipeline.end())
                    continue;
                const PipelineResult& r = found->second;
                double anchor = 0;
                bool complete = true;
                for (const std::string& key : {name + "/decode", kamsel::bench::SizeName(s) + "/memcpy",
                                               kamsel::bench::SizeName(s) + "/draw"}) {
                    const auto a = results.anchors.find(key);
                    complete = complete && a != results.anchors.end();
                    anchor += complete ? a->second : 0;
                }
                if (mode == 5) {
                    const auto a = results.anchors.find(kamsel::bench::SizeName(s) + "/encode");
                    complete = complete && a != results.anchors.end();
                    anchor += complete ? a->second : 0;
                }
                std::printf("%-16s %-24s %9.2f %9.2f %8.1f %5.0f %7lld %6lld", name.c_str(), kModeNames[mode],
                            r.median * 1e3, r.p95 * 1e3, r.fps, 100 * r.busy,
                            static_cast<long long>(r.skipped), static_cast<long long>(r.snapshots));
                if (complete && anchor > 0)
                    std::printf(" %10.2f %8.2f\n", anchor * 1e3, r.median / anchor);
                else
                    std::printf(" %10s %8s\n", "-", "-");
            }
        }
}

} // namespace

int main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    ::setenv("KAMSEL_VIRTUAL_CAMERAS", kCameras, 1);
    PipelineApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    Results results;
    for (const char* format : kFormats)
        for (const FrameSize s : kamsel::bench::kFrameSizes) {
            const std::string name = CaseName(format, s);
            for (int mode = 0; mode < kModeCount; ++mode)
                benchmark::RegisterBenchmark(("pipeline/" + name + "/" + kModeNames[mode]).c_str(),
                                             RunPipeline, std::ref(app), std::ref(results), format, s, mode)
                    ->Iterations(options.frames)
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("anchor/" + name + "/decode").c_str(), AnchorDecode,
                                         std::ref(results), format, s)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    // The steps that do not depend on the camera's format, once per size.
    for (const FrameSize s : kamsel::bench::kFrameSizes) {
        const std::string name = kamsel::bench::SizeName(s);
        benchmark::RegisterBenchmark(("anchor/" + name + "/memcpy").c_str(), AnchorMemcpy, std::ref(results),
                                     name + "/memcpy", s)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("anchor/" + name + "/encode").c_str(), AnchorEncode, std::ref(results),
                                     name + "/encode", s)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("anchor/" + name + "/draw").c_str(), AnchorDraw, std::ref(results),
                                     name + "/draw", s)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary(results);
    if (options.twoPaneSeconds > 0)
        RunTwoPanes(options.twoPaneSeconds);
    benchmark::Shutdown();
    return 0;
}
