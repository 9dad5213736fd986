#pragma once
// Times of single runs of one step (one frame through the pipeline, one anchor
// call), kept so that a benchmark can print their median and upper percentile:
// on a shared machine the median shows the step's own cost, the percentile how
// often the machine got in the way.

#include <vector>

namespace kamsel::bench {

class FrameTimes {
  public:
    void Add(double seconds) { seconds_.push_back(seconds); }
    void Clear() { seconds_.clear(); }
    std::size_t Count() const { return seconds_.size(); }
    // The time at fraction p (0 to 1) of the sorted times, nearest rank; 0
    // without times.
    double Percentile(double p) const;
    double Median() const { return Percentile(0.5); }

  private:
    std::vector<double> seconds_;
};

} // namespace kamsel::bench
