// Cost of turning a 1920x1080 BGR24 frame bottom-up, against the anchor of
// copying the same bytes in one piece. Prints the ratio of the two.

#include "platform/v4l2/BottomUpFrame.h"

#include "support/TimeCollector.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
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

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kamsel::bench::TimeCollector reporter(kamsel::bench::TimeCollector::Clock::Real);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const std::optional<double> ratio = reporter.Ratio("BM_BottomUpFrame", "BM_AnchorMemcpy"))
        std::printf("bottom-up copy / plain copy: %.2f\n", *ratio);
    benchmark::Shutdown();
    return 0;
}
