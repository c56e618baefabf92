#include "forward/outage.h"

#include <algorithm>

namespace tally::forward {

std::optional<std::string> Outage::Failed(const std::string& why, long long nowSeconds) {
  if (since_) return std::nullopt;
  since_ = nowSeconds;
  return "database unreachable (" + why +
         "); trying again with growing pauses of up to 60 s, the files keep what waits";
}

int Outage::NextPauseMs() {
  const int pause = pauseMs_;
  pauseMs_ = std::min(pauseMs_ * 2, kLongestPauseMs);
  return pause;
}

std::optional<std::string> Outage::Reached(long long nowSeconds) {
  pauseMs_ = kFirstPauseMs;
  if (!since_) return std::nullopt;
  const long long waited = nowSeconds - *since_;
  since_.reset();
  return "database reachable again after " + std::to_string(waited) + " s: catching up";
}

}  // namespace tally::forward
