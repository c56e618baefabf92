#include "doubles/manual_timer.h"

namespace tally::testing {

void ManualTimer::Arm() {
  armed = true;
  deadline = now + interval;
  ++armings;
}

std::optional<Moment> ManualTimer::OverdueSince() const {
  if (!armed || now < deadline) return std::nullopt;
  return At(deadline);
}

void ManualTimer::Advance(std::int64_t milliseconds) {
  const std::int64_t target = now + milliseconds;
  if (armed && deadline <= target) {
    now = deadline;
    FireNow();
  }
  if (now < target) now = target;
}

void ManualTimer::FireNow() {
  if (!armed) return;
  armed = false;  // one-shot: it ticks once per arming
  ++ticks;
  if (onTick_) onTick_();
}

}  // namespace tally::testing
