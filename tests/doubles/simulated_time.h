#pragma once
// One simulated time for a test, in the manner of a simulated clock: the
// test moves it on, and it drives both the wall clock the procedures read
// and the one-shot burst timer. Nothing moves unless the test says so, so a
// run nobody advances reads the same second throughout.

#include <cstdint>
#include <functional>
#include <optional>

#include "common/burst_timer.h"
#include "common/clock.h"

namespace tally::testing {

class SimulatedTime final : public Clock, public BurstTimer {
 public:
  // Clock: the wall clock's second at the present simulated time.
  LocalDateTime Now() const override;

  // BurstTimer: the tick falls due a whole interval after the last arming.
  void SetInterval(int milliseconds) override { interval = milliseconds; }
  void Arm() override;
  void Disarm() override { armed = false; }
  bool IsArmed() const override { return armed; }
  std::optional<Moment> OverdueSince() const override;
  void SetTickHandler(std::function<void()> handler) override { onTick_ = std::move(handler); }

  // Moves time on by milliseconds, firing the tick on the way if it falls
  // due (at most once per arming, as a one-shot timer does).
  void Advance(std::int64_t milliseconds);
  // The event loop is busy: time moves on and no tick is handled, even one
  // that falls due.
  void Stall(std::int64_t milliseconds) { now += milliseconds; }
  // Fires the tick now if armed, as if its interval had just passed.
  void FireNow();
  // The wall clock reads this from the present simulated time on.
  void SetClock(const LocalDateTime& reading);
  // Every reading of the wall clock moves it on by seconds afterwards, to
  // tell apart two readings made for one event.
  void StepAtEveryReading(int seconds) { secondsPerReading_ = seconds; }
  // A moment of simulated time.
  static Moment At(std::int64_t milliseconds) { return Moment(std::chrono::milliseconds(milliseconds)); }

  std::int64_t now = 0;  // milliseconds since the test began
  std::int64_t deadline = 0;
  int interval = 0;
  bool armed = false;
  int armings = 0;
  int ticks = 0;

 private:
  std::function<void()> onTick_;
  LocalDateTime clockAtSet_{2026, 12, 6, 14, 30, 15};
  std::int64_t clockSetAt_ = 0;
  int secondsPerReading_ = 0;
  mutable std::int64_t readings_ = 0;
};

}  // namespace tally::testing
