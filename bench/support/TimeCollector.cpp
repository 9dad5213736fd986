#include "TimeCollector.h"

namespace kamsel::bench {

void TimeCollector::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs)
        if (run.run_type == Run::RT_Iteration && !run.error_occurred)
            times_[run.benchmark_name()] =
                clock_ == Clock::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
}

std::optional<double> TimeCollector::Time(const std::string& name) const {
    const auto found = times_.find(name);
    if (found == times_.end())
        return std::nullopt;
    return found->second;
}

std::optional<double> TimeCollector::Ratio(const std::string& ours, const std::string& anchor) const {
    const std::optional<double> a = Time(ours);
    const std::optional<double> b = Time(anchor);
    if (!a || !b || *b <= 0)
        return std::nullopt;
    return *a / *b;
}

} // namespace kamsel::bench
