#include "FrameTimes.h"

#include <algorithm>
#include <cmath>

namespace kamsel::bench {

double FrameTimes::Percentile(double p) const {
    if (seconds_.empty())
        return 0.0;
    std::vector<double> sorted = seconds_;
    const double rank = std::ceil(std::clamp(p, 0.0, 1.0) * static_cast<double>(sorted.size()));
    const std::size_t index = rank < 1.0 ? 0 : static_cast<std::size_t>(rank) - 1;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(index), sorted.end());
    return sorted[index];
}

} // namespace kamsel::bench
