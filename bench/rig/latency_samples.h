#pragma once
// Durations of single calls, kept to give their median and upper tail
// (Google Benchmark's own figures are means over many calls).

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tally::bench {

class LatencySamples {
 public:
  void Add(double microseconds) { samples_.push_back(microseconds); }
  std::size_t Count() const { return samples_.size(); }

  // The value below which the given share (0..1) of the samples lie; 0 when
  // there are none.
  double Quantile(double share) {
    if (samples_.empty()) return 0;
    std::sort(samples_.begin(), samples_.end());
    const auto place = static_cast<std::size_t>(share * static_cast<double>(samples_.size() - 1) + 0.5);
    return samples_[std::min(place, samples_.size() - 1)];
  }
  double Median() { return Quantile(0.5); }
  double Max() { return samples_.empty() ? 0 : *std::max_element(samples_.begin(), samples_.end()); }

 private:
  std::vector<double> samples_;
};

}  // namespace tally::bench
