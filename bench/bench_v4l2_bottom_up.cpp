// Cost of turning a 1920x1080 BGR24 frame bottom-up, against the anchor of
// copying the same bytes in one piece. Prints the ratio of the two.

#include "platform/v4l2/BottomUpFrame.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 1920;
constexpr std::uint32_t kHeight = 1080;
constexpr std::size_t kFrameBytes = std::size_t{kWidth} * 3 * kHeight;

void BM_AnchorMemcpy(benchmark::State& state) {
    const std::vector<std::uint8_t> source(kFrameBytes, 0x5a);
    std::vector<std::uint8_t> target(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), kFrameBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AnchorMemcpy);

void BM_BottomUpFrame(benchmark::State& state) {
    const std::vector<std::uint8_t> source(kFrameBytes, 0x5a);
    kamsel::v4l2::BottomUpFrame frame(kWidth, kHeight, kWidth * 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame.CopyFrom(source.data(), source.size()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BottomUpFrame);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double anchor = times_["BM_AnchorMemcpy"];
        if (anchor > 0)
            std::printf("bottom-up copy / plain copy: %.2f\n", times_["BM_BottomUpFrame"] / anchor);
    }

  private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
