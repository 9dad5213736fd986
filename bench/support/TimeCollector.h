#pragma once
// A console reporter that also keeps each benchmark's time per iteration, so
// that a program can print its ratios against the anchors run beside it.

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kamsel::bench {

class TimeCollector : public benchmark::ConsoleReporter {
  public:
    enum class Clock { Cpu, Real };
    explicit TimeCollector(Clock clock) : clock_(clock) {}

    void ReportRuns(const std::vector<Run>& runs) override;

    // The time per iteration of the named benchmark, if it ran without error.
    std::optional<double> Time(const std::string& name) const;
    // ours / anchor, if both ran.
    std::optional<double> Ratio(const std::string& ours, const std::string& anchor) const;

  private:
    Clock clock_;
    std::map<std::string, double> times_;
};

} // namespace kamsel::bench
