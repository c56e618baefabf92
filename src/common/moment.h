#pragma once
// A moment on the computer's monotonic clock: when received characters
// arrived, when the burst timer's countdown ran out.

#include <chrono>

namespace tally {

using Moment = std::chrono::steady_clock::time_point;

}  // namespace tally
