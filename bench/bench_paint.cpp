// Painting a camera frame: a 24-bit frame drawn through the pane's DrawFrame
// and then asked for as the paint box's picture (converted into its backing
// image), and drawn and repainted onto the window (the program's path, which
// converts it straight onto the window's surface), beside the anchor, QPainter::drawImage of an RGB32 picture
// of the same size onto an RGB32 image (the toolkit's fastest case, close to a memory copy). For comparison
// it also times drawImage of the 24-bit picture itself, which is what drawing the frame bitmap directly would
// cost, and the row conversion alone into an RGB32 image, in its plain and its chosen (vector) version. The
// summary prints ours / anchor from wall time: the toolkit converts large
// pictures on helper threads, which the benchmark's CPU time (of its own
// thread) does not see. On a shared machine, run it a few times.

#include "frames/Bitmap24.h"
#include "pane/PaintBox.h"
#include "pane/TFrame1.h"
#include "platform/media/PixelKernels.h"
#include "support/TimeCollector.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
// The paint box of a pane in a window of about the design size.
constexpr int kBoxWidth = 370;
constexpr int kBoxHeight = 280;

void FillRandom(kamsel::frames::Bitmap24& bitmap) {
    std::mt19937 random(7);
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width() * 3; ++x)
            row[x] = std::uint8_t(random());
    }
}

// A pane whose paint box holds a whole frame.
struct BigPane {
    BigPane() {
        pane.resize(kamsel::pane::TFrame1::kDesignWidth + kWidth,
                    kamsel::pane::TFrame1::kDesignHeight + kHeight);
        pane.show();
        QApplication::processEvents();
    }
    kamsel::pane::TFrame1 pane;
};

void DrawFrame(benchmark::State& state, const kamsel::frames::Bitmap24& frame, bool repaint) {
    BigPane big;
    kamsel::pane::PaintBox& box = *big.pane.PaintBox_Video;
    if (box.width() < kWidth || box.height() < kHeight) {
        state.SkipWithError("paint box smaller than the frame");
        return;
    }
    for (auto _ : state) {
        big.pane.DrawFrame(frame);
        if (repaint)
            box.repaint(0, 0, kWidth, kHeight);
        else
            benchmark::DoNotOptimize(box.Backing().constBits());
        benchmark::ClobberMemory();
    }
}

// The frame fitted into a pane-sized box (View > "Fit video to pane"), or
// drawn unscaled into the same box (its top-left part only), each repainted.
void DrawIntoPaneBox(benchmark::State& state, const kamsel::frames::Bitmap24& frame, bool fit) {
    kamsel::pane::PaintBox box(nullptr);
    box.resize(kBoxWidth, kBoxHeight);
    box.show();
    QApplication::processEvents();
    box.SetFit(fit);
    for (auto _ : state) {
        box.Draw(frame);
        box.repaint();
        benchmark::ClobberMemory();
    }
}

using ConvertRow = kamsel::media::PixelKernels::Rows;

void Convert(benchmark::State& state, const kamsel::frames::Bitmap24& frame, ConvertRow convert) {
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            convert(frame.ScanLine(y), target.scanLine(y), kWidth);
        benchmark::DoNotOptimize(target.constBits());
        benchmark::ClobberMemory();
    }
}

void DrawImage(benchmark::State& state, const QImage& source) {
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    target.fill(Qt::gray);
    for (auto _ : state) {
        QPainter painter(&target);
        painter.drawImage(0, 0, source);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
        benchmark::ClobberMemory();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    kamsel::frames::Bitmap24 frame(kWidth, kHeight);
    FillRandom(frame);
    const QImage rgb32 = frame.Image().convertToFormat(QImage::Format_RGB32);

    benchmark::RegisterBenchmark("paint/1920x1080/DrawFrame", DrawFrame, std::cref(frame), false);
    benchmark::RegisterBenchmark("paint/1920x1080/DrawFrame+repaint", DrawFrame, std::cref(frame), true);
    benchmark::RegisterBenchmark("paint/1920x1080/fit-370x280+repaint", DrawIntoPaneBox, std::cref(frame),
                                 true);
    benchmark::RegisterBenchmark("paint/1920x1080/unscaled-370x280+repaint", DrawIntoPaneBox,
                                 std::cref(frame), false);
    benchmark::RegisterBenchmark(
        "paint/1920x1080/convert-plain", Convert, std::cref(frame),
        kamsel::media::PixelKernels::For(kamsel::media::CpuLevel::Plain).ExpandToOpaqueBgra);
    benchmark::RegisterBenchmark("paint/1920x1080/convert", Convert, std::cref(frame),
                                 kamsel::media::PixelKernels::Best().ExpandToOpaqueBgra);
    benchmark::RegisterBenchmark("paint/1920x1080/drawImage-BGR888", DrawImage, std::cref(frame.Image()));
    benchmark::RegisterBenchmark("paint/1920x1080/anchor-drawImage-RGB32", DrawImage, std::cref(rgb32));

    kamsel::bench::TimeCollector reporter(kamsel::bench::TimeCollector::Clock::Real);
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const std::string anchor = "paint/1920x1080/anchor-drawImage-RGB32";
    std::printf("\n%-36s %9s   (anchor: drawImage of an RGB32 picture, 1920x1080)\n", "case", "x anchor");
    for (const char* name :
         {"DrawFrame", "DrawFrame+repaint", "convert-plain", "convert", "drawImage-BGR888"}) {
        if (const auto ratio = reporter.Ratio(std::string("paint/1920x1080/") + name, anchor))
            std::printf("%-36s %9.2f\n", name, *ratio);
    }
    // Fitting reads the whole frame; the unscaled paint into the same box only
    // the part it shows, so the whole frame's unscaled paint is the measure.
    for (const char* name : {"DrawFrame+repaint", "unscaled-370x280+repaint"}) {
        if (const auto ratio =
                reporter.Ratio("paint/1920x1080/fit-370x280+repaint", std::string("paint/1920x1080/") + name))
            std::printf("fit-370x280+repaint x %-24s %5.2f\n", name, *ratio);
    }
    benchmark::Shutdown();
    return 0;
}
