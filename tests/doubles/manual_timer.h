#pragma once
// A burst timer on simulated time: the test advances the time by hand and
// the tick fires when a whole interval has passed since the last arming.

#include <cstdint>
#include <functional>
#include <optional>

#include "common/burst_timer.h"

namespace tally::testing {

class ManualTimer : public BurstTimer {
 public:
  void SetInterval(int milliseconds) override { interval = milliseconds; }
  void Arm() override;
  void Disarm() override { armed = false; }
  bool IsArmed() const override { return armed; }
  std::optional<Moment> OverdueSince() const override;
  void SetTickHandler(std::function<void()> handler) override { onTick_ = std::move(handler); }

  // Moves simulated time on by milliseconds, firing the tick on the way if
  // it falls due (at most once per arming, as a one-shot timer does).
  void Advance(std::int64_t milliseconds);
  // Fires the tick now if armed, as if its interval had just passed.
  void FireNow();
  // The event loop is busy: simulated time moves on by milliseconds and no
  // tick is handled, even one that falls due.
  void Stall(std::int64_t milliseconds) { now += milliseconds; }
  // A moment of simulated time.
  static Moment At(std::int64_t milliseconds) { return Moment(std::chrono::milliseconds(milliseconds)); }

  std::int64_t now = 0;
  std::int64_t deadline = 0;
  int interval = 0;
  bool armed = false;
  int armings = 0;
  int ticks = 0;

 private:
  std::function<void()> onTick_;
};

}  // namespace tally::testing
