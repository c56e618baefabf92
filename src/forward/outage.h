#pragma once
// How the forwarder waits out a database it cannot reach: pauses between
// attempts that double from half a second up to 60 s, one line in the log
// when the wait begins and one when it ends. Times are given, so the
// schedule is the same on any clock.

#include <optional>
#include <string>

namespace tally::forward {

class Outage {
 public:
  static constexpr int kFirstPauseMs = 500;
  static constexpr int kLongestPauseMs = 60'000;

  // An attempt failed at nowSeconds for why: the warning to log when this
  // begins the wait, nullopt while it goes on.
  [[nodiscard]] std::optional<std::string> Failed(const std::string& why, long long nowSeconds);
  // The pause before the next attempt.
  [[nodiscard]] int NextPauseMs();
  // The database answered at nowSeconds: the line to log when that ends a
  // wait, nullopt when there was none. The pauses start over.
  [[nodiscard]] std::optional<std::string> Reached(long long nowSeconds);
  // Whether a wait has begun and not yet ended.
  bool waiting() const { return since_.has_value(); }

 private:
  std::optional<long long> since_;
  int pauseMs_ = kFirstPauseMs;
};

}  // namespace tally::forward
